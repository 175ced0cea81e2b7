// One tick of the main window's status poll over two folders of 10,000 files
// each (server 1's cache and server 2's temporary folder), next to a bare read
// of the same two folders. The poll should cost little more than the read.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "FakePlatform.h"
#include "TestFolders.h"
#include "launcher/Einstellungen.h"
#include "launcher/Vantor.h"
#include "ui/ManualLoop.h"
#include "ui/Program.h"

namespace {

namespace fs = std::filesystem;
constexpr int kDateien = 10000;

void fülle(const std::string& ordner) {
    for (int i = 0; i < kDateien; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/d3tmp%05d.tmp", i);
        testing_support::writeBytes(ordner + name, "x");
    }
}

// A program folder whose settings name a game folder and a folder for
// server 2, both full of files, and the main window loaded on them.
struct Aufbau {
    testing_support::TempDir programm, wurzel;
    std::string spielordner, tempordner2;
    fakes::FakePlatform fake;
    ui::ManualLoop loop;
    std::unique_ptr<ui::Program> program;
    Vantor* vantor = nullptr;

    Aufbau() {
        spielordner = testing_support::makeGameFolder(wurzel.path());
        tempordner2 = wurzel / "D3Temp";
        testing_support::makeDirs(tempordner2);
        fülle(spielordner + "/custom/cache");
        fülle(tempordner2);

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
    }
};

Aufbau& aufbau() {
    static Aufbau a;
    return a;
}

void BM_StatusPollTick(benchmark::State& state) {
    Vantor& v = *aufbau().vantor;
    for (auto _ : state) {
        v.Timer2_Timer();
        benchmark::DoNotOptimize(v.Cachtest.ListCount());
    }
    if (v.Label15.Caption() != "Ein" || v.Label26.Caption() != "Ein")
        state.SkipWithError("the poll did not see both servers running");
    state.counters["files"] = v.Cachtest.ListCount() + v.Cachtest2.ListCount();
}

void BM_BareDirectoryRead(benchmark::State& state) {
    const std::string ordner[] = {aufbau().spielordner + "/custom/cache", aufbau().tempordner2};
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

BENCHMARK(BM_BareDirectoryRead)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StatusPollTick)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
