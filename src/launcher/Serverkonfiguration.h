// The server configuration file a dedicated server is started with: the line
// "[server config file]", then key=value lines in a fixed order, each ending
// in CR LF, values written as the controls hold them (no quoting), each only
// up to its first "," or ";", where the game stops reading it.
// One writer serves every file of this kind the tool writes: a configuration
// saved under a name, and fenster.CFG for a start of server 1 or server 2.
//
// Use from the main window:
//
//   #include "launcher/Serverkonfiguration.h"
//
//   // fenster.CFG for a start of server 2, from the controls as they stand:
//   const std::string datei = common::pfad(Despfad.Text(), "fenster.CFG");
//   if (!serverkonfiguration::schreibe(
//           serverkonfiguration::zeilen(*this, serverkonfiguration::Art::Server2), datei,
//           program().platform.dialogs))
//       return;  // the user has been told which file and why; start nothing
//
// - zeilen(Vantor&, Art) reads the controls at the moment of the call and
//   gives the lines; zeilen(const Werte&, Art) is the same without a window.
// - Art chooses the file:
//     Gespeichert  every line: "Konfiguration Speichern unter..";
//     Server1      fenster.CFG for server 1: no "DisallowSHIP=" lines (the
//                  ship bans reach server 1 through Schiffe.mps);
//     Server2      fenster.CFG for server 2: no "MultiSettingsFile=" and no
//                  "DisallowSHIP=" lines, "RemoteConsolePort=" carries port2.
// - schreibe() lays the file down whole (temporary file, then rename). When
//   that fails it shows a critical message titled "Talvir" naming the file
//   and the system's reason, and returns false; the old file stays as it was.
// - The path in "MultiSettingsFile=" is written as the file system names it
//   (UTF-8) when the native build runs, in Windows-1252 for main.exe.
// - schiffsdatei() gives the lines of Schiffe.mps; ersteSeite() takes the
//   first page's values back from the items of a configuration file.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "common/SettingsWriter.h"
#include "platform/Platform.h"

class Vantor;

namespace serverkonfiguration {

inline constexpr std::size_t kSchiffe = 4;
inline constexpr std::size_t kWaffen = 36;

// The names written for a banned ship in a configuration file and in
// Schiffe.mps, by list position. The two differ for "Magnum - AHT".
extern const std::array<const char*, kSchiffe> kSchiffsnamen;
extern const std::array<const char*, kSchiffe> kSchiffsnamenMps;
// The one or two powerup names each weapon entry bans, by list position;
// the second is nullptr where there is none.
extern const std::array<std::array<const char*, 2>, kWaffen> kWaffennamen;

enum class Art { Gespeichert, Server1, Server2 };

// Everything a configuration file holds, as text or number straight from
// the controls; nothing is checked or trimmed.
struct Werte {
    std::string Spielordner;  // Despfad
    // The game folder holds the native build, which a start runs before the
    // Windows one: it reads the paths in the file as the file system's
    // bytes, where Wine reads Windows-1252.
    bool NativerServer = false;
    std::string Packete, Zeitlimit, Limit, Wiederholrate, Spieler, Spielname, Levelname;
    std::string Spieletyp;  // the selected entry, or the typed text with none
    bool PXO = false, Lan = true;
    int Fernwalt = 0;
    std::string port, port2, Serverpassw;
    std::string Levelstart;
    int Schwierikkeit = 0;  // selected index, -1 none
    int Kollisionserkennung = 0, Schiffsdrehung = 0, BelSchiffe = 0, Peer = 0, Mouselook = 0;
    std::string Logginname, Paswort, HostingLobby;
    std::string Begrüssungstext;
    std::string Audio;
    std::array<bool, kSchiffe> Schiffe{};
    std::array<bool, kWaffen> Waffen{};
};

// The values as the main window's controls hold them now.
Werte werteAus(Vantor& v);

common::LineWriter zeilen(const Werte& w, Art art);
common::LineWriter zeilen(Vantor& v, Art art);

// Writes `zeilen` to `datei` whole. A failure shows its message (vbCritical,
// "Talvir") and gives false.
bool schreibe(const common::LineWriter& zeilen, const std::string& datei,
              platform::Dialogs& dialoge);

// Schiffe.mps: one "SHIPBAN" line per banned ship in list order; with no
// ship banned a single empty line.
common::LineWriter schiffsdatei(const std::array<bool, kSchiffe>& gebannt);

// The first page's values found in the items of a configuration file. Only
// the items at positions 1 and later count (position 0 is the header); when
// a key comes twice the later item wins.
struct ErsteSeite {
    std::optional<std::string> Packete, Limit, Wiederholrate, Zeitlimit, Spielname, Levelname,
        Spieler, Levelstart, Begrüssungstext;
    // true: "Direct TCP~IP" (Lan), false: "Parallax Online" (PXO).
    std::optional<bool> Lan;
};
ErsteSeite ersteSeite(const std::vector<std::string>& items);

// The most items a load reads from a configuration file.
inline constexpr std::size_t kLadeItems = 71;

}  // namespace serverkonfiguration
