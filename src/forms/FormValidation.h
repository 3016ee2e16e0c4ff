#pragma once

#include "forms/FormLayout.h"
#include "forms/FormTaxScale.h"
#include "forms/FormValues.h"

#include <QString>

#include <optional>
#include <vector>

// One finding of the check of a form: the box (index into the layout's boxes) and a Polish
// sentence that begins with the box's number ("Poz. 19: ...").
struct FormFinding {
    int box = -1;
    QString text;
};

// The checks every form gets: NIP check digits, postal codes, the birth date, the period (valid
// dates, start not after end, within one year), the tax year, required boxes, amounts that are not
// amounts or are negative, coded choices.
std::vector<FormFinding> ValidateForm(const FormLayout& layout, const FormValues& values);

// The arithmetic checks: every computed box compared with what the calculation gives from the
// typed boxes (`calculated`); a difference of a grosz or more is a finding.
std::vector<FormFinding> CrossCheckForm(const FormLayout& layout, const FormValues& values,
                                        const FormValues& calculated);

// The whole check of a filled form as the forms program makes it: ValidateForm, and with
// `arithmetic` CrossCheckForm against the calculation by `scale` (the built-in one when none).
std::vector<FormFinding> CheckForm(const FormLayout& layout, const FormValues& values,
                                   const std::optional<FormTaxScale>& scale, bool arithmetic);

// True for a NIP of ten digits (hyphens and blanks between them allowed) whose check digit fits.
bool IsValidNip(const QString& nip);
