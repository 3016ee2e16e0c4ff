#include "forms/FormCalculation.h"

#include "edit/AmountCalculations.h"

#include <array>
#include <bitset>
#include <string>

namespace {

// The form's amount boxes seen through the edit form's box interface.
class FormAmountBoxes : public AmountBoxes {
public:
    FormAmountBoxes(const FormLayout& layout, FormValues& values) : layout_(layout), values_(values) {}

    // A box's amount as the formulas read it. The formulas read the same boxes many times (the
    // totals read every row), so what a box gave is kept until the box is written.
    std::string text(int box) const override {
        const bool keep = box >= 0 && box < kKept;
        if (keep && kept_.test(static_cast<std::size_t>(box))) return keptText_[static_cast<std::size_t>(box)];
        const int index = IndexOf(box);
        if (index < 0 || values_.at(index).isEmpty()) return {};
        const FormBox& entry = layout_.boxes[static_cast<std::size_t>(index)];
        std::string text = Utf8(FiskonAmountText(entry, values_.at(index)));
        if (keep) {
            keptText_[static_cast<std::size_t>(box)] = text;
            kept_.set(static_cast<std::size_t>(box));
        }
        return text;
    }

    void setText(int box, const std::string& text) override {
        lastWritten = box;
        if (box >= 0 && box < kKept) kept_.reset(static_cast<std::size_t>(box));
        const int index = IndexOf(box);
        if (index < 0 || (values_.present[static_cast<std::size_t>(index)] && HoldsAlready(values_.at(index), text))) return;
        values_.set(index, QString::fromStdString(text));
    }

    // The formulas write their boxes in box-number order: the one that failed is the first
    // computed box after the last one written.
    int failedBox() const {
        int failed = -1;
        for (std::size_t i = 0; i < layout_.boxes.size(); ++i) {
            const FormBox& box = layout_.boxes[i];
            if (box.computed && box.number > lastWritten && (failed < 0 || box.number < layout_.boxes[static_cast<std::size_t>(failed)].number))
                failed = static_cast<int>(i);
        }
        return failed;
    }

    int lastWritten = 0;

private:
    int IndexOf(int box) const { return layout_.indexOfNumber(box); }

    // True when the box already holds `text` and it is ASCII: the box needs no new value.
    static bool HoldsAlready(const QString& box, const std::string& text) {
        if (box.size() != static_cast<qsizetype>(text.size())) return false;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto ch = static_cast<unsigned char>(text[i]);
            if (ch >= 0x80 || box[static_cast<qsizetype>(i)].unicode() != ch) return false;
        }
        return true;
    }

    // The text as UTF-8; an amount is ASCII, which goes straight across.
    static std::string Utf8(const QString& text) {
        std::string bytes(static_cast<std::size_t>(text.size()), '\0');
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t ch = text[i].unicode();
            if (ch >= 0x80) return text.toStdString();
            bytes[static_cast<std::size_t>(i)] = static_cast<char>(ch);
        }
        return bytes;
    }

    static constexpr int kKept = 100;  // every amount box of both forms has a lower number
    const FormLayout& layout_;
    FormValues& values_;
    mutable std::array<std::string, kKept> keptText_;
    mutable std::bitset<kKept> kept_;
};

}  // namespace

bool CalculateForm(const FormLayout& layout, FormValues& values, const std::optional<FormTaxScale>& scale,
                   CalculationError* error) {
    FormAmountBoxes boxes(layout, values);
    try {
        if (layout.isPit40) {
            RecomputePit40Page(boxes);
            if (scale) {
                boxes.lastWritten = 68;  // the own scale's tax and what follows it, once more
                boxes.setText(69, scale->Tax(boxes.text(68)));
                boxes.setText(71, AmountSum(boxes.text(69), boxes.text(70)));
                boxes.setText(74, DueTax(boxes.text(71), boxes.text(73)));
                boxes.setText(75, AmountDiff(boxes.text(74), boxes.text(65)));
                boxes.setText(76, AmountDiff(boxes.text(65), boxes.text(74)));
            }
        } else {
            RecomputePit11Page(boxes);
        }
    } catch (const ConversionError& failure) {
        if (error) *error = {boxes.failedBox(), failure.message()};
        return false;
    }
    return true;
}
