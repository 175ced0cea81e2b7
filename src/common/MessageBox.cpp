#include "common/MessageBox.h"

#include "common/Encoding.h"
#include "common/Items.h"

namespace common {

int Meldung(platform::Dialogs& d, const std::string& text, int flags) {
    return d.MsgBox(text, flags, kMeldungsTitel);
}

namespace {

std::string fileText(const std::string& file, const char* failed, const std::string& reason) {
    return "Die Datei " + file + " konnte nicht " + failed + " werden:\n" + reason;
}

}  // namespace

std::string fileWriteErrorText(const std::string& file, const std::string& reason) {
    return fileText(file, "geschrieben", reason);
}

std::string fileReadErrorText(const std::string& file, const std::string& reason) {
    return fileText(file, "gelesen", reason);
}

std::string fileDeleteErrorText(const std::string& file, const std::string& reason) {
    return fileText(file, "gelöscht", reason);
}

std::string keineDateiText(const std::string& file) {
    return "Die Datei " + file +
           " ist keine gewöhnliche Datei (sondern etwa eine benannte Pipe oder ein Gerät) und "
           "wird nicht gelesen.";
}

std::string nichtUeberschriebenText(const std::string& file) {
    return "Die Datei " + file + " konnte nicht gelesen werden und wird darum nicht überschrieben.";
}

bool pfadSpeicherbar(platform::Dialogs& d, const std::string& pfad, bool ordner, int* antwort) {
    if (inAnsiDarstellbar(pfad)) return true;
    const std::string text =
        ordner ? "Der Name des Ordners " + pfad +
                     " enthält Zeichen, die die Einstellungsdateien nicht speichern können. Bitte "
                     "einen Ordner wählen, dessen Name nur solche Zeichen enthält, die "
                     "Windows-1252 kennt."
               : "Der Name der Datei " + pfad +
                     " enthält Zeichen, die die Einstellungsdateien nicht speichern können. Bitte "
                     "eine Datei wählen, deren Name und Ordner nur solche Zeichen enthalten, die "
                     "Windows-1252 kennt.";
    const int a = Meldung(d, text, platform::vbCritical);
    if (antwort) *antwort = a;
    return false;
}

namespace {
platform::Dialogs* ziel = nullptr;
}  // namespace

void setzeMeldungsziel(platform::Dialogs* dialoge) { ziel = dialoge; }

platform::Dialogs* meldungsziel() { return ziel; }

void keineDateiMelden(const std::string& file) {
    if (ziel) Meldung(*ziel, keineDateiText(file), platform::vbCritical);
}

int lesefehlerMelden(platform::Dialogs& d, const std::string& file, const std::string& reason) {
    if (reason == kKeineDatei) return 0;
    return Meldung(d, fileReadErrorText(file, reason), platform::vbCritical);
}

std::string fileErrorText(const std::string& file, const std::string& reason) {
    return fileWriteErrorText(file, reason);
}

}  // namespace common
