#include "mail/MailHeaders.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QTimeZone>

namespace {

bool isPrintableAscii(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e) return false;
    return true;
}

// Bytes of UTF-8 a whole character starting at `at` takes.
int characterLength(const QByteArray& utf8, qsizetype at) {
    const auto lead = static_cast<unsigned char>(utf8[at]);
    if (lead < 0x80) return 1;
    if (lead >= 0xf0) return 4;
    if (lead >= 0xe0) return 3;
    return 2;
}

}  // namespace

QByteArray EncodedWords(const QString& text) {
    if (isPrintableAscii(text)) return text.toLatin1();
    // 75 characters a word: "=?UTF-8?B?" and "?=" take 12, leaving 63 for base64, i.e. 45 bytes.
    constexpr qsizetype kBytesPerWord = 45;
    QString clean = text;
    for (QChar& c : clean)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) c = u' ';  // a line end would end the header
    const QByteArray utf8 = clean.toUtf8();
    QByteArray words;
    qsizetype from = 0;
    while (from < utf8.size()) {
        qsizetype to = from;
        while (to < utf8.size() && to + characterLength(utf8, to) - from <= kBytesPerWord) to += characterLength(utf8, to);
        if (!words.isEmpty()) words += "\r\n ";
        words += "=?UTF-8?B?" + utf8.mid(from, to - from).toBase64() + "?=";
        from = to;
    }
    return words;
}

QByteArray MailboxHeader(const QString& name, const QString& address) {
    const QByteArray angle = '<' + address.toUtf8() + '>';
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty()) return address.toUtf8();
    if (!isPrintableAscii(trimmed)) return EncodedWords(trimmed) + ' ' + angle;
    QByteArray quoted = trimmed.toLatin1();
    quoted.replace("\\", "\\\\").replace("\"", "\\\"");
    return '"' + quoted + "\" " + angle;
}

QString AsciiFileName(const QString& fileName) {
    static const QString polish = QStringLiteral("ąćęłńóśźżĄĆĘŁŃÓŚŹŻ");
    static const QString plain = QStringLiteral("acelnoszzACELNOSZZ");
    QString ascii;
    for (const QChar c : fileName) {
        if (const qsizetype at = polish.indexOf(c); at >= 0)
            ascii += plain[at];
        else if (c.unicode() > 0x20 && c.unicode() < 0x7f && c != u'"' && c != u'\\')
            ascii += c;
        else
            ascii += u'_';
    }
    return ascii;
}

QByteArray AttachmentDisposition(const QString& fileName) {
    const QByteArray ascii = AsciiFileName(fileName).toLatin1();
    QByteArray disposition = "attachment; filename=\"" + ascii + '"';
    if (ascii != fileName.toUtf8())
        disposition += "; filename*=UTF-8''" + fileName.toUtf8().toPercentEncoding("!#$&+-.^_`|~");
    return disposition;
}

QString NewMessageId(const QString& senderAddress, const QDateTime& when) {
    QString domain = senderAddress.mid(senderAddress.lastIndexOf(u'@') + 1);
    if (domain.isEmpty()) domain = QStringLiteral("localhost");
    const quint64 random = QRandomGenerator::system()->generate64();
    return QStringLiteral("<%1.%2@%3>")
        .arg(when.toUTC().toString(QStringLiteral("yyyyMMdd.hhmmss")))
        .arg(random, 16, 16, QLatin1Char('0'))
        .arg(domain);
}

QByteArray MailDate(const QDateTime& when) { return when.toString(Qt::RFC2822Date).toLatin1(); }
