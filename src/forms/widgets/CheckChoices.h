#pragma once

#include "forms/RegisterCheck.h"
#include "forms/widgets/FormChoiceControls.h"

#include <vector>

class FormsDialog;
class QBoxLayout;
class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QWidget;
struct TaxpayerRecord;

// The choices of the windows that go over many taxpayers' forms at once (the check, the totals):
// the form, the form year, the person filling in, and the title to strike out (PIT-11/8B) or the
// tax year (PIT-40), whichever the form has.
class CheckChoices {
public:
    // Builds the controls in `parent` and lays them out in `row`.
    CheckChoices(QWidget* parent, QBoxLayout& row);

    // Takes over the show-form dialog's person filling in and tax year while its own are empty.
    void takeOver(FormsDialog* vel);
    // The request for the chosen taxpayers (all when `chosen` is empty) where they are now: an
    // edit re-sorts the register, and merging duplicates may have removed one.
    RegisterCheckRequest request(const TaxpayerRegister& taxpayers,
                                 const std::vector<const TaxpayerRecord*>& chosen) const;
    // Shows the strike-out for PIT-11/8B, the tax year for PIT-40.
    void followForm();

    FormChoice choice;
    QComboBox* cbRok = nullptr;
    QLineEdit* eNazwisko = nullptr;
    QLineEdit* eImie = nullptr;
    QGroupBox* rgSkreslenie = nullptr;
    QButtonGroup* strike = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLineEdit* eRok = nullptr;
};

// The taxpayers selected in the main window's table (none: the whole register).
std::vector<const TaxpayerRecord*> SelectedTaxpayers(const TaxpayerRegister& taxpayers, const std::vector<int>& rows);
