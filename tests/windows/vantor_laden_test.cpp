// The load of a working program folder: Letztes.ini, Servertool.ini,
// STS.ini and Mod.ini into the controls.
#include <gtest/gtest.h>

#include <filesystem>

#include "vantor_fixture.h"

namespace fs = std::filesystem;

class VantorLadenTest : public VantorTest {
protected:
    void SetUp() override { ersterStart(gameFolder); }
};

struct Optionen {
    const char* pxo;
    const char* lan;
    bool pxoGewaehlt;
    bool lanGewaehlt;
};

class OptionFlags : public VantorLadenTest, public ::testing::WithParamInterface<Optionen> {};

TEST_P(OptionFlags, SelectTheOptionsInFileOrder) {
    schreibe("Letztes.ini", {GetParam().pxo, GetParam().lan});
    Vantor& v = lade();
    EXPECT_EQ(v.PXO.Value(), GetParam().pxoGewaehlt);
    EXPECT_EQ(v.Lan.Value(), GetParam().lanGewaehlt);
}

INSTANTIATE_TEST_SUITE_P(Cases, OptionFlags,
                         ::testing::Values(Optionen{"0", "0", false, false},
                                           Optionen{"1", "1", false, true},
                                           Optionen{"1", "0", true, false},
                                           Optionen{"", "0", true, false},
                                           Optionen{"0", "1", false, true}));

TEST_F(VantorLadenTest, LetztesWithFiveItemsKeepsTheDefaultsForTheRest) {
    schreibe("Letztes.ini", {"0", "1", "12", "5", "30"});
    Vantor& v = lade();
    EXPECT_TRUE(v.Lan.Value());
    EXPECT_EQ(v.Spieler.Text(), "12");
    EXPECT_EQ(v.Limit.Text(), "5");
    EXPECT_EQ(v.Zeitlimit.Text(), "30");
    EXPECT_EQ(v.Packete.Text(), "8");
    EXPECT_EQ(v.Levelstart.Text(), "1");
    EXPECT_EQ(v.Wiederholrate.Text(), "50");
    EXPECT_EQ(v.Levelname.Text(), "ProFight2.mn3");
    EXPECT_EQ(v.Begrüssungstext.Text(), "Hallo");
    EXPECT_FALSE(v.Pfadeinstellung.Visible());
}

TEST_F(VantorLadenTest, WelcomeTextWithACommaSurvivesSaveAndLoad) {
    {
        Vantor& v = lade();
        v.Begrüssungstext.Text = "Hallo, Leute";
        v.Spielname.Text = " Rund um, die Uhr";
        ASSERT_TRUE(v.LetztesSpeichern());
    }
    program = std::make_unique<ui::Program>(fake.services(), loop, programDir.path());
    Vantor& v = lade();
    EXPECT_EQ(v.Begrüssungstext.Text(), "Hallo, Leute");
    EXPECT_EQ(v.Spielname.Text(), " Rund um, die Uhr");
}

TEST_F(VantorLadenTest, OldUnquotedFileStillSplitsAtTheComma) {
    schreibe("Letztes.ini", {"0", "1", "8", "0", "0", "8", "1", "50", "ProFight2.mn3", "CTF",
                             "Spiel, Nacht", "Hallo"});
    Vantor& v = lade();
    EXPECT_EQ(v.Spielname.Text(), "Spiel");
    EXPECT_EQ(v.Begrüssungstext.Text(), "Nacht");
    EXPECT_EQ(v.Spieletyp.ListIndex(), 6);
}

TEST_F(VantorLadenTest, AutoEndTickedLocksTheCommunicatorOption) {
    servertool({{13, " 1 "}, {19, " 1 "}});
    Vantor& v = lade();
    EXPECT_EQ(v.VSAutoend.Value(), 1);
    EXPECT_EQ(v.Hilfezeigen.Value(), 0);
    EXPECT_FALSE(v.Hilfezeigen.Enabled());
}

TEST_F(VantorLadenTest, PresetsComeBackAsStored) {
    Zeilen z = erstlaufZeilen();
    z[0] = "login";
    z[1] = "geheim";
    z[5] = " 2 ";      // Kollisionserkennung grayed
    z[10] = "-1 ";     // no difficulty
    z[13] = "rcon";
    z[15] = "2093";
    z[16] = " 1 ";     // Fernwalt
    z[17] = "5";
    z[32] = "1";       // Phoenix
    z[33] = " 1 ";     // not exactly "1": stays allowed
    z[35 + 13] = "1";  // line 36 + 13: Fragmentgeschoß
    schreibe("Servertool.ini", z);
    schreibe("Letztes.ini", {"1", "0"});
    Vantor& v = lade();
    EXPECT_EQ(v.Logginname.Text(), "login");
    EXPECT_EQ(v.Kollisionserkennung.Value(), 2);
    EXPECT_EQ(v.Schwierikkeit.ListIndex(), -1);
    EXPECT_EQ(v.Serverpassw.Text(), "rcon");
    EXPECT_TRUE(v.Serverpassw.Enabled());
    EXPECT_EQ(v.Serverpassw.BackColor(), ui::kWindowBackground);
    EXPECT_EQ(v.port2.Text(), "2093");
    EXPECT_EQ(v.Audio.Text(), "5");
    EXPECT_FALSE(v.Schiffe.Selected(0));
    EXPECT_TRUE(v.Schiffe.Selected(1));
    EXPECT_FALSE(v.Schiffe.Selected(2));
    EXPECT_EQ(v.Waffen.SelCount(), 1);
    EXPECT_TRUE(v.Waffen.Selected(13));
    // Login and password given: PXO keeps its enabled design state.
    EXPECT_TRUE(v.PXO.Enabled());
    EXPECT_TRUE(v.PXO.Value());
}

TEST_F(VantorLadenTest, PXOIsDisabledWithoutPasswordEvenWhenSelected) {
    servertool({{1, "login"}});
    schreibe("Letztes.ini", {"1", "0"});
    Vantor& v = lade();
    EXPECT_TRUE(v.PXO.Value());
    EXPECT_FALSE(v.PXO.Enabled());
}

TEST_F(VantorLadenTest, AllFourShipsBannedInTheFileKeepTheFirstAllowed) {
    servertool({{32, "1"}, {33, "1"}, {34, "1"}, {35, "1"}});
    fake.answerMsgBox(platform::vbOK, "Alle Schiffe ausschließen?");
    Vantor& v = lade();
    EXPECT_FALSE(v.Schiffe.Selected(0));
    EXPECT_EQ(v.Schiffe.SelCount(), 3);
    EXPECT_EQ(fake.beeps, 1);
    EXPECT_EQ(fake.msgBoxes.at(0).title, "Talvir");
}

struct Spieltyp {
    const char* name;
    std::vector<std::string> mods;
    std::string gespeichert;
    int index;
};

class GameType : public VantorLadenTest, public ::testing::WithParamInterface<Spieltyp> {};

TEST_P(GameType, TheLastEqualEntryIsSelected) {
    schreibe("Mod.ini", GetParam().mods);
    schreibe("Letztes.ini", {"0", "1", "8", "0", "0", "8", "1", "50", "L.mn3",
                             GetParam().gespeichert});
    Vantor& v = lade();
    EXPECT_EQ(v.Spieletyp.ListIndex(), GetParam().index);
    EXPECT_EQ(v.Spieletyp.Text(), GetParam().gespeichert);
    EXPECT_EQ(v.Modliste.items(), GetParam().mods);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GameType,
    ::testing::Values(Spieltyp{"First", {"Anarchy", "CTF"}, "Anarchy", 0},
                      Spieltyp{"LastOfTwo", {"Anarchy", "CTF", "Anarchy", ""}, "Anarchy", 2},
                      Spieltyp{"Missing", {"Anarchy", "CTF"}, "Hoard", -1},
                      Spieltyp{"OtherCase", {"anarchy"}, "Anarchy", -1},
                      Spieltyp{"EmptyEntry", {"Anarchy", "", "CTF"}, "", 1}),
    [](const ::testing::TestParamInfo<Spieltyp>& i) { return std::string(i.param.name); });

TEST_F(VantorLadenTest, SavedServersAndGroupWithoutGaps) {
    Zeilen sts = {"Eins", "Tipp 1", "/cfg/eins.CFG", "-----", "", "", "-----", "", "",
                  "-----", "", "", "Fünf", "", "/cfg/fuenf.CFG", "Pack", "Pack-Tipp",
                  "/p/a.CFG", "", "/p/b.CFG", "", "", "", "", "", "", "", "/p/c.CFG"};
    schreibe("STS.ini", sts);
    Vantor& v = lade();
    EXPECT_EQ(v.Server1.Caption(), "Eins");
    EXPECT_EQ(v.Server1.ToolTipText(), "Tipp 1");
    EXPECT_EQ(v.ServerConfig1, "/cfg/eins.CFG");
    EXPECT_EQ(v.Server5.Caption(), "Fünf");
    EXPECT_EQ(v.ServerConfig5, "/cfg/fuenf.CFG");
    EXPECT_EQ(v.Server6.Caption(), "Pack");
    EXPECT_EQ(v.Server6.ToolTipText(), "Pack-Tipp");
    EXPECT_EQ(v.Gruppe.items(), (Zeilen{"/p/a.CFG", "/p/b.CFG", "/p/c.CFG"}));
}

struct Temp2 {
    const char* ordner;
    bool beobachtet;
};

class SecondTempFolder : public VantorLadenTest, public ::testing::WithParamInterface<Temp2> {};

TEST_P(SecondTempFolder, IsWatchedFromThreeCharacters) {
    // Relative to the game folder, which the load makes current.
    fs::create_directory(game(GetParam().ordner));
    testing_support::writeBytes(game(std::string(GetParam().ordner) + "/x.tmp"), "x");
    servertool({{15, GetParam().ordner}});
    Vantor& v = lade();
    EXPECT_EQ(v.Cache2.Enabled(), GetParam().beobachtet);
    EXPECT_EQ(v.Cachtest2.Path(), GetParam().beobachtet ? GetParam().ordner : "");
    EXPECT_EQ(v.Cachtest2.ListCount(), GetParam().beobachtet ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, SecondTempFolder,
                         ::testing::Values(Temp2{"ab", false}, Temp2{"abc", true},
                                           Temp2{"äb", false}));

TEST_F(VantorLadenTest, SecondTempFolderThatIsGoneLeavesServer2Unwatched) {
    servertool({{15, "/nirgends/D3Temp"}});
    Vantor& v = lade();
    EXPECT_FALSE(v.Cache2.Enabled());
    EXPECT_EQ(v.Cachtest2.Path(), "");
}

TEST_F(VantorLadenTest, MissingSettingsFilesLoadAsFirstRunValues) {
    fs::remove(prog("Servertool.ini"));
    fs::remove(prog("STS.ini"));
    fs::remove(prog("Mod.ini"));
    Vantor& v = lade();
    EXPECT_FALSE(v.Pfadeinstellung.Visible());
    EXPECT_EQ(v.port.Text(), "2092");
    EXPECT_EQ(v.port2.Text(), "");
    EXPECT_EQ(v.Schwierikkeit.ListIndex(), 0);
    EXPECT_EQ(v.Server6.Caption(), einstellungen::kLevelPack);
    EXPECT_EQ(v.Spieletyp.ListCount(), 9);
    EXPECT_EQ(v.Spieletyp.ListIndex(), 0);
}

TEST_F(VantorLadenTest, ShortServertoolKeepsWhatItHas) {
    schreibe("Servertool.ini", {"login", "pw", "2500"});
    Vantor& v = lade();
    EXPECT_EQ(v.port.Text(), "2500");
    EXPECT_EQ(v.HostingLobby.Text(), "global");
    EXPECT_TRUE(v.PXO.Enabled());
}

struct Gamespy {
    const char* name;
    int art;  // 0 none, 1 file, 2 folder
    bool sichtbar;
};

class GamespyPicture : public VantorLadenTest, public ::testing::WithParamInterface<Gamespy> {};

TEST_P(GamespyPicture, ShowsOnlyForAReadableFile) {
    if (GetParam().art == 1) testing_support::writeBytes(game("Gamespy.cfg"), "0\r\n");
    if (GetParam().art == 2) fs::create_directory(game("Gamespy.cfg"));
    Vantor& v = lade();
    EXPECT_EQ(v.spypic.Visible(), GetParam().sichtbar);
}

INSTANTIATE_TEST_SUITE_P(Cases, GamespyPicture,
                         ::testing::Values(Gamespy{"File", 1, true}, Gamespy{"Missing", 0, false},
                                           Gamespy{"Folder", 2, false}),
                         [](const ::testing::TestParamInfo<Gamespy>& i) {
                             return std::string(i.param.name);
                         });

// Numbers no control can take load as the unset state instead of failing.
TEST_F(VantorLadenTest, NumbersOutOfRangeLoadAsUnset) {
    servertool({{5, " 3 "}, {6, "-1 "}, {11, " 4 "}, {13, "99999999999999999999"}, {17, "7"}});
    Vantor& v = lade();
    EXPECT_FALSE(v.Pfadeinstellung.Visible());
    EXPECT_EQ(v.BelSchiffe.Value(), 0);
    EXPECT_EQ(v.Kollisionserkennung.Value(), 0);
    EXPECT_EQ(v.Schwierikkeit.ListIndex(), -1);
    EXPECT_EQ(v.Hilfezeigen.Value(), 0);
    EXPECT_EQ(v.Fernwalt.Value(), 0);
    EXPECT_FALSE(v.Serverpassw.Enabled());
}

TEST_F(VantorLadenTest, ServertoolSavedFromThePanelReadsBackTheSame) {
    {
        Vantor& v = lade();
        v.Logginname.Text = "Name, mit Komma";
        v.Schwierikkeit.ListIndex = -1;
        v.Peer.Value = 2;
        v.Fernwalt.Value = 1;
        v.Waffen.SetSelected(35, true);
        ASSERT_TRUE(v.ServertoolSpeichern());
    }
    const std::string datei = bytes("Servertool.ini");
    EXPECT_NE(datei.find("\"Name, mit Komma\"\r\n"), std::string::npos);
    program = std::make_unique<ui::Program>(fake.services(), loop, programDir.path());
    Vantor& v = lade();
    EXPECT_EQ(v.Logginname.Text(), "Name, mit Komma");
    EXPECT_EQ(v.Schwierikkeit.ListIndex(), -1);
    EXPECT_EQ(v.Peer.Value(), 2);
    EXPECT_EQ(v.Fernwalt.Value(), 1);
    EXPECT_TRUE(v.Waffen.Selected(35));
    EXPECT_EQ(v.Waffen.SelCount(), 1);
}

// The native game names its folders in lower case; the load finds them as
// the game's own names and lists levels in any case.
TEST_F(VantorLadenTest, GameFolderInLowerCaseLoadsWithItsLevelsAndGamespy) {
    const std::string klein = programDir / "d3klein";
    testing_support::makeDirs(klein + "/custom/CACHE");
    testing_support::makeDirs(klein + "/missions");
    testing_support::writeBytes(klein + "/missions/LEVEL.MN3", "");
    testing_support::writeBytes(klein + "/missions/notes.txt", "");
    testing_support::writeBytes(klein + "/gamespy.cfg", "0\r\n");
    ersterStart(klein);
    Vantor& v = lade();
    EXPECT_FALSE(v.Pfadeinstellung.Visible());
    EXPECT_EQ(v.Cachtest.Path(), klein + "/custom/CACHE");
    EXPECT_EQ(v.Levelboser.Path(), klein + "/missions");
    ASSERT_EQ(v.Levelboser.ListCount(), 1);
    EXPECT_EQ(v.Levelboser.List(0), "LEVEL.MN3");
    EXPECT_TRUE(v.spypic.Visible());
}
