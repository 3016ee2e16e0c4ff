#pragma once

#include "forms/FormLayout.h"

#include <QString>

#include <optional>
#include <vector>

// The values of one form's boxes, in the order of the layout's boxes. A box is present when the
// field list or the user gave it a value (an empty one included).
struct FormValues {
    std::vector<QString> text;
    std::vector<bool> present;

    explicit FormValues(std::size_t count = 0) : text(count), present(count, false) {}
    bool operator==(const FormValues& other) const = default;

    void set(int index, const QString& value) {
        text[static_cast<std::size_t>(index)] = value;
        present[static_cast<std::size_t>(index)] = true;
    }
    const QString& at(int index) const { return text[static_cast<std::size_t>(index)]; }
};

// True when the text holds nothing but blanks and hyphens (an untouched masked field: "  -   ").
bool IsBlankValue(const QString& value);

// True for text already in Fiskon's form: digits without a leading zero (a lone 0 allowed), then
// unless `wholeZloty` a comma and two digits for the grosze. `Text` is a QString or bytes.
inline int AmountTextUnit(QChar c) { return c.unicode(); }
inline int AmountTextUnit(char c) { return static_cast<unsigned char>(c); }
template <typename Text>
bool IsFiskonAmountForm(const Text& text, bool wholeZloty) {
    const auto unit = [&text](qsizetype i) { return AmountTextUnit(text[static_cast<std::size_t>(i)]); };
    const auto size = static_cast<qsizetype>(text.size());
    const qsizetype digits = wholeZloty ? size : size - 3;
    if (digits < 1 || (digits > 1 && unit(0) == '0')) return false;
    if (!wholeZloty && unit(digits) != ',') return false;
    for (qsizetype i = 0; i < size; ++i)
        if (i != digits && (unit(i) < '0' || unit(i) > '9')) return false;
    return true;
}

// The amount a box holds in Fiskon's form ("48000,00"); its text unchanged when it is not a
// readable amount; empty for an empty box.
QString FiskonAmountText(const FormBox& box, const QString& shown);
