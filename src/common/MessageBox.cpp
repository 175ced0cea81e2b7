#include "common/MessageBox.h"

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

std::string fileErrorText(const std::string& file, const std::string& reason) {
    return fileWriteErrorText(file, reason);
}

}  // namespace common
