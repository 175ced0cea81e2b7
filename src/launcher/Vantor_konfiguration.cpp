// The main window's configuration-file commands: saving the current settings
// as a server configuration file under a name of the user's choosing, and
// loading the first page back from one.
#include "common/Items.h"
#include "common/MessageBox.h"
#include "common/SettingsWriter.h"
#include "launcher/Serverkonfiguration.h"
#include "launcher/Vantor.h"

void Vantor::verbindeKonfiguration() {
    Konm1c.Click = [this] { Konm1c_Click(); };
    Konm1b.Click = [this] { Konm1b_Click(); };
}

namespace {

constexpr const char* kKonfigFilter = "Alle Dateien (*.CFG)|*.CFG|";

}  // namespace

void Vantor::Konm1c_Click() {
    try {
        CommonDialog1.CancelError = true;
        CommonDialog1.Flags = platform::cdlOFNOverwritePrompt;
        CommonDialog1.Filter = kKonfigFilter;
        CommonDialog1.FilterIndex = 1;
        // A name typed without ".CFG" would not be listed by the load's filter.
        CommonDialog1.DefaultExt = "CFG";
        // The shared dialog still holds the last pick, which may be the
        // game's program from the game-folder panel: that is no name to
        // offer for a save. Its folder still is.
        if (common::istSpielprogramm(CommonDialog1.FileName())) {
            const std::string gewaehlt = CommonDialog1.FileName();
            const std::size_t ordnerEnde = gewaehlt.rfind(common::kPathSep);
            if (ordnerEnde != std::string::npos) CommonDialog1.InitDir = gewaehlt.substr(0, ordnerEnde);
            CommonDialog1.FileName = "";
        }
        CommonDialog1.ShowSave();
    } catch (const ui::RuntimeError&) {
        return;  // cancelled: nothing is written
    }
    Eingabezeile = CommonDialog1.FileName();
    if (!serverkonfiguration::schreibe(
            serverkonfiguration::zeilen(*this, serverkonfiguration::Art::Gespeichert),
            Eingabezeile, program().platform.dialogs))
        return;
    // The file just written is the one the next start should use.
    Configname.Text = Eingabezeile;
}

bool Vantor::KonfigurationWaehlen() {
    try {
        CommonDialog1.CancelError = true;
        CommonDialog1.Flags = platform::cdlOFNHideReadOnly;
        CommonDialog1.Filter = kKonfigFilter;
        CommonDialog1.FilterIndex = 1;
        CommonDialog1.ShowOpen();
    } catch (const ui::RuntimeError&) {
        return false;
    }
    return true;
}

void Vantor::Konm1b_Click() {
    if (!KonfigurationWaehlen()) return;  // cancelled: nothing changes
    const std::string datei = CommonDialog1.FileName();
    // The chosen file is the configuration to start, whatever it holds.
    Configname.Text = datei;

    for (std::size_t i = 0; i < serverkonfiguration::kLadeItems; ++i) Ladezeile[i].clear();
    std::string grund;
    std::optional<common::ItemReader> leser = common::ItemReader::open(datei, &grund);
    if (!leser) {
        Antwort = std::to_string(common::lesefehlerMelden(program().platform.dialogs, datei, grund));
        return;
    }
    std::size_t gelesen = 0;
    while (gelesen < serverkonfiguration::kLadeItems && leser->next(Ladezeile[gelesen])) ++gelesen;

    const serverkonfiguration::ErsteSeite s =
        serverkonfiguration::ersteSeite({Ladezeile.begin(), Ladezeile.begin() + gelesen});
    auto setze = [](ui::TextBox& box, const std::optional<std::string>& wert) {
        if (wert) box.Text = *wert;
    };
    setze(Packete, s.Packete);
    setze(Limit, s.Limit);
    setze(Wiederholrate, s.Wiederholrate);
    setze(Zeitlimit, s.Zeitlimit);
    setze(Spielname, s.Spielname);
    setze(Levelname, s.Levelname);
    if (s.Lan) (*s.Lan ? Lan : PXO).Value = true;
    setze(Spieler, s.Spieler);
    setze(Levelstart, s.Levelstart);
    setze(Begrüssungstext, s.Begrüssungstext);

    Antwort = std::to_string(program().platform.dialogs.MsgBox(
        "Es werden nur die Einstellungen der ersten Seite (Nicht die Voreinstellungen !!) "
        "geladen",
        platform::vbInformation, ""));
}
