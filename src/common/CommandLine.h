// The dedicated server's command line and how a command line is split into
// the words a started program receives.
#pragma once

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

// The command line a start runs, or why the start is refused.
struct Serverbefehl {
    std::string zeile;
    // Not empty: nothing may start, and this is the message saying why.
    std::string einwand;
};

// The command line of every dedicated server the tool starts:
//   FOLDER/Descent3 -dedicated CFG -tempdir DIR -useport PORT
// when the game folder holds Descent3, otherwise its main.exe through the
// `wine` found on the PATH, with CFG and DIR in Windows form (Z:\...):
//   WINE FOLDER/main.exe -dedicated Z:\CFG -tempdir Z:\DIR -useport PORT
// With neither, the line names FOLDER/Descent3, whose start then fails.
// A relative CFG or DIR is joined to the game folder: the game looks a bare
// configuration name up elsewhere and needs its temporary folder absolute.
// Nothing is quoted, and an empty port leaves " -useport " at the end.
// Refused: an argument the game would cut (100 characters or more) and a
// configuration whose MissionName is too long for the game to load (32 or
// more); the configuration is read for that when it can be.
Serverbefehl Kommandozeile(const std::string& spielordner, const std::string& configName,
                           const std::string& tempdir, const std::string& port);

// Server 1's temporary folder: the game folder's custom/cache, in any case.
std::string tempordnerServer1(const std::string& spielordner);

// Shows why a start is refused, as a critical message; true when it is.
bool startVerweigert(platform::Dialogs& dialogs, const Serverbefehl& befehl);

// The first executable file called `name` in the folders of the PATH.
std::optional<std::string> imSuchpfad(std::string_view name);

// The words of a command line: split at blanks, runs of blanks count as one,
// leading and trailing blanks are ignored. No other character means anything:
// no quotes, no escapes, no shell.
std::vector<std::string> splitCommandLine(std::string_view commandLine);

}  // namespace common
