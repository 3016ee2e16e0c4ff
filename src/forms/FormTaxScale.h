#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A progressive tax scale sent to a form in place of the built-in one. Its text has one bracket a
// line, three values separated by ";": the lower limit of the bracket in złoty, the rate in per
// cent and the tax at that limit (negative for the first bracket's deduction), amounts with a
// comma. The built-in scale written this way:
//     0;19;-530,08
//     37024;30;6504,48
//     74048;40;17611,68
// A base falls into the last bracket whose limit does not exceed the base rounded to whole złoty
// (into the first when it is below every limit); its tax is (base − limit) × rate + that bracket's
// tax, never negative, rounded to grosze. Blank lines are skipped.
class FormTaxScale {
public:
    struct Bracket {
        double from = 0;
        double rate = 0;    // a fraction: 0.19
        double amount = 0;  // the tax at `from`
    };

    // No value when the text is not a scale (a line not of three readable values, a rate outside
    // 0..100, limits not rising); `error` then says what is wrong (Polish).
    static std::optional<FormTaxScale> Parse(const QString& text, QString* error);

    // The tax of a base (amount text in Fiskon's form); throws ConversionError like the built-in.
    std::string Tax(std::string_view base) const;

    const std::vector<Bracket>& brackets() const { return brackets_; }

private:
    std::vector<Bracket> brackets_;
};
