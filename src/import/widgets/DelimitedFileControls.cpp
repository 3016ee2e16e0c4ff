#include "import/widgets/DelimitedFileControls.h"

#include "store/Cp1250.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>
#include <QValidator>

namespace {

// The separator box takes one character, and only one that code page 1250 has: the file is in
// that code page, so any other character could never match.
class SeparatorCharValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        if (input.size() > 1)
            return Invalid;
        if (input.size() == 1 && (!cp1250::canEncode(input.front()) || input.front() == u'\r' ||
                                  input.front() == u'\n'))
            return Invalid;
        return Acceptable;
    }
};

struct FixedSeparator {
    const char* name;
    const char* caption;
    char separator;
};

constexpr FixedSeparator kFixedSeparators[] = {
    {"rb1", "Tabulator (kod znaku 09)", '\t'},
    {"rb2", "| (kreska pionowa)", '|'},
    {"rb3", "; (średnik)", ';'},
    {"rb4", ", (przecinek)", ','},
};
constexpr int kOtherSeparatorId = 5;

}  // namespace

QGroupBox* NewFileNameGroup(QWidget* parent, bool save, QLineEdit** eFilename, QToolButton** btnSelect) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QStringLiteral("eFilename"));
    edit->setMinimumWidth(340);
    auto* button = new QToolButton;
    button->setObjectName(QStringLiteral("btnSelect"));
    button->setIcon(parent->style()->standardIcon(save ? QStyle::SP_DialogSaveButton : QStyle::SP_DialogOpenButton));
    auto* group = new QGroupBox(QStringLiteral("Nazwa pliku"), parent);
    auto* layout = new QHBoxLayout(group);
    layout->addWidget(edit, 1);
    layout->addWidget(button);
    *eFilename = edit;
    *btnSelect = button;
    return group;
}

SeparatorChoice::SeparatorChoice(QWidget* parent) {
    buttons_ = new QButtonGroup(parent);
    group_ = new QGroupBox(QStringLiteral("Separator"), parent);
    auto* layout = new QGridLayout(group_);
    int id = 1;
    for (const FixedSeparator& choice : kFixedSeparators) {
        auto* button = new QRadioButton(QString::fromUtf8(choice.caption));
        button->setObjectName(QString::fromLatin1(choice.name));
        buttons_->addButton(button, id);
        layout->addWidget(button, id - 1, 0, 1, 2);
        ++id;
    }
    auto* rb5 = new QRadioButton(QStringLiteral("inny"));
    rb5->setObjectName(QStringLiteral("rb5"));
    buttons_->addButton(rb5, kOtherSeparatorId);
    eChar_ = new QLineEdit;
    eChar_->setObjectName(QStringLiteral("eChar"));
    eChar_->setMaxLength(1);
    eChar_->setValidator(new SeparatorCharValidator(eChar_));
    eChar_->setFixedWidth(eChar_->fontMetrics().horizontalAdvance(QStringLiteral("WW")) + 12);
    layout->addWidget(rb5, kOtherSeparatorId - 1, 0);
    layout->addWidget(eChar_, kOtherSeparatorId - 1, 1, Qt::AlignLeft);
    layout->setColumnStretch(1, 1);
}

std::optional<char> SeparatorChoice::chosen(const std::function<void(const QString&)>& report) const {
    const int id = buttons_->checkedId();
    if (id == kOtherSeparatorId) {
        if (eChar_->text().isEmpty()) {
            report(QStringLiteral("Nie wpisano znaku separacji"));
            return std::nullopt;
        }
        return cp1250::fromUnicode(eChar_->text().left(1)).front();
    }
    if (id < 1) {
        report(QStringLiteral("Wybierz rodzaj separatora danych"));
        return std::nullopt;
    }
    return kFixedSeparators[id - 1].separator;
}
