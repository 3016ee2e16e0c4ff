#pragma once

#include "edit/AmountBoxRoles.h"

class QLineEdit;

// Computed amount boxes are sky blue, the tax due money green, typed boxes the usual white.
inline constexpr const char* kComputedColor = "#87CEEB";
inline constexpr const char* kTaxDueColor = "#C0DCC0";

// Gives an amount box the look and behaviour of its role: colour, read-only, Tab stop.
void StyleAmountBox(QLineEdit& box, const AmountBoxRole& role);
