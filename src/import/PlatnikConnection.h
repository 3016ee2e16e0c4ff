#pragma once

#include "import/MdbReaderProcess.h"

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// How a login ended, with the message the user is to see when it failed.
struct LoginResult {
    enum class Outcome { Ok, NoFile, Refused };
    Outcome outcome = Outcome::Ok;
    QString message;   // empty when the login worked
    bool ok() const { return outcome == Outcome::Ok; }
    // The missing file is an error; a database that refuses the login is a warning.
    bool errorIcon() const { return outcome == Outcome::NoFile; }
};

inline const QString kReadingErrorMessage =
    QStringLiteral("Prawdopodobnie baza jest otwarta w innym programie, uniemożliwiając odczyt!");

class PlatnikConnection;

// The table object bound to the connection: a table is opened by name and read whole, then the
// caller positions on a row (from 1) and takes column values by name.
class PlatnikTable {
public:
    explicit PlatnikTable(PlatnikConnection& connection) : connection_(connection) {}

    // Naming a table forgets the columns set for the one before.
    void SetTableName(std::string_view name) {
        tableName_ = name;
        fieldNames_.clear();
    }
    // The columns the caller will read; only they are fetched from the database (none set: all).
    void SetFieldNames(std::vector<std::string> names) { fieldNames_ = std::move(names); }
    const std::string& TableName() const { return tableName_; }
    // Reads the named table. Throws DatabaseError (a missing table, a closed connection, a file
    // that can no longer be read); the table then stays closed.
    void Open();
    void Close();
    bool Active() const { return data_ != nullptr; }

    // Rows of the open table (every row: no 16-bit limit).
    std::size_t RecordCount() const;
    // Positions on a row, counted from 1. Throws DatabaseError when out of range.
    void MoveTo(std::size_t row);
    // Position of a column in the open table; throws DatabaseError when the table has none such.
    std::size_t FieldIndex(std::string_view column) const;
    // Values of the current row: text as read (code page 1250; NULL is empty) or an integer
    // (empty is 0; throws DatabaseError for text that is not a 32-bit integer).
    std::string_view AsText(std::size_t field) const;
    std::int32_t AsInteger(std::size_t field) const;
    std::string_view AsText(std::string_view column) const { return AsText(FieldIndex(column)); }
    std::int32_t AsInteger(std::string_view column) const { return AsInteger(FieldIndex(column)); }

private:
    PlatnikConnection& connection_;
    std::string tableName_ = "ZUSZUA";
    std::vector<std::string> fieldNames_;
    std::unique_ptr<MdbTableData> data_;
    std::size_t row_ = 0;  // from 0
};

// The connection to one Płatnik database: always read-only, through the reader helper.
class PlatnikConnection {
public:
    static constexpr int kDefaultLoginTimeoutMs = 30'000;
    static constexpr int kDefaultTableTimeoutMs = 300'000;

    PlatnikConnection() : table_(*this) {}

    void SetDbPath(const QString& path) { dbPath_ = path; }
    const QString& DbPath() const { return dbPath_; }
    void SetDbPassword(const QString& password) { dbPassword_ = password; }

    // Closes the connection, builds the connection text anew and resets the table object.
    void PrepareConnection();
    // Checks the file and the password; always leaves the connection closed.
    LoginResult TestLogin();
    // Checks the file and the password like TestLogin, but leaves the connection open when the
    // login works: one run of the reader where TestLogin followed by Open takes two.
    LoginResult Login();
    // Opens the connection again after a successful TestLogin and leaves it open. Throws
    // DatabaseError when that second opening fails (the file went away meanwhile, for instance).
    void Open();
    void Close() { connected_ = false; }

    bool IsConnected() const { return connected_; }
    // The connection text in the form the Jet provider took. Shown for information only: the
    // path and password reach the reader separately, so a password with ";" still works.
    const QString& ConnectionText() const { return connectionText_; }
    PlatnikTable& Table() { return table_; }

    void setReaderProgram(const QString& program) { process_.setProgram(program); }
    // The most a table may bring (rows, bytes of values); beyond, opening it fails.
    void setTableBounds(MdbTableBounds bounds) { process_.setBounds(bounds); }
    // Asked while a table is read; true stops the reading (ReadingCancelled).
    void setShouldStop(std::function<bool()> shouldStop) { process_.setShouldStop(std::move(shouldStop)); }
    void setTimeouts(int loginMs, int tableMs) {
        loginTimeoutMs_ = loginMs;
        tableTimeoutMs_ = tableMs;
    }

    // True when the path names something other than a folder.
    static bool FileExists(const QString& path);

private:
    friend class PlatnikTable;
    // Runs the reader; returns the login failure message (empty on success). Throws DatabaseError
    // when the reader itself fails.
    MdbStreamResult runReader(const QStringList& tables, int timeoutMs) const;

    QString dbPath_;
    QString dbPassword_;
    QString connectionText_;
    bool connected_ = false;
    int loginTimeoutMs_ = kDefaultLoginTimeoutMs;
    int tableTimeoutMs_ = kDefaultTableTimeoutMs;
    MdbReaderProcess process_;
    PlatnikTable table_;
};

// The provider's words for a failure the reader reported.
QString DatabaseFailureText(mdbstream::MdbFailure failure, const QString& detail, const QString& path);
