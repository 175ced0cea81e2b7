#include "desktop/RemoteConsole.h"

#include "desktop/GameServers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>

namespace desktop {
namespace {

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

int millisecondsUntil(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<long long>(0, left));
}

}  // namespace

RemoteConsoleClient::RemoteConsoleClient(int port, std::string password)
    : port_(port), password_(std::move(password)) {}

RemoteConsoleClient::~RemoteConsoleClient() { closeSocket(); }

bool RemoteConsoleClient::connect() {
    closeSocket();
    state_ = State::Closed;
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port_));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 &&
        errno != EINPROGRESS) {
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

// Reads everything there is now. The server ends each of its messages, the
// prompt and the login answer included, with a NUL byte; echoes carry none.
void RemoteConsoleClient::readAvailable() {
    bool ended = false;
    char buffer[4096];
    while (true) {
        const ssize_t n = recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0) {
            received_.append(buffer, static_cast<std::size_t>(n));
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
        return;
    }
    const auto nul = received_.find('\0');
    if (state_ == State::Prompt && nul != std::string::npos) {
        received_.erase(0, nul + 1);
        state_ = State::Login;
        if (!writeAll(password_ + "\r\n")) return;
    } else if (state_ == State::Login && nul != std::string::npos) {
        received_.erase(0, nul + 1);
        state_ = State::Ready;
    }
    if (awaitedEcho_ && received_.find(*awaitedEcho_) != std::string::npos) {
        // The server took the line; closing first leaves its port free.
        closeSocket();
        state_ = State::Closed;
        return;
    }
    // Only a pending echo needs what came in; keep a little for a split one.
    if (!awaitedEcho_ && state_ == State::Ready && received_.size() > 1024)
        received_.erase(0, received_.size() - 1024);
}

bool RemoteConsoleClient::waitReady(Clock::time_point deadline) {
    while (true) {
        pump();
        if (state_ == State::Ready) return true;
        if (state_ == State::Closed || state_ == State::Refused) return false;
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
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

std::optional<RemoteAccess> remoteAccessOf(const std::vector<std::string>& commandWords,
                                           const std::string& currentFolder) {
    namespace fs = std::filesystem;
    std::string name;
    for (std::size_t i = 0; i + 1 < commandWords.size(); ++i)
        if (lower(commandWords[i]) == "-dedicated") name = commandWords[i + 1];
    if (name.empty()) return std::nullopt;
    if (name.size() > 2 && (name[0] == 'Z' || name[0] == 'z') && name[1] == ':' && name[2] == '\\') {
        name.erase(0, 2);
        std::replace(name.begin(), name.end(), '\\', '/');
    }
    fs::path file(name);
    if (file.is_relative()) file = fs::path(currentFolder) / file;

    const std::optional<ConsoleSettings> settings = consoleSettingsOf(file.string());
    if (!settings || !settings->allowed || settings->password.empty() || settings->port == 0)
        return std::nullopt;
    return RemoteAccess{settings->port, settings->password};
}

}  // namespace desktop
