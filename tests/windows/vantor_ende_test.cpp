// Ending the tool from the main window: "D3 Vantor-Server beenden" and
// closing the window. Both keep the first page in Letztes.ini and empty the
// level-pack queue before the program ends.
#include <gtest/gtest.h>

#include <filesystem>

#include "console/Kommunicator.h"
#include "vantor_fixture.h"

using testing_support::crlf;

namespace {

enum class Weg { Menü, Schliessen };

std::string wegName(const ::testing::TestParamInfo<Weg>& info) {
    return info.param == Weg::Menü ? "Menue" : "Schliessen";
}

}  // namespace

class EndeTest : public VantorTest {
protected:
    void SetUp() override { ersterStart(gameFolder); }

    // The first page as a user leaves it; the game type typed, not chosen.
    Vantor& ausgefüllt() {
        Vantor& v = lade();
        v.PXO.Value = true;
        v.Spieler.Text = "12";
        v.Limit.Text = "20";
        v.Zeitlimit.Text = "30";
        v.Packete.Text = "6";
        v.Levelstart.Text = "2";
        v.Wiederholrate.Text = "40";
        v.Levelname.Text = "Eigen.mn3";
        v.Spieletyp.Text = "Anarchie light";
        v.Spielname.Text = "Abendrunde";
        v.Begrüssungstext.Text = "Grüße an alle";
        return v;
    }
    const Zeilen ausgefülltZeilen{"1",           "0",         "12",         "20",
                                  "30",          "6",         "2",          "40",
                                  "Eigen.mn3",   "Anarchie light", "Abendrunde", "Grüße an alle"};

    // Ends the tool the given way, as one user action; true when it ended.
    bool beende(Vantor& v, Weg weg) {
        try {
            loop.dispatch([&] {
                if (weg == Weg::Menü)
                    v.endm1d.userClick();
                else
                    v.userClose();
            });
        } catch (const ui::ProgramEnded&) {
            return fake.ended;
        }
        return false;
    }
};

class EndeWeg : public EndeTest, public ::testing::WithParamInterface<Weg> {};

TEST_P(EndeWeg, WritesTheFirstPageToLetztesAndEnds) {
    schreibe("Letztes.ini", {"0", "1", "8", "0", "0", "8", "1", "50", "Alt.mn3", "CTF", "Alt", "Hallo"});
    Vantor& v = ausgefüllt();
    EXPECT_TRUE(beende(v, GetParam()));
    EXPECT_EQ(bytes("Letztes.ini"), crlf(ausgefülltZeilen));
    EXPECT_TRUE(fake.msgBoxes.empty());
}

TEST_P(EndeWeg, LetztesThatCannotBeWrittenIsReportedAndTheToolStillEnds) {
    testing_support::makeDirs(prog("Letztes.ini"));
    schreibe("pack.cfg", {"Level2.CFG"});
    Vantor& v = ausgefüllt();
    fake.answerMsgBox(1, "Letztes.ini");
    EXPECT_TRUE(beende(v, GetParam()));
    ASSERT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_EQ(fake.msgBoxes[0].title, "Talvir");
    EXPECT_TRUE(std::filesystem::is_directory(prog("Letztes.ini")));
    // The queue is emptied all the same.
    EXPECT_EQ(bytes("pack.cfg"), "");
}

INSTANTIATE_TEST_SUITE_P(Wege, EndeWeg, ::testing::Values(Weg::Menü, Weg::Schliessen), wegName);

// ------------------------------------------------------------------ pack.cfg

enum class Pack { MitEinträgen, Leer, Fehlt, NichtLöschbar, Schreibgeschützt };

std::string packFallName(const ::testing::TestParamInfo<std::tuple<Weg, Pack>>& info) {
    static const char* const packNamen[] = {"MitEintraegen", "Leer", "Fehlt", "NichtLoeschbar",
                                            "Schreibgeschuetzt"};
    return std::string(std::get<0>(info.param) == Weg::Menü ? "Menue_" : "Schliessen_") +
           packNamen[static_cast<int>(std::get<1>(info.param))];
}

class EndePack : public EndeTest, public ::testing::WithParamInterface<std::tuple<Weg, Pack>> {};

TEST_P(EndePack, EmptiesTheQueueOnlyWhereItCanBeDeleted) {
    const auto [weg, pack] = GetParam();
    if (pack == Pack::MitEinträgen) schreibe("pack.cfg", {"Level2.CFG", "Level3.CFG"});
    if (pack == Pack::Leer) testing_support::writeBytes(prog("pack.cfg"), "");
    // A folder of that name with something in it cannot be deleted.
    if (pack == Pack::NichtLöschbar) {
        testing_support::makeDirs(prog("pack.cfg"));
        schreibe("pack.cfg/inhalt", {"x"});
    }
    if (pack == Pack::Schreibgeschützt) {
        schreibe("pack.cfg", {"Level2.CFG"});
        std::filesystem::permissions(prog("pack.cfg"), std::filesystem::perms::owner_read);
    }
    Vantor& v = lade();
    // A queue that stays would drive the next automatic end: the user hears
    // of it, and the tool still ends.
    const bool bleibt = pack == Pack::NichtLöschbar || pack == Pack::Schreibgeschützt;
    if (bleibt) fake.answerMsgBox(platform::vbOK, prog("pack.cfg"));
    EXPECT_TRUE(beende(v, weg));

    bool da = false;
    const std::string inhalt = testing_support::readBytes(prog("pack.cfg"), &da);
    switch (pack) {
        case Pack::MitEinträgen:
        case Pack::Leer:
            EXPECT_TRUE(da);
            EXPECT_EQ(inhalt, "");
            break;
        case Pack::Fehlt:
            EXPECT_FALSE(std::filesystem::exists(prog("pack.cfg")));
            break;
        case Pack::NichtLöschbar:
            EXPECT_EQ(testing_support::readBytes(prog("pack.cfg/inhalt")), crlf({"x"}));
            break;
        case Pack::Schreibgeschützt:
            EXPECT_EQ(inhalt, crlf({"Level2.CFG"}));
            break;
    }
    ASSERT_EQ(fake.msgBoxes.size(), bleibt ? 1u : 0u);
    if (bleibt) {
        EXPECT_EQ(fake.msgBoxes[0].flags, platform::vbCritical);
        EXPECT_EQ(fake.msgBoxes[0].title, "Talvir");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Fälle, EndePack,
    ::testing::Combine(::testing::Values(Weg::Menü, Weg::Schliessen),
                       ::testing::Values(Pack::MitEinträgen, Pack::Leer, Pack::Fehlt,
                                         Pack::NichtLöschbar, Pack::Schreibgeschützt)),
    packFallName);

// ------------------------------------------------------------- communicator

TEST_F(EndeTest, MenuClosesTheCommunicatorFirst) {
    schreibe("pack.cfg", {"Level2.CFG", "Level3.CFG"});
    Vantor& v = ausgefüllt();
    v.Ka_Click();
    v.Fensterwert = 1;
    ASSERT_NE(program->find<Kommunicator>(), nullptr);
    EXPECT_TRUE(beende(v, Weg::Menü));
    EXPECT_EQ(program->find<Kommunicator>(), nullptr);
    EXPECT_EQ(v.Fensterwert, 0);
    EXPECT_EQ(bytes("pack.cfg"), "");
    EXPECT_EQ(bytes("Letztes.ini"), crlf(ausgefülltZeilen));
}

TEST_F(EndeTest, MenuWithoutCommunicatorLeavesTheWindowPropertyAlone) {
    Vantor& v = lade();
    v.Fensterwert = 1;
    EXPECT_TRUE(beende(v, Weg::Menü));
    EXPECT_EQ(v.Fensterwert, 1);
}

TEST_F(EndeTest, ClosingTheMainWindowRunsNoUnloadOfTheCommunicator) {
    schreibe("pack.cfg", {"Level2.CFG"});
    Vantor& v = ausgefüllt();
    v.Ka_Click();
    v.Fensterwert = 1;
    EXPECT_TRUE(beende(v, Weg::Schliessen));
    EXPECT_NE(program->find<Kommunicator>(), nullptr);
    EXPECT_EQ(v.Fensterwert, 1);
    // The main window empties the queue itself.
    EXPECT_EQ(bytes("pack.cfg"), "");
    EXPECT_EQ(bytes("Letztes.ini"), crlf(ausgefülltZeilen));
}

// On a first start the game-folder panel covers the disabled main area while
// the menus stay usable: the menu ends and saves as always.
TEST_F(EndeTest, EndsFromTheGameFolderPanelToo) {
    std::filesystem::remove(prog("STPfad.ini"));
    Vantor& v = lade();
    ASSERT_TRUE(v.Pfadeinstellung.Visible());
    v.Spieler.Text = "4";
    EXPECT_TRUE(beende(v, Weg::Menü));
    EXPECT_EQ(bytes("Letztes.ini"), crlf({"0", "1", "4", "0", "0", "8", "1", "50", "ProFight2.mn3",
                                          "Anarchy", "D3 Vantor Spiel", "Hallo"}));
}
