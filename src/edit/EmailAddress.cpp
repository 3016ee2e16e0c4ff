#include "edit/EmailAddress.h"

#include "store/Cp1250.h"

namespace {

// Besides letters and digits, the marks mail allows unquoted before "@".
bool AllowedInName(QChar ch) {
    return ch.isLetterOrNumber() || QStringView(u"!#$%&'*+-/=?^_`{|}~.").contains(ch);
}

bool AllowedInDomain(QChar ch) {
    return ch.isLetterOrNumber() || ch == u'-' || ch == u'.';
}

QString Quoted(QChar ch) {
    return QStringLiteral("„%1”").arg(ch);
}

}  // namespace

QString EmailAddressFault(const QString& address) {
    if (address.isEmpty())
        return {};
    for (const QChar ch : address) {
        if (ch.isSpace())
            return QStringLiteral("adres zawiera odstęp");
        if (ch.category() == QChar::Other_Control || ch.category() == QChar::Other_Format)
            return QStringLiteral("adres zawiera znak sterujący");
    }
    for (qsizetype i = 0; i < address.size(); ++i) {
        if (cp1250::canEncode(address.at(i)))
            continue;
        // A character beyond the basic plane is named whole, not by half of its pair.
        const qsizetype length = address.at(i).isHighSurrogate() && i + 1 < address.size() ? 2 : 1;
        return QStringLiteral("znaku „%1” nie można zapisać w pliku danych (strona kodowa 1250)")
            .arg(address.mid(i, length));
    }
    const qsizetype utf8Bytes = address.toUtf8().size();
    if (utf8Bytes > kEmailAddressMaxBytes)
        return QStringLiteral("adres jest za długi (%1 bajtów w UTF-8, najwyżej %2)").arg(utf8Bytes).arg(kEmailAddressMaxBytes);

    const qsizetype at = address.indexOf(u'@');
    if (at < 0)
        return QStringLiteral("brak znaku „@”");
    if (address.indexOf(u'@', at + 1) >= 0)
        return QStringLiteral("więcej niż jeden znak „@”");
    const QStringView name = QStringView(address).left(at);
    const QStringView domain = QStringView(address).mid(at + 1);
    if (name.isEmpty())
        return QStringLiteral("brak nazwy przed znakiem „@”");
    if (domain.isEmpty())
        return QStringLiteral("brak domeny po znaku „@”");
    for (const QChar ch : name) {
        if (!AllowedInName(ch))
            return QStringLiteral("niedozwolony znak %1 przed znakiem „@”").arg(Quoted(ch));
    }
    for (const QChar ch : domain) {
        if (!AllowedInDomain(ch))
            return QStringLiteral("niedozwolony znak %1 w domenie").arg(Quoted(ch));
    }
    if (!domain.contains(u'.'))
        return QStringLiteral("domena „%1” nie zawiera kropki").arg(domain);
    if (domain.startsWith(u'.') || domain.endsWith(u'.') || domain.contains(u".."))
        return QStringLiteral("domena „%1” ma pustą część między kropkami").arg(domain);
    if (name.startsWith(u'.') || name.endsWith(u'.') || name.contains(u".."))
        return QStringLiteral("nazwa przed znakiem „@” zaczyna się kropką, kończy nią albo ma dwie kropki obok siebie");
    return {};
}
