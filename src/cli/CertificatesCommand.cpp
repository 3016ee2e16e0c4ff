// fiskon-cli certificates [--nss-db DIR]
// Lists the certificates of the NSS database (the user's own by default) and of the cards
// registered there that have a key, one per line:
// NICKNAME;SUBJECT CN;ISSUER CN;VALID TO (yyyy-mm-dd);USABLE ("tak" or "nie: reason").
// No PIN is asked: listing needs none.
#include "cli/Commands.h"
#include "cli/ImportArguments.h"

#include "forms/ControlCharacters.h"
#include "forms/SemicolonList.h"
#include "signing/CertificateDatabase.h"

#include <QTextStream>

namespace {

QString field(const QString& text) { return SemicolonListField(EscapeControlCharacters(text)); }

}  // namespace

int RunCertificatesCommand(const QStringList& arguments, QTextStream& out, QTextStream& /*err*/) {
    const ImportArguments parsed = ImportArguments::parse(arguments, {QStringLiteral("nss-db")}, {});
    if (!parsed.files.isEmpty())
        throw UsageError(QStringLiteral("Polecenie certificates nie przyjmuje plików (bazę podaje się przez --nss-db)."));
    OpenCertificateDatabase(parsed.has(QStringLiteral("nss-db")) ? parsed.value(QStringLiteral("nss-db"))
                                                                  : DefaultCertificateDatabase());
    for (const SigningCertificate& certificate : SigningCertificates()) {
        const QString usable =
            certificate.usable() ? QStringLiteral("tak") : QStringLiteral("nie: %1").arg(certificate.unusable);
        out << field(certificate.nickname) << ';' << field(certificate.subject) << ';' << field(certificate.issuer)
            << ';' << certificate.validTo.toString(QStringLiteral("yyyy-MM-dd")) << ';' << field(usable) << '\n';
    }
    return kExitSuccess;
}
