#include "desktop/ServerConsoles.h"

#include <poll.h>

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cctype>
#include <filesystem>

#include "common/CommandLine.h"
#include "common/ConsoleCommand.h"
#include "common/Encoding.h"
#include "desktop/LinuxProcesses.h"

namespace desktop {
namespace {

// The longest a command waits for a server's console to answer; a server
// slower than this counts as unreachable, and the window stays responsive.
constexpr auto kAnswerBound = std::chrono::milliseconds(500);
// How often sessions not yet logged in try again and gone servers are let go.
constexpr int kServeMs = 200;

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

}  // namespace

ServerConsoles::ServerConsoles(platform::Console& keys)
    : keys_(keys), owner_(std::make_unique<QObject>()) {
    timer_ = new QTimer(owner_.get());
    QObject::connect(timer_, &QTimer::timeout, [this] { serve(); });
}

ServerConsoles::~ServerConsoles() { logoutAll(); }

void ServerConsoles::serverStarted(pid_t pid, const std::string& commandLine) {
    std::error_code ec;
    const auto access =
        remoteAccessOf(common::splitCommandLine(commandLine), std::filesystem::current_path(ec).string());
    if (!access) return;
    auto server = std::make_unique<Server>();
    server->pid = pid;
    server->client = std::make_unique<RemoteConsoleClient>(access->port, access->password);
    // The server needs a moment before it listens; serve() tries again.
    server->client->connect();
    watch(*server);
    servers_.push_back(std::move(server));
    if (!timer_->isActive()) timer_->start(kServeMs);
}

// Sessions log in as soon as their server listens and stay open while it
// runs; a server that has gone is let go.
void ServerConsoles::serve() {
    for (auto it = servers_.begin(); it != servers_.end();) {
        Server& server = **it;
        if (!processRuns(server.pid)) {
            forget(server);
            it = servers_.erase(it);
            continue;
        }
        if (server.client->state() == RemoteConsoleClient::State::Closed && !server.quitSent)
            server.client->connect();
        server.client->pump();
        watch(server);
        ++it;
    }
    if (servers_.empty()) timer_->stop();
}

// Reads the session whenever the server sends: a server blocked on a full
// connection stops serving its game.
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

// The notifier may be the one whose signal runs now: it goes later.
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
        if (server->notifier) dropNotifier(*server);
        if (processRuns(server->pid)) server->client->logout(deadline);
        forget(*server);
    }
    servers_.clear();
    timer_->stop();
    remote_ = false;
}

// The most recently started server that runs and was not sent "quit".
ServerConsoles::Server* ServerConsoles::target() {
    for (auto it = servers_.rbegin(); it != servers_.rend(); ++it)
        if (!(*it)->quitSent && processRuns((*it)->pid)) return it->get();
    return nullptr;
}

bool ServerConsoles::reach(Server& server, Clock::time_point deadline) {
    RemoteConsoleClient& client = *server.client;
    while (true) {
        if (client.state() == RemoteConsoleClient::State::Refused) return false;
        if (client.state() == RemoteConsoleClient::State::Closed && !client.connect()) {
            // Not listening yet: a server just started opens its port soon.
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - Clock::now()).count();
            if (left <= 0) break;
            poll(nullptr, 0, static_cast<int>(std::min<long long>(left, 50)));
            continue;
        }
        if (client.waitReady(deadline)) break;
        if (Clock::now() >= deadline) break;
    }
    watch(server);
    return client.ready();
}

bool ServerConsoles::AppActivate(const std::string& title) {
    problem_ = platform::ConsoleProblem::NoProblem;
    remote_ = false;
    if (keys_.AppActivate(title)) return true;
    Server* server = title == common::kServerFenster ? target() : nullptr;
    if (server && reach(*server, Clock::now() + kAnswerBound)) {
        remote_ = true;
        return true;
    }
    problem_ = platform::ConsoleProblem::NoConsole;
    return false;
}

bool ServerConsoles::IsActive(const std::string& title) {
    if (remote_ && title == common::kServerFenster) {
        const Server* server = target();
        if (server && server->client->ready()) return true;
    }
    return keys_.IsActive(title);
}

bool ServerConsoles::SendKeys(const std::string& text, bool wait) {
    problem_ = platform::ConsoleProblem::NoProblem;
    if (!remote_) return keys_.SendKeys(text, wait);
    Server* server = target();
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
            server->client->closeAfterEcho(line);
            watch(*server);
            pending_.clear();
            break;
        }
    }
    return delivered;
}

}  // namespace desktop
