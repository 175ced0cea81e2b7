#include "common/CommandLine.h"
#include "common/ConsoleCommand.h"
#include "common/MessageBox.h"
#include "common/Paths.h"

#include <gtest/gtest.h>

#include "TestFolders.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

// A path in the Windows form Wine gives the game, without its drive.
std::string windows(std::string pfad) {
    for (char& c : pfad)
        if (c == '/') c = '\\';
    return pfad;
}

using Words = std::vector<std::string>;

TEST(Pfad, JoinsWithTheSeparator) {
    EXPECT_EQ(common::pfad("/g", "custom\\cache"), "/g/custom/cache");
    EXPECT_EQ(common::pfad("/g", "custom/cache"), "/g/custom/cache");
    EXPECT_EQ(common::pfad("C:\\G", "custom/cache", '\\'), "C:\\G\\custom\\cache");
    EXPECT_EQ(common::pfad("/g/", "fenster.CFG"), "/g//fenster.CFG");
    EXPECT_EQ(common::pfad("", "Schiffe.mps"), "/Schiffe.mps");
}

struct LookupCase {
    const char* rel;
    const char* found;  // below the folder
};

class PfadImSpielordner : public testing::TestWithParam<LookupCase> {
protected:
    PfadImSpielordner() {
        testing_support::makeDirs(dir / "Custom/CACHE");
        testing_support::makeDirs(dir / "missions");
        testing_support::writeBytes(dir / "gamespy.cfg", "");
        testing_support::writeBytes(dir / "Both.txt", "");
        testing_support::writeBytes(dir / "both.txt", "");
        testing_support::writeBytes(dir / "BOTH.TXT", "");
    }
    testing_support::TempDir dir;
};

// Each component finds its entry in any case; an exact name wins over other
// casings; from a missing component on, the rest stays as written.
TEST_P(PfadImSpielordner, FindsEntriesRegardlessOfCase) {
    EXPECT_EQ(common::pfadImSpielordner(dir.path(), GetParam().rel), dir / GetParam().found);
}

INSTANTIATE_TEST_SUITE_P(
    Names, PfadImSpielordner,
    testing::Values(LookupCase{"custom\\cache", "Custom/CACHE"},
                    LookupCase{"Missions", "missions"},
                    LookupCase{"Gamespy.cfg", "gamespy.cfg"},
                    LookupCase{"both.txt", "both.txt"},
                    LookupCase{"bOTH.txt", "BOTH.TXT"},
                    LookupCase{"Fehlt\\Custom", "Fehlt/Custom"},
                    LookupCase{"custom\\cache\\Neu.tmp", "Custom/CACHE/Neu.tmp"}));

TEST(PfadImSpielordnerOhneOrdner, KeepsTheNamesOfAFolderThatIsMissing) {
    EXPECT_EQ(common::pfadImSpielordner("/gibt/es/nicht", "custom\\cache"),
              "/gibt/es/nicht/custom/cache");
    EXPECT_EQ(common::eintragImOrdner("/gibt/es/nicht", "x"), std::nullopt);
}

// A game folder G, a folder B for the PATH, and the configuration fenster.CFG.
class KommandozeileTest : public testing::Test {
protected:
    KommandozeileTest() {
        testing_support::makeDirs(g);
        testing_support::makeDirs(b);
        if (const char* alt = std::getenv("PATH")) altPfad = alt;
        ::setenv("PATH", ("/gibt/es/nicht::" + b).c_str(), 1);
    }
    ~KommandozeileTest() override { ::setenv("PATH", altPfad.c_str(), 1); }
    void wine() {
        testing_support::writeBytes(b + "/wine", "#!/bin/sh\n");
        std::filesystem::permissions(b + "/wine", std::filesystem::perms::owner_all);
    }
    // {G} and {B} in `muster` stand for the two folders.
    std::string mit(std::string muster) const {
        for (auto [platz, ordner] : {std::pair{"{G}", g}, std::pair{"{B}", b}})
            for (std::size_t i; (i = muster.find(platz)) != std::string::npos;)
                muster.replace(i, 3, ordner);
        return muster;
    }
    std::string zeile(const std::string& cfg, const std::string& temp,
                      const std::string& port = "2092") {
        const common::Serverbefehl befehl = common::Kommandozeile(g, mit(cfg), mit(temp), port);
        EXPECT_EQ(befehl.einwand, "");
        return befehl.zeile;
    }
    testing_support::TempDir dir;
    const std::string g = dir / "Spiel", b = dir / "bin";
    std::string altPfad;
};

TEST_F(KommandozeileTest, NativeProgramInAnyCaseGetsAbsolutePaths) {
    testing_support::writeBytes(g + "/descent3", "");
    testing_support::writeBytes(g + "/main.exe", "");
    wine();
    EXPECT_EQ(zeile("fenster.CFG", "{G}/custom/cache"),
              mit("{G}/descent3 -dedicated {G}/fenster.CFG -tempdir {G}/custom/cache -useport 2092"));
    EXPECT_EQ(zeile("/cfg/a.cfg", "temp\\zwei", "2093"),
              mit("{G}/descent3 -dedicated /cfg/a.cfg -tempdir {G}/temp/zwei -useport 2093"));
}

TEST_F(KommandozeileTest, WindowsProgramRunsThroughWineWithWindowsPaths) {
    testing_support::writeBytes(g + "/Main.EXE", "");
    wine();
    EXPECT_EQ(zeile("fenster.CFG", "/tmp/d3 temp"),
              mit("{B}/wine {G}/Main.EXE -dedicated Z:" + windows(g) +
                  "\\fenster.CFG -tempdir \"Z:\\tmp\\d3 temp\" -useport 2092"));
}

// Without a program to run the line still names one, and its start fails
// with the message that names the command.
TEST_F(KommandozeileTest, WithoutAProgramTheLineNamesTheMissingOne) {
    EXPECT_EQ(zeile("x.cfg", "/t"), mit("{G}/Descent3 -dedicated {G}/x.cfg -tempdir /t -useport 2092"));
    testing_support::writeBytes(g + "/main.exe", "");
    EXPECT_EQ(zeile("/x.cfg", "/t"), mit("wine {G}/main.exe -dedicated Z:\\x.cfg -tempdir Z:\\t -useport 2092"));
}

struct Grenzfall {
    const char* name;
    const char* level;     // MissionName line of the configuration, or ""
    const char* einwand;   // what the refusal names, "" for none
    std::string grund = "Das Spiel lädt keinen Level, dessen Name 32 Zeichen oder länger ist";
    std::string temp = "/t";
    bool unterWine = false;
};

class KommandozeileGrenze : public KommandozeileTest,
                            public testing::WithParamInterface<Grenzfall> {};

// A level name of 32 characters as the game reads it, a NUL byte, Wine's "\".
TEST_P(KommandozeileGrenze, RefusesWhatTheGameCouldNotTake) {
    testing_support::writeBytes(g + (GetParam().unterWine ? "/main.exe" : "/Descent3"), "");
    testing_support::writeBytes(
        g + "/a.cfg", std::string("[server config file]\r\n") + GetParam().level + "\r\nPPS=8\r\n");
    const common::Serverbefehl befehl = common::Kommandozeile(g, "a.cfg", GetParam().temp, "2092");
    EXPECT_EQ(befehl.einwand, *GetParam().einwand ? "Der Server wird nicht gestartet: " +
        GetParam().grund + ":\n" + mit(GetParam().einwand) : "");
}

// Why a configuration that loses a setting to a value naming no symbol is refused.
std::string verloren(const std::string& wert, const std::string& schlüssel) {
    return "Der Wert \"" + wert + "\" (" + schlüssel + ") der Konfiguration beginnt mit \"#\": "
           "Das Spiel liest ihn als Namen eines Symbols, das die Konfiguration davor nicht "
           "festlegt, und verliert die Einstellung";
}

INSTANTIATE_TEST_SUITE_P(
    Faelle, KommandozeileGrenze,
    testing::Values(
        Grenzfall{"Level31", "MissionName=abcdefghijklmnopqrstuvwxyz0.mn3", ""},
        Grenzfall{"Level32", "MissionName=abcdefghijklmnopqrstuvwxyz01.mn3",
                  "abcdefghijklmnopqrstuvwxyz01.mn3"},
        Grenzfall{"LevelCutAtComma", "missionname=kurz.mn3, und ein langer Rest dahinter", ""},
        Grenzfall{"LevelUmlautByte", "MissionName=\xe4" "bcdefghijklmnopqrstuvwxyz01.mn3",
                  "äbcdefghijklmnopqrstuvwxyz01.mn3"},
        Grenzfall{"NoLevel", "PPS=8", ""},
        Grenzfall{"NulByte", "", "/t\\0x\\0",
                  "Ein Argument enthält ein Nullzeichen, an dem das Spiel es abschneiden würde",
                  std::string("/t\0x\0", 5)},
        Grenzfall{"BackslashNative", "", "", "", "/t\\x"},
        Grenzfall{"BackslashUnderWine", "", "/t\\x", "Unter Wine wird \"\\\" in einem Pfad zum "
                  "Ordnertrenner; das Spiel bekäme einen anderen Pfad als", "/t\\x", true},
        // A value starting "#" that names no symbol defined before it loses
        // its setting; that is said before a level name too long.
        Grenzfall{"PasswordNamesNoSymbol", "AllowRemoteConsole=1;consolepassword=\t#geheim ",
                  "{G}/a.cfg", verloren("#geheim", "ConsolePassword")},
        Grenzfall{"SymbolDefinedOnlyAfter", "MOTD=#Gr\xfc\xdf\r\n#Gr\xfc\xdf=Hallo", "{G}/a.cfg",
                  verloren("#Grüß", "MOTD")},
        Grenzfall{"LostAfterLevelTooLong", "MissionName=abcdefghijklmnopqrstuvwxyz01.mn3\r\n"
                  "MissionName=#abcdefghijklmnopqrstuvwxyz01.mn3", "{G}/a.cfg",
                  verloren("#abcdefghijklmnopqrstuvwxyz01.mn3", "MissionName")},
        Grenzfall{"SymbolDefinedBefore", "#pw=geheim\r\nConsolePassword=#pw", ""},
        Grenzfall{"HashInsideTheValue", "GameName=Server #1", ""},
        Grenzfall{"UnknownKeyLosesNoSetting", "Passwort=#geheim", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(KommandozeileTest, RefusesAnArgumentOfAHundredCharacters) {
    testing_support::writeBytes(g + "/Descent3", "");
    const std::string lang = "/" + std::string(99, 'x');
    const common::Serverbefehl befehl = common::Kommandozeile(g, "/a.cfg", lang, "2092");
    EXPECT_EQ(befehl.einwand,
              "Der Server wird nicht gestartet: Das Spiel liest nur die ersten 99 Zeichen eines "
              "Arguments, und dieses ist länger:\n" + lang);
    EXPECT_EQ(common::Kommandozeile(g, "/a.cfg", lang.substr(1), "2092").einwand.empty(), false);
    EXPECT_EQ(common::Kommandozeile(g, "/a.cfg", lang.substr(0, 99), "2092").einwand, "");
}

// A pipe named as the configuration is refused without being opened: the
// check must not wait for a writer.
TEST_F(KommandozeileTest, RefusesAPipeAsTheConfiguration) {
    testing_support::writeBytes(g + "/Descent3", "");
    ASSERT_EQ(::mkfifo((g + "/rohr.cfg").c_str(), 0644), 0);
    EXPECT_EQ(common::Kommandozeile(g, "rohr.cfg", "/t", "2092").einwand,
              "Der Server wird nicht gestartet: Die Konfiguration ist keine gewöhnliche Datei:\n" +
                  g + "/rohr.cfg");
}

// A game folder, a configuration and a temporary folder holding blanks,
// quotes, a leading dash and line breaks: each stays one argument, for the
// native build and under Wine alike, and no text becomes an option.
class KommandozeileWoerter : public KommandozeileTest,
                             public testing::WithParamInterface<bool> {};

TEST_P(KommandozeileWoerter, EveryPathAndThePortIsOneArgument) {
    const bool unterWine = GetParam();
    const std::string spiel = dir / "-Mein \"D3\"\nSpiel";
    testing_support::makeDirs(spiel);
    testing_support::writeBytes(spiel + (unterWine ? "/main.exe" : "/Descent3"), "");
    wine();
    const std::string cfg = "-tempdir t -useport 1 \"x\"\n.cfg";
    const std::string temp = "-useport 2 temp\n2";
    const common::Serverbefehl befehl = common::Kommandozeile(spiel, cfg, temp, "2093");
    EXPECT_EQ(befehl.einwand, "");

    const std::string z = unterWine ? "Z:" + windows(spiel) + "\\" : spiel + "/";
    Words erwartet = {"-dedicated", z + cfg, "-tempdir", z + temp, "-useport", "2093"};
    erwartet.insert(erwartet.begin(), spiel + (unterWine ? "/main.exe" : "/Descent3"));
    if (unterWine) erwartet.insert(erwartet.begin(), b + "/wine");
    EXPECT_EQ(befehl.wörter, erwartet);

    // The line a message shows quotes what holds a blank, a quote or a line
    // break, with its quotes doubled.
    const std::string q = unterWine ? "\"Z:" + windows(dir / "") : "\"" + (dir / "");
    const std::string sep = unterWine ? "\\" : "/";
    EXPECT_EQ(befehl.zeile,
              (unterWine ? b + "/wine " : "") + "\"" + (dir / "") + "-Mein \"\"D3\"\"\nSpiel" +
                  (unterWine ? "/main.exe" : "/Descent3") + "\" -dedicated " + q +
                  "-Mein \"\"D3\"\"\nSpiel" + sep + "-tempdir t -useport 1 \"\"x\"\"\n.cfg\" -tempdir " +
                  q + "-Mein \"\"D3\"\"\nSpiel" + sep + "-useport 2 temp\n2\" -useport 2093");
}

INSTANTIATE_TEST_SUITE_P(Builds, KommandozeileWoerter, testing::Bool(),
                         [](const auto& info) { return info.param ? "Wine" : "Nativ"; });

// What the lines give: level ("-" for none)|console port|password|allowed.
struct Lesefall { const char* name; std::string bytes; const char* gelesen; };
class SpielkonfigurationAus : public testing::TestWithParam<Lesefall> {};

TEST_P(SpielkonfigurationAus, ReadsEachLineAsTheGame) {
    const common::Spielkonfiguration k = common::spielkonfigurationAus(GetParam().bytes);
    EXPECT_EQ(k.levelname.value_or("-") + "|" + k.konsolenport + "|" + k.konsolenpasswort + "|" +
                  (k.konsoleErlaubt ? "1" : "0"), GetParam().gelesen);
}

const std::string kKennung = "[server config file]\r\n";
using namespace std::string_literals;

// In LongLine the 255th byte is the ";" before the port command.
INSTANTIATE_TEST_SUITE_P(
    Zeilen, SpielkonfigurationAus,
    testing::Values(
        Lesefall{"TagLineIsNoCommand", "AllowRemoteConsole=1\r\nConsolePassword=pw", "-|2092|pw|0"},
        Lesefall{"BlankAfterKeyLeavesSignInValue", kKennung + "ConsolePassword = geheim", "-|2092|= geheim|0"},
        Lesefall{"BlanksAroundSign", kKennung + "MissionName = Level 1.mn3 ; x", "= Level 1.mn3|2092||0"},
        Lesefall{"OneSignPassedOver", kKennung + "RemoteConsolePort==2093\nConsolePassword:;,pw", "-|=2093|pw|0"},
        Lesefall{"CommandsAfterSemicolon", kKennung + "GameName=x;RemoteConsolePort=2093", "-|2093||0"},
        Lesefall{"CommandsAfterComma", kKennung + "AllowRemoteConsole=1,ConsolePassword=pw", "-|2092|pw|1"},
        Lesefall{"LeadingBlanksColonAndTab", kKennung + " \t RemoteConsolePort:2093\nAllowRemoteConsole\t1", "-|2093||1"},
        Lesefall{"KeysInAnyCase", kKennung + "missionname=a.mn3;REMOTECONSOLEPORT:2093,consolePASSWORD=pw",
                 "a.mn3|2093|pw|0"},
        Lesefall{"IsspaceTrimmed", kKennung + "\fMissionName\v=\vx.mn3\f;ConsolePassword=\t pw \v",
                 "x.mn3|2092|pw|0"},
        Lesefall{"NulEndsLineRestLost", kKennung + "ConsolePassword=ge\0heim;RemoteConsolePort=2093\r\n"
                 "AllowRemoteConsole=1"s, "-|2092|ge|1"},
        Lesefall{"LoneCrEndsLine", kKennung + "ConsolePassword=pw\rAllowRemoteConsole=1", "-|2092|pw|1"},
        Lesefall{"LongLine", kKennung + "MissionName=" + std::string(241, ' ') + "a;RemoteConsolePort=2094"
                 "\nAllowRemoteConsole=1", "a|2092||1"},
        Lesefall{"AtKeyEndsLine", kKennung + "ConsolePassword=pw,@Kommentar=1,AllowRemoteConsole=1",
                 "-|2092|pw|0"},
        Lesefall{"UnknownKeyEndsLine", kKennung + "Mission=a.mn3;ConsolePassword=pw\nGameName=x,"
                 "RemoteConsolePort=2093", "-|2093||0"},
        Lesefall{"EmptyCommandEndsLine", kKennung + "AllowRemoteConsole=1,\v\f: ;ConsolePassword=pw",
                 "-|2092||1"},
        Lesefall{"SymbolDefinedBefore", kKennung + "#pw=geheim,AllowRemoteConsole=1\r\n"
                 "ConsolePassword=#pw;RemoteConsolePort=#port\r\n#port=2093", "-|2092|geheim|0"},
        Lesefall{"SymbolUndefined", kKennung + "ConsolePassword=alt\nConsolePassword=#fehlt,"
                 "AllowRemoteConsole=1", "-|2092|alt|0"},
        // A lookup, found or not, moves the mark a definition goes behind to the head.
        Lesefall{"SymbolDefinedTwiceFirstCounts", kKennung + "#P=x\r\n#P=y\r\nConsolePassword=#P",
                 "-|2092|x|0"},
        Lesefall{"LookupMovesTheMarkToTheHead", kKennung + "#A=a\r\n#P=x\r\nGameName=#A\r\n#P=y\r\n"
                 "#P=z\r\nConsolePassword=#P", "-|2092|y|0"},
        Lesefall{"FailedLookupMovesTheMarkToo", kKennung + "#A=a\r\n#P=x\r\nGameName=#fehlt\r\n"
                 "#P=y\r\n#P=z\r\nConsolePassword=#P", "-|2092|y|0"},
        // A definition's value is replaced first; naming no symbol, it
        // defines nothing and ends the line.
        Lesefall{"DefinitionTakesTheSymbolsText", kKennung + "#B=b\r\n#A #B\r\nConsolePassword=#A",
                 "-|2092|b|0"},
        Lesefall{"DefinitionOfAnUnknownSymbol", kKennung + "#A #B,AllowRemoteConsole=1\r\n"
                 "ConsolePassword=#A", "-|2092||0"},
        // A key counts by 31 characters; a value names its symbol uncut.
        Lesefall{"SymbolNameCutTo30", kKennung + "#" + std::string(30, 'n') + "12345=lang\r\n"
                 "ConsolePassword=#" + std::string(30, 'n') + "\r\nRemoteConsolePort=#" +
                 std::string(30, 'n') + "12345", "-|2092|lang|0"},
        Lesefall{"AtoiLeadingZero", kKennung + "AllowRemoteConsole=01", "-|2092||1"},
        Lesefall{"AtoiDigitsBeforeText", kKennung + "AllowRemoteConsole=2 Spieler", "-|2092||1"},
        Lesefall{"AtoiNegative", kKennung + "AllowRemoteConsole=1\nAllowRemoteConsole=-1", "-|2092||0"},
        Lesefall{"AtoiNoNumber", kKennung + "AllowRemoteConsole=1\nAllowRemoteConsole=abc", "-|2092||0"},
        Lesefall{"LastLineWins", kKennung + "ConsolePassword=eins \r\nRemoteConsolePort=2093\r\n"
                 "consolepassword=zwei", "-|2093|zwei|0"},
        Lesefall{"OnlyBlanks", kKennung + "ConsolePassword=pw\nconsolepassword= \t ", "-|2092||0"}),
    [](const auto& info) { return std::string(info.param.name); });

// The start's checks read only the first 64 KiB of a configuration: a level
// line just beyond is not seen, one just before is.
TEST_F(KommandozeileTest, ReadsNoMoreThan64KiBOfTheConfiguration) {
    testing_support::writeBytes(g + "/Descent3", "");
    const std::string zuLang = "MissionName=" + std::string(40, 'L') + ".mn3";
    for (const std::size_t stelle : {std::size_t{65536} - 60, std::size_t{65536}}) {
        std::string bytes = kKennung + std::string(stelle - kKennung.size() - 1, ' ') + "\n" + zuLang;
        testing_support::writeBytes(g + "/a.cfg", bytes);
        EXPECT_EQ(common::Kommandozeile(g, "a.cfg", "/t", "2092").einwand.empty(), stelle == 65536)
            << stelle;
    }
}

// A port is a whole number from 1 to 65535 in digits alone.
TEST(PortGueltig, TakesDigitsFrom1To65535Only) {
    for (const char* port : {"1", "65535", "02092"}) EXPECT_TRUE(common::portGültig(port)) << port;
    for (const char* port : {"", "0", "65536", "99999999999", "abc", " 2092", "2092 ", "-1", "+1"})
        EXPECT_FALSE(common::portGültig(port)) << port;
}

// Records what the console was asked to do.
class FakeConsole : public platform::Console {
public:
    bool windowExists = true;
    bool managerRefuses = false;  // the window exists but stays behind
    std::vector<std::string> activated;
    std::vector<std::pair<std::string, bool>> typed;

    bool AppActivate(const std::string& title) override {
        activated.push_back(title);
        return windowExists;
    }
    bool IsActive(const std::string& title) override { return windowExists && !managerRefuses; }
    bool SendKeys(const std::string& text, bool wait) override {
        typed.emplace_back(text, wait);
        return true;
    }
};

TEST(SendConsoleCommand, ActivatesTheServerWindowThenTypesWithEnter) {
    FakeConsole console;
    EXPECT_TRUE(common::sendConsoleCommand(console, "Say Hallo"));
    EXPECT_TRUE(common::sendConsoleCommand(console, "$mincount 4.5", false));
    EXPECT_EQ(console.activated, (Words{"Descent 3", "Descent 3"}));
    ASSERT_EQ(console.typed.size(), 2u);
    EXPECT_EQ(console.typed[0], std::make_pair(std::string("Say Hallo\r"), true));
    EXPECT_EQ(console.typed[1], std::make_pair(std::string("$mincount 4.5\r"), false));
}

TEST(SendConsoleCommand, TypesNothingWithoutAServerWindow) {
    FakeConsole console;
    console.windowExists = false;
    EXPECT_FALSE(common::sendConsoleCommand(console, "quit"));
    EXPECT_EQ(console.activated, (Words{"Descent 3"}));
    EXPECT_TRUE(console.typed.empty());
}

TEST(SendConsoleCommand, TypesNothingWhenTheServerWindowStaysBehind) {
    FakeConsole console;
    console.managerRefuses = true;
    EXPECT_FALSE(common::sendConsoleCommand(console, "$mincount 4", false));
    EXPECT_FALSE(common::serverFensterVorn(console));
    EXPECT_TRUE(console.typed.empty());
}

class FakeDialogs : public platform::Dialogs {
public:
    std::vector<std::tuple<std::string, int, std::string>> shown;
    int MsgBox(const std::string& text, int flags, const std::string& title) override {
        shown.emplace_back(text, flags, title);
        return platform::vbOK;
    }
    std::string InputBox(const std::string&, const std::string&, const std::string&) override {
        return "";
    }
    std::optional<std::string> ShowOpen(const platform::FileDialogRequest&) override { return {}; }
    std::optional<std::string> ShowSave(const platform::FileDialogRequest&) override { return {}; }
    std::optional<int> ShowPrinter(int) override { return {}; }
};

TEST(Meldung, ShowsUnderTheToolsTitle) {
    FakeDialogs dialogs;
    const std::string text = common::fileWriteErrorText("/p/STS.ini", "Permission denied");
    EXPECT_EQ(text, "Die Datei /p/STS.ini konnte nicht geschrieben werden:\nPermission denied");
    EXPECT_EQ(common::Meldung(dialogs, text, platform::vbCritical), platform::vbOK);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0], std::make_tuple(text, 16, std::string("Talvir")));
    EXPECT_EQ(common::fileReadErrorText("/p/pack.cfg", "No such file or directory"),
              "Die Datei /p/pack.cfg konnte nicht gelesen werden:\nNo such file or directory");
}

}  // namespace
