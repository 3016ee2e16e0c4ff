#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QToolButton;
class ProgramSettings;
class TFDataAccess;
class TFImporting;
class UserInterface;
struct Workspace;

// The quick import: database path, password and the choice of data in one dialog; one button
// checks the login and runs the import behind the waiting window.
class TFOpen : public QDialog {
    Q_OBJECT
public:
    TFOpen(Workspace& workspace, TFDataAccess& dataAccess, TFImporting& importing,
           ProgramSettings& settings, UserInterface& ui, QWidget* parent = nullptr);

    void FormShow();
    void SpeedButton1Click();
    void btnImportClick();
    void cbHidePassClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    Workspace& workspace_;
    TFDataAccess& dataAccess_;
    TFImporting& importing_;
    ProgramSettings& settings_;
    UserInterface& ui_;
    QLineEdit* ePath_ = nullptr;
    QToolButton* SpeedButton1_ = nullptr;
    QLineEdit* ePass_ = nullptr;
    QCheckBox* cbPath_ = nullptr;
    QCheckBox* cbHidePass_ = nullptr;
    QCheckBox* cbPlatnik_ = nullptr;
    QCheckBox* cbPodatnik_ = nullptr;
    QPushButton* btnImport_ = nullptr;
    QPushButton* btnCancel_ = nullptr;
};
