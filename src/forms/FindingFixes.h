#pragma once

#include "forms/FindingKind.h"
#include "forms/FormLayout.h"
#include "forms/RegisterCheck.h"
#include "store/TaxpayerRecord.h"
#include "store/Workspace.h"

#include <QString>
#include <QStringList>

#include <vector>

// The corrections the check's window makes at once for every taxpayer with a kind of finding,
// where the correction is mechanical. Each changes one record, for the form of `layout`, and says
// whether it changed anything.

enum class FindingFix { None, Capitals, Period, Recompute };

// The fix that mends findings of `kind`; None where only the user can.
FindingFix FixFor(FindingKind kind);

// The taxpayer's fields of the boxes the form fills in capital letters (the names and the
// address but the postal code) in capitals, by the edit form's rule (cp1250::toCapitals). The
// tax office, NIP, PESEL, e-mail address and everything else stay as they are.
bool WriteInCapitals(const FormLayout& layout, TaxpayerRecord& record);

// The PIT-11/8B period put within the form's year, which the check measures it by: a date that
// cannot be read, or lies outside the year, becomes the year's first day (the start) or its last
// (the end); two dates of the year in reverse order change places. A date not given (empty, or
// the blank mask) stays so. Nothing changes for a form without a period (PIT-40).
bool PutPeriodInFormYear(const FormLayout& layout, TaxpayerRecord& record);

// The computed boxes of both pages worked out again as `fiskon-cli recompute` and a page change
// of the edit form do (RecomputeRecord). An amount that cannot be read leaves the record as it
// was and throws ConversionError naming it.
bool RecomputeComputedBoxes(TaxpayerRecord& record);

bool ApplyFindingFix(FindingFix fix, const FormLayout& layout, TaxpayerRecord& record);

// The taxpayers (register positions from 0, ascending, each once) that `findings` name with a
// finding `fix` mends; the payer's and the choices' findings name none.
std::vector<int> TaxpayersToFix(FindingFix fix, const std::vector<const RegisterFinding*>& findings);

// What the user is asked before the fix, with the number of taxpayers ("Zamienić na wielkie
// litery imiona, nazwiska i adresy 62 675 podatników?"), and the name of the step, which the
// user can undo ("Poprawa wielkich liter").
QString FixQuestion(FindingFix fix, const FormLayout& layout, int taxpayers);
QString FixStepName(FindingFix fix);

struct FixOutcome {
    int changed = 0;     // records the fix changed
    QStringList refused;  // "Podatnik nr 5 (NOWAK ANNA): …", one for each record it could not fix
};

// Applies `fix` to the taxpayers at `positions` (from 0, ascending) as one step of the changes
// the user can undo. A record the fix cannot mend stays as it was and is named in `refused`.
FixOutcome FixTaxpayers(Workspace& workspace, FindingFix fix, const FormLayout& layout, const std::vector<int>& positions);
