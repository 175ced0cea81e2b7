// The dedicated server's command line and how a command line is split into
// the words a started program receives.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/Paths.h"

namespace common {

// Game folder & sep & "main -dedicated " & configuration & " -tempdir " &
// temporary folder & " -useport " & port. The pieces are joined unchanged:
// nothing is quoted, and an empty port leaves " -useport " at the end.
std::string Kommandozeile(std::string_view spielordner, std::string_view configName,
                          std::string_view tempdir, std::string_view port, char sep = kPathSep);

// The words of a command line: split at blanks, runs of blanks count as one,
// leading and trailing blanks are ignored. No other character means anything:
// no quotes, no escapes, no shell.
std::vector<std::string> splitCommandLine(std::string_view commandLine);

}  // namespace common
