#pragma once

#include <QGroupBox>
#include <QString>

#include <memory>

class CertificatePrompts;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class SigningKey;

// "Podpisz certyfikatem:": the certificates of the certificate database (on a card or with their
// key in the database) to sign PDF files with, "bez podpisu" first; those that cannot sign are
// shown with their reason and cannot be chosen. "Dodaj certyfikat z pliku…" adds one from a
// PKCS#12 file to the database and chooses it; "podpis widoczny na formularzu" puts the signature
// on the first page. The database is opened when the certificates are first listed. The PIN of
// the chosen certificate is asked only by unlockChosenKey, once, and never kept.
class CertificateChoice : public QGroupBox {
    Q_OBJECT
public:
    // `prompts` must outlive the widget.
    CertificateChoice(CertificatePrompts& prompts, QWidget* parent = nullptr);

    // Opens the certificate database the first time and lists its certificates, choosing `wanted`
    // when it is there and can sign; an empty `wanted` keeps what is chosen. Nothing is chosen for
    // a certificate that is gone or cannot sign.
    void listCertificates(const QString& wanted = QString());
    bool listed() const { return listed_; }
    // The number of certificates listed, those that cannot sign too.
    int certificateCount() const;

    // The nickname of the certificate chosen; empty: "bez podpisu".
    QString chosenCertificate() const;
    bool visibleSignature() const;

    // The key of the chosen certificate, its PIN asked; nullptr, with the reason told, when it
    // cannot sign (or nothing is chosen).
    std::unique_ptr<SigningKey> unlockChosenKey();

    void addCertificateFile();

private:
    CertificatePrompts& prompts_;
    QComboBox* cbCertyfikat_ = nullptr;
    QPushButton* btnDodajCertyfikat_ = nullptr;
    QCheckBox* cbWidoczny_ = nullptr;
    QLabel* lblCertyfikaty_ = nullptr;
    bool listed_ = false;
};
