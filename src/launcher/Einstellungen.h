// The launcher's settings files in the program folder, line by line:
// STPfad.ini (game folder), Letztes.ini (last first page), Servertool.ini
// (presets), STS.ini (saved servers and level-pack group) and Mod.ini (game
// types). Values are kept by position, one per line, without keys. Texts go
// through common::LineWriter::text, so a text with a comma or a leading blank
// or quote is quoted and reads back whole; old unquoted files read as before.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/SettingsWriter.h"

namespace einstellungen {

inline const std::string kSTPfad = "STPfad.ini";
inline const std::string kLetztes = "Letztes.ini";
inline const std::string kServertool = "Servertool.ini";
inline const std::string kSTS = "STS.ini";
inline const std::string kMod = "Mod.ini";

// Caption of the level-pack button: "Level", 20 blanks, "Pack".
inline const std::string kLevelPack = "Level" + std::string(20, ' ') + "Pack";
// Caption of a saved-server button that is not set up.
inline const std::string kLeererServer = "-----";

// The items of a settings file, at most `hoechstens` of them (all when
// npos). A missing or unreadable file gives none.
std::vector<std::string> leseItems(const std::string& pfad,
                                   std::size_t hoechstens = std::string::npos);

// A settings file as read: at most `hoechstens` items, whether the file is
// there, and why a file that is there could not be read.
struct Lesung {
    std::vector<std::string> items;
    bool vorhanden = false;
    std::optional<std::string> fehler;
};
Lesung lese(const std::string& pfad, std::size_t hoechstens = std::string::npos);

// The number a line holds: its leading number, blanks ignored, rounded to a
// whole number; 0 when the item does not start with one.
long zahl(const std::string& item);

// ---------------------------------------------------------------- STPfad.ini
inline constexpr std::size_t kSTPfadZeilen = 3;

// The stored game folder; nullopt when the file is missing or short.
std::optional<std::string> leseSpielordner(const std::string& pfad);
// The game folder, then "0", "0".
common::LineWriter zeilenSTPfad(const std::string& spielordner);

// ---------------------------------------------------------------- Letztes.ini
inline constexpr std::size_t kLetztesZeilen = 12;

struct Letztes {
    bool PXO = false;
    bool Lan = true;
    std::string Spieler, Limit, Zeitlimit, Packete, Levelstart, Wiederholrate, Levelname,
        Spieletyp, Spielname, Begrüssungstext;
    friend bool operator==(const Letztes&, const Letztes&) = default;
};
// The option flags are "1" / "0"; the texts follow in layout order.
common::LineWriter zeilen(const Letztes& w);
// A flag line of Letztes.ini: anything but "0" selects the option.
inline bool optionGesetzt(const std::string& item) { return item != "0"; }

// ---------------------------------------------------------------- Servertool.ini
inline constexpr std::size_t kServertoolZeilen = 71;
inline constexpr std::size_t kSchiffe = 4;
inline constexpr std::size_t kWaffen = 36;

// The presets record. Its default values are the first-run values; the
// ship and weapon flags are true where the file holds exactly "1".
struct Voreinstellungen {
    std::string Logginname, Paswort, port = "2092", HostingLobby = "global";
    long BelSchiffe = 0, Kollisionserkennung = 0, Schiffsdrehung = 0, Mouselook = 0, Peer = 0;
    long Schwierikkeit = 0;  // selected index, -1 none
    long servermin = 0, Hilfezeigen = 0;
    std::string Serverpassw, Tempordners2, port2;
    long Fernwalt = 0;
    std::string Audio;
    long VSAutoend = 0;
    std::array<bool, kSchiffe> Schiffe{};
    std::array<bool, kWaffen> Waffen{};
    friend bool operator==(const Voreinstellungen&, const Voreinstellungen&) = default;
};

// Reads the presets. Lines the file lacks (or the whole file, when it is
// missing) keep their first-run values.
Voreinstellungen leseServertool(const std::string& pfad);
// The same from the items read.
Voreinstellungen voreinstellungenAus(const std::vector<std::string>& items);
// As the presets panel saves them: texts, integer items, reserved lines
// empty, flags "1" / "0".
common::LineWriter zeilen(const Voreinstellungen& v);
// The first-run file: numbers, flags and reserved lines all as "0".
common::LineWriter erstlaufServertool();

// ---------------------------------------------------------------- STS.ini
inline constexpr std::size_t kSTSZeilen = 28;
inline constexpr std::size_t kGruppenplaetze = 11;

struct AngelegterServer {
    std::string Beschriftung = kLeererServer;
    std::string Tooltip;
    std::string Config;
    friend bool operator==(const AngelegterServer&, const AngelegterServer&) = default;
};

struct AngelegteServer {
    std::array<AngelegterServer, 5> Slots;
    std::string PackBeschriftung = kLeererServer;
    std::string PackTooltip;
    // Entries 0 to 10 of the level-pack group, "" where there is none.
    std::array<std::string, kGruppenplaetze> Gruppe;
    friend bool operator==(const AngelegteServer&, const AngelegteServer&) = default;
};

// Reads the saved servers; missing lines keep their first-run values.
AngelegteServer leseSTS(const std::string& pfad);
// The same from the items read.
AngelegteServer angelegteAus(const std::vector<std::string>& items);
// The 28-line layout.
common::LineWriter zeilen(const AngelegteServer& s);
// The first-run file: six triples "-----", "", "" and 11 empty lines (29).
common::LineWriter erstlaufSTS();

// ---------------------------------------------------------------- Mod.ini
// The game types of the first start.
const std::vector<std::string>& standardMods();
// Every entry, empty ones included; the first-run list when the file is
// missing. An empty file is an empty list.
std::vector<std::string> leseMod(const std::string& pfad);
// As leseMod, but a file that is there and cannot be read gives nullopt,
// with the system's reason in *grund.
std::optional<std::vector<std::string>> leseModGeprueft(const std::string& pfad,
                                                        std::string* grund);
common::LineWriter zeilenMod(const std::vector<std::string>& mods);

}  // namespace einstellungen
