// Which game servers run on this machine and what each of them holds: its
// temporary folder, its files and its remote console's socket. Everything is
// read from /proc as it is now, so servers started before the tool (or by an
// earlier run of it) count as well as the ones it started itself.
//
// The tool keeps no other record of who runs where: the status poll, "Cache
// leeren", the start's refusal of a port already taken and the remote
// consoles all ask here, so they never disagree.
//
// Only processes of the tool's own (real) user count. On a shared machine
// another account can start anything with any arguments, listen on any port
// and drop files into a shared folder; none of that may pass for one of the
// host's servers, and none of it may keep the window waiting: another
// account's process is passed over before anything is read that could wait
// on it (its command line waits on its memory map).
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "desktop/ListeningSockets.h"
#include "desktop/OwnProcesses.h"

namespace desktop {

// What a server's configuration says about its remote console, read as the
// game reads it. The port is only what the configuration says now: the port
// a running server listens on is that of its socket (consoleSocketOf).
struct ConsoleSettings {
    int port = 2092;        // 0 when the configuration names no usable port
    bool allowed = false;   // AllowRemoteConsole of 1 or more
    std::string password;   // ConsolePassword, bytes of the file
};

// The configuration file at `path`, its first 64 KiB (the game's
// configurations are far smaller); nothing when it is no regular file or
// cannot be read. Nothing here waits: a pipe or device is not opened.
std::optional<ConsoleSettings> consoleSettingsOf(const std::string& path);

// One running dedicated server of the game.
struct GameServer {
    pid_t pid = 0;
    unsigned long long startTicks = 0;  // see startTicksOf
    std::vector<std::string> words;  // its command line as the process has it
    std::string program;             // its program as a path here
    std::string config;              // its configuration file; "" when none given
    std::string tempdir;             // its temporary folder; "" when none given
    // Read from its configuration once, when this process was first seen:
    // what the server read at its start, not what a later start wrote.
    ConsoleSettings console;
};

// The parts of a dedicated server's command line as the game takes them:
// the value after the first "-d" (exactly so) or else after the first
// "-dedicated", and after the first "-tempdir" (those two in any case); a
// first "-tempdir" in last place names no folder. A Windows path on Wine's
// drive Z: ("Z:\x\y") is the Linux path it stands for; a relative one is
// taken from `folder`, the server's own folder, and stays relative when
// that is not known. Nothing when the words are no dedicated server of the
// game: the program's name (after the last "/" or "\") is Descent3 or
// main.exe in any case, and the first "-d" follows it with a value, or
// without a "-d" the first "-dedicated" does.
std::optional<GameServer> gameServerOf(const std::vector<std::string>& words,
                                       const std::string& folder);

// The running game servers of this user, oldest first. None when the
// processes could not be scanned.
std::vector<GameServer> runningGameServers();

// The running game servers of this user whose program lies in `folder`
// (compared as canonical paths), oldest first: the servers of that game
// folder. None when the processes could not be scanned: the consoles keep
// their sessions while those servers run, and find them again at the next
// look.
std::vector<GameServer> runningGameServersIn(const std::string& folder);

// The game server of this user running as `pid`, if it is one.
std::optional<GameServer> runningGameServer(pid_t pid);

// Whether the process holds a file in `folder` (or below it) open or mapped.
bool holdsFolder(pid_t pid, const std::string& folder);

// Whether a running server of this user holds the temporary folder: its
// ".lock" names a server of this folder (runningLockHolder), or a server
// holds a file there open or mapped. The module files a server leaves behind
// when it ends do not count. The servers are those of a scan at most 10 ms
// old, so that asking for two folders in a row scans the processes once.
// Nothing when that cannot be told: the processes could not be scanned.
std::optional<bool> folderInUse(const std::string& folder);

// True when a running process of this user holds `path` open or has it
// mapped into its memory (the same file: device and inode, so links and
// other spellings count), or when `path` is a server's ".lock" that holds
// its folder (runningLockHolder). False for a file that does not exist.
// Nothing when that cannot be told: the processes could not be scanned.
std::optional<bool> fileInUse(const std::string& path);

// The process that `path`, a server's ".lock", names, when that process is a
// running game server of this user whose temporary folder is the lock's
// folder; 0 otherwise (under Wine the game writes Wine's own process number
// there, which may name any Linux process). The game writes it as exactly
// 8 bytes: "LOCK", then the process id as a 4-byte little-endian integer.
// Anything else, or anything but a regular file, is no lock; it is read
// without waiting and without following a link.
pid_t runningLockHolder(const std::string& path);

// The game's lock for the process, as it writes it.
std::string gameLock(pid_t pid);

// The listening TCP socket that the process owns (its inode among the
// process's open files) and that is its remote console: the one on
// `preferredPort` when it has one there, else its only port. Nothing when
// it owns none, or several on other ports.
std::optional<ListeningSocket> consoleSocketOf(pid_t pid, int preferredPort);

// The running game server of this user that listens on `port`; none found
// when the processes could not be scanned.
std::optional<GameServer> consolePortHolder(int port);

}  // namespace desktop
