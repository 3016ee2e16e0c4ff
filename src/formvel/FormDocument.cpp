#include "formvel/FormDocument.h"

#include "forms/AmountDisplay.h"
#include "forms/FormCalculation.h"
#include "formvel/FieldListText.h"
#include "formvel/FormRenderer.h"
#include "store/Cp1250.h"

#include <QGuiApplication>

#include <algorithm>

namespace {

// Box-number order, a box without a number (title strike-outs) right after box 1.
std::vector<int> OutputOrder(const FormLayout& layout) {
    std::vector<int> order(layout.boxes.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    auto rank = [&](int index) {
        const FormBox& box = layout.boxes[static_cast<std::size_t>(index)];
        return box.number == 0 ? 1.5 : static_cast<double>(box.number);
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return rank(a) < rank(b); });
    return order;
}

}  // namespace

std::unique_ptr<FormDocument> FormDocument::create(const QByteArray& symbol) {
    const FormLayout* layout = FindFormLayout(symbol);
    if (!layout) return nullptr;
    return std::unique_ptr<FormDocument>(new FormDocument(*layout));
}

FormDocument::FormDocument(const FormLayout& layout)
    : layout_(layout), values_(layout.boxes.size()), received_(layout.boxes.size()) {
    recheck();
}

QByteArray FormDocument::symbol() const { return layout_.symbol; }

void FormDocument::applyShowFormat(FormValues& values) const {
    for (std::size_t i = 0; i < layout_.boxes.size(); ++i) {
        const FormBox& box = layout_.boxes[i];
        if (!box.isAmount() || !values.present[i]) continue;
        const auto amount = ReadShownAmount(values.text[i]);
        if (amount) values.text[i] = ShowAmount(*amount, box.kind == BoxKind::WholeAmount);
    }
}

bool FormDocument::setFields(const QByteArray& fieldListText, int options) {
    const auto assignments = ParseFieldList(fieldListText);
    if (!assignments) return false;
    FormValues received(layout_.boxes.size());
    for (const auto& [key, value] : *assignments) {
        const int index = layout_.indexOf(key);
        if (index >= 0) received.set(index, value);
    }
    FormValues shown = received;
    if (options & Calculate) CalculateForm(layout_, shown, scale_);
    if (options & (AutoFormat | Calculate)) applyShowFormat(shown);
    received_ = std::move(received);
    values_ = std::move(shown);
    options_ = options;
    ++revision_;
    recheck();
    return true;
}

QByteArray FormDocument::fields(bool convert) const {
    FieldAssignments assignments;
    for (int index : OutputOrder(layout_)) {
        const auto i = static_cast<std::size_t>(index);
        if (!values_.present[i]) continue;
        const FormBox& box = layout_.boxes[i];
        QString text = values_.text[i];
        if (convert && box.isAmount()) text = FiskonAmountText(box, text);
        assignments.emplace_back(box.key, text);
    }
    return ComposeFieldList(assignments);
}

QByteArray FormDocument::errors() const { return ComposeLines(errorLines()); }

QStringList FormDocument::errorLines() const {
    QStringList lines;
    for (const FormFinding& finding : findings_) lines << finding.text;
    return lines;
}

bool FormDocument::boxHasError(int boxIndex) const {
    return boxIndex >= 0 && static_cast<std::size_t>(boxIndex) < errorBoxes_.size() &&
           errorBoxes_[static_cast<std::size_t>(boxIndex)];
}

bool FormDocument::setTaxScale(const QByteArray& text) {
    const QString scaleText = cp1250::toUnicode(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
    if (scaleText.trimmed().isEmpty()) {
        scale_.reset();
    } else {
        auto scale = FormTaxScale::Parse(scaleText, nullptr);
        if (!scale) return false;
        scale_ = std::move(scale);
    }
    if (options_ & Calculate) recalculate();
    recheck();
    return true;
}

bool FormDocument::changedSinceReceived() const { return !(values_ == received_); }

QString FormDocument::value(const QByteArray& key) const {
    const int index = layout_.indexOf(key);
    return index < 0 ? QString() : values_.at(index);
}

bool FormDocument::isEditable(const QByteArray& key) const {
    const FormBox* box = layout_.box(key);
    return box && !(box->computed && (options_ & Calculate));
}

bool FormDocument::setValue(const QByteArray& key, const QString& text) {
    const int index = layout_.indexOf(key);
    if (index < 0 || !isEditable(key)) return false;
    const FormBox& box = layout_.boxes[static_cast<std::size_t>(index)];
    QString value = text;
    if (box.isAmount()) {
        const auto amount = ReadShownAmount(text);
        if (amount) value = ShowAmount(*amount, box.kind == BoxKind::WholeAmount);
    }
    values_.set(index, value);
    if (options_ & Calculate) recalculate();
    ++revision_;
    recheck();
    return true;
}

void FormDocument::restoreValues(const FormValues& values) {
    if (values.text.size() != values_.text.size()) return;
    values_ = values;
    ++revision_;
    recheck();
}

QString FormDocument::taxpayerName() const {
    const QString surname = value("p" + QByteArray::number(layout_.taxpayerSurnameBox)).trimmed();
    const QString firstName = value("p" + QByteArray::number(layout_.taxpayerFirstNameBox)).trimmed();
    return (surname + u' ' + firstName).trimmed();
}

void FormDocument::recalculate() {
    CalculateForm(layout_, values_, scale_);
    applyShowFormat(values_);
    ++revision_;
}

void FormDocument::recheck() {
    findings_ = CheckForm(layout_, values_, scale_, (options_ & Calculate) != 0, (options_ & ErrorLevel1) != 0,
                          &calculationError_);
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {  // the measure needs the fonts
        const auto unfit = FitForm(layout_, values_,
                                   [this](int box, const QString& value) { return ValueFitsBox(layout_, box, value); });
        findings_.insert(findings_.end(), unfit.begin(), unfit.end());
    }
    errorBoxes_.assign(layout_.boxes.size(), false);
    for (const FormFinding& finding : findings_)
        if (finding.box >= 0) errorBoxes_[static_cast<std::size_t>(finding.box)] = true;
}
