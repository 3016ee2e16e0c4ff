#include "forms/RegisterCheck.h"

#include "forms/FormLayout.h"
#include "forms/FormValidation.h"
#include "forms/FormValues.h"
#include "forms/PeselNumber.h"
#include "store/Cp1250.h"

#include <QDate>

#include <string>
#include <string_view>
#include <unordered_map>

namespace {

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

    // Checks the form the lines fill; `shared` picks the findings on the boxes the taxpayer does not fill.
    void check(const QByteArrayList& lines, int position, bool shared, std::vector<RegisterFinding>& out) const {
        FormValues values(layout_.boxes.size());
        for (const QByteArray& line : lines) {
            const qsizetype equals = line.indexOf('=');
            const int index = layout_.indexOf(line.left(equals));
            if (index >= 0)
                values.set(index, Text(std::string_view(line.constData() + equals + 1,
                                                        static_cast<std::size_t>(line.size() - equals - 1))));
        }
        for (const FormFinding& finding : CheckForm(layout_, values, std::nullopt, true)) {
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
        return result;
    }

    RegisterFinding onBox(int position, const FormBox* box, const QString& description) const {
        RegisterFinding result;
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
    const FormBox* birthDateBox_ = nullptr;
    const FormBox* nipBox_ = nullptr;
};

// The positions of the first two records that hold each value.
class SharedValues {
public:
    void add(std::string key, int index) {
        if (key.empty()) return;
        auto [it, added] = first_.try_emplace(std::move(key), index, -1);
        if (!added && it->second.second < 0) it->second.second = index;
    }
    // Another record holding the same value as record `index`; -1 when none.
    int other(const std::string& key, int index) const {
        if (key.empty()) return -1;
        const auto it = first_.find(key);
        if (it == first_.end()) return -1;
        return it->second.first == index ? it->second.second : it->second.first;
    }

private:
    std::unordered_map<std::string, std::pair<int, int>> first_;
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

QString Who(const TaxpayerRecord& record, int index) {
    return QStringLiteral("nr %1 (%2 %3)").arg(index + 1).arg(Text(record.nazwisko.view()), Text(record.imie1.view()));
}

void CheckPesel(const FormChecker& checker, const TaxpayerRecord& record, int position,
                std::vector<RegisterFinding>& out) {
    const std::string_view pesel = record.pesel.view();
    if (Trimmed(pesel).empty()) return;
    RegisterFinding finding;
    finding.position = position;
    finding.key = "pesel";
    finding.label = QStringLiteral("PESEL");
    if (pesel.size() != 11 || PeselBirthDate(pesel).isNull()) {
        finding.description = QStringLiteral("numer PESEL „%1” musi składać się z 11 cyfr, z datą urodzenia na początku.")
                                  .arg(Text(pesel));
        out.push_back(finding);
        return;
    }
    if (!IsValidPesel(pesel)) {
        finding.description = QStringLiteral("nieprawidłowy numer PESEL – cyfra kontrolna się nie zgadza.");
        out.push_back(finding);
        return;
    }
    const QDate fromPesel = PeselBirthDate(pesel);
    const QDate stored = QDate::fromString(Text(record.dataUr.view()), QStringLiteral("yyyy-MM-dd"));
    if (stored.isValid() && stored != fromPesel && checker.birthDateBox())
        out.push_back(checker.onBox(position, checker.birthDateBox(),
                                    QStringLiteral("data urodzenia niezgodna z numerem PESEL (według niego %1).")
                                        .arg(fromPesel.toString(QStringLiteral("dd-MM-yyyy")))));
}

}  // namespace

std::vector<RegisterFinding> CheckRegister(const TaxpayerRegister& taxpayers, const PayerRecord& payer,
                                           const RegisterCheckRequest& request, const CheckProgress& progress) {
    std::vector<RegisterFinding> findings;
    EditionSymbols symbols;
    SetEditionSymbols(symbols, request.yearIndex);
    QByteArrayList lines;
    const TaxpayerRecord blank;
    const auto symbol = BuildFieldList(lines, request.choices, &blank, payer, symbols);
    const FormLayout* layout = symbol ? FindFormLayout(*symbol) : nullptr;
    if (!layout) return findings;
    const FormChecker checker(*layout);
    checker.check(lines, 0, true, findings);

    SharedValues nips;
    SharedValues pesels;
    for (int index = 0; index < taxpayers.count(); ++index) {
        const TaxpayerRecord& record = taxpayers.at(index);
        nips.add(NipDigits(record.nip.view()), index);
        pesels.add(Trimmed(record.pesel.view()), index);
    }

    const int total = static_cast<int>(request.indices.size());
    int done = 0;
    for (int index : request.indices) {
        const TaxpayerRecord& record = taxpayers.at(index);
        const int position = index + 1;
        BuildFieldList(lines, request.choices, &record, payer, symbols);
        checker.check(lines, position, false, findings);
        CheckPesel(checker, record, position, findings);
        if (const int other = nips.other(NipDigits(record.nip.view()), index); other >= 0 && checker.nipBox())
            findings.push_back(checker.onBox(position, checker.nipBox(),
                                             QStringLiteral("ten sam NIP ma też podatnik %1.").arg(Who(taxpayers.at(other), other))));
        if (const int other = pesels.other(Trimmed(record.pesel.view()), index); other >= 0) {
            RegisterFinding finding;
            finding.position = position;
            finding.key = "pesel";
            finding.label = QStringLiteral("PESEL");
            finding.description = QStringLiteral("ten sam numer PESEL ma też podatnik %1.").arg(Who(taxpayers.at(other), other));
            findings.push_back(finding);
        }
        if (progress && (++done % 512 == 0 || done == total)) progress(done, total);
    }
    return findings;
}
