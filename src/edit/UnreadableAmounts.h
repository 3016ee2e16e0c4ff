#pragma once

#include "store/TaxpayerRecord.h"

#include <QString>

#include <vector>

// An amount a record holds that cannot be read as one: its form ("PIT-11/8B", "PIT-40"), its box
// and why ("„12,3x” nie jest prawidłową wartością liczbową.").
struct UnreadableAmount {
    QString form;
    int box = 0;
    QString reason;
};

enum class AmountForms { Pit11, Pit40, Both };

// Every amount of the chosen forms that the calculations could not read, in box order.
std::vector<UnreadableAmount> UnreadableAmounts(const TaxpayerRecord& record, AmountForms forms = AmountForms::Both);
