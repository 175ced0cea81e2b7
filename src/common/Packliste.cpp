#include "common/Packliste.h"

#include "common/MessageBox.h"
#include "common/Paths.h"
#include "common/SettingsWriter.h"

namespace common {

std::string packlistenPfad(const std::string& programmordner) {
    return pfad(programmordner, kPackliste);
}

bool packlisteLeeren(platform::Dialogs& dialoge, const std::string& programmordner) {
    const std::string datei = packlistenPfad(programmordner);
    std::string grund;
    if (leereDatei(datei, &grund)) return true;
    Meldung(dialoge, fileWriteErrorText(datei, grund), platform::vbCritical);
    return false;
}

}  // namespace common
