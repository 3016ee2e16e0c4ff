#include "forms/widgets/TFPrint.h"

#include "forms/widgets/BatchProgress.h"

#include "forms/PrintBatchReport.h"
#include "forms/TSterFormVEL.h"
#include "forms/widgets/FormEditions.h"
#include "forms/widgets/TFVEL.h"
#include "store/Cp1250.h"
#include "store/Workspace.h"
#include "ui/MainView.h"
#include "ui/UserInterface.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QPushButton>
#include <QScopeGuard>
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

    pnlPostep_ = new BatchProgress(this);
    connect(pnlPostep_->stopButton(), &QPushButton::clicked, this, &TFPrint::btnPrzerwijClick);

    buildControls("RadioGroup2", "Label2", "Label3", "btnPrint", QStringLiteral("Drukuj"), {GroupBox2, pnlPostep_},
                  [this] { btnPrintClick(); });
    showPeriod(true);
    showForm.setPrintDialog(this);
}

void TFPrint::FormShow() {
    setWindowTitle(PrintBatchCaption(static_cast<int>(mainView_.selectedRows().size())));
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
    if (pnlPostep_->running()) return;
    pnlPostep_->setRunning(true);
    const auto done = qScopeGuard([this] { pnlPostep_->setRunning(false); });
    reportingErrors([this] { printSelected(); });  // a failure stops the batch
}

void TFPrint::btnPrzerwijClick() { pnlPostep_->requestStop(); }

void TFPrint::reject() {
    if (pnlPostep_->running())
        btnPrzerwijClick();
    else
        FormsDialog::reject();
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

    const std::vector<int> rows = mainView_.selectedRows();  // ascending: table order
    if (rows.empty()) return;
    PrintBatchEnd end;
    end.total = static_cast<int>(rows.size());
    const auto stopAt = [&end](PrintBatchEnd::Reason reason, int index, const QString& name) {
        end.reason = reason;
        end.stoppedAt = index + 1;
        end.stoppedName = name;
    };
    for (int index = 0; index < end.total; ++index) {
        if (index > 0) {
            // The user's "Przerwij" arrives between documents: what is printed stays printed.
            QCoreApplication::processEvents();
            if (pnlPostep_->stopRequested()) {
                stopAt(PrintBatchEnd::Reason::StoppedByUser, index, QString());
                break;
            }
        }
        workspace_.taxpayers.SelectByIndex(rows[static_cast<std::size_t>(index)]);
        const TaxpayerRecord* taxpayer = workspace_.taxpayers.current();
        const QString name = taxpayer == nullptr ? QString()
                                                 : (cp1250::toUnicode(taxpayer->nazwisko) + QLatin1Char(' ') +
                                                    cp1250::toUnicode(taxpayer->imie1)).trimmed();
        pnlPostep_->showProgress(QStringLiteral("Drukowanie %1 z %2: %3").arg(index + 1).arg(end.total).arg(name));
        try {
            if (printOne(kind, strikePit11, index == 0)) {
                ++end.printed;
                continue;
            }
            // Nothing is printed that the user did not confirm, and nothing after a document that
            // did not print: the user learns where the batch stopped.
            stopAt(index == 0 ? PrintBatchEnd::Reason::DialogNotConfirmed : PrintBatchEnd::Reason::DocumentNotPrinted,
                   index, name);
        } catch (const std::exception& error) {  // the controller's ESterFormVEL
            stopAt(PrintBatchEnd::Reason::Failed, index, name);
            end.failure = QString::fromUtf8(error.what());
        }
        break;
    }
    if (end.isError())
        ui_.message(QStringLiteral("Błąd"), PrintBatchSummary(end), MessageIcon::Error);
    else
        ui_.message(QStringLiteral("Informacja"), PrintBatchSummary(end), MessageIcon::Information);
}

bool TFPrint::printOne(FormKind kind, bool strikePit11, bool first) {
    QByteArrayList lines;
    const QByteArray symbol = FVEL_.BuildFieldList(lines, *Memo1_, kind, strikePit11).value_or(QByteArray());
    VEL_->SetSymbol(symbol);
    VEL_->SetIdentyfikator(symbol);
    // From the second document on this sends the list read back after the previous one again.
    VEL_->SendData(true);
    VEL_->SetFields(lines);
    VEL_->SetActive(true);  // the form made for the first document serves them all
    // The forms program's print dialog for the first document; the others are printed with the
    // printer and range chosen there.
    const bool printed = first ? VEL_->PrintDialog() : VEL_->Print();
    VEL_->FinishDocument();
    return printed;
}
