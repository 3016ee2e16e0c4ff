#pragma once

#include "forms/widgets/FormsDialog.h"
#include "ui/UiCertificatePrompts.h"

#include <QStringList>

#include <memory>
#include <vector>

class BatchProgress;
class CertificateChoice;
class MainView;
class ProgramSettings;
class QRadioButton;
class SigningKey;
class TFVEL;
struct TaxpayerPdfRequest;
struct Workspace;

// What the dialogs that make a locked, possibly signed PDF file for each taxpayer have in common
// ("Zapisz PDF dla każdego podatnika…", "Wyślij PIT-y e-mailem…"): beside the print dialog's
// choices the tax year of PIT-40, which taxpayers ("wszyscy" or "zaznaczeni w tabeli"), how the
// files are locked (the taxpayer's PESEL, the default, the taxpayer's NIP, one password typed
// twice, or not at all), the signing certificate, and the progress line with "Przerwij". The
// person filling in and the tax year are taken over from the show-form dialog where they are
// empty. A typed password lives for one batch only; the certificate chosen (never the PIN) is
// remembered in the settings and chosen again while the database has it.
class TaxpayerFilesDialog : public FormsDialog {
    Q_OBJECT
public:
    void FormShow() override;
    void rbPIT11Click() override;
    void rbPIT40Click() override;
    void btnClearClick() override;
    virtual void btnPrzerwijClick();
    // Closing the dialog while a batch runs stops it as "Przerwij" does.
    void reject() override;

    // "1 podatnika", "3 podatników": how the dialogs' messages count taxpayers.
    static QString taxpayersText(int count);
    // The first lines of `names`, the rest counted ("… i 3 podatników więcej.").
    static QString namedAtMost(const QStringList& names);
    // "\nFormularze 3 podatników mają uwagi – zobacz „Sprawdź dane do formularzy…”."; empty for none.
    static QString findingsNote(int taxpayers);

protected:
    // `secretTitle` is the title of the questions for a card's PIN or a certificate file's password.
    TaxpayerFilesDialog(const char* objectName, const QString& title, const QString& secretTitle, Workspace& workspace,
                        MainView& mainView, TFVEL& showForm, ProgramSettings& settings, UserInterface& ui,
                        TFCalendar& calendar, QWidget* parent);

    // Lays the dialog out: the tax year and the taxpayers, then `own`, then the protection, the
    // certificate and the progress line; `side` stands in a column of its own on the right.
    void buildFilesControls(const char* actionName, const QString& actionCaption, const std::vector<QWidget*>& own,
                            const std::vector<QWidget*>& side, std::function<void()> action);

    // The request from the choices (the folder is the caller's): false, with the reason in a
    // message, when they cannot make a batch. `noneText` says that no taxpayer is chosen;
    // `nothingDone` ends the message naming the taxpayers whose files cannot be locked ("nie
    // zapisano żadnego pliku PDF").
    bool fillRequest(TaxpayerPdfRequest& request, const QString& noneText, const QString& nothingDone);
    // Clears the typed password (after every batch).
    void forgetTypedPassword();
    // Remembers the chosen certificate and unlocks its key into `key`, the PIN asked once (after
    // every check of the taxpayers, before anything is drawn); `key` stays null for "bez podpisu".
    // False, with the reason told, when the chosen certificate cannot sign or the PIN is wrong.
    bool unlockSigningKey(std::unique_ptr<SigningKey>& key);
    bool visibleSignature() const;

    Workspace& workspace_;
    MainView& mainView_;
    TFVEL& FVEL_;
    ProgramSettings& settings_;
    BatchProgress* pnlPostep_ = nullptr;

private:
    void showPasswordFields();
    // Lists the certificates, the remembered one chosen the first time.
    void listCertificates();

    QWidget* yearGroup_ = nullptr;
    QWidget* who_ = nullptr;
    QWidget* protection_ = nullptr;
    QRadioButton* rbWszyscy_ = nullptr;
    QRadioButton* rbZaznaczeni_ = nullptr;
    QRadioButton* rbPesel_ = nullptr;
    QRadioButton* rbNip_ = nullptr;
    QRadioButton* rbJednoHaslo_ = nullptr;
    QRadioButton* rbBezHasla_ = nullptr;
    QLineEdit* eHaslo1_ = nullptr;
    QLineEdit* eHaslo2_ = nullptr;
    UiCertificatePrompts prompts_;
    CertificateChoice* certificates_ = nullptr;
};
