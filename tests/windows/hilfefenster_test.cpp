// The help window, the about box and the readme window.
#include <gtest/gtest.h>

#include "WindowTest.h"
#include "editor/Hilfefenster.h"
#include "editor/Info.h"
#include "editor/InfoBox.h"

using HilfeTest = WindowTest;

TEST_F(HilfeTest, HelpShowsTheFileExactlyReadOnlyAndReadsItOnlyWhenLoaded) {
    // In Windows-1252 on disk.
    testing_support::writeBytes(prog("serverbefehle.txt"), "Say <Text>\r\n\r\n  Gr\xFC\xDF" "e\nquit");
    Hilfefenster& h = program->load<Hilfefenster>();
    EXPECT_TRUE(h.Visible());
    EXPECT_EQ(h.Direckt.Text(), "Say <Text>\r\n\r\n  Grüße\nquit");
    h.Direckt.userTypes("x");
    EXPECT_EQ(h.Direckt.Text(), "Say <Text>\r\n\r\n  Grüße\nquit");
    testing_support::writeBytes(prog("serverbefehle.txt"), "neu");
    EXPECT_EQ(&program->load<Hilfefenster>(), &h);
    EXPECT_EQ(h.Direckt.Text(), "Say <Text>\r\n\r\n  Grüße\nquit");
}

// A missing file is reported with the system's reason, without icon, under
// the application's title; the window stays with its initial text.
TEST_F(HilfeTest, MissingFilesLeaveTheWindowsWithTheirInitialText) {
    fake.answerMsgBox(platform::vbOK, prog("serverbefehle.txt") + " konnte nicht gelesen");
    fake.answerMsgBox(platform::vbOK, prog("Liesmich.txt"));
    loop.dispatch([&] { program->load<Hilfefenster>(); });
    loop.dispatch([&] { program->load<Info>(); });
    EXPECT_NE(fake.msgBoxes.at(0).text.find("No such file"), std::string::npos);
    EXPECT_EQ(fake.msgBoxes[0].flags, 0);
    EXPECT_EQ(fake.msgBoxes[0].title, "");
    EXPECT_EQ(program->find<Hilfefenster>()->Direckt.Text(), "Keine Hilfe gefunden\r\n");
    EXPECT_EQ(program->find<Info>()->InfoT.Text(), "Keine Hilfe gefunden\r\n");
}

TEST_F(HilfeTest, AboutBoxShowsTheVersionAndMailsTheMaker) {
    fake.version = {2, 5, 12};
    InfoBox& box = program->load<InfoBox>();
    EXPECT_EQ(box.Version.Caption(), "Version 2.5.12");
    loop.dispatch([&] { box.Command1.userClick(); });
    EXPECT_EQ(fake.links.at(0), "mailto:talvir@vantor.example.org");
    loop.dispatch([&] { box.Schliessen.userClick(); });
    EXPECT_EQ(program->find<InfoBox>(), nullptr);
}

// 100 twips narrower and 500 lower than the window, never below nothing.
TEST_F(HilfeTest, ReadmeBoxFollowsTheWindowsOuterSize) {
    testing_support::writeBytes(prog("Liesmich.txt"), "x");
    Info& info = program->load<Info>();
    EXPECT_EQ(info.InfoT.Width(), info.Width() - 100);
    for (auto [b, h, bb, bh] : {std::array{9000, 7000, 8900, 6500}, std::array{60, 300, 0, 0}}) {
        loop.dispatch([&] { info.userResize(b, h); });
        EXPECT_EQ(info.InfoT.Width(), bb);
        EXPECT_EQ(info.InfoT.Height(), bh);
    }
    loop.dispatch([&] { info.InfoSchliessen(); });
    EXPECT_EQ(program->find<Info>(), nullptr);
}
