#pragma once

#include "store/TaxpayerRegister.h"

#include <QString>

#include <string_view>

// Taxpayers from a text file of one taxpayer per line, every value followed by the separator:
// surname, first name, PESEL, NIP, birth date, tax office, the address (country to post office),
// the five form flags, the 45 PIT-11/8B amounts and the 42 PIT-40 amounts (108 values). Code page
// 1250, no quoting; lines end with CR LF, LF or CR.

inline const QString kNothingImportedMessage =
    QStringLiteral("Ze wskazanego pliku nie udało się niczego zaimportować");

// Takes the value before the first separator of `rest` and moves `rest` past it; when the rest
// holds no separator the value is empty and the rest stays as it is.
std::string_view TakeField(std::string_view& rest, char separator);

// Appends the file's taxpayers to the register, then re-sorts it and folds duplicates together.
// Returns true when at least one taxpayer was appended. A flag value that is not an integer from 0
// to 255 throws ConversionError: the taxpayers of the lines before it stay, unsorted. A file that
// cannot be read throws FileError, the register untouched. A file that would take the register
// beyond its limit throws RecordLimitError when the limit is reached, the register as before. An
// amount longer than its box holds (20 characters) in a taxpayer that would be appended throws
// OverlongAmountError naming the line, the taxpayer and the key, the register as before; texts
// longer than their fields are cut, as the format wants.
bool ImportDelimited(TaxpayerRegister& taxpayers, const QString& fileName, char separator);

// The same on text already in memory (what the file holds).
bool ImportDelimitedText(TaxpayerRegister& taxpayers, std::string_view text, char separator);
