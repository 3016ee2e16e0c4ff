#include "forms/PeselNumber.h"

namespace {

bool AllDigits(std::string_view text) {
    for (char ch : text)
        if (ch < '0' || ch > '9') return false;
    return true;
}

int Digit(std::string_view text, std::size_t i) { return text[i] - '0'; }

}  // namespace

bool IsValidPesel(std::string_view pesel) {
    if (pesel.size() != 11 || !AllDigits(pesel)) return false;
    static const int weights[10] = {1, 3, 7, 9, 1, 3, 7, 9, 1, 3};
    int sum = 0;
    for (std::size_t i = 0; i < 10; ++i) sum += weights[i] * Digit(pesel, i);
    return (10 - sum % 10) % 10 == Digit(pesel, 10);
}

QDate PeselBirthDate(std::string_view pesel) {
    if (pesel.size() != 11 || !AllDigits(pesel)) return {};
    const int yy = Digit(pesel, 0) * 10 + Digit(pesel, 1);
    int mm = Digit(pesel, 2) * 10 + Digit(pesel, 3);
    const int dd = Digit(pesel, 4) * 10 + Digit(pesel, 5);
    static const int centuries[5] = {1900, 2000, 2100, 2200, 1800};  // months 1-12, 21-32, ... 81-92
    const int block = mm / 20;
    mm -= block * 20;
    return QDate(centuries[block] + yy, mm, dd);
}

PeselFault PeselFaultOf(std::string_view pesel) {
    if (PeselBirthDate(pesel).isNull()) return PeselFault::NoBirthDate;  // also not eleven digits
    if (!IsValidPesel(pesel)) return PeselFault::CheckDigit;
    return PeselFault::None;
}
