// The mod list panel with Mod.ini, and taking a level from the level list.
#include <gtest/gtest.h>

#include <filesystem>

#include "vantor_fixture.h"

namespace fs = std::filesystem;
using testing_support::crlf;

class VantorModlisteTest : public VantorTest {
protected:
    void SetUp() override {
        ersterStart(gameFolder);
        schreibe("Mod.ini", {"Anarchy", "CTF", "Hoard"});
    }
    Vantor& oeffne() {
        Vantor& v = lade();
        klick([&] { v.M1mlb.userClick(); });
        return v;
    }
    void klick(const std::function<void()>& aktion) { loop.dispatch(aktion); }
    static std::vector<std::string> eintraege(const ui::ListControl& l) { return l.items(); }
    bool offen(Vantor& v) {
        return v.Modfenster.Visible() && !v.Hauptprog.Enabled() && !v.M1.Enabled() &&
               !v.M3.Enabled() && !v.m4.Enabled() && v.Infom2.Enabled();
    }
    bool zu(Vantor& v) {
        return !v.Modfenster.Visible() && v.Hauptprog.Enabled() && v.M1.Enabled() &&
               v.M3.Enabled() && v.m4.Enabled();
    }
    const std::vector<std::string> gespeichert{"Anarchy", "CTF", "Hoard"};
};

TEST_F(VantorModlisteTest, OpeningPlacesThePanelAndTakesMenusAndMainArea) {
    Vantor& v = oeffne();
    EXPECT_TRUE(offen(v));
    EXPECT_EQ(v.Modfenster.Left(), 60);
    EXPECT_EQ(v.Modfenster.Top(), 120);
    EXPECT_EQ(eintraege(v.Modliste), gespeichert);
}

TEST_F(VantorModlisteTest, WhileTheGameFolderIsAskedForThePanelStaysClosed) {
    fs::remove(prog("STPfad.ini"));
    Vantor& v = lade();
    ASSERT_TRUE(v.Pfadeinstellung.Visible());
    klick([&] { v.M1mlb.userClick(); });
    EXPECT_FALSE(v.Modfenster.Visible());
    EXPECT_EQ(fake.beeps, 2);  // the first-run branch's and this one
    EXPECT_EQ(bytes("Mod.ini"), crlf(gespeichert));
}

// Cancel beeps; a duplicate and a text with a comma are appended as they
// are, and "Beenden" stores the comma quoted so it comes back as one entry.
TEST_F(VantorModlisteTest, HinzufuegenCancelDuplicateAndCommaThroughModIni) {
    Vantor& v = oeffne();
    fake.answerInputBox("", "Gebe neuen Mod ein ! zb.: 'Anarchy'");
    klick([&] { v.Moddazu.userClick(); });
    EXPECT_EQ(fake.beeps, 1);
    EXPECT_EQ(fake.inputBoxes.at(0).title, "Talvir");
    EXPECT_EQ(eintraege(v.Modliste), gespeichert);

    fake.answerInputBox("CTF");
    klick([&] { v.Moddazu.userClick(); });
    fake.answerInputBox("Team, rot");
    klick([&] { v.Moddazu.userClick(); });
    const std::vector<std::string> neu{"Anarchy", "CTF", "Hoard", "CTF", "Team, rot"};
    EXPECT_EQ(eintraege(v.Modliste), neu);
    EXPECT_EQ(eintraege(v.Spieletyp), gespeichert);  // until "Beenden"

    klick([&] { v.Modabbrechen.userClick(); });
    EXPECT_TRUE(zu(v));
    EXPECT_EQ(bytes("Mod.ini"), crlf({"Anarchy", "CTF", "Hoard", "CTF", "\"Team, rot\""}));
    EXPECT_EQ(eintraege(v.Spieletyp), neu);
    EXPECT_EQ(v.Spieletyp.Text(), "Anarchy");

    fake.answerMsgBox(platform::vbOK, "Auf Standart zurück gesetzt !");
    klick([&] { v.M1mlb.userClick(); });
    klick([&] { v.Standartzuruck.userClick(); });
    EXPECT_EQ(eintraege(v.Modliste), neu);
}

TEST_F(VantorModlisteTest, LoeschenRemovesTheSelectionOnlyFromThePanelAndBeepsWithoutOne) {
    Vantor& v = oeffne();
    klick([&] { v.Modloschen.userClick(); });
    EXPECT_EQ(fake.beeps, 1);
    EXPECT_EQ(eintraege(v.Modliste), gespeichert);
    v.Modliste.userSelect(1);
    klick([&] { v.Modloschen.userClick(); });
    EXPECT_EQ(eintraege(v.Modliste), (std::vector<std::string>{"Anarchy", "Hoard"}));
    EXPECT_EQ(eintraege(v.Spieletyp), gespeichert);
}

TEST_F(VantorModlisteTest, AufStandartZurueckAfterEditsShowsTheStoredListOnce) {
    Vantor& v = oeffne();
    v.Spieletyp.Text = "CTF";
    fake.answerInputBox("Neu");
    klick([&] { v.Moddazu.userClick(); });
    v.Modliste.userSelect(0);
    klick([&] { v.Modloschen.userClick(); });
    fake.answerMsgBox(platform::vbOK, "Auf Standart zurück gesetzt !");
    klick([&] { v.Standartzuruck.userClick(); });
    EXPECT_EQ(fake.msgBoxes.at(0).flags, 64);
    EXPECT_EQ(eintraege(v.Modliste), gespeichert);
    EXPECT_EQ(eintraege(v.Spieletyp), gespeichert);
    EXPECT_EQ(v.Spieletyp.Text(), "CTF");
    EXPECT_TRUE(offen(v));
}

TEST_F(VantorModlisteTest, AufStandartZurueckWithoutModIniGivesTheFirstRunList) {
    Vantor& v = oeffne();
    fs::remove(prog("Mod.ini"));
    fake.answerMsgBox(platform::vbOK, "Auf Standart zurück gesetzt !");
    klick([&] { v.Standartzuruck.userClick(); });
    EXPECT_EQ(eintraege(v.Modliste), einstellungen::standardMods());
    EXPECT_EQ(eintraege(v.Spieletyp), einstellungen::standardMods());
}

TEST_F(VantorModlisteTest, AufStandartZurueckWithUnreadableModIniKeepsBothLists) {
    Vantor& v = oeffne();
    fake.answerInputBox("Neu");
    klick([&] { v.Moddazu.userClick(); });
    fs::remove(prog("Mod.ini"));
    testing_support::makeDirs(prog("Mod.ini"));
    fake.answerMsgBox(platform::vbOK, prog("Mod.ini"));
    klick([&] { v.Standartzuruck.userClick(); });
    EXPECT_EQ(fake.msgBoxes.at(0).flags, platform::vbCritical);
    EXPECT_EQ(fake.msgBoxes.at(0).title, "Talvir");
    EXPECT_EQ(eintraege(v.Modliste), (std::vector<std::string>{"Anarchy", "CTF", "Hoard", "Neu"}));
    EXPECT_EQ(eintraege(v.Spieletyp), gespeichert);
}

TEST_F(VantorModlisteTest, BeendenWithAnEmptyList) {
    Vantor& v = oeffne();
    for (int i = 0; i < 3; ++i) {
        v.Modliste.userSelect(0);
        klick([&] { v.Modloschen.userClick(); });
    }
    klick([&] { v.Modabbrechen.userClick(); });
    EXPECT_EQ(bytes("Mod.ini"), "");
    EXPECT_TRUE(fs::exists(prog("Mod.ini")));
    EXPECT_EQ(v.Spieletyp.ListCount(), 0);
    EXPECT_EQ(v.Spieletyp.Text(), "Anarchy");
    EXPECT_TRUE(zu(v));
}

TEST_F(VantorModlisteTest, BeendenWithModIniThatCannotBeWrittenKeepsThePanelOpen) {
    Vantor& v = oeffne();
    fake.answerInputBox("Neu");
    klick([&] { v.Moddazu.userClick(); });
    fs::remove(prog("Mod.ini"));
    testing_support::makeDirs(prog("Mod.ini/x"));
    fake.answerMsgBox(platform::vbOK, prog("Mod.ini"));
    klick([&] { v.Modabbrechen.userClick(); });
    EXPECT_EQ(fake.msgBoxes.at(0).flags, platform::vbCritical);
    EXPECT_TRUE(offen(v));
    EXPECT_EQ(eintraege(v.Spieletyp), gespeichert);
}

TEST_F(VantorModlisteTest, XThenReopeningShowsTheEditsAndLeavesSpieletyp) {
    Vantor& v = oeffne();
    fake.answerInputBox("Neu");
    klick([&] { v.Moddazu.userClick(); });
    klick([&] { v.Xmod.userClick(); });
    EXPECT_TRUE(zu(v));
    EXPECT_EQ(eintraege(v.Spieletyp), gespeichert);
    EXPECT_EQ(bytes("Mod.ini"), crlf(gespeichert));
    klick([&] { v.M1mlb.userClick(); });
    EXPECT_EQ(eintraege(v.Modliste), (std::vector<std::string>{"Anarchy", "CTF", "Hoard", "Neu"}));
}

// ------------------------------------------------------------------ level list

class VantorLevelTest : public VantorModlisteTest {
protected:
    void SetUp() override {
        VantorModlisteTest::SetUp();
        testing_support::writeBytes(game("Missions/Arena.mn3"), "");
        testing_support::writeBytes(game("Missions/Zentrum.mn3"), "");
    }
};

TEST_F(VantorLevelTest, DoubleClickAndUebernehmenTakeTheBareFileName) {
    Vantor& v = lade();
    ASSERT_EQ(v.Levelboser.ListCount(), 2);
    klick([&] { v.Levelboser.userDblClick(1); });
    EXPECT_EQ(v.Levelname.Text(), "Zentrum.mn3");
    v.Levelboser.userSelect(0);
    klick([&] { v.Leveluber.userClick(); });
    EXPECT_EQ(v.Levelname.Text(), "Arena.mn3");
    EXPECT_EQ(fake.beeps, 0);
}

TEST_F(VantorLevelTest, WithoutSelectionUebernehmenBeepsAndADoubleClickChangesNothing) {
    Vantor& v = lade();
    klick([&] { v.Leveluber.userClick(); });
    EXPECT_EQ(fake.beeps, 1);
    EXPECT_EQ(v.Levelname.Text(), "ProFight2.mn3");
    klick([&] { v.Levelboser_DblClick(); });
    EXPECT_EQ(v.Levelname.Text(), "ProFight2.mn3");
}
