#pragma once

#include "store/TaxpayerRecord.h"

#include <QString>

#include <stdexcept>
#include <string>
#include <string_view>

// An amount longer than its box holds (20 characters). A text longer than its field is cut, as
// the file formats want; an amount is not, since what would be left of it is another number
// ("12345678901234567890,99" would become "12345678901234567890"). Readers refuse the file.

// Which amount was too long, as it was read.
struct OverlongAmount {
    bool pit11 = true;  // a PIT-11/8B box ("p11_"), else a PIT-40 box ("p40_")
    int box = 0;        // the box number
    std::string_view value;

    // The record field's name, as the taxpayer data file writes its key: "p11_34", "p40_76".
    std::string key() const;
};

// The sentence the user sees: `taxpayer` says where the taxpayer stands ("Podatnik z sekcji
// [s3]"), then come the taxpayer's names, the key, the value (a long one shortened for the
// message) and its length, and at the end `outcome` (what the reader did about it).
QString OverlongAmountMessage(const QString& taxpayer, const TaxpayerRecord& record, const OverlongAmount& amount,
                              const QString& outcome);

// A reader met an amount too long for its box in a taxpayer it would have added; it has left the
// register as it was before it began. message() is the Polish sentence for the user.
class OverlongAmountError : public std::runtime_error {
public:
    explicit OverlongAmountError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromUtf8(what()); }
};
