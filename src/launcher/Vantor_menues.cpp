// The main window's smaller actions: the menu items that open other windows,
// the web links, the master-server panel and Gamespy.cfg, and the statistics
// program.
#include <filesystem>

#include "common/Adressen.h"
#include "common/Items.h"
#include "common/MessageBox.h"
#include "common/Paths.h"
#include "common/SettingsWriter.h"
#include "console/Kommunicator.h"
#include "common/Encoding.h"
#include "editor/Hilfefenster.h"
#include "editor/InfoBox.h"
#include "launcher/Vantor.h"

void Vantor::verbindeMenues() {
    Ka.Click = [this] { Ka_Click(); };
    zum2c.Click = [this] { zum2c_Click(); };
    Im2b.Click = [this] { Im2b_Click(); };
    Im3b.Click = [this] { Im3b_Click(); };
    Spyok.Click = [this] { Spyok_Click(); };
    l11.Click = [this] { l11_Click(); };
    l1.Click = [this] { l1_Click(); };
    l2.Click = [this] { l2_Click(); };
    Image2.Click = [this] { Image2_Click(); };
    Statik.Click = [this] { Statik_Click(); };
    m41.Click = [this] { m41_Click(); };
    m3Keb.Click = [this] { m3Keb_Click(); };
}

// Opened from the menu, the communicator leaves Fensterwert as it is: only a
// server start sets it.
void Vantor::Ka_Click() { KommunicatorLaden(); }

void Vantor::KommunicatorLaden() { program().load<Kommunicator>(); }

void Vantor::zum2c_Click() { program().load<Hilfefenster>(); }

void Vantor::Im2b_Click() { program().load<InfoBox>(); }

// The panel only explains; the rest of the window stays usable beside it.
void Vantor::Im3b_Click() { spy.Visible = true; }

void Vantor::Spyok_Click() { spy.Visible = false; }

// A link the desktop cannot open says nothing: there is nothing the user
// could do about it here.
void Vantor::l11_Click() { program().platform.system.OpenLink(adressen::kHomepage); }
void Vantor::l1_Click() { program().platform.system.OpenLink(adressen::kSeite1); }
void Vantor::l2_Click() { program().platform.system.OpenLink(adressen::kSeite2); }
void Vantor::Image2_Click() { program().platform.system.OpenLink(adressen::kClanSeite); }

void Vantor::Statik_Click() {
    const std::string zeile = common::pfad(program().Path(), "STAT.EXE");
    if (!program().platform.processes.Start({zeile}, platform::vbNormalFocus, 0))
        Antwort = std::to_string(common::Meldung(
            program().platform.dialogs,
            "Das Statistikprogramm konnte nicht gestartet werden:\n" + zeile, platform::vbCritical));
}

// Found in any case: the game may have written it as gamespy.cfg.
std::string Vantor::GamespyDatei() const {
    return common::pfadImSpielordner(Despfad.Text(), "Gamespy.cfg");
}

namespace {

// Only a file that can be read counts as there, as at start-up. Anything
// but a plain file is looked at without being opened, and named by nobody.
bool lesbar(const std::string& datei) {
    std::error_code ec;
    return std::filesystem::is_regular_file(datei, ec) && common::readFileBytes(datei).has_value();
}

// A named pipe or a device under the name: nothing the tool made or may
// replace.
bool keineDatei(const std::string& datei) {
    std::error_code ec;
    const auto art = std::filesystem::status(datei, ec).type();
    return !ec && art != std::filesystem::file_type::regular &&
           art != std::filesystem::file_type::directory &&
           art != std::filesystem::file_type::not_found;
}

}  // namespace

// Creates Gamespy.cfg when it is missing and deletes it when it is there,
// each after a question. spypic shows afterwards whether a file of that name
// is there, in any case, whatever became of the attempt: with Gamespy.cfg
// and gamespy.cfg both there, a delete leaves the other.
void Vantor::m41_Click() {
    platform::Platform& p = program().platform;
    // Without a game folder the file would land in the file-system root.
    std::error_code ec;
    if (Despfad.Text().empty() || !std::filesystem::is_directory(Despfad.Text(), ec)) {
        p.system.Beep();
        return;
    }
    const std::string datei = GamespyDatei();
    if (keineDatei(datei)) {
        Antwort = std::to_string(
            common::Meldung(p.dialogs, common::keineDateiText(datei), platform::vbCritical));
        return;
    }
    auto frage = [&](const char* text) {
        const int antwort = common::Meldung(p.dialogs, text, platform::vbOKCancel + platform::vbQuestion);
        Antwort = std::to_string(antwort);
        return antwort != platform::vbCancel;
    };
    auto melde = [&](const std::string& text, int flags) {
        Antwort = std::to_string(common::Meldung(p.dialogs, text, flags));
    };

    if (lesbar(datei)) {
        if (!frage("Eine Gamespy.cfg ist bereitz vorhanden ! Soll diese jetzt gelöscht werden?"))
            return;
        if (std::filesystem::remove(datei, ec))
            melde("Gamespy.cfg wurde gelöscht !", platform::vbInformation);
        else
            melde(common::fileDeleteErrorText(datei, ec.message()), platform::vbCritical);
    } else {
        if (!frage("Zur Zeit ist keine Gamespy.cfg angelegt ! Soll jetzt eine erstellt werden?"))
            return;
        common::LineWriter inhalt;
        inhalt.raw("0");
        inhalt.raw(std::string(adressen::kMasterserver) + ":" + adressen::kMasterserverPort);
        std::string grund;
        if (inhalt.writeTo(datei, &grund))
            melde("Gamespy.cfg wurde angelegt !", platform::vbInformation);
        else
            melde(common::fileWriteErrorText(datei, grund), platform::vbCritical);
    }
    spypic.Visible = lesbar(GamespyDatei());
}

// A path of fewer than three characters cannot name a file: beep. One that
// Edit.ini cannot hold is refused at the choice.
void Vantor::m3Keb_Click() {
    if (!KonfigurationWaehlen()) return;  // cancelled: Edit.ini stays as it is
    Eingabezeile = CommonDialog1.FileName();
    if (!common::pfadSpeicherbar(program().platform.dialogs, Eingabezeile, false)) return;
    if (common::zeichenzahl(Eingabezeile) >= 3)
        EditorÖffnen(Eingabezeile);
    else
        program().platform.system.Beep();
}
