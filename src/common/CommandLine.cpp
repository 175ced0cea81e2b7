#include "common/CommandLine.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include "common/Encoding.h"
#include "common/Items.h"
#include "common/MessageBox.h"

namespace common {

namespace {

// The game keeps 99 characters of an argument and of a level name 31.
constexpr std::size_t kArgumentGrenze = 100;
constexpr std::size_t kLevelnameGrenze = 32;
// It reads a configuration line into 256 bytes, so 255 characters of it,
// and a command's key into 32, so 31.
constexpr std::size_t kZeilenGrenze = 255;
constexpr std::size_t kSchlüsselGrenze = 31;

// What ends a command's key, and what comes before its value.
constexpr std::string_view kSchlüsselende = " \t=:";
constexpr std::string_view kWertende = ",;";

// The commands the game knows; any other key ends the reading of its line.
constexpr std::string_view kSpielbefehle[] = {
    "PPS", "TimeLimit", "KillGoal", "RespawnTime", "GameName", "MissionName", "Scriptname",
    "ConnectionName", "Quit", "EndLevel", "MaxPlayers", "Say", "UseSmoothing", "SendRotVel",
    "MultiSettingsFile", "DisallowPowerup", "AllowPowerup", "StartRtLog", "StopRtLog",
    "PXOUsername", "PXOPassword", "BrightPlayers", "Peer2Peer", "AccurateCollisions",
    "ConsolePassword", "AllowRemoteConsole", "RemoteConsolePort", "Permissable", "NumTeams",
    "PXOHostingLobby", "RandomizeRespawn", "AllowMouselook", "AudioTauntDelay", "SetLevel",
    "SetDifficulty", "MOTD"};

// White space as C's isspace knows it, which the game trims keys and values of.
bool cLeerzeichen(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n';
}

std::string_view ohneLeer(std::string_view text) {
    while (!text.empty() && cLeerzeichen(text.front())) text.remove_prefix(1);
    while (!text.empty() && cLeerzeichen(text.back())) text.remove_suffix(1);
    return text;
}

// C's atoi of a trimmed value, held to 0..1: whether it is 1 or more.
bool atoiAb1(std::string_view wert) {
    if (!wert.empty() && (wert[0] == '+' || wert[0] == '-')) {
        if (wert[0] == '-') return false;
        wert.remove_prefix(1);
    }
    for (char c : wert) {
        if (c < '0' || c > '9') return false;
        if (c != '0') return true;
    }
    return false;
}

// The game's symbols, in its one list. A lookup takes the first of the name
// from the head and, found or not, moves the mark to the head; a definition
// goes in right behind the mark and becomes the mark, into an empty list as
// its head.
class Symbole {
public:
    std::optional<std::string> suche(std::string_view name) {
        marke = 0;
        for (const auto& [symbol, text] : liste)
            if (symbol == name) return text;
        return std::nullopt;
    }
    void legeFest(std::string_view name, std::string text) {
        const std::size_t stelle = liste.empty() ? 0 : marke + 1;
        liste.insert(liste.begin() + static_cast<std::ptrdiff_t>(stelle),
                     {std::string(name), std::move(text)});
        marke = stelle;
    }

private:
    std::vector<std::pair<std::string, std::string>> liste;
    std::size_t marke = 0;
};

// The command the key names as the game spells it, or nothing.
std::optional<std::string_view> spielbefehl(std::string_view schlüssel) {
    for (std::string_view befehl : kSpielbefehle)
        if (gleichOhneGross(schlüssel, befehl)) return befehl;
    return std::nullopt;
}

// The commands of one line, one after another, until one ends its reading.
void leseZeile(std::string_view zeile, Symbole& symbole, Spielkonfiguration& gelesen) {
    std::size_t pos = 0;
    auto überspringe = [&](std::string_view zeichen) {
        pos = std::min(zeile.find_first_not_of(zeichen, pos), zeile.size());
    };
    // The text up to the first of `ende`, which is passed over.
    auto bis = [&](std::string_view ende) {
        const std::size_t stelle = std::min(zeile.find_first_of(ende, pos), zeile.size());
        const std::string_view text = zeile.substr(pos, stelle - pos);
        pos = std::min(stelle + 1, zeile.size());
        return ohneLeer(text);
    };
    for (;;) {
        überspringe(kSchlüsselende);
        const std::string_view schlüssel = bis(kSchlüsselende).substr(0, kSchlüsselGrenze);
        überspringe(kWertende);
        std::string_view wert = bis(kWertende);
        // The value is replaced before the key is looked at, also for a
        // definition; it names the symbol exactly as written.
        std::string ersetzt;
        if (wert.starts_with('#')) {
            std::optional<std::string> text = symbole.suche(wert.substr(1));
            if (!text) {
                const std::optional<std::string_view> befehl = spielbefehl(schlüssel);
                if (befehl && !gelesen.verloren)
                    gelesen.verloren = VerlorenerWert{std::string(*befehl), std::string(wert)};
                return;
            }
            ersetzt = std::move(*text);
            wert = ersetzt;
        }
        if (schlüssel.empty() && wert.empty()) return;
        if (schlüssel.starts_with('@')) return;
        if (schlüssel.starts_with('#')) {
            symbole.legeFest(schlüssel.substr(1), std::string(wert));
            return;
        }
        if (!spielbefehl(schlüssel)) return;
        if (gleichOhneGross(schlüssel, "MissionName"))
            gelesen.levelname = std::string(wert);
        else if (gleichOhneGross(schlüssel, "RemoteConsolePort"))
            gelesen.konsolenport = std::string(wert);
        else if (gleichOhneGross(schlüssel, "AllowRemoteConsole"))
            gelesen.konsoleErlaubt = atoiAb1(wert);
        else if (gleichOhneGross(schlüssel, "ConsolePassword"))
            gelesen.konsolenpasswort = std::string(wert);
    }
}

// Z: is Wine's drive for the whole file system.
std::string windowsForm(const std::string& pfadangabe) {
    std::string form = "Z:";
    for (char c : pfadangabe) form += c == '/' ? '\\' : c;
    return form;
}

// The line a message shows for the words.
std::string angezeigt(const std::vector<std::string>& wörter) {
    std::string zeile;
    for (const std::string& wort : wörter) {
        if (!zeile.empty()) zeile += ' ';
        if (!wort.empty() && wort.find_first_of(" \t\r\n\"") == std::string::npos) {
            zeile += wort;
            continue;
        }
        zeile += '"';
        for (char c : wort) {
            if (c == '"') zeile += '"';
            zeile += c;
        }
        zeile += '"';
    }
    return zeile;
}

const char* const kVerweigert = "Der Server wird nicht gestartet: ";

}  // namespace

std::string_view spielwert(std::string_view wert) {
    return wert.substr(0, wert.find_first_of(",;"));
}

bool istServerprogramm(std::string_view dateiname) {
    return gleichOhneGross(dateiname, kNativProgramm) ||
           gleichOhneGross(dateiname, kWindowsProgramm);
}

std::string imSpielordner(const std::string& spielordner, const std::string& pfadangabe) {
    if (!pfadangabe.empty() && pfadangabe[0] == kPathSep) return pfadangabe;
    return pfad(spielordner, pfadangabe);
}

std::string tempordnerServer1(const std::string& spielordner) {
    return pfadImSpielordner(spielordner, "custom\\cache");
}

std::optional<std::string> imSuchpfad(std::string_view name) {
    namespace fs = std::filesystem;
    const char* suchpfad = std::getenv("PATH");
    if (!suchpfad) return std::nullopt;
    const std::string_view ordner(suchpfad);
    std::size_t start = 0;
    while (start <= ordner.size()) {
        std::size_t ende = ordner.find(':', start);
        if (ende == std::string_view::npos) ende = ordner.size();
        const std::string_view eintrag = ordner.substr(start, ende - start);
        // An empty entry would mean the current folder, which is the game
        // folder here: a program there is no program on the PATH.
        if (!eintrag.empty() && eintrag[0] == '/') {
            const std::string kandidat = pfad(eintrag, name);
            std::error_code ec;
            const fs::file_status s = fs::status(kandidat, ec);
            const auto ausführbar =
                fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
            if (!ec && fs::is_regular_file(s) && (s.permissions() & ausführbar) != fs::perms::none)
                return kandidat;
        }
        start = ende + 1;
    }
    return std::nullopt;
}

Spielkonfiguration spielkonfigurationAus(std::string_view bytes) {
    Spielkonfiguration gelesen;
    Symbole symbole;
    bool kennung = true;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t ende = std::min(bytes.find_first_of("\r\n", start), bytes.size());
        // The game reads a line into 256 bytes and then as a C string: what
        // follows its 255th byte or a NUL is lost, not a line of its own.
        std::string_view zeile = bytes.substr(start, std::min(ende - start, kZeilenGrenze));
        zeile = zeile.substr(0, zeile.find('\0'));
        start = ende + 1;
        // The first line is the file's tag, no command.
        if (!kennung) leseZeile(zeile, symbole, gelesen);
        kennung = false;
    }
    return gelesen;
}

std::optional<Spielkonfiguration> leseSpielkonfiguration(const std::string& datei) {
    const std::optional<std::string> bytes = readFileBytes(datei, nullptr, kKonfigurationsGrenze);
    if (!bytes) return std::nullopt;
    return spielkonfigurationAus(*bytes);
}

bool portGültig(std::string_view port) {
    if (port.empty()) return false;
    long wert = 0;
    for (char c : port) {
        if (c < '0' || c > '9') return false;
        wert = wert * 10 + (c - '0');
        if (wert > 65535) return false;
    }
    return wert >= 1;
}

std::string werteEinwand(const std::string& tempdir, const std::string& port) {
    // Without a folder the server would put its module files into the game
    // folder itself.
    if (tempdir.empty())
        return std::string(kVerweigert) +
               "Es ist kein Temp Ordner angegeben (Voreinstellungen, \"Temp Ordner für Server 2\").";
    if (port.empty()) return std::string(kVerweigert) + "Es ist kein Port angegeben.";
    if (!portGültig(port))
        return std::string(kVerweigert) + "Der Port \"" + port +
               "\" ist keine ganze Zahl von 1 bis 65535.";
    return {};
}

Serverbefehl Kommandozeile(const std::string& spielordner, const std::string& configName,
                           const std::string& tempdir, const std::string& port) {
    Serverbefehl befehl;
    const std::string configDatei = imSpielordner(spielordner, configName);
    const std::string tempOrdner = imSpielordner(spielordner, tempdir);
    bool wine = false;
    if (auto nativ = eintragImOrdner(spielordner, kNativProgramm)) {
        befehl.wörter = {pfad(spielordner, *nativ), "-dedicated", configDatei, "-tempdir",
                         tempOrdner, "-useport", port};
    } else if (auto windows = eintragImOrdner(spielordner, kWindowsProgramm)) {
        wine = true;
        // Without wine on the PATH the start fails and says so, naming it.
        befehl.wörter = {imSuchpfad("wine").value_or("wine"), pfad(spielordner, *windows),
                         "-dedicated", windowsForm(configDatei), "-tempdir",
                         windowsForm(tempOrdner), "-useport", port};
    } else {
        befehl.wörter = {pfad(spielordner, kNativProgramm), "-dedicated", configDatei,
                         "-tempdir", tempOrdner, "-useport", port};
    }
    befehl.zeile = angezeigt(befehl.wörter);

    befehl.einwand = werteEinwand(tempdir, port);
    if (!befehl.einwand.empty()) return befehl;
    // The process gets an argument only up to its first NUL byte: the game
    // would get another path.
    for (std::size_t i = wine ? 1 : 0; i < befehl.wörter.size(); ++i) {
        const std::string& wort = befehl.wörter[i];
        if (wort.find('\0') == std::string::npos) continue;
        std::string gezeigt;
        for (char c : wort) gezeigt += c == '\0' ? std::string("\\0") : std::string(1, c);
        befehl.einwand = std::string(kVerweigert) +
                         "Ein Argument enthält ein Nullzeichen, an dem das Spiel es abschneiden "
                         "würde:\n" + gezeigt;
        return befehl;
    }
    // Wine turns a "\" of a Linux path into a folder separator.
    if (wine) {
        for (const std::string& linuxPfad : {befehl.wörter[1], configDatei, tempOrdner}) {
            if (linuxPfad.find('\\') == std::string::npos) continue;
            befehl.einwand = std::string(kVerweigert) +
                             "Unter Wine wird \"\\\" in einem Pfad zum Ordnertrenner; das Spiel "
                             "bekäme einen anderen Pfad als:\n" + linuxPfad;
            return befehl;
        }
    }
    for (std::size_t i = wine ? 2 : 1; i < befehl.wörter.size(); ++i) {
        const std::string& wort = befehl.wörter[i];
        // Wine hands the game its arguments in the ANSI code page, one byte
        // a character; the native build gets the bytes as they are.
        const std::size_t länge = wine ? zeichenzahl(wort) : wort.size();
        if (länge >= kArgumentGrenze) {
            befehl.einwand = std::string(kVerweigert) +
                             "Das Spiel liest nur die ersten 99 Zeichen eines Arguments, und "
                             "dieses ist länger:\n" + wort;
            return befehl;
        }
    }
    // A pipe or a device as the configuration would hang the game at its
    // start; it is looked at without being opened, so nothing waits here.
    std::error_code fehler;
    const auto art = std::filesystem::status(configDatei, fehler).type();
    if (!fehler && art != std::filesystem::file_type::regular &&
        art != std::filesystem::file_type::directory && art != std::filesystem::file_type::not_found) {
        befehl.einwand = std::string(kVerweigert) +
                         "Die Konfiguration ist keine gewöhnliche Datei:\n" + configDatei;
        return befehl;
    }
    const std::optional<Spielkonfiguration> gelesen = leseSpielkonfiguration(configDatei);
    if (!gelesen) return befehl;
    // A lost setting comes first: what the other checks read is then not
    // what the file was written to say. A lost password would leave nobody
    // able to log in to the console of a server reported as started.
    if (const std::optional<VerlorenerWert>& verloren = gelesen->verloren) {
        befehl.einwand = std::string(kVerweigert) + "Der Wert \"" + ansiToUtf8(verloren->wert) +
                         "\" (" + verloren->schlüssel +
                         ") der Konfiguration beginnt mit \"#\": Das Spiel liest ihn als Namen "
                         "eines Symbols, das die Konfiguration davor nicht festlegt, und verliert "
                         "die Einstellung:\n" + configDatei;
        return befehl;
    }
    if (gelesen->levelname && gelesen->levelname->size() >= kLevelnameGrenze) {
        befehl.einwand = std::string(kVerweigert) +
                         "Das Spiel lädt keinen Level, dessen Name 32 Zeichen oder länger ist:\n" +
                         ansiToUtf8(*gelesen->levelname);
        return befehl;
    }
    // The tool could not reach a console on a port the game cannot open.
    if (!portGültig(gelesen->konsolenport))
        befehl.einwand = std::string(kVerweigert) + "Der Konsolenport \"" +
                         ansiToUtf8(gelesen->konsolenport) +
                         "\" (RemoteConsolePort) der Konfiguration ist keine ganze Zahl von 1 "
                         "bis 65535:\n" + configDatei;
    return befehl;
}

bool startVerweigert(platform::Dialogs& dialogs, const Serverbefehl& befehl) {
    return startVerweigert(dialogs, befehl.einwand);
}

bool startVerweigert(platform::Dialogs& dialogs, const std::string& einwand) {
    if (einwand.empty()) return false;
    Meldung(dialogs, einwand, platform::vbCritical);
    return true;
}

}  // namespace common
