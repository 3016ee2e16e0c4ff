#pragma once

#include "store/TaxpayerRegister.h"

#include <QString>

// The taxpayer data file: sections "s1".."sN" and "Parametry", code page 1250, CRLF.

// Writes the whole register (through a temporary file renamed over the target, so a failure
// leaves the earlier file intact). Throws FileError.
void SaveToFile(const TaxpayerRegister& taxpayers, const QString& fileName);

// Empties the register, then fills it from the file and re-sorts it by its own sort key.
// Returns false when the load failed (unreadable file, a record count that is not an integer);
// the register then keeps what was read before the failure. Success with no usable records
// leaves the register empty; the caller reports both as a file without usable data.
bool LoadFromFile(TaxpayerRegister& taxpayers, const QString& fileName);
