#include "common/Konsolenport.h"

#include <filesystem>

#include "common/CommandLine.h"
#include "common/MessageBox.h"
#include "common/Paths.h"

namespace common {
namespace {

bool gleicherOrdner(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    std::error_code ea, eb;
    const auto ka = std::filesystem::weakly_canonical(a, ea);
    const auto kb = std::filesystem::weakly_canonical(b, eb);
    return !ea && !eb ? ka == kb : a == b;
}

}  // namespace

std::optional<int> konsolenport(const std::string& configDatei) {
    const std::optional<Spielkonfiguration> gelesen = leseSpielkonfiguration(configDatei);
    if (!gelesen || !gelesen->konsoleErlaubt || !portGültig(gelesen->konsolenport))
        return std::nullopt;
    return std::stoi(gelesen->konsolenport);
}

bool konsolenportVerweigert(platform::Platform& p, const std::string& spielordner,
                            const std::string& config, const std::vector<Serverplatz>& plätze) {
    const std::optional<int> port = konsolenport(imSpielordner(spielordner, config));
    if (!port) return false;
    const std::optional<platform::RunningServer> halter = p.system.ConsolePortHolder(*port);
    if (!halter) return false;
    std::string wer = "ein laufender Server";
    for (const Serverplatz& platz : plätze)
        if (gleicherOrdner(halter->tempdir, imSpielordner(spielordner, platz.tempordner))) {
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
