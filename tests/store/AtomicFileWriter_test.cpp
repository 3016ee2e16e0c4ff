#include "store/AtomicFileWriter.h"

#include "store/FileErrors.h"
#include "store/PayerRecord.h"
#include "store/TaxpayerDataFile.h"

#include "StoreTestHelpers.h"

#include <QDir>
#include <QIODevice>

#include <gtest/gtest.h>

#include <cerrno>

namespace {

using store_test::person;
using store_test::readBytes;
using store_test::writeBytes;

// Passes bytes on to the real file until `budget` bytes went through, then fails the way a full
// disk does.
class FailingDevice : public QIODevice {
public:
    FailingDevice(QIODevice& target, qint64 budget) : target_(target), budget_(budget) {
        open(QIODevice::WriteOnly);
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        const qint64 allowed = std::min(size, budget_);
        if (allowed <= 0) {
            errno = ENOSPC;
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        const qint64 written = target_.write(data, allowed);
        budget_ -= written;
        return written;
    }

private:
    QIODevice& target_;
    qint64 budget_;
};

class AtomicWriteTest : public ::testing::Test {
protected:
    QString file() const { return dir_.filePath(QStringLiteral("dane.txt")); }
    QStringList filesInFolder() const { return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden); }
    QTemporaryDir dir_;
};

TEST_F(AtomicWriteTest, AFailurePartWayKeepsTheEarlierFileAndLeavesNoTemporaryFile) {
    TaxpayerRegister reg;
    for (int i = 0; i < 500; ++i) reg.Add(person("Nowak", "Anna"));
    writeBytes(file(), "poprzednia zawartość");

    for (const qint64 budget : {0, 1, 4096, 100000}) {
        ScopedWriteDeviceWrapper failing(
            [budget](QIODevice& target) { return std::make_unique<FailingDevice>(target, budget); });
        try {
            SaveToFile(reg, file());
            FAIL() << "the save did not fail";
        } catch (const FileError& error) {
            EXPECT_TRUE(error.message().contains(QStringLiteral("brak miejsca na dysku"))) << error.what();
            EXPECT_TRUE(error.message().contains(QStringLiteral("dane.txt"))) << error.what();
        }
        EXPECT_EQ(readBytes(file()), "poprzednia zawartość");
        EXPECT_EQ(filesInFolder(), QStringList{QStringLiteral("dane.txt")});
    }
}

// A register of several megabytes is written in pieces; failing in a later piece is no different.
TEST_F(AtomicWriteTest, AFailureAfterTheFirstMegabytesKeepsTheEarlierFile) {
    TaxpayerRegister reg;
    TaxpayerRecord record = person("Nowak", "Anna");
    record.us = std::string(100, 'u');
    for (int i = 0; i < 12000; ++i) reg.Add(record);
    writeBytes(file(), "poprzednia zawartość");
    for (const qint64 budget : {qint64{1} << 20, qint64{3} << 20}) {
        ScopedWriteDeviceWrapper failing(
            [budget](QIODevice& target) { return std::make_unique<FailingDevice>(target, budget); });
        EXPECT_THROW(SaveToFile(reg, file()), FileError);
        EXPECT_EQ(readBytes(file()), "poprzednia zawartość");
        EXPECT_EQ(filesInFolder(), QStringList{QStringLiteral("dane.txt")});
    }
}

TEST_F(AtomicWriteTest, ThePayerSaveFailsTheSameWay) {
    writeBytes(file(), "[Parametry]\r\nLiczbaRekordow=0\r\n");
    ScopedWriteDeviceWrapper failing([](QIODevice& target) { return std::make_unique<FailingDevice>(target, 10); });
    EXPECT_THROW(SaveToFile(PayerRecord{}, file()), FileError);
    EXPECT_EQ(readBytes(file()), "[Parametry]\r\nLiczbaRekordow=0\r\n");
}

TEST_F(AtomicWriteTest, AWriteThatFitsReplacesTheFile) {
    writeBytes(file(), "stare");
    {
        ScopedWriteDeviceWrapper roomy(
            [](QIODevice& target) { return std::make_unique<FailingDevice>(target, 1 << 20); });
        WriteFileAtomically(file(), "nowe");
    }
    EXPECT_EQ(readBytes(file()), "nowe");
    WriteFileAtomically(file(), "bez opakowania");
    EXPECT_EQ(readBytes(file()), "bez opakowania");
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
