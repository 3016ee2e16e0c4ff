#include "store/WholeFileReader.h"

#include "store/FileErrorText.h"
#include "store/FileErrors.h"
#include "store/PolishPlural.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void fail(const QString& fileName, const QString& reason) {
    throw FileError(file_error_text::cannotRead(fileName, reason));
}

// What a name that is neither a folder nor a regular file stands for (it is never opened: a pipe
// would wait for a writer).
QString NotRegularFileReason(const QString& fileName) {
    struct stat status {};
    if (::stat(QFile::encodeName(fileName).constData(), &status) == 0) {
        if (S_ISFIFO(status.st_mode)) return QStringLiteral("to potok nazwany (FIFO), a nie zwykły plik");
        if (S_ISSOCK(status.st_mode)) return QStringLiteral("to gniazdo, a nie zwykły plik");
        if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode)) return QStringLiteral("to urządzenie, a nie zwykły plik");
    }
    return QStringLiteral("to nie jest zwykły plik");
}

// The limit as it is: in MB when it is a whole number of them, else in KB or in bytes (a limit
// below a megabyte must not read as "0 MB").
QString sizeLimitText(std::int64_t bytes) {
    constexpr std::int64_t kKilobyte = 1024;
    constexpr std::int64_t kMegabyte = 1024 * kKilobyte;
    if (bytes >= kMegabyte && bytes % kMegabyte == 0) return QStringLiteral("%1 MB").arg(bytes / kMegabyte);
    if (bytes >= kKilobyte && bytes % kKilobyte == 0) return QStringLiteral("%1 KB").arg(bytes / kKilobyte);
    return QStringLiteral("%1 %2").arg(bytes).arg(
        PolishPlural(bytes, QStringLiteral("bajt"), QStringLiteral("bajty"), QStringLiteral("bajtów")));
}

QString tooBig(std::int64_t maxBytes) {
    return QStringLiteral("plik jest za duży (więcej niż %1)").arg(sizeLimitText(maxBytes));
}

// Reads the file into `bytes` (a std::string or a FileBytes).
template <typename Bytes>
std::optional<Bytes> readWhole(const QString& fileName, std::int64_t maxBytes) {
    const QFileInfo info(fileName);
    if (!info.exists()) {
        if (info.isSymLink()) fail(fileName, QStringLiteral("dowiązanie wskazuje nieistniejący plik"));
        return std::nullopt;
    }
    if (info.isDir()) fail(fileName, QStringLiteral("wskazano folder, a nie plik"));
    if (!info.isFile()) fail(fileName, NotRegularFileReason(fileName));
    if (info.size() > maxBytes) fail(fileName, tooBig(maxBytes));

    // Opened without waiting and checked again once open: a pipe put in the file's place after it
    // was looked at must neither block the program nor be read.
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int errorNumber = errno;
        fail(fileName, file_error_text::reasonForErrno(errorNumber, QString::fromLocal8Bit(std::strerror(errorNumber))));
    }
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        fail(fileName, NotRegularFileReason(fileName));
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        fail(fileName, file.errorString());
    }
    // The file may have grown since it was measured: never read beyond the limit.
    Bytes bytes;
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

}  // namespace

void FileBytes::resize(std::size_t size) {
    if (size > capacity_) {
        // A file that grows while read grows its buffer by doubling, as a string would.
        const std::size_t capacity = capacity_ == 0 ? size : std::max(size, 2 * capacity_);
        std::unique_ptr<char[]> larger = std::make_unique_for_overwrite<char[]>(capacity);
        if (size_ > 0) std::memcpy(larger.get(), data_.get(), size_);
        data_ = std::move(larger);
        capacity_ = capacity;
    }
    size_ = size;
}

void FileBytes::append(const char* bytes, std::size_t count) {
    const std::size_t at = size_;
    resize(size_ + count);
    std::memcpy(data_.get() + at, bytes, count);
}

std::optional<std::string> ReadWholeFile(const QString& fileName, std::int64_t maxBytes) {
    return readWhole<std::string>(fileName, maxBytes);
}

std::optional<FileBytes> ReadWholeFileBytes(const QString& fileName, std::int64_t maxBytes) {
    return readWhole<FileBytes>(fileName, maxBytes);
}
