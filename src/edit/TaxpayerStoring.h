#pragma once

#include "edit/TaxpayerFormValues.h"
#include "store/TaxpayerRegister.h"

#include <QString>

#include <vector>

// The edit form refuses a taxpayer without surname or first name (blanks count as filled).
bool HasRequiredNames(const TaxpayerFormValues& values);
QString MissingNamesMessage();  // "Pola Nazwisko i Imie muszą być wypełnione. Proszę je wypełnić"

// The caption of the e-mail field, which its message names.
inline const QString kEmailFieldCaption = QStringLiteral("E-mail (do przekazania PIT)");

// Why the form refuses the address of its e-mail field, a sentence naming the field; empty when
// the field is empty or holds an address (blanks around it do not count).
QString EmailFieldMessage(const TaxpayerFormValues& values);

// Stores a confirmed record: over the register's current record (in place, id included) or, when
// there is none, as a new record; then merges duplicates and re-sorts. False when the register
// refused the record (no names), in which case nothing changed.
bool StoreTaxpayer(TaxpayerRegister& taxpayers, const TaxpayerRecord& image);

// The fields the multi-record edit sets. A field takes part when it is filled: a text when it is
// not empty, a masked text when its first character is not a blank.
struct SharedTaxpayerFields {
    QString us, kraj, wojewodztwo, powiat, gmina, miejsc, kodPoczt, poczta, pit11_od, pit11_do;
    bool anyFilled() const;
};

// Stores the filled fields into the records at the given positions, visited from the last to the
// first, each made current in turn; afterwards the current record is the topmost of them.
// Positions outside the register are passed over. Returns the number of records changed.
int ApplySharedFields(TaxpayerRegister& taxpayers, const std::vector<int>& positions,
                      const SharedTaxpayerFields& fields);
