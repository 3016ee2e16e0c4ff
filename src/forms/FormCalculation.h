#pragma once

#include "forms/FormLayout.h"
#include "forms/FormTaxScale.h"
#include "forms/FormValues.h"

#include <QString>

#include <optional>

// Computes the boxes a form derives from the typed ones with Fiskon's own rules (row incomes, the
// PIT-40 totals, tax base, tax by the scale, due tax, to pay and overpaid), so that a record Fiskon
// computed comes out unchanged. Computed amounts are written in Fiskon's form ("4200,00").
//
// Returns false, and leaves `values` as they were, when a box the formulas read is not an amount
// (the validation names it).
bool CalculateForm(const FormLayout& layout, FormValues& values, const std::optional<FormTaxScale>& scale);
