// The main window's menus and links, Gamespy.cfg, the editor hand-off, the
// mod list panel and the level list.
#include <gtest/gtest.h>

#include <filesystem>

#include "console/Kommunicator.h"
#include "editor/FormEditor.h"
#include "editor/Hilfefenster.h"
#include "editor/InfoBox.h"
#include "vantor_fixture.h"

namespace fs = std::filesystem;
using testing_support::crlf;
using Liste = std::vector<std::string>;

class MenuesTest : public VantorTest {
protected:
    void SetUp() override {
        ersterStart(gameFolder);
        schreibe("Mod.ini", {"Anarchy", "CTF"});
        v = &lade();
    }
    void klick(ui::Menu& m) { loop.dispatch([&] { m.userClick(); }); }
    void klick(ui::CommandButton& b) { loop.dispatch([&] { b.userClick(); }); }
    void dazu(const std::string& mod) {
        fake.answerInputBox(mod);
        klick(v->Moddazu);
    }
    Vantor* v = nullptr;
};

// With the mod list open, "Datei", "Extra", "Gamespy" and the main area with
// the clan picture are out of use; "Info" works, and "Zu Gamespy" with it.
// STAT.EXE that cannot start is named. The exit takes the help and about
// windows with it.
TEST_F(MenuesTest, WhatWorksWhileAnOverlayPanelIsOpen) {
    klick(v->M1mlb);
    klick(v->Ka);
    loop.dispatch([&] { v->Image2.userClick(); });
    EXPECT_EQ(program->find<Kommunicator>(), nullptr);
    fake.answerMsgBox(platform::vbOK, "serverbefehle.txt");
    for (ui::Menu* m : {&v->l11, &v->l1, &v->l2, &v->zum2c, &v->Im2b, &v->Im3b}) klick(*m);
    EXPECT_TRUE(program->find<Hilfefenster>() && program->find<InfoBox>() && v->spy.Visible());
    klick(v->Spyok);
    loop.dispatch([&] { v->Xmod.userClick(); });
    loop.dispatch([&] { v->Image2.userClick(); });
    EXPECT_EQ(fake.links, (Liste{"https://vantor.example.org", "https://descent-fans.example.org",
                                 "https://descent-levels.example.org",
                                 "https://clan.vantor.example.org"}));
    klick(v->Ka);
    program->find<Kommunicator>()->Sendentext.Text = "bleibt";
    klick(v->Ka);
    EXPECT_EQ(program->find<Kommunicator>()->Sendentext.Text(), "bleibt");
    fake.startSucceeds = false;
    fake.answerMsgBox(platform::vbOK, "konnte nicht gestartet werden:\n" + prog("STAT.EXE"));
    loop.dispatch([&] { v->Statik_Click(); });
    EXPECT_THROW(klick(v->endm1d), ui::ProgramEnded);
    EXPECT_TRUE(!program->find<Hilfefenster>() && !program->find<InfoBox>());
}

// Created as two lines and deleted again, found in any case; Cancel at a
// question changes nothing; spypic follows the file.
TEST_F(MenuesTest, GamespyKonfiguration) {
    for (int antwort : {platform::vbCancel, platform::vbOK, platform::vbCancel, platform::vbOK}) {
        fake.answerMsgBox(antwort, fs::exists(game("gamespy.cfg")) ? "bereitz vorhanden" : "keine Gamespy");
        if (antwort == platform::vbOK) fake.answerMsgBox(platform::vbOK, "Gamespy.cfg wurde");
        const bool vorher = v->spypic.Visible();
        klick(v->m41);
        EXPECT_EQ(v->spypic.Visible(), antwort == platform::vbOK ? !vorher : vorher);
        if (fs::exists(game("Gamespy.cfg"))) {
            EXPECT_EQ(testing_support::readBytes(game("Gamespy.cfg")),
                      "0\r\nmaster.gamespy.example.org:27900\r\n");
            fs::rename(game("Gamespy.cfg"), game("gamespy.cfg"));
        }
        EXPECT_EQ(v->spypic.Visible(), fs::exists(game("gamespy.cfg")));
    }
    EXPECT_EQ(fake.msgBoxes.at(0).flags, 33);
    EXPECT_EQ(fake.msgBoxes.at(2).flags, 64);
    EXPECT_FALSE(fs::exists(game("gamespy.cfg")));
}

TEST_F(MenuesTest, GamespyThatCannotBeWrittenAndNoGameFolder) {
    testing_support::makeDirs(game("Gamespy.cfg/x"));
    fake.answerMsgBox(platform::vbOK, "keine Gamespy");
    fake.answerMsgBox(platform::vbOK, game("Gamespy.cfg") + " konnte nicht geschrieben");
    klick(v->m41);
    EXPECT_FALSE(v->spypic.Visible());
    for (const char* ordner : {"", "/gibt/es/nicht"}) {
        v->Despfad.Text = ordner;
        klick(v->m41);  // beeps, asks and writes nothing
    }
    EXPECT_EQ(fake.beeps, 2);
}

// The chosen path goes quoted into Edit.ini; an editor already open keeps
// its file. Cancel and a path under 3 characters write nothing; an Edit.ini
// that cannot be written is reported and opens nothing.
TEST_F(MenuesTest, EditorHandOff) {
    using Pfad = std::optional<std::string>;
    testing_support::writeBytes(game("a, b.CFG"), "A");
    fake.answerOpen(game("a, b.CFG"));
    klick(v->m3Keb);
    EXPECT_EQ(fake.openRequests.at(0).Filter, "Alle Dateien (*.CFG)|*.CFG|");
    EXPECT_EQ(bytes("Edit.ini"), crlf({"\"" + game("a, b.CFG") + "\""}));
    for (Pfad pfad : {Pfad("/a"), Pfad(), Pfad(game("c.CFG"))}) {
        fake.answerOpen(pfad);
        klick(v->m3Keb);
    }
    EXPECT_EQ(bytes("Edit.ini"), crlf({game("c.CFG")}));
    EXPECT_EQ(program->find<FormEditor>()->TextfeldEditor.Text(), "A");
    EXPECT_EQ(fake.beeps, 1);
    loop.dispatch([&] { program->unload<FormEditor>(); });
    fs::remove(prog("Edit.ini"));
    testing_support::makeDirs(prog("Edit.ini/x"));
    fake.answerOpen(game("a, b.CFG"));
    fake.answerMsgBox(platform::vbOK, prog("Edit.ini"));
    klick(v->m3Keb);
    EXPECT_EQ(program->find<FormEditor>(), nullptr);
}

// Cancel beeps, a duplicate and a comma are taken; "Beenden" stores the
// comma quoted, so it comes back whole; "X" keeps the edits for the panel.
TEST_F(MenuesTest, ModListeHinzufuegenBeendenUndX) {
    klick(v->M1mlb);
    EXPECT_TRUE(v->Modfenster.Visible() && !v->Hauptprog.Enabled() && !v->m4.Enabled());
    dazu("");
    dazu("CTF");
    dazu("Team, rot");
    EXPECT_EQ(fake.beeps, 1);
    klick(v->Modabbrechen);
    EXPECT_EQ(bytes("Mod.ini"), crlf({"Anarchy", "CTF", "CTF", "\"Team, rot\""}));
    EXPECT_EQ(v->Spieletyp.items(), (Liste{"Anarchy", "CTF", "CTF", "Team, rot"}));
    EXPECT_TRUE(!v->Modfenster.Visible() && v->Hauptprog.Enabled() && v->m4.Enabled());
    klick(v->M1mlb);
    dazu("Neu");
    loop.dispatch([&] { v->Xmod.userClick(); });
    klick(v->M1mlb);
    EXPECT_EQ(v->Modliste.items(), (Liste{"Anarchy", "CTF", "CTF", "Team, rot", "Neu"}));
    EXPECT_EQ(v->Spieletyp.ListCount(), 4);
    fake.answerMsgBox(platform::vbOK, "Auf Standart zurück gesetzt !");
    klick(v->Standartzuruck);
    EXPECT_EQ(v->Modliste.items(), (Liste{"Anarchy", "CTF", "CTF", "Team, rot"}));
}

// "Löschen" without a selection beeps; removing everything and "Beenden"
// empties Mod.ini and shows "Anarchy"; "Auf Standart zurück" then brings the
// stored (empty) list, the first-run list when Mod.ini is gone, and keeps
// both lists when it cannot be read.
TEST_F(MenuesTest, ModListeLoeschenUndAufStandartZurueck) {
    v->Spieletyp.Text = "CTF";
    klick(v->M1mlb);
    klick(v->Modloschen);
    EXPECT_EQ(fake.beeps, 1);
    for (int i = 0; i < 2; ++i) {
        v->Modliste.userSelect(0);
        klick(v->Modloschen);
    }
    EXPECT_EQ(v->Spieletyp.ListCount(), 2);
    klick(v->Modabbrechen);
    EXPECT_EQ(bytes("Mod.ini"), "");
    EXPECT_EQ(v->Spieletyp.ListCount(), 0);
    EXPECT_EQ(v->Spieletyp.Text(), "Anarchy");
    klick(v->M1mlb);
    fs::remove(prog("Mod.ini"));
    fake.answerMsgBox(platform::vbOK, "Auf Standart zurück gesetzt !");
    klick(v->Standartzuruck);
    EXPECT_EQ(v->Modliste.items(), einstellungen::standardMods());
    EXPECT_EQ(v->Spieletyp.items(), einstellungen::standardMods());
    // A Mod.ini that cannot be read (a link that leads round in a circle)
    // is named, and not written over with a list that never came from it.
    fs::create_symlink("Mod.ini", prog("Mod.ini"));
    fake.answerMsgBox(platform::vbOK, prog("Mod.ini") + " konnte nicht gelesen werden:");
    klick(v->Standartzuruck);
    dazu("Neu");
    fake.answerMsgBox(platform::vbOK, prog("Mod.ini") + " konnte nicht gelesen werden und wird darum nicht überschrieben.");
    klick(v->Modabbrechen);
    EXPECT_EQ(v->Spieletyp.items(), einstellungen::standardMods());
    EXPECT_EQ(v->Modliste.ListCount(), 10);
    EXPECT_TRUE(v->Modfenster.Visible());
    EXPECT_TRUE(fs::is_symlink(prog("Mod.ini")));
}

TEST_F(MenuesTest, LevelListDoubleClickAndUebernehmen) {
    testing_support::writeBytes(game("Missions/Arena.mn3"), "");
    testing_support::writeBytes(game("Missions/Zentrum.mn3"), "");
    v->Levelboser.Refresh();
    klick(v->Leveluber);
    loop.dispatch([&] { v->Levelboser_DblClick(); });
    EXPECT_EQ(v->Levelname.Text(), "ProFight2.mn3");
    EXPECT_EQ(fake.beeps, 1);
    loop.dispatch([&] { v->Levelboser.userDblClick(1); });
    EXPECT_EQ(v->Levelname.Text(), "Zentrum.mn3");
    v->Levelboser.userSelect(0);
    klick(v->Leveluber);
    EXPECT_EQ(v->Levelname.Text(), "Arena.mn3");
}

using ErstlaufTest = VantorTest;

// The lists are not read yet: "Beenden" would store an empty Mod.ini.
TEST_F(ErstlaufTest, ModListeStaysClosedWhileTheGameFolderIsAskedFor) {
    ersterStart(gameFolder);
    fs::remove(prog("STPfad.ini"));
    Vantor& w = lade();
    w.M1mlb.userClick();
    EXPECT_FALSE(w.Modfenster.Visible());
    EXPECT_EQ(fake.beeps, 2);
}
