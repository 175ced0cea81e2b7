// Console commands given by hand, and the filter of the six text boxes.
#include <stdexcept>

#include "kommunicator_fixture.h"

using Strings = std::vector<std::string>;

namespace {

const char* const kSonderzeichenText =
    "Sonderzeichen können nicht gesendet werden ! Zb. § % ( ) ` ´ + €";

ui::TextBox& feld(Kommunicator& k, const std::string& name) {
    for (ui::TextBox* t : {&k.Sendentext, &k.Text1, &k.Text2, &k.Text3, &k.Text4, &k.Beendentext,
                           &k.t3text, &k.Endmin})
        if (t->Name() == name) return *t;
    throw std::invalid_argument(name);
}

}  // namespace

class KommunicatorFilter
    : public KommunicatorTest,
      public ::testing::WithParamInterface<std::tuple<std::string, char>> {};

TEST_P(KommunicatorFilter, SonderzeichenWirdAbgewiesen) {
    const auto& [name, zeichen] = GetParam();
    Kommunicator& k = öffnen();
    ui::TextBox& box = feld(k, name);
    box.Text = "ab";
    box.SelStart = 2;
    fake.answerMsgBox(platform::vbOK);
    tippen(box, std::string(1, zeichen));

    EXPECT_EQ(box.Text(), "ab");
    EXPECT_EQ(fake.beeps, 1);
    ASSERT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_EQ(fake.msgBoxes[0].text, kSonderzeichenText);
    EXPECT_EQ(fake.msgBoxes[0].flags, 64);
    EXPECT_EQ(fake.msgBoxes[0].title, "Talvir");
    EXPECT_EQ(k.Antwort, platform::vbOK);
}

INSTANTIATE_TEST_SUITE_P(
    , KommunicatorFilter,
    ::testing::Combine(::testing::Values("Sendentext", "Text1", "Text2", "Text3", "Text4",
                                         "Beendentext"),
                       ::testing::Values('"', '%', '\'', '(', ')', '+', '@', '`')),
    [](const auto& info) {
        return std::get<0>(info.param) + "_" + std::to_string(int(std::get<1>(info.param)));
    });

class KommunicatorOhneFilter
    : public KommunicatorTest,
      public ::testing::WithParamInterface<std::tuple<std::string, std::string>> {};

TEST_P(KommunicatorOhneFilter, ZeichenKommtAn) {
    const auto& [name, text] = GetParam();
    Kommunicator& k = öffnen();
    ui::TextBox& box = feld(k, name);
    box.Text = "";
    tippen(box, text);
    EXPECT_EQ(box.Text(), text);
    EXPECT_EQ(fake.beeps, 0);
    EXPECT_TRUE(fake.msgBoxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    , KommunicatorOhneFilter,
    ::testing::Values(std::tuple{"Text3", "§´€"}, std::tuple{"Sendentext", "Grüße, 5€ § ´!"},
                      std::tuple{"Beendentext", "Tschüß & {Ende}"}, std::tuple{"t3text", "+@\""},
                      std::tuple{"Endmin", "(%)"}),
    [](const auto& info) { return std::get<0>(info.param) + std::to_string(info.index); });

TEST_F(KommunicatorTest, EingefügterTextWirdNichtGefiltert) {
    Kommunicator& k = öffnen();
    benutzer([&] { k.Text1.userSetsText("(a+b)"); });
    EXPECT_EQ(k.Text1.Text(), "(a+b)");
    EXPECT_TRUE(fake.msgBoxes.empty());
}

TEST_F(KommunicatorTest, EnterSchicktDenTextZweihundertMillisekundenSpäter) {
    serverLäuft();
    Kommunicator& k = öffnen();
    tippen(k.Sendentext, "Hallo");
    tippen(k.Sendentext, "\n");
    EXPECT_EQ(fake.beeps, 1);
    EXPECT_EQ(k.Sendentext.Text(), "Hallo");
    // The box's content at the tick is what goes out.
    tippen(k.Sendentext, " Welt");
    EXPECT_EQ(zeitplan(1000),
              (Strings{"0 aktiviert Descent 3", "200 getippt Say Hallo Welt⏎ in Descent 3"}));
    EXPECT_EQ(k.Sendentext.Text(), "");
    EXPECT_EQ(fokus.an, (Strings{"Sendentext"}));
}

// After each line the communicator is in front again, so the user's next
// line goes into its box and out as a chat line, never into the server.
TEST_F(KommunicatorTest, NachJederZeileIstDerKommunicatorVorn) {
    serverLäuft();
    Kommunicator& k = öffnen();
    for (const char* zeile : {"eins", "zwei"}) {
        ASSERT_EQ(fake.activeWindow, "Kommonicator") << zeile;
        tippen(k.Sendentext, std::string(zeile) + "\n");
        EXPECT_EQ(fake.activeWindow, "Descent 3");
        bis(loop.now() + 200);
    }
    EXPECT_EQ(fake.typedTexts(), (Strings{"Say eins\r", "Say zwei\r"}));
    EXPECT_EQ(fake.activeWindow, "Kommonicator");
    // Every other procedure that gives Sendentext the focus does the same.
    for (ui::CommandButton* b : {&k.lvlneu, &k.lvlq}) {
        klicken(*b);
        bis(loop.now() + 200);
        EXPECT_EQ(fake.activeWindow, "Kommonicator") << b->Name();
    }
}

TEST_F(KommunicatorTest, EnterImLeerenFeldTipptNurSay) {
    serverLäuft();
    Kommunicator& k = öffnen();
    tippen(k.Sendentext, "\n");
    EXPECT_EQ(zeitplan(400), (Strings{"0 aktiviert Descent 3", "200 getippt Say ⏎ in Descent 3"}));
    EXPECT_EQ(k.Sendentext.Text(), "");
}

TEST_F(KommunicatorTest, EnterOhneServerfensterTipptNichts) {
    Kommunicator& k = öffnen();
    tippen(k.Sendentext, "Hallo\n");
    EXPECT_EQ(fake.beeps, 1);
    EXPECT_EQ(zeitplan(1000), Strings{"0 aktiviert Descent 3"});
    EXPECT_FALSE(loop.isRunning(k.Text));
    EXPECT_EQ(k.Sendentext.Text(), "Hallo");
}

TEST_F(KommunicatorTest, ZweimalEnterTipptEinmal) {
    serverLäuft();
    Kommunicator& k = öffnen();
    tippen(k.Sendentext, "x\n");
    bis(100);
    tippen(k.Sendentext, "\n");
    EXPECT_EQ(zeitplan(1000), (Strings{"0 aktiviert Descent 3", "100 aktiviert Descent 3",
                                       "200 getippt Say x⏎ in Descent 3"}));
}

TEST_F(KommunicatorTest, LevelNeuStarten) {
    serverLäuft();
    Kommunicator& k = öffnen();
    klicken(k.lvlneu);
    EXPECT_EQ(zeitplan(1000),
              (Strings{"0 aktiviert Descent 3", "200 getippt endlevel⏎ in Descent 3"}));
    EXPECT_EQ(fokus.an, (Strings{"Sendentext"}));
}

TEST_F(KommunicatorTest, LevelNeuStartenOhneServerfenster) {
    Kommunicator& k = öffnen();
    klicken(k.lvlneu);
    EXPECT_EQ(zeitplan(1000), Strings{"0 aktiviert Descent 3"});
    EXPECT_TRUE(fake.msgBoxes.empty());
}

TEST_F(KommunicatorTest, ServerBeendenOhnePackTipptNurQuit) {
    serverLäuft();
    Kommunicator& k = öffnen();
    klicken(k.lvlq);
    EXPECT_FALSE(loop.isRunning(k.Timer2));
    EXPECT_FALSE(loop.isRunning(k.linezahler));
    EXPECT_EQ(zeitplan(6000), (Strings{"0 aktiviert Descent 3", "200 getippt quit⏎ in Descent 3"}));
    EXPECT_EQ(offen(), &k);
    EXPECT_FALSE(k.Line1.Visible());
}

TEST_F(KommunicatorTest, ServerBeendenWährendEinPackLäuftStartetDenSchritt) {
    autotexte({});
    serverdateien();
    datei("pack.cfg", {"a.cfg", "b.cfg"});
    serverLäuft();
    Kommunicator& k = öffnen();
    bis(1000);
    tippen(k.Endmin, "5");  // typed, but Endminak never clicked
    klicken(k.lvlq);
    bis(1050);
    EXPECT_TRUE(k.Line1.Visible()) << "the progress line starts";
    EXPECT_EQ(zeitplan(7000), (Strings{"1000 aktiviert Descent 3", "1200 getippt quit⏎ in Descent 3",
                                       "6000 gestartet " + kommandozeile("a.cfg") + " Stil 1"}));
    // Endminstart was never set: the step empties the end minutes.
    EXPECT_EQ(k.Endmin.Text(), "");
    EXPECT_FALSE(k.Endminak.Enabled());
}

TEST_F(KommunicatorTest, ServerBeendenOhneServerfensterStartetDenSchrittTrotzdem) {
    autotexte({});
    serverdateien();
    datei("pack.cfg", {"a.cfg"});
    Kommunicator& k = öffnen();
    bis(200);
    klicken(k.lvlq);
    EXPECT_EQ(zeitplan(6000), (Strings{"200 aktiviert Descent 3",
                                       "5200 gestartet " + kommandozeile("a.cfg") + " Stil 1"}));
}

// Keys go only to a server console: a window the user brought to the front
// after the activation gets none of them.
TEST_F(KommunicatorTest, AnderesFensterVorneWirdVorDemTippenWiederVerdrängt) {
    serverLäuft();
    fake.windows.insert("Editor");
    Kommunicator& k = öffnen();
    tippen(k.Sendentext, "gg\n");
    bis(100);
    fake.activeWindow = "Editor";
    EXPECT_EQ(zeitplan(1000), (Strings{"0 aktiviert Descent 3", "200 aktiviert Descent 3",
                                       "200 getippt Say gg⏎ in Descent 3"}));
}

TEST_F(KommunicatorTest, VerschwundenesServerfensterBekommtNichtsUndDerTextBleibt) {
    serverLäuft();
    Kommunicator& k = öffnen();
    tippen(k.Sendentext, "gg\n");
    klicken(k.lvlneu);
    bis(100);
    fake.windows.clear();
    fake.activeWindow = "Editor";
    EXPECT_EQ(zeitplan(1000), (Strings{"0 aktiviert Descent 3", "0 aktiviert Descent 3",
                                       "200 aktiviert Descent 3", "200 aktiviert Descent 3"}));
    EXPECT_TRUE(fake.keys.empty());
    EXPECT_EQ(k.Sendentext.Text(), "gg");
    EXPECT_FALSE(loop.isRunning(k.Text));
}

// The window manager takes the activation but the server window never comes
// to the front: the keys would reach the window the user works in, so none
// go out.
TEST_F(KommunicatorTest, VerweigerteAktivierungTipptNirgendwohin) {
    serverLäuft();
    fake.windows.insert("Editor");
    fake.activeWindow = "Editor";
    protokoll.aktivierungVerweigert = true;
    Kommunicator& k = öffnen();
    tippen(k.Sendentext, "gg\n");
    klicken(k.lvlneu);
    klicken(k.lvlq);
    EXPECT_EQ(zeitplan(1000),
              (Strings{"0 aktiviert Descent 3", "0 aktiviert Descent 3", "0 aktiviert Descent 3",
                       "200 aktiviert Descent 3", "200 aktiviert Descent 3",
                       "200 aktiviert Descent 3"}));
    EXPECT_TRUE(fake.keys.empty());
    EXPECT_EQ(k.Sendentext.Text(), "gg");
}

// Hinweis says why a command went nowhere, and takes that back once one goes
// through: no server at all, no server console, or a line the server would
// drop.
TEST_F(KommunicatorTest, HinweisSagtWarumNichtsGesendetWurde) {
    Kommunicator& k = öffnen();
    k.Hinweis.Caption = "";
    fake.serverRuns = false;
    klicken(k.lvlneu);
    EXPECT_EQ(k.Hinweis.Caption(), "Kein Server läuft.");
    fake.serverRuns = true;
    klicken(k.lvlneu);
    EXPECT_EQ(k.Hinweis.Caption(),
              "Keine Serverkonsole erreichbar. Mit \"Fernwaltung zulassen\" und einem Passwort "
              "erreicht das Tool auch einen Server ohne Konsolenfenster.");

    serverLäuft();
    fake.longestLine = 254;
    k.Sendentext.Text = std::string(251, 'x');  // "Say " and 251 characters: 255
    tippen(k.Sendentext, "\n");
    bis(1000);
    EXPECT_EQ(k.Hinweis.Caption(),
              "Nicht gesendet: Die Zeile ist zu lang für die Serverkonsole (ab 255 Zeichen).");
    EXPECT_TRUE(fake.keys.empty());
    EXPECT_EQ(k.Sendentext.Text(), std::string(251, 'x'));

    k.Sendentext.Text = std::string(250, 'x');
    tippen(k.Sendentext, "\n");
    bis(2000);
    EXPECT_EQ(fake.typedTexts(), Strings{"Say " + std::string(250, 'x') + "\r"});
    EXPECT_EQ(k.Hinweis.Caption(), "");
}
