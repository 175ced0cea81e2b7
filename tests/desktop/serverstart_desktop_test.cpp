// Starting server 1 from the main window's start frame on the real view with
// the real services: the stand-in server gets the command line, the status
// strip follows it while it runs and after it ends (by "quit" or killed),
// and a Hoard start types the orb count into its console.
#include <gtest/gtest-spi.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include "common/ConsoleCommand.h"
#include "console/Kommunicator.h"
#include "desktop_fixture.h"
#include "launcher/Einstellungen.h"
#include "launcher/Vantor.h"

// After Qt: the X protocol itself, to have a window exposed.
#include <xcb/xcb.h>

namespace {

using desktop_test::DesktopProgram;
using desktop_test::waitUntil;
namespace fs = std::filesystem;

// Two status polls of a second each, and a little for the loop.
constexpr int kTwoPolls = 2500;

class ServerstartDesktop : public DesktopProgram {
protected:
    explicit ServerstartDesktop(desktop_test::GameBuild build = desktop_test::GameBuild::Windows,
                                const std::string& gameName = "D3")
        : DesktopProgram(build, gameName) {
        // The settings a first run leaves, with the game folder made for the
        // test: server 1's port 2092, servers not minimized. The native build
        // has no console window: "Fernwaltung zulassen" with a password lets
        // the tool reach it, on server 1's port.
        writeLines(prog(einstellungen::kSTPfad), {gameFolder, "0", "0"});
        einstellungen::Voreinstellungen presets;
        if (build == desktop_test::GameBuild::Native) {
            presets.Fernwalt = 1;
            presets.Serverpassw = "geheim";
            presets.port = std::to_string(consolePort);
        }
        testing_support::writeBytes(prog("Servertool.ini"),
                                    build == desktop_test::GameBuild::Native
                                        ? einstellungen::zeilen(presets).bytes()
                                        : einstellungen::erstlaufServertool().bytes());
        port = presets.port;
        testing_support::writeBytes(prog("STS.ini"), einstellungen::erstlaufSTS().bytes());
        testing_support::writeBytes(prog("Mod.ini"),
                                    einstellungen::zeilenMod(einstellungen::standardMods()).bytes());
    }

    // The main window as the splash leaves it: loaded, and shown at its
    // Start tick (made to fall due now).
    Vantor& openMainWindow() {
        Vantor* v = loadMainWindow<Vantor>();
        EXPECT_EQ(label(*v, "Label15"), "Aus");
        return *v;
    }

    QString label(Vantor& v, const char* name) {
        QLabel* l = widget<QLabel>(v, name);
        return l ? l->text() : QString("<kein Label>");
    }

    // Picks a game type from the combo box's list, as the user does.
    void chooseGameType(Vantor& v, const QString& type) {
        auto* combo = widget<QComboBox>(v, "Spieletyp");
        ASSERT_NE(combo, nullptr);
        const int index = combo->findText(type);
        ASSERT_GE(index, 0) << type.toStdString();
        combo->showPopup();
        QAbstractItemView* list = combo->view();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(list->window()));
        list->scrollTo(list->model()->index(index, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(index, 0)).center());
        ASSERT_EQ(v.Spieletyp.Text(), type.toStdString());
    }

    // "Server 1 starten" in the start frame, which the picture button opens.
    void startServer1(Vantor& v) {
        QTest::mouseClick(widget<QPushButton>(v, "SStart"), Qt::LeftButton);
        ASSERT_TRUE(v.Startserver.Visible());
        auto* start = widget<QPushButton>(v, "Server1start");
        ASSERT_NE(start, nullptr);
        ASSERT_TRUE(start->isVisible());
        EXPECT_EQ(start->text(), "Server 1 starten");
        QTest::mouseClick(start, Qt::LeftButton);
        EXPECT_FALSE(v.Startserver.Visible());
    }

    // The stand-in runs once it holds its files in the cache, beside the
    // game's placeholder.
    bool cacheHolds(std::size_t files) {
        return waitUntil([&] { return fileCount() == files; });
    }
    // A message box with this text, which the user confirms.
    void expectMessage(const QString& text) {
        expectDialog([text](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text(), text);
            box->accept();
        });
    }
    std::string port;  // server 1's, from the presets

    // What the X server shows of the window in `area`, and of a widget.
    static QImage onScreen(QWidget* window, const QRect& area) {
        return QGuiApplication::primaryScreen()
            ->grabWindow(window->winId(), area.x(), area.y(), area.width(), area.height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }
    static QImage onScreen(QWidget* w) { return onScreen(w->window(), placeIn(w)); }
    // The widget's place in its window.
    static QRect placeIn(QWidget* w) { return QRect(w->mapTo(w->window(), QPoint(0, 0)), w->size()); }
    // Waits until the screen shows the widget as Qt paints it now, which a
    // slow machine may take a while to put there.
    static bool shownAsPainted(QWidget* w) {
        return waitUntil([w] {
            w->repaint();
            return onScreen(w) == w->grab().toImage().convertToFormat(QImage::Format_RGB32);
        }, 2000);
    }

    // Has the X server expose the widget's window, as it does when something
    // over it goes away; true once Qt has dealt with it.
    static bool exposed(QWidget* w) {
        struct Exposes : QObject {
            int seen = 0;
            bool eventFilter(QObject*, QEvent* event) override {
                seen += event->type() == QEvent::Expose;
                return false;
            }
        } exposes;
        w->windowHandle()->installEventFilter(&exposes);
        xcb_connection_t* c = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
        xcb_clear_area(c, 1, w->winId(), 0, 0, 0, 0);
        xcb_flush(c);
        return waitUntil([&] { return exposes.seen > 0; }, 2000);
    }

    // The files the folder listing shows: hidden ones (.lock) do not count.
    std::size_t fileCount() {
        std::size_t n = 0;
        for (const auto& entry : fs::directory_iterator(game("custom/cache")))
            n += entry.path().filename().string()[0] != '.';
        return n;
    }
};

// The same flows with either build of the game: commands reach the native
// one through its remote console, the Windows one by keys into its window.
class ServerstartBuilds : public ServerstartDesktop,
                          public ::testing::WithParamInterface<desktop_test::GameBuild> {
protected:
    ServerstartBuilds() : ServerstartDesktop(GetParam()) {}
};

INSTANTIATE_TEST_SUITE_P(, ServerstartBuilds, desktop_test::kBeideBuilds, desktop_test::buildName);

TEST_P(ServerstartBuilds, Server1RunsWithItsCommandLineAndTheStatusFollowsIt) {
    Vantor& v = openMainWindow();
    startServer1(v);

    const desktop_test::StandinRun server = run(1);
    EXPECT_EQ(server.args, expectedArgs("fenster.CFG", port));
    // The server read the fenster.CFG the start wrote from the first page.
    EXPECT_NE(std::find(server.cfg.begin(), server.cfg.end(), "Scriptname=Anarchy"), server.cfg.end());
    // The placeholder, the client module and four server modules.
    ASSERT_TRUE(cacheHolds(6));

    EXPECT_TRUE(waitUntil([&] { return label(v, "Label15") == "Ein"; }, kTwoPolls));
    auto* pfeil = widget<QLabel>(v, "Pfeil");
    EXPECT_TRUE(pfeil->isVisible());
    EXPECT_FALSE(widget<QPushButton>(v, "Server1start")->isEnabled());

    // The arrow runs on the screen, and each of its captions looks there as
    // Qt paints the label. The next step reaches the screen a little later
    // on a slow machine: it is waited for, from a caption Qt has painted.
    pfeil->repaint();
    const QImage before = onScreen(pfeil);
    EXPECT_TRUE(waitUntil([&] { return onScreen(pfeil) != before; }, 1000)) << "the arrow stands still";
    const QImage moved = onScreen(pfeil);
    pfeil->repaint();
    EXPECT_TRUE(onScreen(pfeil) == moved) << "caption " << v.Pfeil.Caption();
    // When something over the arrow goes away, or its window has just been
    // mapped, Qt puts its own image of the label back: the caption then, not
    // one the arrow has stepped past since.
    const std::string painted = v.Pfeil.Caption();
    ASSERT_TRUE(waitUntil([&] { return v.Pfeil.Caption() != painted; }, 1000));
    ASSERT_TRUE(exposed(pfeil));
    const QImage afterExpose = onScreen(pfeil);
    pfeil->repaint();
    EXPECT_TRUE(onScreen(pfeil) == afterExpose) << "caption " << v.Pfeil.Caption();

    // While it runs, clearing the cache deletes none of its files.
    expectMessage("Der Cach ist leer oder ein Server läuft noch!");
    QTest::mouseClick(widget<QPushButton>(v, "Cachl"), Qt::LeftButton);
    EXPECT_EQ(fileCount(), 6u);

    // Ended at its console, it leaves its server modules behind, as the
    // game does; nothing holds them, so server 1 shows stopped within two
    // polls and starts again as it is, without clearing the cache.
    ASSERT_TRUE(serverUp(1));
    ASSERT_TRUE(common::sendConsoleCommand(console, "quit"));
    ASSERT_TRUE(serverGone(1));
    EXPECT_EQ(run(1).cmds, std::vector<std::string>{"quit"});
    ASSERT_TRUE(cacheHolds(5));
    auto stopped = [&] {
        return waitUntil([&] { return label(v, "Label15") == "Aus"; }, kTwoPolls) &&
               !widget<QLabel>(v, "Pfeil")->isVisible() &&
               widget<QPushButton>(v, "Server1start")->isEnabled();
    };
    EXPECT_TRUE(stopped());

    // Killed outright, it leaves its lock as well, naming a process that is
    // gone: the same, and the tool tells of the end so soon after the start.
    for (std::size_t n : {2, 3}) {
        startServer1(v);
        const desktop_test::StandinRun next = run(n);
        ASSERT_NE(next.pid, 0) << "start " << n;
        EXPECT_EQ(next.args, expectedArgs("fenster.CFG", port));
        EXPECT_TRUE(waitUntil([&] { return label(v, "Label15") == "Ein"; }, kTwoPolls));
        if (n == 3) break;
        ASSERT_TRUE(serverUp(n));
        expectCritical([](const std::string& text) {
            EXPECT_TRUE(text.starts_with("Server 1 hat sich gleich nach dem Start beendet.")) << text;
        });
        kill(next.pid, SIGKILL);
        ASSERT_TRUE(serverGone(n));
        EXPECT_TRUE(fs::exists(game("custom/cache/.lock")));
        EXPECT_TRUE(stopped());
    }
}

// The first run with the game's native build: the user picks its program
// `Descent3` through the real file dialog, in a game folder whose folders
// are in the game's own lower case; "Server 1 starten" then runs it with the
// configuration as an absolute path, which is all the native build takes.
class GameFolderDesktop : public DesktopProgram {
protected:
    GameFolderDesktop() : DesktopProgram(desktop_test::GameBuild::Native) {
        testing_support::writeBytes(game("missions/LEVEL.MN3"), "");
    }
};

TEST_F(GameFolderDesktop, DescentThreeChosenInTheDialogStartsWithAnAbsoluteConfiguration) {
    loop.dispatch([this] { program.load<Vantor>(); });
    Vantor* v = program.find<Vantor>();
    ASSERT_NE(v, nullptr);
    ASSERT_TRUE(loop.tickNow(v->Start));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.view(*v)->window()));
    ASSERT_TRUE(v->Pfadeinstellung.Visible());

    // The user types the program's path into the dialog's name field.
    const std::string programm = game("Descent3");
    expectDialog([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        // Typed whole: key by key, a busy machine may open the name field's
        // completion list, which then takes the Return.
        name->setText(QString::fromStdString(programm));
        static_cast<QDialog*>(dialog)->accept();
    });
    QTest::mouseClick(widget<QPushButton>(*v, "Broserstart"), Qt::LeftButton);
    EXPECT_EQ(v->Despfad.Text(), gameFolder);
    QTest::mouseClick(widget<QPushButton>(*v, "Pfadspeichern"), Qt::LeftButton);
    ASSERT_FALSE(v->Pfadeinstellung.Visible()) << "the lower-case folders count";
    EXPECT_EQ(v->Levelboser.ListCount(), 1);

    QTest::mouseClick(widget<QPushButton>(*v, "SStart"), Qt::LeftButton);
    QTest::mouseClick(widget<QPushButton>(*v, "Server1start"), Qt::LeftButton);
    const desktop_test::StandinRun server = run(1);
    EXPECT_EQ(server.args, expectedArgs(game("fenster.CFG"), "2092"));
    for (const std::string& line : server.rcon)
        EXPECT_FALSE(line.starts_with("ERROR")) << line;
    EXPECT_TRUE(waitUntil(
        [&] { return fs::exists(game("custom/cache/d3c" + std::to_string(server.pid) + ".tmp")); }));
}

// A game folder and a configuration whose names hold blanks: the server
// gets each path as one argument, and the tool reaches its remote console.
// A program named like the folder's first word is not run.
class BlanksDesktop : public ServerstartDesktop {
protected:
    BlanksDesktop() : ServerstartDesktop(desktop_test::GameBuild::Native, "Descent 3") {}
};

TEST_F(BlanksDesktop, PathsWithBlanksReachTheServerWholeAndItsConsoleAnswers) {
    const std::string decoy = gameRoot.path() + "/Descent";
    testing_support::writeBytes(decoy, "#!/bin/sh\ntouch \"$0.ran\"\n");
    fs::permissions(decoy, fs::perms::owner_all);
    fs::create_directories(game("Server Configs"));
    const std::string config =
        remoteConfig("Server Configs/mit blank.cfg", consolePort, "geheim", {"MissionName=ProFight2.mn3"});
    Vantor& v = openMainWindow();
    v.Configname.Text = config;
    startServer1(v);

    const desktop_test::StandinRun server = run(1);
    EXPECT_EQ(server.args, (std::vector<std::string>{"-dedicated", config, "-tempdir",
                                                     game("custom/cache"), "-useport", port}));
    ASSERT_TRUE(serverUp(1));
    ASSERT_TRUE(common::sendConsoleCommand(services.console, "say Hallo Leute"));
    EXPECT_EQ(typedInto(1, 1), std::vector<std::string>{"say Hallo Leute"});
    EXPECT_FALSE(fs::exists(decoy + ".ran"));
    // What the server printed is in server 1's log beside the settings.
    EXPECT_EQ(testing_support::readBytes(prog("Server1.log")),
              "Starting the dedicated server with " + config + "\n");
}

// A level the server cannot load ends it at once with an error line: the
// status poll shows that line from server 1's log. The next start replaces
// the log, and a server that runs is not reported.
TEST_F(ServerstartDesktop, ServerThatEndsAtOnceIsReportedWithItsLog) {
    Vantor& v = openMainWindow();
    v.Levelname.Text = "Fehlt.mn3";
    bool shown = false;
    expectCritical([&](const std::string& text) {
        EXPECT_EQ(text,
                  "Server 1 hat sich gleich nach dem Start beendet. Die letzten Zeilen seines "
                  "Protokolls (" + prog("Server1.log") + "):\nStarting the dedicated server with " +
                      game("fenster.CFG") + "\nError: Unable to load the level \"Fehlt.mn3\"");
        shown = true;
    });
    startServer1(v);
    ASSERT_TRUE(serverGone(1));
    EXPECT_TRUE(waitUntil([&] { return shown; }, 3 * kTwoPolls));

    v.Levelname.Text = "ProFight2.mn3";
    startServer1(v);
    ASSERT_NE(run(2).pid, 0);
    QTest::qWait(kTwoPolls);
    EXPECT_FALSE(desktop_test::processGone(run(2).pid));
    EXPECT_EQ(testing_support::readBytes(prog("Server1.log")),
              "Starting the dedicated server with " + game("fenster.CFG") + "\n");
}

// The user types the answer to the orb-count question into the real input
// box and confirms it with Enter; the box's title, question and proposal are
// kept.
void answerOrbQuestion(QWidget* shown, const QString& answer, std::vector<QString>* prompts) {
    auto* dialog = qobject_cast<QInputDialog*>(shown);
    ASSERT_NE(dialog, nullptr);
    prompts->push_back(dialog->windowTitle() + " | " + dialog->labelText() + " | " + dialog->textValue());
    auto* line = dialog->findChild<QLineEdit*>();
    QTest::keyClick(line, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(line, answer);
    QTest::keyClick(line, Qt::Key_Return);
}

TEST_P(ServerstartBuilds, HoardStartTypesTheOrbCountIntoTheServer) {
    Vantor& v = openMainWindow();
    chooseGameType(v, "Hoard");

    // 13 is more than the game allows: the question comes again.
    std::vector<QString> prompts;
    for (const QString answer : {"13", "7"})
        expectDialog([answer, &prompts](QWidget* w) { answerOrbQuestion(w, answer, &prompts); });
    startServer1(v);
    const QString question =
        "Hortspiel... | Wieviele Hortkugeln sollen die Spieler zum ablegen benötigen ? Du kannst "
        "zwischen 1 und 12 wählen ! | 4";
    EXPECT_EQ(prompts, (std::vector<QString>{question, question}));

    const desktop_test::StandinRun server = run(1);
    EXPECT_EQ(server.args, expectedArgs("fenster.CFG", port));
    EXPECT_NE(std::find(server.cfg.begin(), server.cfg.end(), "Scriptname=Hoard"), server.cfg.end());
    ASSERT_TRUE(serverUp(1));

    // The count goes out 15 s after the start: that tick falls due now.
    EXPECT_EQ(v.Hortsetzten.Interval(), 15000);
    ASSERT_TRUE(loop.tickNow(v.Hortsetzten));
    EXPECT_EQ(typedInto(1, 1), std::vector<std::string>{"$mincount 7"});
    EXPECT_FALSE(loop.isRunning(v.Hortsetzten));  // once per start
}

// Both servers running on the game's native build: server 2 in a temporary
// folder of its own, each with its remote console on a port of its own.
class BothServersDesktop : public ServerstartDesktop {
protected:
    BothServersDesktop() : ServerstartDesktop(desktop_test::GameBuild::Native) {
        einstellungen::Voreinstellungen presets;
        presets.Fernwalt = 1;
        presets.Serverpassw = "geheim";
        presets.port = port;
        presets.port2 = port2.text();
        presets.Tempordners2 = game("temp2");
        fs::create_directories(presets.Tempordners2);
        testing_support::writeBytes(prog("Servertool.ini"), einstellungen::zeilen(presets).bytes());
    }

    // What Qt paints of the window in `area` is what the screen shows there.
    static bool screenShowsQt(QWidget* window, const QRect& area) {
        return onScreen(window, area) == window->grab(area).toImage().convertToFormat(QImage::Format_RGB32);
    }

    const desktop_test::LeasedPort port2;
};

// The running arrows are windows of their own on the X server; a panel
// opened over the status strip still hides them where it lies over them.
TEST_F(BothServersDesktop, PanelsOverTheStatusStripHideTheRunningArrows) {
    Vantor& v = openMainWindow();
    startServer1(v);
    ASSERT_NE(run(1).pid, 0);  // it has read fenster.CFG, which server 2's start rewrites
    QTest::mouseClick(widget<QPushButton>(v, "SStart"), Qt::LeftButton);
    QTest::mouseClick(widget<QPushButton>(v, "Server2start"), Qt::LeftButton);
    const desktop_test::StandinRun server2 = run(2);
    ASSERT_EQ(server2.args.size(), 6u);
    EXPECT_EQ(server2.args[3], game("temp2"));
    QWidget* win = view.view(v)->window();
    auto* pfeil = widget<QLabel>(v, "Pfeil");
    auto* pfeil2 = widget<QLabel>(v, "Pfeil2");
    const QRect strip = placeIn(widget<QWidget>(v, "Statusleiste"));
    const struct {
        ui::Menu& menu;
        ui::Frame& panel;
        const char* title;
        const char* close;
    } panels[] = {{v.AnM3b, v.Angelegte, "AngelegteTitel", "ASBAbbrechen"},
                  {v.Opm1a, v.VorstellFrame, "Label18", "Vorabbruch"}};
    for (const auto& p : panels) {
        SCOPED_TRACE(p.panel.Name());
        view.view(v)->action(p.menu)->trigger();
        ASSERT_TRUE(p.panel.Visible());
        // The first panel opens while the status poll has yet to show server
        // 2 running: its arrow comes up beneath the panel.
        ASSERT_TRUE(waitUntil([&] { return label(v, "Label15") == "Ein" && label(v, "Label26") == "Ein"; },
                              2 * kTwoPolls));
        auto* panel = widget<QGroupBox>(v, p.panel.Name().c_str());
        // The panel's part over the status strip: its title and both arrows.
        const QRect over = placeIn(panel) & strip & win->rect();
        const QRect title = placeIn(widget<QWidget>(v, p.title));
        EXPECT_TRUE(over.intersects(title) && over.intersects(placeIn(pfeil)) &&
                    over.intersects(placeIn(pfeil2)) && title.intersects(placeIn(pfeil)));
        EXPECT_TRUE(waitUntil([&] { return screenShowsQt(win, over); }, 2000));
        // And so it stays while the arrows step on.
        for (int step = 0; step < 3; ++step) {
            const std::string caption = v.Pfeil.Caption();
            ASSERT_TRUE(waitUntil([&] { return v.Pfeil.Caption() != caption; }, 1000));
            EXPECT_TRUE(screenShowsQt(win, over)) << "step " << step;
        }
        QDir().mkpath(QStringLiteral(ARTIFACT_DIR));
        onScreen(win, win->rect()).save(QStringLiteral(ARTIFACT_DIR "/arrows-under-") +
                                        QString::fromStdString(p.panel.Name()) + ".png");

        QTest::mouseClick(widget<QPushButton>(v, p.close), Qt::LeftButton);
        ASSERT_FALSE(p.panel.Visible());
        // Closed, it uncovers both arrows whole.
        EXPECT_TRUE(shownAsPainted(pfeil));
        EXPECT_TRUE(shownAsPainted(pfeil2));
    }
}

// A dialog the test did not announce fails it and is closed, where it would
// otherwise wait for a user until the test run's time is up.
TEST_F(ServerstartDesktop, UnannouncedDialogFailsTheTestAndIsClosed) {
    ::testing::TestPartResultArray failures;
    int answer = 0;
    {
        ::testing::ScopedFakeTestPartResultReporter reporter(
            ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
        answer = dialogs.MsgBox("Nicht angekündigt", platform::vbOKCancel, "Frage");
    }
    EXPECT_EQ(answer, platform::vbCancel);
    ASSERT_EQ(failures.size(), 1);
    EXPECT_NE(std::string(failures.GetTestPartResult(0).message()).find("Frage | Nicht angekündigt"),
              std::string::npos)
        << failures.GetTestPartResult(0).message();
}

// Two servers on one console port. "Server 2 starten" from presets whose
// server 2 port is server 1's console port is refused, naming server 1. A
// second server started past the tool anyway gets no console: the commands
// meant for it, the newest, reach neither it nor server 1.
class TwoServersOnePort : public ServerstartDesktop {
protected:
    TwoServersOnePort() : ServerstartDesktop(desktop_test::GameBuild::Native) {
        einstellungen::Voreinstellungen presets;
        presets.Fernwalt = 1;
        presets.Serverpassw = "geheim";
        presets.port = presets.port2 = std::to_string(consolePort);
        // Server 2 needs a temporary folder of its own to be started at all.
        presets.Tempordners2 = game("server2");
        testing_support::writeBytes(prog("Servertool.ini"), einstellungen::zeilen(presets).bytes());
    }
};

TEST_F(TwoServersOnePort, SecondServerIsRefusedAndNoCommandReachesTheOther) {
    Vantor& v = openMainWindow();
    startServer1(v);
    ASSERT_TRUE(serverUp(1));

    const std::string keineKonsole =
        "Keine Serverkonsole erreichbar. Mit \"Fernwaltung zulassen\" und einem Passwort erreicht "
        "das Tool auch einen Server ohne Konsolenfenster.";
    QTest::mouseClick(widget<QPushButton>(v, "SStart"), Qt::LeftButton);
    bool refused = false;
    expectCritical([&](const std::string& text) {
        EXPECT_TRUE(text.starts_with("Der Server wird nicht gestartet: Den Konsolenport " + port +
                                     " seiner Konfiguration hält schon Server 1."))
            << text;
        refused = true;
    });
    QTest::mouseClick(widget<QPushButton>(v, "Server2start"), Qt::LeftButton);
    EXPECT_TRUE(refused);
    EXPECT_TRUE(v.Startserver.Visible());

    // Started by hand on the same port: its console cannot open.
    startNative(remoteConfig("zwei.CFG", consolePort, "geheim"), "server2");
    ASSERT_TRUE(waitUntil([&] {
        if (runs().size() < 2) return false;
        const auto r = runs()[1].rcon;
        return std::any_of(r.begin(), r.end(), [](const std::string& l) { return l.starts_with("RCON-UNAVAILABLE"); });
    }));
    loop.dispatch([this] { program.load<Kommunicator>(); });
    Kommunicator* k = program.find<Kommunicator>();
    ASSERT_NE(k, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.view(*k)->window()));
    QLineEdit* line = widget<QLineEdit>(*k, "Sendentext");
    ASSERT_NE(line, nullptr);
    QTest::keyClicks(line, "gg");
    QTest::keyClick(line, Qt::Key_Return);
    EXPECT_EQ(k->Hinweis.Caption(), keineKonsole);
    QTest::mouseClick(widget<QPushButton>(*k, "lvlq"), Qt::LeftButton);
    EXPECT_EQ(k->Hinweis.Caption(), keineKonsole);
    QTest::qWait(1000);
    for (std::size_t n : {1u, 2u}) {
        EXPECT_TRUE(run(n).cmds.empty()) << "server " << n;
        EXPECT_FALSE(desktop_test::processGone(run(n).pid)) << "server " << n;
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
