#include "store/FileErrorText.h"

#include <QDir>

#include <cerrno>

namespace file_error_text {

QString reasonForErrno(int errorNumber, const QString& fallback) {
    switch (errorNumber) {
    case ENOSPC: return QStringLiteral("brak miejsca na dysku");
#ifdef EDQUOT
    case EDQUOT: return QStringLiteral("przekroczono przydział miejsca na dysku");
#endif
    case EACCES:
    case EPERM: return QStringLiteral("brak uprawnień dostępu");
    case EROFS: return QStringLiteral("dysk jest tylko do odczytu");
    case ENOENT: return QStringLiteral("folder lub plik nie istnieje");
    case EISDIR: return QStringLiteral("wskazano folder, a nie plik");
    case EIO: return QStringLiteral("błąd wejścia/wyjścia urządzenia");
    case EFBIG: return QStringLiteral("plik jest za duży");
    case ENAMETOOLONG: return QStringLiteral("nazwa pliku jest za długa");
    case ENOSYS:
    case EOPNOTSUPP: return QStringLiteral("system plików tego dysku nie obsługuje potrzebnej operacji");
    default: break;
    }
    return fallback.isEmpty() ? QStringLiteral("nieznany błąd systemu") : fallback;
}

QString cannotRead(const QString& fileName, const QString& reason) {
    return QStringLiteral("Nie można odczytać pliku „%1”: %2.").arg(QDir::toNativeSeparators(fileName), reason);
}

QString cannotWrite(const QString& fileName, const QString& reason) {
    return QStringLiteral("Nie można zapisać pliku „%1”: %2.").arg(QDir::toNativeSeparators(fileName), reason);
}

}  // namespace file_error_text
