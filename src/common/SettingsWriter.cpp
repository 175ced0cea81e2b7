#include "common/SettingsWriter.h"

#include "common/Encoding.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <climits>
#include <cstdlib>
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
    // A link is followed, so the file it names is replaced, not the link.
    std::string target = path;
    char resolved[PATH_MAX];
    struct stat linkInfo;
    if (::lstat(path.c_str(), &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode) &&
        ::realpath(path.c_str(), resolved) != nullptr)
        target = resolved;
    // An existing file keeps its permissions; one that nobody may write is
    // write-protected, as a read-only file is on Windows, and stays as it is.
    struct stat info;
    const bool exists = ::stat(target.c_str(), &info) == 0;
    if (exists && S_ISREG(info.st_mode) && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return fail(EACCES);

    std::string tempPath;
    const int fd = createTemporary(target, tempPath);
    if (fd < 0) return fail(errno);
    if (exists && S_ISREG(info.st_mode)) {
        ::fchmod(fd, info.st_mode & 07777);
        // Only root may give the file back to its owner; for anybody else the
        // writer is the owner already, so a failure here changes nothing.
        [[maybe_unused]] const int owned = ::fchown(fd, info.st_uid, info.st_gid);
    }

    int err = 0;
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0 && ::rename(tempPath.c_str(), target.c_str()) != 0) err = errno;
    if (err != 0) {
        ::unlink(tempPath.c_str());
        return fail(err);
    }
    // Make the rename itself durable; the file is in place either way.
    const int dir = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
