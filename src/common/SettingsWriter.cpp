#include "common/SettingsWriter.h"

#include "common/Encoding.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <unistd.h>

#include "common/CommandLine.h"
#include "common/Items.h"

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

std::string nameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The temporary file of a write of `path` by process `pid`: the target's
// name, ".tmp", the process id, "-" and a running number.
std::string temporaryPrefix(const std::string& path) { return path + ".tmp"; }

bool allDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// Removes the temporary files that writes of `target` left behind when their
// process was killed before the rename. Only those of processes that are gone
// go, and those of this process (a process that ran earlier under the same
// id: this one has none of its own open now); a write running in another
// living process keeps its file.
void removeLeftovers(const std::string& target) {
    const std::string prefix = nameOf(temporaryPrefix(target));
    const std::string folder = folderOf(target);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    std::vector<std::string> leftovers;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string_view rest = name.substr(prefix.size());
        const std::size_t dash = rest.find('-');
        if (dash == std::string_view::npos || !allDigits(rest.substr(0, dash)) ||
            !allDigits(rest.substr(dash + 1)) || dash > 9)
            continue;
        const pid_t pid = static_cast<pid_t>(std::stol(std::string(rest.substr(0, dash))));
        const bool gone = pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH;
        if (gone || pid == ::getpid()) leftovers.emplace_back(name);
    }
    ::closedir(dir);
    for (const std::string& name : leftovers) ::unlink((folder + "/" + name).c_str());
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// A write-protected file stays as it is, as a read-only file does on
// Windows, even where the system would let its folder's owner replace it.
bool writeProtected(const struct stat& info) {
    return S_ISREG(info.st_mode) && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
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
        tempPath = temporaryPrefix(path) + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

const std::string kSpielprogrammGrund =
    "Das ist das Programm des Spiels; es wird nicht überschrieben.";

bool istSpielprogramm(const std::string& path) {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    // The older native build was called "main".
    const std::string name = nameOf(path);
    if (istServerprogramm(name) || equalsIgnoringCase(name, "main")) return true;
    // A renamed copy is still a program: executable, and with the whole ELF
    // identification (0x7F "ELF", a class and a byte order of 1 or 2,
    // version 1). A settings file that merely begins with 0x7F is none.
    if ((info.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) == 0) return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    unsigned char id[7] = {};
    const ssize_t n = ::read(fd, id, sizeof id);
    ::close(fd);
    return n == 7 && id[0] == 0x7F && id[1] == 'E' && id[2] == 'L' && id[3] == 'F' &&
           (id[4] == 1 || id[4] == 2) && (id[5] == 1 || id[5] == 2) && id[6] == 1;
}

std::string nichtDarstellbarGrund(std::string_view text) {
    return "Der Text \"" + std::string(text) + "\" enthält Zeichen, die Windows-1252 nicht kennt.";
}

bool writeAnsiFileAtomic(const std::string& path, std::string_view utf8, std::string* reason) {
    if (!inAnsiDarstellbar(utf8)) {
        for (const std::string& zeile : splitLines(utf8)) {
            if (inAnsiDarstellbar(zeile)) continue;
            if (reason) *reason = nichtDarstellbarGrund(zeile);
            return false;
        }
    }
    return writeFileAtomic(path, utf8ToAnsi(utf8), reason);
}

bool leereDatei(const std::string& path, std::string* reason) {
    auto fail = [&](int err) {
        if (reason) *reason = std::strerror(err);
        return false;
    };
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0) return errno == ENOENT ? true : fail(errno);
    if (writeProtected(info)) return fail(EACCES);
    if (::unlink(path.c_str()) != 0) return errno == ENOENT ? true : fail(errno);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return fail(errno);
    if (::close(fd) != 0) return fail(errno);
    return true;
}

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
    // write-protected and stays as it is. A pipe, a device or a folder under
    // the name is nothing the tool wrote, and not replaced either.
    struct stat info;
    const bool exists = ::stat(target.c_str(), &info) == 0;
    if (exists && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) {
        if (reason) *reason = kKeineDatei;
        return false;
    }
    if (exists && writeProtected(info)) return fail(EACCES);
    if (exists && istSpielprogramm(target)) {
        if (reason) *reason = kSpielprogrammGrund;
        return false;
    }

    std::string tempPath;
    const int fd = createTemporary(target, tempPath);
    if (fd < 0) return fail(errno);
    if (exists) {
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
    removeLeftovers(target);
    return true;
}

void LineWriter::text(std::string_view v) { lines_.push_back({textItem(v), std::string(v)}); }

void LineWriter::integer(long n) { lines_.push_back({integerItem(n), integerItem(n)}); }

void LineWriter::raw(std::string_view v) { lines_.push_back({std::string(v), std::string(v)}); }

void LineWriter::rawBytes(std::string_view v) {
    lines_.push_back({std::string(v), std::string(v), true});
}

std::string LineWriter::bytes() const {
    std::string out;
    for (const Zeile& line : lines_) {
        out += line.bytes ? line.text : utf8ToAnsi(line.text);
        out += "\r\n";
    }
    return out;
}

std::optional<std::string> LineWriter::nichtDarstellbar() const {
    for (const Zeile& line : lines_)
        if (!line.bytes && !inAnsiDarstellbar(line.text)) return line.wert;
    return std::nullopt;
}

// A "?" in place of a character would change a name the user chose into
// another one, and the write would still look like a success.
bool LineWriter::writeTo(const std::string& path, std::string* reason) const {
    if (const std::optional<std::string> wert = nichtDarstellbar()) {
        if (reason) *reason = nichtDarstellbarGrund(*wert);
        return false;
    }
    return writeFileAtomic(path, bytes(), reason);
}

}  // namespace common
