// Which game servers run on this machine and what each of them holds: its
// temporary folder and its remote console's port. Everything is read from
// /proc as it is now, so servers started before the tool (or by an earlier
// run of it) count as well as the ones it started itself.
//
// The tool keeps no other record of who runs where: the status poll, the
// start's refusal of a port already taken and the remote consoles all ask
// here, so they never disagree.
#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace desktop {

// Every process id in /proc.
std::vector<pid_t> processIds();

// Calls `visit` with the path of each open-file entry of the process
// ("/proc/PID/fd/N") until it returns true; whether one did. False for a
// process that is gone or not ours to look at.
bool anyOpenFile(pid_t pid, const std::function<bool(const std::string&)>& visit);

// What a server's configuration says about its remote console, read as the
// game reads it: keys in any case, a value ends at "," or ";", the port is
// 2092 unless RemoteConsolePort names another.
struct ConsoleSettings {
    int port = 2092;        // 0 when the configuration names no usable port
    bool allowed = false;   // AllowRemoteConsole=1
    std::string password;   // ConsolePassword, bytes of the file
};

// The configuration file at `path`; nothing when it cannot be read (a pipe
// or device is not opened, so nothing waits here).
std::optional<ConsoleSettings> consoleSettingsOf(const std::string& path);

// One running dedicated server of the game.
struct GameServer {
    pid_t pid = 0;
    // When it started, in clock ticks since boot: the larger, the newer.
    unsigned long long startTicks = 0;
    std::vector<std::string> words;  // its command line as the process has it
    std::string program;             // its program as a path here
    std::string config;              // its configuration file; "" when none given
    std::string tempdir;             // its temporary folder; "" when none given
    ConsoleSettings console;         // read from its configuration now
};

// The parts of a dedicated server's command line: the value after
// "-dedicated", "-tempdir" (option names in any case). A Windows path on
// Wine's drive Z: ("Z:\x\y") is the Linux path it stands for; a relative one
// is taken from `folder`. Nothing when the words are no dedicated server of
// the game: the program's name (after the last "/" or "\") is Descent3 or
// main.exe in any case, and "-dedicated" with a value follows it.
std::optional<GameServer> gameServerOf(const std::vector<std::string>& words,
                                       const std::string& folder);

// The running game servers whose processes this user may see, oldest first.
std::vector<GameServer> runningGameServers();

// The running game servers whose program lies in `folder` (compared as
// canonical paths), oldest first: the servers of that game folder.
std::vector<GameServer> runningGameServersIn(const std::string& folder);

// The game server running as `pid`, if it is one.
std::optional<GameServer> runningGameServer(pid_t pid);

// Whether the process holds a file in `folder` (or below it) open or mapped.
bool holdsFolder(pid_t pid, const std::string& folder);

// Whether a running process holds the temporary folder: its ".lock" names a
// running process, or a running game server holds a file there open or
// mapped. The module files a server leaves behind when it ends do not count.
// The servers are those of a scan at most 10 ms old, so that asking for two
// folders in a row reads every process's command line once.
bool folderInUse(const std::string& folder);

// The process that `path`, a server's ".lock" ("LOCK" and a process id),
// names, when that process runs; 0 otherwise.
pid_t runningLockHolder(const std::string& path);

// Whether the process owns a listening TCP socket on `port` (IPv4 or IPv6,
// any address): the socket's inode is among the process's open files.
bool listensOn(pid_t pid, int port);

// The running game server that listens on `port`.
std::optional<GameServer> consolePortHolder(int port);

}  // namespace desktop
