// The communicator window: opening, Autotexte.ini, pack.cfg, the frame and
// every way of closing.
#include <algorithm>
#include <filesystem>

#include "kommunicator_fixture.h"

using testing_support::crlf;
using testing_support::fileExists;

namespace {

std::vector<std::string> designzeilen() {
    std::vector<std::string> z;
    for (int n = 0; n < 4; ++n) z.insert(z.end(), {"", " 0 ", " 0 ", ""});
    z.push_back(KommunicatorTest::kEndtext);
    z.push_back(" 0 ");
    return z;
}

}  // namespace

// The queue is read all the same: a pack started from a fresh program folder
// would otherwise be emptied unseen at the close.
TEST_F(KommunicatorTest, ErsteÖffnungSchreibtDieAchtzehnZeilenUndLiestDiePackliste) {
    datei("pack.cfg", {"a.cfg", "b.cfg"});
    Kommunicator& k = öffnen();

    EXPECT_TRUE(k.Visible());
    EXPECT_EQ(inhalt("Autotexte.ini"), crlf(designzeilen()));
    EXPECT_NE(inhalt("Autotexte.ini").find("n\xE4" "chsten mal"), std::string::npos)
        << "written in Windows-1252";
    EXPECT_EQ(k.Gruppenliste.items(), (std::vector<std::string>{"a.cfg", "b.cfg"}));
    EXPECT_TRUE(loop.isRunning(k.Timer1));
    EXPECT_FALSE(loop.isRunning(k.Minabzähler));
    for (ui::CheckBox* c : {&k.aktive1, &k.aktive2, &k.aktive3, &k.aktive4, &k.aktive5})
        EXPECT_TRUE(c->Enabled()) << c->Name();
    EXPECT_EQ(k.Line1.X2(), Kommunicator::kLinieStart);
    EXPECT_FALSE(k.autotexte.Visible());
    EXPECT_TRUE(k.Server1.Value());
    EXPECT_FALSE(k.Endminak.Enabled());
    EXPECT_EQ(k.Image1.Picture(), "kommunicator.png") << "the decoration is not left blank";
}

TEST_F(KommunicatorTest, ZehnZeilenErreichenDieFelderUndDieDateiWirdErgänzt) {
    const std::vector<std::string> zehn = {"Hallo", " 1 ", " 1 ", "5", "Zwei", " 0 ", " 2 ",
                                           "7",     "Drei", " 1 "};
    datei("Autotexte.ini", zehn);
    Kommunicator& k = öffnen();

    EXPECT_EQ(k.Text1.Text(), "Hallo");
    EXPECT_EQ(k.aktive1.Value(), 1);
    EXPECT_EQ(k.wtext1.Value(), 1);
    EXPECT_EQ(k.t1text.Text(), "5");
    EXPECT_EQ(k.Wiederholzeit1, 5);
    EXPECT_EQ(k.wtext2.Value(), 2);
    EXPECT_EQ(k.Text3.Text(), "Drei");
    EXPECT_EQ(k.aktive3.Value(), 1);
    std::vector<std::string> erwartet = designzeilen();
    std::copy(zehn.begin(), zehn.end(), erwartet.begin());
    EXPECT_EQ(inhalt("Autotexte.ini"), crlf(erwartet));
    // The load stopped at the failure: no row was enabled or disabled, the
    // minute countdown did not start.
    EXPECT_TRUE(k.aktive4.Enabled());
    EXPECT_FALSE(loop.isRunning(k.Minabzähler));
}

TEST_F(KommunicatorTest, MinutenzeilenSchaltenDieAktivKästchen) {
    autotexte({{"a", " 1 ", " 0 ", "0"}, {"b", " 1 ", " 0 ", ""}, {"c", " 0 ", " 0 ", "5"},
               {"d", " 0 ", " 0 ", "0.5"}},
              "Ende", " 1 ");
    Kommunicator& k = öffnen();

    EXPECT_FALSE(k.aktive1.Enabled());
    EXPECT_EQ(k.aktive1.Value(), 1) << "ticked stays ticked";
    EXPECT_FALSE(k.aktive2.Enabled());
    EXPECT_TRUE(k.aktive3.Enabled());
    EXPECT_FALSE(k.aktive4.Enabled());
    EXPECT_EQ(k.Wiederholzeit4, 0.5);
    EXPECT_TRUE(loop.isRunning(k.Minabzähler));
    EXPECT_EQ(k.Beendentext.Text(), "Ende");
    EXPECT_EQ(k.aktive5.Value(), 1);
}

TEST_F(KommunicatorTest, OhneMinutenLäuftDerMinutenzählerNicht) {
    autotexte({{"a", " 1 ", " 0 ", "0"}});
    Kommunicator& k = öffnen();
    EXPECT_FALSE(loop.isRunning(k.Minabzähler));
}

struct Kästchenzeile {
    std::string item;
    int wert;  // -1: the file counts as damaged
};

class KommunicatorKästchen : public KommunicatorTest,
                             public ::testing::WithParamInterface<Kästchenzeile> {};

TEST_P(KommunicatorKästchen, WertWirdGerundetOderDieDateiNeuGeschrieben) {
    autotexte({{"Hallo", GetParam().item, " 0 ", "3"}});
    Kommunicator& k = öffnen();
    if (GetParam().wert >= 0) {
        EXPECT_EQ(k.aktive1.Value(), GetParam().wert);
        EXPECT_TRUE(loop.isRunning(k.Minabzähler));
    } else {
        EXPECT_EQ(k.aktive1.Value(), 0);
        EXPECT_EQ(k.Text1.Text(), "Hallo") << "items before the failure are kept";
        std::vector<std::string> erwartet = designzeilen();
        erwartet[0] = "Hallo";
        EXPECT_EQ(inhalt("Autotexte.ini"), crlf(erwartet));
        EXPECT_FALSE(loop.isRunning(k.Minabzähler));
    }
}

INSTANTIATE_TEST_SUITE_P(, KommunicatorKästchen,
                         ::testing::Values(Kästchenzeile{" 1 ", 1}, Kästchenzeile{"2", 2},
                                           Kästchenzeile{"1.5", 2}, Kästchenzeile{"0.5", 0},
                                           Kästchenzeile{"abc", 0}, Kästchenzeile{"", 0},
                                           Kästchenzeile{"3", -1}, Kästchenzeile{"-1", -1},
                                           Kästchenzeile{"2.5", 2}, Kästchenzeile{"2.6", -1}));

TEST_F(KommunicatorTest, TextMitKommaÜberstehtDieDateiGanz) {
    Kommunicator& k = öffnen();
    klicken(k.atz);
    k.Text1.Text = "Hallo, Leute";
    k.Text2.Text = "\"Zitat\" vorn";
    k.t3text.Text = " 10";
    klicken(k.atsp);
    const std::string datei = inhalt("Autotexte.ini");
    EXPECT_NE(datei.find("\"Hallo, Leute\"\r\n"), std::string::npos);
    EXPECT_NE(datei.find("\"\"\"Zitat\"\" vorn\"\r\n"), std::string::npos);
    EXPECT_NE(datei.find("\" 10\"\r\n"), std::string::npos);
    klicken(k.beenden);
    ASSERT_EQ(offen(), nullptr);

    Kommunicator& wieder = öffnen();
    EXPECT_EQ(wieder.Text1.Text(), "Hallo, Leute");
    EXPECT_EQ(wieder.Text2.Text(), "\"Zitat\" vorn");
    EXPECT_EQ(wieder.t3text.Text(), " 10");
    EXPECT_EQ(wieder.Beendentext.Text(), kEndtext);
}

TEST_F(KommunicatorTest, AlteDateiMitKommaWirdWieBisherGelesen) {
    // Written unquoted by an older version: the comma splits the text, and
    // every later item lands one line further on.
    autotexte({{"Hallo, Leute", " 1 ", " 1 ", "5"}, {"Zwei", " 0 ", " 0 ", "3"}});
    Kommunicator& k = öffnen();
    EXPECT_EQ(k.Text1.Text(), "Hallo");
    EXPECT_EQ(k.aktive1.Value(), 0) << "\"Leute\" counts as 0";
    EXPECT_EQ(k.wtext1.Value(), 1);
    EXPECT_EQ(k.Text2.Text(), "5");
    EXPECT_EQ(k.aktive2.Value(), 0) << "\"Zwei\" counts as 0";
    EXPECT_EQ(k.Text3.Text(), "3");
}

TEST_F(KommunicatorTest, PacklisteMitLeererLetzterZeileGibtDreiEinträgeUndBlinkt) {
    autotexte({});
    testing_support::writeBytes(prog("pack.cfg"), "a.cfg\r\nb.cfg\r\n\r\n");
    Kommunicator& k = öffnen();
    ASSERT_EQ(k.Gruppenliste.ListCount(), 3);
    EXPECT_EQ(k.Gruppenliste.List(0), "a.cfg");
    EXPECT_EQ(k.Gruppenliste.List(1), "b.cfg");
    EXPECT_EQ(k.Gruppenliste.List(2), "");
    EXPECT_FALSE(k.Gruppenliste.Enabled());
    EXPECT_EQ(k.Label17.ForeColor(), Kommunicator::kPackGrau);
    bis(200);
    EXPECT_EQ(k.Label17.ForeColor(), Kommunicator::kPackGruen);
    bis(400);
    EXPECT_EQ(k.Label17.ForeColor(), Kommunicator::kPackRot);
    bis(600);
    EXPECT_EQ(k.Label17.ForeColor(), Kommunicator::kPackGruen);
}

TEST_F(KommunicatorTest, PacklisteMitLeererErsterZeileBlinktNicht) {
    autotexte({});
    datei("pack.cfg", {"", "b.cfg"});
    Kommunicator& k = öffnen();
    EXPECT_EQ(k.Gruppenliste.ListCount(), 2);
    EXPECT_FALSE(loop.isRunning(k.Timer1));
    bis(1000);
    EXPECT_EQ(k.Label17.ForeColor(), Kommunicator::kPackGrau);
}

TEST_F(KommunicatorTest, ZweitesÖffnenLiestNichts) {
    autotexte({{"Eins", " 0 ", " 0 ", ""}});
    Kommunicator& k = öffnen();
    autotexte({{"Anders", " 0 ", " 0 ", ""}});
    datei("pack.cfg", {"a.cfg"});
    EXPECT_EQ(&öffnen(), &k);
    EXPECT_EQ(k.Text1.Text(), "Eins");
    EXPECT_EQ(k.Gruppenliste.ListCount(), 0);
}

TEST_F(KommunicatorTest, RahmenAutotexte) {
    Kommunicator& k = öffnen();
    k.autotexte.Move(720, 600, 6555, 3300);
    klicken(k.atz);
    EXPECT_TRUE(k.autotexte.Visible());
    // Over the whole window; "Schliessen" comes after it and lies above it.
    EXPECT_EQ(k.autotexte.Left(), 0);
    EXPECT_EQ(k.autotexte.Top(), 0);
    EXPECT_EQ(k.autotexte.Width(), k.ScaleWidth());
    EXPECT_EQ(k.autotexte.Height(), k.ScaleHeight());
    const auto& kinder = k.Children();
    EXPECT_GT(std::find(kinder.begin(), kinder.end(), &k.beenden) - kinder.begin(),
              std::find(kinder.begin(), kinder.end(), &k.autotexte) - kinder.begin());

    klicken(k.beenden);
    EXPECT_EQ(offen(), &k) << "Schliessen only hides the frame";
    EXPECT_FALSE(k.autotexte.Visible());

    klicken(k.atz);
    k.Text4.Text = "Vier";
    k.aktive4.Value = 1;
    klicken(k.atsp);
    EXPECT_FALSE(k.autotexte.Visible());
    std::vector<std::string> erwartet = designzeilen();
    erwartet[12] = "Vier";
    erwartet[13] = " 1 ";
    EXPECT_EQ(inhalt("Autotexte.ini"), crlf(erwartet));
}

TEST_F(KommunicatorTest, NichtSchreibbareAutotexteWerdenGemeldetUndNichtsGehtVerloren) {
    std::filesystem::create_directory(prog("Autotexte.ini"));
    Kommunicator& k = öffnen();
    // Named by its full path, in the line and in the box.
    EXPECT_NE(k.Hinweis.Caption().find(prog("Autotexte.ini")), std::string::npos)
        << "no modal box while the window opens by itself";

    klicken(k.atz);
    k.Text1.Text = "Bleibt";
    fake.answerMsgBox(platform::vbOK, prog("Autotexte.ini"));
    klicken(k.atsp);
    ASSERT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_EQ(fake.msgBoxes[0].flags, platform::vbCritical);
    EXPECT_EQ(fake.msgBoxes[0].title, "Talvir");
    EXPECT_TRUE(k.autotexte.Visible());
    EXPECT_EQ(k.Text1.Text(), "Bleibt");
}

TEST_F(KommunicatorTest, SchliessenMitAutomatikUndAbbrechenÄndertNichts) {
    autotexte({});
    datei("pack.cfg", {"a.cfg"});
    Vantor& v = hauptfenster();
    Kommunicator& k = öffnen();
    tippen(k.Endmin, "5");
    klicken(k.Endminak);
    fake.answerMsgBox(platform::vbCancel, "Soll der Kommunicator wirklich geschlossen werden?");
    klicken(k.beenden);

    ASSERT_EQ(offen(), &k);
    EXPECT_EQ(fake.msgBoxes[0].text,
              "Soll der Kommunicator wirklich geschlossen werden? Die Automatik wird dadurch "
              "abgeschaltet!");
    EXPECT_EQ(fake.msgBoxes[0].flags, 65);
    EXPECT_EQ(fake.msgBoxes[0].title, "Talvir");
    EXPECT_EQ(k.Antwort, platform::vbCancel);
    EXPECT_TRUE(loop.isRunning(k.Minabzähler));
    EXPECT_TRUE(loop.isRunning(k.Timer1));
    EXPECT_EQ(v.Fensterwert, 1);
    EXPECT_EQ(inhalt("pack.cfg"), "a.cfg\r\n");
}

TEST_F(KommunicatorTest, SchliessenMitAutomatikUndOkLeertDiePackliste) {
    autotexte({});
    datei("pack.cfg", {"a.cfg"});
    Vantor& v = hauptfenster();
    Kommunicator& k = öffnen();
    tippen(k.Endmin, "5");
    klicken(k.Endminak);
    fake.answerMsgBox(platform::vbOK);
    klicken(k.beenden);

    EXPECT_EQ(offen(), nullptr);
    EXPECT_EQ(v.Fensterwert, 0);
    bool da = false;
    EXPECT_EQ(testing_support::readBytes(prog("pack.cfg"), &da), "");
    EXPECT_TRUE(da);
}

TEST_F(KommunicatorTest, SchliessfeldFragtNichtUndLeertDiePackliste) {
    autotexte({});
    datei("pack.cfg", {"a.cfg"});
    Vantor& v = hauptfenster();
    Kommunicator& k = öffnen();
    tippen(k.Endmin, "5");
    klicken(k.Endminak);
    klicken(k.atz);
    benutzer([&] { k.userClose(); });
    EXPECT_EQ(offen(), nullptr);
    EXPECT_EQ(v.Fensterwert, 0);
    EXPECT_EQ(inhalt("pack.cfg"), "");
}

TEST_F(KommunicatorTest, SchliessenOhnePacklisteLegtKeineAn) {
    autotexte({});
    Kommunicator& k = öffnen();
    klicken(k.beenden);
    EXPECT_EQ(offen(), nullptr);
    EXPECT_FALSE(fileExists(prog("pack.cfg")));
}

TEST_F(KommunicatorTest, SchliessenWährendEinSchrittWartetBrichtIhnAb) {
    autotexte({});
    serverdateien();
    datei("pack.cfg", {"a.cfg", "b.cfg"});
    Kommunicator& k = öffnen();
    bis(200);  // the blink marks the pack as running
    klicken(k.lvlq);
    bis(2000);
    klicken(k.beenden);
    EXPECT_EQ(offen(), nullptr);
    bis(10000);
    EXPECT_TRUE(fake.processes.empty());
    EXPECT_EQ(inhalt("pack.cfg"), "");
}
