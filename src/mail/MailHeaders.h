#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The header texts of a message as mail requires them: 7-bit, with what is not ASCII in UTF-8
// encoded words, and the attachment's name readable both by mail readers that know RFC 2231 and by
// those that do not.

// The text as it is when it is printable ASCII; otherwise "=?UTF-8?B?…?=" words of at most 75
// characters, split between characters (never inside one), joined by CR LF and a blank (folding).
QByteArray EncodedWords(const QString& text);

// "Kadry Firma <kadry@firma.pl>", the name quoted or encoded as it needs; the address alone
// without a name.
QByteArray MailboxHeader(const QString& name, const QString& address);

// `attachment; filename="LODZ_ZOLC.pdf"; filename*=UTF-8''%C5%81%C3%B3d%C5%BA_...`: the ASCII name for
// every reader, the exact one for those that read RFC 2231; the exact one alone when it is ASCII.
QByteArray AttachmentDisposition(const QString& fileName);

// The file name in ASCII: Polish letters without their marks, any other character "_".
QString AsciiFileName(const QString& fileName);

// "<20261211.031500.5f3a9c0e1b2d4e6f@firma.pl>": unique, of the sender's domain.
QString NewMessageId(const QString& senderAddress, const QDateTime& when);

// "Fri, 11 Dec 2026 03:15:00 +0100".
QByteArray MailDate(const QDateTime& when);
