#pragma once

#include "forms/FormLayout.h"
#include "forms/FormTaxScale.h"
#include "forms/FormValues.h"

#include <QString>

#include <optional>

// Why a calculation stopped: the box whose formula met an amount it cannot read or a result beyond
// the program's range (index into the layout's boxes, -1 when not known), and the conversion
// error's message.
struct CalculationError {
    int box = -1;
    QString message;
};

// Computes the boxes a form derives from the typed ones with Fiskon's own rules (row incomes, the
// PIT-40 totals, tax base, tax by the scale, due tax, to pay and overpaid), so that a record Fiskon
// computed comes out unchanged. Computed amounts are written in Fiskon's form ("4200,00").
//
// Returns false when a formula meets a box that is not an amount or a result beyond the program's
// range; as in the edit form, the boxes written before keep their new values and the rest their
// old ones, and `error` (when given) says where and why.
bool CalculateForm(const FormLayout& layout, FormValues& values, const std::optional<FormTaxScale>& scale,
                   CalculationError* error = nullptr);
