// The start frame: opening it from the first page, the level-pack test on
// pack.cfg, clearing the configuration name and closing it.
#include <gtest/gtest.h>

#include <functional>

#include "vantor_fixture.h"

class StartrahmenTest : public VantorTest {
protected:
    void SetUp() override { ersterStart(gameFolder); }
};

struct Konfigname {
    const char* name;
    bool löschenAktiv;
};

class StartrahmenKonfigname : public StartrahmenTest,
                              public ::testing::WithParamInterface<Konfigname> {};

TEST_P(StartrahmenKonfigname, ShowsTheNameAndOffersClearingOnlyWhenThereIsOne) {
    Vantor& v = lade();
    v.Configname.Text = GetParam().name;
    v.ConLöschen.Enabled = !GetParam().löschenAktiv;
    v.SStart.userClick();
    EXPECT_EQ(v.Conserverstart.Text(), GetParam().name);
    EXPECT_EQ(v.ConLöschen.Enabled(), GetParam().löschenAktiv);
    EXPECT_TRUE(v.Startserver.Visible());
}

INSTANTIATE_TEST_SUITE_P(Cases, StartrahmenKonfigname,
                         ::testing::Values(Konfigname{"", false},
                                           Konfigname{"/srv/d3/Duell 1.CFG", true}));

TEST_F(StartrahmenTest, OpeningLocksDateiExtraAndTheMainAreaAndCopiesBothPorts) {
    Vantor& v = lade();
    v.port.Text = "2100";
    v.port2.Text = "";
    v.SStart.userClick();
    EXPECT_TRUE(v.Startserver.Visible());
    EXPECT_FALSE(v.M1.Enabled());
    EXPECT_FALSE(v.M3.Enabled());
    EXPECT_TRUE(v.m4.Enabled());
    EXPECT_TRUE(v.Infom2.Enabled());
    EXPECT_FALSE(v.Hauptprog.Enabled());
    EXPECT_EQ(v.Portangabe1.Text(), "2100");
    EXPECT_EQ(v.Portangabe2.Text(), "");
    EXPECT_TRUE(fake.msgBoxes.empty());
}

TEST_F(StartrahmenTest, EmptyPortBeepsWarnsAndLeavesTheFrameClosedAfterCopyingTheName) {
    Vantor& v = lade();
    v.port.Text = "";
    v.Configname.Text = "x.CFG";
    fake.answerMsgBox(platform::vbOK, "Kein Port");
    v.SStart_Click();

    EXPECT_EQ(v.Conserverstart.Text(), "x.CFG");
    EXPECT_TRUE(v.ConLöschen.Enabled());
    EXPECT_EQ(fake.beeps, 1);
    ASSERT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_EQ(fake.msgBoxes[0].text,
              "Kein Port angegeben!! Du mußt zuerst Voreinstellungen treffen um den Server zu "
              "starten! ");
    EXPECT_EQ(fake.msgBoxes[0].flags, 16);
    EXPECT_EQ(fake.msgBoxes[0].title, "Talvir");
    EXPECT_EQ(v.Antwort, "1");
    EXPECT_FALSE(v.Startserver.Visible());
    EXPECT_TRUE(v.Hauptprog.Enabled());
    EXPECT_TRUE(v.M1.Enabled());
    EXPECT_EQ(v.Portangabe1.Text(), "2092");
}

// pack.cfg's bytes (nullptr: no file), Server2start before and after.
struct Packtest {
    const char* bytes;
    bool vorher;
    bool nachher;
};

class StartrahmenPack : public StartrahmenTest, public ::testing::WithParamInterface<Packtest> {};

TEST_P(StartrahmenPack, DecidesWhetherServer2MayStart) {
    if (GetParam().bytes) testing_support::writeBytes(prog("pack.cfg"), GetParam().bytes);
    Vantor& v = lade();
    v.Server2start.Enabled = GetParam().vorher;
    v.SStart_Click();
    EXPECT_EQ(v.Server2start.Enabled(), GetParam().nachher);
    EXPECT_TRUE(v.Startserver.Visible());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartrahmenPack,
    ::testing::Values(Packtest{nullptr, false, true},        // no queue file
                      Packtest{"", false, true},             // no item at all
                      Packtest{"\r\nb.CFG\r\n", false, false},  // empty first item: unchanged
                      Packtest{"\r\nb.CFG\r\n", true, true},
                      Packtest{"/srv/a.CFG\r\n/srv/b.CFG\r\n", true, false}));

TEST_F(StartrahmenTest, LoeschenClearsBothNamesAndDisablesItself) {
    Vantor& v = lade();
    v.Configname.Text = "a.CFG";
    v.SStart_Click();
    v.ConLöschen.userClick();
    EXPECT_EQ(v.Conserverstart.Text(), "");
    EXPECT_EQ(v.Configname.Text(), "");
    EXPECT_FALSE(v.ConLöschen.Enabled());
}

class StartrahmenSchliessen
    : public StartrahmenTest,
      public ::testing::WithParamInterface<std::function<void(Vantor&)>> {};

TEST_P(StartrahmenSchliessen, HidesTheFrameAndFreesEverythingButKeepsItsValues) {
    Vantor& v = lade();
    v.Configname.Text = "a.CFG";
    v.SStart_Click();
    v.m4.Enabled = false;
    GetParam()(v);
    EXPECT_FALSE(v.Startserver.Visible());
    EXPECT_TRUE(v.Hauptprog.Enabled());
    EXPECT_TRUE(v.M1.Enabled());
    EXPECT_TRUE(v.M3.Enabled());
    EXPECT_TRUE(v.m4.Enabled());
    EXPECT_EQ(v.Conserverstart.Text(), "a.CFG");
    EXPECT_TRUE(v.Server2start.Enabled());
}

INSTANTIATE_TEST_SUITE_P(Ways, StartrahmenSchliessen,
                         ::testing::Values([](Vantor& v) { v.Serverstartabbrechen.userClick(); },
                                           [](Vantor& v) { v.Label29.userClick(); }));
