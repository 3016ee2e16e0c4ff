#pragma once

#include "store/ChangeHistory.h"
#include "store/TaxpayerRegister.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

// A change of the register as a step of the history. Records are known by their addresses, which
// stay theirs while the step lives: removed records are held by the step until it is redone,
// added ones until it is undone.
//
// The order is kept as two lists: the records that left their place (removed, or moved: a sort
// after an edit) with their positions in the order before, and those that took a place (added, or
// moved) with their positions in the order after. Every other record kept its place relative to
// the others. Records altered in place swap their contents with the step's copy on undo and redo.
class RegisterChangeStep : public ChangeStep {
public:
    using Placed = std::pair<int, const TaxpayerRecord*>;
    struct Edit {
        TaxpayerRecord* record = nullptr;
        TaxpayerRecord other;  // its contents at the other end of the step
    };

    RegisterChangeStep(std::uint64_t lineage, std::shared_ptr<void> storage, std::vector<Placed> left,
                       std::vector<Placed> entered, std::vector<TaxpayerRegister::RecordPointer> held,
                       std::vector<Edit> edits);

    bool applies(const Workspace& workspace) const override;
    bool undo(Workspace& workspace) override;
    bool redo(Workspace& workspace) override;
    std::size_t bytes() const override;
    bool changesTaxpayers() const override { return true; }
    bool changesPayer() const override { return false; }

    // False once the register holds other records than the ones the step knows (or one of them
    // is not where the step left it): then it does nothing.
    bool appliesTo(const TaxpayerRegister& taxpayers) const;

private:
    // Takes `out` out of the register and puts `in` back at their positions.
    void exchange(TaxpayerRegister& taxpayers, const std::vector<Placed>& out, const std::vector<Placed>& in);
    void swapContents();

    std::uint64_t lineage_;
    std::shared_ptr<void> storage_;  // first in, last out: the records below need it
    std::vector<Placed> left_;
    std::vector<Placed> entered_;
    std::vector<TaxpayerRegister::RecordPointer> held_;
    std::vector<Edit> edits_;
    bool done_ = true;
};

// The two lists of a change of order from `before` to `after` (each record once in each): what
// left its place, with its position before, and what took one, with its position after; a record
// in both orders is in neither list unless it moved relative to the others. Both ascending.
std::pair<std::vector<RegisterChangeStep::Placed>, std::vector<RegisterChangeStep::Placed>> OrderChange(
    const std::vector<const TaxpayerRecord*>& before, const std::vector<const TaxpayerRecord*>& after);
