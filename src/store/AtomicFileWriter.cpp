#include "store/AtomicFileWriter.h"

#include "store/FileErrorText.h"
#include "store/FileErrors.h"

#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>

namespace {

WriteDeviceWrapper& deviceWrapper() {
    static WriteDeviceWrapper wrapper;
    return wrapper;
}

[[noreturn]] void fail(const QString& fileName, const QString& reason) {
    throw FileError(file_error_text::cannotWrite(fileName, reason));
}

// Why what stands at the target must not be replaced; empty when nothing stands in the way. A
// device or a pipe is left as it is, and so is a file marked read-only (no write permission for its
// owner), even for a user whose rights would allow replacing it.
QString refusalOf(const QFileInfo& target) {
    if (target.isDir()) return QStringLiteral("wskazano folder, a nie plik");
    if (target.exists() && !target.isFile()) return QStringLiteral("to nie jest zwykły plik");
    if (target.isFile() && (!target.isWritable() || !(target.permissions() & QFileDevice::WriteOwner)))
        return QStringLiteral("plik jest tylko do odczytu");
    if (target.isSymLink() && !target.exists()) return QStringLiteral("dowiązanie symboliczne wskazuje plik, którego nie ma");
    return QString();
}

// Why the temporary file could not be made, judged from the target and its folder first (more
// telling than the errno of the temporary file) and from errno otherwise.
QString openFailureReason(const QFileInfo& target, int errorNumber, const QString& platformText) {
    if (const QString refusal = refusalOf(target); !refusal.isEmpty()) return refusal;
    const QFileInfo folder(target.absolutePath());
    if (!folder.exists()) return QStringLiteral("folder „%1” nie istnieje").arg(folder.filePath());
    if (!folder.isDir()) return QStringLiteral("„%1” nie jest folderem").arg(folder.filePath());
    if (!folder.isWritable()) return QStringLiteral("brak uprawnień do zapisu w folderze „%1”").arg(folder.filePath());
    return file_error_text::reasonForErrno(errorNumber, platformText);
}

}  // namespace

ScopedWriteDeviceWrapper::ScopedWriteDeviceWrapper(WriteDeviceWrapper wrapper)
    : previous_(std::exchange(deviceWrapper(), std::move(wrapper))) {}

ScopedWriteDeviceWrapper::~ScopedWriteDeviceWrapper() { deviceWrapper() = std::move(previous_); }

void WriteFileAtomically(const QString& fileName, const std::function<std::string_view()>& nextChunk) {
    const QFileInfo target(fileName);
    if (const QString refusal = refusalOf(target); !refusal.isEmpty()) fail(fileName, refusal);

    QSaveFile file(fileName);  // an uncommitted save file is removed, the target untouched
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        const int errorNumber = errno;
        fail(fileName, openFailureReason(target, errorNumber, file.errorString()));
    }

    std::unique_ptr<QIODevice> wrapped;
    if (deviceWrapper()) {
        wrapped = deviceWrapper()(file);
        if (!wrapped->isOpen()) wrapped->open(QIODevice::WriteOnly);
    }
    QIODevice& device = wrapped ? *wrapped : static_cast<QIODevice&>(file);

    for (std::string_view bytes = nextChunk(); !bytes.empty(); bytes = nextChunk()) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            errno = 0;
            const qint64 written = device.write(bytes.data() + done, static_cast<qint64>(bytes.size() - done));
            if (written <= 0) {
                const int errorNumber = errno;
                const QString platformText = device.errorString();
                file.cancelWriting();
                fail(fileName, file_error_text::reasonForErrno(errorNumber, platformText));
            }
            done += static_cast<std::size_t>(written);
        }
    }
    wrapped.reset();

    errno = 0;
    if (!file.commit()) {  // flushes the data to the disk, then renames
        const int errorNumber = errno;
        fail(fileName, file_error_text::reasonForErrno(errorNumber, file.errorString()));
    }
}

void WriteFileAtomically(const QString& fileName, std::string_view bytes) {
    constexpr std::size_t kChunk = 1 << 20;
    WriteFileAtomically(fileName, [&bytes]() {
        const std::string_view chunk = bytes.substr(0, kChunk);
        bytes.remove_prefix(chunk.size());
        return chunk;
    });
}
