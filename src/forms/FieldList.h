#pragma once

#include "edit/FormYears.h"
#include "store/PayerRecord.h"
#include "store/TaxpayerRecord.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The field list of one PIT form: one line per box, "p" + box number + "=" + value, in the
// form's fixed order, as the forms program takes it. All texts are code page 1250 bytes.

enum class FormKind { None = 0, Pit11 = 1, Pit40 = 2 };  // PIT-11/8B, PIT-40

// The form editions in use (SymbolPIT11, SymbolPIT40): both empty until a form year is chosen.
struct EditionSymbols {
    QByteArray pit11;
    QByteArray pit40;
};

// Sets both symbols for the form year at `yearIndex` of the list ("2005" → PIT118B_C and
// PIT40_13, "2006" → PIT118B_14 and PIT40_14); any other index leaves them as they are.
void SetEditionSymbols(EditionSymbols& symbols, int yearIndex);

// What the show-form dialog contributes to a form.
struct FieldListChoices {
    FormKind kind = FormKind::None;
    bool strikePit11 = true;  // true: PIT-11 struck out (the document is a PIT-8B)
    QByteArray fillerFirstName;  // the person filling in the form, upper case
    QByteArray fillerSurname;
    QByteArray taxYear = "    ";  // PIT-40's tax year as the field shows it: four characters
};

// Why the person filling in cannot go into a field list (a control character, e.g. a pasted line
// break, would cut the list and the forms program would refuse all of it): a Polish sentence;
// none when both names can.
std::optional<QString> FillerNamesProblem(const FieldListChoices& choices);

// dataUr (yyyy-mm-dd) as the forms want a birth date: "dd-mm yyyy". A text of fewer than ten
// characters goes unchanged.
QByteArray FormatBirthDate(std::string_view dataUr);

// Receives the boxes of a form in the field list's order: by name ("p1", "pSKR.01") or by number.
class FieldListVisitor {
public:
    virtual ~FieldListVisitor() = default;
    virtual void add(std::string_view key, std::string_view value) = 0;
    virtual void add(int box, std::string_view value) = 0;

    void add(const char* key, const QByteArray& value) { add(std::string_view(key), std::string_view(value.data(), static_cast<std::size_t>(value.size()))); }
    void add(const char* key, const char* value) { add(std::string_view(key), std::string_view(value)); }
};

// Gives `visitor` the lines BuildFieldList makes, without making them (kind None or no taxpayer:
// none).
void VisitFieldList(FieldListVisitor& visitor, const FieldListChoices& choices, const TaxpayerRecord* taxpayer,
                    const PayerRecord& payer);

// Changes the taxpayer's fields that fill the chosen form's boxes as they stand (the tax office,
// NIP, surname, first name and address; not the birth date, which the form shows rearranged, nor
// the amounts): `change` gets each one's box and text and gives its new text (cut to the field's
// width), or nothing to leave it. True when a field changed.
bool ChangeTaxpayerTextBoxes(FormKind kind, TaxpayerRecord& taxpayer,
                             const std::function<std::optional<std::string>(int box, std::string_view text)>& change);

// Empties `target` and fills it with the lines of the chosen form for `taxpayer` (none: no
// lines) and `payer`. Returns the edition symbol of the form; nothing for FormKind::None.
std::optional<QByteArray> BuildFieldList(QByteArrayList& target, const FieldListChoices& choices,
                                         const TaxpayerRecord* taxpayer, const PayerRecord& payer,
                                         const EditionSymbols& symbols);
