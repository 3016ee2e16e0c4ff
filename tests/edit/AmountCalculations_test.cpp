#include "edit/AmountCalculations.h"
#include "edit/AmountParsing.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

struct NormalizeCase {
    std::string typed;
    std::string expected;
    bool refused;
};

class NormalizeAmountTest : public ::testing::TestWithParam<NormalizeCase> {};

TEST_P(NormalizeAmountTest, CleansUpTypedText) {
    const NormalizeCase& c = GetParam();
    const NormalizedAmount result = NormalizeAmount(c.typed);
    EXPECT_EQ(result.text, c.expected) << "typed: " << c.typed;
    EXPECT_EQ(result.refused, c.refused) << "typed: " << c.typed;
    EXPECT_EQ(result.message.isEmpty(), !c.refused);
}

INSTANTIATE_TEST_SUITE_P(
    Table, NormalizeAmountTest,
    ::testing::Values(NormalizeCase{"", "", false},
                      NormalizeCase{"12,5", "12,50", false},
                      NormalizeCase{"12", "12,00", false},
                      NormalizeCase{"0,005", "0,00", false},    // the half goes to the even cent
                      NormalizeCase{"12,345", "12,34", false},  // 12.345 is stored just below
                      NormalizeCase{"7.5", "7,50", false},
                      NormalizeCase{"1 234,5", "1234,50", false},
                      NormalizeCase{"-100", "100,00", false},   // no negative amounts
                      NormalizeCase{"1234,50 zł", "1234,50", false},
                      NormalizeCase{"\xc5\x82\xc4\x85 5", "5,00", false},  // UTF-8 letters dropped
                      NormalizeCase{",5", "0,50", false},
                      NormalizeCase{"5,", "5,00", false},
                      NormalizeCase{"0", "0,00", false},
                      NormalizeCase{"000012,30", "12,30", false},
                      NormalizeCase{"999999999999,99", "999999999999,99", false},
                      NormalizeCase{"9999999999999,99", "9999999999999,99", false},  // 15 digits, grosze kept
                      NormalizeCase{"12345678901234,56", "0,00", true},  // its grosze would be lost
                      NormalizeCase{"10000000000000", "0,00", true},
                      NormalizeCase{"99999999999999,99", "0,00", true},
                      NormalizeCase{"9999999999999,996", "0,00", true},  // rounds up to 10^13
                      NormalizeCase{"abc", "0,00", true},
                      NormalizeCase{"   ", "0,00", true},
                      NormalizeCase{"1.234,56", "0,00", true},
                      NormalizeCase{"12,3,4", "0,00", true},
                      NormalizeCase{",", "0,00", true},
                      NormalizeCase{"1000000000000000", "0,00", true},
                      NormalizeCase{"999999999999999,7", "0,00", true},  // rounds up to 10^15
                      NormalizeCase{std::string(400, '9'), "0,00", true},
                      NormalizeCase{"0," + std::string(400, '0') + "1", "0,00", false},
                      NormalizeCase{std::string(400, '0') + "1", "1,00", false}));

TEST(NormalizeAmount, NamesTheRightMessage) {
    EXPECT_EQ(NormalizeAmount("abc").message, InvalidAmountMessage());
    EXPECT_EQ(InvalidAmountMessage(), QStringLiteral("Wpisano nieprawidłową wartość liczbową!"));
    EXPECT_EQ(InvalidAmountTitle(), QStringLiteral("Błąd"));
    EXPECT_EQ(NormalizeAmount(std::string(30, '9')).message, AmountTooLargeMessage());
}

struct FormatCase {
    double value;
    std::string expected;
};

class FormatAmountTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatAmountTest, WritesPlainDecimalText) {
    EXPECT_EQ(FormatAmount(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FormatAmountTest,
    ::testing::Values(FormatCase{0.0, "0,00"}, FormatCase{-0.0, "0,00"}, FormatCase{1234.5, "1234,50"},
                      FormatCase{1234.0, "1234,00"}, FormatCase{0.05, "0,05"},
                      FormatCase{12.345, "12,345"},  // more than two decimals are kept
                      FormatCase{-500.0, "-500,00"}, FormatCase{0.1 + 0.2, "0,30"},
                      FormatCase{1e-5, "0,00001"},
                      FormatCase{1234567890123.456, "1234567890123,46"},  // 15 significant digits
                      FormatCase{9999999999999.99, "9999999999999,99"},
                      FormatCase{-9999999999999.99, "-9999999999999,99"},
                      FormatCase{100.0 * 0.01 * 3, "3,00"}));

TEST(FormatAmount, RefusesWhatFifteenDigitsCannotWriteWithItsGrosze) {
    for (double value : {1e13, -1e13, 12345678901234.56, 9999999999999.996, 1e15, 1e300, HUGE_VAL, -HUGE_VAL,
                         std::nan("")})
        EXPECT_THROW(FormatAmount(value), ConversionError) << value;
}

// The quick paths of FormatAmount and ParseAmount give what the general ones give, text for text
// and bit for bit, errors included.
std::string FormatOrError(std::string (*format)(double), double value) {
    try {
        return format(value);
    } catch (const ConversionError&) {
        return "error";
    }
}

std::string ParseOrError(ParsedAmount (*parse)(std::string_view), const std::string& text) {
    try {
        const ParsedAmount amount = parse(text);
        return std::to_string(std::bit_cast<std::uint64_t>(amount.value)) + "/" + std::to_string(amount.decimals);
    } catch (const ConversionError&) {
        return "error";
    }
}

TEST(AmountQuickPaths, AgreeWithTheGeneralOnes) {
    std::vector<double> values = {0.0, -0.0, 0.005, 0.01, 0.05, 0.1 + 0.2, 12.345, 1e-7, 5e-324, 1234.5, -1234.5,
                                  0.7 - 0.2, 37000.4999999, 999999999999.99, 9999999999999.99, 9999999999999.994,
                                  9999999999999.996, 1e13, 1e15, 1e16, 1e300, 123456789012.345, 0.125, -0.01,
                                  HUGE_VAL, -HUGE_VAL, std::nan("")};
    std::vector<std::string> texts = {"", "  ", "0", "-0", "-0,00", "+3", "1234,56", " 12,5 ", "007,10", "12,",
                                      ",5", ",", "-", "1,2,3", "1 000", "1.5", "123456789012345",
                                      "1234567890123456", "9007199254740993", "0,000000000000000000001",
                                      "0,1234567890123456789", "99999999999,9999", "1e5", std::string(400, '9')};
    std::mt19937_64 random(20061231);
    for (int i = 0; i < 50000; ++i) {
        const long long grosze = static_cast<long long>(random() % 2000000000000000ULL) - 1000000000000000LL;
        const int scale = static_cast<int>(random() % 6);  // from whole złoty to millionths
        values.push_back(static_cast<double>(grosze / static_cast<long long>(std::pow(10, scale))) / 100.0);
        values.push_back(static_cast<double>(grosze) / std::pow(10.0, scale));
        values.push_back(std::bit_cast<double>(random()));
        std::string digits = std::to_string(grosze / static_cast<long long>(std::pow(10, random() % 16)));
        if (const std::size_t comma = random() % (digits.size() + 2); comma < digits.size())
            digits.insert(comma, 1, ',');
        texts.push_back(digits);
    }
    for (int decimals = 0; decimals <= 18; ++decimals)  // sums are snapped by a table of these
        ASSERT_EQ(std::pow(10.0, decimals), std::stod("1e" + std::to_string(decimals))) << decimals;
    for (double value : values)
        ASSERT_EQ(FormatOrError(FormatAmount, value), FormatOrError(FormatAmountGeneral, value)) << value;
    for (const std::string& text : texts)
        ASSERT_EQ(ParseOrError(ParseAmount, text), ParseOrError(ParseAmountGeneral, text)) << text;
}

TEST(Rounding, CentsGoToEvenWholeZlotyHalvesGoUp) {
    EXPECT_DOUBLE_EQ(RoundToCents(12.345), 12.34);
    EXPECT_DOUBLE_EQ(RoundToCents(0.005), 0.0);
    EXPECT_DOUBLE_EQ(RoundToCents(-1.006), -1.01);
    EXPECT_EQ(RoundToWhole(0.5), 1.0);
    EXPECT_EQ(RoundToWhole(2.5), 3.0);
    EXPECT_EQ(RoundToWhole(0.49), 0.0);
    EXPECT_EQ(RoundToWhole(-2.5), -3.0);
    EXPECT_EQ(RoundToWhole(37023.6), 37024.0);
    EXPECT_EQ(RoundToWhole(0.7 - 0.2), 1.0);  // 0.49999999999999994: fifty groszy all the same
}

TEST(ReadAmount, ReadsStoredTextAndRefusesTheRest) {
    EXPECT_EQ(ReadAmount(""), 0.0);
    EXPECT_EQ(ReadAmount("  "), 0.0);
    EXPECT_EQ(ReadAmount("-500,00"), -500.0);
    EXPECT_EQ(ReadAmount(" 12,5 "), 12.5);
    EXPECT_EQ(ReadAmount("+3"), 3.0);
    for (const char* bad : {"abc", "1.5", "1 000", "12,3,4", "-", ",", "1e5", "--1", "1-"})
        EXPECT_THROW(ReadAmount(bad), ConversionError) << bad;
    EXPECT_THROW(ReadAmount(std::string(400, '9')), ConversionError);
}

TEST(ReadAmount, ErrorNamesTheText) {
    try {
        ReadAmount("12,3,4");
        FAIL();
    } catch (const ConversionError& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("12,3,4"))) << error.what();
    }
}

struct TaxCase {
    std::string base;
    std::string tax;
};

class ComputeTaxTest : public ::testing::TestWithParam<TaxCase> {};

TEST_P(ComputeTaxTest, FollowsTheScale) { EXPECT_EQ(ComputeTax(GetParam().base), GetParam().tax); }

INSTANTIATE_TEST_SUITE_P(
    Table, ComputeTaxTest,
    ::testing::Values(TaxCase{"30000", "5169,92"}, TaxCase{"37023", "6504,29"},
                      TaxCase{"37024", "6504,48"}, TaxCase{"37100", "6527,28"},
                      TaxCase{"50000", "10397,28"}, TaxCase{"74048", "17611,68"},
                      TaxCase{"100000", "27992,48"}, TaxCase{"2000", "0,00"}, TaxCase{"0", "0,00"},
                      TaxCase{"", "0,00"}, TaxCase{"-500,00", "0,00"}, TaxCase{"2790", "0,02"},
                      TaxCase{"33665,00", "5866,27"}));

TEST(ComputeTax, UnreadableOrHugeBaseThrows) {
    EXPECT_THROW(ComputeTax("abc"), ConversionError);
    EXPECT_THROW(ComputeTax("9999999999999999999"), ConversionError);
}

TEST(BoxHelpers, DifferencesAndSums) {
    EXPECT_EQ(RowIncome("5000,00", "1000,00", "300,00", "100,00"), "4200,00");
    EXPECT_EQ(RowIncome("100,00", "1000,00", "", ""), "0,00");
    EXPECT_EQ(RowIncome("", "", "", ""), "0,00");
    EXPECT_EQ(AmountDiff("10,00", "2,50"), "7,50");
    EXPECT_EQ(AmountDiff("2,50", "2,50"), "0,00");
    EXPECT_EQ(AmountDiff("", "2,50"), "0,00");
    EXPECT_EQ(AmountDiff("0,3", "0,1"), "0,20");
    EXPECT_EQ(AmountDiff("12,345", "0"), "12,345");
    EXPECT_EQ(AmountSum("1,10", "2,20", "", "3,30"), "6,60");
    EXPECT_EQ(AmountSum("1", "2", "3", "4", "5", "6", "7", "8"), "36,00");
    EXPECT_EQ(AmountSum("-5,00", "2,00"), "0,00");
    // Binary noise never becomes a positive amount.
    EXPECT_EQ(RowIncome("0,1", "0,3", "0,2", ""), "0,00");
    EXPECT_EQ(AmountSum("0,1", "0,2", "-0,3"), "0,00");
}

// Tax bases and amounts of tax in whole złoty as the tax law rounds them: endings under 50 groszy
// dropped, 50 groszy and more raised; a tax base is never negative.
struct WholeZlotyCase {
    const char* helper;  // "TaxBase" (a, b, c), "DueTax" (a, b) or "ComputeTax" (a)
    std::string a, b, c;
    std::string expected;
};

class WholeZlotyTest : public ::testing::TestWithParam<WholeZlotyCase> {};

TEST_P(WholeZlotyTest, RoundsAsTheLawDoes) {
    const WholeZlotyCase& c = GetParam();
    const std::string helper = c.helper;
    const std::string result = helper == "TaxBase" ? TaxBase(c.a, c.b, c.c)
                               : helper == "DueTax" ? DueTax(c.a, c.b)
                                                    : ComputeTax(c.a);
    EXPECT_EQ(result, c.expected) << helper << "(" << c.a << ", " << c.b << ", " << c.c << ")";
}

INSTANTIATE_TEST_SUITE_P(
    Table, WholeZlotyTest,
    ::testing::Values(WholeZlotyCase{"TaxBase", "40000,50", "3000,25", "", "37000,00"},
                      WholeZlotyCase{"TaxBase", "37000,50", "", "", "37001,00"},
                      WholeZlotyCase{"TaxBase", "40000,75", "3000,00", "0,25", "37001,00"},
                      WholeZlotyCase{"TaxBase", "100,49", "", "", "100,00"},
                      WholeZlotyCase{"TaxBase", "101,50", "", "", "102,00"},
                      WholeZlotyCase{"TaxBase", "0,30", "", "", "0,00"},
                      WholeZlotyCase{"TaxBase", "5000,00", "3000,00", "2000,00", "0,00"},
                      WholeZlotyCase{"TaxBase", "5000,00", "5500,00", "", "0,00"},  // never negative
                      WholeZlotyCase{"TaxBase", "0,10", "0,60", "", "0,00"},
                      WholeZlotyCase{"DueTax", "5169,92", "500,00", "", "4670"},
                      WholeZlotyCase{"DueTax", "5204,50", "", "", "5205"},
                      WholeZlotyCase{"DueTax", "5704,50", "500,00", "", "5205"},
                      WholeZlotyCase{"DueTax", "5204,49", "", "", "5204"},
                      WholeZlotyCase{"DueTax", "0,50", "", "", "1"},
                      WholeZlotyCase{"DueTax", "0,40", "", "", "0"},
                      WholeZlotyCase{"DueTax", "5169,92", "5169,92", "", "0"},
                      WholeZlotyCase{"DueTax", "5169,92", "6000", "", "0"},
                      // The base rounded to whole złoty chooses the bracket; the exact base is taxed.
                      WholeZlotyCase{"ComputeTax", "37023,50", "", "", "6504,33"},
                      WholeZlotyCase{"ComputeTax", "37023,49", "", "", "6504,38"},
                      WholeZlotyCase{"ComputeTax", "74047,50", "", "", "17611,48"}));

TEST(BoxHelpers, ToPayAndOverpaid) {
    EXPECT_EQ(AmountDiff("4670", "6000,00"), "0,00");
    EXPECT_EQ(AmountDiff("6000,00", "4670"), "1330,00");
    EXPECT_EQ(AmountDiff("4670", "4000,00"), "670,00");
}

TEST(BoxHelpers, ResultsBeyondTheRangeThrow) {
    const std::string big = "9000000000000";
    EXPECT_EQ(AmountSum(big), "9000000000000,00");
    EXPECT_THROW(AmountSum(big, big), ConversionError);
    EXPECT_THROW(DueTax("9999999999999999", ""), ConversionError);
    // An amount beyond the range is refused as it is read, named as the text stands.
    try {
        AmountDiff(" 99999999999999999", "1335,00");
        ADD_FAILURE() << "no error";
    } catch (const ConversionError& error) {
        EXPECT_TRUE(error.message().startsWith(QStringLiteral("Kwota 99999999999999999 jest zbyt duża"))) << error.what();
    }
}

// Boxes of one page held in a map, for driving the page formulas.
class MapBoxes : public AmountBoxes {
public:
    std::map<int, std::string> boxes;
    std::string text(int box) const override {
        const auto it = boxes.find(box);
        return it == boxes.end() ? std::string() : it->second;
    }
    void setText(int box, const std::string& value) override { boxes[box] = value; }
};

TEST(Pit40Page, WholePass) {
    MapBoxes f;
    f.boxes = {{35, "40000,00"}, {36, "1335,00"}, {38, "5000,00"}, {66, "5000,00"}, {73, "2500,00"},
               {69, "123,45"}};  // typed tax is replaced
    RecomputePit40Page(f);
    const std::map<int, std::string> expected = {
        {37, "38665,00"}, {42, ""},         {45, ""},         {48, ""},         {52, "0,00"},
        {56, "0,00"},     {60, "0,00"},     {62, "40000,00"}, {63, "1335,00"},  {64, "38665,00"},
        {65, "5000,00"},  {68, "33665,00"}, {69, "5866,27"},  {71, "5866,27"},  {74, "3366"},
        {75, "0,00"},     {76, "1634,00"}};
    for (const auto& [box, value] : expected) EXPECT_EQ(f.text(box), value) << "f" << box;
    EXPECT_EQ(f.text(72), "");
}

TEST(Pit40Page, SecondLineCountsAndRowsCopy) {
    MapBoxes f;
    f.boxes = {{35, "1000"}, {39, "500,00"}, {40, "100,00"}, {41, "200,00"}, {44, "300,00"},
               {47, "400,00"}, {50, "50,00"}, {51, "80,00"}, {54, "90,00"}, {55, "10,00"},
               {58, "5,00"}, {59, "1,00"}, {70, "10,00"}, {43, "7,00"}, {61, "3,00"}};
    RecomputePit40Page(f);
    EXPECT_EQ(f.text(37), "1400,00");
    EXPECT_EQ(f.text(42), "200,00");
    EXPECT_EQ(f.text(45), "300,00");
    EXPECT_EQ(f.text(48), "400,00");
    EXPECT_EQ(f.text(52), "0,00");
    EXPECT_EQ(f.text(56), "80,00");
    EXPECT_EQ(f.text(60), "4,00");
    EXPECT_EQ(f.text(62), "2545,00");
    EXPECT_EQ(f.text(63), "191,00");
    EXPECT_EQ(f.text(64), "2384,00");
    EXPECT_EQ(f.text(65), "10,00");
    EXPECT_EQ(f.text(68), "2384,00");
    EXPECT_EQ(f.text(69), "0,00");
    EXPECT_EQ(f.text(71), "10,00");
    EXPECT_EQ(f.text(74), "10");
    EXPECT_EQ(f.text(75), "0,00");
    EXPECT_EQ(f.text(76), "0,00");
}

TEST(Pit40Page, UnreadableBoxStopsThePassMidway) {
    MapBoxes f;
    f.boxes = {{35, "100,00"}, {41, "7,00"}, {51, "x"}, {56, "old"}, {69, "old"}};
    EXPECT_THROW(RecomputePit40Page(f), ConversionError);
    EXPECT_EQ(f.text(37), "100,00");  // written before the failing step
    EXPECT_EQ(f.text(42), "7,00");
    EXPECT_EQ(f.text(56), "old");     // after it: untouched
    EXPECT_EQ(f.text(69), "old");
}

TEST(Pit11Page, FormulasAndCopies) {
    MapBoxes e;
    e.boxes = {{34, "5000,00"}, {35, "1000,00"}, {38, "300,00"}, {39, "100,00"}, {43, "12,00"},
               {52, "100,00"},  {53, "20,00"},   {56, "1,00"},   {57, "2,00"},   {60, "3,00"},
               {64, "10"},      {68, "9,99"},    {69, "0,99"},   {72, "15,00"},  {37, "1,00"}};
    RecomputePit11Page(e);
    EXPECT_EQ(e.text(36), "4200,00");
    EXPECT_EQ(e.text(41), "");  // an empty copy stays empty
    EXPECT_EQ(e.text(44), "12,00");
    EXPECT_EQ(e.text(47), "");
    EXPECT_EQ(e.text(50), "");
    EXPECT_EQ(e.text(54), "80,00");
    EXPECT_EQ(e.text(58), "0,00");
    EXPECT_EQ(e.text(62), "3,00");
    EXPECT_EQ(e.text(66), "10,00");
    EXPECT_EQ(e.text(70), "9,00");
    EXPECT_EQ(e.text(73), "15,00");
    EXPECT_EQ(e.text(37), "1,00");  // advances take part in nothing
    EXPECT_EQ(e.boxes.count(75), 0u);
}

TEST(RecomputeRecord, RunsBothPagesOnStoredAmounts) {
    TaxpayerRecord record;
    record.p40Box(35) = "40000,00";
    record.p40Box(36) = "1335,00";
    record.p40Box(38) = "5000,00";
    record.p40Box(66) = "5000,00";
    record.p40Box(73) = "2500,00";
    record.p11Box(34) = "10";  // stored un-normalised: read, not rewritten
    record.p11Box(35) = "2,5";
    RecomputeRecord(record);
    EXPECT_EQ(record.p40Box(74).str(), "3366");
    EXPECT_EQ(record.p40Box(76).str(), "1634,00");
    EXPECT_EQ(record.p11Box(36).str(), "7,50");
    EXPECT_EQ(record.p11Box(34).str(), "10");
}

}  // namespace
