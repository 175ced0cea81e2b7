#include "common/SettingsWriter.h"

#include "common/Encoding.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace common {

std::string integerItem(long n) {
    // The sign place holds a blank for a value of 0 or more.
    return (n >= 0 ? " " : "") + std::to_string(n) + " ";
}

std::string textItem(std::string_view text) {
    const bool needsQuotes = text.find_first_of(",\r\n") != std::string_view::npos ||
                             (!text.empty() && (text.front() == ' ' || text.front() == '"'));
    if (!needsQuotes) return std::string(text);
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

namespace {

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Creates a fresh temporary file beside `path`. Mode 0666 lets the umask
// give it the permissions any new file of the user gets.
int createTemporary(const std::string& path, std::string& tempPath) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

bool writeFileAtomic(const std::string& path, std::string_view bytes, std::string* reason) {
    auto fail = [&](int err) {
        if (reason) *reason = std::strerror(err);
        return false;
    };
    std::string tempPath;
    const int fd = createTemporary(path, tempPath);
    if (fd < 0) return fail(errno);

    int err = 0;
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0 && ::rename(tempPath.c_str(), path.c_str()) != 0) err = errno;
    if (err != 0) {
        ::unlink(tempPath.c_str());
        return fail(err);
    }
    // Make the rename itself durable; the file is in place either way.
    const int dir = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

void LineWriter::text(std::string_view v) { lines_.push_back(textItem(v)); }

void LineWriter::integer(long n) { lines_.push_back(integerItem(n)); }

void LineWriter::raw(std::string_view v) { lines_.emplace_back(v); }

std::string LineWriter::bytes() const {
    std::string out;
    for (const auto& line : lines_) {
        out += utf8ToAnsi(line);
        out += "\r\n";
    }
    return out;
}

bool LineWriter::writeTo(const std::string& path, std::string* reason) const {
    return writeFileAtomic(path, bytes(), reason);
}

}  // namespace common
