// Starting programs from a command line on Linux, without a shell.
#pragma once

#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/Platform.h"

class QObject;
struct _XDisplay;

namespace desktop {

class LinuxProcesses : public platform::Processes {
public:
    LinuxProcesses();
    ~LinuxProcesses() override;
    LinuxProcesses(const LinuxProcesses&) = delete;
    LinuxProcesses& operator=(const LinuxProcesses&) = delete;

    // Splits the command line at blanks and runs the first word as the
    // program with the others as its arguments. The program word is used as
    // a path as it stands: with a folder it is taken from there, without one
    // from the current folder, never looked up in PATH. The program runs in
    // the current folder, in a session of its own, with standard input and
    // output on /dev/null, and is not a child of this process, so it lives on
    // after the tool ends. False when it could not be executed.
    //
    // Window styles: vbNormalFocus activates the program's first window once
    // it appears, vbMinimizedFocus and vbMinimizedNoFocus iconify it; the
    // window is looked for by its process id for a few seconds, on timer
    // ticks of the running event loop. Other styles leave the window as the
    // program shows it.
    bool Shell(const std::string& commandLine, int windowStyle) override;

    // Told of every program started, with its process id and command line.
    std::function<void(pid_t pid, const std::string& commandLine)> started;

private:
    void watchForWindow(pid_t pid, int windowStyle);

    _XDisplay* dpy_ = nullptr;
    std::unique_ptr<QObject> watchers_;
};

// Starts the program detached as described above; the process id it runs
// under, or -1 when it could not be executed.
pid_t startDetached(const std::string& commandLine);

// Whether the process runs: it exists and has not ended (a zombie waiting to
// be reaped by whoever inherited it has ended).
bool processRuns(pid_t pid);

}  // namespace desktop
