#pragma once

#include "store/PayerRecord.h"

#include <QString>

struct Workspace;

// Records a change of the payer as a step of the workspace's history (when it has one): a copy
// of the payer before the change, kept when the change altered it.
class PayerChangeRecording {
public:
    PayerChangeRecording(Workspace& workspace, QString text);
    // True when the payer differs from what it was (and the step went to the history).
    bool finish();

private:
    Workspace& workspace_;
    QString text_;
    PayerRecord before_;
};
