// The minute countdown of the automatic texts and the end text.
#include "kommunicator_fixture.h"

using Strings = std::vector<std::string>;

struct Schritt {
    std::string alt, neu;
};

class KommunicatorMinutenschritt : public KommunicatorTest,
                                   public ::testing::WithParamInterface<Schritt> {};

TEST_P(KommunicatorMinutenschritt, EinTickZähltDasFeldHerunter) {
    Kommunicator& k = öffnen();
    k.t2text.Text = GetParam().alt;
    k.aktive2.Value = 1;
    k.t3text.Text = GetParam().alt;  // not active: left alone
    k.Minabzähler.Enabled = true;
    bis(60000);
    EXPECT_EQ(k.t2text.Text(), GetParam().neu);
    EXPECT_EQ(k.t3text.Text(), GetParam().alt);
    EXPECT_EQ(Minutenschritt(GetParam().alt), GetParam().neu);
}

INSTANTIATE_TEST_SUITE_P(, KommunicatorMinutenschritt,
                         ::testing::Values(Schritt{"10", "9"}, Schritt{" 10", "9"},
                                           Schritt{"100", "99"}, Schritt{"2", "1"},
                                           Schritt{"1", "0"}, Schritt{"0", "1"}, Schritt{"", ""},
                                           Schritt{"abc", "1"}, Schritt{"-5", "6"},
                                           Schritt{"2.5", "1.5"}, Schritt{"1.5", ".5"},
                                           Schritt{".5", ".5"}, Schritt{"10a", "9"}));

TEST_F(KommunicatorTest, ZweiTexteImSelbenTickGehenBeideInIhrerReihenfolge) {
    autotexte({{"eins", " 1 ", " 0 ", "2"}, {}, {"drei", " 1 ", " 0 ", "1"}, {"vier", " 1 ", " 0 ", "2"}});
    serverLäuft();
    Kommunicator& k = öffnen();
    EXPECT_EQ(zeitplan(130000),
              (Strings{"60000 aktiviert Descent 3", "60200 getippt Say drei⏎ in Descent 3",
                       "120000 aktiviert Descent 3", "120000 aktiviert Descent 3",
                       "120200 getippt Say eins⏎ in Descent 3",
                       // the first tick gave the communicator the focus back
                       "120200 aktiviert Descent 3",
                       "120200 getippt Say vier⏎ in Descent 3"}));
    // Sent without repeat: switched off, the box stays at "0".
    EXPECT_EQ(k.aktive1.Value(), 0);
    EXPECT_FALSE(k.aktive1.Enabled());
    EXPECT_EQ(k.t1text.Text(), "0");
    EXPECT_EQ(fokus.an, (Strings{"Sendentext", "Sendentext", "Sendentext"}));
    bis(300000);
    EXPECT_EQ(fake.keys.size(), 3u);
}

TEST_F(KommunicatorTest, AbgeschalteterTextWirdDurchEintippenWiederFreigegeben) {
    autotexte({{"eins", " 1 ", " 0 ", "1"}});
    serverLäuft();
    Kommunicator& k = öffnen();
    bis(61000);
    ASSERT_FALSE(k.aktive1.Enabled());
    k.t1text.SelStart = 1;
    tippen(k.t1text, "\b3");
    EXPECT_TRUE(k.aktive1.Enabled());
    EXPECT_EQ(k.aktive1.Value(), 0) << "must be ticked again";
    EXPECT_EQ(k.Wiederholzeit1, 3);
    tippen(k.t1text, "\b0");
    EXPECT_FALSE(k.aktive1.Enabled());
    EXPECT_EQ(k.Wiederholzeit1, 0);
}

TEST_F(KommunicatorTest, EndtextTickLässtDieVierTexteAus) {
    autotexte({{"eins", " 1 ", " 0 ", "1"}}, "Gleich ist Schluss", " 1 ");
    serverLäuft();
    Kommunicator& k = öffnen();
    // "1" typed, the countdown never armed: the end text goes out every tick.
    tippen(k.Endmin, "1");
    EXPECT_EQ(zeitplan(180300),
              (Strings{"60000 aktiviert Descent 3", "60200 getippt Say Gleich ist Schluss⏎ in Descent 3",
                       "120000 aktiviert Descent 3", "120200 getippt Say Gleich ist Schluss⏎ in Descent 3",
                       "180000 aktiviert Descent 3", "180200 getippt Say Gleich ist Schluss⏎ in Descent 3"}));
    EXPECT_EQ(k.t1text.Text(), "0");
    EXPECT_EQ(k.aktive1.Value(), 1);
    EXPECT_EQ(k.aktive5.Value(), 1) << "the end text is never switched off";
}

TEST_F(KommunicatorTest, TextDerImEndtextTickFälligWirdKommtZweiTickeSpäter) {
    autotexte({{"eins", " 1 ", " 0 ", "1"}}, "Ende naht", " 1 ");
    serverLäuft();
    Kommunicator& k = öffnen();
    benutzer([&] { k.Server12.userClick(); });  // the window stays open after the end
    tippen(k.Endmin, "2");
    klicken(k.Endminak);
    // Minute 1: Endmin "1" and t1text "0": the end text alone. Minute 2: the
    // end, t1text "1". Minute 3: Endmin "1" again and t1text "0": again the
    // end text alone.
    const Strings plan = zeitplan(60300);
    EXPECT_EQ(plan, (Strings{"60000 aktiviert Descent 3", "60200 getippt Say Ende naht⏎ in Descent 3"}));
    EXPECT_EQ(k.t1text.Text(), "0");
    bis(120000);
    EXPECT_EQ(k.t1text.Text(), "1");
    EXPECT_EQ(k.Endmin.Text(), "0");
    EXPECT_FALSE(k.Endminak.Enabled());
    EXPECT_EQ(k.Endminak.Value(), 1);
    bis(180000);
    EXPECT_EQ(k.Endmin.Text(), "1");
    EXPECT_TRUE(k.Endminak.Enabled());
    EXPECT_EQ(k.t1text.Text(), "0");
    bis(180300);
    EXPECT_EQ(fake.typedTexts().back(), "Say Ende naht\r") << "not text 1";
}

TEST_F(KommunicatorTest, EndminNullStartetDasEndeAuchOhneHaken) {
    autotexte({{"eins", " 0 ", " 0 ", "5"}});
    serverLäuft();
    Kommunicator& k = öffnen();
    tippen(k.Endmin, "0");
    EXPECT_FALSE(k.Endminak.Enabled());
    EXPECT_EQ(zeitplan(61000), (Strings{"60000 aktiviert Descent 3", "60200 getippt quit⏎ in Descent 3",
                                        "60200 geschlossen"}));
}

TEST_F(KommunicatorTest, WiederholungMitNullMinutenSendetAlleZweiMinuten) {
    autotexte({{"Hallo", " 1 ", " 1 ", "0"}, {"zwei", " 0 ", " 0 ", "5"}});
    serverLäuft();
    Kommunicator& k = öffnen();
    ASSERT_TRUE(loop.isRunning(k.Minabzähler));
    Strings kasten;
    for (int minute = 1; minute <= 6; ++minute) {
        bis(minute * 60000 + 1000);
        kasten.push_back(k.t1text.Text());
    }
    EXPECT_EQ(kasten, (Strings{"1", " 0", "1", " 0", "1", " 0"}));
    EXPECT_EQ(fake.typedTexts(), (Strings{"Say Hallo\r", "Say Hallo\r", "Say Hallo\r"}));
    EXPECT_EQ(k.aktive1.Value(), 1);
}

TEST_F(KommunicatorTest, WiederholungSchreibtDieWiederholminutenMitLeerzeichen) {
    autotexte({{"Hallo", " 1 ", " 1 ", "2"}});
    serverLäuft();
    Kommunicator& k = öffnen();
    const Strings plan = zeitplan(245000);
    EXPECT_EQ(plan, (Strings{"120000 aktiviert Descent 3", "120200 getippt Say Hallo⏎ in Descent 3",
                             "240000 aktiviert Descent 3", "240200 getippt Say Hallo⏎ in Descent 3"}));
    EXPECT_EQ(k.t1text.Text(), " 2");
}

TEST_F(KommunicatorTest, EintippenWährendDesZählensÄndertRestUndWiederholung) {
    autotexte({{"Hallo", " 1 ", " 1 ", "5"}});
    serverLäuft();
    Kommunicator& k = öffnen();
    bis(60000);
    ASSERT_EQ(k.t1text.Text(), "4");
    k.t1text.SelStart = 1;
    tippen(k.t1text, "\b2");
    EXPECT_EQ(k.Wiederholzeit1, 2);
    bis(180200);
    EXPECT_EQ(fake.typedTexts(), Strings{"Say Hallo\r"});
    EXPECT_EQ(k.t1text.Text(), " 2");
}

TEST_F(KommunicatorTest, GegrautesWiederholkästchenLässtAllesStehen) {
    autotexte({{"Hallo", " 1 ", " 2 ", "1"}});
    serverLäuft();
    Kommunicator& k = öffnen();
    bis(60200);
    EXPECT_EQ(fake.typedTexts(), Strings{"Say Hallo\r"});
    EXPECT_EQ(k.aktive1.Value(), 1);
    EXPECT_TRUE(k.aktive1.Enabled());
    EXPECT_EQ(k.t1text.Text(), "0");
}

TEST_F(KommunicatorTest, BruchteilImMinutenfeldSendetNie) {
    autotexte({{"Hallo", " 1 ", " 1 ", "2.5"}});
    serverLäuft();
    Kommunicator& k = öffnen();
    bis(60000);
    EXPECT_EQ(k.t1text.Text(), "1.5");
    bis(120000);
    EXPECT_EQ(k.t1text.Text(), ".5");
    bis(600000);
    EXPECT_EQ(k.t1text.Text(), ".5");
    EXPECT_TRUE(fake.keys.empty());
}

TEST_F(KommunicatorTest, OhneServerfensterBleibtDerTextFälligUndKommtZweiTickeSpäter) {
    autotexte({{"Hallo", " 1 ", " 0 ", "1"}});
    Kommunicator& k = öffnen();
    bis(60500);
    EXPECT_TRUE(fake.keys.empty());
    EXPECT_EQ(k.t1text.Text(), "0");
    EXPECT_EQ(k.aktive1.Value(), 1);
    serverLäuft();
    bis(120000);
    EXPECT_EQ(k.t1text.Text(), "1");
    EXPECT_EQ(zeitplan(181000), (Strings{"60000 aktiviert Descent 3", "180000 aktiviert Descent 3",
                                         "180200 getippt Say Hallo⏎ in Descent 3"}));
}

TEST_F(KommunicatorTest, VerschwindetDasFensterVorDemTippenBleibtDerTextFällig) {
    autotexte({{"Hallo", " 1 ", " 0 ", "1"}});
    serverLäuft();
    Kommunicator& k = öffnen();
    bis(60100);
    fake.windows.clear();
    fake.activeWindow = "Editor";
    bis(60300);
    EXPECT_TRUE(fake.keys.empty());
    EXPECT_EQ(k.aktive1.Value(), 1) << "not switched off by a send that did not happen";
    EXPECT_TRUE(k.aktive1.Enabled());
    serverLäuft();
    bis(180300);
    EXPECT_EQ(fake.typedTexts(), Strings{"Say Hallo\r"});
    EXPECT_EQ(fake.keys[0].activeWindow, "Descent 3");
}

TEST_F(KommunicatorTest, FreigabeRegeln) {
    Kommunicator& k = öffnen();
    tippen(k.Endmin, "3");
    EXPECT_TRUE(k.Endminak.Enabled());
    EXPECT_FALSE(loop.isRunning(k.Minabzähler));
    klicken(k.Endminak);
    EXPECT_EQ(k.Endminstart, "3");
    EXPECT_TRUE(loop.isRunning(k.Minabzähler));
    bis(30000);
    klicken(k.Endminak);  // unticking keeps the countdown running
    EXPECT_TRUE(loop.isRunning(k.Minabzähler));
    EXPECT_EQ(loop.nextDue(k.Minabzähler), 60000);
    klicken(k.Endminak);
    EXPECT_EQ(loop.nextDue(k.Minabzähler), 60000) << "ticking it again keeps the phase";
    k.Endmin.SelStart = 1;
    tippen(k.Endmin, "\b");
    EXPECT_FALSE(k.Endminak.Enabled());
    EXPECT_EQ(k.Endminak.Value(), 1);

    k.Beendentext.Text = "";
    EXPECT_FALSE(k.aktive5.Enabled());
    tippen(k.Beendentext, "x");
    EXPECT_TRUE(k.aktive5.Enabled());
}
