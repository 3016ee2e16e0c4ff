#include "edit/DateText.h"

#include <gtest/gtest.h>

namespace {

struct Conversion {
    const char* input;
    const char* expected;
};

class StoredDateToFieldTest : public testing::TestWithParam<Conversion> {};

TEST_P(StoredDateToFieldTest, Converts) {
    EXPECT_EQ(StoredDateToField(QString::fromUtf8(GetParam().input)), QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Texts, StoredDateToFieldTest,
                         testing::Values(Conversion{"1980-05-12", "12-05-1980"},
                                         Conversion{"12-05-1980", ""},          // not year-first
                                         Conversion{"1980-5-12", ""},           // nine characters
                                         Conversion{"1980-05-123", ""},         // eleven characters
                                         Conversion{"", ""},
                                         Conversion{"    -  -  ", "  -  -    "},  // blanks move as they are
                                         Conversion{"abcd-ef-gh", "gh-ef-abcd"}));

class FieldDateToStoredTest : public testing::TestWithParam<Conversion> {};

TEST_P(FieldDateToStoredTest, Converts) {
    EXPECT_EQ(FieldDateToStored(QString::fromUtf8(GetParam().input)), QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Texts, FieldDateToStoredTest,
                         testing::Values(Conversion{"12-05-1980", "1980-05-12"},
                                         Conversion{"1980-05-12", ""},
                                         Conversion{"12-05-80", ""},
                                         Conversion{"", ""},
                                         Conversion{"1 -05-1980", "1980-05-1 "}));

TEST(DateTextTest, RoundTripKeepsAStoredDate) {
    for (const char* stored : {"1980-05-12", "2000-02-29", "1999-12-31"})
        EXPECT_EQ(FieldDateToStored(StoredDateToField(QString::fromLatin1(stored))), QString::fromLatin1(stored));
}

struct Parse {
    const char* field;
    int year, month, day;  // year 0: not a date
};

class ParseFieldDateTest : public testing::TestWithParam<Parse> {};

TEST_P(ParseFieldDateTest, Reads) {
    const Parse& p = GetParam();
    const std::optional<QDate> date = ParseFieldDate(QString::fromUtf8(p.field));
    if (p.year == 0) {
        EXPECT_FALSE(date.has_value()) << p.field;
    } else {
        ASSERT_TRUE(date.has_value()) << p.field;
        EXPECT_EQ(*date, QDate(p.year, p.month, p.day));
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseFieldDateTest,
                         testing::Values(Parse{"12-05-1980", 1980, 5, 12}, Parse{"29-02-2000", 2000, 2, 29},
                                         Parse{" 1-05-1980", 1980, 5, 1},  // a blank reads as 0
                                         Parse{"31-02-2006", 0, 0, 0}, Parse{"99-99-9999", 0, 0, 0},
                                         Parse{"12-13-1980", 0, 0, 0}, Parse{"12-  -1980", 0, 0, 0},
                                         Parse{"12-05-    ", 0, 0, 0}, Parse{"  -  -    ", 0, 0, 0},
                                         Parse{"29-02-2001", 0, 0, 0}, Parse{"1980-05-12", 0, 0, 0},
                                         Parse{"ab-05-1980", 0, 0, 0}, Parse{"", 0, 0, 0}));

TEST(DateTextTest, FormatsWithHyphensAndLeadingZeros) {
    EXPECT_EQ(FormatFieldDate(QDate(2006, 3, 7)), QStringLiteral("07-03-2006"));
}

}  // namespace
