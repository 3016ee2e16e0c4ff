#include "ui/HelpLocation.h"

#include <QDir>
#include <QFileInfo>

namespace {

bool hasContentsPage(const QString& folder) {
    return !folder.isEmpty() && QFileInfo(QDir(folder).filePath(QStringLiteral("index.html"))).isFile();
}

}  // namespace

QString findHelpFolder(const QString& installedFolder, const QString& programFolder) {
    if (hasContentsPage(installedFolder)) return QDir(installedFolder).absolutePath();
    if (programFolder.isEmpty()) return {};
    QDir dir(programFolder);
    for (int depth = 0; depth < 8; ++depth) {
        const QString candidate = dir.filePath(QStringLiteral("resources/help"));
        if (hasContentsPage(candidate)) return QDir(candidate).absolutePath();
        if (!dir.cdUp()) break;
    }
    return {};
}

QUrl helpTopicUrl(const QString& helpFolder, const QString& topic) {
    const QDir dir(helpFolder);
    const QString trimmed = topic.trimmed();
    if (!trimmed.isEmpty()) {
        const QString page = dir.filePath(trimmed + QStringLiteral(".html"));
        if (QFileInfo(page).isFile()) return QUrl::fromLocalFile(page);
    }
    QUrl url = QUrl::fromLocalFile(dir.filePath(QStringLiteral("index.html")));
    if (!trimmed.isEmpty()) url.setFragment(trimmed);
    return url;
}
