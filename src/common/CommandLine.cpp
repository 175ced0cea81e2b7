#include "common/CommandLine.h"

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

std::string absolut(const std::string& spielordner, const std::string& pfadangabe) {
    if (!pfadangabe.empty() && pfadangabe[0] == kPathSep) return pfadangabe;
    return pfad(spielordner, pfadangabe);
}

// Z: is Wine's drive for the whole file system.
std::string windowsForm(const std::string& pfadangabe) {
    std::string form = "Z:";
    for (char c : pfadangabe) form += c == '/' ? '\\' : c;
    return form;
}

// The level the configuration names, as the game reads it: the value of
// its last MissionName line up to a "," or ";", in the file's code page.
std::optional<std::string> levelname(const std::string& config) {
    const std::optional<std::string> bytes = readFileBytes(config);
    if (!bytes) return std::nullopt;
    std::optional<std::string> name;
    std::size_t start = 0;
    while (start < bytes->size()) {
        std::size_t ende = bytes->find_first_of("\r\n", start);
        if (ende == std::string::npos) ende = bytes->size();
        const std::string_view zeile = std::string_view(*bytes).substr(start, ende - start);
        const std::size_t gleich = zeile.find('=');
        if (gleich != std::string_view::npos &&
            gleichOhneGross(zeile.substr(0, gleich), "MissionName")) {
            name = std::string(spielwert(zeile.substr(gleich + 1)));
        }
        start = ende + 1;
    }
    return name;
}

}  // namespace

std::string_view spielwert(std::string_view wert) {
    return wert.substr(0, wert.find_first_of(",;"));
}

bool istServerprogramm(std::string_view dateiname) {
    return gleichOhneGross(dateiname, kNativProgramm) ||
           gleichOhneGross(dateiname, kWindowsProgramm);
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

Serverbefehl Kommandozeile(const std::string& spielordner, const std::string& configName,
                           const std::string& tempdir, const std::string& port) {
    std::string config = absolut(spielordner, configName);
    std::string temp = absolut(spielordner, tempdir);
    const std::string configDatei = config;
    std::string programm;
    bool wine = false;
    if (auto nativ = eintragImOrdner(spielordner, kNativProgramm)) {
        programm = pfad(spielordner, *nativ);
    } else if (auto windows = eintragImOrdner(spielordner, kWindowsProgramm)) {
        wine = true;
        // Without wine on the PATH the start fails and says so, naming it.
        programm = imSuchpfad("wine").value_or("wine") + " " + pfad(spielordner, *windows);
        config = windowsForm(config);
        temp = windowsForm(temp);
    } else {
        programm = pfad(spielordner, kNativProgramm);
    }
    const std::string argumente =
        "-dedicated " + config + " -tempdir " + temp + " -useport " + port;

    Serverbefehl befehl{programm + " " + argumente, {}};
    for (const std::string& wort : splitCommandLine(argumente)) {
        // Wine hands the game its arguments in the ANSI code page, one byte
        // a character; the native build gets the bytes as they are.
        const std::size_t länge = wine ? zeichenzahl(wort) : wort.size();
        if (länge >= kArgumentGrenze) {
            befehl.einwand =
                "Der Server wird nicht gestartet: Das Spiel liest nur die ersten 99 Zeichen eines "
                "Arguments, und dieses ist länger:\n" + wort;
            return befehl;
        }
    }
    // A pipe or a device as the configuration would hang the game at its
    // start; it is looked at without being opened, so nothing waits here.
    std::error_code fehler;
    const auto art = std::filesystem::status(configDatei, fehler).type();
    if (!fehler && art != std::filesystem::file_type::regular &&
        art != std::filesystem::file_type::directory && art != std::filesystem::file_type::not_found) {
        befehl.einwand =
            "Der Server wird nicht gestartet: Die Konfiguration ist keine gewöhnliche Datei:\n" +
            configDatei;
        return befehl;
    }
    const std::optional<std::string> level = levelname(configDatei);
    if (level && level->size() >= kLevelnameGrenze)
        befehl.einwand =
            "Der Server wird nicht gestartet: Das Spiel lädt keinen Level, dessen Name 32 "
            "Zeichen oder länger ist:\n" + ansiToUtf8(*level);
    return befehl;
}

bool startVerweigert(platform::Dialogs& dialogs, const Serverbefehl& befehl) {
    if (befehl.einwand.empty()) return false;
    Meldung(dialogs, befehl.einwand, platform::vbCritical);
    return true;
}

std::vector<std::string> splitCommandLine(std::string_view commandLine) {
    std::vector<std::string> words;
    std::size_t pos = 0;
    while (true) {
        pos = commandLine.find_first_not_of(' ', pos);
        if (pos == std::string_view::npos) break;
        const std::size_t end = commandLine.find(' ', pos);
        words.emplace_back(commandLine.substr(pos, end - pos));
        if (end == std::string_view::npos) break;
        pos = end;
    }
    return words;
}

}  // namespace common
