#pragma once

#include "edit/TaxpayerStoring.h"

#include <QDialog>
#include <QStringList>

#include <map>

class MainView;
class QComboBox;
class QLineEdit;
class TFCalendar;
class TFEdit;
struct Workspace;

// "Edycja wielu pól jednocześnie": sets the filled fields into every taxpayer selected in the main
// window's table. Empty fields leave the records alone. The fields keep what was typed from one
// opening to the next.
class TFMultiEdit : public QDialog {
    Q_OBJECT
public:
    // Takes a copy of the edit form's tax office list and follows its changes.
    TFMultiEdit(Workspace& workspace, MainView& mainView, TFCalendar& calendar, TFEdit& edit,
                QWidget* parent = nullptr);

    // The offices offered, shown in alphabetical order.
    void setTaxOffices(const QStringList& offices);
    QStringList taxOffices() const;

    SharedTaxpayerFields fields() const;

    void btnOKClick();
    void btnCancelClick();
    void btn1Click();
    void btn2Click();

private:
    QLineEdit* addText(const char* name, int maxLength, bool upperCase);

    Workspace& workspace_;
    MainView& mainView_;
    TFCalendar& calendar_;
    TFEdit& edit_;
    QComboBox* eUS_ = nullptr;
    QComboBox* eWoj_ = nullptr;
    std::map<QString, QLineEdit*> texts_;
};

// Sorts office names alphabetically, Polish letters in their Polish places, letter case ignored.
QStringList SortedTaxOffices(const QStringList& offices);
