#include "desktop/RemoteConsole.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace desktop {
namespace {

int millisecondsUntil(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<long long>(0, left));
}

}  // namespace

RemoteConsoleClient::RemoteConsoleClient(std::string password) : password_(std::move(password)) {}

RemoteConsoleClient::~RemoteConsoleClient() { closeSocket(); }

bool RemoteConsoleClient::connect(const ListeningSocket& where) {
    // A peer that takes a connection and drops it at once must not be
    // called again and again.
    const auto now = Clock::now();
    if (now < nextAttempt()) return false;
    attempted_ = true;
    lastAttempt_ = now;
    closeSocket();
    state_ = State::Closed;
    sockaddr_storage address{};
    socklen_t size = 0;
    if (where.family == AF_INET) {
        auto& v4 = reinterpret_cast<sockaddr_in&>(address);
        v4.sin_family = AF_INET;
        v4.sin_port = htons(static_cast<uint16_t>(where.port));
        std::memcpy(&v4.sin_addr, where.address.data(), 4);
        size = sizeof v4;
    } else if (where.family == AF_INET6) {
        auto& v6 = reinterpret_cast<sockaddr_in6&>(address);
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(static_cast<uint16_t>(where.port));
        std::memcpy(&v6.sin6_addr, where.address.data(), 16);
        size = sizeof v6;
    } else {
        return false;
    }
    fd_ = socket(where.family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return false;
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), size) != 0 && errno != EINPROGRESS) {
        closeSocket();
        return false;
    }
    received_.clear();
    awaitedEcho_.reset();
    state_ = State::Connecting;
    return true;
}

void RemoteConsoleClient::pump() {
    if (state_ == State::Connecting) {
        pollfd p{fd_, POLLOUT, 0};
        if (poll(&p, 1, 0) <= 0) return;
        int error = 0;
        socklen_t size = sizeof error;
        if (getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) {
            closeSocket();
            state_ = State::Closed;
            return;
        }
        state_ = State::Prompt;
    }
    if (fd_ < 0) return;
    readAvailable();
}

// Reads what there is now, kReadPerWake bytes at most: the rest waits for
// the next wake-up. Each piece is taken in before the next is read, so the
// buffer stays bounded however much a peer sends.
void RemoteConsoleClient::readAvailable() {
    char buffer[16 * 1024];
    std::size_t taken = 0;
    bool ended = false;
    while (taken < kReadPerWake) {
        const ssize_t n =
            recv(fd_, buffer, std::min(sizeof buffer, kReadPerWake - taken), MSG_DONTWAIT);
        if (n > 0) {
            taken += static_cast<std::size_t>(n);
            received_.append(buffer, static_cast<std::size_t>(n));
            if (!takeIn()) return;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        ended = n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        break;
    }
    if (ended) {
        // The server closed: after the password that means it was wrong.
        const bool refused = state_ == State::Login;
        closeSocket();
        state_ = refused ? State::Refused : State::Closed;
    }
}

// Goes on with the login and the awaited echo; false once the session has
// closed. The game's prompt comes first and alone, and its answer to the
// password (the echo, then CR LF NUL) is short: a peer that sends anything
// else is not the game, and the password never goes to it.
bool RemoteConsoleClient::takeIn() {
    if (state_ == State::Prompt) {
        const std::size_t n = std::min(received_.size(), kConsolePrompt.size());
        if (received_.size() > kConsolePrompt.size() ||
            std::string_view(received_).substr(0, n) != kConsolePrompt.substr(0, n)) {
            notTheGame();
            return false;
        }
        if (received_.size() < kConsolePrompt.size()) return true;
        received_.clear();
        state_ = State::Login;
        return writeAll(password_ + "\r\n");
    }
    if (state_ == State::Login) {
        const auto nul = received_.find('\0');
        if (nul == std::string::npos) {
            if (received_.size() > kHeldBound) {
                notTheGame();
                return false;
            }
            return true;
        }
        received_.erase(0, nul + 1);
        state_ = State::Ready;
    }
    if (awaitedEcho_ && received_.find(*awaitedEcho_) != std::string::npos) {
        // The server took the line; closing first leaves its port free.
        closeSocket();
        state_ = State::Closed;
        return false;
    }
    // Only a pending echo needs what came in; keep enough for a split one.
    if (received_.size() > kHeldBound)
        received_.erase(0, received_.size() - (kLongestConsoleLine + 2));
    return true;
}

void RemoteConsoleClient::notTheGame() {
    closeSocket();
    received_.clear();
    state_ = State::Foreign;
}

bool RemoteConsoleClient::waitReady(Clock::time_point deadline) {
    while (true) {
        pump();
        if (state_ == State::Ready) return true;
        if (state_ == State::Closed || state_ == State::Refused || state_ == State::Foreign)
            return false;
        const int wait = millisecondsUntil(deadline);
        if (wait == 0) return false;
        pollfd p{fd_, static_cast<short>(state_ == State::Connecting ? POLLOUT : POLLIN), 0};
        poll(&p, 1, wait);
    }
}

bool RemoteConsoleClient::writeAll(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        // MSG_NOSIGNAL: a server gone meanwhile must not take the tool along.
        const ssize_t n = send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{fd_, POLLOUT, 0};
            if (poll(&p, 1, 500) > 0) continue;
        }
        if (n <= 0) {
            // Whatever the server still sends is read before closing, so
            // the close does not cut it off mid-write.
            readAvailable();
            closeSocket();
            state_ = State::Closed;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool RemoteConsoleClient::sendLine(const std::string& line) {
    if (state_ != State::Ready || line.size() > kLongestConsoleLine ||
        line.find_first_of("\r\n") != std::string::npos)
        return false;
    received_.clear();
    return writeAll(line + "\r\n");
}

void RemoteConsoleClient::closeAfterEcho(const std::string& line) {
    if (state_ != State::Ready) return;
    // The echo of the line just sent, as the server returns it.
    awaitedEcho_ = line + "\r\n";
    pump();
}

void RemoteConsoleClient::logout(Clock::time_point deadline) {
    if (state_ == State::Ready && (awaitedEcho_ || writeAll("logout\r\n"))) {
        while (fd_ >= 0) {
            readAvailable();
            const int wait = millisecondsUntil(deadline);
            if (fd_ < 0 || wait == 0) break;
            pollfd p{fd_, POLLIN, 0};
            poll(&p, 1, wait);
        }
    } else if (fd_ >= 0) {
        readAvailable();
    }
    closeSocket();
    state_ = State::Closed;
}

void RemoteConsoleClient::closeSocket() {
    if (fd_ < 0) return;
    if (beforeClose) beforeClose(fd_);
    close(fd_);
    fd_ = -1;
}

}  // namespace desktop
