#include "desktop/GameServers.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>

#include "common/CommandLine.h"
#include "common/Paths.h"

namespace desktop {
namespace {

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
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

// Whether the words may be a dedicated server's: most processes are not, and
// this is far cheaper than taking their words apart.
bool mayBeDedicated(const std::vector<std::string>& words) {
    return std::any_of(words.begin(), words.end(),
                       [](const std::string& w) { return w == "-d" || lower(w) == "-dedicated"; });
}

// The game server that runs as `pid`, from its words, when it is one. Its
// relative paths are its own folder's; unknown when its folder cannot be
// read, and then they name nothing here.
std::optional<GameServer> serverOf(pid_t pid, const std::vector<std::string>& words) {
    if (!mayBeDedicated(words)) return std::nullopt;
    auto server = gameServerOf(words, currentFolderOf(pid));
    if (!server) return std::nullopt;
    const ProcessStat stat = processStat(pid);
    if (!stat.runs()) return std::nullopt;
    server->pid = pid;
    server->startTicks = stat.startTicks;
    return server;
}

// The game servers among this user's processes, without reading their
// configurations (the status poll needs none). Another account's process is
// passed over before its command line is read: that read waits while the
// process changes its memory map, which it may do without end. Nothing when
// the processes could not be scanned.
std::optional<std::vector<GameServer>> scanServers() {
    const std::optional<std::vector<pid_t>> own = ownProcessIds();
    if (!own) return std::nullopt;
    std::vector<GameServer> servers;
    for (const pid_t pid : *own)
        if (auto server = serverOf(pid, commandWords(pid))) servers.push_back(std::move(*server));
    std::sort(servers.begin(), servers.end(), [](const GameServer& a, const GameServer& b) {
        return a.startTicks != b.startTicks ? a.startTicks < b.startTicks : a.pid < b.pid;
    });
    return servers;
}

// The game server of this user running as `pid`, without its console.
std::optional<GameServer> ownServerAt(pid_t pid) {
    if (!processRuns(pid) || !ownProcess(pid)) return std::nullopt;
    return serverOf(pid, commandWords(pid));
}

// The game servers from a scan that ended at most 10 ms ago: the status poll
// asks for both servers' folders in one go, and one pass over /proc serves
// both. The next poll, a second later, scans afresh.
std::optional<std::vector<GameServer>> recentServers() {
    using Clock = std::chrono::steady_clock;
    constexpr auto kFresh = std::chrono::milliseconds(10);
    static std::mutex mutex;
    static std::optional<Clock::time_point> scanned;
    static std::optional<std::vector<GameServer>> servers;
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
    // The game takes the first of an option given twice, and looks for "-d"
    // (exactly so) before "-dedicated". An option in last place has no
    // value: a server so started names no configuration and does not run.
    const auto firstOf = [&](auto matches) {
        std::size_t i = first + 1;
        while (i < words.size() && !matches(words[i])) ++i;
        return i;
    };
    std::size_t config = firstOf([](const std::string& word) { return word == "-d"; });
    if (config == words.size())
        config = firstOf([](const std::string& word) { return lower(word) == "-dedicated"; });
    if (config + 1 >= words.size()) return std::nullopt;
    server.config = hostPath(words[config + 1], folder);
    const std::size_t tempdir =
        firstOf([](const std::string& word) { return lower(word) == "-tempdir"; });
    if (tempdir + 1 < words.size()) server.tempdir = hostPath(words[tempdir + 1], folder);
    return server;
}

std::vector<GameServer> runningGameServers() {
    std::vector<GameServer> servers = scanServers().value_or(std::vector<GameServer>{});
    withConsoles(servers);
    return servers;
}
std::vector<GameServer> runningGameServersIn(const std::string& folder) {
    std::vector<GameServer> servers;
    const std::string canonical = canonicalFolder(folder);
    if (canonical.empty()) return servers;
    for (GameServer& server : scanServers().value_or(std::vector<GameServer>{})) {
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
    auto server = ownServerAt(pid);
    if (!server) return std::nullopt;
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
    // The game's Windows build writes Wine's own process number, which names
    // whatever Linux process has that id now; a lock left by a killed
    // server would hold its folder for good. So the process it names holds
    // the folder only when it is a server of that very folder.
    const std::optional<GameServer> server = ownServerAt(pid);
    if (!server || server->tempdir.empty() || server->tempdir[0] != '/') return 0;
    const auto slash = path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    const std::string canonical = canonicalFolder(folder);
    return !canonical.empty() && canonicalFolder(server->tempdir) == canonical ? pid : 0;
}
std::optional<bool> folderInUse(const std::string& folder) {
    const std::string canonical = canonicalFolder(folder);
    if (canonical.empty()) return false;
    if (runningLockHolder(canonical + "/.lock") != 0) return true;
    // Open files first, for every server: a server's map is far longer to
    // read than its list of open files.
    const std::optional<std::vector<GameServer>> scanned = recentServers();
    if (!scanned) return std::nullopt;
    const std::vector<GameServer>& servers = *scanned;
    return std::any_of(servers.begin(), servers.end(),
                       [&](const GameServer& s) { return holdsOpen(s.pid, canonical); }) ||
           std::any_of(servers.begin(), servers.end(),
                       [&](const GameServer& s) { return holdsMapped(s.pid, canonical); });
}

std::optional<bool> fileInUse(const std::string& path) {
    struct stat target {};
    if (stat(path.c_str(), &target) != 0) return false;
    const auto slash = path.rfind('/');
    if (path.compare(slash == std::string::npos ? 0 : slash + 1, std::string::npos, ".lock") == 0 &&
        runningLockHolder(path) != 0)
        return true;
    const std::optional<std::vector<pid_t>> own = ownProcessIds();
    if (!own) return std::nullopt;
    for (const pid_t pid : *own) {
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
    for (GameServer& server : scanServers().value_or(std::vector<GameServer>{})) {
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
