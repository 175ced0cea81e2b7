// Listening sockets for tests: on 127.0.0.1 only, on a port the system
// picks, so no test depends on a fixed port being free; and what tests of
// the server consoles share.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>

#include "desktop/GameServers.h"
#include "platform/Platform.h"

namespace desktop_test {

// A socket listening on 127.0.0.1; its port goes to `port`. -1 on failure.
inline int loopbackListener(int& port, int backlog = 8) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        listen(fd, backlog) != 0 || getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        if (fd >= 0) close(fd);
        return -1;
    }
    port = ntohs(address.sin_port);
    return fd;
}

// Where a console listening on 127.0.0.1 at `port` is called.
inline desktop::ListeningSocket onLoopback(int port) {
    desktop::ListeningSocket socket;
    socket.family = AF_INET;
    socket.port = port;
    const uint32_t loopback = htonl(INADDR_LOOPBACK);
    std::memcpy(socket.address.data(), &loopback, 4);
    return socket;
}

// No window answers to any title: every command takes the remote console.
struct NoWindows : platform::Console {
    bool AppActivate(const std::string&) override { return false; }
    bool IsActive(const std::string&) override { return false; }
    bool SendKeys(const std::string&, bool) override { return false; }
};

// Whether the process runs in `folder` or names a file there: an id a log
// names may have gone to another test's process since its server ended, and
// that one is not a test's to end.
inline bool runsFrom(pid_t pid, const std::string& folder) {
    const auto words = desktop::commandWords(pid);
    return desktop::currentFolderOf(pid) == folder ||
           std::any_of(words.begin(), words.end(),
                       [&](const std::string& w) { return w.starts_with(folder + "/"); });
}

inline long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

}  // namespace desktop_test
