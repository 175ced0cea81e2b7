// Which game servers run and what they hold, read from /proc, against real
// processes of the native stand-in server. No X display needed.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "TestFolders.h"
#include "loopback.h"
#include "desktop/GameServers.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Words {
    std::vector<std::string> words;
    std::string folder;
    bool server;
    std::string program, config, tempdir;
};

void PrintTo(const Words& w, std::ostream* os) {
    for (const std::string& word : w.words) *os << word << ' ';
}

class CommandOfAServer : public ::testing::TestWithParam<Words> {};

TEST_P(CommandOfAServer, GivesItsProgramConfigurationAndFolder) {
    const Words& w = GetParam();
    const auto server = desktop::gameServerOf(w.words, w.folder);
    ASSERT_EQ(server.has_value(), w.server);
    if (!server) return;
    EXPECT_EQ(server->program, w.program);
    EXPECT_EQ(server->config, w.config);
    EXPECT_EQ(server->tempdir, w.tempdir);
}

INSTANTIATE_TEST_SUITE_P(
    GameServers, CommandOfAServer,
    ::testing::Values(
        Words{{"/g/Descent3", "-dedicated", "/g/a b.cfg", "-tempdir", "/g/custom/cache", "-useport", "2092"},
              "/x", true, "/g/Descent3", "/g/a b.cfg", "/g/custom/cache"},
        // Wine's loader first, Windows paths on drive Z:, options in any case.
        Words{{"/usr/bin/wine", "/g/MAIN.EXE", "-Dedicated", "Z:\\g\\x.CFG", "-TEMPDIR", "Z:\\t 2"},
              "/x", true, "/g/MAIN.EXE", "/g/x.CFG", "/t 2"},
        Words{{"Z:\\g\\main.exe", "-dedicated", "rel.cfg"}, "/g", true, "/g/main.exe", "/g/rel.cfg", ""},
        Words{{"/g/Descent3", "-tempdir", "/t"}, "/g", false, "", "", ""},
        Words{{"/usr/bin/less", "-dedicated", "/g/a.cfg"}, "/g", false, "", "", ""},
        Words{{"/bin/sh", "-c", "/g/Descent3", "-dedicated", "/g/a.cfg"}, "/g", false, "", "", ""}));

template <typename Done>
bool waitFor(Done done) {
    for (int i = 0; i < 1000; ++i) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(GameServers, ARunningServerIsFoundWithItsFolderAndConsoleUntilItIsKilled) {
    testing_support::TempDir root;
    const fs::path game = fs::path(root.path()) / "Spiel Ordner";
    const fs::path cache = game / "custom" / "cache";
    fs::create_directories(cache);
    fs::create_symlink(STANDIN_SERVER, game / "Descent3");
    const int port = desktop_test::freePort();
    const std::string config = (game / "mit blank.cfg").string();
    std::ofstream(config, std::ios::binary)
        << "[server config file]\r\nAllowRemoteConsole=1\r\nConsolePassword=geheim,x\r\n"
           "RemoteConsolePort=" << port << "\r\n";

    const std::string program = (game / "Descent3").string(), cacheText = cache.string();
    const std::string log = (game / "standin.log").string();
    std::vector<const char*> argv{program.c_str(), "-dedicated", config.c_str(), "-tempdir",
                                  cacheText.c_str(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), nullptr, nullptr, const_cast<char**>(argv.data()),
                          environ),
              0);
    auto logHas = [&](const std::string& text) {
        std::ifstream in(log);
        return std::string(std::istreambuf_iterator<char>(in), {}).find(text) != std::string::npos;
    };
    ASSERT_TRUE(waitFor([&] { return logHas("RCON " + std::to_string(port)); }));

    const auto found = desktop::runningGameServer(pid);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->config, config);
    EXPECT_EQ(found->tempdir, cacheText);
    EXPECT_EQ(found->console.port, port);
    EXPECT_TRUE(found->console.allowed);
    EXPECT_EQ(found->console.password, "geheim");
    bool listed = false;
    for (const auto& server : desktop::runningGameServers()) listed |= server.pid == pid;
    EXPECT_TRUE(listed);

    EXPECT_TRUE(desktop::folderInUse(cacheText));
    EXPECT_TRUE(desktop::holdsFolder(pid, cacheText));
    EXPECT_FALSE(desktop::folderInUse(game.string() + "/nothere"));
    EXPECT_TRUE(desktop::listensOn(pid, port));
    EXPECT_FALSE(desktop::listensOn(getpid(), port));
    const auto holder = desktop::consolePortHolder(port);
    ASSERT_TRUE(holder);
    EXPECT_EQ(holder->pid, pid);

    // A listener that is no game server holds no console port.
    int otherPort = 0;
    const int foreign = desktop_test::loopbackListener(otherPort);
    ASSERT_GE(foreign, 0);
    EXPECT_TRUE(desktop::listensOn(getpid(), otherPort));
    EXPECT_FALSE(desktop::consolePortHolder(otherPort));
    close(foreign);

    // Killed, it leaves its lock and modules behind: nothing holds them now.
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    EXPECT_TRUE(fs::exists(cache / ".lock"));
    EXPECT_FALSE(desktop::folderInUse(cacheText));
    EXPECT_FALSE(desktop::consolePortHolder(port));
    EXPECT_FALSE(desktop::runningGameServer(pid));
}

// The game's Windows build keeps no .lock: a server is then found by the
// modules it has mapped (their descriptors are closed), through a scan of
// every process; killed, it leaves them behind and holds nothing.
TEST(GameServers, WithoutItsLockAServerHoldsItsFolderByItsMappedModulesUntilKilled) {
    testing_support::TempDir root;
    const fs::path game = fs::path(root.path()) / "D3";
    const fs::path temp = game / "Temp Ordner";
    fs::create_directories(temp);
    fs::create_symlink(STANDIN_SERVER, game / "Descent3");
    const std::string config = (game / "x.cfg").string();
    std::ofstream(config, std::ios::binary) << "[server config file]\r\nPPS=12\r\n";
    const std::string program = (game / "Descent3").string(), tempText = temp.string();
    std::vector<const char*> argv{program.c_str(), "-dedicated", config.c_str(), "-tempdir",
                                  tempText.c_str(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), nullptr, nullptr, const_cast<char**>(argv.data()),
                          environ),
              0);
    const fs::path client = temp / ("d3c" + std::to_string(pid) + ".tmp");
    ASSERT_TRUE(waitFor([&] { return fs::exists(client) && fs::exists(temp / ".lock"); }));
    fs::remove(temp / ".lock");

    EXPECT_TRUE(waitFor([&] { return desktop::folderInUse(tempText + "/"); }));
    fs::create_directories(game / "Temp");  // a name the held folder's begins with
    EXPECT_FALSE(desktop::folderInUse((game / "Temp").string()));

    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    EXPECT_TRUE(fs::exists(client));
    EXPECT_FALSE(desktop::folderInUse(tempText));
}

}  // namespace
