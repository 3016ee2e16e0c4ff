#pragma once

#include "store/Workspace.h"

#include <QString>

#include <string>
#include <string_view>
#include <vector>

// Taxpayers' e-mail addresses from a list of "PESEL;adres" lines (see EmailList.h), matched by
// PESEL against the register. Nothing changes while the list is looked at: the window and
// fiskon-cli show the problems, and apply the changes only when all is well or the user accepts
// the rest.

struct EmailChange {
    int position = 0;     // of the taxpayer in the register
    std::string address;  // code page 1250, as the record keeps it
};

struct EmailImportProblem {
    int line = 0;  // the first line it names, for the order of the list
    QString text;  // a Polish sentence naming its line or lines: "Wiersz 4: …"
};

struct EmailImportPlan {
    std::vector<EmailChange> changes;            // in the order of the list
    std::vector<EmailImportProblem> problems;    // by line
    int unchanged = 0;   // taxpayers whose address already was the one listed
    bool empty = true;   // the list held no line at all (but empty ones)
};

// What the list would change in the register. A line is a problem and changes nothing when it has
// no ";", no PESEL, an address that EmailAddressFault refuses (an empty one too), a PESEL that no
// taxpayer has, or one that several taxpayers have (no guess which is meant); lines giving one
// PESEL different addresses (letter case aside) are one problem naming them all, and none of them
// is applied.
EmailImportPlan PlanEmailImport(const TaxpayerRegister& taxpayers, std::string_view listBytes);

// The same for a list file. Throws FileError (naming the file) when it cannot be read.
EmailImportPlan PlanEmailImportFile(const TaxpayerRegister& taxpayers, const QString& fileName);

// Gives the taxpayers their new addresses and, when any changed, marks the register changed.
// Returns how many changed.
int ApplyEmailImport(Workspace& workspace, const EmailImportPlan& plan);

// "Zmieniono adresy e-mail: 3 podatników." and the like.
QString EmailImportSummary(int changed);

// The problems, one a line, for a message or the terminal.
QString EmailImportProblemList(const EmailImportPlan& plan);

inline const QString kEmptyEmailListMessage =
    QStringLiteral("Plik nie zawiera żadnego wiersza „PESEL;adres”. Nie zmieniono żadnego adresu e-mail.");
