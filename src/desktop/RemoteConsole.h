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
//
// Whatever answers on the port is taken for the game only as far as it talks
// as the game does: the password goes out only after the game's exact
// prompt, and a peer that floods, says something else or hangs up at once
// costs a bounded read per wake-up, a bounded buffer and at most one
// connection a second.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/GameServers.h"

namespace desktop {

using Clock = std::chrono::steady_clock;

// The longest line the server takes; it drops longer ones.
inline constexpr std::size_t kLongestConsoleLine = 254;
// What the game sends on connect, the NUL included.
inline constexpr std::string_view kConsolePrompt{"Enter Password:\0", 16};
// The most a session reads at one wake-up: a peer that keeps sending cannot
// keep the window from its other work.
inline constexpr std::size_t kReadPerWake = 64 * 1024;
// The most a session keeps of what came in: a pending echo and a little
// more. The game never sends a prompt, an echo or a login answer as long.
inline constexpr std::size_t kHeldBound = 4 * 1024;
// A connection is made no more often than this, however soon it ended.
inline constexpr auto kConnectInterval = std::chrono::seconds(1);

class RemoteConsoleClient {
public:
    enum class State {
        Closed,      // no connection (yet, or any more)
        Connecting,  // the TCP connection is being made
        Prompt,      // waiting for the password prompt
        Login,       // password sent, waiting for the answer
        Ready,       // logged in: takes commands
        Refused,     // the server closed the connection on the password
        Foreign,     // the peer is not the game's console: it sent what the
                     // game never sends before or at the login
    };

    // `password` as the server compares it: bytes of the configuration file.
    explicit RemoteConsoleClient(std::string password);
    // Closes whatever connection is left; log out first while the server lives.
    ~RemoteConsoleClient();
    RemoteConsoleClient(const RemoteConsoleClient&) = delete;
    RemoteConsoleClient& operator=(const RemoteConsoleClient&) = delete;

    State state() const { return state_; }
    bool ready() const { return state_ == State::Ready; }
    // The socket to watch for input, -1 without one.
    int fd() const { return fd_; }

    // Starts connecting to the socket without waiting: the server's own
    // listening socket, called at its own address, so that nothing else on
    // the same port elsewhere gets the password. False when that failed at
    // once (nothing listens there; the state is Closed then), or when the
    // last attempt is less than kConnectInterval ago (nothing is tried).
    bool connect(const ListeningSocket& where);
    // When the next connect() may try.
    Clock::time_point nextAttempt() const {
        return attempted_ ? lastAttempt_ + kConnectInterval : Clock::time_point::min();
    }
    // Takes in what the server sent, kReadPerWake bytes at most, and goes on
    // with the login, without waiting.
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

    // The bytes kept of what came in (at most kHeldBound, and the prompt or
    // the login answer before the session is ready).
    std::size_t heldBytes() const { return received_.size(); }
    // Called with the socket right before it is closed: whoever watches it
    // must let go first.
    std::function<void(int fd)> beforeClose;

private:
    void readAvailable();
    bool takeIn();
    void notTheGame();
    bool writeAll(const std::string& bytes);
    void closeSocket();

    std::string password_;
    State state_ = State::Closed;
    int fd_ = -1;
    // What came in since the last prompt, login answer or "quit".
    std::string received_;
    std::optional<std::string> awaitedEcho_;
    bool attempted_ = false;
    Clock::time_point lastAttempt_{};
};

}  // namespace desktop
