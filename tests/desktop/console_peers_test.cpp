// The server consoles against peers that are not the game's console, or
// that misbehave, on 127.0.0.1: what reaches them, how long the window
// waits, what the tool keeps in memory and how often it connects. Qt's loop
// runs (socket notifiers and the serve timer); no X display needed.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <atomic>
#include <chrono>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

#include "loopback.h"
#include "desktop/ServerConsoles.h"

namespace {

using namespace std::chrono_literals;
using desktop::Clock;

const std::string kPassword = "geheim";
const std::string kPrompt = std::string("Enter Password:") + '\0';

enum class Behaviour {
    NulOnly,          // NUL bytes instead of the prompt
    ForeignGreeting,  // the exact prompt, but the listener is not the server's
    Silent,           // takes the connection and says nothing
    FloodBeforeLogin, // the prompt's words, then data without end
    FloodAfterLogin,  // a real login, then messages without end
    Line64MB,         // a real prompt, then a 64 MB answer to the password
    AcceptAndClose,   // hangs up at once, every time
};

// A listener on 127.0.0.1 that plays one behaviour on every connection, in a
// thread of its own. It stops by itself: after kPeerLife, after its byte
// budget, or when the tool closes the connection.
class Peer {
public:
    static constexpr auto kPeerLife = 6s;

    explicit Peer(Behaviour behaviour) : behaviour_(behaviour) {
        listener_ = desktop_test::loopbackListener(port);
        thread_ = std::thread([this] { run(); });
    }
    ~Peer() {
        stop_ = true;
        thread_.join();
        close(listener_);
    }

    int port = 0;
    std::atomic<int> connections{0};
    std::string received() {
        std::lock_guard<std::mutex> lock(mutex_);
        return received_;
    }

private:
    bool over() const { return stop_ || Clock::now() > end_; }

    void run() {
        end_ = Clock::now() + kPeerLife;
        while (!over()) {
            pollfd p{listener_, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) continue;
            const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            ++connections;
            serve(fd);
            close(fd);
        }
    }

    // Sends all of it unless the connection or the peer's time ends first.
    bool say(int fd, const std::string& bytes) {
        std::size_t done = 0;
        while (done < bytes.size() && !over()) {
            const ssize_t n = send(fd, bytes.data() + done, bytes.size() - done,
                                   MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
                pollfd p{fd, POLLOUT, 0};
                poll(&p, 1, 20);
                continue;
            }
            return false;
        }
        return done == bytes.size();
    }
    // Reads what comes, echoing it, until a line end; false when the
    // connection or the peer's time ended.
    bool line(int fd, std::string* text = nullptr) {
        while (!over()) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) continue;
            char c;
            if (read(fd, &c, 1) != 1) return false;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                received_ += c;
            }
            if (!say(fd, std::string(1, c))) return false;
            if (c == '\n') return true;
            if (text && c != '\r') *text += c;
        }
        return false;
    }
    void drain(int fd) {
        while (line(fd)) {
        }
    }
    // Sends `chunk` again and again, up to `budget` bytes in all.
    void flood(int fd, const std::string& chunk, std::size_t budget) {
        for (std::size_t sent = 0; sent < budget; sent += chunk.size())
            if (!say(fd, chunk)) return;
    }
    bool logIn(int fd) {
        std::string password;
        return say(fd, kPrompt) && line(fd, &password) && password == kPassword &&
               say(fd, std::string("\r\n") + '\0');
    }

    void serve(int fd) {
        const std::string junk(64 * 1024, 'x');
        std::string messages;
        while (messages.size() < 64 * 1024) messages += std::string("Spieler Kim ist beigetreten\r\n") + '\0';
        switch (behaviour_) {
        case Behaviour::NulOnly:
            if (say(fd, std::string(64, '\0'))) drain(fd);
            break;
        case Behaviour::ForeignGreeting:
            if (say(fd, kPrompt)) drain(fd);
            break;
        case Behaviour::Silent:
            drain(fd);
            break;
        case Behaviour::FloodBeforeLogin:
            if (say(fd, "Enter Password:")) flood(fd, junk, std::size_t(1) << 30);
            break;
        case Behaviour::FloodAfterLogin:
            if (logIn(fd)) flood(fd, messages, std::size_t(1) << 30);
            break;
        case Behaviour::Line64MB: {
            std::string password;
            if (say(fd, kPrompt) && line(fd, &password)) flood(fd, junk, 64u << 20);
            break;
        }
        case Behaviour::AcceptAndClose:
            break;
        }
    }

    Behaviour behaviour_;
    int listener_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    Clock::time_point end_;
    std::mutex mutex_;
    std::string received_;
};



std::atomic<int> notifierWarnings{0};
void countNotifierWarnings(QtMsgType, const QMessageLogContext&, const QString& text) {
    if (text.contains("QSocketNotifier")) ++notifierWarnings;
}

long long ms(Clock::duration d) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
}

struct PeerCase {
    const char* name;
    Behaviour behaviour;
    bool passwordGoesOut;  // the game's own socket and its exact prompt
    bool reachable;
    int mostConnections;
};

void PrintTo(const PeerCase& c, std::ostream* os) { *os << c.name; }

class ConsolePeers : public ::testing::TestWithParam<PeerCase> {};

TEST_P(ConsolePeers, PasswordWaitsMemoryAndConnectionsStayBounded) {
    const PeerCase& c = GetParam();
    Peer peer(c.behaviour);
    // The server whose console is looked for: this process, which owns the
    // peer's listening socket, or, for the foreign listener, a process of
    // its own that holds no socket.
    pid_t server = getpid();
    if (c.behaviour == Behaviour::ForeignGreeting) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        server = fork();
        if (server == 0) {
            // Without the test's descriptors: the peer's socket is not its.
            // It says so once they are gone, before the tool looks.
            const int done = ready[1];
            if (done > 3) close_range(3, static_cast<unsigned>(done - 1), 0);
            close_range(static_cast<unsigned>(done + 1), ~0U, 0);
            const char byte = 1;
            (void)!write(done, &byte, 1);
            close(done);
            pause();
            _exit(0);
        }
        ASSERT_GT(server, 0);
        close(ready[1]);
        char byte = 0;
        ASSERT_EQ(read(ready[0], &byte, 1), 1);
        close(ready[0]);
    }
    desktop::GameServer game;
    game.pid = server;
    game.startTicks = desktop::startTicksOf(server);
    game.console.port = peer.port;
    game.console.allowed = true;
    game.console.password = kPassword;

    notifierWarnings = 0;
    qInstallMessageHandler(countNotifierWarnings);
    const long residentBefore = desktop_test::residentKilobytes();
    desktop_test::NoWindows windows;
    long long longestWake = 0, longestActivation = 0, logoutTook = 0;
    std::size_t mostHeld = 0;
    int reached = 0;
    {
        desktop::ServerConsoles consoles(windows, [&] { return std::vector{game}; });
        consoles.serverStarted(server);
        const auto start = Clock::now();
        int activations = 0;
        while (Clock::now() - start < 1500ms) {
            const auto t = Clock::now();
            QCoreApplication::processEvents();
            longestWake = std::max(longestWake, ms(Clock::now() - t));
            mostHeld = std::max(mostHeld, consoles.heldBytes());
            // Two commands: one early, one after a retry would be allowed.
            if (activations < 2 && Clock::now() - start > (activations == 0 ? 200ms : 1100ms)) {
                ++activations;
                const auto a = Clock::now();
                const bool active = consoles.AppActivate("Descent 3");
                if (active && consoles.SendKeys("Say hallo\r", true)) ++reached;
                longestActivation = std::max(longestActivation, ms(Clock::now() - a));
                EXPECT_EQ(consoles.Problem(), active ? platform::ConsoleProblem::NoProblem
                                                     : platform::ConsoleProblem::NoConsole);
            }
            std::this_thread::sleep_for(1ms);
        }
        const auto l = Clock::now();
        consoles.logoutAll();
        logoutTook = ms(Clock::now() - l);
    }
    QCoreApplication::processEvents();
    const long grownKilobytes = desktop_test::residentKilobytes() - residentBefore;
    qInstallMessageHandler(nullptr);
    if (c.behaviour == Behaviour::ForeignGreeting) {
        kill(server, SIGKILL);
        waitpid(server, nullptr, 0);
    }

    std::cout << "[ measured ] " << c.name << ": longest wake-up " << longestWake
              << " ms, longest activation " << longestActivation << " ms, logout " << logoutTook
              << " ms, most held " << mostHeld << " bytes, resident +" << grownKilobytes
              << " kB, connections " << peer.connections << "\n";
    EXPECT_EQ(peer.received().find(kPassword) != std::string::npos, c.passwordGoesOut);
    EXPECT_EQ(reached, c.reachable ? 2 : 0);
    EXPECT_LT(longestWake, 50);
    EXPECT_LT(longestActivation, 600);
    EXPECT_LT(logoutTook, 600);
    EXPECT_LE(mostHeld, desktop::kHeldBound);
    EXPECT_LT(grownKilobytes, 32 * 1024);
    EXPECT_LE(peer.connections, c.mostConnections);
    EXPECT_EQ(notifierWarnings, 0);
}

INSTANTIATE_TEST_SUITE_P(
    , ConsolePeers,
    ::testing::Values(PeerCase{"NulOnly", Behaviour::NulOnly, false, false, 1},
                      PeerCase{"ForeignGreeting", Behaviour::ForeignGreeting, false, false, 0},
                      PeerCase{"Silent", Behaviour::Silent, false, false, 1},
                      PeerCase{"FloodBeforeLogin", Behaviour::FloodBeforeLogin, false, false, 1},
                      PeerCase{"FloodAfterLogin", Behaviour::FloodAfterLogin, true, true, 1},
                      PeerCase{"Line64MB", Behaviour::Line64MB, true, false, 1},
                      // Once a second at most: at the start and at the later command.
                      PeerCase{"AcceptAndClose", Behaviour::AcceptAndClose, false, false, 3}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
