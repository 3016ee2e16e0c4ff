#include "forms/TSterFormVEL.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "store/Cp1250.h"

QByteArray JoinLines(const QByteArrayList& lines) {
    QByteArray text;
    qsizetype size = 0;
    for (const QByteArray& line : lines) size += line.size() + 2;
    text.reserve(size);
    for (const QByteArray& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

QByteArrayList SplitLines(const QByteArray& text) {
    QByteArrayList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') continue;
        lines.push_back(text.mid(start, i - start));
        if (c == '\r' && i + 1 < size && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < size) lines.push_back(text.mid(start));
    return lines;
}

namespace {

// The running program's file name without its directory, as the forms program gets it.
QByteArray programFileName() {
    const QString path = QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
    return QByteArray::fromStdString(cp1250::fromUnicode(QFileInfo(path).fileName()));
}

}  // namespace

TSterFormVEL::TSterFormVEL(QObject* owner) : QObject(owner) {
    lform::LinkInit();
}

TSterFormVEL::~TSterFormVEL() {
    SetActive(false);
}

void TSterFormVEL::SetSymbol(const QByteArray& symbol) {
    symbol_ = symbol.left(kSymbolLength);
}

void TSterFormVEL::SetIdentyfikator(const QByteArray& identifier) {
    identifier_ = identifier.left(kIdentifierLength);
}

QByteArray TSterFormVEL::GetIdentyfikator() const {
    if (!identifier_.isEmpty()) return identifier_;
    if (symbol_.isEmpty()) return {};
    return (symbol_ + '_' + programFileName()).left(kIdentifierLength);
}

void TSterFormVEL::SetCaption(const QByteArray& caption) {
    caption_ = caption.left(kCaptionLength);
}

void TSterFormVEL::SetAutoFormat(bool value) {
    autoFormat_ = value;
    if (!value) calculate_ = false;
}

void TSterFormVEL::SetCalculate(bool value) {
    calculate_ = value;
    if (value) autoFormat_ = true;
}

void TSterFormVEL::SetFields(const QByteArrayList& lines) {
    fields_ = lines;
    fieldsChanged_ = true;
}

void TSterFormVEL::SetTaxScale(const QByteArrayList& lines) {
    taxScale_ = lines;
    taxScaleChanged_ = true;
}

void TSterFormVEL::SetActive(bool value) {
    if (value == GetActive()) return;
    if (value) {
        const bool connected = SerwerPath.isEmpty() ? lform::ConnectFormsProgram(false)
                                                    : lform::ConnectFormsServer(false, SerwerPath);
        if (!connected) return;  // reported by the next Show, PrintDialog or Print
        formId_ = lform::CreateForm(symbol_, GetIdentyfikator());  // 0: not created, unreported
    } else if (lform::DestroyForm(formId_)) {
        formId_ = 0;
    }
}

void TSterFormVEL::SendData(bool force) {
    if (!GetActive()) return;
    if (force || taxScaleChanged_) {
        const QByteArray text = JoinLines(taxScale_);
        if (!text.isEmpty() && lform::SendTaxScale(formId_, text) != text.size())
            throw ESterFormVEL(kTaxScaleTransferMessage);
        taxScaleChanged_ = false;
    }
    if (force || fieldsChanged_) {
        const int options = (autoFormat_ ? 1 : 0) + (calculate_ ? 2 : 0) + (ErrorLevel == 1 ? 4 : 0);
        const QByteArray text = JoinLines(fields_);
        if (lform::SendFields(formId_, text, options) != text.size()) throw ESterFormVEL(kFieldTransferMessage);
        fieldsChanged_ = false;
        resendPending_ = lform::GetFormState(formId_) != 0;
    }
}

void TSterFormVEL::ReadData() {
    if (!GetActive()) return;
    SendData(false);
    QByteArray buffer;
    if (lform::GetFields(formId_, &buffer, kReadBackCapacity, Convert) > 0) fields_ = SplitLines(buffer);
    errorList_.clear();
    if (lform::GetErrors(formId_, &buffer, kReadBackCapacity) > 0) errorList_ = SplitLines(buffer);
}

void TSterFormVEL::Resend() {
    // The form holds values of its own: take them back unconverted and send them again as they
    // are, with no formatting or calculation.
    const bool convert = Convert;
    Convert = false;
    ReadData();
    const bool autoFormat = autoFormat_;
    const bool calculate = calculate_;
    SetAutoFormat(false);
    SendData(true);
    SetAutoFormat(autoFormat);
    SetCalculate(calculate);
    Convert = convert;
}

void TSterFormVEL::requireActive() const {
    if (!GetActive()) throw ESterFormVEL(kFormNotActiveMessage);
}

std::uint16_t TSterFormVEL::Show() {
    resendPending_ = false;
    SetActive(true);
    requireActive();
    SendData(false);
    if (resendPending_) Resend();
    const int flags = (ReadOnly ? 64 : 0) + (SaveQuery ? 128 : 0) + (HideSave ? 16 : 0);
    std::uint16_t window = lform::ShowForm(formId_, caption_, parentWindow_, flags);
    if (window == 0) {
        // The forms program may have lost the form: try once more with a fresh one.
        SetActive(false);
        SetActive(true);
        // The fresh form knows nothing yet: the tax scale and the field list go to it again.
        SendData(true);
        if (resendPending_) Resend();
        window = lform::ShowForm(formId_, caption_, parentWindow_, flags);
    }
    if (window != 0) {
        resendPending_ = lform::GetFormState(formId_) != 0;
        std::uint16_t from = 0, to = 0;
        if (lform::GetPrintRange(formId_, from, to)) {
            printFrom_ = from;
            printTo_ = to;
        }
    }
    ReadData();
    return window;
}

bool TSterFormVEL::PrintDialog() {
    requireActive();
    SendData(false);
    std::uint16_t from = printFrom_, to = printTo_;
    const bool confirmed = lform::RunPrintDialog(formId_, caption_, parentWindow_, from, to);
    if (confirmed) {
        printFrom_ = from;
        printTo_ = to;
    }
    ReadData();
    return confirmed;
}

bool TSterFormVEL::Print() {
    requireActive();
    SendData(false);
    const bool printed =
        lform::PrintForm(formId_, caption_, parentWindow_, printFrom_, printTo_, SilentPrint, PrinterIndex);
    ReadData();
    return printed;
}

bool TSterFormVEL::FinishDocument() {
    return lform::EndDocument(formId_) != 0;
}
