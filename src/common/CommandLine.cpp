#include "common/CommandLine.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "common/Encoding.h"
#include "common/Items.h"
#include "common/MessageBox.h"

namespace common {

namespace {

// The game keeps 99 characters of an argument and of a level name 31.
constexpr std::size_t kArgumentGrenze = 100;
constexpr std::size_t kLevelnameGrenze = 32;
// It reads a configuration line into 256 bytes, so 255 characters of it.
constexpr std::size_t kZeilenGrenze = 255;

constexpr std::string_view kLeer = " \t";

std::string_view ohneLeerVorn(std::string_view text) {
    return text.substr(std::min(text.find_first_not_of(kLeer), text.size()));
}

std::string_view ohneLeer(std::string_view text) {
    text = ohneLeerVorn(text);
    return text.substr(0, text.find_last_not_of(kLeer) + 1);
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
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t ende = bytes.find_first_of("\r\n", start);
        if (ende == std::string_view::npos) ende = bytes.size();
        // The rest of a longer line is lost, not read as a line of its own.
        const std::string_view zeile =
            ohneLeerVorn(bytes.substr(start, std::min(ende - start, kZeilenGrenze)));
        start = ende + 1;
        const std::size_t schlüsselEnde = std::min(zeile.find_first_of(" \t=:"), zeile.size());
        const std::string_view schlüssel = zeile.substr(0, schlüsselEnde);
        std::string_view rest = ohneLeerVorn(zeile.substr(schlüsselEnde));
        if (!rest.empty() && (rest[0] == '=' || rest[0] == ':')) rest.remove_prefix(1);
        const std::string wert(ohneLeer(spielwert(rest)));
        if (gleichOhneGross(schlüssel, "MissionName"))
            gelesen.levelname = wert;
        else if (gleichOhneGross(schlüssel, "RemoteConsolePort"))
            gelesen.konsolenport = wert;
        else if (gleichOhneGross(schlüssel, "AllowRemoteConsole"))
            gelesen.konsoleErlaubt = wert == "1";
        else if (gleichOhneGross(schlüssel, "ConsolePassword"))
            gelesen.konsolenpasswort = wert;
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
