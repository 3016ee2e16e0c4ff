#pragma once

#include "store/TaxpayerRegister.h"

#include <QString>

#include <string>
#include <vector>

// The register as delimited text, in the one format the delimited import reads: a line per
// taxpayer in register order, 108 values each followed by the separator (surname, first name,
// PESEL, NIP, birth date, tax office, the address, the five form flags as numbers, the 45
// PIT-11/8B and the 42 PIT-40 amounts), code page 1250, CR LF. Values are written as they are kept;
// one beginning with "=", "+", "-" or "@" too, so that the import gives it back unchanged. The
// format holds neither the PIT-11/8B period nor the Płatnik identifier.

// A value the format cannot hold: one containing the separator (the format has no quoting) or a
// line end.
struct DelimitedExportProblem {
    int position = 0;   // the taxpayer's, from 1
    QString field;      // "Nazwisko", "PIT-11/8B poz. 34"
    QString value;
};

// Every value of the register the format cannot hold with this separator, in register order.
std::vector<DelimitedExportProblem> FindDelimitedExportProblems(const TaxpayerRegister& taxpayers, char separator);

// The separators among tab, "|", ";" and "," that no value of the register holds, in that order.
std::vector<char> FreeSeparators(const TaxpayerRegister& taxpayers);

// The message for the problems: which taxpayers and fields (the first ten, then how many more),
// and another separator to choose when one is free.
QString DelimitedExportProblemsText(const std::vector<DelimitedExportProblem>& problems,
                                    const TaxpayerRegister& taxpayers, char separator);

// A separator the format cannot use (a line end, or none at all): why, in Polish; empty when fine.
QString SeparatorProblem(char separator);

// The text of the register; call only when FindDelimitedExportProblems found none.
std::string DelimitedExportText(const TaxpayerRegister& taxpayers, char separator);

// Checks, then writes the file through the safe writer. Throws FileError when writing fails (the
// earlier file stays) and DelimitedExportError, writing nothing, when a value cannot be held.
class DelimitedExportError : public std::runtime_error {
public:
    explicit DelimitedExportError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromUtf8(what()); }
};
void ExportDelimited(const TaxpayerRegister& taxpayers, const QString& fileName, char separator);

// How a separator is named to the user: "tabulator", "„;”".
QString SeparatorName(char separator);
