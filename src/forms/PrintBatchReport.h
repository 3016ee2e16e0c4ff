#pragma once

#include <QString>

// What the print dialog tells the user about a batch: its caption and, at the end of every batch,
// how many documents were printed and, when it did not finish, why it stopped.

// "Drukowanie 1 dokumentu..", "Drukowanie 5 dokumentów.." (the genitive after the gerund).
QString PrintBatchCaption(int documents);

struct PrintBatchEnd {
    enum class Reason {
        Finished,            // every document printed
        StoppedByUser,       // "Przerwij" or the dialog closed between two documents
        DialogNotConfirmed,  // the forms program's print dialog for the first document
        DocumentNotPrinted,  // the forms program did not print a later document
        Failed,              // an error of the form controller (message in `failure`)
    };
    Reason reason = Reason::Finished;
    int printed = 0;
    int total = 0;
    int stoppedAt = 0;    // the document (from 1) at which it stopped
    QString stoppedName;  // that document's taxpayer
    QString failure;

    bool isError() const { return reason == Reason::DocumentNotPrinted || reason == Reason::Failed; }
};

// "Wydrukowano N z M dokumentów." (with "z 1 dokumentu" for one), then, on a line of its own, the
// reason the batch stopped.
QString PrintBatchSummary(const PrintBatchEnd& end);
