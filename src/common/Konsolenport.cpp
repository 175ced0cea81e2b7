#include "common/Konsolenport.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "common/CommandLine.h"
#include "common/Items.h"
#include "common/MessageBox.h"
#include "common/Paths.h"

namespace common {
namespace {

constexpr int kStandardport = 2092;

std::string klein(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A path as the start hands it to the game: relative ones lie in the game
// folder.
std::string absolut(const std::string& spielordner, const std::string& pfadangabe) {
    if (!pfadangabe.empty() && pfadangabe[0] == kPathSep) return pfadangabe;
    return pfad(spielordner, pfadangabe);
}

bool gleicherOrdner(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    std::error_code ea, eb;
    const auto ka = std::filesystem::weakly_canonical(a, ea);
    const auto kb = std::filesystem::weakly_canonical(b, eb);
    return !ea && !eb ? ka == kb : a == b;
}

}  // namespace

std::optional<int> konsolenport(const std::string& configDatei) {
    const std::optional<std::string> bytes = readFileBytes(configDatei);
    if (!bytes) return std::nullopt;
    bool erlaubt = false;
    int port = kStandardport;
    for (const std::string& zeile : splitLines(*bytes)) {
        const auto gleich = zeile.find('=');
        if (gleich == std::string::npos) continue;
        const std::string schlüssel = klein(zeile.substr(0, gleich));
        const std::string wert(spielwert(std::string_view(zeile).substr(gleich + 1)));
        if (schlüssel == "allowremoteconsole") {
            erlaubt = wert == "1";
        } else if (schlüssel == "remoteconsoleport") {
            const bool ziffern = !wert.empty() && wert.size() <= 5 &&
                                 std::all_of(wert.begin(), wert.end(), [](char c) {
                                     return std::isdigit(static_cast<unsigned char>(c));
                                 });
            port = ziffern ? std::stoi(wert) : 0;
        }
    }
    if (!erlaubt || port < 1 || port > 65535) return std::nullopt;
    return port;
}

bool konsolenportVerweigert(platform::Platform& p, const std::string& spielordner,
                            const std::string& config, const std::vector<Serverplatz>& plätze) {
    const std::optional<int> port = konsolenport(absolut(spielordner, config));
    if (!port) return false;
    const std::optional<platform::RunningServer> halter = p.system.ConsolePortHolder(*port);
    if (!halter) return false;
    std::string wer = "ein laufender Server";
    for (const Serverplatz& platz : plätze)
        if (gleicherOrdner(halter->tempdir, absolut(spielordner, platz.tempordner))) {
            wer = platz.name;
            break;
        }
    std::string text = "Der Server wird nicht gestartet: Den Konsolenport " + std::to_string(*port) +
                       " seiner Konfiguration hält schon " + wer +
                       ". Befehle für den neuen Server kämen nicht bei ihm an.";
    if (!halter->config.empty()) text += "\nKonfiguration: " + halter->config;
    if (!halter->tempdir.empty()) text += "\nTemporärer Ordner: " + halter->tempdir;
    Meldung(p.dialogs, text, platform::vbCritical);
    return true;
}

}  // namespace common
