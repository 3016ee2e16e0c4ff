#include "store/AtomicFileWriter.h"

#include "settings/ProgramSettings.h"
#include "store/FileErrors.h"
#include "store/PayerRecord.h"
#include "store/TaxpayerDataFile.h"
#include "support/FaultyFileWriteCalls.h"

#include "StoreTestHelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <functional>
#include <map>

namespace {

using store_test::cp;
using store_test::person;
using store_test::readBytes;
using store_test::writeBytes;

TaxpayerRegister sampleRegister() {
    TaxpayerRegister reg;
    for (int i = 0; i < 40; ++i) {
        TaxpayerRecord record = person("Żółkiewska", "Łucja", "8" + std::to_string(1000000000 + i * 7919));
        record.nazwisko = cp("Żółkiewska-") + std::to_string(i);
        record.p11Box(34) = std::to_string(30000 + i) + ",17";
        reg.Add(record);
    }
    return reg;
}

PayerRecord samplePayer() {
    PayerRecord payer;
    payer.nazwa = cp("Przędzalnia „Wełna” sp. z o.o.");
    payer.NIP = "5261040828";
    payer.miejscowosc = cp("Łódź");
    return payer;
}

// A whole save of each kind of file the program writes, into `fileName`.
struct SaveKind {
    const char* name;
    std::function<void(const QString& fileName)> save;
};

const SaveKind kSaves[] = {
    {"data file", [](const QString& fileName) { SaveToFile(sampleRegister(), fileName); }},
    {"payer file", [](const QString& fileName) { SaveToFile(samplePayer(), fileName); }},
    {"settings",
     [](const QString& fileName) {
         SettingsValues values;
         values.databasePath = QStringLiteral("/home/księgowa/Płatnik/baza.mdb");
         values.askBeforeDelete = false;
         ProgramSettings(fileName).Zapisz(values);
     }},
    {"plain bytes", [](const QString& fileName) { WriteFileAtomically(fileName, std::string(100000, 'x')); }},
};

// The calls one whole save makes on a file system of `profile`, counted by running it once
// without a fault.
std::vector<std::string> callsOf(const std::function<void()>& save, const FileSystemProfile& profile = {}) {
    FaultyFileWriteCalls counting(0, 0, profile);
    const ScopedFileWriteCalls scope(counting);
    save();
    return counting.calls();
}

QString expectedReason(int errorNumber) {
    switch (errorNumber) {
    case ENOSPC: return QStringLiteral("brak miejsca na dysku");
    case EIO: return QStringLiteral("błąd zapisu na dysk (EIO)");
    case EFBIG: return QStringLiteral("plik jest za duży");
    default: return QString();
    }
}

const QString kUnconfirmed = QStringLiteral("zawiera już nowe dane, ale system nie potwierdził ich zapisu na dysk");

class AtomicWriteTest : public ::testing::Test {
protected:
    QString file(const QString& name = QStringLiteral("dane.txt")) const { return dir_.filePath(name); }
    QStringList filesInFolder() const {
        return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    // What a save without any fault writes.
    std::string wholeSave(const SaveKind& kind) const {
        QTemporaryDir other;
        const QString reference = other.filePath(QStringLiteral("wzór.txt"));
        kind.save(reference);
        return readBytes(reference);
    }
    QTemporaryDir dir_;
};

// Every call of every kind of save fails in turn, with each error, on file systems that lack
// hard links, unnamed files, folder sync or permissions: the save reports it in Polish, and the
// earlier file (or the absence of one) is exactly as it was, with nothing else left behind. The one
// exception is a failure after the new file replaced an earlier one that could get no second name
// (no hard links, and the folder's sync fails: two faults at once): the new file is whole, and the
// message says so.
TEST_F(AtomicWriteTest, EveryFailingCallOnEveryFileSystemKeepsTheEarlierFileOrTheWholeNewOne) {
    const std::string earlier = "poprzednia zawartość\r\n";
    for (const FileSystemProfile& profile : kFileSystemProfiles) {
        for (const SaveKind& kind : kSaves) {
            const std::string whole = wholeSave(kind);
            for (const bool earlierFile : {true, false}) {
                const auto reset = [&] {
                    QFile::remove(file());
                    if (earlierFile) writeBytes(file(), earlier);
                };
                reset();
                const std::vector<std::string> calls = callsOf([&] { kind.save(file()); }, profile);
                ASSERT_GE(calls.size(), 6u) << kind.name;
                EXPECT_EQ(readBytes(file()), whole) << profile.name << ", " << kind.name;
                const std::size_t renamedAt = std::find(calls.begin(), calls.end(), "rename") - calls.begin() + 1;
                for (std::size_t n = 1; n <= calls.size(); ++n) {
                    for (const int error : kInjectedErrors) {
                        reset();
                        FaultyFileWriteCalls faulty(static_cast<int>(n), error, profile);
                        const ScopedFileWriteCalls scope(faulty);
                        const std::string what = std::string(profile.name) + ", " + kind.name + ", call " +
                                                 std::to_string(n) + " (" + calls[n - 1] + "), errno " +
                                                 std::to_string(error) + (earlierFile ? ", over a file" : ", new file");
                        QString message;
                        try {
                            kind.save(file());
                            ADD_FAILURE() << "the save did not fail: " << what;
                        } catch (const FileError& failure) {
                            message = failure.message();
                        }
                        EXPECT_TRUE(message.contains(expectedReason(error))) << message.toStdString() << " – " << what;
                        EXPECT_TRUE(message.contains(QStringLiteral("dane.txt"))) << message.toStdString();
                        EXPECT_EQ(faulty.failedCall(), calls[n - 1]) << what;
                        const bool noWayBack = earlierFile && !profile.hardLinks && n > renamedAt;
                        EXPECT_EQ(message.contains(kUnconfirmed), noWayBack) << message.toStdString() << " – " << what;
                        if (noWayBack)
                            EXPECT_EQ(readBytes(file()), whole) << what;
                        else if (earlierFile)
                            EXPECT_EQ(readBytes(file()), earlier) << what;
                        EXPECT_EQ(filesInFolder(), earlierFile ? QStringList{QStringLiteral("dane.txt")} : QStringList{})
                            << what;
                    }
                }
            }
        }
    }
}

// The message of the one failure that cannot be undone, word for word.
TEST_F(AtomicWriteTest, AFolderSyncFailingAfterAReplacementWithoutWayBackSaysTheNewFileIsInPlace) {
    writeBytes(file(), "stare");
    const FileSystemProfile fat = kFileSystemProfiles[5];
    const std::vector<std::string> calls = callsOf([&] { WriteFileAtomically(file(), "nowe"); }, fat);
    ASSERT_EQ(calls.back(), "fsync-folder");
    writeBytes(file(), "stare");
    FaultyFileWriteCalls faulty(static_cast<int>(calls.size()), EIO, fat);
    const ScopedFileWriteCalls scope(faulty);
    try {
        WriteFileAtomically(file(), "nowe");
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.message(),
                  QStringLiteral("Plik „%1” zawiera już nowe dane, ale system nie potwierdził ich zapisu na dysk: błąd "
                                 "zapisu na dysk (EIO). Zapisz plik ponownie, zanim wyjmiesz nośnik lub wyłączysz komputer.")
                      .arg(file()));
    }
    EXPECT_EQ(readBytes(file()), "nowe");
}

// The save goes through the steps in the order that keeps a file safe.
TEST_F(AtomicWriteTest, TheNewFileIsOnTheDiskBeforeItTakesTheNameAndTheFolderIsSyncedAfter) {
    writeBytes(file(), "stare");
    const std::vector<std::string> calls = callsOf([&] { WriteFileAtomically(file(), "nowe"); });
    const auto at = [&](const std::string& call) {
        return std::find(calls.begin(), calls.end(), call) - calls.begin();
    };
    EXPECT_LT(at("write"), at("fdatasync"));
    EXPECT_LT(at("fdatasync"), at("rename"));
    EXPECT_LT(at("rename"), at("fsync-folder"));
    EXPECT_EQ(calls.back(), "unlink");  // the earlier file's second name, once the folder is synced
    EXPECT_EQ(readBytes(file()), "nowe");
}

// A write that takes only part of the bytes, or is interrupted, is carried on: the file is whole.
TEST_F(AtomicWriteTest, ShortAndInterruptedWritesStillGiveTheWholeFile) {
    const SaveKind& dataFile = kSaves[0];
    const std::string whole = wholeSave(dataFile);
    writeBytes(file(), "stare");
    const std::vector<std::string> calls = callsOf([&] { dataFile.save(file()); });
    for (const int fault : {FaultyFileWriteCalls::kShortWrite, EINTR}) {
        for (std::size_t n = 1; n <= calls.size(); ++n) {
            if (calls[n - 1] != "write") continue;
            writeBytes(file(), "stare");
            FaultyFileWriteCalls faulty(static_cast<int>(n), fault);
            const ScopedFileWriteCalls scope(faulty);
            dataFile.save(file());
            EXPECT_EQ(readBytes(file()), whole) << "write call " << n << ", fault " << fault;
        }
    }
}

// Records the permissions the new file has while its bytes are written.
class ModeWatchingCalls : public FileWriteCalls {
public:
    ssize_t write(int fd, const void* data, std::size_t size) override {
        struct stat status {};
        if (::fstat(fd, &status) == 0) modes.push_back(status.st_mode & 07777);
        return FileWriteCalls::write(fd, data, size);
    }
    std::vector<mode_t> modes;
};

mode_t modeOf(const QString& fileName) {
    struct stat status {};
    return ::stat(QFile::encodeName(fileName).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}

// A file is the user's alone while it fills; then an earlier file's group (a shared folder's
// "users", 0660) and permissions stay, a given mode is set outright, and a new file gets 0666 less
// the umask.
TEST_F(AtomicWriteTest, TheNewFileFillsPrivatelyThenTakesTheEarlierGroupAndPermissions) {
    writeBytes(file(), "stare");
    ::chmod(QFile::encodeName(file()).constData(), 0660);
    const gid_t sharedGroup = 100;  // "users" on Debian
    const bool groupGiven = ::chown(QFile::encodeName(file()).constData(), static_cast<uid_t>(-1), sharedGroup) == 0;
    ModeWatchingCalls watching;
    {
        const ScopedFileWriteCalls scope(watching);
        WriteFileAtomically(file(), "nowe");
    }
    ASSERT_FALSE(watching.modes.empty());
    for (const mode_t mode : watching.modes) EXPECT_EQ(mode, 0600u);
    EXPECT_EQ(modeOf(file()), 0660u);
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(file()).constData(), &status), 0);
    if (groupGiven) EXPECT_EQ(status.st_gid, sharedGroup);

    const QString secret = file(QStringLiteral("kopia.ini"));
    WriteFileAtomically(secret, "PESEL", FileWriteOptions{false, 0600});
    EXPECT_EQ(modeOf(secret), 0600u);

    const mode_t umask = ::umask(022);
    ::umask(umask);
    WriteFileAtomically(file(QStringLiteral("nowy.txt")), "nowy");
    EXPECT_EQ(modeOf(file(QStringLiteral("nowy.txt"))), 0666u & ~umask);
}

// A link the user named is written through to its file; a link planted at a name the program
// made up is replaced and the file it points at stays as it was.
TEST_F(AtomicWriteTest, LinksAreFollowedOnlyWhereTheUserNamedThem) {
    const QString victim = file(QStringLiteral("cudzy.txt"));
    writeBytes(victim, "cudzy plik");
    const QString named = file(QStringLiteral("wybrany.txt"));
    ASSERT_TRUE(QFile::link(victim, named));
    WriteFileAtomically(named, "przez dowiązanie");
    EXPECT_TRUE(QFileInfo(named).isSymLink());
    EXPECT_EQ(readBytes(victim), "przez dowiązanie");

    writeBytes(victim, "cudzy plik");
    const QString planted = file(QStringLiteral("1_NOWAK_ANNA.pdf"));
    ASSERT_TRUE(QFile::link(victim, planted));
    WriteFileAtomically(planted, "%PDF nowy", FileWriteOptions{true, {}});
    EXPECT_FALSE(QFileInfo(planted).isSymLink());
    EXPECT_EQ(readBytes(planted), "%PDF nowy");
    EXPECT_EQ(readBytes(victim), "cudzy plik");

    const QString dangling = file(QStringLiteral("wiszący.pdf"));
    ASSERT_TRUE(QFile::link(file(QStringLiteral("nie-ma.txt")), dangling));
    EXPECT_THROW(WriteFileAtomically(dangling, "x"), FileError);
    WriteFileAtomically(dangling, "zamiast dowiązania", FileWriteOptions{true, {}});
    EXPECT_EQ(readBytes(dangling), "zamiast dowiązania");
    EXPECT_FALSE(QFile::exists(file(QStringLiteral("nie-ma.txt"))));
}

// A set of files fails the same way at every call, on every file system: the files named before
// the failure are whole, the rest keep what they held (an earlier file is never lost: at worst a
// whole new one stands in its place, and the message says so), and no temporary file is left.
TEST_F(AtomicWriteTest, AFileSetKeepsEveryFileWholeOrAsItWasOnEveryFileSystem) {
    const QStringList names = {QStringLiteral("1_ADAMCZYK_OLGA.pdf"), QStringLiteral("2_BĄK_PIOTR.pdf"),
                               QStringLiteral("3_CYBULSKA_EWA.pdf"), QStringLiteral("4_DUDEK_JAN.pdf")};
    const auto newBytes = [&](int i) { return "%PDF nowy " + names[i].toStdString(); };
    const auto writeSet = [&](FileSetWriter& set) {
        for (int i = 0; i < 2; ++i) set.stage(file(names[i]), newBytes(i));
        set.commit();
        for (int i = 2; i < 4; ++i) set.stage(file(names[i]), newBytes(i));
        set.commit();
    };
    const auto reset = [&] {
        for (const QString& name : names) QFile::remove(file(name));
        writeBytes(file(names[1]), "stary 2");
    };
    for (const FileSystemProfile& profile : kFileSystemProfiles) {
        reset();
        const std::vector<std::string> calls = callsOf(
            [&] {
                FileSetWriter set(FileWriteOptions{true, {}});
                writeSet(set);
                EXPECT_EQ(set.committed(), 4);
            },
            profile);
        for (std::size_t n = 1; n <= calls.size(); ++n) {
            const std::string what = std::string(profile.name) + ", call " + std::to_string(n) + " (" + calls[n - 1] + ")";
            reset();
            FaultyFileWriteCalls faulty(static_cast<int>(n), EIO, profile);
            const ScopedFileWriteCalls scope(faulty);
            FileSetWriter set(FileWriteOptions{true, {}});
            QString message;
            try {
                writeSet(set);
                ADD_FAILURE() << what << " did not fail the set";
            } catch (const FileError& failure) {
                message = failure.message();
            }
            EXPECT_TRUE(message.contains(QStringLiteral("błąd zapisu na dysk (EIO)"))) << message.toStdString();
            int whole = 0;
            for (int i = 0; i < 4; ++i) {
                const std::string bytes = readBytes(file(names[i]));
                if (bytes == newBytes(i))
                    ++whole;
                else if (i == 1)
                    EXPECT_EQ(bytes, "stary 2") << what;
                else
                    EXPECT_FALSE(QFile::exists(file(names[i]))) << what;
            }
            const bool earlierReplaced = readBytes(file(names[1])) == newBytes(1);
            if (message.contains(kUnconfirmed)) EXPECT_TRUE(earlierReplaced) << what;
            EXPECT_EQ(whole, set.committed()) << what;
            EXPECT_EQ(filesInFolder().size(), whole + (earlierReplaced ? 0 : 1)) << what;
        }
    }
}

TEST_F(AtomicWriteTest, AReadOnlyFolderIsReportedInPolish) {
    const QString folder = dir_.filePath(QStringLiteral("ro"));
    ASSERT_TRUE(QDir().mkdir(folder));
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const QString target = folder + QStringLiteral("/x.txt");
    if (QFile probe(folder + QStringLiteral("/probe")); probe.open(QIODevice::WriteOnly))
        GTEST_SKIP() << "running with root rights";
    try {
        WriteFileAtomically(target, "x");
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("brak uprawnień"))) << error.what();
    }
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

}  // namespace
