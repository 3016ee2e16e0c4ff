#pragma once

#include "signing/CertificateDatabase.h"

#include <QByteArray>
#include <QString>

#include <memory>

// How one PDF is signed: with the document's password when it is locked (it stays locked: the
// signature is added as an incremental update, encrypted as the rest), the reason shown by PDF
// readers, and the signature field invisible unless `visible`.
struct PdfSignatureRequest {
    QByteArray documentPassword;  // UTF-8; empty: the file is not locked
    QString reason;               // "PIT-11/8B za rok 2006"
    bool visible = false;         // a box at the foot of the first page, with the holder and the time
};

// The key of one certificate, unlocked for a batch of files: the certificate is found and judged,
// and its card (or the database) logged in to with a PIN asked once. A wrong PIN stops at once:
// it is never tried again. The PIN is not kept, and the card it unlocked is locked again when the
// key is destroyed.
class SigningKey {
public:
    // Throws SigningError: no database open, no such certificate, one that cannot sign (named with
    // the reason), the PIN not given or wrong, the card not there.
    SigningKey(const QString& nickname, const SecretSource& pin);
    ~SigningKey();
    SigningKey(const SigningKey&) = delete;
    SigningKey& operator=(const SigningKey&) = delete;

    const SigningCertificate& certificate() const;

    // Throws SigningError when the card has been taken out (or put back: it is no longer logged
    // in, and the program will not log in again behind the user's back).
    void ensureReady() const;

    // The PDF in `pdf` signed (SHA-256, the signing time, the reason). Throws SigningError when it
    // cannot be: the card gone, the file not opened with its password, the library refusing.
    QByteArray sign(const QByteArray& pdf, const PdfSignatureRequest& request) const;

private:
    struct State;
    std::unique_ptr<State> state_;
};
