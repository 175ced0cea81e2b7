// The main window's server status and cache clearing. The tool keeps no link
// to the servers it starts: a server counts as running while a running
// process holds its temporary folder. Counting the files there is no
// measure: the game leaves its module files behind when it ends, crashes or
// is killed.
#include <filesystem>
#include <optional>
#include <system_error>

#include "common/Encoding.h"
#include "common/MessageBox.h"
#include "common/Paths.h"
#include "launcher/Einstellungen.h"
#include "launcher/Vantor.h"

namespace {

constexpr ui::Colour kEin = 0xFF00;
constexpr ui::Colour kAus = 0xFF;
constexpr int kPfeilLänge = 19;

const char* const kCacheFehler = "Der Cach ist leer oder ein Server läuft noch!";
const char* const kCacheGeleert = "Der Cach wurde geleert !";
const char* const kCacheUngewiss =
    "Der Cach wird nicht geleert: Ob ein Server die Dateien noch hält, lässt sich gerade nicht "
    "feststellen (die laufenden Prozesse sind nicht lesbar).";

// Re-reads a folder's listing, which "Cache leeren" works on. A folder that
// vanished lists no file.
void neuGelesen(ui::FileListBox& liste) {
    try {
        liste.Refresh();
    } catch (const ui::RuntimeError&) {
    }
}

enum class Löschung { gelöscht, gescheitert, ungewiss };

// Deletes one temporary file. A file that a running process holds open is
// left alone and counts as a failure: removing it would pull it from under
// a running server, which Windows refuses by itself. Nor is a file deleted
// while it cannot be told whether one holds it.
Löschung löscheTempdatei(platform::System& system, const std::string& datei) {
    const std::optional<bool> gehalten = system.FileInUse(datei);
    if (!gehalten) return Löschung::ungewiss;
    if (*gehalten) return Löschung::gescheitert;
    std::error_code ec;
    return std::filesystem::remove(datei, ec) ? Löschung::gelöscht : Löschung::gescheitert;
}

// The message for a file that was not deleted.
const char* nichtGelöscht(Löschung l) {
    return l == Löschung::ungewiss ? kCacheUngewiss : kCacheFehler;
}

}  // namespace

void Vantor::verbindeStatus() {
    Timer2.Tick = [this] { Timer2_Timer(); };
    Timer1.Tick = [this] { Timer1_Timer(); };
    Timer3.Tick = [this] { Timer3_Timer(); };
    Cachl.Click = [this] { Cachl_Click(); };
    Cache2.Click = [this] { Cache2_Click(); };
}

bool Vantor::Server2Beobachtet() const {
    return common::zeichenzahl(Tempordners2.Text()) >= 3;
}

void Vantor::Serveranzeige(int server, bool läuft) {
    ui::Timer& pfeiltakt = server == 1 ? Timer1 : Timer3;
    ui::Label& pfeil = server == 1 ? Pfeil : Pfeil2;
    ui::Label& zustand = server == 1 ? Label15 : Label26;
    pfeiltakt.Enabled = läuft;
    pfeil.Visible = läuft;
    zustand.Caption = läuft ? "Ein" : "Aus";
    zustand.ForeColor = läuft ? kEin : kAus;
    (server == 1 ? Server1start : Server2start).Enabled = !läuft;
    (server == 1 ? AS1 : AS2).Enabled = !läuft;
}

std::optional<bool> Vantor::ServerLäuft(int server) {
    // The folder the listing watches: server 1's cache in the game folder,
    // server 2's folder as the presets checked it. None set, none running.
    const std::string& ordner = (server == 1 ? Cachtest : Cachtest2).Path();
    if (ordner.empty()) return false;
    return program().platform.system.FolderInUse(ordner);
}

void Vantor::ServerstatusZeigen(int server) {
    // What cannot be told now changes nothing: the state shown is the last
    // one known, and the next poll asks again.
    if (const std::optional<bool> läuft = ServerLäuft(server)) Serveranzeige(server, *läuft);
}

void Vantor::Timer2_Timer() {
    neuGelesen(Cachtest);
    neuGelesen(Cachtest2);
    ServerstatusZeigen(1);

    // A level pack runs as server 1 and ends whatever runs there; no second
    // server is started beside it from the saved-server frame.
    const bool pack = ASservertext.Text() == einstellungen::kLevelPack;
    if (pack) AS2.Enabled = false;
    if (Server2Beobachtet()) {
        ServerstatusZeigen(2);
        if (pack) AS2.Enabled = false;
    }
    // Last: the status behind the message is already the new one.
    FrühesEndeMelden();
}

void Vantor::Pfeilschritt(ui::Label& pfeil) {
    // The caption is set once per tick, so it never shows more than the
    // longest arrow.
    const std::string länger = "(" + pfeil.Caption() + ")";
    pfeil.Caption = länger.size() > kPfeilLänge ? std::string("-") : länger;
}

void Vantor::Timer1_Timer() { Pfeilschritt(Pfeil); }
void Vantor::Timer3_Timer() { Pfeilschritt(Pfeil2); }

// Works on the listing of the last poll; files named "empty..." belong to
// the game and stay. The indicator then shows, as the poll does, whether a
// process still holds the folder: the files left say nothing about that.
void Vantor::Cachl_Click() {
    platform::Platform& p = program().platform;
    // The listed name is joined as it stands: a backslash in a file name is
    // part of the name here, not a folder.
    const std::string cache = Cachtest.Path() + common::kPathSep;
    for (int i = 0; i < Cachtest.ListCount(); ++i) {
        const std::string& name = Cachtest.List(i);
        if (name.compare(0, 5, "empty") == 0) continue;
        const Löschung l = löscheTempdatei(p.system, cache + name);
        if (l != Löschung::gelöscht) {
            Antwort = std::to_string(
                common::Meldung(p.dialogs, nichtGelöscht(l), platform::vbInformation));
            return;
        }
    }
    ServerstatusZeigen(1);
    Antwort = std::to_string(common::Meldung(p.dialogs, kCacheGeleert, platform::vbInformation));
}

// Deletes every file of server 2's folder as it is now (hidden files, which
// the listing does not count either, stay); no file at all counts as a
// failure. The folder is the one the poll watches, which the presets checked:
// a folder only typed into the presets and then cancelled is not touched.
void Vantor::Cache2_Click() {
    namespace fs = std::filesystem;
    platform::Platform& p = program().platform;
    auto fehler = [&](const char* text = kCacheFehler) {
        Antwort = std::to_string(common::Meldung(p.dialogs, text, platform::vbInformation));
    };
    std::vector<std::string> dateien;
    std::error_code ec;
    const std::string ordner = Cachtest2.Path();
    if (ordner.empty()) return fehler();
    for (fs::directory_iterator it(ordner, ec), ende; !ec && it != ende;
         it.increment(ec)) {
        std::error_code typ;
        const std::string name = it->path().filename().string();
        if (it->is_regular_file(typ) && name[0] != '.') dateien.push_back(it->path().string());
    }
    if (ec || dateien.empty()) return fehler();
    for (const std::string& datei : dateien)
        if (const Löschung l = löscheTempdatei(p.system, datei); l != Löschung::gelöscht)
            return fehler(nichtGelöscht(l));

    ServerstatusZeigen(2);
    Antwort = std::to_string(common::Meldung(p.dialogs, kCacheGeleert, platform::vbInformation));
}
