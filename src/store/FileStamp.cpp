#include "store/FileStamp.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FileStamp FileStamp::ofBytes(std::string_view bytes) {
    FileStampMaker maker;
    maker.add(bytes);
    return maker.finish();
}

FileStampMaker::FileStampMaker() : hash_(QCryptographicHash::Sha256) {}

void FileStampMaker::add(std::string_view bytes) {
    hash_.addData(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    size_ += static_cast<std::int64_t>(bytes.size());
}

FileStamp FileStampMaker::finish() {
    FileStamp stamp;
    stamp.known = true;
    stamp.size = size_;
    stamp.sha256 = hash_.result();
    return stamp;
}

namespace {

// Closes a descriptor however the comparison ends.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

DiskChange CompareWithDisk(const FileStamp& stamp, const QString& fileName) {
    if (!stamp.known) return DiskChange::Unchanged;
    const QByteArray path = QFile::encodeName(fileName);
    struct stat named {};
    if (::stat(path.constData(), &named) != 0) return errno == ENOENT ? DiskChange::Deleted : DiskChange::Changed;
    if (!S_ISREG(named.st_mode) || named.st_size != stamp.size) return DiskChange::Changed;
    // Opened without waiting, as the readers open: a pipe put there since must not block.
    const Descriptor fd(::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) return errno == ENOENT ? DiskChange::Deleted : DiskChange::Changed;
    struct stat opened {};
    if (::fstat(fd.get(), &opened) != 0 || !S_ISREG(opened.st_mode)) return DiskChange::Changed;
    FileStampMaker maker;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            return DiskChange::Changed;  // what cannot be read cannot be shown to be the same
        }
        if (got == 0) break;
        maker.add(std::string_view(buffer, static_cast<std::size_t>(got)));
        if (maker.size() > stamp.size) return DiskChange::Changed;  // it grows while read
    }
    const FileStamp now = maker.finish();
    return now.size == stamp.size && now.sha256 == stamp.sha256 ? DiskChange::Unchanged : DiskChange::Changed;
}
