// Reading the tool's text files: free-format items, as the settings files,
// pack.cfg and Edit.ini hold them, and whole lines for plain text files.
//
// An item ends at a comma or at the end of a line (CR LF or LF); leading
// blanks are dropped. An item that starts with a double quote runs to the
// closing quote and loses both quotes; a doubled quote inside it stands for
// one quote; whatever follows the closing quote up to the next comma or line
// end is skipped. An empty line is an empty item. The terminator of the last
// line is optional: "a,b" and "a,b\r\n" both hold "a" and "b".
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace common {

// The bytes of a whole file (of its first `grenze` bytes when it is longer),
// or nullopt when it cannot be opened or read; the system's reason then goes
// to *reason when it is given.
//
// Only a regular file is read. A named pipe or a device such as /dev/zero
// could block the window or never end, so it is refused without being read
// or waited for: the user is told at once through the Meldungsziel
// (MessageBox.h) and the reason is kKeineDatei. A folder fails with the
// system's reason, as any unreadable file does.
std::optional<std::string> readFileBytes(const std::string& path, std::string* reason = nullptr,
                                        std::size_t grenze = std::string::npos);

// After a failed read of `path`: whether something is there that holds what
// it holds, so that it must not be replaced as if it were missing (a file
// without read access, one the disk fails on, a pipe), or its folder cannot
// even be looked into. Not for nothing there and not for a folder, which
// holds no settings.
bool unlesbarVorhanden(const std::string& path);

// The reason a read fails with when the name is no regular file. The user
// has been told of it already; see common::lesefehlerMelden.
extern const std::string kKeineDatei;

class ItemReader {
public:
    // Reads the items of UTF-8 text.
    explicit ItemReader(std::string utf8Text);

    // Reads a file in the ANSI code page. nullopt when it cannot be read.
    static std::optional<ItemReader> open(const std::string& path, std::string* reason = nullptr);

    // Takes the next item. False, with `item` unchanged, past the last item.
    bool next(std::string& item);

    // True when no item is left.
    bool atEnd() const;

private:
    bool atLineEnd() const;
    void skipDelimiter();
    std::string readQuoted();
    std::string readUnquoted();

    std::string text_;
    std::size_t pos_ = 0;
    // A comma was the last delimiter, so one more item follows even when
    // nothing but the end of the text comes after it.
    bool itemPending_ = false;
};

// Every item of UTF-8 text, in order.
std::vector<std::string> parseItems(std::string_view utf8Text);

// The lines of a text file in the ANSI code page, decoded, without their
// terminators. nullopt when the file cannot be read.
std::optional<std::vector<std::string>> readLines(const std::string& path,
                                                  std::string* reason = nullptr);

// The lines of UTF-8 text split at CR LF or LF. A final line without
// terminator counts; a final terminator adds no empty line.
std::vector<std::string> splitLines(std::string_view utf8Text);

}  // namespace common
