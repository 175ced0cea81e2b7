#include "common/CommandLine.h"
#include "common/ConsoleCommand.h"
#include "common/MessageBox.h"
#include "common/Paths.h"

#include <gtest/gtest.h>

#include "TestFolders.h"

#include <vector>

namespace {

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
                    LookupCase{"custom/cache", "Custom/CACHE"},
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

TEST(Kommandozeile, ServerOneFromTheLastSettings) {
    EXPECT_EQ(common::Kommandozeile("/spiele/d3", "fenster.CFG",
                                    common::pfad("/spiele/d3", "custom\\cache"), "2092"),
              "/spiele/d3/main -dedicated fenster.CFG -tempdir /spiele/d3/custom/cache -useport 2092");
}

TEST(Kommandozeile, WindowsSeparatorAndEmptyPort) {
    EXPECT_EQ(common::Kommandozeile("D:\\D3", "fenster.CFG", "C:\\D3Temp", "2093", '\\'),
              "D:\\D3\\main -dedicated fenster.CFG -tempdir C:\\D3Temp -useport 2093");
    EXPECT_EQ(common::Kommandozeile("D:\\D3", "fenster.CFG", "C:\\D3Temp", "", '\\'),
              "D:\\D3\\main -dedicated fenster.CFG -tempdir C:\\D3Temp -useport ");
}

struct SplitCase {
    const char* line;
    Words words;
};

class SplitCommandLine : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLine, SplitsAtBlanksOnly) {
    EXPECT_EQ(common::splitCommandLine(GetParam().line), GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SplitCommandLine,
    testing::Values(
        SplitCase{"/g/main -dedicated fenster.CFG -tempdir /g/custom/cache -useport 2092",
                  {"/g/main", "-dedicated", "fenster.CFG", "-tempdir", "/g/custom/cache",
                   "-useport", "2092"}},
        SplitCase{"/g/main -useport ", {"/g/main", "-useport"}},
        SplitCase{"  a   b  ", {"a", "b"}},
        SplitCase{"", {}},
        SplitCase{"   ", {}},
        SplitCase{"/g/main -dedicated x;touch owned", {"/g/main", "-dedicated", "x;touch", "owned"}},
        SplitCase{"a \"b c\" $(id) `id` 'd e'|f>g&",
                  {"a", "\"b", "c\"", "$(id)", "`id`", "'d", "e'|f>g&"}},
        SplitCase{"/Meine Spiele/main -dedicated a", {"/Meine", "Spiele/main", "-dedicated", "a"}},
        SplitCase{"a\tb", {"a\tb"}}));

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
