#pragma once

#include <QString>

#include <stdexcept>

// The most taxpayers one register holds. An empty record costs about 300 bytes and a typical one
// with its addresses and a dozen amounts under 700, so a full register stays well inside the
// memory of a desktop machine; no employer issues forms to more people than this.
inline constexpr int kMaxTaxpayers = 1'000'000;

// The text the user sees when a file or database would take the register beyond `limit` records.
QString RecordLimitMessage(int limit);

// A file or database would take the register beyond its limit. Reading stopped at that point;
// the reader that throws it has left the register as it was before it began. message() is the
// Polish sentence for the user.
class RecordLimitError : public std::runtime_error {
public:
    explicit RecordLimitError(int limit)
        : std::runtime_error(RecordLimitMessage(limit).toStdString()), limit_(limit) {}
    QString message() const { return QString::fromUtf8(what()); }
    int limit() const { return limit_; }

private:
    int limit_;
};
