#include "common/Encoding.h"
#include "common/Items.h"
#include "common/SettingsWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

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
    // A folder of the target's name cannot be replaced by a file: the write
    // succeeds and only the final rename fails.
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
