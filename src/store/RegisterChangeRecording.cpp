#include "store/RegisterChangeRecording.h"

#include "store/ChangeHistory.h"
#include "store/RegisterChangeStep.h"
#include "store/Workspace.h"

#include <algorithm>
#include <unordered_set>

RegisterChangeRecording::RegisterChangeRecording(Workspace& workspace, QString text, const std::vector<int>& inPlace)
    : workspace_(workspace), text_(std::move(text)) {
    begin(inPlace);
}

RegisterChangeRecording::RegisterChangeRecording(Workspace& workspace, QString text)
    : workspace_(workspace), text_(std::move(text)) {
    begin({});
}

RegisterChangeRecording::RegisterChangeRecording(Workspace& workspace, QString text, EveryRecord)
    : workspace_(workspace), text_(std::move(text)) {
    std::vector<int> all(static_cast<std::size_t>(workspace.taxpayers.count()));
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = static_cast<int>(i);
    begin(all);
}

void RegisterChangeRecording::begin(const std::vector<int>& positions) {
    if (!workspace_.history) return;
    TaxpayerRegister& taxpayers = workspace_.taxpayers;
    active_ = true;
    lineage_ = taxpayers.lineage();
    storage_ = taxpayers.StorageHold();
    before_ = taxpayers.RecordOrder();
    std::vector<int> sorted = positions;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    copies_.reserve(sorted.size());
    for (const int position : sorted) {
        if (position < 0 || position >= taxpayers.count()) continue;
        TaxpayerRecord& record = taxpayers.at(position);
        copies_.emplace_back(&record, record);
    }
    taxpayers.setRemovalSink(&removed_);
}

void RegisterChangeRecording::stopWatching() {
    if (active_) workspace_.taxpayers.setRemovalSink(nullptr);
    active_ = false;
}

RegisterChangeRecording::~RegisterChangeRecording() {
    stopWatching();
    removed_.clear();  // the records the change removed, before the storage they need goes
}

bool RegisterChangeRecording::finish() {
    if (!active_) return true;
    stopWatching();
    TaxpayerRegister& taxpayers = workspace_.taxpayers;
    if (taxpayers.lineage() != lineage_) {
        // The change gave the register other records: nothing recorded before applies to them.
        workspace_.history->clear();
        removed_.clear();
        return true;
    }
    const std::vector<const TaxpayerRecord*> after = taxpayers.RecordOrder();
    std::vector<RegisterChangeStep::Placed> left;
    std::vector<RegisterChangeStep::Placed> entered;
    if (after != before_) std::tie(left, entered) = OrderChange(before_, after);

    // What left the register for good is held by the step; what came and went within the change
    // goes now.
    std::vector<TaxpayerRegister::RecordPointer> held;
    {
        std::unordered_set<const TaxpayerRecord*> gone;
        gone.reserve(left.size());
        for (const auto& placed : left) gone.insert(placed.second);
        for (auto& record : removed_)
            if (gone.count(record.get())) held.push_back(std::move(record));
    }

    std::vector<RegisterChangeStep::Edit> edits;
    for (auto& [record, copy] : copies_)
        if (!(*record == copy)) edits.push_back({record, std::move(copy)});
    copies_.clear();

    const bool changed = !left.empty() || !entered.empty() || !edits.empty();
    if (changed) {
        auto step = std::make_unique<RegisterChangeStep>(lineage_, std::move(storage_), std::move(left),
                                                         std::move(entered), std::move(held), std::move(edits));
        step->text = text_;
        workspace_.history->push(std::move(step));
    }
    removed_.clear();
    return changed;
}
