#include "editor/FormEditor.h"

#include <algorithm>
#include <cstdio>

#include "common/Encoding.h"
#include "common/Items.h"
#include "common/MessageBox.h"
#include "common/Paths.h"
#include "common/SettingsWriter.h"
#include "ui/Assets.h"

namespace {

const char* const kFilter = "CFG-Dateien (*.CFG)|*.CFG|";
const std::string kRand(21, ' ');  // left margin of every printed text line

// The design size of the window and what the layout keeps free around the
// text box and beside the picture.
constexpr int kBreite = 9600;
constexpr int kHoehe = 7200;
constexpr int kRandUnten = 1300;
constexpr int kRandRechts = 350;
constexpr int kBildAbstand = 2100;
constexpr int kBildMindestens = 2300;  // right of the three buttons

void knopf(ui::CommandButton& b, int left, const char* tip, const char* bild) {
    b.Move(left, 15, 615, 615);
    b.ToolTipText = tip;
    b.Picture = bild;
    b.Style = 1;
}

std::string datum(const platform::Date& d) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d-%02d-%04d", d.Month, d.Day, d.Year);
    return text;
}

}  // namespace

FormEditor::FormEditor(ui::Program& program) : ui::Form(program, "FormEditor") {
    Caption = "CFG-Editor";
    BorderStyle = ui::vbSizable;
    Width = kBreite;
    Height = kHoehe;
    // The client area: the outer size less the frame a window manager
    // usually adds.
    ScaleWidth = kBreite - 120;
    ScaleHeight = kHoehe - 405;

    knopf(laden, 105, "Öffnen", ui::assets::kOeffnen);
    knopf(SchaltflSpeichern, 840, "Speichern unter....", ui::assets::kSpeichern);
    knopf(Drucken, 1560, "Drucken", ui::assets::kDrucken);
    Picture1.Move(kBreite - kBildAbstand, 15, 1935, 615);
    Picture1.Picture = ui::assets::kEditor;
    Picture1.BorderStyle = 0;
    Picture1.TabStop = false;

    TextfeldEditor.MultiLine = true;
    TextfeldEditor.ScrollBars = 3;  // both
    TextfeldEditor.Move(120, 660, kBreite - kRandRechts, kHoehe - kRandUnten);
    TextfeldEditor.Font = ui::Font{"Courier New", 9.75};
    TextfeldEditor.BackColor = ui::kWindowBackground;
    TextfeldEditor.ForeColor = ui::kWindowText;

    laden.Click = [this] { laden_Click(); };
    SchaltflSpeichern.Click = [this] { SchaltflSpeichern_Click(); };
    Drucken.Click = [this] { Drucken_Click(); };
}

void FormEditor::Meldung(const std::string& text) {
    program().platform.dialogs.MsgBox(text, platform::vbOKOnly, "");
}

std::optional<std::string> FormEditor::UebergabeLesen() {
    const std::string datei = common::pfad(program().Path(), kEditIni);
    std::string grund;
    std::optional<common::ItemReader> items = common::ItemReader::open(datei, &grund);
    if (!items) {
        // Edit.ini is one of the tool's settings files: its failure is
        // named as theirs is. A pipe or a device has been named already.
        common::lesefehlerMelden(program().platform.dialogs, datei, grund);
        return std::nullopt;
    }
    std::string pfad;
    if (!items->next(pfad)) {
        Meldung("Die Datei " + datei + " nennt keine Datei zum Bearbeiten.");
        return std::nullopt;
    }
    return pfad;
}

// A window that could not show its file goes again, so that the next hand-off
// opens it afresh instead of finding it open but never shown.
void FormEditor::Form_Load() {
    std::optional<std::string> pfad = UebergabeLesen();
    if (!pfad) {
        program().unload(*this);
        return;
    }
    Datei = *pfad;
    Caption = Caption() + " - " + Datei;
    if (!DateiLaden()) {
        program().unload(*this);
        return;
    }
    Show();
    TextfeldEditor.SetFocus();
}

bool FormEditor::DateiLaden() {
    Pfad = Datei;
    if (Pfad.empty()) {
        Meldung("Es ist keine Datei angegeben.");
        return false;
    }
    std::string grund;
    std::optional<std::string> bytes = common::readFileBytes(Pfad, &grund);
    if (!bytes) {
        if (grund != common::kKeineDatei) Meldung(common::fileReadErrorText(Pfad, grund));
        return false;
    }
    Inhalt = common::ansiToUtf8(*bytes);
    TextfeldEditor.Text = Inhalt;
    return true;
}

// A cancelled choice leaves the box, the caption and the file as they were:
// the text may hold edits not yet saved.
void FormEditor::laden_Click() {
    CommonDialog1.Filter = kFilter;
    CommonDialog1.FilterIndex = 1;
    CommonDialog1.Flags = platform::cdlOFNHideReadOnly;
    if (!CommonDialog1.ShowOpen()) return;
    TextfeldEditor.Text = "";
    Datei = CommonDialog1.FileName();
    Caption = "CFG Editor - " + Datei;
    DateiLaden();
    TextfeldEditor.SetFocus();
}

// The file is replaced whole or not at all: a failed save leaves the old file
// as it was, and only a complete write is reported as saved.
void FormEditor::SchaltflSpeichern_Click() {
    CommonDialog1.DialogTitle = "Speichern unter " + Datei;
    CommonDialog1.Filter = kFilter;
    CommonDialog1.FilterIndex = 1;
    CommonDialog1.Flags = platform::cdlOFNOverwritePrompt;
    CommonDialog1.DefaultExt = "CFG";
    if (!CommonDialog1.ShowSave()) return;
    Datei = CommonDialog1.FileName();
    std::string grund;
    if (!common::writeAnsiFileAtomic(Datei, TextfeldEditor.Text(), &grund)) {
        common::Meldung(program().platform.dialogs, common::fileWriteErrorText(Datei, grund),
                        platform::vbCritical);
        return;
    }
    Meldung("Datei wurde gespeichert!");
    TextfeldEditor.SetFocus();
}

// Prints the file as last loaded, line for line as it stands (commas, quotes
// and leading blanks included), whatever its length; the printer goes on to a
// new page when one is full and wraps a line wider than the page.
void FormEditor::Drucken_Click() {
    if (!CommonDialog1.ShowPrinter()) return;
    platform::Printer& drucker = program().platform.printer;
    const std::vector<std::string> zeilen = common::splitLines(Inhalt);
    const std::string bild = common::pfad(program().Path(), Picture1.Picture());
    const std::string heute = datum(program().platform.system.Today());
    for (int kopie = 1; kopie <= CommonDialog1.Copies(); ++kopie) {
        if (kopie > 1) drucker.NewPage();
        for (int i = 0; i < 3; ++i) drucker.PrintLine("");
        drucker.DrawPicture(bild, 4900, 500);
        for (int i = 0; i < 2; ++i) drucker.PrintLine("");
        drucker.SetFontSize(12);
        drucker.PrintLine(kRand + Pfad);
        drucker.PrintLine(kRand + "Ausdruck vom " + heute);
        drucker.PrintLine(kRand + std::string(40, '-'));
        for (const std::string& zeile : zeilen) drucker.PrintLine(kRand + zeile);
    }
    if (!drucker.EndDoc())
        common::Meldung(program().platform.dialogs, "Der Ausdruck konnte nicht gedruckt werden.",
                        platform::vbCritical);
}

// The picture keeps to the right edge but never moves over the buttons; a
// window smaller than the margins (minimized, or dragged tiny) leaves the
// text box at no size rather than a negative one.
void FormEditor::Form_Resize() {
    Picture1.Left = std::max(Width() - kBildAbstand, kBildMindestens);
    TextfeldEditor.Height = std::max(Height() - kRandUnten, 0);
    TextfeldEditor.Width = std::max(Width() - kRandRechts, 0);
}
