// Processes of another account on the same machine, for tests and
// benchmarks: this program run again as the user nobody (only root can), with
// any command line a test gives it, doing what another account may do to the
// tool. A program that starts them calls runRoleIfAsked() first in main().
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace other_account {

inline constexpr const char* kRole = "VANTOR_OTHER_ACCOUNT_ROLE";
inline constexpr int kReportFd = 3;  // what a role reports goes here

inline bool available() { return geteuid() == 0 && getpwnam("nobody") != nullptr; }

// Looked up before a fork: a child of a process with threads may make no
// call that takes a lock.
inline passwd nobody() {
    const passwd* entry = getpwnam("nobody");
    return entry ? *entry : passwd{};
}

// In a forked child: become that user for good, and die with the parent
// (set after the change of user, which clears it).
inline bool become(const passwd& user) {
    const pid_t parent = getppid();
    if (user.pw_uid == 0 || setgroups(0, nullptr) != 0 || setgid(user.pw_gid) != 0 ||
        setuid(user.pw_uid) != 0)
        return false;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    return getppid() == parent;
}

// This program again, as nobody (or as this user), with `words` as its
// command line, doing `role` (see runRoleIfAsked). Killed at its end.
class Process {
public:
    Process(const std::string& role, std::vector<std::string> words, bool asNobody = true) {
        int report[2];
        if (pipe2(report, O_CLOEXEC) != 0) return;
        // Opened as root: nobody need only execute the file, not reach it.
        // Above the report's number, which the child sets.
        const int opened = open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
        const int self = fcntl(opened, F_DUPFD_CLOEXEC, kReportFd + 1);
        close(opened);
        std::vector<std::string> env{std::string(kRole) + "=" + role};
        for (char** e = environ; *e; ++e) env.emplace_back(*e);
        std::vector<char*> argv, envp;
        for (auto& w : words) argv.push_back(w.data());
        for (auto& e : env) envp.push_back(e.data());
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        const passwd user = nobody();
        pid = fork();
        if (pid == 0) {
            if (report[1] == kReportFd)
                fcntl(kReportFd, F_SETFD, 0);
            else
                dup2(report[1], kReportFd);
            if (asNobody ? !become(user) : prctl(PR_SET_PDEATHSIG, SIGKILL) != 0) _exit(126);
            syscall(SYS_execveat, self, "", argv.data(), envp.data(), AT_EMPTY_PATH);
            _exit(127);
        }
        close(self);
        close(report[1]);
        report_ = report[0];
    }
    ~Process() {
        if (pid > 0) kill(pid, SIGKILL), waitpid(pid, nullptr, 0);
        if (report_ >= 0) close(report_);
    }

    // Waits up to 10 s for the role's "ready"; false when it died first.
    bool ready() {
        for (int i = 0; i < 1000 && received_.find("ready\n") == std::string::npos; ++i)
            if (!take(10)) return false;
        return received_.find("ready\n") != std::string::npos;
    }
    // What it reported so far: "ready", then what its listener got.
    std::string received() {
        while (take(0)) {
        }
        return received_;
    }

    pid_t pid = -1;

private:
    bool take(int waitMs) {
        pollfd p{report_, POLLIN, 0};
        if (poll(&p, 1, waitMs) <= 0) return waitMs > 0;
        char buffer[4096];
        const ssize_t n = read(report_, buffer, sizeof buffer);
        if (n > 0) received_.append(buffer, static_cast<std::size_t>(n));
        return n > 0;
    }
    int report_ = -1;
    std::string received_;
};

// Keeps the memory map busy without end: every read of this process's
// command line waits while the map changes. At the lowest priority, so that
// beside it the wait is measured, not a share of a busy machine's cores.
[[noreturn]] inline void churnMemoryMap() {
    constexpr std::size_t kSize = std::size_t(128) << 20;
    setpriority(PRIO_PROCESS, 0, 19);
    for (;;) {
        void* p = mmap(nullptr, kSize, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
        if (p == MAP_FAILED) continue;
        mprotect(p, kSize, PROT_READ);
        munmap(p, kSize);
    }
}

// Listens as the game does (its prompt on every connection) and reports
// every byte it receives.
[[noreturn]] inline void listenAsTheGame(const std::string& address, int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in at{AF_INET, htons(static_cast<uint16_t>(port)), {}, {}};
    inet_pton(AF_INET, address.c_str(), &at.sin_addr);
    if (bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 || listen(fd, 8) != 0) _exit(3);
    (void)!write(kReportFd, "ready\n", 6);
    for (;;) {
        const int peer = accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
        const char prompt[] = "Enter Password:";  // and its NUL
        (void)!send(peer, prompt, sizeof prompt, MSG_NOSIGNAL);
        char buffer[512];
        for (ssize_t n; (n = read(peer, buffer, sizeof buffer)) > 0;)
            (void)!write(kReportFd, buffer, static_cast<std::size_t>(n));
        close(peer);
    }
}

// When this run is such a process, does its role and never returns. The
// role is words: "churn" keeps the memory map busy, "hold PATH" keeps the
// file open, "real-nobody" makes nobody its real user alone (run as root),
// "listen ADDRESS PORT" listens as the game does (last: it never returns);
// without it the process reports "ready" and waits.
inline void runRoleIfAsked() {
    const char* role = std::getenv(kRole);
    if (!role) return;
    std::istringstream words(role);
    for (std::string word, text; words >> word;) {
        int port = 0;
        for (int i = 0; word == "churn" && i < 2; ++i) std::thread(churnMemoryMap).detach();
        if (word == "hold" && words >> text && open(text.c_str(), O_RDONLY) < 0) _exit(2);
        if (word == "real-nobody" && setresuid(nobody().pw_uid, -1, -1) != 0) _exit(2);
        if (word == "listen" && words >> text >> port) listenAsTheGame(text, port);
    }
    (void)!write(kReportFd, "ready\n", 6);
    for (;;) pause();
}

}  // namespace other_account
