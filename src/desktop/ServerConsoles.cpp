#include "desktop/ServerConsoles.h"

#include <poll.h>

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <tuple>

#include "common/ConsoleCommand.h"
#include "common/Encoding.h"

namespace desktop {
namespace {

// The longest a command waits for a server's console to answer; a server
// slower than this counts as unreachable, and the window stays responsive.
constexpr auto kAnswerBound = std::chrono::milliseconds(500);
// How often sessions not yet logged in try again, gone servers are let go
// and the running servers are looked for (a look through /proc is cheap,
// but not free).
constexpr int kServeMs = 250;
constexpr auto kScanInterval = std::chrono::milliseconds(200);
// A server this young may not listen yet: a command waits for it.
constexpr auto kListenGrace = std::chrono::seconds(10);
// The longest a wait for a server to listen sleeps at a time.
constexpr int kListenPollMs = 50;

// The text as a console line takes it: Enter (13) ends a line, other control
// characters are left out, as typing leaves them out.
std::string withoutControls(const std::string& text) {
    std::string kept;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 13 || (byte >= 0x20 && byte != 0x7F)) kept += c;
    }
    return kept;
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A console the tool can log in to: enabled, and a password the server can
// take as a line (with none, nobody gets in).
bool usable(const ConsoleSettings& console) {
    return console.allowed && !console.password.empty() &&
           console.password.size() <= kLongestConsoleLine;
}

std::vector<GameServer> gameFolderServers() {
    std::error_code ec;
    return runningGameServersIn(std::filesystem::current_path(ec).string());
}

}  // namespace

ServerConsoles::ServerConsoles(platform::Console& keys, Finder finder)
    : keys_(keys),
      finder_(finder ? std::move(finder) : Finder(gameFolderServers)),
      owner_(std::make_unique<QObject>()) {
    timer_ = new QTimer(owner_.get());
    QObject::connect(timer_, &QTimer::timeout, [this] { serve(); });
}

ServerConsoles::~ServerConsoles() { logoutAll(); }

ServerConsoles::Server* ServerConsoles::find(pid_t pid, unsigned long long startTicks) {
    for (auto& server : servers_)
        if (server->pid == pid && server->startTicks == startTicks) return server.get();
    return nullptr;
}

// Takes in the running servers: new ones with their console as their
// configuration says now (for a server just started, what it read), gone
// ones let go. A server still running but no longer listed (the game
// folder changed) keeps its session until it ends, but takes no commands.
void ServerConsoles::rescan(bool now) {
    if (!now && scanned_ && Clock::now() - lastScan_ < kScanInterval) return;
    scanned_ = true;
    lastScan_ = Clock::now();
    for (auto& server : servers_) server->listed = false;
    for (const GameServer& found : finder_()) {
        if (Server* known = find(found.pid, found.startTicks)) {
            known->listed = true;
            continue;
        }
        auto server = std::make_unique<Server>();
        server->pid = found.pid;
        server->startTicks = found.startTicks;
        server->console = found.console;
        server->seen = Clock::now();
        if (usable(found.console)) {
            server->client = std::make_unique<RemoteConsoleClient>(found.console.password);
            // The notifier goes before its socket: Qt must not watch a
            // descriptor that is closed (or already reused).
            Server* s = server.get();
            server->client->beforeClose = [this, s](int) {
                if (s->notifier) dropNotifier(*s);
            };
        }
        servers_.push_back(std::move(server));
    }
    for (auto it = servers_.begin(); it != servers_.end();) {
        if ((*it)->listed || processIs((*it)->pid, (*it)->startTicks)) {
            ++it;
            continue;
        }
        forget(**it);
        it = servers_.erase(it);
    }
    if (!servers_.empty() && !timer_->isActive()) timer_->start(kServeMs);
}

void ServerConsoles::serverStarted(pid_t pid) {
    rescan(true);
    for (auto& server : servers_)
        if (server->pid == pid) {
            server->wanted = true;
            connectIfListening(*server);
            watch(*server);
        }
}

// Connects only to the server's own listening socket, at its own address:
// whatever else holds the port, there or on another address, is no console
// of this server. A connection is tried at most once a second.
void ServerConsoles::connectIfListening(Server& server) {
    if (!server.client || server.quitSent ||
        server.client->state() != RemoteConsoleClient::State::Closed ||
        Clock::now() < server.client->nextAttempt())
        return;
    if (const auto socket = consoleSocketOf(server.pid, server.console.port))
        server.client->connect(*socket);
}

// Sessions log in as soon as their server listens and stay open while it
// runs; a server that has gone is let go.
void ServerConsoles::serve() {
    rescan(false);
    for (auto it = servers_.begin(); it != servers_.end();) {
        Server& server = **it;
        if (!processIs(server.pid, server.startTicks)) {
            forget(server);
            it = servers_.erase(it);
            continue;
        }
        if (server.wanted) connectIfListening(server);
        if (server.client) server.client->pump();
        watch(server);
        ++it;
    }
    if (servers_.empty()) timer_->stop();
}

// Reads the session whenever the server sends: a server blocked on a full
// connection stops serving its game. Each wake-up reads a bounded amount.
void ServerConsoles::watch(Server& server) {
    const int fd = server.client ? server.client->fd() : -1;
    if (server.notifier && server.notifier->socket() != fd) dropNotifier(server);
    if (fd < 0 || server.notifier) return;
    server.notifier = new QSocketNotifier(fd, QSocketNotifier::Read, owner_.get());
    Server* s = &server;
    QObject::connect(server.notifier, &QSocketNotifier::activated, [this, s] {
        s->client->pump();
        watch(*s);
    });
}

// The notifier may be the one whose signal runs now: it goes later, but it
// stops watching at once.
void ServerConsoles::dropNotifier(Server& server) {
    server.notifier->setEnabled(false);
    QObject::disconnect(server.notifier, nullptr, nullptr, nullptr);
    server.notifier->deleteLater();
    server.notifier = nullptr;
}

void ServerConsoles::forget(Server& server) {
    if (server.notifier) dropNotifier(server);
    server.client.reset();
}

void ServerConsoles::logoutAll() {
    const auto deadline = Clock::now() + kAnswerBound;
    for (auto& server : servers_) {
        if (server->client && processIs(server->pid, server->startTicks))
            server->client->logout(deadline);
        forget(*server);
    }
    servers_.clear();
    timer_->stop();
    remote_ = false;
}

std::size_t ServerConsoles::heldBytes() const {
    std::size_t held = 0;
    for (const auto& server : servers_)
        if (server->client) held += server->client->heldBytes();
    return held;
}

// The most recently started server of the game folder that runs and was not
// sent "quit", whether its console can be reached or not: a command meant
// for it never goes to an older one.
ServerConsoles::Server* ServerConsoles::target() {
    Server* newest = nullptr;
    for (auto& server : servers_) {
        if (!server->listed || server->quitSent || !processIs(server->pid, server->startTicks))
            continue;
        if (!newest || std::tie(server->startTicks, server->pid) > std::tie(newest->startTicks, newest->pid))
            newest = server.get();
    }
    return newest;
}

ServerConsoles::Server* ServerConsoles::active() {
    Server* server = remote_ ? find(activePid_, activeTicks_) : nullptr;
    return server && server->client && processIs(server->pid, server->startTicks) ? server
                                                                                   : nullptr;
}

bool ServerConsoles::reach(Server& server, Clock::time_point deadline) {
    if (!server.client) return false;
    server.wanted = true;
    RemoteConsoleClient& client = *server.client;
    using State = RemoteConsoleClient::State;
    while (client.state() != State::Ready) {
        const State state = client.state();
        if (state == State::Refused || state == State::Foreign) break;
        const auto now = Clock::now();
        if (state == State::Closed) {
            const auto socket = consoleSocketOf(server.pid, server.console.port);
            const bool listens = socket.has_value();
            if (listens && client.connect(*socket)) continue;
            // A server just started opens its port soon; one that listens
            // but dropped the last connection is not called again so soon.
            const bool young = now - server.seen < kListenGrace;
            if ((listens && client.nextAttempt() > deadline) || (!listens && !young)) break;
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
            if (left <= 0) break;
            poll(nullptr, 0, static_cast<int>(std::min<long long>(left, kListenPollMs)));
            continue;
        }
        if (client.waitReady(deadline) || Clock::now() >= deadline) break;
    }
    watch(server);
    return client.ready();
}

bool ServerConsoles::AppActivate(const std::string& title) {
    problem_ = platform::ConsoleProblem::NoProblem;
    remote_ = false;
    if (keys_.AppActivate(title)) return true;
    problem_ = platform::ConsoleProblem::NoConsole;
    if (title == common::kServerFenster) {
        rescan(false);
        Server* server = target();
        // Advice on reaching a server's console helps nobody when no
        // server runs at all.
        if (!server) problem_ = platform::ConsoleProblem::NoServer;
        if (server && reach(*server, Clock::now() + kAnswerBound)) {
            problem_ = platform::ConsoleProblem::NoProblem;
            remote_ = true;
            activePid_ = server->pid;
            activeTicks_ = server->startTicks;
            return true;
        }
    }
    return false;
}

bool ServerConsoles::IsActive(const std::string& title) {
    if (remote_ && title == common::kServerFenster) {
        const Server* server = active();
        if (server && server->client->ready()) return true;
    }
    return keys_.IsActive(title);
}

bool ServerConsoles::SendKeys(const std::string& text, bool wait) {
    problem_ = platform::ConsoleProblem::NoProblem;
    if (!remote_) {
        const bool typed = keys_.SendKeys(text, wait);
        if (typed && quitSent && lower(withoutControls(text)) == "quit\r") quitSent(0);
        return typed;
    }
    // Only to the server that was activated: another one started since
    // does not get a command meant for this one.
    Server* server = active();
    if (!server || !server->client->ready()) {
        problem_ = platform::ConsoleProblem::NoConsole;
        return false;
    }
    pending_ += withoutControls(text);
    bool delivered = true;
    for (auto end = pending_.find('\r'); end != std::string::npos; end = pending_.find('\r')) {
        const std::string line = common::utf8ToAnsi(pending_.substr(0, end));
        pending_.erase(0, end + 1);
        if (line.empty()) continue;
        // The server would drop it and tell nobody but its own console.
        if (line.size() > kLongestConsoleLine) {
            problem_ = platform::ConsoleProblem::LineTooLong;
            delivered = false;
            continue;
        }
        if (!server->client->sendLine(line)) {
            problem_ = platform::ConsoleProblem::NoConsole;
            pending_.clear();
            watch(*server);
            return false;
        }
        if (lower(line) == "quit") {
            // Ends this server: no longer a target, and its session closes
            // once the echo is in, which leaves the server's port free for
            // the next start.
            server->quitSent = true;
            if (quitSent) quitSent(server->pid);
            server->client->closeAfterEcho(line);
            watch(*server);
            pending_.clear();
            break;
        }
    }
    return delivered;
}

}  // namespace desktop
