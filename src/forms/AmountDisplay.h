#pragma once

#include <QString>

#include <optional>
#include <string>

// Amounts as the form shows them and as Fiskon keeps them. The form groups thousands with a space
// and shows two decimals ("48 000,00"), whole złoty without decimals ("4 670"); Fiskon keeps
// "48000,00" and "4670".

// Reads an amount as typed or shown: blanks (also no-break spaces) between digits are grouping, a
// single "." stands for the comma, an optional leading "-". No value for empty or unreadable text
// or an amount of 10^15 or more.
std::optional<double> ReadShownAmount(const QString& text);

// The shown form of an amount: rounded to grosze (or to whole złoty), thousands grouped.
QString ShowAmount(double value, bool wholeZloty);

// Fiskon's form of an amount: "48000,00", or "4670" for whole złoty.
QString FiskonAmount(double value, bool wholeZloty);
