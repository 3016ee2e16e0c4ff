#include "ui/FileDialogFilter.h"

#include <QStringList>

QString toQtFileFilter(const QString& programFilter) {
    const QStringList parts = programFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QString patterns = i + 1 < parts.size() ? parts[i + 1].trimmed() : QString();
        if (patterns.isEmpty()) patterns = QStringLiteral("*");
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (description.isEmpty() && patterns == QLatin1String("*") && i + 1 >= parts.size()) continue;
        if (description.contains(QLatin1Char('(')) && description.endsWith(QLatin1Char(')')))
            filters << description;
        else if (description.isEmpty())
            filters << patterns;
        else
            filters << description + QStringLiteral(" (") + patterns + QStringLiteral(")");
    }
    return filters.join(QStringLiteral(";;"));
}

QString toQtDefaultSuffix(const QString& programSuffix) {
    QString suffix = programSuffix.trimmed();
    if (suffix.startsWith(QLatin1Char('*'))) suffix.remove(0, 1);
    if (suffix.startsWith(QLatin1Char('.'))) suffix.remove(0, 1);
    if (suffix.contains(QLatin1Char('*')) || suffix.contains(QLatin1Char('?'))) return {};
    return suffix;
}
