// The configuration-file editor: opening through Edit.ini, "Öffnen",
// "Speichern unter...." and "Drucken", the layout on resize, and the files
// it cannot load or write.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TestFolders.h"
#include "WindowTest.h"
#include "common/Encoding.h"
#include "editor/FormEditor.h"

using testing_support::crlf;
using testing_support::readBytes;
using testing_support::writeBytes;

namespace {

const std::string kRand(21, ' ');

}  // namespace

class FormEditorTest : public WindowTest {
protected:
    // A configuration file in Windows-1252, with a comma, quotes, leading
    // blanks and an umlaut (0xFC).
    const std::string inhalt =
        "[server config file]\r\nConnectionName=Gr\xFC\xDF" "e, Welt\r\n"
        "  MOTD=\"Hallo\"\r\n\r\nPPS=8\r\n";

    std::string datei(const std::string& name) { return gameRoot / name; }

    FormEditor* editor() { return program->find<FormEditor>(); }

    FormEditor& öffne(const std::string& pfad) {
        writeBytes(prog("Edit.ini"), crlf({pfad}));
        program->load<FormEditor>();
        EXPECT_NE(editor(), nullptr);
        return *editor();
    }
    FormEditor& öffneDatei() {
        writeBytes(datei("a.CFG"), inhalt);
        return öffne(datei("a.CFG"));
    }

    // The recorded printout of one copy of `zeilen` under `pfad`.
    std::vector<fakes::PrintOp> kopie(const std::string& pfad,
                                      const std::vector<std::string>& zeilen) {
        std::vector<fakes::PrintOp> ops;
        for (int i = 0; i < 3; ++i) ops.push_back({"line", ""});
        ops.push_back({"picture", prog("editor.png"), 4900, 500});
        for (int i = 0; i < 2; ++i) ops.push_back({"line", ""});
        ops.push_back({"font", {}, 0, 0, 12});
        ops.push_back({"line", kRand + pfad});
        ops.push_back({"line", kRand + "Ausdruck vom 12-07-2026"});
        ops.push_back({"line", kRand + std::string(40, '-')});
        for (const std::string& z : zeilen) ops.push_back({"line", kRand + z});
        return ops;
    }
    void erwarteAusdruck(const std::vector<fakes::PrintOp>& soll) {
        ASSERT_EQ(fake.printed.size(), soll.size());
        for (std::size_t i = 0; i < soll.size(); ++i) {
            const fakes::PrintOp& ist = fake.printed[i];
            EXPECT_EQ(ist.op, soll[i].op) << i;
            EXPECT_EQ(ist.text, soll[i].text) << i;
            EXPECT_EQ(ist.x, soll[i].x) << i;
            EXPECT_EQ(ist.y, soll[i].y) << i;
            EXPECT_EQ(ist.size, soll[i].size) << i;
        }
    }
};

TEST_F(FormEditorTest, OpensTheNamedFileByteForByteAndShowsItself) {
    FormEditor& e = öffneDatei();
    EXPECT_TRUE(e.Visible());
    EXPECT_EQ(e.Caption(), "CFG-Editor - " + datei("a.CFG"));
    EXPECT_EQ(e.TextfeldEditor.Text(), common::ansiToUtf8(inhalt));
    EXPECT_EQ(e.TextfeldEditor.Font().Name, "Courier New");
    EXPECT_EQ(e.TextfeldEditor.ScrollBars(), 3);
    EXPECT_EQ(e.BorderStyle(), ui::vbSizable);
    EXPECT_TRUE(fake.msgBoxes.empty());

    // A second hand-off while it is open changes nothing.
    writeBytes(datei("b.CFG"), "anders");
    writeBytes(prog("Edit.ini"), crlf({datei("b.CFG")}));
    program->load<FormEditor>();
    EXPECT_EQ(e.TextfeldEditor.Text(), common::ansiToUtf8(inhalt));
}

TEST_F(FormEditorTest, AQuotedPathWithACommaInEditIniOpensWhole) {
    writeBytes(datei("a, b.CFG"), "x");
    writeBytes(prog("Edit.ini"), crlf({"\"" + datei("a, b.CFG") + "\""}));
    program->load<FormEditor>();
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->TextfeldEditor.Text(), "x");
}

TEST_F(FormEditorTest, OpenCancelledThenChosenSetsTheCaptionsOfItsStates) {
    FormEditor& e = öffneDatei();
    fake.answerOpen(std::nullopt);
    e.laden.userClick();
    EXPECT_EQ(e.Caption(), "CFG Editor");
    EXPECT_EQ(e.TextfeldEditor.Text(), "");
    EXPECT_EQ(fake.openRequests.back().Filter, "CFG-Dateien (*.CFG)|*.CFG|");
    EXPECT_EQ(fake.openRequests.back().Flags, 4);

    writeBytes(datei("b.CFG"), "PPS=9\r\n");
    fake.answerOpen(datei("b.CFG"));
    e.laden.userClick();
    EXPECT_EQ(e.Caption(), "CFG Editor - " + datei("b.CFG"));
    EXPECT_EQ(e.TextfeldEditor.Text(), "PPS=9\r\n");
}

TEST_F(FormEditorTest, SavingOntoTheLoadedFileAfterShorteningLeavesExactlyTheText) {
    FormEditor& e = öffneDatei();
    e.TextfeldEditor.userSetsText("[server config file]\r\nPPS=ä");
    fake.answerSave(datei("a.CFG"));
    fake.answerMsgBox(platform::vbOK, "Datei wurde gespeichert!");
    e.SchaltflSpeichern.userClick();
    EXPECT_EQ(readBytes(datei("a.CFG")), "[server config file]\r\nPPS=\xE4");
    EXPECT_EQ(fake.saveRequests.back().DialogTitle, "Speichern unter " + datei("a.CFG"));
    EXPECT_EQ(fake.saveRequests.back().Flags, 2);
    EXPECT_EQ(fake.msgBoxes.back().flags, 0);
    EXPECT_EQ(fake.msgBoxes.back().title, "");
}

TEST_F(FormEditorTest, SavingUnderANewNameLeavesTheLoadedFileAndTheCaption) {
    FormEditor& e = öffneDatei();
    e.TextfeldEditor.userSetsText("neu");
    fake.answerSave(datei("neu.CFG"));
    fake.answerMsgBox(platform::vbOK, "Datei wurde gespeichert!");
    e.SchaltflSpeichern.userClick();
    EXPECT_EQ(readBytes(datei("neu.CFG")), "neu");
    EXPECT_EQ(readBytes(datei("a.CFG")), inhalt);
    EXPECT_EQ(e.Caption(), "CFG-Editor - " + datei("a.CFG"));

    // The next save dialog names the path chosen last.
    fake.answerSave(std::nullopt);
    e.SchaltflSpeichern.userClick();
    EXPECT_EQ(fake.saveRequests.back().DialogTitle, "Speichern unter " + datei("neu.CFG"));
}

TEST_F(FormEditorTest, AFailedSaveKeepsTheOldFileAndSaysWhy) {
    FormEditor& e = öffneDatei();
    ::chmod(datei("a.CFG").c_str(), 0444);
    e.TextfeldEditor.userSetsText("kurz");
    fake.answerSave(datei("a.CFG"));
    fake.answerMsgBox(platform::vbOK, "a.CFG konnte nicht geschrieben werden");
    e.SchaltflSpeichern.userClick();
    EXPECT_EQ(readBytes(datei("a.CFG")), inhalt);
    ASSERT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_EQ(fake.msgBoxes[0].flags, platform::vbCritical);
    EXPECT_EQ(fake.msgBoxes[0].title, "Talvir");

    fake.answerSave(datei("fehlt/b.CFG"));
    fake.answerMsgBox(platform::vbOK, "fehlt/b.CFG konnte nicht geschrieben werden");
    e.SchaltflSpeichern.userClick();
    EXPECT_EQ(fake.msgBoxes.size(), 2u);
}

TEST_F(FormEditorTest, PrintsTwoCopiesOfTheFileAsLoadedWithTheHeader) {
    std::vector<std::string> zeilen;
    for (int i = 1; i <= 40; ++i) zeilen.push_back("Zeile" + std::to_string(i) + "=" + std::to_string(i));
    writeBytes(datei("vierzig.CFG"), crlf(zeilen));
    FormEditor& e = öffne(datei("vierzig.CFG"));
    e.TextfeldEditor.userSetsText("ungespeichert");
    fake.answerPrinter(2);
    e.Drucken.userClick();

    std::vector<fakes::PrintOp> soll = kopie(datei("vierzig.CFG"), zeilen);
    soll.push_back({"page"});
    const auto zweite = kopie(datei("vierzig.CFG"), zeilen);
    soll.insert(soll.end(), zweite.begin(), zweite.end());
    soll.push_back({"end"});
    erwarteAusdruck(soll);
    EXPECT_FALSE(testing_support::fileExists(prog("Druckseite.cfg")));
}

TEST_F(FormEditorTest, PrintsEveryLineAsItStandsWhateverTheLength) {
    std::string text = "MOTD=Hallo, \"Welt\"\r\n   eingerückt,a\r\n\r\n";
    std::vector<std::string> zeilen = {"MOTD=Hallo, \"Welt\"", "   eingerückt,a", ""};
    for (int i = 0; i < 200; ++i) {
        text += "x" + std::to_string(i) + "\n";  // LF alone ends a line too
        zeilen.push_back("x" + std::to_string(i));
    }
    writeBytes(datei("lang.CFG"), common::utf8ToAnsi(text));
    FormEditor& e = öffne(datei("lang.CFG"));
    fake.answerPrinter(1);
    e.Drucken.userClick();
    std::vector<fakes::PrintOp> soll = kopie(datei("lang.CFG"), zeilen);
    soll.push_back({"end"});
    erwarteAusdruck(soll);

    // Cancelling the printer dialog prints nothing.
    fake.printed.clear();
    fake.answerPrinter(std::nullopt);
    e.Drucken.userClick();
    EXPECT_TRUE(fake.printed.empty());
}

struct Groesse {
    int breite, hoehe;
    int bildLinks, textBreite, textHoehe;
};

class FormEditorResizeTest : public FormEditorTest,
                             public ::testing::WithParamInterface<Groesse> {};

TEST_P(FormEditorResizeTest, KeepsThePictureRightOfTheButtonsAndNoSizeNegative) {
    FormEditor& e = öffneDatei();
    const Groesse g = GetParam();
    e.userResize(g.breite, g.hoehe);
    EXPECT_EQ(e.Picture1.Left(), g.bildLinks);
    EXPECT_EQ(e.TextfeldEditor.Width(), g.textBreite);
    EXPECT_EQ(e.TextfeldEditor.Height(), g.textHoehe);
}

INSTANTIATE_TEST_SUITE_P(Breiten, FormEditorResizeTest,
                         ::testing::Values(Groesse{4300, 3000, 2300, 3950, 1700},
                                           Groesse{4401, 3000, 2301, 4051, 1700},
                                           Groesse{12000, 9000, 9900, 11650, 7700},
                                           Groesse{200, 300, 2300, 0, 0}));

TEST_F(FormEditorTest, FirstShowLaysTheWindowOutOnce) {
    FormEditor& e = öffneDatei();
    EXPECT_EQ(e.Picture1.Left(), e.Width() - 2100);
    EXPECT_EQ(e.TextfeldEditor.Height(), e.Height() - 1300);
    EXPECT_EQ(e.TextfeldEditor.Width(), e.Width() - 350);
}

struct Fehlschlag {
    const char* name;
    std::optional<std::string> editIni;  // nullopt: missing
    const char* meldung;
};

class FormEditorLadefehlerTest : public FormEditorTest,
                                 public ::testing::WithParamInterface<Fehlschlag> {};

TEST_P(FormEditorLadefehlerTest, SaysWhyAndUnloadsSoTheNextHandOffOpensAfresh) {
    const Fehlschlag f = GetParam();
    if (f.editIni) writeBytes(prog("Edit.ini"), *f.editIni);
    fake.answerMsgBox(platform::vbOK, f.meldung);
    program->load<FormEditor>();
    EXPECT_EQ(editor(), nullptr);
    ASSERT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_EQ(fake.msgBoxes[0].flags, 0);

    öffneDatei();
    EXPECT_TRUE(editor()->Visible());
}

INSTANTIATE_TEST_SUITE_P(
    Faelle, FormEditorLadefehlerTest,
    ::testing::Values(Fehlschlag{"EditIniFehlt", std::nullopt, "Edit.ini konnte nicht gelesen"},
                      Fehlschlag{"EditIniLeer", std::string(), "nennt keine Datei"},
                      Fehlschlag{"LeererPfad", std::string("\r\n"), "keine Datei angegeben"},
                      Fehlschlag{"DateiFehlt", std::string("/gibt/es/nicht.CFG\r\n"),
                                 "/gibt/es/nicht.CFG konnte nicht gelesen"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FormEditorTest, AFileThatCannotBeOpenedAfterÖffnenLeavesTheBoxEmpty) {
    FormEditor& e = öffneDatei();
    fake.answerOpen(datei("weg.CFG"));
    fake.answerMsgBox(platform::vbOK, "weg.CFG konnte nicht gelesen");
    e.laden.userClick();
    EXPECT_EQ(e.TextfeldEditor.Text(), "");
    EXPECT_EQ(e.Caption(), "CFG Editor - " + datei("weg.CFG"));
    EXPECT_EQ(e.Pfad, datei("weg.CFG"));
    // The printout still holds the former content, under the path tried.
    fake.answerPrinter(1);
    e.Drucken.userClick();
    EXPECT_EQ(fake.printed[7].text, kRand + datei("weg.CFG"));
    EXPECT_EQ(fake.printed[10].text, kRand + "[server config file]");
}
