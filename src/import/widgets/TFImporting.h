#pragma once

#include "ui/UserInterface.h"

#include <QDialog>

class QPushButton;
class QTimer;
class MainView;
class TFDataAccess;
struct Workspace;

// The waiting window of a database import. Whoever shows it sets what to read and starts its
// timer first, so the reading begins 50 ms later, once the window has been drawn; then it reads,
// refreshes the main window's table and closes itself.
class TFImporting : public QDialog {
    Q_OBJECT
public:
    TFImporting(Workspace& workspace, MainView& mainView, TFDataAccess& dataAccess,
                UserInterface& ui, QWidget* parent = nullptr);

    // What the next import reads: the insured persons and/or the payer.
    bool ImportTaxpayers = false;
    bool ImportPayer = false;

    QTimer& Timer1() { return *timer_; }

    // The wizard's way: starts the timer and shows the window without waiting for it.
    void StartImport();
    // The quick import's way: starts the timer and shows the window modally.
    void RunImport();

    // Reads what was asked for, shows the table and closes. A reading failure is reported once;
    // what was read before it stays in the register and the payer record.
    void Timer1Timer();
    // The window cannot be closed before the reading has run.
    void reject() override;
    // "Przerwij": stops the reading; what was read before stays, as after a reading failure.
    void btnPrzerwijClick();
    bool cancelRequested() const { return cancelRequested_; }

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void readChosenData();
    void restoreCursor();
    // Shows a message with this window out of the way (it stays on top of everything).
    void reportAfterHiding(const QString& title, const QString& text, MessageIcon icon);

    Workspace& workspace_;
    MainView& mainView_;
    TFDataAccess& dataAccess_;
    UserInterface& ui_;
    QTimer* timer_ = nullptr;
    QPushButton* btnPrzerwij_ = nullptr;
    bool waitCursorSet_ = false;
    bool cancelRequested_ = false;
};
