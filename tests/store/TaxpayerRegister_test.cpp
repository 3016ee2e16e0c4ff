#include "store/TaxpayerRegister.h"

#include "StoreTestHelpers.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using store_test::cp;
using store_test::person;

std::vector<std::string> surnames(const TaxpayerRegister& reg) {
    std::vector<std::string> names;
    for (int i = 0; i < reg.count(); ++i) names.push_back(cp1250::toUnicode(reg.at(i).nazwisko).toStdString());
    return names;
}

TaxpayerRegister registerOf(std::initializer_list<TaxpayerRecord> records) {
    TaxpayerRegister reg;
    for (const auto& record : records) reg.Add(record);
    return reg;
}

TEST(TaxpayerRegister, AddRefusesARecordWithoutBothNames) {
    TaxpayerRegister reg;
    ASSERT_TRUE(reg.Add(person("Kowalski", "Jan")));
    TaxpayerRecord* const before = reg.current();
    EXPECT_FALSE(reg.Add(person("Nowak", "")));
    EXPECT_FALSE(reg.Add(person("", "Anna")));
    EXPECT_EQ(reg.count(), 1);
    EXPECT_EQ(reg.current(), before);
}

TEST(TaxpayerRegister, AddAppendsACopyAndMakesItCurrent) {
    TaxpayerRegister reg;
    TaxpayerRecord record = person("Kowalski", "Jan");
    ASSERT_TRUE(reg.Add(record));
    record.nazwisko = "Zmieniony";
    EXPECT_EQ(reg.at(0).nazwisko, "Kowalski");
    EXPECT_EQ(reg.current(), &reg.at(0));
    reg.Add(person("Nowak", "Anna"));
    EXPECT_EQ(reg.current(), &reg.at(1));
    EXPECT_EQ(reg.currentIndex(), 1);
}

TEST(TaxpayerRegister, SelectByIndexAndDeleteAtEmptyCurrentWhenOutOfRange) {
    TaxpayerRegister reg;
    EXPECT_FALSE(reg.SelectByIndex(0));
    reg = registerOf({person("A", "a"), person("B", "b"), person("C", "c")});
    EXPECT_TRUE(reg.SelectByIndex(1));
    EXPECT_EQ(reg.current()->nazwisko, "B");
    EXPECT_FALSE(reg.SelectByIndex(3));
    EXPECT_EQ(reg.current(), nullptr);
    EXPECT_FALSE(reg.SelectByIndex(-1));

    reg.SelectByIndex(0);
    reg.DeleteAt(7);
    EXPECT_EQ(reg.count(), 3);
    EXPECT_EQ(reg.current(), nullptr);

    reg.DeleteAt(2);  // the last one
    EXPECT_EQ(surnames(reg), (std::vector<std::string>{"A", "B"}));
    reg.DeleteAt(0);
    reg.DeleteAt(0);
    EXPECT_TRUE(reg.empty());
    EXPECT_EQ(reg.current(), nullptr);
}

TEST(TaxpayerRegister, ClearKeepsTheSortKey) {
    TaxpayerRegister reg = registerOf({person("A", "a")});
    reg.Sort(TaxpayerSortKey::SortByPesel);
    reg.Clear();
    EXPECT_TRUE(reg.empty());
    EXPECT_EQ(reg.current(), nullptr);
    EXPECT_EQ(reg.sortKey(), TaxpayerSortKey::SortByPesel);
}

TEST(TaxpayerRegister, SelectByIdFindsTheFirstInChainOrderAndFollowsChanges) {
    TaxpayerRegister reg;
    for (int i = 0; i < 5; ++i) {
        TaxpayerRecord record = person("N" + std::to_string(i), "x");
        record.id = i % 3;  // ids 0 1 2 0 1
        reg.Add(record);
    }
    ASSERT_TRUE(reg.SelectById(1));
    EXPECT_EQ(reg.current()->nazwisko, "N1");
    TaxpayerRecord* const selected = reg.current();
    EXPECT_FALSE(reg.SelectById(9));
    EXPECT_EQ(reg.current(), selected);  // unchanged on a miss

    reg.DeleteAt(1);
    ASSERT_TRUE(reg.SelectById(1));
    EXPECT_EQ(reg.current()->nazwisko, "N4");

    TaxpayerRecord late = person("N5", "x");
    late.id = 9;
    reg.Add(late);
    ASSERT_TRUE(reg.SelectById(9));
    EXPECT_EQ(reg.current()->nazwisko, "N5");

    reg.Sort(TaxpayerSortKey::SortByNazwisko);
    reg.Sort(TaxpayerSortKey::SortByPesel);
    ASSERT_TRUE(reg.SelectById(0));
    EXPECT_EQ(reg.currentIndex(), 0);
}

TEST(FoldPolishCapitals, FoldsExactlySixCapitals) {
    EXPECT_EQ(FoldPolishCapitals(cp("ĄĆĘŃÓŻ")), "ACENOZ");
    EXPECT_EQ(FoldPolishCapitals(cp("ŁŚŹąćęłńóśźż")), cp("ŁŚŹąćęłńóśźż"));
    EXPECT_EQ(FoldPolishCapitals(cp("Kowalski-Żak")), "Kowalski-Zak");
}

struct SortCase {
    const char* name;
    TaxpayerSortKey key;
    std::vector<std::string> input;     // surnames (or PESELs for SortByPesel), UTF-8
    std::vector<std::string> expected;  // resulting order
};

class TaxpayerSortExamples : public ::testing::TestWithParam<SortCase> {};

TEST_P(TaxpayerSortExamples, GivesTheExchangeOrder) {
    const SortCase& c = GetParam();
    TaxpayerRegister reg;
    for (const auto& text : c.input) {
        // Trailing digits only label records with equal names (B1, B2 are both named B).
        const std::string name = text.substr(0, text.find_last_not_of("0123456789") + 1);
        TaxpayerRecord record = c.key == TaxpayerSortKey::SortByPesel ? person("N", "I") : person(name, name);
        record.pesel = cp(text);
        reg.Add(record);
    }
    reg.Sort(c.key);
    std::vector<std::string> got;
    for (int i = 0; i < reg.count(); ++i) got.push_back(cp1250::toUnicode(reg.at(i).pesel).toStdString());
    EXPECT_EQ(got, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, TaxpayerSortExamples,
    ::testing::Values(
        SortCase{"FoldedCapitals", TaxpayerSortKey::SortByNazwisko, {"ŻAK", "ZAWADA", "ĄBEL", "ABEL"},
                 {"ĄBEL", "ABEL", "ŻAK", "ZAWADA"}},
        SortCase{"UnfoldedCapitalsLast", TaxpayerSortKey::SortByNazwisko, {"ŁUKASIK", "ŚLIWA", "ZIELIŃSKI"},
                 {"ZIELIŃSKI", "ŚLIWA", "ŁUKASIK"}},
        SortCase{"LowerCaseBetween", TaxpayerSortKey::SortByNazwisko, {"Łoś", "abel", "Zyta", "Śmiały"},
                 {"Zyta", "abel", "Śmiały", "Łoś"}},
        SortCase{"EqualKeysSwap", TaxpayerSortKey::SortByImie, {"B1", "B2", "A"}, {"A", "B2", "B1"}},
        SortCase{"PeselIsRawText", TaxpayerSortKey::SortByPesel, {"9", "80010112345", "8"},
                 {"8", "80010112345", "9"}},
        SortCase{"PrefixFirst", TaxpayerSortKey::SortByNazwisko, {"Nowakowski", "Nowak"}, {"Nowak", "Nowakowski"}}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(TaxpayerRegister, SortByPeselDoesNotFold) {
    TaxpayerRegister reg = registerOf({person("x", "x", "Ą"), person("x", "x", "B")});
    reg.Sort(TaxpayerSortKey::SortByPesel);
    EXPECT_EQ(reg.at(0).pesel, "B");
}

TEST(TaxpayerRegister, SortKeepsCurrentAndAOneRecordSortOnlyStoresTheKey) {
    TaxpayerRegister reg = registerOf({person("B", "b")});
    reg.Sort(TaxpayerSortKey::SortByImie);
    EXPECT_EQ(reg.sortKey(), TaxpayerSortKey::SortByImie);
    reg.Add(person("A", "z"));
    reg.Add(person("C", "a"));
    reg.SelectByIndex(0);
    TaxpayerRecord* const selected = reg.current();
    reg.Resort();  // by first name
    EXPECT_EQ(surnames(reg), (std::vector<std::string>{"C", "B", "A"}));
    EXPECT_EQ(reg.current(), selected);
    EXPECT_EQ(reg.currentIndex(), 1);
}

// The sort as its steps describe it, on plain keys: the reference the fast sort must match.
std::vector<std::size_t> referenceExchangeSort(const std::vector<std::string>& keys) {
    std::vector<std::size_t> chain(keys.size());
    for (std::size_t i = 0; i < chain.size(); ++i) chain[i] = i;
    if (chain.size() < 2) return chain;
    for (std::size_t p = 0; p + 1 < chain.size(); ++p) {
        std::size_t candidate = p;
        for (std::size_t s = p + 1; s < chain.size(); ++s)
            if (keys[chain[s]] < keys[chain[candidate]]) candidate = s;
        if (candidate != p) std::swap(chain[p], chain[candidate]);
    }
    return chain;
}

TEST(TaxpayerRegister, FastSortMatchesTheStepByStepSortOnRandomRegisters) {
    std::mt19937 random(20261208);
    const std::vector<std::string> alphabet = {"A", "B", "\xA5", "\x8C", "a", "\xA3", "Z", "\xAF", "AB", ""};
    for (int round = 0; round < 300; ++round) {
        const std::size_t size = std::uniform_int_distribution<std::size_t>(0, 60)(random);
        const std::size_t distinct = std::uniform_int_distribution<std::size_t>(1, 6)(random);  // many equal keys
        const auto key = static_cast<TaxpayerSortKey>(round % 3);
        TaxpayerRegister reg;
        std::vector<std::string> keys;
        for (std::size_t i = 0; i < size; ++i) {
            std::string text = alphabet[std::uniform_int_distribution<std::size_t>(0, distinct)(random)] +
                               alphabet[std::uniform_int_distribution<std::size_t>(0, distinct)(random)];
            TaxpayerRecord record;
            record.nazwisko = "N" + text;
            record.imie1 = "I" + text;
            record.pesel = text;
            record.id = static_cast<std::int32_t>(i);
            ASSERT_TRUE(reg.Add(record));
            keys.push_back(TaxpayerSortKeyText(record, key));
        }
        reg.Sort(key);
        const std::vector<std::size_t> expected = referenceExchangeSort(keys);
        ASSERT_EQ(reg.count(), static_cast<int>(expected.size()));
        for (std::size_t i = 0; i < expected.size(); ++i)
            ASSERT_EQ(reg.at(static_cast<int>(i)).id, static_cast<std::int32_t>(expected[i]))
                << "round " << round << " position " << i;
    }
}

// --- Duplicates ----------------------------------------------------------------------------------

TEST(RemoveDuplicates, TheEarlierRecordAbsorbsOnlyTheListedEmptyFields) {
    TaxpayerRecord first = person("KOWALSKI", "JAN", "80010112345");
    first.id = 7;
    first.p11Box(34) = "";
    TaxpayerRecord second = person("KOWALSKI", "JAN", "80010112345");
    second.id = 8;
    second.ulica = "Polna";
    second.us = "US Kraków";
    second.nip = "123-456-78-90";
    second.kodPoczt = "30-001";
    second.nrDomu = "5";
    second.miejsc = "Kraków";
    second.p11Box(34) = "100,00";
    second.pit11_33 = 2;
    TaxpayerRegister reg = registerOf({first, person("NOWAK", "ANNA"), second});
    reg.RemoveDuplicates();
    ASSERT_EQ(reg.count(), 2);
    const TaxpayerRecord& kept = reg.at(0);
    EXPECT_EQ(kept.id, 7);
    EXPECT_EQ(kept.ulica, "Polna");
    EXPECT_EQ(kept.us, "US Kraków");
    EXPECT_EQ(kept.nip, "123-456-78-90");
    EXPECT_EQ(kept.kodPoczt, "30-001");
    EXPECT_TRUE(kept.nrDomu.empty());
    EXPECT_TRUE(kept.miejsc.empty());
    EXPECT_TRUE(kept.p11Box(34).empty());
    EXPECT_EQ(kept.pit11_33, 0);
    EXPECT_EQ(reg.at(1).nazwisko, "NOWAK");
}

struct DuplicateCase {
    const char* name;
    TaxpayerRecord earlier;
    TaxpayerRecord later;
    bool merged;
};

TaxpayerRecord withFields(TaxpayerRecord record, std::string_view dataUr, std::string_view nip) {
    record.dataUr = dataUr;
    record.nip = nip;
    return record;
}

class DuplicateRules : public ::testing::TestWithParam<DuplicateCase> {};

TEST_P(DuplicateRules, DecideWhetherRecordsMerge) {
    const DuplicateCase& c = GetParam();
    TaxpayerRegister reg = registerOf({c.earlier, c.later});
    reg.RemoveDuplicates();
    EXPECT_EQ(reg.count(), c.merged ? 1 : 2);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DuplicateRules,
    ::testing::Values(
        DuplicateCase{"SamePesel", person("KOWALSKI", "JAN", "1"), person("KOWALSKI", "JAN", "1"), true},
        DuplicateCase{"NothingToCompare", person("KOWALSKI", "JAN"), person("KOWALSKI", "JAN"), false},
        DuplicateCase{"CaseDiffers", person("KOWALSKI", "JAN", "1"), person("Kowalski", "Jan", "1"), false},
        DuplicateCase{"FirstNameDiffers", person("KOWALSKI", "JAN", "1"), person("KOWALSKI", "JANUSZ", "1"), false},
        DuplicateCase{"PeselDiffersButBirthDateEqual", withFields(person("K", "J", "1"), "1980-01-01", ""),
                      withFields(person("K", "J", "2"), "1980-01-01", ""), true},
        DuplicateCase{"BirthDateStartingWithSpace", withFields(person("K", "J"), " -  -", ""),
                      withFields(person("K", "J"), " -  -", ""), false},
        DuplicateCase{"SameNip", withFields(person("K", "J"), "", "123-456-78-90"),
                      withFields(person("K", "J"), "", "123-456-78-90"), true},
        DuplicateCase{"NipStartingWithSpace", withFields(person("K", "J"), "", "   -   -  -"),
                      withFields(person("K", "J"), "", "   -   -  -"), false},
        DuplicateCase{"EarlierPeselEmptyLaterNot", person("K", "J", ""), person("K", "J", "1"), false},
        DuplicateCase{"NamesWithSpacesAreNotTrimmed", person("K ", "J", "1"), person("K", "J", "1"), false}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(RemoveDuplicates, OneRecordAbsorbsSeveralInOnePassUsingWhatItTookOver) {
    // The second record gives the first its birth date; the third matches only by that date.
    TaxpayerRecord a = person("K", "J", "1");
    TaxpayerRecord b = withFields(person("K", "J", "1"), "1980-01-01", "");
    TaxpayerRecord c = withFields(person("K", "J", "2"), "1980-01-01", "");
    c.ulica = "Długa";
    TaxpayerRegister reg = registerOf({a, person("X", "Y"), b, c});
    reg.SelectByIndex(3);
    reg.RemoveDuplicates();
    ASSERT_EQ(reg.count(), 2);
    EXPECT_EQ(reg.at(0).dataUr, "1980-01-01");
    EXPECT_EQ(reg.at(0).ulica, "Długa");
    EXPECT_EQ(reg.current(), nullptr);  // the current record was merged away
}

TEST(RemoveDuplicates, AnEditedRecordEqualToALaterOneAbsorbsIt) {
    TaxpayerRecord later = person("K", "J", "1");
    later.ulica = "Polna";
    TaxpayerRegister reg = registerOf({person("K", "J", "1"), later});
    reg.SelectByIndex(0);
    reg.RemoveDuplicates();
    ASSERT_EQ(reg.count(), 1);
    EXPECT_EQ(reg.current(), &reg.at(0));
    EXPECT_EQ(reg.at(0).ulica, "Polna");
}

// The removal as its steps describe it, over the whole chain.
void referenceRemoveDuplicates(std::vector<TaxpayerRecord>& chain) {
    auto identifies = [](std::string_view t, bool space) { return !t.empty() && !(space && t.front() == ' '); };
    for (std::size_t k = 0; k < chain.size(); ++k) {
        for (std::size_t d = k + 1; d < chain.size();) {
            TaxpayerRecord& K = chain[k];
            const TaxpayerRecord& D = chain[d];
            const bool dup = D.nazwisko == K.nazwisko && D.imie1 == K.imie1 &&
                             ((D.pesel == K.pesel && identifies(K.pesel, false)) ||
                              (D.dataUr == K.dataUr && identifies(K.dataUr, true)) ||
                              (D.nip == K.nip && identifies(K.nip, true)));
            if (!dup) {
                ++d;
                continue;
            }
            if (K.us.empty()) K.us = D.us;
            if (K.nip.empty()) K.nip = D.nip;
            if (K.pesel.empty()) K.pesel = D.pesel;
            if (K.dataUr.empty()) K.dataUr = D.dataUr;
            if (K.ulica.empty()) K.ulica = D.ulica;
            chain.erase(chain.begin() + static_cast<std::ptrdiff_t>(d));
        }
    }
}

TEST(RemoveDuplicates, MatchesTheWholeChainPassOnRandomRegisters) {
    std::mt19937 random(42);
    auto pick = [&](std::initializer_list<const char*> options) {
        const auto i = std::uniform_int_distribution<std::size_t>(0, options.size() - 1)(random);
        return std::string(options.begin()[i]);
    };
    for (int round = 0; round < 400; ++round) {
        // Small name groups, and (every other round) one large group of a single name.
        const bool oneName = round % 2 == 1;
        std::vector<TaxpayerRecord> chain;
        const int size = std::uniform_int_distribution<int>(0, oneName ? 150 : 40)(random);
        for (int i = 0; i < size; ++i) {
            TaxpayerRecord r = oneName ? person("K", "J", pick({"", "1", "2", "3", "4"}))
                                       : person(pick({"K", "N"}), pick({"J", "A"}), pick({"", "1", "2"}));
            r.dataUr = pick({"", "", " ", "1980", "1990", "2000"});
            r.nip = pick({"", "", " 1", "111", "222", "333"});
            r.us = pick({"", "US1", "US2"});
            r.ulica = pick({"", "Polna"});
            r.id = i;
            chain.push_back(r);
        }
        TaxpayerRegister reg;
        for (const auto& r : chain) reg.Add(r);
        reg.RemoveDuplicates();
        referenceRemoveDuplicates(chain);
        ASSERT_EQ(reg.count(), static_cast<int>(chain.size())) << "round " << round;
        for (std::size_t i = 0; i < chain.size(); ++i) {
            const TaxpayerRecord& got = reg.at(static_cast<int>(i));
            ASSERT_EQ(got.id, chain[i].id) << "round " << round;
            EXPECT_EQ(got.pesel, chain[i].pesel);
            EXPECT_EQ(got.dataUr, chain[i].dataUr);
            EXPECT_EQ(got.nip, chain[i].nip);
            EXPECT_EQ(got.us, chain[i].us);
            EXPECT_EQ(got.ulica, chain[i].ulica);
        }
    }
}

}  // namespace
