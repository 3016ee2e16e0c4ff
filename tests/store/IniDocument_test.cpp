#include "store/IniDocument.h"

#include "StoreTestHelpers.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using store_test::cp;

TEST(IniReader, TrimsLinesAndSkipsCommentsEmptyLinesAndTextBeforeTheFirstSection) {
    const IniDocument doc = IniDocument::parse(
        "orphan=1\r\n"
        "   [ Sekcja ]  \r\n"
        "\t klucz =  wartość z = w środku \t\r\n"
        "; klucz=komentarz\r\n"
        "\r\n"
        "linia bez znaku równości\r\n"
        "pusty=\r\n");
    EXPECT_FALSE(doc.value("", "orphan").has_value());
    EXPECT_EQ(doc.value("Sekcja", "klucz").value_or("-"), "wartość z = w środku");
    EXPECT_EQ(doc.value("Sekcja", "pusty").value_or("-"), "");
    EXPECT_FALSE(doc.value("Sekcja", "linia bez znaku równości").has_value());
    EXPECT_FALSE(doc.value("Sekcja", "; klucz").has_value());
    EXPECT_EQ(doc.sectionNames(), std::vector<std::string>{"Sekcja"});
}

TEST(IniReader, LinesEndAtCrLfLfOrCr) {
    const IniDocument doc = IniDocument::parse("[a]\nx=1\ry=2\r\nz=3");
    EXPECT_EQ(doc.readString("a", "x", ""), "1");
    EXPECT_EQ(doc.readString("a", "y", ""), "2");
    EXPECT_EQ(doc.readString("a", "z", ""), "3");
}

TEST(IniReader, NamesMatchWithoutCaseIncludingPolishLetters) {
    const IniDocument doc = IniDocument::parse("[S1]\r\nNAZWISKO=Kowalski\r\n" + cp("[ŻÓŁW]\r\nŁÓDŹ=1\r\n"));
    EXPECT_EQ(doc.readString("s1", "nazwisko", ""), "Kowalski");
    EXPECT_EQ(doc.readString(cp("żółw"), cp("łódź"), ""), "1");
    EXPECT_TRUE(doc.hasSection("s1"));
    EXPECT_FALSE(doc.hasSection("s2"));
}

TEST(IniReader, TheLastOccurrenceOfASectionOrKeyWins) {
    const IniDocument doc = IniDocument::parse(
        "[s1]\r\nnazwisko=Pierwszy\r\nimie1=Jan\r\n"
        "[x]\r\nk=1\r\nK=2\r\n"
        "[S1]\r\nnazwisko=Drugi\r\n");
    EXPECT_EQ(doc.readString("s1", "nazwisko", ""), "Drugi");
    // The earlier occurrence is not merged in.
    EXPECT_EQ(doc.readString("s1", "imie1", "brak"), "brak");
    EXPECT_EQ(doc.readInteger("x", "k", 0), 2);
    EXPECT_EQ(doc.sectionNames(), (std::vector<std::string>{"s1", "x"}));
}

TEST(IniReader, ForEachKeyVisitsTheLastOccurrenceInFileOrder) {
    const IniDocument doc = IniDocument::parse("[a]\r\nx=0\r\n[A]\r\nx=1\r\nbez\r\ny=2\r\nX=3\r\n");
    std::vector<std::string> seen;
    EXPECT_TRUE(doc.forEachKey("a", [&](std::string_view k, std::string_view v) {
        seen.push_back(std::string(k) + ":" + std::string(v));
    }));
    EXPECT_EQ(seen, (std::vector<std::string>{"x:1", "y:2", "X:3"}));
    EXPECT_FALSE(doc.forEachKey("b", [](std::string_view, std::string_view) {}));
}

struct IntegerCase {
    const char* text;
    std::optional<std::int32_t> expected;
};

TEST(IniReader, IntegersAreStrictDecimalOrHexadecimal) {
    const IntegerCase cases[] = {
        {"0", 0},           {"42", 42},          {"-7", -7},
        {"+7", 7},          {"0x1F", 31},        {"0X1f", 31},
        {"0xFFFFFFFF", -1}, {"2147483647", INT_MAX}, {"-2147483648", INT_MIN},
        {"2147483648", {}}, {"99999999999999999999", {}}, {"0x100000000", {}},
        {"0x", {}},         {"", {}},            {"-", {}},
        {"abc", {}},        {"12abc", {}},       {"1 2", {}},
        {"1,5", {}},        {"0x1G", {}},        {"x", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseIniInteger(c.text), c.expected) << c.text;
}

TEST(IniReader, ReadIntegerFallsBackToTheDefault) {
    const IniDocument doc = IniDocument::parse("[a]\r\nn=12\r\nbad=x\r\n");
    EXPECT_EQ(doc.readInteger("a", "n", 5), 12);
    EXPECT_EQ(doc.readInteger("a", "bad", 5), 5);
    EXPECT_EQ(doc.readInteger("a", "missing", 5), 5);
    EXPECT_EQ(doc.readInteger("nowhere", "n", 5), 5);
}

TEST(IniWriter, SerializeNormalisesTheDocument) {
    const IniDocument doc = IniDocument::parse(
        "przed=1\n; komentarz\n[ Platnik ]\n  nazwa = Firma \n\nsama linia\n[Inna]\nk=v\n");
    EXPECT_EQ(doc.serialize(), "[Platnik]\r\nnazwa=Firma\r\nsama linia\r\n\r\n[Inna]\r\nk=v\r\n\r\n");
}

TEST(IniWriter, WriteStringReplacesInPlaceWithTheNewSpellingOrAppends) {
    IniDocument doc = IniDocument::parse("[Platnik]\r\nRodzaj=1\r\nnazwa=A\r\n[Inna]\r\nk=v\r\n");
    doc.writeInteger("platnik", "rodzaj", 2);
    doc.writeString("Platnik", "kraj", "POLSKA");
    doc.writeString("Nowa", "x", "1");
    EXPECT_EQ(doc.serialize(),
              "[Platnik]\r\nrodzaj=2\r\nnazwa=A\r\nkraj=POLSKA\r\n\r\n"
              "[Inna]\r\nk=v\r\n\r\n"
              "[Nowa]\r\nx=1\r\n\r\n");
    EXPECT_EQ(doc.readInteger("PLATNIK", "RODZAJ", 0), 2);
}

TEST(IniWriter, LineBreaksInsideValuesCannotAddLinesOrSections) {
    IniDocument doc;
    doc.writeString("a", "k", "jeden\r\n[Parametry]\r\nLiczbaRekordow=9");
    const IniDocument back = IniDocument::parse(doc.serialize());
    EXPECT_FALSE(back.hasSection("Parametry"));
    EXPECT_EQ(back.readString("a", "k", ""), "jeden  [Parametry]  LiczbaRekordow=9");
}

TEST(IniWriter, EraseSectionRemovesEveryOccurrence) {
    IniDocument doc = IniDocument::parse("[a]\r\nx=1\r\n[b]\r\ny=2\r\n[A]\r\nx=3\r\n");
    doc.eraseSection("a");
    EXPECT_EQ(doc.serialize(), "[b]\r\ny=2\r\n\r\n");
    EXPECT_FALSE(doc.hasSection("a"));
    doc.clear();
    EXPECT_EQ(doc.serialize(), "");
}

TEST(IniWriter, ParsingWhatWasWrittenGivesTheSameText) {
    IniDocument doc;
    doc.writeString("s1", "nazwisko", cp("Żółć"));
    doc.writeString("s1", "imie1", "Jan");
    doc.writeInteger("Parametry", "LiczbaRekordow", 1);
    const std::string text = doc.serialize();
    EXPECT_EQ(IniDocument::parse(text).serialize(), text);
}

}  // namespace
