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
// "Die Datei <file> ist keine gewöhnliche Datei ... und wird nicht gelesen."
std::string keineDateiText(const std::string& file);

// "Die Datei <file> konnte nicht gelesen werden und wird darum nicht
// überschrieben." A file whose values were never read is not replaced with
// values that did not come from it.
std::string nichtUeberschriebenText(const std::string& file);

// Whether a path the user chose can be kept in the settings files, which
// are in Windows-1252. When it cannot, a critical message names it and asks
// for a folder (`ordner`) or a file whose name the files can hold; the
// answer goes to *antwort when given.
bool pfadSpeicherbar(platform::Dialogs& d, const std::string& pfad, bool ordner,
                     int* antwort = nullptr);

// Where the file functions tell the user of a problem they found themselves,
// deep inside a read (a named pipe or a device given as a file). The program
// sets it to its dialogs for as long as it runs; with none set, nobody is
// told and the read just fails.
void setzeMeldungsziel(platform::Dialogs* dialoge);
platform::Dialogs* meldungsziel();

// Tells the user, through the Meldungsziel, that `file` is no regular file.
void keineDateiMelden(const std::string& file);

// A read of `file` failed for `reason`: shows fileReadErrorText as a
// critical message, unless the read has told the user already (a file that
// is no regular file). Returns the answer, 0 when nothing was shown.
int lesefehlerMelden(platform::Dialogs& d, const std::string& file, const std::string& reason);

// The same as fileWriteErrorText: a file the tool fails on is almost always
// one it writes.
std::string fileErrorText(const std::string& file, const std::string& reason);

}  // namespace common
