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

// The calls one whole save makes, counted by running it once without a fault.
std::vector<std::string> callsOf(const std::function<void()>& save) {
    FaultyFileWriteCalls counting;
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

// Every call of every kind of save fails in turn, with each error: the save reports it in Polish,
// the earlier file (or the absence of one) is exactly as it was, and nothing else is left behind.
TEST_F(AtomicWriteTest, EveryFailingCallOfEverySaveKeepsTheEarlierFile) {
    for (const SaveKind& kind : kSaves) {
        for (const bool earlierFile : {true, false}) {
            QFile::remove(file());
            if (earlierFile) writeBytes(file(), "poprzednia zawartość\r\n");
            const std::vector<std::string> calls = callsOf([&] { kind.save(file()); });
            ASSERT_GE(calls.size(), 6u) << kind.name;
            for (std::size_t n = 1; n <= calls.size(); ++n) {
                for (const int error : kInjectedErrors) {
                    QFile::remove(file());
                    if (earlierFile) writeBytes(file(), "poprzednia zawartość\r\n");
                    FaultyFileWriteCalls faulty(static_cast<int>(n), error);
                    const ScopedFileWriteCalls scope(faulty);
                    const std::string what = std::string(kind.name) + ", call " + std::to_string(n) + " (" +
                                             calls[n - 1] + "), errno " + std::to_string(error) +
                                             (earlierFile ? ", over a file" : ", new file");
                    try {
                        kind.save(file());
                        ADD_FAILURE() << "the save did not fail: " << what;
                    } catch (const FileError& failure) {
                        EXPECT_TRUE(failure.message().contains(expectedReason(error))) << failure.what() << " – " << what;
                        EXPECT_TRUE(failure.message().contains(QStringLiteral("dane.txt"))) << failure.what();
                    }
                    EXPECT_EQ(faulty.failedCall(), calls[n - 1]) << what;
                    if (earlierFile) {
                        EXPECT_EQ(readBytes(file()), "poprzednia zawartość\r\n") << what;
                        EXPECT_EQ(filesInFolder(), QStringList{QStringLiteral("dane.txt")}) << what;
                    } else {
                        EXPECT_TRUE(filesInFolder().isEmpty()) << what;
                    }
                }
            }
        }
        EXPECT_EQ(wholeSave(kind), (kind.save(file()), readBytes(file()))) << kind.name;
    }
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

TEST_F(AtomicWriteTest, PermissionsOfTheEarlierFileStayAndAModeCanBeGiven) {
    writeBytes(file(), "stare");
    ::chmod(QFile::encodeName(file()).constData(), 0640);
    WriteFileAtomically(file(), "nowe");
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(file()).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);

    const QString secret = file(QStringLiteral("kopia.ini"));
    WriteFileAtomically(secret, "PESEL", FileWriteOptions{false, 0600});
    ASSERT_EQ(::stat(QFile::encodeName(secret).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
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

// A set of files fails the same way at every call: the files named before the failure are whole,
// the rest keep what they held, and no temporary file is left.
TEST_F(AtomicWriteTest, AFileSetKeepsEveryFileWholeOrAsItWas) {
    const QStringList names = {QStringLiteral("1_ADAMCZYK_OLGA.pdf"), QStringLiteral("2_BĄK_PIOTR.pdf"),
                               QStringLiteral("3_CYBULSKA_EWA.pdf"), QStringLiteral("4_DUDEK_JAN.pdf")};
    const auto newBytes = [&](int i) { return "%PDF nowy " + names[i].toStdString(); };
    const auto writeSet = [&] {
        FileSetWriter set(FileWriteOptions{true, {}});
        for (int i = 0; i < 2; ++i) set.stage(file(names[i]), newBytes(i));
        set.commit();
        for (int i = 2; i < 4; ++i) set.stage(file(names[i]), newBytes(i));
        set.commit();
        return set.committed();
    };
    const auto reset = [&] {
        for (const QString& name : names) QFile::remove(file(name));
        writeBytes(file(names[1]), "stary 2");
    };
    reset();
    const std::vector<std::string> calls = callsOf([&] { EXPECT_EQ(writeSet(), 4); });
    for (std::size_t n = 1; n <= calls.size(); ++n) {
        reset();
        FaultyFileWriteCalls faulty(static_cast<int>(n), EIO);
        const ScopedFileWriteCalls scope(faulty);
        FileSetWriter set(FileWriteOptions{true, {}});
        int whole = 0;
        try {
            for (int i = 0; i < 2; ++i) set.stage(file(names[i]), newBytes(i));
            set.commit();
            for (int i = 2; i < 4; ++i) set.stage(file(names[i]), newBytes(i));
            set.commit();
            ADD_FAILURE() << "call " << n << " (" << calls[n - 1] << ") did not fail the set";
        } catch (const FileError& failure) {
            EXPECT_TRUE(failure.message().contains(QStringLiteral("błąd zapisu na dysk (EIO)"))) << failure.what();
        }
        for (int i = 0; i < 4; ++i) {
            const std::string bytes = readBytes(file(names[i]));
            if (bytes == newBytes(i))
                ++whole;
            else if (i == 1)
                EXPECT_EQ(bytes, "stary 2") << "call " << n;
            else
                EXPECT_FALSE(QFile::exists(file(names[i]))) << "call " << n;
        }
        EXPECT_EQ(whole, set.committed()) << "call " << n << " (" << calls[n - 1] << ")";
        EXPECT_EQ(filesInFolder().size(), whole + (QFile::exists(file(names[1])) && readBytes(file(names[1])) == "stary 2"))
            << "call " << n;
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
