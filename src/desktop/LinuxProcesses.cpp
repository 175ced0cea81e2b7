#include "desktop/LinuxProcesses.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cerrno>
#include <cstdlib>
#include <utility>
#include <vector>

#include "common/Paths.h"
#include "desktop/GameServers.h"
#include "desktop/X11Windows.h"

// Last: Xlib's macros clash with Qt's names.
#include <X11/Xlib.h>

namespace desktop {
namespace {

// How long a started program's window is looked for, and how often.
constexpr int kWindowSearchMs = 10000;
constexpr int kWindowPollMs = 100;
// A server that ends this soon after its start did not get going; how
// often that is looked for.
constexpr auto kEarlyEnd = std::chrono::seconds(30);
constexpr int kEndPollMs = 250;
// What of a log an early end shows.
constexpr std::size_t kShownLines = 10;
constexpr std::size_t kLogTail = 8192;
constexpr std::size_t kLongestShownLine = 256;

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

// Reads exactly `size` bytes from `offset` on, leaving the file position as
// it is; fewer only at end of file. The byte count read.
std::size_t readFullAt(int fd, void* buffer, std::size_t size, off_t offset) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = pread(fd, static_cast<char*>(buffer) + done, size - done,
                                offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

// Whether `path` still names the open file `fd`: not when it names nothing,
// a link, or another file.
bool stillNamed(const std::string& path, int fd) {
    struct stat named, held;
    return lstat(path.c_str(), &named) == 0 && fstat(fd, &held) == 0 &&
           named.st_dev == held.st_dev && named.st_ino == held.st_ino;
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

// In the forked child: a clean slate, then the program, its output on
// `outputFd` or /dev/null. Reports the reason through `errorFd` when the
// program cannot be executed. Async-signal-safe calls only, as the parent
// may have threads.
[[noreturn]] void execProgram(char* const argv[], int errorFd, int outputFd) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int sig = 1; sig < NSIG; ++sig) signal(sig, SIG_DFL);

    const int devNull = open("/dev/null", O_RDWR);
    const int output = outputFd >= 0 ? outputFd : devNull;
    if (devNull >= 0) dup2(devNull, STDIN_FILENO);
    if (output >= 0) {
        dup2(output, STDOUT_FILENO);
        dup2(output, STDERR_FILENO);
    }
    if (devNull > STDERR_FILENO) close(devNull);
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

// A log the server may write into as it is: a regular file of this user
// under this one name, which no other account may open. The password of the
// remote console is among what the game prints, so a file that others could
// read, or that was open to them once and may still be held, gets none of it.
bool oursAlone(const struct stat& info) {
    return S_ISREG(info.st_mode) && info.st_uid == geteuid() && info.st_nlink == 1;
}
bool privateLog(const struct stat& info) {
    return oursAlone(info) && (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

// An earlier log that could not be replaced: if it is a regular file of this
// user under this one name, it is made private and emptied, so that the
// password an earlier run printed there is no longer readable by others. The
// new output does not go into it, though: whoever opened it while others
// could may still hold it open. Anything else is left as it is.
void emptyOldLog(const std::string& path) {
    struct stat info;
    // A device is not even opened: its open may wait, or do something.
    if (lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return;
    const int fd = open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return;
    if (fstat(fd, &info) == 0 && oursAlone(info) && fchmod(fd, S_IRUSR | S_IWUSR) == 0)
        ftruncate(fd, 0);
    close(fd);
}

// A new private file put in place of whatever the name holds. Only the name
// is replaced: a link's target, a pipe and another account's file are left
// as they are. Open for reading too, for the report of an early end. -1 when
// the folder takes no new file.
int replaceLog(const std::string& path) {
    std::string temporary = path + ".XXXXXX";
    const int fd = mkostemp(temporary.data(), O_APPEND | O_CLOEXEC);
    // Created 0600 but for the umask; exactly 0600 before the name points here.
    if (fd < 0 || fchmod(fd, S_IRUSR | S_IWUSR) != 0 ||
        rename(temporary.c_str(), path.c_str()) != 0) {
        if (fd >= 0) {
            unlink(temporary.c_str());
            close(fd);
        }
        emptyOldLog(path);
        return -1;
    }
    return fd;
}

// A server's log, emptied: an earlier private log of this tool is reused,
// anything else under that name is replaced by a new private file. Opened
// never through a link and never waiting (a pipe put there meanwhile would
// hold the start), and emptied only once it is known to be a regular file.
// Appending: a server of the slot that still writes adds its lines at the
// end rather than into the new ones. Open for reading too. -1 when it cannot
// be had.
int openLog(const std::string& path) {
    struct stat info;
    if (lstat(path.c_str(), &info) == 0 && !privateLog(info)) return replaceLog(path);
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_NOFOLLOW | O_NONBLOCK |
                                          O_CLOEXEC | O_NOCTTY,
                        S_IRUSR | S_IWUSR);
    // Something else may have taken the name since it was looked at.
    if (fd < 0 || fstat(fd, &info) != 0 || !privateLog(info)) {
        if (fd >= 0) close(fd);
        return replaceLog(path);
    }
    if (fchmod(fd, S_IRUSR | S_IWUSR) != 0 || ftruncate(fd, 0) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

pid_t startDetached(const std::vector<std::string>& words, int outputFd) {
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
        if (program == 0) execProgram(argv.data(), errorPipe[1], outputFd);
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

std::vector<std::string> lastLines(int fd, std::size_t count) {
    struct stat info;
    if (fd < 0 || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return {};
    const off_t tailSize = static_cast<off_t>(kLogTail);
    const off_t from = info.st_size > tailSize ? info.st_size - tailSize : 0;
    std::string tail(static_cast<std::size_t>(info.st_size - from), '\0');
    tail.resize(readFullAt(fd, tail.data(), tail.size(), from));

    std::vector<std::string> lines;
    std::size_t start = 0;
    // A line cut by where the reading began is no line of its own.
    if (from > 0) start = tail.find('\n') == std::string::npos ? tail.size() : tail.find('\n') + 1;
    while (start < tail.size()) {
        std::size_t end = tail.find('\n', start);
        if (end == std::string::npos) end = tail.size();
        std::string line = tail.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > kLongestShownLine) {
            // Cut before a character, not inside one.
            std::size_t cut = kLongestShownLine;
            while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
            line = line.substr(0, cut) + "...";
        }
        if (!line.empty()) lines.push_back(std::move(line));
        start = end + 1;
    }
    if (lines.size() > count) lines.erase(lines.begin(), lines.end() - static_cast<std::ptrdiff_t>(count));
    return lines;
}

LinuxProcesses::Descriptor::~Descriptor() {
    if (fd_ >= 0) close(fd_);
}

LinuxProcesses::Descriptor& LinuxProcesses::Descriptor::operator=(Descriptor&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

LinuxProcesses::LinuxProcesses(std::string logFolder)
    : logFolder_(std::move(logFolder)), watchers_(std::make_unique<QObject>()) {}

LinuxProcesses::~LinuxProcesses() {
    watchers_.reset();
    if (dpy_) XCloseDisplay(dpy_);
}

std::string LinuxProcesses::logFile(int slot) const {
    return common::pfad(logFolder_, "Server" + std::to_string(slot) + ".log");
}

bool LinuxProcesses::Start(const std::vector<std::string>& words, int windowStyle, int slot) {
    const bool server = slot == 1 || slot == 2;
    // Opened here, not in the child, so that a log that cannot be created
    // is known; the server starts all the same, as it ran before logs were
    // kept.
    int log = server ? openLog(logFile(slot)) : -1;
    // Above the standard files, which the child sets anew before using it.
    if (log >= 0 && log <= STDERR_FILENO) {
        const int moved = fcntl(log, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
        close(log);
        log = moved;
    }
    const pid_t pid = startDetached(words, log);
    // Taken at once: the id alone may name another process once this one
    // ended and the id was used again.
    const unsigned long long startTicks = pid > 0 ? startTicksOf(pid) : 0;
    // Kept while the server is watched: an early end shows what it wrote
    // into this very file, whatever has taken the log's name since.
    Descriptor kept(log);
    if (pid < 0) return false;
    if (started) started(pid, words);
    if (server) {
        watched_.push_back(
            {pid, startTicks, slot, std::move(kept), std::chrono::steady_clock::now()});
        watchForEnd();
    }
    if (windowStyle == platform::vbNormalFocus || windowStyle == platform::vbMinimizedFocus ||
        windowStyle == platform::vbMinimizedNoFocus)
        watchForWindow(pid, windowStyle);
    return true;
}

// Looked at often while the event loop runs, even while a message box waits
// for the user and the windows' own timers are held: an end is judged by
// when it happened, not by when someone asked.
void LinuxProcesses::watchForEnd() {
    const auto now = std::chrono::steady_clock::now();
    for (auto it = watched_.begin(); it != watched_.end();) {
        const bool young = now - it->since <= kEarlyEnd;
        if (processIs(it->pid, it->startTicks)) {
            it = young ? it + 1 : watched_.erase(it);
            continue;
        }
        if (young) ended_.push_back(ending(*it));
        it = watched_.erase(it);
    }
    if (!QCoreApplication::instance()) return;
    if (!endWatch_) {
        endWatch_ = new QTimer(watchers_.get());
        QObject::connect(endWatch_, &QTimer::timeout, [this] { watchForEnd(); });
    }
    if (watched_.empty())
        endWatch_->stop();
    else if (!endWatch_->isActive())
        endWatch_->start(kEndPollMs);
}

platform::EarlyEnd LinuxProcesses::ending(const Watched& server) const {
    const std::string log = logFile(server.slot);
    const int fd = server.log.get();
    return {server.slot, log, fd >= 0, lastLines(fd, kShownLines), fd >= 0 && !stillNamed(log, fd)};
}

void LinuxProcesses::endRequested(pid_t pid) {
    std::erase_if(watched_, [pid](const Watched& w) { return pid == 0 || w.pid == pid; });
}

std::vector<platform::EarlyEnd> LinuxProcesses::EndedAfterStart() {
    watchForEnd();
    return std::exchange(ended_, {});
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
