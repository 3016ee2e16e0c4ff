#include "mail/MailSettings.h"

#include "edit/EmailAddress.h"

#include <QFileInfo>
#include <QUrl>

int DefaultMailPort(MailSecurity security) { return security == MailSecurity::Tls ? 465 : 587; }

QString MailServerUrl(const MailSettings& settings) {
    const int port = settings.port > 0 ? settings.port : DefaultMailPort(settings.security);
    QString host = settings.server;
    if (host.contains(u':') && !host.startsWith(u'[')) host = u'[' + host + u']';  // an IPv6 address
    return QStringLiteral("%1://%2:%3")
        .arg(settings.security == MailSecurity::Tls ? QStringLiteral("smtps") : QStringLiteral("smtp"), host)
        .arg(port);
}

QString SetMailServerUrl(MailSettings& settings, const QString& url) {
    const QUrl parsed(url.trimmed(), QUrl::StrictMode);
    const QString scheme = parsed.scheme().toLower();
    if (!parsed.isValid() || (scheme != u"smtps" && scheme != u"smtp") || parsed.host().isEmpty())
        return QStringLiteral("Adres serwera poczty „%1” nie ma postaci smtps://SERWER[:PORT] ani smtp://SERWER[:PORT].")
            .arg(url);
    if (!parsed.path().isEmpty() && parsed.path() != u"/")
        return QStringLiteral("Adres serwera poczty „%1” ma zbędną ścieżkę „%2”.").arg(url, parsed.path());
    if (!parsed.userName().isEmpty())
        return QStringLiteral("Adres serwera poczty nie może zawierać nazwy użytkownika ani hasła; podaje się je osobno.");
    settings.security = scheme == u"smtps" ? MailSecurity::Tls : MailSecurity::StartTls;
    settings.server = parsed.host();
    settings.port = parsed.port(0);
    return {};
}

bool IsMailAddress(const QString& address) {
    // One rule for an address, the edit form's: what it accepts can be sent to.
    return !address.isEmpty() && EmailAddressFault(address).isEmpty();
}

QString MailSettingsProblem(const MailSettings& settings) {
    if (settings.server.trimmed().isEmpty()) return QStringLiteral("Podaj serwer poczty wychodzącej (SMTP).");
    if (settings.port < 0 || settings.port > 65535)
        return QStringLiteral("Port serwera poczty %1 jest spoza zakresu 1–65535.").arg(settings.port);
    if (!IsMailAddress(settings.senderAddress))
        return settings.senderAddress.isEmpty()
                   ? QStringLiteral("Podaj adres e-mail nadawcy.")
                   : QStringLiteral("Adres nadawcy „%1” nie jest adresem e-mail.").arg(settings.senderAddress);
    if (!settings.caFile.isEmpty() && !QFileInfo(settings.caFile).isFile())
        return QStringLiteral("Nie ma pliku certyfikatu urzędu „%1”.").arg(settings.caFile);
    if (!settings.user.isEmpty() && settings.password.isEmpty())
        return QStringLiteral("Podaj hasło użytkownika „%1” serwera poczty.").arg(settings.user);
    if (settings.subjectTemplate.trimmed().isEmpty()) return QStringLiteral("Podaj temat wiadomości.");
    if (QString problem = MailTemplateProblem(settings.subjectTemplate, QStringLiteral("w temacie wiadomości")); !problem.isEmpty())
        return problem;
    return MailTemplateProblem(settings.bodyTemplate, QStringLiteral("w treści wiadomości"));
}
