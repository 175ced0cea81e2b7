// Starting programs from a list of words on Linux, without a shell.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/Platform.h"

class QObject;
class QTimer;
struct _XDisplay;

namespace desktop {

class LinuxProcesses : public platform::Processes {
public:
    // A dedicated server's output goes to its slot's log in `logFolder`
    // (the program folder, beside the settings files).
    explicit LinuxProcesses(std::string logFolder);
    ~LinuxProcesses() override;
    LinuxProcesses(const LinuxProcesses&) = delete;
    LinuxProcesses& operator=(const LinuxProcesses&) = delete;

    // Runs words[0] as the program with the other words as its arguments,
    // each exactly one. The program word is used as a path as it stands:
    // with a folder it is taken from there, without one from the current
    // folder, never looked up in PATH. The program runs in the current
    // folder, in a session of its own, with standard input on /dev/null,
    // and is not a child of this process, so it lives on after the tool
    // ends. Its standard output and error go to the slot's log, emptied at
    // each start of that slot and readable by this user only (to /dev/null
    // for slot 0, and when the log cannot be created: the server still
    // starts, and an early end says so). False when it could not be executed.
    //
    // Window styles: vbNormalFocus activates the program's first window once
    // it appears, vbMinimizedFocus and vbMinimizedNoFocus iconify it; the
    // window is looked for by its process id for a few seconds, on timer
    // ticks of the running event loop. Other styles leave the window as the
    // program shows it.
    bool Start(const std::vector<std::string>& words, int windowStyle, int slot) override;
    // A server of slot 1 or 2 is watched for 30 seconds after its start, on
    // timer ticks of the running event loop and at each call; one that
    // ended meanwhile is reported once, with the last lines of its log as
    // the start made it, whatever has taken the log's name since.
    std::vector<platform::EarlyEnd> EndedAfterStart() override;

    // The tool asked the server `pid` to end (0: a server it cannot tell):
    // its end is no failed start.
    void endRequested(pid_t pid);

    // The log of server slot 1 or 2: "Server1.log" or "Server2.log".
    std::string logFile(int slot) const;

    // Told of every program started, with its process id and words.
    std::function<void(pid_t pid, const std::vector<std::string>& words)> started;

private:
    // A descriptor closed with its owner.
    class Descriptor {
    public:
        explicit Descriptor(int fd = -1) : fd_(fd) {}
        ~Descriptor();
        Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
        Descriptor& operator=(Descriptor&& other) noexcept;
        int get() const { return fd_; }

    private:
        int fd_;
    };
    struct Watched {
        pid_t pid = 0;
        unsigned long long startTicks = 0;  // with the id, names the very process
        int slot = 0;
        Descriptor log;  // the log the start made; none when it could not
        std::chrono::steady_clock::time_point since;
    };
    void watchForWindow(pid_t pid, int windowStyle);
    void watchForEnd();
    platform::EarlyEnd ending(const Watched& server) const;

    std::string logFolder_;
    std::vector<Watched> watched_;
    std::vector<platform::EarlyEnd> ended_;
    _XDisplay* dpy_ = nullptr;
    std::unique_ptr<QObject> watchers_;
    QTimer* endWatch_ = nullptr;
};

// Starts the program detached as described above, with its standard output
// and error on `outputFd` (/dev/null when negative); the process id it runs
// under, or -1 when it could not be executed.
pid_t startDetached(const std::vector<std::string>& words, int outputFd = -1);

// The last lines of the open file `fd`, at most `count`, without their line
// ends; only its last few kilobytes are read. None from anything but a
// regular file.
std::vector<std::string> lastLines(int fd, std::size_t count);

}  // namespace desktop
