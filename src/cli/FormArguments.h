#pragma once

#include "forms/FieldList.h"
#include "forms/RegisterCheck.h"
#include "store/TaxpayerRegister.h"
#include "store/Workspace.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <set>
#include <vector>

class QTextStream;

// What the form commands (fields, pdf) are asked for: the register and payer files and the
// choices of the show-form dialog, defaulting to the dialog's initial ones.
struct FormRequest {
    QStringList files;  // the positional arguments, IN first
    QString payerFile;
    TaxpayerSortKey sortKey = TaxpayerSortKey::SortByNazwisko;
    int yearIndex = kDefaultFormYearIndex;  // --edition 2005|2006
    FieldListChoices choices;               // --form, --strike, --tax-year, --first-name, --surname
    std::optional<QString> recordOption;    // --record N
    std::optional<QString> recordsOption;   // --records all|LIST (pdf)
    std::optional<QString> eachDirectory;   // --each DIR (pdf)
    std::optional<QString> jobsOption;      // --jobs N (pdf)
    std::optional<QString> passwordOption;  // --password pesel|nip (pdf)
    std::optional<QString> passwordFile;    // --password-file FILE (pdf)
    std::optional<QString> signNickname;    // --sign NICKNAME (pdf)
    std::optional<QString> nssDatabase;     // --nss-db DIR (pdf)
    std::optional<QString> pinFile;         // --pin-file FILE (pdf)
    bool visibleSignature = false;          // --visible-signature (pdf)
};

// Parses the form options and the positional files; the option names beyond the common ones
// (without dashes) are given by the command. Throws UsageError for a malformed command line.
FormRequest ParseFormRequest(const QStringList& arguments, const std::set<QString>& extraOptions,
                             const std::set<QString>& extraFlags = {});

// The number of threads of --jobs: a positive number (at most 256); without the option the number
// of the machine's cores. Throws UsageError for anything else.
int ParseJobCount(const std::optional<QString>& text);

// Opens the register as Open does (the sort key set first) and loads the payer as the payer
// form's Load does (no file: an empty payer). False, with the reason printed, when the register
// gives nothing usable or the payer file does not exist; a payer file that cannot be read throws
// as the payer form reports it.
bool OpenFormWorkspace(Workspace& workspace, const FormRequest& request, QTextStream& err);

// Positions (from 1) of "all" or a list like "1,3-5" within a register of `count` records, in
// ascending order without repeats. Throws UsageError for malformed text; std::nullopt, with the
// message printed, for a position outside the register.
std::optional<std::vector<int>> ChosenRecords(const QString& text, int count, QTextStream& err);

// The commands over the forms of many taxpayers (check, summary): IN, the options of fields and
// --records all|LIST (or --record N, not both). Opens the register and payer into `workspace` and
// gives the request for the chosen taxpayers. Throws UsageError naming `command`; nothing, with
// the reason printed, when the data cannot be read or a position lies outside the register.
std::optional<RegisterCheckRequest> OpenChosenForms(const QStringList& arguments, const QString& command,
                                                    Workspace& workspace, QTextStream& err);
