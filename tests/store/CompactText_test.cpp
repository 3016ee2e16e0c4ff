#include "store/CompactText.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

using Amount = CompactText<20>;

// Lengths around the inline limit and the width: what goes in is what comes out, cut to 20.
TEST(CompactText, KeepsTextsOfEveryLengthAndCutsToTheWidth) {
    for (const std::size_t length : {0, 1, 7, 11, 12, 15, 20, 21, 40}) {
        std::string text;
        for (std::size_t i = 0; i < length; ++i) text.push_back(static_cast<char>('0' + i % 10));
        if (length) text[0] = '\xB9';  // a code page 1250 letter (ą)
        const Amount amount(text);
        const std::string expected = text.substr(0, 20);
        EXPECT_EQ(amount.view(), expected) << length;
        EXPECT_EQ(amount.str(), expected) << length;
        EXPECT_EQ(amount.size(), expected.size()) << length;
        EXPECT_EQ(amount.empty(), expected.empty()) << length;
        EXPECT_TRUE(amount == std::string_view(expected)) << length;
    }
}

TEST(CompactText, CopiesMovesAndReassignsBetweenShortAndLongTexts) {
    const std::string longText = "12345678901234567,89";  // 20 bytes: held out of line
    Amount a(longText);
    Amount b = a;  // a copy owns its own text
    a = "1,00";
    EXPECT_EQ(b, longText);
    EXPECT_EQ(a, "1,00");

    Amount c = std::move(b);
    EXPECT_EQ(c, longText);
    EXPECT_TRUE(b.empty());  // NOLINT: a moved-from text is empty and usable
    b = "5";
    EXPECT_EQ(b, "5");

    c = c;  // NOLINT: self-assignment keeps the text
    EXPECT_EQ(c, longText);
    c = c.view().substr(3);  // from its own bytes, long to long
    EXPECT_EQ(c, longText.substr(3));
    c = c.view().substr(10);  // long to short
    EXPECT_EQ(c, longText.substr(13));
    a = "123456789,0";
    a = a.view().substr(2);  // short to short, overlapping
    EXPECT_EQ(a, "3456789,0");

    c.clear();
    EXPECT_TRUE(c.empty());
    EXPECT_TRUE(c == "");
    EXPECT_FALSE(a == b);
}

TEST(CompactText, KnowsWhenNoTextIsHeldOutOfLine) {
    ASSERT_TRUE(Amount::noneOutOfLine());
    {
        Amount shortOne = "99999999,99";
        EXPECT_TRUE(Amount::noneOutOfLine());
        Amount longOne = "999999999999,99";
        EXPECT_FALSE(Amount::noneOutOfLine());
        Amount copy = longOne;
        longOne = "1";
        EXPECT_FALSE(Amount::noneOutOfLine());
        Amount moved = std::move(copy);
        moved.clear();
        EXPECT_TRUE(Amount::noneOutOfLine());
        moved = "999999999999,99";
    }
    EXPECT_TRUE(Amount::noneOutOfLine());
}

}  // namespace
