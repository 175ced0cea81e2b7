// The server configuration file's lines, Schiffe.mps and the first-page
// reader, without a window.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/Items.h"
#include "launcher/Serverkonfiguration.h"

namespace sk = serverkonfiguration;

namespace {

std::vector<std::string> zeilenVon(const common::LineWriter& w) {
    return common::splitLines(w.bytes());
}

bool enthaelt(const std::vector<std::string>& z, const std::string& zeile) {
    return std::find(z.begin(), z.end(), zeile) != z.end();
}

// Position of a line, or -1.
int stelle(const std::vector<std::string>& z, const std::string& zeile) {
    auto it = std::find(z.begin(), z.end(), zeile);
    return it == z.end() ? -1 : static_cast<int>(it - z.begin());
}

sk::Werte grundwerte() {
    sk::Werte w;
    w.Spielordner = "/spiel";
    w.Spieler = "8";
    w.Spieletyp = "Anarchy";
    w.Schwierikkeit = 0;
    w.port = "2092";
    w.port2 = "2093";
    return w;
}

}  // namespace

struct Spielerzahl {
    const char* feld;
    const char* zeile;
};

class MaxPlayers : public ::testing::TestWithParam<Spielerzahl> {};

TEST_P(MaxPlayers, CountsTheHostAsOneMorePlayer) {
    sk::Werte w = grundwerte();
    w.Spieler = GetParam().feld;
    EXPECT_TRUE(enthaelt(zeilenVon(sk::zeilen(w, sk::Art::Gespeichert)), GetParam().zeile));
}

INSTANTIATE_TEST_SUITE_P(Cases, MaxPlayers,
                         ::testing::Values(Spielerzahl{"8", "MaxPlayers=9"},
                                           Spielerzahl{"", "MaxPlayers=1"},
                                           Spielerzahl{"12 Spieler", "MaxPlayers=13"},
                                           Spielerzahl{"abc", "MaxPlayers=1"}));

struct Einzelzeile {
    const char* name;
    void (*setze)(sk::Werte&);
    const char* zeile;
};

class Einzelwert : public ::testing::TestWithParam<Einzelzeile> {};

TEST_P(Einzelwert, IsWrittenAsLaidDown) {
    sk::Werte w = grundwerte();
    GetParam().setze(w);
    const auto z = zeilenVon(sk::zeilen(w, sk::Art::Gespeichert));
    EXPECT_TRUE(enthaelt(z, GetParam().zeile)) << testing::PrintToString(z);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Einzelwert,
    ::testing::Values(
        Einzelzeile{"NoDifficulty", [](sk::Werte& w) { w.Schwierikkeit = -1; }, "SetDifficulty=0"},
        Einzelzeile{"Halbgoetter", [](sk::Werte& w) { w.Schwierikkeit = 3; }, "SetDifficulty=4"},
        Einzelzeile{"GrayedPeer", [](sk::Werte& w) { w.Peer = 2; }, "Peer2Peer=2"},
        Einzelzeile{"EmptyGameType", [](sk::Werte& w) { w.Spieletyp = ""; },
                    "Scriptname=Anarchy"},
        Einzelzeile{"BlankAudio", [](sk::Werte& w) { w.Audio = " "; }, "AudioTauntDelay= "},
        Einzelzeile{"UntrimmedText", [](sk::Werte& w) { w.Begrüssungstext = " a \"b\" "; },
                    "MOTD= a \"b\" "},
        // The game reads a value up to "," or ";" and crashes on blanks after
        // a comma: nothing past them is written.
        Einzelzeile{"CommaAndBlanks", [](sk::Werte& w) { w.Begrüssungstext = "Hallo, "; },
                    "MOTD=Hallo"},
        Einzelzeile{"Semicolon", [](sk::Werte& w) { w.Spielname = "Nacht;Spiel, lang"; },
                    "GameName=Nacht"},
        Einzelzeile{"LeadingComma", [](sk::Werte& w) { w.Levelname = ",x.mn3"; },
                    "MissionName="},
        Einzelzeile{"Password", [](sk::Werte& w) { w.Fernwalt = 1; w.Serverpassw = "ge;heim"; },
                    "ConsolePassword=ge"},
        Einzelzeile{"FolderWithComma",
                    [](sk::Werte& w) { w.Spielordner = "/spiele/d3, neu"; },
                    "MultiSettingsFile=/spiele/d3"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Serverkonfiguration, GrayedRemoteConsoleCountsAsNotTicked) {
    sk::Werte w = grundwerte();
    w.Fernwalt = 2;
    const auto z = zeilenVon(sk::zeilen(w, sk::Art::Gespeichert));
    EXPECT_EQ(stelle(z, "AllowRemoteConsole=1"), -1);
    EXPECT_EQ(z.size(), 19u);
}

TEST(Serverkonfiguration, RemoteConsoleLinesFollowTheConnectionEvenWhenEmpty) {
    sk::Werte w = grundwerte();
    w.Fernwalt = 1;
    w.port = "";
    const auto z = zeilenVon(sk::zeilen(w, sk::Art::Gespeichert));
    const int verbindung = stelle(z, "ConnectionName=Direct TCP~IP");
    ASSERT_GT(verbindung, 0);
    EXPECT_EQ(z[verbindung + 1], "AllowRemoteConsole=1");
    EXPECT_EQ(z[verbindung + 2], "RemoteConsolePort=");
    EXPECT_EQ(z[verbindung + 3], "ConsolePassword=");
    EXPECT_EQ(z[verbindung + 4], "SetLevel=");
}

TEST(Serverkonfiguration, OnlineLoginLinesOnlyWithoutLan) {
    sk::Werte w = grundwerte();
    w.Lan = false;
    w.PXO = true;
    w.Logginname = "ich";
    const auto z = zeilenVon(sk::zeilen(w, sk::Art::Gespeichert));
    EXPECT_TRUE(enthaelt(z, "ConnectionName=Parallax Online"));
    const int maus = stelle(z, "AllowMouselook=0");
    ASSERT_GT(maus, 0);
    EXPECT_EQ(z[maus + 1], "PXOUsername=ich");
    EXPECT_EQ(z[maus + 2], "PXOPassword=");
    EXPECT_EQ(z[maus + 3], "PXOHostingLobby=");
    EXPECT_EQ(z[maus + 4], "MOTD=");
}

TEST(Serverkonfiguration, BansFollowListOrderAndFourEntriesWriteTwoLines) {
    sk::Werte w = grundwerte();
    w.Schiffe[3] = w.Schiffe[1] = true;
    w.Waffen[13] = true;
    w.Waffen[0] = true;
    const auto z = zeilenVon(sk::zeilen(w, sk::Art::Gespeichert));
    const std::vector<std::string> ende(z.end() - 5, z.end());
    EXPECT_EQ(ende, (std::vector<std::string>{"DisallowSHIP=Phoenix", "DisallowSHIP=Black Pyro",
                                              "DisallowPowerup=Vauss", "DisallowPowerup=Frag",
                                              "DisallowPowerup=4packFrag"}));
}

// The files a start writes differ from a saved one in three lines only.
TEST(Serverkonfiguration, StartFilesLeaveOutShipBansAndServer2NamesNoSettingsFile) {
    sk::Werte w = grundwerte();
    w.Fernwalt = 1;
    w.Schiffe[0] = true;
    w.Waffen[35] = true;
    const auto gespeichert = zeilenVon(sk::zeilen(w, sk::Art::Gespeichert));
    const auto server1 = zeilenVon(sk::zeilen(w, sk::Art::Server1));
    const auto server2 = zeilenVon(sk::zeilen(w, sk::Art::Server2));

    auto ohne = [](std::vector<std::string> z, const std::string& zeile) {
        z.erase(std::remove(z.begin(), z.end(), zeile), z.end());
        return z;
    };
    EXPECT_EQ(server1, ohne(gespeichert, "DisallowSHIP=Pyro-GL"));
    auto erwartet2 = ohne(ohne(gespeichert, "DisallowSHIP=Pyro-GL"),
                          "MultiSettingsFile=/spiel/Schiffe.mps");
    std::replace(erwartet2.begin(), erwartet2.end(), std::string("RemoteConsolePort=2092"),
                 std::string("RemoteConsolePort=2093"));
    EXPECT_EQ(server2, erwartet2);
    EXPECT_EQ(server1.back(), "DisallowPowerup=Gunboy");
}

// Every condition met and every ban selected: 70 lines. The window never
// lets all four ships be banned; its own test checks the 69 it allows.
TEST(Serverkonfiguration, EveryConditionAndEveryBanGivesSeventyLines) {
    sk::Werte w = grundwerte();
    w.PXO = true;
    w.Lan = false;
    w.Fernwalt = 1;
    w.Audio = "5";
    w.Schiffe.fill(true);
    w.Waffen.fill(true);
    const auto z = zeilenVon(sk::zeilen(w, sk::Art::Gespeichert));
    ASSERT_EQ(z.size(), 70u);
    EXPECT_EQ(z[25], "AudioTauntDelay=5");
    EXPECT_EQ(std::vector<std::string>(z.begin() + 26, z.begin() + 31),
              (std::vector<std::string>{"DisallowSHIP=Pyro-GL", "DisallowSHIP=Phoenix",
                                        "DisallowSHIP=Magnum-AHT", "DisallowSHIP=Black Pyro",
                                        "DisallowPowerup=Vauss"}));
    EXPECT_EQ(z.back(), "DisallowPowerup=Gunboy");
}

struct Schiffsbann {
    std::array<bool, 4> gebannt;
    const char* bytes;
};

class SchiffeMps : public ::testing::TestWithParam<Schiffsbann> {};

TEST_P(SchiffeMps, HoldsOneLinePerBannedShip) {
    EXPECT_EQ(sk::schiffsdatei(GetParam().gebannt).bytes(), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SchiffeMps,
    ::testing::Values(Schiffsbann{{false, false, false, false}, "\r\n"},
                      Schiffsbann{{false, true, false, true},
                                  "SHIPBAN Phoenix\r\nSHIPBAN Black Pyro\r\n"},
                      Schiffsbann{{true, false, true, false},
                                  "SHIPBAN Pyro-GL\r\nSHIPBAN Magnum - AHT\r\n"}));

// ------------------------------------------------------------ reading back

TEST(ErsteSeite, TakesTheFirstPageKeysAndLeavesTheRest) {
    const auto s = sk::ersteSeite(common::parseItems(
        "[server config file]\r\nPPS=7\r\nTimeLimit=20\r\nKillGoal=30\r\nRespawnTime=40\r\n"
        "MaxPlayers=9\r\nGameName=Nacht\r\nMissionName=a.mn3\r\nScriptname=CTF\r\n"
        "ConnectionName=Parallax Online\r\nSetLevel=3\r\nSetDifficulty=4\r\nMOTD=Hallo, Welt\r\n"));
    EXPECT_EQ(s.Packete, "7");
    EXPECT_EQ(s.Zeitlimit, "20");
    EXPECT_EQ(s.Limit, "30");
    EXPECT_EQ(s.Wiederholrate, "40");
    EXPECT_EQ(s.Spieler, "8");
    EXPECT_EQ(s.Spielname, "Nacht");
    EXPECT_EQ(s.Levelname, "a.mn3");
    EXPECT_EQ(s.Lan, false);
    EXPECT_EQ(s.Levelstart, "3");
    // The comma ends the item; " Welt" is an item of its own no rule takes.
    EXPECT_EQ(s.Begrüssungstext, "Hallo");
}

TEST(ErsteSeite, PositionZeroIsNeverExamined) {
    const auto s = sk::ersteSeite({"PPS=5", "KillGoal=6"});
    EXPECT_FALSE(s.Packete);
    EXPECT_EQ(s.Limit, "6");
}

TEST(ErsteSeite, KeysAreCaseSensitiveAndTheLaterItemWins) {
    const auto s = sk::ersteSeite({"", "pps=8", "SetLevel=2", "SetLevel=5",
                                   "ConnectionName=Parallax Online",
                                   "ConnectionName=Direct TCP~IP"});
    EXPECT_FALSE(s.Packete);
    EXPECT_EQ(s.Levelstart, "5");
    EXPECT_EQ(s.Lan, true);
}

TEST(ErsteSeite, SeparatorIsNotTestedAndValuesCountInCharacters) {
    const auto s = sk::ersteSeite({"", "PPS", "MOTD:Grüße", "GameNameäÄbc", "MissionName"});
    EXPECT_EQ(s.Packete, "");
    EXPECT_EQ(s.Begrüssungstext, "Grüße");
    EXPECT_EQ(s.Spielname, "Äbc");
    EXPECT_EQ(s.Levelname, "");
}

struct Spielerwert {
    const char* item;
    std::optional<std::string> spieler;
};

class MaxPlayersZurueck : public ::testing::TestWithParam<Spielerwert> {};

TEST_P(MaxPlayersZurueck, GivesThePlayerCount) {
    EXPECT_EQ(sk::ersteSeite({"", GetParam().item}).Spieler, GetParam().spieler);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MaxPlayersZurueck,
    ::testing::Values(Spielerwert{"MaxPlayers=9", "8"}, Spielerwert{"MaxPlayers= 13x", "12"},
                      Spielerwert{"MaxPlayers=1", "0"}, Spielerwert{"MaxPlayers=2.5", "1.5"},
                      Spielerwert{"MaxPlayers=", std::nullopt},
                      Spielerwert{"MaxPlayers=viele", std::nullopt}));
