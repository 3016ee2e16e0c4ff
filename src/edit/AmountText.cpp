#include "edit/AmountCalculations.h"
#include "edit/AmountParsing.h"

#include "store/Cp1250.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The powers of ten that a double holds exactly, as far as an amount's decimals go.
constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10,
                              1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18};
constexpr int kMaxPower = 18;

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

[[noreturn]] void throwUnreadable(std::string_view text) {
    throw ConversionError(QStringLiteral("„%1” nie jest prawidłową wartością liczbową.")
                              .arg(cp1250::toUnicode(text)));
}

// The limit as amount text, for the messages.
const QString kLimitText = QStringLiteral("10000000000000,00");

[[noreturn]] void throwTooLarge(double value) {
    QString shown = std::isfinite(value) ? QString::number(value, 'f', 2).replace(u'.', u',')
                                         : QStringLiteral("nieskończona");
    throw ConversionError(QStringLiteral("Kwota %1 jest zbyt duża: program obsługuje kwoty mniejsze niż %2.")
                              .arg(shown, kLimitText));
}

// An amount read from a text that is beyond the range is named as the text stands (a long one by
// its beginning), not as the nearest double would print.
[[noreturn]] void throwTooLargeText(std::string_view text) {
    constexpr std::size_t kShown = 40;
    const std::string_view body = trimBlanks(text);
    QString shown = cp1250::toUnicode(body.substr(0, kShown));
    if (body.size() > kShown) shown += u'…';
    throw ConversionError(QStringLiteral("Kwota %1 jest zbyt duża: program obsługuje kwoty mniejsze niż %2.")
                              .arg(shown, kLimitText));
}

ParsedAmount WithinRange(ParsedAmount amount, std::string_view text) {
    if (std::fabs(amount.value) >= kAmountLimit) throwTooLargeText(text);
    return amount;
}

// Appends the decimals every amount text carries: ",00" to a whole number, "0" to one decimal.
void completeDecimals(std::string& text) {
    const auto comma = text.find(',');
    if (comma == std::string::npos)
        text += ",00";
    else if (text.size() - comma - 1 == 1)
        text += '0';
}

}  // namespace

QString InvalidAmountTitle() { return QStringLiteral("Błąd"); }
QString InvalidAmountMessage() { return QStringLiteral("Wpisano nieprawidłową wartość liczbową!"); }
QString AmountTooLargeMessage() {
    return QStringLiteral("Wpisano zbyt dużą kwotę! Kwota musi być mniejsza niż %1.").arg(kLimitText);
}

ParsedAmount ParseAmount(std::string_view text) {
    // The common amount: an optional sign, whole digits, optionally a comma and decimals, at most
    // 15 significant digits in all. Its digits as a whole number and its power of ten are both
    // exact doubles, so their one correctly rounded quotient is the double nearest to the text,
    // as the general reading gives it.
    std::string_view body = trimBlanks(text);
    if (body.empty()) return {};  // an empty box, the most common of all
    bool negative = false;
    if (!body.empty() && (body.front() == '-' || body.front() == '+')) {
        negative = body.front() == '-';
        body.remove_prefix(1);
    }
    std::uint64_t digits = 0;
    int count = 0;
    int decimals = -1;  // no comma yet
    std::size_t i = 0;
    for (; i < body.size() && count <= 15; ++i) {
        const char c = body[i];
        if (isDigit(c)) {
            digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
            if (digits != 0) ++count;
            if (decimals >= 0) ++decimals;
        } else if (c == ',' && decimals < 0 && i > 0) {
            decimals = 0;
        } else {
            break;
        }
    }
    if (i == body.size() && i > 0 && count <= 15 && decimals != 0) {
        const int places = std::max(decimals, 0);
        if (places <= kMaxPower) {
            const double value = static_cast<double>(digits) / kPowers[places];
            return WithinRange({negative ? -value : value, places}, text);
        }
    }
    return ParseAmountGeneral(text);
}

ParsedAmount ParseAmountGeneral(std::string_view text) {
    std::string_view body = trimBlanks(text);
    if (body.empty()) return {};

    bool negative = false;
    if (body.front() == '-' || body.front() == '+') {
        negative = body.front() == '-';
        body.remove_prefix(1);
    }
    std::string plain;  // the number with "." for from_chars
    plain.reserve(body.size());
    bool comma = false;
    bool digit = false;
    bool significantWhole = false;
    int decimals = 0;
    for (char c : body) {
        if (isDigit(c)) {
            digit = true;
            if (comma)
                ++decimals;
            else if (c != '0')
                significantWhole = true;
            plain += c;
        } else if (c == ',' && !comma) {
            comma = true;
            plain += '.';
        } else {
            throwUnreadable(text);
        }
    }
    if (!digit) throwUnreadable(text);

    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value,
                                           std::chars_format::fixed);
    if (ec == std::errc::result_out_of_range) {
        // Either far too large for a double or a vanishingly small fraction.
        if (significantWhole) throwTooLargeText(text);
        value = 0.0;
    } else if (ec != std::errc() || ptr != plain.data() + plain.size() || !std::isfinite(value)) {
        throwUnreadable(text);
    }
    return WithinRange({negative ? -value : value, std::min(decimals, 18)}, text);
}

double SnapToDecimals(double value, int decimals) {
    const double scale = decimals >= 0 && decimals <= kMaxPower ? kPowers[decimals] : std::pow(10.0, decimals);
    const double scaled = value * scale;
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 9007199254740992.0) return value;
    return std::nearbyint(scaled) / scale;
}

double ReadAmount(std::string_view text) { return ParseAmount(text).value; }

std::string FormatAmount(double value) {
    // The common amount: whole grosze. When the magnitude is the double nearest to n/100 for a whole
    // n below 10^15, that decimal has at most 15 significant digits and is the one the general
    // writing finds (a double keeps 15 decimal digits), so n's digits with the comma before the
    // last two are the text.
    const double magnitude = std::fabs(value);
    if (magnitude < kAmountLimit && value != 0.0) {
        const double grosze = std::nearbyint(magnitude * 100.0);
        if (grosze / 100.0 == magnitude) {
            char buffer[24];
            char* p = buffer + sizeof buffer;
            auto n = static_cast<std::uint64_t>(grosze);
            *--p = static_cast<char>('0' + n % 10);
            *--p = static_cast<char>('0' + n / 10 % 10);
            *--p = ',';
            n /= 100;
            do {
                *--p = static_cast<char>('0' + n % 10);
                n /= 10;
            } while (n != 0);
            if (value < 0) *--p = '-';
            return std::string(p, buffer + sizeof buffer);
        }
    }
    return FormatAmountGeneral(value);
}

std::string FormatAmountGeneral(double value) {
    if (!std::isfinite(value)) throwTooLarge(value);
    if (value == 0.0) return "0,00";

    // 15 significant digits, correctly rounded, as d.dddddddddddddde±x.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", value);
    const bool negative = buffer[0] == '-';
    const char* p = buffer + (negative ? 1 : 0);
    std::string digits(1, *p);
    for (p += 2; *p != 'e'; ++p) digits += *p;
    const int exponent = std::atoi(p + 1);
    // 10^13 and more would need more than 15 digits to keep the grosze.
    if (exponent >= kAmountLimitExponent) throwTooLarge(value);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string whole;
    std::string fraction;
    if (exponent >= 0) {
        const auto wholeDigits = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= wholeDigits) {
            whole = digits + std::string(wholeDigits - digits.size(), '0');
        } else {
            whole = digits.substr(0, wholeDigits);
            fraction = digits.substr(wholeDigits);
        }
    } else {
        whole = "0";
        fraction = std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    }
    std::string text = negative ? "-" + whole : whole;
    if (!fraction.empty()) text += "," + fraction;
    completeDecimals(text);
    return text;
}

double RoundToCents(double value) { return std::nearbyint(value / 0.01) * 0.01; }

double RoundToWhole(double value) {
    // Decided on whole grosze, so that a computed 37000,4999999 counts as the 50 groszy it stands for.
    const double grosze = std::nearbyint(value / 0.01);
    return std::copysign(std::floor((std::fabs(grosze) + 50.0) / 100.0), value);
}

NormalizedAmount NormalizeAmount(std::string_view typed) {
    if (typed.empty()) return {};

    std::string cleaned;
    int commas = 0;
    bool digit = false;
    for (char c : typed) {
        if (c == '.' || c == ',') {
            cleaned += ',';
            ++commas;
        } else if (isDigit(c)) {
            cleaned += c;
            digit = true;
        }
    }
    if (!digit || commas > 1) return {"0,00", true, InvalidAmountMessage()};
    try {
        return {FormatAmount(RoundToCents(ReadAmount(cleaned))), false, {}};
    } catch (const ConversionError&) {
        // Only a number beyond the program's range gets here: the text itself was readable.
        return {"0,00", true, AmountTooLargeMessage()};
    }
}
