// The parts of a message and of the delivery record that must come out exactly: encoded header
// words (decoded again here as a mail reader does), the attachment's name, the templates, and
// the record read back as it was written.
#include "mail/DeliveryRecord.h"
#include "mail/MailHeaders.h"
#include "mail/MailTemplate.h"

#include <gtest/gtest.h>

#include <QStringDecoder>

namespace {

// What a mail reader shows for a header made of encoded words (or plain ASCII).
QString decodeWords(const QByteArray& header) {
    QByteArray utf8;
    for (QByteArray word : header.split('\n')) {
        word = word.trimmed();
        if (!word.startsWith("=?UTF-8?B?")) return QString::fromLatin1(header);
        EXPECT_LE(word.size(), 75) << word.constData();
        utf8 += QByteArray::fromBase64(word.mid(10, word.size() - 12));
        // Every word holds whole characters: it decodes alone.
        QStringDecoder alone(QStringConverter::Utf8);
        (void)alone.decode(QByteArray::fromBase64(word.mid(10, word.size() - 12)));
        EXPECT_FALSE(alone.hasError()) << word.constData();
    }
    return QString::fromUtf8(utf8);
}

TEST(MailHeaders, EncodedWordsGiveTheTextBack) {
    const QString texts[] = {
        QStringLiteral("PIT-11/8B za rok 2006"),
        QStringLiteral("Formularz PIT-40 dla Łucji Żółkiewskiej"),
        QStringLiteral("Zażółć gęślą jaźń – bardzo długi temat wiadomości, który musi zostać podzielony na kilka słów "
                       "zakodowanych, bo jedno może mieć najwyżej 75 znaków ąęśćńółźż"),
        QStringLiteral("€😀"),
    };
    for (const QString& text : texts) {
        const QByteArray header = EncodedWords(text);
        for (const char c : header) EXPECT_TRUE(c > 0 && (c >= 0x20 || c == '\r' || c == '\n')) << text.toStdString();
        EXPECT_EQ(decodeWords(header), text);
    }
    EXPECT_EQ(decodeWords(EncodedWords(QStringLiteral("Wiersz\r\nBcc: ktoś@example.pl"))),
              QStringLiteral("Wiersz  Bcc: ktoś@example.pl"));
}

TEST(MailHeaders, SenderAndAttachmentNames) {
    EXPECT_EQ(MailboxHeader(QStringLiteral("Kadry \"Firma\""), QStringLiteral("kadry@firma.pl")),
              QByteArray(R"("Kadry \"Firma\"" <kadry@firma.pl>)"));
    EXPECT_EQ(MailboxHeader(QString(), QStringLiteral("kadry@firma.pl")), QByteArray("kadry@firma.pl"));
    EXPECT_EQ(decodeWords(MailboxHeader(QStringLiteral("Biuro Rachunkowe Łódź"), QStringLiteral("a@b.pl")).chopped(8)),
              QStringLiteral("Biuro Rachunkowe Łódź"));

    struct Case {
        QString name;
        QByteArray disposition;
    };
    const Case cases[] = {
        {QStringLiteral("007_NOWAK_ANNA.pdf"), "attachment; filename=\"007_NOWAK_ANNA.pdf\""},
        {QStringLiteral("12_ŻÓŁĆ_ŁUCJA.pdf"),
         "attachment; filename=\"12_ZOLC_LUCJA.pdf\"; filename*=UTF-8''12_%C5%BB%C3%93%C5%81%C4%86_%C5%81UCJA.pdf"},
        {QStringLiteral("3_O'NEIL_Ü.pdf"), "attachment; filename=\"3_O'NEIL__.pdf\"; filename*=UTF-8''3_O%27NEIL_%C3%9C.pdf"},
    };
    for (const Case& c : cases) EXPECT_EQ(AttachmentDisposition(c.name), c.disposition) << c.name.toStdString();
}

TEST(MailTemplate, FillsPlaceholdersOnceAndNamesUnknownOnes) {
    const MailTemplateValues values{QStringLiteral("ANNA"), QStringLiteral("NOWAK-{rok}"), QStringLiteral("PIT-40"),
                                    QStringLiteral("2006")};
    EXPECT_EQ(FillMailTemplate(QStringLiteral("{imie} {nazwisko}: {formularz} za {rok} {inne}"), values),
              QStringLiteral("ANNA NOWAK-{rok}: PIT-40 za 2006 {inne}"));
    EXPECT_TRUE(MailTemplateProblem(DefaultMailSubject(), QStringLiteral("w temacie")).isEmpty());
    EXPECT_TRUE(MailTemplateProblem(DefaultMailBody(), QStringLiteral("w treści")).isEmpty());
    EXPECT_TRUE(MailTemplateProblem(QStringLiteral("{pesel}"), QStringLiteral("w treści")).contains(QStringLiteral("„{pesel}”")));
}

TEST(DeliveryRecord, ReadsBackWhatWasWritten) {
    std::vector<DeliveryRow> rows(4);
    rows[0] = {1, QStringLiteral("ŻÓŁĆ"), QStringLiteral("ŁUCJA"), QStringLiteral("lucja@example.pl"),
               QStringLiteral("1_ŻÓŁĆ_ŁUCJA.pdf"), QStringLiteral("ab12"), QStringLiteral("<1.2@firma.pl>"),
               QStringLiteral("2026-12-11 03:15:00"), QStringLiteral("250 2.0.0 Ok; \"queued\""), DeliveryState::Sent};
    rows[1] = {7, QStringLiteral("NOWAK"), QStringLiteral("JAN"), QStringLiteral("-jan@example.pl"), QString(), QString(),
               QString(), QString(), QStringLiteral("550 5.1.1 brak\r\nskrzynki"), DeliveryState::Refused};
    rows[2] = {8, QStringLiteral("=SUMA(A1)"), QStringLiteral("EWA"), QStringLiteral("ewa@example.pl"), QString(), QString(),
               QString(), QString(), QString(), DeliveryState::Uncertain};
    rows[3] = {12, QStringLiteral("WÓJCIK"), QStringLiteral("ŻANETA"), QString(), QString(), QString(), QString(), QString(),
               QString(), DeliveryState::NotSent};
    const QByteArray text = DeliveryRecordText(rows);
    EXPECT_TRUE(text.startsWith("Lp;Nazwisko;Imi\xea;Adres;"));  // code page 1250
    QString problem;
    const auto read = ParseDeliveryRecord(text, &problem);
    ASSERT_TRUE(read) << problem.toStdString();
    ASSERT_EQ(read->size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const DeliveryRow& a = rows[i];
        const DeliveryRow& b = (*read)[i];
        EXPECT_EQ(std::tie(a.position, a.surname, a.firstName, a.address, a.file, a.sha256, a.messageId, a.time, a.reply, a.state),
                  std::tie(b.position, b.surname, b.firstName, b.address, b.file, b.sha256, b.messageId, b.time, b.reply, b.state))
            << i;
    }
}

TEST(DeliveryRecord, RefusesWhatIsNoRecord) {
    const QByteArray header = DeliveryRecordText({});
    const std::pair<QByteArray, const char*> cases[] = {
        {"Lp;Nazwisko\r\n", "nagłówkiem"},
        {header + "1;A;B;a@b.pl;f;h;m;t;r;wysłane\r\n", "nieznany stan"},
        {header + "x;A;B;a@b.pl;f;h;m;t;r;niepewne\r\n", "nie jest numerem"},
        {header + "1;A;B;a@b.pl;f;h;m;t;niepewne\r\n", "9 pól"},
        {header + "1;A;B;a@b.pl;f;h;m;t;\"r;niepewne\r\n", "cudzysłów"},
    };
    for (const auto& [text, why] : cases) {
        QString problem;
        EXPECT_FALSE(ParseDeliveryRecord(text, &problem)) << why;
        EXPECT_TRUE(problem.contains(QString::fromUtf8(why))) << problem.toStdString();
    }
}

}  // namespace
