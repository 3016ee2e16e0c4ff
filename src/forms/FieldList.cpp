#include "forms/FieldList.h"

#include "forms/ControlCharacters.h"

#include <array>

namespace {

QByteArray bytes(std::string_view text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

using Lines = FieldListVisitor;

// The lines as text: "p19=value".
class LineList : public FieldListVisitor {
public:
    explicit LineList(QByteArrayList& target) : target_(target) {}
    using FieldListVisitor::add;

    void add(std::string_view key, std::string_view value) override { target_.push_back(bytes(key) + '=' + bytes(value)); }
    void add(int box, std::string_view value) override {
        target_.push_back('p' + QByteArray::number(box) + '=' + bytes(value));
    }

private:
    QByteArrayList& target_;
};

// A coded check box: the code of `value` (1-based) among `codes`, or nothing for another value.
template <std::size_t N>
std::optional<std::string_view> code(std::uint8_t value, const std::array<const char*, N>& codes) {
    if (value < 1 || value > N) return std::nullopt;
    return std::string_view(codes[value - 1]);
}

// Kind of payer: PIT-11/8B p7, PIT-40 p6; no line unless chosen.
void addPayerKind(Lines& lines, const char* box, const PayerRecord& payer) {
    if (const auto value = code<2>(payer.rodzaj, {"010", "001"})) lines.add(std::string_view(box), *value);
}

// The payer's name and address, from the box of the name on: kraj, wojewodztwo, powiat, gmina,
// ulica, nrDomu, nrLok, miejscowosc, kodPoczt, poczta follow in consecutive boxes.
void addPayerAddress(Lines& lines, int nameBox, const PayerRecord& payer) {
    const std::array<std::string_view, 11> values = {
        payer.nazwa,  payer.kraj,  payer.wojewodztwo, payer.powiat,   payer.gmina, payer.ulica,
        payer.nrDomu, payer.nrLok, payer.miejscowosc, payer.kodPoczt, payer.poczta};
    for (std::size_t i = 0; i < values.size(); ++i) lines.add(nameBox + static_cast<int>(i), values[i]);
}

// Where a form's taxpayer boxes begin: the tax office's box, and the NIP's, from which the
// taxpayer's identity and address follow in consecutive boxes.
struct TaxpayerBoxes {
    int office;
    int nip;
};
constexpr TaxpayerBoxes kPit11Taxpayer = {6, 19};
constexpr TaxpayerBoxes kPit40Taxpayer = {5, 18};

// The taxpayer's fields with their boxes in the field list's order: the tax office in its own box,
// then nip, nazwisko, imie1, the birth date, kraj, wojewodztwo, powiat, gmina, ulica, nrDomu, nrLok,
// miejsc, kodPoczt, poczta in consecutive boxes. The birth date, which the form shows rearranged,
// goes to `birthDate(box)`, every other field to `each(box, field)`.
template <typename Record, typename Each, typename BirthDate>
void forEachTaxpayerBox(Record& taxpayer, TaxpayerBoxes boxes, Each&& each, BirthDate&& birthDate) {
    each(boxes.office, taxpayer.us);
    const int nip = boxes.nip;
    each(nip, taxpayer.nip);
    each(nip + 1, taxpayer.nazwisko);
    each(nip + 2, taxpayer.imie1);
    birthDate(nip + 3);
    each(nip + 4, taxpayer.kraj);
    each(nip + 5, taxpayer.wojewodztwo);
    each(nip + 6, taxpayer.powiat);
    each(nip + 7, taxpayer.gmina);
    each(nip + 8, taxpayer.ulica);
    each(nip + 9, taxpayer.nrDomu);
    each(nip + 10, taxpayer.nrLok);
    each(nip + 11, taxpayer.miejsc);
    each(nip + 12, taxpayer.kodPoczt);
    each(nip + 13, taxpayer.poczta);
}

void addTaxpayer(Lines& lines, TaxpayerBoxes boxes, const TaxpayerRecord& taxpayer) {
    forEachTaxpayerBox(
        taxpayer, boxes, [&lines](int box, std::string_view value) { lines.add(box, value); },
        [&lines, &taxpayer](int box) {
            const QByteArray birthDate = FormatBirthDate(taxpayer.dataUr);
            lines.add(box, std::string_view(birthDate.data(), static_cast<std::size_t>(birthDate.size())));
        });
}

// A period date: no line when the text begins with a blank (the field's empty mask).
void addPeriodDate(Lines& lines, const char* box, std::string_view date) {
    if (!date.empty() && date.front() == ' ') return;
    lines.add(box, date);
}

void addPit11(Lines& lines, const FieldListChoices& choices, const TaxpayerRecord& taxpayer, const PayerRecord& payer) {
    lines.add("p1", payer.NIP);
    lines.add("pSKR.01", choices.strikePit11 ? "01" : "00");
    lines.add("pSKR.02", choices.strikePit11 ? "00" : "01");
    addPayerKind(lines, "p7", payer);
    addPayerAddress(lines, 8, payer);
    addPeriodDate(lines, "p4", taxpayer.pit11_od);
    addPeriodDate(lines, "p5", taxpayer.pit11_do);
    addTaxpayer(lines, kPit11Taxpayer, taxpayer);
    // Costs of earning income: 2 is the fourth box and 3 the third, as the form orders them.
    lines.add(std::string_view("p33"), code<4>(taxpayer.pit11_33, {"01000", "00010", "00100", "00001"}).value_or(std::string_view()));
    lines.add(std::string_view("p79"), code<2>(taxpayer.pit11_PITR, {"010", "001"}).value_or(std::string_view()));
    // The filled amounts in box order (walked once: looking each box up walks the list each time).
    taxpayer.p11.forEachFilled([&lines](std::size_t index, std::string_view amount) {
        lines.add(TaxpayerRecord::kFirstP11Box + static_cast<int>(index), amount);
    });
    lines.add("p80", choices.fillerFirstName);
    lines.add("p81", choices.fillerSurname);
}

void addPit40(Lines& lines, const FieldListChoices& choices, const TaxpayerRecord& taxpayer, const PayerRecord& payer) {
    lines.add("p1", payer.NIP);
    addPayerKind(lines, "p6", payer);
    addPayerAddress(lines, 7, payer);
    lines.add("p4", choices.taxYear);
    addTaxpayer(lines, kPit40Taxpayer, taxpayer);
    if (taxpayer.pit40_NIP3 == 1) lines.add("p32", "01");
    if (taxpayer.pit40_PITR == 1) lines.add("p33", "01");
    lines.add(std::string_view("p34"), code<5>(taxpayer.pit40_34, {"010000", "001000", "000100", "000010", "000001"})
                                           .value_or(std::string_view()));
    taxpayer.p40.forEachFilled([&lines](std::size_t index, std::string_view amount) {
        lines.add(TaxpayerRecord::kFirstP40Box + static_cast<int>(index), amount);
    });
    lines.add("p77", choices.fillerFirstName);
    lines.add("p78", choices.fillerSurname);
}

}  // namespace

void SetEditionSymbols(EditionSymbols& symbols, int yearIndex) {
    if (yearIndex == 0) {
        symbols.pit11 = "PIT118B_C";
        symbols.pit40 = "PIT40_13";
    } else if (yearIndex == 1) {
        symbols.pit11 = "PIT118B_14";
        symbols.pit40 = "PIT40_14";
    }
}

std::optional<QString> FillerNamesProblem(const FieldListChoices& choices) {
    const auto problem = [](const char* which) {
        return QStringLiteral("%1 osoby wypełniającej formularz zawiera znak sterujący (np. koniec wiersza albo "
                              "tabulację). Popraw je i spróbuj ponownie.")
            .arg(QString::fromUtf8(which));
    };
    if (HasControlCharacters(choices.fillerSurname)) return problem("Nazwisko");
    if (HasControlCharacters(choices.fillerFirstName)) return problem("Imię");
    return std::nullopt;
}

QByteArray FormatBirthDate(std::string_view dataUr) {
    if (dataUr.size() < 10) return bytes(dataUr);
    // One allocation: the date is formatted for every taxpayer of a whole-register pass.
    QByteArray date(10, ' ');
    char* out = date.data();
    const char* in = dataUr.data();
    out[0] = in[8];
    out[1] = in[9];
    out[2] = '-';
    out[3] = in[5];
    out[4] = in[6];
    out[5] = ' ';
    for (int i = 0; i < 4; ++i) out[6 + i] = in[i];
    return date;
}

void VisitFieldList(FieldListVisitor& visitor, const FieldListChoices& choices, const TaxpayerRecord* taxpayer,
                    const PayerRecord& payer) {
    if (!taxpayer) return;
    if (choices.kind == FormKind::Pit11) addPit11(visitor, choices, *taxpayer, payer);
    if (choices.kind == FormKind::Pit40) addPit40(visitor, choices, *taxpayer, payer);
}

bool ChangeTaxpayerTextBoxes(FormKind kind, TaxpayerRecord& taxpayer,
                             const std::function<std::optional<std::string>(int box, std::string_view text)>& change) {
    if (kind == FormKind::None) return false;
    bool changed = false;
    forEachTaxpayerBox(
        taxpayer, kind == FormKind::Pit11 ? kPit11Taxpayer : kPit40Taxpayer,
        [&](int box, auto& field) {
            const std::string_view before = field;
            std::optional<std::string> after = change(box, before);
            if (!after || *after == before) return;
            field.assign(*after);
            changed = true;
        },
        [](int) {});
    return changed;
}

std::optional<QByteArray> BuildFieldList(QByteArrayList& target, const FieldListChoices& choices,
                                         const TaxpayerRecord* taxpayer, const PayerRecord& payer,
                                         const EditionSymbols& symbols) {
    target.clear();
    LineList lines(target);
    VisitFieldList(lines, choices, taxpayer, payer);
    switch (choices.kind) {
    case FormKind::Pit11: return symbols.pit11;
    case FormKind::Pit40: return symbols.pit40;
    case FormKind::None: break;
    }
    return std::nullopt;
}
