#pragma once

#include "forms/FieldList.h"
#include "forms/RegisterCheck.h"

#include <QString>

// Where the user mends what a finding of the register check is about: the control (by object
// name) of the taxpayer form, of the payer form or of the check's own choices.

enum class FindingWindow { None, Taxpayer, Payer, Choices };

struct FindingControl {
    FindingWindow window = FindingWindow::None;
    QString name;  // "eNIP", "e45", "f73", "eRok"
};

FindingControl ControlForFinding(FormKind kind, const RegisterFinding& finding);
