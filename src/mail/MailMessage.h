#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// One message of a batch: who sends it to whom, its texts (already filled from the templates),
// its identity and date, and the attached file.
struct MailMessage {
    QString fromAddress;
    QString fromName;
    QString toAddress;
    QString toName;
    QString subject;
    QString body;
    QString messageId;  // "<…@firma.pl>"
    QDateTime date;
    QString attachmentName;  // "007_NOWAK_ANNA.pdf"
    QByteArray attachment;   // the file's bytes
};
