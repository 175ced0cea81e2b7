// The tool's own end, for real: the program binary starts server 1 (the
// game's native build, its remote console enabled with a password), a chat
// line goes through its communicator, so the tool holds a logged-in session,
// and then the main window is closed by its close box. The tool logs out of
// that session before it goes: the server runs on and takes the next one.
//
// The program runs in a process of its own, so the test works it as a user
// does: pointer clicks and keys through the X server. Where its controls lie
// inside its windows is read from the same windows shown in the test's own
// process, on the same program folder settings.
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include "console/Kommunicator.h"
#include "desktop_fixture.h"
#include "launcher/Einstellungen.h"
#include "launcher/Vantor.h"

// Xlib after Qt.
#include <X11/Xlib.h>

#include "loopback.h"
#include "desktop/RemoteConsole.h"
#include "desktop/X11Windows.h"

extern "C" {
#include <xdo.h>
}

namespace {

using desktop_test::DesktopProgram;
using desktop_test::processGone;
using desktop_test::waitUntil;
namespace fs = std::filesystem;

const char* const kPasswort = "geheim";

bool viewable(Display* dpy, Window w) {
    desktop::x11::IgnoreErrors ignore(dpy);
    XWindowAttributes a;
    return XGetWindowAttributes(dpy, w, &a) && a.map_state == IsViewable;
}

// A viewable top-level window of the process with exactly this title.
Window findWindow(Display* dpy, qint64 pid, const std::string& title) {
    for (Window w : desktop::x11::topLevelWindows(dpy))
        if (desktop::x11::windowPid(dpy, w) == pid && viewable(dpy, w) &&
            desktop::x11::windowTitle(dpy, w) == title)
            return w;
    return 0;
}

Window waitForWindow(Display* dpy, qint64 pid, const std::string& title) {
    Window found = 0;
    waitUntil([&] { return (found = findWindow(dpy, pid, title)) != 0; });
    return found;
}

// The centre of a widget in its top-level window's client area.
QPoint centreInWindow(QWidget* w) { return w->mapTo(w->window(), w->rect().center()); }
QRect rectInWindow(QWidget* w) { return QRect(w->mapTo(w->window(), QPoint(0, 0)), w->size()); }

// What the program's window shows in that area now.
QImage shown(Window w, const QRect& area) {
    return QGuiApplication::primaryScreen()
        ->grabWindow(w, area.x(), area.y(), area.width(), area.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// The share of pixels in which two pictures of one area differ (1 when they
// cannot be compared).
double difference(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull()) return 1;
    long differ = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) differ += a.pixel(x, y) != b.pixel(x, y);
    return double(differ) / (double(a.width()) * a.height());
}

// Whether the area looks as `expected` rather than as `otherwise`: hover and
// focus marks may differ, the rest of the picture not.
bool looksLike(const QImage& now, const QImage& expected, const QImage& otherwise) {
    const double near = difference(now, expected);
    return near < 0.25 && near < difference(now, otherwise);
}

// The user's mouse and keyboard on the X server.
class User {
public:
    explicit User(Display* dpy) : dpy_(dpy), xdo_(xdo_new_with_opened_display(dpy, nullptr, 0)) {}
    ~User() {
        if (xdo_) xdo_free(xdo_);
    }
    User(const User&) = delete;
    User& operator=(const User&) = delete;

    // A left click at `at` in the client area of `window`, which is brought
    // to the front first. False when the pointer was not over that window
    // (then nothing is clicked).
    bool click(Window window, QPoint at) {
        if (!xdo_) return false;
        desktop::x11::activate(dpy_, window, 2000);
        int x = 0, y = 0;
        Window child = 0;
        {
            desktop::x11::IgnoreErrors ignore(dpy_);
            if (!XTranslateCoordinates(dpy_, window, DefaultRootWindow(dpy_), at.x(), at.y(), &x, &y,
                                       &child))
                return false;
        }
        xdo_move_mouse(xdo_, x, y, 0);
        Window under = 0;
        const bool over = waitUntil([&] {
            xdo_get_window_at_mouse(xdo_, &under);
            desktop::x11::IgnoreErrors ignore(dpy_);
            return under && desktop::x11::topLevelOf(dpy_, under) ==
                                desktop::x11::topLevelOf(dpy_, window);
        }, 5000);
        if (!over) return false;
        xdo_click_window(xdo_, CURRENTWINDOW, 1);
        XFlush(dpy_);
        return true;
    }

    // Clicks until `done` holds, a few times at most: a click may get lost
    // while the window manager still places or raises the window.
    bool clickUntil(Window window, QPoint at, const std::function<bool()>& done) {
        for (int attempt = 0; attempt < 5; ++attempt) {
            if (!click(window, at)) return false;
            if (waitUntil(done, 3000)) return true;
        }
        return false;
    }

    // Keys as typed, into whichever window has the keyboard focus.
    bool type(const std::string& text) { return keys_.SendKeys(text, true); }

    // What the window manager's close box does: asks it to close the window.
    void closeBox(Window window) {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = window;
        e.xclient.message_type = XInternAtom(dpy_, "_NET_CLOSE_WINDOW", False);
        e.xclient.format = 32;
        e.xclient.data.l[0] = CurrentTime;
        e.xclient.data.l[1] = 1;  // from an application, as a click on the frame
        XSendEvent(dpy_, DefaultRootWindow(dpy_), False,
                   SubstructureRedirectMask | SubstructureNotifyMask, &e);
        XFlush(dpy_);
    }

private:
    Display* dpy_;
    xdo_t* xdo_;
    desktop::X11Console keys_;
};

class ToolEnd : public DesktopProgram {
protected:
    ToolEnd() : DesktopProgram(desktop_test::GameBuild::Native) {}

    // What a user who set the tool up for the native build has in the program
    // folder: the game folder, "Fernwaltung zulassen" with a password on
    // server 1's port, and the communicator shown at a server start.
    void writeSettings(const std::string& folder) {
        const auto in = [&](const std::string& file) { return folder + "/" + file; };
        writeLines(in(einstellungen::kSTPfad), {gameFolder, "0", "0"});
        einstellungen::Voreinstellungen presets;
        presets.Fernwalt = 1;
        presets.Serverpassw = kPasswort;
        presets.port = std::to_string(consolePort);
        presets.Hilfezeigen = 1;  // "Kommunicator bei Serverstart Anzeigen"
        testing_support::writeBytes(in(einstellungen::kServertool), einstellungen::zeilen(presets).bytes());
        testing_support::writeBytes(in("STS.ini"), einstellungen::erstlaufSTS().bytes());
        testing_support::writeBytes(in("Mod.ini"),
                                    einstellungen::zeilenMod(einstellungen::standardMods()).bytes());
    }

    // The program binary with its shipped files, in a program folder of its own.
    std::string prepareRealProgram() {
        const std::string folder = realProgramDir.path();
        fs::copy_file(D3VANTOR, folder + "/d3vantor");
        for (const auto& f : fs::directory_iterator(ASSETS_DIR))
            if (f.is_regular_file()) fs::copy_file(f.path(), folder + "/" + f.path().filename().string());
        writeSettings(folder);
        return folder + "/d3vantor";
    }

    std::size_t count(std::size_t server, const std::string& kind) {
        const auto r = run(server).rcon;
        return std::count(r.begin(), r.end(), kind + " ");
    }

    testing_support::TempDir realProgramDir;
};

TEST_F(ToolEnd, ClosingTheMainWindowLogsOutOfTheSessionAndTheServerRunsOn) {
    // Where the controls lie: the same windows on the same settings, here.
    writeSettings(programDir.path());
    Vantor* local = loadMainWindow<Vantor>();
    ASSERT_NE(local, nullptr);
    QWidget* localMain = view.view(*local)->window();
    const QPoint sstart = centreInWindow(widget<QPushButton>(*local, "SStart"));
    // How the place of "Server 1 starten" looks without the start frame and
    // with it: a click that got lost on a busy machine is made again, and
    // only where it cannot land on another control.
    QPushButton* localStart = widget<QPushButton>(*local, "Server1start");
    const QRect startArea = rectInWindow(localStart);
    const QImage withoutFrame = localMain->grab(startArea).toImage().convertToFormat(QImage::Format_RGB32);
    QTest::mouseClick(widget<QPushButton>(*local, "SStart"), Qt::LeftButton);
    ASSERT_TRUE(local->Startserver.Visible());
    ASSERT_EQ(rectInWindow(localStart), startArea);
    ASSERT_TRUE(waitUntil([&] { return localStart->isVisible(); }));
    const QImage withFrame = localMain->grab(startArea).toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_GT(difference(withFrame, withoutFrame), 0.25);
    const QPoint server1start = startArea.center();
    loop.dispatch([this] { program.load<Kommunicator>(); });
    Kommunicator* localK = program.find<Kommunicator>();
    ASSERT_NE(localK, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.view(*localK)->window()));
    const QPoint sendentext = centreInWindow(widget<QLineEdit>(*localK, "Sendentext"));
    const QSize mainSize = localMain->size();
    loop.dispatch([this] { program.unload<Kommunicator>(); });
    // Out of the way of the program's windows.
    localMain->hide();

    Display* dpy = XOpenDisplay(nullptr);
    ASSERT_NE(dpy, nullptr);
    User user(dpy);
    QProcess tool;
    tool.start(QString::fromStdString(prepareRealProgram()), {});
    ASSERT_TRUE(tool.waitForStarted());
    const qint64 pid = tool.processId();

    const Window main = waitForWindow(dpy, pid, "D3 Vantor Server");
    ASSERT_NE(main, 0u) << "no main window";
    {
        // The clicks land where the controls are only on a window laid out
        // as the one measured.
        XWindowAttributes a;
        ASSERT_TRUE(XGetWindowAttributes(dpy, main, &a));
        ASSERT_EQ(QSize(a.width, a.height), mainSize);
    }

    // "Server 1 starten" in the start frame, which the picture button opens.
    const auto frameOpen = [&] { return looksLike(shown(main, startArea), withFrame, withoutFrame); };
    ASSERT_TRUE(user.clickUntil(main, sstart, frameOpen)) << "the start frame did not open";
    ASSERT_TRUE(user.clickUntil(main, server1start, [&] { return !runs().empty() || !frameOpen(); }));
    const desktop_test::StandinRun server = run(1);
    ASSERT_NE(server.pid, 0) << "server 1 did not start";
    EXPECT_EQ(server.args, expectedArgs(game("fenster.CFG"), std::to_string(consolePort)));
    ASSERT_TRUE(serverUp(1));

    // A chat line through the communicator the start opened: the tool logs
    // in to the server's remote console for it.
    const Window kommunicator = waitForWindow(dpy, pid, "Kommonicator");
    ASSERT_NE(kommunicator, 0u) << "the start opened no communicator";
    ASSERT_TRUE(user.click(kommunicator, sendentext));
    ASSERT_TRUE(waitUntil([&] {
        desktop::x11::IgnoreErrors ignore(dpy);
        return desktop::x11::focusedTopLevel(dpy) == desktop::x11::topLevelOf(dpy, kommunicator);
    })) << "the communicator has not the keyboard";
    ASSERT_TRUE(user.type("gg\r"));
    ASSERT_EQ(typedInto(1, 1), std::vector<std::string>{"Say gg"});
    ASSERT_EQ(count(1, "RCON-LOGIN"), 1u);
    ASSERT_EQ(count(1, "RCON-LOGOUT"), 0u);

    // The close box ends the tool; its session logs out first.
    user.closeBox(main);
    EXPECT_TRUE(waitUntil([&] { return tool.state() == QProcess::NotRunning; }))
        << "the tool did not end";
    EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tool.exitCode(), 0);
    EXPECT_TRUE(waitUntil([&] { return count(1, "RCON-LOGOUT") == 1; }))
        << "the tool dropped its session without logging out";
    EXPECT_FALSE(processGone(server.pid));

    // The server runs on and serves the next session.
    desktop::RemoteConsoleClient next(kPasswort);
    ASSERT_TRUE(next.connect(desktop_test::onLoopback(consolePort)));
    ASSERT_TRUE(next.waitReady(desktop::Clock::now() + std::chrono::seconds(10)));
    ASSERT_TRUE(next.sendLine("say noch da"));
    EXPECT_EQ(typedInto(1, 2), (std::vector<std::string>{"Say gg", "say noch da"}));
    next.logout(desktop::Clock::now() + std::chrono::seconds(10));
    EXPECT_EQ(count(1, "RCON-LOGIN"), 2u);
    EXPECT_TRUE(waitUntil([&] { return count(1, "RCON-LOGOUT") == 2; }));
    EXPECT_FALSE(processGone(server.pid));
    EXPECT_TRUE(run(1).ends.empty());

    if (tool.state() != QProcess::NotRunning) {
        tool.kill();
        tool.waitForFinished();
    }
    XCloseDisplay(dpy);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
