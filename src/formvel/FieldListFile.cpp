#include "formvel/FieldListFile.h"

#include "formvel/FieldListText.h"
#include "forms/ControlCharacters.h"
#include "store/Cp1250.h"
#include "store/FileErrors.h"
#include "store/WholeFileReader.h"

#include <QDir>

std::optional<QByteArray> ReadFieldListFile(const QString& path, QString* problem) {
    const QString shown = EscapeControlCharacters(QDir::toNativeSeparators(path));
    std::optional<std::string> bytes;
    try {
        // Regular files only, read whole up to the limit: a device or a pipe is refused before it
        // is opened, and an endless or growing file never fills the memory.
        bytes = ReadWholeFile(path, kMaxFieldListFileBytes);
    } catch (const FileError& error) {
        *problem = EscapeControlCharacters(error.message());
        return std::nullopt;
    }
    if (!bytes) {
        *problem = QStringLiteral("plik listy pól %1 nie istnieje.").arg(shown);
        return std::nullopt;
    }
    const QByteArray text = FieldListFileText(QByteArray::fromStdString(*bytes));
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
