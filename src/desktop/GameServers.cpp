#include "desktop/GameServers.h"

#include <dirent.h>
#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

#include "common/CommandLine.h"
#include "common/Paths.h"
#include "desktop/LinuxProcesses.h"

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

// A file of /proc, read whole up to `limit` bytes: they report no size.
std::string readProcFile(const std::string& path, std::size_t limit = 1 << 16) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    // Each read makes the kernel write the text anew up to the size asked
    // for: a long map (a process under Wine maps hundreds of files) is
    // read in growing pieces, a command line in one.
    std::string bytes;
    std::size_t piece = 4096;
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

std::string procPath(pid_t pid, const char* entry) {
    return "/proc/" + std::to_string(pid) + "/" + entry;
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

// When the process started, in clock ticks since boot (field 22 of its
// stat, counted after the name, which is in parentheses and may hold any
// character).
unsigned long long startTicksOf(pid_t pid) {
    const std::string stat = readProcFile(procPath(pid, "stat"));
    const auto paren = stat.rfind(')');
    if (paren == std::string::npos) return 0;
    std::size_t pos = paren + 1;
    for (int field = 3; field <= 22; ++field) {
        pos = stat.find_first_not_of(' ', pos);
        if (pos == std::string::npos) return 0;
        if (field == 22) return std::strtoull(stat.c_str() + pos, nullptr, 10);
        pos = stat.find(' ', pos);
        if (pos == std::string::npos) return 0;
    }
    return 0;
}

std::string linkTarget(const std::string& link) {
    char buffer[PATH_MAX];
    const ssize_t n = readlink(link.c_str(), buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

// A path as the game's process names it: Wine's drive Z: is the whole file
// system; a relative path is taken from the folder given.
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
// module stays mapped after its descriptor was closed.
bool holdsMapped(pid_t pid, const std::string& canonical) {
    // Each line of the map ends in the mapped file's path, from the first "/".
    const std::string maps = readProcFile(procPath(pid, "maps"), 1 << 24);
    std::size_t start = 0;
    while (start < maps.size()) {
        std::size_t end = maps.find('\n', start);
        if (end == std::string::npos) end = maps.size();
        const std::string_view line = std::string_view(maps).substr(start, end - start);
        const auto slash = line.find('/');
        if (slash != std::string_view::npos && inFolder(line.substr(slash), canonical)) return true;
        start = end + 1;
    }
    return false;
}

bool holdsCanonical(pid_t pid, const std::string& canonical) {
    return holdsOpen(pid, canonical) || holdsMapped(pid, canonical);
}

// The inodes of the listening TCP sockets on the port, from one of the
// kernel's socket tables: "sl local_address rem_address st ... inode", the
// address as hex "ADDR:PORT", st 0A for listening.
void listeningInodes(const char* table, int port, std::set<unsigned long long>& inodes) {
    const std::string text = readProcFile(table, 1 << 24);
    std::size_t start = text.find('\n');
    while (start != std::string::npos && start + 1 < text.size()) {
        ++start;
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        char local[64], remote[64], state[8];
        unsigned long long inode = 0;
        const std::string line = text.substr(start, end - start);
        if (std::sscanf(line.c_str(), "%*s %63s %63s %7s %*s %*s %*s %*s %*s %llu", local, remote,
                        state, &inode) == 4 &&
            std::strcmp(state, "0A") == 0) {
            const char* colon = std::strrchr(local, ':');
            if (colon && std::strtol(colon + 1, nullptr, 16) == port && inode != 0)
                inodes.insert(inode);
        }
        start = end;
    }
}

bool holdsSocket(pid_t pid, const std::set<unsigned long long>& inodes) {
    return !inodes.empty() && anyOpenFile(pid, [&](const std::string& fd) {
        const std::string target = linkTarget(fd);
        return target.compare(0, 8, "socket:[") == 0 &&
               inodes.count(std::strtoull(target.c_str() + 8, nullptr, 10)) > 0;
    });
}

// The same from the kernel's socket diagnostics, asked for listening TCP
// sockets only: far cheaper than the text tables, which the kernel makes
// by walking every socket. False when the kernel does not answer.
bool listeningInodesByNetlink(int family, int port, std::set<unsigned long long>& inodes) {
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
    message.request.id.idiag_sport = htons(static_cast<uint16_t>(port));
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
            const auto* socketInfo = static_cast<const inet_diag_msg*>(NLMSG_DATA(h));
            if (ntohs(socketInfo->id.idiag_sport) == port && socketInfo->idiag_inode != 0)
                inodes.insert(socketInfo->idiag_inode);
        }
    }
    close(fd);
    return answered && done;
}

std::set<unsigned long long> listeningInodes(int port) {
    std::set<unsigned long long> inodes;
    if (port < 1 || port > 65535) return inodes;
    if (listeningInodesByNetlink(AF_INET, port, inodes) &&
        listeningInodesByNetlink(AF_INET6, port, inodes))
        return inodes;
    listeningInodes("/proc/net/tcp", port, inodes);
    listeningInodes("/proc/net/tcp6", port, inodes);
    return inodes;
}

// The game servers among the running processes, without reading their
// configurations (the status poll needs none).
std::vector<GameServer> scanServers() {
    std::vector<GameServer> servers;
    for (const pid_t pid : processIds()) {
        std::vector<std::string> words = commandWords(pid);
        if (words.empty()) continue;
        // Cheap test first: most processes are no server of the game.
        if (std::none_of(words.begin(), words.end(),
                         [](const std::string& w) { return lower(w) == "-dedicated"; }))
            continue;
        auto server = gameServerOf(words, linkTarget(procPath(pid, "cwd")));
        if (!server || !processRuns(pid)) continue;
        server->pid = pid;
        server->startTicks = startTicksOf(pid);
        servers.push_back(std::move(*server));
    }
    std::sort(servers.begin(), servers.end(), [](const GameServer& a, const GameServer& b) {
        return a.startTicks != b.startTicks ? a.startTicks < b.startTicks : a.pid < b.pid;
    });
    return servers;
}

// The process ids of the game servers whose files this user may look at.
// A process without a readable program link is a kernel thread, a process
// that has ended, or one of another user, whose open and mapped files are
// closed to us as well: one readlink passes over it, where reading its
// command line costs an open, two reads and a close. On a desktop most
// entries of /proc are kernel threads.
std::vector<pid_t> inspectableServerPids() {
    std::vector<pid_t> pids;
    for (const pid_t pid : processIds()) {
        if (linkTarget(procPath(pid, "exe")).empty()) continue;
        const std::vector<std::string> words = commandWords(pid);
        // Cheap test first: most processes are no server of the game.
        if (std::none_of(words.begin(), words.end(),
                         [](const std::string& w) { return lower(w) == "-dedicated"; }))
            continue;
        if (gameServerOf(words, {})) pids.push_back(pid);
    }
    return pids;
}

// The game servers' process ids, from a scan that ended at most 10 ms ago:
// the status poll asks for both servers' folders in one go, and one pass
// over /proc serves both. The next poll, a second later, scans afresh.
std::vector<pid_t> recentServerPids() {
    using Clock = std::chrono::steady_clock;
    constexpr auto kFresh = std::chrono::milliseconds(10);
    static std::mutex mutex;
    static std::optional<Clock::time_point> scanned;
    static std::vector<pid_t> pids;
    const std::lock_guard<std::mutex> lock(mutex);
    if (!scanned || Clock::now() - *scanned > kFresh) {
        pids = inspectableServerPids();
        scanned = Clock::now();
    }
    return pids;
}

void readConsole(GameServer& server) {
    if (server.config.empty()) return;
    if (auto settings = consoleSettingsOf(server.config)) server.console = *settings;
}

}  // namespace

std::vector<pid_t> processIds() {
    std::vector<pid_t> ids;
    DIR* proc = opendir("/proc");
    if (!proc) return ids;
    while (const dirent* entry = readdir(proc))
        if (isNumber(entry->d_name)) ids.push_back(static_cast<pid_t>(std::atol(entry->d_name)));
    closedir(proc);
    return ids;
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
    const std::optional<common::Spielkonfiguration> read = common::leseSpielkonfiguration(path);
    if (!read) return std::nullopt;
    ConsoleSettings settings;
    settings.port = common::portGültig(read->konsolenport) ? std::stoi(read->konsolenport) : 0;
    settings.allowed = read->konsoleErlaubt;
    settings.password = read->konsolenpasswort;
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
    bool dedicated = false;
    for (std::size_t i = first + 1; i + 1 < words.size(); ++i) {
        const std::string option = lower(words[i]);
        if (option == "-dedicated") {
            dedicated = true;
            server.config = hostPath(words[i + 1], folder);
        } else if (option == "-tempdir") {
            server.tempdir = hostPath(words[i + 1], folder);
        }
    }
    if (!dedicated) return std::nullopt;
    return server;
}

std::vector<GameServer> runningGameServers() {
    std::vector<GameServer> servers = scanServers();
    for (GameServer& server : servers) readConsole(server);
    return servers;
}

std::vector<GameServer> runningGameServersIn(const std::string& folder) {
    std::vector<GameServer> servers;
    const std::string canonical = canonicalFolder(folder);
    if (canonical.empty()) return servers;
    for (GameServer& server : scanServers()) {
        const auto slash = server.program.find_last_of('/');
        if (slash == std::string::npos) continue;
        // The folder, not the program: the program may be a link to
        // elsewhere, and what counts is where it was started from.
        const std::string programFolder = server.program.substr(0, slash == 0 ? 1 : slash);
        if (canonicalFolder(programFolder) != canonical) continue;
        readConsole(server);
        servers.push_back(std::move(server));
    }
    return servers;
}

std::optional<GameServer> runningGameServer(pid_t pid) {
    if (!processRuns(pid)) return std::nullopt;
    auto server = gameServerOf(commandWords(pid), linkTarget(procPath(pid, "cwd")));
    if (!server) return std::nullopt;
    server->pid = pid;
    server->startTicks = startTicksOf(pid);
    readConsole(*server);
    return server;
}

bool holdsFolder(pid_t pid, const std::string& folder) {
    const std::string canonical = canonicalFolder(folder);
    return !canonical.empty() && holdsCanonical(pid, canonical);
}

pid_t runningLockHolder(const std::string& path) {
    const std::string text = readProcFile(path, 64);
    if (text.compare(0, 4, "LOCK") != 0 || text.size() == 4 ||
        !std::isdigit(static_cast<unsigned char>(text[4])))
        return 0;
    const long pid = std::strtol(text.c_str() + 4, nullptr, 10);
    return pid > 0 && pid < (1L << 22) && processRuns(static_cast<pid_t>(pid))
               ? static_cast<pid_t>(pid)
               : 0;
}

bool folderInUse(const std::string& folder) {
    const std::string canonical = canonicalFolder(folder);
    if (canonical.empty()) return false;
    if (runningLockHolder(canonical + "/.lock") != 0) return true;
    // Open files first, for every server: a server's map is far longer to
    // read than its list of open files.
    const std::vector<pid_t> servers = recentServerPids();
    return std::any_of(servers.begin(), servers.end(),
                       [&](pid_t pid) { return holdsOpen(pid, canonical); }) ||
           std::any_of(servers.begin(), servers.end(),
                       [&](pid_t pid) { return holdsMapped(pid, canonical); });
}

bool listensOn(pid_t pid, int port) { return holdsSocket(pid, listeningInodes(port)); }

std::optional<GameServer> consolePortHolder(int port) {
    const std::set<unsigned long long> inodes = listeningInodes(port);
    if (inodes.empty()) return std::nullopt;
    for (GameServer& server : scanServers()) {
        if (!holdsSocket(server.pid, inodes)) continue;
        readConsole(server);
        return server;
    }
    return std::nullopt;
}

}  // namespace desktop
