// The help window, the about box and the readme window: what they show, a help file that
// cannot be read, and opening a window that is open already.
#include <gtest/gtest.h>

#include "WindowTest.h"
#include "common/Adressen.h"
#include "editor/Hilfefenster.h"
#include "editor/Info.h"
#include "editor/InfoBox.h"

using testing_support::crlf;

class HilfefensterTest : public WindowTest {};

TEST_F(HilfefensterTest, ShowsTheFileExactlyWithItsLineBreaksAndReadOnly) {
    // Windows-1252 on disk, a blank line and a last line without break.
    testing_support::writeBytes(prog("serverbefehle.txt"),
                                crlf({"Say <Text>", "", "    Nachricht an alle Spieler"}) + "quit");
    Hilfefenster& h = program->load<Hilfefenster>();
    EXPECT_TRUE(h.Visible());
    EXPECT_EQ(h.Direckt.Text(), "Say <Text>\r\n\r\n    Nachricht an alle Spieler\r\nquit");
    EXPECT_TRUE(h.Direckt.Locked());
    EXPECT_TRUE(h.Direckt.MultiLine());
    EXPECT_EQ(h.Direckt.ScrollBars(), 3);
    EXPECT_EQ(h.Direckt.Font().Name, "Courier New");
    EXPECT_EQ(h.Dateipfad, prog("serverbefehle.txt"));
    // Typing changes nothing.
    h.Direckt.userTypes("x");
    EXPECT_EQ(h.Direckt.Text(), "Say <Text>\r\n\r\n    Nachricht an alle Spieler\r\nquit");
    EXPECT_TRUE(fake.msgBoxes.empty());
}

TEST_F(HilfefensterTest, EmptyFileShowsAnEmptyBoxWithoutMessage) {
    testing_support::writeBytes(prog("serverbefehle.txt"), "");
    Hilfefenster& h = program->load<Hilfefenster>();
    EXPECT_EQ(h.Direckt.Text(), "");
    EXPECT_TRUE(fake.msgBoxes.empty());
}

// A missing file, and a folder of that name, are reported under the
// application's title without an icon; the window stays with its initial
// text.
class HilfeUnlesbar : public HilfefensterTest, public ::testing::WithParamInterface<bool> {};

TEST_P(HilfeUnlesbar, ReportsTheReasonAndKeepsTheWindowWithItsInitialText) {
    if (GetParam()) testing_support::makeDirs(prog("serverbefehle.txt"));
    fake.answerMsgBox(platform::vbOK, prog("serverbefehle.txt"));
    loop.dispatch([&] { program->load<Hilfefenster>(); });
    ASSERT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_EQ(fake.msgBoxes[0].flags, 0);
    EXPECT_EQ(fake.msgBoxes[0].title, "");
    EXPECT_NE(fake.msgBoxes[0].text.find(GetParam() ? "directory" : "No such file"),
              std::string::npos)
        << fake.msgBoxes[0].text;
    Hilfefenster* h = program->find<Hilfefenster>();
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(h->Visible());
    EXPECT_EQ(h->Direckt.Text(), "Keine Hilfe gefunden\r\n");
}

INSTANTIATE_TEST_SUITE_P(Faelle, HilfeUnlesbar, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Ordner" : "Fehlt"; });

TEST_F(HilfefensterTest, SchliessenUnloadsAndTheNextOpeningReadsAfresh) {
    testing_support::writeBytes(prog("serverbefehle.txt"), "alt");
    Hilfefenster& h = program->load<Hilfefenster>();
    loop.dispatch([&] { h.Schliessen.userClick(); });
    EXPECT_EQ(program->find<Hilfefenster>(), nullptr);
    testing_support::writeBytes(prog("serverbefehle.txt"), "neu");
    EXPECT_EQ(program->load<Hilfefenster>().Direckt.Text(), "neu");
}

struct Version {
    platform::Version v;
    const char* text;
};

class InfoBoxVersion : public WindowTest, public ::testing::WithParamInterface<Version> {};

TEST_P(InfoBoxVersion, LabelReadsTheVersionAsPlainNumbers) {
    fake.version = GetParam().v;
    InfoBox& box = program->load<InfoBox>();
    EXPECT_TRUE(box.Visible());
    EXPECT_EQ(box.Version.Caption(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Faelle, InfoBoxVersion,
                         ::testing::Values(Version{{2, 5, 12}, "Version 2.5.12"},
                                           Version{{1, 0, 1}, "Version 1.0.1"}));

TEST_F(HilfefensterTest, InfoBoxMailLinkAndOk) {
    InfoBox& box = program->load<InfoBox>();
    EXPECT_EQ(box.Label1.Caption(), adressen::kMacher);
    EXPECT_EQ(box.Conect1.Caption(), "D3 Vantor Server by ");
    loop.dispatch([&] { box.Command1.userClick(); });
    EXPECT_EQ(fake.links, std::vector<std::string>{std::string("mailto:") + adressen::kMail});
    loop.dispatch([&] { box.Schliessen.userClick(); });
    EXPECT_EQ(program->find<InfoBox>(), nullptr);
}

// ------------------------------------------------------------------ readme window

TEST_F(HilfefensterTest, InfoShowsLiesmichAndClosesThroughInfoSchliessen) {
    testing_support::writeBytes(prog("Liesmich.txt"), crlf({"D3 Vantor", "Größe"}));
    Info& info = program->load<Info>();
    EXPECT_TRUE(info.Visible());
    EXPECT_EQ(info.InfoT.Text(), "D3 Vantor\r\nGröße\r\n");
    EXPECT_TRUE(info.InfoT.Locked());
    EXPECT_EQ(info.InfoT.BackColor(), 0xE0E0E0);
    loop.dispatch([&] { info.InfoSchliessen(); });
    EXPECT_EQ(program->find<Info>(), nullptr);
}

TEST_F(HilfefensterTest, InfoWithoutLiesmichKeepsItsInitialText) {
    fake.answerMsgBox(platform::vbOK, prog("Liesmich.txt"));
    loop.dispatch([&] { program->load<Info>(); });
    EXPECT_EQ(fake.msgBoxes.at(0).flags, 0);
    EXPECT_EQ(program->find<Info>()->InfoT.Text(), "Keine Hilfe gefunden\r\n");
}

struct Groesse {
    int breite, hoehe, boxBreite, boxHoehe;
};

class InfoGroesse : public WindowTest, public ::testing::WithParamInterface<Groesse> {};

TEST_P(InfoGroesse, TextBoxFollowsTheWindowsOuterSize) {
    testing_support::writeBytes(prog("Liesmich.txt"), "x");
    Info& info = program->load<Info>();
    // As shown: the design size.
    EXPECT_EQ(info.InfoT.Width(), info.Width() - 100);
    EXPECT_EQ(info.InfoT.Height(), info.Height() - 500);
    loop.dispatch([&] { info.userResize(GetParam().breite, GetParam().hoehe); });
    EXPECT_EQ(info.InfoT.Width(), GetParam().boxBreite);
    EXPECT_EQ(info.InfoT.Height(), GetParam().boxHoehe);
    EXPECT_EQ(info.InfoT.Left(), 0);
    EXPECT_EQ(info.InfoT.Top(), 0);
}

INSTANTIATE_TEST_SUITE_P(Faelle, InfoGroesse,
                         ::testing::Values(Groesse{9000, 7000, 8900, 6500},
                                           Groesse{101, 501, 1, 1},
                                           Groesse{60, 300, 0, 0}));
