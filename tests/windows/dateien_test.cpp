// Files the windows must not read, keep or replace: a named pipe or a device
// given as a file, a level-pack queue that cannot be emptied, a game folder
// the settings files cannot hold, the last values, the game's program.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "editor/FormEditor.h"
#include "kommunicator_fixture.h"
#include "vantor_fixture.h"

namespace fs = std::filesystem;
using testing_support::crlf;

namespace {

// Exactly one box was shown: critical, under the tool's title, with `teil`.
void einKritischer(const fakes::FakePlatform& fake, const std::string& teil) {
    ASSERT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_EQ(fake.msgBoxes[0].flags, platform::vbCritical);
    EXPECT_EQ(fake.msgBoxes[0].title, "Talvir");
    EXPECT_NE(fake.msgBoxes[0].text.find(teil), std::string::npos) << fake.msgBoxes[0].text;
}

enum class Wo { KonfigurationLaden, GespeicherteKonfiguration, Einstellungsdatei, Editor };

}  // namespace

// A pipe nobody writes to would block a plain read for ever; a device such
// as /dev/zero would never end. Either is named once and not read.
class KeineDatei : public VantorTest, public ::testing::WithParamInterface<std::tuple<bool, Wo>> {};

TEST_P(KeineDatei, IsRefusedWithoutWaitingAndNamedInACriticalMessage) {
    const auto [geraet, wo] = GetParam();
    ersterStart(gameFolder);
    // A device lies in the program folder only as a link to it.
    const std::string datei = wo == Wo::Einstellungsdatei ? prog("Letztes.ini")
                              : geraet                    ? "/dev/zero"
                                                          : gameRoot / "rohr.CFG";
    if (!geraet) {
        ASSERT_EQ(::mkfifo(datei.c_str(), 0644), 0);
    }
    if (geraet && wo == Wo::Einstellungsdatei) fs::create_symlink("/dev/zero", datei);
    auto antwort = [&] { fake.answerMsgBox(platform::vbOK, datei); };
    if (wo == Wo::Einstellungsdatei || wo == Wo::Editor) antwort();
    if (wo == Wo::Editor) {
        schreibe("Edit.ini", {datei});
        program->load<FormEditor>();
        EXPECT_EQ(program->find<FormEditor>(), nullptr);
        return einKritischer(fake, "keine gewöhnliche Datei");
    }
    Vantor& v = lade();
    EXPECT_FALSE(v.Pfadeinstellung.Visible());
    if (wo == Wo::KonfigurationLaden) {
        fake.answerOpen(datei);
        antwort();
        v.Konm1b.userClick();
        EXPECT_EQ(v.Configname.Text(), datei);
    } else if (wo == Wo::GespeicherteKonfiguration) {
        v.Configname.Text = datei;
        v.SStart_Click();
        antwort();
        v.Server1start.userClick();
        EXPECT_TRUE(fake.processes.empty());
    }
    EXPECT_EQ(v.Spieler.Text(), "8");
    einKritischer(fake, "keine gewöhnliche Datei");
}

INSTANTIATE_TEST_SUITE_P(Fälle, KeineDatei,
                         ::testing::Combine(::testing::Bool(),
                                            ::testing::Values(Wo::KonfigurationLaden,
                                                              Wo::GespeicherteKonfiguration,
                                                              Wo::Einstellungsdatei, Wo::Editor)));

// The old queue would start again at the next opening: the user is told
// once, whether the communicator closes by itself or with the tool's end
// from the menu, and the window closes all the same.
class KommunicatorPackliste : public KommunicatorTest, public ::testing::WithParamInterface<bool> {};

TEST_P(KommunicatorPackliste, QueueThatCannotBeEmptiedIsNamedOnceAndTheWindowStillCloses) {
    autotexte({});
    datei("pack.cfg", {"a.cfg", "b.cfg"});
    fs::permissions(prog("pack.cfg"), fs::perms::owner_read);
    Vantor& v = hauptfenster();
    Kommunicator& k = öffnen();
    fake.answerMsgBox(platform::vbOK, prog("pack.cfg"));
    if (GetParam())
        EXPECT_THROW(benutzer([&] { v.endm1d.userClick(); }), ui::ProgramEnded);
    else
        klicken(k.beenden);
    einKritischer(fake, prog("pack.cfg"));
    EXPECT_EQ(offen(), nullptr);
    EXPECT_EQ(inhalt("pack.cfg"), crlf({"a.cfg", "b.cfg"}));
}

INSTANTIATE_TEST_SUITE_P(MenueEnde, KommunicatorPackliste, ::testing::Bool());

struct Getippt {
    const char* ordner;   // the current folder, below gameRoot, with a game folder D3
    const char* getippt;  // as typed into the panel
    bool gespeichert;
};

class Spielordner : public VantorTest, public ::testing::WithParamInterface<Getippt> {};

// The load changes into the folder, so a relative one is stored absolute. A
// name the settings files cannot hold would come back as "?" and bring the
// panel back at every start: it is refused.
TEST_P(Spielordner, IsStoredAbsoluteOrRefusedWhenTheFilesCannotHoldItsName) {
    const std::string ordner = testing_support::makeGameFolder(gameRoot / GetParam().ordner);
    fs::current_path(gameRoot / GetParam().ordner);
    Vantor& v = lade();
    v.Despfad.Text = GetParam().getippt;
    if (!GetParam().gespeichert) fake.answerMsgBox(platform::vbOK, ordner);
    v.Pfadspeichern.userClick();
    EXPECT_EQ(v.Despfad.Text(), GetParam().gespeichert ? ordner : GetParam().getippt);
    EXPECT_EQ(v.Pfadeinstellung.Visible(), !GetParam().gespeichert);
    EXPECT_EQ(testing_support::fileExists(prog("STPfad.ini")), GetParam().gespeichert);
    if (GetParam().gespeichert) {
        EXPECT_EQ(bytes("STPfad.ini"), crlf({ordner, "0", "0"}));
    } else {
        einKritischer(fake, "enthält Zeichen, die die Einstellungsdateien nicht speichern können");
        EXPECT_FALSE(testing_support::fileExists(prog("Servertool.ini")));
    }
}

INSTANTIATE_TEST_SUITE_P(Ordner, Spielordner,
                         ::testing::Values(Getippt{"a", "D3/", true},
                                           Getippt{"a", "./leer/../D3", true},
                                           Getippt{"Düsseldorf €", "D3", true},
                                           Getippt{"Łódź", "D3", false},
                                           Getippt{"東京", "D3", false}));

// The stored folder is briefly gone (an unmounted disk): the first-run
// branch keeps a complete Letztes.ini, and an end from the panel writes it
// back as it was. Only a missing (0) or short (3) file gets the design values.
class LetztesImErstlauf : public VantorTest, public ::testing::WithParamInterface<int> {};

TEST_P(LetztesImErstlauf, KeepsACompleteFileAndFillsInOnlyAMissingOrShortOne) {
    ersterStart(gameRoot / "ausgehaengt");
    const Zeilen eigene = {"1", "0", "12", "20", "30", "6", "2", "40", "Eigen.mn3", "CTF",
                           "Abendrunde", "Grüße an alle"};
    if (GetParam() > 0) schreibe("Letztes.ini", Zeilen(eigene.begin(), eigene.begin() + GetParam()));
    const Zeilen design = {"0", "1", "8", "0", "0", "8", "1", "50", "ProFight2.mn3", "Anarchy",
                           "D3 Vantor Spiel", "Hallo"};
    const std::string erwartet = crlf(GetParam() == 12 ? eigene : design);
    Vantor& v = lade();
    ASSERT_TRUE(v.Pfadeinstellung.Visible());
    EXPECT_EQ(bytes("Letztes.ini"), erwartet);
    EXPECT_THROW(loop.dispatch([&] { v.endm1d.userClick(); }), ui::ProgramEnded);
    EXPECT_EQ(bytes("Letztes.ini"), erwartet);
}

INSTANTIATE_TEST_SUITE_P(Zeilen, LetztesImErstlauf, ::testing::Values(12, 3, 0));

// The shared dialog last picked the game's program: "Konfiguration
// Speichern unter.." does not offer it, and a user who picks it all the
// same is told that it stays.
class SpielprogrammSpeichern : public VantorTest,
                               public ::testing::WithParamInterface<const char*> {};

TEST_P(SpielprogrammSpeichern, IsNotOfferedAndNeverReplaced) {
    ersterStart(gameFolder);
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
    EXPECT_EQ(fake.saveRequests[0].DefaultExt, "CFG");  // a typed name gets ".CFG"
    einKritischer(fake, "Programm des Spiels");
    EXPECT_EQ(testing_support::readBytes(programm), inhalt);
    EXPECT_EQ(v.Configname.Text(), "");
}

INSTANTIATE_TEST_SUITE_P(Namen, SpielprogrammSpeichern,
                         ::testing::Values("Descent3", "main.exe", "main"));
