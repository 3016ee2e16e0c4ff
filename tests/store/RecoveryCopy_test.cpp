// The recovery copy: its text brings every datum back in the order it had, a damaged copy brings
// nothing and is set aside, a copy made while the data moved on is given up, a copy is offered only
// once its Fiskon is gone (a real process that ends without a clean close, also one whose lock file
// was removed by hand), and the keeper writes at most once per interval and removes the copy once
// everything is saved.

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

#include <functional>
#include <set>

#include <signal.h>
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

// `count` taxpayers with distinct names, PESELs, streets and amounts, in no sort order, so that
// each sort key gives another order.
Workspace largeWorkspace(int count) {
    Workspace w;
    for (int i = 0; i < count; ++i) {
        const int scrambled = (i * 7919) % count;
        TaxpayerRecord record = person("Nazwisko" + std::to_string(scrambled), "Imie" + std::to_string((scrambled * 31) % count),
                                       std::to_string(70000000000LL + (scrambled * 13) % count));
        record.ulica = "Ulica " + std::to_string(i);
        record.p11Box(34) = std::to_string(i) + ",00";
        EXPECT_TRUE(w.taxpayers.Add(std::move(record)));
    }
    w.payer.nazwa = "Firma";
    w.taxpayersSaved = false;
    return w;
}

// Whether a loaded register holds every taxpayer of `original` exactly once, in its order.
void expectSameRegister(const TaxpayerRegister& loaded, const TaxpayerRegister& original) {
    EXPECT_EQ(loaded.count(), original.count());
    EXPECT_EQ(loaded.sortKey(), original.sortKey());
    std::set<std::string> streets;
    for (int i = 0; i < loaded.count(); ++i) streets.insert(std::string(loaded.at(i).ulica.view()));
    EXPECT_EQ(streets.size(), static_cast<std::size_t>(original.count()));
    EXPECT_EQ(TaxpayerFileText(loaded), TaxpayerFileText(original));
}

const RecoveryCopyHolder kGoneHolder{{1, 1}, "boot"};

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

// Between two slices of a copy, each of these changes makes the copy's slices disagree, whether or
// not anyone said so: the builder gives up, and a build made afresh is the copy of the final data.
TEST(RecoveryCopyBuilder, GivesUpWhenTheDataMoveOnBetweenSlices) {
    const QDateTime madeAt(QDate(2026, 3, 14), QTime(9, 26, 53));
    struct Change {
        const char* what;
        std::function<void(Workspace&)> make;
    };
    const std::vector<Change> changes = {
        {"a sort by another key", [](Workspace& w) { w.taxpayers.Sort(TaxpayerSortKey::SortByPesel); }},
        {"the same sort again", [](Workspace& w) { w.taxpayers.Resort(); }},
        {"one deleted, one added: as many as before",
         [](Workspace& w) {
             w.taxpayers.DeleteAt(2);
             w.taxpayers.Add(person("Nowak", "Ewa", "99123112345"));
         }},
        {"a record edited in place", [](Workspace& w) {
             w.taxpayers.at(7).ulica = cp("Świętojańska");
             w.markTaxpayersChanged();
         }},
        {"duplicates merged", [](Workspace& w) { w.taxpayers.RemoveDuplicates(); }},
        {"the register replaced by another of as many", [](Workspace& w) {
             Workspace other = largeWorkspace(w.taxpayers.count());
             other.taxpayers.Sort(TaxpayerSortKey::SortByImie);
             w.taxpayers = std::move(other.taxpayers);
         }},
        {"the payer changed", [](Workspace& w) {
             w.payer.nazwa = cp("Inna Spółka");
             w.markPayerChanged();
         }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        Workspace workspace = largeWorkspace(9);
        RecoveryCopyBuilder halfMade(workspace, madeAt, kGoneHolder);
        ASSERT_FALSE(halfMade.step(4));
        change.make(workspace);
        EXPECT_TRUE(halfMade.step(4));
        EXPECT_TRUE(halfMade.abandoned());

        RecoveryCopyBuilder afresh(workspace, madeAt, kGoneHolder);
        while (!afresh.step(4)) {}
        ASSERT_FALSE(afresh.abandoned());
        std::string text = afresh.take();
        SealRecoveryCopy(text, afresh.taxpayerCount());
        EXPECT_EQ(text, RecoveryCopyText(workspace, madeAt, kGoneHolder));
    }
    // Untouched, the slices make the same text as one go.
    Workspace workspace = largeWorkspace(9);
    RecoveryCopyBuilder builder(workspace, madeAt, kGoneHolder);
    while (!builder.step(2)) {}
    EXPECT_FALSE(builder.abandoned());
    std::string text = builder.take();
    SealRecoveryCopy(text, builder.taxpayerCount());
    EXPECT_EQ(text, RecoveryCopyText(workspace, madeAt, kGoneHolder));
}

// A copy whose bytes are not all as written is never taken for whole: not read as whole, not
// loaded, the workspace untouched.
TEST(RecoveryCopyText, ADamagedCopyIsNeverTakenForWhole) {
    QTemporaryDir dir;
    const std::string text = RecoveryCopyText(sampleWorkspace(), QDateTime::currentDateTime(), kGoneHolder);
    const auto flipped = [&text](std::size_t at) {
        std::string damaged = text;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x01);
        return damaged;
    };
    const std::size_t seal = text.rfind("[Koniec]");
    // One taxpayer taken out and every count lowered to agree: only the checksum tells.
    std::string shortened = text.substr(0, seal);
    const std::size_t third = shortened.find("[s3]");
    shortened.erase(third, shortened.find("[Parametry]") - third);
    for (auto [from, to] : {std::pair{"LiczbaPodatnikow=3", "LiczbaPodatnikow=2"}, {"LiczbaRekordow=3", "LiczbaRekordow=2"}})
        shortened.replace(shortened.find(from), std::strlen(from), to);
    shortened += text.substr(seal);
    shortened.replace(shortened.rfind("LiczbaPodatnikow=3"), 18, "LiczbaPodatnikow=2");

    const std::vector<std::pair<const char*, std::string>> damages = {
        {"the seal missing", text.substr(0, seal)},
        {"cut inside the seal", text.substr(0, text.size() - 20)},
        {"the last line end missing", text.substr(0, text.size() - 1)},
        {"a byte after the seal", text + "x"},
        {"a bit flipped in the head", flipped(text.find("Zapisano=") + 10)},
        {"a bit flipped in a taxpayer", flipped(text.find("[s2]") + 20)},
        {"a bit flipped in the record count", flipped(text.find("LiczbaRekordow=") + 15)},
        {"a bit flipped in the checksum", flipped(text.size() - 3)},
        {"a bit flipped in the seal's count", flipped(seal + 27)},
        {"a taxpayer taken out, the counts lowered", shortened},
    };
    for (const auto& [what, bytes] : damages) {
        SCOPED_TRACE(what);
        const QString file = dir.filePath("kopia.txt");
        writeBytes(file, bytes);
        RecoveryCopyInfo info;
        EXPECT_TRUE(ReadRecoveryCopyInfo(file, info));
        EXPECT_FALSE(info.whole);
        Workspace workspace = sampleWorkspace();
        workspace.dataFileName = "/tmp/inny.txt";
        const std::string before = TaxpayerFileText(workspace.taxpayers);
        QString failure;
        EXPECT_FALSE(LoadRecoveryCopy(file, workspace, info, &failure));
        EXPECT_FALSE(failure.isEmpty());
        EXPECT_EQ(TaxpayerFileText(workspace.taxpayers), before);
        EXPECT_EQ(workspace.dataFileName, "/tmp/inny.txt");
    }
    const QString file = dir.filePath("kopia.txt");
    writeBytes(file, text);
    RecoveryCopyInfo info;
    ASSERT_TRUE(ReadRecoveryCopyInfo(file, info));
    EXPECT_TRUE(info.whole);
}

// The order a register had is not always the order of its sort key (equal keys after an exchange
// sort, a record edited in place since): it comes back as it was, with its key.
TEST(RecoveryCopyText, BringsBackTheOrderTheRegisterHad) {
    QTemporaryDir dir;
    Workspace original;
    for (const char* street : {"pierwsza", "druga", "trzecia"}) {
        TaxpayerRecord record = person(street[0] == 't' ? "ABEL" : "BAK", "Jan");
        record.ulica = street;
        original.taxpayers.Add(record);
    }
    original.taxpayers.Sort(TaxpayerSortKey::SortByNazwisko);  // [ABEL, BAK druga, BAK]
    original.taxpayers.at(0).nazwisko = "ZYTA";                 // edited, not yet sorted again
    original.markTaxpayersChanged();
    const QString file = dir.filePath("kopia.txt");
    writeBytes(file, RecoveryCopyText(original, QDateTime::currentDateTime(), kGoneHolder));
    Workspace recovered;
    RecoveryCopyInfo info;
    ASSERT_TRUE(LoadRecoveryCopy(file, recovered, info, nullptr));
    expectSameRegister(recovered.taxpayers, original.taxpayers);
    EXPECT_EQ(recovered.taxpayers.at(0).nazwisko.view(), "ZYTA");
    EXPECT_EQ(recovered.taxpayers.at(1).ulica.view(), "druga");
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

// A Fiskon in another process keeps its copy and runs on, while its lock file is removed by hand
// (a clean-up of the folder): its copy is still not offered; once it is killed, it is.
TEST(RecoveryFolder, ALiveCopyIsNotOfferedWhenItsLockFileIsRemovedByHand) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("fiskon");
    OwnRecoveryCopy running(folder);  // this process runs too
    running.write(RecoveryCopyText(sampleWorkspace(), QDateTime::currentDateTime()));
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        auto* copy = new OwnRecoveryCopy(folder);
        copy->write(RecoveryCopyText(sampleWorkspace(), QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53))));
        (void)!::write(ready[1], "r", 1);
        for (;;) ::pause();
    }
    ASSERT_GT(child, 0);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    const QStringList locks = QDir(folder).entryList({"kopia-*.lock"}, QDir::Files);
    ASSERT_EQ(locks.size(), 2);
    for (const QString& lock : locks) ASSERT_TRUE(QFile::remove(QDir(folder).filePath(lock)));

    EXPECT_TRUE(FindOrphanedRecoveryCopies(folder).empty());
    EXPECT_TRUE(FindOrphanedRecoveryCopies(folder).empty());
    EXPECT_TRUE(QDir(folder).entryList({"kopia-*.lock"}, QDir::Files).isEmpty());  // none made for them

    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    std::vector<OrphanedRecoveryCopy> orphans = FindOrphanedRecoveryCopies(folder);
    ASSERT_EQ(orphans.size(), 1u);
    EXPECT_TRUE(orphans[0].whole());
    EXPECT_EQ(orphans[0].info().madeAt, QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53)));
    EXPECT_NE(orphans[0].fileName(), running.fileName());
    ::close(ready[0]);
    ::close(ready[1]);
}

// The copy of a Fiskon that is gone, damaged on the disk: offered as not whole, and set aside
// whole byte for byte where it is never offered again.
TEST(RecoveryFolder, ADamagedCopyIsSetAsideNotLostNorOfferedAgain) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("fiskon");
    copyInKilledProcess(folder, sampleWorkspace());
    const QString copy = QDir(folder).filePath(QDir(folder).entryList({"kopia-*.txt"}, QDir::Files).value(0));
    const std::string damaged = readBytes(copy).substr(0, 200);
    writeBytes(copy, damaged);

    std::vector<OrphanedRecoveryCopy> orphans = FindOrphanedRecoveryCopies(folder);
    ASSERT_EQ(orphans.size(), 1u);
    EXPECT_FALSE(orphans[0].whole());
    const QString aside = orphans[0].setAside();
    ASSERT_FALSE(aside.isEmpty());
    EXPECT_TRUE(QFileInfo(aside).fileName().startsWith("uszkodzona-"));
    EXPECT_EQ(readBytes(aside), damaged);
    EXPECT_TRUE(FindOrphanedRecoveryCopies(folder).empty());
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{QFileInfo(aside).fileName()});
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

// A sort while the copy is made a slice at a time, unannounced (as an import's own event loop
// could let one happen): the half-made text is given up, and the one copy written holds every
// taxpayer once, in the new order, with the new key.
TEST_F(RecoveryKeeperTest, ASortWhileTheCopyIsMadeGivesACopyOfTheSortedRegister) {
    QTemporaryDir dir;
    Workspace workspace = largeWorkspace(2 * RecoveryKeeper::kSliceTaxpayers + 1);
    RecoveryKeeper keeper(workspace, std::make_unique<OwnRecoveryCopy>(dir.filePath("fiskon")), 0);
    workspace.changed = [&keeper] { keeper.changed(); };
    workspace.markTaxpayersChanged();
    for (int pass = 0; pass < 1000 && !keeper.building(); ++pass) QCoreApplication::processEvents();
    ASSERT_TRUE(keeper.building());
    workspace.taxpayers.Sort(TaxpayerSortKey::SortByPesel);
    keeper.flush();
    EXPECT_EQ(keeper.writesDone(), 1);

    Workspace recovered;
    RecoveryCopyInfo info;
    QString failure;
    ASSERT_TRUE(LoadRecoveryCopy(keeper.copy().fileName(), recovered, info, &failure)) << failure.toStdString();
    expectSameRegister(recovered.taxpayers, workspace.taxpayers);
    EXPECT_EQ(recovered.taxpayers.sortKey(), TaxpayerSortKey::SortByPesel);
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
