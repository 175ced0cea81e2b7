// Starting server 1 and server 2 from the start frame: fenster.CFG or a named
// configuration, the command line and window style, the Hoard orb count.
#include <gtest/gtest.h>

#include <filesystem>

#include "console/Kommunicator.h"
#include "launcher/Counterfenster.h"
#include "vantor_fixture.h"

using testing_support::crlf;

namespace {

const char* const kHortfrage =
    "Wieviele Hortkugeln sollen die Spieler zum ablegen benötigen ? Du kannst zwischen 1 und "
    "12 wählen !";

}  // namespace

class ServerstartTest : public VantorTest {
protected:
    void SetUp() override {
        ersterStart(gameFolder);
        tempordner2 = gameRoot / "D3Temp";
        testing_support::makeDirs(tempordner2);
    }
    // The main window loaded, with the start frame open.
    Vantor& offen() {
        Vantor& v = lade();
        v.Tempordners2.Text = tempordner2;
        v.port2.Text = "2093";
        v.SStart_Click();
        return v;
    }
    void starte(Vantor& v, int server) {
        if (server == 1)
            v.Server1start.userClick();
        else
            v.Server2start.userClick();
    }
    std::vector<std::string> wörter(const std::string& config, const std::string& tempdir,
                                    const std::string& port) {
        const std::string cfg = config[0] == '/' ? config : gameFolder + "/" + config;
        return {gameFolder + "/Descent3", "-dedicated", cfg, "-tempdir", tempdir, "-useport", port};
    }
    // A refused start: one critical "Talvir" message, whose text it gives;
    // nothing asked, started or counted down, the frame still open.
    std::string verweigert(Vantor& v) {
        EXPECT_EQ(fake.msgBoxes.size(), 1u);
        EXPECT_TRUE(fake.processes.empty());
        EXPECT_TRUE(fake.inputBoxes.empty());
        EXPECT_EQ(program->find<Counterfenster>(), nullptr);
        EXPECT_TRUE(v.Startserver.Visible());
        EXPECT_FALSE(v.Hortsetzten.Enabled());
        if (fake.msgBoxes.empty()) return {};
        EXPECT_EQ(fake.msgBoxes[0].flags, platform::vbCritical);
        EXPECT_EQ(fake.msgBoxes[0].title, "Talvir");
        return fake.msgBoxes[0].text;
    }
    std::string tempordner2;
};

// ---------------------------------------------------------------- command line

TEST_F(ServerstartTest, Server1RunsTheNativeLineWithItsCacheFolderAndClosesTheFrame) {
    Vantor& v = offen();
    starte(v, 1);
    ASSERT_EQ(fake.processes.size(), 1u);
    EXPECT_EQ(fake.processes[0].words, wörter("fenster.CFG", gameFolder + "/custom/cache", "2092"));
    EXPECT_EQ(fake.processes[0].windowStyle, 1);
    EXPECT_EQ(fake.processes[0].slot, 1);
    EXPECT_FALSE(v.Startserver.Visible());
    EXPECT_TRUE(v.Hauptprog.Enabled());
    EXPECT_TRUE(v.M1.Enabled());
    EXPECT_TRUE(v.M3.Enabled());
    EXPECT_TRUE(v.m4.Enabled());
    EXPECT_TRUE(testing_support::fileExists(game("fenster.CFG")));
    EXPECT_FALSE(loop.isRunning(v.Hortsetzten));
    EXPECT_TRUE(fake.inputBoxes.empty());
}

TEST_F(ServerstartTest, Server2RunsTheNativeLineWithItsTempFolderAndPort) {
    Vantor& v = offen();
    starte(v, 2);
    ASSERT_EQ(fake.processes.size(), 1u);
    EXPECT_EQ(fake.processes[0].words, wörter("fenster.CFG", tempordner2, "2093"));
    EXPECT_EQ(fake.processes[0].slot, 2);
}

TEST_F(ServerstartTest, NamedConfigurationGoesOnTheLineUnchangedAndWritesNothing) {
    testing_support::writeBytes(game("fenster.CFG"), "alt\r\n");
    const std::string config = gameRoot / "Mein Server.CFG";
    testing_support::writeBytes(config, "[server config file]\r\nScriptname=Anarchy\r\n");
    Vantor& v = lade();
    v.Configname.Text = config;
    v.SStart_Click();
    starte(v, 1);
    ASSERT_EQ(fake.processes.size(), 1u);
    EXPECT_EQ(fake.processes[0].words, wörter(config, gameFolder + "/custom/cache", "2092"));
    EXPECT_EQ(testing_support::readBytes(game("fenster.CFG")), "alt\r\n");
}

// servermin's value, the server, the expected style (0: no process).
struct Stilfall {
    int servermin;
    int server;
    int stil;
};

class ServerstartStil : public ServerstartTest, public ::testing::WithParamInterface<Stilfall> {};

TEST_P(ServerstartStil, FollowsServerminPerSlot) {
    Vantor& v = offen();
    v.servermin.Value = GetParam().servermin;
    starte(v, GetParam().server);
    if (GetParam().stil == 0) {
        EXPECT_TRUE(fake.processes.empty());
    } else {
        ASSERT_EQ(fake.processes.size(), 1u);
        EXPECT_EQ(fake.processes[0].windowStyle, GetParam().stil);
    }
    // The steps before the process are taken either way.
    EXPECT_FALSE(v.Startserver.Visible());
    EXPECT_TRUE(v.Hauptprog.Enabled());
    EXPECT_TRUE(testing_support::fileExists(game("fenster.CFG")));
}

INSTANTIATE_TEST_SUITE_P(Cases, ServerstartStil,
                         ::testing::Values(Stilfall{0, 1, 1}, Stilfall{1, 1, 6},
                                           Stilfall{2, 1, 0}, Stilfall{0, 2, 1},
                                           Stilfall{1, 2, 2}, Stilfall{2, 2, 0}));

TEST_F(ServerstartTest, ProgramThatCannotStartIsNamedInAMessage) {
    Vantor& v = offen();
    fake.startSucceeds = false;
    fake.answerMsgBox(platform::vbOK, "konnte nicht gestartet werden");
    starte(v, 1);
    ASSERT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_EQ(fake.msgBoxes[0].text, "Der Server konnte nicht gestartet werden:\n" + gameFolder +
                                         "/Descent3 -dedicated " + gameFolder +
                                         "/fenster.CFG -tempdir " + gameFolder +
                                         "/custom/cache -useport 2092");
    EXPECT_EQ(fake.msgBoxes[0].flags, 16);
    EXPECT_EQ(fake.msgBoxes[0].title, "Talvir");
    EXPECT_FALSE(v.Startserver.Visible());
}

TEST_F(ServerstartTest, UnwritableFensterCfgIsNamedAndStartsNothing) {
    // A folder in the way of the file: no rename can replace it.
    testing_support::makeDirs(game("fenster.CFG"));
    Vantor& v = offen();
    fake.answerMsgBox(platform::vbOK, "fenster.CFG");
    starte(v, 1);
    ASSERT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_NE(fake.msgBoxes[0].text.find(game("fenster.CFG")), std::string::npos);
    EXPECT_EQ(fake.msgBoxes[0].title, "Talvir");
    EXPECT_TRUE(fake.processes.empty());
    EXPECT_TRUE(v.Startserver.Visible());
}

TEST_F(ServerstartTest, UnreadableNamedConfigurationIsNamedAndStartsNothing) {
    Vantor& v = lade();
    v.Configname.Text = gameRoot / "weg.CFG";
    v.SStart_Click();
    fake.answerMsgBox(platform::vbOK, "weg.CFG");
    starte(v, 1);
    ASSERT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_NE(fake.msgBoxes[0].text.find("konnte nicht gelesen werden"), std::string::npos);
    EXPECT_TRUE(fake.processes.empty());
}

TEST_F(ServerstartTest, CommunicatorOptionOpensItFirstAndMarksTheWindow) {
    Vantor& v = offen();
    v.Hilfezeigen.Value = 1;
    starte(v, 1);
    EXPECT_NE(program->find<Kommunicator>(), nullptr);
    EXPECT_EQ(v.Fensterwert, 1);
    EXPECT_EQ(fake.processes.size(), 1u);
}

// ---------------------------------------------------------------- fenster.CFG

TEST_F(ServerstartTest, FensterCfgPerServer) {
    Vantor& v = offen();
    v.Fernwalt.Value = 1;
    v.Serverpassw.Text = "geheim";
    v.Schiffe.SetSelected(1, true);
    v.Waffen.SetSelected(13, true);
    v.Audio.Text = "5";
    starte(v, 1);
    const std::vector<std::string> kopf = {"[server config file]"};
    const std::vector<std::string> mitte = {
        "PPS=8",           "TimeLimit=0",        "KillGoal=0",
        "RespawnTime=50",  "MaxPlayers=9",       "GameName=D3 Vantor Spiel",
        "MissionName=ProFight2.mn3", "Scriptname=Anarchy", "ConnectionName=Direct TCP~IP",
        "AllowRemoteConsole=1"};
    const std::vector<std::string> rest = {
        "ConsolePassword=geheim", "SetLevel=1",         "SetDifficulty=1",
        "AccurateCollisions=0",   "SendRotVel=0",       "BrightPlayers=0",
        "Peer2Peer=0",            "AllowMouselook=0",   "MOTD=Hallo",
        "AudioTauntDelay=5",      "DisallowPowerup=Frag", "DisallowPowerup=4packFrag"};
    auto datei = [&](std::vector<std::string> anfang, const std::string& port) {
        anfang.insert(anfang.end(), mitte.begin(), mitte.end());
        anfang.push_back("RemoteConsolePort=" + port);
        anfang.insert(anfang.end(), rest.begin(), rest.end());
        return crlf(anfang);
    };
    std::vector<std::string> server1 = kopf;
    server1.push_back("MultiSettingsFile=" + gameFolder + "/Schiffe.mps");
    EXPECT_EQ(testing_support::readBytes(game("fenster.CFG")), datei(server1, "2092"));

    v.SStart_Click();
    starte(v, 2);
    EXPECT_EQ(testing_support::readBytes(game("fenster.CFG")), datei(kopf, "2093"));
}

// ---------------------------------------------------------------- Hoard

struct Hortfall {
    std::vector<std::string> antworten;
    std::string getippt;
};

class Hortspiel : public ServerstartTest, public ::testing::WithParamInterface<Hortfall> {};

TEST_P(Hortspiel, AsksUntilTheCountFitsAndTypesItFifteenSecondsLater) {
    Vantor& v = offen();
    v.Spieletyp.Text = "Hoard";
    fake.windows.insert("Descent 3");
    for (const std::string& a : GetParam().antworten) fake.answerInputBox(a, "Hortkugeln");
    starte(v, 1);

    const std::size_t fragen = GetParam().antworten.size();
    ASSERT_EQ(fake.inputBoxes.size(), fragen);
    EXPECT_EQ(fake.beeps, static_cast<int>(fragen) - 1);
    for (const auto& box : fake.inputBoxes) {
        EXPECT_EQ(box.prompt, kHortfrage);
        EXPECT_EQ(box.title, "Hortspiel...");
        EXPECT_EQ(box.defaultText, "4");
    }
    // The question does not stop the start: it goes on with fenster.CFG.
    ASSERT_EQ(fake.processes.size(), 1u);
    EXPECT_EQ(fake.processes[0].words.at(2), game("fenster.CFG"));
    EXPECT_EQ(v.Hortmodus, 1);

    loop.advance(14999);
    EXPECT_TRUE(fake.keys.empty());
    loop.advance(1);
    ASSERT_EQ(fake.keys.size(), 1u);
    EXPECT_EQ(fake.keys[0].text, "$mincount " + GetParam().getippt + "\r");
    EXPECT_FALSE(fake.keys[0].wait);
    EXPECT_EQ(fake.keys[0].activeWindow, "Descent 3");
    EXPECT_FALSE(loop.isRunning(v.Hortsetzten));
    loop.advance(30000);
    EXPECT_EQ(fake.keys.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Hortspiel,
    ::testing::Values(Hortfall{{"0", "13", "1"}, "1"}, Hortfall{{"12"}, "12"},
                      Hortfall{{"4"}, "4"}, Hortfall{{"4.5"}, "4.5"},
                      Hortfall{{"", "abc", " 7"}, " 7"}));

TEST_F(ServerstartTest, HoardTickWithoutAServerWindowTypesNothing) {
    Vantor& v = offen();
    v.Spieletyp.Text = "Hoard";
    fake.answerInputBox("4");
    starte(v, 1);
    loop.advance(15000);
    EXPECT_EQ(fake.activations, std::vector<std::string>{"Descent 3"});
    EXPECT_TRUE(fake.keys.empty());
    EXPECT_FALSE(loop.isRunning(v.Hortsetzten));
}

struct Hoardquelle {
    const char* inhalt;  // the named configuration's bytes
    bool fragt;
};

class HoardNamed : public ServerstartTest, public ::testing::WithParamInterface<Hoardquelle> {};

TEST_P(HoardNamed, TheFileDecidesNotTheGameTypeBox) {
    const std::string config = gameRoot / "h.CFG";
    testing_support::writeBytes(config, GetParam().inhalt);
    Vantor& v = lade();
    v.Spieletyp.Text = "Hoard";
    v.Configname.Text = config;
    v.SStart_Click();
    if (GetParam().fragt) fake.answerInputBox("3");
    starte(v, 1);
    EXPECT_EQ(fake.inputBoxes.size(), GetParam().fragt ? 1u : 0u);
    EXPECT_EQ(loop.isRunning(v.Hortsetzten), GetParam().fragt);
    EXPECT_EQ(fake.processes.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HoardNamed,
    ::testing::Values(Hoardquelle{"[server config file]\r\nScriptname=Hoard\r\nMOTD=x\r\n", true},
                      Hoardquelle{"[server config file]\r\nScriptname=hoard\r\n", false},
                      Hoardquelle{"[server config file]\r\nScriptname=Anarchy\r\n", false}));

TEST_F(ServerstartTest, Server2WithANamedConfigurationIsRefusedWhileItsArrowShows) {
    const std::string config = gameRoot / "h.CFG";
    testing_support::writeBytes(config, "Scriptname=Hoard\r\n");
    Vantor& v = offen();
    v.Configname.Text = config;
    v.Hilfezeigen.Value = 1;
    v.Pfeil2.Visible = true;
    fake.answerMsgBox(platform::vbOK, "Zwei Server");
    starte(v, 2);

    ASSERT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_EQ(fake.msgBoxes[0].text,
              "Zwei Server sind bereits gestartet! Kein weitere ist zur Zeit möglich!!");
    EXPECT_EQ(fake.msgBoxes[0].flags, 64);
    EXPECT_EQ(fake.msgBoxes[0].title, "Talvir");
    EXPECT_TRUE(fake.inputBoxes.empty());
    EXPECT_FALSE(loop.isRunning(v.Hortsetzten));
    EXPECT_TRUE(fake.processes.empty());
    EXPECT_TRUE(v.Startserver.Visible());
    EXPECT_FALSE(v.Hauptprog.Enabled());
    EXPECT_FALSE(v.M1.Enabled());
    EXPECT_NE(program->find<Kommunicator>(), nullptr);
}

TEST_F(ServerstartTest, Server2FromTheLastSettingsIsNotRefusedWhileItsArrowShows) {
    Vantor& v = offen();
    v.Pfeil2.Visible = true;
    starte(v, 2);
    EXPECT_EQ(fake.processes.size(), 1u);
    EXPECT_TRUE(fake.msgBoxes.empty());
}

// ---------------------------------------------------------------- Antwort

TEST_F(ServerstartTest, HoardCountSurvivesAFailedStartOfTheOtherServer) {
    Vantor& v = offen();
    v.Spieletyp.Text = "Hoard";
    fake.windows.insert("Descent 3");
    fake.answerInputBox("7");
    starte(v, 1);
    // Within the 15 s a named configuration that cannot be read is chosen.
    v.Configname.Text = gameRoot / "fehlt.CFG";
    fake.answerMsgBox(platform::vbOK, "fehlt.CFG");
    v.Server2start_Click();
    loop.advance(15000);
    EXPECT_EQ(fake.typedTexts(), std::vector<std::string>{"$mincount 7\r"});
}

TEST_F(ServerstartTest, ServerThatDidNotStartGetsNoOrbCount) {
    Vantor& v = offen();
    v.Spieletyp.Text = "Hoard";
    fake.windows.insert("Descent 3");  // another server's window
    fake.startSucceeds = false;
    fake.answerInputBox("5");
    fake.answerMsgBox(platform::vbOK, "konnte nicht gestartet werden");
    starte(v, 1);
    EXPECT_FALSE(loop.isRunning(v.Hortsetzten));
    loop.advance(30000);
    EXPECT_TRUE(fake.keys.empty());
}

// What the game could not take starts nothing: no question, no countdown,
// the start frame stays; a critical message names the piece.
struct Einwandfall {
    const char* name;
    int server;
    std::string levelname;
    std::size_t tempLänge;  // server 2's folder made this long
    bool nenntLevel;        // else the folder
};

class ServerstartEinwand : public ServerstartTest,
                           public ::testing::WithParamInterface<Einwandfall> {};

TEST_P(ServerstartEinwand, RefusesWithAMessageAndStartsNothing) {
    const Einwandfall& f = GetParam();
    Vantor& v = offen();
    v.Spieletyp.Text = "Hoard";
    v.VSAutoend.Value = 1;
    v.Levelname.Text = f.levelname;
    v.Tempordners2.Text = tempordner2 + "/" + std::string(f.tempLänge - tempordner2.size() - 1, 'x');
    const std::string genannt = f.nenntLevel ? f.levelname : v.Tempordners2.Text();
    fake.answerMsgBox(platform::vbOK, "Der Server wird nicht gestartet");
    starte(v, f.server);

    const std::string text = verweigert(v);
    EXPECT_TRUE(text.ends_with(":\n" + genannt)) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ServerstartEinwand,
    ::testing::Values(Einwandfall{"LevelOf32", 1, std::string(28, 'L') + ".mn3", 99, true},
                      Einwandfall{"TempFolderOf100", 2, "ok.mn3", 100, false}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- console port

// A start whose configuration opens its remote console on a port a running
// server holds is refused before anything is asked: the new server would run
// without a console, and its commands would reach nobody, or the other one.
struct Portfall {
    const char* name;
    int server;
    std::string config;     // "": fenster.CFG from the presets with Fernwalt
    int belegt;             // the port the running server holds
    std::string halterTemp; // its temporary folder ("{cache}", "{temp2}")
    std::string wer;        // "" when the start goes ahead
};

void PrintTo(const Portfall& f, std::ostream* os) { *os << f.name; }

class ServerstartKonsolenport : public ServerstartTest,
                                public ::testing::WithParamInterface<Portfall> {};

TEST_P(ServerstartKonsolenport, RefusesAPortARunningServerHolds) {
    const Portfall& f = GetParam();
    Vantor& v = offen();
    v.Spieletyp.Text = "Hoard";  // a start that goes ahead asks for the orbs
    v.Fernwalt.Value = 1;
    v.Serverpassw.Text = "geheim";
    v.port.Text = "2092";
    v.port2.Text = "2092";
    if (!f.config.empty()) {
        testing_support::writeBytes(gameRoot / "named.CFG", f.config);
        v.Configname.Text = gameRoot / "named.CFG";
    }
    std::string temp = f.halterTemp == "{cache}" ? gameFolder + "/custom/cache"
                       : f.halterTemp == "{temp2}" ? tempordner2
                                                   : f.halterTemp;
    fake.consolePorts[f.belegt] = {4711, "/d3/alt.cfg", temp};
    if (f.wer.empty()) {
        fake.answerInputBox("4");
    } else {
        fake.answerMsgBox(platform::vbOK, "Der Server wird nicht gestartet");
    }
    starte(v, f.server);

    if (f.wer.empty()) {
        EXPECT_TRUE(fake.msgBoxes.empty());
        EXPECT_EQ(fake.processes.size(), 1u);
        return;
    }
    EXPECT_EQ(verweigert(v),
              "Der Server wird nicht gestartet: Den Konsolenport " + std::to_string(f.belegt) +
                  " seiner Konfiguration hält schon " + f.wer +
                  ". Befehle für den neuen Server kämen nicht bei ihm an.\nKonfiguration: "
                  "/d3/alt.cfg\nTemporärer Ordner: " + temp);
}

const std::string kKopf = "[server config file]\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, ServerstartKonsolenport,
    ::testing::Values(
        // "Server 2 starten" from the presets, whose port is server 1's.
        Portfall{"PresetsOnServer1sPort", 2, "", 2092, "{cache}", "Server 1"},
        // A saved configuration carrying server 2's port, as in any case.
        Portfall{"NamedOnServer2sPort", 1,
                 kKopf + "allowremoteconsole=1\r\nREMOTECONSOLEPORT=2100;alt\r\nScriptname=Hoard\r\n",
                 2100, "{temp2}", "Server 2"},
        // Without a port line the game takes 2092.
        Portfall{"DefaultPortOfAnotherServer", 2, kKopf + "AllowRemoteConsole=1\r\n", 2092,
                 "/anderswo", "ein laufender Server"},
        Portfall{"ConsoleNotEnabled", 1, kKopf + "RemoteConsolePort=2092\r\nScriptname=Hoard\r\n",
                 2092, "{cache}", ""},
        Portfall{"AnotherPort", 1,
                 kKopf + "AllowRemoteConsole=1\r\nRemoteConsolePort=2101\r\nScriptname=Hoard\r\n",
                 2092, "{cache}", ""}),
    [](const auto& info) { return std::string(info.param.name); });

// Values the server could not use are refused before anything of the start
// happens: no question, no countdown, no fenster.CFG, no process; the frame
// stays open and a critical message names the value.
struct Wertfall {
    const char* name;
    int server;
    const char* port;        // server 1's
    const char* port2;       // server 2's
    bool ohneTempordner2;    // server 2's folder left empty
    const char* konfiguration;  // lines of a named configuration, "" for the last settings
    const char* meldung;     // {C}: the configuration's path
};

class ServerstartWerte : public ServerstartTest, public ::testing::WithParamInterface<Wertfall> {};

TEST_P(ServerstartWerte, RefusesBeforeAnythingIsWrittenAskedOrStarted) {
    const Wertfall& f = GetParam();
    testing_support::writeBytes(game("fenster.CFG"), "alt\r\n");
    const std::string config = gameRoot / "Mein Server.CFG";
    Vantor& v = lade();
    v.Tempordners2.Text = f.ohneTempordner2 ? std::string() : tempordner2;
    v.port.Text = f.port;
    v.port2.Text = f.port2;
    v.Spieletyp.Text = "Hoard";
    v.VSAutoend.Value = 1;
    if (*f.konfiguration) {
        testing_support::writeBytes(config, std::string("[server config file]\r\nScriptname=Hoard\r\n") +
                                                f.konfiguration);
        v.Configname.Text = config;
    }
    v.SStart_Click();
    std::string meldung = f.meldung;
    if (const auto at = meldung.find("{C}"); at != std::string::npos) meldung.replace(at, 3, config);
    fake.answerMsgBox(platform::vbOK, "Der Server wird nicht gestartet");
    starte(v, f.server);

    EXPECT_EQ(verweigert(v), meldung);
    EXPECT_FALSE(v.Hauptprog.Enabled());
    EXPECT_EQ(testing_support::readBytes(game("fenster.CFG")), "alt\r\n");
}

#define VERWEIGERT "Der Server wird nicht gestartet: "
INSTANTIATE_TEST_SUITE_P(
    Cases, ServerstartWerte,
    ::testing::Values(
        Wertfall{"Server1PortText", 1, "abc", "2093", false, "",
                 VERWEIGERT "Der Port \"abc\" ist keine ganze Zahl von 1 bis 65535."},
        Wertfall{"Server1PortMitOption", 1, "2092 -tempdir evil", "2093", false, "",
                 VERWEIGERT "Der Port \"2092 -tempdir evil\" ist keine ganze Zahl von 1 bis 65535."},
        Wertfall{"Server2Port65536", 2, "2092", "65536", false, "",
                 VERWEIGERT "Der Port \"65536\" ist keine ganze Zahl von 1 bis 65535."},
        Wertfall{"Server2PortLeer", 2, "2092", "", false, "", VERWEIGERT "Es ist kein Port angegeben."},
        Wertfall{"Server2OhneTempOrdner", 2, "2092", "2093", true, "",
                 VERWEIGERT "Es ist kein Temp Ordner angegeben (Voreinstellungen, \"Temp Ordner für "
                            "Server 2\")."},
        // The key in any case, the value up to ";", as the game reads it.
        Wertfall{"KonsolenportDerKonfiguration", 1, "2092", "2093", false,
                 "AllowRemoteConsole=1\r\nremoteconsoleport=0;2093\r\n",
                 VERWEIGERT "Der Konsolenport \"0\" (RemoteConsolePort) der Konfiguration ist keine "
                            "ganze Zahl von 1 bis 65535:\n{C}"}),
    [](const auto& info) { return std::string(info.param.name); });
#undef VERWEIGERT

// ---------------------------------------------------------------- early end

// Each server that ended right after its start is reported once, with the
// last lines of its log, in a critical message; the orb count of a start
// under way stays.
TEST_F(ServerstartTest, EarlyEndIsReportedWithTheLastLinesOfTheLog) {
    Vantor& v = lade();
    v.Antwort = "7";
    fake.earlyEnds = {{1, "/p/Server1.log", true, {"Lade Level", "Error: Level fehlt.mn3"}},
                      {2, "/p/Server2.log", false, {}}};
    fake.answerMsgBox(platform::vbOK, "Server 1 hat sich gleich nach dem Start beendet. Die letzten "
                                      "Zeilen seines Protokolls (/p/Server1.log):\nLade Level\n"
                                      "Error: Level fehlt.mn3");
    fake.answerMsgBox(platform::vbOK, "Server 2 hat sich gleich nach dem Start beendet. Sein "
                                      "Protokoll /p/Server2.log konnte nicht angelegt werden.");
    loop.advance(1000);
    ASSERT_EQ(fake.msgBoxes.size(), 2u);
    EXPECT_EQ(fake.msgBoxes[1].flags, platform::vbCritical);
    EXPECT_EQ(fake.msgBoxes[1].title, "Talvir");
    EXPECT_EQ(v.Antwort, "7");
    loop.advance(5000);
    EXPECT_EQ(fake.msgBoxes.size(), 2u);
}
