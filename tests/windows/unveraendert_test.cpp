// Nothing changed or lost behind the user's back: names the code page lacks,
// unreadable settings files, a pack that did not start, Gamespy.cfg.
#include <sys/stat.h>

#include <filesystem>

#include "console/Kommunicator.h"
#include "editor/FormEditor.h"
#include "vantor_fixture.h"

namespace fs = std::filesystem;
using testing_support::readBytes;
using testing_support::writeBytes;

// The last box shown is critical, titled "Talvir", and holds `teil`.
void kritisch(const fakes::FakePlatform& fake, const std::string& teil) {
    ASSERT_FALSE(fake.msgBoxes.empty());
    const fakes::ShownMsgBox& m = fake.msgBoxes.back();
    EXPECT_EQ(std::to_string(m.flags) + m.title, "16Talvir");
    EXPECT_NE(m.text.find(teil), std::string::npos) << m.text;
}

enum class Wo { STS, Mod, FensterCFG, Editor, Slot, Menue };
class NichtDarstellbar : public VantorTest, public ::testing::WithParamInterface<Wo> {};

// "Łódź" would come back as "?ód?": the write is refused and the old file
// stays whole; a path chosen in a dialog is refused at the choice.
TEST_P(NichtDarstellbar, IsRefusedAndTheOldFileStaysWhole) {
    ersterStart(gameFolder);
    Vantor& v = lade();
    const Wo wo = GetParam();
    const std::string datei = wo == Wo::Mod          ? prog("Mod.ini")
                              : wo == Wo::FensterCFG ? game("fenster.CFG")
                              : wo == Wo::Editor     ? game("a.CFG")
                                                     : prog("STS.ini");
    writeBytes(game("a.CFG"), "PPS=8\r\n");
    writeBytes(prog("Edit.ini"), game("a.CFG") + "\r\n");
    const std::string alt = readBytes(datei);
    const bool gewählt = wo == Wo::Slot || wo == Wo::Menue;
    if (gewählt) fake.answerOpen(gameRoot / "Łódź/a.CFG");
    if (wo == Wo::Mod) fake.answerInputBox("Łódź");
    if (wo == Wo::Editor) fake.answerSave(datei);
    fake.answerMsgBox(platform::vbOK, gewählt ? "Der Name der Datei" : datei);
    if (wo == Wo::STS || wo == Wo::Slot) v.AnM3b.userClick();
    if (wo == Wo::STS) v.tt1.Text = "Łódź", v.ASSpeichern.userClick();
    if (wo == Wo::Mod) v.M1mlb.userClick(), v.Moddazu.userClick(), v.Modabbrechen.userClick();
    if (wo == Wo::FensterCFG)
        v.Spielname.Text = "Łódź", v.SStart_Click(), v.Server1start.userClick();
    if (wo == Wo::Slot) v.bb1.userClick();
    if (wo == Wo::Menue) v.m3Keb.userClick();
    if (wo == Wo::Editor) {
        FormEditor& e = program->load<FormEditor>();
        e.TextfeldEditor.userSetsText("MOTD=Łódź");
        e.SchaltflSpeichern.userClick();
    }
    kritisch(fake, "Łódź");
    EXPECT_EQ(readBytes(datei), alt);
    EXPECT_EQ(readBytes(prog("Edit.ini")), game("a.CFG") + "\r\n");
    EXPECT_EQ(v.cn1.Text() + std::to_string(fake.processes.size()), "0");
    // The editor's save dialog gives a typed name ".CFG", as its filter lists.
    if (wo == Wo::Editor) {
        EXPECT_EQ(fake.saveRequests.at(0).DefaultExt, "CFG");
    }
}

INSTANTIATE_TEST_SUITE_P(Wege, NichtDarstellbar,
                         ::testing::Values(Wo::STS, Wo::Mod, Wo::FensterCFG, Wo::Editor, Wo::Slot,
                                           Wo::Menue));

// The native server opens MultiSettingsFile by the file system's bytes
// (UTF-8); main.exe under Wine reads Windows-1252.
class Bauart : public VantorTest, public ::testing::WithParamInterface<bool> {};

TEST_P(Bauart, NamesTheShipFileInTheEncodingTheServerReads) {
    const std::string ordner = gameRoot / "Spielordner_Ä";
    for (const char* sub : {"/custom/cache", "/Missions"}) testing_support::makeDirs(ordner + sub);
    writeBytes(ordner + (GetParam() ? "/Descent3" : "/main.exe"), "");
    ersterStart(ordner);
    Vantor& v = lade();
    v.SStart_Click(), v.Server1start.userClick();
    ASSERT_EQ(fake.processes.size(), 1u);
    const std::string mps = gameRoot.path() + "/Spielordner_" + (GetParam() ? "\xC3\x84" : "\xC4");
    const std::string zeile = "\nMultiSettingsFile=" + mps + "/Schiffe.mps\r\n";
    EXPECT_NE(readBytes(ordner + "/fenster.CFG").find(zeile), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(NativOderWine, Bauart, ::testing::Bool());

// A pack whose start was refused (a name the game would cut) or whose program
// did not start leaves no queue; the communicator it opened shows no pack.
class PackOhneStart : public VantorTest, public ::testing::WithParamInterface<bool> {};

TEST_P(PackOhneStart, LeavesNoQueue) {
    ersterStart(gameFolder);
    Vantor& v = lade();
    v.Gruppe.AddItem(gameRoot / (GetParam() ? std::string(100, 'a') : "a") + ".CFG");
    v.Gruppe.AddItem(gameRoot / "b.CFG");
    v.Hilfezeigen.Value = 1;
    fake.startSucceeds = false;
    fake.answerMsgBox(platform::vbOK, GetParam() ? "wird nicht gestartet" : "konnte nicht gestartet");
    v.Server6.userClick(), v.AS1.userClick();
    EXPECT_EQ(bytes("pack.cfg"), "");
    Kommunicator* k = program->find<Kommunicator>();
    ASSERT_EQ(k == nullptr, GetParam());
    if (k) {
        EXPECT_EQ(k->Gruppenliste.ListCount() + loop.isRunning(k->Timer1), 0);
        EXPECT_EQ(k->Label17.ForeColor(), Kommunicator::kPackGrau);
    }
    v.Server2start.Enabled = false;
    v.SStart_Click();  // the queue test
    EXPECT_TRUE(v.Server2start.Enabled());
}

INSTANTIATE_TEST_SUITE_P(Verweigert, PackOhneStart, ::testing::Bool());

// A settings file that is there and cannot be read (a link round in a
// circle) is named, and nothing writes it over with values never read.
enum class Datei { STS, Letztes, Servertool, Erstlauf, Autotexte };
class Unlesbar : public VantorTest, public ::testing::WithParamInterface<Datei> {};

TEST_P(Unlesbar, IsNamedAndNeverWrittenOver) {
    const Datei d = GetParam();
    ersterStart(gameFolder);
    const std::string name = d == Datei::STS         ? "STS.ini"
                             : d == Datei::Letztes   ? "Letztes.ini"
                             : d == Datei::Autotexte ? "Autotexte.ini"
                                                     : "Servertool.ini";
    fs::remove(prog(name));
    fs::create_symlink(name, prog(name));
    if (d == Datei::Erstlauf) fs::remove(prog("STPfad.ini"));
    const bool geschrieben = d == Datei::Letztes || d == Datei::Servertool || d == Datei::Autotexte;
    const std::string gelesen = prog(name) + " konnte nicht gelesen werden";
    if (d != Datei::Erstlauf) fake.answerMsgBox(platform::vbOK, gelesen + ":\n");
    fake.answerMsgBox(platform::vbOK, gelesen + (geschrieben ? " und wird darum nicht" : ":\n"));
    if (d == Datei::Autotexte) {
        program->load<Kommunicator>().atsp.userClick();
    } else {
        Vantor& v = lade();
        if (d == Datei::STS) v.AnM3b.userClick();
        if (d == Datei::Servertool) v.Opm1a.userClick(), v.VorOK.userClick();
        if (d == Datei::Letztes) {
            EXPECT_THROW(loop.dispatch([&] { v.endm1d.userClick(); }), ui::ProgramEnded);
        }
        if (d == Datei::Erstlauf) v.Despfad.Text = gameFolder, v.Pfadspeichern.userClick();
        EXPECT_FALSE(v.Angelegte.Visible());
    }
    kritisch(fake, prog(name));
    EXPECT_TRUE(fs::is_symlink(prog(name)));
}

INSTANTIATE_TEST_SUITE_P(Dateien, Unlesbar,
                         ::testing::Values(Datei::STS, Datei::Letztes, Datei::Servertool,
                                           Datei::Erstlauf, Datei::Autotexte));

// Gamespy.cfg and gamespy.cfg: the delete leaves the other, and spypic shows
// it. A pipe under the name is named once and left alone.
TEST_F(VantorTest, GamespyUnderTwoNamesOrAsAPipe) {
    ersterStart(gameFolder);
    Vantor& v = lade();
    for (const char* name : {"Gamespy.cfg", "gamespy.cfg"}) writeBytes(game(name), "0\r\n");
    fake.answerMsgBox(platform::vbOK, "bereitz vorhanden");
    fake.answerMsgBox(platform::vbOK, "wurde gelöscht");
    v.m41.userClick();
    EXPECT_TRUE(fs::exists(game("gamespy.cfg")) && v.spypic.Visible());
    fs::remove(game("gamespy.cfg"));
    ASSERT_EQ(::mkfifo(game("Gamespy.cfg").c_str(), 0644), 0);
    fake.answerMsgBox(platform::vbOK, "keine gewöhnliche Datei");
    v.m41.userClick();
    EXPECT_EQ(fake.msgBoxes.size(), 3u);
    kritisch(fake, game("Gamespy.cfg"));
}
