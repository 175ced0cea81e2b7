// The game-folder panel: the user picks the game's executable or types its
// folder; saving stores it and runs the load again.
#include "common/CommandLine.h"
#include "common/MessageBox.h"
#include "launcher/Einstellungen.h"
#include "launcher/Vantor.h"

void Vantor::verbindePfad() {
    Broserstart.Click = [this] { Broserstart_Click(); };
    Pfadspeichern.Click = [this] { Pfadspeichern_Click(); };
    Pfadabbrechen.Click = [this] { Pfadabbrechen_Click(); };
    Label22.DblClick = [this] { Label22_DblClick(); };
}

void Vantor::Broserstart_Click() {
    std::string gewaehlt;
    try {
        CommonDialog1.CancelError = true;
        CommonDialog1.Flags = platform::cdlOFNHideReadOnly;
        // The executable has no extension here, so every file is offered.
        CommonDialog1.Filter = "Alle Dateien (*)|*|";
        CommonDialog1.FilterIndex = 1;
        CommonDialog1.ShowOpen();
        gewaehlt = CommonDialog1.FileName();
    } catch (const ui::RuntimeError&) {
        return;  // cancelled: nothing changes
    }
    // A bare name says nothing about a folder.
    const std::size_t ordnerEnde = gewaehlt.rfind(common::kPathSep);
    if (ordnerEnde == std::string::npos) return;
    // Only the game's program itself counts, native or Windows build, in
    // any case; not a file whose name merely ends in the same letters.
    if (common::istServerprogramm(std::string_view(gewaehlt).substr(ordnerEnde + 1))) {
        Despfad.Text = gewaehlt.substr(0, ordnerEnde);
        return;
    }
    Antwort = std::to_string(program().platform.dialogs.MsgBox(
        "Dies ist nicht Main.exe! Bitte wähle neu !", platform::vbCritical, ""));
}

// Writes the first-run presets, saved servers and game types only where
// they are missing or cut short: a user whose game folder moved keeps them.
void Vantor::Pfadspeichern_Click() {
    if (Despfad.Text() == "") {
        program().platform.system.Beep();
        return;
    }
    // The load changes into the folder, so a relative one would name a
    // different folder at every start: it is kept absolute.
    const std::string spielordner = common::absoluterOrdner(Despfad.Text());
    int antwort = 0;
    if (!common::pfadSpeicherbar(program().platform.dialogs, spielordner, true, &antwort)) {
        Antwort = std::to_string(antwort);
        return;
    }
    Despfad.Text = spielordner;
    struct Datei {
        const std::string& name;
        common::LineWriter inhalt;
        bool schreiben;
    };
    const std::string& ordner = program().Path();
    // Missing or cut short; one that is there and cannot be read is not
    // written over: the load that follows names it.
    auto fehlt = [&](const std::string& name, std::size_t zeilen) {
        const einstellungen::Lesung l = einstellungen::lese(common::pfad(ordner, name), zeilen);
        return !l.fehler && l.items.size() < zeilen;
    };
    // Any Mod.ini that is there is the user's list, an empty one too.
    const bool modDa = einstellungen::lese(common::pfad(ordner, einstellungen::kMod), 0).vorhanden;
    const Datei dateien[] = {
        {einstellungen::kSTPfad, einstellungen::zeilenSTPfad(Despfad.Text()), true},
        {einstellungen::kServertool, einstellungen::erstlaufServertool(),
         fehlt(einstellungen::kServertool, einstellungen::kServertoolZeilen)},
        {einstellungen::kSTS, einstellungen::erstlaufSTS(),
         fehlt(einstellungen::kSTS, einstellungen::kSTSZeilen)},
        {einstellungen::kMod, einstellungen::zeilenMod(einstellungen::standardMods()), !modDa},
    };
    for (const Datei& d : dateien)
        if (d.schreiben && !Speichern(d.inhalt, d.name)) return;
    Pfadeinstellung.Visible = false;
    Hauptprog.Enabled = true;
    Form_Load();
}

void Vantor::Pfadabbrechen_Click() { program().End(); }

void Vantor::Label22_DblClick() { program().End(); }
