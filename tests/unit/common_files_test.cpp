#include "common/Encoding.h"
#include "common/Items.h"
#include "common/SettingsWriter.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <set>
#include <thread>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Items = std::vector<std::string>;

TEST(IntegerItem, HasSignPlaceAndTrailingBlank) {
    EXPECT_EQ(common::integerItem(0), " 0 ");
    EXPECT_EQ(common::integerItem(2), " 2 ");
    EXPECT_EQ(common::integerItem(2092), " 2092 ");
    EXPECT_EQ(common::integerItem(-1), "-1 ");
}

TEST(LineWriter, WritesCodePageLinesWithCrLf) {
    common::LineWriter w;
    w.text("Hallo");
    w.text("");
    w.integer(1);
    w.integer(-1);
    w.text("Grüße €");
    w.raw(" Name=\"a,b\"");
    EXPECT_EQ(w.lineCount(), 6u);
    EXPECT_EQ(w.bytes(), "Hallo\r\n\r\n 1 \r\n-1 \r\nGr\xfc\xdf" "e \x80\r\n Name=\"a,b\"\r\n");
}

TEST(LineWriter, QuotesOnlyWhatWouldNotReadBack) {
    EXPECT_EQ(common::textItem("Hallo Leute"), "Hallo Leute");
    EXPECT_EQ(common::textItem("He said \"hi\""), "He said \"hi\"");
    EXPECT_EQ(common::textItem("Hallo, Leute"), "\"Hallo, Leute\"");
    EXPECT_EQ(common::textItem(" lead"), "\" lead\"");
    EXPECT_EQ(common::textItem("\"q\""), "\"\"\"q\"\"\"");
}

class WriterRoundTrip : public testing::TestWithParam<std::string> {};

TEST_P(WriterRoundTrip, TextReadsBackWhole) {
    common::LineWriter w;
    w.text("vorher");
    w.text(GetParam());
    w.text("nachher");
    w.integer(7);
    common::ItemReader reader(common::ansiToUtf8(w.bytes()));
    std::string item;
    ASSERT_TRUE(reader.next(item));
    EXPECT_EQ(item, "vorher");
    ASSERT_TRUE(reader.next(item));
    EXPECT_EQ(item, GetParam());
    ASSERT_TRUE(reader.next(item));
    EXPECT_EQ(item, "nachher");
    ASSERT_TRUE(reader.next(item));
    EXPECT_EQ(item, "7 ");
    EXPECT_TRUE(reader.atEnd());
}

INSTANTIATE_TEST_SUITE_P(TrickyTexts, WriterRoundTrip,
                         testing::Values("Hallo, Leute", " lead", "\"q\"", "\"", "a\"\"b, c",
                                         "Größe ÄÖÜ ß €", "", "  ", ",", "zwei\r\nZeilen",
                                         "Level                    Pack"));

class CommonFiles : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vantor-common-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    void put(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
    }
    std::string contents(const std::string& p) const { return *common::readFileBytes(p); }
    std::size_t entries() const {
        return std::distance(std::filesystem::directory_iterator(dir_),
                             std::filesystem::directory_iterator());
    }

    std::filesystem::path dir_;
};

TEST_F(CommonFiles, AtomicWriteReplacesTheTargetExactly) {
    put("Letztes.ini", "alter Inhalt, viel l\xe4nger\r\n");
    std::string bytes("0\r\n1\r\n\0\xff\r\n", 10);
    std::string reason;
    ASSERT_TRUE(common::writeFileAtomic(path("Letztes.ini"), bytes, &reason)) << reason;
    EXPECT_EQ(contents(path("Letztes.ini")), bytes);
    EXPECT_EQ(entries(), 1u);  // no temporary file left behind
}

TEST_F(CommonFiles, AtomicWriteLineWriterCreatesTheFile) {
    common::LineWriter w;
    w.text("A");
    w.integer(0);
    ASSERT_TRUE(w.writeTo(path("Servertool.ini"), nullptr));
    EXPECT_EQ(contents(path("Servertool.ini")), "A\r\n 0 \r\n");
}

TEST_F(CommonFiles, AtomicWriteMissingFolderFailsWithReason) {
    std::string reason;
    EXPECT_FALSE(common::writeFileAtomic(path("fehlt/STS.ini"), "x\r\n", &reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(entries(), 0u);
}

TEST_F(CommonFiles, AtomicWriteParentIsAFileFailsWithReason) {
    put("datei", "inhalt");
    std::string reason;
    EXPECT_FALSE(common::writeFileAtomic(path("datei/STS.ini"), "x\r\n", &reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(contents(path("datei")), "inhalt");
}

TEST_F(CommonFiles, AtomicWriteFailedRenameLeavesTargetAndRemovesTemporary) {
    // A folder of the target's name cannot be replaced by a file.
    std::filesystem::create_directory(path("Mod.ini"));
    put("Mod.ini/drin", "bleibt");
    std::string reason;
    EXPECT_FALSE(common::writeFileAtomic(path("Mod.ini"), "Anarchy\r\n", &reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_TRUE(std::filesystem::is_directory(path("Mod.ini")));
    EXPECT_EQ(contents(path("Mod.ini/drin")), "bleibt");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(CommonFiles, AtomicWriteKeepsAWriteProtectedFileAndNamesTheReason) {
    namespace fs = std::filesystem;
    put("geheim.CFG", "PXOPassword=alt\r\n");
    fs::permissions(path("geheim.CFG"), fs::perms::owner_read);
    std::string reason;
    EXPECT_FALSE(common::writeFileAtomic(path("geheim.CFG"), "neu\r\n", &reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(contents(path("geheim.CFG")), "PXOPassword=alt\r\n");
    EXPECT_EQ(fs::status(path("geheim.CFG")).permissions(), fs::perms::owner_read);
    EXPECT_EQ(entries(), 1u);
}

TEST_F(CommonFiles, AtomicWriteKeepsTheFilesPermissions) {
    namespace fs = std::filesystem;
    put("Servertool.ini", "alt\r\n");
    fs::permissions(path("Servertool.ini"), fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(common::writeFileAtomic(path("Servertool.ini"), "neu\r\n", nullptr));
    EXPECT_EQ(contents(path("Servertool.ini")), "neu\r\n");
    EXPECT_EQ(fs::status(path("Servertool.ini")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(CommonFiles, AtomicWriteReplacesTheFileALinkNamesNotTheLink) {
    namespace fs = std::filesystem;
    fs::create_directory(path("echt"));
    put("echt/fenster.CFG", "alt\r\n");
    fs::create_symlink(path("echt/fenster.CFG"), path("fenster.CFG"));
    ASSERT_TRUE(common::writeFileAtomic(path("fenster.CFG"), "neu\r\n", nullptr));
    EXPECT_TRUE(fs::is_symlink(path("fenster.CFG")));
    EXPECT_EQ(contents(path("echt/fenster.CFG")), "neu\r\n");
}

// Neither a pipe nor a device is read or replaced: a read would block or
// never end, a replace would put a file where something else stood.
TEST_F(CommonFiles, PipesAndDevicesAreNeitherReadNorReplaced) {
    ASSERT_EQ(::mkfifo(path("rohr").c_str(), 0644), 0);
    for (const std::string& p : {path("rohr"), std::string("/dev/zero")}) {
        std::string reason;
        EXPECT_FALSE(common::readFileBytes(p, &reason)) << p;
        EXPECT_EQ(reason, common::kKeineDatei);
        EXPECT_FALSE(common::ItemReader::open(p)) << p;
        reason.clear();
        EXPECT_FALSE(common::writeFileAtomic(p, "x\r\n", &reason)) << p;
        EXPECT_EQ(reason, common::kKeineDatei);
    }
    EXPECT_TRUE(std::filesystem::is_fifo(path("rohr")));
    EXPECT_EQ(entries(), 1u);
}

class GameProgram : public CommonFiles, public testing::WithParamInterface<const char*> {};

// Whatever name a save dialog brings back, the game's program stays.
TEST_P(GameProgram, IsNeverReplaced) {
    const std::string name = GetParam();
    const std::string programm = name == "kopie" ? std::string("\x7f" "ELF\2\1\1", 7) : "MZ\x90";
    put(name, programm);
    EXPECT_TRUE(common::istSpielprogramm(path(name)));
    std::string reason;
    EXPECT_FALSE(common::writeFileAtomic(path(name), "[server config file]\r\n", &reason));
    EXPECT_EQ(reason, common::kSpielprogrammGrund);
    EXPECT_EQ(contents(path(name)), programm);
    EXPECT_EQ(entries(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Names, GameProgram,
                         testing::Values("Descent3", "main.exe", "MAIN.EXE", "Main.exe", "main",
                                         "kopie"));

TEST_F(CommonFiles, OtherFilesAndNewNamesAreNoGameProgram) {
    put("mainframe.CFG", "MZ");
    put("Descent3.CFG", "[server config file]\r\n");
    EXPECT_FALSE(common::istSpielprogramm(path("mainframe.CFG")));
    EXPECT_FALSE(common::istSpielprogramm(path("Descent3.CFG")));
    EXPECT_FALSE(common::istSpielprogramm(path("main")));  // not there: nothing to replace
    EXPECT_TRUE(common::writeFileAtomic(path("main"), "neu\r\n", nullptr));
    EXPECT_EQ(contents(path("main")), "neu\r\n");
}

// What a killed write left is removed by the next write of the same file;
// a write still running in a living process keeps its file, and so does
// anything that only looks alike.
TEST_F(CommonFiles, AWriteRemovesWhatKilledWritesOfTheSameFileLeft) {
    const pid_t tot = ::fork();
    if (tot == 0) ::_exit(0);
    ASSERT_GT(tot, 0);
    ::waitpid(tot, nullptr, 0);
    const std::string ich = std::to_string(::getpid());
    const std::string lebt = std::to_string(::getppid());
    put("Letztes.ini.tmp" + std::to_string(tot) + "-0", "halb");
    put("Letztes.ini.tmp" + ich + "-7", "halb");
    put("Letztes.ini.tmp" + lebt + "-3", "läuft noch");
    put("Letztes.ini.tmp" + std::to_string(tot) + "-x", "fremd");
    put("STS.ini.tmp" + std::to_string(tot) + "-0", "andere Datei");
    ASSERT_TRUE(common::writeFileAtomic(path("Letztes.ini"), "0\r\n", nullptr));
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir_))
        names.insert(e.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"Letztes.ini", "Letztes.ini.tmp" + lebt + "-3",
                                            "Letztes.ini.tmp" + std::to_string(tot) + "-x",
                                            "STS.ini.tmp" + std::to_string(tot) + "-0"}));
}

// Processes killed at random moments while they write; then one normal
// write. VANTOR_KILL_TRIALS sets the number of trials (20 by default) and
// the figures go to standard output.
TEST_F(CommonFiles, KilledWritesLeaveNothingAfterTheNextWrite) {
    const char* env = std::getenv("VANTOR_KILL_TRIALS");
    const int trials = env ? std::atoi(env) : 20;
    const std::string target = path("Servertool.ini");
    const std::string bytes(256 * 1024, 'x');
    std::mt19937 random(4711);
    std::uniform_int_distribution<int> microseconds(0, 3000);
    for (int i = 0; i < trials; ++i) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (;;) common::writeFileAtomic(target, bytes, nullptr);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(microseconds(random)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
    const std::size_t leftoversBefore = entries() - (std::filesystem::exists(target) ? 1 : 0);
    ASSERT_TRUE(common::writeFileAtomic(target, "neu\r\n", nullptr));
    const std::size_t leftoversAfter = entries() - 1;
    std::cout << trials << " kill -9 trials: " << leftoversBefore
              << " temporary files left, " << leftoversAfter << " after the next write\n";
    EXPECT_EQ(leftoversAfter, 0u);
    EXPECT_EQ(contents(target), "neu\r\n");
}

TEST_F(CommonFiles, EmptyingDeletesAndCreatesAnew) {
    namespace fs = std::filesystem;
    put("pack.cfg", "a.cfg\r\nb.cfg\r\n");
    EXPECT_TRUE(common::leereDatei(path("pack.cfg"), nullptr));
    EXPECT_EQ(contents(path("pack.cfg")), "");
    // Not there: stays absent.
    EXPECT_TRUE(common::leereDatei(path("fehlt.cfg"), nullptr));
    EXPECT_FALSE(fs::exists(path("fehlt.cfg")));
    // Write-protected: stays as it is, with the reason.
    put("geschuetzt.cfg", "a.cfg\r\n");
    fs::permissions(path("geschuetzt.cfg"), fs::perms::owner_read);
    std::string reason;
    EXPECT_FALSE(common::leereDatei(path("geschuetzt.cfg"), &reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(contents(path("geschuetzt.cfg")), "a.cfg\r\n");
}

TEST_F(CommonFiles, ItemReaderDecodesTheCodePage) {
    put("STPfad.ini", "C:\\Spiele\\D\xfc\x80\r\n0\r\n0\r\n");
    auto reader = common::ItemReader::open(path("STPfad.ini"));
    ASSERT_TRUE(reader);
    std::string item;
    ASSERT_TRUE(reader->next(item));
    EXPECT_EQ(item, "C:\\Spiele\\Dü€");
}

TEST_F(CommonFiles, OpeningAMissingFileOrAFolderFailsWithAReason) {
    std::string reason;
    EXPECT_FALSE(common::ItemReader::open(path("fehlt.ini"), &reason));
    EXPECT_FALSE(reason.empty());
    reason.clear();
    EXPECT_FALSE(common::readLines(dir_.string(), &reason));
    EXPECT_FALSE(reason.empty());
}

TEST_F(CommonFiles, ReadLinesTakesBothLineEnds) {
    put("Liesmich.txt", "eins\r\nzwei, drei\n\n  vier \xe4");
    EXPECT_EQ(common::readLines(path("Liesmich.txt")),
              (Items{"eins", "zwei, drei", "", "  vier ä"}));
    put("kurz.txt", "eins\r\n");
    EXPECT_EQ(common::readLines(path("kurz.txt")), (Items{"eins"}));
    put("leer.txt", "");
    EXPECT_EQ(common::readLines(path("leer.txt")), (Items{}));
}

}  // namespace
