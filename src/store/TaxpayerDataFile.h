#pragma once

#include "store/TaxpayerRegister.h"

#include <QString>

#include <string>

class IniDocument;

// The taxpayer data file: sections "s1".."sN" and "Parametry", code page 1250, CRLF.

// Writes the whole register (through a temporary file renamed over the target, so a failure
// leaves the earlier file intact). Throws FileError.
void SaveToFile(const TaxpayerRegister& taxpayers, const QString& fileName);

// Empties the register, then fills it from the file and re-sorts it by its own sort key.
// Returns false when the load failed (unreadable file, a record count that is not an integer);
// the register then keeps what was read before the failure. Success with no usable records
// leaves the register empty; the caller reports both as a file without usable data.
bool LoadFromFile(TaxpayerRegister& taxpayers, const QString& fileName);
// The same; on failure `failure` (when given) receives a Polish sentence saying why.
bool LoadFromFile(TaxpayerRegister& taxpayers, const QString& fileName, QString* failure);
// The same from a document already read (the file's text, decoded to code page 1250).
bool LoadFromDocument(TaxpayerRegister& taxpayers, const IniDocument& document, QString* failure = nullptr);

// The text SaveToFile writes for the register: sections "s1".."sN" in register order, then
// "Parametry", CRLF line ends, code page 1250.
std::string TaxpayerFileText(const TaxpayerRegister& taxpayers);
