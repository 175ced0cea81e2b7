// The Linux/X11 services for real, against the stand-in dedicated server, in
// an X session of its own (see with_xvfb.sh).

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QWidget>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "leased_port.h"
#include "loopback.h"
#include "other_account.h"
#include "wait_until.h"
#include "common/ConsoleCommand.h"
#include "desktop/GameServers.h"
#include "desktop/LinuxProcesses.h"
#include "desktop/X11Console.h"
#include "desktop/X11Windows.h"

// Last: Xlib's macros clash with Qt's names.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace {

namespace fs = std::filesystem;
using desktop_test::waitUntil;
using desktop::LinuxProcesses;
using desktop::X11Console;
using desktop::x11::Window;

const std::string kEndText =
    "Say Server wird in einer Min automatisch beendet ! Bis zum nächsten mal !";
const std::string kConfig = "[server config file]\r\nPPS=12\r\nConnectionName=Direct TCP~IP\r\n";

std::vector<std::string> lines(const fs::path& file) {
    std::vector<std::string> result;
    std::ifstream in(file, std::ios::binary);
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
}

std::string bytes(std::istream&& in) { return {std::istreambuf_iterator<char>(in), {}}; }

std::vector<std::string> linesOf(const fs::path& file, const std::string& kind) {
    std::vector<std::string> result;
    for (const std::string& line : lines(file))
        if (line.rfind(kind + ' ', 0) == 0) result.push_back(line.substr(kind.size() + 1));
    return result;
}

bool processGone(pid_t pid) {
    if (kill(pid, 0) != 0) return true;
    // Ended but not yet reaped by whoever inherited it.
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string pidField, name, state;
    stat >> pidField >> name >> state;
    return !stat || state == "Z";
}

// A display connection of the test's own for looking at windows.
struct Screen {
    Display* dpy = XOpenDisplay(nullptr);
    ~Screen() {
        if (dpy) XCloseDisplay(dpy);
    }
    Window windowOf(pid_t pid) {
        desktop::x11::IgnoreErrors guard(dpy);
        for (Window w : desktop::x11::topLevelWindows(dpy))
            if (desktop::x11::windowPid(dpy, w) == pid) return w;
        return 0;
    }
    bool iconic(Window w) {
        desktop::x11::IgnoreErrors guard(dpy);
        return desktop::x11::isIconic(dpy, w);
    }
    Window active() {
        desktop::x11::IgnoreErrors guard(dpy);
        return desktop::x11::activeWindow(dpy);
    }
    // Requests to the window manager go to the root window, where any client
    // may listen in.
    void listenToRequests() {
        XSelectInput(dpy, DefaultRootWindow(dpy), SubstructureNotifyMask);
        XSync(dpy, False);
    }
    bool sawActivationRequest(Window w) {
        const Atom activate = XInternAtom(dpy, "_NET_ACTIVE_WINDOW", False);
        while (XPending(dpy)) {
            XEvent event;
            XNextEvent(dpy, &event);
            if (event.type == ClientMessage && event.xclient.message_type == activate &&
                event.xclient.window == w)
                activationRequested = true;
        }
        return activationRequested;
    }
    bool activationRequested = false;
    // The modifiers in effect, locked ones included.
    unsigned modifiers() {
        XkbStateRec state{};
        XkbGetState(dpy, XkbUseCoreKbd, &state);
        return state.mods;
    }
};

// The user's keyboard as xdotool sets it, from outside the tool.
bool xdotool(const QString& action, const QString& key) {
    return QProcess::execute("xdotool", {action, key}) == 0;
}

// A fresh game folder with the stand-in as its `main`, made the current folder
// as the tool does on start-up.
class GameFolder : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vantor-game.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        fs::create_directories(dir / "custom" / "cache");
        fs::create_directories(dir / "Missions");
        fs::create_symlink(STANDIN_SERVER, dir / "main.exe");
        std::ofstream(dir / "fenster.CFG", std::ios::binary) << kConfig;
        desktop_test::standinUnderTest(defaultConsole.port());
        previous = fs::current_path();
        fs::current_path(dir);
    }
    void TearDown() override {
        for (pid_t pid : started)
            if (!processGone(pid) && desktop_test::runsFrom(pid, dir.string())) {
                kill(pid, SIGTERM);
                waitUntil([&] { return processGone(pid); }, 20000);
            }
        fs::current_path(previous);
        fs::remove_all(dir);
    }

    std::vector<std::string> words(const std::string& config = "fenster.CFG") const {
        return {(dir / "main.exe").string(), "-dedicated", config, "-tempdir",
                (dir / "custom" / "cache").string(), "-useport", "2092"};
    }
    // The log the stand-in writes beside its `main.exe`.
    fs::path log() const { return dir / "standin.log"; }

    // Waits for the stand-in that logged itself as the n-th one and its window.
    pid_t waitForServer(std::size_t n = 1) {
        pid_t pid = 0;
        EXPECT_TRUE(waitUntil([&] { return linesOf(log(), "PID").size() >= n; }));
        const auto pids = linesOf(log(), "PID");
        if (pids.size() < n) return 0;
        pid = std::stoi(pids[n - 1]);
        started.push_back(pid);
        EXPECT_TRUE(waitUntil([&] { return screen.windowOf(pid) != 0; }))
            << "no window of the stand-in";
        EXPECT_TRUE(waitUntil([&] { return countTempFiles() >= 2; }));
        return pid;
    }
    std::vector<fs::path> tempFiles() const {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(dir / "custom" / "cache"))
            files.push_back(entry.path());
        return files;
    }
    std::size_t countTempFiles() const { return tempFiles().size(); }

    fs::path dir;
    fs::path previous;
    // Where a server of fenster.CFG, which names no console port, listens.
    const desktop_test::LeasedPort defaultConsole;
    std::vector<pid_t> started;
    Screen screen;
    X11Console console;
};

// Runs first, so that the umlauts of the end text are the first characters in
// this X session that the keymap lacks. The test command repeats it in 20
// fresh X sessions.
using FreshSession = GameFolder;
TEST_F(FreshSession, EndTextArrivesWhole) {
    LinuxProcesses processes(dir);
    ASSERT_TRUE(processes.Start(words(), platform::vbNormalFocus, 0));
    const pid_t pid = waitForServer();
    ASSERT_NE(pid, 0);
    ASSERT_TRUE(common::sendConsoleCommand(console, kEndText));
    ASSERT_TRUE(common::sendConsoleCommand(console, "quit"));
    ASSERT_TRUE(waitUntil([&] { return processGone(pid); }));
    EXPECT_EQ(linesOf(log(), "CMD"), (std::vector<std::string>{kEndText, "quit"}));
}

// The tool's own executable, run with --start, starts the words and ends at
// once: the server must live on without its starter.
TEST_F(GameFolder, ServerOutlivesItsStarterTakesTypedCommandsAndEndsOnQuit) {
    QProcess starter;
    QStringList arguments{"--start"};
    for (const std::string& word : words()) arguments << QString::fromStdString(word);
    starter.start(QCoreApplication::applicationFilePath(), arguments);
    ASSERT_TRUE(starter.waitForFinished(10000));
    ASSERT_EQ(starter.exitCode(), 0);
    const pid_t pid = waitForServer();
    ASSERT_NE(pid, 0);
    EXPECT_FALSE(processGone(pid));

    // Detached: a session of its own, nothing from the tool on its standard files.
    EXPECT_NE(getsid(pid), getsid(0));
    for (int fd = 0; fd <= 2; ++fd)
        EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(pid) + "/fd/" + std::to_string(fd)),
                  "/dev/null");
    EXPECT_EQ(linesOf(log(), "CWD"), std::vector<std::string>{dir.string()});
    EXPECT_EQ(linesOf(log(), "ARG"),
              (std::vector<std::string>{"-dedicated", "fenster.CFG", "-tempdir",
                                        (dir / "custom" / "cache").string(), "-useport", "2092"}));
    EXPECT_EQ(linesOf(log(), "CFG"),
              (std::vector<std::string>{"[server config file]", "PPS=12",
                                        "ConnectionName=Direct TCP~IP"}));

    const auto held = tempFiles();
    ASSERT_GE(held.size(), 2u);
    for (const auto& file : held) EXPECT_EQ(desktop::fileInUse(file), true) << file;

    ASSERT_TRUE(console.AppActivate("Descent 3"));
    EXPECT_TRUE(console.IsActive("Descent 3"));
    EXPECT_TRUE(common::sendConsoleCommand(console, "Say Hallo Leute"));
    EXPECT_TRUE(common::sendConsoleCommand(console, kEndText));
    EXPECT_TRUE(common::sendConsoleCommand(console, "quit"));
    ASSERT_TRUE(waitUntil([&] { return processGone(pid); }));

    EXPECT_EQ(linesOf(log(), "CMD"),
              (std::vector<std::string>{"Say Hallo Leute", kEndText, "quit"}));
    EXPECT_EQ(linesOf(log(), "END"), std::vector<std::string>{"quit"});
    // As the game does, it leaves its server modules behind, no longer in use.
    for (const auto& file : held) {
        const bool module = file.filename().string().starts_with("d3s");
        EXPECT_EQ(fs::exists(file), module) << file;
        EXPECT_EQ(desktop::fileInUse(file), false) << file;
    }
}

TEST_F(GameFolder, EveryCharacterIsTypedLiterally) {
    LinuxProcesses processes(dir);
    ASSERT_TRUE(processes.Start(words(), platform::vbNormalFocus, 0));
    const pid_t pid = waitForServer();
    ASSERT_NE(pid, 0);
    // Characters that key syntaxes give a meaning, and more than the keymap
    // holds; the console line is typed the same way every time.
    const std::string special = "Say {ENTER} +a ^c %x ~ [] () \\ | ` ' \" ÄÖÜäöüß €§´°²µ";
    std::vector<std::string> typed;
    for (int i = 0; i < 20; ++i) {
        const std::string& text = i % 2 ? kEndText : special;
        ASSERT_TRUE(common::sendConsoleCommand(console, text));
        typed.push_back(text);
    }
    ASSERT_TRUE(waitUntil([&] { return linesOf(log(), "CMD").size() >= typed.size(); }));
    EXPECT_EQ(linesOf(log(), "CMD"), typed);
}

TEST_F(GameFolder, ShellCharactersReachTheServerAsOneWordAndRunNothing) {
    LinuxProcesses processes(dir);
    const std::string config = "x;touch owned&&touch owned|touch $(touch owned) `touch owned`>owned";
    ASSERT_TRUE(processes.Start(words(config), platform::vbNormalFocus, 0));
    const pid_t pid = waitForServer();
    ASSERT_NE(pid, 0);
    EXPECT_EQ(linesOf(log(), "ARG"),
              (std::vector<std::string>{"-dedicated", config, "-tempdir",
                                        (dir / "custom" / "cache").string(), "-useport", "2092"}));
    EXPECT_EQ(linesOf(log(), "CFG-MISSING"), std::vector<std::string>{config});

    // Ending by signal also clears the temporary folder.
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    ASSERT_TRUE(waitUntil([&] { return processGone(pid); }));
    EXPECT_EQ(linesOf(log(), "END"), std::vector<std::string>{"signal"});
    EXPECT_EQ(countTempFiles(), 0u);
    EXPECT_FALSE(fs::exists(dir / "owned"));
    EXPECT_FALSE(fs::exists(previous / "owned"));
}

TEST_F(GameFolder, ProgramWithoutFolderIsTakenFromTheCurrentFolder) {
    LinuxProcesses processes(dir);
    ASSERT_TRUE(processes.Start({"main.exe", "-dedicated", "fenster.CFG", "-tempdir", "custom/cache",
                                 "-useport", "2092"},
                                platform::vbNormalNoFocus, 0));
    const pid_t pid = waitForServer();
    ASSERT_NE(pid, 0);
    // Even where PATH holds a program of that name, it is not looked up there.
    EXPECT_FALSE(processes.Start({"true"}, platform::vbNormalFocus, 0));
}

// Modifiers the user left on or holds while the tool types: the keys still
// arrive as given, and the modifiers are as they were afterwards.
struct UserModifier {
    const char* key;
    bool locks;      // toggled by a press (Caps Lock) rather than held
    unsigned mask;
    friend void PrintTo(const UserModifier& m, std::ostream* os) { *os << m.key; }
};

class UserModifierState : public GameFolder, public ::testing::WithParamInterface<UserModifier> {
protected:
    void TearDown() override {
        if (on) {
            const UserModifier m = GetParam();
            EXPECT_TRUE(xdotool(m.locks ? "key" : "keyup", m.key));
            EXPECT_TRUE(waitUntil([&] { return (screen.modifiers() & m.mask) == 0; }));
        }
        GameFolder::TearDown();
    }
    bool on = false;
};

TEST_P(UserModifierState, LeavesTheTypedTextAlone) {
    const UserModifier m = GetParam();
    LinuxProcesses processes(dir);
    ASSERT_TRUE(processes.Start(words(), platform::vbNormalFocus, 0));
    const pid_t pid = waitForServer();
    ASSERT_NE(pid, 0);
    ASSERT_TRUE(xdotool(m.locks ? "key" : "keydown", m.key));
    on = true;
    // The X server takes the faked key in its own time.
    ASSERT_TRUE(waitUntil([&] { return (screen.modifiers() & m.mask) != 0; }));

    ASSERT_TRUE(common::sendConsoleCommand(console, "Say Hallo"));
    ASSERT_TRUE(common::sendConsoleCommand(console, "quit"));
    EXPECT_TRUE(waitUntil([&] { return processGone(pid); }));
    EXPECT_EQ(linesOf(log(), "CMD"), (std::vector<std::string>{"Say Hallo", "quit"}));
    EXPECT_NE(screen.modifiers() & m.mask, 0u) << "not restored";
}

INSTANTIATE_TEST_SUITE_P(Services, UserModifierState,
                         ::testing::Values(UserModifier{"Caps_Lock", true, LockMask},
                                           UserModifier{"Control_L", false, ControlMask},
                                           UserModifier{"Alt_L", false, Mod1Mask},
                                           UserModifier{"Shift_L", false, ShiftMask}),
                         [](const auto& info) {
                             std::string name = info.param.key;
                             std::erase(name, '_');
                             return name;
                         });

// A program word is one path: a program with its folder's blank or with
// arguments inside the word is not found.
class ProgramThatCannotRun : public GameFolder,
                             public ::testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(ProgramThatCannotRun, IsReportedNotStarted) {
    LinuxProcesses processes(dir);
    std::vector<std::string> words = GetParam();
    for (std::string& word : words)
        if (const auto at = word.find("GAME"); at != std::string::npos) word.replace(at, 4, dir.string());
    EXPECT_FALSE(processes.Start(words, platform::vbNormalFocus, 1));
    EXPECT_TRUE(processes.EndedAfterStart().empty());
}

using Words = std::vector<std::string>;
INSTANTIATE_TEST_SUITE_P(
    Services, ProgramThatCannotRun,
    ::testing::Values(Words{"/nonexistent/main", "-dedicated", "fenster.CFG"},
                      Words{"GAME/nothere", "-dedicated", "x"}, Words{"GAME/Missions"},
                      Words{"GAME/fenster.CFG"}, Words{}, Words{""}, Words{"   "},
                      Words{"GAME/main -dedicated fenster.CFG"}, Words{"GAME/custom\\cache\\main"}));

class MinimizedStyle : public GameFolder, public ::testing::WithParamInterface<int> {};

TEST_P(MinimizedStyle, IconifiesTheServerWindowWhichStillTakesCommands) {
    LinuxProcesses processes(dir);
    ASSERT_TRUE(processes.Start(words(), GetParam(), 0));
    const pid_t pid = waitForServer();
    ASSERT_NE(pid, 0);
    const Window w = screen.windowOf(pid);
    EXPECT_TRUE(waitUntil([&] { return screen.iconic(w); }));

    // Activation restores it, so the typed quit arrives.
    ASSERT_TRUE(common::sendConsoleCommand(console, "quit"));
    ASSERT_TRUE(waitUntil([&] { return processGone(pid); }));
    EXPECT_EQ(linesOf(log(), "CMD"), std::vector<std::string>{"quit"});
}

INSTANTIATE_TEST_SUITE_P(Services, MinimizedStyle,
                         ::testing::Values(platform::vbMinimizedFocus,
                                           platform::vbMinimizedNoFocus));

TEST_F(GameFolder, NormalStyleActivatesTheServerWindow) {
    // Another window holds the focus when the server starts.
    QWidget other;
    other.setWindowTitle("Vantor");
    other.show();
    ASSERT_TRUE(waitUntil([&] { return console.AppActivate("Vantor"); }));

    screen.listenToRequests();
    LinuxProcesses processes(dir);
    ASSERT_TRUE(processes.Start(words(), platform::vbNormalFocus, 0));
    const pid_t pid = waitForServer();
    ASSERT_NE(pid, 0);
    const Window w = screen.windowOf(pid);
    // openbox would focus a new window by itself; the request shows that the
    // start asked for it.
    EXPECT_TRUE(waitUntil([&] { return screen.sawActivationRequest(w); }));
    EXPECT_TRUE(waitUntil([&] { return screen.active() == w; }));
    EXPECT_FALSE(screen.iconic(w));
    EXPECT_TRUE(console.IsActive("Descent 3"));
    EXPECT_FALSE(console.IsActive("Vantor"));
}

// With a server window titled "Descent 3" and another window in front, no
// other title finds the server: AppActivate fails at once and the focus
// stays where it was.
class NotExactlyTheTitle : public GameFolder, public ::testing::WithParamInterface<std::string> {};

TEST_P(NotExactlyTheTitle, IsNotFoundAndActivatesNothing) {
    LinuxProcesses processes(dir);
    ASSERT_TRUE(processes.Start(words(), platform::vbNormalNoFocus, 0));
    ASSERT_NE(waitForServer(), 0);
    QWidget other;
    other.setWindowTitle("Vantor");
    other.show();
    ASSERT_TRUE(waitUntil([&] { return console.AppActivate("Vantor"); }));

    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(console.AppActivate(GetParam()));
    EXPECT_LT(clock.elapsed(), 800);  // well under a second
    EXPECT_TRUE(console.IsActive("Vantor"));
    EXPECT_FALSE(console.IsActive(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Services, NotExactlyTheTitle,
                         ::testing::Values("Descent 33", "Descent", "descent 3", "DESCENT 3",
                                           "Descent 3 ", " Descent 3", "Descent.3", "Descent 3.*",
                                           ".*", "^Descent 3$", ""));

TEST_F(GameFolder, CommandWithoutServerWindowTypesNothing) {
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(common::sendConsoleCommand(console, "quit"));
    EXPECT_LT(clock.elapsed(), 800);  // well under a second
}

TEST_F(GameFolder, FileInUseFollowsTheOpenFileUnderAnyName) {
    const fs::path file = dir / "fenster.CFG";
    fs::create_symlink(file, dir / "link.CFG");
    fs::create_hard_link(file, dir / "hard.CFG");
    EXPECT_EQ(desktop::fileInUse(file.string()), false);
    {
        std::ifstream held(file);
        EXPECT_EQ(desktop::fileInUse(file.string()), true);
        EXPECT_EQ(desktop::fileInUse((dir / "link.CFG").string()), true);
        EXPECT_EQ(desktop::fileInUse((dir / "hard.CFG").string()), true);
        EXPECT_EQ(desktop::fileInUse((dir / "custom" / ".." / "fenster.CFG").string()), true);
        EXPECT_EQ(desktop::fileInUse((dir / "nothere").string()), false);
    }
    EXPECT_EQ(desktop::fileInUse(file.string()), false);
}

// The native build refuses a start it cannot make as the game does: a line
// "Error: ..." on standard error and exit status 0. A start it makes first
// deletes the module files a run before it left.
class NativeStart : public GameFolder, public ::testing::WithParamInterface<std::string> {};

TEST_P(NativeStart, IsRefusedWithAnErrorLine) {
    fs::create_symlink(STANDIN_SERVER, dir / "Descent3");
    std::ofstream(dir / "bad.CFG", std::ios::binary) << "PPS=12\r\n";
    std::ofstream(dir / "host.CFG", std::ios::binary) << "[server config file]\r\nRemoteConsolePort=2093\r\n";
    const std::string cache = (dir / "custom" / "cache").string();
    std::ofstream(dir / "custom" / "cache" / "d3sold.tmp") << "left";
    // A lock naming a running process (this test): the game refuses the
    // folder, while for the tool it names no server of that folder.
    if (GetParam() == "locked")
        std::ofstream(dir / "custom" / "cache" / ".lock", std::ios::binary) << desktop::gameLock(getpid());
    const std::string config = GetParam() == "relative" ? "fenster.CFG"
                               : GetParam() == "header" ? (dir / "bad.CFG").string()
                               : GetParam() == "hostsport" ? (dir / "host.CFG").string()
                                                        : (dir / "fenster.CFG").string();
    QProcess server;
    server.start(QString::fromStdString((dir / "Descent3").string()),
                 {"-dedicated", QString::fromStdString(config), "-tempdir", QString::fromStdString(cache)});
    ASSERT_TRUE(server.waitForFinished(10000));
    EXPECT_EQ(server.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(server.exitCode(), 0);
    EXPECT_TRUE(server.readAllStandardError().startsWith("Error: "));
    EXPECT_TRUE(fs::exists(dir / "custom" / "cache" / "d3sold.tmp"));
    EXPECT_EQ(desktop::fileInUse((dir / "custom" / "cache" / ".lock").string()), false);
}

// Under the tests a console port of the host's servers is refused too.
INSTANTIATE_TEST_SUITE_P(Services, NativeStart,
                         ::testing::Values("relative", "header", "locked", "hostsport"));

TEST_F(GameFolder, NativeStartClearsLeftoversAndItsModulesAreInUse) {
    fs::create_symlink(STANDIN_SERVER, dir / "Descent3");
    const fs::path cache = dir / "custom" / "cache";
    std::ofstream(cache / "d3sold.tmp") << "left";
    std::ofstream(cache / ".lock", std::ios::binary) << desktop::gameLock(999999);  // of no running process
    LinuxProcesses processes(dir);
    ASSERT_TRUE(processes.Start({(dir / "Descent3").string(), "-dedicated", (dir / "fenster.CFG").string(),
                                 "-tempdir", cache.string()},
                                platform::vbNormalFocus, 0));
    // Its lock, its client module and four server modules.
    ASSERT_TRUE(waitUntil([&] { return countTempFiles() == 6; }));
    const pid_t pid = std::stoi(linesOf(log(), "PID").at(0));
    started.push_back(pid);
    EXPECT_FALSE(fs::exists(cache / "d3sold.tmp"));
    // Its configuration names no console port: under the tests its console
    // is on 127.0.0.1 at the test's port, never the host's 2092.
    ASSERT_TRUE(waitUntil([&] { return desktop::consoleSocketOf(pid, 2092).has_value(); }));
    const auto bound = desktop::listeners(defaultConsole.port());
    ASSERT_EQ(bound.size(), 1u);
    EXPECT_EQ(bound[0].socket.text(), "127.0.0.1:" + defaultConsole.text());
    // Its lock names it, and each module is mapped, not open.
    std::size_t modules = 0;
    for (const auto& file : tempFiles()) {
        modules += file.filename().string().starts_with("d3");
        EXPECT_EQ(desktop::fileInUse(file), true) << file;
    }
    EXPECT_EQ(modules, 5u);
}

// Whatever lies at a server's log before its start gets nothing and holds nothing up: a new
// private log takes its name. What takes the name later is not read for the early-end report,
// which shows the server's own lines and says that the name now holds another file.
class LogThatIsNoFile : public GameFolder, public ::testing::WithParamInterface<std::string> {};

TEST_P(LogThatIsNoFile, IsReplacedByAPrivateLog) {
    const fs::path serverLog = dir / "Server1.log", file = dir / "wichtig.txt";
    std::ofstream(dir / "wichtig.txt") << "bleibt";
    std::ifstream held(file, std::ios::binary);
    if (GetParam() == "nobody" && !other_account::available()) GTEST_SKIP() << "root only";
    const auto lay = [&] {
        if (GetParam().ends_with("link")) fs::create_symlink(file, serverLog);
        if (GetParam() == "hard") fs::create_hard_link(file, serverLog);
        EXPECT_TRUE(!GetParam().ends_with("pipe") || mkfifo(serverLog.c_str(), 0644) == 0);
        EXPECT_TRUE(GetParam() != "nobody" ||
                    chown(file.c_str(), other_account::nobody().pw_uid, 0) == 0);
        fs::permissions(file, GetParam() == "nobody" ? fs::perms(0666) : fs::perms(0644));
        if (GetParam() == "old" || GetParam() == "nobody" || GetParam() == "laterfile")
            fs::rename(file, serverLog);
    };
    const bool later = GetParam().starts_with("later");
    if (!later) lay();
    LinuxProcesses processes(dir.string());
    ASSERT_TRUE(processes.Start(words(), platform::vbNormalNoFocus, 1));
    const pid_t pid = waitForServer();
    if (later && fs::remove(serverLog)) lay();
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    std::vector<platform::EarlyEnd> ends;
    ASSERT_TRUE(waitUntil([&] { return !(ends = processes.EndedAfterStart()).empty(); }));
    EXPECT_EQ(bytes(std::move(held)), "bleibt");
    EXPECT_EQ(ends[0].lastLines,
              std::vector<std::string>{"Starting the dedicated server with fenster.CFG"});
    EXPECT_EQ(ends[0].logReplaced, later);
    if (later) return;
    ASSERT_EQ(fs::symlink_status(serverLog).type(), fs::file_type::regular);
    EXPECT_EQ(fs::status(serverLog).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(bytes(std::ifstream(serverLog, std::ios::binary)),
              "Starting the dedicated server with fenster.CFG\n");
}

INSTANTIATE_TEST_SUITE_P(Services, LogThatIsNoFile,
                         ::testing::Values("link", "pipe", "old", "nobody", "hard", "laterpipe",
                                           "laterlink", "laterfile", "latergone"));

// A log folder that takes no new file (a small file system, as root): an earlier log of ours that
// others could read is made private and emptied but gets no output; any other is left as it was.
struct Tmpfs {  // unmounted also when the test fails
    fs::path at;
    bool made = mount("vantor-logs", at.c_str(), "tmpfs", 0, "size=1m,nr_inodes=16") == 0;
    ~Tmpfs() { if (made) umount2(at.c_str(), MNT_DETACH); }
};
class FullLogFolder : public GameFolder, public ::testing::WithParamInterface<std::string> {};

TEST_P(FullLogFolder, EmptiesOnlyAnOldLogOfOursAndDiscardsTheOutput) {
    fs::create_directory(dir / "logs");
    const Tmpfs logs{dir / "logs"};
    if (!logs.made) GTEST_SKIP() << "no tmpfs mounted (root only): " << std::strerror(errno);
    if (GetParam() == "nobody" && !other_account::available()) GTEST_SKIP() << "no user nobody";
    const fs::path old = logs.at / "Server1.log";
    std::ofstream(old) << "geheim\n";
    fs::permissions(old, fs::perms(0644));
    if (GetParam() == "hard") fs::create_hard_link(old, logs.at / "Kopie.log");
    ASSERT_TRUE(GetParam() != "nobody" ||
                chown(old.c_str(), other_account::nobody().pw_uid, 0) == 0);
    for (int i = 0; i < 100 && std::ofstream(logs.at / std::to_string(i)); ++i) {}
    LinuxProcesses processes(logs.at.string());
    ASSERT_TRUE(processes.Start({"/bin/echo", "neu"}, platform::vbNormalNoFocus, 1));
    std::vector<platform::EarlyEnd> ends;
    ASSERT_TRUE(waitUntil([&] { return !(ends = processes.EndedAfterStart()).empty(); }));
    EXPECT_FALSE(ends[0].logWritten);
    EXPECT_EQ(bytes(std::ifstream(old)), GetParam() == "ours" ? "" : "geheim\n");
    EXPECT_EQ(fs::status(old).permissions(), fs::perms(GetParam() == "ours" ? 0600 : 0644));
}

INSTANTIATE_TEST_SUITE_P(Services, FullLogFolder, ::testing::Values("ours", "hard", "nobody"));

}  // namespace

int main(int argc, char** argv) {
    // The starter of the outliving test: start, report, end.
    if (argc >= 3 && std::string(argv[1]) == "--start") {
        LinuxProcesses processes(fs::current_path().string());
        return processes.Start(std::vector<std::string>(argv + 2, argv + argc),
                               platform::vbNormalNoFocus, 0)
                   ? 0
                   : 1;
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
