#include "store/FolderCreation.h"

#include "store/FileErrorText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

QString CreateFolderPath(const QString& path) {
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    // Each folder from the root down: one that exists is passed, a missing one made.
    qsizetype at = 0;
    while (at >= 0) {
        at = absolute.indexOf(u'/', at + 1);
        const QString folder = at < 0 ? absolute : absolute.left(at);
        if (folder.isEmpty()) continue;
        const QByteArray name = QFile::encodeName(folder);
        struct stat status {};
        if (::stat(name.constData(), &status) == 0) {
            if (S_ISDIR(status.st_mode)) continue;
            return QStringLiteral("„%1” jest plikiem, a nie folderem").arg(QDir::toNativeSeparators(folder));
        }
        if (::mkdir(name.constData(), 0777) == 0) continue;
        const int error = errno;
        if (error == EEXIST && ::stat(name.constData(), &status) == 0 && S_ISDIR(status.st_mode)) continue;
        return file_error_text::reasonForErrno(error, QString::fromLocal8Bit(std::strerror(error)));
    }
    return {};
}
