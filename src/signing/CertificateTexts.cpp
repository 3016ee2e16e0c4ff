#include "signing/CertificateTexts.h"

QString CertificateChoiceText(const SigningCertificate& certificate) {
    // What tells certificates apart comes first: a narrow list cuts the issuer off, not the card.
    const QString where = certificate.onCard() ? QStringLiteral("na karcie „%1”").arg(certificate.token)
                                               : QStringLiteral("w bazie certyfikatów");
    const QString details = QStringLiteral("%1, ważny do %2, wystawca: %3")
                                .arg(where, certificate.validTo.toUTC().date().toString(QStringLiteral("yyyy-MM-dd")),
                                     certificate.issuer);
    if (!certificate.usable())
        return QStringLiteral("%1 – nie można podpisywać: %2; %3").arg(certificate.subject, certificate.unusable, details);
    return QStringLiteral("%1, %2").arg(certificate.subject, details);
}

QString CertificateSecretQuestion(const SigningCertificate& certificate) {
    if (certificate.onCard())
        return QStringLiteral("PIN karty „%1” (certyfikat „%2”):").arg(certificate.token, certificate.subject);
    return QStringLiteral("Hasło bazy certyfikatów, w której jest klucz certyfikatu „%1”:").arg(certificate.subject);
}
