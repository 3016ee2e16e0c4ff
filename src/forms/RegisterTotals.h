#pragma once

#include "forms/FieldList.h"
#include "forms/FormLayout.h"
#include "forms/RegisterCheck.h"
#include "store/PayerRecord.h"
#include "store/TaxpayerRegister.h"

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

// The payer's totals ("Zestawienie kwot"): for the chosen taxpayers and form, the sum of every
// amount box that any of their forms fills. Each taxpayer's boxes are those of the field list and
// of the form's calculation, as the printed form shows them, each taken to whole grosze (whole
// złoty where the form has them) and added as whole numbers, so that no drift can creep in however
// many taxpayers there are.

struct BoxTotal {
    int box = 0;          // the box's number on the form
    QString caption;      // "Przychód – wynagrodzenie ze stosunku pracy…"
    std::int64_t grosze = 0;
};

// A taxpayer whose amounts cannot be summed: an amount that is not one, or a calculation that
// cannot be done. Summing stops being meaningful then, so no totals are given.
struct TotalsProblem {
    int position = 0;  // from 1
    int box = 0;       // 0 when not known
    QString description;
};

struct RegisterTotals {
    QString formName;    // "PIT-11/8B"
    QByteArray symbol;   // the edition summed: "PIT118B_14"
    int taxpayers = 0;   // how many were summed
    std::vector<BoxTotal> boxes;  // the boxes filled on any of the forms, in box-number order
    std::vector<TotalsProblem> problems;  // when not empty the sums are not given
};

// Sums the forms of `request.indices` (positions from 0, ascending) for `request.choices.kind`
// in the edition of `request.yearIndex`. Runs on every core; the result does not depend on it.
RegisterTotals SumRegister(const TaxpayerRegister& taxpayers, const PayerRecord& payer,
                           const RegisterCheckRequest& request);

// How many of the chosen taxpayers' forms would show a finding of the register check: a taxpayer
// counts with a finding of its own, and every one counts when the payer's boxes or the dialog's
// choices have one (they stand on each form).
struct FindingCounts {
    int taxpayersWithFindings = 0;
    int sharedFindings = 0;  // findings about the payer or the choices, on every form
};
FindingCounts CountFindings(const TaxpayerRegister& taxpayers, const PayerRecord& payer,
                            const RegisterCheckRequest& request);

// Grosze as the data files write amounts ("288000,00"), or with the thousands grouped by a
// no-break space as the forms show them ("288 000,00").
QString GroszeText(std::int64_t grosze, bool grouped = false);

// The caption of a summed box: the amount table's column and row ("Przychód – wynagrodzenie ze
// stosunku pracy…"), otherwise the box's own caption. Never holds ";".
QString TotalCaption(const FormLayout& layout, int box);

// A problem as one sentence naming the taxpayer ("Podatnik nr 3 (NOWAK ANNA), poz. 34: ...").
QString TotalsProblemText(const TotalsProblem& problem, const TaxpayerRegister& taxpayers);

// The totals as a semicolon list in code page 1250 with CR LF: the payer, the form, the counts,
// then "Poz.;Opis;Suma" and a box a line with the sums as the data files write them.
std::string TotalsListText(const RegisterTotals& totals, const PayerRecord& payer, const FindingCounts* findings);
