#pragma once

#include "forms/FindingKind.h"
#include "forms/FormCalculation.h"
#include "forms/FormLayout.h"
#include "forms/FormTaxScale.h"
#include "forms/FormValues.h"

#include <QDate>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

// One finding of the check of a form: the box (index into the layout's boxes) and a Polish
// sentence that begins with the box's number ("Poz. 19: ...").
struct FormFinding {
    int box = -1;
    QString text;
    FindingKind kind = FindingKind::Required;
};

// The checks every form gets: NIP check digits, postal codes, the birth date, the period (valid
// dates, start not after end, within one year), the tax year, required boxes, amounts that are not
// amounts or are negative, coded choices, the title struck out against the amounts.
std::vector<FormFinding> ValidateForm(const FormLayout& layout, const FormValues& values);

// The arithmetic checks: every computed box compared with what the calculation gives from the
// typed boxes (`calculated`); a difference of a grosz or more is a finding.
std::vector<FormFinding> CrossCheckForm(const FormLayout& layout, const FormValues& values,
                                        const FormValues& calculated);

// Values the printed form cannot show whole: `fits` (the renderer's measure) tells whether a box's
// value fits its box. A value is never cut silently; one that does not fit is a finding.
std::vector<FormFinding> FitForm(const FormLayout& layout, const FormValues& values,
                                 const std::function<bool(int box, const QString& value)>& fits);
// Puts findings in the order of the form's boxes (FormBox::place), those without a box last; the
// findings of one box keep their order.
void SortFindingsByBox(const FormLayout& layout, std::vector<FormFinding>& findings);

// The whole check of a filled form as the forms program makes it: ValidateForm; with `calculate`
// or `arithmetic` the calculation by `scale` (the built-in one when none), a calculation that
// fails being a finding (and handed back in `failure`); with `arithmetic` also CrossCheckForm
// against the calculated values. The findings come in box order (SortFindingsByBox).
std::vector<FormFinding> CheckForm(const FormLayout& layout, const FormValues& values,
                                   const std::optional<FormTaxScale>& scale, bool calculate, bool arithmetic,
                                   std::optional<CalculationError>* failure = nullptr);

// A date as the form's date boxes take it, dd-mm-yyyy (blanks around it allowed); none for any
// other text or a day that does not exist.
std::optional<QDate> ReadFormDate(const QString& text);

// True for a NIP of ten digits (hyphens and blanks between them allowed) whose check digit fits.
bool IsValidNip(const QString& nip);

// What is wrong with a NIP by the rules of the form's check, which every other use of the number
// (a PDF locked with it) follows: not ten digits (hyphens and blanks between them allowed), all
// zeros (whose check digit would fit), or a check digit that does not fit.
enum class NipFault { None, NotTenDigits, Zeros, CheckDigit };
NipFault NipFaultOf(const QString& nip);
