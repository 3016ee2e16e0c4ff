#pragma once

#include "edit/FormYears.h"
#include "edit/TaxOfficeList.h"
#include "edit/TaxpayerFormValues.h"

#include <QDialog>
#include <QStringList>

#include <map>

class MainView;
class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QToolButton;
class QWidget;
class TFCalendar;
class UserInterface;
struct Workspace;

// "Edycja danych": everything the program holds about one taxpayer, on four pages. Edits the
// register's current record, or adds a new one when there is no current record. Leaving an
// amount box cleans it up and recomputes its page; confirming stores the record, merges
// duplicates, re-sorts and has the main window redisplay the table.
class TFEdit : public QDialog {
    Q_OBJECT
public:
    // `taxOfficeFiles`: where to look for the tax office list, first found wins.
    TFEdit(Workspace& workspace, MainView& mainView, UserInterface& ui, TFCalendar& calendar,
           const QStringList& taxOfficeFiles, QWidget* parent = nullptr);

    const TaxOfficeList& taxOffices() const { return taxOffices_; }
    // The multi-record edit hands back its (sorted) list.
    void replaceTaxOffices(const QStringList& offices);

    // What the controls hold, and filling them.
    TaxpayerFormValues formValues() const;
    void setFormValues(const TaxpayerFormValues& values);

    // The year of the forms being made: an empty date field's picker opens on its 1 January.
    void setFormYear(int year) { formYear_ = year; }
    int formYear() const { return formYear_; }

    // The control (by name) that gets the focus, on its page, when the form next opens.
    void setFocusTarget(const QString& controlName) { focusTarget_ = controlName; }

    void FormShow();
    void ClearFields();
    void btnOKClick();
    void btnAnulujClick();
    void Button1Click();
    void SpeedButton1Click();
    void btn1Click();
    void btn2Click();
    // "Przepisz z PIT-11/8B": the PIT-40 boxes that the PIT-11/8B's amounts fill; asks before
    // replacing amounts typed there, then recomputes the page.
    void btnPrzepiszClick();
    void PageControl1Change();

signals:
    // The whole tax office list, after a confirmation.
    void taxOfficesChanged(const QStringList& offices);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class BoxExit { None, Pit11Page, NormalizeOnly, Pit40Page };

    void buildControls();
    QWidget* buildTaxpayerPage();
    QWidget* buildPit11Page();
    QWidget* buildPit40Page();
    QWidget* buildOtherPage();
    QLineEdit* addText(const char* name, int maxLength, bool upperCase);
    QLineEdit* addAmountBox(QChar prefix, int box);
    void addAmountRows(QGridLayout& grid, QChar prefix, const QStringList& heads, int firstRow);
    void addAmountSingle(QGridLayout& grid, int row, QChar prefix, int box, const QString& caption);
    void fillTaxOfficeCombo();

    BoxExit exitKind(const QLineEdit* box) const;
    void amountBoxLeft(QLineEdit* box);
    void e34Change(QLineEdit* box);
    void editExit(QLineEdit* box);
    void fLiczOnExit(QLineEdit* box);
    void normalize(QLineEdit* box);
    void recomputePit11();
    void recomputePit40();
    void pickDate(QLineEdit& field);
    bool isDateField(const QObject* watched) const;

    Workspace& workspace_;
    MainView& mainView_;
    UserInterface& ui_;
    TFCalendar& calendar_;
    TaxOfficeList taxOffices_;
    bool leaving_ = false;  // an amount box's exit is being handled
    int formYear_;

    QTabWidget* PageControl1_ = nullptr;
    QComboBox* eUS_ = nullptr;
    QComboBox* eWoj_ = nullptr;
    std::map<QString, QLineEdit*> texts_;  // every plain and masked field by name
    std::map<int, QLineEdit*> eBoxes_;     // e34..e78
    std::map<int, QLineEdit*> fBoxes_;     // f35..f76
    QButtonGroup* pit11Costs_ = nullptr;   // RB1..RB4 → 1..4
    QButtonGroup* pit40Costs_ = nullptr;   // RB_1..RB_5 → 1..5
    QButtonGroup* pit11PitR_ = nullptr;    // rbP11R1..3 → 0..2
    QCheckBox* cbNIP3_ = nullptr;
    QCheckBox* cbPITR_ = nullptr;
    QPushButton* btnOK_ = nullptr;
    QString focusTarget_;
};
