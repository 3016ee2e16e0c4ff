#include "cli/PdfSecurityArguments.h"

#include "cli/Commands.h"
#include "cli/SecretFile.h"
#include "signing/CertificateDatabase.h"

namespace {

PdfProtection parseProtection(const QString& text) {
    if (text == QLatin1String("pesel")) return PdfProtection::Pesel;
    if (text == QLatin1String("nip")) return PdfProtection::Nip;
    throw UsageError(QStringLiteral("--password przyjmuje „pesel” albo „nip”, a nie „%1”. Jedno hasło dla wszystkich "
                                    "plików podaje się w pliku: --password-file PLIK.")
                         .arg(text));
}

}  // namespace

PdfSecurity ParsePdfSecurity(const FormRequest& request) {
    if (request.passwordOption && request.passwordFile)
        throw UsageError(QStringLiteral("Podaje się --password albo --password-file, nie oba."));
    if ((request.nssDatabase || request.pinFile) && !request.signNickname)
        throw UsageError(QStringLiteral("--nss-db i --pin-file służą do podpisu: działają tylko z --sign."));
    if (request.visibleSignature && !request.signNickname)
        throw UsageError(QStringLiteral("--visible-signature działa tylko z --sign."));
    PdfSecurity security;
    if (request.passwordOption) security.protection = parseProtection(*request.passwordOption);
    if (request.passwordFile) {
        security.protection = PdfProtection::OnePassword;
        security.onePassword =
            ReadSecretFile(*request.passwordFile, QStringLiteral("z hasłem"), QStringLiteral("zabezpieczyć plików PDF"));
    }
    return security;
}

std::unique_ptr<SigningKey> UnlockSigningKey(const FormRequest& request) {
    OpenCertificateDatabase(request.nssDatabase.value_or(DefaultCertificateDatabase()));
    const SecretSource pin = [&request](const SigningCertificate& certificate) -> std::optional<QByteArray> {
        if (!request.pinFile)
            throw UsageError(QStringLiteral("Certyfikat „%1” wymaga PIN-u: podaje się go w pliku, --pin-file PLIK.")
                                 .arg(certificate.nickname));
        return ReadSecretFile(*request.pinFile, QStringLiteral("z PIN-em"), QStringLiteral("odblokować karty"));
    };
    return std::make_unique<SigningKey>(*request.signNickname, pin);
}
