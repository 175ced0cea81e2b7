// Shared fixture of the desktop tests that run the tool's windows for real:
// a ui::Program on Qt's loop with the real view and the real Linux/X11
// services, a program folder and a game folder made for the test that holds
// the stand-in dedicated server: as `Descent3`, the native build without a
// window that takes commands through its remote console, or, in the variant
// for the Windows build, as `main.exe` run through the test's `wine` (first
// on the PATH), with its console window titled "Descent 3".
//
// Other processes take real time, so the tests wait for them with a
// deadline while Qt's loop runs; they never sleep a fixed time.
#pragma once

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QMessageBox>
#include <QThread>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "TestFolders.h"
#include "leased_port.h"
#include "loopback.h"
#include "wait_until.h"
#include "common/CommandLine.h"
#include "desktop/view/QtLoop.h"
#include "desktop/view/QtServices.h"
#include "desktop/view/QtView.h"
#include "ui/Controls.h"
#include "ui/Program.h"

// Xlib's macros clash with Qt's names: the X11 services come last.
#include "desktop/LinuxProcesses.h"
#include "desktop/ServerConsoles.h"
#include "desktop/X11Console.h"

namespace desktop_test {

namespace fs = std::filesystem;


// Qt's loop with one addition for tests: a running timer's tick can be made
// to fall due now. The tick goes the way a real one goes (held while a
// procedure runs), so a minute or a Hoard delay passes without waiting it out.
class TestLoop : public desktop::QtLoop {
public:
    // False, and no tick, when the timer is not running: a stopped timer
    // never ticks.
    bool tickNow(ui::Timer& timer) {
        if (!isRunning(timer)) return false;
        deliverTick(timer);
        return true;
    }
};

// One run of the stand-in server as its log tells it.
struct StandinRun {
    int pid = 0;
    std::vector<std::string> args;  // ARG lines
    std::vector<std::string> cfg;   // CFG lines
    std::vector<std::string> cmds;  // CMD lines: the console lines taken
    std::vector<std::string> ends;  // END lines
    std::vector<std::string> rcon;  // RCON... and ERROR lines, kind and text
};

// The runs in the stand-in's log, in the order they started. Every line after
// a PID line belongs to that run; servers running side by side repeat their
// PID line where their lines interleave.
inline std::vector<StandinRun> readRuns(const fs::path& log) {
    std::vector<StandinRun> runs;
    std::size_t current = 0;
    std::ifstream in(log, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        const auto blank = line.find(' ');
        const std::string kind = line.substr(0, blank);
        const std::string rest = blank == std::string::npos ? "" : line.substr(blank + 1);
        if (kind == "PID") {
            const int pid = std::stoi(rest);
            const auto known = std::find_if(runs.begin(), runs.end(),
                                            [&](const StandinRun& r) { return r.pid == pid; });
            current = static_cast<std::size_t>(known - runs.begin());
            if (known == runs.end()) {
                runs.push_back({});
                runs.back().pid = pid;
            }
            continue;
        }
        if (runs.empty()) continue;
        StandinRun& run = runs[current];
        if (kind == "ARG") run.args.push_back(rest);
        else if (kind == "CFG") run.cfg.push_back(rest);
        else if (kind == "CMD") run.cmds.push_back(rest);
        else if (kind == "END") run.ends.push_back(rest);
        else if (kind.starts_with("RCON") || kind == "ERROR") run.rcon.push_back(line);
    }
    return runs;
}

inline bool processGone(pid_t pid) {
    if (kill(pid, 0) != 0) return true;
    // Ended but not yet reaped by whoever inherited it.
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string pidField, name, state;
    stat >> pidField >> name >> state;
    return !stat || state == "Z";
}

// Which build of the game the test's game folder holds.
enum class GameBuild {
    Native,   // `Descent3`: no window, the remote console
    Windows,  // `main.exe` through `wine`: the console window
};

// Both builds, for tests that run one flow against each, named as the
// game's program is.
inline const auto kBeideBuilds = ::testing::Values(GameBuild::Native, GameBuild::Windows);
inline std::string buildName(const ::testing::TestParamInfo<GameBuild>& info) {
    return info.param == GameBuild::Native ? "Descent3" : "MainExeThroughWine";
}

class DesktopProgram : public ::testing::Test {
protected:
    // `gameName`: the game folder's name in the test's root folder.
    explicit DesktopProgram(GameBuild build = GameBuild::Windows, const std::string& gameName = "D3")
        : gameFolder(gameRoot.path() + "/" + gameName), build_(build) {
        fs::create_directories(gameFolder + "/custom/cache");
        // The game's own folders are in lower case.
        fs::create_directories(gameFolder + "/missions");
        // The real game keeps a placeholder in its cache, which the cache
        // clearing leaves alone.
        testing_support::writeBytes(gameFolder + "/custom/cache/emptyfile", "");
        // The level the tool's first page names; the server refuses a
        // missing one. Not among the missions, so the level list stays as
        // each test makes it.
        testing_support::writeBytes(gameFolder + "/ProFight2.mn3", "");
        if (build == GameBuild::Native) {
            fs::create_symlink(STANDIN_SERVER, gameFolder + "/Descent3");
        } else {
            fs::create_symlink(STANDIN_SERVER, gameFolder + "/main.exe");
            previousPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
            setenv("PATH", (std::string(STANDIN_WINE_PATH) + ":" + previousPath_).c_str(), 1);
        }
        testing_support::writeBytes(gameFolder + "/fenster.CFG",
                                    "[server config file]\r\nPPS=12\r\n");
        // The tool makes the game folder current on start-up; a bare
        // configuration name on a command line is found there.
        previousFolder_ = fs::current_path();
        fs::current_path(gameFolder);
        standinUnderTest(defaultConsoleLease_.port());
        processes.started = [this](pid_t pid, const std::vector<std::string>&) {
            console.serverStarted(pid);
        };
        console.quitSent = [this](pid_t pid) { processes.endRequested(pid); };
        view.lastWindowGone = [] {};
        QObject::connect(&dialogWatch_, &QTimer::timeout, [this] { watchDialogs(); });
        dialogWatch_.start(100);
    }

    ~DesktopProgram() override {
        // Every stand-in of this test goes, so the next test finds no
        // "Descent 3" window of it.
        for (const StandinRun& run : runs())
            if (!processGone(run.pid) && runsFrom(run.pid, gameFolder)) {
                kill(run.pid, SIGTERM);
                EXPECT_TRUE(waitUntil([&] { return processGone(run.pid); }, 20000));
            }
        fs::current_path(previousFolder_);
        if (build_ == GameBuild::Windows) setenv("PATH", previousPath_.c_str(), 1);
        EXPECT_TRUE(answers_.empty()) << answers_.size() << " announced dialog(s) never showed";
    }

    // Announces a modal dialog the test expects, with what the user does in
    // it. Dialogs get the announced answers in order; any other dialog fails
    // the test and is closed, so the test goes on instead of waiting for a
    // user who never comes.
    void expectDialog(std::function<void(QWidget*)> answer) { answers_.push_back(std::move(answer)); }
    // The next dialog is a critical "Talvir" message: `seen` gets its text,
    // and it is answered with OK.
    void expectCritical(std::function<void(const std::string&)> seen) {
        expectDialog([seen = std::move(seen)](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->windowTitle(), "Talvir");
            EXPECT_EQ(box->icon(), QMessageBox::Critical);
            seen(box->text().toStdString());
            box->accept();
        });
    }

    std::string prog(const std::string& file) const { return programDir / file; }
    std::string game(const std::string& rel) const { return gameFolder + "/" + rel; }
    void writeLines(const std::string& path, const std::vector<std::string>& lines) {
        testing_support::writeBytes(path, testing_support::crlf(lines));
    }

    // The stand-in writes its log beside the program it was called as.
    fs::path log() const { return game("standin.log"); }
    std::vector<StandinRun> runs() const { return readRuns(log()); }
    // The n-th run (from 1), once it has logged its start whole; an empty
    // run after the deadline. The stand-in lays down its files in the cache
    // only after it has logged its arguments and configuration.
    StandinRun run(std::size_t n) {
        StandinRun found;
        auto logged = [&] {
            const auto all = runs();
            if (all.size() < n) return false;
            found = all[n - 1];
            const std::string held = "custom/cache/d3c" + std::to_string(found.pid) + ".tmp";
            return fs::exists(game(held)) || !found.ends.empty() || !found.rcon.empty();
        };
        return waitUntil(logged) ? found : StandinRun{};
    }
    // Waits until the n-th run has typed lines in its log (at least `count`).
    std::vector<std::string> typedInto(std::size_t n, std::size_t count) {
        waitUntil([&] { return runs().size() >= n && runs()[n - 1].cmds.size() >= count; });
        return runs().size() >= n ? runs()[n - 1].cmds : std::vector<std::string>{};
    }
    // Waits for the n-th run to be up: it logged itself and its window is the
    // active one (the starts activate it), or, without a window, its remote
    // console listens. False after the deadline.
    bool serverUp(std::size_t n) {
        if (run(n).pid == 0) return false;
        if (build_ == GameBuild::Windows)
            return waitUntil([&] { return console.IsActive("Descent 3"); });
        return waitUntil([&] {
            const auto r = runs()[n - 1].rcon;
            return std::any_of(r.begin(), r.end(), [](const std::string& l) { return l.starts_with("RCON "); });
        });
    }
    bool serverGone(std::size_t n) {
        const int pid = run(n).pid;
        return pid != 0 && waitUntil([&] { return processGone(pid); });
    }

    // A configuration of the native server in the game folder, with the
    // remote console on `port` and this password (none: not enabled).
    std::string remoteConfig(const std::string& name, int port, const std::string& password,
                             const std::vector<std::string>& more = {}) {
        std::vector<std::string> lines{"[server config file]", "PPS=12"};
        if (!password.empty() || port) {
            lines.push_back("AllowRemoteConsole=1");
            lines.push_back("RemoteConsolePort=" + std::to_string(port));
            lines.push_back("ConsolePassword=" + password);
        }
        lines.insert(lines.end(), more.begin(), more.end());
        writeLines(game(name), lines);
        return game(name);
    }
    // Starts `Descent3` as the tool starts a server, with an absolute
    // configuration and temporary folder.
    void startNative(const std::string& config, const std::string& tempdir = "custom/cache") {
        fs::create_directories(game(tempdir));
        ASSERT_TRUE(processes.Start({game("Descent3"), "-dedicated", config, "-tempdir",
                                     game(tempdir), "-useport", "2092"},
                                    platform::vbNormalFocus, 1));
    }

    // Server 1's start for the game folder, as the tool builds it.
    std::vector<std::string> startWords(const std::string& config, const std::string& port) const {
        return common::Kommandozeile(gameFolder, config, gameFolder + "/custom/cache", port).wörter;
    }
    std::vector<std::string> expectedArgs(const std::string& config, const std::string& port) const {
        // The tool passes a bare configuration name joined to the game folder.
        const std::string cfg = config[0] == '/' ? config : gameFolder + "/" + config;
        return {"-dedicated", cfg, "-tempdir", gameFolder + "/custom/cache", "-useport", port};
    }

    // The main window as the splash leaves it: loaded, and shown at its
    // Start tick (made to fall due now). nullptr when it did not load.
    template <class MainWindow>
    MainWindow* loadMainWindow() {
        loop.dispatch([this] { program.load<MainWindow>(); });
        MainWindow* w = program.find<MainWindow>();
        EXPECT_NE(w, nullptr);
        if (!w) return nullptr;
        EXPECT_TRUE(loop.tickNow(w->Start));
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.view(*w)->window()));
        return w;
    }

    // The real widget of a control.
    template <class W>
    W* widget(const ui::Form& form, const char* name) {
        desktop::FormView* formView = view.view(form);
        W* w = formView ? formView->window()->findChild<W*>(name) : nullptr;
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    testing_support::TempDir programDir;
    testing_support::TempDir gameRoot;
    const std::string gameFolder = gameRoot.path() + "/D3";
private:
    // The console ports of this test's servers: the one tests name in their
    // configurations, and the one a configuration without a port gives.
    LeasedPort consoleLease_, defaultConsoleLease_;

protected:
    const int consolePort = consoleLease_.port();

    desktop::QtPrinter printer;
    desktop::QtDialogs dialogs{printer};
    // The servers' logs go to the program folder, as in the program.
    desktop::LinuxProcesses processes{programDir.path()};
    desktop::X11Console keys;
    // As the program wires it: the console learns of every start.
    desktop::ServerConsoles console{keys};
    desktop::QtSystem system;
    platform::Platform services{dialogs, printer, processes, console, system};
    TestLoop loop;
    ui::Program program{services, loop, programDir.path()};
    desktop::QtView view{program};

private:
    static std::string describe(QWidget* dialog) {
        QString text = dialog->windowTitle();
        if (auto* box = qobject_cast<QMessageBox*>(dialog)) text += " | " + box->text();
        if (auto* input = qobject_cast<QInputDialog*>(dialog)) text += " | " + input->labelText();
        return text.toStdString();
    }

    void watchDialogs() {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || dialog == answering_) return;
        if (!answers_.empty()) {
            const auto answer = std::move(answers_.front());
            answers_.pop_front();
            answering_ = dialog;
            answer(dialog);
            answering_ = nullptr;
            return;
        }
        ADD_FAILURE() << "unexpected dialog: " << describe(dialog);
        if (auto* d = qobject_cast<QDialog*>(dialog)) d->reject();
        else dialog->close();
    }

    GameBuild build_;
    std::string previousPath_;
    fs::path previousFolder_;
    std::deque<std::function<void(QWidget*)>> answers_;
    QWidget* answering_ = nullptr;
    QTimer dialogWatch_;
};

}  // namespace desktop_test
