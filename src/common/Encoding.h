// The tool's files are in Windows-1252, the ANSI code page of a German Windows
// system; inside the program text is UTF-8. The conversion keeps every byte:
// the five bytes the code page leaves unassigned stand for the C1 controls of
// the same number, so any file reads and writes back unchanged.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace common {

// Windows-1252 bytes to UTF-8.
std::string ansiToUtf8(std::string_view bytes);

// UTF-8 to Windows-1252. A character the code page lacks, and every byte
// that is not part of a valid UTF-8 sequence, becomes '?'.
std::string utf8ToAnsi(std::string_view utf8);

// Whether every character of a UTF-8 text has a place in the code page, so
// that the text reads back from a file as it was written.
bool inAnsiDarstellbar(std::string_view utf8);

// The number of characters of a UTF-8 text: what a user counts in a box.
std::size_t zeichenzahl(std::string_view utf8);

// The byte offset where character `index` (from 0) of a UTF-8 text begins;
// the text's size when it has fewer characters.
std::size_t zeichenanfang(std::string_view utf8, std::size_t index);

}  // namespace common
