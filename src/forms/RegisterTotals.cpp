#include "forms/RegisterTotals.h"

#include "edit/AmountCalculations.h"
#include "edit/UnreadableAmounts.h"
#include "forms/AmountDisplay.h"
#include "forms/FormValues.h"
#include "forms/SemicolonList.h"
#include "store/Cp1250.h"
#include "store/FileErrors.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>

namespace {

constexpr int kBoxSlots = 100;  // box numbers of both forms stay below this

// "-" optional, digits, then a comma and at most two digits: text whose grosze are read exactly and
// which the form takes as it stands.
bool IsPlainAmount(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && text[i] == '-') ++i;
    const std::size_t digitsFrom = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    if (i == digitsFrom || i - digitsFrom > 15) return false;
    if (i == text.size()) return true;
    if (text[i] != ',') return false;
    ++i;
    const std::size_t decimals = text.size() - i;
    if (decimals > 2) return false;
    for (; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    return true;
}

// The grosze of plain amount text (IsPlainAmount).
std::int64_t PlainGrosze(std::string_view text) {
    bool negative = false;
    if (!text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    std::int64_t whole = 0;
    std::size_t i = 0;
    for (; i < text.size() && text[i] != ','; ++i) whole = whole * 10 + (text[i] - '0');
    std::int64_t cents = 0;
    int decimals = 0;
    for (++i; i < text.size(); ++i, ++decimals) cents = cents * 10 + (text[i] - '0');
    if (decimals == 1) cents *= 10;
    const std::int64_t grosze = whole * 100 + cents;
    return negative ? -grosze : grosze;
}

// One taxpayer's amount boxes by number, filled from the field list and then by the form's
// calculation. Text the form would tidy before reading ("1 234,5") is tidied the same way.
class TaxpayerAmounts : public FieldListVisitor, public AmountBoxes {
public:
    explicit TaxpayerAmounts(const FormLayout& layout) : layout_(layout) {
        for (const FormBox& box : layout.boxes)
            if (box.isAmount() && box.number > 0 && box.number < kBoxSlots) amountBoxes_.push_back(&box);
        for (const FormBox* box : amountBoxes_) isAmount_[static_cast<std::size_t>(box->number)] = true;
    }

    void reset() {
        for (const FormBox* box : amountBoxes_) {
            values_[static_cast<std::size_t>(box->number)].clear();
            filled_[static_cast<std::size_t>(box->number)] = false;
        }
    }

    // FieldListVisitor: only the amount boxes matter here.
    void add(std::string_view, std::string_view) override {}
    void add(int box, std::string_view value) override {
        if (box <= 0 || box >= kBoxSlots || !isAmount_[static_cast<std::size_t>(box)]) return;
        values_[static_cast<std::size_t>(box)].assign(value);
        filled_[static_cast<std::size_t>(box)] = true;
    }

    // AmountBoxes: what the form's formulas read and write.
    std::string text(int box) const override {
        if (box <= 0 || box >= kBoxSlots) return {};
        const std::string& value = values_[static_cast<std::size_t>(box)];
        if (value.empty() || IsPlainAmount(value)) return value;
        const FormBox* entry = layout_.boxByNumber(box);
        if (!entry) return value;
        return cp1250::fromUnicode(FiskonAmountText(*entry, cp1250::toUnicode(value)));
    }
    void setText(int box, const std::string& text) override {
        if (box <= 0 || box >= kBoxSlots || !isAmount_[static_cast<std::size_t>(box)]) return;
        values_[static_cast<std::size_t>(box)] = text;
        filled_[static_cast<std::size_t>(box)] = true;
    }

    const std::vector<const FormBox*>& amountBoxes() const { return amountBoxes_; }
    // The box's value as text when the form shows one; empty otherwise.
    const std::string& value(int box) const { return values_[static_cast<std::size_t>(box)]; }

private:
    const FormLayout& layout_;
    std::vector<const FormBox*> amountBoxes_;
    std::array<bool, kBoxSlots> isAmount_{};
    std::array<bool, kBoxSlots> filled_{};
    std::array<std::string, kBoxSlots> values_;
};

// The grosze a filled box shows on the printed form; nothing when its text is not an amount.
std::optional<std::int64_t> ShownGrosze(const FormBox& box, std::string_view text) {
    const bool whole = box.kind == BoxKind::WholeAmount;
    if (IsPlainAmount(text)) {
        const std::int64_t grosze = PlainGrosze(text);
        if (!whole || grosze % 100 == 0) return grosze;
    }
    const auto value = ReadShownAmount(cp1250::toUnicode(text));
    if (!value) return std::nullopt;
    const double rounded = whole ? RoundToWhole(*value) : RoundToCents(*value);
    return static_cast<std::int64_t>(std::llround(rounded * 100.0));
}

struct PartialSums {
    std::array<std::int64_t, kBoxSlots> grosze{};
    std::array<bool, kBoxSlots> filled{};
    std::vector<TotalsProblem> problems;
    std::set<int> overflowed;
};

void SumRange(const TaxpayerRegister& taxpayers, const PayerRecord& payer, const RegisterCheckRequest& request,
              const FormLayout& layout, std::size_t first, std::size_t last, PartialSums& sums) {
    TaxpayerAmounts amounts(layout);
    for (std::size_t i = first; i < last; ++i) {
        const int index = request.indices[i];
        amounts.reset();
        VisitFieldList(amounts, request.choices, &taxpayers.at(index), payer);
        try {
            if (layout.isPit40)
                RecomputePit40Page(amounts);
            else
                RecomputePit11Page(amounts);
        } catch (const ConversionError& error) {
            // Each amount of the form that cannot be read, by its box; the calculation's own
            // refusal when none of them is one.
            const std::vector<UnreadableAmount> unreadable =
                UnreadableAmounts(taxpayers.at(index), layout.isPit40 ? AmountForms::Pit40 : AmountForms::Pit11);
            for (const UnreadableAmount& amount : unreadable) sums.problems.push_back({index + 1, amount.box, amount.reason});
            if (unreadable.empty())
                sums.problems.push_back(
                    {index + 1, 0, QStringLiteral("kwot formularza nie da się obliczyć (%1).").arg(error.message())});
            continue;
        }
        for (const FormBox* box : amounts.amountBoxes()) {
            const std::string& text = amounts.value(box->number);
            if (text.empty()) continue;
            const auto grosze = ShownGrosze(*box, text);
            if (!grosze) {
                sums.problems.push_back({index + 1, box->number,
                                         QStringLiteral("„%1” nie jest kwotą.").arg(cp1250::toUnicode(text))});
                continue;
            }
            if (*grosze < 0) {  // as the form's check refuses it
                sums.problems.push_back({index + 1, box->number,
                                         QStringLiteral("kwota %1 jest ujemna – sprawdzenie formularza jej nie przyjmie.")
                                             .arg(cp1250::toUnicode(text))});
                continue;
            }
            const auto slot = static_cast<std::size_t>(box->number);
            sums.filled[slot] = true;
            if (__builtin_add_overflow(sums.grosze[slot], *grosze, &sums.grosze[slot])) sums.overflowed.insert(box->number);
        }
    }
}

int Workers(std::size_t count) {
    constexpr std::size_t kLeast = 4096;  // fewer taxpayers than this are summed on one thread
    const auto cores = static_cast<std::size_t>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
    return static_cast<int>(std::clamp<std::size_t>(count / kLeast, 1, cores));
}

// The first words of an amount table row's caption, lower case, without its number: "1a. Przychody
// nieujęte w poz. 34, ..." gives "przychody nieujęte w poz. 34…".
QString RowWords(const QString& caption) {
    QString text = caption;
    const qsizetype dot = text.indexOf(QStringLiteral(". "));
    if (dot > 0 && dot <= 4) text = text.mid(dot + 2);
    qsizetype cut = text.size();
    for (const QString& stop : {QStringLiteral(","), QStringLiteral(" ("), QStringLiteral(";")}) {
        const qsizetype at = text.indexOf(stop);
        if (at > 0) cut = std::min(cut, at);
    }
    const bool shortened = cut < text.size();
    text = text.left(cut).trimmed();
    if (!text.isEmpty() && !(text.size() > 1 && text[1].isUpper())) text[0] = text[0].toLower();
    return shortened ? text + QStringLiteral("…") : text;
}

}  // namespace

RegisterTotals SumRegister(const TaxpayerRegister& taxpayers, const PayerRecord& payer,
                           const RegisterCheckRequest& request) {
    RegisterTotals totals;
    const FormLayout* layout = RequestedFormLayout(request);
    if (!layout) return totals;
    totals.formName = layout->formName;
    totals.symbol = layout->symbol;
    totals.taxpayers = static_cast<int>(request.indices.size());

    const std::size_t count = request.indices.size();
    const int workers = Workers(count);
    std::vector<PartialSums> parts(static_cast<std::size_t>(workers));
    std::vector<std::thread> threads;
    auto range = [&](int worker) {
        const std::size_t first = count * static_cast<std::size_t>(worker) / static_cast<std::size_t>(workers);
        const std::size_t last = count * static_cast<std::size_t>(worker + 1) / static_cast<std::size_t>(workers);
        SumRange(taxpayers, payer, request, *layout, first, last, parts[static_cast<std::size_t>(worker)]);
    };
    for (int worker = 1; worker < workers; ++worker) threads.emplace_back(range, worker);
    range(0);
    for (std::thread& thread : threads) thread.join();

    PartialSums all;
    for (PartialSums& part : parts) {  // in register order, so the problems stay in it
        all.problems.insert(all.problems.end(), part.problems.begin(), part.problems.end());
        all.overflowed.insert(part.overflowed.begin(), part.overflowed.end());
        for (int box = 0; box < kBoxSlots; ++box) {
            const auto slot = static_cast<std::size_t>(box);
            all.filled[slot] = all.filled[slot] || part.filled[slot];
            if (__builtin_add_overflow(all.grosze[slot], part.grosze[slot], &all.grosze[slot])) all.overflowed.insert(box);
        }
    }
    for (int box : all.overflowed)
        all.problems.push_back({0, box, QStringLiteral("suma przekracza zakres kwot programu.")});
    totals.problems = std::move(all.problems);
    if (!totals.problems.empty()) return totals;

    std::vector<const FormBox*> boxes;
    for (const FormBox& box : layout->boxes)
        if (box.isAmount() && box.number > 0 && box.number < kBoxSlots && all.filled[static_cast<std::size_t>(box.number)])
            boxes.push_back(&box);
    std::sort(boxes.begin(), boxes.end(), [](const FormBox* a, const FormBox* b) { return a->number < b->number; });
    for (const FormBox* box : boxes)
        totals.boxes.push_back({box->number, TotalCaption(*layout, box->number), all.grosze[static_cast<std::size_t>(box->number)]});
    return totals;
}

FindingCounts CountFindings(const TaxpayerRegister& taxpayers, const PayerRecord& payer,
                            const RegisterCheckRequest& request) {
    FindingCounts counts;
    int lastPosition = 0;
    for (const RegisterFinding& finding : CheckRegister(taxpayers, payer, request)) {
        if (finding.position == 0) {
            ++counts.sharedFindings;
        } else if (finding.position != lastPosition) {  // a taxpayer's findings stand together
            ++counts.taxpayersWithFindings;
            lastPosition = finding.position;
        }
    }
    if (counts.sharedFindings > 0) counts.taxpayersWithFindings = static_cast<int>(request.indices.size());
    return counts;
}

QString GroszeText(std::int64_t grosze, bool grouped) {
    const bool negative = grosze < 0;
    // The magnitude as unsigned, so that the smallest value has one too.
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(grosze) : static_cast<std::uint64_t>(grosze);
    QString whole = QString::number(magnitude / 100);
    if (grouped)
        for (qsizetype at = whole.size() - 3; at > 0; at -= 3) whole.insert(at, QChar(0x00A0));
    const std::uint64_t cents = magnitude % 100;
    return (negative ? QStringLiteral("-") : QString()) + whole + u',' + QChar(u'0' + static_cast<char16_t>(cents / 10)) +
           QChar(u'0' + static_cast<char16_t>(cents % 10));
}

QString TotalCaption(const FormLayout& layout, int number) {
    const FormBox* box = layout.boxByNumber(number);
    if (!box) return {};
    QString caption = box->caption;
    for (const AmountTableRow& row : layout.amountRows) {
        const int cells[4] = {row.revenue, row.cost, row.income, row.advance};
        for (int column = 0; column < 4; ++column)
            if (cells[column] == number && column < layout.amountColumns.size())
                caption = layout.amountColumns.at(column) + QStringLiteral(" – ") + RowWords(row.caption);
    }
    return caption.replace(u';', u',');
}

QString TotalsProblemText(const TotalsProblem& problem, const TaxpayerRegister& taxpayers) {
    QString who;
    if (problem.position > 0 && problem.position <= taxpayers.count()) {
        const TaxpayerRecord& record = taxpayers.at(problem.position - 1);
        who = QStringLiteral("Podatnik nr %1 (%2 %3)")
                  .arg(problem.position)
                  .arg(cp1250::toUnicode(record.nazwisko.view()), cp1250::toUnicode(record.imie1.view()));
    } else {
        who = QStringLiteral("Zestawienie");
    }
    if (problem.box > 0) who += QStringLiteral(", poz. %1").arg(problem.box);
    return who + QStringLiteral(": ") + problem.description;
}

std::string TotalsListText(const RegisterTotals& totals, const PayerRecord& payer, const FindingCounts* findings) {
    QString text;
    text += SemicolonListLine({QStringLiteral("Płatnik"), cp1250::toUnicode(payer.nazwa.view())});
    text += SemicolonListLine({QStringLiteral("NIP płatnika"), cp1250::toUnicode(payer.NIP.view())});
    text += SemicolonListLine({QStringLiteral("Formularz"), totals.formName, QString::fromLatin1(totals.symbol)});
    text += SemicolonListLine({QStringLiteral("Liczba podatników"), QString::number(totals.taxpayers)});
    if (findings)
        text += SemicolonListLine({QStringLiteral("Podatnicy z uwagami"), QString::number(findings->taxpayersWithFindings)});
    text += SemicolonListLine({QStringLiteral("Poz."), QStringLiteral("Opis"), QStringLiteral("Suma")});
    for (const BoxTotal& total : totals.boxes)
        text += SemicolonListLine({QString::number(total.box), total.caption, GroszeText(total.grosze)});
    return cp1250::fromUnicode(text);
}
