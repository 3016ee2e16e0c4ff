#include "platform/SharedAtomTable.h"

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

// Holds the file's lock for one call (nothing to lock for a table of this process alone).
class SharedAtomTable::Locked {
public:
    explicit Locked(int fd) : fd_(fd) {
        if (fd_ >= 0)
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~Locked() {
        if (fd_ >= 0) ::flock(fd_, LOCK_UN);
    }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    int fd_;
};

SharedAtomTable::SharedAtomTable(const QString& path) {
    if (!path.isEmpty()) {
        const QByteArray name = QFile::encodeName(path);
        fd_ = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    }
    if (fd_ >= 0) {
        Locked lock(fd_);
        struct stat info {};
        const auto size = static_cast<off_t>(AtomTable::kDataSize);
        const bool usable = ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::getuid() &&
                            (info.st_size >= size || ::ftruncate(fd_, size) == 0);
        if (usable) {
            void* map = ::mmap(nullptr, AtomTable::kDataSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
            if (map != MAP_FAILED) {
                map_ = map;
                table_.emplace(map_);
            }
        }
    }
    if (map_ == nullptr) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        own_.emplace();
    }
}

SharedAtomTable::~SharedAtomTable() {
    if (map_ != nullptr) ::munmap(map_, AtomTable::kDataSize);
    if (fd_ >= 0) ::close(fd_);
}

Atom SharedAtomTable::add(const QByteArray& name) {
    Locked lock(fd_);
    return own_ ? own_->table().add(name) : table_->add(name);
}

QByteArray SharedAtomTable::name(Atom atom, int bufferSize) {
    Locked lock(fd_);
    return own_ ? own_->table().name(atom, bufferSize) : table_->name(atom, bufferSize);
}

Atom SharedAtomTable::remove(Atom atom) {
    Locked lock(fd_);
    return own_ ? own_->table().remove(atom) : table_->remove(atom);
}

int SharedAtomTable::count() {
    Locked lock(fd_);
    return own_ ? own_->table().count() : table_->count();
}
