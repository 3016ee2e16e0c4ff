#pragma once

#include "forms/FieldList.h"
#include "forms/FindingFixes.h"
#include "forms/widgets/CheckChoices.h"

#include <QDialog>

#include <cstdint>
#include <memory>
#include <vector>

class FindingsTableModel;
class FormsDialog;
class MainView;
class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QModelIndex;
class QPushButton;
class QTableView;
class TFEdit;
class TFPlatnik;
class UserInterface;
struct TaxpayerRecord;
struct Workspace;

// "Sprawdzanie danych do formularzy": checks the taxpayers selected in the main window (all of
// them when none is) for the chosen form, with the show-form dialog's choices, as the forms
// program would, and lists every finding. A double click opens the taxpayer's (or the payer's)
// form on the control of the box; the list can be sorted, saved and checked again. Beside it the
// kinds of findings with their counts choose which findings the list shows, a text field the
// taxpayers; a kind whose correction is mechanical is mended at once for all its taxpayers, or
// for those of the selected findings.
class TFCheck : public QDialog {
    Q_OBJECT
public:
    // `vel`: the show-form dialog, whose person filling in and tax year this one takes over while
    // its own are empty.
    TFCheck(Workspace& workspace, MainView& mainView, UserInterface& ui, TFEdit& edit, TFPlatnik& platnik,
            FormsDialog* vel, QWidget* parent = nullptr);

    const FindingsTableModel& findings() const { return *model_; }

    void FormShow();
    void rbPIT11Click();
    void rbPIT40Click();
    // "Sprawdź ponownie": checks the same taxpayers again with the choices as they stand.
    void btnCheckClick();
    // Opens the form that holds what the finding in `row` of the list is about.
    void lvFindingsDblClick(const QModelIndex& index);
    void btnSaveClick();
    // The kind chosen in the list of kinds, or the taxpayer text, changed: the list shows their
    // findings.
    void lvKindsChange();
    // "Popraw u wszystkich..." / "Popraw u zaznaczonych...": asks, then mends the chosen kind's
    // findings of every taxpayer the list shows, or of the selected findings' taxpayers, and
    // checks again.
    void btnFixAllClick();
    void btnFixSelectedClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void fillKinds();
    FindingFix chosenFix() const;
    void fix(const std::vector<const RegisterFinding*>& findings);

    Workspace& workspace_;
    MainView& mainView_;
    UserInterface& ui_;
    TFEdit& edit_;
    TFPlatnik& platnik_;
    FormsDialog* vel_;
    std::vector<const TaxpayerRecord*> chosen_;  // empty: the whole register
    FormKind checkedKind_ = FormKind::None;      // the form the list was made for
    const FormLayout* checkedLayout_ = nullptr;  // and its edition
    std::uint64_t checkedRevision_ = 0;          // the register as it was checked

    std::unique_ptr<CheckChoices> choices_;
    QTableView* lvFindings_ = nullptr;
    FindingsTableModel* model_ = nullptr;
    QLabel* lblSummary_ = nullptr;
    QListWidget* lvKinds_ = nullptr;
    QLineEdit* eTaxpayer_ = nullptr;
    QPushButton* btnFixAll_ = nullptr;
    QPushButton* btnFixSelected_ = nullptr;
};
