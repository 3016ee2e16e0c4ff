#include "app/TFMain.h"

#include "app/PayerFollowsRegister.h"
#include "app/StatusBarInfo.h"
#include "app/TaxpayerSearchLine.h"
#include "app/TaxpayerTableModel.h"
#include "app/ToolbarIcons.h"
#include "app/UndoHistory.h"
#include "edit/widgets/SaveTargetChoice.h"
#include "settings/ProgramSettings.h"
#include "settings/RecentFiles.h"
#include "settings/widgets/TFConfig.h"
#include "store/DataFileCommands.h"
#include "store/FileErrors.h"
#include "store/PayerRecord.h"
#include "store/PolishPlural.h"
#include "store/RecoveryFolder.h"
#include "store/RecoveryKeeper.h"
#include "store/RegisterChangeRecording.h"
#include "ui/ErrorMessage.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <unordered_set>
#include <utility>

namespace {

const QString kTaxpayerFilterOpen =
    QStringLiteral("Pliki tekstowe w formacie INI|*.txt|Wszystkie pliki|*.*");
const QString kTaxpayerFilterSave =
    QStringLiteral("Pliki tekstowe w formacie INI (*.txt)|*.txt|Wszystkie pliki (*.*)|*.*");

const QString kCaption = QStringLiteral("Program wypełniający PIT-11/8B/40");

constexpr int kColumnWidth = 150;
constexpr int kLastColumnWidth = 250;

// A shortcut as the menus name it: the keys as they are printed on the keyboard ("Alt+Enter",
// "Insert", "Delete") rather than Qt's short names ("Alt+Return", "Ins", "Del").
QString ShortcutName(const QKeySequence& shortcut) {
    static const QHash<QString, QString> kKeyNames = {
        {QStringLiteral("Return"), QStringLiteral("Enter")},
        {QStringLiteral("Ins"), QStringLiteral("Insert")},
        {QStringLiteral("Del"), QStringLiteral("Delete")},
    };
    QStringList keys = shortcut.toString(QKeySequence::PortableText).split(QLatin1Char('+'));
    for (QString& key : keys) key = kKeyNames.value(key, key);
    return keys.join(QLatin1Char('+'));
}

// A menu command; its shortcut's name follows the caption after a tab, where the menus show it.
QAction* makeAction(QObject* parent, const char* name, const QString& caption,
                    const QKeySequence& shortcut = {}) {
    auto* action = new QAction(shortcut.isEmpty() ? caption : caption + QLatin1Char('\t') + ShortcutName(shortcut), parent);
    action->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    return action;
}

}  // namespace

TFMain::TFMain(UserInterface& ui, QWidget* parent) : QMainWindow(parent), ui_(ui) {
    setObjectName(QStringLiteral("FMain"));
    setWindowTitle(kCaption);
    setMinimumSize(500, 200);

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(10);
    connect(timer1_, &QTimer::timeout, this, &TFMain::Timer1Timer);

    history_ = new UndoHistory(workspace_, this);
    connect(history_, &UndoHistory::historyChanged, this, &TFMain::updateUndoActions);

    createActions();
    createMenus();
    createToolbar();
    createTable();
    updateUndoActions();
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusInfo_ = std::make_unique<StatusBarInfo>(*statusBar());
    payerFollows_ = std::make_unique<PayerFollowsRegister>(
        workspace_, windows_, ui_, [this] { return settingsFile(); },
        [this](const QString& text) { statusBar()->showMessage(text); });

    // The table stays hidden until there is something to show; it starts in its standard colours.
    applyTableColors(tableColor_, tableTextColor_);
    RefreshView(ViewMode::vmNone);
    workspace_.taxpayersSaved = true;
    workspace_.payerSaved = true;
    workspace_.changed = [this] { workspaceChanged(); };
}

TFMain::~TFMain() {
    // The steps know the data: they go first (a child would outlive the members).
    delete std::exchange(history_, nullptr);
    recovery_.reset();
    recoveredFrom_.reset();  // still held: the data it holds are nowhere else, it stays on the disk
    workspace_.changed = nullptr;
}

void TFMain::setRecovery(std::unique_ptr<RecoveryKeeper> keeper, const QString& folder) {
    recovery_ = std::move(keeper);
    recoveryFolder_ = folder;
    if (!recovery_) return;
    connect(recovery_.get(), &RecoveryKeeper::writeFailed, this, [this](const QString& failure) {
        statusBar()->showMessage(QStringLiteral("Kopia niezapisanych danych (do odzyskania po awarii) nie została "
                                                "zapisana: %1").arg(failure));
    });
    connect(recovery_.get(), &RecoveryKeeper::copyWritten, this, &TFMain::forgetRecoveredCopy);
}

// ---------------------------------------------------------------------------------------------
// Building the window

void TFMain::createActions() {
    MMnuKreatorOdczytu_ = makeAction(this, "MMnuKreatorOdczytu",
                                     QStringLiteral("&Kreator importu danych z bazy Programu Płatnika"),
                                     QKeySequence(Qt::CTRL | Qt::Key_O));
    MMnuOpenPlatnik_ = makeAction(this, "MMnuOpenPlatnik",
                                  QStringLiteral("&Importuj dane z bazy Programu Płatnika"),
                                  QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    MMnuOpen_ = makeAction(this, "MMnuOpen", QStringLiteral("&Otwórz plik tekstowy w formacie INI"),
                           QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_O));
    MMnuImportSep_ =
        makeAction(this, "MMnuImportSep", QStringLiteral("I&mportuj rozseparowane dane tekstowe"));
    MMnuExportSep_ =
        makeAction(this, "MMnuExportSep", QStringLiteral("&Eksportuj rozseparowane dane tekstowe…"));
    MMnuImportEmail_ = makeAction(this, "MMnuImportEmail", QStringLiteral("Importuj a&dresy e-mail…"));
    MMnu_Save_ = makeAction(this, "MMnu_Save", QStringLiteral("&Zapisz"), QKeySequence(Qt::CTRL | Qt::Key_S));
    MMnu_SaveAs_ = makeAction(this, "MMnu_SaveAs", QStringLiteral("Z&apisz jako..."));
    MMnuExit_ = makeAction(this, "MMnuExit", QStringLiteral("&Wyjście z programu"),
                           QKeySequence(Qt::ALT | Qt::Key_F4));

    MMnuUndo_ = makeAction(this, "MMnuUndo", QStringLiteral("&Cofnij"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    MMnuRedo_ = makeAction(this, "MMnuRedo", QStringLiteral("&Ponów"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    MMnuRedo_->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    MMnuEditData_ = makeAction(this, "MMnuEditData", QStringLiteral("&Edytuj dane"), QKeySequence(Qt::ALT | Qt::Key_Return));
    MMnuEditData_->setShortcuts({QKeySequence(Qt::ALT | Qt::Key_Return), QKeySequence(Qt::ALT | Qt::Key_Enter)});
    MMnuShowData_ = makeAction(this, "MMnuShowData", QStringLiteral("&Wyświetl dane na formularzu"),
                               QKeySequence(Qt::Key_F5));
    MMnuPrintData_ = makeAction(this, "MMnuPrintData", QStringLiteral("&Drukuj wybrane dane"),
                                QKeySequence(Qt::CTRL | Qt::Key_P));
    MMnuAddData_ = makeAction(this, "MMnuAddData", QStringLiteral("Dod&aj dane"), QKeySequence(Qt::Key_Insert));
    MMnuDelData_ = makeAction(this, "MMnuDelData", QStringLiteral("&Usuń wybrany rekord"),
                              QKeySequence(Qt::Key_Delete));
    MMnuPrintAllData_ =
        makeAction(this, "MMnuPrintAllData", QStringLiteral("Drukuj wszystkie rekordy na formularze"));
    MMnuPrintAllData_->setEnabled(false);  // never offered
    MMnuDelAllData_ = makeAction(this, "MMnuDelAllData", QStringLiteral("U&suń wszystkie dane"));
    MMnuCheckData_ = makeAction(this, "MMnuCheckData", QStringLiteral("Sprawdź dane do formularzy…"),
                                QKeySequence(Qt::CTRL | Qt::Key_K));
    MMnuSummary_ = makeAction(this, "MMnuSummary", QStringLiteral("&Zestawienie kwot…"));

    MMnuPlatnik_ = makeAction(this, "MMnuPlatnik", QStringLiteral("Pł&atnik składek"));
    MMnuOpcje_ = makeAction(this, "MMnuOpcje", QStringLiteral("&Opcje"));
    MMnuPomoc_ = makeAction(this, "MMnuPomoc", QStringLiteral("&Pomoc"), QKeySequence(Qt::Key_F1));
    MMnuPomoc_->setStatusTip(QStringLiteral("Wyświetla pomoc do programu"));
    MMnuAbout_ = makeAction(this, "MMnuAbout", QStringLiteral("&O programie"));
    MMnuAbout_->setStatusTip(QStringLiteral("Wyświetla okno z informacjami o programie"));

    // The context menu shows the same shortcuts; they act only while the menu is open, so they
    // do not compete with the main menu's.
    TMnuPokazForm_ = makeAction(this, "TMnuPokazForm", QStringLiteral("Pokaż &formularz"), QKeySequence(Qt::Key_F5));
    TMnuEdit_ = makeAction(this, "TMnuEdit", QStringLiteral("&Edycja danych"), QKeySequence(Qt::ALT | Qt::Key_Return));
    TMnuPrint_ = makeAction(this, "TMnuPrint", QStringLiteral("D&rukuj rekord"), QKeySequence(Qt::CTRL | Qt::Key_P));
    TMnuAddRecord_ = makeAction(this, "TMnuAddRecord", QStringLiteral("&Dodaj rekord"), QKeySequence(Qt::Key_Insert));
    TMnuDelRecord_ = makeAction(this, "TMnuDelRecord", QStringLiteral("&Usuń rekord(y)"), QKeySequence(Qt::Key_Delete));
    TMnuProperties_ = makeAction(this, "TMnuProperties", QStringLiteral("&Właściwości tabeli"));
    TMnuCheckData_ = makeAction(this, "TMnuCheckData", QStringLiteral("Sprawdź dane do formularzy…"));
    for (QAction* action : {TMnuPokazForm_, TMnuEdit_, TMnuPrint_, TMnuAddRecord_, TMnuDelRecord_, TMnuProperties_})
        action->setShortcutContext(Qt::WidgetShortcut);

    const std::pair<QAction*, void (TFMain::*)()> commands[] = {
        {MMnuKreatorOdczytu_, &TFMain::ImportWizard}, {MMnuOpenPlatnik_, &TFMain::QuickImport},
        {MMnuOpen_, &TFMain::Open},                   {MMnuImportSep_, &TFMain::DelimitedImport},
        {MMnu_Save_, &TFMain::Save},                  {MMnu_SaveAs_, &TFMain::SaveAs},
        {MMnuEditData_, &TFMain::Edit},               {MMnuShowData_, &TFMain::ShowForm},
        {MMnuPrintData_, &TFMain::Print},             {MMnuAddData_, &TFMain::Add},
        {MMnuDelData_, &TFMain::DeleteSelected},      {MMnuDelAllData_, &TFMain::DeleteAll},
        {MMnuPlatnik_, &TFMain::PayerForm},           {MMnuOpcje_, &TFMain::Options},
        {MMnuPomoc_, &TFMain::Help},                  {MMnuAbout_, &TFMain::About},
        {TMnuPokazForm_, &TFMain::ShowForm},          {TMnuEdit_, &TFMain::Edit},
        {TMnuPrint_, &TFMain::Print},                 {TMnuAddRecord_, &TFMain::Add},
        {TMnuDelRecord_, &TFMain::DeleteSelected},    {TMnuProperties_, &TFMain::TableProperties},
        {MMnuCheckData_, &TFMain::CheckData},         {TMnuCheckData_, &TFMain::CheckData},
        {MMnuExportSep_, &TFMain::DelimitedExport},   {MMnuSummary_, &TFMain::Summary},
        {MMnuImportEmail_, &TFMain::ImportEmails},     {MMnuUndo_, &TFMain::Undo},
        {MMnuRedo_, &TFMain::Redo},
    };
    for (const auto& [action, command] : commands)
        connect(action, &QAction::triggered, this, [this, command = command] { (this->*command)(); });
    connect(MMnuExit_, &QAction::triggered, this, &QWidget::close);

    for (int index = 0; index < RecentFiles::kMaximum; ++index) {
        auto* action = new QAction(this);
        action->setObjectName(QStringLiteral("MMnuRecent%1").arg(index + 1));
        action->setVisible(false);
        connect(action, &QAction::triggered, this, [this, index] { OpenRecent(index); });
        MMnuRecent_[static_cast<std::size_t>(index)] = action;
    }
}

void TFMain::createMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));

    mnuPlik_ = bar->addMenu(QStringLiteral("&Plik"));
    mnuPlik_->setObjectName(QStringLiteral("MMnu_Plik"));
    mnuPlik_->addActions({MMnuKreatorOdczytu_, MMnuOpenPlatnik_, MMnuOpen_, MMnuImportSep_, MMnuExportSep_, MMnuImportEmail_,
                          MMnu_Save_,
                          MMnu_SaveAs_});
    QAction* eachPdf = makeAction(this, "MMnuEachPdf", QStringLiteral("Zapisz &PDF dla każdego podatnika…"));
    connect(eachPdf, &QAction::triggered, this, &TFMain::SaveEachPdf);
    mnuPlik_->addAction(eachPdf);
    QAction* mail = makeAction(this, "MMnuMail", QStringLiteral("W&yślij PIT-y e-mailem…"));
    connect(mail, &QAction::triggered, this, &TFMain::SendByMail);
    mnuPlik_->addAction(mail);
    // The data files opened or saved last; the full path shows as the tooltip.
    recentSeparator_ = mnuPlik_->addSeparator();
    for (QAction* action : MMnuRecent_) mnuPlik_->addAction(action);
    mnuPlik_->setToolTipsVisible(true);
    mnuPlik_->addSeparator();
    mnuPlik_->addAction(MMnuExit_);

    mnuEdycja_ = bar->addMenu(QStringLiteral("&Edycja"));
    mnuEdycja_->setObjectName(QStringLiteral("MMnu_Edycja"));
    mnuEdycja_->addActions({MMnuUndo_, MMnuRedo_});
    mnuEdycja_->addSeparator();
    mnuEdycja_->addActions({MMnuEditData_, MMnuShowData_, MMnuPrintData_, MMnuAddData_, MMnuDelData_});
    mnuEdycja_->addActions({MMnuCheckData_, MMnuSummary_});
    mnuEdycja_->addSeparator();
    mnuEdycja_->addActions({MMnuPrintAllData_, MMnuDelAllData_});

    bar->addAction(MMnuPlatnik_);
    bar->addAction(MMnuOpcje_);

    mnuPomoc_ = bar->addMenu(QStringLiteral("Po&moc"));  // Alt+O is Opcje
    mnuPomoc_->setObjectName(QStringLiteral("MMnu_Pomoc"));
    mnuPomoc_->addActions({MMnuPomoc_, MMnuAbout_});

    tabelaMenu_ = new QMenu(this);
    tabelaMenu_->setObjectName(QStringLiteral("TabelaMenu"));
    tabelaMenu_->addActions({TMnuPokazForm_, TMnuEdit_, TMnuPrint_, TMnuCheckData_});
    tabelaMenu_->addSeparator();
    tabelaMenu_->addActions({TMnuAddRecord_, TMnuDelRecord_});
    tabelaMenu_->addSeparator();
    tabelaMenu_->addAction(TMnuProperties_);
    tabelaMenu_->setDefaultAction(TMnuPokazForm_);

    // Enabling is worked out each time a menu opens; once it closes every command is available
    // again to its shortcut and checks its own conditions.
    connect(mnuPlik_, &QMenu::aboutToShow, this, &TFMain::MMnu_PlikPopup);
    connect(mnuEdycja_, &QMenu::aboutToShow, this, &TFMain::MMnu_EdycjaPopup);
    connect(tabelaMenu_, &QMenu::aboutToShow, this, &TFMain::TabelaMenuPopup);
    for (QMenu* menu : {mnuPlik_, mnuEdycja_, tabelaMenu_})
        connect(menu, &QMenu::aboutToHide, this, &TFMain::enableAllCommands);
}

QToolButton* TFMain::toolButton(const char* name, const QIcon& icon, const QString& title, const QString& hint,
                                void (TFMain::*command)()) {
    auto* button = new QToolButton;
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(title);
    button->setAccessibleDescription(hint);
    button->setIcon(icon);
    button->setIconSize(QSize(26, 26));
    button->setFixedSize(32, 32);
    button->setAutoRaise(true);
    button->setToolTip(hint);
    button->setStatusTip(hint);
    connect(button, &QToolButton::clicked, this, [this, command] { (this->*command)(); });
    return button;
}

void TFMain::createToolbar() {
    auto* panel = new QToolBar(QStringLiteral("PanelTop"), this);
    panel->setObjectName(QStringLiteral("PanelTop"));
    panel->setMovable(false);
    panel->setFloatable(false);
    panel->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    panel->addWidget(toolButton("btnAdd", toolbar_icons::add(), QStringLiteral("Dodaj dane"),
                                QStringLiteral("Pozwala wprowadzić dane ręcznie przez użytkownika"), &TFMain::Add));
    panel->addWidget(toolButton("btnImport", toolbar_icons::import(), QStringLiteral("Kreator importu z bazy Programu Płatnika"),
                                QStringLiteral("Otwiera Kreator Importu plików z bazy Programu Płatnika firmy PROKOM"),
                                &TFMain::ImportWizard));
    panel->addWidget(toolButton("btnOpen", toolbar_icons::open(), QStringLiteral("Otwórz plik tekstowy"),
                                QStringLiteral("Otwiera dane zapisane przez program w postaci tekstowej"), &TFMain::Open));
    panel->addWidget(toolButton("btnSave", toolbar_icons::save(), QStringLiteral("Zapisz"),
                                QStringLiteral("Zapisuje wprowadzone dane do pliku"), &TFMain::Save));
    panel->addWidget(toolButton("btnPlatnik", toolbar_icons::payer(), QStringLiteral("Płatnik składek"), QStringLiteral("Edytuje dane płatnika"),
                                &TFMain::PayerForm));
    panel->addWidget(toolButton("btnShow", toolbar_icons::show(), QStringLiteral("Wyświetl formularz"),
                                QStringLiteral("Wyświetla wybrany formularz na ekranie"), &TFMain::ShowForm));
    panel->addWidget(toolButton("btnPrint", toolbar_icons::print(), QStringLiteral("Drukuj"),
                                QStringLiteral("Drukuje wybrany rekord na formularzu"), &TFMain::Print));
    panel->addWidget(toolButton("btnCheck", toolbar_icons::check(), QStringLiteral("Sprawdź dane"),
                                QStringLiteral("Sprawdza dane wybranych podatników (wszystkich, gdy nie wybrano "
                                               "żadnego) przed drukowaniem"),
                                &TFMain::CheckData));
    panel->addWidget(toolButton("btnHelp", toolbar_icons::help(), QStringLiteral("Pomoc"), QStringLiteral("Pomoc"), &TFMain::Help));
    addToolBar(Qt::TopToolBarArea, panel);
}

void TFMain::createTable() {
    auto* area = new QWidget;
    area->setObjectName(QStringLiteral("ClientArea"));
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);

    model_ = new TaxpayerTableModel(workspace_.taxpayers, this);
    search_ = new TaxpayerSearchLine(area);
    connect(search_, &TaxpayerSearchLine::textChanged, this, &TFMain::searchChanged);
    listView_ = new QTableView;
    listView_->setObjectName(QStringLiteral("ListView"));
    listView_->setAccessibleName(QStringLiteral("Podatnicy"));
    // Tab leaves the table for the next control, as in every other window; the arrows move in it.
    listView_->setTabKeyNavigation(false);
    listView_->setModel(model_);
    listView_->setShowGrid(true);
    listView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    listView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    listView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listView_->setWordWrap(false);
    listView_->setSortingEnabled(false);  // header clicks sort the register itself
    listView_->verticalHeader()->hide();
    listView_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    listView_->verticalHeader()->setDefaultSectionSize(listView_->fontMetrics().height() + 6);
    listView_->horizontalHeader()->setSectionsClickable(true);
    listView_->horizontalHeader()->setHighlightSections(false);
    listView_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    listView_->horizontalHeader()->setStretchLastSection(false);
    listView_->setContextMenuPolicy(Qt::CustomContextMenu);

    // The selection stays visible when the table loses focus.
    QPalette palette = listView_->palette();
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    listView_->setPalette(palette);

    connect(listView_, &QTableView::doubleClicked, this, [this] { Edit(); });
    // Enter opens the selected taxpayers as a double click does (Alt+Enter is the menu's).
    auto* editByEnter = new QAction(listView_);
    editByEnter->setObjectName(QStringLiteral("ListViewEnter"));
    editByEnter->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    editByEnter->setShortcutContext(Qt::WidgetShortcut);
    listView_->addAction(editByEnter);
    connect(editByEnter, &QAction::triggered, this, &TFMain::Edit);
    connect(listView_->horizontalHeader(), &QHeaderView::sectionClicked, this, &TFMain::ListViewColumnClick);
    connect(listView_, &QTableView::customContextMenuRequested, this, [this](const QPoint& pos) {
        tabelaMenu_->popup(listView_->viewport()->mapToGlobal(pos));
    });

    layout->addWidget(search_);
    layout->addWidget(listView_);
    setTabOrder(search_->edit(), listView_);
    setCentralWidget(area);
}

// ---------------------------------------------------------------------------------------------
// The view

void TFMain::RefreshView(ViewMode mode) {
    listView_->hide();
    if (mode == ViewMode::vmNone) {
        model_->clear();
        viewMode_ = ViewMode::vmNone;
        search_->hide();
        updateCount();
        return;
    }
    // The search in force is applied to the register as it is now.
    model_->rebuild();
    search_->show();
    QHeaderView* header = listView_->horizontalHeader();
    for (int column = 0; column < TaxpayerTableModel::ColumnCount; ++column)
        header->resizeSection(column, kColumnWidth);
    header->resizeSection(TaxpayerTableModel::ColumnCount - 1, kLastColumnWidth);
    listView_->show();
    viewMode_ = ViewMode::vmTabela;
    updateCount();
}

std::vector<int> TFMain::selectedRows() const {
    std::vector<int> rows;
    if (viewMode_ == ViewMode::vmNone) return rows;
    const QModelIndexList selected = listView_->selectionModel()->selectedRows();
    rows.reserve(static_cast<std::size_t>(selected.size()));
    for (const QModelIndex& index : selected) {
        const int position = model_->positionAt(index.row());
        if (position >= 0 && position < workspace_.taxpayers.count()) rows.push_back(position);
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TFMain::selectRow(int position) {
    const int row = model_->rowOf(position);
    if (viewMode_ == ViewMode::vmNone || row < 0 || row >= model_->rowCount()) return;
    listView_->clearSelection();
    listView_->selectRow(row);
}

std::vector<const TaxpayerRecord*> TFMain::selectedRecords() const {
    std::vector<const TaxpayerRecord*> records;
    for (const int position : selectedRows()) records.push_back(&workspace_.taxpayers.at(position));
    return records;
}

void TFMain::selectRecords(const std::vector<const TaxpayerRecord*>& records) {
    if (viewMode_ == ViewMode::vmNone || records.empty()) return;
    const std::unordered_set<const TaxpayerRecord*> wanted(records.begin(), records.end());
    std::vector<int> rows;
    for (int position = 0; position < workspace_.taxpayers.count() && rows.size() < wanted.size(); ++position)
        if (wanted.count(&workspace_.taxpayers.at(position)) > 0)
            if (const int row = model_->rowOf(position); row >= 0) rows.push_back(row);
    // Rows next to each other make one range: a selection of thousands stays quick.
    QItemSelection selection;
    for (std::size_t first = 0; first < rows.size();) {
        std::size_t last = first;
        while (last + 1 < rows.size() && rows[last + 1] == rows[last] + 1) ++last;
        selection.select(model_->index(rows[first], 0), model_->index(rows[last], model_->columnCount() - 1));
        first = last + 1;
    }
    QItemSelectionModel* selectionModel = listView_->selectionModel();
    selectionModel->clearSelection();
    if (rows.empty()) return;
    const QModelIndex firstRow = model_->index(rows.front(), 0);
    selectionModel->setCurrentIndex(firstRow, QItemSelectionModel::NoUpdate);
    selectionModel->select(selection, QItemSelectionModel::Select);
    listView_->scrollTo(firstRow);
}

void TFMain::searchChanged() {
    const std::vector<const TaxpayerRecord*> selected = selectedRecords();
    model_->setFilterText(search_->text());
    selectRecords(selected);
    updateCount();
}

void TFMain::updateCount() {
    const int total = workspace_.taxpayers.count();
    const bool shown = viewMode_ != ViewMode::vmNone;
    statusInfo_->showCount(shown ? model_->rowCount() : 0, total, shown && model_->filtered());
}

void TFMain::setTableColors(const QColor& background, const QColor& text) {
    tableColor_ = background;
    tableTextColor_ = text;
}

void TFMain::applyTableColors(const QColor& background, const QColor& text) {
    setTableColors(background, text);
    QPalette palette = listView_->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Base, background);
        palette.setColor(group, QPalette::Text, text);
    }
    listView_->setPalette(palette);
}

// ---------------------------------------------------------------------------------------------
// Enabling

void TFMain::MMnu_PlikPopup() {
    for (QAction* action : {MMnu_Save_, MMnuExportSep_, MMnuImportEmail_})
        action->setEnabled(!workspace_.taxpayers.empty());
    updateRecentFiles();  // another Fiskon may have opened or saved a file since
}

void TFMain::updateRecentFiles() {
    recentFiles_ = RecentFiles(settingsFile()).files();
    for (int index = 0; index < RecentFiles::kMaximum; ++index) {
        QAction* action = MMnuRecent_[static_cast<std::size_t>(index)];
        const bool listed = index < recentFiles_.size();
        action->setVisible(listed);
        if (!listed) continue;
        const QString file = QDir::toNativeSeparators(recentFiles_.at(index));
        action->setText(RecentFiles::menuText(index + 1, file));
        action->setToolTip(file);
        action->setStatusTip(file);
    }
    recentSeparator_->setVisible(!recentFiles_.isEmpty());
}

void TFMain::MMnu_EdycjaPopup() {
    const bool anySelected = !selectedRows().empty();
    for (QAction* action : {MMnuDelAllData_, MMnuSummary_}) action->setEnabled(!workspace_.taxpayers.empty());
    for (QAction* action : {MMnuEditData_, MMnuShowData_, MMnuPrintData_, MMnuDelData_})
        action->setEnabled(anySelected);
}

void TFMain::TabelaMenuPopup() {
    const bool anySelected = !selectedRows().empty();
    for (QAction* action : {TMnuPokazForm_, TMnuEdit_, TMnuPrint_, TMnuDelRecord_}) action->setEnabled(anySelected);
}

void TFMain::enableAllCommands() {
    for (QAction* action : {MMnu_Save_, MMnuExportSep_, MMnuImportEmail_, MMnuSummary_, MMnuDelAllData_, MMnuEditData_, MMnuShowData_, MMnuPrintData_,
                            MMnuDelData_, TMnuPokazForm_, TMnuEdit_, TMnuPrint_, TMnuDelRecord_})
        action->setEnabled(true);
}

// ---------------------------------------------------------------------------------------------
// Commands

void TFMain::showWindow(QDialog* window) {
    if (window) window->exec();
}

void TFMain::Add() {
    workspace_.taxpayers.ClearCurrent();
    // TFEdit adds the new record and refreshes the table itself.
    showWindow(windows_.edit);
    const TaxpayerRecord* added = workspace_.taxpayers.current();
    if (!added || viewMode_ == ViewMode::vmNone) return;
    // The new taxpayer is shown, though the search would hide them.
    if (model_->rowOf(workspace_.taxpayers.currentIndex()) < 0) search_->clear();
    selectRecords({added});
}

void TFMain::Edit() {
    const std::vector<int> rows = selectedRows();
    if (rows.size() == 1) {
        const int row = rows.front();
        workspace_.taxpayers.SelectByIndex(row);
        // TFEdit changes `current` and refreshes the table; the register's order may put the
        // record elsewhere, and a search it no longer answers hides it.
        showWindow(windows_.edit);
        if (const TaxpayerRecord* edited = workspace_.taxpayers.current())
            selectRecords({edited});
        else
            selectRow(row);
    } else if (rows.size() >= 2) {
        // TFMultiEdit reads the selection itself.
        showWindow(windows_.multiEdit);
        RefreshView(viewMode_);
    }
}

void TFMain::ShowForm() {
    const std::vector<int> rows = selectedRows();
    if (rows.empty()) return;
    workspace_.taxpayers.SelectByIndex(rows.front());
    // TFVEL shows the form of `current`.
    showWindow(windows_.vel);
}

void TFMain::Print() {
    if (selectedRows().empty()) return;
    // TFPrint reads the selected rows itself.
    showWindow(windows_.print);
}

void TFMain::SaveEachPdf() {
    // TFEachPdf reads the register and the selected rows itself.
    showWindow(windows_.eachPdf);
}

void TFMain::SendByMail() {
    // TFMail, too.
    showWindow(windows_.mail);
}

void TFMain::CheckData() {
    // TFCheck reads the selected rows itself.
    showWindow(windows_.check);
}

void TFMain::Summary() {
    if (workspace_.taxpayers.empty()) {
        ui_.message(QStringLiteral("Informacja"), QStringLiteral("Nie ma żadnych danych podatników do zestawienia."),
                    MessageIcon::Information);
        return;
    }
    // TFSummary reads the selected rows itself.
    showWindow(windows_.summary);
}

void TFMain::DelimitedExport() {
    if (workspace_.taxpayers.empty()) {
        ui_.message(QStringLiteral("Błąd"), QStringLiteral("Nie ma żadnych danych do zapisania!"), MessageIcon::Information);
        return;
    }
    showWindow(windows_.exportSep);
}

void TFMain::DeleteSelected() {
    const std::vector<int> rows = selectedRows();
    if (rows.empty()) return;
    if (askBeforeDelete() &&
        !ui_.ask(QStringLiteral("Pytanie"), QStringLiteral("Czy na pewno usunąć?"), MessageIcon::Question))
        return;
    {
        RegisterChangeRecording recording(workspace_, QStringLiteral("Usunięcie rekordów"));
        // From the last to the first, so that the earlier positions stay valid.
        for (auto row = rows.rbegin(); row != rows.rend(); ++row) workspace_.taxpayers.DeleteAt(*row);
        recording.finish();
    }
    workspace_.markTaxpayersChanged();
    RefreshView(viewMode_);
}

void TFMain::DeleteAll() {
    if (!ui_.ask(QStringLiteral("Zastanów się.."),
                 QStringLiteral("Czy na pewno usunąć wszystkie dane pracowników?"), MessageIcon::Question))
        return;
    const bool hadTaxpayers = !workspace_.taxpayers.empty();
    {
        RegisterChangeRecording recording(workspace_, QStringLiteral("Usunięcie wszystkich danych"));
        workspace_.taxpayers.Clear();
        recording.finish();
    }
    if (hadTaxpayers) workspace_.markTaxpayersChanged();
    RefreshView(viewMode_);
}

void TFMain::Undo() {
    if (history_->canUndo()) showUndoneChange(history_->undo());
}

void TFMain::Redo() {
    if (history_->canRedo()) showUndoneChange(history_->redo());
}

void TFMain::showUndoneChange(bool applied) {
    if (!applied)
        ui_.message(QStringLiteral("Informacja"),
                    QStringLiteral("Tej zmiany nie można już cofnąć ani ponowić: rejestr podatników zastąpiono od tego "
                                   "czasu innymi danymi."),
                    MessageIcon::Information);
    RefreshView(workspace_.taxpayers.empty() ? viewMode_ : ViewMode::vmTabela);
    // The payer form shows the payer as it is now when it opens next.
}

// "&Cofnij: Usunięcie rekordów" — the menu names the step the command takes back.
void TFMain::updateUndoActions() {
    if (!history_) return;
    const auto caption = [](const QString& command, const QString& step, const QAction* action) {
        QString text = step.isEmpty() ? command : command + QStringLiteral(": ") + step;
        return text + QLatin1Char('\t') + ShortcutName(action->shortcut());
    };
    MMnuUndo_->setText(caption(QStringLiteral("&Cofnij"), history_->undoText(), MMnuUndo_));
    MMnuRedo_->setText(caption(QStringLiteral("&Ponów"), history_->redoText(), MMnuRedo_));
    MMnuUndo_->setEnabled(history_->canUndo());
    MMnuRedo_->setEnabled(history_->canRedo());
}

void TFMain::Open() {
    // Opening replaces the register: unsaved taxpayers are offered for saving first.
    if (quitQuery() && !workspace_.taxpayersSaved && !workspace_.taxpayers.empty()) askToSaveTaxpayers();

    FileDialogRequest request;
    request.filter = kTaxpayerFilterOpen;
    request.defaultSuffix = QStringLiteral("*.txt");
    const std::optional<QString> fileName = ui_.openFile(request);
    if (!fileName) return;
    OpenFile(*fileName);
}

bool TFMain::openAlthoughOpenElsewhere(const QString& fileName) {
    const std::optional<LockHolder> holder = RegisterLock::otherHolder(fileName);
    if (!holder) return true;
    return ui_.askChoice(QStringLiteral("Uwaga!"), OpenedElsewhereQuestion(*holder, fileName), MessageIcon::Warning,
                         QStringLiteral("Otwórz mimo to"), QStringLiteral("Nie otwieraj"));
}

void TFMain::markDataFileOpen(const QString& fileName) {
    if (registerLock_.marks(fileName)) return;
    registerLock_.release();  // the file open until now is no longer
    registerLock_ = RegisterLock::take(fileName);
}

bool TFMain::OpenFile(const QString& fileName) {
    if (!registerLock_.marks(fileName) && !openAlthoughOpenElsewhere(fileName)) return false;
    const int countBefore = workspace_.taxpayers.count();
    OpenTaxpayersResult opened;
    try {
        opened = OpenTaxpayersFile(workspace_.taxpayers, fileName);
    } catch (const std::exception&) {
        opened.usable = false;  // any failure while reading is a file without usable data
    }
    if (opened.refused)
        ui_.message(QStringLiteral("Błąd"), opened.failure, MessageIcon::Warning);
    else if (!opened.usable)
        ui_.message(QStringLiteral("Informacja"), kNoUsableDataMessage, MessageIcon::Information);
    if (opened.usable) {
        workspace_.dataFileName = QFileInfo(fileName).absoluteFilePath();
        workspace_.dataFileStamp = opened.stamp;
        markDataFileOpen(workspace_.dataFileName);
        rememberRecentFile(fileName);
        search_->clear();  // another register: what was searched for in the last one goes
        // The payer used with this file last comes back with it.
        payerFollows_->dataFileOpened(quitQuery());
    }
    // An empty register is shown empty too, so the table never lists records that are gone.
    RefreshView(workspace_.taxpayers.empty() ? viewMode_ : ViewMode::vmTabela);
    // The register now holds other data: the recovery copy follows.
    if (opened.usable || workspace_.taxpayers.count() != countBefore) workspace_.notifyChanged();
    // Another register (and the payer that came with it): nothing before can be undone in it.
    if (opened.usable) history_->clear();
    return opened.usable;
}

void TFMain::OpenRecent(int index) {
    if (index < 0 || index >= recentFiles_.size()) return;
    const QString file = recentFiles_.at(index);
    if (!QFileInfo(file).isFile()) {
        try {
            RecentFiles(settingsFile()).forget(file);
        } catch (const FileError& error) {
            ShowErrorMessage(ui_, error);
        }
        updateRecentFiles();
        ui_.message(QStringLiteral("Informacja"),
                    QStringLiteral("Plik „%1” już nie istnieje. Usunięto go z listy ostatnio otwieranych plików.")
                        .arg(QDir::toNativeSeparators(file)),
                    MessageIcon::Information);
        return;
    }
    // Opening replaces the register: unsaved taxpayers are offered for saving first, as by Open.
    if (quitQuery() && !workspace_.taxpayersSaved && !workspace_.taxpayers.empty()) askToSaveTaxpayers();
    OpenFile(file);
}

void TFMain::rememberRecentFile(const QString& fileName) {
    try {
        RecentFiles(settingsFile()).remember(fileName);
    } catch (const FileError& error) {
        statusBar()->showMessage(error.message());  // the list is a convenience; the data are safe
    }
    updateRecentFiles();
}

void TFMain::Save() {
    // The program keeps no current file name: Save is Save as.
    SaveAs();
}

void TFMain::SaveAs() {
    if (saveTaxpayers()) payerFollows_->dataFileSaved();
}

bool TFMain::saveTaxpayers() {
    if (!CanSaveTaxpayers(workspace_)) {
        ui_.message(QStringLiteral("Błąd"), kNothingToSaveMessage, MessageIcon::Information);
        return false;
    }
    FileDialogRequest request;
    request.title = QStringLiteral("Zapisywanie danych podatników...");
    request.filter = kTaxpayerFilterSave;
    request.defaultSuffix = QStringLiteral("*.txt");
    request.initialPath = workspace_.dataFileName;  // the file the data came from
    // The file this Fiskon opened may have been changed (or deleted) by another program since.
    const std::optional<QString> chosen = ChooseSaveTarget(
        ui_, request, [this](const QString& name) { return DataFileChangeBeforeSave(workspace_, name); });
    if (!chosen) return false;
    const QString& target = *chosen;
    try {
        SaveTaxpayersFile(workspace_, target);
    } catch (const std::exception& error) {
        ShowErrorMessage(ui_, error);
        return false;
    }
    markDataFileOpen(target);
    rememberRecentFile(target);
    return true;
}

void TFMain::ImportWizard() {
    if (windows_.start && windows_.start->isVisible()) windows_.start->reject();
    importStep = 0;
    while (importStep < 4) {
        QDialog* step = importStep == 0   ? windows_.import    // TFImport: the database file
                        : importStep == 1 ? windows_.import1   // TFImport1: the login
                        : importStep == 2 ? windows_.import3   // TFImport3: what to import
                                          : nullptr;
        if (!step) break;
        const int before = importStep;
        step->exec();
        // A window closed without choosing a step (e.g. by its title-bar button) leaves the wizard.
        if (importStep == before) importStep = 4;
    }
}

void TFMain::QuickImport() { showWindow(windows_.open); }            // TFOpen

void TFMain::DelimitedImport() { showWindow(windows_.importSep); }   // TFImportSep

void TFMain::PayerForm() { showWindow(windows_.platnik); }           // TFPlatnik

void TFMain::Options() {
    if (windows_.config) windows_.config->exec();
}

void TFMain::TableProperties() { showWindow(windows_.wtabela); }     // TFWTabela

void TFMain::Help() { ui_.showHelp(QString()); }

void TFMain::About() { showWindow(windows_.about); }                 // TFAbout

void TFMain::ListViewColumnClick(int column) {
    // The selected taxpayers stay selected wherever the order puts them.
    const std::vector<const TaxpayerRecord*> selected = selectedRecords();
    if (!workspace_.taxpayers.empty()) {
        switch (column) {
        case TaxpayerTableModel::ColNazwisko: workspace_.taxpayers.Sort(TaxpayerSortKey::SortByNazwisko); break;
        case TaxpayerTableModel::ColImie: workspace_.taxpayers.Sort(TaxpayerSortKey::SortByImie); break;
        // The PESEL begins with the birth date.
        case TaxpayerTableModel::ColDataUr: workspace_.taxpayers.Sort(TaxpayerSortKey::SortByPesel); break;
        default: break;
        }
    }
    RefreshView(viewMode_);
    selectRecords(selected);
    // The saved flags stay, but the recovery copy keeps the order the table shows.
    if (!workspace_.taxpayers.empty()) workspace_.notifyChanged();
}

// ---------------------------------------------------------------------------------------------
// Start-up and close

void TFMain::Timer1Timer() {
    timer1_->stop();
    updateRecentFiles();
    // The data of a Fiskon that ended without a clean close come first.
    const bool recovered = OfferRecovery();
    const QString file = std::exchange(startupFile_, QString());
    if (!file.isEmpty() && OpenStartupFile(file, recovered)) return;
    if (recovered) return;
    if (windows_.config && windows_.config->ShowInitialScreen()) showWindow(windows_.start);  // TFStart
}

bool TFMain::OpenStartupFile(const QString& fileName, bool recovered) {
    // The recovered data are that file's unsaved changes: they stay.
    if (recovered && QFileInfo(fileName).absoluteFilePath() == workspace_.dataFileName) return true;
    if (!QFileInfo::exists(fileName)) {
        ui_.message(QStringLiteral("Informacja"),
                    QStringLiteral("Nie można otworzyć pliku „%1”: taki plik nie istnieje.")
                        .arg(QDir::toNativeSeparators(fileName)),
                    MessageIcon::Information);
        return false;
    }
    if (windows_.openPayer && LooksLikePayerFile(fileName)) return OpenStartupPayerFile(fileName);
    if (!workspace_.taxpayersSaved && !workspace_.taxpayers.empty()) {
        // Data just recovered are not replaced without a question, whatever "QuitQuery" says; and
        // when they were to be saved but were not (the dialog cancelled, the write failed), the
        // file waits.
        if (recovered) {
            if (askToSaveTaxpayers() && !workspace_.taxpayersSaved) {
                ui_.message(QStringLiteral("Informacja"),
                            QStringLiteral("Plik „%1” nie został otwarty: odzyskane dane podatników nie zostały "
                                           "zapisane.").arg(QDir::toNativeSeparators(fileName)),
                            MessageIcon::Information);
                return false;
            }
        } else if (quitQuery()) {
            askToSaveTaxpayers();
        }
    }
    return OpenFile(fileName);
}

// A payer file opens in the payer form; payer data not saved yet (recovered ones) are not replaced.
bool TFMain::OpenStartupPayerFile(const QString& fileName) {
    if (!workspace_.payerSaved) {
        ui_.message(QStringLiteral("Informacja"),
                    QStringLiteral("Plik „%1” nie został otwarty: dane płatnika nie zostały zapisane.")
                        .arg(QDir::toNativeSeparators(fileName)),
                    MessageIcon::Information);
        return false;
    }
    if (!windows_.openPayer(fileName)) return false;
    showWindow(windows_.platnik);
    return true;
}

bool TFMain::OfferRecovery() {
    if (recoveryFolder_.isEmpty()) return false;
    std::vector<OrphanedRecoveryCopy> orphans = FindOrphanedRecoveryCopies(recoveryFolder_);
    for (OrphanedRecoveryCopy& orphan : orphans) {
        const RecoveryCopyInfo& info = orphan.info();
        if (!orphan.whole()) {
            // Never brought back in part, never removed unseen: moved aside, where it stays.
            const QString from =
                info.madeAt.isValid() ? QStringLiteral(" z %1").arg(info.madeAt.toString(QStringLiteral("dd-MM-yyyy HH:mm")))
                                      : QString();
            const QString aside = orphan.setAside();
            ui_.message(QStringLiteral("Uwaga!"),
                        QStringLiteral("Program nie został poprawnie zamknięty, ale kopia niezapisanych zmian%1 jest "
                                       "niepełna lub uszkodzona i nie da się z niej odzyskać danych. %2")
                            .arg(from, aside.isEmpty()
                                           ? QStringLiteral("Kopia pozostaje w pliku „%1”.")
                                                 .arg(QDir::toNativeSeparators(orphan.fileName()))
                                           : QStringLiteral("Przeniesiono ją do pliku „%1”.")
                                                 .arg(QDir::toNativeSeparators(aside))),
                        MessageIcon::Warning);
            continue;
        }
        const QString question =
            QStringLiteral("Program nie został poprawnie zamknięty. Odzyskać niezapisane zmiany z %1 (%2 %3)?")
                .arg(info.madeAt.toString(QStringLiteral("dd-MM-yyyy HH:mm")))
                .arg(info.taxpayerCount)
                .arg(PolishPlural(info.taxpayerCount, QStringLiteral("podatnik"), QStringLiteral("podatników"),
                                  QStringLiteral("podatników")));
        if (!ui_.askChoice(QStringLiteral("Pytanie"), question, MessageIcon::Question, QStringLiteral("Odzyskaj"),
                           QStringLiteral("Odrzuć"))) {
            orphan.remove();
            continue;
        }
        RecoveryCopyInfo loaded;
        QString failure;
        if (!LoadRecoveryCopy(orphan.fileName(), workspace_, loaded, &failure)) {
            // The copy stays where it is; nothing is lost by trying again later.
            ui_.message(QStringLiteral("Błąd"),
                        QStringLiteral("Nie udało się odzyskać danych. %1 Kopia pozostaje w pliku „%2”.")
                            .arg(failure, QDir::toNativeSeparators(orphan.fileName())),
                        MessageIcon::Warning);
            continue;
        }
        if (!workspace_.taxpayers.empty()) RefreshView(ViewMode::vmTabela);
        // The recovered data are this Fiskon's unsaved data now: its own copy takes them over, and
        // only once that is written does the orphan go.
        recoveredFrom_ = std::make_unique<OrphanedRecoveryCopy>(std::move(orphan));
        workspace_.notifyChanged();
        return true;
    }
    return false;
}

QString TFMain::settingsFile() const {
    return windows_.config ? windows_.config->SettingsFile() : ProgramSettings::defaultFileName();
}

void TFMain::workspaceChanged() {
    if (history_) history_->noteSavedFlags();
    updateTitle();
    payerFollows_->workspaceChanged();
    statusInfo_->showPayerFile(workspace_.payerFileName);
    updateCount();
    if (recovery_) recovery_->changed();
    if (workspace_.taxpayersSaved && workspace_.payerSaved) forgetRecoveredCopy();
}

void TFMain::forgetRecoveredCopy() {
    if (!recoveredFrom_) return;
    recoveredFrom_->remove();
    recoveredFrom_.reset();
}

// The caption, with the data file's name when there is one and a star while changes are unsaved.
void TFMain::updateTitle() {
    QString title = kCaption;
    if (!workspace_.dataFileName.isEmpty()) title += QStringLiteral(" – ") + QFileInfo(workspace_.dataFileName).fileName();
    if (!workspace_.taxpayersSaved || !workspace_.payerSaved) title += QStringLiteral(" *");
    setWindowTitle(title);
}

bool TFMain::askBeforeDelete() const { return windows_.config ? windows_.config->AskBeforeDelete() : true; }

bool TFMain::quitQuery() const { return windows_.config ? windows_.config->QuitQuery() : true; }

bool TFMain::askToSaveTaxpayers() {
    if (!ui_.ask(QStringLiteral("Uwaga!"), QStringLiteral("Dane podatników nie zostały zapisane. Czy chcesz je zapisać?"),
                 MessageIcon::Warning))
        return false;
    saveTaxpayers();  // the payer has a question of its own where it matters
    return true;
}

bool TFMain::CloseQuery() {
    if (quitQuery() && !workspace_.taxpayersSaved) askToSaveTaxpayers();
    if (quitQuery() && !workspace_.payerSaved &&
        ui_.ask(QStringLiteral("Uwaga!"), QStringLiteral("Dane Płatnika nie zostały zapisane. Czy chcesz je zapisać?"),
                MessageIcon::Warning) &&
        windows_.savePayer)
        windows_.savePayer();  // TFPlatnik's save: asks for a file and writes the payer file
    return ui_.ask(QStringLiteral("Wychodzisz?"), QStringLiteral("Czy na pewno chcesz opuścić program?"),
                   MessageIcon::Question);
}

void TFMain::closeEvent(QCloseEvent* event) {
    if (CloseQuery()) {
        event->accept();
        recovery_.reset();  // a clean close: the recovery copy goes
        registerLock_.release();
        forgetRecoveredCopy();
    } else {
        event->ignore();
    }
}
