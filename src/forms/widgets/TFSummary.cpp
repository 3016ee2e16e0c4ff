#include "forms/widgets/TFSummary.h"

#include "forms/FormLayout.h"

#include "forms/widgets/TotalsReport.h"
#include "store/AtomicFileWriter.h"
#include "store/Cp1250.h"
#include "store/FileErrors.h"
#include "store/PolishPlural.h"
#include "store/Workspace.h"
#include "ui/MainView.h"
#include "ui/ScreenFit.h"
#include "ui/UserInterface.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QComboBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr std::size_t kNamedProblems = 10;

QString ProblemsText(const std::vector<TotalsProblem>& problems, const TaxpayerRegister& taxpayers) {
    QString text = QStringLiteral("Kwot nie zsumowano, bo nie wszystkie dają się odczytać lub obliczyć:");
    for (std::size_t i = 0; i < problems.size() && i < kNamedProblems; ++i)
        text += QStringLiteral("\n– ") + TotalsProblemText(problems[i], taxpayers);
    if (problems.size() > kNamedProblems) {
        const auto more = static_cast<long long>(problems.size() - kNamedProblems);
        text += QStringLiteral("\n… i %1 %2.").arg(more).arg(
            PolishPlural(more, QStringLiteral("inna"), QStringLiteral("inne"), QStringLiteral("innych")));
    }
    return text + QStringLiteral("\nPopraw te dane (np. w oknie sprawdzania danych) i przelicz zestawienie.");
}

}  // namespace

TFSummary::TFSummary(Workspace& workspace, MainView& mainView, UserInterface& ui, FormsDialog* vel, QWidget* parent)
    : QDialog(parent), workspace_(workspace), mainView_(mainView), ui_(ui), vel_(vel) {
    setObjectName(QStringLiteral("FSummary"));
    setWindowTitle(QStringLiteral("Zestawienie kwot"));

    auto* choices = new QHBoxLayout;
    choices_ = std::make_unique<CheckChoices>(this, *choices);
    auto* btnSum = new QPushButton(QStringLiteral("P&rzelicz"), this);
    btnSum->setObjectName(QStringLiteral("btnSum"));
    connect(btnSum, &QPushButton::clicked, this, &TFSummary::btnSumClick);
    auto* buttonColumn = new QVBoxLayout;
    buttonColumn->addStretch();
    buttonColumn->addWidget(btnSum);
    choices->addLayout(buttonColumn);
    // A change of form or edition changes every row: sum again at once.
    connect(choices_->choice.rbPIT40, &QRadioButton::toggled, this, [this] {
        choices_->followForm();
        if (isVisible()) btnSumClick();
    });
    connect(choices_->cbRok, &QComboBox::currentIndexChanged, this, [this] {
        if (isVisible()) btnSumClick();
    });

    lblCount_ = new QLabel(this);
    lblCount_->setObjectName(QStringLiteral("lblCount"));
    lblFindings_ = new QLabel(this);
    lblFindings_->setObjectName(QStringLiteral("lblFindings"));
    lvTotals_ = new QTableWidget(0, 3, this);
    lvTotals_->setObjectName(QStringLiteral("lvTotals"));
    lvTotals_->setHorizontalHeaderLabels({QStringLiteral("Poz."), QStringLiteral("Opis"), QStringLiteral("Suma")});
    lvTotals_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvTotals_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvTotals_->verticalHeader()->hide();
    lvTotals_->setWordWrap(false);
    lvTotals_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    lvTotals_->setColumnWidth(0, 50);
    lvTotals_->setColumnWidth(2, 150);

    btnPrint_ = new QPushButton(QStringLiteral("&Drukuj…"), this);
    btnPrint_->setObjectName(QStringLiteral("btnPrint"));
    connect(btnPrint_, &QPushButton::clicked, this, &TFSummary::btnPrintClick);
    btnPdf_ = new QPushButton(QStringLiteral("Zapisz jako &PDF…"), this);
    btnPdf_->setObjectName(QStringLiteral("btnPdf"));
    connect(btnPdf_, &QPushButton::clicked, this, &TFSummary::btnPdfClick);
    btnSave_ = new QPushButton(QStringLiteral("Zapisz &listę…"), this);
    btnSave_->setObjectName(QStringLiteral("btnSave"));
    connect(btnSave_, &QPushButton::clicked, this, &TFSummary::btnSaveClick);
    auto* btnClose = new QPushButton(QStringLiteral("Zamknij"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

    auto* counts = new QVBoxLayout;
    counts->addWidget(lblCount_);
    counts->addWidget(lblFindings_);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(btnPrint_);
    bottom->addWidget(btnPdf_);
    bottom->addWidget(btnSave_);
    bottom->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addLayout(counts);
    layout->addWidget(lvTotals_, 1);
    layout->addLayout(bottom);
    FitToScreen(*this, QSize(900, 600));
}

void TFSummary::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) FormShow();
    QDialog::showEvent(event);
}

void TFSummary::FormShow() {
    choices_->takeOver(vel_);
    choices_->followForm();
    chosen_ = SelectedTaxpayers(workspace_.taxpayers, mainView_.selectedRows());
    btnSumClick();
}

void TFSummary::btnSumClick() {
    const RegisterCheckRequest request = choices_->request(workspace_.taxpayers, chosen_);
    if (request.choices.kind == FormKind::None) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    RegisterTotals totals = SumRegister(workspace_.taxpayers, workspace_.payer, request);
    if (totals.problems.empty()) findings_ = CountFindings(workspace_.taxpayers, workspace_.payer, request);
    QApplication::restoreOverrideCursor();
    if (totals.problems.empty()) {
        totals_ = std::move(totals);
    } else {
        totals_.reset();
        ui_.message(QStringLiteral("Błąd"), ProblemsText(totals.problems, workspace_.taxpayers), MessageIcon::Warning);
    }
    showTotals();
}

void TFSummary::showTotals() {
    lvTotals_->setRowCount(0);
    for (QPushButton* button : {btnPrint_, btnPdf_, btnSave_}) button->setEnabled(totals_.has_value());
    if (!totals_) {
        lblCount_->setText(QStringLiteral("Kwot nie zsumowano – popraw dane wskazane w komunikacie i naciśnij „Przelicz”."));
        lblFindings_->clear();
        return;
    }
    lblCount_->setText(QStringLiteral("%1, wydanie %2. Liczba podatników: %3")
                           .arg(totals_->formName, EditionYearText(totals_->symbol))
                           .arg(totals_->taxpayers));
    lblFindings_->setText(QStringLiteral("Podatnicy, których formularz pokaże uwagi: %1%2")
                              .arg(findings_.taxpayersWithFindings)
                              .arg(findings_.sharedFindings > 0
                                       ? QStringLiteral(" (uwagi dotyczą też płatnika lub ustawień – są na każdym formularzu)")
                                       : QString()));
    lvTotals_->setRowCount(static_cast<int>(totals_->boxes.size()));
    int row = 0;
    for (const BoxTotal& total : totals_->boxes) {
        auto* number = new QTableWidgetItem(QString::number(total.box));
        auto* caption = new QTableWidgetItem(total.caption);
        caption->setToolTip(total.caption);
        auto* sum = new QTableWidgetItem(GroszeText(total.grosze, true));
        sum->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        lvTotals_->setItem(row, 0, number);
        lvTotals_->setItem(row, 1, caption);
        lvTotals_->setItem(row, 2, sum);
        ++row;
    }
    // Sums of any size are shown whole.
    lvTotals_->resizeColumnToContents(2);
    lvTotals_->setColumnWidth(2, std::max(150, lvTotals_->columnWidth(2)));
}

TotalsReport TFSummary::report() const {
    TotalsReport report;
    report.payerName = cp1250::toUnicode(workspace_.payer.nazwa.view());
    report.payerNip = cp1250::toUnicode(workspace_.payer.NIP.view());
    report.totals = *totals_;
    report.findings = findings_;
    report.date = QDate::currentDate();
    return report;
}

void TFSummary::btnPrintClick() {
    if (!totals_) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setDocName(QStringLiteral("Zestawienie kwot %1").arg(totals_->formName));
    if (!ui_.choosePrinter(printer, QStringLiteral("Drukowanie zestawienia kwot"))) return;
    if (PaintTotalsReport(printer, report()) == 0)
        ui_.message(QStringLiteral("Błąd"), QStringLiteral("Nie udało się wydrukować zestawienia na wybranej drukarce."),
                    MessageIcon::Error);
}

void TFSummary::btnPdfClick() {
    if (!totals_) return;
    const QByteArray pdf = TotalsReportPdf(report());
    if (pdf.isEmpty()) {
        ui_.message(QStringLiteral("Błąd"), QStringLiteral("Nie udało się przygotować pliku PDF zestawienia."), MessageIcon::Error);
        return;
    }
    writeFile(QStringLiteral("Zapisywanie zestawienia jako PDF"), QStringLiteral("Pliki PDF (*.pdf)|*.pdf|Wszystkie pliki (*.*)|*.*"),
              QStringLiteral("pdf"), pdf.toStdString());
}

void TFSummary::btnSaveClick() {
    if (!totals_) return;
    writeFile(QStringLiteral("Zapisywanie zestawienia kwot"),
              QStringLiteral("Pliki tekstowe rozdzielane średnikami (*.csv)|*.csv|Wszystkie pliki (*.*)|*.*"),
              QStringLiteral("csv"), TotalsListText(*totals_, workspace_.payer, &findings_));
}

void TFSummary::writeFile(const QString& title, const QString& filter, const QString& suffix, const std::string& bytes) {
    FileDialogRequest request;
    request.title = title;
    request.filter = filter;
    request.defaultSuffix = suffix;
    const std::optional<QString> fileName = ui_.saveFile(request);
    if (!fileName) return;
    try {
        WriteFileAtomically(*fileName, bytes);
    } catch (const FileError& error) {
        ui_.message(QStringLiteral("Błąd"), error.message(), MessageIcon::Error);
    }
}
