#include "forms/FormTemplateTexts.h"

#include <QByteArrayList>

namespace {

struct TemplateTextRow {
    const char* editions;  // the symbols the line is printed on, separated by blanks
    TemplateText text;
    const char* wording;
};

using T = TemplateText;

// Every fixed text of every edition. A line names the editions that print it; an edition whose
// wording differs gets a line of its own. The 2005 edition of PIT-11/8B ("PIT118B_C") has no edition
// number in its symbol, so its mark is the form's name alone.
const TemplateTextRow kTemplateTexts[] = {
    {"PIT118B_C", T::EditionMark, "PIT-11/8B"},
    {"PIT118B_14", T::EditionMark, "PIT-11/8B(14)"},
    {"PIT40_13", T::EditionMark, "PIT-40(13)"},
    {"PIT40_14", T::EditionMark, "PIT-40(14)"},

    {"PIT118B_C PIT118B_14 PIT40_13 PIT40_14", T::Banner,
     "POLA JASNE WYPEŁNIA PŁATNIK, POLA CIEMNE WYPEŁNIA URZĄD SKARBOWY."},
    {"PIT118B_C PIT118B_14 PIT40_13 PIT40_14", T::Instruction,
     "WYPEŁNIĆ NA MASZYNIE, KOMPUTEROWO LUB RĘCZNIE, DUŻYMI, DRUKOWANYMI LITERAMI, CZARNYM LUB NIEBIESKIM "
     "KOLOREM."},
    {"PIT118B_C PIT118B_14 PIT40_13 PIT40_14", T::DocumentNumber, "2. Nr dokumentu"},
    {"PIT118B_C PIT118B_14 PIT40_13 PIT40_14", T::Status, "3. Status"},

    {"PIT118B_C PIT118B_14", T::FirstTitle,
     "INFORMACJA O DOCHODACH ORAZ O POBRANYCH ZALICZKACH NA PODATEK DOCHODOWY"},
    {"PIT118B_C PIT118B_14", T::SecondTitle,
     "INFORMACJA O PRZYCHODACH Z INNYCH ŹRÓDEŁ ORAZ O DOCHODACH I POBRANYCH ZALICZKACH NA PODATEK DOCHODOWY"},
    {"PIT118B_C PIT118B_14", T::TitleNote, "Niewłaściwy tytuł formularza skreśla się."},
    {"PIT40_13 PIT40_14", T::FirstTitle,
     "ROCZNE OBLICZENIE PODATKU OD DOCHODU UZYSKANEGO PRZEZ PODATNIKA W ROKU PODATKOWYM"},

    {"PIT118B_C PIT118B_14", T::LegalBasis,
     "Podstawa prawna: Art. 39 ust. 1 (PIT-11) i art. 42a (PIT-8B) ustawy z dnia 26 lipca 1991 r. o podatku "
     "dochodowym od osób fizycznych (Dz. U. z 2000 r. Nr 14, poz. 176, z późn. zm.), zwanej dalej „ustawą”."},
    {"PIT118B_C PIT118B_14", T::Submitter,
     "Składający: Zakład pracy, o którym mowa w art. 39 ust. 1 ustawy (PIT-11), albo płatnik, o którym mowa "
     "w art. 42a ustawy (PIT-8B)."},
    {"PIT118B_C PIT118B_14", T::Deadline,
     "Termin składania: Do końca lutego roku następującego po roku podatkowym, a w przypadku, o którym mowa "
     "w art. 39 ust. 1 ustawy, na wniosek podatnika – w terminie 14 dni od dnia złożenia wniosku."},
    {"PIT40_13 PIT40_14", T::LegalBasis,
     "Podstawa prawna: Art. 37 ust. 1 ustawy z dnia 26 lipca 1991 r. o podatku dochodowym od osób fizycznych "
     "(Dz. U. z 2000 r. Nr 14, poz. 176, z późn. zm.), zwanej dalej „ustawą”."},
    {"PIT40_13 PIT40_14", T::Submitter,
     "Składający: Zakład pracy jako płatnik, dokonujący rocznego obliczenia podatku na podstawie art. 37 "
     "ust. 1 ustawy."},
    {"PIT40_13 PIT40_14", T::Deadline, "Termin składania: Do końca lutego roku następującego po roku podatkowym."},
    {"PIT118B_C PIT118B_14 PIT40_13 PIT40_14", T::Place,
     "Miejsce składania: Urząd skarbowy, przy pomocy którego naczelnik urzędu skarbowego wykonuje swoje "
     "zadania, właściwy według miejsca zamieszkania podatnika."},

    {"PIT118B_C PIT118B_14", T::FillDate, "82. Data wypełnienia (dzień - miesiąc - rok)"},
    {"PIT118B_C PIT118B_14", T::Signature, "83. Podpis płatnika / osoby reprezentującej płatnika"},
    {"PIT118B_C PIT118B_14 PIT40_13 PIT40_14", T::PayerWarning,
     "Za uchybienie obowiązkom płatnika grozi odpowiedzialność przewidziana w Kodeksie karnym skarbowym."},
    {"PIT118B_C PIT118B_14", T::OfficeSection, "I. ADNOTACJE URZĘDU SKARBOWEGO"},
    {"PIT118B_C PIT118B_14", T::OfficeRemarks, "84. Uwagi urzędu skarbowego"},
    {"PIT118B_C PIT118B_14", T::OfficeOfficer, "85. Identyfikator przyjmującego formularz"},
    {"PIT118B_C PIT118B_14", T::OfficeSignature, "86. Podpis przyjmującego formularz"},
    {"PIT40_13 PIT40_14", T::FillDate, "79. Data wypełnienia (dzień - miesiąc - rok)"},
    {"PIT40_13 PIT40_14", T::Signature, "80. Podpis płatnika / osoby reprezentującej płatnika"},
    {"PIT40_13 PIT40_14", T::OfficeSection, "L. ADNOTACJE URZĘDU SKARBOWEGO"},
    {"PIT40_13 PIT40_14", T::OfficeRemarks, "81. Uwagi urzędu skarbowego"},
    {"PIT40_13 PIT40_14", T::OfficeOfficer, "82. Identyfikator przyjmującego formularz"},
    {"PIT40_13 PIT40_14", T::OfficeSignature, "83. Podpis przyjmującego formularz"},
};

}  // namespace

QString TemplateTextOf(const QByteArray& symbol, TemplateText text) {
    for (const TemplateTextRow& row : kTemplateTexts)
        if (row.text == text && QByteArray(row.editions).split(' ').contains(symbol)) return QString::fromUtf8(row.wording);
    return {};
}
