#include "store/WholeFileReader.h"

#include "store/FileErrorText.h"
#include "store/FileErrors.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace {

[[noreturn]] void fail(const QString& fileName, const QString& reason) {
    throw FileError(file_error_text::cannotRead(fileName, reason));
}

QString tooBig(std::int64_t maxBytes) {
    return QStringLiteral("plik jest za duży (więcej niż %1 MB)").arg(maxBytes / (1024 * 1024));
}

}  // namespace

std::optional<std::string> ReadWholeFile(const QString& fileName, std::int64_t maxBytes) {
    const QFileInfo info(fileName);
    if (!info.exists()) {
        if (info.isSymLink()) fail(fileName, QStringLiteral("dowiązanie wskazuje nieistniejący plik"));
        return std::nullopt;
    }
    if (info.isDir()) fail(fileName, QStringLiteral("wskazano folder, a nie plik"));
    if (!info.isFile()) fail(fileName, QStringLiteral("to nie jest zwykły plik"));
    if (info.size() > maxBytes) fail(fileName, tooBig(maxBytes));

    QFile file(fileName);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        const int errorNumber = errno;
        fail(fileName, file_error_text::reasonForErrno(errorNumber, file.errorString()));
    }
    // The file may have grown since it was measured: never read beyond the limit.
    std::string bytes;
    bytes.resize(static_cast<std::size_t>(info.size()));
    std::int64_t done = 0;
    auto readInto = [&](char* at, qint64 room) {
        errno = 0;
        const qint64 got = file.read(at, room);
        if (got < 0) {
            const int errorNumber = errno;
            fail(fileName, file_error_text::reasonForErrno(errorNumber, file.errorString()));
        }
        return got;
    };
    for (;;) {
        if (done == static_cast<std::int64_t>(bytes.size())) {
            if (done > maxBytes) fail(fileName, tooBig(maxBytes));
            // The file is as long as it was measured, or it grew: a small read tells which,
            // without moving the bytes read so far to a larger buffer for nothing.
            char probe[4096];
            const qint64 more = readInto(probe, static_cast<qint64>(sizeof probe));
            if (more == 0) break;
            bytes.append(probe, static_cast<std::size_t>(more));
            done += more;
            bytes.resize(bytes.size() + 64 * 1024);
        }
        const qint64 got = readInto(bytes.data() + done, static_cast<qint64>(bytes.size()) - done);
        if (got == 0) break;
        done += got;
    }
    if (done > maxBytes) fail(fileName, tooBig(maxBytes));
    bytes.resize(static_cast<std::size_t>(done));
    return bytes;
}
