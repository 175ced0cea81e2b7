#include "desktop/German.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <langinfo.h>

namespace desktop {

bool germanSystemMessages() {
    bool found = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_AT.UTF-8", "de_CH.UTF-8"})
        if (std::setlocale(LC_MESSAGES, name)) {
            found = true;
            break;
        }
    if (!found) return false;
    // Messages come out in the character set of LC_CTYPE: in a plain "C"
    // one the umlauts would turn into question marks.
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) std::setlocale(LC_CTYPE, "C.UTF-8");
    // LANGUAGE would otherwise outrank the locale for the library's messages.
    setenv("LANGUAGE", "de", 1);
    return true;
}

bool germanQt(QCoreApplication& app) {
    const QLocale german(QLocale::German, QLocale::Germany);
    QLocale::setDefault(german);
    auto* translator = new QTranslator(&app);
    if (!translator->load(german, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace desktop
