// The mark beside an open data file: whose it is, when it is stale, and that nothing but our own
// mark is ever removed.

#include "store/RegisterLock.h"

#include "platform/ProcessIdentity.h"

#include "StoreTestHelpers.h"

#include <QProcess>
#include <QSysInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using store_test::readBytes;
using store_test::writeBytes;

struct Mark {
    QString host = QSysInfo::machineHostName();
    QByteArray machineId = QSysInfo::machineUniqueId();
    qint64 pid = 0;
    quint64 started = 0;
    QByteArray bootId = QSysInfo::bootUniqueId();
};

// A mark as another Fiskon writes it.
std::string markText(const Mark& mark) {
    return "[Fiskon]\r\nUzytkownik=jadwiga\r\nKomputer=" + mark.host.toStdString() +
           "\r\nIdKomputera=" + mark.machineId.toStdString() + "\r\nProces=" + std::to_string(mark.pid) +
           "\r\nStartProcesu=" + std::to_string(mark.started) + "\r\nUruchomienie=" + mark.bootId.toStdString() +
           "\r\nOtwarto=2025-02-03T08:45:00\r\n\r\n";
}

class RegisterLockTest : public ::testing::Test {
protected:
    void SetUp() override {
        sleeper_.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        ASSERT_TRUE(sleeper_.waitForStarted());
        live_.pid = sleeper_.processId();
        live_.started = IdentifyProcess(live_.pid).started;
        ASSERT_NE(live_.started, 0u);
        QProcess ended;
        ended.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        ASSERT_TRUE(ended.waitForStarted());
        dead_.pid = ended.processId();
        dead_.started = IdentifyProcess(dead_.pid).started;
        ended.kill();
        ASSERT_TRUE(ended.waitForFinished());
    }
    void TearDown() override {
        sleeper_.kill();
        sleeper_.waitForFinished();
    }
    QString data() const { return dir_.filePath(QStringLiteral("podatnicy.txt")); }
    QString lock() const { return RegisterLock::lockFileName(data()); }

    QTemporaryDir dir_;
    QProcess sleeper_;
    Mark live_;
    Mark dead_;
};

TEST_F(RegisterLockTest, ALiveOrForeignMarkNamesItsHolderAndIsNeverTakenOrRemoved) {
    Mark foreign = live_;
    foreign.host = QStringLiteral("biuro-2");
    foreign.machineId = "0123456789abcdef0123456789abcdef";
    Mark foreignDead = dead_;  // a dead process, but of another computer: it cannot be told
    foreignDead.host = foreign.host;
    foreignDead.machineId = foreign.machineId;
    const std::pair<const char*, Mark> cases[] = {
        {"a live process of this computer", live_}, {"another computer", foreign}, {"another computer's gone process", foreignDead}};
    for (const auto& [name, mark] : cases) {
        SCOPED_TRACE(name);
        writeBytes(lock(), markText(mark));
        const std::optional<LockHolder> holder = RegisterLock::otherHolder(data());
        ASSERT_TRUE(holder);
        EXPECT_TRUE(holder->readable);
        EXPECT_EQ(holder->user, QStringLiteral("jadwiga"));
        EXPECT_EQ(holder->host, mark.host);
        EXPECT_EQ(holder->openedAt, QDateTime(QDate(2025, 2, 3), QTime(8, 45)));
        EXPECT_EQ(OpenedElsewhereQuestion(*holder, data()),
                  QStringLiteral("Plik „%1” jest otwarty w programie Fiskon przez użytkownika jadwiga na komputerze %2 od "
                                 "03-02-2025 08:45. Zmiany zapisane w jednym z programów mogą zastąpić zmiany zapisane w "
                                 "drugim. Otworzyć go mimo to?").arg(data(), mark.host));
        {
            RegisterLock taken = RegisterLock::take(data());
            EXPECT_FALSE(taken.held());
        }
        EXPECT_EQ(readBytes(lock()), markText(mark));
    }
}

TEST_F(RegisterLockTest, AStaleMarkOfThisComputerIsTakenOverWithoutAQuestion) {
    Mark reused = live_;  // the id runs again, but as a process started at another time
    reused.started = live_.started + 1;
    Mark rebooted = live_;
    rebooted.bootId = "00000000-0000-0000-0000-000000000000";
    const std::pair<const char*, Mark> cases[] = {
        {"its process ended", dead_}, {"its id given to another process", reused}, {"the computer restarted", rebooted}};
    for (const auto& [name, mark] : cases) {
        SCOPED_TRACE(name);
        writeBytes(lock(), markText(mark));
        EXPECT_FALSE(RegisterLock::otherHolder(data()));
        {
            RegisterLock taken = RegisterLock::take(data());
            ASSERT_TRUE(taken.held());
            EXPECT_TRUE(taken.marks(data()));
            const std::string ours = readBytes(lock());
            EXPECT_NE(ours.find("Proces=" + std::to_string(::getpid()) + "\r\n"), std::string::npos) << ours;
            EXPECT_FALSE(RegisterLock::otherHolder(data()));  // our own mark is no other holder
        }
        EXPECT_FALSE(QFileInfo::exists(lock()));  // ours, so removed
        EXPECT_EQ(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }
}

TEST_F(RegisterLockTest, AMarkThatIsNotOursStays) {
    // Another program's mark of the same name, and a planted link, are neither read as ours nor
    // followed nor removed.
    writeBytes(lock(), ",Jan Kowalski,biuro-1,03.02.2025 08:45,file:///home/jan;");
    std::optional<LockHolder> holder = RegisterLock::otherHolder(data());
    ASSERT_TRUE(holder);
    EXPECT_FALSE(holder->readable);
    EXPECT_FALSE(RegisterLock::take(data()).held());
    EXPECT_EQ(readBytes(lock()), ",Jan Kowalski,biuro-1,03.02.2025 08:45,file:///home/jan;");

    ASSERT_TRUE(QFile::remove(lock()));
    const QString target = dir_.filePath(QStringLiteral("cel.txt"));
    writeBytes(target, "nie do ruszenia");
    ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(lock()).constData()), 0);
    EXPECT_FALSE(RegisterLock::take(data()).held());
    EXPECT_EQ(readBytes(target), "nie do ruszenia");
    EXPECT_TRUE(QFileInfo(lock()).isSymLink());
    ASSERT_TRUE(QFile::remove(lock()));

    // Our mark, replaced meanwhile by someone else's, is not removed at the end.
    {
        RegisterLock taken = RegisterLock::take(data());
        ASSERT_TRUE(taken.held());
        writeBytes(lock(), markText(live_));
    }
    EXPECT_EQ(readBytes(lock()), markText(live_));
}

TEST_F(RegisterLockTest, AFolderWhereNoMarkCanBeMadeIsNoError) {
    if (::geteuid() == 0) GTEST_SKIP() << "a read-only folder does not stop root";
    ASSERT_EQ(::chmod(QFile::encodeName(dir_.path()).constData(), 0500), 0);
    RegisterLock taken = RegisterLock::take(data());
    EXPECT_FALSE(taken.held());
    EXPECT_FALSE(RegisterLock::otherHolder(data()));
    ASSERT_EQ(::chmod(QFile::encodeName(dir_.path()).constData(), 0700), 0);
}

}  // namespace
