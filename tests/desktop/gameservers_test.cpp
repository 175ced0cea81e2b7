// Which game servers run and what they hold, read from /proc, against real
// processes of the native stand-in server and of another account. Qt's loop
// runs for the server consoles; no X display needed.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "TestFolders.h"
#include "loopback.h"
#include "other_account.h"
#include "desktop/GameServers.h"
#include "desktop/ServerConsoles.h"

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
        // The game takes the first of an option given twice.
        Words{{"/g/Descent3", "-tempdir", "/t1", "-dedicated", "/g/a.cfg", "-DEDICATED", "/g/b.cfg",
               "-tempdir", "/t2"},
              "/x", true, "/g/Descent3", "/g/a.cfg", "/t1"},
        // Without the server's own folder a relative path stays relative:
        // it is never taken from the tool's folder.
        Words{{"./Descent3", "-dedicated", "srv.cfg"}, "", true, "./Descent3", "srv.cfg", ""},
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

pid_t spawn(const std::vector<std::string>& words) {
    std::vector<char*> argv;
    for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    return posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : -1;
}

bool fileHas(const std::string& path, const std::string& text) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {}).find(text) != std::string::npos;
}

// A game folder with the stand-in as its Descent3 and a configuration whose
// console is on, at `port` with the password "geheim".
struct GameFolder {
    explicit GameFolder(int port, const std::string& name = "Spiel Ordner")
        : game(fs::path(root.path()) / name), cache(game / "custom" / "cache") {
        fs::create_directories(cache);
        fs::create_symlink(STANDIN_SERVER, game / "Descent3");
        configure(port);
    }
    void configure(int port) const {
        std::ofstream(config, std::ios::binary)
            << "[server config file]\r\nAllowRemoteConsole=1\r\nConsolePassword = geheim ,x\r\n"
               "RemoteConsolePort:" << port << "\r\n";
    }
    pid_t start(std::vector<std::string> more = {}) const {
        std::vector<std::string> words{program, "-dedicated", config, "-tempdir", cache.string()};
        words.insert(words.end(), more.begin(), more.end());
        return spawn(words);
    }
    testing_support::TempDir root;
    fs::path game, cache;
    std::string program = (game / "Descent3").string(), config = (game / "mit blank.cfg").string();
    std::string log = (game / "standin.log").string();
};

void end(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

TEST(GameServers, ARunningServerIsFoundWithItsFolderAndConsoleUntilItIsKilled) {
    const int port = desktop_test::freePort();
    const GameFolder g(port);
    const std::string cacheText = g.cache.string();
    // Its console on one address alone.
    const pid_t pid = g.start({"-useip", "127.0.0.2"});
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(waitFor([&] { return fileHas(g.log, "RCON " + std::to_string(port)); }));

    const auto found = desktop::runningGameServer(pid);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->config, g.config);
    EXPECT_EQ(found->tempdir, cacheText);
    EXPECT_EQ(found->console.port, port);
    EXPECT_TRUE(found->console.allowed);
    EXPECT_EQ(found->console.password, "geheim");
    bool listed = false;
    for (const auto& server : desktop::runningGameServers()) listed |= server.pid == pid;
    EXPECT_TRUE(listed);

    // Its lock in the game's format names it.
    EXPECT_EQ(testing_support::readBytes((g.cache / ".lock").string()), desktop::gameLock(pid));
    EXPECT_EQ(desktop::runningLockHolder((g.cache / ".lock").string()), pid);
    EXPECT_TRUE(desktop::folderInUse(cacheText));
    EXPECT_TRUE(desktop::holdsFolder(pid, cacheText));
    EXPECT_FALSE(desktop::folderInUse(g.game.string() + "/nothere"));
    // Its console is called where its socket is bound, whatever port the
    // configuration names now.
    for (const int named : {port, port + 1, 0}) {
        const auto socket = desktop::consoleSocketOf(pid, named);
        ASSERT_TRUE(socket);
        EXPECT_EQ(socket->text(), "127.0.0.2:" + std::to_string(port));
    }
    EXPECT_FALSE(desktop::consoleSocketOf(getpid(), port));
    const auto holder = desktop::consolePortHolder(port);
    ASSERT_TRUE(holder);
    EXPECT_EQ(holder->pid, pid);

    // A listener that is no game server holds no console port; one on every
    // address is called on the loopback one.
    int otherPort = 0;
    const int foreign = desktop_test::loopbackListener(otherPort);
    ASSERT_GE(foreign, 0);
    EXPECT_EQ(desktop::consoleSocketOf(getpid(), 0)->text(), "127.0.0.1:" + std::to_string(otherPort));
    EXPECT_FALSE(desktop::consolePortHolder(otherPort));
    close(foreign);

    // Killed, it leaves its lock and modules behind: nothing holds them now.
    end(pid);
    EXPECT_TRUE(fs::exists(g.cache / ".lock"));
    EXPECT_EQ(desktop::runningLockHolder((g.cache / ".lock").string()), 0);
    EXPECT_FALSE(desktop::folderInUse(cacheText));
    EXPECT_FALSE(desktop::consolePortHolder(port));
    EXPECT_FALSE(desktop::runningGameServer(pid));
}

// Anyone who may write a shared temporary folder may put anything there as
// ".lock": only the game's 8 bytes naming a running process of this user
// hold the folder, and nothing there keeps the check waiting.
struct LockCase {
    const char* name;
    bool held;
};

class LockFile : public ::testing::TestWithParam<LockCase> {};

TEST_P(LockFile, HoldsTheFolderOnlyInTheGamesFormatForARunningProcessOfThisUser) {
    const std::string kind = GetParam().name;
    testing_support::TempDir folder;
    const std::string lock = folder / ".lock";
    // An ended process whose id's low byte is a digit, as digits once read it.
    pid_t ended = 0;
    do {
        ended = fork();
        if (ended == 0) _exit(0);
        waitpid(ended, nullptr, 0);
    } while (!std::isdigit(ended & 0xFF));
    if (kind == "Running") testing_support::writeBytes(lock, desktop::gameLock(getpid()));
    if (kind == "Ended") testing_support::writeBytes(lock, desktop::gameLock(ended));
    if (kind == "Digits") testing_support::writeBytes(lock, "LOCK" + std::to_string(getpid()));
    if (kind == "FiveBytes") testing_support::writeBytes(lock, "LOCK1");
    if (kind == "Longer") testing_support::writeBytes(lock, desktop::gameLock(getpid()) + "\n");
    if (kind == "Pipe") ASSERT_EQ(mkfifo(lock.c_str(), 0666), 0);
    if (kind == "Link") {
        testing_support::writeBytes(folder / "echt", desktop::gameLock(getpid()));
        fs::create_symlink(folder / "echt", lock);
    }
    const auto t = std::chrono::steady_clock::now();
    EXPECT_EQ(desktop::runningLockHolder(lock), GetParam().held ? getpid() : 0);
    EXPECT_EQ(desktop::folderInUse(folder.path()), GetParam().held);
    EXPECT_EQ(desktop::fileInUse(lock), GetParam().held);
    EXPECT_LT(std::chrono::steady_clock::now() - t, std::chrono::milliseconds(500));
}

INSTANTIATE_TEST_SUITE_P(GameServers, LockFile,
                         ::testing::Values(LockCase{"Running", true}, LockCase{"Ended", false},
                                           LockCase{"Digits", false}, LockCase{"FiveBytes", false},
                                           LockCase{"Longer", false}, LockCase{"Pipe", false},
                                           LockCase{"Link", false}),
                         [](const auto& info) { return std::string(info.param.name); });

long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

template <typename Call>
long long millisecondsOf(Call call) {
    const auto t = std::chrono::steady_clock::now();
    call();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t)
        .count();
}

// A server whose configuration is a gigabyte costs a scan its first 64 KiB,
// read once for that process: a later start that writes the file anew does
// not change what the running server read.
TEST(GameServers, AServersConfigurationIsReadOnceAndOnlyItsBeginning) {
    const GameFolder g(2092);
    const std::string big = (g.game / "gross.cfg").string();
    testing_support::writeBytes(big, "[server config file]\r\nAllowRemoteConsole=1\r\n"
                                     "ConsolePassword=geheim\r\n");
    fs::resize_file(big, std::uintmax_t(1) << 30);
    other_account::Process server("", {g.program, "-dedicated", big}, false);
    ASSERT_TRUE(server.ready());

    const long before = residentKilobytes();
    std::vector<desktop::GameServer> found;
    EXPECT_LT(millisecondsOf([&] { found = desktop::runningGameServersIn(g.game.string()); }), 50);
    EXPECT_LT(residentKilobytes() - before, 8 * 1024);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].pid, server.pid);
    EXPECT_EQ(found[0].console.password, "geheim");

    testing_support::writeBytes(big, "[server config file]\r\nConsolePassword=neu\r\n");
    EXPECT_EQ(desktop::runningGameServer(server.pid)->console.password, "geheim");
}

// The game folder is the current folder while the tool runs.
struct InFolder {
    explicit InFolder(const fs::path& folder) { fs::current_path(folder); }
    ~InFolder() { fs::current_path(before); }
    fs::path before = fs::current_path();
};

// No window answers to any title: every command takes the remote console.
struct NoWindows : platform::Console {
    bool AppActivate(const std::string&) override { return false; }
    bool IsActive(const std::string&) override { return false; }
    bool SendKeys(const std::string&, bool) override { return false; }
};

// Every command goes to the server's own socket: with its console on
// 127.0.0.2 and a listener with the game's prompt on 127.0.0.1 at the same
// port, the line reaches the server and the password never goes elsewhere.
// The configuration names another port by the time the tool first looks,
// as after server 2's start from the same file and a restart of the tool.
TEST(GameServers, CommandsReachTheServersOwnSocketWhateverItsConfigurationSaysNow) {
    const int port = desktop_test::freePort();
    const GameFolder g(port);
    other_account::Process foreign("listen 127.0.0.1 " + std::to_string(port), {"fremd"}, false);
    ASSERT_TRUE(foreign.ready());
    const pid_t pid = g.start({"-useip", "127.0.0.2"});
    ASSERT_TRUE(waitFor([&] { return fileHas(g.log, "RCON " + std::to_string(port)); }));
    g.configure(desktop_test::freePort());

    {
        const InFolder gameFolder(g.game);
        NoWindows windows;
        desktop::ServerConsoles consoles(windows);
        EXPECT_TRUE(consoles.AppActivate("Descent 3"));
        EXPECT_TRUE(consoles.SendKeys("say hallo\r", true));
        EXPECT_TRUE(waitFor([&] { return fileHas(g.log, "CMD say hallo"); }));
        consoles.logoutAll();
    }
    EXPECT_EQ(foreign.received(), "ready\n");
    end(pid);
}

// Another account's process that names the game folder's program and
// configuration, listens on the configured port with the game's prompt,
// holds a file and is named by a lock, passes for no server of this user's:
// it gets no password, holds nothing, and though it keeps its memory map
// busy (a read of its command line would wait on that), no scan waits.
TEST(GameServers, AnotherAccountsProcessPassesForNoServerAndStallsNoScan) {
    if (!other_account::available()) GTEST_SKIP() << "needs root to run a process as nobody";
    const int port = desktop_test::freePort();
    const GameFolder g(port);
    fs::permissions(g.config, fs::perms::owner_read | fs::perms::owner_write);
    const fs::path shared = fs::path(g.root.path()) / "gemeinsam";
    fs::create_directories(shared);
    testing_support::writeBytes((shared / "d3s1.tmp").string(), "M");
    fs::permissions(g.root.path(), fs::perms::all);
    fs::permissions(shared, fs::perms::all);
    other_account::Process thief(
        "churn hold " + (shared / "d3s1.tmp").string() + " listen 127.0.0.1 " + std::to_string(port),
        {"python3", "thief.py", g.program, "-dedicated", g.config, "-tempdir", shared.string()});
    ASSERT_TRUE(thief.ready()) << "nobody could not run this test program";
    testing_support::writeBytes((shared / ".lock").string(), desktop::gameLock(thief.pid));

    long long slowest = 0;
    auto timed = [&](auto call) {
        const auto t = std::chrono::steady_clock::now();
        const auto result = call();
        slowest = std::max<long long>(
            slowest, std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::steady_clock::now() - t).count());
        return result;
    };
    for (int round = 0; round < 10; ++round) {
        EXPECT_TRUE(timed([&] { return desktop::runningGameServersIn(g.game.string()); }).empty());
        for (const auto& server : timed([] { return desktop::runningGameServers(); }))
            EXPECT_NE(server.pid, thief.pid);
        EXPECT_FALSE(timed([&] { return desktop::consolePortHolder(port); }));
        EXPECT_FALSE(timed([&] { return desktop::folderInUse(shared.string()); }));
        EXPECT_FALSE(timed([&] { return desktop::fileInUse((shared / "d3s1.tmp").string()); }));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_FALSE(desktop::runningGameServer(thief.pid));
    EXPECT_EQ(desktop::runningLockHolder((shared / ".lock").string()), 0);
    std::cout << "[ measured ] slowest scan beside the busy map: " << slowest << " ms\n";
    EXPECT_LT(slowest, 50);

    {
        const InFolder gameFolder(g.game);
        NoWindows windows;
        desktop::ServerConsoles consoles(windows);
        EXPECT_FALSE(consoles.AppActivate("Descent 3"));
        consoles.logoutAll();
    }
    EXPECT_EQ(thief.received(), "ready\n");
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

int main(int argc, char** argv) {
    other_account::runRoleIfAsked();
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
