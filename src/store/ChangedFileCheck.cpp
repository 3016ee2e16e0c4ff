#include "store/ChangedFileCheck.h"

#include "store/SameFile.h"

#include <QDir>
#include <QFileInfo>

namespace {

bool SameFileName(const QString& stampedFile, const QString& target) {
    if (stampedFile.isEmpty() || target.isEmpty()) return false;
    // A deleted file is still the same name.
    return QFileInfo(stampedFile).absoluteFilePath() == QFileInfo(target).absoluteFilePath() ||
           IsSameFile(stampedFile, target);
}

}  // namespace

ChangeSinceStamp ChangeBeforeSave(const QString& stampedFile, const FileStamp& stamp, const QString& target) {
    if (!stamp.known || !SameFileName(stampedFile, target)) return ChangeSinceStamp::None;
    switch (CompareWithDisk(stamp, stampedFile)) {
    case DiskChange::Unchanged: return ChangeSinceStamp::None;
    case DiskChange::Changed: return ChangeSinceStamp::Changed;
    case DiskChange::Deleted: return ChangeSinceStamp::Deleted;
    }
    return ChangeSinceStamp::None;
}

bool StampFollowsSave(const QString& stampedFile, const FileStamp& stamp, const QString& target) {
    return stamp.known && SameFileName(stampedFile, target) &&
           CompareWithDisk(stamp, stampedFile) == DiskChange::Unchanged;
}

QString ChangedFileMessage(ChangeSinceStamp change, const QString& fileName) {
    const QString name = QDir::toNativeSeparators(fileName);
    if (change == ChangeSinceStamp::Deleted)
        return QStringLiteral("Plik „%1” został usunięty przez inny program po otwarciu go w programie Fiskon.")
            .arg(name);
    return QStringLiteral("Plik „%1” został zmieniony przez inny program po otwarciu go w programie Fiskon.").arg(name);
}

QStringList ChangedFileChoices(ChangeSinceStamp change) {
    return {change == ChangeSinceStamp::Deleted ? QStringLiteral("Zapisz") : QStringLiteral("Zastąp"), QStringLiteral("Zapisz pod inną nazwą…"), QStringLiteral("Anuluj")};
}

ChangedFileAnswer ChangedFileAnswerAt(int index) {
    switch (index) {
    case 0: return ChangedFileAnswer::Replace;
    case 1: return ChangedFileAnswer::SaveElsewhere;
    default: return ChangedFileAnswer::Cancel;
    }
}
