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
#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "TestFolders.h"
#include "leased_port.h"
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
        Words{{"/bin/sh", "-c", "/g/Descent3", "-dedicated", "/g/a.cfg"}, "/g", false, "", "", ""},
        // The game looks for "-d", exactly so, before "-dedicated".
        Words{{"/g/Descent3", "-dedicated", "/g/a.cfg", "-d", "/g/b.cfg", "-d", "/g/c.cfg"},
              "/x", true, "/g/Descent3", "/g/b.cfg", ""},
        Words{{"/g/Descent3", "-D", "/g/a.cfg", "-tempdir", "/t"}, "/x", false, "", "", ""},
        // An option in last place has no value: a first "-d" there, or a
        // first "-dedicated" without a "-d", names no configuration, a first
        // "-tempdir" there no folder.
        Words{{"/g/Descent3", "-dedicated", "/g/a.cfg", "-tempdir", "/t", "-d"}, "/x", false, "", "", ""},
        Words{{"/g/Descent3", "-tempdir", "/t", "-DEDICATED"}, "/x", false, "", "", ""},
        Words{{"/g/Descent3", "-dedicated", "/g/a.cfg", "-tempdir"}, "/x", true, "/g/Descent3",
              "/g/a.cfg", ""}));

template <typename Done>
bool waitFor(Done done) {
    for (int i = 0; i < 1000; ++i) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

bool fileHas(const std::string& path, const std::string& text) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {}).find(text) != std::string::npos;
}

// A game folder with the stand-in as its Descent3 and a configuration whose
// console is on, at `port` with the password "= geheim": the blank after the
// key is passed over, the "=" is the value's.
struct GameFolder {
    explicit GameFolder(int port)
        : game(fs::path(root.path()) / "Spiel Ordner"), cache(game / "custom" / "cache") {
        fs::create_directories(cache);
        fs::create_symlink(STANDIN_SERVER, game / "Descent3");
        configure(port);
    }
    void configure(int port) const {
        std::ofstream(config, std::ios::binary)
            << "[server config file]\r\nAllowRemoteConsole=1\r\nConsolePassword = geheim ,x\r\n"
               "RemoteConsolePort:" << port << "\r\n";
    }
    pid_t start(std::vector<const char*> more = {}) const {
        std::vector<const char*> argv{program.c_str(), "-dedicated", config.c_str(), "-tempdir",
                                      cache.c_str()};
        argv.insert(argv.end(), more.begin(), more.end());
        argv.push_back(nullptr);
        pid_t pid = 0;
        return posix_spawn(&pid, argv[0], nullptr, nullptr, const_cast<char**>(argv.data()),
                           environ) == 0
                   ? pid
                   : -1;
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

template <typename Call>
long long millisecondsOf(Call call) {
    const auto t = std::chrono::steady_clock::now();
    call();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t)
        .count();
}

// The game folder is the current folder while the tool runs.
struct InFolder {
    explicit InFolder(const fs::path& folder) { fs::current_path(folder); }
    ~InFolder() { fs::current_path(before); }
    fs::path before = fs::current_path();
};

// A running server is found with its folder, its lock and its console until
// it is killed. Its configuration is read once, its first 64 KiB alone
// however large it grew: a later start writing the file anew changes nothing
// the running server read. Its console listens on 127.0.0.2 alone, and a
// listener with the game's prompt on 127.0.0.1 at the same port never gets
// the password: the line goes to the server's own socket.
TEST(GameServers, ARunningServerIsFoundWithItsFolderAndConsoleUntilItIsKilled) {
    const desktop_test::LeasedPort lease;
    const int port = lease.port();
    const GameFolder g(port);
    const std::string cacheText = g.cache.string();
    other_account::Process foreign("listen 127.0.0.1 " + std::to_string(port), {"fremd"}, false);
    ASSERT_TRUE(foreign.ready());
    const pid_t pid = g.start({"-useip", "127.0.0.2"});
    ASSERT_TRUE(waitFor([&] { return fileHas(g.log, "RCON " + std::to_string(port)); }))
        << "its console never listened:\n" << testing_support::readBytes(g.log);
    fs::resize_file(g.config, std::uintmax_t(1) << 30);

    const long before = desktop_test::residentKilobytes();
    std::vector<desktop::GameServer> found;
    // Reading the whole file takes seconds, a busy machine's scan a fraction.
    EXPECT_LT(millisecondsOf([&] { found = desktop::runningGameServersIn(g.game.string()); }), 1000);
    EXPECT_LT(desktop_test::residentKilobytes() - before, 8 * 1024);
    ASSERT_EQ(found.size(), 1u);
    g.configure(port + 1);
    EXPECT_EQ(desktop::runningGameServer(pid)->console.password, "= geheim");
    for (const auto& server : {found[0], *desktop::runningGameServer(pid)}) {
        EXPECT_EQ(server.pid, pid);
        EXPECT_EQ(server.config, g.config);
        EXPECT_EQ(server.tempdir, cacheText);
        EXPECT_EQ(server.console.port, port);
        EXPECT_TRUE(server.console.allowed);
        EXPECT_EQ(server.console.password, "= geheim");
    }

    EXPECT_EQ(testing_support::readBytes((g.cache / ".lock").string()), desktop::gameLock(pid));
    EXPECT_EQ(desktop::runningLockHolder((g.cache / ".lock").string()), pid);
    EXPECT_EQ(desktop::folderInUse(cacheText), true);
    EXPECT_TRUE(desktop::holdsFolder(pid, cacheText));
    EXPECT_EQ(desktop::folderInUse(g.game.string() + "/nothere"), false);
    // Called where its socket is bound, whatever port a configuration names.
    for (const int named : {port, port + 1, 0})
        EXPECT_EQ(desktop::consoleSocketOf(pid, named)->text(), "127.0.0.2:" + std::to_string(port));
    EXPECT_FALSE(desktop::consoleSocketOf(getpid(), port));
    EXPECT_EQ(desktop::consolePortHolder(port)->pid, pid);
    {
        const InFolder gameFolder(g.game);
        desktop_test::NoWindows windows;
        desktop::ServerConsoles consoles(windows);
        EXPECT_TRUE(consoles.AppActivate("Descent 3"));
        EXPECT_TRUE(consoles.SendKeys("say hallo\r", true));
        EXPECT_TRUE(waitFor([&] { return fileHas(g.log, "CMD say hallo"); }));
        consoles.logoutAll();
    }
    EXPECT_EQ(foreign.received(), "ready\n");

    // Killed, it leaves its lock and modules behind: nothing holds them now.
    end(pid);
    EXPECT_TRUE(fs::exists(g.cache / ".lock"));
    EXPECT_EQ(desktop::runningLockHolder((g.cache / ".lock").string()), 0);
    EXPECT_EQ(desktop::folderInUse(cacheText), false);
    EXPECT_FALSE(desktop::consolePortHolder(port));
    EXPECT_FALSE(desktop::runningGameServer(pid));
}

// Anyone who may write a shared temporary folder may put anything there as
// ".lock", and under Wine the game writes Wine's own process number there:
// only the game's 8 bytes naming a running server of this user whose
// temporary folder is that folder hold it, and nothing there keeps the
// check waiting. The server here holds no file of the folder.
class LockFile : public ::testing::TestWithParam<const char*> {};

TEST_P(LockFile, HoldsTheFolderOnlyInTheGamesFormatForARunningServerOfThatFolder) {
    const std::string kind = GetParam();
    testing_support::TempDir folder, elsewhere;
    other_account::Process server(
        "", {"/g/Descent3", "-dedicated", "/g/a.cfg", "-tempdir",
             kind == "OtherFolder" ? elsewhere.path() : folder.path() + "/"},
        false);
    ASSERT_TRUE(server.ready());
    const std::string lock = folder / ".lock", named = desktop::gameLock(server.pid);
    const pid_t ended = fork();
    if (ended == 0) _exit(0);
    waitpid(ended, nullptr, 0);
    if (kind == "Pipe") {
        ASSERT_EQ(mkfifo(lock.c_str(), 0666), 0);
    }
    if (kind == "Link") fs::create_symlink(folder / "echt", lock);
    if (kind != "Pipe")
        testing_support::writeBytes(kind == "Link" ? folder / "echt" : lock,
                                kind == "Ended"       ? desktop::gameLock(ended)
                                : kind == "NoServer"  ? desktop::gameLock(getpid())
                                : kind == "Digits"    ? "LOCK" + std::to_string(server.pid)
                                : kind == "FiveBytes" ? std::string("LOCK1")
                                : kind == "Longer"    ? named + "\n"
                                                      : named);
    const bool held = kind == "Server";
    const auto t = std::chrono::steady_clock::now();
    EXPECT_EQ(desktop::runningLockHolder(lock), held ? server.pid : 0);
    EXPECT_EQ(desktop::folderInUse(folder.path()), held);
    EXPECT_EQ(desktop::fileInUse(lock), held);
    // A pipe's open waits for a writer without end; a busy machine, a moment.
    EXPECT_LT(std::chrono::steady_clock::now() - t, std::chrono::seconds(5));
}

INSTANTIATE_TEST_SUITE_P(GameServers, LockFile,
                         ::testing::Values("Server", "OtherFolder", "NoServer", "Ended", "Digits",
                                           "FiveBytes", "Longer", "Pipe", "Link"));

// Another account's process that names the game folder's program and
// configuration, listens on the configured port with the game's prompt,
// holds a file and is named by a lock, passes for no server of this user's:
// it gets no password, holds nothing, and though it keeps its memory map
// busy (a read of its command line would wait on that), no scan waits.
TEST(GameServers, AnotherAccountsProcessPassesForNoServerAndStallsNoScan) {
    if (!other_account::available()) GTEST_SKIP() << "needs root to run a process as nobody";
    const desktop_test::LeasedPort lease;
    const int port = lease.port();
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

    // A wait on the busy map comes back at every call (a plain read of its
    // command line waited 180 ms and more each time), a busy machine only
    // now and then: each call's median counts. The file check reads the map
    // of every process of this user, however many the machine runs.
    std::array<std::vector<long long>, 4> times;
    for (int round = 0; round < 10; ++round) {
        times[0].push_back(millisecondsOf([&] { EXPECT_TRUE(desktop::runningGameServersIn(g.game.string()).empty()); }));
        times[1].push_back(millisecondsOf([&] { EXPECT_FALSE(desktop::consolePortHolder(port)); }));
        times[2].push_back(millisecondsOf([&] { EXPECT_EQ(desktop::folderInUse(shared.string()), false); }));
        times[3].push_back(millisecondsOf([&] { EXPECT_EQ(desktop::fileInUse((shared / "d3s1.tmp").string()), false); }));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_FALSE(desktop::runningGameServer(thief.pid));
    std::cout << "[ measured ] median ms beside the busy map (servers, port, folder, file):";
    for (std::size_t call = 0; call < times.size(); ++call) {
        std::sort(times[call].begin(), times[call].end());
        const long long median = times[call][times[call].size() / 2];
        std::cout << ' ' << median;
        EXPECT_LT(median, call == 3 ? 100 : 50) << "call " << call;
    }
    std::cout << '\n';

    {
        const InFolder gameFolder(g.game);
        desktop_test::NoWindows windows;
        desktop::ServerConsoles consoles(windows);
        EXPECT_FALSE(consoles.AppActivate("Descent 3"));
        consoles.logoutAll();
    }
    EXPECT_EQ(thief.received(), "ready\n");
}

// Sets the id the kernel gave last, so that the next process gets the one
// after it; false where that cannot be done (not root).
bool giveNext(pid_t id) {
    std::ofstream out("/proc/sys/kernel/ns_last_pid");
    out << id - 1;
    out.close();
    return static_cast<bool>(out);
}

bool hasId(pid_t id) {
    const std::vector<pid_t> ids = desktop::ownProcessIds().value_or(std::vector<pid_t>{});
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

// An id used again names another process: what was judged of the process
// before it does not pass to the new one, though the new one's /proc entry
// has the same owner (its effective user is still this one; its real user
// is nobody, and so it is no process of this user).
TEST(GameServers, AnIdUsedAgainIsJudgedAnew) {
    if (!other_account::available() || !giveNext(getpid() + 1))
        GTEST_SKIP() << "needs root to set the next process id";
    for (int attempt = 0; attempt < 20; ++attempt) {
        auto first = std::make_unique<other_account::Process>("", std::vector<std::string>{"erster"}, false);
        ASSERT_TRUE(first->ready());
        const pid_t id = first->pid;
        // Each attempt sets up its own scans, whatever an attempt before left:
        // one that sees the first process, then one that lists /proc (the ids
        // went back below its last reading) and mostly reads the counter
        // below the id, so that the next looks at the ids given since; else
        // the next finds the first's entry changed.
        ASSERT_TRUE(hasId(id)) << "a scan missed a running process of this user";
        giveNext(id - 8);
        ASSERT_TRUE(hasId(id)) << "a scan that lists /proc missed a running process of this user";
        first.reset();
        giveNext(id);
        other_account::Process second("real-nobody", {"zweiter"}, false);
        if (second.pid != id) continue;  // another process took the id first
        ASSERT_TRUE(second.ready());
        EXPECT_FALSE(hasId(id));
        return;
    }
    GTEST_SKIP() << "other processes took the id each time";
}

// The id counter may go round between two scans and stop a little above the
// last reading: an own process made meanwhile is below it, and found anyway.
TEST(GameServers, AProcessMadeWhileTheIdsWentRoundIsFoundWithinSeconds) {
    if (!other_account::available() || !giveNext(8000)) GTEST_SKIP() << "needs root to set ids";
    ASSERT_TRUE(desktop::ownProcessIds());
    long reading = 0;
    std::ifstream("/proc/sys/kernel/ns_last_pid") >> reading;
    giveNext(static_cast<pid_t>(reading / 2));
    other_account::Process own("", {"eigener"}, false);
    giveNext(static_cast<pid_t>(reading + 5));
    ASSERT_TRUE(own.ready());
    if (own.pid >= reading) GTEST_SKIP() << "another program set the id counter meanwhile";
    EXPECT_TRUE(waitFor([&] { return hasId(own.pid); }))
        << "an own process made while the ids went round was not seen in 10 s";
}

// What the scan judged of another account's processes goes when they end.
TEST(GameServers, NothingIsKeptAboutAnotherAccountsProcessesThatEnded) {
    if (!other_account::available()) GTEST_SKIP() << "needs root to run a process as nobody";
    std::vector<pid_t> ended;
    for (int i = 0; i < 30; ++i) {
        other_account::Process brief("", {"kurz"});
        ASSERT_TRUE(brief.ready());
        ASSERT_TRUE(waitFor([&] { return desktop::ownProcessIds() && desktop::verdictKept(brief.pid); }));
        ended.push_back(brief.pid);
    }
    // An id given again to a running process may be judged anew.
    EXPECT_TRUE(waitFor([&] {
        return desktop::ownProcessIds() && std::none_of(ended.begin(), ended.end(), [](pid_t pid) {
                   return desktop::verdictKept(pid) && !fs::exists("/proc/" + std::to_string(pid));
               });
    })) << "verdicts about ended processes were kept through 10 s of scans";
}

// With no file descriptor left the processes cannot be looked at: whether a
// folder or a file (held open here) is held is then unknown, never "free".
TEST(GameServers, WithNoDescriptorLeftNothingCountsAsFree) {
    testing_support::TempDir folder;
    const std::string file = folder.path() + "/d3s1.tmp";
    testing_support::writeBytes(file, "M");
    const int held = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &before), 0);
    const rlimit low{std::min<rlim_t>(before.rlim_cur, 4096), before.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    std::vector<int> spent;
    for (int fd; (fd = open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) spent.push_back(fd);
    // Past the life of the last scan, which the folder check reuses.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const std::optional<bool> answers[] = {desktop::folderInUse(folder.path()), desktop::fileInUse(file)};
    for (const int fd : spent) close(fd);
    setrlimit(RLIMIT_NOFILE, &before);
    for (const std::optional<bool>& answer : answers)
        EXPECT_FALSE(answer.has_value()) << "told " << *answer << " without looking";
    EXPECT_EQ(desktop::fileInUse(file), true);
    close(held);
}

// The game's Windows build keeps no .lock: a server is then found by the
// modules it has mapped (their descriptors are closed), through a scan of
// every process; killed, it leaves them behind and holds nothing.
TEST(GameServers, WithoutItsLockAServerHoldsItsFolderByItsMappedModulesUntilKilled) {
    const desktop_test::LeasedPort port;
    const GameFolder g(port.port());
    const std::string tempText = g.cache.string();
    const pid_t pid = g.start();
    const fs::path client = g.cache / ("d3c" + std::to_string(pid) + ".tmp");
    ASSERT_TRUE(waitFor([&] { return fs::exists(client) && fs::exists(g.cache / ".lock"); }));
    fs::remove(g.cache / ".lock");

    EXPECT_TRUE(waitFor([&] { return desktop::folderInUse(tempText + "/") == true; }));
    fs::create_directories(g.game / "custom" / "cach");  // a name the held folder's begins with
    EXPECT_EQ(desktop::folderInUse((g.game / "custom" / "cach").string()), false);

    end(pid);
    EXPECT_TRUE(fs::exists(client));
    EXPECT_EQ(desktop::folderInUse(tempText), false);
}

}  // namespace

int main(int argc, char** argv) {
    other_account::runRoleIfAsked();
    const desktop_test::LeasedPort defaultConsole;
    desktop_test::standinUnderTest(defaultConsole.port());
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
