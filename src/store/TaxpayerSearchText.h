#pragma once

#include "store/TaxpayerRecord.h"

#include <QStringView>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TaxpayerRegister;

// Text as the search compares it, in code page 1250: lower case and without diacritics ("ŁÓDŹ" is
// "lodz"). `lossless` (when given) tells whether the code page could hold every character.
std::string FoldForSearch(QStringView text, bool* lossless = nullptr);

// The fields the search looks at, of every record of a register, folded and laid end to end: the
// surname, the first name and the PESEL in one text, the NIP without its dashes and blanks in
// another. Made once for the register as it is, it is searched at each keystroke without reading
// the records again.
class TaxpayerSearchText {
public:
    void build(const TaxpayerRegister& taxpayers);
    void append(const TaxpayerRecord& record);
    // Whether it was built from the register as it is now (its revision).
    bool follows(const TaxpayerRegister& taxpayers) const;

    // The positions of the records whose surname, first name or PESEL contains `names`, or whose
    // NIP contains `nip`, ascending into `positions` (emptied first). An empty text finds nobody.
    void find(std::string_view names, std::string_view nip, std::vector<int>& positions) const;

private:
    void mark(const std::string& text, const std::vector<std::uint32_t>& starts, std::string_view needle) const;

    std::string names_;
    std::vector<std::uint32_t> nameStarts_;
    std::string nips_;
    std::vector<std::uint32_t> nipStarts_;
    const TaxpayerRegister* builtFrom_ = nullptr;
    std::uint64_t builtRevision_ = 0;
    // The records found by a search, one flag each; kept so that searching allocates nothing.
    mutable std::vector<unsigned char> found_;
};
