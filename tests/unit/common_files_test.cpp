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

// A pipe or a device is not replaced, nor is the game's program: under its
// names (the windows' tests) or as any executable ELF file. A look-alike
// name is, and so is a file that merely begins like a program: a text
// starting with 0x7F, or an ELF file nobody may run.
TEST_F(CommonFiles, PipesDevicesAndProgramsAreNotReplaced) {
    ASSERT_EQ(::mkfifo(path("rohr").c_str(), 0644), 0);
    put("kopie", std::string("\x7f" "ELF\2\1\1\0", 8));
    std::filesystem::permissions(path("kopie"), std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    put("mainframe.CFG", "MZ");
    put("text.ini", std::string("\x7f" "ELF, Zwerge\r\n"));
    put("bibliothek", std::string("\x7f" "ELF\2\1\1\0", 8));
    const std::pair<std::string, std::string> faelle[] = {{path("rohr"), common::kKeineDatei},
                                                          {"/dev/zero", common::kKeineDatei},
                                                          {path("kopie"), common::kSpielprogrammGrund}};
    for (const auto& [p, grund] : faelle) {
        std::string reason;
        EXPECT_FALSE(common::writeFileAtomic(p, "x", &reason)) << p;
        EXPECT_EQ(reason, grund);
    }
    for (const char* ersetzt : {"mainframe.CFG", "text.ini", "bibliothek"})
        EXPECT_TRUE(common::writeFileAtomic(path(ersetzt), "x", nullptr)) << ersetzt;
    EXPECT_TRUE(std::filesystem::is_fifo(path("rohr")));
    EXPECT_EQ(contents(path("kopie")).substr(1), std::string("ELF\2\1\1\0", 7));
    EXPECT_EQ(entries(), 5u);
}

// Processes killed at random moments while they write, then one normal
// write: it removes what the killed ones left, but not the file of a write
// still running in a living process. VANTOR_KILL_TRIALS sets the number of
// trials (20 by default); the figures go to standard output.
TEST_F(CommonFiles, KilledWritesLeaveNothingAfterTheNextWrite) {
    const char* env = std::getenv("VANTOR_KILL_TRIALS");
    const int trials = env ? std::atoi(env) : 20;
    const std::string target = path("Servertool.ini");
    const std::string bytes(256 * 1024, 'x');
    std::mt19937 random(4711);
    std::uniform_int_distribution<int> microseconds(0, 3000);
    pid_t child = 0;
    for (int i = 0; i < trials; ++i) {
        child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            for (;;) common::writeFileAtomic(target, bytes, nullptr);
        std::this_thread::sleep_for(std::chrono::microseconds(microseconds(random)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
    const std::size_t left = entries() - (std::filesystem::exists(target) ? 1 : 0);
    // However the kills fell, one write of a dead process is surely left.
    put("Servertool.ini.tmp" + std::to_string(child) + "-999", "halb");
    const std::string running = "Servertool.ini.tmp" + std::to_string(::getppid()) + "-3";
    put(running, "läuft noch");
    ASSERT_TRUE(common::writeFileAtomic(target, "neu\r\n", nullptr));
    std::cout << trials << " kill -9 trials: " << left << " temporary files left, "
              << entries() - 2 << " after the next write\n";
    EXPECT_EQ(entries(), 2u);
    EXPECT_EQ(contents(path(running)), "läuft noch");
    EXPECT_EQ(contents(target), "neu\r\n");
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
