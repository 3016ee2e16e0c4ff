#pragma once

#include "forms/FieldList.h"
#include "forms/widgets/FormChoiceControls.h"
#include "forms/widgets/FormsParentWindow.h"

#include <QDialog>

#include <functional>
#include <vector>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QHBoxLayout;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class TFCalendar;
class TSterFormVEL;
class UserInterface;

// What the show-form and the print dialog have in common: the form choice, the form year, the
// person filling in, the title to strike out, "Czyść pola" and the dialog's own button, the hidden
// field list and the form controller "VEL" that puts it into the forms program. Neither button
// closes the dialog; the controller's failures go to the program's standard error box.
class FormsDialog : public QDialog {
    Q_OBJECT
public:
    TSterFormVEL& VEL() { return *VEL_; }
    QLineEdit& eNazwisko() { return *eNazwisko_; }
    QLineEdit& eImie() { return *eImie_; }
    QLineEdit& eRok() { return *eRok_; }

    virtual void FormShow() = 0;
    virtual void rbPIT11Click() = 0;
    virtual void rbPIT40Click() = 0;
    virtual void btnClearClick() = 0;

protected:
    FormsDialog(const char* objectName, const QString& title, UserInterface& ui, TFCalendar& calendar,
                QWidget* parent);

    // Builds the common controls around `middle` (shown between the person and the buttons);
    // eRok_ must exist by then. `action` runs on the dialog's own button. `side`, when given,
    // stands in a column of its own right of the others, above the buttons.
    void buildControls(const char* choiceFrame, const char* surnameLabel, const char* firstNameLabel,
                       const char* actionName, const QString& actionCaption, const std::vector<QWidget*>& middle,
                       std::function<void()> action, const std::vector<QWidget*>& side = {});
    // Takes the other dialog's person and tax year where this one's fields are empty.
    void takeOverEmptyFields(FormsDialog& other);
    // Copies a masked field's text as it shows, blanks in place ("  06" stays "  06").
    static void copyMaskedText(const QLineEdit& from, QLineEdit& to);
    // False, with the reason in an error box, when the typed person filling in cannot go into a
    // field list (a pasted line break would cut it).
    bool fillerNamesUsable();
    // The dialog's choices for a field list: the form, the title struck out, the person filling in
    // and the tax year as typed.
    FieldListChoices fieldListChoices(FormKind kind, bool strikePit11) const;
    // The date picker on today's date; its date into the field as "yyyy" or dd-mm-yyyy.
    void pickYear(QLineEdit& field);
    void pickDate(QLineEdit& field);
    // Runs a step that drives the forms program; a failure goes to the standard error box.
    void reportingErrors(const std::function<void()>& step);
    // Checks PIT-11/8B; its layout follows through rbPIT11Click.
    void choosePit11();

    void showEvent(QShowEvent* event) override;

    UserInterface& ui_;
    TFCalendar& calendar_;
    FormsParentWindow parentWindow_;
    TSterFormVEL* VEL_ = nullptr;
    FormChoice choice_;
    QComboBox* cbRok_ = nullptr;
    QLineEdit* eNazwisko_ = nullptr;
    QLineEdit* eImie_ = nullptr;
    QLineEdit* eRok_ = nullptr;
    QGroupBox* rgSkreslenie_ = nullptr;
    QButtonGroup* strike_ = nullptr;
    QPushButton* btnClear_ = nullptr;
    // The row of "Czyść pola" and the dialog's own button, which a dialog may add buttons to.
    QHBoxLayout* buttonRow_ = nullptr;
    QPlainTextEdit* Memo1_ = nullptr;
};
