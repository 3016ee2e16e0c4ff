#pragma once

#include "formvel/FormPdfBatch.h"
#include "forms/FieldList.h"
#include "forms/PdfPasswords.h"
#include "store/PayerRecord.h"
#include "store/TaxpayerRegister.h"

#include <QString>
#include <QStringList>

#include <vector>

// The chosen taxpayers' forms as a PDF batch, as "Zapisz PDF dla każdego podatnika…" and
// fiskon-cli pdf make it: the field lists built as the print dialog builds them (formatted and
// calculated), and for files of their own each file's name in one folder and its password.
struct TaxpayerPdfRequest {
    const TaxpayerRegister* taxpayers = nullptr;
    const PayerRecord* payer = nullptr;
    std::vector<int> positions;  // from 1, ascending
    FieldListChoices choices;
    EditionSymbols symbols;
    int yearIndex = kDefaultFormYearIndex;  // the form year the symbols are of
    QString folder;  // files of their own go here; empty: one PDF
    PdfProtection protection = PdfProtection::None;
    QByteArray onePassword;  // UTF-8, for PdfProtection::OnePassword; lives only as long as the batch
    int jobs = 1;
};

// The paths of the files of their own, in the order of the positions; each named as
// TaxpayerPdfFileNames names it.
QStringList TaxpayerPdfPaths(const TaxpayerPdfRequest& request);

// "rekord nr 2 NOWAK ANNA: brak numeru PESEL" for every chosen taxpayer whose file could not be
// locked as asked; empty when every one can (or nothing is to be locked).
QStringList TaxpayersWithoutSecret(const TaxpayerPdfRequest& request);

// "2 NOWAK ANNA": the record number and the name, as messages name a taxpayer.
QString TaxpayerLabel(const TaxpayerPdfRequest& request, int index);

// Why a document stops the batch (a field list the forms program refused, amounts that cannot
// be calculated): "Rekord nr 37: … Nie zapisano żadnego pliku PDF."; empty when it does not.
QString TaxpayerPdfStopReason(const TaxpayerPdfRequest& request, int index, const FormPdfOutcome& outcome);

// What a signature on the batch's files gives as its reason: "PIT-11/8B za rok 2006", "PIT-40 za
// rok 2006" (PIT-40: the tax year typed, else the form year).
QString TaxpayerPdfSignatureReason(const TaxpayerPdfRequest& request);

// The batch with its sources set; `checked` and `progress` are the caller's. The request must
// outlive the batch.
FormPdfBatch MakeTaxpayerPdfBatch(const TaxpayerPdfRequest& request);
