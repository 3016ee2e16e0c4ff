#include "edit/TaxpayerStoring.h"

#include "edit/EmailAddress.h"
#include "store/Cp1250.h"

#include <algorithm>

namespace {

bool MaskedFilled(const QString& masked) {
    return !masked.isEmpty() && masked.front() != u' ';
}

template <typename Field>
void SetIfFilled(Field& field, const QString& value, bool filled) {
    if (filled)
        field = cp1250::fromUnicode(value);
}

}  // namespace

bool HasRequiredNames(const TaxpayerFormValues& values) {
    return !values.nazwisko.isEmpty() && !values.imie1.isEmpty();
}

QString MissingNamesMessage() {
    return QStringLiteral("Pola Nazwisko i Imie muszą być wypełnione. Proszę je wypełnić");
}

QString EmailFieldMessage(const TaxpayerFormValues& values) {
    const QString fault = EmailAddressFault(values.email.trimmed());
    if (fault.isEmpty())
        return {};
    return QStringLiteral("Pole „%1” nie zawiera poprawnego adresu e-mail: %2. Proszę je poprawić albo opróżnić.")
        .arg(kEmailFieldCaption, fault);
}

bool StoreTaxpayer(TaxpayerRegister& taxpayers, const TaxpayerRecord& image) {
    if (image.nazwisko.empty() || image.imie1.empty())
        return false;
    if (TaxpayerRecord* current = taxpayers.current())
        *current = image;
    else if (!taxpayers.Add(image))
        return false;
    taxpayers.RemoveDuplicates();
    taxpayers.Resort();
    return true;
}

bool SharedTaxpayerFields::anyFilled() const {
    return !us.isEmpty() || !kraj.isEmpty() || !wojewodztwo.isEmpty() || !powiat.isEmpty() ||
           !gmina.isEmpty() || !miejsc.isEmpty() || MaskedFilled(kodPoczt) || !poczta.isEmpty() ||
           MaskedFilled(pit11_od) || MaskedFilled(pit11_do);
}

int ApplySharedFields(TaxpayerRegister& taxpayers, const std::vector<int>& positions,
                      const SharedTaxpayerFields& fields) {
    std::vector<int> rows = positions;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    int changed = 0;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        if (!taxpayers.SelectByIndex(*row))
            continue;
        TaxpayerRecord& record = *taxpayers.current();
        SetIfFilled(record.wojewodztwo, fields.wojewodztwo, !fields.wojewodztwo.isEmpty());
        SetIfFilled(record.us, fields.us, !fields.us.isEmpty());
        SetIfFilled(record.miejsc, fields.miejsc, !fields.miejsc.isEmpty());
        SetIfFilled(record.powiat, fields.powiat, !fields.powiat.isEmpty());
        SetIfFilled(record.gmina, fields.gmina, !fields.gmina.isEmpty());
        SetIfFilled(record.kraj, fields.kraj, !fields.kraj.isEmpty());
        SetIfFilled(record.kodPoczt, fields.kodPoczt, MaskedFilled(fields.kodPoczt));
        SetIfFilled(record.poczta, fields.poczta, !fields.poczta.isEmpty());
        SetIfFilled(record.pit11_od, fields.pit11_od, MaskedFilled(fields.pit11_od));
        SetIfFilled(record.pit11_do, fields.pit11_do, MaskedFilled(fields.pit11_do));
        if (fields.anyFilled())
            ++changed;
    }
    // The row loop may end on a position outside the register; keep the topmost selected record.
    for (const int row : rows) {
        if (taxpayers.SelectByIndex(row))
            break;
    }
    return changed;
}
