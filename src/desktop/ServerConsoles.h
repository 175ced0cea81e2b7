// The server console behind AppActivate and SendKeys: keystrokes into a
// window titled exactly "Descent 3" when there is one (the game's Windows
// build under Wine), otherwise the remote console of the most recently
// started server that still runs, was started with its remote console
// enabled and was not sent "quit". The native Linux build of the game has no
// window: that is how commands reach it.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "desktop/RemoteConsole.h"
#include "platform/Platform.h"

class QObject;
class QSocketNotifier;
class QTimer;

namespace desktop {

class ServerConsoles : public platform::Console {
public:
    // `keys` types into windows; it serves every title but the server's.
    explicit ServerConsoles(platform::Console& keys);
    // Logs out of every session, as logoutAll does.
    ~ServerConsoles() override;
    ServerConsoles(const ServerConsoles&) = delete;
    ServerConsoles& operator=(const ServerConsoles&) = delete;

    // A program the tool started: a dedicated server whose configuration
    // enables its remote console gets a session, logged in as soon as the
    // server listens and kept while it runs.
    void serverStarted(pid_t pid, const std::string& commandLine);
    // The tool ends: every session logs out and waits (half a second at
    // most, all together) for its server to close it, so that no server is
    // left writing into a dropped connection.
    void logoutAll();

    bool AppActivate(const std::string& title) override;
    bool IsActive(const std::string& title) override;
    bool SendKeys(const std::string& text, bool wait) override;
    platform::ConsoleProblem Problem() const override { return problem_; }

private:
    struct Server {
        pid_t pid = 0;
        std::unique_ptr<RemoteConsoleClient> client;
        bool quitSent = false;
        QSocketNotifier* notifier = nullptr;
    };

    Server* target();
    bool reach(Server& server, Clock::time_point deadline);
    void serve();
    void watch(Server& server);
    void dropNotifier(Server& server);
    void forget(Server& server);

    platform::Console& keys_;
    std::vector<std::unique_ptr<Server>> servers_;  // in the order started
    std::unique_ptr<QObject> owner_;                // parent of the timer and notifiers
    QTimer* timer_ = nullptr;
    bool remote_ = false;  // the last activation chose a remote console
    std::string pending_;  // text after the last Enter, not yet a line
    platform::ConsoleProblem problem_ = platform::ConsoleProblem::NoProblem;
};

}  // namespace desktop
