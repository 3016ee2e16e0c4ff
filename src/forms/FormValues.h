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

// The amount a box holds in Fiskon's form ("48000,00"); its text unchanged when it is not a
// readable amount; empty for an empty box.
QString FiskonAmountText(const FormBox& box, const QString& shown);
