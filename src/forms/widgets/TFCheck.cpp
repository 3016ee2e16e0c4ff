#include "forms/widgets/TFCheck.h"

#include "edit/widgets/TFEdit.h"
#include "edit/widgets/TFPlatnik.h"
#include "forms/FindingControls.h"
#include "forms/FindingsFilter.h"
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
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSignalBlocker>
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
    lvFindings_->setSelectionMode(QAbstractItemView::ExtendedSelection);
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

    // The kinds of findings and the taxpayer: which findings the list shows.
    lvKinds_ = new QListWidget(this);
    lvKinds_->setObjectName(QStringLiteral("lvKinds"));
    lvKinds_->setWordWrap(true);  // a long kind on two lines rather than cut off
    auto* lblKinds = new QLabel(QStringLiteral("Rodzaje &uwag:"), this);
    lblKinds->setBuddy(lvKinds_);
    connect(lvKinds_, &QListWidget::currentRowChanged, this, [this] { lvKindsChange(); });
    eTaxpayer_ = new QLineEdit(this);
    eTaxpayer_->setObjectName(QStringLiteral("eTaxpayer"));
    eTaxpayer_->setPlaceholderText(QStringLiteral("nazwisko lub imię"));
    eTaxpayer_->setClearButtonEnabled(true);
    auto* lblTaxpayer = new QLabel(QStringLiteral("&Podatnik:"), this);
    lblTaxpayer->setBuddy(eTaxpayer_);
    connect(eTaxpayer_, &QLineEdit::textChanged, this, [this] { lvKindsChange(); });
    btnFixAll_ = new QPushButton(QStringLiteral("Popraw u &wszystkich..."), this);
    btnFixAll_->setObjectName(QStringLiteral("btnFixAll"));
    connect(btnFixAll_, &QPushButton::clicked, this, &TFCheck::btnFixAllClick);
    btnFixSelected_ = new QPushButton(QStringLiteral("Popraw u z&aznaczonych..."), this);
    btnFixSelected_->setObjectName(QStringLiteral("btnFixSelected"));
    connect(btnFixSelected_, &QPushButton::clicked, this, &TFCheck::btnFixSelectedClick);

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
    auto* kindColumn = new QVBoxLayout;
    kindColumn->addWidget(lblKinds);
    kindColumn->addWidget(lvKinds_, 1);
    kindColumn->addWidget(btnFixAll_);
    kindColumn->addWidget(btnFixSelected_);
    auto* taxpayerRow = new QHBoxLayout;
    taxpayerRow->addWidget(lblTaxpayer);
    taxpayerRow->addWidget(eTaxpayer_, 1);
    auto* listColumn = new QVBoxLayout;
    listColumn->addLayout(taxpayerRow);
    listColumn->addWidget(lvFindings_, 1);
    auto* lists = new QHBoxLayout;
    lists->addLayout(kindColumn, 1);
    lists->addLayout(listColumn, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addLayout(lists, 1);
    layout->addLayout(bottom);
    FitToScreen(*this, QSize(1100, 600));
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
    checkedLayout_ = RequestedFormLayout(request);
    checkedRevision_ = taxpayers.revision();
    lblSummary_->setText(FindingsCount(rows.size()));
    model_->setRows(std::move(rows));
    const QHeaderView* header = lvFindings_->horizontalHeader();
    if (header->sortIndicatorSection() >= 0) model_->sort(header->sortIndicatorSection(), header->sortIndicatorOrder());
    fillKinds();
}

// "Wszystkie" and each kind the findings are of, with its count; the kind chosen before stays
// chosen while the list still has findings of it.
void TFCheck::fillKinds() {
    const QVariant chosen = lvKinds_->currentItem() ? lvKinds_->currentItem()->data(Qt::UserRole) : QVariant();
    const QSignalBlocker blocker(lvKinds_);
    lvKinds_->clear();
    auto* all = new QListWidgetItem(KindCountText(std::nullopt, static_cast<int>(model_->rows().size())), lvKinds_);
    all->setData(Qt::UserRole, 0);
    int current = 0;
    for (const KindCount& kind : CountFindingKinds(model_->rows())) {
        auto* item = new QListWidgetItem(KindCountText(kind.kind, kind.count), lvKinds_);
        item->setData(Qt::UserRole, static_cast<int>(kind.kind));
        item->setToolTip(item->text());
        if (chosen == item->data(Qt::UserRole)) current = lvKinds_->count() - 1;
    }
    lvKinds_->setCurrentRow(current);
    lvKindsChange();
}

void TFCheck::lvKindsChange() {
    FindingsFilter filter;
    const int kind = lvKinds_->currentItem() ? lvKinds_->currentItem()->data(Qt::UserRole).toInt() : 0;
    if (kind != 0) filter.kind = static_cast<FindingKind>(kind);
    filter.taxpayer = eTaxpayer_->text();
    model_->setFilter(std::move(filter));
    const bool fixable = chosenFix() != FindingFix::None && model_->rowCount() > 0;
    btnFixAll_->setEnabled(fixable);
    btnFixSelected_->setEnabled(fixable);
}

FindingFix TFCheck::chosenFix() const {
    const std::optional<FindingKind> kind = model_->filter().kind;
    return kind && checkedLayout_ ? FixFor(*kind) : FindingFix::None;
}

void TFCheck::btnFixAllClick() { fix(model_->shownFindings()); }

void TFCheck::btnFixSelectedClick() {
    std::vector<const RegisterFinding*> findings;
    for (const QModelIndex& index : lvFindings_->selectionModel()->selectedRows())
        if (index.row() < model_->rowCount()) findings.push_back(&model_->row(index.row()).finding);
    if (findings.empty()) {
        ui_.message(QStringLiteral("Informacja"), QStringLiteral("Zaznacz na liście uwagi podatników, których dane poprawić."),
                    MessageIcon::Information);
        return;
    }
    fix(findings);
}

void TFCheck::fix(const std::vector<const RegisterFinding*>& findings) {
    if (workspace_.taxpayers.revision() != checkedRevision_) {
        // The list no longer tells who is where: it is made again and the user looks at it first.
        btnCheckClick();
        ui_.message(QStringLiteral("Informacja"),
                    QStringLiteral("Dane podatników zmieniły się od sprawdzenia – lista uwag została sprawdzona ponownie."),
                    MessageIcon::Information);
        return;
    }
    const FindingFix fix = chosenFix();
    const std::vector<int> positions = TaxpayersToFix(fix, findings);
    if (positions.empty()) return;
    if (!ui_.ask(QStringLiteral("Pytanie"), FixQuestion(fix, *checkedLayout_, static_cast<int>(positions.size())),
                 MessageIcon::Question))
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const FixOutcome outcome = FixTaxpayers(workspace_, fix, *checkedLayout_, positions);
    QApplication::restoreOverrideCursor();
    if (outcome.changed > 0) mainView_.RefreshView(mainView_.viewMode());
    if (!outcome.refused.isEmpty()) {
        constexpr qsizetype kShown = 10;
        QString text = QStringLiteral("Nie można było poprawić danych tych podatników – ich dane pozostały bez zmian:\n") +
                       outcome.refused.mid(0, kShown).join(u'\n');
        if (outcome.refused.size() > kShown)
            text += QStringLiteral("\n… i %1 innych.").arg(outcome.refused.size() - kShown);
        ui_.message(QStringLiteral("Uwaga!"), text, MessageIcon::Warning);
    }
    btnCheckClick();
}

void TFCheck::lvFindingsDblClick(const QModelIndex& index) {
    if (!index.isValid() || index.row() >= model_->rowCount()) return;
    const RegisterFinding finding = model_->row(index.row()).finding;
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
        WriteFileAtomically(*fileName, FindingsListText(model_->shownRows()));
    } catch (const FileError& error) {
        ui_.message(QStringLiteral("Błąd"), error.message(), MessageIcon::Error);
    }
}
