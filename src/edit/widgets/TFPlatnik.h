#pragma once

#include <QDialog>

#include <map>

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class UserInterface;
struct Workspace;

// "Dane Płatnika Składek": edits the one payer record (the employer whose data head every form)
// and saves it to or loads it from a payer file of its own. Edits live in the controls until
// "&Zatwierdź" or "Zapi&sz" stores them; loading a file replaces the record at once.
class TFPlatnik : public QDialog {
    Q_OBJECT
public:
    TFPlatnik(Workspace& workspace, UserInterface& ui, QWidget* parent = nullptr);

    // True when a field's text changed since the last save or load.
    bool modified() const { return modified_; }

    // The control (by name) that gets the focus when the form next opens.
    void setFocusTarget(const QString& controlName) { focusTarget_ = controlName; }

    void FormShow();
    void btnOKClick();
    void btnCancelClick();
    // Asks for a file and writes the payer there; also what the main window runs at exit when the
    // payer data were not saved (the dialog closed: the record is saved as it stands). True when
    // the file was written.
    bool btnZapiszClick();
    // The same save without the dialog, to the payer file read or written last, when there is one
    // and no other program changed or deleted it since; otherwise btnZapiszClick. True when the
    // file was written.
    bool SaveToPayerFile();
    void btnWczytajClick();
    // Loads the payer from a file (as "Wczytaj" does after its dialog); a file that cannot be read
    // is said in a message (or, given `failure`, in the sentence put there for the caller's own
    // message) and the record stays. True when the record was loaded.
    bool OpenPayer(const QString& fileName, QString* failure = nullptr);

    // Record to controls, controls to record.
    void ShowPayer();
    void StorePayer();

    void reject() override;  // Escape and the title bar's close act as "&Anuluj"

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    QLineEdit* addText(const char* name, int maxLength);
    void eChange();

    Workspace& workspace_;
    UserInterface& ui_;
    bool modified_ = false;
    QString focusTarget_;

    QButtonGroup* rodzaj_ = nullptr;  // RB1 → 1, RB2 → 2
    QComboBox* eWoj_ = nullptr;
    std::map<QString, QLineEdit*> texts_;  // every text and masked field by name
};
