#include "edit/TaxpayerFormValues.h"

#include "edit/DateText.h"
#include "store/Cp1250.h"

namespace {

QString Text(std::string_view bytes) {
    return cp1250::toUnicode(bytes);
}

std::string Bytes(const QString& text) {
    return cp1250::fromUnicode(text);
}

// A masked field counts as filled when its first character is not a blank.
bool Filled(const QString& masked) {
    return !masked.isEmpty() && masked.front() != u' ';
}

}  // namespace

TaxpayerFormValues FormValuesFromRecord(const TaxpayerRecord& record) {
    TaxpayerFormValues values;
    values.us = Text(record.us);
    values.nip = Text(record.nip);
    values.nazwisko = Text(record.nazwisko);
    values.imie1 = Text(record.imie1);
    values.pesel = Text(record.pesel);
    if (!record.dataUr.empty())
        values.dataUr = StoredDateToField(Text(record.dataUr));
    values.kraj = Text(record.kraj);
    values.wojewodztwo = Text(record.wojewodztwo);
    values.powiat = Text(record.powiat);
    values.gmina = Text(record.gmina);
    values.ulica = Text(record.ulica);
    values.nrDomu = Text(record.nrDomu);
    values.nrLok = Text(record.nrLok);
    values.miejsc = Text(record.miejsc);
    values.kodPoczt = Text(record.kodPoczt);
    values.poczta = Text(record.poczta);
    for (std::size_t i = 0; i < values.p11.size(); ++i)
        values.p11[i] = Text(record.p11[i]);
    for (std::size_t i = 0; i < values.p40.size(); ++i)
        values.p40[i] = Text(record.p40[i]);
    values.pit11_33 = record.pit11_33;
    values.pit40_34 = record.pit40_34;
    values.pit11_PITR = record.pit11_PITR;
    values.pit40_NIP3 = record.pit40_NIP3 == 1;
    values.pit40_PITR = record.pit40_PITR == 1;
    values.pit11_od = Text(record.pit11_od);
    values.pit11_do = Text(record.pit11_do);
    values.email = Text(record.email);
    return values;
}

TaxpayerRecord RecordFromFormValues(const TaxpayerFormValues& values) {
    TaxpayerRecord record;
    if (Filled(values.nip))
        record.nip = Bytes(values.nip);
    record.nazwisko = Bytes(values.nazwisko);
    record.imie1 = Bytes(values.imie1);
    record.pesel = Bytes(values.pesel);
    record.kraj = Bytes(values.kraj);
    record.powiat = Bytes(values.powiat);
    record.gmina = Bytes(values.gmina);
    record.ulica = Bytes(values.ulica);
    record.nrDomu = Bytes(values.nrDomu);
    record.nrLok = Bytes(values.nrLok);
    record.miejsc = Bytes(values.miejsc);
    record.poczta = Bytes(values.poczta);
    record.us = Bytes(values.us);
    if (Filled(values.dataUr))
        record.dataUr = Bytes(FieldDateToStored(values.dataUr));
    if (Filled(values.pit11_od))
        record.pit11_od = Bytes(values.pit11_od);
    if (Filled(values.pit11_do))
        record.pit11_do = Bytes(values.pit11_do);
    record.wojewodztwo = Bytes(values.wojewodztwo);
    record.kodPoczt = Bytes(values.kodPoczt);
    record.email = Bytes(values.email.trimmed());
    for (std::size_t i = 0; i < values.p11.size(); ++i)
        record.p11[i] = Bytes(values.p11[i]);
    for (std::size_t i = 0; i < values.p40.size(); ++i)
        record.p40[i] = Bytes(values.p40[i]);
    record.pit11_33 = static_cast<std::uint8_t>(values.pit11_33 >= 1 && values.pit11_33 <= 4 ? values.pit11_33 : 0);
    record.pit40_34 = static_cast<std::uint8_t>(values.pit40_34 >= 1 && values.pit40_34 <= 5 ? values.pit40_34 : 0);
    record.pit11_PITR = static_cast<std::uint8_t>(values.pit11_PITR >= 0 && values.pit11_PITR <= 2 ? values.pit11_PITR : 0);
    record.pit40_NIP3 = values.pit40_NIP3 ? 1 : 0;
    record.pit40_PITR = values.pit40_PITR ? 1 : 0;
    return record;
}
