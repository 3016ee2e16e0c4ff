#include "cli/SecretFile.h"

#include "store/FileErrors.h"
#include "store/WholeFileReader.h"

#include <QStringDecoder>

#include <string_view>

QByteArray ReadSecretFile(const QString& path, const QString& what, const QString& use) {
    constexpr std::int64_t kMostBytes = 64 * 1024;
    const std::optional<std::string> bytes = ReadWholeFile(path, kMostBytes);
    if (!bytes) throw FileError(QStringLiteral("Nie ma pliku %1 „%2”.").arg(what, path));
    if (bytes->find('\0') != std::string::npos)
        throw FileError(QStringLiteral("Plik %1 „%2” zawiera bajt zerowy (NUL): to nie jest plik tekstowy, "
                                       "nie ma czym %3.")
                            .arg(what, path, use));
    std::string_view line(*bytes);
    line = line.substr(0, line.find('\n'));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    QStringDecoder utf8(QStringConverter::Utf8);  // a byte-order mark in front is no part of the secret
    const QString secret = utf8.decode(QByteArrayView(line.data(), static_cast<qsizetype>(line.size())));
    if (utf8.hasError())
        throw FileError(QStringLiteral("Pierwszy wiersz pliku %1 „%2” nie jest tekstem w UTF-8: byłby inny "
                                       "niż ten, który się wpisuje.")
                            .arg(what, path));
    if (secret.isEmpty())
        throw FileError(QStringLiteral("Pierwszy wiersz pliku %1 „%2” jest pusty: nie ma czym %3.").arg(what, path, use));
    return secret.toUtf8();
}

