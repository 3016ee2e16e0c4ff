// Which files are read as UTF-8: only those that can be nothing else. Code page 1250 text that
// happens to form valid UTF-8 ("GÓŁKA": D3 A3 is a Cyrillic letter in UTF-8) stays as it is.
#include "store/LegacyTextEncoding.h"

#include "StoreTestHelpers.h"

#include <gtest/gtest.h>

#include <iterator>
#include <tuple>

namespace {

using store_test::cp;

const char* const kPolishLetters[] = {"ą", "ć", "ę", "ł", "ń", "ó", "ś", "ź", "ż",
                                      "Ą", "Ć", "Ę", "Ł", "Ń", "Ó", "Ś", "Ź", "Ż"};
constexpr int kLetters = std::size(kPolishLetters);

class PolishLetterPair : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(PolishLetterPair, CodePage1250TextIsKeptAndItsUtf8FormConverted) {
    const std::string pair = std::string(kPolishLetters[std::get<0>(GetParam())]) + kPolishLetters[std::get<1>(GetParam())];
    const std::string utf8 = "[s1]\r\nnazwisko=G" + pair + "KA\r\nimie1=" + pair + "\r\n";
    const std::string legacy = cp(utf8);
    EXPECT_EQ(ToCp1250FromFileText(legacy), legacy) << pair;
    EXPECT_EQ(ToCp1250FromFileText(utf8), legacy) << pair;
    EXPECT_EQ(ToCp1250FromFileText("\xEF\xBB\xBF" + utf8), legacy) << pair;
}

INSTANTIATE_TEST_SUITE_P(Every, PolishLetterPair,
                         ::testing::Combine(::testing::Range(0, kLetters), ::testing::Range(0, kLetters)));

TEST(LegacyTextEncoding, UncertainUtf8StaysCodePage1250) {
    struct Case {
        const char* bytes;
        bool utf8;
    } const cases[] = {
        {"G\xD3\xA3KA", false},             // "GÓŁKA": valid UTF-8, but a Cyrillic letter
        {"\xC4\xB9", false},                // "Äą": UTF-8 of "Ĺ", but "ą" is no part of a Polish letter
        {"\xE6\xB3\xB9", false},            // "ćłą": a CJK character
        {"\xC3\xA9", true},                 // "é"
        {"\xC5\x81\xC3\xB3\x64\xC5\xBA", true},  // "Łódź"
        {"\xE2\x80\x9E\x43\xE2\x80\x9D", true},  // „C”
        {"\xF0\x9F\x98\x80", false},        // beyond code page 1250
        {"Kowalski", false},                // nothing to convert
        {"\xEF\xBB\xBFKowalski", true},
    };
    for (const Case& c : cases) EXPECT_EQ(IsCertainlyUtf8(c.bytes), c.utf8) << c.bytes;
}

}  // namespace
