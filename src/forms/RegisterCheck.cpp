#include "forms/RegisterCheck.h"

#include "edit/AmountCalculations.h"
#include "forms/FormLayout.h"
#include "forms/FormValidation.h"
#include "forms/FormValues.h"
#include "forms/PeselNumber.h"
#include "store/Cp1250.h"

#include <QDate>

#include <algorithm>
#include <array>
#include <bitset>
#include <atomic>
#include <cstdint>
#include <exception>
#include <limits>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>

namespace {

constexpr int kChunk = 1024;  // taxpayers a thread checks at a time

QString Text(std::string_view bytes) { return cp1250::toUnicode(bytes); }

// The payer's boxes: its NIP and the sections of its identity and address.
bool IsPayerBox(const FormLayout& layout, const FormBox& box) {
    return box.number == layout.payerNipBox || box.section == "B" || box.section == "B.1";
}

// Boxes the dialog's choices fill: the title strike-outs, the tax year and the person filling in
// the form (the last section).
bool IsChoiceBox(const FormLayout& layout, const FormBox& box) {
    return box.kind == BoxKind::TitleStrike || box.kind == BoxKind::TaxYear ||
           (!layout.sections.empty() && box.section == layout.sections.back().id);
}

// The boxes of one form as the field list fills them, straight into the form's values: only the
// taxpayer's own boxes, or only the shared ones.
class FormFiller : public FieldListVisitor {
public:
    FormFiller(const FormLayout& layout, const std::vector<bool>& shared, bool wantShared, FormValues& values)
        : layout_(layout), shared_(shared), wantShared_(wantShared), values_(values) {}

    void add(std::string_view key, std::string_view value) override {
        int number = 0;
        for (char ch : key.substr(1)) {
            if (ch < '0' || ch > '9') {  // "pSKR.01": a title strike-out
                set(layout_.indexOf(QByteArray(key.data(), static_cast<qsizetype>(key.size()))), value);
                return;
            }
            number = number * 10 + (ch - '0');
        }
        add(number, value);
    }
    void add(int box, std::string_view value) override { set(layout_.indexOfNumber(box), value); }

private:
    void set(int index, std::string_view value) {
        if (index >= 0 && shared_[static_cast<std::size_t>(index)] == wantShared_) values_.set(index, Text(value));
    }

    const FormLayout& layout_;
    const std::vector<bool>& shared_;
    bool wantShared_;
    FormValues& values_;
};

// One page's amounts of a record as the formulas see them: what they write is kept apart, so that
// it can be compared with what the record holds, and the record is left as it is.
class RecordPage : public AmountBoxes {
public:
    RecordPage(const FormLayout& layout, const TaxpayerRecord& record) : layout_(layout) {
        // The record's amounts once, by box number (looking each up would walk its list every time).
        const auto keep = [this](int first) {
            return [this, first](std::size_t index, std::string_view text) {
                const std::size_t box = static_cast<std::size_t>(first) + index;
                if (box < stored_.size()) stored_[box] = text;
            };
        };
        if (layout.isPit40)
            record.p40.forEachFilled(keep(TaxpayerRecord::kFirstP40Box));
        else
            record.p11.forEachFilled(keep(TaxpayerRecord::kFirstP11Box));
    }

    std::string text(int box) const override {
        if (box >= 0 && box < kBoxes && written_.test(static_cast<std::size_t>(box))) return writtenText_[static_cast<std::size_t>(box)];
        return std::string(stored(box));
    }
    void setText(int box, const std::string& text) override {
        if (box < 0 || box >= kBoxes) return;
        writtenText_[static_cast<std::size_t>(box)] = text;
        written_.set(static_cast<std::size_t>(box));
    }

    // Every amount the record holds for the page is in Fiskon's form.
    bool fiskonForm() const {
        for (int box = first(); box <= last(); ++box) {
            const std::string_view text = stored(box);
            if (text.empty()) continue;
            const int index = layout_.indexOfNumber(box);
            if (index < 0 || !IsFiskonAmountForm(text, layout_.boxes[static_cast<std::size_t>(index)].kind == BoxKind::WholeAmount))
                return false;
        }
        return true;
    }
    // Every box the formulas wrote holds that text in the record.
    bool agrees() const {
        for (int box = first(); box <= last(); ++box)
            if (written_.test(static_cast<std::size_t>(box)) && writtenText_[static_cast<std::size_t>(box)] != stored(box)) return false;
        return true;
    }

private:
    static constexpr int kBoxes = 100;
    int first() const { return layout_.isPit40 ? TaxpayerRecord::kFirstP40Box : TaxpayerRecord::kFirstP11Box; }
    int last() const { return layout_.isPit40 ? TaxpayerRecord::kLastP40Box : TaxpayerRecord::kLastP11Box; }
    std::string_view stored(int box) const {
        return box >= first() && box <= last() ? stored_[static_cast<std::size_t>(box)] : std::string_view();
    }

    const FormLayout& layout_;
    std::array<std::string_view, kBoxes> stored_{};
    std::array<std::string, kBoxes> writtenText_;
    std::bitset<kBoxes> written_;
};

// The findings of one filled form, split into what concerns the taxpayer and what does not.
class FormChecker {
public:
    explicit FormChecker(const FormLayout& layout) : layout_(layout) {
        for (const FormBox& box : layout.boxes) {
            shared_.push_back(IsPayerBox(layout, box) || IsChoiceBox(layout, box));
            if (box.kind == BoxKind::BirthDate) birthDateBox_ = &box;
            if (box.number == layout.taxpayerNipBox) nipBox_ = &box;
        }
    }

    // Fills the boxes that do not depend on the taxpayer (the payer's, the choices'), and gives
    // their findings.
    void checkShared(const FieldListChoices& choices, const PayerRecord& payer, std::vector<RegisterFinding>& out) {
        sharedValues_ = FormValues(layout_.boxes.size());
        FormFiller filler(layout_, shared_, true, sharedValues_);
        VisitFieldList(filler, choices, &blank_, payer);
        report(sharedValues_, 0, true, out);
    }

    // The findings of the taxpayer's own boxes (checkShared first).
    void check(const FieldListChoices& choices, const TaxpayerRecord& taxpayer, const PayerRecord& payer,
               int position, std::vector<RegisterFinding>& out) const {
        FormValues values = sharedValues_;
        FormFiller filler(layout_, shared_, false, values);
        VisitFieldList(filler, choices, &taxpayer, payer);
        report(values, position, false, out, !AmountsAgreeWithTheirCalculation(taxpayer));
    }

    // True when the form's calculation could find nothing: every amount of the form's page in
    // Fiskon's form, so that the form reads them as the record holds them, and every computed one
    // what the page's formulas give from the typed ones. (The same formulas over the record's
    // bytes cost a fraction of the form's calculation over its texts; anything else, a failure
    // included, goes the form's way.)
    bool AmountsAgreeWithTheirCalculation(const TaxpayerRecord& taxpayer) const {
        RecordPage page(layout_, taxpayer);
        if (!page.fiskonForm()) return false;
        try {
            if (layout_.isPit40)
                RecomputePit40Page(page);
            else
                RecomputePit11Page(page);
        } catch (const ConversionError&) {
            return false;
        }
        return page.agrees();
    }

    void report(const FormValues& values, int position, bool shared, std::vector<RegisterFinding>& out,
                bool calculate = true) const {
        for (const FormFinding& finding : CheckForm(layout_, values, std::nullopt, calculate, calculate)) {
            const bool onShared = finding.box >= 0 && shared_[static_cast<std::size_t>(finding.box)];
            if (onShared != shared) continue;
            out.push_back(make(position, finding));
        }
    }

    RegisterFinding make(int position, const FormFinding& finding) const {
        RegisterFinding result;
        result.position = position;
        if (finding.box >= 0) {
            const FormBox& box = layout_.boxes[static_cast<std::size_t>(finding.box)];
            result.box = box.number;
            result.key = box.key;
            result.aboutPayer = IsPayerBox(layout_, box);
        }
        const qsizetype colon = finding.text.indexOf(QStringLiteral(": "));
        result.label = finding.text.left(colon);
        result.description = finding.text.mid(colon + 2);
        result.kind = finding.kind;
        return result;
    }

    RegisterFinding onBox(int position, FindingKind kind, const FormBox* box, const QString& description) const {
        RegisterFinding result;
        result.kind = kind;
        result.position = position;
        result.box = box->number;
        result.key = box->key;
        result.label = QStringLiteral("Poz. %1").arg(box->number);
        result.description = description;
        return result;
    }

    const FormBox* birthDateBox() const { return birthDateBox_; }
    const FormBox* nipBox() const { return nipBox_; }

private:
    const FormLayout& layout_;
    std::vector<bool> shared_;
    const TaxpayerRecord blank_;
    FormValues sharedValues_;
    const FormBox* birthDateBox_ = nullptr;
    const FormBox* nipBox_ = nullptr;
};

// The positions of the first two records that hold each value. Values of up to 17 digits (every
// NIP and PESEL that is right) are kept as numbers, the rest as text.
class SharedValues {
public:
    explicit SharedValues(int count) { numbers_.reserve(static_cast<std::size_t>(count)); }

    void add(const std::string& key, int index) {
        if (key.empty()) return;
        const auto [number, text] = find(key);
        Positions& positions = text ? texts_.try_emplace(key, -1, -1).first->second
                                    : numbers_.try_emplace(number, -1, -1).first->second;
        if (positions.first < 0)
            positions.first = index;
        else if (positions.second < 0)
            positions.second = index;
    }
    // Another record holding the same value as record `index`; -1 when none.
    int other(const std::string& key, int index) const {
        if (key.empty()) return -1;
        const auto [number, text] = find(key);
        const auto& first = text ? lookup(texts_, key) : lookup(numbers_, number);
        return first.first == index ? first.second : first.first;
    }

private:
    using Positions = std::pair<int, int>;

    // The value as a number (digits and their count) and whether it must stay text.
    static std::pair<std::uint64_t, bool> find(const std::string& key) {
        if (key.size() > 17) return {0, true};
        std::uint64_t number = 0;
        for (char ch : key) {
            if (ch < '0' || ch > '9') return {0, true};
            number = number * 10 + static_cast<std::uint64_t>(ch - '0');
        }
        return {number * 32 + key.size(), false};
    }
    template <typename Map, typename Key>
    static const Positions& lookup(const Map& map, const Key& key) {
        static const Positions none{-1, -1};
        const auto it = map.find(key);
        return it == map.end() ? none : it->second;
    }

    std::unordered_map<std::uint64_t, Positions> numbers_;
    std::unordered_map<std::string, Positions> texts_;
};

std::string NipDigits(std::string_view nip) {
    std::string digits;
    for (char ch : nip)
        if (ch != '-' && ch != ' ') digits += ch;
    return digits;
}

std::string Trimmed(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    return std::string(text);
}

// The birth date as the record keeps it, yyyy-mm-dd; an invalid date for any other text. (Read by
// hand: the general date parser would cost more than all the rest of a taxpayer's check.)
QDate StoredBirthDate(std::string_view text) {
    const auto number = [text](std::size_t from, std::size_t count) {
        int value = 0;
        for (std::size_t i = from; i < from + count; ++i) {
            if (text[i] < '0' || text[i] > '9') return -1;
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return {};
    const int year = number(0, 4);
    const int month = number(5, 2);
    const int day = number(8, 2);
    if (year < 0 || month < 0 || day < 0) return {};
    return QDate(year, month, day);  // invalid for a day or month out of range
}

QString Who(const TaxpayerRecord& record, int index) {
    return QStringLiteral("nr %1 (%2 %3)").arg(index + 1).arg(Text(record.nazwisko.view()), Text(record.imie1.view()));
}

void CheckPesel(const FormChecker& checker, const TaxpayerRecord& record, int position,
                std::vector<RegisterFinding>& out) {
    const std::string_view pesel = record.pesel.view();
    if (Trimmed(pesel).empty()) return;
    RegisterFinding finding;
    finding.position = position;
    finding.key = QByteArrayLiteral("pesel");
    finding.label = QStringLiteral("PESEL");
    finding.kind = FindingKind::Pesel;
    switch (PeselFaultOf(pesel)) {
    case PeselFault::NoBirthDate:
        finding.description = QStringLiteral("numer PESEL „%1” musi składać się z 11 cyfr, z datą urodzenia na początku.")
                                  .arg(Text(pesel));
        out.push_back(finding);
        return;
    case PeselFault::CheckDigit:
        finding.description = QStringLiteral("nieprawidłowy numer PESEL – cyfra kontrolna się nie zgadza.");
        out.push_back(finding);
        return;
    case PeselFault::None: break;
    }
    const QDate fromPesel = PeselBirthDate(pesel);
    const QDate stored = StoredBirthDate(record.dataUr.view());
    if (stored.isValid() && stored != fromPesel && checker.birthDateBox())
        out.push_back(checker.onBox(position, FindingKind::BirthDateAgainstPesel, checker.birthDateBox(),
                                    QStringLiteral("data urodzenia niezgodna z numerem PESEL (według niego %1).")
                                        .arg(fromPesel.toString(QStringLiteral("dd-MM-yyyy")))));
}

}  // namespace

const FormLayout* RequestedFormLayout(const RegisterCheckRequest& request) {
    EditionSymbols symbols;
    SetEditionSymbols(symbols, request.yearIndex);
    const FormKind kind = request.choices.kind;
    if (kind == FormKind::None) return nullptr;
    return FindFormLayout(kind == FormKind::Pit11 ? symbols.pit11 : symbols.pit40);
}

std::vector<RegisterFinding> CheckRegister(const TaxpayerRegister& taxpayers, const PayerRecord& payer,
                                           const RegisterCheckRequest& request, const CheckProgress& progress) {
    std::vector<RegisterFinding> findings;
    const FormLayout* layout = RequestedFormLayout(request);
    if (!layout) return findings;
    FormChecker checker(*layout);
    checker.checkShared(request.choices, payer, findings);

    SharedValues nips(taxpayers.count());
    SharedValues pesels(taxpayers.count());
    for (int index = 0; index < taxpayers.count(); ++index) {
        const TaxpayerRecord& record = taxpayers.at(index);
        nips.add(NipDigits(record.nip.view()), index);
        pesels.add(Trimmed(record.pesel.view()), index);
    }

    // A finding's place on the form; findings without a box (PESEL) after all the boxes.
    const auto place = [layout](const RegisterFinding& finding) {
        const FormBox* box = finding.box > 0 || !finding.key.isEmpty() ? layout->box(finding.key) : nullptr;
        return box ? box->place() : std::numeric_limits<int>::max();
    };

    // One taxpayer's findings, in the order of the form's boxes.
    auto checkOne = [&](int index, std::vector<RegisterFinding>& out) {
        const std::size_t first = out.size();
        const TaxpayerRecord& record = taxpayers.at(index);
        const int position = index + 1;
        checker.check(request.choices, record, payer, position, out);
        CheckPesel(checker, record, position, out);
        if (const int other = nips.other(NipDigits(record.nip.view()), index); other >= 0 && checker.nipBox())
            out.push_back(checker.onBox(position, FindingKind::SharedNip, checker.nipBox(),
                                        QStringLiteral("ten sam NIP ma też podatnik %1.").arg(Who(taxpayers.at(other), other))));
        if (const int other = pesels.other(Trimmed(record.pesel.view()), index); other >= 0) {
            RegisterFinding finding;
            finding.position = position;
            finding.key = QByteArrayLiteral("pesel");
            finding.label = QStringLiteral("PESEL");
            finding.kind = FindingKind::SharedPesel;
            finding.description = QStringLiteral("ten sam numer PESEL ma też podatnik %1.").arg(Who(taxpayers.at(other), other));
            out.push_back(finding);
        }
        std::stable_sort(out.begin() + static_cast<std::ptrdiff_t>(first), out.end(),
                         [&place](const RegisterFinding& a, const RegisterFinding& b) { return place(a) < place(b); });
    };

    // The taxpayers in chunks, taken in turn by every core (the checks only read); each chunk's
    // findings stay apart so that the list keeps register order. The calling thread reports the
    // progress between its chunks.
    const int total = static_cast<int>(request.indices.size());
    const int chunks = (total + kChunk - 1) / kChunk;
    std::vector<std::vector<RegisterFinding>> results(static_cast<std::size_t>(chunks));
    std::atomic<int> nextChunk{0};
    std::atomic<int> done{0};
    std::exception_ptr failure;
    std::mutex failureMutex;
    auto work = [&](bool reporting) {
        try {
            for (int chunk; (chunk = nextChunk++) < chunks;) {
                const int first = chunk * kChunk;
                const int last = std::min(total, first + kChunk);
                for (int i = first; i < last; ++i)
                    checkOne(request.indices[static_cast<std::size_t>(i)], results[static_cast<std::size_t>(chunk)]);
                done += last - first;
                if (reporting && progress) progress(done, total);
            }
        } catch (...) {
            const std::lock_guard lock(failureMutex);
            if (!failure) failure = std::current_exception();
            nextChunk = chunks;
        }
    };
    const int helpers = std::min(chunks, static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u))) - 1;
    std::vector<std::thread> threads;
    for (int i = 0; i < helpers; ++i) threads.emplace_back(work, false);
    work(true);
    for (std::thread& thread : threads) thread.join();
    if (failure) std::rethrow_exception(failure);
    if (progress && total > 0) progress(total, total);
    std::size_t count = findings.size();
    for (const auto& chunk : results) count += chunk.size();
    findings.reserve(count);
    for (auto& chunk : results)
        findings.insert(findings.end(), std::make_move_iterator(chunk.begin()), std::make_move_iterator(chunk.end()));
    return findings;
}
