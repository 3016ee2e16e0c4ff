#include "forms/widgets/FormsDialog.h"

#include "edit/DateText.h"
#include "edit/widgets/MaskedText.h"
#include "edit/widgets/TFCalendar.h"
#include "forms/TSterFormVEL.h"
#include "ui/ErrorMessage.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

FormsDialog::FormsDialog(const char* objectName, const QString& title, UserInterface& ui, TFCalendar& calendar,
                         QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), ui_(ui), calendar_(calendar),
      parentWindow_(*this) {
    setObjectName(QString::fromLatin1(objectName));
    setWindowTitle(title);
    setModal(true);
    VEL_ = new TSterFormVEL(this);
    VEL_->setObjectName(QStringLiteral("VEL"));
}

void FormsDialog::buildControls(const char* choiceFrame, const char* surnameLabel, const char* firstNameLabel,
                                const char* actionName, const QString& actionCaption,
                                const std::vector<QWidget*>& middle, std::function<void()> action,
                                const std::vector<QWidget*>& side) {
    choice_ = NewFormChoice(this, choiceFrame);
    QGroupBox* GroupBox3 = NewFormYearGroup(this, &cbRok_);
    QGroupBox* GroupBox1 = NewFillerGroup(this, surnameLabel, firstNameLabel, &eNazwisko_, &eImie_);
    rgSkreslenie_ = NewStrikeGroup(this, &strike_);
    btnClear_ = new QPushButton(QStringLiteral("Czyść pola"), this);
    btnClear_->setObjectName(QStringLiteral("btnClear"));
    btnClear_->setAutoDefault(false);
    auto* btnAction = new QPushButton(actionCaption, this);
    btnAction->setObjectName(QString::fromLatin1(actionName));
    btnAction->setDefault(true);
    Memo1_ = NewFieldListMemo(this);

    auto* top = new QHBoxLayout;
    top->addWidget(choice_.frame);
    top->addWidget(GroupBox3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnClear_);
    buttons->addWidget(btnAction);
    buttonRow_ = buttons;
    auto* layout = new QVBoxLayout(this);
    auto* column = layout;
    if (!side.empty()) {
        auto* columns = new QHBoxLayout;
        column = new QVBoxLayout;
        auto* sideColumn = new QVBoxLayout;
        for (QWidget* widget : side) sideColumn->addWidget(widget);
        sideColumn->addStretch();
        columns->addLayout(column);
        columns->addLayout(sideColumn);
        layout->addLayout(columns);
    }
    column->addLayout(top);
    column->addWidget(GroupBox1);
    for (QWidget* widget : middle) column->addWidget(widget);
    column->addWidget(rgSkreslenie_);
    if (!side.empty()) column->addStretch();
    layout->addLayout(buttons);
    layout->addWidget(Memo1_);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(choice_.rbPIT11, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked) rbPIT11Click();
    });
    connect(choice_.rbPIT40, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked) rbPIT40Click();
    });
    connect(btnClear_, &QPushButton::clicked, this, [this] { btnClearClick(); });
    connect(btnAction, &QPushButton::clicked, this, std::move(action));
}

void FormsDialog::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        FormShow();
        CentreOnScreen(*this);
    }
    QDialog::showEvent(event);
}

void FormsDialog::choosePit11() {
    choice_.rbPIT11->setChecked(true);
    rbPIT11Click();
}

void FormsDialog::takeOverEmptyFields(FormsDialog& other) {
    if (eNazwisko_->text().isEmpty()) eNazwisko_->setText(other.eNazwisko().text());
    if (eImie_->text().isEmpty()) eImie_->setText(other.eImie().text());
    if (!MaskedFieldFilled(MaskedFieldText(*eRok_))) copyMaskedText(other.eRok(), *eRok_);
}

void FormsDialog::copyMaskedText(const QLineEdit& from, QLineEdit& to) {
    to.setText(MaskedFieldText(from));
}

FieldListChoices FormsDialog::fieldListChoices(FormKind kind, bool strikePit11) const {
    FieldListChoices choices;
    choices.kind = kind;
    choices.strikePit11 = strikePit11;
    choices.fillerFirstName = FieldBytes(*eImie_);
    choices.fillerSurname = FieldBytes(*eNazwisko_);
    choices.taxYear = FieldBytes(*eRok_);
    return choices;
}

bool FormsDialog::fillerNamesUsable() {
    const std::optional<QString> problem = FillerNamesProblem(fieldListChoices(choice_.kind(), false));
    if (problem) ui_.message(QStringLiteral("Błąd"), *problem, MessageIcon::Error);
    return !problem;
}

// The show-form and print dialogs write the picker's date whichever way it closed: today's unless
// the user confirmed another one.
void FormsDialog::pickYear(QLineEdit& field) {
    field.setText(calendar_.pick(QDate::currentDate()).value_or(QDate::currentDate()).toString(QStringLiteral("yyyy")));
}

void FormsDialog::pickDate(QLineEdit& field) {
    field.setText(FormatFieldDate(calendar_.pick(QDate::currentDate()).value_or(QDate::currentDate())));
}

void FormsDialog::reportingErrors(const std::function<void()>& step) {
    try {
        step();
    } catch (const std::exception& error) {  // the controller's ESterFormVEL
        ShowErrorMessage(ui_, error);
    }
}
