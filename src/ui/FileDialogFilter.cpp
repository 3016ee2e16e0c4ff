#include "ui/FileDialogFilter.h"

#include <QStringList>

namespace {

// "*.*" means every file on Windows; here it would leave out names without a dot ("README"),
// so it becomes "*".
QString unixPatterns(const QString& patterns) {
    QStringList list = patterns.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (QString& pattern : list)
        if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
    list.removeDuplicates();
    return list.join(QLatin1Char(' '));
}

// "Wszystkie pliki (*.*)" becomes "Wszystkie pliki (*)".
QString withUnixPatterns(const QString& description) {
    const qsizetype open = description.lastIndexOf(QLatin1Char('('));
    QString patterns = description.mid(open + 1).chopped(1);
    return description.left(open + 1) + unixPatterns(patterns.replace(QLatin1Char(';'), QLatin1Char(' '))) +
           QLatin1Char(')');
}

}  // namespace

QString toQtFileFilter(const QString& programFilter) {
    const QStringList parts = programFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QString patterns = i + 1 < parts.size() ? parts[i + 1].trimmed() : QString();
        if (patterns.isEmpty()) patterns = QStringLiteral("*");
        patterns = unixPatterns(patterns.replace(QLatin1Char(';'), QLatin1Char(' ')));
        if (description.isEmpty() && patterns == QLatin1String("*") && i + 1 >= parts.size()) continue;
        if (description.contains(QLatin1Char('(')) && description.endsWith(QLatin1Char(')')))
            filters << withUnixPatterns(description);
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
