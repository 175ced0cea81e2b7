// Files the windows must not read or keep: a named pipe or a device given as
// a file, and a level-pack queue that cannot be emptied.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "editor/FormEditor.h"
#include "kommunicator_fixture.h"
#include "vantor_fixture.h"

namespace fs = std::filesystem;

namespace {

enum class Art { Pipe, Geraet };
enum class Wo { KonfigurationLaden, GespeicherteKonfiguration, Einstellungsdatei, Editor };

struct Fall {
    Art art;
    Wo wo;
};

std::string fallName(const ::testing::TestParamInfo<Fall>& info) {
    static const char* const arten[] = {"Pipe", "Geraet"};
    static const char* const orte[] = {"KonfigurationLaden", "GespeicherteKonfiguration",
                                       "Einstellungsdatei", "Editor"};
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
        case Wo::Editor: {
            // The editor opens the file Edit.ini names; it says no more than
            // the read already did.
            datei = anlegen(gameRoot / "rohr.CFG");
            schreibe("Edit.ini", {datei});
            fake.answerMsgBox(platform::vbOK, datei);
            program->load<FormEditor>();
            EXPECT_EQ(program->find<FormEditor>(), nullptr);
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
                      Fall{Art::Pipe, Wo::Einstellungsdatei}, Fall{Art::Geraet, Wo::Einstellungsdatei},
                      Fall{Art::Pipe, Wo::Editor}, Fall{Art::Geraet, Wo::Editor}),
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

// ------------------------------------------------------- the game folder

class Spielordner : public VantorTest {
protected:
    // The first-run panel open, with `getippt` typed into it and saved.
    Vantor& speichere(const std::string& getippt) {
        Vantor& v = lade();
        v.Despfad.Text = getippt;
        v.Pfadspeichern.userClick();
        return v;
    }
};

class RelativerSpielordner : public Spielordner,
                             public ::testing::WithParamInterface<const char*> {};

// The load changes into the folder: a relative one is stored absolute, as
// the folder it named when it was typed.
TEST_P(RelativerSpielordner, IsStoredAbsolute) {
    fs::current_path(gameRoot.path());
    const std::string getippt = std::string(GetParam()) == "absolut/" ? gameFolder + "/" : GetParam();
    Vantor& v = speichere(getippt);
    EXPECT_EQ(bytes("STPfad.ini"), testing_support::crlf({gameFolder, "0", "0"}));
    EXPECT_EQ(v.Despfad.Text(), gameFolder);
    EXPECT_FALSE(v.Pfadeinstellung.Visible());
}

INSTANTIATE_TEST_SUITE_P(Getippt, RelativerSpielordner,
                         ::testing::Values("D3", "D3/", "./leer/../D3", "absolut/"));

struct OrdnerName {
    const char* name;
    bool speicherbar;
};

class OrdnerZeichen : public Spielordner, public ::testing::WithParamInterface<OrdnerName> {};

// A name the settings files cannot hold would come back as "?" and bring the
// panel back at every start.
TEST_P(OrdnerZeichen, OnlyNamesTheCodePageHoldsAreSaved) {
    const std::string ordner = testing_support::makeGameFolder(gameRoot / GetParam().name);
    if (!GetParam().speicherbar) fake.answerMsgBox(platform::vbOK, "Zeichen");
    Vantor& v = speichere(ordner);
    if (GetParam().speicherbar) {
        EXPECT_TRUE(fake.msgBoxes.empty());
        EXPECT_EQ(bytes("STPfad.ini"), testing_support::crlf({ordner, "0", "0"}));
        EXPECT_FALSE(v.Pfadeinstellung.Visible());
        return;
    }
    ASSERT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_EQ(fake.msgBoxes[0].flags, platform::vbCritical);
    EXPECT_EQ(fake.msgBoxes[0].title, "Talvir");
    EXPECT_NE(fake.msgBoxes[0].text.find(
                  "enthält Zeichen, die die Einstellungsdateien nicht speichern können"),
              std::string::npos);
    EXPECT_NE(fake.msgBoxes[0].text.find(ordner), std::string::npos);
    EXPECT_FALSE(testing_support::fileExists(prog("STPfad.ini")));
    EXPECT_FALSE(testing_support::fileExists(prog("Servertool.ini")));
    EXPECT_TRUE(v.Pfadeinstellung.Visible());
    EXPECT_EQ(v.Despfad.Text(), ordner);
}

INSTANTIATE_TEST_SUITE_P(Namen, OrdnerZeichen,
                         ::testing::Values(OrdnerName{"Łódź", false}, OrdnerName{"東京", false},
                                           OrdnerName{"Düsseldorf €", true}));

enum class Letztes { Vollstaendig, Kurz, Fehlt };

class LetztesImErstlauf : public Spielordner, public ::testing::WithParamInterface<Letztes> {};

// The stored folder is briefly gone (an unmounted disk): the first-run
// branch keeps the user's last values, and an end from the panel writes
// them back as they were.
TEST_P(LetztesImErstlauf, KeepsACompleteFileAndFillsInOnlyAMissingOrShortOne) {
    ersterStart(gameRoot / "ausgehaengt");
    const Zeilen eigene = {"1", "0", "12", "20", "30", "6", "2", "40", "Eigen.mn3", "CTF",
                           "Abendrunde", "Grüße an alle"};
    if (GetParam() == Letztes::Vollstaendig) schreibe("Letztes.ini", eigene);
    if (GetParam() == Letztes::Kurz) schreibe("Letztes.ini", {"1", "0", "12"});
    Vantor& v = lade();
    ASSERT_TRUE(v.Pfadeinstellung.Visible());
    const Zeilen design = {"0", "1", "8", "0", "0", "8", "1", "50", "ProFight2.mn3", "Anarchy",
                           "D3 Vantor Spiel", "Hallo"};
    const std::string erwartet =
        testing_support::crlf(GetParam() == Letztes::Vollstaendig ? eigene : design);
    EXPECT_EQ(bytes("Letztes.ini"), erwartet);
    try {
        loop.dispatch([&] { v.endm1d.userClick(); });
    } catch (const ui::ProgramEnded&) {
    }
    EXPECT_TRUE(fake.ended);
    EXPECT_EQ(bytes("Letztes.ini"), erwartet);
}

INSTANTIATE_TEST_SUITE_P(Fälle, LetztesImErstlauf,
                         ::testing::Values(Letztes::Vollstaendig, Letztes::Kurz, Letztes::Fehlt));

// ------------------------------------------------------ the game's program

class SpielprogrammSpeichern : public VantorTest,
                               public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override { ersterStart(gameFolder); }
};

// The shared dialog last picked the game's program: "Konfiguration
// Speichern unter.." does not offer it, and a user who picks it all the
// same is told that it stays.
TEST_P(SpielprogrammSpeichern, IsNotOfferedAndNeverReplaced) {
    const std::string programm = game(GetParam());
    const std::string inhalt("\x7f" "ELF\2\1\1\0", 8);
    testing_support::writeBytes(programm, inhalt);
    Vantor& v = lade();
    v.CommonDialog1.FileName = programm;
    fake.answerSave(programm);
    fake.answerMsgBox(platform::vbOK, programm);
    v.Konm1c.userClick();
    ASSERT_EQ(fake.saveRequests.size(), 1u);
    EXPECT_EQ(fake.saveRequests[0].FileName, "");
    EXPECT_EQ(fake.saveRequests[0].InitDir, gameFolder);
    ASSERT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_EQ(fake.msgBoxes[0].title, "Talvir");
    EXPECT_EQ(fake.msgBoxes[0].flags, platform::vbCritical);
    EXPECT_NE(fake.msgBoxes[0].text.find("Programm des Spiels"), std::string::npos);
    EXPECT_EQ(testing_support::readBytes(programm), inhalt);
    EXPECT_EQ(v.Configname.Text(), "");
}

INSTANTIATE_TEST_SUITE_P(Namen, SpielprogrammSpeichern,
                         ::testing::Values("Descent3", "main.exe", "main"));
