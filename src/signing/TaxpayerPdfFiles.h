#pragma once

#include "formvel/TaxpayerPdfBatch.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <stdexcept>

class SigningKey;

// The chosen taxpayers' forms made into PDF as "Zapisz PDF dla każdego podatnika…", fiskon-cli pdf
// and the mail batch make them: every form computed and checked before the first file (a form the
// forms program refuses, or whose amounts cannot be calculated, stops the batch with nothing
// written), each taxpayer's file locked as the request asks, and signed with `key` when one is
// given.
struct TaxpayerPdfWriting {
    const SigningKey* key = nullptr;  // must outlive the call
    bool visibleSignature = false;
    QString onePdf;  // without a folder in the request: the one PDF of every form
    // The forms program's findings about document `index` (lines in code page 1250, CR LF); they do
    // not stop the batch. Optional.
    std::function<void(int index, const QByteArray& findings)> findings;
    // The number of documents done so far; what it throws stops the batch (the files already named
    // stay whole). Optional.
    std::function<void(int done)> progress;
};

// A form that cannot be made: TaxpayerPdfStopReason (Polish, UTF-8).
class TaxpayerPdfStopped : public std::runtime_error {
public:
    explicit TaxpayerPdfStopped(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromUtf8(what()); }
};

// Returns the number of files written (1 for the one PDF). Throws TaxpayerPdfStopped, FileError, SealingStopped, and what the
// callbacks throw.
int WriteTaxpayerPdfs(const TaxpayerPdfRequest& request, const TaxpayerPdfWriting& writing);
