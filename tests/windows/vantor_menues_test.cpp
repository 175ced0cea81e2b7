// The main window's menu items that open other windows, the links, the
// master-server panel, Gamespy.cfg, the statistics program, and the exit
// taking the help and about windows with it.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/Adressen.h"
#include "console/Kommunicator.h"
#include "editor/FormEditor.h"
#include "editor/Hilfefenster.h"
#include "editor/InfoBox.h"
#include "vantor_fixture.h"

namespace fs = std::filesystem;
using testing_support::crlf;

class VantorMenuesTest : public VantorTest {
protected:
    void SetUp() override { ersterStart(gameFolder); }

    // One user action, as the event loop runs it.
    void klick(ui::Menu& m) { loop.dispatch([&] { m.userClick(); }); }
    void gamespy(Vantor& v, int antwort, const char* frage) {
        fake.answerMsgBox(antwort, frage);
        if (antwort == platform::vbOK) fake.answerMsgBox(platform::vbOK, "Gamespy.cfg wurde");
        klick(v.m41);
    }
};

TEST_F(VantorMenuesTest, HelpItemWhileTheHelpWindowIsOpenReadsNothing) {
    testing_support::writeBytes(prog("serverbefehle.txt"), "erst");
    Vantor& v = lade();
    klick(v.zum2c);
    Hilfefenster* h = program->find<Hilfefenster>();
    ASSERT_NE(h, nullptr);
    h->Direckt.Text = "geändert";  // the window's state, which a new load would lose
    testing_support::writeBytes(prog("serverbefehle.txt"), "später");
    klick(v.zum2c);
    EXPECT_EQ(program->find<Hilfefenster>(), h);
    EXPECT_EQ(h->Direckt.Text(), "geändert");
}

TEST_F(VantorMenuesTest, KommunicatorItemTwiceOpensOneWindowAndLeavesTheProperty) {
    Vantor& v = lade();
    klick(v.Ka);
    Kommunicator* k = program->find<Kommunicator>();
    ASSERT_NE(k, nullptr);
    k->Sendentext.Text = "bleibt";
    klick(v.Ka);
    EXPECT_EQ(program->find<Kommunicator>(), k);
    EXPECT_EQ(k->Sendentext.Text(), "bleibt");
    EXPECT_EQ(v.Fensterwert, 0);
}

TEST_F(VantorMenuesTest, LinksOpenTheirAddresses) {
    Vantor& v = lade();
    EXPECT_EQ(v.l1.Caption(), std::string("Link zu ") + adressen::kSeite1Name);
    EXPECT_EQ(v.l2.Caption(), std::string("Link zu ") + adressen::kSeite2Name);
    EXPECT_EQ(v.Image2.ToolTipText(), std::string("Link zu ") + adressen::kClanSeite);
    klick(v.l11);
    klick(v.l1);
    klick(v.l2);
    loop.dispatch([&] { v.Image2.userClick(); });
    EXPECT_EQ(fake.links, (std::vector<std::string>{adressen::kHomepage, adressen::kSeite1,
                                                    adressen::kSeite2, adressen::kClanSeite}));
}

// With the mod list panel open, "Datei", "Extra" and "Gamespy" are out of use
// and so is the main area with the picture link; "Info" keeps working.
TEST_F(VantorMenuesTest, WhatWorksWhileAnOverlayPanelIsOpen) {
    testing_support::writeBytes(prog("serverbefehle.txt"), "Hilfe");
    Vantor& v = lade();
    klick(v.M1mlb);
    ASSERT_TRUE(v.Modfenster.Visible());
    klick(v.Ka);
    klick(v.m41);
    loop.dispatch([&] { v.Image2.userClick(); });
    EXPECT_EQ(program->find<Kommunicator>(), nullptr);
    EXPECT_TRUE(fake.links.empty());

    klick(v.Im3b);
    EXPECT_TRUE(v.spy.Visible());
    klick(v.l11);
    klick(v.zum2c);
    klick(v.Im2b);
    EXPECT_EQ(fake.links, std::vector<std::string>{adressen::kHomepage});
    EXPECT_NE(program->find<Hilfefenster>(), nullptr);
    EXPECT_NE(program->find<InfoBox>(), nullptr);
    // The panel's OK hides it and touches nothing else.
    loop.dispatch([&] { v.Spyok.userClick(); });
    EXPECT_FALSE(v.spy.Visible());
    EXPECT_TRUE(v.Modfenster.Visible());
    EXPECT_FALSE(v.Hauptprog.Enabled());
}

TEST_F(VantorMenuesTest, GamespyTwiceCreatesTheFileAndDeletesItAgain) {
    Vantor& v = lade();
    EXPECT_FALSE(v.spypic.Visible());
    gamespy(v, platform::vbOK, "Zur Zeit ist keine Gamespy.cfg angelegt !");
    EXPECT_EQ(testing_support::readBytes(game("Gamespy.cfg")),
              std::string("0\r\n") + adressen::kMasterserver + ":27900\r\n");
    EXPECT_TRUE(v.spypic.Visible());
    ASSERT_EQ(fake.msgBoxes.size(), 2u);
    EXPECT_EQ(fake.msgBoxes[0].flags, 33);
    EXPECT_EQ(fake.msgBoxes[0].title, "Talvir");
    EXPECT_EQ(fake.msgBoxes[1].text, "Gamespy.cfg wurde angelegt !");
    EXPECT_EQ(fake.msgBoxes[1].flags, 64);

    gamespy(v, platform::vbOK, "Eine Gamespy.cfg ist bereitz vorhanden !");
    EXPECT_FALSE(testing_support::fileExists(game("Gamespy.cfg")));
    EXPECT_FALSE(v.spypic.Visible());
    ASSERT_EQ(fake.msgBoxes.size(), 4u);
    EXPECT_EQ(fake.msgBoxes[2].flags, 33);
    EXPECT_EQ(fake.msgBoxes[3].text, "Gamespy.cfg wurde gelöscht !");
    EXPECT_EQ(v.Antwort, "1");
}

// Cancel at either question leaves the file and the picture as they were.
class GamespyAbbruch : public VantorMenuesTest, public ::testing::WithParamInterface<bool> {};

TEST_P(GamespyAbbruch, LeavesFileAndPicture) {
    const bool vorhanden = GetParam();
    if (vorhanden) testing_support::writeBytes(game("Gamespy.cfg"), "0\r\neigen:1\r\n");
    Vantor& v = lade();
    gamespy(v, platform::vbCancel, vorhanden ? "bereitz vorhanden" : "keine Gamespy.cfg");
    EXPECT_EQ(testing_support::fileExists(game("Gamespy.cfg")), vorhanden);
    if (vorhanden) {
        EXPECT_EQ(testing_support::readBytes(game("Gamespy.cfg")), "0\r\neigen:1\r\n");
    }
    EXPECT_EQ(v.spypic.Visible(), vorhanden);
    EXPECT_EQ(v.Antwort, "2");
}

INSTANTIATE_TEST_SUITE_P(Faelle, GamespyAbbruch, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Vorhanden" : "Fehlt"; });

TEST_F(VantorMenuesTest, GamespyThatCannotBeCreatedIsReportedAndThePictureFollowsTheFile) {
    // A folder of that name with something in it: no file can take its place.
    testing_support::makeDirs(game("Gamespy.cfg/x"));
    Vantor& v = lade();
    fake.answerMsgBox(platform::vbOK, "keine Gamespy.cfg");
    fake.answerMsgBox(platform::vbOK, game("Gamespy.cfg"));
    klick(v.m41);
    ASSERT_EQ(fake.msgBoxes.size(), 2u);
    EXPECT_EQ(fake.msgBoxes[1].flags, platform::vbCritical);
    EXPECT_EQ(fake.msgBoxes[1].title, "Talvir");
    EXPECT_NE(fake.msgBoxes[1].text.find("geschrieben"), std::string::npos);
    EXPECT_FALSE(v.spypic.Visible());
    EXPECT_TRUE(fs::is_directory(game("Gamespy.cfg")));
}

// Without a usable game folder the file would go to the file-system root.
class GamespyOhneSpielordner : public VantorMenuesTest,
                               public ::testing::WithParamInterface<const char*> {};

TEST_P(GamespyOhneSpielordner, BeepsAndWritesNothing) {
    Vantor& v = lade();
    v.Despfad.Text = GetParam();
    klick(v.m41);
    EXPECT_EQ(fake.beeps, 1);
    EXPECT_TRUE(fake.msgBoxes.empty());
    EXPECT_FALSE(fs::exists("/Gamespy.cfg"));
}

INSTANTIATE_TEST_SUITE_P(Faelle, GamespyOhneSpielordner,
                         ::testing::Values("", "/gibt/es/nicht"),
                         [](const auto& info) { return info.index == 0 ? "Leer" : "Fehlt"; });

TEST_F(VantorMenuesTest, StatistikStartsStatExeAndNamesTheCommandWhenItCannot) {
    Vantor& v = lade();
    EXPECT_FALSE(v.Statik.Visible());
    loop.dispatch([&] { v.Statik_Click(); });
    ASSERT_EQ(fake.processes.size(), 1u);
    EXPECT_EQ(fake.processes[0].commandLine, prog("STAT.EXE"));
    EXPECT_EQ(fake.processes[0].windowStyle, platform::vbNormalFocus);
    EXPECT_TRUE(fake.msgBoxes.empty());

    fake.shellSucceeds = false;
    fake.answerMsgBox(platform::vbOK, prog("STAT.EXE"));
    loop.dispatch([&] { v.Statik_Click(); });
    ASSERT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_EQ(fake.msgBoxes[0].flags, platform::vbCritical);
}

TEST_F(VantorMenuesTest, ExitUnloadsTheHelpAndAboutWindows) {
    testing_support::writeBytes(prog("serverbefehle.txt"), "Hilfe");
    Vantor& v = lade();
    klick(v.zum2c);
    klick(v.Im2b);
    ASSERT_NE(program->find<Hilfefenster>(), nullptr);
    ASSERT_NE(program->find<InfoBox>(), nullptr);
    EXPECT_THROW(loop.dispatch([&] { v.endm1d.userClick(); }), ui::ProgramEnded);
    EXPECT_TRUE(fake.ended);
    EXPECT_EQ(program->find<Hilfefenster>(), nullptr);
    EXPECT_EQ(program->find<InfoBox>(), nullptr);
}

TEST_F(VantorMenuesTest, GamespyFindsTheFileInAnyCase) {
    testing_support::writeBytes(game("gamespy.cfg"), "0\r\nalt:27900\r\n");
    Vantor& v = lade();
    EXPECT_TRUE(v.spypic.Visible());
    gamespy(v, platform::vbOK, "bereitz vorhanden");
    EXPECT_FALSE(fs::exists(game("gamespy.cfg")));
    EXPECT_FALSE(fs::exists(game("Gamespy.cfg")));
    EXPECT_FALSE(v.spypic.Visible());
}

// ------------------------------------------------------------------ editor hand-off

class EditorUebergabe : public VantorMenuesTest {
protected:
    void waehle(Vantor& v, std::optional<std::string> pfad) {
        fake.answerOpen(std::move(pfad));
        klick(v.m3Keb);
    }
};

TEST_F(EditorUebergabe, NamesTheChosenFileInEditIniAndOpensTheEditor) {
    const std::string datei = game("Liga, Abend.CFG");
    testing_support::writeBytes(datei, "[server config file]\r\nPPS=8\r\n");
    Vantor& v = lade();
    waehle(v, datei);
    ASSERT_EQ(fake.openRequests.size(), 1u);
    EXPECT_EQ(fake.openRequests[0].Filter, "Alle Dateien (*.CFG)|*.CFG|");
    EXPECT_EQ(fake.openRequests[0].Flags, platform::cdlOFNHideReadOnly);
    // Quoted, so the comma does not cut the path.
    EXPECT_EQ(bytes("Edit.ini"), crlf({"\"" + datei + "\""}));
    FormEditor* e = program->find<FormEditor>();
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(e->Visible());
    EXPECT_EQ(e->Datei, datei);
    EXPECT_EQ(e->TextfeldEditor.Text(), "[server config file]\r\nPPS=8\r\n");
}

TEST_F(EditorUebergabe, WhileTheEditorIsOpenOnlyEditIniChanges) {
    testing_support::writeBytes(game("a.CFG"), "A");
    testing_support::writeBytes(game("b.CFG"), "B");
    Vantor& v = lade();
    waehle(v, game("a.CFG"));
    waehle(v, game("b.CFG"));
    EXPECT_EQ(bytes("Edit.ini"), crlf({game("b.CFG")}));
    EXPECT_EQ(program->find<FormEditor>()->TextfeldEditor.Text(), "A");
}

// Cancel, and a path under three characters, leave Edit.ini as it was and
// open nothing; the short path beeps.
class EditorOhneDatei : public EditorUebergabe,
                        public ::testing::WithParamInterface<std::optional<std::string>> {};

TEST_P(EditorOhneDatei, LeavesEditIniAndOpensNothing) {
    schreibe("Edit.ini", {"/alt.CFG"});
    Vantor& v = lade();
    waehle(v, GetParam());
    EXPECT_EQ(bytes("Edit.ini"), crlf({"/alt.CFG"}));
    EXPECT_EQ(program->find<FormEditor>(), nullptr);
    EXPECT_EQ(fake.beeps, GetParam() ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Faelle, EditorOhneDatei,
                         ::testing::Values(std::nullopt, std::optional<std::string>("/a")),
                         [](const auto& info) { return info.param ? "Kurz" : "Abbruch"; });

TEST_F(EditorUebergabe, EditIniThatCannotBeWrittenIsReportedAndTheEditorStaysClosed) {
    testing_support::writeBytes(game("a.CFG"), "A");
    testing_support::makeDirs(prog("Edit.ini/x"));
    Vantor& v = lade();
    fake.answerOpen(game("a.CFG"));
    fake.answerMsgBox(platform::vbOK, prog("Edit.ini"));
    klick(v.m3Keb);
    EXPECT_EQ(fake.msgBoxes.at(0).flags, platform::vbCritical);
    EXPECT_EQ(program->find<FormEditor>(), nullptr);
}
