// The status poll over both servers' temporary folders (a server runs while
// a process holds its folder, whatever files lie there), the running arrows
// and the two cache-clearing buttons.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "vantor_fixture.h"

namespace fs = std::filesystem;

class StatusTest : public VantorTest {
protected:
    void SetUp() override {
        ersterStart(gameFolder);
        tempordner2 = gameRoot / "D3Temp";
        testing_support::makeDirs(tempordner2);
        servertool({{15, tempordner2}});
    }
    std::string cache(const std::string& name) { return game("custom/cache/" + name); }
    std::string temp2(const std::string& name) { return tempordner2 + "/" + name; }
    // A running process holds the folder, or no longer does.
    void belegt(const std::string& ordner, bool ja = true) {
        if (ja)
            fake.foldersInUse.insert(ordner);
        else
            fake.foldersInUse.erase(ordner);
    }
    void dateien(const std::string& ordner, int anzahl) {
        for (int i = 0; i < anzahl; ++i)
            testing_support::writeBytes(ordner + "/d" + std::to_string(i) + ".tmp", "x");
    }
    static void erwarteLaeuft(Vantor& v, int server, bool laeuft) {
        ui::Label& zustand = server == 1 ? v.Label15 : v.Label26;
        EXPECT_EQ(zustand.Caption(), laeuft ? "Ein" : "Aus");
        EXPECT_EQ(zustand.ForeColor(), laeuft ? 0xFF00 : 0xFF);
        EXPECT_EQ((server == 1 ? v.Pfeil : v.Pfeil2).Visible(), laeuft);
        EXPECT_EQ((server == 1 ? v.Server1start : v.Server2start).Enabled(), !laeuft);
        EXPECT_EQ((server == 1 ? v.AS1 : v.AS2).Enabled(), !laeuft);
    }
    bool pfeilLaeuft(Vantor& v, int server) {
        return loop.isRunning(server == 1 ? v.Timer1 : v.Timer3);
    }
    std::string tempordner2;
};

// Files in the folder, whether a process holds it, whether the server ran
// before the tick, and after. The files a server leaves when it ends (its
// modules) do not keep it running; a folder held with no listed file (only
// the hidden .lock) does.
struct Pollfall {
    int server;
    int dateien;
    bool belegt;
    bool vorher;
    bool nachher;
};

class StatusPoll : public StatusTest, public ::testing::WithParamInterface<Pollfall> {};

TEST_P(StatusPoll, TurnsTheHeldFolderIntoTheServersState) {
    const Pollfall f = GetParam();
    Vantor& v = lade();
    v.Serveranzeige(f.server, f.vorher);
    const std::string ordner = f.server == 1 ? game("custom/cache") : tempordner2;
    dateien(ordner, f.dateien);
    belegt(ordner, f.belegt);
    loop.advance(1000);
    erwarteLaeuft(v, f.server, f.nachher);
    EXPECT_EQ(pfeilLaeuft(v, f.server), f.nachher);
    // The other server's folder is not held: it shows stopped.
    erwarteLaeuft(v, 3 - f.server, false);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StatusPoll,
    ::testing::Values(Pollfall{1, 0, false, true, false}, Pollfall{1, 5, false, true, false},
                      Pollfall{1, 0, true, false, true}, Pollfall{1, 5, true, false, true},
                      Pollfall{2, 3, false, true, false}, Pollfall{2, 0, true, false, true},
                      Pollfall{2, 2, true, true, true}));

TEST_F(StatusTest, PollFollowsTheHeldFolderEachSecond) {
    Vantor& v = lade();
    dateien(game("custom/cache"), 3);
    loop.advance(1000);
    erwarteLaeuft(v, 1, false);
    belegt(game("custom/cache"));
    loop.advance(999);
    EXPECT_EQ(v.Label15.Caption(), "Aus");
    loop.advance(1);
    erwarteLaeuft(v, 1, true);
    // Ended: its files stay, the status goes at the next poll.
    belegt(game("custom/cache"), false);
    loop.advance(1000);
    erwarteLaeuft(v, 1, false);
}

// Server 2's folder as the presets checked it is the one asked about, not a
// folder only typed into the presets; a folder that vanished is held by no
// one.
TEST_F(StatusTest, Server2FollowsTheWatchedFolder) {
    Vantor& v = lade();
    const std::string anderer = gameRoot / "Anderer";
    belegt(anderer);
    v.Tempordners2.Text = anderer;
    loop.advance(1000);
    erwarteLaeuft(v, 2, false);
    belegt(tempordner2);
    loop.advance(1000);
    erwarteLaeuft(v, 2, true);
    fs::remove_all(tempordner2);
    belegt(tempordner2, false);
    loop.advance(1000);
    erwarteLaeuft(v, 2, false);
}

TEST_F(StatusTest, TwoCharacterTempFolderIsNeverPolled) {
    servertool({{15, "C:"}});
    Vantor& v = lade();
    EXPECT_FALSE(v.Cache2.Enabled());
    v.Server2start.Enabled = false;
    v.Label26.Caption = "?";
    loop.advance(5000);
    EXPECT_EQ(v.Label26.Caption(), "?");
    EXPECT_FALSE(v.Server2start.Enabled());
    EXPECT_FALSE(v.Pfeil2.Visible());
    EXPECT_FALSE(v.Cache2.Enabled());
}

class LevelpackCaption : public StatusTest, public ::testing::WithParamInterface<int> {};

TEST_P(LevelpackCaption, KeepsAS2DisabledWhetherServer2RunsOrNot) {
    Vantor& v = lade();
    v.ASservertext.Text = einstellungen::kLevelPack;
    belegt(tempordner2, GetParam() == 1);
    loop.advance(1000);
    EXPECT_FALSE(v.AS2.Enabled());
    EXPECT_EQ(v.Server2start.Enabled(), GetParam() == 0);
    EXPECT_TRUE(v.AS1.Enabled());
}

INSTANTIATE_TEST_SUITE_P(Files, LevelpackCaption, ::testing::Values(0, 1));

TEST_F(StatusTest, ArrowGrowsNinePairsAndStartsOverOnTheTenthTick) {
    Vantor& v = lade();
    belegt(game("custom/cache"));
    loop.advance(1000);
    ASSERT_TRUE(v.Pfeil.Visible());
    v.Pfeil.Caption = "-";
    std::vector<std::string> gesehen;
    for (int tick = 0; tick < 20; ++tick) {
        v.Timer1_Timer();
        gesehen.push_back(v.Pfeil.Caption());
    }
    std::string erwartet = "-";
    for (int tick = 0; tick < 20; ++tick) {
        erwartet = tick % 10 == 9 ? "-" : "(" + erwartet + ")";
        EXPECT_EQ(gesehen[tick], erwartet) << "tick " << tick + 1;
        EXPECT_LE(gesehen[tick].size(), 19u);
    }
    EXPECT_EQ(gesehen[8].size(), 19u);
}

TEST_F(StatusTest, ArrowTimersRunEvery25Milliseconds) {
    Vantor& v = lade();
    v.Pfeil2.Caption = "-";
    loop.advance(250);  // ten ticks of Timer3, which runs from the start
    EXPECT_EQ(v.Pfeil2.Caption(), "-");
    loop.advance(25);
    EXPECT_EQ(v.Pfeil2.Caption(), "(-)");
}

namespace {

// WCAG contrast ratio of two &HBBGGRR colours.
double kontrast(ui::Colour a, ui::Colour b) {
    auto helligkeit = [](ui::Colour c) {
        auto kanal = [](long v) {
            const double s = v / 255.0;
            return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * kanal(c & 0xFF) + 0.7152 * kanal((c >> 8) & 0xFF) +
               0.0722 * kanal((c >> 16) & 0xFF);
    };
    const double la = helligkeit(a), lb = helligkeit(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace

TEST_F(StatusTest, EveryStatusCaptionReadsOnItsGroundRunningOrNot) {
    Vantor& v = lade();
    ASSERT_EQ(v.Statusleiste.FillStyle(), 0) << "the strip is filled";
    for (bool läuft : {false, true}) {
        v.Serveranzeige(1, läuft);
        v.Serveranzeige(2, läuft);
        for (ui::Label* l : {&v.Label14, &v.Label15, &v.Pfeil, &v.Label27, &v.Label26, &v.Pfeil2}) {
            const ui::Colour grund = l->BackStyle() == 1 ? l->BackColor() : v.Statusleiste.FillColor();
            EXPECT_GE(kontrast(l->ForeColor(), grund), 4.5) << l->Name() << " läuft " << läuft;
            EXPECT_EQ(grund, v.Statusleiste.FillColor()) << l->Name() << " lies on the strip's ground";
        }
    }
    EXPECT_NEAR(kontrast(0xFFFFFF, 0), 21.0, 1e-9);
}

// ---------------------------------------------------------------- clearing

TEST_F(StatusTest, Cachl_KeepsFilesNamedEmptyAndDeletesTheRest) {
    for (const char* name : {"empty", "emptyX.dat", "Empty.txt", "empt", "a.tmp"})
        testing_support::writeBytes(cache(name), "x");
    Vantor& v = lade();
    loop.advance(1000);
    fake.answerMsgBox(platform::vbOK, "geleert");
    v.Cachl.userClick();

    EXPECT_TRUE(testing_support::fileExists(cache("empty")));
    EXPECT_TRUE(testing_support::fileExists(cache("emptyX.dat")));
    EXPECT_FALSE(testing_support::fileExists(cache("Empty.txt")));
    EXPECT_FALSE(testing_support::fileExists(cache("empt")));
    EXPECT_FALSE(testing_support::fileExists(cache("a.tmp")));
    ASSERT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_EQ(fake.msgBoxes[0].text, "Der Cach wurde geleert !");
    EXPECT_EQ(fake.msgBoxes[0].flags, 64);
    EXPECT_EQ(fake.msgBoxes[0].title, "Talvir");
    // The two "empty" files stay, and no process holds the folder: stopped,
    // at once and at the next poll.
    erwarteLaeuft(v, 1, false);
    loop.advance(1000);
    erwarteLaeuft(v, 1, false);
}

TEST_F(StatusTest, Cachl_OnOnlyEmptyFilesDeletesNothingAndStillReportsSuccess) {
    testing_support::writeBytes(cache("empty.dat"), "x");
    Vantor& v = lade();
    fake.answerMsgBox(platform::vbOK, "Der Cach wurde geleert !");
    v.Cachl_Click();
    EXPECT_TRUE(testing_support::fileExists(cache("empty.dat")));
    erwarteLaeuft(v, 1, false);
}

TEST_F(StatusTest, Cachl_StopsAtAFileARunningServerHolds) {
    for (const char* name : {"a.tmp", "b.tmp", "c.tmp"}) testing_support::writeBytes(cache(name), "x");
    Vantor& v = lade();
    fake.filesInUse.insert(cache("b.tmp"));
    v.Label15.Caption = "?";
    fake.answerMsgBox(platform::vbOK, "läuft noch");
    v.Cachl_Click();

    ASSERT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_EQ(fake.msgBoxes[0].text, "Der Cach ist leer oder ein Server läuft noch!");
    EXPECT_EQ(fake.msgBoxes[0].flags, 64);
    EXPECT_FALSE(testing_support::fileExists(cache("a.tmp")));
    EXPECT_TRUE(testing_support::fileExists(cache("b.tmp")));
    EXPECT_TRUE(testing_support::fileExists(cache("c.tmp")));
    EXPECT_EQ(v.Label15.Caption(), "?");
}

TEST_F(StatusTest, Cachl_FailsOnAFileAlreadyGone) {
    testing_support::writeBytes(cache("a.tmp"), "x");
    Vantor& v = lade();
    fs::remove(cache("a.tmp"));
    fake.answerMsgBox(platform::vbOK, "läuft noch");
    v.Cachl_Click();
    EXPECT_EQ(fake.msgBoxes.size(), 1u);
}

TEST_F(StatusTest, Cache2_OnAnEmptyFolderReportsTheFailure) {
    Vantor& v = lade();
    ASSERT_TRUE(v.Cache2.Enabled());
    fake.answerMsgBox(platform::vbOK, "Der Cach ist leer oder ein Server läuft noch!");
    v.Cache2.userClick();
    EXPECT_EQ(fake.msgBoxes.size(), 1u);
}

TEST_F(StatusTest, Cache2_DeletesEveryFileAndShowsWhetherTheFolderIsHeld) {
    dateien(tempordner2, 2);
    Vantor& v = lade();
    v.Serveranzeige(2, true);
    fake.answerMsgBox(platform::vbOK, "Der Cach wurde geleert !");
    v.Cache2_Click();
    EXPECT_TRUE(fs::is_empty(tempordner2));
    erwarteLaeuft(v, 2, false);
}

TEST_F(StatusTest, Cache2_LeavesFilesARunningServerHolds) {
    dateien(tempordner2, 1);
    Vantor& v = lade();
    fake.filesInUse.insert(temp2("d0.tmp"));
    fake.answerMsgBox(platform::vbOK, "läuft noch");
    v.Cache2_Click();
    EXPECT_TRUE(testing_support::fileExists(temp2("d0.tmp")));
}

// Whether a process holds anything cannot be told: the status stays, no file goes.
class Ungewiss : public StatusTest, public ::testing::WithParamInterface<int> {};

TEST_P(Ungewiss, KeepsTheStatusAndDeletesNothing) {
    const int server = GetParam();
    const std::string ordner = server == 1 ? game("custom/cache") : tempordner2;
    dateien(ordner, 2);
    Vantor& v = lade();
    belegt(ordner);
    loop.advance(1000);
    fake.processesUnreadable = true;
    loop.advance(3000);
    erwarteLaeuft(v, server, true);
    fake.answerMsgBox(platform::vbOK, "nicht feststellen");
    (server == 1 ? v.Cachl : v.Cache2).userClick();
    ASSERT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_EQ(fake.msgBoxes[0].text,
              "Der Cach wird nicht geleert: Ob ein Server die Dateien noch hält, lässt sich gerade "
              "nicht feststellen (die laufenden Prozesse sind nicht lesbar).");
    EXPECT_TRUE(testing_support::fileExists(ordner + "/d0.tmp"));
    EXPECT_TRUE(testing_support::fileExists(ordner + "/d1.tmp"));
}

INSTANTIATE_TEST_SUITE_P(Server, Ungewiss, ::testing::Values(1, 2));

// The presets' question for a missing folder of server 2: OK makes it and the
// poll watches it from then on; Cancel leaves the list on the folder it had
// (empty here), so the poll shows server 2 stopped.
class FehlenderTempordner : public StatusTest, public ::testing::WithParamInterface<int> {};

TEST_P(FehlenderTempordner, DecidesWhatThePollWatches) {
    const bool ok = GetParam() == platform::vbOK;
    Vantor& v = lade();
    const std::string neu = gameRoot / "neu2";
    v.Opm1a_Click();
    v.Tempordners2.Text = neu;
    fake.answerMsgBox(GetParam(), "Soll er jetzt erstellt werden?");
    if (ok) fake.answerMsgBox(platform::vbOK, "Voreinstellung gespeichert !");
    v.VorOK.userClick();
    ASSERT_EQ(fs::is_directory(neu), ok);
    belegt(neu);
    v.Serveranzeige(2, !ok);
    loop.advance(1000);
    erwarteLaeuft(v, 2, ok);
}

INSTANTIATE_TEST_SUITE_P(Answers, FehlenderTempordner,
                         ::testing::Values(int{platform::vbOK}, int{platform::vbCancel}));

TEST_F(StatusTest, Cachl_JoinsAListedNameAsItStands) {
    // On this system a backslash is part of a file name, not a folder.
    testing_support::makeDirs(cache("sub"));
    testing_support::writeBytes(cache("sub/keep.txt"), "bleibt");
    testing_support::writeBytes(cache("sub\\keep.txt"), "x");
    Vantor& v = lade();
    fake.answerMsgBox(platform::vbOK, "geleert");
    v.Cachl_Click();
    EXPECT_FALSE(testing_support::fileExists(cache("sub\\keep.txt")));
    EXPECT_EQ(testing_support::readBytes(cache("sub/keep.txt")), "bleibt");
}

TEST_F(StatusTest, Cache2_ClearsTheWatchedFolderNotOneOnlyTypedIntoThePresets) {
    dateien(tempordner2, 2);
    const std::string anderer = gameRoot / "Wichtig";
    testing_support::makeDirs(anderer);
    testing_support::writeBytes(anderer + "/wichtig.txt", "x");
    Vantor& v = lade();
    v.Tempordners2.Text = anderer;  // typed, then the presets were cancelled
    fake.answerMsgBox(platform::vbOK, "geleert");
    v.Cache2_Click();
    EXPECT_TRUE(testing_support::fileExists(anderer + "/wichtig.txt"));
    EXPECT_FALSE(testing_support::fileExists(temp2("d0.tmp")));
    EXPECT_FALSE(testing_support::fileExists(temp2("d1.tmp")));
}
