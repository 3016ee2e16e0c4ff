// The mail password in a real secret store: gnome-keyring's Secret Service on a session bus of
// the test's own, and no secret store at all (run-with-secret-service runs both).

#include "settings/MailPasswordStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using Answer = MailPasswordStore::Answer;

namespace {

// True when some file under the home folder holds `bytes` as they are.
bool homeHolds(const QByteArray& bytes) {
    QDirIterator files(QDir::homePath(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (file.open(QIODevice::ReadOnly) && file.readAll().contains(bytes)) return true;
    }
    return false;
}

const QByteArray kPassword = QStringLiteral("Zażółć gęślą 1;2@3").toUtf8();

}  // namespace

TEST(SecretService, KeepsEachServerAndUserApartAndNothingInClear) {
    const MailPasswordStore store(20s);
    const QString server = QStringLiteral("poczta.biuro-rachunkowe.pl");
    const QString user = QStringLiteral("kadry@biuro-rachunkowe.pl");
    EXPECT_EQ(store.read(server, user).answer, Answer::NotFound);
    // A store that does not answer in time reads as no store (the bus takes longer than no time).
    const MailPasswordStore::Result late = MailPasswordStore(0ms).read(server, user);
    EXPECT_EQ(late.answer, Answer::NoStore);
    EXPECT_EQ(late.reason, QStringLiteral("magazyn haseł pulpitu nie odpowiedział w ciągu 0 s"));

    struct Entry {
        QString server, user;
        QByteArray password;
    };
    const Entry entries[] = {{server, user, kPassword},
                             {server, QStringLiteral("kadry"), "drugie-haslo"},
                             {QStringLiteral("smtp.innyserwer.pl"), user, "trzecie-haslo"}};
    for (const Entry& entry : entries) {
        const MailPasswordStore::Result written = store.write(entry.server, entry.user, entry.password);
        ASSERT_EQ(written.answer, Answer::Done) << written.reason.toStdString();
    }
    for (const Entry& entry : entries) {
        const MailPasswordStore::Result read = store.read(entry.server, entry.user);
        ASSERT_EQ(read.answer, Answer::Done) << read.reason.toStdString();
        EXPECT_EQ(read.password, entry.password) << entry.user.toStdString();
    }
    // Written again, the entry is replaced, not doubled.
    ASSERT_EQ(store.write(server, user, "nowe-haslo").answer, Answer::Done);
    EXPECT_EQ(store.read(server, user).password, QByteArray("nowe-haslo"));
    ASSERT_EQ(store.write(server, user, kPassword).answer, Answer::Done);

    // The keyring on the disk is encrypted: no password stands there in clear.
    EXPECT_FALSE(QDir(QDir::homePath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    for (const Entry& entry : entries) EXPECT_FALSE(homeHolds(entry.password)) << entry.password.constData();

    EXPECT_EQ(store.forget(server, user).answer, Answer::Done);
    EXPECT_EQ(store.read(server, user).answer, Answer::NotFound);
    EXPECT_EQ(store.forget(server, user).answer, Answer::Done);
    EXPECT_EQ(store.read(server, QStringLiteral("kadry")).password, QByteArray("drugie-haslo"));
}

TEST(NoSecretStore, IsSaidAtOnceAndNothingIsKeptElsewhere) {
    const MailPasswordStore store(20s);
    const QString server = QStringLiteral("poczta.biuro-rachunkowe.pl");
    const QString user = QStringLiteral("kadry@biuro-rachunkowe.pl");
    QElapsedTimer clock;
    clock.start();
    for (const MailPasswordStore::Result& result :
         {store.write(server, user, kPassword), store.read(server, user), store.forget(server, user)}) {
        EXPECT_EQ(result.answer, Answer::NoStore);
        EXPECT_FALSE(result.reason.isEmpty());
        EXPECT_TRUE(result.password.isEmpty());
    }
    // A store that is not there is told without waiting for the time limit.
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_FALSE(homeHolds(kPassword));
}

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
