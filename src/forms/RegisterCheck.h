#pragma once

#include "forms/FieldList.h"
#include "forms/FindingKind.h"
#include "forms/FormLayout.h"
#include "store/PayerRecord.h"
#include "store/TaxpayerRegister.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

// The check of a whole register before printing: every chosen taxpayer's form gets the checks the
// forms program makes (FormValidation), and the register a few of its own (PESEL numbers, a NIP or
// PESEL that two taxpayers share). What does not depend on the taxpayer (the payer's boxes, the
// tax year and the person filling in) is checked and reported once.

struct RegisterFinding {
    int position = 0;   // the taxpayer's position in the register from 1; 0: the payer or the choices
    int box = 0;        // the box's number on the form; 0 for a finding without one
    QByteArray key;     // what the finding is about: a box ("p19", "pSKR.01") or "pesel"
    QString label;      // "Poz. 19", "PESEL", "Tytuł formularza"
    QString description;
    FindingKind kind = FindingKind::Required;

    QString text() const { return label + QStringLiteral(": ") + description; }
    // True for the payer's boxes (as opposed to the dialog's own choices) among position 0.
    bool aboutPayer = false;
};

struct RegisterCheckRequest {
    FieldListChoices choices;               // the form (kind must not be None) and the dialog's choices
    int yearIndex = kDefaultFormYearIndex;  // the form year ("W formularzu za rok")
    std::vector<int> indices;               // positions from 0 of the taxpayers to check, ascending
};

// The layout of the form and edition a request is for; nullptr for FormKind::None.
const FormLayout* RequestedFormLayout(const RegisterCheckRequest& request);

// Called now and then with the number of taxpayers checked so far and their total.
using CheckProgress = std::function<void(int done, int total)>;

// The findings: those made once first (position 0), then each taxpayer's in register order; the
// findings of each in the order of the form's boxes, those without a box (PESEL) last.
std::vector<RegisterFinding> CheckRegister(const TaxpayerRegister& taxpayers, const PayerRecord& payer,
                                           const RegisterCheckRequest& request,
                                           const CheckProgress& progress = {});
