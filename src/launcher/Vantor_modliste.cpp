// The mod list panel, which edits the game types that Spieletyp offers and
// keeps them in Mod.ini, and taking a level from the level list.
#include "common/MessageBox.h"
#include "common/Paths.h"
#include "launcher/Einstellungen.h"
#include "launcher/Vantor.h"

void Vantor::verbindeModliste() {
    M1mlb.Click = [this] { M1mlb_Click(); };
    Moddazu.Click = [this] { Moddazu_Click(); };
    Modloschen.Click = [this] { Modloschen_Click(); };
    Standartzuruck.Click = [this] { Standartzuruck_Click(); };
    Modabbrechen.Click = [this] { Modabbrechen_Click(); };
    Xmod.Click = [this] { Xmod_Click(); };
    Levelboser.DblClick = [this] { Levelboser_DblClick(); };
    Leveluber.Click = [this] { Leveluber_Click(); };
}

// The panel shows the list as the last edit left it: opening reloads
// nothing. While the game-folder panel asks for a folder the list has not
// been read yet, and "Beenden" would store it empty over Mod.ini.
void Vantor::M1mlb_Click() {
    if (Pfadeinstellung.Visible()) {
        program().platform.system.Beep();
        return;
    }
    PanelOeffnen(Modfenster, 60, 120);
}

// Any text is a game type: duplicates and commas included. Mod.ini quotes
// what needs it, so the entry comes back whole.
void Vantor::Moddazu_Click() {
    Antwort = program().platform.dialogs.InputBox("Gebe neuen Mod ein ! zb.: 'Anarchy'",
                                                   common::kMeldungsTitel, "");
    if (Antwort.empty())
        program().platform.system.Beep();
    else
        Modliste.AddItem(Antwort);
}

// Spieletyp keeps the entry until "Beenden".
void Vantor::Modloschen_Click() {
    if (Modliste.ListIndex() >= 0)
        Modliste.RemoveItem(Modliste.ListIndex());
    else
        program().platform.system.Beep();
}

// Back to the list as last stored: a missing Mod.ini counts as the first-run
// list, as at start-up. One that cannot be read is reported, and both lists
// keep what they hold. Spieletyp keeps its shown text.
void Vantor::Standartzuruck_Click() {
    bool vorhanden = false;
    const std::optional<std::vector<std::string>> gelesen =
        Einlesen(einstellungen::kMod, std::string::npos, &vorhanden);
    if (!gelesen) return;
    const std::vector<std::string>& mods = vorhanden ? *gelesen : einstellungen::standardMods();
    Modliste.Clear();
    Spieletyp.Clear();
    for (const std::string& mod : mods) {
        Spieletyp.AddItem(mod);
        Modliste.AddItem(mod);
    }
    Antwort = std::to_string(common::Meldung(program().platform.dialogs,
                                             "Auf Standart zurück gesetzt !",
                                             platform::vbInformation));
}

// The list is stored first: when Mod.ini cannot be written the user has
// been told why, and the panel stays open with Spieletyp as it was.
void Vantor::Modabbrechen_Click() {
    if (!Speichern(einstellungen::zeilenMod(Modliste.items()), einstellungen::kMod)) return;
    Spieletyp.Clear();
    for (const std::string& mod : Modliste.items()) Spieletyp.AddItem(mod);
    // Shown even when the list no longer holds it: the combo takes free text.
    Spieletyp.Text = "Anarchy";
    PanelSchliessen(Modfenster);
}

// Spieletyp and Mod.ini stay; the panel's list keeps the edits for the next
// opening.
void Vantor::Xmod_Click() { PanelSchliessen(Modfenster); }

// A double click always lands on an entry; without one the level stays.
void Vantor::Levelboser_DblClick() {
    if (!Levelboser.FileName().empty()) Levelname.Text = Levelboser.FileName();
}

void Vantor::Leveluber_Click() {
    if (Levelboser.FileName().empty())
        program().platform.system.Beep();
    else
        Levelname.Text = Levelboser.FileName();
}
