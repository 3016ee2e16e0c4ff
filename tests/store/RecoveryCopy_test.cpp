// The recovery copy: its text brings every datum back, a damaged copy brings nothing, a copy is
// offered only once its Fiskon is gone (a real process that ends without a clean close), and the
// keeper writes at most once per interval and removes the copy once everything is saved.

#include "StoreTestHelpers.h"

#include "store/RecoveryFolder.h"
#include "store/RecoveryKeeper.h"
#include "store/TaxpayerDataFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace store_test;

namespace {

Workspace sampleWorkspace() {
    Workspace w;
    TaxpayerRecord first = person("Żółkiewski", "Stanisław", "80010112345");
    first.nip = "123-456-78-90";
    first.us = cp("Pierwszy Urząd Skarbowy w Łodzi");
    first.ulica = cp("Piotrkowska");
    first.pit11_33 = 4;
    first.pit40_PITR = 1;
    first.pit11_od = "01-01-2025";
    first.p11Box(34) = "1234,56";
    first.p40Box(76) = "-5,00";
    TaxpayerRecord second = person("Ąbecka", "Zofia", "91020254321");
    second.kodPoczt = "00-950";
    second.p11Box(78) = "0,01";
    TaxpayerRecord third = person("Mazur", "Adam", "75030398765");
    third.miejsc = cp("Kraków");
    for (const TaxpayerRecord& r : {first, second, third}) EXPECT_TRUE(w.taxpayers.Add(r));
    w.taxpayers.Sort(TaxpayerSortKey::SortByImie);
    w.payer.NIP = "526-000-12-46";
    w.payer.regon = "012345678";
    w.payer.rodzaj = 2;
    w.payer.nazwa = cp("Kowalczyk Jadwiga 1970-05-05");
    w.payer.miejscowosc = cp("Gdańsk");
    w.payer.kodPoczt = "80-001";
    w.dataFileName = QString::fromUtf8("/home/ewa/Дані/podatnicy & spółka.txt");
    w.taxpayersSaved = false;
    w.payerSaved = true;
    return w;
}

std::string payerText(const PayerRecord& p) {
    return std::string(p.NIP.view()) + "|" + std::string(p.regon.view()) + "|" + std::to_string(p.rodzaj) + "|" +
           std::string(p.nazwa.view()) + "|" + std::string(p.miejscowosc.view()) + "|" + std::string(p.kodPoczt.view());
}

mode_t modeOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

// A Fiskon in another process that writes its copy and is killed without a clean close.
void copyInKilledProcess(const QString& folder, const Workspace& workspace) {
    const pid_t child = ::fork();
    if (child == 0) {
        auto* copy = new OwnRecoveryCopy(folder);  // never destroyed: the process just ends
        copy->write(RecoveryCopyText(workspace, QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53))));
        ::kill(::getpid(), SIGKILL);
    }
    ASSERT_GT(child, 0);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
}

}  // namespace

TEST(RecoveryCopyText, BringsBackRegisterPayerFileAndFlags) {
    QTemporaryDir dir;
    const Workspace original = sampleWorkspace();
    const QString file = dir.filePath("kopia.txt");
    writeBytes(file, RecoveryCopyText(original, QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53))));

    RecoveryCopyInfo info;
    ASSERT_TRUE(ReadRecoveryCopyInfo(file, info));
    EXPECT_EQ(info.taxpayerCount, 3);
    EXPECT_EQ(info.madeAt, QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53)));

    Workspace recovered;
    QString failure;
    ASSERT_TRUE(LoadRecoveryCopy(file, recovered, info, &failure)) << failure.toStdString();
    EXPECT_EQ(TaxpayerFileText(recovered.taxpayers), TaxpayerFileText(original.taxpayers));
    EXPECT_EQ(recovered.taxpayers.sortKey(), TaxpayerSortKey::SortByImie);
    EXPECT_EQ(payerText(recovered.payer), payerText(original.payer));
    EXPECT_EQ(recovered.dataFileName, original.dataFileName);
    EXPECT_FALSE(recovered.taxpayersSaved);
    EXPECT_TRUE(recovered.payerSaved);
}

TEST(RecoveryCopyText, ACopyCutShortBringsNothingBack) {
    QTemporaryDir dir;
    const std::string text = RecoveryCopyText(sampleWorkspace(), QDateTime::currentDateTime());
    const std::size_t taxpayers = text.find("[s1]");
    const std::size_t last = text.find("[s3]");
    for (const std::size_t cut : {std::size_t{0}, std::size_t{40}, taxpayers - 1, taxpayers + 10, last,
                                  text.find("[Parametry]"), text.size() - 6}) {
        const QString file = dir.filePath("kopia.txt");
        writeBytes(file, std::string_view(text).substr(0, cut));
        Workspace workspace = sampleWorkspace();
        workspace.dataFileName = "/tmp/inny.txt";
        const std::string before = TaxpayerFileText(workspace.taxpayers);
        RecoveryCopyInfo info;
        QString failure;
        EXPECT_FALSE(LoadRecoveryCopy(file, workspace, info, &failure)) << "cut at " << cut;
        EXPECT_FALSE(failure.isEmpty());
        EXPECT_EQ(TaxpayerFileText(workspace.taxpayers), before);
        EXPECT_EQ(workspace.dataFileName, "/tmp/inny.txt");
    }
}

TEST(RecoveryFolder, OffersOnlyTheCopiesOfFiskonsThatAreGone) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("state/fiskon");
    const Workspace workspace = sampleWorkspace();

    OwnRecoveryCopy running(folder);  // a Fiskon that runs: its copy is never offered
    running.write(RecoveryCopyText(workspace, QDateTime::currentDateTime()));
    EXPECT_EQ(modeOf(folder), 0700u);
    EXPECT_EQ(modeOf(running.fileName()), 0600u);
    EXPECT_TRUE(FindOrphanedRecoveryCopies(folder).empty());

    copyInKilledProcess(folder, workspace);
    std::vector<OrphanedRecoveryCopy> orphans = FindOrphanedRecoveryCopies(folder);
    ASSERT_EQ(orphans.size(), 1u);
    EXPECT_EQ(orphans[0].info().taxpayerCount, 3);
    EXPECT_EQ(modeOf(orphans[0].fileName()), 0600u);
    // A second Fiskon starting while the first decides is not offered the same copy.
    EXPECT_TRUE(FindOrphanedRecoveryCopies(folder).empty());

    const QString orphanFile = orphans[0].fileName();
    orphans[0].remove();
    EXPECT_FALSE(QFileInfo::exists(orphanFile));
    EXPECT_FALSE(QFileInfo::exists(orphanFile.chopped(4) + ".lock"));
    // Only the running Fiskon's two files are left.
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 2);
}

TEST(RecoveryFolder, ALockLeftWithoutACopyIsClearedAway) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("fiskon");
    const pid_t child = ::fork();
    if (child == 0) {
        new OwnRecoveryCopy(folder);  // killed before its first change
        ::kill(::getpid(), SIGKILL);
    }
    ::waitpid(child, nullptr, 0);
    ASSERT_EQ(QDir(folder).entryList(QDir::Files).size(), 1);
    EXPECT_TRUE(FindOrphanedRecoveryCopies(folder).empty());
    EXPECT_TRUE(QDir(folder).entryList(QDir::Files).isEmpty());
}

// The keeper's timer and the worker's report need an event loop.
class RecoveryKeeperTest : public ::testing::Test {
    int argc_ = 1;
    char name_[12] = "store_tests";
    char* argv_[2] = {name_, nullptr};
    QCoreApplication application_{argc_, argv_};
};

TEST_F(RecoveryKeeperTest, WritesAtMostOncePerIntervalAndRemovesTheCopyOnceSaved) {
    QTemporaryDir dir;
    Workspace workspace = sampleWorkspace();
    workspace.taxpayersSaved = true;
    RecoveryKeeper keeper(workspace, std::make_unique<OwnRecoveryCopy>(dir.filePath("fiskon")), 300);
    workspace.changed = [&keeper] { keeper.changed(); };
    const QString copy = keeper.copy().fileName();

    // Twenty changes in quick succession: one write at once, one for the rest after the interval.
    for (int change = 0; change < 20; ++change) {
        workspace.taxpayers.at(0).ulica = cp("Ulica " + std::to_string(change));
        workspace.markTaxpayersChanged();
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    QEventLoop loop;
    QTimer::singleShot(900, &loop, &QEventLoop::quit);
    loop.exec();
    keeper.flush();
    EXPECT_EQ(keeper.writesDone(), 2);
    Workspace recovered;
    RecoveryCopyInfo info;
    ASSERT_TRUE(LoadRecoveryCopy(copy, recovered, info, nullptr));
    EXPECT_EQ(TaxpayerFileText(recovered.taxpayers), TaxpayerFileText(workspace.taxpayers));

    // The payer still unsaved: the copy stays; both saved: it goes.
    workspace.markPayerChanged();
    workspace.markTaxpayersSaved();
    keeper.flush();
    EXPECT_TRUE(QFileInfo::exists(copy));
    workspace.markPayerSaved();
    keeper.flush();
    EXPECT_FALSE(QFileInfo::exists(copy));
    workspace.changed = nullptr;
}

TEST_F(RecoveryKeeperTest, AFailedWriteIsSaidOnceUntilAWriteSucceeds) {
    QTemporaryDir dir;
    Workspace workspace = sampleWorkspace();
    RecoveryKeeper keeper(workspace, std::make_unique<OwnRecoveryCopy>(dir.filePath("fiskon")), 0);
    QSignalSpy failures(&keeper, &RecoveryKeeper::writeFailed);
    const QString copy = keeper.copy().fileName();

    // Something that is no file stands where the copy goes: every write fails, said once.
    ASSERT_TRUE(QDir().mkpath(copy));
    for (int attempt = 0; attempt < 3; ++attempt) {
        workspace.taxpayers.at(1).ulica = cp("Nowa " + std::to_string(attempt));
        keeper.changed();
        keeper.flush();
    }
    EXPECT_EQ(failures.size(), 1);
    EXPECT_FALSE(failures.at(0).at(0).toString().isEmpty());

    ASSERT_TRUE(QDir(copy).removeRecursively());
    keeper.changed();
    keeper.flush();
    Workspace recovered;
    RecoveryCopyInfo info;
    ASSERT_TRUE(LoadRecoveryCopy(copy, recovered, info, nullptr));
    EXPECT_EQ(TaxpayerFileText(recovered.taxpayers), TaxpayerFileText(workspace.taxpayers));
    EXPECT_EQ(failures.size(), 1);
}
