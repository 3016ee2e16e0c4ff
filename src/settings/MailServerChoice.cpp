#include "settings/MailServerChoice.h"

#include "settings/ProgramSettings.h"

#include <QByteArray>

#include <utility>
#include <vector>

namespace {

QString encoded(const QString& text) { return QString::fromLatin1(text.toUtf8().toPercentEncoding()); }
QString decoded(const QString& text) { return QString::fromUtf8(QByteArray::fromPercentEncoding(text.toLatin1())); }

QString securityText(bool startTls) { return startTls ? QStringLiteral("starttls") : QStringLiteral("smtps"); }

// The keys in the order they are written, with their values.
std::vector<std::pair<QString, QString>> keyValues(const MailServerChoice& choice) {
    return {{QStringLiteral("MailServer"), encoded(choice.server)},
            {QStringLiteral("MailPort"), QString::number(choice.port)},
            {QStringLiteral("MailSecurity"), securityText(choice.startTls)},
            {QStringLiteral("MailUser"), encoded(choice.user)},
            {QStringLiteral("MailSenderAddress"), encoded(choice.senderAddress)},
            {QStringLiteral("MailSenderName"), encoded(choice.senderName)},
            {QStringLiteral("MailCaFile"), encoded(choice.caFile)},
            {QStringLiteral("MailSubject"), encoded(choice.subject)},
            {QStringLiteral("MailBody"), encoded(choice.body)}};
}

}  // namespace

MailServerChoice RememberedMailServerChoice(const ProgramSettings& settings) {
    MailServerChoice choice;
    const auto text = [&settings](const char* key) { return decoded(settings.GetParam(QString::fromLatin1(key), QString())); };
    choice.server = text("MailServer");
    choice.startTls = settings.GetParam(QStringLiteral("MailSecurity"), QString()).compare(QLatin1String("smtps"), Qt::CaseInsensitive) != 0;
    bool number = false;
    const int port = settings.GetParam(QStringLiteral("MailPort"), QString()).toInt(&number);
    choice.port = number && port > 0 && port <= 65535 ? port : 0;
    choice.user = text("MailUser");
    choice.senderAddress = text("MailSenderAddress");
    choice.senderName = text("MailSenderName");
    choice.caFile = text("MailCaFile");
    choice.subject = text("MailSubject");
    choice.body = text("MailBody");
    return choice;
}

void RememberMailServerChoice(ProgramSettings& settings, const MailServerChoice& choice) {
    std::vector<std::pair<QString, QString>> changed;
    for (auto& [key, value] : keyValues(choice))
        if (settings.GetParam(key, QString()) != value) changed.emplace_back(key, value);
    if (!changed.empty()) settings.SetParams(changed);
}
