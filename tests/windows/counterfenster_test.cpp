// The countdown window: eight ticks of a second from "8" to "0", then the
// tool ends, keeping the first page's values and, after a Hoard start, once
// the orb count went out; either cancel control stops it for good. A server
// start with "D3VS Tool nach Serverstart beenden" opens it.
#include <gtest/gtest.h>

#include "console/Kommunicator.h"
#include "launcher/Counterfenster.h"
#include "vantor_fixture.h"

using testing_support::crlf;

class CounterTest : public VantorTest {
protected:
    void SetUp() override { ersterStart(gameFolder); }

    Counterfenster* zähler() { return program->find<Counterfenster>(); }

    // Runs virtual time up to `bis` (absolute); true when the tool ended.
    bool bis(std::int64_t t) {
        try {
            loop.advance(t - loop.now());
        } catch (const ui::ProgramEnded&) {
            return fake.ended;
        }
        return false;
    }

    // Server 1 started from the start frame with the auto-end option ticked.
    void starte(Vantor& v) {
        v.SStart_Click();
        loop.dispatch([&] { v.Server1start.userClick(); });
    }
    Vantor& mitAutoende() {
        Vantor& v = lade();
        v.VSAutoend.Value = 1;
        return v;
    }
};

TEST_F(CounterTest, OpensBorderlessShowingEightWithItsTimerRunning) {
    Counterfenster& c = program->load<Counterfenster>();
    EXPECT_TRUE(c.Visible());
    EXPECT_EQ(c.BorderStyle(), ui::vbBSNone);
    EXPECT_FALSE(c.ControlBox());
    EXPECT_EQ(c.Counter.Caption(), "8");
    EXPECT_EQ(loop.nextDue(c.Timer4), 1000);
}

TEST_F(CounterTest, CountsDownOncePerSecondAndEndsTheToolAtEightSeconds) {
    program->load<Counterfenster>();
    for (int sekunde = 1; sekunde <= 7; ++sekunde) {
        ASSERT_FALSE(bis(sekunde * 1000)) << sekunde;
        EXPECT_EQ(zähler()->Counter.Caption(), std::to_string(8 - sekunde));
    }
    EXPECT_FALSE(bis(7999));
    EXPECT_TRUE(bis(8000));
    EXPECT_EQ(loop.now(), 8000);
    EXPECT_EQ(zähler(), nullptr);  // closed before the end
}

// An automatic end keeps the first page as the user left it, as the menu's
// end does; a level pack's queue stays for the next run.
TEST_F(CounterTest, EndWritesTheFirstPageAndKeepsTheQueue) {
    schreibe("Letztes.ini",
             {"0", "1", "8", "0", "0", "8", "1", "50", "Alt.mn3", "CTF", "Alt", "Hallo"});
    Vantor& v = mitAutoende();
    v.Spieler.Text = "16";
    v.Levelname.Text = "Neu, mit Komma.mn3";
    v.Spielname.Text = "Mein Spiel";
    schreibe("pack.cfg", {"Level2.CFG", "Level3.CFG"});
    starte(v);
    EXPECT_TRUE(bis(8000));
    EXPECT_EQ(bytes("Letztes.ini"), crlf({"0", "1", "16", "0", "0", "8", "1", "50",
                                          "\"Neu, mit Komma.mn3\"", "CTF", "Mein Spiel", "Hallo"}));
    EXPECT_EQ(bytes("pack.cfg"), crlf({"Level2.CFG", "Level3.CFG"}));
}

// ---------------------------------------------------------------- cancelling

struct Abbruch {
    bool perKreuz;
    int nachMs;
};

class CounterAbbruch : public CounterTest, public ::testing::WithParamInterface<Abbruch> {};

TEST_P(CounterAbbruch, StopsTheCountForGood) {
    program->load<Counterfenster>();
    ASSERT_FALSE(bis(GetParam().nachMs));
    Counterfenster& c = *zähler();
    loop.dispatch([&] {
        if (GetParam().perKreuz)
            c.Label13.userClick();
        else
            c.Countabbrechen.userClick();
    });
    EXPECT_EQ(zähler(), nullptr);
    EXPECT_FALSE(bis(loop.now() + 60000));
    EXPECT_FALSE(fake.ended);
}

INSTANTIATE_TEST_SUITE_P(Fälle, CounterAbbruch,
                         ::testing::Values(Abbruch{false, 0}, Abbruch{true, 0},
                                           Abbruch{false, 3500}, Abbruch{true, 3500},
                                           Abbruch{false, 7999}, Abbruch{true, 7999}));

TEST_F(CounterTest, CancelLeavesTheCommunicatorAndTheServerAlone) {
    schreibe("pack.cfg", {"Level2.CFG"});
    Vantor& v = mitAutoende();
    v.Ka_Click();
    v.Fensterwert = 1;
    starte(v);
    ASSERT_NE(zähler(), nullptr);
    loop.dispatch([&] { zähler()->Label13.userClick(); });
    EXPECT_FALSE(bis(20000));
    EXPECT_NE(program->find<Kommunicator>(), nullptr);
    EXPECT_EQ(v.Fensterwert, 1);
    EXPECT_EQ(bytes("pack.cfg"), crlf({"Level2.CFG"}));
    EXPECT_EQ(fake.processes.size(), 1u);
    EXPECT_TRUE(v.Hauptprog.Enabled());
}

// ------------------------------------------------------------- server start

TEST_F(CounterTest, StartWithoutTheOptionOpensNoCountdown) {
    Vantor& v = lade();
    starte(v);
    EXPECT_EQ(fake.processes.size(), 1u);
    EXPECT_EQ(zähler(), nullptr);
    EXPECT_FALSE(bis(60000));
}

TEST_F(CounterTest, SecondStartKeepsTheRunningCount) {
    Vantor& v = mitAutoende();
    starte(v);
    ASSERT_NE(zähler(), nullptr);
    Counterfenster* erster = zähler();
    EXPECT_TRUE(erster->Visible());
    EXPECT_EQ(erster->Counter.Caption(), "8");
    ASSERT_FALSE(bis(3000));
    EXPECT_EQ(erster->Counter.Caption(), "5");

    starte(v);
    EXPECT_EQ(fake.processes.size(), 2u);
    EXPECT_EQ(zähler(), erster);
    EXPECT_EQ(erster->Counter.Caption(), "5");
    EXPECT_FALSE(bis(7999));
    EXPECT_TRUE(bis(8000));
}

TEST_F(CounterTest, StartAfterACancelCountsFromEightAgain) {
    Vantor& v = mitAutoende();
    starte(v);
    ASSERT_FALSE(bis(3000));
    loop.dispatch([&] { zähler()->Countabbrechen.userClick(); });
    ASSERT_FALSE(bis(5000));

    starte(v);
    ASSERT_NE(zähler(), nullptr);
    EXPECT_EQ(zähler()->Counter.Caption(), "8");
    EXPECT_FALSE(bis(12999));
    EXPECT_TRUE(bis(13000));
}

// The Hoard orb count goes to the server 15 s after the start, when it has
// had time to open its console; the countdown holds at "1" until then and
// ends the tool right after the count went out. With no server console to
// take it, the tool still ends.
class CounterHoard : public CounterTest, public ::testing::WithParamInterface<bool> {};

TEST_P(CounterHoard, EndsOnlyOnceTheOrbCountWentOut) {
    const bool konsole = GetParam();
    Vantor& v = mitAutoende();
    v.Spieletyp.Text = "Hoard";
    v.Spieler.Text = "12";
    if (konsole) fake.windows.insert("Descent 3");
    fake.answerInputBox("7");
    starte(v);
    ASSERT_TRUE(loop.isRunning(v.Hortsetzten));
    ASSERT_FALSE(bis(7000));
    EXPECT_EQ(zähler()->Counter.Caption(), "1");
    ASSERT_FALSE(bis(14999));
    EXPECT_EQ(zähler()->Counter.Caption(), "1");
    EXPECT_TRUE(fake.keys.empty());
    EXPECT_TRUE(bis(15000));
    EXPECT_EQ(fake.keys.size(), konsole ? 1u : 0u);
    if (konsole) {
        EXPECT_EQ(fake.keys[0].text, "$mincount 7\r");
    }
    EXPECT_TRUE(bytes("Letztes.ini").starts_with(crlf({"0", "1", "12", "0", "0", "8"})));
}

INSTANTIATE_TEST_SUITE_P(Konsole, CounterHoard, ::testing::Bool());
