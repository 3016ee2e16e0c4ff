// The steps of the undo history against the register as it was: random changes of every kind,
// each recorded, then undone to the first state and redone to the last, compared at every state.

#include "edit/TaxpayerStoring.h"
#include "store/ChangeGroup.h"
#include "store/ChangeHistory.h"
#include "store/PayerChangeRecording.h"
#include "store/RegisterChangeRecording.h"
#include "store/RegisterChangeStep.h"
#include "store/Workspace.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

class StepList : public ChangeHistory {
public:
    void push(std::unique_ptr<ChangeStep> step) override { steps.push_back(std::move(step)); }
    void clear() override {
        steps.clear();
        ++clears;
    }
    std::vector<std::unique_ptr<ChangeStep>> steps;
    int clears = 0;
};

// Every field its own value; `name` chooses the namesakes (the same surname and first name).
TaxpayerRecord taxpayer(int serial, int name) {
    TaxpayerRecord r;
    const std::string n = std::to_string(serial);
    r.id = serial;
    r.nazwisko = "NAZWISKO" + std::to_string(name);
    r.imie1 = "IMIE" + std::to_string(name % 7);
    r.pesel = std::to_string(80010100000LL + serial);
    r.nip = "NIP" + n;
    r.dataUr = "1980-01-" + std::to_string(10 + serial % 18);
    r.us = "URZAD SKARBOWY NR " + n;
    r.kraj = "POLSKA" + n;
    r.wojewodztwo = "WOJ" + n;
    r.powiat = "POWIAT" + n;
    r.gmina = "GMINA" + n;
    r.ulica = "ULICA DLUGA DLUGA DLUGA " + n;
    r.nrDomu = n;
    r.nrLok = "L" + n;
    r.miejsc = "MIASTO" + n;
    r.kodPoczt = "00-" + std::to_string(100 + serial % 800);
    r.poczta = "POCZTA" + n;
    r.p11Box(35) = std::to_string(1000 + serial) + ",00";
    r.p40Box(40) = std::to_string(2000 + serial) + ",11";
    r.pit11_od = "01-01-2025";
    r.email = "osoba" + n + "@example.org";
    return r;
}

std::vector<TaxpayerRecord> contents(const TaxpayerRegister& taxpayers) {
    std::vector<TaxpayerRecord> all;
    for (int i = 0; i < taxpayers.count(); ++i) all.push_back(taxpayers.at(i));
    return all;
}

bool sameRecords(const std::vector<TaxpayerRecord>& a, const std::vector<TaxpayerRecord>& b) { return a == b; }

// One random change of the register, recorded as the main window records it.
void randomChange(Workspace& workspace, std::mt19937& random, int& serial) {
    TaxpayerRegister& taxpayers = workspace.taxpayers;
    const auto pick = [&](int below) { return std::uniform_int_distribution<int>(0, below - 1)(random); };
    switch (pick(taxpayers.empty() ? 1 : 6)) {
    case 0: {  // an import: appended records, some of them namesakes of earlier ones, merged
        RegisterChangeRecording recording(workspace, QStringLiteral("Import"), RegisterChangeRecording::EveryRecord{});
        const int count = 1 + pick(6);
        for (int i = 0; i < count; ++i) {
            TaxpayerRecord record = taxpayer(++serial, pick(12));
            if (!taxpayers.empty() && pick(3) == 0) {  // the same person again, with an address of its own
                const TaxpayerRecord& earlier = taxpayers.at(pick(taxpayers.count()));
                record.nazwisko = earlier.nazwisko;
                record.imie1 = earlier.imie1;
                record.pesel = earlier.pesel;
            }
            taxpayers.Add(record);
        }
        taxpayers.RemoveDuplicates();
        recording.finish();
        break;
    }
    case 1: {  // deletion of a few rows, from the last to the first
        std::vector<int> rows;
        for (int i = 0; i < taxpayers.count(); ++i)
            if (pick(4) == 0) rows.push_back(i);
        RegisterChangeRecording recording(workspace, QStringLiteral("Usunięcie"));
        for (auto row = rows.rbegin(); row != rows.rend(); ++row) taxpayers.DeleteAt(*row);
        recording.finish();
        break;
    }
    case 2: {  // the edit form: a record changed, merged with namesakes, moved to its place
        taxpayers.SelectByIndex(pick(taxpayers.count()));
        TaxpayerRecord image = *taxpayers.current();
        image.nazwisko = "NAZWISKO" + std::to_string(pick(12));
        image.gmina = "GMINA ZMIENIONA " + std::to_string(++serial);
        RegisterChangeRecording recording(workspace, QStringLiteral("Edycja"), RegisterChangeRecording::EveryRecord{});
        StoreTaxpayer(taxpayers, image);
        recording.finish();
        break;
    }
    case 3: {  // a correction of many records at once
        std::vector<int> rows;
        for (int i = 0; i < taxpayers.count(); ++i)
            if (pick(2) == 0) rows.push_back(i);
        workspace.changeRecords(QStringLiteral("Poprawa"), rows, [&](TaxpayerRecord& record) {
            if (pick(3) == 0) return false;
            record.poczta = "POCZTA POPRAWIONA " + std::to_string(++serial);
            return true;
        });
        break;
    }
    case 4: {  // everything deleted
        RegisterChangeRecording recording(workspace, QStringLiteral("Usunięcie wszystkiego"));
        taxpayers.Clear();
        recording.finish();
        break;
    }
    default: {  // a new taxpayer typed in
        taxpayers.ClearCurrent();
        RegisterChangeRecording recording(workspace, QStringLiteral("Dodanie"), RegisterChangeRecording::EveryRecord{});
        StoreTaxpayer(taxpayers, taxpayer(++serial, pick(12)));
        recording.finish();
        break;
    }
    }
}

TEST(ChangeHistory, EveryStateComesBackByUndoAndRedo) {
    for (unsigned seed = 1; seed <= 12; ++seed) {
        std::mt19937 random(seed);
        Workspace workspace;
        StepList history;
        int serial = 0;
        for (int i = 0; i < 30; ++i) workspace.taxpayers.Add(taxpayer(++serial, i));
        workspace.history = &history;

        std::vector<std::vector<TaxpayerRecord>> states{contents(workspace.taxpayers)};
        for (int change = 0; change < 40; ++change) {
            const std::size_t steps = history.steps.size();
            randomChange(workspace, random, serial);
            const std::vector<TaxpayerRecord> now = contents(workspace.taxpayers);
            // A change that changed nothing is no step; one that did is exactly one.
            if (history.steps.size() == steps) {
                ASSERT_TRUE(sameRecords(now, states.back())) << "seed " << seed << " change " << change;
                continue;
            }
            ASSERT_EQ(history.steps.size(), steps + 1);
            states.push_back(now);
        }
        ASSERT_EQ(history.clears, 0);
        for (std::size_t k = history.steps.size(); k-- > 0;) {
            ASSERT_TRUE(history.steps[k]->applies(workspace));
            ASSERT_TRUE(history.steps[k]->undo(workspace));
            ASSERT_TRUE(sameRecords(contents(workspace.taxpayers), states[k])) << "seed " << seed << " undo " << k;
        }
        for (std::size_t k = 0; k < history.steps.size(); ++k) {
            ASSERT_TRUE(history.steps[k]->redo(workspace));
            ASSERT_TRUE(sameRecords(contents(workspace.taxpayers), states[k + 1])) << "seed " << seed << " redo " << k;
        }
    }
}

TEST(ChangeHistory, StepsHoldOnlyWhatChanged) {
    Workspace workspace;
    StepList history;
    constexpr int kCount = 5000;
    for (int i = 0; i < kCount; ++i) workspace.taxpayers.Add(taxpayer(i, i));
    workspace.taxpayers.Resort();
    workspace.history = &history;

    // An edit that moves the record from near the start to near the end of the order.
    workspace.taxpayers.SelectByIndex(3);
    TaxpayerRecord image = *workspace.taxpayers.current();
    image.nazwisko = "ZZZ";
    {
        RegisterChangeRecording recording(workspace, QStringLiteral("Edycja"), RegisterChangeRecording::EveryRecord{});
        StoreTaxpayer(workspace.taxpayers, image);
        recording.finish();
    }
    ASSERT_EQ(history.steps.size(), 1u);
    EXPECT_LT(history.steps[0]->bytes(), 4 * sizeof(TaxpayerRecord) + 1024);

    // Deleting one record holds that record only.
    {
        RegisterChangeRecording recording(workspace, QStringLiteral("Usunięcie"));
        workspace.taxpayers.DeleteAt(kCount / 2);
        recording.finish();
    }
    ASSERT_EQ(history.steps.size(), 2u);
    EXPECT_LT(history.steps[1]->bytes(), 4 * sizeof(TaxpayerRecord) + 1024);
}

// A column sort after a step is not a step: undoing still brings back the records and contents,
// each in a place of the sorted register.
TEST(ChangeHistory, UndoAfterAColumnSortRestoresTheRecords) {
    Workspace workspace;
    StepList history;
    for (int i = 0; i < 20; ++i) workspace.taxpayers.Add(taxpayer(i, 19 - i));
    workspace.history = &history;
    const std::vector<TaxpayerRecord> before = contents(workspace.taxpayers);
    {
        RegisterChangeRecording recording(workspace, QStringLiteral("Usunięcie"));
        workspace.taxpayers.DeleteAt(4);
        workspace.taxpayers.DeleteAt(2);
        recording.finish();
    }
    workspace.changeRecords(QStringLiteral("Poprawa"), {0, 1}, [](TaxpayerRecord& r) {
        r.miejsc = "INNE";
        return true;
    });
    workspace.taxpayers.Sort(TaxpayerSortKey::SortByPesel);
    ASSERT_TRUE(history.steps[1]->undo(workspace));
    ASSERT_TRUE(history.steps[0]->undo(workspace));
    std::vector<TaxpayerRecord> after = contents(workspace.taxpayers);
    const auto byId = [](const TaxpayerRecord& a, const TaxpayerRecord& b) { return a.id < b.id; };
    std::vector<TaxpayerRecord> expected = before;
    std::sort(after.begin(), after.end(), byId);
    std::sort(expected.begin(), expected.end(), byId);
    EXPECT_TRUE(sameRecords(after, expected));
}

// Records leaving the register outside any step (a file opened over it, a deletion nobody
// recorded) make the steps that know it by addresses inapplicable instead of touching others.
TEST(ChangeHistory, StepsOfReplacedRecordsNoLongerApply) {
    for (int way = 0; way < 3; ++way) {
        Workspace workspace;
        StepList history;
        for (int i = 0; i < 8; ++i) workspace.taxpayers.Add(taxpayer(i, i));
        workspace.history = &history;
        workspace.changeRecords(QStringLiteral("Poprawa"), {1, 5}, [](TaxpayerRecord& r) {
            r.ulica = "NOWA";
            return true;
        });
        ASSERT_EQ(history.steps.size(), 1u);
        if (way == 0) workspace.taxpayers.Clear();
        if (way == 1) workspace.taxpayers.DeleteAt(0);
        if (way == 2) {
            TaxpayerRegister other;
            other.Add(taxpayer(100, 1));
            workspace.taxpayers = std::move(other);
        }
        for (int i = 0; i < 8; ++i) workspace.taxpayers.Add(taxpayer(200 + i, i));  // addresses taken again
        EXPECT_FALSE(history.steps[0]->applies(workspace)) << way;
        const std::vector<TaxpayerRecord> now = contents(workspace.taxpayers);
        EXPECT_FALSE(history.steps[0]->undo(workspace));
        EXPECT_TRUE(sameRecords(contents(workspace.taxpayers), now));
    }
}

TEST(ChangeHistory, AnImportOfTaxpayersAndPayerIsOneStep) {
    Workspace workspace;
    StepList history;
    workspace.history = &history;
    workspace.taxpayers.Add(taxpayer(1, 1));
    workspace.payer.nazwa = "STARA FIRMA";
    {
        ChangeGroup group(workspace, QStringLiteral("Import danych"));
        RegisterChangeRecording taxpayers(workspace, QStringLiteral("Import danych"), RegisterChangeRecording::EveryRecord{});
        PayerChangeRecording payer(workspace, QStringLiteral("Import danych"));
        workspace.taxpayers.Add(taxpayer(2, 2));
        workspace.payer.nazwa = "NOWA FIRMA";
        taxpayers.finish();
        payer.finish();
    }
    ASSERT_EQ(history.steps.size(), 1u);
    EXPECT_EQ(history.steps[0]->text, QStringLiteral("Import danych"));
    EXPECT_TRUE(history.steps[0]->changesTaxpayers());
    EXPECT_TRUE(history.steps[0]->changesPayer());
    ASSERT_TRUE(history.steps[0]->undo(workspace));
    EXPECT_EQ(workspace.taxpayers.count(), 1);
    EXPECT_EQ(workspace.payer.nazwa, "STARA FIRMA");
    ASSERT_TRUE(history.steps[0]->redo(workspace));
    EXPECT_EQ(workspace.taxpayers.count(), 2);
    EXPECT_EQ(workspace.payer.nazwa, "NOWA FIRMA");
}

// The order change of two orders, against the orders it must take each to the other.
TEST(ChangeHistory, OrderChangeTakesEachOrderToTheOther) {
    std::vector<TaxpayerRecord> records(10);
    const auto order = [&](std::initializer_list<int> indices) {
        std::vector<const TaxpayerRecord*> o;
        for (const int i : indices) o.push_back(&records[static_cast<std::size_t>(i)]);
        return o;
    };
    const struct {
        std::vector<const TaxpayerRecord*> before, after;
        std::size_t left, entered;
    } cases[] = {
        {order({0, 1, 2, 3}), order({0, 1, 2, 3}), 0, 0},
        {order({0, 1, 2, 3}), order({0, 2, 3}), 1, 0},
        {order({0, 1, 2}), order({0, 1, 2, 4, 5}), 0, 2},
        {order({0, 1, 2, 3, 4}), order({1, 2, 3, 4, 0}), 1, 1},  // one moved to the end
        {order({0, 1, 2, 3}), order({3, 2, 1, 0}), 3, 3},
        {order({0, 1, 2, 3}), order({5, 1, 6, 3}), 2, 2},
        {order({}), order({1, 2}), 0, 2},
        {order({1, 2}), order({}), 2, 0},
    };
    for (const auto& c : cases) {
        const auto [left, entered] = OrderChange(c.before, c.after);
        EXPECT_EQ(left.size(), c.left);
        EXPECT_EQ(entered.size(), c.entered);
        // Taking out what entered and putting back what left gives the order before.
        std::vector<const TaxpayerRecord*> back = c.after;
        for (auto e = entered.rbegin(); e != entered.rend(); ++e) back.erase(back.begin() + e->first);
        for (const auto& [position, record] : left) back.insert(back.begin() + position, record);
        EXPECT_EQ(back, c.before);
    }
}

}  // namespace
