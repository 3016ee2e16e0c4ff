#include "edit/AmountCalculations.h"

namespace {

void CopyBox(AmountBoxes& boxes, int from, int to) { boxes.setText(to, boxes.text(from)); }

void SetDiff(AmountBoxes& boxes, int target, int revenue, int cost) {
    boxes.setText(target, AmountDiff(boxes.text(revenue), boxes.text(cost)));
}

}  // namespace

void RecomputePit11Page(AmountBoxes& e) {
    e.setText(36, RowIncome(e.text(34), e.text(35), e.text(38), e.text(39)));
    CopyBox(e, 40, 41);
    CopyBox(e, 43, 44);
    CopyBox(e, 46, 47);
    CopyBox(e, 49, 50);
    SetDiff(e, 54, 52, 53);
    SetDiff(e, 58, 56, 57);
    SetDiff(e, 62, 60, 61);
    SetDiff(e, 66, 64, 65);
    SetDiff(e, 70, 68, 69);
    CopyBox(e, 72, 73);
}

void RecomputePit40Page(AmountBoxes& f) {
    f.setText(37, RowIncome(f.text(35), f.text(36), f.text(39), f.text(40)));
    CopyBox(f, 41, 42);
    CopyBox(f, 44, 45);
    CopyBox(f, 47, 48);
    SetDiff(f, 52, 50, 51);
    SetDiff(f, 56, 54, 55);
    SetDiff(f, 60, 58, 59);
    // Totals of the "RAZEM" row; the second line of row 1 counts in revenue and costs.
    f.setText(62, AmountSum(f.text(35), f.text(39), f.text(41), f.text(44), f.text(47), f.text(50),
                            f.text(54), f.text(58)));
    f.setText(63, AmountSum(f.text(36), f.text(40), f.text(51), f.text(55), f.text(59)));
    f.setText(64, AmountSum(f.text(37), f.text(42), f.text(45), f.text(48), f.text(52), f.text(56),
                            f.text(60)));
    f.setText(65, AmountSum(f.text(38), f.text(43), f.text(46), f.text(49), f.text(53), f.text(57),
                            f.text(61)));
    f.setText(68, TaxBase(f.text(64), f.text(66), f.text(67)));
    f.setText(69, ComputeTax(f.text(68)));
    f.setText(71, AmountSum(f.text(69), f.text(70)));
    f.setText(74, DueTax(f.text(71), f.text(73)));
    SetDiff(f, 75, 74, 65);  // to pay
    SetDiff(f, 76, 65, 74);  // overpaid
}

void RecomputeOnPageChange(AmountBoxes& pit40, AmountBoxes& pit11) {
    RecomputePit40Page(pit40);
    RecomputePit11Page(pit11);
}

void RecomputeRecord(TaxpayerRecord& record) {
    Pit40RecordBoxes pit40(record);
    Pit11RecordBoxes pit11(record);
    RecomputeOnPageChange(pit40, pit11);
}
