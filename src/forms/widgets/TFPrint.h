#pragma once

#include "forms/widgets/FormsDialog.h"

#include <QList>
#include <QPointer>

#include <array>

class BatchProgress;
class MainView;
class QLabel;
class QPushButton;
class QToolButton;
class TFVEL;
struct Workspace;

// "Drukowanie N dokumentów..": prints the chosen form for every taxpayer selected in the main
// window's table, in table order, through the forms program; its print dialog comes up once, for
// the first document, and the later ones are printed with the range chosen there. While it
// prints, the dialog says which document it is at ("Drukowanie 37 z 412: NOWAK ANNA") and
// "Przerwij" stops the batch after the current document. A print dialog not confirmed, a document
// the forms program does not print or an error stops the batch too, and every batch ends with
// "Wydrukowano N z M dokumentów." and the reason it stopped. The person filling in and the tax year are shared with the show-form
// dialog, which builds the forms.
//
// The period fields (PIT-11/8B) are offered and cleared but reach no form: each PIT-11/8B takes
// its period from its taxpayer's record.
class TFPrint : public FormsDialog {
    Q_OBJECT
public:
    TFPrint(Workspace& workspace, MainView& mainView, TFVEL& showForm, UserInterface& ui, TFCalendar& calendar,
            QWidget* parent = nullptr);

    void FormShow() override;
    void rbPIT11Click() override;
    void rbPIT40Click() override;
    void btn1Click();
    void btn2Click();
    void btn3Click();
    void btnClearClick() override;
    void btnPrintClick();
    void btnPrzerwijClick();
    // Closing the dialog while it prints stops the batch as "Przerwij" does.
    void reject() override;

private:
    void printSelected();
    // Builds, sends and prints the current taxpayer's form: through the forms program's print
    // dialog for the first document, with the range chosen there for the others. True when printed.
    bool printOne(FormKind kind, bool strikePit11, bool first);
    void showPeriod(bool period);
    // The period: its labels, fields and date pickers.
    std::array<QWidget*, 6> periodControls() const;

    Workspace& workspace_;
    MainView& mainView_;
    TFVEL& FVEL_;
    QLabel* lblOd_ = nullptr;
    QLineEdit* eOd_ = nullptr;
    QToolButton* btn1_ = nullptr;
    QLabel* lblDo_ = nullptr;
    QLineEdit* eDo_ = nullptr;
    QToolButton* btn2_ = nullptr;
    QToolButton* btn3_ = nullptr;
    BatchProgress* pnlPostep_ = nullptr;
};
