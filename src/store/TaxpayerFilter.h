#pragma once

#include "store/TaxpayerRecord.h"
#include "store/TaxpayerSearchText.h"

#include <QStringView>

#include <string>
#include <vector>

// What the main window's search line finds: the taxpayers whose surname, first name, PESEL or NIP
// contains the typed text. Letters match without regard to case or Polish (and other) diacritics,
// so "lodz" and "ŁÓDŹ" meet; the NIP is compared with its dashes and blanks left out on both sides,
// so "1234567890" finds "123-456-78-90" and "123-45" finds "1234567890". Blanks at the text's ends
// do not count; a text of nothing but blanks finds everybody. A character that code page 1250 can
// hold in no form finds nobody.
//
// The text is folded once, when the filter is made; a search reads the register's search text
// (TaxpayerSearchText), never the records, and allocates nothing once its vectors have grown.
class TaxpayerFilter {
public:
    TaxpayerFilter() = default;
    explicit TaxpayerFilter(QStringView text);

    // True when the filter lets every record through.
    bool empty() const { return !impossible_ && folded_.empty(); }
    bool matches(const TaxpayerRecord& record) const;
    // The positions of the records that match, ascending, into `positions` (emptied first).
    void collect(const TaxpayerSearchText& text, std::vector<int>& positions) const;

private:
    std::string folded_;     // the text folded as the names are
    std::string nipDigits_;  // the same without dashes and blanks; empty: matches no NIP
    bool impossible_ = false;
};
