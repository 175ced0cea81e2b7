// Writing the tool's text files: lines in the ANSI code page, each ending in
// CR LF, laid down whole through a temporary file so that a crash or a full
// disk never leaves half a file behind.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace common {

// A whole number as an integer item: " 0 ", " 12 ", "-1 ".
std::string integerItem(long n);

// A text as an item that reads back whole: a text holding a comma or a line
// break, or beginning with a blank or a double quote, is enclosed in double
// quotes with each quote inside doubled; any other text stays as it is.
std::string textItem(std::string_view text);

// Writes `bytes` to `path` by way of a temporary file in the same folder that
// then replaces the target. On failure the target is left as it was, the
// temporary file is removed, *reason (when given) gets the system's reason
// and the result is false.
//
// Never replaced: a write-protected file, a named pipe or device, a folder
// and the game's program (see
// istSpielprogramm). A successful write also removes the temporary files
// that earlier writes of the same file left when their process was killed.
bool writeFileAtomic(const std::string& path, std::string_view bytes, std::string* reason);

// Whether `path` names an existing file that is the game's program: a file
// called Descent3, main.exe or main (in any letter case, as names in the game
// folder are looked up), or any program of the system: an executable file
// with the full ELF signature. No save of the tool may replace it.
bool istSpielprogramm(const std::string& path);

// The reason a write fails with when it would replace the game's program.
extern const std::string kSpielprogrammGrund;

// The reason a write fails with when `text` has characters the ANSI code
// page lacks: it names the text. Written, they would come back as "?".
std::string nichtDarstellbarGrund(std::string_view text);

// Writes UTF-8 text as a file in the ANSI code page, whole, as
// writeFileAtomic does. A text the code page cannot hold is refused before
// anything is written; *reason then names its first line that has such a
// character.
bool writeAnsiFileAtomic(const std::string& path, std::string_view utf8, std::string* reason);

// Empties a file the way the level-pack queue is emptied: deletes it and
// creates it again with no content. A file that is not there stays absent
// and counts as emptied. A write-protected file is not deleted. False, with
// the system's reason in *reason, when the delete or the creation fails.
bool leereDatei(const std::string& path, std::string* reason);

class LineWriter {
public:
    // A text line, quoted where it needs it (textItem).
    void text(std::string_view v);
    // An integer item line.
    void integer(long n);
    // A line written exactly as given.
    void raw(std::string_view v);
    // A line whose bytes are written as they are, not in the code page: a
    // path for a reader that takes the file system's bytes.
    void rawBytes(std::string_view v);

    // The file's bytes: every line in the ANSI code page (rawBytes lines as
    // they are), ending in CR LF.
    std::string bytes() const;
    std::size_t lineCount() const { return lines_.size(); }

    // The first value the code page cannot hold, as it was given; nothing
    // when every line reads back as written.
    std::optional<std::string> nichtDarstellbar() const;

    // Refuses, writing nothing, when a value has no place in the code page
    // (*reason: nichtDarstellbarGrund); otherwise as writeFileAtomic.
    bool writeTo(const std::string& path, std::string* reason) const;

private:
    struct Zeile {
        std::string text;   // as written (a text item quoted)
        std::string wert;   // as given, for the message
        bool bytes = false; // written as it is
    };
    std::vector<Zeile> lines_;
};

}  // namespace common
