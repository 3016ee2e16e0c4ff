#include "store/TaxpayerRegister.h"

#include "StoreTestHelpers.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

namespace {

using store_test::person;

std::string names(const TaxpayerRegister& reg) {
    std::string text;
    for (int i = 0; i < reg.count(); ++i) text += reg.at(i).nazwisko.str() + " ";
    return text;
}

TEST(TaxpayerRecordStorage, AddFilledBuildsInPlaceAndRefusesLikeAdd) {
    TaxpayerRegister reg;
    EXPECT_FALSE(reg.AddFilled([](TaxpayerRecord& r) { r.nazwisko = "Nowak"; }));
    EXPECT_TRUE(reg.empty());
    EXPECT_EQ(reg.current(), nullptr);

    EXPECT_TRUE(reg.AddFilled([](TaxpayerRecord& r) {
        EXPECT_TRUE(r.nazwisko.empty() && r.p11Box(34).empty() && r.id == 0);  // starts empty
        r.nazwisko = "Nowak";
        r.imie1 = "Anna";
        r.p40Box(76) = "123456789012345,00";
    }));
    EXPECT_FALSE(reg.AddFilled([](TaxpayerRecord& r) { r.imie1 = "Jan"; }));
    ASSERT_EQ(reg.count(), 1);
    EXPECT_EQ(reg.current(), &reg.at(0));
    EXPECT_EQ(reg.at(0).p40Box(76), "123456789012345,00");

    TaxpayerRecord moved = person("Kowal", "Jan");
    moved.p11Box(34) = "99999999999999,99";
    EXPECT_TRUE(reg.Add(std::move(moved)));
    EXPECT_EQ(reg.at(1).p11Box(34), "99999999999999,99");
}

// Many records across blocks, deletions in between and additions that reuse the freed places:
// order, contents and `current` stay right, and no two records share a place.
TEST(TaxpayerRecordStorage, DeletingAndAddingAcrossBlocksKeepsOrderAndCurrent) {
    TaxpayerRegister reg;
    constexpr int kCount = 5000;
    for (int i = 0; i < kCount; ++i) {
        TaxpayerRecord r = person(std::string("N").append(std::to_string(i)), "I");
        r.p11Box(34) = std::to_string(i) + "000000000000,00";  // out of line
        reg.Add(r);
    }
    ASSERT_TRUE(reg.SelectByIndex(2500));
    TaxpayerRecord* const kept = reg.current();
    for (int i = kCount - 1; i >= 0; i -= 3)
        if (i != 2500) reg.DeleteAt(i);
    reg.SelectByIndex(reg.count() - 1);
    for (int i = 0; i < 100; ++i) reg.Add(person(std::string("M").append(std::to_string(i)), "I"));

    std::set<const TaxpayerRecord*> places;
    int numbered = 0;
    for (int i = 0; i < reg.count(); ++i) {
        places.insert(&reg.at(i));
        const std::string name = reg.at(i).nazwisko.str();
        if (name[0] == 'N') {
            EXPECT_EQ(reg.at(i).p11Box(34), name.substr(1) + "000000000000,00");
            ++numbered;
        }
    }
    EXPECT_EQ(places.size(), static_cast<std::size_t>(reg.count()));
    EXPECT_EQ(numbered + 100, reg.count());
    EXPECT_EQ(kept->nazwisko, "N2500");
    EXPECT_EQ(reg.at(reg.count() - 1).nazwisko, "M99");

    reg.Clear();
    EXPECT_TRUE(reg.empty());
    EXPECT_TRUE(out_of_line_bytes::none());  // every text and amount block was given back
    reg.Add(person("Po", "Clear"));
    EXPECT_EQ(names(reg), "Po ");
}

TEST(TaxpayerRecordStorage, AMovedRegisterKeepsItsRecordsAndTheOldOneStaysUsable) {
    TaxpayerRegister from;
    from.Add(person("A", "a"));
    from.Add(person("B", "b"));
    TaxpayerRecord* const current = from.current();

    TaxpayerRegister to(std::move(from));
    EXPECT_EQ(names(to), "A B ");
    EXPECT_EQ(to.current(), current);

    TaxpayerRegister other;
    other.Add(person("C", "c"));
    other = std::move(to);
    EXPECT_EQ(names(other), "A B ");

    from.Clear();  // NOLINT: a moved-from register can be emptied and filled again
    from.Add(person("D", "d"));
    EXPECT_EQ(names(from), "D ");
}

}  // namespace
