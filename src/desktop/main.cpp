// The desktop program: the windows on a Qt view, the platform services on Qt
// and X11, and the start with the splash.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "desktop/German.h"
#include "desktop/view/QtLoop.h"
#include "desktop/view/QtServices.h"
#include "desktop/view/QtView.h"
#include "launcher/erster.h"
#include "ui/Program.h"

// Xlib's macros (Bool, Status, ...) clash with Qt's headers: after them.
#include <X11/Xlib.h>

#include "desktop/LinuxProcesses.h"
#include "desktop/ServerConsoles.h"
#include "desktop/X11Console.h"

namespace {

// Checked before Qt starts, which would otherwise abort with its own
// message; the console service and the process starter need X11 as well.
bool x11DisplayAvailable() {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) return false;
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) return false;
    XCloseDisplay(dpy);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (!x11DisplayAvailable()) {
        std::fprintf(stderr,
                     "d3vantor: Das Programm braucht eine X11-Anzeige "
                     "(DISPLAY ist nicht gesetzt oder nicht erreichbar).\n");
        return 1;
    }
    // Window activation and typing work through X11: on a Wayland session
    // the windows must still be X11 windows.
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    desktop::germanQt(app);
    desktop::germanSystemMessages();
    // The program ends when its windows say so (End) or when none is left.
    app.setQuitOnLastWindowClosed(false);

    desktop::QtPrinter printer;
    desktop::QtDialogs dialogs(printer);
    // The servers' logs lie beside the settings files, in the program folder.
    desktop::LinuxProcesses processes(QCoreApplication::applicationDirPath().toStdString());
    desktop::X11Console keys;
    // A server's console: its window by keystrokes, or its remote console.
    desktop::ServerConsoles console(keys);
    processes.started = [&console](pid_t pid, const std::vector<std::string>&) {
        console.serverStarted(pid);
    };
    // A server ended on the tool's "quit" did not fail to start.
    console.quitSent = [&processes](pid_t pid) { processes.endRequested(pid); };
    desktop::QtSystem system;
    // Servers that go on running are logged out of, not dropped.
    system.atEnd = [&console] { console.logoutAll(); };
    platform::Platform platform{dialogs, printer, processes, console, system};

    desktop::QtLoop loop;
    ui::Program program(platform, loop, QCoreApplication::applicationDirPath().toStdString());
    desktop::QtView view(program);
    view.lastWindowGone = [] { QCoreApplication::quit(); };

    loop.dispatch([&] { program.load<erster>(); });
    return app.exec();
}
