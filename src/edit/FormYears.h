#pragma once

// The form years the program makes forms for, in the order of the dialogs' "W formularzu za rok"
// list, and the one they start with. The edit form's date picker opens in that year.
inline constexpr const char* kFormYears[] = {"2005", "2006"};
inline constexpr int kDefaultFormYearIndex = 1;  // "2006"
