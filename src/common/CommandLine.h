// The dedicated server's start: its program and arguments, and the checks
// that refuse values the game could not use.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Paths.h"
#include "platform/Platform.h"

namespace common {

// The game's dedicated server in a game folder: the native build, and the
// Windows build that runs through Wine. Either name in any case.
inline constexpr std::string_view kNativProgramm = "Descent3";
inline constexpr std::string_view kWindowsProgramm = "main.exe";

// The part of a server configuration value the game reads: up to its first
// "," or ";". A configuration file holds no more than that.
std::string_view spielwert(std::string_view wert);

// Whether a file name (without folder) is one of the two programs.
bool istServerprogramm(std::string_view dateiname);

// What a start runs, or why it is refused.
struct Serverbefehl {
    // The line messages show: the words joined by blanks, a word that holds
    // a blank, a quote or a line break (or is empty) in double quotes, with
    // a quote inside doubled, so the user sees where each ends.
    std::string zeile;
    // What is started: the program, then each argument as one word.
    std::vector<std::string> wörter;
    // Not empty: nothing may start, and this is the message saying why.
    std::string einwand;
};

// What the game reads of a server configuration file for its start, in the
// file's code page. Its first line is the file's tag, no command. Each
// further line ends at CR, LF or NUL, and no more than its first 255 bytes
// count: what follows a NUL or the 255th byte up to the line's end is lost.
// A line holds commands one after another. For each, the game passes over
// blanks, tabs, "=" and ":"; the key runs up to the next of these, and that
// one character is passed over; then it passes over "," and ";", and the
// value runs up to the next "," or ";" (or the line's end), which is passed
// over. Key and value lose the white space C's isspace knows (blank, tab,
// vertical tab, form feed, CR, LF) at both ends; keys count in any case and
// by their first 31 characters.
// A value "#NAME" is replaced, before anything else is done with its
// command, by the text of the symbol NAME (exactly so written, not cut);
// with no such symbol the line's reading ends there and the command's
// setting is lost. The reading of a line ends at a command whose key and
// value are both empty, at a key starting with "@" and at a key the game
// does not know. A key "#NAME" defines the symbol NAME (so at most 30
// characters) as the value and ends the line's reading. The symbols are
// one list: a lookup takes the first of the name from the list's head and,
// found or not, moves the list's mark to the head; a definition goes in
// right behind the mark and becomes the mark, into an empty list as its
// head. AllowRemoteConsole is C's atoi held to 0..1. Of a key given again,
// the last counts.
struct VerlorenerWert {
    std::string schlüssel;  // the command as the game spells it
    std::string wert;       // the value as read, "#" first, bytes of the file
};
struct Spielkonfiguration {
    std::optional<std::string> levelname;
    std::string konsolenport = "2092";  // the game's default, else the text as read
    bool konsoleErlaubt = false;        // AllowRemoteConsole of 1 or more
    std::string konsolenpasswort;       // ConsolePassword, bytes of the file
    // The first command of a key the game knows whose value names no symbol
    // defined before it: the game loses that setting.
    std::optional<VerlorenerWert> verloren;
};
// The configuration that the bytes of a file hold.
Spielkonfiguration spielkonfigurationAus(std::string_view bytes);
// How much of a configuration the tool reads: the game's are a few
// kilobytes, and a far larger file must not cost a check more than this.
inline constexpr std::size_t kKonfigurationsGrenze = 64 * 1024;
// The first kKonfigurationsGrenze bytes of a regular file, read without
// waiting; nullopt when the file cannot be read.
std::optional<Spielkonfiguration> leseSpielkonfiguration(const std::string& datei);

// Whether the game can use the text as a port: a whole number from 1 to
// 65535, digits only.
bool portGültig(std::string_view port);

// Why a start's temporary folder or port (as the user gave them) cannot be
// used, or "" when they can: an empty folder, a port that is no whole
// number from 1 to 65535.
std::string werteEinwand(const std::string& tempdir, const std::string& port);

// The dedicated server's start, as words:
//   FOLDER/Descent3 -dedicated CFG -tempdir DIR -useport PORT
// when the game folder holds Descent3, otherwise its main.exe through the
// `wine` found on the PATH, with CFG and DIR in Windows form (Z:\...):
//   WINE FOLDER/main.exe -dedicated Z:\CFG -tempdir Z:\DIR -useport PORT
// With neither, the words name FOLDER/Descent3, whose start then fails.
// A relative CFG or DIR is joined to the game folder: the game looks a bare
// configuration name up elsewhere and needs its temporary folder absolute.
// Each path and the port are one word whatever they hold.
// Refused (einwand): the values werteEinwand refuses, an argument holding a
// NUL byte, under Wine a path holding "\" (Wine makes it a separator), an
// argument the game would cut (100 characters or more), a configuration
// that is no ordinary file, and one that loses a setting to a value
// starting with "#" that names no symbol, or whose level name is too long
// for the game to load (32 or more) or whose console port is no whole
// number from 1 to 65535; the configuration is read for that when it can be.
Serverbefehl Kommandozeile(const std::string& spielordner, const std::string& configName,
                           const std::string& tempdir, const std::string& port);

// A path as a start hands it to the game: a relative one lies in the game
// folder.
std::string imSpielordner(const std::string& spielordner, const std::string& pfadangabe);

// Server 1's temporary folder: the game folder's custom/cache, in any case.
std::string tempordnerServer1(const std::string& spielordner);

// Shows why a start is refused, as a critical message; true when it is.
bool startVerweigert(platform::Dialogs& dialogs, const Serverbefehl& befehl);
bool startVerweigert(platform::Dialogs& dialogs, const std::string& einwand);

// The first executable file called `name` in the folders of the PATH.
std::optional<std::string> imSuchpfad(std::string_view name);

}  // namespace common
