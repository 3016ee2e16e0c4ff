#include "settings/SigningChoice.h"

#include "settings/ProgramSettings.h"

#include <QByteArray>

namespace {

const QString kKey = QStringLiteral("SigningCertificate");

}  // namespace

QString RememberedSigningCertificate(const ProgramSettings& settings) {
    const QString encoded = settings.GetParam(kKey, QString());
    return QString::fromUtf8(QByteArray::fromPercentEncoding(encoded.toLatin1()));
}

void RememberSigningCertificate(ProgramSettings& settings, const QString& nickname) {
    if (RememberedSigningCertificate(settings) == nickname) return;
    settings.SetParam(kKey, QString::fromLatin1(nickname.toUtf8().toPercentEncoding()));
}
