#include "forms/FormValidation.h"

#include "forms/AmountDisplay.h"
#include "forms/FormCalculation.h"

#include <QDate>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

namespace {

QString BoxName(const FormBox& box) {
    if (box.number > 0) return QStringLiteral("Poz. %1").arg(box.number);
    return QStringLiteral("Tytuł formularza");
}

void Add(std::vector<FormFinding>& findings, FindingKind kind, int index, const FormBox& box, const QString& text) {
    findings.push_back({index, BoxName(box) + QStringLiteral(": ") + text, kind});
}

// The number written by `count` ASCII digits from `from`; -1 when one of them is not a digit.
int DigitsAt(QStringView text, qsizetype from, qsizetype count) {
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        if (text[i] < u'0' || text[i] > u'9') return -1;
        value = value * 10 + (text[i].unicode() - '0');
    }
    return value;
}

// dd-mm-yyyy, or for a birth date also dd-mm yyyy.
std::optional<QDate> ReadDate(const QString& text, bool birthDateForm) {
    const QStringView date = QStringView(text).trimmed();
    if (date.size() != 10 || date[2] != u'-' || !(date[5] == u'-' || (birthDateForm && date[5] == u' ')))
        return std::nullopt;
    const int day = DigitsAt(date, 0, 2);
    const int month = DigitsAt(date, 3, 2);
    const int year = DigitsAt(date, 6, 4);
    if (day < 0 || month < 0 || year < 0) return std::nullopt;
    const QDate result(year, month, day);
    if (!result.isValid()) return std::nullopt;
    return result;
}

// Up to twelve digits, optionally a comma and one or two more: an amount anyone reads alike.
bool IsPlainAmount(QStringView text) {
    const qsizetype comma = text.indexOf(u',');
    const qsizetype whole = comma < 0 ? text.size() : comma;
    const qsizetype decimals = comma < 0 ? 0 : text.size() - comma - 1;
    if (whole < 1 || whole > 12 || (comma >= 0 && (decimals < 1 || decimals > 2))) return false;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (i != comma && (text[i] < u'0' || text[i] > u'9')) return false;
    return true;
}

bool IsPostalCode(QStringView text) {
    return text.size() == 6 && text[2] == u'-' && DigitsAt(text, 0, 2) >= 0 && DigitsAt(text, 3, 3) >= 0;
}

bool IsValidCode(const FormBox& box, const QString& value) {
    if (value.size() != box.codeLength()) return false;
    int ones = 0;
    for (QChar ch : value) {
        if (ch == u'1')
            ++ones;
        else if (ch != u'0')
            return false;
    }
    return ones <= 1 && value[0] == u'0';
}

void CheckValue(std::vector<FormFinding>& findings, int index, const FormBox& box, const QString& value) {
    const QStringView trimmed = QStringView(value).trimmed();
    switch (box.kind) {
    case BoxKind::Nip:
        switch (NipFaultOf(value)) {
        case NipFault::NotTenDigits: Add(findings, FindingKind::Nip, index, box, QStringLiteral("NIP musi składać się z 10 cyfr.")); break;
        case NipFault::Zeros: Add(findings, FindingKind::Nip, index, box, QStringLiteral("NIP nie może składać się z samych zer.")); break;
        case NipFault::CheckDigit:
            Add(findings, FindingKind::Nip, index, box, QStringLiteral("nieprawidłowy NIP – cyfra kontrolna się nie zgadza."));
            break;
        case NipFault::None: break;
        }
        break;
    case BoxKind::PostalCode:
        if (!IsPostalCode(trimmed))
            Add(findings, FindingKind::PostalCode, index, box, QStringLiteral("kod pocztowy musi mieć postać 00-000."));
        break;
    case BoxKind::BirthDate:
        if (!ReadDate(value, true))
            Add(findings, FindingKind::BirthDate, index, box, QStringLiteral("nieprawidłowa data urodzenia (oczekiwano DD-MM RRRR)."));
        break;
    case BoxKind::Date:
        if (!ReadDate(value, false))
            Add(findings, FindingKind::Period, index, box, QStringLiteral("nieprawidłowa data (oczekiwano DD-MM-RRRR)."));
        break;
    case BoxKind::TaxYear:
        if (trimmed.size() != 4 || DigitsAt(trimmed, 0, 4) < 0)
            Add(findings, FindingKind::TaxYear, index, box, QStringLiteral("rok podatkowy musi składać się z czterech cyfr."));
        break;
    case BoxKind::Amount:
    case BoxKind::WholeAmount: {
        if (IsPlainAmount(trimmed)) break;  // readable and not negative
        const auto amount = ReadShownAmount(value);
        if (!amount)
            Add(findings, FindingKind::NotAmount, index, box, QStringLiteral("wpisana wartość nie jest kwotą."));
        else if (*amount < 0)
            Add(findings, FindingKind::NegativeAmount, index, box, QStringLiteral("kwota nie może być ujemna."));
        break;
    }
    case BoxKind::Choice:
    case BoxKind::Tick:
    case BoxKind::TitleStrike:
        if (!IsValidCode(box, value))
            Add(findings, FindingKind::Choice, index, box, QStringLiteral("nieprawidłowe oznaczenie wyboru „%1”.").arg(value));
        break;
    case BoxKind::Text:
        if (box.capitals && std::any_of(value.begin(), value.end(), [](QChar ch) { return ch.isLower(); }))
            Add(findings, FindingKind::Capitals, index, box, QStringLiteral("formularz wypełnia się dużymi literami."));
        break;
    }
}

void CheckPeriod(std::vector<FormFinding>& findings, const FormLayout& layout, const FormValues& values) {
    if (layout.periodFromBox == 0) return;
    const int fromIndex = layout.indexOf("p" + QByteArray::number(layout.periodFromBox));
    const int toIndex = layout.indexOf("p" + QByteArray::number(layout.periodToBox));
    const auto from = ReadDate(values.at(fromIndex), false);
    const auto to = ReadDate(values.at(toIndex), false);
    for (const auto& [index, date] : {std::pair{fromIndex, from}, std::pair{toIndex, to}}) {
        if (date && layout.editionYear != 0 && date->year() != layout.editionYear)
            Add(findings, FindingKind::Period, index, layout.boxes[static_cast<std::size_t>(index)],
                QStringLiteral("data spoza roku %1, za który jest ten formularz.").arg(layout.editionYear));
    }
    if (!from || !to) return;
    const FormBox& toBox = layout.boxes[static_cast<std::size_t>(toIndex)];
    if (*from > *to)
        Add(findings, FindingKind::Period, toIndex, toBox, QStringLiteral("koniec okresu jest wcześniejszy niż jego początek."));
    else if (from->year() != to->year())
        Add(findings, FindingKind::Period, toIndex, toBox, QStringLiteral("okres musi mieścić się w jednym roku podatkowym."));
}

void CheckTitles(std::vector<FormFinding>& findings, const FormLayout& layout, const FormValues& values) {
    int struck = 0;
    int last = -1;
    for (const FormTitle& title : layout.titles) {
        if (title.strikeKey.isEmpty()) continue;
        const int index = layout.indexOf(title.strikeKey);
        if (values.at(index) == QLatin1String("01")) {
            ++struck;
            last = index;
        }
    }
    if (struck > 1)
        Add(findings, FindingKind::Titles, last, layout.boxes[static_cast<std::size_t>(last)],
            QStringLiteral("skreślono oba tytuły – należy skreślić tylko niewłaściwy."));
    if (struck == 0 && layout.titles.size() > 1) {
        const int first = layout.indexOf(layout.titles.front().strikeKey);
        if (first >= 0 && values.present[static_cast<std::size_t>(first)])
            Add(findings, FindingKind::Titles, first, layout.boxes[static_cast<std::size_t>(first)],
                QStringLiteral("nie skreślono żadnego tytułu – należy skreślić niewłaściwy."));
    }
}

// PIT-11 struck out makes the form a PIT-8B, which does not report wages from employment: the
// first row of the amount table (its revenue box) must then be empty or 0.
void CheckStruckPit11(std::vector<FormFinding>& findings, const FormLayout& layout, const FormValues& values) {
    if (layout.isPit40 || layout.titles.size() < 2 || layout.amountRows.empty()) return;
    const int strike = layout.indexOf(layout.titles.front().strikeKey);
    if (strike < 0 || values.at(strike) != QLatin1String("01")) return;
    const int wagesBox = layout.amountRows.front().revenue;
    const int wages = layout.indexOfNumber(wagesBox);
    if (wages < 0) return;
    const auto amount = ReadShownAmount(values.at(wages));
    if (!amount || *amount == 0) return;  // nothing, or not an amount (reported as such)
    Add(findings, FindingKind::StruckPit11Wages, wages, layout.boxes[static_cast<std::size_t>(wages)],
        QStringLiteral("na formularzu skreślono %1, a poz. %2 wykazuje wynagrodzenie ze stosunku pracy.")
            .arg(layout.titles.front().shortName)
            .arg(wagesBox));
}

// The tax year (PIT-40) belongs to the edition's year.
void CheckTaxYear(std::vector<FormFinding>& findings, const FormLayout& layout, const FormValues& values) {
    for (std::size_t i = 0; i < layout.boxes.size(); ++i) {
        const FormBox& box = layout.boxes[i];
        if (box.kind != BoxKind::TaxYear || layout.editionYear == 0) continue;
        bool ok = false;
        const int year = values.text[i].trimmed().toInt(&ok);
        if (ok && year != layout.editionYear)
            Add(findings, FindingKind::TaxYear, static_cast<int>(i), box,
                QStringLiteral("rok podatkowy %1 nie jest rokiem %2, za który jest ten formularz.")
                    .arg(year)
                    .arg(layout.editionYear));
    }
}

// An amount box's value; an empty box counts as 0, a value that is not an amount as none.
std::optional<double> AmountOf(const FormLayout& layout, const FormValues& values, const char* key) {
    const int index = layout.indexOf(key);
    if (index < 0) return std::nullopt;
    const QString& text = values.at(index);
    return QStringView(text).trimmed().isEmpty() ? std::optional<double>(0.0) : ReadShownAmount(text);
}

// PIT-40: the health contribution deducted (box 73) can exceed neither the one paid (box 72) nor
// the tax it is deducted from (box 71).
void CheckHealthContribution(std::vector<FormFinding>& findings, const FormLayout& layout, const FormValues& values) {
    if (!layout.isPit40) return;
    const int deductedIndex = layout.indexOf("p73");
    if (deductedIndex < 0 || QStringView(values.at(deductedIndex)).trimmed().isEmpty()) return;
    const auto deducted = AmountOf(layout, values, "p73");
    if (!deducted) return;
    const FormBox& box = layout.boxes[static_cast<std::size_t>(deductedIndex)];
    const auto paid = AmountOf(layout, values, "p72");
    if (paid && *deducted - *paid >= 0.005)
        Add(findings, FindingKind::HealthContribution, deductedIndex, box, QStringLiteral("odliczona składka zdrowotna jest wyższa niż zapłacona (poz. 72)."));
    const auto tax = AmountOf(layout, values, "p71");
    if (tax && *deducted - *tax >= 0.005)
        Add(findings, FindingKind::HealthContribution, deductedIndex, box, QStringLiteral("odliczona składka zdrowotna jest wyższa niż podatek (poz. 71)."));
}

}  // namespace

std::optional<QDate> ReadFormDate(const QString& text) { return ReadDate(text, false); }

bool IsValidNip(const QString& nip) {
    static const int weights[9] = {6, 5, 7, 2, 3, 4, 5, 6, 7};
    int digits[10];
    int count = 0;
    for (QChar ch : nip) {
        if (ch == u'-' || ch == u' ') continue;
        if (ch < u'0' || ch > u'9' || count == 10) return false;
        digits[count++] = ch.unicode() - u'0';
    }
    if (count != 10) return false;
    int sum = 0;
    for (int i = 0; i < 9; ++i) sum += weights[i] * digits[i];
    const int check = sum % 11;
    return check != 10 && check == digits[9];
}

NipFault NipFaultOf(const QString& nip) {
    int digits = 0;
    bool zeros = true;
    bool others = false;
    for (QChar ch : nip) {
        if (ch == u'-' || ch == u' ') continue;
        if (ch < u'0' || ch > u'9') others = true;
        ++digits;
        zeros = zeros && ch == u'0';
    }
    if (others || digits != 10) return NipFault::NotTenDigits;
    if (zeros) return NipFault::Zeros;
    if (!IsValidNip(nip)) return NipFault::CheckDigit;
    return NipFault::None;
}

std::vector<FormFinding> ValidateForm(const FormLayout& layout, const FormValues& values) {
    std::vector<FormFinding> findings;
    for (std::size_t i = 0; i < layout.boxes.size(); ++i) {
        const FormBox& box = layout.boxes[i];
        const int index = static_cast<int>(i);
        const QString& value = values.at(index);
        const bool empty = QStringView(value).trimmed().isEmpty() || (!box.isCoded() && !box.isAmount() && IsBlankValue(value));
        if (empty) {
            if (box.required) Add(findings, FindingKind::Required, index, box, QStringLiteral("nie wypełniono wymaganego pola („%1”).").arg(box.caption));
            continue;
        }
        CheckValue(findings, index, box, value);
    }
    CheckPeriod(findings, layout, values);
    CheckTitles(findings, layout, values);
    CheckStruckPit11(findings, layout, values);
    CheckTaxYear(findings, layout, values);
    CheckHealthContribution(findings, layout, values);
    return findings;
}

std::vector<FormFinding> CrossCheckForm(const FormLayout& layout, const FormValues& values,
                                        const FormValues& calculated) {
    std::vector<FormFinding> findings;
    for (std::size_t i = 0; i < layout.boxes.size(); ++i) {
        const FormBox& box = layout.boxes[i];
        if (!box.computed) continue;
        const int index = static_cast<int>(i);
        if (values.at(index) == calculated.at(index)) continue;  // the same text: the same amount
        const auto shown = values.at(index).trimmed().isEmpty() ? std::optional<double>(0.0) : ReadShownAmount(values.at(index));
        const auto expected = calculated.at(index).trimmed().isEmpty() ? std::optional<double>(0.0)
                                                                       : ReadShownAmount(calculated.at(index));
        if (!shown || !expected) continue;  // not an amount: reported by the checks above
        if (std::fabs(*shown - *expected) >= 0.005)
            Add(findings, FindingKind::Calculation, index, box,
                QStringLiteral("kwota niezgodna z wyliczeniem – powinno być %1.")
                    .arg(ShowAmount(*expected, box.kind == BoxKind::WholeAmount)));
    }
    return findings;
}

std::vector<FormFinding> FitForm(const FormLayout& layout, const FormValues& values,
                                 const std::function<bool(int box, const QString& value)>& fits) {
    std::vector<FormFinding> findings;
    for (std::size_t i = 0; i < layout.boxes.size(); ++i) {
        const int index = static_cast<int>(i);
        if (layout.boxes[i].isCoded() || values.at(index).isEmpty() || fits(index, values.at(index))) continue;
        Add(findings, FindingKind::Unfit, index, layout.boxes[i],
            QStringLiteral("wartość nie mieści się w polu formularza nawet najmniejszym pismem – na wydruku "
                           "nie byłaby widoczna w całości; należy ją skrócić."));
    }
    return findings;
}

void SortFindingsByBox(const FormLayout& layout, std::vector<FormFinding>& findings) {
    const auto place = [&layout](const FormFinding& finding) {
        return finding.box < 0 ? std::numeric_limits<int>::max() : layout.boxes[static_cast<std::size_t>(finding.box)].place();
    };
    std::stable_sort(findings.begin(), findings.end(),
                     [&place](const FormFinding& a, const FormFinding& b) { return place(a) < place(b); });
}

std::vector<FormFinding> CheckForm(const FormLayout& layout, const FormValues& values,
                                   const std::optional<FormTaxScale>& scale, bool calculate, bool arithmetic,
                                   std::optional<CalculationError>* failure) {
    auto findings = ValidateForm(layout, values);
    if (failure) failure->reset();
    if (!calculate && !arithmetic) return findings;
    FormValues calculated = values;
    CalculationError error;
    if (!CalculateForm(layout, calculated, scale, &error)) {
        // Never an empty or stale total without a word: the user learns where and why.
        const QString where = error.box >= 0
                                  ? QStringLiteral("Poz. %1").arg(layout.boxes[static_cast<std::size_t>(error.box)].number)
                                  : QStringLiteral("Obliczenia");
        findings.push_back({error.box, where + QStringLiteral(": nie można wyliczyć kwoty – ") + error.message,
                            FindingKind::CalculationFailed});
        if (failure) *failure = std::move(error);
    } else {
        // A form printed calculated shows the calculated tax: the deducted health contribution is
        // judged against that one, not against what the register may hold in its place.
        if (calculate) {
            findings.erase(std::remove_if(findings.begin(), findings.end(),
                                          [](const FormFinding& f) { return f.kind == FindingKind::HealthContribution; }),
                           findings.end());
            CheckHealthContribution(findings, layout, calculated);
        }
        if (arithmetic) {
            const auto more = CrossCheckForm(layout, values, calculated);
            findings.insert(findings.end(), more.begin(), more.end());
        }
    }
    SortFindingsByBox(layout, findings);
    return findings;
}
