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

class FormEditorTest : public WindowTest {
protected:
    // Windows-1252 with a comma, quotes, leading blanks and "üß".
    const std::string inhalt = "[server config file]\r\nConnectionName=Gr\xFC\xDF" "e, Welt\r\n"
                               "  MOTD=\"Hallo\"\r\n\r\nPPS=8\r\n";
    std::string datei(const std::string& name) { return gameRoot / name; }
    FormEditor* editor() { return program->find<FormEditor>(); }

    FormEditor& öffne(const std::string& pfad, const std::string& bytes) {
        writeBytes(pfad, bytes);
        writeBytes(prog("Edit.ini"), crlf({pfad}));
        program->load<FormEditor>();
        EXPECT_NE(editor(), nullptr);
        return *editor();
    }
    // The printout as "kind:text" lines, the picture with its place.
    std::vector<std::string> ausdruck() {
        std::vector<std::string> r;
        for (const fakes::PrintOp& op : fake.printed)
            r.push_back(op.op + ":" + op.text +
                        (op.op == "picture" ? "@" + std::to_string(op.x) + "," + std::to_string(op.y) : "") +
                        (op.op == "font" ? std::to_string(int(op.size)) : ""));
        return r;
    }
    std::vector<std::string> kopie(const std::string& pfad, const std::vector<std::string>& zeilen) {
        const std::string rand(21, ' ');
        std::vector<std::string> r = {"line:", "line:", "line:", "picture:" + prog("editor.png") + "@4900,500",
                                      "line:", "line:", "font:12", "line:" + rand + pfad,
                                      "line:" + rand + "Ausdruck vom 12-07-2026",
                                      "line:" + rand + std::string(40, '-')};
        for (const std::string& z : zeilen) r.push_back("line:" + rand + z);
        return r;
    }
};

TEST_F(FormEditorTest, ShowsTheFileAndFollowsÖffnenInItsCaptions) {
    FormEditor& e = öffne(datei("a.CFG"), inhalt);
    EXPECT_TRUE(e.Visible());
    EXPECT_EQ(e.Caption(), "CFG-Editor - " + datei("a.CFG"));
    EXPECT_EQ(e.TextfeldEditor.Text(), common::ansiToUtf8(inhalt));
    writeBytes(prog("Edit.ini"), crlf({datei("b.CFG")}));
    program->load<FormEditor>();  // open already: keeps its file
    EXPECT_EQ(e.Caption(), "CFG-Editor - " + datei("a.CFG"));

    // Cancelled: the text, edits included, and the caption stay.
    e.TextfeldEditor.userSetsText("PPS=7 ungespeichert");
    fake.answerOpen(std::nullopt);
    e.laden.userClick();
    EXPECT_EQ(e.Caption(), "CFG-Editor - " + datei("a.CFG"));
    EXPECT_EQ(e.TextfeldEditor.Text(), "PPS=7 ungespeichert");
    EXPECT_EQ(e.Datei, datei("a.CFG"));

    fake.answerOpen(datei("weg.CFG"));
    fake.answerMsgBox(platform::vbOK, "weg.CFG konnte nicht gelesen");
    e.laden.userClick();
    EXPECT_EQ(e.Caption(), "CFG Editor - " + datei("weg.CFG"));
    EXPECT_EQ(e.TextfeldEditor.Text(), "");

    writeBytes(datei("b.CFG"), "PPS=9\r\n");
    fake.answerOpen(datei("b.CFG"));
    e.laden.userClick();
    EXPECT_EQ(e.Caption(), "CFG Editor - " + datei("b.CFG"));
    EXPECT_EQ(e.TextfeldEditor.Text(), "PPS=9\r\n");
}

TEST_F(FormEditorTest, SavesWholeOrNotAtAll) {
    FormEditor& e = öffne(datei("a.CFG"), inhalt);
    e.TextfeldEditor.userSetsText("[server config file]\r\nPPS=ä");
    fake.answerSave(datei("a.CFG"));
    fake.answerMsgBox(platform::vbOK, "Datei wurde gespeichert!");
    e.SchaltflSpeichern.userClick();
    EXPECT_EQ(readBytes(datei("a.CFG")), "[server config file]\r\nPPS=\xE4");

    // Under a new name: the loaded file and the caption stay.
    e.TextfeldEditor.userSetsText("neu");
    fake.answerSave(datei("neu.CFG"));
    fake.answerMsgBox(platform::vbOK, "Datei wurde gespeichert!");
    e.SchaltflSpeichern.userClick();
    EXPECT_EQ(readBytes(datei("neu.CFG")), "neu");
    EXPECT_EQ(readBytes(datei("a.CFG")), "[server config file]\r\nPPS=\xE4");
    EXPECT_EQ(e.Caption(), "CFG-Editor - " + datei("a.CFG"));

    // A write-protected file stays whole; only the failure is reported.
    ::chmod(datei("neu.CFG").c_str(), 0444);
    e.TextfeldEditor.userSetsText("anders");
    fake.answerSave(datei("neu.CFG"));
    fake.answerMsgBox(platform::vbOK, "neu.CFG konnte nicht geschrieben werden");
    e.SchaltflSpeichern.userClick();
    EXPECT_EQ(readBytes(datei("neu.CFG")), "neu");
    EXPECT_EQ(fake.msgBoxes.back().flags, platform::vbCritical);
    EXPECT_EQ(fake.saveRequests.back().DialogTitle, "Speichern unter " + datei("neu.CFG"));
}

TEST_F(FormEditorTest, PrintsEachCopyOfTheFileAsLoadedLineForLine) {
    std::vector<std::string> zeilen;
    for (int i = 1; i <= 40; ++i) zeilen.push_back("Zeile" + std::to_string(i) + "=" + std::to_string(i));
    zeilen[3] = "MOTD=Hallo, \"Welt\"";
    zeilen[4] = "   eingerückt";
    zeilen[5] = "";
    FormEditor& e = öffne(datei("vierzig.CFG"), crlf(zeilen));
    e.TextfeldEditor.userSetsText("ungespeichert");
    fake.answerPrinter(2);
    e.Drucken.userClick();

    std::vector<std::string> soll = kopie(datei("vierzig.CFG"), zeilen);
    soll.push_back("page:");
    const auto zweite = kopie(datei("vierzig.CFG"), zeilen);
    soll.insert(soll.end(), zweite.begin(), zweite.end());
    soll.push_back("end:");
    EXPECT_EQ(ausdruck(), soll);

    fake.printed.clear();
    fake.answerPrinter(std::nullopt);
    e.Drucken.userClick();
    EXPECT_TRUE(fake.printed.empty());
}

struct Groesse {
    int breite, hoehe, bildLinks, textBreite, textHoehe;
};

class FormEditorResizeTest : public FormEditorTest,
                             public ::testing::WithParamInterface<Groesse> {};

TEST_P(FormEditorResizeTest, KeepsThePictureRightOfTheButtonsAndNoSizeNegative) {
    FormEditor& e = öffne(datei("a.CFG"), inhalt);
    const Groesse g = GetParam();
    e.userResize(g.breite, g.hoehe);
    EXPECT_EQ(e.Picture1.Left(), g.bildLinks);
    EXPECT_EQ(e.TextfeldEditor.Width(), g.textBreite);
    EXPECT_EQ(e.TextfeldEditor.Height(), g.textHoehe);
}

INSTANTIATE_TEST_SUITE_P(Breiten, FormEditorResizeTest,
                         ::testing::Values(Groesse{4300, 3000, 2300, 3950, 1700},
                                           Groesse{4401, 3000, 2301, 4051, 1700},
                                           Groesse{200, 300, 2300, 0, 0}));

struct Ladefehler {
    const char* name;
    std::optional<std::string> editIni;  // nullopt: missing
    const char* meldung;
    int flags = 0;  // Edit.ini's own failure is critical, as any settings file's
};

class FormEditorLadefehlerTest : public FormEditorTest,
                                 public ::testing::WithParamInterface<Ladefehler> {};

TEST_P(FormEditorLadefehlerTest, SaysWhyAndUnloadsSoTheNextHandOffOpensAfresh) {
    if (GetParam().editIni) writeBytes(prog("Edit.ini"), *GetParam().editIni);
    fake.answerMsgBox(platform::vbOK, GetParam().meldung);
    program->load<FormEditor>();
    EXPECT_EQ(editor(), nullptr);
    EXPECT_EQ(fake.msgBoxes.at(0).flags, GetParam().flags);
    EXPECT_TRUE(öffne(datei("a.CFG"), inhalt).Visible());
}

INSTANTIATE_TEST_SUITE_P(
    Faelle, FormEditorLadefehlerTest,
    ::testing::Values(Ladefehler{"EditIniFehlt", std::nullopt, "Edit.ini konnte nicht gelesen",
                                 platform::vbCritical},
                      Ladefehler{"EditIniLeer", std::string(), "nennt keine Datei"},
                      Ladefehler{"LeererPfad", std::string("\r\n"), "keine Datei angegeben"},
                      Ladefehler{"DateiFehlt", std::string("/gibt/es/nicht.CFG\r\n"),
                                 "/gibt/es/nicht.CFG konnte nicht gelesen"}),
    [](const auto& info) { return std::string(info.param.name); });
