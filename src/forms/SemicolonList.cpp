#include "forms/SemicolonList.h"

QString SemicolonListField(const QString& value) {
    const bool formula = !value.isEmpty() && QStringLiteral("=+-@").contains(value.front());
    const QString text = formula ? u'\'' + value : value;
    if (!text.contains(u';') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r')) return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString SemicolonListLine(const QStringList& fields) {
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i) line += u';';
        line += SemicolonListField(fields[i]);
    }
    return line + QStringLiteral("\r\n");
}
