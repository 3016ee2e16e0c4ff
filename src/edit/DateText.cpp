#include "edit/DateText.h"

namespace {

// Digits of a field, a blank reading as 0; -1 when a character is neither.
int ReadNumber(const QString& text, qsizetype from, qsizetype length) {
    int value = 0;
    for (qsizetype i = from; i < from + length; ++i) {
        const QChar ch = text.at(i);
        int digit = 0;
        if (ch == u' ')
            digit = 0;
        else if (ch >= u'0' && ch <= u'9')
            digit = ch.unicode() - u'0';
        else
            return -1;
        value = value * 10 + digit;
    }
    return value;
}

}  // namespace

QString StoredDateToField(const QString& stored) {
    if (stored.size() != 10 || stored.at(4) != u'-')
        return {};
    return stored.mid(8, 2) + u'-' + stored.mid(5, 2) + u'-' + stored.mid(0, 4);
}

QString FieldDateToStored(const QString& field) {
    if (field.size() != 10 || field.at(2) != u'-')
        return {};
    return field.mid(6, 4) + u'-' + field.mid(3, 2) + u'-' + field.mid(0, 2);
}

std::optional<QDate> ParseFieldDate(const QString& field) {
    if (field.size() != 10 || field.at(2) != u'-' || field.at(5) != u'-')
        return std::nullopt;
    const int day = ReadNumber(field, 0, 2);
    const int month = ReadNumber(field, 3, 2);
    const int year = ReadNumber(field, 6, 4);
    if (day < 0 || month < 0 || year < 1)
        return std::nullopt;
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QString FormatFieldDate(const QDate& date) {
    return date.toString(QStringLiteral("dd-MM-yyyy"));
}

QString InvalidDateMessage(const QString& field) {
    return QStringLiteral("\"%1\" nie jest prawidłową datą. Proszę wpisać datę w formacie DD-MM-RRRR.")
        .arg(field);
}
