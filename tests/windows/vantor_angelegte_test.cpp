// The saved-servers panel (STS.ini, browse buttons, "Neu", "Experten") and the
// saved-server start frame with its level packs (pack.cfg).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "common/SettingsWriter.h"
#include "console/Kommunicator.h"
#include "editor/FormEditor.h"
#include "vantor_fixture.h"

using testing_support::crlf;
using testing_support::readBytes;
using testing_support::writeBytes;

namespace {

const std::string kPack = "Level" + std::string(20, ' ') + "Pack";
const char* const kAbweisung = "Lege zuerst ein Server an um ihn von hir Direckt zu starten !";
const char* const kHortfrage = "Wieviele Hortkugeln";

}  // namespace

class AngelegteTest : public VantorTest {
protected:
    void SetUp() override { ersterStart(gameFolder); }

    std::string cfg(const std::string& name, const std::string& inhalt = "[server config file]\r\n") {
        const std::string pfad = gameRoot / name;
        writeBytes(pfad, inhalt);
        return pfad;
    }
    // STS.ini with slot 1 set up and the group given.
    void sts(const std::vector<std::string>& gruppe, const std::string& config1 = "") {
        Zeilen z = {"Eins", "Tipp 1", common::textItem(config1)};
        for (int i = 0; i < 4; ++i) z.insert(z.end(), {"-----", "", ""});
        z.insert(z.end(), {kPack, "Pack-Tipp"});
        for (std::size_t i = 0; i < 11; ++i)
            z.push_back(i < gruppe.size() ? common::textItem(gruppe[i]) : "");
        schreibe("STS.ini", z);
    }
    common::Serverbefehl befehl(int server, const std::string& config) {
        return Vantor::Startzeile(server, gameFolder, config, gameRoot / "D3Temp",
                                  server == 1 ? "2092" : "2093");
    }
    std::string zeile(int server, const std::string& config) { return befehl(server, config).zeile; }
    // Started for that server's slot, with the words of its start.
    void erwarteStart(const fakes::StartedProcess& p, int server, const std::string& config) {
        EXPECT_EQ(p.words, befehl(server, config).wörter);
        EXPECT_EQ(p.slot, server);
    }
    Vantor& geladen() {
        Vantor& v = lade();
        v.port2.Text = "2093";
        v.Tempordners2.Text = gameRoot / "D3Temp";
        return v;
    }
    void erwarteOffen(Vantor& v, ui::Frame& panel, bool offen) {
        EXPECT_EQ(panel.Visible(), offen);
        EXPECT_EQ(v.Hauptprog.Enabled(), !offen);
        EXPECT_EQ(v.M1.Enabled(), !offen);
        EXPECT_EQ(v.M3.Enabled(), !offen);
    }
};

// ---------------------------------------------------------------- the panel

TEST_F(AngelegteTest, SavingWritesTheTwentyEightLinesAndUpdatesTheButtons) {
    sts({"/a.CFG", "/b.CFG"});
    Vantor& v = lade();
    v.AnM3b.userClick();
    erwarteOffen(v, v.Angelegte, true);
    EXPECT_FALSE(v.m4.Enabled());
    EXPECT_EQ(v.Angelegte.Left(), 40);
    EXPECT_EQ(v.ab1.Text(), "Eins");
    EXPECT_EQ(v.ab2.Text(), "-----");
    EXPECT_EQ(v.tt6.Text(), "Pack-Tipp");
    ASSERT_EQ(v.Gruppe.ListCount(), 2);

    v.ab2.Text = "";
    v.tt2.Text = "Mit, Komma";
    v.cn2.Text = "/pfad/zwei.CFG";
    v.ab3.Text = " Leer vorn";
    v.tt6.Text = "Gruppe";
    fake.answerMsgBox(platform::vbOK, "Angelegte Servereinstellung gespeichert !");
    v.ASSpeichern.userClick();

    EXPECT_EQ(bytes("STS.ini"),
              crlf({"Eins", "Tipp 1", "", "", "\"Mit, Komma\"", "/pfad/zwei.CFG",
                    "\" Leer vorn\"", "", "", "-----", "", "", "-----", "", "", kPack, "Gruppe",
                    "/a.CFG", "/b.CFG", "", "", "", "", "", "", "", "", ""}));
    EXPECT_EQ(fake.msgBoxes.back().flags, platform::vbInformation);
    erwarteOffen(v, v.Angelegte, false);
    EXPECT_TRUE(v.m4.Enabled());
    EXPECT_EQ(v.Server2.Caption(), "");  // empty, not the mark of a slot not set up
    EXPECT_EQ(v.Server2.ToolTipText(), "Mit, Komma");
    EXPECT_EQ(v.Server3.Caption(), " Leer vorn");
    EXPECT_EQ(v.Server6.Caption(), kPack);
    EXPECT_EQ(v.Server6.ToolTipText(), "Gruppe");
    EXPECT_EQ(v.ServerConfig2, "/pfad/zwei.CFG");

    // What was written reads back whole.
    v.AnM3b.userClick();
    EXPECT_EQ(v.tt2.Text(), "Mit, Komma");
    EXPECT_EQ(v.ab3.Text(), " Leer vorn");
}

TEST_F(AngelegteTest, AMissingOrShortSTSIniReadsAsTheFirstStartWroteIt) {
    Vantor& v = lade();
    schreibe("STS.ini", {"Eins", "Tipp"});
    v.AnM3b.userClick();
    EXPECT_EQ(v.ab1.Text(), "Eins");
    EXPECT_EQ(v.tt1.Text(), "Tipp");
    for (int i = 1; i < 5; ++i) EXPECT_EQ(v.ab()[i]->Text(), "-----");
    v.ASKreutz.userClick();
    std::filesystem::remove(prog("STS.ini"));
    v.AnM3b.userClick();
    EXPECT_EQ(v.ab1.Text(), "-----");
    EXPECT_EQ(v.tt1.Text(), "");
    EXPECT_EQ(v.Gruppe.ListCount(), 0);
    EXPECT_TRUE(fake.msgBoxes.empty());
}

TEST_F(AngelegteTest, AnSTSIniThatCannotBeWrittenKeepsThePanelAndTheButtons) {
    sts({}, "/eins.CFG");
    Vantor& v = lade();
    v.AnM3b.userClick();
    v.ab1.Text = "Neu";
    v.cn1.Text = "/neu.CFG";
    ::chmod(prog("STS.ini").c_str(), 0444);
    const std::string vorher = bytes("STS.ini");
    fake.answerMsgBox(platform::vbOK, "STS.ini konnte nicht geschrieben werden");
    v.ASSpeichern.userClick();
    EXPECT_EQ(fake.msgBoxes.back().flags, platform::vbCritical);
    EXPECT_EQ(fake.msgBoxes.back().title, "Talvir");
    EXPECT_EQ(bytes("STS.ini"), vorher);
    erwarteOffen(v, v.Angelegte, true);
    EXPECT_EQ(v.Server1.Caption(), "Eins");
    EXPECT_EQ(v.ServerConfig1, "/eins.CFG");
}

TEST_F(AngelegteTest, ExpertenButtonsAreOnlyEverEnabled) {
    sts({}, "/eins.CFG");
    Vantor& v = lade();
    for (ui::CommandButton* ee : v.ee()) EXPECT_FALSE(ee->Enabled());
    v.AnM3b.userClick();
    EXPECT_TRUE(v.ee1.Enabled());
    EXPECT_FALSE(v.ee2.Enabled());

    v.cn2.Text = "/von/hand.CFG";  // typed: not yet
    EXPECT_FALSE(v.ee2.Enabled());
    fake.answerOpen(std::nullopt);
    v.bb3.userClick();  // cancelled: nothing changes
    EXPECT_FALSE(v.ee2.Enabled());
    EXPECT_EQ(v.cn3.Text(), "");
    fake.answerOpen("/gewaehlt.CFG");
    v.bb3.userClick();
    EXPECT_EQ(v.cn3.Text(), "/gewaehlt.CFG");
    EXPECT_TRUE(v.ee2.Enabled());
    EXPECT_TRUE(v.ee3.Enabled());

    v.cn1.Text = "";
    v.ASBAbbrechen.userClick();
    v.AnM3b.userClick();
    EXPECT_TRUE(v.ee1.Enabled());
    EXPECT_TRUE(v.ee3.Enabled());
}

TEST_F(AngelegteTest, NeuClearsTheGroupUntilTheNextOpeningWithoutWriting) {
    sts({"/a.CFG"});
    Vantor& v = lade();
    v.AnM3b.userClick();
    v.GruppeLoschen.userClick();
    EXPECT_EQ(v.Gruppe.ListCount(), 0);
    EXPECT_EQ(v.tt6.Text(), "");
    const std::string vorher = bytes("STS.ini");
    v.ASKreutz.userClick();
    erwarteOffen(v, v.Angelegte, false);
    EXPECT_EQ(bytes("STS.ini"), vorher);
    EXPECT_EQ(v.Gruppe.ListCount(), 0);  // the main window's live group
    v.AnM3b.userClick();
    EXPECT_EQ(v.Gruppe.ListCount(), 1);
}

TEST_F(AngelegteTest, TheGroupTakesElevenEntriesAndRefusesTheTwelfth) {
    Vantor& v = lade();
    v.AnM3b.userClick();
    for (int i = 0; i < 11; ++i) {
        fake.answerOpen("/" + std::to_string(i) + ".CFG");
        v.bb6.userClick();
    }
    EXPECT_EQ(v.Gruppe.ListCount(), 11);
    EXPECT_EQ(v.Gruppe.ListIndex(), 10);
    fake.answerMsgBox(platform::vbOK, "höchstens 11 Konfigurationen");
    v.bb6.userClick();
    EXPECT_EQ(fake.beeps, 1);
    EXPECT_EQ(fake.msgBoxes.back().title, "Talvir");
    EXPECT_EQ(v.Gruppe.ListCount(), 11);
    EXPECT_EQ(fake.openRequests.size(), 11u);
}

TEST_F(AngelegteTest, ExpertenHandsTheSlotsFileToTheEditorThroughEditIni) {
    const std::string datei = cfg("mit, komma.CFG", "PPS=8\r\n");
    sts({}, datei);
    Vantor& v = lade();
    v.AnM3b.userClick();
    testing_support::makeDirs(prog("Edit.ini"));  // a folder in its place
    fake.answerMsgBox(platform::vbOK, "Edit.ini konnte nicht geschrieben werden");
    v.ee1.userClick();
    EXPECT_EQ(program->find<FormEditor>(), nullptr);

    std::filesystem::remove(prog("Edit.ini"));
    v.ee1.userClick();
    EXPECT_EQ(bytes("Edit.ini"), crlf({"\"" + datei + "\""}));
    ASSERT_NE(program->find<FormEditor>(), nullptr);
    EXPECT_EQ(program->find<FormEditor>()->TextfeldEditor.Text(), "PPS=8\r\n");
}

// ---------------------------------------------------------------- the start frame

TEST_F(AngelegteTest, ASlotNotSetUpAndAnEmptyGroupAreRefused) {
    sts({});
    Vantor& v = lade();
    for (ui::CommandButton* knopf : {&v.Server2, &v.Server6}) {
        fake.answerMsgBox(platform::vbOK, kAbweisung);
        knopf->userClick();
        EXPECT_EQ(fake.msgBoxes.back().flags, platform::vbCritical);
        EXPECT_FALSE(v.ASfra.Visible());
    }
    EXPECT_EQ(fake.beeps, 2);
}

TEST_F(AngelegteTest, HoardIsAskedWhenTheFileSaysSoWhateverTheGameType) {
    const std::string hoard = cfg("h.CFG", "[server config file]\r\nScriptname=Hoard\r\n");
    const std::string anarchy = cfg("a.CFG", "[server config file]\r\nScriptname=Anarchy\r\n");
    sts({}, hoard);
    Vantor& v = geladen();
    v.Spieletyp.Text = "Anarchy";
    v.Server1.userClick();
    EXPECT_EQ(v.ASservertext.Text(), "Eins");
    EXPECT_EQ(v.Portangabe4.Text(), "2093");
    erwarteOffen(v, v.ASfra, true);
    fake.answerInputBox("5", kHortfrage);
    v.AS1.userClick();
    EXPECT_TRUE(v.Hortsetzten.Enabled());
    erwarteOffen(v, v.ASfra, false);
    ASSERT_EQ(fake.processes.size(), 1u);
    erwarteStart(fake.processes[0], 1, hoard);
    EXPECT_EQ(fake.processes[0].windowStyle, platform::vbNormalFocus);

    v.Hortsetzten.Enabled = false;
    v.Spieletyp.Text = "Hoard";
    v.ServerConfig1 = anarchy;
    v.Server1.userClick();
    v.AS2.userClick();
    EXPECT_FALSE(v.Hortsetzten.Enabled());
    EXPECT_EQ(fake.inputBoxes.size(), 1u);
    erwarteStart(fake.processes.back(), 2, anarchy);
}

// A saved server whose console port a running server holds starts nothing.
TEST_F(AngelegteTest, ASavedServerOnAHeldConsolePortIsRefused) {
    const std::string saved =
        cfg("s.CFG", "[server config file]\r\nAllowRemoteConsole=1\r\nRemoteConsolePort=2100\r\n");
    sts({}, saved);
    Vantor& v = geladen();
    v.Server1.userClick();
    fake.consolePorts[2100] = {4711, "/d3/alt.cfg", gameFolder + "/custom/cache"};
    fake.answerMsgBox(platform::vbOK, "Den Konsolenport 2100 seiner Konfiguration hält schon Server 1");
    v.AS2.userClick();
    ASSERT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_EQ(fake.msgBoxes[0].flags, platform::vbCritical);
    EXPECT_TRUE(fake.processes.empty());
    erwarteOffen(v, v.ASfra, true);
}

// Nothing starts from a configuration that cannot be read (an empty path
// included) or a queue that cannot be written: the message says why and the
// frame stays open. A program that cannot be started disarms its count.
TEST_F(AngelegteTest, WhatCannotBeReadWrittenOrStartedIsReported) {
    const std::string h = cfg("h.CFG", "Scriptname=Hoard\r\n");
    sts({h, h}, "");
    Vantor& v = geladen();
    v.Server1.userClick();
    fake.answerMsgBox(platform::vbOK, "keine Datei angegeben");
    v.AS1.userClick();
    v.ServerConfig1 = gameRoot / "fehlt.CFG";
    v.ASAbbrechen.userClick();
    v.Server1.userClick();
    fake.answerMsgBox(platform::vbOK, "fehlt.CFG konnte nicht gelesen");
    v.AS2.userClick();
    testing_support::makeDirs(prog("pack.cfg"));
    v.ASAbbrechen.userClick();
    v.Server6.userClick();
    fake.answerMsgBox(platform::vbOK, "pack.cfg konnte nicht geschrieben werden");
    v.AS1.userClick();
    EXPECT_TRUE(fake.processes.empty());
    for (const fakes::ShownMsgBox& m : fake.msgBoxes) EXPECT_EQ(m.flags, platform::vbCritical);
    erwarteOffen(v, v.ASfra, true);

    fake.startSucceeds = false;
    v.ServerConfig1 = h;
    v.ASAbbrechen.userClick();
    v.Server1.userClick();
    fake.answerInputBox("4", kHortfrage);
    fake.answerMsgBox(platform::vbOK, "Der Server konnte nicht gestartet werden:\n" + zeile(1, h));
    v.AS1.userClick();
    EXPECT_FALSE(v.Hortsetzten.Enabled());
}

// A level pack whose start is refused writes no queue and opens no
// communicator: nothing would seem to run.
TEST_F(AngelegteTest, RefusedLevelPackLeavesNoQueue) {
    sts({cfg("a.CFG"), cfg("b.CFG")});
    Vantor& v = geladen();
    v.Hilfezeigen.Value = 1;
    v.port.Text = "0";
    v.Server6.userClick();
    fake.answerMsgBox(platform::vbOK, "Der Port \"0\" ist keine ganze Zahl von 1 bis 65535.");
    v.AS1.userClick();
    EXPECT_FALSE(testing_support::fileExists(prog("pack.cfg")));
    EXPECT_EQ(program->find<Kommunicator>(), nullptr);
    EXPECT_TRUE(fake.processes.empty());
    erwarteOffen(v, v.ASfra, true);
}

TEST_F(AngelegteTest, LevelPackOfThreeQueuesTwoAndOpensTheCommunicator) {
    const std::string a = cfg("a.CFG"), b = cfg("b, mit Komma.CFG"), c = cfg("c.CFG");
    sts({a, b, c});
    Vantor& v = geladen();
    v.Hilfezeigen.Value = 1;
    v.Server6.userClick();
    EXPECT_EQ(v.ASservertext.Text(), kPack);
    EXPECT_FALSE(v.AS2.Enabled());
    v.AS1.userClick();
    EXPECT_EQ(bytes("pack.cfg"), crlf({"\"" + b + "\"", c}));
    Kommunicator* k = program->find<Kommunicator>();
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(v.Fensterwert, 1);
    EXPECT_TRUE(fake.inputBoxes.empty());
    ASSERT_EQ(fake.processes.size(), 1u);
    erwarteStart(fake.processes[0], 1, a);
    erwarteOffen(v, v.ASfra, false);

    // A queue waiting disables server 2 for the saved slots 2 to 5.
    v.Server1.Caption = "Eins";
    v.Server2.Caption = "Zwei";
    v.AS2.Enabled = true;
    v.Server1.userClick();
    EXPECT_TRUE(v.AS2.Enabled());
    v.KreutzAS.userClick();
    v.Server2.userClick();
    EXPECT_FALSE(v.AS2.Enabled());
}

TEST_F(AngelegteTest, LevelPackOfOneLeavesTheQueueEmptyAndServer2LeavesItAlone) {
    const std::string a = cfg("a.CFG");
    sts({a});
    Vantor& v = geladen();
    writeBytes(prog("pack.cfg"), "alt\r\n");
    v.Server6.userClick();
    EXPECT_FALSE(v.AS2.Enabled());
    v.AS2_Click();  // the frame decides by its text: the pack's first entry as server 2
    EXPECT_EQ(bytes("pack.cfg"), "alt\r\n");
    ASSERT_EQ(fake.processes.size(), 1u);
    erwarteStart(fake.processes[0], 2, a);

    v.Server6.userClick();
    v.AS1.userClick();
    bool vorhanden = false;
    EXPECT_EQ(readBytes(prog("pack.cfg"), &vorhanden), "");
    EXPECT_TRUE(vorhanden);

    // "X" leaves server 2 as the pack left it; "Abbrechen" frees it.
    v.Server6.userClick();
    v.KreutzAS.userClick();
    erwarteOffen(v, v.ASfra, false);
    EXPECT_FALSE(v.AS2.Enabled());
    v.Server6.userClick();
    v.ASAbbrechen.userClick();
    erwarteOffen(v, v.ASfra, false);
    EXPECT_TRUE(v.AS2.Enabled());
}

// Both frames: a grayed "Server minimiert starten" starts nothing, so no orb
// count may be armed for it.
class GegrautTest : public AngelegteTest, public ::testing::WithParamInterface<bool> {};

TEST_P(GegrautTest, StartsNoProcessAndArmsNoCount) {
    const bool gespeichert = GetParam();
    const std::string h = cfg("h.CFG", "Scriptname=Hoard\r\n");
    sts({h, cfg("b.CFG")}, h);
    Vantor& v = geladen();
    v.servermin.Value = 2;
    v.Hilfezeigen.Value = 1;
    if (gespeichert) {
        v.Server1.userClick();
        v.AS1.userClick();
        erwarteOffen(v, v.ASfra, false);
        v.Server6.userClick();
        v.AS1.userClick();
        // The pack did not start either: no queue is left for it.
        EXPECT_EQ(bytes("pack.cfg"), "");
    } else {
        v.Configname.Text = h;
        v.SStart_Click();
        v.Server1start.userClick();
        erwarteOffen(v, v.Startserver, false);
    }
    EXPECT_NE(program->find<Kommunicator>(), nullptr);
    EXPECT_TRUE(fake.processes.empty());
    EXPECT_TRUE(fake.inputBoxes.empty());
    EXPECT_FALSE(v.Hortsetzten.Enabled());
}

INSTANTIATE_TEST_SUITE_P(Rahmen, GegrautTest, ::testing::Bool());
