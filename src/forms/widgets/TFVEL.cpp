#include "forms/widgets/TFVEL.h"

#include "forms/TSterFormVEL.h"
#include "forms/widgets/FormEditions.h"
#include "forms/widgets/TFPrint.h"
#include "store/Workspace.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QToolButton>

TFVEL::TFVEL(Workspace& workspace, UserInterface& ui, TFCalendar& calendar, QWidget* parent)
    : FormsDialog("FVEL", QStringLiteral("Ustawienia podglądu formularzy"), ui, calendar, parent),
      workspace_(workspace) {
    GroupBox2_ = new QGroupBox(QStringLiteral("Rok podatkowy"), this);
    GroupBox2_->setObjectName(QStringLiteral("GroupBox2"));
    eRok_ = NewYearEdit(GroupBox2_);
    QToolButton* btn3 = NewPickerButton(GroupBox2_, "btn3");
    connect(btn3, &QToolButton::clicked, this, &TFVEL::btn3Click);
    auto* yearRow = new QHBoxLayout(GroupBox2_);
    yearRow->addWidget(eRok_);
    yearRow->addWidget(btn3);
    yearRow->addStretch();
    // GroupBox2 and rgSkreslenie share one place: one of them is shown at a time.
    buildControls("RadioGroup1", "Label1", "Label2", "btnShow", QStringLiteral("Pokaż"), {GroupBox2_},
                  [this] { btnShowClick(); });
    GroupBox2_->hide();
    FormCreate();
}

void TFVEL::FormCreate() {
    VEL_->SetAutoFormat(true);
    VEL_->SetCalculate(true);
    VEL_->Convert = true;
    VEL_->ReadOnly = true;
    SetEditionSymbols(CurrentEditionSymbols(), cbRok_->currentIndex());
}

void TFVEL::FormShow() {
    choosePit11();
    if (print_) takeOverEmptyFields(*print_);
}

void TFVEL::rbPIT11Click() {
    GroupBox2_->hide();
    rgSkreslenie_->show();
}

void TFVEL::rbPIT40Click() {
    rgSkreslenie_->hide();
    GroupBox2_->show();
}

void TFVEL::btn3Click() {
    pickYear(*eRok_);
}

void TFVEL::btnClearClick() {
    eRok_->clear();
    eImie_->clear();
    eNazwisko_->clear();
    choice_.rbPIT11->setChecked(true);
}

std::optional<QByteArray> TFVEL::BuildFieldList(QByteArrayList& lines, QPlainTextEdit& memo, FormKind kind,
                                                bool strikePit11) const {
    const FieldListChoices choices = fieldListChoices(kind, strikePit11);
    const std::optional<QByteArray> symbol = ::BuildFieldList(lines, choices, workspace_.taxpayers.current(),
                                                              workspace_.payer, CurrentEditionSymbols());
    SetMemoLines(memo, lines);
    return symbol;
}

void TFVEL::btnShowClick() {
    reportingErrors([this] { showTheForm(); });
}

void TFVEL::showTheForm() {
    if (!fillerNamesUsable()) return;
    const FormKind kind = choice_.kind();
    const bool strikePit11 = StrikePit11(*strike_);
    SetEditionSymbols(CurrentEditionSymbols(), cbRok_->currentIndex());
    QByteArrayList lines;
    const std::optional<QByteArray> symbol = BuildFieldList(lines, *Memo1_, kind, strikePit11);
    if (kind == FormKind::None || !symbol) return;
    VEL_->setParentWindow(parentWindow_.handle());
    VEL_->SetActive(false);
    VEL_->SetSymbol(*symbol);
    VEL_->SetIdentyfikator(*symbol);
    VEL_->SetCalculate(false);  // AutoFormat stays on
    VEL_->Convert = true;
    VEL_->ReadOnly = true;
    VEL_->SetFields(lines);
    VEL_->SaveQuery = false;
    VEL_->SetActive(true);
    VEL_->Show();  // returns when the user has closed the form
}
