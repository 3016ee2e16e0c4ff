#include "forms/FormLayout.h"

#include "forms/FormTemplateTexts.h"

#include <QHash>

#include <map>
#include <memory>

// The two forms as tables. Each edition pair (2005, 2006) shares its boxes; the fixed texts of each
// edition (its mark, titles, legal basis) stand in FormTemplateTexts.

namespace {

enum Flags { kPlain = 0, kRequired = 1, kComputed = 2, kCapitals = 4 };

struct BoxRow {
    const char* key;
    int number;
    BoxKind kind;
    const char* section;
    int row;
    int span;
    const char* caption;
    const char* choices;  // "|"-separated
    int flags;
};

struct SectionRow {
    const char* id;
    const char* title;
    int page;
    bool amountTable;
    const char* note;
};

struct AmountRowData {
    const char* caption;
    int revenue, cost, income, advance;
    bool total;
};

using K = BoxKind;

// Section "0" is the head of the form: rows below 5 stand above the title, rows 5 to 9 at the right
// end of the (last) title's band, rows from 10 below it.

// The address of the payer and of the taxpayer: ten boxes numbered from the block's first.
struct AddressBoxRow {
    int offset;
    BoxKind kind;
    int row;
    int span;
    const char* caption;
};

const AddressBoxRow kAddressBoxes[] = {
    {0, K::Text, 1, 6, "Kraj"},          {1, K::Text, 1, 9, "Województwo"},
    {2, K::Text, 1, 9, "Powiat"},        {3, K::Text, 2, 8, "Gmina"},
    {4, K::Text, 2, 10, "Ulica"},        {5, K::Text, 2, 3, "Nr domu"},
    {6, K::Text, 2, 3, "Nr lokalu"},     {7, K::Text, 3, 10, "Miejscowość"},
    {8, K::PostalCode, 3, 5, "Kod pocztowy"}, {9, K::Text, 3, 9, "Poczta"},
};

struct AddressBlock {
    const char* section;
    int firstBox;
};

// ---- PIT-11/8B --------------------------------------------------------------------------------
const SectionRow kPit11Sections[] = {
    {"0", "", 1, false, ""},
    {"A", "MIEJSCE I CEL SKŁADANIA INFORMACJI", 1, false, ""},
    {"B", "DANE IDENTYFIKACYJNE PŁATNIKA", 1, false, ""},
    {"B.1", "ADRES SIEDZIBY / ADRES ZAMIESZKANIA PŁATNIKA", 1, false, ""},
    {"C", "DANE IDENTYFIKACYJNE PODATNIKA", 1, false, ""},
    {"C.1", "ADRES ZAMIESZKANIA PODATNIKA", 1, false, ""},
    {"D", "INFORMACJA O KOSZTACH UZYSKANIA PRZYCHODU", 1, false, ""},
    {"E", "DOCHODY / PRZYCHODY I POBRANE ZALICZKI NA PODATEK DOCHODOWY", 2, true,
     "Kwoty należy podać w złotych i groszach."},
    {"F", "SKŁADKI ORAZ PRZYCHODY ZWOLNIONE OD PODATKU", 2, false, ""},
    {"G", "INFORMACJA O ZAŁĄCZNIKACH", 2, false, ""},
    {"H", "DANE OSOBY WYPEŁNIAJĄCEJ INFORMACJĘ", 2, false, ""},
};

const BoxRow kPit11Boxes[] = {
    {"p1", 1, K::Nip, "0", 1, 10, "Numer Identyfikacji Podatkowej płatnika", "", kRequired},
    {"pSKR.01", 0, K::TitleStrike, "0", 2, 0, "Skreślenie tytułu PIT-11", "", kPlain},
    {"pSKR.02", 0, K::TitleStrike, "0", 2, 0, "Skreślenie tytułu PIT-8B", "", kPlain},
    {"p4", 4, K::Date, "0", 10, 6, "Okres od (dzień-miesiąc-rok)", "", kPlain},
    {"p5", 5, K::Date, "0", 10, 6, "Okres do (dzień-miesiąc-rok)", "", kPlain},
    {"p6", 6, K::Text, "A", 1, 24, "Urząd skarbowy, do którego adresowana jest informacja", "", kRequired},
    {"p7", 7, K::Choice, "B", 1, 24, "Rodzaj płatnika (zaznaczyć właściwy kwadrat)",
     "płatnik niebędący osobą fizyczną|osoba fizyczna", kPlain},
    {"p8", 8, K::Text, "B", 2, 24, "Nazwa pełna / nazwisko, pierwsze imię, data urodzenia", "", kRequired | kCapitals},
    {"p19", 19, K::Nip, "C", 1, 8, "Numer Identyfikacji Podatkowej podatnika", "", kRequired},
    {"p20", 20, K::Text, "C", 1, 16, "Nazwisko", "", kRequired | kCapitals},
    {"p21", 21, K::Text, "C", 2, 14, "Pierwsze imię", "", kRequired | kCapitals},
    {"p22", 22, K::BirthDate, "C", 2, 10, "Data urodzenia (dzień-miesiąc rok)", "", kPlain},
    {"p33", 33, K::Choice, "D", 1, 24,
     "Koszty uzyskania przychodu ze stosunku pracy zostały uwzględnione w wysokości przysługującej podatnikowi "
     "(zaznaczyć właściwy kwadrat):",
     "od jednego zakładu pracy|od więcej niż jednego zakładu pracy|"
     "od jednego zakładu pracy, podwyższone w związku z zamieszkiwaniem podatnika poza miejscowością, "
     "w której znajduje się zakład pracy|"
     "od więcej niż jednego zakładu pracy, podwyższone w związku z zamieszkiwaniem podatnika poza "
     "miejscowością, w której znajduje się zakład pracy",
     kPlain},
    {"p75", 75, K::Amount, "F", 1, 24,
     "Składki na ubezpieczenia społeczne, o których mowa w art. 26 ust. 1 pkt 2 lit. b ustawy", "", kPlain},
    {"p76", 76, K::Amount, "F", 2, 24,
     "Składki na ubezpieczenie zdrowotne, o których mowa w art. 27b ust. 1 pkt 2 ustawy, z zastrzeżeniem "
     "art. 27b ust. 2 ustawy",
     "", kPlain},
    {"p77", 77, K::Amount, "F", 3, 24,
     "Przychody otrzymywane z zagranicy, o których mowa w art. 21 ust. 1 pkt 74 ustawy", "", kPlain},
    {"p78", 78, K::Amount, "F", 4, 24, "Przychody pochodzące ze środków bezzwrotnej pomocy zagranicznej", "",
     kPlain},
    {"p79", 79, K::Choice, "G", 1, 24, "Do informacji dołączono informację PIT-R (zaznaczyć właściwy kwadrat)",
     "tak|nie", kPlain},
    {"p80", 80, K::Text, "H", 1, 10, "Imię", "", kCapitals},
    {"p81", 81, K::Text, "H", 1, 14, "Nazwisko", "", kCapitals},
};

const AddressBlock kPit11Addresses[] = {{"B.1", 9}, {"C.1", 23}};

const AmountRowData kPit11AmountRows[] = {
    {"1. Wynagrodzenie ze stosunku pracy, stosunku służbowego, a także zasiłki pieniężne z ubezpieczenia "
     "społecznego wypłacone przez zakład pracy",
     34, 35, 36, 37, false},
    {"1a. Przychody nieujęte w poz. 34, do których zastosowano koszty uzyskania przychodów na podstawie "
     "art. 22 ust. 9 pkt 3 ustawy (dochód z wierszy 1 i 1a łącznie w poz. 36)",
     38, 39, 0, 0, false},
    {"2. Dniówki obrachunkowe i udziały w dochodzie podzielnym rolniczej spółdzielni produkcyjnej", 40, 0, 41,
     42, false},
    {"3. Emerytury – renty zagraniczne", 43, 0, 44, 45, false},
    {"4. Należności za pracę przypadające tymczasowo aresztowanym lub skazanym", 46, 0, 47, 48, false},
    {"5. Świadczenia wypłacane z Funduszu Pracy i z Funduszu Gwarantowanych Świadczeń Pracowniczych", 49, 0,
     50, 51, false},
    {"6. Przychody z działalności wykonywanej osobiście, o której mowa w art. 13 pkt 2, 4 i 6 ustawy", 52, 53,
     54, 55, false},
    {"7. Przychody związane z pełnieniem obowiązków społecznych lub obywatelskich", 56, 57, 58, 59, false},
    {"8. Udział w organach stanowiących osób prawnych", 60, 61, 62, 63, false},
    {"9. Kontrakt menedżerski, umowa o zarządzanie przedsiębiorstwem lub umowa o podobnym charakterze", 64,
     65, 66, 67, false},
    {"10. Prawa autorskie i inne prawa, o których mowa w art. 18 ustawy", 68, 69, 70, 71, false},
    {"11. Inne źródła", 72, 0, 73, 74, false},
};

// ---- PIT-40 -----------------------------------------------------------------------------------
const SectionRow kPit40Sections[] = {
    {"0", "", 1, false, ""},
    {"A", "MIEJSCE SKŁADANIA ROCZNEGO OBLICZENIA PODATKU", 1, false, ""},
    {"B", "DANE IDENTYFIKACYJNE PŁATNIKA", 1, false, ""},
    {"B.1", "ADRES SIEDZIBY / ADRES ZAMIESZKANIA PŁATNIKA", 1, false, ""},
    {"C", "DANE IDENTYFIKACYJNE PODATNIKA", 1, false, ""},
    {"C.1", "ADRES ZAMIESZKANIA PODATNIKA", 1, false, ""},
    {"D", "INFORMACJA O ZAŁĄCZNIKACH", 1, false,
     "Do niniejszego formularza dołączono (zaznaczyć właściwy kwadrat):"},
    {"E", "KOSZTY UZYSKANIA PRZYCHODÓW", 1, false, ""},
    {"F", "DOCHODY PODATNIKA", 2, true, "Kwoty należy podać w złotych i groszach."},
    {"G", "ODLICZENIA OD DOCHODU", 2, false, ""},
    {"H", "OBLICZENIE PODATKU", 2, false, ""},
    {"I", "ODLICZENIA OD PODATKU", 2, false, ""},
    {"J", "OBLICZENIE ZOBOWIĄZANIA PODATKOWEGO", 2, false, ""},
    {"K", "DANE OSOBY WYPEŁNIAJĄCEJ ROCZNE OBLICZENIE PODATKU", 2, false, ""},
};

const BoxRow kPit40Boxes[] = {
    {"p1", 1, K::Nip, "0", 1, 10, "Numer Identyfikacji Podatkowej płatnika", "", kRequired},
    {"p4", 4, K::TaxYear, "0", 5, 4, "Rok", "", kRequired},
    {"p5", 5, K::Text, "A", 1, 24, "Urząd skarbowy, do którego adresowane jest roczne obliczenie podatku", "",
     kRequired},
    {"p6", 6, K::Choice, "B", 1, 24, "Rodzaj płatnika (zaznaczyć właściwy kwadrat)",
     "płatnik niebędący osobą fizyczną|osoba fizyczna", kPlain},
    {"p7", 7, K::Text, "B", 2, 24, "Nazwa pełna / nazwisko, pierwsze imię, data urodzenia", "", kRequired | kCapitals},
    {"p18", 18, K::Nip, "C", 1, 8, "Numer Identyfikacji Podatkowej podatnika", "", kRequired},
    {"p19", 19, K::Text, "C", 1, 16, "Nazwisko", "", kRequired | kCapitals},
    {"p20", 20, K::Text, "C", 2, 14, "Pierwsze imię", "", kRequired | kCapitals},
    {"p21", 21, K::BirthDate, "C", 2, 10, "Data urodzenia (dzień-miesiąc rok)", "", kPlain},
    {"p32", 32, K::Tick, "D", 1, 12, "Zgłoszenie identyfikacyjne NIP-3", "Zgłoszenie NIP-3", kPlain},
    {"p33", 33, K::Tick, "D", 1, 12, "Informacja PIT-R", "Informacja PIT-R", kPlain},
    {"p34", 34, K::Choice, "E", 1, 24,
     "Koszty uzyskania przychodów, wykazane w poz. 36, zostały uwzględnione do wysokości przysługującej "
     "podatnikowi (zaznaczyć właściwy kwadrat):",
     "od jednego zakładu pracy|od więcej niż jednego zakładu pracy|"
     "od jednego zakładu pracy, podwyższone w związku z zamieszkiwaniem podatnika poza miejscowością, "
     "w której znajduje się zakład pracy|"
     "od więcej niż jednego zakładu pracy, podwyższone w związku z zamieszkiwaniem podatnika poza "
     "miejscowością, w której znajduje się zakład pracy|"
     "na podstawie wydatków faktycznie poniesionych, udokumentowanych wyłącznie imiennymi biletami okresowymi",
     kPlain},
    {"p66", 66, K::Amount, "G", 1, 24,
     "Składki na ubezpieczenia społeczne, o których mowa w art. 26 ust. 1 pkt 2 lit. b ustawy", "", kPlain},
    {"p67", 67, K::Amount, "G", 2, 24,
     "Zwrot nienależnie pobranych świadczeń, o których mowa w art. 26 ust. 1 pkt 5 ustawy", "", kPlain},
    {"p68", 68, K::Amount, "H", 1, 24, "Podstawa obliczenia podatku (po zaokrągleniu do pełnego złotego)", "",
     kComputed},
    {"p69", 69, K::Amount, "H", 2, 24, "Obliczony podatek (zgodnie z art. 27 ustawy)", "", kComputed},
    {"p70", 70, K::Amount, "H", 3, 24, "Doliczenie do podatku", "", kPlain},
    {"p71", 71, K::Amount, "H", 4, 24, "Podatek (suma kwot z poz. 69 i 70)", "", kComputed},
    {"p72", 72, K::Amount, "I", 1, 24,
     "Składki na ubezpieczenie zdrowotne, o których mowa w art. 27b ust. 1 pkt 2 ustawy, z zastrzeżeniem "
     "art. 27b ust. 2 ustawy",
     "", kPlain},
    {"p73", 73, K::Amount, "I", 2, 24,
     "Kwota składki na ubezpieczenie zdrowotne, możliwa do odliczenia w roku podatkowym", "", kPlain},
    {"p74", 74, K::WholeAmount, "J", 1, 24, "Podatek należny (po zaokrągleniu do pełnego złotego)", "",
     kComputed},
    {"p75", 75, K::Amount, "J", 2, 24,
     "Różnica pomiędzy podatkiem należnym a sumą zaliczek pobranych przez płatnika – do zapłaty", "",
     kComputed},
    {"p76", 76, K::Amount, "J", 3, 24,
     "Różnica pomiędzy sumą zaliczek pobranych przez płatnika a podatkiem należnym – nadpłata", "",
     kComputed},
    {"p77", 77, K::Text, "K", 1, 10, "Imię", "", kCapitals},
    {"p78", 78, K::Text, "K", 1, 14, "Nazwisko", "", kCapitals},
};

const AddressBlock kPit40Addresses[] = {{"B.1", 8}, {"C.1", 22}};

const AmountRowData kPit40AmountRows[] = {
    {"1. Wynagrodzenie ze stosunku pracy, stosunku służbowego, a także zasiłki pieniężne z ubezpieczenia "
     "społecznego wypłacone przez zakład pracy",
     35, 36, 37, 38, false},
    {"1a. Przychody nieujęte w poz. 35, do których zastosowano koszty uzyskania przychodów na podstawie "
     "art. 22 ust. 9 pkt 3 ustawy (dochód z wierszy 1 i 1a łącznie w poz. 37)",
     39, 40, 0, 0, false},
    {"2. Dniówki obrachunkowe i udziały w dochodzie podzielnym rolniczej spółdzielni produkcyjnej", 41, 0, 42,
     43, false},
    {"3. Emerytury – renty zagraniczne", 44, 0, 45, 46, false},
    {"4. Należności za pracę przypadające tymczasowo aresztowanym lub skazanym", 47, 0, 48, 49, false},
    {"5. Działalność wykonywana osobiście, o której mowa w art. 13 ustawy", 50, 51, 52, 53, false},
    {"6. Prawa majątkowe (w tym prawa autorskie i inne prawa, o których mowa w art. 18 ustawy)", 54, 55, 56,
     57, false},
    {"7. Inne źródła, niewymienione w wierszach od 1 do 6", 58, 59, 60, 61, false},
    {"8. RAZEM (suma kwot z wierszy od 1 do 7, łącznie z wierszem 1a)", 62, 63, 64, 65, true},
};

// Computed boxes of the amount table (the "Dochód" column and the totals).
const int kPit11ComputedTableBoxes[] = {36, 41, 44, 47, 50, 54, 58, 62, 66, 70, 73};
const int kPit40ComputedTableBoxes[] = {37, 42, 45, 48, 52, 56, 60, 62, 63, 64, 65};

template <std::size_t NS, std::size_t NB, std::size_t NR, std::size_t NA, std::size_t NC>
std::unique_ptr<FormLayout> Build(const SectionRow (&sections)[NS], const BoxRow (&boxes)[NB],
                                  const AddressBlock (&addresses)[NR], const AmountRowData (&amountRows)[NA],
                                  const int (&computed)[NC], const QStringList& columns) {
    auto layout = std::make_unique<FormLayout>();
    for (const SectionRow& s : sections)
        layout->sections.push_back({s.id, QString::fromUtf8(s.title), s.page, s.amountTable, QString::fromUtf8(s.note)});
    for (const BoxRow& b : boxes) {
        FormBox entry;
        entry.key = b.key;
        entry.number = b.number;
        entry.kind = b.kind;
        entry.caption = QString::fromUtf8(b.caption);
        if (*b.choices) entry.choices = QString::fromUtf8(b.choices).split(u'|');
        entry.section = b.section;
        entry.row = b.row;
        entry.span = b.span;
        entry.required = (b.flags & kRequired) != 0;
        entry.computed = (b.flags & kComputed) != 0;
        entry.capitals = (b.flags & kCapitals) != 0;
        layout->boxes.push_back(entry);
    }
    for (const AddressBlock& block : addresses) {
        for (const AddressBoxRow& a : kAddressBoxes) {
            FormBox entry;
            entry.number = block.firstBox + a.offset;
            entry.key = "p" + QByteArray::number(entry.number);
            entry.kind = a.kind;
            entry.caption = QString::fromUtf8(a.caption);
            entry.section = block.section;
            entry.row = a.row;
            entry.span = a.span;
            entry.capitals = a.kind == BoxKind::Text;
            layout->boxes.push_back(entry);
        }
    }
    QByteArray tableSection;
    for (const SectionRow& s : sections)
        if (s.amountTable) tableSection = s.id;
    int tableRow = 0;
    for (const AmountRowData& r : amountRows) {
        layout->amountRows.push_back({QString::fromUtf8(r.caption), r.revenue, r.cost, r.income, r.advance, r.total});
        ++tableRow;
        const int cells[4] = {r.revenue, r.cost, r.income, r.advance};
        for (int column = 0; column < 4; ++column) {
            if (cells[column] == 0) continue;
            FormBox entry;
            entry.number = cells[column];
            entry.key = "p" + QByteArray::number(entry.number);
            entry.kind = BoxKind::Amount;
            entry.caption = columns.at(column) + QStringLiteral(", wiersz ") + QString::number(tableRow);
            entry.section = tableSection;
            entry.row = tableRow;
            entry.span = 0;
            for (int c : computed)
                if (c == entry.number) entry.computed = true;
            layout->boxes.push_back(entry);
        }
    }
    layout->amountColumns = columns;
    for (std::size_t i = 0; i < layout->boxes.size(); ++i) {
        const FormBox& box = layout->boxes[i];
        layout->keyIndex.insert(box.key, static_cast<int>(i));
        if (box.number <= 0) continue;
        if (layout->numberIndex.size() <= static_cast<std::size_t>(box.number))
            layout->numberIndex.resize(static_cast<std::size_t>(box.number) + 1, -1);
        layout->numberIndex[static_cast<std::size_t>(box.number)] = static_cast<int>(i);
    }
    return layout;
}

std::unique_ptr<FormLayout> BuildPit11(const QByteArray& symbol, int editionYear) {
    auto layout = Build(kPit11Sections, kPit11Boxes, kPit11Addresses, kPit11AmountRows, kPit11ComputedTableBoxes,
                        {QStringLiteral("Przychód"), QStringLiteral("Koszty uzyskania przychodu"),
                         QStringLiteral("Dochód"), QStringLiteral("Zaliczka pobrana przez płatnika")});
    layout->symbol = symbol;
    layout->formName = QStringLiteral("PIT-11/8B");
    layout->titles = {
        {QStringLiteral("PIT-11"), TemplateTextOf(symbol, TemplateText::FirstTitle), "pSKR.01"},
        {QStringLiteral("PIT-8B"), TemplateTextOf(symbol, TemplateText::SecondTitle), "pSKR.02"},
    };
    layout->payerNipBox = 1;
    layout->taxpayerNipBox = 19;
    layout->periodFromBox = 4;
    layout->periodToBox = 5;
    layout->editionYear = editionYear;
    layout->taxpayerSurnameBox = 20;
    layout->taxpayerFirstNameBox = 21;
    return layout;
}

std::unique_ptr<FormLayout> BuildPit40(const QByteArray& symbol, int editionYear) {
    auto layout = Build(kPit40Sections, kPit40Boxes, kPit40Addresses, kPit40AmountRows, kPit40ComputedTableBoxes,
                        {QStringLiteral("Przychód"), QStringLiteral("Koszty uzyskania przychodu"),
                         QStringLiteral("Dochód"), QStringLiteral("Pobrana zaliczka na podatek dochodowy")});
    layout->symbol = symbol;
    layout->formName = QStringLiteral("PIT-40");
    layout->titles = {{QStringLiteral("PIT-40"), TemplateTextOf(symbol, TemplateText::FirstTitle), {}}};
    layout->payerNipBox = 1;
    layout->taxpayerNipBox = 18;
    layout->taxpayerSurnameBox = 19;
    layout->taxpayerFirstNameBox = 20;
    layout->isPit40 = true;
    layout->editionYear = editionYear;
    return layout;
}

const std::map<QByteArray, std::unique_ptr<FormLayout>>& Layouts() {
    static const auto layouts = [] {
        std::map<QByteArray, std::unique_ptr<FormLayout>> all;
        all["PIT118B_C"] = BuildPit11("PIT118B_C", 2005);
        all["PIT118B_14"] = BuildPit11("PIT118B_14", 2006);
        all["PIT40_13"] = BuildPit40("PIT40_13", 2005);
        all["PIT40_14"] = BuildPit40("PIT40_14", 2006);
        return all;
    }();
    return layouts;
}

}  // namespace

const FormBox* FormLayout::box(const QByteArray& key) const {
    const int index = indexOf(key);
    return index < 0 ? nullptr : &boxes[static_cast<std::size_t>(index)];
}

const FormBox* FormLayout::boxByNumber(int number) const {
    for (const FormBox& entry : boxes)
        if (entry.number == number) return &entry;
    return nullptr;
}

int FormLayout::indexOf(const QByteArray& key) const {
    if (keyIndex.size() == static_cast<qsizetype>(boxes.size())) return keyIndex.value(key, -1);
    for (std::size_t i = 0; i < boxes.size(); ++i)
        if (boxes[i].key == key) return static_cast<int>(i);
    return -1;
}

int FormLayout::indexOfNumber(int number) const {
    if (!numberIndex.empty())
        return number > 0 && static_cast<std::size_t>(number) < numberIndex.size() ? numberIndex[static_cast<std::size_t>(number)] : -1;
    for (std::size_t i = 0; i < boxes.size(); ++i)
        if (boxes[i].number == number && number > 0) return static_cast<int>(i);
    return -1;
}

const FormLayout* FindFormLayout(const QByteArray& symbol) {
    const auto& layouts = Layouts();
    const auto it = layouts.find(symbol);
    return it == layouts.end() ? nullptr : it->second.get();
}

QList<QByteArray> KnownFormSymbols() {
    QList<QByteArray> symbols;
    for (const auto& [symbol, layout] : Layouts()) symbols << symbol;
    return symbols;
}

QString EditionYearText(const QByteArray& symbol) {
    const FormLayout* layout = FindFormLayout(symbol);
    return layout && layout->editionYear > 0 ? QString::number(layout->editionYear) : QString::fromLatin1(symbol);
}
