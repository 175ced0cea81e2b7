#include "common/Encoding.h"

#include <gtest/gtest.h>

namespace {

TEST(Encoding, EveryByteRoundTrips) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::string utf8 = common::ansiToUtf8(all);
    EXPECT_EQ(common::utf8ToAnsi(utf8), all);
    // Every byte became exactly one character, none of them '?'.
    EXPECT_EQ(std::count(utf8.begin(), utf8.end(), '?'), 1);
}

struct Mapping {
    std::string ansi;
    std::string utf8;
};

class CodePage : public testing::TestWithParam<Mapping> {};

TEST_P(CodePage, MapsBothWays) {
    EXPECT_EQ(common::ansiToUtf8(GetParam().ansi), GetParam().utf8);
    EXPECT_EQ(common::utf8ToAnsi(GetParam().utf8), GetParam().ansi);
}

INSTANTIATE_TEST_SUITE_P(Characters, CodePage,
                         testing::Values(Mapping{"\xe4\xf6\xfc\xc4\xd6\xdc\xdf", "äöüÄÖÜß"},
                                         Mapping{"\x80", "€"}, Mapping{"\xa7", "§"},
                                         Mapping{"\xb4", "´"}, Mapping{"\x84\x93", "„“"},
                                         Mapping{"\x81\x8d\x8f\x90\x9d",
                                                 "\u0081\u008d\u008f\u0090\u009d"},
                                         Mapping{"Hallo", "Hallo"}));

TEST(Encoding, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(common::utf8ToAnsi("a\u0080b"), "a?b");   // C1 control the code page uses for €
    EXPECT_EQ(common::utf8ToAnsi("Ω→😀"), "???");
}

TEST(Encoding, InvalidUtf8BytesBecomeQuestionMarks) {
    EXPECT_EQ(common::utf8ToAnsi("a\xff" "b"), "a?b");
    EXPECT_EQ(common::utf8ToAnsi("\xc3"), "?");              // cut-off sequence
    EXPECT_EQ(common::utf8ToAnsi("\xc0\xa4"), "??");         // overlong form
    EXPECT_EQ(common::utf8ToAnsi("\xed\xa0\x80x"), "???x");  // surrogate
}

}  // namespace
