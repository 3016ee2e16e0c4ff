#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class TFDataAccess;
class UserInterface;

// Step 2 of the import wizard: the database password, checked by a login before the last step.
// The password goes to the database access layer only; this window keeps no copy of it.
class TFImport1 : public QDialog {
    Q_OBJECT
public:
    TFImport1(int& importStep, TFDataAccess& dataAccess, UserInterface& ui,
              QWidget* parent = nullptr);

    void BitBtn1Click();
    void btnHelpClick();
    void cbShowPasswordClick();
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    int& importStep_;
    TFDataAccess& dataAccess_;
    UserInterface& ui_;
    QLineEdit* EHaslo_ = nullptr;
    QCheckBox* cbShowPassword_ = nullptr;
    QToolButton* btnHelp_ = nullptr;
    QPushButton* BitBtn1_ = nullptr;
};
