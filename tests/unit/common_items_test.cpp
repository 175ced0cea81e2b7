#include "common/Items.h"

#include <gtest/gtest.h>


namespace {

using Items = std::vector<std::string>;

struct ItemCase {
    const char* name;
    std::string text;
    Items items;
};

class ParseItems : public testing::TestWithParam<ItemCase> {};

TEST_P(ParseItems, GivesTheItemsInOrder) {
    EXPECT_EQ(common::parseItems(GetParam().text), GetParam().items);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseItems,
    testing::Values(
        ItemCase{"CommaSeparated", "a,b", {"a", "b"}},
        ItemCase{"LineEndAfterLastItemAddsNothing", "a,b\r\n", {"a", "b"}},
        ItemCase{"LeadingBlanksDropped", "  x", {"x"}},
        ItemCase{"TrailingBlanksKept", " 1 \r\n-1 \r\n", {"1 ", "-1 "}},
        ItemCase{"QuotedKeepsComma", "\"q, r\"", {"q, r"}},
        ItemCase{"EmptyLineAtEndIsAnItem", "A\r\nB\r\n\r\n", {"A", "B", ""}},
        ItemCase{"FinalTerminator", "A\r\nB\r\n", {"A", "B"}},
        ItemCase{"LastLineWithoutTerminator", "A\r\nB", {"A", "B"}},
        ItemCase{"LineFeedOnly", "A\nB\n\nC", {"A", "B", "", "C"}},
        ItemCase{"EmptyFile", "", {}},
        ItemCase{"OnlyALineEnd", "\r\n", {""}},
        ItemCase{"BlankLineIsEmptyItem", "a\r\n   \r\nb", {"a", "", "b"}},
        ItemCase{"CommaAtLineEndGivesEmptyItem", "a,\r\nb", {"a", "", "b"}},
        ItemCase{"CommaAtEndOfTextGivesEmptyItem", "a,", {"a", ""}},
        ItemCase{"DoubledQuoteInsideQuoted", "\"say \"\"hi\"\", you\"", {"say \"hi\", you"}},
        ItemCase{"EmptyQuoted", "\"\",x", {"", "x"}},
        ItemCase{"RestAfterClosingQuoteSkipped", "\"a\" junk,b", {"a", "b"}},
        ItemCase{"QuoteInsideUnquotedIsText", "He said \"hi\"", {"He said \"hi\""}},
        ItemCase{"QuotedAcrossLineEnd", "\"one\r\ntwo\",x", {"one\r\ntwo", "x"}},
        ItemCase{"UnclosedQuoteReadsOnUnquoted", "\"Hallo, Leute\r\nB\r\n", {"Hallo", "Leute", "B"}},
        ItemCase{"LoneCarriageReturnIsText", "a\rb", {"a\rb"}},
        ItemCase{"Umlauts", "Begrüssung,Größe", {"Begrüssung", "Größe"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ItemReader, FailsPastTheLastItemAndLeavesTheTargetAlone) {
    common::ItemReader reader("A\r\n");
    std::string item;
    EXPECT_FALSE(reader.atEnd());
    ASSERT_TRUE(reader.next(item));
    EXPECT_EQ(item, "A");
    EXPECT_TRUE(reader.atEnd());
    EXPECT_FALSE(reader.next(item));
    EXPECT_EQ(item, "A");
}

TEST(ItemReader, PendingItemAfterCommaKeepsReaderOpen) {
    common::ItemReader reader("x,");
    std::string item;
    ASSERT_TRUE(reader.next(item));
    EXPECT_FALSE(reader.atEnd());
    ASSERT_TRUE(reader.next(item));
    EXPECT_EQ(item, "");
    EXPECT_TRUE(reader.atEnd());
}

}  // namespace
