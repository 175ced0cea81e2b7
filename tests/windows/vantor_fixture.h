// Fixture of the main window's tests: settings files laid down in the
// program folder before the window loads.
#pragma once

#include <string>
#include <vector>

#include "TestFolders.h"
#include "WindowTest.h"
#include "launcher/Einstellungen.h"
#include "launcher/Vantor.h"

class VantorTest : public WindowTest {
public:
    using Zeilen = std::vector<std::string>;

protected:

    void schreibe(const std::string& datei, const Zeilen& zeilen) {
        testing_support::writeBytes(prog(datei), testing_support::crlf(zeilen));
    }
    // The four files as the first start leaves them, with `ordner` as the
    // game folder.
    void ersterStart(const std::string& ordner) {
        schreibe("STPfad.ini", {ordner, "0", "0"});
        testing_support::writeBytes(prog("Servertool.ini"),
                                    einstellungen::erstlaufServertool().bytes());
        testing_support::writeBytes(prog("STS.ini"), einstellungen::erstlaufSTS().bytes());
        testing_support::writeBytes(prog("Mod.ini"),
                                    einstellungen::zeilenMod(einstellungen::standardMods()).bytes());
    }
    // Servertool.ini in first-run form with some lines (1-based) replaced.
    void servertool(const std::vector<std::pair<int, std::string>>& aenderungen) {
        Zeilen z = erstlaufZeilen();
        for (const auto& [zeile, wert] : aenderungen) z[zeile - 1] = wert;
        schreibe("Servertool.ini", z);
    }
    Vantor& lade() { return program->load<Vantor>(); }
    std::string bytes(const std::string& datei) { return testing_support::readBytes(prog(datei)); }

    // The first-run Servertool.ini, line by line, as laid down.
    static Zeilen erstlaufZeilen() {
        Zeilen z(71, "0");
        z[0] = z[1] = z[13] = z[14] = z[15] = z[17] = "";
        z[2] = "2092";
        z[3] = "global";
        return z;
    }
};
