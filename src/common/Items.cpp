#include "common/Items.h"

#include "common/Encoding.h"
#include "common/MessageBox.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace common {

const std::string kKeineDatei = "Das ist keine gewöhnliche Datei.";

std::optional<std::string> readFileBytes(const std::string& path, std::string* reason,
                                        std::size_t grenze) {
    auto fail = [&](int err) -> std::optional<std::string> {
        if (reason) *reason = std::strerror(err);
        return std::nullopt;
    };
    auto keineDatei = [&]() -> std::optional<std::string> {
        if (reason) *reason = kKeineDatei;
        keineDateiMelden(path);
        return std::nullopt;
    };
    // The type is looked at before the open, so a device is not even opened;
    // the open itself does not wait for a pipe's writer, and the type is
    // checked again on what was opened, in case the name changed between.
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) return fail(errno);
    // A folder cannot block; it fails in the read as it always did.
    if (!S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) return keineDatei();
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return fail(errno);
    if (::fstat(fd, &info) != 0 || (!S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode))) {
        ::close(fd);
        return keineDatei();
    }
    std::string bytes;
    char buffer[65536];
    while (bytes.size() < grenze) {
        const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, grenze - bytes.size()));
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;  // e.g. a folder given as a file
            ::close(fd);
            return fail(err);
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

bool unlesbarVorhanden(const std::string& path) {
    struct stat info;
    if (::stat(path.c_str(), &info) == 0) return !S_ISDIR(info.st_mode);
    return errno != ENOENT && errno != ENOTDIR;
}

ItemReader::ItemReader(std::string utf8Text) : text_(std::move(utf8Text)) {}

std::optional<ItemReader> ItemReader::open(const std::string& path, std::string* reason) {
    auto bytes = readFileBytes(path, reason);
    if (!bytes) return std::nullopt;
    return ItemReader(ansiToUtf8(*bytes));
}

bool ItemReader::atEnd() const { return pos_ >= text_.size() && !itemPending_; }

bool ItemReader::atLineEnd() const {
    return text_[pos_] == '\n' || text_.compare(pos_, 2, "\r\n") == 0;
}

void ItemReader::skipDelimiter() {
    if (pos_ >= text_.size()) return;
    if (text_[pos_] == ',') {
        ++pos_;
        itemPending_ = true;
    } else if (text_[pos_] == '\n') {
        ++pos_;
    } else if (text_.compare(pos_, 2, "\r\n") == 0) {
        pos_ += 2;
    }
}

std::string ItemReader::readUnquoted() {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] != ',' && !atLineEnd()) ++pos_;
    return text_.substr(start, pos_ - start);
}

std::string ItemReader::readQuoted() {
    std::string item;
    std::size_t p = pos_ + 1;
    while (p < text_.size()) {
        if (text_[p] == '"') {
            if (p + 1 < text_.size() && text_[p + 1] == '"') {
                item += '"';
                p += 2;
                continue;
            }
            // Closed: whatever stands between the quote and the next
            // delimiter does not belong to any item.
            pos_ = p + 1;
            while (pos_ < text_.size() && text_[pos_] != ',' && !atLineEnd()) ++pos_;
            return item;
        }
        item += text_[p++];
    }
    // No closing quote anywhere: read on as an unquoted item without the
    // quote, so a stray quote costs one item and not every item after it.
    ++pos_;
    return readUnquoted();
}

bool ItemReader::next(std::string& item) {
    if (atEnd()) return false;
    itemPending_ = false;
    while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '"')
        item = readQuoted();
    else
        item = readUnquoted();
    skipDelimiter();
    return true;
}

std::vector<std::string> parseItems(std::string_view utf8Text) {
    ItemReader reader{std::string(utf8Text)};
    std::vector<std::string> items;
    std::string item;
    while (reader.next(item)) items.push_back(item);
    return items;
}

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t lf = text.find('\n', start);
        if (lf == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        std::size_t end = lf;
        if (end > start && text[end - 1] == '\r') --end;
        lines.emplace_back(text.substr(start, end - start));
        start = lf + 1;
    }
    return lines;
}

std::optional<std::vector<std::string>> readLines(const std::string& path, std::string* reason) {
    auto bytes = readFileBytes(path, reason);
    if (!bytes) return std::nullopt;
    return splitLines(ansiToUtf8(*bytes));
}

}  // namespace common
