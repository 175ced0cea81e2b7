// What the main window costs while both servers are shown running: the
// process's CPU time over some seconds of the real Qt loop and view on an X
// display (run it under tests/desktop/with_xvfb.sh), with the two 25 ms arrow
// timers and with them held still, for nearly empty folders and for 10,000
// files per folder. The arrows' cost is the difference.
//
//   with_xvfb.sh arrow_timers_cpu [seconds per run, default 10]
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "FakePlatform.h"
#include "TestFolders.h"
#include "desktop/view/QtLoop.h"
#include "desktop/view/QtView.h"
#include "launcher/Einstellungen.h"
#include "launcher/Vantor.h"
#include "ui/Program.h"

namespace {

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void fill(const std::string& folder, int files) {
    for (int i = 0; i < files; ++i)
        testing_support::writeBytes(folder + "/d3tmp" + std::to_string(i) + ".tmp", "x");
}

// Runs Qt's loop, as the program does, for a while.
void runFor(int ms) {
    QEventLoop idle;
    QTimer::singleShot(ms, &idle, &QEventLoop::quit);
    idle.exec();
}

// Percent of one core that the running main window took over `seconds`.
double measure(int files, bool arrows, int seconds) {
    testing_support::TempDir programDir, root;
    const std::string game = testing_support::makeGameFolder(root.path());
    const std::string temp2 = root / "D3Temp";
    testing_support::makeDirs(temp2);
    fill(game + "/custom/cache", std::max(files, 2));
    fill(temp2, std::max(files, 1));
    testing_support::writeBytes(programDir / "STPfad.ini", testing_support::crlf({game, "0", "0"}));
    einstellungen::Voreinstellungen v;
    v.Tempordners2 = temp2;
    testing_support::writeBytes(programDir / "Servertool.ini", einstellungen::zeilen(v).bytes());
    testing_support::writeBytes(programDir / "STS.ini", einstellungen::erstlaufSTS().bytes());
    testing_support::writeBytes(programDir / "Mod.ini",
                                einstellungen::zeilenMod(einstellungen::standardMods()).bytes());

    fakes::FakePlatform fake;
    // A server runs while a process holds its temporary folder.
    fake.foldersInUse = {game + "/custom/cache", temp2};
    desktop::QtLoop loop;
    ui::Program program(fake.services(), loop, programDir.path());
    desktop::QtView view(program);
    Vantor* main = nullptr;
    loop.dispatch([&] {
        main = &program.load<Vantor>();
        main->Show();
        // Held still: the poll keeps the timers enabled, but they never fall due.
        if (!arrows) main->Timer1.Interval = main->Timer3.Interval = 1 << 30;
    });
    // Settle: the first poll and the first paints.
    runFor(2000);
    if (main->Label15.Caption() != "Ein" || main->Label26.Caption() != "Ein")
        std::fprintf(stderr, "both servers should show running\n");

    const double before = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    runFor(seconds * 1000);
    const double used = cpuSeconds() - before;
    return 100.0 * used / (clock.elapsed() / 1000.0);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    // A third argument measures only the nearly empty folders (for a profiler).
    for (int files : argc > 2 ? std::vector<int>{0} : std::vector<int>{0, 10000}) {
        // The least of three runs each: other load on the machine only adds.
        double with = 100, without = 100;
        for (int run = 0; run < 3; ++run) {
            with = std::min(with, measure(files, true, seconds));
            without = std::min(without, measure(files, false, seconds));
        }
        std::printf("%6d files per folder: %.2f %% of a core with the arrows, %.2f %% without: "
                    "arrows %.2f %%\n",
                    files, with, without, with - without);
    }
    return 0;
}
