// One tick of the main window's status poll over two folders (server 1's
// cache and server 2's temporary folder) of 10,000 and of 100,000 files each,
// next to a bare read of the same two folders: on the fakes alone, and with
// the Qt view attached as in the running program (offscreen platform). The
// poll should cost little more than the read.
//
// With the desktop build the poll asks the real check whether a process
// holds each folder: two processes that pass for game servers (this program
// again, called "Descent3 -dedicated ... -tempdir FOLDER") hold a file in
// each, with no .lock, so the check has to look through every process as it
// does for the game's Windows build. A tick takes longer than the check
// keeps a scan (10 ms), so every measured tick scans the processes afresh,
// as each tick of the program does, a second after the last.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "FakePlatform.h"
#include "TestFolders.h"
#include "launcher/Einstellungen.h"
#include "launcher/Vantor.h"
#include "ui/ManualLoop.h"
#include "ui/Program.h"

#ifdef VANTOR_BENCH_VIEW
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>

#include "desktop/GameServers.h"
#include "desktop/view/QtView.h"
#include "other_account.h"
#endif

namespace {

namespace fs = std::filesystem;

void fülle(const std::string& ordner, int dateien) {
    for (int i = 0; i < dateien; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/d3tmp%06d.tmp", i);
        testing_support::writeBytes(ordner + name, "x");
    }
}

#ifdef VANTOR_BENCH_VIEW
// The fakes, but whether a folder is held is asked of the running system.
struct Plattform : fakes::FakePlatform {
    std::optional<bool> FolderInUse(const std::string& ordner) override {
        return desktop::folderInUse(ordner);
    }
};

// A process that passes for a game server holding a file of `ordner` open,
// until it is killed or this program ends.
pid_t halter(const std::string& ordner) {
    const pid_t eltern = getpid();
    const pid_t pid = fork();
    if (pid != 0) return pid;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != eltern) _exit(0);
    const char* argv[] = {"Descent3", "-dedicated", "bench.cfg", "-tempdir", ordner.c_str(), nullptr};
    execv("/proc/self/exe", const_cast<char**>(argv));
    _exit(127);
}

// `anzahl` sleeping processes of nobody's, until the returned one is killed;
// -1 when they could not be had.
pid_t schlafende(int anzahl) {
    int bereit[2];
    if (pipe2(bereit, O_CLOEXEC) != 0) return -1;
    const passwd nobody = other_account::nobody();
    const pid_t hüter = fork();
    if (hüter == 0) {
        if (!other_account::become(nobody)) _exit(126);
        for (int i = 0; i < anzahl; ++i)
            if (fork() == 0) {
                prctl(PR_SET_PDEATHSIG, SIGKILL);
                execl("/bin/sleep", "sleep", "infinity", static_cast<char*>(nullptr));
                _exit(127);
            }
        (void)!write(bereit[1], "x", 1);
        for (;;) pause();
    }
    close(bereit[1]);
    char byte = 0;
    const bool gestartet = hüter > 0 && read(bereit[0], &byte, 1) == 1;
    close(bereit[0]);
    if (!gestartet && hüter > 0) {
        kill(hüter, SIGKILL);
        waitpid(hüter, nullptr, 0);
    }
    return gestartet ? hüter : -1;
}

// The holder's life: the file stays open until the end.
[[noreturn]] void halte(const char* ordner) {
    const std::string datei = std::string(ordner) + "/d3tmp000000.tmp";
    if (open(datei.c_str(), O_RDONLY | O_CLOEXEC) < 0) _exit(1);
    for (;;) pause();
}
#else
using Plattform = fakes::FakePlatform;
#endif

// A program folder whose settings name a game folder and a folder for
// server 2, both full of files and both held by a running server, and the
// main window loaded on them.
struct Aufbau {
    testing_support::TempDir programm, wurzel;
    std::string spielordner, tempordner2;
    Plattform fake;
    ui::ManualLoop loop;
    std::unique_ptr<ui::Program> program;
    Vantor* vantor = nullptr;
#ifdef VANTOR_BENCH_VIEW
    std::unique_ptr<desktop::QtView> view;
#endif

    explicit Aufbau(int dateien) {
        spielordner = testing_support::makeGameFolder(wurzel.path());
        tempordner2 = wurzel / "D3Temp";
        testing_support::makeDirs(tempordner2);
        fülle(spielordner + "/custom/cache", dateien);
        fülle(tempordner2, dateien);

        testing_support::writeBytes(programm / "STPfad.ini",
                                    testing_support::crlf({spielordner, "0", "0"}));
        einstellungen::Voreinstellungen v;
        v.Tempordners2 = tempordner2;
        testing_support::writeBytes(programm / "Servertool.ini", einstellungen::zeilen(v).bytes());
        testing_support::writeBytes(programm / "STS.ini", einstellungen::erstlaufSTS().bytes());
        testing_support::writeBytes(
            programm / "Mod.ini", einstellungen::zeilenMod(einstellungen::standardMods()).bytes());

        program = std::make_unique<ui::Program>(fake.services(), loop, programm.path());
        vantor = &program->load<Vantor>();
        halten(spielordner + "/custom/cache");
        halten(tempordner2);
    }

#ifdef VANTOR_BENCH_VIEW
    std::vector<pid_t> halter_;
    void halten(const std::string& ordner) {
        halter_.push_back(halter(ordner));
        const auto bis = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (desktop::folderInUse(ordner) != true && std::chrono::steady_clock::now() < bis)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ~Aufbau() {
        for (const pid_t pid : halter_) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
#else
    void halten(const std::string& ordner) { fake.foldersInUse.insert(ordner); }
#endif

#ifdef VANTOR_BENCH_VIEW
    // The running program's view of the main window, shown.
    void mitAnsicht() {
        view = std::make_unique<desktop::QtView>(*program);
        vantor->Show();
        QCoreApplication::processEvents();
    }
#endif
};

Aufbau& aufbau(int dateien) {
    static std::map<int, std::unique_ptr<Aufbau>> aufbauten;
    if (!aufbauten.count(dateien)) {
        aufbauten.clear();  // one set of folders on disk at a time
        aufbauten[dateien] = std::make_unique<Aufbau>(dateien);
    }
    return *aufbauten[dateien];
}

void tickeMessen(benchmark::State& state, Aufbau& a) {
    Vantor& v = *a.vantor;
    for (auto _ : state) {
        v.Timer2_Timer();
#ifdef VANTOR_BENCH_VIEW
        if (a.view) QCoreApplication::processEvents();
#endif
        benchmark::DoNotOptimize(v.Cachtest.ListCount());
    }
    if (v.Label15.Caption() != "Ein" || v.Label26.Caption() != "Ein")
        state.SkipWithError("the poll did not see both servers running");
    state.counters["files"] = v.Cachtest.ListCount() + v.Cachtest2.ListCount();
}

void BM_BareDirectoryRead(benchmark::State& state) {
    Aufbau& a = aufbau(static_cast<int>(state.range(0)));
    const std::string ordner[] = {a.spielordner + "/custom/cache", a.tempordner2};
    long gezählt = 0;
    for (auto _ : state) {
        gezählt = 0;
        for (const std::string& o : ordner)
            for (auto it = fs::directory_iterator(o); it != fs::directory_iterator(); ++it)
                ++gezählt;
        benchmark::DoNotOptimize(gezählt);
    }
    state.counters["files"] = static_cast<double>(gezählt);
}

void BM_StatusPollTick(benchmark::State& state) {
    tickeMessen(state, aufbau(static_cast<int>(state.range(0))));
}

#ifdef VANTOR_BENCH_VIEW
void BM_StatusPollTickWithView(benchmark::State& state) {
    Aufbau& a = aufbau(static_cast<int>(state.range(0)));
    if (!a.view) a.mitAnsicht();
    tickeMessen(state, a);
}
#endif

#ifdef VANTOR_BENCH_VIEW
// The poll's question alone: whether each of the two folders is held; with
// a second argument, beside that many sleeping processes of another account
// (as root only: they run as nobody); with a third, a process is made
// before each check, so that the check lists /proc anew.
void BM_HeldFolderCheck(benchmark::State& state) {
    Aufbau& a = aufbau(static_cast<int>(state.range(0)));
    const int fremde = static_cast<int>(state.range(1));
    const bool neueProzesse = state.range(2) != 0;
    pid_t schläfer = -1;
    if (fremde > 0) {
        if (!other_account::available()) {
            state.SkipWithError("needs root to run processes as nobody");
            return;
        }
        schläfer = schlafende(fremde);
        if (schläfer < 0) {
            state.SkipWithError("the processes of nobody could not be started");
            return;
        }
    }
    bool beide = true;
    for (auto _ : state) {
        // Past the life of the last scan: each check scans afresh.
        state.PauseTiming();
        std::this_thread::sleep_for(std::chrono::milliseconds(11));
        // A process made since the last check: /proc is listed anew.
        if (neueProzesse) {
            // Spawned, not forked: a fork would leave this process's pages
            // to be copied on the next writes, inside the measurement.
            pid_t kind = 0;
            char* argv[] = {const_cast<char*>("true"), nullptr};
            if (posix_spawn(&kind, "/bin/true", nullptr, nullptr, argv, environ) == 0)
                waitpid(kind, nullptr, 0);
        }
        state.ResumeTiming();
        beide = a.vantor->ServerLäuft(1) == true && a.vantor->ServerLäuft(2) == true;
    }
    if (schläfer > 0) {
        kill(schläfer, SIGKILL);
        waitpid(schläfer, nullptr, 0);
    }
    if (!beide) state.SkipWithError("a folder was not seen held");
    state.counters["other_processes"] = fremde;
}
BENCHMARK(BM_HeldFolderCheck)
    ->Args({10000, 0, 0})
    ->Args({10000, 2000, 0})
    ->Args({10000, 2000, 1})
    ->Unit(benchmark::kMicrosecond);
#endif

// Each size's folders are made once and measured by all three in turn.
BENCHMARK(BM_BareDirectoryRead)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StatusPollTick)->Arg(10000)->Unit(benchmark::kMicrosecond);
#ifdef VANTOR_BENCH_VIEW
BENCHMARK(BM_StatusPollTickWithView)->Arg(10000)->Unit(benchmark::kMicrosecond);
#endif
BENCHMARK(BM_BareDirectoryRead)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatusPollTick)->Arg(100000)->Unit(benchmark::kMillisecond);
#ifdef VANTOR_BENCH_VIEW
BENCHMARK(BM_StatusPollTickWithView)->Arg(100000)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

int main(int argc, char** argv) {
#ifdef VANTOR_BENCH_VIEW
    other_account::runRoleIfAsked();
    // Called as a game server: hold the folder after "-tempdir".
    if (argc == 5 && std::string(argv[1]) == "-dedicated") halte(argv[4]);
    // No display needed: the view draws into memory.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
