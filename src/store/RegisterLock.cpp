#include "store/RegisterLock.h"

#include "platform/ProcessIdentity.h"
#include "store/AtomicFileWriter.h"
#include "store/FileErrors.h"
#include "store/IniLines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSysInfo>

#include <cerrno>
#include <cstdio>
#include <limits>
#include <map>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kMaxLockBytes = 4096;

// One line of the mark: a value never breaks it.
std::string oneLine(const QString& value) {
    QString text = value;
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text.toStdString();
}

QString loginName() {
    if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_name && *entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    const QString user = qEnvironmentVariable("USER");
    return user.isEmpty() ? QStringLiteral("uid %1").arg(::geteuid()) : user;
}

// What a mark says.
struct LockContent {
    bool valid = false;
    QString user;
    QString host;
    QByteArray machineId;
    qint64 pid = 0;
    quint64 started = 0;
    QByteArray bootId;
    QDateTime openedAt;
};

LockContent parse(std::string_view bytes) {
    std::map<std::string, std::string> keys;
    bool inSection = false;
    ini_lines::scan(bytes, [&](const ini_lines::Line& line) {
        if (line.kind == ini_lines::Kind::Section) inSection = line.name == "Fiskon";
        else if (inSection && line.kind == ini_lines::Kind::Key) keys[std::string(line.name)] = std::string(line.value);
    });
    auto text = [&](const char* key) { return QString::fromStdString(keys[key]); };
    LockContent content;
    bool pidNumber = false;
    content.pid = text("Proces").toLongLong(&pidNumber);
    content.user = text("Uzytkownik");
    content.host = text("Komputer");
    content.machineId = QByteArray::fromStdString(keys["IdKomputera"]);
    content.started = text("StartProcesu").toULongLong();
    content.bootId = QByteArray::fromStdString(keys["Uruchomienie"]);
    content.openedAt = QDateTime::fromString(text("Otwarto"), Qt::ISODate);
    content.valid = pidNumber && content.pid > 0 && !content.host.isEmpty();
    return content;
}

LockContent ownContent() {
    LockContent own;
    own.valid = true;
    own.user = loginName();
    own.host = QSysInfo::machineHostName();
    own.machineId = QSysInfo::machineUniqueId();
    own.pid = ::getpid();
    own.started = IdentifyProcess(own.pid).started;
    own.bootId = QSysInfo::bootUniqueId();
    own.openedAt = QDateTime::currentDateTime();
    return own;
}

std::string serialize(const LockContent& content) {
    std::string text = "[Fiskon]\r\n";
    auto line = [&](const char* key, const std::string& value) { text += key + ("=" + value) + "\r\n"; };
    line("Uzytkownik", oneLine(content.user));
    line("Komputer", oneLine(content.host));
    line("IdKomputera", oneLine(QString::fromLatin1(content.machineId)));
    line("Proces", std::to_string(content.pid));
    line("StartProcesu", std::to_string(content.started));
    line("Uruchomienie", oneLine(QString::fromLatin1(content.bootId)));
    line("Otwarto", content.openedAt.toString(Qt::ISODate).toStdString());
    text += "\r\n";
    return text;
}

bool sameComputer(const LockContent& content) {
    const QByteArray machine = QSysInfo::machineUniqueId();
    if (!machine.isEmpty() && !content.machineId.isEmpty()) return machine == content.machineId;
    return content.host == QSysInfo::machineHostName();
}

bool ofThisProcess(const LockContent& content) {
    return sameComputer(content) && content.pid == ::getpid() &&
           (content.started == 0 || content.started == IdentifyProcess(::getpid()).started);
}

// A mark of this computer whose process is gone. A process that runs but cannot be looked at (of
// another user, /proc hidden) counts as alive.
bool stale(const LockContent& content) {
    if (!sameComputer(content)) return false;
    const QByteArray boot = QSysInfo::bootUniqueId();
    if (!boot.isEmpty() && !content.bootId.isEmpty() && boot != content.bootId) return true;
    if (content.pid > std::numeric_limits<pid_t>::max()) return true;
    if (::kill(static_cast<pid_t>(content.pid), 0) != 0) return errno == ESRCH;
    const quint64 now = IdentifyProcess(content.pid).started;
    return content.started != 0 && now != 0 && now != content.started;
}

// The mark's bytes, not following a link; std::nullopt when there is none.
std::optional<std::string> readMark(const QString& lockFile, bool* other = nullptr) {
    const int fd = ::open(QFile::encodeName(lockFile).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return std::nullopt;
        if (other) *other = true;  // a link, or a mark we may not read: someone's, not ours
        return std::string();
    }
    std::string bytes(kMaxLockBytes, '\0');
    struct stat status {};
    ssize_t got = 0;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        do got = ::read(fd, bytes.data(), bytes.size());
        while (got < 0 && errno == EINTR);
    }
    ::close(fd);
    bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return bytes;
}

QString uniqueSuffix() {
    return QStringLiteral("%1-%2").arg(::getpid()).arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
}

enum class Made { Yes, Exists, Failed };

// The mark made whole under a name of its own, then given the lock name only where none stands.
Made makeMark(const QString& lockFile, const std::string& content) {
    const QString staging = lockFile + QLatin1Char('.') + uniqueSuffix();
    try {
        WriteFileAtomically(staging, content, FileWriteOptions{true, mode_t{0644}});
    } catch (const FileError&) {
        return Made::Failed;
    }
    const QByteArray from = QFile::encodeName(staging);
    const QByteArray to = QFile::encodeName(lockFile);
    Made made = Made::Failed;
    if (::link(from.constData(), to.constData()) == 0) {
        made = Made::Yes;
    } else if (errno == EEXIST) {
        made = Made::Exists;
    } else if (errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS || errno == EMLINK) {
        // No hard links here: a rename that never replaces gives the same.
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) return Made::Yes;
        if (errno == EEXIST) made = Made::Exists;
    }
    ::unlink(from.constData());
    return made;
}

// Clears a stale mark away, unless another Fiskon made a new one in its place meanwhile: the mark
// is first moved aside, and put back when it is not the one judged stale.
void removeStale(const QString& lockFile, const std::string& staleBytes) {
    const QString aside = lockFile + QLatin1Char('.') + uniqueSuffix();
    const QByteArray from = QFile::encodeName(lockFile);
    const QByteArray to = QFile::encodeName(aside);
    if (::rename(from.constData(), to.constData()) != 0) return;
    if (readMark(aside) != staleBytes) (void)::link(to.constData(), from.constData());
    ::unlink(to.constData());
}

}  // namespace

QString OpenedElsewhereQuestion(const LockHolder& holder, const QString& dataFile) {
    const QString name = QDir::toNativeSeparators(dataFile);
    if (!holder.readable)
        return QStringLiteral("Plik „%1” jest oznaczony jako otwarty w innym programie (plik „%2”). Otworzyć go mimo to?")
            .arg(name, QFileInfo(RegisterLock::lockFileName(dataFile)).fileName());
    QString who = holder.user.isEmpty() ? QStringLiteral("na komputerze %1").arg(holder.host)
                                        : QStringLiteral("przez użytkownika %1 na komputerze %2").arg(holder.user, holder.host);
    if (holder.openedAt.isValid())
        who += QStringLiteral(" od %1").arg(holder.openedAt.toLocalTime().toString(QStringLiteral("dd-MM-yyyy HH:mm")));
    return QStringLiteral("Plik „%1” jest otwarty w programie Fiskon %2. Zmiany zapisane w jednym z programów mogą "
                          "zastąpić zmiany zapisane w drugim. Otworzyć go mimo to?")
        .arg(name, who);
}

RegisterLock::~RegisterLock() { release(); }

RegisterLock::RegisterLock(RegisterLock&& other) noexcept
    : dataFile_(std::exchange(other.dataFile_, QString())),
      lockFile_(std::exchange(other.lockFile_, QString())),
      content_(std::exchange(other.content_, std::string())) {}

RegisterLock& RegisterLock::operator=(RegisterLock&& other) noexcept {
    if (this != &other) {
        release();
        dataFile_ = std::exchange(other.dataFile_, QString());
        lockFile_ = std::exchange(other.lockFile_, QString());
        content_ = std::exchange(other.content_, std::string());
    }
    return *this;
}

QString RegisterLock::lockFileName(const QString& dataFile) {
    const QFileInfo info(dataFile);
    return QDir(info.absolutePath()).filePath(QStringLiteral(".~lock.") + info.fileName() + QLatin1Char('#'));
}

std::optional<LockHolder> RegisterLock::otherHolder(const QString& dataFile) {
    bool other = false;
    const std::optional<std::string> bytes = readMark(lockFileName(dataFile), &other);
    if (!bytes) return std::nullopt;
    const LockContent content = parse(*bytes);
    LockHolder holder;
    if (other || !content.valid) {
        holder.readable = false;
        return holder;
    }
    if (ofThisProcess(content) || stale(content)) return std::nullopt;
    holder.user = content.user;
    holder.host = content.host;
    holder.openedAt = content.openedAt;
    return holder;
}

RegisterLock RegisterLock::take(const QString& dataFile) {
    RegisterLock lock;
    const QString absolute = QFileInfo(dataFile).absoluteFilePath();
    const QString lockFile = lockFileName(absolute);
    const std::string content = serialize(ownContent());
    for (int attempt = 0; attempt < 3; ++attempt) {
        const Made made = makeMark(lockFile, content);
        if (made == Made::Yes) {
            lock.dataFile_ = absolute;
            lock.lockFile_ = lockFile;
            lock.content_ = content;
            return lock;
        }
        if (made == Made::Failed) return lock;  // no mark here: no error either
        bool other = false;
        const std::optional<std::string> existing = readMark(lockFile, &other);
        if (!existing) continue;  // gone meanwhile: try again
        const LockContent found = parse(*existing);
        if (other || !found.valid || ofThisProcess(found) || !stale(found)) return lock;
        removeStale(lockFile, *existing);
    }
    return lock;
}

bool RegisterLock::marks(const QString& dataFile) const {
    return held() && dataFile_ == QFileInfo(dataFile).absoluteFilePath();
}

void RegisterLock::release() {
    if (!held()) return;
    if (readMark(lockFile_) == content_) ::unlink(QFile::encodeName(lockFile_).constData());
    dataFile_.clear();
    lockFile_.clear();
    content_.clear();
}
