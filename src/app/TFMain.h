#pragma once

#include "app/AppWindows.h"
#include "store/RegisterLock.h"
#include "store/Workspace.h"
#include "ui/MainView.h"
#include "ui/TableColors.h"
#include "ui/UserInterface.h"

#include <QColor>
#include <QMainWindow>

#include <array>
#include <memory>

class QAction;
class QMenu;
class QTableView;
class QTimer;
class QToolBar;
class QToolButton;
class OrphanedRecoveryCopy;
class PayerFollowsRegister;
class RecoveryKeeper;
class StatusBarInfo;
class TaxpayerRecord;
class TaxpayerSearchLine;
class TaxpayerTableModel;
class UndoHistory;

// The main window: the taxpayer table, the menus, the toolbar and every command of the program.
// It owns the data the program works on (the register, the payer and their saved flags); the
// dialogs main creates get references to it and open through `windows()`.
class TFMain : public QMainWindow, public MainView, public TableColors {
    Q_OBJECT

public:
    explicit TFMain(UserInterface& ui, QWidget* parent = nullptr);
    ~TFMain() override;

    Workspace& workspace() { return workspace_; }
    TaxpayerRegister& taxpayers() { return workspace_.taxpayers; }
    PayerRecord& payer() { return workspace_.payer; }
    AppWindows& windows() { return windows_; }

    // Step of the database import wizard; the wizard windows set it before they close
    // (the next step on success, 4 when the user leaves the wizard).
    int importStep = 0;

    // The start-up timer (10 ms, one shot, disabled until the settings are loaded).
    QTimer* Timer1() const { return timer1_; }

    // The data file named on the command line: its first tick opens it instead of showing the
    // start screen.
    void setStartupFile(const QString& fileName) { startupFile_ = fileName; }
    // The recovery copy of this Fiskon's unsaved data, and the folder where the copies of Fiskons
    // that ended without a clean close are looked for at start-up (before the start screen).
    void setRecovery(std::unique_ptr<RecoveryKeeper> keeper, const QString& folder);
    RecoveryKeeper* recoveryKeeper() const { return recovery_.get(); }

    // MainView
    void RefreshView(ViewMode mode) override;
    ViewMode viewMode() const override { return viewMode_; }
    std::vector<int> selectedRows() const override;

    // TableColors
    QColor tableColor() const override { return tableColor_; }
    QColor tableTextColor() const override { return tableTextColor_; }
    void setTableColors(const QColor& background, const QColor& text) override;
    void applyTableColors(const QColor& background, const QColor& text) override;

    // Commands of the menus, the toolbar and the context menu.
    void Add();
    void Edit();
    void ShowForm();
    void Print();
    // "Sprawdź dane do formularzy…": the selected taxpayers, all when none is selected.
    void CheckData();
    // "Zestawienie kwot…": the totals of the selected taxpayers, all when none is selected.
    void Summary();
    void SaveEachPdf();
    void SendByMail();
    void DeleteSelected();
    void DeleteAll();
    // Edycja → "Cofnij" / "Ponów": the last change of the register or the payer taken back, or
    // made again.
    void Undo();
    void Redo();
    UndoHistory& history() { return *history_; }
    void Open();
    // Open once the file is chosen (the open dialog, the list of recent files, the command line).
    // True when the register now holds the file's data.
    bool OpenFile(const QString& fileName);
    // An entry of the list of recent files (from 0); a file gone since is taken off the list.
    void OpenRecent(int index);
    // Offers the unsaved data of a Fiskon that ended without a clean close. True when recovered.
    bool OfferRecovery();
    void Save();
    void SaveAs();
    void ImportWizard();
    void QuickImport();
    void DelimitedImport();
    // "Eksportuj rozseparowane dane tekstowe…": the whole register.
    void DelimitedExport();
    // "Importuj adresy e-mail…": the list file, its problems asked about, the addresses applied.
    void ImportEmails();
    void PayerForm();
    void Options();
    void TableProperties();
    void Help();
    void About();
    // A click on a column header.
    void ListViewColumnClick(int column);
    // The close procedure: the questions about unsaved data, then "Czy na pewno chcesz opuścić
    // program?". True when the program may end.
    bool CloseQuery();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createToolbar();
    void createTable();
    // A toolbar button: `title` is what a screen reader says, `hint` its tooltip and status text.
    QToolButton* toolButton(const char* name, const QIcon& icon, const QString& title, const QString& hint,
                            void (TFMain::*command)());
    void MMnu_PlikPopup();
    void MMnu_EdycjaPopup();
    void TabelaMenuPopup();
    void enableAllCommands();
    void updateUndoActions();
    // After an undo or redo: the table shows the register as it is now.
    void showUndoneChange(bool applied);
    void Timer1Timer();
    // The file named on the command line, opened as Open opens it. True when the window now shows
    // it (or the unsaved changes of it that were just recovered).
    bool OpenStartupFile(const QString& fileName, bool recovered);
    bool OpenStartupPayerFile(const QString& fileName);
    void showWindow(QDialog* window);
    // Selects the row of a register position (nothing when the search hides it).
    void selectRow(int position);
    // Selects the rows of these records, scrolled to the first; the others and hidden ones are
    // not selected.
    void selectRecords(const std::vector<const TaxpayerRecord*>& records);
    std::vector<const TaxpayerRecord*> selectedRecords() const;
    // The search line's text changed: the table shows what it finds, the selection kept where
    // it is still shown.
    void searchChanged();
    void updateCount();
    // Saves the register as "Zapisz jako" does, without the question about the payer. True when
    // the file was written.
    bool saveTaxpayers();
    bool askBeforeDelete() const;
    QString settingsFile() const;
    void rememberRecentFile(const QString& fileName);
    void updateRecentFiles();
    void updateTitle();
    void workspaceChanged();
    // The copy the data were recovered from goes once they are safe elsewhere: in this Fiskon's
    // own copy, saved, or left by a clean close.
    void forgetRecoveredCopy();
    bool quitQuery() const;
    // "Dane podatników nie zostały zapisane. Czy chcesz je zapisać?"; on Yes runs Save. True on Yes.
    bool askToSaveTaxpayers();
    // Before opening a data file another Fiskon marks open: whether to open it all the same.
    bool openAlthoughOpenElsewhere(const QString& fileName);
    // The mark that this Fiskon has the data file open, made once the file is its data file.
    void markDataFileOpen(const QString& fileName);

    UserInterface& ui_;
    Workspace workspace_;
    AppWindows windows_;
    ViewMode viewMode_ = ViewMode::vmNone;
    QString startupFile_;
    QString recoveryFolder_;
    // Made after the data it copies and destroyed before them.
    std::unique_ptr<RecoveryKeeper> recovery_;
    // The mark beside the data file, while this Fiskon has it open.
    RegisterLock registerLock_;
    // The copy of a Fiskon that was gone, whose data this one recovered; held (and locked) until
    // they are safe elsewhere, so that a kill before this Fiskon's first copy loses nothing.
    std::unique_ptr<OrphanedRecoveryCopy> recoveredFrom_;
    QColor tableColor_ = Qt::white;
    QColor tableTextColor_ = Qt::black;

    UndoHistory* history_ = nullptr;
    TaxpayerTableModel* model_ = nullptr;
    QTableView* listView_ = nullptr;
    TaxpayerSearchLine* search_ = nullptr;
    std::unique_ptr<StatusBarInfo> statusInfo_;
    std::unique_ptr<PayerFollowsRegister> payerFollows_;
    QTimer* timer1_ = nullptr;
    QMenu* mnuPlik_ = nullptr;
    QMenu* mnuEdycja_ = nullptr;
    QMenu* mnuPomoc_ = nullptr;
    QMenu* tabelaMenu_ = nullptr;

    // MMnu_Plik
    QAction* MMnuKreatorOdczytu_ = nullptr;
    QAction* MMnuOpenPlatnik_ = nullptr;
    QAction* MMnuOpen_ = nullptr;
    QAction* MMnuImportSep_ = nullptr;
    QAction* MMnuExportSep_ = nullptr;
    QAction* MMnuImportEmail_ = nullptr;
    QAction* MMnu_Save_ = nullptr;
    QAction* MMnu_SaveAs_ = nullptr;
    QAction* MMnuExit_ = nullptr;
    std::array<QAction*, 5> MMnuRecent_{};
    QAction* recentSeparator_ = nullptr;
    QStringList recentFiles_;
    // MMnu_Edycja
    QAction* MMnuUndo_ = nullptr;
    QAction* MMnuRedo_ = nullptr;
    QAction* MMnuEditData_ = nullptr;
    QAction* MMnuShowData_ = nullptr;
    QAction* MMnuPrintData_ = nullptr;
    QAction* MMnuAddData_ = nullptr;
    QAction* MMnuDelData_ = nullptr;
    QAction* MMnuPrintAllData_ = nullptr;
    QAction* MMnuDelAllData_ = nullptr;
    QAction* MMnuCheckData_ = nullptr;
    QAction* MMnuSummary_ = nullptr;
    // items of the bar itself and MMnu_Pomoc
    QAction* MMnuPlatnik_ = nullptr;
    QAction* MMnuOpcje_ = nullptr;
    QAction* MMnuPomoc_ = nullptr;
    QAction* MMnuAbout_ = nullptr;
    // TabelaMenu
    QAction* TMnuPokazForm_ = nullptr;
    QAction* TMnuEdit_ = nullptr;
    QAction* TMnuPrint_ = nullptr;
    QAction* TMnuAddRecord_ = nullptr;
    QAction* TMnuDelRecord_ = nullptr;
    QAction* TMnuProperties_ = nullptr;
    QAction* TMnuCheckData_ = nullptr;
};
