#include "edit/AmountBoxRoles.h"
#include "edit/Pit40FromPit11.h"
#include "forms/FieldList.h"
#include "forms/FormLayout.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

// The pairs as a bookkeeper reads them off the two forms.
const std::map<int, std::vector<int>> kExpected = {
    {35, {34}}, {36, {35}}, {38, {37}},  // row 1: revenue, costs, advance
    {39, {38}}, {40, {39}},              // row 1a
    {41, {40}}, {43, {42}},              // row 2, day-work units
    {44, {43}}, {46, {45}},              // row 3, foreign pensions
    {47, {46}}, {49, {48}},              // row 4, persons in custody
    {50, {52, 56, 60, 64}}, {51, {53, 57, 61, 65}}, {53, {55, 59, 63, 67}},  // row 5 ← rows 6-9
    {54, {68}}, {55, {69}}, {57, {71}},  // row 6 ← row 10, copyright
    {58, {49, 72}}, {61, {51, 74}},      // row 7 ← rows 5 and 11
    {66, {75}}, {72, {76}},              // social and health insurance contributions
};

// Which column of a form's amount table holds `box`: 0..3, or -1 outside the table.
int ColumnOf(const FormLayout& layout, int box) {
    for (const AmountTableRow& row : layout.amountRows) {
        const int cells[] = {row.revenue, row.cost, row.income, row.advance};
        for (int column = 0; column < 4; ++column)
            if (cells[column] == box) return column;
    }
    return -1;
}

TEST(Pit40FromPit11Test, PairsAreTheBookkeepersOnes) {
    std::map<int, std::vector<int>> table;
    for (const Pit40Source& source : Pit40SourcesInPit11()) {
        EXPECT_TRUE(table.emplace(source.pit40Box, source.pit11Boxes).second) << source.pit40Box;
        EXPECT_LE(source.pit11Boxes.size(), 8u);  // what one sum adds up
        EXPECT_FALSE(Pit40BoxRole(source.pit40Box).readOnly) << "a computed box is not filled: " << source.pit40Box;
    }
    EXPECT_EQ(table, kExpected);
}

// Every edition the program knows: a pair stays in its column of the amount table (or, outside
// it, has the same caption on both forms), the PIT-40 box is one the user types, and every typed
// amount of the PIT-11/8B's table goes to the PIT-40 exactly once.
TEST(Pit40FromPit11Test, PairsMatchTheFormsOfEveryEdition) {
    for (int year = 0; year < static_cast<int>(std::size(kFormYears)); ++year) {
        EditionSymbols symbols;
        SetEditionSymbols(symbols, year);
        const FormLayout* pit11 = FindFormLayout(symbols.pit11);
        const FormLayout* pit40 = FindFormLayout(symbols.pit40);
        ASSERT_TRUE(pit11 && pit40) << kFormYears[year];
        std::multiset<int> used;
        for (const Pit40Source& source : Pit40SourcesInPit11()) {
            const FormBox* target = pit40->boxByNumber(source.pit40Box);
            ASSERT_TRUE(target) << source.pit40Box;
            EXPECT_FALSE(target->computed) << source.pit40Box;
            for (const int from : source.pit11Boxes) {
                used.insert(from);
                const FormBox* box = pit11->boxByNumber(from);
                ASSERT_TRUE(box) << from;
                EXPECT_FALSE(box->computed) << from;
                EXPECT_EQ(ColumnOf(*pit11, from), ColumnOf(*pit40, source.pit40Box)) << from << " → " << source.pit40Box;
                if (ColumnOf(*pit11, from) < 0) EXPECT_EQ(box->caption, target->caption) << from;
            }
        }
        for (const AmountTableRow& row : pit11->amountRows)
            for (const int box : {row.revenue, row.cost, row.advance})
                if (box != 0) EXPECT_EQ(used.count(box), 1u) << kFormYears[year] << " box " << box;
    }
}

class MapBoxes : public AmountBoxes {
public:
    explicit MapBoxes(std::map<int, std::string> texts) : texts_(std::move(texts)) {}
    std::string text(int box) const override {
        const auto found = texts_.find(box);
        return found == texts_.end() ? std::string() : found->second;
    }
    void setText(int box, const std::string& text) override { texts_[box] = text; }
    std::map<int, std::string> texts_;
};

TEST(Pit40FromPit11Test, SumsFillsAndReplacesOnlyWhenAsked) {
    const MapBoxes pit11({{34, "5000,00"}, {35, "111,25"}, {52, "10,10"}, {56, "0,20"}, {64, "7"},
                          {49, "3,00"}, {72, "4,50"}, {76, "88,00"}});
    MapBoxes pit40({{35, "5000,00"},  // already what the PIT-11/8B holds
                    {36, "99,00"},    // typed: would be replaced
                    {41, "12,00"},    // typed, its source empty: would be emptied
                    {72, " "}});      // a blank counts as empty
    const std::vector<Pit40Transfer> plan = PlanPit40FromPit11(pit11, pit40);
    std::map<int, std::pair<std::string, bool>> planned;
    for (const Pit40Transfer& t : plan) planned[t.box] = {t.text, t.replaces};
    const std::map<int, std::pair<std::string, bool>> expected = {
        {36, {"111,25", true}}, {41, {"", true}}, {50, {"17,30", false}}, {58, {"7,50", false}}, {72, {"88,00", false}},
    };
    EXPECT_EQ(planned, expected);

    MapBoxes kept = pit40;
    ApplyPit40FromPit11(plan, kept, false);
    EXPECT_EQ(kept.text(36), "99,00");
    EXPECT_EQ(kept.text(41), "12,00");
    EXPECT_EQ(kept.text(50), "17,30");
    ApplyPit40FromPit11(plan, pit40, true);
    EXPECT_EQ(pit40.text(36), "111,25");
    EXPECT_EQ(pit40.text(41), "");
    EXPECT_TRUE(PlanPit40FromPit11(pit11, pit40).empty());

    const MapBoxes unreadable({{34, "12 zł"}});
    EXPECT_THROW(PlanPit40FromPit11(unreadable, pit40), ConversionError);
}

}  // namespace
