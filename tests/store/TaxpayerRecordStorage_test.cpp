#include "store/TaxpayerRegister.h"

#include "store/TaxpayerDataFile.h"
#include "store/TaxpayerFileKeys.h"

#include "StoreTestHelpers.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <utility>

#if defined(FISKON_ADDRESS_SANITIZER)
#include <sanitizer/asan_interface.h>
#endif

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

// Every field of a record from one seed: texts `length` bytes long (cut to each field's width),
// each field with bytes of its own so that swapped fields show; amounts in every `step`-th box.
TaxpayerRecord seeded(int seed, std::size_t length, int step = 1) {
    static const std::string alphabet = store_test::cp("ABCDEFGHIJKLMNOPQRSTUVWXYZąćęłńóśźżĄĆĘŁŃÓŚŹŻ0123456789-,.");
    const auto text = [&](std::size_t field, std::size_t size) {
        std::string value(size, ' ');
        for (std::size_t i = 0; i < size; ++i)
            value[i] = alphabet[(static_cast<std::size_t>(seed) * 7 + field * 13 + i) % alphabet.size()];
        return value;
    };
    TaxpayerRecord record;
    const auto& keys = taxpayer_file_keys::all();
    for (std::size_t field = 0; field < keys.size(); ++field) {
        const auto& key = keys[field];
        switch (key.kind) {
        case taxpayer_file_keys::Kind::Text: key.set(record, text(field, length)); break;
        case taxpayer_file_keys::Kind::Number:
            record.*key.number = static_cast<std::uint8_t>(seed + static_cast<int>(field));
            break;
        case taxpayer_file_keys::Kind::Amount:
            if ((key.box + seed) % step != 0) break;
            if (key.pit11) record.p11Box(key.box) = text(field, std::min<std::size_t>(length, 20));
            else record.p40Box(key.box) = text(field, std::min<std::size_t>(length, 20));
            break;
        }
    }
    return record;
}

// A register read from a file keeps its texts and amounts in its own arena. The same edits,
// merges, deletions, sorts and a reading back are done to it and to a register built record by
// record: after each step both hold the same bytes in every field, in the same order, with the
// same current record. Run twice, so the second round edits records of a second arena.
TEST(TaxpayerRecordStorage, ARegisterReadFromAFileTakesEveryChangeLikeOneBuiltByHand) {
    TaxpayerRegister built;
    for (int i = 0; i < 600; ++i) built.Add(seeded(i, 10 + static_cast<std::size_t>(i) % 60, 2 + i % 5));
    built.Resort();
    TaxpayerRegister read;
    ASSERT_TRUE(LoadFromText(read, TaxpayerFileText(built)));
    built.SelectByIndex(0);
    read.SelectByIndex(0);

    const auto every = [](int modulo, int rest, const std::function<void(TaxpayerRecord&, int)>& change) {
        return [=](TaxpayerRegister& reg) {
            for (int i = rest; i < reg.count(); i += modulo) change(reg.at(i), i);
        };
    };
    const std::pair<const char*, std::function<void(TaxpayerRegister&)>> steps[] = {
        {"whole records replaced by full-width ones",
         every(3, 0, [](TaxpayerRecord& r, int i) { r = seeded(1000 + i, 255); })},
        {"every amount box grown one by one",
         every(4, 1, [](TaxpayerRecord& r, int i) {
             for (int box = TaxpayerRecord::kFirstP11Box; box <= TaxpayerRecord::kLastP11Box; ++box)
                 r.p11Box(box) = std::to_string(box * 1000003LL + i) + ",99";
             for (int box = TaxpayerRecord::kFirstP40Box; box <= TaxpayerRecord::kLastP40Box; ++box)
                 r.p40Box(box) = "-" + std::to_string(box * 7000001LL + i) + ",01";
         })},
        {"texts shortened, emptied and lengthened field by field",
         every(5, 2, [](TaxpayerRecord& r, int i) {
             r.us = "U";
             r.ulica.clear();
             r.gmina = r.gmina.view().substr(1);  // from its own bytes
             r.kraj = std::string(60, static_cast<char>('a' + i % 26));
             r.p11Box(TaxpayerRecord::kFirstP11Box) = "";
         })},
        {"the current record stored as the edit form stores it",
         [](TaxpayerRegister& reg) {
             reg.SelectByIndex(reg.count() / 3);
             *reg.current() = seeded(5000, 255);
         }},
        {"two records made duplicates of earlier ones and merged",
         [](TaxpayerRegister& reg) {
             for (const auto& [later, earlier] : {std::pair{40, 4}, std::pair{41, 5}}) {
                 TaxpayerRecord& r = reg.at(later);
                 r.nazwisko = reg.at(earlier).nazwisko;
                 r.imie1 = reg.at(earlier).imie1;
                 r.pesel = reg.at(earlier).pesel;
                 reg.at(earlier).us.clear();  // takes the later one's tax office
             }
             reg.SelectByIndex(41);  // the removed record was current
             reg.RemoveDuplicates();
         }},
        {"records deleted at the start, the middle and the end",
         [](TaxpayerRegister& reg) {
             reg.DeleteAt(0);
             reg.DeleteAt(reg.count() / 2);
             reg.DeleteAt(reg.count() - 1);
             reg.SelectByIndex(reg.count() / 4);
         }},
        {"sorted by first name, PESEL and surname",
         [](TaxpayerRegister& reg) {
             reg.Sort(TaxpayerSortKey::SortByImie);
             reg.Sort(TaxpayerSortKey::SortByPesel);
             reg.Sort(TaxpayerSortKey::SortByNazwisko);
         }},
        {"new records made in bulk after the edits",
         [](TaxpayerRegister& reg) {
             for (int i = 0; i < 50; ++i) {
                 const TaxpayerRecord source = seeded(7000 + i, 40);
                 reg.AddFilled([&](TaxpayerRecord& r) { r = source; });
             }
         }},
    };

    const auto expectSame = [&](const char* when) {
        EXPECT_EQ(TaxpayerFileText(read), TaxpayerFileText(built)) << when;
        EXPECT_EQ(read.currentIndex(), built.currentIndex()) << when;
    };
    expectSame("read");
    for (int round = 0; round < 2; ++round) {
        for (const auto& [what, step] : steps) {
            step(built);
            step(read);
            expectSame(what);
        }
        // Reading its own file back replaces the register, and with it its arena.
        ASSERT_TRUE(LoadFromText(read, TaxpayerFileText(read)));
        built.Resort();
        built.SelectByIndex(0);
        read.SelectByIndex(0);
        expectSame("read back");
    }
}

#if defined(FISKON_ADDRESS_SANITIZER)
// The sanitizer still sees a removed record and a replaced text of a read register as gone.
TEST(TaxpayerRecordStorage, RemovedRecordsAndReplacedTextsOfAReadRegisterAreUnreadable) {
    TaxpayerRegister built;
    for (int i = 0; i < 3; ++i) built.Add(seeded(i, 40));
    TaxpayerRegister read;
    ASSERT_TRUE(LoadFromText(read, TaxpayerFileText(built)));
    const char* const replaced = read.at(0).us.view().data();
    read.at(0).us = std::string(40, 'x');
    EXPECT_TRUE(__asan_address_is_poisoned(replaced));
    EXPECT_FALSE(__asan_address_is_poisoned(read.at(0).us.view().data()));

    const TaxpayerRecord* const removed = &read.at(1);
    const char* const removedText = read.at(1).nazwisko.view().data();
    read.DeleteAt(1);
    EXPECT_TRUE(__asan_address_is_poisoned(removed));
    EXPECT_TRUE(__asan_address_is_poisoned(removedText));
}
#endif

}  // namespace
