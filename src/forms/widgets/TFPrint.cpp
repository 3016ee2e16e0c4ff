#include "forms/widgets/TFPrint.h"

#include "forms/TSterFormVEL.h"
#include "forms/widgets/FormEditions.h"
#include "forms/widgets/TFVEL.h"
#include "store/Workspace.h"
#include "ui/MainView.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QToolButton>

TFPrint::TFPrint(Workspace& workspace, MainView& mainView, TFVEL& showForm, UserInterface& ui, TFCalendar& calendar,
                 QWidget* parent)
    : FormsDialog("FPrint", QStringLiteral("Drukowanie"), ui, calendar, parent), workspace_(workspace),
      mainView_(mainView), FVEL_(showForm) {
    auto* GroupBox2 = new QGroupBox(QStringLiteral("Okres wypełnienia (lub rok podatkowy)"), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    lblOd_ = new QLabel(QStringLiteral("od"), GroupBox2);
    eOd_ = NewDateEdit(GroupBox2, "eOd");
    lblOd_->setBuddy(eOd_);
    btn1_ = NewPickerButton(GroupBox2, "btn1");
    lblDo_ = new QLabel(QStringLiteral("do"), GroupBox2);
    eDo_ = NewDateEdit(GroupBox2, "eDo");
    lblDo_->setBuddy(eDo_);
    btn2_ = NewPickerButton(GroupBox2, "btn2");
    eRok_ = NewYearEdit(GroupBox2);
    btn3_ = NewPickerButton(GroupBox2, "btn3");
    auto* period = new QHBoxLayout(GroupBox2);
    for (QWidget* widget : periodControls()) period->addWidget(widget);
    period->addWidget(eRok_);
    period->addWidget(btn3_);
    period->addStretch();
    connect(btn1_, &QToolButton::clicked, this, &TFPrint::btn1Click);
    connect(btn2_, &QToolButton::clicked, this, &TFPrint::btn2Click);
    connect(btn3_, &QToolButton::clicked, this, &TFPrint::btn3Click);

    buildControls("RadioGroup2", "Label2", "Label3", "btnPrint", QStringLiteral("Drukuj"), {GroupBox2},
                  [this] { btnPrintClick(); });
    showPeriod(true);
    showForm.setPrintDialog(this);
}

void TFPrint::FormShow() {
    setWindowTitle(QStringLiteral("Drukowanie %1 dokumentów..").arg(mainView_.selectedRows().size()));
    choosePit11();
    takeOverEmptyFields(FVEL_);
}

std::array<QWidget*, 6> TFPrint::periodControls() const {
    return {lblOd_, eOd_, btn1_, lblDo_, eDo_, btn2_};
}

void TFPrint::showPeriod(bool period) {
    for (QWidget* widget : periodControls()) widget->setVisible(period);
    eRok_->setVisible(!period);
    btn3_->setVisible(!period);
}

void TFPrint::rbPIT11Click() {
    showPeriod(true);
    rgSkreslenie_->show();
}

void TFPrint::rbPIT40Click() {
    showPeriod(false);
    rgSkreslenie_->hide();
}

void TFPrint::btn1Click() {
    pickDate(*eOd_);
}

void TFPrint::btn2Click() {
    pickDate(*eDo_);
}

void TFPrint::btn3Click() {
    pickYear(*eRok_);
}

void TFPrint::btnClearClick() {
    eOd_->clear();
    eDo_->clear();
    eRok_->clear();
    eImie_->clear();
    eNazwisko_->clear();
    choice_.rbPIT11->setChecked(true);
}

void TFPrint::btnPrintClick() {
    reportingErrors([this] { printSelected(); });  // a failure stops the batch
}

void TFPrint::printSelected() {
    if (!fillerNamesUsable()) return;
    VEL_->setParentWindow(parentWindow_.handle());
    VEL_->SetActive(false);
    SetEditionSymbols(CurrentEditionSymbols(), cbRok_->currentIndex());
    const bool strikePit11 = StrikePit11(*strike_);
    const FormKind kind = choice_.kind();
    // The forms are built from the show-form dialog's person and tax year.
    copyMaskedText(*eRok_, FVEL_.eRok());
    FVEL_.eNazwisko().setText(eNazwisko_->text());
    FVEL_.eImie().setText(eImie_->text());
    VEL_->SetAutoFormat(true);
    VEL_->SetCalculate(true);
    VEL_->Convert = false;
    VEL_->ReadOnly = false;
    VEL_->SaveQuery = false;
    if (kind == FormKind::None) return;

    bool first = true;
    for (const int row : mainView_.selectedRows()) {  // ascending: table order
        workspace_.taxpayers.SelectByIndex(row);
        QByteArrayList lines;
        const QByteArray symbol = FVEL_.BuildFieldList(lines, *Memo1_, kind, strikePit11).value_or(QByteArray());
        VEL_->SetSymbol(symbol);
        VEL_->SetIdentyfikator(symbol);
        // From the second document on this sends the list read back after the previous one again.
        VEL_->SendData(true);
        VEL_->SetFields(lines);
        VEL_->SetActive(true);  // the form made for the first document serves them all
        // The forms program's print dialog for the first document; the others are printed with
        // the printer and range chosen there. Cancelling it stops the batch: nothing is printed
        // that the user did not confirm.
        const bool printed = first ? VEL_->PrintDialog() : VEL_->Print();
        VEL_->FinishDocument();
        if (first && !printed) return;
        first = false;
    }
}
