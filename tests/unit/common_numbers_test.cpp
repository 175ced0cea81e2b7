#include "common/Numbers.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace {

struct ValCase {
    const char* text;
    double value;
};

class Val : public testing::TestWithParam<ValCase> {};

TEST_P(Val, TakesTheLeadingNumber) { EXPECT_EQ(common::Val(GetParam().text), GetParam().value); }

INSTANTIATE_TEST_SUITE_P(
    Texts, Val,
    testing::Values(ValCase{"10abc", 10}, ValCase{"2.5", 2.5}, ValCase{"abc", 0}, ValCase{"", 0},
                    ValCase{" -3", -3}, ValCase{".5", 0.5}, ValCase{" 1 ", 1}, ValCase{"-1 ", -1},
                    ValCase{"+7", 7}, ValCase{"4.5x", 4.5}, ValCase{"5.", 5}, ValCase{"-", 0},
                    ValCase{".", 0}, ValCase{"1,5", 1}, ValCase{"- 5", 0}, ValCase{"007", 7},
                    ValCase{"2092", 2092}, ValCase{"1e3", 1}));

TEST(Val, HugeNumbersDoNotBreak) {
    EXPECT_TRUE(std::isinf(common::Val(std::string(400, '9'))));
    EXPECT_EQ(common::Val("0." + std::string(400, '0') + "1"), 0.0);
}

TEST(CLng, RoundsHalvesToEven) {
    EXPECT_EQ(common::CLng(2.5), 2);
    EXPECT_EQ(common::CLng(3.5), 4);
    EXPECT_EQ(common::CLng(0.5), 0);
    EXPECT_EQ(common::CLng(-0.5), 0);
    EXPECT_EQ(common::CLng(-1.5), -2);
    EXPECT_EQ(common::CLng(-2.5), -2);
    EXPECT_EQ(common::CLng(1.4999), 1);
    EXPECT_EQ(common::CLng(1.5001), 2);
    EXPECT_EQ(common::CLng(-7), -7);
}

TEST(CLng, ClampsOutOfRange) {
    EXPECT_EQ(common::CLng(1e30), LONG_MAX);
    EXPECT_EQ(common::CLng(-1e30), LONG_MIN);
    EXPECT_EQ(common::CLng(INFINITY), LONG_MAX);
    EXPECT_EQ(common::CLng(NAN), 0);
}

TEST(Str, WritesASignPlace) {
    EXPECT_EQ(common::Str(4), " 4");
    EXPECT_EQ(common::Str(4.5), " 4.5");
    EXPECT_EQ(common::Str(-1), "-1");
    EXPECT_EQ(common::Str(0), " 0");
    EXPECT_EQ(common::Str(10), " 10");
    EXPECT_EQ(common::Str(0.5), " .5");
    EXPECT_EQ(common::Str(-0.5), "-.5");
    EXPECT_EQ(common::Str(0.1 + 0.2), " .3");
    EXPECT_EQ(common::Str(1e15), " 1E+15");
}

TEST(CStrNum, HasNoSignPlace) {
    EXPECT_EQ(common::CStrNum(4), "4");
    EXPECT_EQ(common::CStrNum(4.5), "4.5");
    EXPECT_EQ(common::CStrNum(-2), "-2");
    EXPECT_EQ(common::CStrNum(0.5), "0.5");
    EXPECT_EQ(common::CStrNum(-0.0), "0");
}

}  // namespace
