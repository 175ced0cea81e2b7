// The saved-servers editor: the captions, tool tips and configuration files
// of the six saved-server buttons and the level-pack group, kept in STS.ini,
// and the hand-off of a slot's file to the configuration-file editor.
#include "common/MessageBox.h"
#include "common/Paths.h"
#include "common/SettingsWriter.h"
#include "editor/FormEditor.h"
#include "launcher/Einstellungen.h"
#include "launcher/Vantor.h"

void Vantor::verbindeAngelegte() {
    AnM3b.Click = [this] { AnM3b_Click(); };
    for (int slot = 1; slot <= 5; ++slot) {
        bb()[slot - 1]->Click = [this, slot] { bb_Click(slot); };
        ee()[slot - 1]->Click = [this, slot] { ee_Click(slot); };
    }
    bb6.Click = [this] { bb6_Click(); };
    GruppeLoschen.Click = [this] { GruppeLoschen_Click(); };
    ASSpeichern.Click = [this] { ASSpeichern_Click(); };
    ASBAbbrechen.Click = [this] { ASBAbbrechen_Click(); };
    ASKreutz.Click = [this] { ASKreutz_Click(); };
}

// Each opening shows STS.ini afresh; lines the file lacks read as the first
// start wrote them, as the main window's load reads them. A file that is
// there and cannot be read keeps the panel closed: "Speichern" would replace
// the user's slots with values that never came from it.
void Vantor::AnM3b_Click() {
    const std::optional<std::vector<std::string>> items =
        Einlesen(einstellungen::kSTS, einstellungen::kSTSZeilen);
    if (!items) return;
    PanelOeffnen(Angelegte, 40, 120);

    const einstellungen::AngelegteServer s = einstellungen::angelegteAus(*items);
    for (std::size_t i = 0; i < s.Slots.size(); ++i) {
        ab()[i]->Text = s.Slots[i].Beschriftung;
        tt()[i]->Text = s.Slots[i].Tooltip;
        cn()[i]->Text = s.Slots[i].Config;
    }
    tt6.Text = s.PackTooltip;
    Gruppe.Clear();
    for (const std::string& eintrag : s.Gruppe)
        if (!eintrag.empty()) Gruppe.AddItem(eintrag);
    ExpertenFreigeben();
}

void Vantor::ExpertenFreigeben() {
    for (std::size_t i = 0; i < cn().size(); ++i)
        if (!cn()[i]->Text().empty()) ee()[i]->Enabled = true;
}

std::optional<std::string> Vantor::CFGWählen() {
    try {
        CommonDialog1.DialogTitle = "Wähle CFG Datei";
        CommonDialog1.CancelError = true;
        CommonDialog1.Flags = platform::cdlOFNHideReadOnly;
        CommonDialog1.Filter = "Alle Dateien (*.CFG)|*.CFG|";
        CommonDialog1.FilterIndex = 1;
        CommonDialog1.ShowOpen();
    } catch (const ui::RuntimeError&) {
        return std::nullopt;  // cancelled: nothing changes
    }
    // STS.ini could not keep the name: refused here, where the user chose it.
    if (!common::pfadSpeicherbar(program().platform.dialogs, CommonDialog1.FileName(), false))
        return std::nullopt;
    return CommonDialog1.FileName();
}

void Vantor::bb_Click(int slot) {
    const std::optional<std::string> datei = CFGWählen();
    if (!datei) return;
    cn()[slot - 1]->Text = *datei;
    ExpertenFreigeben();
}

// STS.ini holds eleven group entries; a twelfth would be lost at the next
// save, so it is refused here where the user sees it.
void Vantor::bb6_Click() {
    if (Gruppe.ListCount() >= static_cast<int>(einstellungen::kGruppenplaetze)) {
        program().platform.system.Beep();
        Antwort = std::to_string(common::Meldung(
            program().platform.dialogs,
            "Eine Gruppe kann höchstens " + std::to_string(einstellungen::kGruppenplaetze) +
                " Konfigurationen enthalten.",
            platform::vbInformation));
        return;
    }
    const std::optional<std::string> datei = CFGWählen();
    if (!datei) return;
    Gruppe.AddItem(*datei);
    ExpertenFreigeben();
    for (int i = Gruppe.ListCount() - 1; i >= 0; --i) {
        if (!Gruppe.List(i).empty()) {
            Gruppe.ListIndex = i;
            break;
        }
    }
}

void Vantor::GruppeLoschen_Click() {
    Gruppe.Clear();
    tt6.Text = "";
}

void Vantor::ee_Click(int slot) { EditorÖffnen(cn()[slot - 1]->Text()); }

void Vantor::EditorÖffnen(const std::string& datei) {
    common::LineWriter inhalt;
    inhalt.text(datei);
    if (!Speichern(inhalt, FormEditor::kEditIni)) return;
    program().load<FormEditor>();
}

// STS.ini first: only once it is written do the buttons take the new
// values, so that what they show is what the next start of the tool reads.
void Vantor::ASSpeichern_Click() {
    einstellungen::AngelegteServer s;
    for (std::size_t i = 0; i < s.Slots.size(); ++i) {
        s.Slots[i].Beschriftung = ab()[i]->Text();
        s.Slots[i].Tooltip = tt()[i]->Text();
        s.Slots[i].Config = cn()[i]->Text();
    }
    s.PackBeschriftung = einstellungen::kLevelPack;
    s.PackTooltip = tt6.Text();
    for (int i = 0; i < Gruppe.ListCount() && i < static_cast<int>(s.Gruppe.size()); ++i)
        s.Gruppe[static_cast<std::size_t>(i)] = Gruppe.List(i);
    if (!Speichern(einstellungen::zeilen(s), einstellungen::kSTS)) return;

    for (std::size_t i = 0; i < s.Slots.size(); ++i) {
        ServerKnopf()[i]->Caption = ab()[i]->Text();
        *ServerConfig()[i] = cn()[i]->Text();
    }
    for (std::size_t i = 0; i < tt().size(); ++i) ServerKnopf()[i]->ToolTipText = tt()[i]->Text();
    PanelSchliessen(Angelegte);
    Antwort = std::to_string(common::Meldung(program().platform.dialogs,
                                             "Angelegte Servereinstellung gespeichert !",
                                             platform::vbInformation));
}

void Vantor::ASBAbbrechen_Click() { PanelSchliessen(Angelegte); }

void Vantor::ASKreutz_Click() { ASBAbbrechen_Click(); }
