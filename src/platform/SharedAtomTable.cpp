#include "platform/SharedAtomTable.h"

#include <QElapsedTimer>
#include <QFile>

#include <atomic>
#include <cerrno>
#include <limits>
#include <sched.h>
#include <signal.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Holds the file's lock (flock) while the table is set up.
class FileLock {
public:
    explicit FileLock(int fd) : fd_(fd) {
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~FileLock() { ::flock(fd_, LOCK_UN); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_;
};

// This thread's id (kept: asking the system costs a call each time).
std::uint32_t threadId() {
    thread_local const auto id = static_cast<std::uint32_t>(::gettid());
    return id;
}

// True when no thread of that id lives any more.
bool threadGone(std::uint32_t pid) {
    return pid > static_cast<std::uint32_t>(std::numeric_limits<pid_t>::max()) ||
           (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH);
}

}  // namespace

// Holds the table for one call: the lock word in the table holds the holder's thread id. A
// holder that has died, or one that holds it far longer than any call takes (a damaged word),
// loses it. No system call is made while nobody else holds the table.
class SharedAtomTable::Locked {
public:
    explicit Locked(std::uint32_t* word) : word_(word) {
        if (word_ == nullptr) return;
        const std::uint32_t me = threadId();
        std::atomic_ref<std::uint32_t> owner(*word_);
        QElapsedTimer waited;
        for (int attempt = 0;; ++attempt) {
            std::uint32_t holder = 0;
            if (owner.compare_exchange_weak(holder, me, std::memory_order_acquire)) return;
            if (holder == me) {  // left by an earlier thread with our id
                std::atomic_thread_fence(std::memory_order_acquire);
                return;
            }
            if (attempt < 64) continue;
            if (attempt == 64) waited.start();
            if ((attempt % 64 == 0 && holder != 0 && threadGone(holder)) || waited.hasExpired(kLongestHoldMs)) {
                if (owner.compare_exchange_strong(holder, me, std::memory_order_acquire)) return;
                waited.restart();
            }
            if (attempt < 1000) {
                sched_yield();
            } else {
                ::usleep(50);
            }
        }
    }
    ~Locked() {
        if (word_ == nullptr) return;
        std::uint32_t me = threadId();
        std::atomic_ref<std::uint32_t>(*word_).compare_exchange_strong(me, 0, std::memory_order_release);
    }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    static constexpr int kLongestHoldMs = 2000;
    std::uint32_t* word_;
};

SharedAtomTable::SharedAtomTable(const QString& path) {
    int fd = -1;
    if (!path.isEmpty()) {
        const QByteArray name = QFile::encodeName(path);
        fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    }
    if (fd >= 0) {
        FileLock lock(fd);
        struct stat info {};
        const auto size = static_cast<off_t>(AtomTable::kDataSize);
        const bool usable = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::getuid() &&
                            (info.st_size >= size || ::ftruncate(fd, size) == 0);
        if (usable) {
            void* map = ::mmap(nullptr, AtomTable::kDataSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
            if (map != MAP_FAILED) {
                map_ = map;
                table_.emplace(map_);
            }
        }
    }
    if (fd >= 0) ::close(fd);
    if (map_ == nullptr) own_.emplace();
}

SharedAtomTable::~SharedAtomTable() {
    if (map_ != nullptr) ::munmap(map_, AtomTable::kDataSize);
}

Atom SharedAtomTable::add(const QByteArray& name) {
    Locked lock(lockWord());
    return own_ ? own_->table().add(name) : table_->add(name);
}

QByteArray SharedAtomTable::name(Atom atom, int bufferSize) {
    Locked lock(lockWord());
    return own_ ? own_->table().name(atom, bufferSize) : table_->name(atom, bufferSize);
}

Atom SharedAtomTable::remove(Atom atom) {
    Locked lock(lockWord());
    return own_ ? own_->table().remove(atom) : table_->remove(atom);
}

int SharedAtomTable::count() {
    Locked lock(lockWord());
    return own_ ? own_->table().count() : table_->count();
}

std::uint32_t* SharedAtomTable::lockWord() { return table_ ? table_->lockWord() : nullptr; }
