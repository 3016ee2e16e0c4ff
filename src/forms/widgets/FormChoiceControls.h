#pragma once

#include "forms/FieldList.h"

#include <QByteArrayList>
#include <QString>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QToolButton;
class QWidget;

// The controls the show-form and the print dialog build alike.

// The form choice: a frame with the radio buttons "rbPIT11" (checked) and "rbPIT40".
struct FormChoice {
    QGroupBox* frame = nullptr;
    QRadioButton* rbPIT11 = nullptr;
    QRadioButton* rbPIT40 = nullptr;
    // 2 for PIT-40, 1 for PIT-11/8B, None when neither is checked.
    FormKind kind() const;
};
FormChoice NewFormChoice(QWidget* parent, const char* frameName);

// "GroupBox3" with the form year list "cbRok" ("2005", "2006"; the second chosen).
QGroupBox* NewFormYearGroup(QWidget* parent, QComboBox** cbRok);

// "GroupBox1", the person filling in: surname and first name fields "eNazwisko" and "eImie"
// (typed letters made capitals) behind labels of the given names.
QGroupBox* NewFillerGroup(QWidget* parent, const char* surnameLabel, const char* firstNameLabel,
                          QLineEdit** eNazwisko, QLineEdit** eImie);

// "rgSkreslenie": which title to strike out, items "PIT-11" (id 0, chosen) and "PIT-8B" (id 1)
// in two columns; starts hidden.
QGroupBox* NewStrikeGroup(QWidget* parent, QButtonGroup** items);
// True when item 0 ("PIT-11") is chosen.
bool StrikePit11(const QButtonGroup& items);

// The masked year field "eRok" ("    " while empty) and a masked date field ("  -  -    ").
QLineEdit* NewYearEdit(QWidget* parent);
QLineEdit* NewDateEdit(QWidget* parent, const char* name);
// The small button beside a date or year field that opens the date picker.
QToolButton* NewPickerButton(QWidget* parent, const char* name);

// "Memo1": the hidden field list, one line per box, never wrapped.
QPlainTextEdit* NewFieldListMemo(QWidget* parent);
// Lines put into the memo, for display only: its text does not give the same bytes back (a
// no-break space reads as a plain one), so what goes to the forms is kept apart.
void SetMemoLines(QPlainTextEdit& memo, const QByteArrayList& lines);

// Field texts as the forms get them (code page 1250); masked fields with their blanks.
QByteArray FieldBytes(const QLineEdit& edit);

// Centres a dialog on its screen.
void CentreOnScreen(QWidget& dialog);
