#pragma once

#include "forms/FieldList.h"
#include "forms/widgets/FormsDialog.h"

#include <optional>

class QGroupBox;
class QPlainTextEdit;
class QToolButton;
class TFPrint;
struct Workspace;

// "Ustawienia podglądu formularzy": shows the register's current taxpayer on PIT-11/8B or PIT-40
// in the forms program, read-only; "Pokaż" returns when the user has closed the form. It holds
// the person filling in and the tax year that every form gets, also the printed ones.
class TFVEL : public FormsDialog {
    Q_OBJECT
public:
    TFVEL(Workspace& workspace, UserInterface& ui, TFCalendar& calendar, QWidget* parent = nullptr);

    // The print dialog, whose person and tax year this one takes over while its own are empty.
    void setPrintDialog(TFPrint* print) { print_ = print; }

    // The field list of the register's current taxpayer into `lines`, with this dialog's person
    // and tax year, and shown in `memo`; the form's edition symbol (none for FormKind::None).
    // The forms get `lines`: the memo's text is for the eye only (it holds a no-break space as a
    // plain one).
    std::optional<QByteArray> BuildFieldList(QByteArrayList& lines, QPlainTextEdit& memo, FormKind kind,
                                             bool strikePit11) const;

    void FormCreate();
    void FormShow() override;
    void rbPIT11Click() override;
    void rbPIT40Click() override;
    void btn3Click();
    void btnClearClick() override;
    void btnShowClick();

private:
    void showTheForm();

    Workspace& workspace_;
    TFPrint* print_ = nullptr;
    QGroupBox* GroupBox2_ = nullptr;
};
