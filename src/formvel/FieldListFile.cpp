#include "formvel/FieldListFile.h"

#include "formvel/FieldListText.h"
#include "forms/ControlCharacters.h"
#include "store/Cp1250.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

std::optional<QByteArray> ReadFieldListFile(const QString& path, QString* problem) {
    const QString shown = EscapeControlCharacters(QDir::toNativeSeparators(path));
    const QFileInfo info(path);
    if (!info.exists()) {
        *problem = QStringLiteral("plik listy pól %1 nie istnieje.").arg(shown);
        return std::nullopt;
    }
    if (info.isDir()) {
        *problem = QStringLiteral("%1 jest folderem, a nie plikiem listy pól.").arg(shown);
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = QStringLiteral("nie można otworzyć pliku listy pól %1 (brak uprawnień?).").arg(shown);
        return std::nullopt;
    }
    const QByteArray text = FieldListFileText(file.readAll());
    int badLine = 0;
    if (!ParseFieldList(text, &badLine)) {
        const QByteArray line = text.split('\n').value(badLine - 1).trimmed().left(60);
        *problem = QStringLiteral("wiersz %1 pliku %2 nie jest przypisaniem pola w rodzaju „p19=NOWAK”: „%3”.")
                       .arg(badLine)
                       .arg(shown, EscapeControlCharacters(cp1250::toUnicode(std::string_view(line.constData(), line.size()))));
        return std::nullopt;
    }
    return text;
}
