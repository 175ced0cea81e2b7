#include "desktop/OwnProcesses.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <utility>

namespace desktop {
namespace {

bool isNumber(const char* name) {
    if (!*name) return false;
    for (; *name; ++name)
        if (!std::isdigit(static_cast<unsigned char>(*name))) return false;
    return true;
}

// A file of /proc, read whole up to `limit` bytes: they report no size.
std::string readProcFile(const std::string& path, std::size_t limit = 1 << 16) {
    return readUpTo(open(path.c_str(), O_RDONLY | O_CLOEXEC), limit);
}

std::string procPath(pid_t pid, const char* entry) {
    return "/proc/" + std::to_string(pid) + "/" + entry;
}

// Whose a process is, from the status the kernel makes of its credentials
// and counters: no part of it waits on the process's memory map, as its
// command line does.
struct Credentials {
    std::array<unsigned long, 4> uids{};  // real, effective, saved, file system
    bool capabilities = true;             // any permitted capability
    long process = 0;                     // the process's id, when this is one of its threads
};

// Whether a failed open says nothing about the file: the process ran out of
// descriptors or the machine of memory.
bool outOfResources(int error) { return error == EMFILE || error == ENFILE || error == ENOMEM; }

std::optional<Credentials> credentialsOf(int procFd, const char* pid, bool& blind) {
    const int fd = openat(procFd, (std::string(pid) + "/status").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && outOfResources(errno)) blind = true;
    const std::string status = readUpTo(fd, 2048);
    const auto uidLine = status.find("\nUid:");
    const auto capLine = status.find("\nCapPrm:");
    if (uidLine == std::string::npos) return std::nullopt;
    Credentials credentials;
    const char* at = status.c_str() + uidLine + 5;
    for (unsigned long& uid : credentials.uids) {
        char* end = nullptr;
        uid = std::strtoul(at, &end, 10);
        if (end == at) return std::nullopt;
        at = end;
    }
    if (capLine != std::string::npos)
        credentials.capabilities = std::strtoull(status.c_str() + capLine + 8, nullptr, 16) != 0;
    if (const auto tgid = status.find("\nTgid:"); tgid != std::string::npos)
        credentials.process = std::strtol(status.c_str() + tgid + 6, nullptr, 10);
    return credentials;
}

// Whether a process is this user's, and whether that can change while it
// runs. It cannot for a process without capabilities whose user ids are all
// another account's and none root's (it may take on none but its own), nor
// for one whose ids are all this user's when this user is not root, nor for
// a kernel thread.
struct Verdict {
    bool ours = false;
    bool lasting = false;
    // Root's own processes may change user at any time: one of them lasts
    // only while the owner of its entry stays the same.
    bool ownerWatched = false;
    uid_t owner = 0;
    // Its status could not be read for want of descriptors or memory: it
    // may be ours, and the scan that met it cannot tell.
    bool blind = false;
};

Verdict judge(int procFd, const char* pid) {
    const auto me = static_cast<unsigned long>(getuid());
    // The owner of /proc/PID is the process's effective user while it may be
    // inspected, root once it made itself non-dumpable.
    struct stat owner;
    if (fstatat(procFd, pid, &owner, 0) != 0) return {};
    const bool mayBeOurs = owner.st_uid == me || owner.st_uid == 0;
    if (mayBeOurs) {
        // A kernel thread has no program; nor has, to us, a process whose
        // files we may not look at, which could then tell us nothing. Most
        // of root's entries are kernel threads: one readlink each.
        char target[PATH_MAX];
        if (readlinkat(procFd, (std::string(pid) + "/exe").c_str(), target, sizeof target) <= 0)
            return {false, errno == ENOENT, false, owner.st_uid};
    }
    bool blind = false;
    const std::optional<Credentials> credentials = credentialsOf(procFd, pid, blind);
    if (!credentials) return {false, false, false, owner.st_uid, blind};
    // A thread's id leads to its entry too; it is part of its process.
    if (credentials->process != std::atol(pid)) return {false, true, false, owner.st_uid};
    const auto& ids = credentials->uids;
    const bool allMine = std::all_of(ids.begin(), ids.end(), [&](unsigned long id) { return id == me; });
    const bool noneMineNorRoot = std::none_of(ids.begin(), ids.end(),
                                              [&](unsigned long id) { return id == me || id == 0; });
    const bool ours = mayBeOurs && ids[0] == me;
    if (ours && me == 0) return {true, true, true, owner.st_uid};
    const bool lasting = !credentials->capabilities && (ours ? allMine : noneMineNorRoot);
    return {ours, lasting, false, owner.st_uid};
}

// The id given last to a process or thread in this pid namespace, -1 when
// unknown. Ids are given in rising order until they wrap around: whatever
// was made since an earlier reading has an id above it, up to this one.
long lastIdGiven() {
    const std::string text = readProcFile("/proc/sys/kernel/ns_last_pid", 32);
    char* end = nullptr;
    const long id = std::strtol(text.c_str(), &end, 10);
    return end != text.c_str() ? id : -1;
}

// What the scan keeps between calls. It judges each process once while
// what it judged cannot change (or, for root's own, while the owner of its
// entry stays), and keeps that while the process's entry in /proc is the one
// judged: a new process under an id used again gets an entry with another
// inode. On a busy machine most processes are another account's: a scan
// passes over them without a call of its own.
struct Known {
    ino_t inode;
    Verdict verdict;
};
struct ScanState {
    std::mutex mutex;
    std::unordered_map<pid_t, Known> known;  // lasting verdicts
    std::vector<pid_t> unsettled;            // judged anew at every scan
    // Ids given whose entry was not there yet: the kernel gives the id a
    // moment before the process shows in /proc.
    std::vector<pid_t> notYetThere;
    long seenUpTo = -1;  // the last id given at the last scan that looked
    std::optional<std::chrono::steady_clock::time_point> listed;  // the last listing of /proc
    std::size_t keptAtListing = 0;  // verdicts kept right after it
};

ScanState& scanState() {
    static ScanState state;
    return state;
}

// The most ids a scan looks at one by one; more, and it lists /proc.
constexpr long kMostLookedAt = 4096;
// The longest between two listings of /proc: a process made while the id
// counter went round is met by the next one.
constexpr auto kListingPeriod = std::chrono::seconds(2);

}  // namespace

int openRegular(const std::string& path, bool noLink) {
    struct stat info;
    const int found = noLink ? lstat(path.c_str(), &info) : stat(path.c_str(), &info);
    // A device is not even opened: its open may wait, or do something.
    if (found != 0 || !S_ISREG(info.st_mode)) return -1;
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY |
                                          (noLink ? O_NOFOLLOW : 0));
    // Checked again on what was opened, in case the name changed between.
    if (fd >= 0 && (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        close(fd);
        return -1;
    }
    return fd;
}

std::string readUpTo(int fd, std::size_t limit) {
    std::string bytes;
    if (fd < 0) return bytes;
    // Each read of a /proc file makes the kernel write the text anew up to
    // the size asked for: a long map (a process under Wine maps hundreds of
    // files) is read in growing pieces, a command line in one.
    std::size_t piece = std::min<std::size_t>(4096, limit);
    while (bytes.size() < limit) {
        const std::size_t have = bytes.size();
        bytes.resize(have + std::min(piece, limit - have));
        const ssize_t n = read(fd, bytes.data() + have, bytes.size() - have);
        bytes.resize(have + static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        piece = std::min<std::size_t>(piece * 2, 1 << 18);
    }
    close(fd);
    return bytes;
}

std::string linkTarget(const std::string& link) {
    char buffer[PATH_MAX];
    const ssize_t n = readlink(link.c_str(), buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

std::optional<std::vector<pid_t>> ownProcessIds() {
    ScanState& s = scanState();
    const std::lock_guard<std::mutex> lock(s.mutex);

    const int procFd = open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (procFd < 0) return std::nullopt;
    // Read before looking: what is made meanwhile is looked at next time.
    const long given = lastIdGiven();
    const auto now = std::chrono::steady_clock::now();
    // Set when a process could not be judged: it may be ours, so the scan
    // has no answer, and the next one lists /proc to meet it again.
    bool blind = false;

    // A process met now, with the inode of its entry.
    auto meet = [&](pid_t pid, const char* name, ino_t inode) {
        if (const auto it = s.known.find(pid); it != s.known.end()) {
            if (it->second.inode == inode) return;
            s.known.erase(it);  // the verdict of a process that is gone
        }
        const Verdict verdict = judge(procFd, name);
        if (verdict.blind)
            blind = true;
        else if (verdict.lasting)
            s.known[pid] = Known{inode, verdict};
        else
            s.unsettled.push_back(pid);
    };

    // The ids given since the last look say what is new only while the
    // counter has not gone round in between, which no reading shows: /proc
    // is listed every few seconds whatever it did. A listing also drops the
    // verdicts about processes that ended, which looks at new ids alone
    // never meet again; between listings they add at most one look's worth.
    const bool listingDue = !s.listed || now - *s.listed >= kListingPeriod ||
                            s.known.size() + s.unsettled.size() > s.keptAtListing + kMostLookedAt;
    bool looked = false;
    if (!listingDue && given >= 0 && s.seenUpTo >= 0 && given >= s.seenUpTo &&
        given - s.seenUpTo <= kMostLookedAt) {
        const std::vector<pid_t> again = std::exchange(s.notYetThere, {});
        auto look = [&](long id, bool lastTime) {
            const std::string name = std::to_string(id);
            struct stat entry;
            if (fstatat(procFd, name.c_str(), &entry, 0) == 0)
                meet(static_cast<pid_t>(id), name.c_str(), entry.st_ino);
            else if (!lastTime && errno == ENOENT)
                s.notYetThere.push_back(static_cast<pid_t>(id));
        };
        for (const pid_t id : again) look(id, true);
        for (long id = s.seenUpTo + 1; id <= given; ++id) look(id, false);
        looked = true;
    } else if (DIR* proc = opendir("/proc")) {
        const auto before = std::move(s.known);
        s.known.clear();
        s.unsettled.clear();
        s.notYetThere.clear();
        for (;;) {
            errno = 0;
            const dirent* entry = readdir(proc);
            if (!entry) {
                if (errno != 0) blind = true;
                break;
            }
            if (!isNumber(entry->d_name)) continue;
            const auto pid = static_cast<pid_t>(std::atol(entry->d_name));
            const auto it = before.find(pid);
            if (it != before.end() && it->second.inode == entry->d_ino)
                s.known.emplace(pid, it->second);
            else
                meet(pid, entry->d_name, entry->d_ino);
        }
        closedir(proc);
        s.listed = now;
        s.keptAtListing = s.known.size() + s.unsettled.size();
        looked = true;
    }
    // A scan that could not look leaves the ids since the last one for the
    // next, and has no answer.
    if (!looked) {
        close(procFd);
        return std::nullopt;
    }
    s.seenUpTo = given;

    // This user's processes: the known ones whose entry is still the one
    // judged, and whichever of the unsettled ones are.
    std::vector<pid_t> ids;
    std::vector<pid_t> stillUnsettled;
    for (auto it = s.known.begin(); it != s.known.end();) {
        Known& k = it->second;
        if (!k.verdict.ours) {
            ++it;
            continue;
        }
        const std::string name = std::to_string(it->first);
        struct stat entry;
        if (fstatat(procFd, name.c_str(), &entry, 0) != 0) {
            it = s.known.erase(it);  // it has ended
            continue;
        }
        if (entry.st_ino != k.inode) {
            // Another process under an id used again: judged below as new.
            s.unsettled.push_back(it->first);
            it = s.known.erase(it);
            continue;
        }
        if (k.verdict.ownerWatched && entry.st_uid != k.verdict.owner) {
            const Verdict verdict = judge(procFd, name.c_str());
            if (verdict.blind)
                blind = true;
            else
                k.verdict = verdict;
        }
        if (k.verdict.ours) ids.push_back(it->first);
        if (k.verdict.lasting) {
            ++it;
        } else {
            stillUnsettled.push_back(it->first);
            it = s.known.erase(it);
        }
    }
    std::sort(s.unsettled.begin(), s.unsettled.end());
    s.unsettled.erase(std::unique(s.unsettled.begin(), s.unsettled.end()), s.unsettled.end());
    for (const pid_t pid : s.unsettled) {
        const std::string name = std::to_string(pid);
        struct stat entry;
        if (fstatat(procFd, name.c_str(), &entry, 0) != 0) continue;  // ended
        const Verdict verdict = judge(procFd, name.c_str());
        if (verdict.blind) blind = true;
        if (verdict.ours) ids.push_back(pid);
        if (verdict.lasting)
            s.known[pid] = Known{entry.st_ino, verdict};
        else
            stillUnsettled.push_back(pid);
    }
    s.unsettled = std::move(stillUnsettled);
    close(procFd);
    if (blind) {
        s.listed.reset();
        return std::nullopt;
    }
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}

bool verdictKept(pid_t pid) {
    ScanState& s = scanState();
    const std::lock_guard<std::mutex> lock(s.mutex);
    return s.known.count(pid) > 0 ||
           std::find(s.unsettled.begin(), s.unsettled.end(), pid) != s.unsettled.end();
}

bool ownProcess(pid_t pid) {
    const int procFd = open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (procFd < 0) return false;
    const bool ours = pid > 0 && judge(procFd, std::to_string(pid).c_str()).ours;
    close(procFd);
    return ours;
}

ProcessStat processStat(pid_t pid) {
    ProcessStat result;
    if (pid <= 0) return result;
    // The name, in parentheses, may hold any character: the fields follow
    // the last ")".
    const std::string stat = readProcFile(procPath(pid, "stat"), 4096);
    const auto paren = stat.rfind(')');
    if (paren == std::string::npos || paren + 2 >= stat.size()) return result;
    std::size_t pos = paren + 1;
    // Field 22 is the start time, counted from the state (field 3).
    for (int field = 3; field <= 22; ++field) {
        pos = stat.find_first_not_of(' ', pos);
        if (pos == std::string::npos) return result;
        if (field == 3) result.state = stat[pos];
        if (field == 22) result.startTicks = std::strtoull(stat.c_str() + pos, nullptr, 10);
        pos = stat.find(' ', pos);
        if (pos == std::string::npos) break;
    }
    return result;
}

unsigned long long startTicksOf(pid_t pid) { return processStat(pid).startTicks; }

bool processRuns(pid_t pid) { return processStat(pid).runs(); }

bool processIs(pid_t pid, unsigned long long startTicks) {
    const ProcessStat stat = processStat(pid);
    return stat.runs() && stat.startTicks == startTicks;
}

std::vector<std::string> commandWords(pid_t pid) {
    const std::string bytes = readProcFile(procPath(pid, "cmdline"));
    std::vector<std::string> words;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\0', start);
        if (end == std::string::npos) end = bytes.size();
        words.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return words;
}

std::string currentFolderOf(pid_t pid) { return linkTarget(procPath(pid, "cwd")); }

bool anyOpenFile(pid_t pid, const std::function<bool(const std::string&)>& visit) {
    const std::string fdFolder = procPath(pid, "fd");
    DIR* dir = opendir(fdFolder.c_str());
    if (!dir) return false;
    bool found = false;
    while (!found) {
        const dirent* entry = readdir(dir);
        if (!entry) break;
        if (isNumber(entry->d_name)) found = visit(fdFolder + "/" + entry->d_name);
    }
    closedir(dir);
    return found;
}

bool anyMapping(pid_t pid, const std::function<bool(std::string_view)>& visit) {
    const std::string maps = readProcFile(procPath(pid, "maps"), 1 << 24);
    std::size_t start = 0;
    while (start < maps.size()) {
        std::size_t end = maps.find('\n', start);
        if (end == std::string::npos) end = maps.size();
        if (visit(std::string_view(maps).substr(start, end - start))) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace desktop
