// "Konfiguration Speichern unter.." and "Konfiguration Laden" of the main
// window: the file's exact bytes, what a load brings back, and the failures.
#include <gtest/gtest.h>

#include "vantor_fixture.h"

namespace {

using testing_support::crlf;

}  // namespace

class VantorKonfigurationTest : public VantorTest {
protected:
    void SetUp() override { ersterStart(gameFolder); }

    std::string ziel(const std::string& name) { return gameRoot / name; }

    void speichereUnter(Vantor& v, const std::string& datei) {
        fake.answerSave(datei);
        v.Konm1c.userClick();
    }
    void ladeKonfiguration(Vantor& v, const std::string& datei) {
        fake.answerOpen(datei);
        fake.answerMsgBox(platform::vbOK, "Es werden nur die Einstellungen der ersten Seite");
        v.Konm1b.userClick();
    }

    // Every option the window lets the user set: the list keeps one ship
    // allowed, so three of the four are banned.
    void allesGesetzt(Vantor& v) {
        v.Packete.Text = "10";
        v.Zeitlimit.Text = "20";
        v.Limit.Text = "30";
        v.Wiederholrate.Text = "40";
        v.Spieler.Text = "8";
        v.Spielname.Text = "Nacht, Spiel";
        v.Levelname.Text = "Arena.mn3";
        v.Spieletyp.ListIndex = 5;
        v.PXO.Value = true;
        v.Fernwalt.Value = 1;
        v.port.Text = "2100";
        v.Serverpassw.Text = "geheim";
        v.Levelstart.Text = "2";
        v.Schwierikkeit.ListIndex = 3;
        for (ui::CheckBox* c : {&v.Kollisionserkennung, &v.Schiffsdrehung, &v.BelSchiffe,
                                &v.Peer, &v.Mouselook})
            c->Value = 1;
        v.Logginname.Text = "ich";
        v.Paswort.Text = "pw";
        v.HostingLobby.Text = "Europa";
        v.Begrüssungstext.Text = "Grüße an alle";
        v.Audio.Text = "5";
        for (int i = 1; i < 4; ++i) v.Schiffe.SetSelected(i, true);
        for (int i = 0; i < v.Waffen.ListCount(); ++i) v.Waffen.SetSelected(i, true);
    }
};

TEST_F(VantorKonfigurationTest, SavesEveryReachableLineByteForByte) {
    Vantor& v = lade();
    allesGesetzt(v);
    const std::string datei = ziel("Alles.CFG");
    testing_support::writeBytes(datei, std::string(5000, 'x'));  // replaced whole
    speichereUnter(v, datei);

    Zeilen erwartet = {"[server config file]",
                       "MultiSettingsFile=" + gameFolder + "/Schiffe.mps",
                       "PPS=10",
                       "TimeLimit=20",
                       "KillGoal=30",
                       "RespawnTime=40",
                       "MaxPlayers=9",
                       "GameName=Nacht",  // the game reads no further
                       "MissionName=Arena.mn3",
                       "Scriptname=Hoard",
                       "ConnectionName=Parallax Online",
                       "AllowRemoteConsole=1",
                       "RemoteConsolePort=2100",
                       "ConsolePassword=geheim",
                       "SetLevel=2",
                       "SetDifficulty=4",
                       "AccurateCollisions=1",
                       "SendRotVel=1",
                       "BrightPlayers=1",
                       "Peer2Peer=1",
                       "AllowMouselook=1",
                       "PXOUsername=ich",
                       "PXOPassword=pw",
                       "PXOHostingLobby=Europa",
                       "MOTD=Grüße an alle",
                       "AudioTauntDelay=5",
                       "DisallowSHIP=Phoenix",
                       "DisallowSHIP=Magnum-AHT",
                       "DisallowSHIP=Black Pyro"};
    for (const char* p :
         {"Vauss", "Napalm", "PlasmaCannon", "FusionCannon", "SuperLaser", "MassDriver",
          "Microwave", "EMDlauncher", "OmegaCannon", "Concussion", "4packconc", "Homing",
          "4packHoming", "ImpactMortar", "Mega", "Frag", "4packFrag", "Guided", "4packGuided",
          "NapalmRocket", "Cyclone", "BlackShark", "Betty", "Seeker", "Prox", "Chaff", "Energy",
          "Shield", "Invulnerability", "Cloak", "Afterburner", "Converter", "Quadlaser",
          "RapidFire", "fullmap", "Vauss Clip", "massdriverammo", "Napalmtank", "Smart",
          "Gunboy"})
        erwartet.push_back(std::string("DisallowPowerup=") + p);
    ASSERT_EQ(erwartet.size(), 69u);
    EXPECT_EQ(testing_support::readBytes(datei), crlf(erwartet));

    // The file just written becomes the configuration to start.
    EXPECT_EQ(v.Configname.Text(), datei);
    EXPECT_EQ(v.Eingabezeile, datei);
    ASSERT_EQ(fake.saveRequests.size(), 1u);
    EXPECT_EQ(fake.saveRequests[0].Flags, platform::cdlOFNOverwritePrompt);
    EXPECT_EQ(fake.saveRequests[0].Filter, "Alle Dateien (*.CFG)|*.CFG|");
    EXPECT_EQ(fake.saveRequests[0].FilterIndex, 1);
    EXPECT_TRUE(fake.msgBoxes.empty());
}

TEST_F(VantorKonfigurationTest, SavesOnlyTheNineteenFixedLinesWithNoOption) {
    Vantor& v = lade();
    v.Schwierikkeit.ListIndex = -1;
    v.Spieletyp.ListIndex = -1;
    v.Spieletyp.Text = "";
    v.Spieler.Text = "";
    const std::string datei = ziel("Nichts");  // no extension added
    speichereUnter(v, datei);
    EXPECT_EQ(testing_support::readBytes(datei),
              crlf({"[server config file]", "MultiSettingsFile=" + gameFolder + "/Schiffe.mps",
                    "PPS=8", "TimeLimit=0", "KillGoal=0", "RespawnTime=50", "MaxPlayers=1",
                    "GameName=D3 Vantor Spiel", "MissionName=ProFight2.mn3",
                    "Scriptname=Anarchy", "ConnectionName=Direct TCP~IP", "SetLevel=1",
                    "SetDifficulty=0", "AccurateCollisions=0", "SendRotVel=0",
                    "BrightPlayers=0", "Peer2Peer=0", "AllowMouselook=0", "MOTD=Hallo"}));
}

TEST_F(VantorKonfigurationTest, CancelledSaveChangesNothing) {
    Vantor& v = lade();
    fake.answerSave(std::nullopt);
    v.Konm1c.userClick();
    EXPECT_EQ(v.Configname.Text(), "");
    EXPECT_TRUE(fake.msgBoxes.empty());
}

TEST_F(VantorKonfigurationTest, SaveThatCannotBeWrittenSaysWhichFileAndWhy) {
    Vantor& v = lade();
    v.Configname.Text = "/alt.CFG";
    const std::string datei = ziel("fehlt/Neu.CFG");
    fake.answerSave(datei);
    fake.answerMsgBox(platform::vbOK, datei);
    v.Konm1c.userClick();
    ASSERT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_EQ(fake.msgBoxes[0].title, "Talvir");
    EXPECT_EQ(fake.msgBoxes[0].flags, platform::vbCritical);
    EXPECT_NE(fake.msgBoxes[0].text.find("No such file or directory"), std::string::npos);
    EXPECT_FALSE(testing_support::fileExists(datei));
    EXPECT_EQ(v.Configname.Text(), "/alt.CFG");
}

TEST_F(VantorKonfigurationTest, LoadBringsBackTheFirstPageButNotThePresets) {
    Vantor& v = lade();
    allesGesetzt(v);
    const std::string datei = ziel("Runde.CFG");
    speichereUnter(v, datei);

    v.Packete.Text = "1";
    v.Zeitlimit.Text = "1";
    v.Limit.Text = "1";
    v.Wiederholrate.Text = "1";
    v.Spieler.Text = "3";
    v.Spielname.Text = "anders";
    v.Levelname.Text = "anders.mn3";
    v.Levelstart.Text = "9";
    v.Begrüssungstext.Text = "anders";
    v.Lan.Value = true;
    v.Spieletyp.ListIndex = 0;
    v.Configname.Text = "";
    v.Fernwalt.Value = 0;
    v.Audio.Text = "";
    v.Waffen.SetSelected(0, false);

    ladeKonfiguration(v, datei);
    EXPECT_EQ(v.Configname.Text(), datei);
    EXPECT_EQ(v.Packete.Text(), "10");
    EXPECT_EQ(v.Zeitlimit.Text(), "20");
    EXPECT_EQ(v.Limit.Text(), "30");
    EXPECT_EQ(v.Wiederholrate.Text(), "40");
    EXPECT_EQ(v.Spieler.Text(), "8");
    // The game name's comma ends the item.
    EXPECT_EQ(v.Spielname.Text(), "Nacht");
    EXPECT_EQ(v.Levelname.Text(), "Arena.mn3");
    EXPECT_EQ(v.Levelstart.Text(), "2");
    EXPECT_EQ(v.Begrüssungstext.Text(), "Grüße an alle");
    EXPECT_TRUE(v.PXO.Value());
    EXPECT_FALSE(v.Lan.Value());
    // The game type and the presets stay as they are.
    EXPECT_EQ(v.Spieletyp.ListIndex(), 0);
    EXPECT_EQ(v.Fernwalt.Value(), 0);
    EXPECT_EQ(v.Audio.Text(), "");
    EXPECT_FALSE(v.Waffen.Selected(0));

    EXPECT_EQ(v.Ladezeile[0], "[server config file]");
    ASSERT_EQ(fake.openRequests.size(), 1u);
    EXPECT_EQ(fake.openRequests[0].Flags, platform::cdlOFNHideReadOnly);
    EXPECT_EQ(fake.openRequests[0].Filter, "Alle Dateien (*.CFG)|*.CFG|");
    ASSERT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_EQ(fake.msgBoxes[0].flags, platform::vbInformation);
    EXPECT_EQ(fake.msgBoxes[0].title, "");  // the application's title
    EXPECT_EQ(v.Antwort, "1");
}

TEST_F(VantorKonfigurationTest, CancelledLoadChangesNothing) {
    Vantor& v = lade();
    v.Configname.Text = "/alt.CFG";
    fake.answerOpen(std::nullopt);
    v.Konm1b.userClick();
    EXPECT_EQ(v.Configname.Text(), "/alt.CFG");
    EXPECT_TRUE(fake.msgBoxes.empty());
}

TEST_F(VantorKonfigurationTest, UnreadableFileIsNamedButStillChosen) {
    Vantor& v = lade();
    const std::string datei = ziel("fehlt.CFG");
    fake.answerOpen(datei);
    fake.answerMsgBox(platform::vbOK, datei);
    v.Konm1b.userClick();
    EXPECT_EQ(v.Configname.Text(), datei);
    ASSERT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_EQ(fake.msgBoxes[0].title, "Talvir");
    EXPECT_EQ(fake.msgBoxes[0].flags, platform::vbCritical);
    EXPECT_NE(fake.msgBoxes[0].text.find("gelesen"), std::string::npos);
    EXPECT_EQ(v.Packete.Text(), "8");
}

struct Fernposition {
    int position;  // of the PPS item, counted from 0
    const char* packete;
};

class LoadItemLimit : public VantorKonfigurationTest,
                      public ::testing::WithParamInterface<Fernposition> {};

TEST_P(LoadItemLimit, ReadsSeventyOneItemsAtMost) {
    Zeilen z(GetParam().position, "Kommentar");
    if (!z.empty()) z[0] = "[server config file]";
    z.push_back("PPS=99");
    const std::string datei = ziel("Lang.CFG");
    testing_support::writeBytes(datei, crlf(z));
    Vantor& v = lade();
    ladeKonfiguration(v, datei);
    EXPECT_EQ(v.Packete.Text(), GetParam().packete);
}

INSTANTIATE_TEST_SUITE_P(Cases, LoadItemLimit,
                         ::testing::Values(Fernposition{0, "8"}, Fernposition{1, "99"},
                                           Fernposition{70, "99"}, Fernposition{71, "8"}));
