// The processes of this tool's user, and what each of them runs and holds,
// read from /proc as they are now. GameServers asks here; so may anyone who
// needs to know whether a process still runs.
//
// Only processes of the tool's own (real) user count: another account's
// process is passed over before anything is read that could wait on it (its
// command line waits on its memory map, which it may keep busy without end).
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace desktop {

// The processes of this tool's real user: the owner of /proc/PID first (a
// stat, which never waits on the process), then the real user id in its
// status (a process that made itself non-dumpable shows root as the owner
// of its entries). Nothing when the scan could not look (/proc could not be
// opened or read, no descriptor was left): that is no answer, least of all
// that none of them runs. A process made since the last scan is seen within
// a few seconds, whatever the kernel's id counter did meanwhile.
std::optional<std::vector<pid_t>> ownProcessIds();
bool ownProcess(pid_t pid);
// For tests: whether the scan keeps what it judged of the process. It keeps
// nothing for long about a process that has ended.
bool verdictKept(pid_t pid);

// A process's state and start time. The start time counts clock ticks since
// boot: the larger, the newer. A process id and its start time name one
// process: an id used again is another process.
struct ProcessStat {
    char state = 0;  // 0 when it is gone
    unsigned long long startTicks = 0;
    // It exists and has not ended (a zombie waiting to be reaped by whoever
    // inherited it has ended).
    bool runs() const { return state != 0 && state != 'Z'; }
};
ProcessStat processStat(pid_t pid);

// When the process started; 0 when it is gone.
unsigned long long startTicksOf(pid_t pid);
// Whether the process runs.
bool processRuns(pid_t pid);
// Whether that very process still runs.
bool processIs(pid_t pid, unsigned long long startTicks);

// Its command line, a word per argument; its current folder ("" when it
// cannot be read).
std::vector<std::string> commandWords(pid_t pid);
std::string currentFolderOf(pid_t pid);

// Calls `visit` with the path of each open-file entry of the process
// ("/proc/PID/fd/N") until it returns true; whether one did. False for a
// process that is gone or not ours to look at.
bool anyOpenFile(pid_t pid, const std::function<bool(const std::string&)>& visit);
// The same with each line of the process's memory map.
bool anyMapping(pid_t pid, const std::function<bool(std::string_view)>& visit);

// Where a link points; "" when it is none or cannot be read.
std::string linkTarget(const std::string& link);

// A file opened for reading only when it is a regular file, without waiting
// (a pipe's writer, a device) and, with `noLink`, without following a last
// link; -1 otherwise.
int openRegular(const std::string& path, bool noLink);
// Up to `limit` bytes from the descriptor, which it closes; "" for -1.
std::string readUpTo(int fd, std::size_t limit);

}  // namespace desktop
