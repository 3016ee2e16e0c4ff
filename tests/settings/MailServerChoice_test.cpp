#include "settings/MailServerChoice.h"

#include "settings/ProgramSettings.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <tuple>

namespace {

QByteArray fileBytes(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(MailServerChoice, EveryTextComesBackExactlyBesideTheOtherSettings) {
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("fiskon.ini"));
    {
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[MainSettings]\r\nQuitQuery=0\r\nSigningCertificate=Karta\r\n");
    }
    ProgramSettings settings(name);
    const MailServerChoice missing = RememberedMailServerChoice(settings);
    EXPECT_EQ(missing.port, 0);
    EXPECT_TRUE(missing.startTls);
    EXPECT_TRUE(missing.server.isEmpty() && missing.subject.isEmpty() && missing.body.isEmpty());

    MailServerChoice choice;
    choice.server = QStringLiteral("poczta.biuro-rachunkowe.pl");
    choice.port = 2525;
    choice.startTls = false;
    choice.user = QStringLiteral("kadry@biuro-rachunkowe.pl");
    choice.senderAddress = QStringLiteral("płace@biuro-rachunkowe.pl");
    choice.senderName = QStringLiteral("Biuro Rachunkowe „Żuraw” Sp. z o.o.");
    choice.caFile = QStringLiteral("/home/anna/CA biura; kopia=2.pem");
    choice.subject = QStringLiteral("{formularz} za {rok} – {imie} {nazwisko}");
    choice.body = QStringLiteral("Dzień dobry,\r\n\nw załączniku %20 [sekcja]\n;komentarz\n=50%\n");
    RememberMailServerChoice(settings, choice);

    const MailServerChoice back = RememberedMailServerChoice(ProgramSettings(name));
    EXPECT_EQ(back.server, choice.server);
    EXPECT_EQ(back.port, choice.port);
    EXPECT_EQ(back.startTls, choice.startTls);
    EXPECT_EQ(back.user, choice.user);
    EXPECT_EQ(back.senderAddress, choice.senderAddress);
    EXPECT_EQ(back.senderName, choice.senderName);
    EXPECT_EQ(back.caFile, choice.caFile);
    EXPECT_EQ(back.subject, choice.subject);
    EXPECT_EQ(back.body, choice.body);
    const QByteArray written = fileBytes(name);
    EXPECT_TRUE(written.startsWith("[MainSettings]\r\nQuitQuery=0\r\nSigningCertificate=Karta\r\nMailServer="));
    EXPECT_EQ(written.count("\r\n"), 13);  // one line a key: no text broke a line

    // Nothing changed, nothing written.
    const QDateTime before = QFileInfo(name).lastModified();
    EXPECT_NO_THROW(RememberMailServerChoice(settings, choice));
    EXPECT_EQ(QFileInfo(name).lastModified(), before);
}

TEST(MailServerChoice, AnUnusablePortReadsAsTheUsualOne) {
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("fiskon.ini"));
    for (const auto& [text, startTls, port] :
         {std::tuple{"MailPort=-1\r\nMailSecurity=starttls", true, 0},
          std::tuple{"MailPort=70000\r\nMailSecurity=SMTPS", false, 0},
          std::tuple{"MailPort=dwa\r\nMailSecurity=", true, 0},
          std::tuple{"MailPort=465\r\nMailSecurity=smtps", false, 465}}) {
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray("[MainSettings]\r\n") + text + "\r\n");
        file.close();
        const MailServerChoice choice = RememberedMailServerChoice(ProgramSettings(name));
        EXPECT_EQ(choice.startTls, startTls) << text;
        EXPECT_EQ(choice.port, port) << text;
    }
}

}  // namespace
