// The presets panel: opening and closing it, its dependent controls, and
// saving Schiffe.mps and Servertool.ini.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "vantor_fixture.h"

namespace fs = std::filesystem;
using testing_support::crlf;

class VantorVoreinstellungenTest : public VantorTest {
protected:
    void SetUp() override { ersterStart(gameFolder); }

    Vantor& oeffne() {
        Vantor& v = lade();
        v.Opm1a.userClick();
        return v;
    }
    void speichere(Vantor& v) {
        fake.answerMsgBox(platform::vbOK, "Voreinstellung gespeichert !");
        v.VorOK.userClick();
    }
    bool offen(Vantor& v) {
        return v.VorstellFrame.Visible() && !v.Hauptprog.Enabled() && !v.M1.Enabled() &&
               !v.M3.Enabled() && !v.m4.Enabled();
    }
    bool geschlossen(Vantor& v) {
        return !v.VorstellFrame.Visible() && v.Hauptprog.Enabled() && v.M1.Enabled() &&
               v.M3.Enabled() && v.m4.Enabled();
    }
};

struct Schliessen {
    const char* name;
    std::function<void(Vantor&, fakes::FakePlatform&)> klick;
};

class PanelClose : public VantorVoreinstellungenTest,
                   public ::testing::WithParamInterface<Schliessen> {};

TEST_P(PanelClose, EnablesMenusAndMainAreaAgain) {
    Vantor& v = lade();
    v.Opm1a.userClick();
    EXPECT_TRUE(offen(v));
    EXPECT_EQ(v.VorstellFrame.Left(), 1);
    EXPECT_EQ(v.VorstellFrame.Top(), 1);
    EXPECT_TRUE(v.Infom2.Enabled());
    GetParam().klick(v, fake);
    EXPECT_TRUE(geschlossen(v));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PanelClose,
    ::testing::Values(
        Schliessen{"Abbrechen", [](Vantor& v, fakes::FakePlatform&) { v.Vorabbruch.userClick(); }},
        Schliessen{"X", [](Vantor& v, fakes::FakePlatform&) { v.Label20.userClick(); }},
        Schliessen{"OK", [](Vantor& v, fakes::FakePlatform& f) {
                       f.answerMsgBox(platform::vbOK, "Voreinstellung gespeichert !");
                       v.VorOK.userClick();
                   }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(VantorVoreinstellungenTest, SaveWritesServertoolIniByteForByte) {
    Vantor& v = oeffne();
    v.Logginname.Text = "ich";
    v.Paswort.Text = "pw, mit Komma";
    v.port.Text = "2100";
    v.BelSchiffe.Value = 1;
    v.Schwierikkeit.ListIndex = 2;
    v.servermin.Value = 1;
    v.Hilfezeigen.Value = 1;
    v.Serverpassw.Text = "rc";
    v.port2.Text = "2093";
    v.Fernwalt.Value = 1;
    v.Audio.Text = "5";
    v.VSAutoend.Value = 1;  // unticks the communicator option
    v.Schiffe.SetSelected(1, true);
    v.Waffen.SetSelected(13, true);
    speichere(v);

    Zeilen erwartet = {"ich", "\"pw, mit Komma\"", "2100", "global", " 1 ", " 0 ", " 0 ", " 0 ",
                       "", " 0 ", " 2 ", " 1 ", " 0 ", "rc", "", "2093", " 1 ", "5", " 1 "};
    erwartet.resize(31, "");
    for (int i = 0; i < 4; ++i) erwartet.push_back(i == 1 ? "1" : "0");
    for (int i = 0; i < 36; ++i) erwartet.push_back(i == 13 ? "1" : "0");
    ASSERT_EQ(erwartet.size(), 71u);
    EXPECT_EQ(bytes("Servertool.ini"), crlf(erwartet));
    EXPECT_EQ(fake.msgBoxes.at(0).flags, platform::vbOKOnly);
    EXPECT_EQ(fake.msgBoxes.at(0).title, "");
}

struct Bann {
    const char* name;
    std::vector<int> schiffe;
    std::string bytes;
};

class PresetShipFile : public VantorVoreinstellungenTest, public ::testing::WithParamInterface<Bann> {};

TEST_P(PresetShipFile, HoldsTheBannedShipsInListOrder) {
    Vantor& v = oeffne();
    for (int i : GetParam().schiffe) v.Schiffe.userToggle(i);
    speichere(v);
    EXPECT_EQ(testing_support::readBytes(game("Schiffe.mps")), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PresetShipFile,
    ::testing::Values(Bann{"None", {}, "\r\n"},
                      Bann{"PhoenixAndBlackPyro", {3, 1}, "SHIPBAN Phoenix\r\nSHIPBAN Black Pyro\r\n"},
                      Bann{"FirstAndThird", {2, 0}, "SHIPBAN Pyro-GL\r\nSHIPBAN Magnum - AHT\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

class FourthShip : public VantorVoreinstellungenTest,
                   public ::testing::WithParamInterface<std::vector<int>> {};

TEST_P(FourthShip, IsRefusedByAllowingPyroGLAgain) {
    Vantor& v = oeffne();
    fake.answerMsgBox(platform::vbOK, "Alle Schiffe ausschließen? Setzte Pyro-GL wieder auf ein!!");
    for (int i : GetParam()) v.Schiffe.userToggle(i);
    EXPECT_FALSE(v.Schiffe.Selected(0));
    EXPECT_EQ(v.Schiffe.SelCount(), 3);
    EXPECT_EQ(fake.beeps, 1);
    ASSERT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_EQ(fake.msgBoxes[0].flags, platform::vbCritical);
    EXPECT_EQ(fake.msgBoxes[0].title, "Talvir");
}

INSTANTIATE_TEST_SUITE_P(Cases, FourthShip,
                         ::testing::Values(std::vector<int>{0, 1, 2, 3},
                                           std::vector<int>{1, 2, 3, 0},
                                           std::vector<int>{3, 0, 2, 1}));

TEST_F(VantorVoreinstellungenTest, AutoEndLocksOutTheCommunicatorOption) {
    Vantor& v = oeffne();
    v.Hilfezeigen.userClick();
    ASSERT_EQ(v.Hilfezeigen.Value(), 1);
    v.VSAutoend.userClick();
    EXPECT_EQ(v.Hilfezeigen.Value(), 0);
    EXPECT_FALSE(v.Hilfezeigen.Enabled());
    v.Hilfezeigen.userClick();  // a disabled box takes no click
    EXPECT_EQ(v.Hilfezeigen.Value(), 0);
    v.VSAutoend.userClick();
    EXPECT_TRUE(v.Hilfezeigen.Enabled());
    EXPECT_EQ(v.Hilfezeigen.Value(), 0);
}

TEST_F(VantorVoreinstellungenTest, RemoteConsoleEnablesThePasswordBoxAndKeepsItsText) {
    Vantor& v = oeffne();
    v.Fernwalt.userClick();
    EXPECT_TRUE(v.Serverpassw.Enabled());
    EXPECT_EQ(v.Serverpassw.BackColor(), ui::kWindowBackground);
    v.Serverpassw.Text = "rc";
    v.Fernwalt.userClick();
    EXPECT_FALSE(v.Serverpassw.Enabled());
    EXPECT_EQ(v.Serverpassw.BackColor(), 0xC0C0C0u);
    EXPECT_EQ(v.Serverpassw.Text(), "rc");
}

struct Anmeldung {
    const char* login;
    const char* passwort;
    bool pxoFrei;
};

class PXOAfterSave : public VantorVoreinstellungenTest,
                     public ::testing::WithParamInterface<Anmeldung> {};

TEST_P(PXOAfterSave, IsEnabledOnlyWithLoginAndPassword) {
    Vantor& v = oeffne();
    ASSERT_FALSE(v.PXO.Enabled());
    v.Logginname.Text = GetParam().login;
    v.Paswort.Text = GetParam().passwort;
    speichere(v);
    EXPECT_EQ(v.PXO.Enabled(), GetParam().pxoFrei);
}

INSTANTIATE_TEST_SUITE_P(Cases, PXOAfterSave,
                         ::testing::Values(Anmeldung{"ich", "pw", true},
                                           Anmeldung{"ich", "", false},
                                           Anmeldung{"", "pw", false}));

TEST_F(VantorVoreinstellungenTest, DefaultsThenCancelAreKeptInTheBoxesButNotSaved) {
    const std::string vorher = bytes("Servertool.ini");
    // Server 2's folder is D3Temp in the home folder, absolute; a home
    // given with a trailing separator does not double it.
    const char* alt = std::getenv("HOME");
    const std::string altHome = alt ? alt : "";
    ::setenv("HOME", (gameRoot / "heim/").c_str(), 1);
    Vantor& v = oeffne();
    v.port.Text = "1";
    v.HostingLobby.Text = "x";
    v.Poardstandart.userClick();
    v.Vorabbruch.userClick();
    if (alt)
        ::setenv("HOME", altHome.c_str(), 1);
    else
        ::unsetenv("HOME");
    EXPECT_EQ(v.Tempordners2.Text(), gameRoot / "heim/D3Temp");
    EXPECT_FALSE(fs::exists(gameRoot / "heim/D3Temp"));
    EXPECT_EQ(v.port.Text(), "2092");
    EXPECT_EQ(v.port2.Text(), "2093");
    EXPECT_EQ(v.HostingLobby.Text(), "global");
    EXPECT_EQ(bytes("Servertool.ini"), vorher);
    EXPECT_FALSE(testing_support::fileExists(game("Schiffe.mps")));
    EXPECT_FALSE(fs::exists(game("C:\\D3Temp")));
}

// ------------------------------------------------ server 2's temporary folder

class ShortTempFolder : public VantorVoreinstellungenTest,
                        public ::testing::WithParamInterface<const char*> {};

TEST_P(ShortTempFolder, IsNeitherTestedNorWatchedButSaved) {
    Vantor& v = oeffne();
    v.Tempordners2.Text = GetParam();
    speichere(v);
    EXPECT_FALSE(v.Cache2.Enabled());
    EXPECT_EQ(v.Cachtest2.Path(), "");
    EXPECT_EQ(einstellungen::leseItems(prog("Servertool.ini")).at(14), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Cases, ShortTempFolder, ::testing::Values("", "ab", "äö"));

TEST_F(VantorVoreinstellungenTest, ExistingTempFolderIsWatched) {
    const std::string ordner = gameRoot / "temp2";
    testing_support::makeDirs(ordner);
    testing_support::writeBytes(ordner + "/a.tmp", "a");
    Vantor& v = oeffne();
    v.Tempordners2.Text = ordner;
    speichere(v);
    EXPECT_TRUE(v.Cache2.Enabled());
    EXPECT_EQ(v.Cachtest2.Path(), ordner);
    EXPECT_EQ(v.Cachtest2.ListCount(), 1);
    EXPECT_TRUE(geschlossen(v));
}

TEST_F(VantorVoreinstellungenTest, MissingTempFolderIsMadeOnOK) {
    const std::string ordner = gameRoot / "neu2";
    Vantor& v = oeffne();
    v.Tempordners2.Text = ordner;
    fake.answerMsgBox(platform::vbOK, "Tempordner für Server 2 nicht vorhanden !");
    speichere(v);
    EXPECT_TRUE(fs::is_directory(ordner));
    EXPECT_TRUE(v.Cache2.Enabled());
    EXPECT_EQ(v.Cachtest2.Path(), ordner);
    ASSERT_EQ(fake.msgBoxes.size(), 2u);
    EXPECT_EQ(fake.msgBoxes[0].flags, platform::vbOKCancel + platform::vbQuestion);
    EXPECT_EQ(fake.msgBoxes[0].title, "");
    EXPECT_TRUE(geschlossen(v));
    EXPECT_EQ(einstellungen::leseItems(prog("Servertool.ini")).at(14), ordner);
}

TEST_F(VantorVoreinstellungenTest, MissingTempFolderDeclinedSavesNothing) {
    const std::string vorher = bytes("Servertool.ini");
    Vantor& v = oeffne();
    v.Tempordners2.Text = gameRoot / "neu2";
    fake.answerMsgBox(platform::vbCancel, "Soll er jetzt erstellt werden?");
    v.VorOK.userClick();
    EXPECT_FALSE(fs::exists(gameRoot / "neu2"));
    EXPECT_EQ(bytes("Servertool.ini"), vorher);
    EXPECT_FALSE(testing_support::fileExists(game("Schiffe.mps")));
    EXPECT_FALSE(v.Cache2.Enabled());
    EXPECT_TRUE(offen(v));
}

// Only the last level is made; a missing parent is reported, not looped on.
TEST_F(VantorVoreinstellungenTest, TempFolderThatCannotBeMadeIsReportedAndNothingSaved) {
    const std::string vorher = bytes("Servertool.ini");
    const std::string ordner = gameRoot / "fehlt/neu2";
    Vantor& v = oeffne();
    v.Tempordners2.Text = ordner;
    fake.answerMsgBox(platform::vbOK, "Soll er jetzt erstellt werden?");
    fake.answerMsgBox(platform::vbOK, ordner);
    v.VorOK.userClick();
    ASSERT_EQ(fake.msgBoxes.size(), 2u);
    EXPECT_EQ(fake.msgBoxes[1].title, "Talvir");
    EXPECT_EQ(fake.msgBoxes[1].flags, platform::vbCritical);
    EXPECT_FALSE(fs::exists(ordner));
    EXPECT_EQ(bytes("Servertool.ini"), vorher);
    EXPECT_TRUE(offen(v));
}

// ------------------------------------------------ files that cannot be written

TEST_F(VantorVoreinstellungenTest, UnwritableSchiffeMpsIsReportedAndPresetsStillKept) {
    Vantor& v = oeffne();
    v.Despfad.Text = gameRoot / "weg";
    v.port.Text = "2200";
    const std::string datei = gameRoot / "weg/Schiffe.mps";
    fake.answerMsgBox(platform::vbOK, "Die Datei " + datei + " konnte nicht geschrieben werden");
    v.VorOK.userClick();
    ASSERT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_EQ(fake.msgBoxes[0].title, "Talvir");
    EXPECT_EQ(fake.msgBoxes[0].flags, platform::vbCritical);
    EXPECT_EQ(einstellungen::leseItems(prog("Servertool.ini")).at(2), "2200");
    EXPECT_TRUE(offen(v));  // no "saved" claim, the panel stays
}

TEST_F(VantorVoreinstellungenTest, UnwritableServertoolIniIsReported) {
    Vantor& v = oeffne();
    fs::remove(prog("Servertool.ini"));
    fs::create_directory(prog("Servertool.ini"));  // a rename cannot replace it
    fake.answerMsgBox(platform::vbOK, "Servertool.ini konnte nicht geschrieben werden");
    v.VorOK.userClick();
    ASSERT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_EQ(fake.msgBoxes[0].title, "Talvir");
    EXPECT_EQ(testing_support::readBytes(game("Schiffe.mps")), "\r\n");
    EXPECT_TRUE(offen(v));
}

// The presets can be opened while the first-run panel asks for the game folder.
class PresetsDuringFirstRun : public VantorTest {};

TEST_F(PresetsDuringFirstRun, ClosingThemKeepsTheMainAreaOutOfUse) {
    Vantor& v = lade();
    ASSERT_TRUE(v.Pfadeinstellung.Visible());
    v.Opm1a_Click();
    v.Vorabbruch_Click();
    EXPECT_FALSE(v.VorstellFrame.Visible());
    EXPECT_FALSE(v.Hauptprog.Enabled());
    EXPECT_TRUE(v.M1.Enabled());
    EXPECT_TRUE(v.Pfadeinstellung.Visible());
}

TEST_F(PresetsDuringFirstRun, SavingWritesNoShipFileWithoutAGameFolder) {
    ASSERT_FALSE(testing_support::fileExists("/Schiffe.mps"));
    Vantor& v = lade();
    v.Opm1a_Click();
    fake.answerMsgBox(platform::vbOK, "kein Spielordner");
    v.VorOK_Click();
    EXPECT_FALSE(testing_support::fileExists("/Schiffe.mps"));
    EXPECT_EQ(fake.msgBoxes.at(0).flags, platform::vbCritical);
    EXPECT_EQ(fake.msgBoxes.at(0).title, "Talvir");
    // The presets themselves are kept; the panel stays open.
    EXPECT_TRUE(testing_support::fileExists(prog("Servertool.ini")));
    EXPECT_TRUE(v.VorstellFrame.Visible());
}
