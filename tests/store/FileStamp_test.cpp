// What counts as a change of a file since this Fiskon read or wrote it, and that the stamps of the
// readers and writers are of the very bytes on disk.

#include "store/DataFileCommands.h"
#include "store/FileStamp.h"
#include "store/PayerRecord.h"
#include "store/TaxpayerDataFile.h"

#include "StoreTestHelpers.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

namespace {

using store_test::readBytes;
using store_test::writeBytes;

const std::string kBytes = "[s1]\r\nnazwisko=KOWALSKA\r\nimie1=EWA\r\n\r\n[Parametry]\r\nLiczbaRekordow=1\r\n\r\n";

// Sets the file's modification time back to what it was, as "touch -r" does.
void restoreTimes(const QString& file, const struct stat& before) {
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(file).constData(), times, 0), 0);
}

struct StampCase {
    const char* name;
    std::function<void(const QString& file, const QString& dir)> afterStamp;
    DiskChange expected;
};

TEST(FileStamp, TheBytesDecideWhetherAFileChanged) {
    const StampCase cases[] = {
        {"left alone", [](const QString&, const QString&) {}, DiskChange::Unchanged},
        {"touched only", [](const QString& file, const QString&) {
             const struct timespec times[2] = {{0, UTIME_NOW}, {12345, 0}};
             ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(file).constData(), times, 0), 0);
         }, DiskChange::Unchanged},
        {"same length, other bytes, time set back", [](const QString& file, const QString&) {
             struct stat before {};
             ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &before), 0);
             std::string other = kBytes;
             other.replace(other.find("EWA"), 3, "OLA");
             writeBytes(file, other);
             restoreTimes(file, before);
         }, DiskChange::Changed},
        {"replaced by a rename, same length, time set back", [](const QString& file, const QString& dir) {
             struct stat before {};
             ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &before), 0);
             const QString other = QDir(dir).filePath("nowy.txt");
             std::string bytes = kBytes;
             bytes.replace(bytes.find("KOWALSKA"), 8, "NOWACKAA");
             writeBytes(other, bytes);
             ASSERT_EQ(::rename(QFile::encodeName(other).constData(), QFile::encodeName(file).constData()), 0);
             restoreTimes(file, before);
         }, DiskChange::Changed},
        {"replaced by a rename with the same bytes", [](const QString& file, const QString& dir) {
             const QString other = QDir(dir).filePath("kopia.txt");
             writeBytes(other, kBytes);
             ASSERT_EQ(::rename(QFile::encodeName(other).constData(), QFile::encodeName(file).constData()), 0);
         }, DiskChange::Unchanged},
        {"one byte added", [](const QString& file, const QString&) { writeBytes(file, kBytes + ";"); },
         DiskChange::Changed},
        {"emptied", [](const QString& file, const QString&) { writeBytes(file, ""); }, DiskChange::Changed},
        {"deleted", [](const QString& file, const QString&) { ASSERT_TRUE(QFile::remove(file)); }, DiskChange::Deleted},
        {"a folder in its place", [](const QString& file, const QString&) {
             ASSERT_TRUE(QFile::remove(file));
             ASSERT_TRUE(QDir().mkdir(file));
         }, DiskChange::Changed},
        {"a pipe in its place (never waited on)", [](const QString& file, const QString&) {
             ASSERT_TRUE(QFile::remove(file));
             ASSERT_EQ(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
         }, DiskChange::Changed},
    };
    for (const StampCase& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString file = dir.filePath("podatnicy.txt");
        writeBytes(file, kBytes);
        const FileStamp stamp = FileStamp::ofBytes(readBytes(file));
        c.afterStamp(file, dir.path());
        EXPECT_EQ(CompareWithDisk(stamp, file), c.expected);
    }
    // Nothing stamped, nothing to compare with.
    EXPECT_EQ(CompareWithDisk(FileStamp{}, "/nonexistent/podatnicy.txt"), DiskChange::Unchanged);
}

TEST(FileStamp, ReadersAndWritersStampTheBytesOnDisk) {
    QTemporaryDir dir;
    const QString data = dir.filePath("podatnicy.txt");
    TaxpayerRegister taxpayers;
    ASSERT_TRUE(taxpayers.Add(store_test::person("KOWALSKA", "EWA", "85010112345")));
    ASSERT_TRUE(taxpayers.Add(store_test::person("NOWAK", "JAN", "79123054321")));
    FileStamp written;
    SaveToFile(taxpayers, data, &written);
    const FileStamp onDisk = FileStamp::ofBytes(readBytes(data));
    EXPECT_TRUE(written.known);
    EXPECT_EQ(written.size, onDisk.size);
    EXPECT_EQ(written.sha256, onDisk.sha256);

    TaxpayerRegister loaded;
    FileStamp read;
    ASSERT_TRUE(LoadFromFile(loaded, data, nullptr, nullptr, &read));
    EXPECT_EQ(read.sha256, onDisk.sha256);

    PayerRecord payer;
    payer.nazwa = "BIURO RACHUNKOWE";
    payer.rodzaj = 1;
    const QString payerFile = dir.filePath("platnik.txt");
    SaveToFile(payer, payerFile, &written);
    EXPECT_EQ(written.sha256, FileStamp::ofBytes(readBytes(payerFile)).sha256);
    LoadPayerFile(payer, payerFile, &read);
    EXPECT_EQ(read.sha256, written.sha256);
}

// The register and the payer in one file: a save of either keeps the other's stamp true when it
// was true, so that neither asks about the other's save; a change by another program still asks.
TEST(FileStamp, ASharedFileFollowsBothSaves) {
    QTemporaryDir dir;
    const QString file = dir.filePath("razem.txt");
    Workspace workspace;
    ASSERT_TRUE(workspace.taxpayers.Add(store_test::person("KOWALSKA", "EWA", "85010112345")));
    workspace.payer.nazwa = "BIURO RACHUNKOWE";
    ASSERT_EQ(SaveTaxpayersFile(workspace, file), SaveTaxpayersResult::Saved);
    EXPECT_EQ(DataFileChangeBeforeSave(workspace, file), ChangeSinceStamp::None);
    SavePayerFile(workspace, file);  // appends section "Platnik" to the data file
    EXPECT_EQ(PayerFileChangeBeforeSave(workspace, file), ChangeSinceStamp::None);
    EXPECT_EQ(DataFileChangeBeforeSave(workspace, file), ChangeSinceStamp::None);
    ASSERT_EQ(SaveTaxpayersFile(workspace, file), SaveTaxpayersResult::Saved);
    EXPECT_EQ(PayerFileChangeBeforeSave(workspace, file), ChangeSinceStamp::None);

    writeBytes(file, readBytes(file) + "[Inny]\r\nklucz=1\r\n\r\n");
    EXPECT_EQ(DataFileChangeBeforeSave(workspace, file), ChangeSinceStamp::Changed);
    EXPECT_EQ(PayerFileChangeBeforeSave(workspace, file), ChangeSinceStamp::Changed);
    // Another file is no concern of the stamps.
    EXPECT_EQ(DataFileChangeBeforeSave(workspace, dir.filePath("inny.txt")), ChangeSinceStamp::None);
    // Once the payer's save replaced it, only the data file's stamp still tells of the change.
    SavePayerFile(workspace, file);
    EXPECT_EQ(PayerFileChangeBeforeSave(workspace, file), ChangeSinceStamp::None);
    EXPECT_EQ(DataFileChangeBeforeSave(workspace, file), ChangeSinceStamp::Changed);
    ASSERT_TRUE(QFile::remove(file));
    EXPECT_EQ(DataFileChangeBeforeSave(workspace, file), ChangeSinceStamp::Deleted);
}

}  // namespace
