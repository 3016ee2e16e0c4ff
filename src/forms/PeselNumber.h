#pragma once

#include <QDate>

#include <string_view>

// The PESEL number: eleven digits, the first six the birth date (yymmdd, the month raised by 80
// for the 1800s, 20 for the 2000s, 40 for the 2100s, 60 for the 2200s), the last a check digit.

// True for eleven digits whose check digit fits.
bool IsValidPesel(std::string_view pesel);

// The birth date the number holds; an invalid date when it holds none.
QDate PeselBirthDate(std::string_view pesel);
