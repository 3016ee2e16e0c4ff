#include "store/RegisterChangeStep.h"

#include "store/Workspace.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace {

using Placed = RegisterChangeStep::Placed;

// Which of `values` (distinct) form a longest increasing subsequence.
std::vector<bool> LongestIncreasing(const std::vector<int>& values) {
    std::vector<int> tails;        // index into values of the smallest tail of each length
    std::vector<int> previous(values.size(), -1);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const auto at = std::lower_bound(tails.begin(), tails.end(), values[i],
                                         [&](int tail, int value) { return values[static_cast<std::size_t>(tail)] < value; });
        if (at != tails.begin()) previous[i] = *(at - 1);
        if (at == tails.end()) tails.push_back(static_cast<int>(i));
        else *at = static_cast<int>(i);
    }
    std::vector<bool> kept(values.size(), false);
    for (int i = tails.empty() ? -1 : tails.back(); i >= 0; i = previous[static_cast<std::size_t>(i)])
        kept[static_cast<std::size_t>(i)] = true;
    return kept;
}

bool byPosition(const Placed& a, const Placed& b) { return a.first < b.first; }

}  // namespace

std::pair<std::vector<Placed>, std::vector<Placed>> OrderChange(const std::vector<const TaxpayerRecord*>& before,
                                                                const std::vector<const TaxpayerRecord*>& after) {
    std::vector<Placed> left;
    std::vector<Placed> entered;
    const std::size_t shorter = std::min(before.size(), after.size());
    std::size_t prefix = 0;
    while (prefix < shorter && before[prefix] == after[prefix]) ++prefix;
    std::size_t suffix = 0;
    while (suffix < shorter - prefix && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) ++suffix;
    const std::size_t beforeEnd = before.size() - suffix;
    const std::size_t afterEnd = after.size() - suffix;

    std::unordered_map<const TaxpayerRecord*, int> afterPosition;
    afterPosition.reserve(afterEnd - prefix);
    for (std::size_t j = prefix; j < afterEnd; ++j) afterPosition.emplace(after[j], static_cast<int>(j));
    std::unordered_set<const TaxpayerRecord*> beforeSet;
    beforeSet.reserve(beforeEnd - prefix);

    std::vector<Placed> stayed;  // position before, record; in the order before
    std::vector<int> stayedAfter;
    for (std::size_t i = prefix; i < beforeEnd; ++i) {
        beforeSet.insert(before[i]);
        const auto found = afterPosition.find(before[i]);
        if (found == afterPosition.end()) {
            left.emplace_back(static_cast<int>(i), before[i]);
        } else {
            stayed.emplace_back(static_cast<int>(i), before[i]);
            stayedAfter.push_back(found->second);
        }
    }
    for (std::size_t j = prefix; j < afterEnd; ++j)
        if (!beforeSet.count(after[j])) entered.emplace_back(static_cast<int>(j), after[j]);

    const std::vector<bool> kept = LongestIncreasing(stayedAfter);
    for (std::size_t k = 0; k < stayed.size(); ++k) {
        if (kept[k]) continue;
        left.push_back(stayed[k]);
        entered.emplace_back(stayedAfter[k], stayed[k].second);
    }
    std::sort(left.begin(), left.end(), byPosition);
    std::sort(entered.begin(), entered.end(), byPosition);
    return {std::move(left), std::move(entered)};
}

RegisterChangeStep::RegisterChangeStep(std::uint64_t lineage, std::shared_ptr<void> storage, std::vector<Placed> left,
                                       std::vector<Placed> entered, std::vector<TaxpayerRegister::RecordPointer> held,
                                       std::vector<Edit> edits)
    : lineage_(lineage),
      storage_(std::move(storage)),
      left_(std::move(left)),
      entered_(std::move(entered)),
      held_(std::move(held)),
      edits_(std::move(edits)) {}

bool RegisterChangeStep::appliesTo(const TaxpayerRegister& taxpayers) const {
    if (taxpayers.lineage() != lineage_) return false;
    const std::vector<Placed>& out = done_ ? entered_ : left_;
    if (out.empty()) return true;
    const auto positions = taxpayers.PositionsByRecord();
    return std::all_of(out.begin(), out.end(), [&](const Placed& placed) { return positions.count(placed.second) > 0; });
}

bool RegisterChangeStep::applies(const Workspace& workspace) const { return appliesTo(workspace.taxpayers); }

void RegisterChangeStep::exchange(TaxpayerRegister& taxpayers, const std::vector<Placed>& out,
                                  const std::vector<Placed>& in) {
    if (out.empty() && in.empty()) return;
    std::vector<int> positions;
    positions.reserve(out.size());
    {
        const auto where = taxpayers.PositionsByRecord();
        for (const Placed& placed : out) positions.push_back(where.at(placed.second));
    }
    // A column sort since may have put them in another order: taken by where they are now.
    std::sort(positions.begin(), positions.end());
    std::vector<TaxpayerRegister::RecordPointer> taken = taxpayers.TakeAt(positions);

    std::unordered_map<const TaxpayerRecord*, TaxpayerRegister::RecordPointer> outside;
    outside.reserve(held_.size() + taken.size());
    for (auto& record : held_) {
        const TaxpayerRecord* const address = record.get();
        outside.emplace(address, std::move(record));
    }
    for (auto& record : taken) {
        const TaxpayerRecord* const address = record.get();
        outside.emplace(address, std::move(record));
    }
    held_.clear();

    std::vector<std::pair<int, TaxpayerRegister::RecordPointer>> putBack;
    putBack.reserve(in.size());
    for (const Placed& placed : in) {
        auto found = outside.find(placed.second);
        if (found == outside.end()) continue;  // cannot be: every record it placed is held
        putBack.emplace_back(placed.first, std::move(found->second));
        outside.erase(found);
    }
    taxpayers.PutAt(std::move(putBack));
    for (auto& [address, record] : outside) held_.push_back(std::move(record));
}

void RegisterChangeStep::swapContents() {
    for (Edit& edit : edits_) std::swap(*edit.record, edit.other);
}

bool RegisterChangeStep::undo(Workspace& workspace) {
    if (!done_ || !appliesTo(workspace.taxpayers)) return false;
    exchange(workspace.taxpayers, entered_, left_);
    swapContents();
    workspace.taxpayers.NoteRecordsChanged();
    done_ = false;
    return true;
}

bool RegisterChangeStep::redo(Workspace& workspace) {
    if (done_ || !appliesTo(workspace.taxpayers)) return false;
    swapContents();
    exchange(workspace.taxpayers, left_, entered_);
    workspace.taxpayers.NoteRecordsChanged();
    done_ = true;
    return true;
}

std::size_t RegisterChangeStep::bytes() const {
    std::size_t total = sizeof(*this) + (left_.capacity() + entered_.capacity()) * sizeof(Placed) +
                        held_.capacity() * sizeof(TaxpayerRegister::RecordPointer) + edits_.capacity() * sizeof(Edit);
    for (const auto& record : held_) total += sizeof(TaxpayerRecord) + record->heapBytes();
    for (const Edit& edit : edits_) total += edit.other.heapBytes();
    return total;
}
