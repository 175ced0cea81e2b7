// The server console behind AppActivate and SendKeys: keystrokes into a
// window titled exactly "Descent 3" when there is one (the game's Windows
// build under Wine), otherwise the remote console of the most recently
// started game server of the game folder that runs and was not sent "quit".
// The native Linux build of the game has no window: that is how commands
// reach it.
//
// The servers are found by their processes, whether this run of the tool
// started them or an earlier one did, so a restarted tool reaches them too.
// Only this user's servers count (see GameServers.h). A session belongs to
// the process it was opened for, its id and its start time: it connects only
// to the listening socket that process owns, at the address that socket is
// bound to, so a command never reaches another server or a foreign program
// on the same port. The port is the socket's; the password is what the
// server's configuration said when the tool first saw the server.
#pragma once

#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "desktop/GameServers.h"
#include "desktop/RemoteConsole.h"
#include "platform/Platform.h"

class QObject;
class QSocketNotifier;
class QTimer;

namespace desktop {

class ServerConsoles : public platform::Console {
public:
    // The running game servers that commands may reach.
    using Finder = std::function<std::vector<GameServer>()>;

    // `keys` types into windows; it serves every title but the server's.
    // `finder` by default gives the game servers of the game folder, which
    // is the current folder while the tool runs.
    explicit ServerConsoles(platform::Console& keys, Finder finder = {});
    // Logs out of every session, as logoutAll does.
    ~ServerConsoles() override;
    ServerConsoles(const ServerConsoles&) = delete;
    ServerConsoles& operator=(const ServerConsoles&) = delete;

    // A program the tool started: when it is a game server whose
    // configuration enables its remote console, its session logs in as soon
    // as the server listens, and is kept while it runs.
    void serverStarted(pid_t pid);
    // The tool ends: every session logs out and waits (half a second at
    // most, all together) for its server to close it, so that no server is
    // left writing into a dropped connection.
    void logoutAll();

    // Told of every "quit" sent: the server's process id, or 0 when it was
    // typed into a window, whose server is not known here.
    std::function<void(pid_t pid)> quitSent;

    bool AppActivate(const std::string& title) override;
    bool IsActive(const std::string& title) override;
    bool SendKeys(const std::string& text, bool wait) override;
    platform::ConsoleProblem Problem() const override { return problem_; }

    // What the sessions keep of what came in, all together.
    std::size_t heldBytes() const;

private:
    struct Server {
        pid_t pid = 0;
        unsigned long long startTicks = 0;
        ConsoleSettings console;  // as read when the tool first saw the server
        Clock::time_point seen;   // when that was
        bool listed = true;       // among the servers found at the last look
        bool wanted = false;      // started by this run or asked for: keep a session
        bool quitSent = false;
        std::unique_ptr<RemoteConsoleClient> client;  // none: no console the tool can use
        QSocketNotifier* notifier = nullptr;
    };

    void rescan(bool now);
    Server* find(pid_t pid, unsigned long long startTicks);
    Server* target();
    Server* active();
    bool reach(Server& server, Clock::time_point deadline);
    void connectIfListening(Server& server);
    void serve();
    void watch(Server& server);
    void dropNotifier(Server& server);
    void forget(Server& server);

    platform::Console& keys_;
    Finder finder_;
    std::vector<std::unique_ptr<Server>> servers_;
    std::unique_ptr<QObject> owner_;  // parent of the timer and notifiers
    QTimer* timer_ = nullptr;
    Clock::time_point lastScan_{};
    bool scanned_ = false;
    // The server the last activation chose; commands go to it alone.
    pid_t activePid_ = 0;
    unsigned long long activeTicks_ = 0;
    bool remote_ = false;  // the last activation chose a remote console
    std::string pending_;  // text after the last Enter, not yet a line
    platform::ConsoleProblem problem_ = platform::ConsoleProblem::NoProblem;
};

}  // namespace desktop
