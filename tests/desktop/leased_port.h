// Ports for the servers the tests start. A port found free by binding port 0
// is one the kernel may hand to any other socket a moment later, before the
// server binds it; these come from just below the kernel's ephemeral range,
// where no socket bound to port 0 gets one, and each is leased through a
// lock file that every test process on the machine shares, whatever build
// tree it runs from. The host's console ports 2092 and 2093 are never leased.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <string>

namespace desktop_test {

// Whether a port can be bound now on every interface, as a server without
// SO_REUSEADDR binds it: not while anything is bound to it on any address.
inline bool bindable(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(static_cast<uint16_t>(port));
    const bool bound = fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0;
    if (fd >= 0) close(fd);
    return bound;
}

// A port held for this object's life: no other lease on the machine gets it
// meanwhile, and it was bindable when it was handed out.
class LeasedPort {
public:
    LeasedPort() {
        constexpr const char* kFolder = "/tmp/vantor-test-ports";
        mkdir(kFolder, 01777);
        chmod(kFolder, 01777);
        int first = 32768;
        std::ifstream("/proc/sys/net/ipv4/ip_local_port_range") >> first;
        const int lowest = std::max(1024, first - 4096), count = first - lowest;
        // Processes started side by side begin at different ports.
        static std::atomic<int> leases{0};
        const int start = static_cast<int>((getpid() * 97L + leases++ * 13L) % std::max(count, 1));
        for (int i = 0; i < count && port_ == 0; ++i) {
            const int port = lowest + (start + i) % count;
            if (port == 2092 || port == 2093) continue;
            const std::string lock = std::string(kFolder) + "/" + std::to_string(port) + ".lock";
            const int fd = open(lock.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
            if (fd < 0) continue;
            if (flock(fd, LOCK_EX | LOCK_NB) == 0 && bindable(port)) {
                lock_ = fd;
                port_ = port;
            } else {
                close(fd);
            }
        }
        if (port_ == 0) ADD_FAILURE() << "no port below " << first << " could be leased";
    }
    ~LeasedPort() {
        if (lock_ >= 0) close(lock_);
    }
    LeasedPort(const LeasedPort&) = delete;
    LeasedPort& operator=(const LeasedPort&) = delete;

    int port() const { return port_; }
    std::string text() const { return std::to_string(port_); }

private:
    int lock_ = -1;
    int port_ = 0;
};

// What the stand-in server takes from its environment under the tests: a
// server started without -useip listens on 127.0.0.1, one whose
// configuration names no RemoteConsolePort listens on `defaultPort`, and
// none listens on the host's ports. Inherited by every server the test
// process starts, also through the tool's program it runs.
inline void standinUnderTest(int defaultPort) {
    setenv("STANDIN_UNDER_TEST", "1", 1);
    setenv("STANDIN_CONSOLE_ADDRESS", "127.0.0.1", 1);
    setenv("STANDIN_CONSOLE_PORT", std::to_string(defaultPort).c_str(), 1);
}

}  // namespace desktop_test
