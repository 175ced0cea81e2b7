// The tool's message boxes: one fixed title, and the texts for files that
// cannot be written or read.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace common {

inline const std::string kMeldungsTitel = "Talvir";

// Shows `text` with `flags` under the tool's title; returns the answer.
int Meldung(platform::Dialogs& d, const std::string& text, int flags);

// "Die Datei <file> konnte nicht geschrieben werden:\n<reason>"
std::string fileWriteErrorText(const std::string& file, const std::string& reason);
// "Die Datei <file> konnte nicht gelesen werden:\n<reason>"
std::string fileReadErrorText(const std::string& file, const std::string& reason);
// "Die Datei <file> konnte nicht gelöscht werden:\n<reason>"
std::string fileDeleteErrorText(const std::string& file, const std::string& reason);
// The same as fileWriteErrorText: a file the tool fails on is almost always
// one it writes.
std::string fileErrorText(const std::string& file, const std::string& reason);

}  // namespace common
