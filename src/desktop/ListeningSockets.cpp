#include "desktop/ListeningSockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "desktop/OwnProcesses.h"

namespace desktop {
namespace {

// The address a socket's table line names: hex words of 32 bits each, as the
// kernel holds them in memory.
bool hexAddress(std::string_view hex, ListeningSocket& socket) {
    if (hex.size() != 8 && hex.size() != 32) return false;
    socket.family = hex.size() == 8 ? AF_INET : AF_INET6;
    for (std::size_t word = 0; word * 8 < hex.size(); ++word) {
        const std::string digits(hex.substr(word * 8, 8));
        char* end = nullptr;
        const auto value = static_cast<uint32_t>(std::strtoul(digits.c_str(), &end, 16));
        if (end != digits.c_str() + 8) return false;
        std::memcpy(socket.address.data() + word * 4, &value, 4);
    }
    return true;
}

// The listening TCP sockets on the port (every port for 0), from one of the
// kernel's socket tables: "sl local_address rem_address st ... inode", the
// address as hex "ADDR:PORT", st 0A for listening.
void listenersFromTable(const char* table, int port, std::vector<Listener>& found) {
    const std::string text = readUpTo(open(table, O_RDONLY | O_CLOEXEC), 1 << 24);
    std::size_t start = text.find('\n');
    while (start != std::string::npos && start + 1 < text.size()) {
        ++start;
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        char local[64], remote[64], state[8];
        Listener listener;
        const std::string line = text.substr(start, end - start);
        if (std::sscanf(line.c_str(), "%*s %63s %63s %7s %*s %*s %*s %*s %*s %llu", local, remote,
                        state, &listener.inode) == 4 &&
            std::strcmp(state, "0A") == 0 && listener.inode != 0) {
            const char* colon = std::strrchr(local, ':');
            listener.socket.port = colon ? static_cast<int>(std::strtol(colon + 1, nullptr, 16)) : 0;
            if (colon && (port == 0 || listener.socket.port == port) &&
                hexAddress(std::string_view(local, static_cast<std::size_t>(colon - local)),
                           listener.socket))
                found.push_back(listener);
        }
        start = end;
    }
}

// The same from the kernel's socket diagnostics, asked for listening TCP
// sockets only: far cheaper than the text tables, which the kernel makes
// by walking every socket. False when the kernel does not answer.
bool listenersByNetlink(int family, int port, std::vector<Listener>& found) {
    const int fd = socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG);
    if (fd < 0) return false;
    struct {
        nlmsghdr header;
        inet_diag_req_v2 request;
    } message{};
    message.header.nlmsg_len = sizeof message;
    message.header.nlmsg_type = SOCK_DIAG_BY_FAMILY;
    message.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    message.request.sdiag_family = static_cast<__u8>(family);
    message.request.sdiag_protocol = IPPROTO_TCP;
    message.request.idiag_states = 1u << TCP_LISTEN;
    bool answered = send(fd, &message, sizeof message, 0) == static_cast<ssize_t>(sizeof message);
    // A dump ends with NLMSG_DONE; a bounded number of reads, in case the
    // kernel keeps sending.
    bool done = false;
    alignas(nlmsghdr) char buffer[16384];
    for (int reads = 0; answered && !done && reads < 256; ++reads) {
        ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            answered = false;
            break;
        }
        for (auto* h = reinterpret_cast<nlmsghdr*>(buffer); NLMSG_OK(h, n); h = NLMSG_NEXT(h, n)) {
            if (h->nlmsg_type == NLMSG_ERROR) answered = false;
            if (h->nlmsg_type == NLMSG_DONE || h->nlmsg_type == NLMSG_ERROR) {
                done = true;
                break;
            }
            const auto* info = static_cast<const inet_diag_msg*>(NLMSG_DATA(h));
            Listener listener;
            listener.inode = info->idiag_inode;
            listener.socket.family = info->idiag_family;
            listener.socket.port = ntohs(info->id.idiag_sport);
            std::memcpy(listener.socket.address.data(), info->id.idiag_src,
                        info->idiag_family == AF_INET ? 4 : 16);
            if (listener.inode != 0 && (port == 0 || listener.socket.port == port))
                found.push_back(listener);
        }
    }
    close(fd);
    return answered && done;
}

}  // namespace

std::vector<Listener> listeners(int port) {
    std::vector<Listener> found;
    if (port < 0 || port > 65535) return found;
    if (listenersByNetlink(AF_INET, port, found) && listenersByNetlink(AF_INET6, port, found))
        return found;
    found.clear();
    listenersFromTable("/proc/net/tcp", port, found);
    listenersFromTable("/proc/net/tcp6", port, found);
    return found;
}

ListeningSocket callable(ListeningSocket socket) {
    const bool any = std::all_of(socket.address.begin(), socket.address.end(),
                                 [](unsigned char b) { return b == 0; });
    if (any && socket.family == AF_INET) {
        const uint32_t loopback = htonl(INADDR_LOOPBACK);
        std::memcpy(socket.address.data(), &loopback, 4);
    } else if (any) {
        std::memcpy(socket.address.data(), &in6addr_loopback, 16);
    }
    return socket;
}

std::set<unsigned long long> socketInodesOf(pid_t pid) {
    std::set<unsigned long long> inodes;
    anyOpenFile(pid, [&](const std::string& fd) {
        const std::string target = linkTarget(fd);
        if (target.compare(0, 8, "socket:[") == 0)
            inodes.insert(std::strtoull(target.c_str() + 8, nullptr, 10));
        return false;
    });
    return inodes;
}

std::string ListeningSocket::text() const {
    char address[INET6_ADDRSTRLEN] = {};
    inet_ntop(family, this->address.data(), address, sizeof address);
    return family == AF_INET6 ? "[" + std::string(address) + "]:" + std::to_string(port)
                              : std::string(address) + ":" + std::to_string(port);
}

}  // namespace desktop
