#pragma once

#include "store/FileStamp.h"
#include "store/TaxpayerRegister.h"

#include <QString>

#include <string>
#include <string_view>

class IniDocument;

// The taxpayer data file: sections "s1".."sN" and "Parametry", code page 1250, CRLF.

// Writes the whole register (through a temporary file renamed over the target, so a failure
// leaves the earlier file intact). Throws FileError. `written` (when given) receives the stamp of
// the bytes written.
void SaveToFile(const TaxpayerRegister& taxpayers, const QString& fileName, FileStamp* written = nullptr);

// Empties the register, then fills it from the file and re-sorts it by its own sort key.
// Returns false when the load failed (unreadable file, a record count that is not an integer,
// more records than the register's limit, an amount of a taxpayer longer than its box holds);
// the register then stays as it was before. Success
// with no usable records leaves the register empty; the caller reports both as a file without
// usable data.
bool LoadFromFile(TaxpayerRegister& taxpayers, const QString& fileName);
// The same; on failure `failure` (when given) receives a Polish sentence saying why.
bool LoadFromFile(TaxpayerRegister& taxpayers, const QString& fileName, QString* failure);
// Why a load failed: the file itself was refused (it cannot be read, is not a regular file, is too
// large, or holds more records than the register may), its record count is not a number, or an
// amount of a taxpayer is longer than its box holds (cut, it would be another number).
enum class LoadFailure { None, FileRefused, BadRecordCount, OverlongAmount };
// The same; `kind` (when given) receives which of the two failures it was.
bool LoadFromFile(TaxpayerRegister& taxpayers, const QString& fileName, QString* failure, LoadFailure* kind);
// The same; `read` (when given) receives the stamp of the bytes read (left as it is when there was
// no file or it could not be read).
bool LoadFromFile(TaxpayerRegister& taxpayers, const QString& fileName, QString* failure, LoadFailure* kind,
                  FileStamp* read);
// The same from the file's text, already decoded to code page 1250.
bool LoadFromText(TaxpayerRegister& taxpayers, std::string_view text, QString* failure = nullptr);
// The same, keeping the records in the order of their sections: the register takes the sort key
// it had but is not re-sorted (a text the program wrote of a register, brought back as it was).
bool LoadFromTextInWrittenOrder(TaxpayerRegister& taxpayers, std::string_view text, QString* failure = nullptr);
// The same from a parsed document. Gives the same register and result as LoadFromText on the
// document's text (it is the straightforward form of the reader, kept to check the fast one
// against); a failure leaves it empty.
bool LoadFromDocument(TaxpayerRegister& taxpayers, const IniDocument& document, QString* failure = nullptr);

// The text SaveToFile writes for the register: sections "s1".."sN" in register order, then
// "Parametry", CRLF line ends, code page 1250.
std::string TaxpayerFileText(const TaxpayerRegister& taxpayers);
