#pragma once

#include "forms/FieldList.h"

// The form editions the show-form and print dialogs chose last (SymbolPIT11, SymbolPIT40): one
// pair for the whole program, empty until a dialog sets them from its form year.
EditionSymbols& CurrentEditionSymbols();
