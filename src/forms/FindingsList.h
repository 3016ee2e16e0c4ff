#pragma once

#include "forms/RegisterCheck.h"
#include "store/PayerRecord.h"
#include "store/TaxpayerRegister.h"

#include <QString>

#include <string>
#include <vector>

// The findings of the register check as a list to read, sort and save: one row per finding with
// the columns "Lp.", "Nazwisko", "Imię", "Poz.", "Opis".
struct FindingRow {
    RegisterFinding finding;
    QString surname;    // the taxpayer's; the payer's name for the payer's findings
    QString firstName;
    QString box;        // "19", "PESEL", or empty

    // The column's text, and the order of rows by a column (numbers as numbers).
    QString column(int index) const;
    static bool less(const FindingRow& a, const FindingRow& b, int column);
};

inline constexpr int kFindingColumns = 5;
QString FindingColumnTitle(int index);

FindingRow MakeFindingRow(RegisterFinding finding, const TaxpayerRegister& taxpayers, const PayerRecord& payer);
std::vector<FindingRow> MakeFindingRows(std::vector<RegisterFinding> findings, const TaxpayerRegister& taxpayers,
                                        const PayerRecord& payer);

// One field of the list as written: quoted when it holds ";", a double quote or a line end (a
// double quote doubled), with an apostrophe before a text a spreadsheet would take for a formula.
QString FindingsListField(const QString& value);

// The list as text in code page 1250 (what Polish spreadsheets open): the column titles, then a
// row a line, fields separated by ";", quoted when they hold ";", a quote or a line end; CR LF.
std::string FindingsListText(const std::vector<FindingRow>& rows);
