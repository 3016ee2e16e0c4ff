#pragma once

#include "store/OverlongAmount.h"
#include "store/TaxpayerRecord.h"

#include <optional>
#include <string_view>

// Reads the key lines of one record section (its body, without the header) into the record by
// the INI line rules: a line ends at CR or LF and is trimmed of blanks (bytes up to 0x20); empty
// lines, comments (";") and lines without "=" are passed over; a key is the trimmed text before
// the first "=", matched without case, its value the trimmed rest; of a repeated key the last
// value stays; unknown keys are ignored. Texts are cut to the field widths, numbers that are not
// integers read as 0 and only their low eight bits count. An amount whose (last) value is longer
// than a box holds is stored cut and handed back (the lowest such box, PIT-11/8B first; its value
// points into `body`): the caller refuses the file, since the cut amount is another number.
std::optional<OverlongAmount> ReadTaxpayerSection(std::string_view body, TaxpayerRecord& record);
