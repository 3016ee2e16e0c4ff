#include "store/PayerChangeRecording.h"

#include "store/ChangeHistory.h"
#include "store/Workspace.h"

#include <memory>
#include <utility>

namespace {

// The payer's contents at the other end of the step, swapped in on undo and redo.
class PayerChangeStep : public ChangeStep {
public:
    explicit PayerChangeStep(PayerRecord other) : other_(std::move(other)) {}
    bool applies(const Workspace&) const override { return true; }
    bool undo(Workspace& workspace) override { return exchange(workspace); }
    bool redo(Workspace& workspace) override { return exchange(workspace); }
    std::size_t bytes() const override { return sizeof(*this); }
    bool changesTaxpayers() const override { return false; }
    bool changesPayer() const override { return true; }

private:
    bool exchange(Workspace& workspace) {
        std::swap(workspace.payer, other_);
        return true;
    }
    PayerRecord other_;
};

}  // namespace

PayerChangeRecording::PayerChangeRecording(Workspace& workspace, QString text)
    : workspace_(workspace), text_(std::move(text)), before_(workspace.payer) {}

bool PayerChangeRecording::finish() {
    if (workspace_.payer == before_) return false;
    if (workspace_.history) {
        auto step = std::make_unique<PayerChangeStep>(std::move(before_));
        step->text = text_;
        workspace_.history->push(std::move(step));
    }
    return true;
}
