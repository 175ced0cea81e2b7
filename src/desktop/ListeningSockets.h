// The kernel's listening TCP sockets, and which of them a process owns.
#pragma once

#include <sys/types.h>

#include <array>
#include <set>
#include <string>
#include <vector>

namespace desktop {

// A listening TCP socket, and the address to call it at: a socket on every
// address is called on the loopback one.
struct ListeningSocket {
    int family = 0;                          // AF_INET or AF_INET6
    std::array<unsigned char, 16> address{}; // network byte order; 4 used for IPv4
    int port = 0;
    // "127.0.0.2:2092", "[::1]:2092"
    std::string text() const;
};

// A listening socket with its inode, which names it among a process's open
// files.
struct Listener {
    unsigned long long inode = 0;
    ListeningSocket socket;
};

// The listening TCP sockets on `port` (every port for 0), IPv4 and IPv6,
// each as it is bound.
std::vector<Listener> listeners(int port);

// Where to call a socket: one on every address answers on the loopback one.
ListeningSocket callable(ListeningSocket socket);

// The inodes of the sockets among the process's open files.
std::set<unsigned long long> socketInodesOf(pid_t pid);

}  // namespace desktop
