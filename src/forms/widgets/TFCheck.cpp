#include "forms/widgets/TFCheck.h"

#include "edit/widgets/TFEdit.h"
#include "edit/widgets/TFPlatnik.h"
#include "forms/FindingControls.h"
#include "forms/FindingsList.h"
#include "forms/RegisterCheck.h"
#include "forms/widgets/FindingsTableModel.h"
#include "forms/widgets/FormsDialog.h"
#include "store/AtomicFileWriter.h"
#include "store/FileErrors.h"
#include "store/Workspace.h"
#include "ui/FocusControl.h"
#include "ui/MainView.h"
#include "ui/ScreenFit.h"
#include "ui/UserInterface.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>


namespace {

const QString kSaveFilter =
    QStringLiteral("Pliki tekstowe rozdzielane średnikami (*.csv)|*.csv|Wszystkie pliki (*.*)|*.*");

QString FindingsCount(std::size_t count) {
    if (count == 0) return QStringLiteral("Nie znaleziono żadnych uwag.");
    return QStringLiteral("Liczba uwag: %1. Dwukrotne kliknięcie uwagi otwiera formularz na jej polu.").arg(count);
}

}  // namespace

TFCheck::TFCheck(Workspace& workspace, MainView& mainView, UserInterface& ui, TFEdit& edit, TFPlatnik& platnik,
                 FormsDialog* vel, QWidget* parent)
    : QDialog(parent), workspace_(workspace), mainView_(mainView), ui_(ui), edit_(edit), platnik_(platnik),
      vel_(vel) {
    setObjectName(QStringLiteral("FCheck"));
    setWindowTitle(QStringLiteral("Sprawdzanie danych do formularzy"));
    buildControls();
}

void TFCheck::buildControls() {
    auto* choices = new QHBoxLayout;
    choices_ = std::make_unique<CheckChoices>(this, *choices);
    connect(choices_->choice.rbPIT11, &QRadioButton::toggled, this, [this](bool on) {
        if (on) rbPIT11Click();
    });
    connect(choices_->choice.rbPIT40, &QRadioButton::toggled, this, [this](bool on) {
        if (on) rbPIT40Click();
    });

    auto* btnCheck = new QPushButton(QStringLiteral("&Sprawdź ponownie"), this);
    btnCheck->setObjectName(QStringLiteral("btnCheck"));
    connect(btnCheck, &QPushButton::clicked, this, &TFCheck::btnCheckClick);

    model_ = new FindingsTableModel(this);
    lvFindings_ = new QTableView(this);
    lvFindings_->setObjectName(QStringLiteral("lvFindings"));
    lvFindings_->setModel(model_);
    lvFindings_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvFindings_->setSelectionMode(QAbstractItemView::SingleSelection);
    lvFindings_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvFindings_->setSortingEnabled(true);
    lvFindings_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);  // the checks' order until a click
    lvFindings_->horizontalHeader()->setStretchLastSection(true);
    lvFindings_->verticalHeader()->hide();
    lvFindings_->setWordWrap(false);
    lvFindings_->setColumnWidth(0, 50);
    lvFindings_->setColumnWidth(1, 150);
    lvFindings_->setColumnWidth(2, 110);
    lvFindings_->setColumnWidth(3, 60);
    // A double click, or Enter on the current finding (one signal for both, so a double click
    // opens the form once).
    connect(lvFindings_, &QTableView::activated, this, &TFCheck::lvFindingsDblClick);

    lblSummary_ = new QLabel(this);
    lblSummary_->setObjectName(QStringLiteral("lblSummary"));
    auto* btnSave = new QPushButton(QStringLiteral("&Zapisz listę..."), this);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    connect(btnSave, &QPushButton::clicked, this, &TFCheck::btnSaveClick);
    auto* btnClose = new QPushButton(QStringLiteral("Zamknij"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttonColumn = new QVBoxLayout;
    buttonColumn->addStretch();
    buttonColumn->addWidget(btnCheck);
    choices->addLayout(buttonColumn);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblSummary_, 1);
    bottom->addWidget(btnSave);
    bottom->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(lvFindings_, 1);
    layout->addLayout(bottom);
    FitToScreen(*this, QSize(900, 560));
}

void TFCheck::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) FormShow();
    QDialog::showEvent(event);
}

void TFCheck::FormShow() {
    choices_->takeOver(vel_);
    chosen_ = SelectedTaxpayers(workspace_.taxpayers, mainView_.selectedRows());
    btnCheckClick();
}

void TFCheck::rbPIT11Click() { choices_->followForm(); }

void TFCheck::rbPIT40Click() { choices_->followForm(); }

void TFCheck::btnCheckClick() {
    const RegisterCheckRequest request = choices_->request(workspace_.taxpayers, chosen_);
    const TaxpayerRegister& taxpayers = workspace_.taxpayers;
    if (request.choices.kind == FormKind::None) return;

    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::vector<FindingRow> rows = MakeFindingRows(CheckRegister(taxpayers, workspace_.payer, request), taxpayers,
                                                   workspace_.payer);
    QApplication::restoreOverrideCursor();
    checkedKind_ = request.choices.kind;
    lblSummary_->setText(FindingsCount(rows.size()));
    model_->setRows(std::move(rows));
    const QHeaderView* header = lvFindings_->horizontalHeader();
    if (header->sortIndicatorSection() >= 0) model_->sort(header->sortIndicatorSection(), header->sortIndicatorOrder());
}

void TFCheck::lvFindingsDblClick(const QModelIndex& index) {
    if (!index.isValid() || index.row() >= model_->rowCount()) return;
    const RegisterFinding finding = model_->rows()[static_cast<std::size_t>(index.row())].finding;
    const FindingControl control = ControlForFinding(checkedKind_, finding);
    int result = QDialog::Rejected;
    switch (control.window) {
    case FindingWindow::None:
        return;
    case FindingWindow::Choices:
        FocusNamedControl(*this, control.name);
        return;
    case FindingWindow::Taxpayer:
        if (finding.position > workspace_.taxpayers.count()) return;
        workspace_.taxpayers.SelectByIndex(finding.position - 1);
        edit_.setFocusTarget(control.name);
        result = edit_.exec();
        break;
    case FindingWindow::Payer:
        platnik_.setFocusTarget(control.name);
        result = platnik_.exec();
        break;
    }
    // A confirmed correction is checked at once, so the list never points at moved records.
    if (result == QDialog::Accepted) btnCheckClick();
}

void TFCheck::btnSaveClick() {
    FileDialogRequest request;
    request.title = QStringLiteral("Zapisywanie listy uwag");
    request.filter = kSaveFilter;
    request.defaultSuffix = QStringLiteral("csv");
    const std::optional<QString> fileName = ui_.saveFile(request);
    if (!fileName) return;
    try {
        WriteFileAtomically(*fileName, FindingsListText(model_->rows()));
    } catch (const FileError& error) {
        ui_.message(QStringLiteral("Błąd"), error.message(), MessageIcon::Error);
    }
}
