// The real program, copied with its shipped files into an empty program
// folder: it shows the splash, then the main window with the game-folder
// panel. Screenshots of both are kept under test-artifacts/.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

// Xlib's macros clash with Qt's headers: after them.
#include <X11/Xlib.h>

#include "desktop/X11Windows.h"

namespace {

const QString kProgram = QStringLiteral(D3VANTOR);
const QString kAssets = QStringLiteral(ASSETS_DIR);
const QString kArtifacts = QStringLiteral(ARTIFACT_DIR);

bool viewable(Display* dpy, Window w) {
    desktop::x11::IgnoreErrors ignore(dpy);
    XWindowAttributes a;
    return XGetWindowAttributes(dpy, w, &a) && a.map_state == IsViewable;
}

// A viewable top-level window of the process whose title passes `wanted`.
Window findWindow(Display* dpy, qint64 pid, const std::function<bool(const std::string&)>& wanted) {
    for (Window w : desktop::x11::topLevelWindows(dpy))
        if (desktop::x11::windowPid(dpy, w) == pid && viewable(dpy, w) &&
            wanted(desktop::x11::windowTitle(dpy, w)))
            return w;
    return 0;
}

// Windows of another process take real time, more on a busy machine: the
// deadlines are generous.
constexpr int kDeadlineMs = 15000;

Window waitForWindow(Display* dpy, qint64 pid, const std::function<bool(const std::string&)>& wanted) {
    QElapsedTimer clock;
    clock.start();
    do {
        if (Window w = findWindow(dpy, pid, wanted)) return w;
        QTest::qWait(50);
    } while (clock.elapsed() <= kDeadlineMs);
    return 0;
}

int distinctColours(const QImage& image) {
    QSet<QRgb> colours;
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) colours.insert(img.pixel(x, y));
    return colours.size();
}

// Grabs the window once it shows more than a blank area (painting takes its
// time on a busy machine), checks that and keeps it as a test artifact.
QString screenshot(Window w, const QString& name) {
    QImage image;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        image = QGuiApplication::primaryScreen()->grabWindow(w).toImage();
        if ((!image.isNull() && distinctColours(image) > 16) || clock.elapsed() > kDeadlineMs) break;
        QTest::qWait(50);
    }
    EXPECT_FALSE(image.isNull()) << name.toStdString();
    EXPECT_GT(distinctColours(image), 16) << name.toStdString() << " looks blank";
    QDir().mkpath(kArtifacts);
    const QString path = kArtifacts + "/" + name;
    EXPECT_TRUE(image.save(path)) << path.toStdString();
    return path;
}

bool isMainTitle(const std::string& t) { return t == "D3 Vantor Server"; }
bool isSplashTitle(const std::string& t) { return !isMainTitle(t); }

// An empty program folder holding the program and its shipped files only.
void prepareProgramFolder(const QString& folder) {
    ASSERT_TRUE(QFile::copy(kProgram, folder + "/d3vantor"));
    for (const QFileInfo& f : QDir(kAssets).entryInfoList(QDir::Files))
        ASSERT_TRUE(QFile::copy(f.filePath(), folder + "/" + f.fileName()));
}

TEST(RealProgram, ShowsSplashThenMainWindowWithGameFolderPanel) {
    Display* dpy = XOpenDisplay(nullptr);
    ASSERT_NE(dpy, nullptr);
    QTemporaryDir folder;
    prepareProgramFolder(folder.path());
    QProcess program;
    program.start(folder.path() + "/d3vantor", {});
    ASSERT_TRUE(program.waitForStarted());
    const qint64 pid = program.processId();

    const Window splash = waitForWindow(dpy, pid, isSplashTitle);
    ASSERT_NE(splash, 0u) << "no splash";
    EXPECT_EQ(findWindow(dpy, pid, isMainTitle), 0u) << "main window before the splash";
    screenshot(splash, "splash.png");

    const Window main = waitForWindow(dpy, pid, isMainTitle);
    ASSERT_NE(main, 0u) << "no main window titled \"D3 Vantor Server\"";
    // The splash closes itself half a second later.
    QElapsedTimer closing;
    closing.start();
    while (viewable(dpy, splash) && closing.elapsed() < kDeadlineMs) QTest::qWait(50);
    EXPECT_FALSE(viewable(dpy, splash));
    screenshot(main, "main.png");
    // The game-folder panel's first-run branch wrote the last settings.
    EXPECT_TRUE(QFile::exists(folder.path() + "/Letztes.ini"));
    EXPECT_EQ(program.state(), QProcess::Running);

    program.kill();
    program.waitForFinished();
    XCloseDisplay(dpy);
}

class WithoutDisplay : public ::testing::TestWithParam<const char*> {};

TEST_P(WithoutDisplay, ExitsNonZeroWithOneLineOnStderr) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    if (*GetParam()) env.insert("DISPLAY", GetParam());
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(kProgram, {});
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(program.exitCode(), 0);
    const QString err = QString::fromUtf8(program.readAllStandardError());
    EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
    EXPECT_TRUE(err.endsWith('\n'));
    EXPECT_TRUE(err.contains("X11")) << err.toStdString();
}

// Unset, and set to a display nobody serves.
INSTANTIATE_TEST_SUITE_P(Display, WithoutDisplay, ::testing::Values("", ":4711"));

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
