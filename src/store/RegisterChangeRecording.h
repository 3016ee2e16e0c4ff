#pragma once

#include "store/TaxpayerRegister.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

struct Workspace;

// Records one change of the register as a step of the workspace's history, for a workspace that
// has one (otherwise it costs nothing). Made before the change, finished after it:
//
//     RegisterChangeRecording recording(workspace, QStringLiteral("Usunięcie rekordów"));
//     ...change the register...
//     recording.finish();
//
// The step holds only what changed: the records the change removed (the records themselves), the
// positions of those it added or moved, and a copy of each record it altered in place, taken
// before the change of the records it was told may be altered.
class RegisterChangeRecording {
public:
    struct EveryRecord {};
    // A change that alters no record in place (records deleted or added).
    RegisterChangeRecording(Workspace& workspace, QString text);
    // `inPlace`: positions of the records the change may alter in place; others outside the
    // register's range are ignored.
    RegisterChangeRecording(Workspace& workspace, QString text, const std::vector<int>& inPlace);
    // Every record may be altered in place (an import that merges duplicates, a list applied to
    // the register).
    RegisterChangeRecording(Workspace& workspace, QString text, EveryRecord);
    RegisterChangeRecording(const RegisterChangeRecording&) = delete;
    RegisterChangeRecording& operator=(const RegisterChangeRecording&) = delete;
    // Not finished (the change failed): no step; the records it removed go.
    ~RegisterChangeRecording();

    // The step goes to the history when the register differs from what it was. True then, and
    // always when nothing is recorded (no history: whether anything changed is not known).
    bool finish();

private:
    void begin(const std::vector<int>& positions);
    void stopWatching();

    Workspace& workspace_;
    QString text_;
    bool active_ = false;
    std::uint64_t lineage_ = 0;
    std::shared_ptr<void> storage_;
    std::vector<const TaxpayerRecord*> before_;
    std::vector<std::pair<TaxpayerRecord*, TaxpayerRecord>> copies_;
    std::vector<TaxpayerRegister::RecordPointer> removed_;
};
