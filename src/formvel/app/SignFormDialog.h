#pragma once

#include "signing/widgets/CertificatePrompts.h"

#include <QDialog>

#include <memory>

class CertificateChoice;
class SigningKey;

// "Podpisz zapisywany formularz": before the form's PDF is written to `path`, the certificate to
// sign it with, or "bez podpisu" (chosen at first). The choice made is chosen again by the next
// such dialog of this run of the program; nothing of it is stored.
class SignFormDialog : public QDialog {
    Q_OBJECT
public:
    explicit SignFormDialog(const QString& path, QWidget* parent = nullptr);
    ~SignFormDialog() override;

    // The certificate database has certificates to choose from (it is opened by the dialog).
    bool hasCertificates() const;
    QString chosenCertificate() const;
    bool visibleSignature() const;
    // The chosen certificate's key, its PIN asked once; nullptr, with the reason shown, when it
    // cannot sign.
    std::unique_ptr<SigningKey> unlockChosenKey();

    void accept() override;

private:
    DialogCertificatePrompts prompts_;
    CertificateChoice* choice_ = nullptr;
};
