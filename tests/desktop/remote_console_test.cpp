// The remote-console client against a scripted server on 127.0.0.1, and how
// a server's command line and configuration tell whether and where it takes
// commands remotely. No X display needed.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "TestFolders.h"
#include "loopback.h"
#include "desktop/GameServers.h"
#include "desktop/RemoteConsole.h"

namespace {

using desktop::Clock;
using desktop::RemoteConsoleClient;
using State = RemoteConsoleClient::State;
using namespace std::chrono_literals;

const std::string kPrompt = std::string("Enter Password:") + '\0';
const std::string kLoggedIn = std::string("\r\n") + '\0';

// A server that takes one connection and plays a script on it, in a thread
// of its own. The script reads and writes through the helpers below.
class ScriptedPeer {
public:
    explicit ScriptedPeer(std::function<void(ScriptedPeer&)> script) {
        listener_ = desktop_test::loopbackListener(port, 1);
        thread_ = std::thread([this, script] {
            fd_ = accept(listener_, nullptr, nullptr);
            if (fd_ >= 0) script(*this);
        });
    }
    ~ScriptedPeer() {
        shutdown(listener_, SHUT_RDWR);
        thread_.join();
        if (fd_ >= 0) close(fd_);
        close(listener_);
    }

    void say(const std::string& bytes) { ASSERT_EQ(write(fd_, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
    // Reads until a line end came, echoing every byte as the server does;
    // "" at the end of the connection (then `closedByClient` is set).
    std::string line() {
        std::string text;
        char c;
        while (true) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 5000) <= 0 || read(fd_, &c, 1) != 1) {
                closedByClient = true;
                return text;
            }
            received += c;
            say(std::string(1, c));
            // The client ends its lines with CR LF.
            if (c == '\n') return text;
            if (c != '\r') text += c;
        }
    }
    void hangUp() {
        close(fd_);
        fd_ = -1;
    }

    int port = 0;
    std::string received;  // every byte the client sent
    bool closedByClient = false;

private:
    int listener_ = -1;
    int fd_ = -1;
    std::thread thread_;
};

// The login the server does: prompt, the password line, the answer.
void logIn(ScriptedPeer& peer, const std::string& password = "geheim") {
    peer.say(kPrompt);
    if (peer.line() == password) peer.say(kLoggedIn);
    else peer.hangUp();
}

Clock::time_point inHalfASecond() { return Clock::now() + 500ms; }

TEST(RemoteConsole, LogsInSendsCommandsReadsPastEchoAndMessagesAndLogsOut) {
    std::string command;
    ScriptedPeer peer([&](ScriptedPeer& p) {
        logIn(p);
        command = p.line();
        // A message of the server's among the echoes.
        p.say(std::string("Spieler Kim ist beigetreten\r\n") + '\0');
        if (p.line() == "logout") p.hangUp();
    });
    RemoteConsoleClient client("geheim");
    ASSERT_TRUE(client.connect(desktop_test::onLoopback(peer.port)));
    ASSERT_TRUE(client.waitReady(inHalfASecond()));
    ASSERT_TRUE(client.sendLine("say Grüße"));
    // Reading on while the server answers keeps the session as it is.
    const auto until = Clock::now() + 200ms;
    while (Clock::now() < until) client.pump();
    EXPECT_TRUE(client.ready());

    client.logout(inHalfASecond());
    EXPECT_EQ(client.state(), State::Closed);
    EXPECT_EQ(client.fd(), -1);
    EXPECT_EQ(command, "say Grüße");
    EXPECT_EQ(peer.received, "geheim\r\nsay Grüße\r\nlogout\r\n");
}

TEST(RemoteConsole, WrongPasswordIsRefusedAndNothingIsSent) {
    ScriptedPeer peer([](ScriptedPeer& p) { logIn(p, "richtig"); });
    RemoteConsoleClient client("falsch");
    ASSERT_TRUE(client.connect(desktop_test::onLoopback(peer.port)));
    EXPECT_FALSE(client.waitReady(inHalfASecond()));
    EXPECT_EQ(client.state(), State::Refused);
    EXPECT_FALSE(client.sendLine("quit"));
    EXPECT_EQ(peer.received, "falsch\r\n");
}

// A server that takes the connection and never says anything counts as
// unreachable once the half second is over, and the wait is no longer.
TEST(RemoteConsole, SilentServerIsUnreachableWithinTheBound) {
    ScriptedPeer peer([](ScriptedPeer& p) { p.line(); });
    RemoteConsoleClient client("geheim");
    ASSERT_TRUE(client.connect(desktop_test::onLoopback(peer.port)));
    const auto start = Clock::now();
    EXPECT_FALSE(client.waitReady(start + 500ms));
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, 490ms);
    EXPECT_LT(waited, 700ms);
    EXPECT_FALSE(client.ready());
    // The connection stays: dropping it could cut the server off mid-write.
    EXPECT_GE(client.fd(), 0);
    client.logout(Clock::now());
}

// The server drops lines of 255 characters or more: such a line is not
// sent, and neither is a line with a line end of its own.
TEST(RemoteConsole, LineTooLongForTheServerIsNotSent) {
    std::string taken;
    ScriptedPeer peer([&](ScriptedPeer& p) {
        logIn(p);
        taken = p.line();
        p.line();
    });
    RemoteConsoleClient client("geheim");
    ASSERT_TRUE(client.connect(desktop_test::onLoopback(peer.port)));
    ASSERT_TRUE(client.waitReady(inHalfASecond()));
    EXPECT_FALSE(client.sendLine(std::string(255, 'x')));
    EXPECT_FALSE(client.sendLine("say a\rquit"));
    EXPECT_TRUE(client.sendLine(std::string(254, 'y')));
    client.logout(inHalfASecond());
    EXPECT_EQ(taken, std::string(254, 'y'));
    EXPECT_EQ(peer.received, "geheim\r\n" + std::string(254, 'y') + "\r\nlogout\r\n");
}

// After "quit" the client closes first, once the echo is in: the server's
// port is then free for the next start at once.
TEST(RemoteConsole, QuitClosesTheSessionAfterTheEcho) {
    ScriptedPeer peer([](ScriptedPeer& p) {
        logIn(p);
        p.line();  // "quit", echoed
        p.line();  // the client's close
    });
    RemoteConsoleClient client("geheim");
    ASSERT_TRUE(client.connect(desktop_test::onLoopback(peer.port)));
    ASSERT_TRUE(client.waitReady(inHalfASecond()));
    ASSERT_TRUE(client.sendLine("quit"));
    client.closeAfterEcho("quit");
    const auto until = inHalfASecond();
    while (client.fd() >= 0 && Clock::now() < until) client.pump();
    EXPECT_EQ(client.state(), State::Closed);
    EXPECT_EQ(client.fd(), -1);
}

// ---- whether a running server takes remote commands

struct AccessCase {
    const char* name;
    std::string config;        // the file's bytes
    std::string commandLine;   // {abs}: the folder, {win}: it in Windows form
    std::optional<int> port;   // nullopt: no remote console
    std::string password;
};

class RemoteAccessOf : public ::testing::TestWithParam<AccessCase> {};

TEST_P(RemoteAccessOf, ReadsTheConfigurationTheServerStartedWith) {
    const AccessCase& c = GetParam();
    testing_support::TempDir dir;
    std::filesystem::create_directories(dir / "sub");
    testing_support::writeBytes(dir / "sub/srv.CFG", c.config);
    std::string windows = "Z:" + dir.path();
    std::replace(windows.begin(), windows.end(), '/', '\\');
    std::string line = c.commandLine;
    for (const auto& [mark, text] : {std::pair<std::string, std::string>{"{abs}", dir.path()},
                                     {"{win}", windows}})
        for (auto at = line.find(mark); at != std::string::npos; at = line.find(mark))
            line.replace(at, mark.size(), text);
    std::vector<std::string> words;
    for (std::size_t pos = 0; pos < line.size();) {
        const auto end = std::min(line.find(' ', pos), line.size());
        words.push_back(line.substr(pos, end - pos));
        pos = end + 1;
    }
    // The server's configuration as its command line names it, and its
    // console as the game reads it.
    std::optional<desktop::ConsoleSettings> access;
    const auto server = desktop::gameServerOf(words, dir.path());
    if (server && !server->config.empty()) access = desktop::consoleSettingsOf(server->config);
    if (access && (!access->allowed || access->password.empty())) access.reset();
    ASSERT_EQ(access.has_value(), c.port.has_value());
    if (!access) return;
    EXPECT_EQ(access->port, *c.port);
    EXPECT_EQ(access->password, c.password);
}

const std::string kHead = "[server config file]\r\n";

INSTANTIATE_TEST_SUITE_P(
    , RemoteAccessOf,
    ::testing::Values(
        AccessCase{"Enabled", kHead + "AllowRemoteConsole=1\r\nRemoteConsolePort=2100\r\nConsolePassword=geheim\r\n",
                   "{abs}/Descent3 -dedicated {abs}/sub/srv.CFG -tempdir /t -useport 2100", 2100, "geheim"},
        AccessCase{"RelativeToTheCurrentFolder",
                   kHead + "AllowRemoteConsole=1\r\nConsolePassword=pw\r\n",
                   "main.exe -dedicated sub/srv.CFG", 2092, "pw"},
        AccessCase{"WindowsPathUnderWine", kHead + "allowremoteconsole=1\nconsolepassword=Pw\n",
                   "wine {abs}/main.exe -DEDICATED {win}\\sub\\srv.CFG", 2092, "Pw"},
        AccessCase{"ValueEndsAtCommaOrSemicolon",
                   kHead + "AllowRemoteConsole=1\r\nRemoteConsolePort=2101;x\r\nConsolePassword=ab,cd\r\n",
                   "Descent3 -dedicated sub/srv.CFG", 2101, "ab"},
        AccessCase{"NotAllowed", kHead + "AllowRemoteConsole=0\r\nConsolePassword=geheim\r\n",
                   "Descent3 -dedicated sub/srv.CFG", std::nullopt, ""},
        AccessCase{"NoPassword", kHead + "AllowRemoteConsole=1\r\nConsolePassword=\r\n",
                   "Descent3 -dedicated sub/srv.CFG", std::nullopt, ""},
        AccessCase{"NoConfiguration", kHead, "Descent3 -tempdir sub/srv.CFG", std::nullopt, ""},
        AccessCase{"MissingFile", kHead, "Descent3 -dedicated nothere.CFG", std::nullopt, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
