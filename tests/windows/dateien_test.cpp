// Files the windows must not read or keep: a named pipe or a device given as
// a file, and a level-pack queue that cannot be emptied.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "kommunicator_fixture.h"
#include "vantor_fixture.h"

namespace fs = std::filesystem;

namespace {

enum class Art { Pipe, Geraet };
enum class Wo { KonfigurationLaden, GespeicherteKonfiguration, Einstellungsdatei };

struct Fall {
    Art art;
    Wo wo;
};

std::string fallName(const ::testing::TestParamInfo<Fall>& info) {
    static const char* const arten[] = {"Pipe", "Geraet"};
    static const char* const orte[] = {"KonfigurationLaden", "GespeicherteKonfiguration",
                                       "Einstellungsdatei"};
    return std::string(arten[static_cast<int>(info.param.art)]) + "_" +
           orte[static_cast<int>(info.param.wo)];
}

}  // namespace

class KeineDatei : public VantorTest, public ::testing::WithParamInterface<Fall> {
protected:
    void SetUp() override { ersterStart(gameFolder); }

    // A pipe nobody writes to would block a plain read for ever; a device
    // such as /dev/zero would never end.
    std::string anlegen(const std::string& pfad) {
        if (GetParam().art == Art::Geraet) return "/dev/zero";
        EXPECT_EQ(::mkfifo(pfad.c_str(), 0644), 0);
        return pfad;
    }
};

TEST_P(KeineDatei, IsRefusedWithoutWaitingAndNamedInACriticalMessage) {
    std::string datei;
    switch (GetParam().wo) {
        case Wo::KonfigurationLaden: {
            Vantor& v = lade();
            datei = anlegen(gameRoot / "rohr.CFG");
            fake.answerOpen(datei);
            fake.answerMsgBox(platform::vbOK, datei);
            v.Konm1b.userClick();
            EXPECT_EQ(v.Configname.Text(), datei);
            EXPECT_EQ(v.Spieler.Text(), "8");
            break;
        }
        case Wo::GespeicherteKonfiguration: {
            Vantor& v = lade();
            datei = anlegen(gameRoot / "rohr.CFG");
            v.Configname.Text = datei;
            v.SStart_Click();
            fake.answerMsgBox(platform::vbOK, datei);
            v.Server1start.userClick();
            EXPECT_TRUE(fake.processes.empty());
            break;
        }
        case Wo::Einstellungsdatei: {
            // A device cannot lie in the program folder under the file's
            // name except as a link to it.
            if (GetParam().art == Art::Geraet)
                fs::create_symlink("/dev/zero", prog("Letztes.ini"));
            else
                anlegen(prog("Letztes.ini"));
            datei = prog("Letztes.ini");
            fake.answerMsgBox(platform::vbOK, datei);
            Vantor& v = lade();
            EXPECT_FALSE(v.Pfadeinstellung.Visible());
            EXPECT_EQ(v.Levelname.Text(), "ProFight2.mn3");
            break;
        }
    }
    ASSERT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_EQ(fake.msgBoxes[0].flags, platform::vbCritical);
    EXPECT_EQ(fake.msgBoxes[0].title, "Talvir");
    EXPECT_NE(fake.msgBoxes[0].text.find("keine gewöhnliche Datei"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Fälle, KeineDatei,
    ::testing::Values(Fall{Art::Pipe, Wo::KonfigurationLaden}, Fall{Art::Geraet, Wo::KonfigurationLaden},
                      Fall{Art::Pipe, Wo::GespeicherteKonfiguration},
                      Fall{Art::Geraet, Wo::GespeicherteKonfiguration},
                      Fall{Art::Pipe, Wo::Einstellungsdatei}, Fall{Art::Geraet, Wo::Einstellungsdatei}),
    fallName);

// ------------------------------------------------------------- communicator

class KommunicatorPackliste : public KommunicatorTest {};

// A pipe as the queue is named at the opening and holds no entry; the close
// replaces it by the empty queue.
TEST_F(KommunicatorPackliste, PipeAsQueueIsNamedAndEmptiedAtTheClose) {
    autotexte({});
    ASSERT_EQ(::mkfifo(prog("pack.cfg").c_str(), 0644), 0);
    fake.answerMsgBox(platform::vbOK, prog("pack.cfg"));
    Kommunicator& k = öffnen();
    EXPECT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_EQ(k.Gruppenliste.ListCount(), 0);
    EXPECT_FALSE(k.Timer1.Enabled());
    klicken(k.beenden);
    EXPECT_EQ(offen(), nullptr);
    EXPECT_TRUE(fs::is_regular_file(prog("pack.cfg")));
    EXPECT_EQ(inhalt("pack.cfg"), "");
    EXPECT_EQ(fake.msgBoxes.size(), 1u);
}

// The old queue would start again at the next opening: the user is told,
// and the window closes all the same.
TEST_F(KommunicatorPackliste, QueueThatCannotBeEmptiedIsNamedAndTheWindowStillCloses) {
    autotexte({});
    datei("pack.cfg", {"a.cfg", "b.cfg"});
    fs::permissions(prog("pack.cfg"), fs::perms::owner_read);
    Vantor& v = hauptfenster();
    Kommunicator& k = öffnen();
    fake.answerMsgBox(platform::vbOK, prog("pack.cfg"));
    klicken(k.beenden);
    ASSERT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_EQ(fake.msgBoxes[0].flags, platform::vbCritical);
    EXPECT_EQ(fake.msgBoxes[0].title, "Talvir");
    EXPECT_EQ(offen(), nullptr);
    EXPECT_EQ(v.Fensterwert, 0);
    EXPECT_EQ(inhalt("pack.cfg"), testing_support::crlf({"a.cfg", "b.cfg"}));
}
