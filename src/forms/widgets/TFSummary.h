#pragma once

#include "forms/RegisterTotals.h"
#include "forms/widgets/CheckChoices.h"

#include <QDialog>

#include <memory>
#include <optional>
#include <vector>

class FormsDialog;
class MainView;
class QLabel;
class QPushButton;
class QTableWidget;
class UserInterface;
struct TaxpayerRecord;
struct Workspace;

// "Zestawienie kwot": for the taxpayers selected in the main window (all of them when none is)
// and the chosen form, how many there are, the sum of every amount box their forms fill and how
// many forms would show a finding. The totals print on A4 and save as PDF or as a semicolon list.
class TFSummary : public QDialog {
    Q_OBJECT
public:
    // `vel`: the show-form dialog, whose person filling in and tax year this one takes over while
    // its own are empty (they decide some of the findings).
    TFSummary(Workspace& workspace, MainView& mainView, UserInterface& ui, FormsDialog* vel, QWidget* parent = nullptr);

    // The totals on show; none when they could not be made.
    const std::optional<RegisterTotals>& totals() const { return totals_; }

    void FormShow();
    // "Przelicz": sums the same taxpayers again with the choices as they stand.
    void btnSumClick();
    void btnPrintClick();
    void btnPdfClick();
    void btnSaveClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showTotals();
    struct TotalsReport report() const;
    void writeFile(const QString& title, const QString& filter, const QString& suffix, const std::string& bytes);

    Workspace& workspace_;
    MainView& mainView_;
    UserInterface& ui_;
    FormsDialog* vel_;
    std::vector<const TaxpayerRecord*> chosen_;  // empty: the whole register
    std::unique_ptr<CheckChoices> choices_;
    std::optional<RegisterTotals> totals_;
    FindingCounts findings_;

    QTableWidget* lvTotals_ = nullptr;
    QLabel* lblCount_ = nullptr;
    QLabel* lblFindings_ = nullptr;
    QPushButton* btnPrint_ = nullptr;
    QPushButton* btnPdf_ = nullptr;
    QPushButton* btnSave_ = nullptr;
};
