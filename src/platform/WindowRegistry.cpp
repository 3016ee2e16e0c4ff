#include "platform/WindowRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <limits>

namespace {

constexpr WindowHandle kFirstHandle = 0x0100;
constexpr WindowHandle kLastHandle = 0xFFFF;
constexpr qsizetype kLargestEntry = 1024;

// A real folder (not a link) of this user.
bool isOwnFolder(const QByteArray& path, struct stat* info) {
    return ::lstat(path.constData(), info) == 0 && S_ISDIR(info->st_mode) && info->st_uid == ::getuid();
}

// The folder exists (made now if need be), is a real folder of this user and nobody else may
// enter it.
bool makePrivateFolder(const QByteArray& path) {
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) return false;
    struct stat info {};
    if (!isOwnFolder(path, &info)) return false;
    if ((info.st_mode & 0077) != 0 && ::chmod(path.constData(), 0700) != 0) return false;
    return true;
}

QByteArray readSmallFile(const QString& path, struct stat* identity = nullptr) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return {};
    struct stat info {};
    QByteArray content;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::getuid()) {
        if (identity != nullptr) *identity = info;
        content.resize(kLargestEntry);
        const ssize_t got = ::read(fd, content.data(), static_cast<size_t>(kLargestEntry));
        content.resize(got > 0 ? got : 0);
    }
    ::close(fd);
    return content;
}

QByteArray entryContent(qint64 owner, const QString& socketPath, const QByteArray& className) {
    return QByteArray::number(owner) + '\n' + QFile::encodeName(socketPath) + '\n' + className;
}

bool writeNewFile(const QString& path, const QByteArray& content) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    const bool written = ::write(fd, content.constData(), static_cast<size_t>(content.size())) == content.size();
    ::close(fd);
    if (!written) ::unlink(name.constData());
    return written;
}

// A connection to a listening socket succeeds (or waits in its backlog) at once; a socket
// nobody listens on any more refuses it.
bool socketListens(const QString& socketPath) {
    const QByteArray path = QFile::encodeName(socketPath);
    sockaddr_un address {};
    if (path.size() >= static_cast<qsizetype>(sizeof address.sun_path)) return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const int result = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    const bool listens = result == 0 || errno == EAGAIN || errno == EINPROGRESS;
    ::close(fd);
    return listens;
}

}  // namespace

QString WindowRegistry::openFolder() {
    QByteArray path = qgetenv("FISKON_WINDOWS_DIR");
    if (path.isEmpty()) {
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        struct stat info {};
        if (!runtime.isEmpty() && isOwnFolder(runtime, &info)) {
            path = runtime + "/fiskon-windows";
        } else {
            path = QFile::encodeName(QDir::tempPath()) + "/fiskon-windows-" + QByteArray::number(::getuid());
        }
    }
    return makePrivateFolder(path) ? QFile::decodeName(path) : QString();
}

WindowRegistry::WindowRegistry(QString folder) : folder_(std::move(folder)) {}

QString WindowRegistry::entryPath(WindowHandle handle) const {
    return folder_ + QStringLiteral("/w%1").arg(handle, 4, 16, QLatin1Char('0'));
}

WindowHandle WindowRegistry::add(const QByteArray& className, const QString& socketPath) {
    if (folder_.isEmpty()) return 0;
    const QByteArray content = entryContent(::getpid(), socketPath, className);
    if (content.size() > kLargestEntry) return 0;
    const WindowHandle span = kLastHandle - kFirstHandle + 1;
    const WindowHandle start = QRandomGenerator::global()->bounded(span);
    for (WindowHandle step = 0; step < span; ++step) {
        const WindowHandle handle = kFirstHandle + (start + step) % span;
        if (writeNewFile(entryPath(handle), content)) return handle;
        if (errno != EEXIST) return 0;
        // A handle held by a dead process is free again.
        if (const auto entry = read(handle); entry && entry->owner != ::getpid() && !ownerAlive(*entry)) {
            removeStale(*entry);
            if (writeNewFile(entryPath(handle), content)) return handle;
        }
    }
    return 0;
}

void WindowRegistry::remove(WindowHandle handle) {
    if (!folder_.isEmpty()) ::unlink(QFile::encodeName(entryPath(handle)).constData());
}

std::optional<WindowRegistry::Entry> WindowRegistry::read(WindowHandle handle) const {
    if (folder_.isEmpty() || handle < kFirstHandle || handle > kLastHandle) return std::nullopt;
    struct stat identity {};
    const QByteArray content = readSmallFile(entryPath(handle), &identity);
    const qsizetype first = content.indexOf('\n');
    const qsizetype second = first < 0 ? -1 : content.indexOf('\n', first + 1);
    if (second < 0) return std::nullopt;
    bool numeric = false;
    Entry entry;
    entry.handle = handle;
    entry.owner = content.left(first).toLongLong(&numeric);
    entry.socketPath = QFile::decodeName(content.mid(first + 1, second - first - 1));
    entry.className = content.mid(second + 1);
    entry.device = static_cast<quint64>(identity.st_dev);
    entry.inode = static_cast<quint64>(identity.st_ino);
    if (!numeric || entry.owner <= 0 || entry.socketPath.isEmpty()) return std::nullopt;
    return entry;
}

std::vector<WindowRegistry::Entry> WindowRegistry::entries() const {
    std::vector<Entry> result;
    if (folder_.isEmpty()) return result;
    const QStringList names = QDir(folder_).entryList({QStringLiteral("w????")}, QDir::Files | QDir::System);
    for (const QString& name : names) {
        bool numeric = false;
        const uint handle = QStringView(name).mid(1).toUInt(&numeric, 16);
        if (!numeric) continue;
        if (auto entry = read(handle)) result.push_back(std::move(*entry));
    }
    return result;
}

bool WindowRegistry::ownerAlive(const Entry& entry) {
    if (entry.owner <= 0 || entry.owner > std::numeric_limits<pid_t>::max()) return false;
    if (::kill(static_cast<pid_t>(entry.owner), 0) != 0) return false;
    return socketListens(entry.socketPath);
}

void WindowRegistry::removeStale(const Entry& entry) {
    if (folder_.isEmpty()) return;
    // Another process may clean up the same entry and claim the handle between our reading and
    // our removing: the entry is first moved aside under a name of our own (atomic), and only
    // when the file moved is the one read is it removed; a fresh entry goes back in its place.
    const QByteArray path = QFile::encodeName(entryPath(entry.handle));
    const QByteArray aside = QFile::encodeName(
        folder_ + QStringLiteral("/stale-%1-%2").arg(::getpid()).arg(QRandomGenerator::global()->generate64(), 0, 16));
    if (::rename(path.constData(), aside.constData()) != 0) return;  // gone already
    // The same file (an inode may be reused at once, so its content too).
    struct stat moved {};
    const QByteArray content = readSmallFile(QFile::decodeName(aside), &moved);
    const bool same = static_cast<quint64>(moved.st_dev) == entry.device &&
                      static_cast<quint64>(moved.st_ino) == entry.inode &&
                      content == entryContent(entry.owner, entry.socketPath, entry.className);
    if (!same) {
        // Put back without replacing: should a third process have claimed the handle too, its
        // entry is the one that stays.
        if (::renameat2(AT_FDCWD, aside.constData(), AT_FDCWD, path.constData(), RENAME_NOREPLACE) != 0)
            ::unlink(aside.constData());
        return;
    }
    ::unlink(aside.constData());
    const bool ownerGone = entry.owner > 0 && entry.owner <= std::numeric_limits<pid_t>::max() &&
                           ::kill(static_cast<pid_t>(entry.owner), 0) != 0;
    // Only a socket in our own folder, of a process that is gone.
    if (ownerGone && QFileInfo(entry.socketPath).absolutePath() == QFileInfo(folder_).absoluteFilePath())
        ::unlink(QFile::encodeName(entry.socketPath).constData());
}
