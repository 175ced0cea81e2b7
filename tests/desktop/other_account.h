// Processes of another account on the same machine, for tests and
// benchmarks: this program run again as the user nobody, with any command
// line a test gives it, doing one of a few things another account may do to
// the tool. Only root can start them; tests skip without (available()).
//
// A program that uses start() calls runRoleIfAsked() first thing in main().
#pragma once

#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <arpa/inet.h>

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace other_account {

inline constexpr const char* kRole = "VANTOR_OTHER_ACCOUNT_ROLE";
inline constexpr const char* kReport = "VANTOR_OTHER_ACCOUNT_REPORT";

// Whether this process can start processes as nobody.
inline bool available() { return geteuid() == 0 && getpwnam("nobody") != nullptr; }

struct Account {
    uid_t uid = 0;
    gid_t gid = 0;
};

// Looked up before a fork: the child of a process with threads may only
// make calls that take no lock.
inline Account nobody() {
    const passwd* entry = getpwnam("nobody");
    return entry ? Account{entry->pw_uid, entry->pw_gid} : Account{};
}

// In a forked child: become that user for good, and die with the parent.
inline bool become(Account account) {
    const pid_t parent = getppid();
    if (account.uid == 0 || setgroups(0, nullptr) != 0 || setgid(account.gid) != 0 ||
        setuid(account.uid) != 0)
        return false;
    // After the change of user: a change of credentials clears it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    return getppid() == parent;
}

// A process of nobody's running this program with `words` as its command
// line (any words: a test makes it look like a server of the game) and
// `role` as what it does (see runRoleIfAsked). What a listener receives
// comes back through received(). Killed when it goes out of scope.
class Process {
public:
    Process(const std::string& role, const std::vector<std::string>& words, bool asNobody = true) {
        int report[2];
        if (pipe2(report, O_CLOEXEC) != 0) return;
        // Opened before the change of user: nobody need not reach the
        // build folder, only execute the file.
        const int self = open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
        std::vector<std::string> env{std::string(kRole) + "=" + role,
                                     std::string(kReport) + "=" + std::to_string(report[1])};
        for (char** e = environ; *e; ++e) env.emplace_back(*e);
        std::vector<char*> argv, envp;
        for (const auto& w : words) argv.push_back(const_cast<char*>(w.c_str()));
        for (auto& e : env) envp.push_back(e.data());
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        const Account account = nobody();
        pid = fork();
        if (pid == 0) {
            fcntl(report[1], F_SETFD, 0);  // kept across the exec
            if (asNobody ? !become(account) : prctl(PR_SET_PDEATHSIG, SIGKILL) != 0) _exit(126);
            syscall(SYS_execveat, self, "", argv.data(), envp.data(), AT_EMPTY_PATH);
            _exit(127);
        }
        close(self);
        close(report[1]);
        report_ = report[0];
        fcntl(report_, F_SETFL, O_NONBLOCK);
    }
    ~Process() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (report_ >= 0) close(report_);
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Waits up to 10 s for the role's "ready" line; false when it died.
    bool ready() {
        for (int i = 0; i < 1000 && received_.find("ready\n") == std::string::npos; ++i) {
            pollfd p{report_, POLLIN, 0};
            poll(&p, 1, 10);
            if (!take()) return false;
        }
        return received_.find("ready\n") != std::string::npos;
    }
    // Everything it reported so far: "ready", then what its listener got.
    std::string received() {
        take();
        return received_;
    }

    pid_t pid = -1;

private:
    bool take() {
        char buffer[4096];
        ssize_t n;
        while ((n = read(report_, buffer, sizeof buffer)) > 0)
            received_.append(buffer, static_cast<std::size_t>(n));
        return n != 0;
    }
    int report_ = -1;
    std::string received_;
};

// `count` sleeping processes of nobody's (/bin/sleep), until the returned
// process is killed; -1 when they could not be had.
inline pid_t startSleepers(int count) {
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0) return -1;
    const Account account = nobody();
    const pid_t keeper = fork();
    if (keeper == 0) {
        if (!become(account)) _exit(126);
        for (int i = 0; i < count; ++i)
            if (fork() == 0) {
                prctl(PR_SET_PDEATHSIG, SIGKILL);
                execl("/bin/sleep", "sleep", "infinity", static_cast<char*>(nullptr));
                for (;;) pause();
            }
        const char byte = 1;
        (void)!write(ready[1], &byte, 1);
        for (;;) pause();
    }
    close(ready[1]);
    char byte = 0;
    const bool started = keeper > 0 && read(ready[0], &byte, 1) == 1;
    close(ready[0]);
    if (!started && keeper > 0) {
        kill(keeper, SIGKILL);
        waitpid(keeper, nullptr, 0);
    }
    return started ? keeper : -1;
}

namespace detail {

// Keeps the memory map busy without end: every read of this process's
// command line waits for the map while it changes.
[[noreturn]] inline void churnMemoryMap() {
    constexpr std::size_t kSize = std::size_t(128) << 20;
    for (;;) {
        void* p = mmap(nullptr, kSize, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
        if (p == MAP_FAILED) continue;
        mprotect(p, kSize, PROT_READ);
        munmap(p, kSize);
    }
}

// Listens at the address and port with the game's prompt, and reports every
// byte it receives.
[[noreturn]] inline void listenAsTheGame(const std::string& address, int port, int report) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, address.c_str(), &at.sin_addr);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 || listen(fd, 8) != 0)
        _exit(3);
    (void)!write(report, "ready\n", 6);
    for (;;) {
        const int peer = accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (peer < 0) continue;
        const char prompt[] = "Enter Password:";
        (void)!send(peer, prompt, sizeof prompt, MSG_NOSIGNAL);  // the NUL included
        char buffer[512];
        ssize_t n;
        while ((n = read(peer, buffer, sizeof buffer)) > 0) (void)!write(report, buffer, n);
        close(peer);
    }
}

}  // namespace detail

// When this run is one of the processes above, does its role and never
// returns. The role is words: "churn" keeps the memory map busy, "hold
// PATH" keeps the file open, "listen ADDRESS PORT" listens as the game does
// (last, as it never returns); without "listen" it reports "ready" and waits.
inline void runRoleIfAsked() {
    const char* role = std::getenv(kRole);
    const char* reportText = std::getenv(kReport);
    if (!role || !reportText) return;
    const int report = std::atoi(reportText);
    std::istringstream words(role);
    std::vector<std::thread> churners;
    for (std::string word; words >> word;) {
        if (word == "churn") {
            // At the lowest priority: what is measured beside it is the wait
            // for its map, not a share of a busy machine's cores.
            setpriority(PRIO_PROCESS, 0, 19);
            for (int i = 0; i < 2; ++i) churners.emplace_back(detail::churnMemoryMap);
        } else if (word == "hold") {
            std::string path;
            words >> path;
            if (open(path.c_str(), O_RDONLY) < 0) _exit(2);
        } else if (word == "listen") {
            std::string address;
            int port = 0;
            words >> address >> port;
            detail::listenAsTheGame(address, port, report);
        }
    }
    (void)!write(report, "ready\n", 6);
    for (;;) pause();
}

}  // namespace other_account
