#pragma once

#include <QDate>

#include <string_view>

// The PESEL number: eleven digits, the first six the birth date (yymmdd, the month raised by 80
// for the 1800s, 20 for the 2000s, 40 for the 2100s, 60 for the 2200s), the last a check digit.

// True for eleven digits whose check digit fits.
bool IsValidPesel(std::string_view pesel);

// The birth date the number holds; an invalid date when it holds none.
QDate PeselBirthDate(std::string_view pesel);

// What is wrong with a PESEL, by the rules of the register's check, which every other use of the
// number (a PDF locked with it) follows: not eleven digits with a possible birth date at the start
// (month 13, 30 February, a month outside every century's block), or a check digit that does not
// fit. The number is taken exactly as given, blanks included.
enum class PeselFault { None, NoBirthDate, CheckDigit };
PeselFault PeselFaultOf(std::string_view pesel);
