#include "import/DatabaseError.h"
#include "import/PlatnikConnection.h"
#include "store/RecordLimit.h"

#include "PlatnikTestAccess.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kLoginPrefix = QStringLiteral("Podczas próby logowania do bazy wystąpił następujący błąd : \r\n");
const QString kNoFile = QStringLiteral("Błędnie wskazany plik bazy danych!");

struct LoginCase {
    const char* what;
    QString path;
    QString password;
    LoginResult::Outcome outcome;
    QString provider;  // the provider's part of the message (contained in it)
};

QString EmptyFile(const QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("pusty.mdb"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    return path;
}

TEST(PlatnikConnection, LoginOutcomes) {
    QTemporaryDir dir;
    using O = LoginResult::Outcome;
    const LoginCase cases[] = {
        {"right password", Fixture("basic.mdb"), kFixturePassword, O::Ok, {}},
        {"wrong password", Fixture("basic.mdb"), QStringLiteral("zaq12wsx"), O::Refused,
         QStringLiteral("Nieprawidłowe hasło.")},
        {"empty password on a protected file", Fixture("basic.mdb"), {}, O::Refused,
         QStringLiteral("Nieprawidłowe hasło.")},
        {"Polish letters and a semicolon", Fixture("polish_password.mdb"), QStringLiteral("Hasło;Źdź1"), O::Ok, {}},
        {"semicolon password cut short", Fixture("polish_password.mdb"), QStringLiteral("Hasło"), O::Refused,
         QStringLiteral("Nieprawidłowe hasło.")},
        {"no password needed", Fixture("nopass.mdb"), {}, O::Ok, {}},
        {"not a database", Fixture("not_a_database.mdb"), {}, O::Refused,
         QStringLiteral("Nierozpoznany format bazy danych")},
        {"truncated", Fixture("truncated.mdb"), kFixturePassword, O::Refused, QStringLiteral("uszkodzona lub niekompletna")},
        {"0-byte file", EmptyFile(dir), {}, O::Refused, QStringLiteral("Nierozpoznany format bazy danych")},
        {"device", QStringLiteral("/dev/zero"), {}, O::Refused, QStringLiteral("Nierozpoznany format bazy danych")},
        {"folder", dir.path(), {}, O::NoFile, {}},
        {"missing file", dir.filePath(QStringLiteral("brak.mdb")), kFixturePassword, O::NoFile, {}},
        {"empty path", {}, {}, O::NoFile, {}},
    };
    for (const LoginCase& c : cases) {
        PlatnikConnection connection;
        connection.SetDbPath(c.path);
        connection.SetDbPassword(c.password);
        const LoginResult result = connection.TestLogin();
        EXPECT_EQ(result.outcome, c.outcome) << c.what << ": " << result.message.toStdString();
        EXPECT_FALSE(connection.IsConnected()) << c.what;
        if (c.outcome == O::NoFile) {
            EXPECT_EQ(result.message, kNoFile) << c.what;
            EXPECT_TRUE(result.errorIcon());
        }
        if (c.outcome == O::Refused) {
            EXPECT_TRUE(result.message.startsWith(kLoginPrefix)) << c.what;
            EXPECT_TRUE(result.message.contains(c.provider)) << c.what << ": " << result.message.toStdString();
            EXPECT_FALSE(result.errorIcon());
        }
    }
}

TEST(PlatnikConnection, UnreadableFileIsRefusedWithTheReason) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("zamknieta.mdb"));
    QFile::copy(Fixture("basic.mdb"), path);
    QFile::setPermissions(path, QFileDevice::WriteOwner);
    PlatnikConnection connection;
    connection.SetDbPath(path);
    connection.SetDbPassword(kFixturePassword);
    const LoginResult result = connection.TestLogin();
    EXPECT_EQ(result.outcome, LoginResult::Outcome::Refused);
    EXPECT_TRUE(result.message.contains(QStringLiteral("Nie można otworzyć pliku"))) << result.message.toStdString();
}

TEST(PlatnikConnection, ConnectionTextIsBuiltAsTheProviderTookIt) {
    PlatnikConnection connection;
    connection.SetDbPath(QStringLiteral("C:\\Baza\\PŁATNIK.MDB"));
    connection.SetDbPassword(QStringLiteral("a;b"));
    connection.PrepareConnection();
    EXPECT_EQ(connection.ConnectionText(),
              QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\Baza\\PŁATNIK.MDB;"
                             "Jet OLEDB:Database Password=a;b;Mode=Read"));
    connection.SetDbPassword({});
    connection.PrepareConnection();
    EXPECT_TRUE(connection.ConnectionText().endsWith(QStringLiteral("Database Password=;Mode=Read")));
    EXPECT_EQ(connection.Table().TableName(), "ZUSZUA");
}

TEST(PlatnikConnection, OpenedConnectionReadsTablesByRowAndColumn) {
    PlatnikConnection connection;
    connection.SetDbPath(Fixture("basic.mdb"));
    connection.SetDbPassword(kFixturePassword);
    ASSERT_TRUE(connection.TestLogin().ok());
    connection.Open();
    ASSERT_TRUE(connection.IsConnected());
    EXPECT_EQ(connection.Table().TableName(), "ZUSZUA");
    PlatnikTable& table = connection.Table();
    table.Open();
    ASSERT_EQ(table.RecordCount(), 12u);
    table.MoveTo(1);
    EXPECT_EQ(table.AsInteger("id_ubezpieczony"), 1);
    EXPECT_EQ(table.AsText("III_5_NAZWISKO"), Cp("ŻAK"));
    EXPECT_EQ(table.AsText("III_7_DATAURODZ"), "1980-03-15");
    table.MoveTo(12);
    EXPECT_EQ(table.AsText("III_6_IMIEPIERW"), "");  // NULL reads as empty text
    EXPECT_THROW(table.MoveTo(13), DatabaseError);
    EXPECT_THROW(table.MoveTo(0), DatabaseError);
    EXPECT_THROW(table.AsText("NIE_MA"), DatabaseError);
    EXPECT_THROW(table.AsInteger("III_5_NAZWISKO"), DatabaseError);

    table.SetTableName("UBEZP_ADRES_X");
    try {
        table.Open();
        FAIL() << "a missing table opened";
    } catch (const DatabaseError& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("'UBEZP_ADRES_X'"))) << error.what();
    }
    EXPECT_FALSE(table.Active());
}

TEST(PlatnikConnection, TableNeedsAnOpenConnection) {
    PlatnikConnection connection;
    connection.SetDbPath(Fixture("basic.mdb"));
    connection.SetDbPassword(kFixturePassword);
    EXPECT_THROW(connection.Table().Open(), DatabaseError);
    ASSERT_TRUE(connection.TestLogin().ok());
    EXPECT_THROW(connection.Table().Open(), DatabaseError);  // TestLogin leaves it closed
}

TEST(PlatnikConnection, FileThatDisappearsAfterLoginFailsTheReading) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("platnik.mdb"));
    ASSERT_TRUE(QFile::copy(Fixture("basic.mdb"), path));
    PlatnikConnection connection;
    connection.SetDbPath(path);
    connection.SetDbPassword(kFixturePassword);
    ASSERT_TRUE(connection.TestLogin().ok());
    connection.Open();
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_THROW(connection.Table().Open(), DatabaseError);

    ASSERT_TRUE(QFile::copy(Fixture("basic.mdb"), path));
    ASSERT_TRUE(connection.TestLogin().ok());
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_THROW(connection.Open(), DatabaseError);  // the second opening reports to the caller
    EXPECT_FALSE(connection.IsConnected());
}

// Whatever the helper does wrong, the program gets an error and goes on.
TEST(PlatnikConnection, MisbehavingHelperIsAReadingError) {
    QTemporaryDir dir;
    struct Case {
        const char* name;
        QByteArray script;
    };
    const Case cases[] = {
        {"crash", "kill -SEGV $$"},
        {"killed", "kill -KILL $$"},
        {"garbage", "printf 'to nie jest strumien'"},
        {"silent", "exit 0"},
        {"hangs", "exec sleep 30"},
        {"half a greeting", "printf 'H\\014\\000\\000\\000FISK'"},
    };
    for (const Case& c : cases) {
        PlatnikConnection connection;
        connection.SetDbPath(Fixture("basic.mdb"));
        connection.SetDbPassword(kFixturePassword);
        connection.setReaderProgram(WriteFakeReader(dir, c.name, c.script));
        connection.setTimeouts(1500, 1500);
        const LoginResult login = connection.TestLogin();
        EXPECT_EQ(login.outcome, LoginResult::Outcome::Refused) << c.name;
        EXPECT_THROW(connection.Open(), DatabaseError) << c.name;
    }
    PlatnikConnection connection;
    connection.SetDbPath(Fixture("basic.mdb"));
    connection.setReaderProgram(dir.filePath(QStringLiteral("nie-istnieje")));
    EXPECT_EQ(connection.TestLogin().outcome, LoginResult::Outcome::Refused);
}

TEST(PlatnikConnection, PasswordReachesTheHelperUnparsedAndOffTheCommandLine) {
    QTemporaryDir dir;
    const QString seen = dir.filePath(QStringLiteral("seen"));
    const QByteArray script = "cat > '" + seen.toUtf8() + "'; echo \"$@\" > '" + seen.toUtf8() + ".args'; exit 1";
    PlatnikConnection connection;
    connection.SetDbPath(Fixture("basic.mdb"));
    const QString password = QStringLiteral("Ha;sło\nz\"nową linią");
    connection.SetDbPassword(password);
    connection.setReaderProgram(WriteFakeReader(dir, "spy", script));
    connection.TestLogin();
    QFile stdinCopy(seen);
    ASSERT_TRUE(stdinCopy.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(stdinCopy.readAll()), password);
    QFile args(seen + QStringLiteral(".args"));
    ASSERT_TRUE(args.open(QIODevice::ReadOnly));
    EXPECT_FALSE(QString::fromUtf8(args.readAll()).contains(QStringLiteral("Ha;")));
}

// A helper that answers the login properly and then floods the program with a table without end
// (or with a frame claiming gigabytes): the program takes the table only up to its bounds, stops
// the helper and reports a reading error; it never holds more than the bounds.
TEST(PlatnikConnection, FloodingHelperIsStoppedAtTheBounds) {
    using namespace mdbstream;
    QTemporaryDir dir;
    auto writeFile = [&](const char* name, const std::string& bytes) {
        QFile file(dir.filePath(QString::fromUtf8(name)));
        file.open(QIODevice::WriteOnly);
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return file.fileName().toUtf8();
    };
    std::string login;
    appendFrame(login, kHello, kMagic);
    appendFrame(login, kOpened, {});
    std::string head = login;
    appendFrame(login, kEnd, {});
    appendFrame(head, kTable, "ZUSZUA");
    std::string list;
    appendU32(list, 1);
    appendListItem(list, "ID_UBEZPIECZONY");
    appendFrame(head, kColumns, list);
    std::string rows;
    for (int i = 0; i < 1000; ++i) {
        list.clear();
        appendU32(list, 1);
        appendListItem(list, std::string(100, 'x'));
        appendFrame(rows, kRow, list);
    }
    const QByteArray loginFile = writeFile("login", login);
    const QByteArray headFile = writeFile("head", head);
    const QByteArray rowsFile = writeFile("rows", rows);
    const QByteArray answerLogin = "if [ $# -eq 1 ]; then cat '" + loginFile + "'; exit 0; fi\n";

    struct Case {
        const char* name;
        QByteArray table;   // what the helper sends for a table
        MdbTableBounds bounds;
        bool tooManyRows;   // RecordLimitError, else DatabaseError
    };
    const Case cases[] = {
        {"endless-rows", "cat '" + headFile + "'; while :; do cat '" + rowsFile + "'; done", {5000, 1 << 30}, true},
        {"endless-bytes", "cat '" + headFile + "'; while :; do cat '" + rowsFile + "'; done", {1 << 30, 1 << 20}, false},
        {"huge-frame", "cat '" + headFile + "'; printf 'R\\377\\377\\377\\177'; exec cat /dev/zero", {}, false},
        {"zeros", "exec cat /dev/zero", {}, false},
    };
    for (const Case& c : cases) {
        PlatnikConnection connection;
        connection.SetDbPath(Fixture("basic.mdb"));
        connection.SetDbPassword(kFixturePassword);
        connection.setReaderProgram(WriteFakeReader(dir, c.name, answerLogin + c.table));
        connection.setTableBounds(c.bounds);
        connection.setTimeouts(20'000, 20'000);
        ASSERT_TRUE(connection.TestLogin().ok()) << c.name;
        connection.Open();
        PlatnikTable& table = connection.Table();
        table.SetTableName("ZUSZUA");
        if (c.tooManyRows) {
            try {
                table.Open();
                ADD_FAILURE() << c.name << ": the table was taken whole";
            } catch (const RecordLimitError& error) {
                EXPECT_EQ(error.limit(), 5000) << c.name;
            }
        } else {
            EXPECT_THROW(table.Open(), DatabaseError) << c.name;
        }
        EXPECT_FALSE(table.Active()) << c.name;
    }
}

}  // namespace
