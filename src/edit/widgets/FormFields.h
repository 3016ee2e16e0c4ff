#pragma once

#include <QString>

class QComboBox;
class QLineEdit;
class QWidget;

// The fields the taxpayer, shared-fields and payer forms build alike.

// A one-line text field named `name` that takes at most `maxLength` characters code page 1250 can
// hold, typed letters made capitals with `upperCase`.
QLineEdit* NewTextField(QWidget* parent, const char* name, int maxLength, bool upperCase);

// "eWoj": the list of voivodeships to choose from, none chosen.
QComboBox* NewVoivodeshipBox(QWidget* parent);

// The voivodeship chosen in `box`; empty while none is.
QString ChosenVoivodeship(const QComboBox& box);

// "eUS": the tax offices to choose from, or a name typed in (at most 100 characters of code page 1250).
// Typing offers the offices that hold the text anywhere in their names (TaxOfficeList::matches).
QComboBox* NewTaxOfficeBox(QWidget* parent);
