#include "desktop/LinuxProcesses.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cerrno>
#include <fstream>
#include <vector>

#include "common/CommandLine.h"
#include "desktop/X11Windows.h"

// Last: Xlib's macros clash with Qt's names.
#include <X11/Xlib.h>

namespace desktop {
namespace {

// How long a started program's window is looked for, and how often.
constexpr int kWindowSearchMs = 10000;
constexpr int kWindowPollMs = 100;

// Reads exactly `size` bytes; fewer only at end of file. The byte count read.
ssize_t readFull(int fd, void* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = read(fd, static_cast<char*>(buffer) + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

void writeFull(int fd, const void* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = write(fd, static_cast<const char*>(data) + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

// In the forked child: a clean slate, then the program. Reports the reason
// through `errorFd` when the program cannot be executed. Async-signal-safe
// calls only, as the parent may have threads.
[[noreturn]] void execProgram(char* const argv[], int errorFd) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int sig = 1; sig < NSIG; ++sig) signal(sig, SIG_DFL);

    const int devNull = open("/dev/null", O_RDWR);
    if (devNull >= 0) {
        dup2(devNull, STDIN_FILENO);
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
        if (devNull > STDERR_FILENO) close(devNull);
    }
    // The tool's own files and its X connection stay with the tool.
    if (close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
        const long limit = sysconf(_SC_OPEN_MAX);
        for (int fd = 3; fd < (limit > 0 && limit < 65536 ? limit : 65536); ++fd)
            if (fd != errorFd) close(fd);
    }
    execv(argv[0], argv);
    const int error = errno;
    writeFull(errorFd, &error, sizeof error);
    _exit(127);
}

}  // namespace

pid_t startDetached(const std::string& commandLine) {
    const std::vector<std::string> words = common::splitCommandLine(commandLine);
    if (words.empty()) return -1;
    std::vector<char*> argv;
    for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);

    int pidPipe[2], errorPipe[2];
    if (pipe2(pidPipe, O_CLOEXEC) != 0) return -1;
    if (pipe2(errorPipe, O_CLOEXEC) != 0) {
        close(pidPipe[0]);
        close(pidPipe[1]);
        return -1;
    }

    // Two forks: the middle process starts a new session, forks the program
    // and ends at once, so the program is nobody's child here and no zombie
    // of it stays with the tool.
    const pid_t middle = fork();
    if (middle == 0) {
        close(pidPipe[0]);
        close(errorPipe[0]);
        setsid();
        const pid_t program = fork();
        if (program == 0) execProgram(argv.data(), errorPipe[1]);
        writeFull(pidPipe[1], &program, sizeof program);
        _exit(0);
    }
    close(pidPipe[1]);
    close(errorPipe[1]);

    pid_t program = -1;
    int execError = 0;
    if (middle > 0) {
        while (waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
        }
        if (readFull(pidPipe[0], &program, sizeof program) != sizeof program) program = -1;
        // End of file without a word means the exec went through: the pipe
        // closed with it.
        if (program > 0 && readFull(errorPipe[0], &execError, sizeof execError) > 0) program = -1;
    }
    close(pidPipe[0]);
    close(errorPipe[0]);
    return program > 0 ? program : -1;
}

bool processRuns(pid_t pid) {
    if (pid <= 0) return false;
    if (kill(pid, 0) != 0 && errno != EPERM) return false;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    // The state follows the name, which is in parentheses and may hold any
    // character.
    const auto paren = line.rfind(')');
    return paren != std::string::npos && paren + 2 < line.size() && line[paren + 2] != 'Z';
}

LinuxProcesses::LinuxProcesses() : watchers_(std::make_unique<QObject>()) {}

LinuxProcesses::~LinuxProcesses() {
    watchers_.reset();
    if (dpy_) XCloseDisplay(dpy_);
}

bool LinuxProcesses::Shell(const std::string& commandLine, int windowStyle) {
    const pid_t pid = startDetached(commandLine);
    if (pid < 0) return false;
    if (started) started(pid, commandLine);
    if (windowStyle == platform::vbNormalFocus || windowStyle == platform::vbMinimizedFocus ||
        windowStyle == platform::vbMinimizedNoFocus)
        watchForWindow(pid, windowStyle);
    return true;
}

void LinuxProcesses::watchForWindow(pid_t pid, int windowStyle) {
    if (!QCoreApplication::instance()) return;
    if (!dpy_) dpy_ = XOpenDisplay(nullptr);
    if (!dpy_) return;

    auto* timer = new QTimer(watchers_.get());
    auto* clock = new QElapsedTimer;
    clock->start();
    QObject::connect(timer, &QTimer::destroyed, [clock] { delete clock; });
    QObject::connect(timer, &QTimer::timeout, [this, timer, clock, pid, windowStyle] {
        x11::IgnoreErrors guard(dpy_);
        for (Window w : x11::topLevelWindows(dpy_)) {
            if (x11::windowPid(dpy_, w) != pid) continue;
            if (windowStyle == platform::vbNormalFocus)
                x11::activate(dpy_, w, 0);
            else
                x11::iconify(dpy_, w);
            timer->deleteLater();
            return;
        }
        if (clock->elapsed() >= kWindowSearchMs) timer->deleteLater();
    });
    timer->start(kWindowPollMs);
}

}  // namespace desktop
