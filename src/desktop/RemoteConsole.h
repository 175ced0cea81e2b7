// The dedicated server's remote console: a TCP port on which the server
// asks for a password, echoes every byte it gets and takes one command per
// line. POSIX sockets only, never blocking unless asked to wait with a
// deadline.
//
// Two habits of the server shape this client. It does not ignore SIGPIPE, so
// a connection dropped by the client while the server still writes to it
// kills the server: a session is read continuously, logged out before it is
// dropped, and after "quit" closed only once the echo is in. And the server
// listens without SO_REUSEADDR, so when it closes a connection its port stays
// blocked for a while: one session per server, logged in once.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace desktop {

using Clock = std::chrono::steady_clock;

// The longest line the server takes; it drops longer ones.
inline constexpr std::size_t kLongestConsoleLine = 254;

class RemoteConsoleClient {
public:
    enum class State {
        Closed,      // no connection (yet, or any more)
        Connecting,  // the TCP connection is being made
        Prompt,      // waiting for the password prompt
        Login,       // password sent, waiting for the answer
        Ready,       // logged in: takes commands
        Refused,     // the server closed the connection on the password
    };

    // `password` as the server compares it: bytes of the configuration file.
    RemoteConsoleClient(int port, std::string password);
    // Closes whatever connection is left; log out first while the server lives.
    ~RemoteConsoleClient();
    RemoteConsoleClient(const RemoteConsoleClient&) = delete;
    RemoteConsoleClient& operator=(const RemoteConsoleClient&) = delete;

    State state() const { return state_; }
    bool ready() const { return state_ == State::Ready; }
    // The socket to watch for input, -1 without one.
    int fd() const { return fd_; }

    // Starts connecting to 127.0.0.1 without waiting. False when that failed
    // at once (nothing listens there); the state is Closed then.
    bool connect();
    // Takes in whatever the server sent and goes on with the login, without
    // waiting.
    void pump();
    // Pumps until the session is ready, refused or closed, or the deadline
    // has passed. True when ready.
    bool waitReady(Clock::time_point deadline);

    // Sends one command line (no line end of its own). False when the
    // session is not ready, the line is too long for the server or holds a
    // line end, or the connection failed.
    bool sendLine(const std::string& line);
    // After the line that ends the server ("quit"): the session closes once
    // the server's echo of it is in (pump does that), or when the server
    // goes first.
    void closeAfterEcho(const std::string& line);
    // Logs out and waits until the server has closed the connection, up to
    // the deadline; then the session is closed. A session waiting for the
    // echo of its last line waits for that instead.
    void logout(Clock::time_point deadline);

private:
    void readAvailable();
    bool writeAll(const std::string& bytes);
    void closeSocket();

    int port_;
    std::string password_;
    State state_ = State::Closed;
    int fd_ = -1;
    // What came in since the last prompt, login answer or "quit".
    std::string received_;
    std::optional<std::string> awaitedEcho_;
};

// Whether a started server takes commands through its remote console: its
// configuration enabled it (AllowRemoteConsole=1 and a ConsolePassword) when
// it started. The configuration is the file after "-dedicated" on the
// command line (the option's name in any case); a relative one is taken from
// `currentFolder`, a Windows path on Wine's drive Z: as the Linux path it
// stands for. Keys are read in any case, a value ends at "," or ";", and the
// port is 2092 unless RemoteConsolePort says otherwise.
struct RemoteAccess {
    int port = 2092;
    std::string password;
};
std::optional<RemoteAccess> remoteAccessOf(const std::vector<std::string>& commandWords,
                                           const std::string& currentFolder);

}  // namespace desktop
