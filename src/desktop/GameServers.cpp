#include "desktop/GameServers.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <unordered_map>

#include "common/CommandLine.h"
#include "common/Paths.h"

namespace desktop {
namespace {

bool isNumber(const char* name) {
    if (!*name) return false;
    for (; *name; ++name)
        if (!std::isdigit(static_cast<unsigned char>(*name))) return false;
    return true;
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Opens a file for reading without waiting (a pipe's writer) and without
// following a last link when `noLink`; -1 unless it is a regular file.
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

// Up to `limit` bytes from the descriptor, which it closes.
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

std::optional<Credentials> credentialsOf(int procFd, const char* pid) {
    const std::string status =
        readUpTo(openat(procFd, (std::string(pid) + "/status").c_str(), O_RDONLY | O_CLOEXEC), 2048);
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
    const std::optional<Credentials> credentials = credentialsOf(procFd, pid);
    if (!credentials) return {};
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

// The process's state and start time, from its stat (the name, in
// parentheses, may hold any character). State 0 when it is gone.
struct ProcessStat {
    char state = 0;
    unsigned long long startTicks = 0;
    // It exists and has not ended (a zombie waiting to be reaped by whoever
    // inherited it has ended).
    bool runs() const { return state != 0 && state != 'Z'; }
};

ProcessStat statOf(pid_t pid) {
    ProcessStat result;
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

std::string linkTarget(const std::string& link) {
    char buffer[PATH_MAX];
    const ssize_t n = readlink(link.c_str(), buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

// A path as the game's process names it: Wine's drive Z: is the whole file
// system; a relative path is taken from the folder given, and stays
// relative without one.
std::string hostPath(std::string path, const std::string& folder) {
    if (path.size() > 2 && (path[0] == 'Z' || path[0] == 'z') && path[1] == ':' &&
        (path[2] == '\\' || path[2] == '/')) {
        path.erase(0, 2);
        std::replace(path.begin(), path.end(), '\\', '/');
    }
    if (!path.empty() && path[0] != '/' && !folder.empty()) path = common::pfad(folder, path);
    return path;
}

// The folder as /proc names the files in it: absolute, links resolved.
std::string canonicalFolder(const std::string& folder) {
    char* real = realpath(folder.c_str(), nullptr);
    if (!real) return {};
    std::string canonical(real);
    free(real);
    return canonical;
}

bool inFolder(std::string_view path, const std::string& canonical) {
    return path.size() > canonical.size() && path.compare(0, canonical.size(), canonical) == 0 &&
           (canonical == "/" || path[canonical.size()] == '/');
}

// Whether the process holds a file under the canonical folder open.
bool holdsOpen(pid_t pid, const std::string& canonical) {
    return anyOpenFile(pid,
                       [&](const std::string& fd) { return inFolder(linkTarget(fd), canonical); });
}

// Calls `visit` with each line of the process's memory map until it returns
// true; whether one did.
template <typename Visit>
bool anyMapping(pid_t pid, Visit visit) {
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

// Whether the process has a file under the canonical folder mapped: a loaded
// module stays mapped after its descriptor was closed. Each line of the map
// ends in the mapped file's path, from the first "/".
bool holdsMapped(pid_t pid, const std::string& canonical) {
    return anyMapping(pid, [&](std::string_view line) {
        const auto slash = line.find('/');
        return slash != std::string_view::npos && inFolder(line.substr(slash), canonical);
    });
}

// Whether one of the process's mappings is the file: the map names the
// device as "major:minor" in hex, then the inode.
bool mapsFile(pid_t pid, const struct stat& target) {
    return anyMapping(pid, [&](std::string_view line) {
        unsigned long major = 0, minor = 0;
        unsigned long long inode = 0;
        const std::string text(line.substr(0, std::min<std::size_t>(line.size(), 200)));
        return std::sscanf(text.c_str(), "%*s %*s %*s %lx:%lx %llu", &major, &minor, &inode) == 3 &&
               inode != 0 && inode == target.st_ino && makedev(major, minor) == target.st_dev;
    });
}

// The inodes of the sockets among the process's open files.
std::set<unsigned long long> socketInodesOf(pid_t pid) {
    std::set<unsigned long long> inodes;
    anyOpenFile(pid, [&](const std::string& fd) {
        const std::string target = linkTarget(fd);
        if (target.compare(0, 8, "socket:[") == 0)
            inodes.insert(std::strtoull(target.c_str() + 8, nullptr, 10));
        return false;
    });
    return inodes;
}

struct Listener {
    unsigned long long inode = 0;
    ListeningSocket socket;
};

// The address a socket's table line names: hex words of 32 bits each, as the
// kernel holds them in memory.
bool hexAddress(std::string_view hex, ListeningSocket& socket) {
    if (hex.size() != 8 && hex.size() != 32) return false;
    socket.family = hex.size() == 8 ? AF_INET : AF_INET6;
    for (std::size_t word = 0; word * 8 < hex.size(); ++word) {
        const std::string digits(hex.substr(word * 8, 8));
        char* end = nullptr;
        const auto value = static_cast<uint32_t>(std::strtoul(digits.c_str(), &end, 16));
        if (end != digits.c_str() + 8) return false;
        std::memcpy(socket.address.data() + word * 4, &value, 4);
    }
    return true;
}

// The listening TCP sockets on the port (every port for 0), from one of the
// kernel's socket tables: "sl local_address rem_address st ... inode", the
// address as hex "ADDR:PORT", st 0A for listening.
void listenersFromTable(const char* table, int port, std::vector<Listener>& found) {
    const std::string text = readProcFile(table, 1 << 24);
    std::size_t start = text.find('\n');
    while (start != std::string::npos && start + 1 < text.size()) {
        ++start;
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        char local[64], remote[64], state[8];
        Listener listener;
        const std::string line = text.substr(start, end - start);
        if (std::sscanf(line.c_str(), "%*s %63s %63s %7s %*s %*s %*s %*s %*s %llu", local, remote,
                        state, &listener.inode) == 4 &&
            std::strcmp(state, "0A") == 0 && listener.inode != 0) {
            const char* colon = std::strrchr(local, ':');
            listener.socket.port = colon ? static_cast<int>(std::strtol(colon + 1, nullptr, 16)) : 0;
            if (colon && (port == 0 || listener.socket.port == port) &&
                hexAddress(std::string_view(local, static_cast<std::size_t>(colon - local)),
                           listener.socket))
                found.push_back(listener);
        }
        start = end;
    }
}

// The same from the kernel's socket diagnostics, asked for listening TCP
// sockets only: far cheaper than the text tables, which the kernel makes
// by walking every socket. False when the kernel does not answer.
bool listenersByNetlink(int family, int port, std::vector<Listener>& found) {
    const int fd = socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG);
    if (fd < 0) return false;
    struct {
        nlmsghdr header;
        inet_diag_req_v2 request;
    } message{};
    message.header.nlmsg_len = sizeof message;
    message.header.nlmsg_type = SOCK_DIAG_BY_FAMILY;
    message.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    message.request.sdiag_family = static_cast<__u8>(family);
    message.request.sdiag_protocol = IPPROTO_TCP;
    message.request.idiag_states = 1u << TCP_LISTEN;
    bool answered = send(fd, &message, sizeof message, 0) == static_cast<ssize_t>(sizeof message);
    // A dump ends with NLMSG_DONE; a bounded number of reads, in case the
    // kernel keeps sending.
    bool done = false;
    alignas(nlmsghdr) char buffer[16384];
    for (int reads = 0; answered && !done && reads < 256; ++reads) {
        ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            answered = false;
            break;
        }
        for (auto* h = reinterpret_cast<nlmsghdr*>(buffer); NLMSG_OK(h, n); h = NLMSG_NEXT(h, n)) {
            if (h->nlmsg_type == NLMSG_ERROR) answered = false;
            if (h->nlmsg_type == NLMSG_DONE || h->nlmsg_type == NLMSG_ERROR) {
                done = true;
                break;
            }
            const auto* info = static_cast<const inet_diag_msg*>(NLMSG_DATA(h));
            Listener listener;
            listener.inode = info->idiag_inode;
            listener.socket.family = info->idiag_family;
            listener.socket.port = ntohs(info->id.idiag_sport);
            std::memcpy(listener.socket.address.data(), info->id.idiag_src,
                        info->idiag_family == AF_INET ? 4 : 16);
            if (listener.inode != 0 && (port == 0 || listener.socket.port == port))
                found.push_back(listener);
        }
    }
    close(fd);
    return answered && done;
}

std::vector<Listener> listeners(int port) {
    std::vector<Listener> found;
    if (port < 0 || port > 65535) return found;
    if (listenersByNetlink(AF_INET, port, found) && listenersByNetlink(AF_INET6, port, found))
        return found;
    found.clear();
    listenersFromTable("/proc/net/tcp", port, found);
    listenersFromTable("/proc/net/tcp6", port, found);
    return found;
}

// Where to call a socket: one on every address answers on the loopback one.
ListeningSocket callable(ListeningSocket socket) {
    const bool any = std::all_of(socket.address.begin(), socket.address.end(),
                                 [](unsigned char b) { return b == 0; });
    if (any && socket.family == AF_INET) {
        const uint32_t loopback = htonl(INADDR_LOOPBACK);
        std::memcpy(socket.address.data(), &loopback, 4);
    } else if (any) {
        std::memcpy(socket.address.data(), &in6addr_loopback, 16);
    }
    return socket;
}

// The game servers among this user's processes, without reading their
// configurations (the status poll needs none). Another account's process is
// passed over before its command line is read: that read waits while the
// process changes its memory map, which it may do without end.
std::vector<GameServer> scanServers() {
    std::vector<GameServer> servers;
    for (const pid_t pid : ownProcessIds()) {
        std::vector<std::string> words = commandWords(pid);
        // Cheap test first: most processes are no server of the game.
        if (std::none_of(words.begin(), words.end(),
                         [](const std::string& w) { return lower(w) == "-dedicated"; }))
            continue;
        // Its relative paths are its own folder's; unknown when its folder
        // cannot be read, and then they name nothing here.
        auto server = gameServerOf(words, linkTarget(procPath(pid, "cwd")));
        if (!server) continue;
        const ProcessStat stat = statOf(pid);
        if (!stat.runs()) continue;
        server->pid = pid;
        server->startTicks = stat.startTicks;
        servers.push_back(std::move(*server));
    }
    std::sort(servers.begin(), servers.end(), [](const GameServer& a, const GameServer& b) {
        return a.startTicks != b.startTicks ? a.startTicks < b.startTicks : a.pid < b.pid;
    });
    return servers;
}

// The game servers from a scan that ended at most 10 ms ago: the status poll
// asks for both servers' folders in one go, and one pass over /proc serves
// both. The next poll, a second later, scans afresh.
std::vector<GameServer> recentServers() {
    using Clock = std::chrono::steady_clock;
    constexpr auto kFresh = std::chrono::milliseconds(10);
    static std::mutex mutex;
    static std::optional<Clock::time_point> scanned;
    static std::vector<GameServer> servers;
    const std::lock_guard<std::mutex> lock(mutex);
    if (!scanned || Clock::now() - *scanned > kFresh) {
        servers = scanServers();
        scanned = Clock::now();
    }
    return servers;
}

// Each server's console settings, read from its configuration once per
// server process: a scan runs four times a second, and what counts is what
// the server read at its start, not what a later start wrote into the same
// file. Entries of processes that have ended go.
void withConsoles(std::vector<GameServer>& servers) {
    struct Known {
        pid_t pid;
        unsigned long long startTicks;
        ConsoleSettings console;
    };
    static std::mutex mutex;
    static std::vector<Known> known;
    const std::lock_guard<std::mutex> lock(mutex);
    std::erase_if(known, [](const Known& k) { return !processIs(k.pid, k.startTicks); });
    for (GameServer& server : servers) {
        const auto it = std::find_if(known.begin(), known.end(), [&](const Known& k) {
            return k.pid == server.pid && k.startTicks == server.startTicks;
        });
        if (it != known.end()) {
            server.console = it->console;
            continue;
        }
        if (!server.config.empty())
            server.console = consoleSettingsOf(server.config).value_or(ConsoleSettings{});
        known.push_back({server.pid, server.startTicks, server.console});
    }
}

}  // namespace

std::vector<pid_t> ownProcessIds() {
    // What was judged of each process that cannot change while it runs (or,
    // for root's own, while the owner of its entry stays), kept while its
    // entry in /proc is the same: a new process under an id used again gets
    // an entry with another inode. On a busy machine most processes are
    // another account's: a scan passes over them without a call of its own.
    // /proc is listed only when the ids given since the last scan cannot be
    // told: they wrapped around, or too many were given to look at each.
    constexpr long kMostLookedAt = 4096;
    struct Known {
        ino_t inode;
        Verdict verdict;
    };
    static std::mutex mutex;
    static std::unordered_map<pid_t, Known> known;  // lasting verdicts
    static std::vector<pid_t> unsettled;            // judged anew at every scan
    static long seenUpTo = -1;                      // the last id given at the last scan
    const std::lock_guard<std::mutex> lock(mutex);

    const int procFd = open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (procFd < 0) return {};
    // Read before looking: what is made meanwhile is looked at next time.
    const long given = lastIdGiven();

    // A process met now, with the inode of its entry.
    auto meet = [&](pid_t pid, const char* name, ino_t inode) {
        const auto it = known.find(pid);
        if (it != known.end() && it->second.inode == inode) return;
        const Verdict verdict = judge(procFd, name);
        if (verdict.lasting)
            known[pid] = Known{inode, verdict};
        else
            unsettled.push_back(pid);
    };

    if (given >= 0 && seenUpTo >= 0 && given >= seenUpTo && given - seenUpTo <= kMostLookedAt) {
        for (long id = seenUpTo + 1; id <= given; ++id) {
            const std::string name = std::to_string(id);
            struct stat entry;
            if (fstatat(procFd, name.c_str(), &entry, 0) == 0)
                meet(static_cast<pid_t>(id), name.c_str(), entry.st_ino);
        }
    } else if (DIR* proc = opendir("/proc")) {
        const auto before = std::move(known);
        known.clear();
        unsettled.clear();
        while (const dirent* entry = readdir(proc)) {
            if (!isNumber(entry->d_name)) continue;
            const auto pid = static_cast<pid_t>(std::atol(entry->d_name));
            const auto it = before.find(pid);
            if (it != before.end() && it->second.inode == entry->d_ino)
                known.emplace(pid, it->second);
            else
                meet(pid, entry->d_name, entry->d_ino);
        }
        closedir(proc);
    }
    seenUpTo = given;

    // This user's processes: the known ones that still run as before, and
    // whichever of the unsettled ones are.
    std::vector<pid_t> ids;
    std::vector<pid_t> stillUnsettled;
    for (auto it = known.begin(); it != known.end();) {
        Known& k = it->second;
        if (!k.verdict.ours) {
            ++it;
            continue;
        }
        const std::string name = std::to_string(it->first);
        struct stat owner;
        if (fstatat(procFd, name.c_str(), &owner, 0) != 0) {
            it = known.erase(it);  // it has ended
            continue;
        }
        if (k.verdict.ownerWatched && owner.st_uid != k.verdict.owner)
            k.verdict = judge(procFd, name.c_str());
        if (k.verdict.ours) ids.push_back(it->first);
        if (k.verdict.lasting) {
            ++it;
        } else {
            stillUnsettled.push_back(it->first);
            it = known.erase(it);
        }
    }
    for (const pid_t pid : unsettled) {
        const std::string name = std::to_string(pid);
        struct stat entry;
        if (fstatat(procFd, name.c_str(), &entry, 0) != 0) continue;  // ended
        const Verdict verdict = judge(procFd, name.c_str());
        if (verdict.ours) ids.push_back(pid);
        if (verdict.lasting)
            known[pid] = Known{entry.st_ino, verdict};
        else
            stillUnsettled.push_back(pid);
    }
    unsettled = std::move(stillUnsettled);
    close(procFd);
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}

bool ownProcess(pid_t pid) {
    const int procFd = open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (procFd < 0) return false;
    const bool ours = pid > 0 && judge(procFd, std::to_string(pid).c_str()).ours;
    close(procFd);
    return ours;
}

unsigned long long startTicksOf(pid_t pid) { return statOf(pid).startTicks; }

bool processRuns(pid_t pid) { return pid > 0 && statOf(pid).runs(); }

bool processIs(pid_t pid, unsigned long long startTicks) {
    const ProcessStat stat = pid > 0 ? statOf(pid) : ProcessStat{};
    return stat.runs() && stat.startTicks == startTicks;
}

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

std::optional<ConsoleSettings> consoleSettingsOf(const std::string& path) {
    const int fd = openRegular(path, false);
    if (fd < 0) return std::nullopt;
    const common::Spielkonfiguration read =
        common::spielkonfigurationAus(readUpTo(fd, common::kKonfigurationsGrenze));
    ConsoleSettings settings;
    settings.port = common::portGültig(read.konsolenport) ? std::stoi(read.konsolenport) : 0;
    settings.allowed = read.konsoleErlaubt;
    settings.password = read.konsolenpasswort;
    return settings;
}

std::optional<GameServer> gameServerOf(const std::vector<std::string>& words,
                                       const std::string& folder) {
    if (words.empty()) return std::nullopt;
    // Under Wine the first word may be the loader; the game's program is
    // the first word that names it.
    std::size_t first = 0;
    for (; first < words.size(); ++first) {
        const std::string& word = words[first];
        const auto sep = word.find_last_of("/\\");
        if (common::istServerprogramm(sep == std::string::npos ? word : word.substr(sep + 1)))
            break;
        // Only a loader may stand before the program, never an option.
        if (!word.empty() && word[0] == '-') return std::nullopt;
    }
    if (first >= words.size()) return std::nullopt;
    GameServer server;
    server.words = words;
    server.program = hostPath(words[first], folder);
    // The game takes the first of an option given twice.
    bool dedicated = false, tempdir = false;
    for (std::size_t i = first + 1; i + 1 < words.size(); ++i) {
        const std::string option = lower(words[i]);
        if (option == "-dedicated" && !dedicated) {
            dedicated = true;
            server.config = hostPath(words[i + 1], folder);
        } else if (option == "-tempdir" && !tempdir) {
            tempdir = true;
            server.tempdir = hostPath(words[i + 1], folder);
        }
    }
    if (!dedicated) return std::nullopt;
    return server;
}

std::vector<GameServer> runningGameServers() {
    std::vector<GameServer> servers = scanServers();
    withConsoles(servers);
    return servers;
}

std::vector<GameServer> runningGameServersIn(const std::string& folder) {
    std::vector<GameServer> servers;
    const std::string canonical = canonicalFolder(folder);
    if (canonical.empty()) return servers;
    for (GameServer& server : scanServers()) {
        // A program named relative to a folder that could not be read is
        // nobody's here: it is never taken from the tool's own folder.
        const auto slash = server.program.find_last_of('/');
        if (server.program.empty() || server.program[0] != '/') continue;
        // The folder, not the program: the program may be a link to
        // elsewhere, and what counts is where it was started from.
        const std::string programFolder = server.program.substr(0, slash == 0 ? 1 : slash);
        if (canonicalFolder(programFolder) != canonical) continue;
        servers.push_back(std::move(server));
    }
    withConsoles(servers);
    return servers;
}

std::optional<GameServer> runningGameServer(pid_t pid) {
    const ProcessStat stat = statOf(pid);
    if (!stat.runs() || !ownProcess(pid)) return std::nullopt;
    auto server = gameServerOf(commandWords(pid), linkTarget(procPath(pid, "cwd")));
    if (!server) return std::nullopt;
    server->pid = pid;
    server->startTicks = stat.startTicks;
    std::vector<GameServer> one{std::move(*server)};
    withConsoles(one);
    return std::move(one.front());
}

bool holdsFolder(pid_t pid, const std::string& folder) {
    const std::string canonical = canonicalFolder(folder);
    return !canonical.empty() && (holdsOpen(pid, canonical) || holdsMapped(pid, canonical));
}

std::string gameLock(pid_t pid) {
    const auto id = static_cast<uint32_t>(pid);
    std::string lock = "LOCK";
    for (int shift = 0; shift < 32; shift += 8) lock += static_cast<char>((id >> shift) & 0xFF);
    return lock;
}

pid_t runningLockHolder(const std::string& path) {
    // Whoever may write the folder may put anything there under that name:
    // a link, a pipe, a few bytes that look like a lock.
    const int fd = openRegular(path, true);
    if (fd < 0) return 0;
    const std::string bytes = readUpTo(fd, 9);
    if (bytes.size() != 8 || bytes.compare(0, 4, "LOCK") != 0) return 0;
    uint32_t id = 0;
    for (int i = 7; i >= 4; --i) id = (id << 8) | static_cast<unsigned char>(bytes[i]);
    const auto pid = static_cast<pid_t>(id);
    if (pid <= 0 || id > static_cast<uint32_t>(INT_MAX)) return 0;
    return processRuns(pid) && ownProcess(pid) ? pid : 0;
}

bool folderInUse(const std::string& folder) {
    const std::string canonical = canonicalFolder(folder);
    if (canonical.empty()) return false;
    if (runningLockHolder(canonical + "/.lock") != 0) return true;
    // Open files first, for every server: a server's map is far longer to
    // read than its list of open files.
    const std::vector<GameServer> servers = recentServers();
    return std::any_of(servers.begin(), servers.end(),
                       [&](const GameServer& s) { return holdsOpen(s.pid, canonical); }) ||
           std::any_of(servers.begin(), servers.end(),
                       [&](const GameServer& s) { return holdsMapped(s.pid, canonical); });
}

bool fileInUse(const std::string& path) {
    struct stat target {};
    if (stat(path.c_str(), &target) != 0) return false;
    const auto slash = path.rfind('/');
    if (path.compare(slash == std::string::npos ? 0 : slash + 1, std::string::npos, ".lock") == 0 &&
        runningLockHolder(path) != 0)
        return true;
    for (const pid_t pid : ownProcessIds()) {
        const bool held = anyOpenFile(pid, [&](const std::string& fd) {
            // stat follows the entry to the open file itself.
            struct stat open {};
            return stat(fd.c_str(), &open) == 0 && open.st_dev == target.st_dev &&
                   open.st_ino == target.st_ino;
        });
        if (held || mapsFile(pid, target)) return true;
    }
    return false;
}

std::string ListeningSocket::text() const {
    char address[INET6_ADDRSTRLEN] = {};
    inet_ntop(family, this->address.data(), address, sizeof address);
    return family == AF_INET6 ? "[" + std::string(address) + "]:" + std::to_string(port)
                              : std::string(address) + ":" + std::to_string(port);
}

std::optional<ListeningSocket> consoleSocketOf(pid_t pid, int preferredPort) {
    const std::set<unsigned long long> inodes = socketInodesOf(pid);
    if (inodes.empty()) return std::nullopt;
    std::vector<ListeningSocket> owned;
    for (const Listener& listener : listeners(0))
        if (inodes.count(listener.inode)) owned.push_back(listener.socket);
    if (owned.empty()) return std::nullopt;
    const bool onPreferred = std::any_of(owned.begin(), owned.end(), [&](const ListeningSocket& s) {
        return s.port == preferredPort;
    });
    const int port = onPreferred ? preferredPort : owned.front().port;
    if (!onPreferred && std::any_of(owned.begin(), owned.end(),
                                    [&](const ListeningSocket& s) { return s.port != port; }))
        return std::nullopt;
    // IPv4 first, where the server listens on both.
    std::stable_partition(owned.begin(), owned.end(),
                          [](const ListeningSocket& s) { return s.family == AF_INET; });
    for (const ListeningSocket& socket : owned)
        if (socket.port == port) return callable(socket);
    return std::nullopt;
}

std::optional<GameServer> consolePortHolder(int port) {
    if (port <= 0) return std::nullopt;
    std::set<unsigned long long> inodes;
    for (const Listener& listener : listeners(port)) inodes.insert(listener.inode);
    if (inodes.empty()) return std::nullopt;
    for (GameServer& server : scanServers()) {
        const std::set<unsigned long long> own = socketInodesOf(server.pid);
        if (std::none_of(own.begin(), own.end(),
                         [&](unsigned long long inode) { return inodes.count(inode) > 0; }))
            continue;
        std::vector<GameServer> one{std::move(server)};
        withConsoles(one);
        return std::move(one.front());
    }
    return std::nullopt;
}

}  // namespace desktop
