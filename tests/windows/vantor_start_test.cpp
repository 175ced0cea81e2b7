// The main window's start-up: splash, first run, the game-folder panel and
// the load of a working program folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "console/Kommunicator.h"
#include "launcher/erster.h"
#include "vantor_fixture.h"

namespace fs = std::filesystem;
using testing_support::crlf;

namespace {

const VantorTest::Zeilen kLetztesErstlauf = {"0", "1", "8",       "0",  "0",       "8",
                                             "1", "50", "ProFight2.mn3", "Anarchy",
                                             "D3 Vantor Spiel", "Hallo"};

const VantorTest::Zeilen kSTSErstlauf = {
    "-----", "", "", "-----", "", "", "-----", "", "", "-----", "", "", "-----", "", "",
    "-----", "", "", "",      "", "", "",      "", "", "",      "", "", "",      ""};

const VantorTest::Zeilen kModErstlauf = {"Anarchy", "Hyper-Anarchy", "Team Anarchy",
                                         "Robo-Anarchy", "Co-op", "Hoard", "CTF", "MonsterBall",
                                         "Entropy"};

}  // namespace

TEST_F(VantorTest, SplashShowsVersionThenMainWindowAt2500AndClosesAt3000) {
    ersterStart(gameFolder);
    erster& splash = program->load<erster>();
    Vantor* v = program->find<Vantor>();
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(splash.lblVersion.Caption(), "Version 1.0.1");
    EXPECT_TRUE(splash.Visible());
    EXPECT_FALSE(v->Visible());

    loop.advance(2499);
    EXPECT_FALSE(v->Visible());
    loop.advance(1);
    EXPECT_TRUE(v->Visible());
    EXPECT_FALSE(loop.isRunning(v->Start));
    EXPECT_NE(program->find<erster>(), nullptr);

    loop.advance(499);
    EXPECT_NE(program->find<erster>(), nullptr);
    loop.advance(1);
    EXPECT_EQ(program->find<erster>(), nullptr);
    EXPECT_TRUE(v->Visible());
}

TEST_F(VantorTest, FreshProgramFolderTakesTheFirstRunBranch) {
    Vantor& v = lade();
    EXPECT_EQ(fake.beeps, 1);
    EXPECT_TRUE(v.Pfadeinstellung.Visible());
    EXPECT_FALSE(v.Hauptprog.Enabled());
    EXPECT_TRUE(v.M1.Enabled());
    EXPECT_TRUE(v.M3.Enabled());
    EXPECT_TRUE(v.m4.Enabled());
    EXPECT_FALSE(loop.isRunning(v.Timer1));
    EXPECT_FALSE(loop.isRunning(v.Timer2));
    EXPECT_TRUE(loop.isRunning(v.Timer3));
    EXPECT_EQ(bytes("Letztes.ini"), crlf(kLetztesErstlauf));
    EXPECT_EQ(v.Spieletyp.ListCount(), 0);
    EXPECT_EQ(v.Modliste.ListCount(), 0);
    EXPECT_FALSE(testing_support::fileExists(prog("Servertool.ini")));
}

TEST_F(VantorTest, SavingAUsableFolderWritesTheFourFilesAndReachesTheWorkingState) {
    Vantor& v = lade();
    v.Despfad.Text = gameFolder;
    v.Pfadspeichern_Click();

    EXPECT_EQ(bytes("STPfad.ini"), crlf({gameFolder, "0", "0"}));
    EXPECT_EQ(bytes("Servertool.ini"), crlf(erstlaufZeilen()));
    EXPECT_EQ(bytes("STS.ini"), crlf(kSTSErstlauf));
    EXPECT_EQ(bytes("Mod.ini"), crlf(kModErstlauf));

    EXPECT_EQ(fake.beeps, 1);
    EXPECT_FALSE(v.Pfadeinstellung.Visible());
    EXPECT_TRUE(v.Hauptprog.Enabled());
    EXPECT_TRUE(loop.isRunning(v.Timer1));
    EXPECT_TRUE(loop.isRunning(v.Timer2));
    EXPECT_EQ(fs::current_path(), fs::path(gameFolder));
    EXPECT_EQ(v.Cachtest.Path(), gameFolder + "/custom/cache");
    EXPECT_EQ(v.Levelboser.Path(), gameFolder + "/Missions");
    EXPECT_EQ(v.Spieletyp.items(), kModErstlauf);
    EXPECT_EQ(v.Modliste.items(), kModErstlauf);
    EXPECT_EQ(v.Spieletyp.ListIndex(), 0);
    EXPECT_EQ(v.Server1.Caption(), "-----");
    EXPECT_EQ(v.Server6.Caption(), einstellungen::kLevelPack);
    EXPECT_EQ(v.Gruppe.ListCount(), 0);
    EXPECT_EQ(v.port.Text(), "2092");
    EXPECT_EQ(v.port2.Text(), "");
    EXPECT_EQ(v.HostingLobby.Text(), "global");
    EXPECT_EQ(v.Schwierikkeit.ListIndex(), 0);
    EXPECT_FALSE(v.PXO.Enabled());
    EXPECT_FALSE(v.Cache2.Enabled());
    EXPECT_FALSE(v.spypic.Visible());
}

class FolderWithout : public VantorTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(FolderWithout, BringsThePanelBackAfterWritingTheFiles) {
    fs::remove_all(game(GetParam()));
    Vantor& v = lade();
    v.Despfad.Text = gameFolder;
    v.Pfadspeichern_Click();
    EXPECT_EQ(fake.beeps, 2);
    EXPECT_TRUE(v.Pfadeinstellung.Visible());
    EXPECT_FALSE(v.Hauptprog.Enabled());
    EXPECT_FALSE(loop.isRunning(v.Timer2));
    EXPECT_EQ(bytes("STPfad.ini"), crlf({gameFolder, "0", "0"}));
    EXPECT_EQ(bytes("Mod.ini"), crlf(kModErstlauf));
    EXPECT_EQ(v.Spieletyp.ListCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Subfolder, FolderWithout, ::testing::Values("custom", "Missions"));

TEST_F(VantorTest, StoredFolderThatIsGoneOpensThePanelWithItShown) {
    ersterStart(gameFolder + "-weg");
    Vantor& v = lade();
    EXPECT_TRUE(v.Pfadeinstellung.Visible());
    EXPECT_EQ(v.Despfad.Text(), gameFolder + "-weg");
}

TEST_F(VantorTest, ShortSTPfadIsAFirstRun) {
    schreibe("STPfad.ini", {gameFolder, "0"});
    Vantor& v = lade();
    EXPECT_TRUE(v.Pfadeinstellung.Visible());
    EXPECT_EQ(fake.beeps, 1);
}

TEST_F(VantorTest, SavingKeepsCompleteSettingsAndReplacesShortOnes) {
    ersterStart(gameFolder + "-alt");
    servertool({{3, "2500"}});
    schreibe("STS.ini", {"Mein Server"});
    schreibe("Mod.ini", {"Anarchy", "Mein Mod"});
    Vantor& v = lade();
    ASSERT_TRUE(v.Pfadeinstellung.Visible());
    v.Despfad.Text = gameFolder;
    v.Pfadspeichern_Click();
    EXPECT_FALSE(v.Pfadeinstellung.Visible());
    EXPECT_EQ(v.port.Text(), "2500");
    EXPECT_EQ(bytes("STS.ini"), crlf(kSTSErstlauf));
    EXPECT_EQ(bytes("Mod.ini"), crlf({"Anarchy", "Mein Mod"}));
    EXPECT_EQ(v.Spieletyp.items(), (VantorTest::Zeilen{"Anarchy", "Mein Mod"}));
}

TEST_F(VantorTest, EmptyFolderOnSaveOnlyBeeps) {
    Vantor& v = lade();
    v.Pfadspeichern_Click();
    EXPECT_EQ(fake.beeps, 2);
    EXPECT_TRUE(v.Pfadeinstellung.Visible());
    EXPECT_FALSE(testing_support::fileExists(prog("STPfad.ini")));
}

TEST_F(VantorTest, SettingsFileThatCannotBeWrittenIsNamedAndStopsTheSave) {
    fs::create_directory(prog("STPfad.ini"));  // no file can replace a folder
    Vantor& v = lade();
    v.Despfad.Text = gameFolder;
    fake.answerMsgBox(platform::vbOK, prog("STPfad.ini"));
    v.Pfadspeichern_Click();
    ASSERT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_EQ(fake.msgBoxes[0].title, "Talvir");
    EXPECT_EQ(fake.msgBoxes[0].flags, platform::vbCritical);
    EXPECT_NE(fake.msgBoxes[0].text.find("directory"), std::string::npos);
    EXPECT_TRUE(v.Pfadeinstellung.Visible());
    EXPECT_FALSE(testing_support::fileExists(prog("Servertool.ini")));
}

TEST_F(VantorTest, LetztesThatCannotBeWrittenOnFirstRunGivesTheMessage) {
    fs::create_directory(prog("Letztes.ini"));
    fake.answerMsgBox(platform::vbOK, "Letztes.ini");
    Vantor& v = lade();
    ASSERT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_EQ(fake.msgBoxes[0].flags, platform::vbCritical);
    EXPECT_EQ(fake.msgBoxes[0].title, "Talvir");
    EXPECT_TRUE(v.Pfadeinstellung.Visible());
}

TEST_F(VantorTest, CancelAndDoubleClickOnXEndTheProgramSingleClickDoesNot) {
    Vantor& v = lade();
    v.Label22.userClick();
    EXPECT_FALSE(fake.ended);
    EXPECT_THROW(v.Label22.userDblClick(), ui::ProgramEnded);
    EXPECT_TRUE(fake.ended);
    fake.ended = false;
    EXPECT_THROW(v.Pfadabbrechen.userClick(), ui::ProgramEnded);
    EXPECT_TRUE(fake.ended);
}

// ---------------------------------------------------------------- picker

struct Wahl {
    const char* name;
    std::optional<std::string> gewaehlt;  // relative to the game folder's parent; "" root
    std::optional<std::string> despfad;   // expected; nullopt: unchanged
    bool meldung;
};

class Picker : public VantorTest, public ::testing::WithParamInterface<Wahl> {};

TEST_P(Picker, FillsTheFolderOnlyForTheGamesExecutable) {
    const Wahl& w = GetParam();
    Vantor& v = lade();
    v.Despfad.Text = "vorher";
    std::optional<std::string> pfad = w.gewaehlt;
    if (pfad && pfad->rfind("GAME", 0) == 0) pfad = gameFolder + pfad->substr(4);
    fake.answerOpen(pfad);
    if (w.meldung) fake.answerMsgBox(platform::vbOK, "Dies ist nicht Main.exe! Bitte wähle neu !");
    v.Broserstart_Click();

    ASSERT_EQ(fake.openRequests.size(), 1u);
    EXPECT_EQ(fake.openRequests[0].Flags, 4);
    EXPECT_EQ(fake.openRequests[0].FilterIndex, 1);
    EXPECT_EQ(fake.openRequests[0].DialogTitle, "");
    std::string erwartet = w.despfad.value_or("vorher");
    if (erwartet.rfind("GAME", 0) == 0) erwartet = gameFolder + erwartet.substr(4);
    EXPECT_EQ(v.Despfad.Text(), erwartet);
    if (w.meldung) {
        EXPECT_EQ(fake.msgBoxes.at(0).flags, platform::vbCritical);
        EXPECT_EQ(fake.msgBoxes.at(0).title, "");
    }
    EXPECT_TRUE(v.CommonDialog1.CancelError());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Picker,
    ::testing::Values(Wahl{"Native", "GAME/Descent3", "GAME", false},
                      Wahl{"NativeLowerCase", "GAME/descent3", "GAME", false},
                      Wahl{"WindowsBuild", "GAME/main.exe", "GAME", false},
                      Wahl{"WindowsBuildInCapitals", "GAME/MAIN.EXE", "GAME", false},
                      Wahl{"InTheRoot", "/Descent3", "", false},
                      Wahl{"WindowsNameWithoutExtension", "GAME/main", std::nullopt, true},
                      Wahl{"NameEndingInDescent3", "GAME/xDescent3", std::nullopt, true},
                      Wahl{"OtherFile", "GAME/Descent3.cfg", std::nullopt, true},
                      Wahl{"BareName", "Descent3", std::nullopt, false},
                      Wahl{"TooShort", "ain", std::nullopt, false},
                      Wahl{"Cancelled", std::nullopt, std::nullopt, false}),
    [](const ::testing::TestParamInfo<Wahl>& i) { return std::string(i.param.name); });

TEST_F(VantorTest, ExtraMenuOpensTheCommunicatorOnce) {
    ersterStart(gameFolder);
    Vantor& v = lade();
    v.Ka.userClick();
    Kommunicator* k = program->find<Kommunicator>();
    ASSERT_NE(k, nullptr);
    v.Ka.userClick();
    EXPECT_EQ(program->find<Kommunicator>(), k);
    EXPECT_EQ(v.Fensterwert, 0);
}
