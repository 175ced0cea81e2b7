// The communicator on the real view with the real services, against a
// running stand-in server: what the user does in its window, and what it
// does by itself at the end of a server's time, arrives in the server's
// console.
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "console/Kommunicator.h"
#include "desktop_fixture.h"
#include "launcher/Einstellungen.h"
#include "launcher/Vantor.h"

namespace {

using desktop_test::DesktopProgram;
using desktop_test::processGone;
using desktop_test::waitUntil;

const std::string kEndText =
    "Say Server wird in einer Min automatisch beendet ! Bis zum nächsten mal !";

// QTest::keyClicks stops at the first character outside ASCII, so every
// character is sent as a key event that carries its text, as the X11
// keyboard delivers it.
void typeText(QWidget* w, const QString& text) {
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, static_cast<Qt::Key>(c.toUpper().unicode()), QString(c),
                            Qt::NoModifier);
}

class KommunicatorDesktop : public DesktopProgram {
protected:
    explicit KommunicatorDesktop(desktop_test::GameBuild build = desktop_test::GameBuild::Windows)
        : DesktopProgram(build) {}

    // Server 1 from the game folder, started as the start frame starts it.
    void startServer() {
        ASSERT_TRUE(processes.Start(startWords("fenster.CFG", "2092"), platform::vbNormalFocus, 1));
        ASSERT_TRUE(serverUp(1));
    }

    Kommunicator& open() {
        loop.dispatch([this] { program.load<Kommunicator>(); });
        Kommunicator* k = program.find<Kommunicator>();
        EXPECT_NE(k, nullptr);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.view(*k)->window()));
        return *k;
    }

    void click(Kommunicator& k, const char* name) {
        QWidget* w = widget<QWidget>(k, name);
        ASSERT_NE(w, nullptr);
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(8, w->height() / 2));
    }

    // The automatic end as the user sets it up: the end text ticked in the
    // frame "Autotexte" and saved, 2 end minutes typed, "Aktiv" ticked.
    void armAutomaticEnd(Kommunicator& k) {
        click(k, "atz");
        ASSERT_TRUE(k.autotexte.Visible());
        click(k, "aktive5");
        ASSERT_EQ(k.aktive5.Value(), 1);
        click(k, "atsp");
        ASSERT_FALSE(k.autotexte.Visible());

        QLineEdit* endmin = widget<QLineEdit>(k, "Endmin");
        ASSERT_NE(endmin, nullptr);
        QTest::keyClicks(endmin, "2");
        ASSERT_EQ(k.Endmin.Text(), "2");
        ASSERT_TRUE(widget<QCheckBox>(k, "Endminak")->isEnabled());
        click(k, "Endminak");
        ASSERT_EQ(k.Endminak.Value(), 1);
        // The minute timer runs at its minute; the test lets its ticks fall
        // due one by one.
        ASSERT_EQ(k.Minabzähler.Interval(), 60000);
        ASSERT_TRUE(loop.isRunning(k.Minabzähler));
    }

    // Both minutes of the automatic end: the end text after the first, "quit"
    // after the second.
    void runAutomaticEnd(Kommunicator& k) {
        runAutomaticEnd(k, 1);
    }
    void runAutomaticEnd(Kommunicator& k, std::size_t server) {
        ASSERT_TRUE(loop.tickNow(k.Minabzähler));
        EXPECT_EQ(widget<QLineEdit>(k, "Endmin")->text(), "1");
        EXPECT_EQ(typedInto(server, 1), std::vector<std::string>{kEndText});

        ASSERT_TRUE(loop.tickNow(k.Minabzähler));
        EXPECT_EQ(typedInto(server, 2), (std::vector<std::string>{kEndText, "quit"}));
        ASSERT_TRUE(serverGone(server));
        EXPECT_EQ(run(server).ends, std::vector<std::string>{"quit"});
    }

    // A chat line typed into Sendentext and sent with Enter.
    void say(Kommunicator& k, const QString& text) {
        QLineEdit* line = widget<QLineEdit>(k, "Sendentext");
        ASSERT_NE(line, nullptr);
        typeText(line, text);
        QTest::keyClick(line, Qt::Key_Return);
    }
};

TEST_F(KommunicatorDesktop, EnterInSendentextSaysTheLineInTheServerConsole) {
    startServer();
    Kommunicator& k = open();
    QLineEdit* line = widget<QLineEdit>(k, "Sendentext");
    ASSERT_NE(line, nullptr);
    typeText(line, QStringLiteral("Grüße an alle, 1:0"));
    QTest::keyClick(line, Qt::Key_Return);

    EXPECT_EQ(typedInto(1, 1), std::vector<std::string>{"Say Grüße an alle, 1:0"});
    // The line went out: the box is ready for the next one.
    EXPECT_TRUE(waitUntil([&] { return line->text().isEmpty(); }));
    EXPECT_EQ(k.Sendentext.Text(), "");

    // A second line, into the same console.
    typeText(line, QStringLiteral("gg"));
    QTest::keyClick(line, Qt::Key_Return);
    EXPECT_EQ(typedInto(1, 2), (std::vector<std::string>{"Say Grüße an alle, 1:0", "Say gg"}));
}

TEST_F(KommunicatorDesktop, LevelNeuStartenRestartsTheLevel) {
    startServer();
    Kommunicator& k = open();
    auto* button = widget<QPushButton>(k, "lvlneu");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), "Level neu starten");
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(typedInto(1, 1), std::vector<std::string>{"endlevel"});
    // The server runs on.
    EXPECT_FALSE(processGone(run(1).pid));
}

TEST_F(KommunicatorDesktop, AutomaticEndSaysTheEndTextThenQuitsAndCloses) {
    startServer();
    Kommunicator& k = open();
    armAutomaticEnd(k);
    runAutomaticEnd(k);
    // Neither a second server nor a pack: the communicator closes.
    EXPECT_TRUE(waitUntil([&] { return program.find<Kommunicator>() == nullptr; }));
    EXPECT_EQ(runs().size(), 1u);
}

TEST_F(KommunicatorDesktop, LevelPackStepStartsTheQueuedConfigurationAfterTheEnd) {
    // The communicator was used before (a first opening only lays down
    // Autotexte.ini and reads no queue).
    std::vector<std::string> autotexte;
    for (int row = 0; row < 4; ++row) autotexte.insert(autotexte.end(), {"", " 0 ", " 0 ", ""});
    autotexte.insert(autotexte.end(), {kEndText.substr(4), " 0 "});
    writeLines(prog("Autotexte.ini"), autotexte);
    // What a level-pack start leaves behind: the queue of the entries still
    // to come, and the settings the step reads.
    writeLines(prog("pack.cfg"), {"level2.CFG"});
    writeLines(prog("STPfad.ini"), {gameFolder, "0", "0"});
    writeLines(prog("Servertool.ini"), {"", "", "2094", "global"});
    testing_support::writeBytes(game("level2.CFG"), "[server config file]\r\nMission=Level 2\r\n");
    startServer();

    Kommunicator& k = open();
    ASSERT_EQ(k.Gruppenliste.ListCount(), 1);
    // The pack runs: the caption blinks.
    EXPECT_TRUE(waitUntil([&] { return k.Label17.ForeColor() != Kommunicator::kPackGrau; }));
    armAutomaticEnd(k);
    runAutomaticEnd(k);

    // About 5 s after the end the next server starts with the queued
    // configuration, as server 1 of the game folder, in front.
    const desktop_test::StandinRun next = run(2);
    EXPECT_EQ(next.args, expectedArgs("level2.CFG", "2094"));
    EXPECT_EQ(next.cfg, (std::vector<std::string>{"[server config file]", "Mission=Level 2"}));
    EXPECT_TRUE(serverUp(2));
    // The communicator stays open for it; the pack has run out.
    ASSERT_EQ(program.find<Kommunicator>(), &k);
    EXPECT_EQ(k.Gruppenliste.ListCount(), 0);
    EXPECT_EQ(k.Hinweis.Caption(), "");
    EXPECT_TRUE(waitUntil([&] { return k.Label17.ForeColor() == Kommunicator::kPackGrau; }));
    EXPECT_EQ(k.Endmin.Text(), "2");  // the next level's end minutes

    // And it takes commands like the one before.
    QTest::mouseClick(widget<QPushButton>(k, "lvlneu"), Qt::LeftButton);
    EXPECT_EQ(typedInto(2, 1), std::vector<std::string>{"endlevel"});
}

// The whole level pack from the main window: its button starts the group's
// first configuration as server 1, queues the second in pack.cfg for the
// communicator, which the start opens, and the automatic end starts it; the
// second server's console takes the automatic end too. With the native build
// both servers have their remote console on the same port: the first one's
// session closed after its "quit", so the port is free for the second.
class KommunicatorBuilds : public KommunicatorDesktop,
                           public ::testing::WithParamInterface<desktop_test::GameBuild> {
protected:
    KommunicatorBuilds() : KommunicatorDesktop(GetParam()) {}
};

INSTANTIATE_TEST_SUITE_P(, KommunicatorBuilds, desktop_test::kBeideBuilds, desktop_test::buildName);

TEST_P(KommunicatorBuilds, LevelPackFromTheMainWindowRunsBothEntries) {
    const bool native = GetParam() == desktop_test::GameBuild::Native;
    std::vector<std::string> autotexte;
    for (int row = 0; row < 4; ++row) autotexte.insert(autotexte.end(), {"", " 0 ", " 0 ", ""});
    autotexte.insert(autotexte.end(), {kEndText.substr(4), " 0 "});
    writeLines(prog("Autotexte.ini"), autotexte);
    writeLines(prog(einstellungen::kSTPfad), {gameFolder, "0", "0"});
    einstellungen::Voreinstellungen presets;
    presets.Hilfezeigen = 1;  // "Kommunicator bei Serverstart Anzeigen"
    testing_support::writeBytes(prog(einstellungen::kServertool), einstellungen::zeilen(presets).bytes());
    const int port = native ? consolePort : 0;
    const std::string erste = remoteConfig("level1.CFG", port, native ? "geheim" : "", {"Mission=Level 1"});
    const std::string zweite = remoteConfig("level2.CFG", port, native ? "geheim" : "", {"Mission=Level 2"});
    einstellungen::AngelegteServer saved;
    saved.PackBeschriftung = einstellungen::kLevelPack;
    saved.Gruppe[0] = erste;
    saved.Gruppe[1] = zweite;
    testing_support::writeBytes(prog(einstellungen::kSTS), einstellungen::zeilen(saved).bytes());

    Vantor* v = loadMainWindow<Vantor>();
    ASSERT_NE(v, nullptr);
    QTest::mouseClick(widget<QPushButton>(*v, "Server6"), Qt::LeftButton);
    ASSERT_TRUE(v->ASfra.Visible());
    EXPECT_FALSE(widget<QPushButton>(*v, "AS2")->isEnabled());
    QTest::mouseClick(widget<QPushButton>(*v, "AS1"), Qt::LeftButton);

    EXPECT_EQ(testing_support::readBytes(prog("pack.cfg")), testing_support::crlf({zweite}));
    Kommunicator* k = program.find<Kommunicator>();
    ASSERT_NE(k, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.view(*k)->window()));
    auto* queue = widget<QListWidget>(*k, "Gruppenliste");
    ASSERT_NE(queue, nullptr);
    ASSERT_EQ(queue->count(), 1);
    EXPECT_EQ(queue->item(0)->text().toStdString(), zweite);
    EXPECT_EQ(run(1).args, expectedArgs(erste, "2092"));
    // The server's console is there to take commands (its window, which the
    // communicator, opened just before it, may still hide; or its remote
    // console once it listens).
    ASSERT_TRUE(waitUntil([&] { return console.AppActivate("Descent 3"); }));

    armAutomaticEnd(*k);
    runAutomaticEnd(*k);
    EXPECT_EQ(run(2).args, expectedArgs(zweite, "2092"));
    EXPECT_TRUE(serverUp(2));
    EXPECT_EQ(program.find<Kommunicator>(), k);
    EXPECT_TRUE(waitUntil([&] { return queue->count() == 0; }));

    ASSERT_TRUE(waitUntil([&] { return console.AppActivate("Descent 3"); }));
    runAutomaticEnd(*k, 2);
    EXPECT_TRUE(waitUntil([&] { return program.find<Kommunicator>() == nullptr; }));
}

// The game's native build: no window; the commands go through its remote
// console, which the configuration the server started with enables.
class KommunicatorRemote : public KommunicatorDesktop {
protected:
    KommunicatorRemote() : KommunicatorDesktop(desktop_test::GameBuild::Native) {}

    void startServer(const std::string& password = "geheim") {
        startNative(remoteConfig("server1.CFG", consolePort, password));
        ASSERT_TRUE(serverUp(1));
    }
    std::size_t logins(std::size_t server) {
        const auto r = run(server).rcon;
        return std::count(r.begin(), r.end(), "RCON-LOGIN ");
    }
};

TEST_F(KommunicatorRemote, ChatLineAndLevelRestartArriveThroughTheRemoteConsole) {
    startServer();
    Kommunicator& k = open();
    say(k, QStringLiteral("Grüße an alle, 1:0"));
    EXPECT_EQ(typedInto(1, 1), std::vector<std::string>{"Say Grüße an alle, 1:0"});
    EXPECT_TRUE(waitUntil([&] { return k.Sendentext.Text().empty(); }));

    QTest::mouseClick(widget<QPushButton>(k, "lvlneu"), Qt::LeftButton);
    EXPECT_EQ(typedInto(1, 2), (std::vector<std::string>{"Say Grüße an alle, 1:0", "endlevel"}));
    EXPECT_FALSE(processGone(run(1).pid));
    // One session, logged in once, for every command.
    EXPECT_EQ(logins(1), 1u);
    EXPECT_EQ(k.Hinweis.Caption(), "");

    // A line the server would drop is not sent, and the communicator says so.
    say(k, QString(251, 'x'));
    EXPECT_TRUE(waitUntil([&] { return !k.Hinweis.Caption().empty(); }));
    EXPECT_EQ(k.Hinweis.Caption(),
              "Nicht gesendet: Die Zeile ist zu lang für die Serverkonsole (ab 255 Zeichen).");
    EXPECT_EQ(k.Sendentext.Text(), std::string(251, 'x'));
    EXPECT_EQ(runs()[0].cmds.size(), 2u);
}

// "Server 1+2": the automatic end ends the most recently started server and
// then the one before it.
TEST_F(KommunicatorRemote, AutomaticEndOfServer1And2EndsBoth) {
    const desktop_test::LeasedPort lease2;
    const int port2 = lease2.port();
    startNative(remoteConfig("server2.CFG", port2, "zwei"), "server2");
    ASSERT_TRUE(serverUp(1));
    startNative(remoteConfig("server1.CFG", consolePort, "eins"));
    ASSERT_TRUE(serverUp(2));

    Kommunicator& k = open();
    click(k, "Server12");
    ASSERT_TRUE(k.Server12.Value());
    armAutomaticEnd(k);
    runAutomaticEnd(k, 2);
    EXPECT_EQ(typedInto(1, 1), std::vector<std::string>{"quit"});
    EXPECT_TRUE(serverGone(1));
    EXPECT_EQ(run(1).ends, std::vector<std::string>{"quit"});
}

// With no server at all the note says so; with a server whose console the
// tool cannot log in to, it says how to reach one.
TEST_F(KommunicatorRemote, WithoutServerOrPasswordTheCommunicatorSaysWhyNothingWasSent) {
    Kommunicator& k = open();
    QTest::mouseClick(widget<QPushButton>(k, "lvlneu"), Qt::LeftButton);
    EXPECT_EQ(k.Hinweis.Caption(), "Kein Server läuft.");

    startServer("");
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(widget<QPushButton>(k, "lvlneu"), Qt::LeftButton);
    EXPECT_LT(clock.elapsed(), 500);
    EXPECT_EQ(k.Hinweis.Caption(),
              "Keine Serverkonsole erreichbar. Mit \"Fernwaltung zulassen\" und einem Passwort "
              "erreicht das Tool auch einen Server ohne Konsolenfenster.");
    QTest::qWait(300);
    EXPECT_TRUE(run(1).cmds.empty());
    EXPECT_FALSE(processGone(run(1).pid));
}

// The tool's end logs out of the sessions of servers that go on running:
// they keep running and serve the next session.
TEST_F(KommunicatorRemote, ToolsEndLeavesTheServerRunning) {
    startServer();
    Kommunicator& k = open();
    say(k, "gg");
    ASSERT_EQ(typedInto(1, 1), std::vector<std::string>{"Say gg"});

    console.logoutAll();  // what the program's end runs
    EXPECT_TRUE(waitUntil([&] {
        const auto r = run(1).rcon;
        return std::find(r.begin(), r.end(), "RCON-LOGOUT ") != r.end();
    }));
    desktop::RemoteConsoleClient next("geheim");
    ASSERT_TRUE(next.connect(desktop_test::onLoopback(consolePort)));
    EXPECT_TRUE(next.waitReady(desktop::Clock::now() + std::chrono::seconds(5)));
    next.logout(desktop::Clock::now() + std::chrono::seconds(5));
    EXPECT_FALSE(processGone(run(1).pid));
    EXPECT_EQ(logins(1), 2u);
}

// A server started by an earlier run of the tool, which has ended: this
// run's communicator reaches it with a chat line and ends it with "Server
// beenden", though this run did not start it.
TEST_F(KommunicatorRemote, RestartedToolReachesTheRunningServerAndEndsIt) {
    {
        desktop::LinuxProcesses earlierProcesses(programDir.path());
        desktop::ServerConsoles earlier(keys);
        earlierProcesses.started = [&](pid_t pid, const std::vector<std::string>&) {
            earlier.serverStarted(pid);
        };
        const std::string config = remoteConfig("server1.CFG", consolePort, "geheim");
        ASSERT_TRUE(earlierProcesses.Start({game("Descent3"), "-dedicated", config, "-tempdir",
                                            game("custom/cache"), "-useport", "2092"},
                                           platform::vbNormalFocus, 1));
        ASSERT_TRUE(serverUp(1));
        ASSERT_TRUE(waitUntil([&] { return earlier.AppActivate("Descent 3"); }));
        ASSERT_TRUE(earlier.SendKeys("say vorher\r", true));
        ASSERT_EQ(typedInto(1, 1), std::vector<std::string>{"say vorher"});
        earlier.logoutAll();  // what that run's end did
    }
    Kommunicator& k = open();
    say(k, "gg");
    EXPECT_EQ(typedInto(1, 2), (std::vector<std::string>{"say vorher", "Say gg"}));
    EXPECT_EQ(k.Hinweis.Caption(), "");
    QTest::mouseClick(widget<QPushButton>(k, "lvlq"), Qt::LeftButton);
    EXPECT_EQ(typedInto(1, 3), (std::vector<std::string>{"say vorher", "Say gg", "quit"}));
    EXPECT_TRUE(serverGone(1));
    EXPECT_EQ(run(1).ends, std::vector<std::string>{"quit"});
    EXPECT_EQ(logins(1), 2u);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
