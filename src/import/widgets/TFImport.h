#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class TFDataAccess;
class UserInterface;
class ProgramSettings;

// Step 1 of the import wizard: where the Płatnik database file is.
class TFImport : public QDialog {
    Q_OBJECT
public:
    TFImport(int& importStep, TFDataAccess& dataAccess, ProgramSettings& settings,
             UserInterface& ui, QWidget* parent = nullptr);

    // Puts a path into ESciezka; follows every change of the database path.
    void ShowDbPath(const QString& path);

    void btnOpenClick();
    void btnHelpClick();
    void btnDalejClick();
    void ESciezkaChange();
    // Closing the window in any other way than "Dalej >>" ends the wizard's run.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    int& importStep_;
    TFDataAccess& dataAccess_;
    ProgramSettings& settings_;
    UserInterface& ui_;
    QLabel* txtInfo_ = nullptr;
    QLabel* txtOpis_ = nullptr;
    QLineEdit* ESciezka_ = nullptr;
    QToolButton* btnOpen_ = nullptr;
    QToolButton* btnHelp_ = nullptr;
    QCheckBox* cbPath_ = nullptr;
    QPushButton* btnDalej_ = nullptr;
};
