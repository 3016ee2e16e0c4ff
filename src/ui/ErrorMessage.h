#pragma once

#include "ui/UserInterface.h"

#include <exception>

// The program's standard error box for a failure that ends an operation (a file that cannot be
// written, a text that is not a number): title "Fiskon", error icon, the failure's own sentence.
void ShowErrorMessage(UserInterface& ui, const std::exception& error);
