#pragma once

// The amount rules of the edit form's money boxes: cleaning up a typed amount, reading, rounding
// and writing amounts back as text, and the fixed formulas of the PIT-11/8B and PIT-40 pages,
// the PIT-40 tax scale among them.
//
// Amount text is decimal text with a comma as the decimal separator whatever the locale, no
// thousands separator, normally two decimals ("0,00", "1234,50"); empty text means nothing was
// entered and counts as 0. Amount texts are plain ASCII, so they pass unchanged between code
// page 1250 records and UTF-8 widget text.
//
// Range: every amount the program writes is below 10^13 in magnitude. Such an amount still fits,
// grosze included, the 15 significant digits of plain decimal notation and, with its sign, the
// 20 characters of a record's amount field. A result of 10^13 or more is refused with a
// ConversionError naming it (the computation in progress stops, as for unreadable text) instead of
// being written as an exponent or with its grosze rounded off; a typed amount that large is
// refused with its own message.

#include "store/FileErrors.h"
#include "store/TaxpayerRecord.h"

#include <QString>

#include <string>
#include <string_view>

// Title and text of the message shown when a typed amount cannot be read.
QString InvalidAmountTitle();    // "Błąd"
QString InvalidAmountMessage();  // "Wpisano nieprawidłową wartość liczbową!"
// Text of the message shown when a typed amount is 10^13 or more.
QString AmountTooLargeMessage();

// The exclusive upper limit of an amount's magnitude: 10^13.
inline constexpr int kAmountLimitExponent = 13;
inline constexpr double kAmountLimit = 1e13;

// Reads an amount: empty text (or only blanks) is 0; otherwise optional blanks, an optional sign,
// digits with at most one comma, optional blanks. Throws ConversionError naming the text when it
// is anything else or 10^13 or more (the text as it stands, not its nearest double).
double ReadAmount(std::string_view text);

// Plain decimal notation with at most 15 significant digits and no trailing zeros, comma as the
// decimal separator, "-" for negatives; then ",00" is appended when there is no comma and "0"
// when exactly one decimal follows it. Throws ConversionError for 10^13 or more, NaN, infinity.
std::string FormatAmount(double value);

// value / 0.01 rounded to the nearest whole number (halves to even), times 0.01: 12.345 gives 12.34.
double RoundToCents(double value);
// Whole złoty as the tax law rounds tax bases and amounts of tax: endings under 50 groszy are
// dropped, endings of 50 groszy and more raised (37000,50 gives 37001). The value is first taken
// to whole grosze as RoundToCents does, so binary noise of a computation (37000,4999999 for
// 37000,50) does not decide it. A negative value goes by its magnitude (-2,50 gives -3). The one
// rounding to whole złoty of the edit form, fiskon-cli and the forms program.
double RoundToWhole(double value);

// The result of leaving an amount box.
struct NormalizedAmount {
    std::string text;  // the box's new text
    bool refused = false;  // the typed text could not be taken; `message` says why
    QString message;       // shown with InvalidAmountTitle() and the warning icon
};
// Cleans up a typed amount: empty stays empty; "." and "," become ",", digits stay, everything
// else is dropped; the result is read, rounded to cents and formatted. Text that cannot be read
// (no digit, more than one comma) or is 10^13 or more becomes "0,00" with `refused` set.
// Accepts the box text as UTF-8 or code page 1250 bytes: only ASCII digits, "." and "," count.
NormalizedAmount NormalizeAmount(std::string_view typed);

// The box helpers. Each reads its arguments with ReadAmount (so each may throw ConversionError)
// and gives back the text to put into a box. Sums and differences are taken to the number of
// decimals of their arguments, so binary noise (0,1 + 0,2 - 0,3) never shows as a positive amount.

// a - b formatted when greater than 0, else "0,00".
std::string AmountDiff(std::string_view a, std::string_view b);
// Revenue a + revenue c - cost b - cost d formatted when greater than 0, else "0,00".
std::string RowIncome(std::string_view a, std::string_view b, std::string_view c, std::string_view d);
// The sum of up to eight amounts (missing ones count as empty) formatted when greater than 0,
// else "0,00".
std::string AmountSum(std::string_view a1, std::string_view a2 = {}, std::string_view a3 = {},
                      std::string_view a4 = {}, std::string_view a5 = {}, std::string_view a6 = {},
                      std::string_view a7 = {}, std::string_view a8 = {});
// Income a less deductions b and c rounded to whole złoty and formatted ("37000,00"); a tax base
// is never negative, so "0,00" when a - b - c is 0 or below.
std::string TaxBase(std::string_view a, std::string_view b, std::string_view c);
// The PIT-40 tax of a tax base by the progressive scale, never negative ("5169,92").
std::string ComputeTax(std::string_view base);
// a - b rounded to whole złoty and written without decimals ("4670") when positive, else "0".
std::string DueTax(std::string_view a, std::string_view b);

// The amount boxes of one page, by form box number: the edit form's boxes or a record's fields.
class AmountBoxes {
public:
    virtual ~AmountBoxes() = default;
    virtual std::string text(int box) const = 0;
    virtual void setText(int box, const std::string& text) = 0;
};

// The PIT-11/8B page's formulas, in order, over the boxes e34..e78. A box that cannot be read stops
// the pass with ConversionError: boxes written before keep their new values, the rest their old.
void RecomputePit11Page(AmountBoxes& e);
// The PIT-40 page's formulas, in order, over the boxes f35..f76 (later steps read earlier
// results). Failure as above.
void RecomputePit40Page(AmountBoxes& f);

// The record's amount fields as boxes (p11_34..p11_78, p40_35..p40_76); a text longer than the
// field is cut to 20 characters when stored.
class Pit11RecordBoxes : public AmountBoxes {
public:
    explicit Pit11RecordBoxes(TaxpayerRecord& record) : record_(record) {}
    std::string text(int box) const override { return record_.p11Box(box).str(); }
    void setText(int box, const std::string& text) override { record_.p11Box(box) = text; }

private:
    TaxpayerRecord& record_;
};

class Pit40RecordBoxes : public AmountBoxes {
public:
    explicit Pit40RecordBoxes(TaxpayerRecord& record) : record_(record) {}
    std::string text(int box) const override { return record_.p40Box(box).str(); }
    void setText(int box, const std::string& text) override { record_.p40Box(box) = text; }

private:
    TaxpayerRecord& record_;
};

// What a change of page does: the PIT-40 recomputation, then the PIT-11/8B one, no box normalised.
void RecomputeOnPageChange(AmountBoxes& pit40, AmountBoxes& pit11);
// The same over a record's stored amounts.
void RecomputeRecord(TaxpayerRecord& record);
