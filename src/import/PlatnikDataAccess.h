#pragma once

#include "import/PlatnikConnection.h"

#include <QString>

// The data-access module: keeps the database path and password for the whole run (the password
// in memory only), tests logins and opens the connection for the readers. How a failed login is
// shown is left to the front end (a message box, a line on the terminal).
class PlatnikDataAccess {
public:
    virtual ~PlatnikDataAccess() = default;

    virtual void SetDbPath(const QString& path) { connection_.SetDbPath(path); }
    QString DbPath() const { return connection_.DbPath(); }
    void SetDbPassword(const QString& password) { connection_.SetDbPassword(password); }

    void PrepareConnection() { connection_.PrepareConnection(); }
    // Tries a login and reports a failure; the connection is closed afterwards in every case.
    bool TestLogin();
    // Logs in like TestLogin (a failure is reported) and leaves the connection open when the
    // login works. A database that fails after the login (the file went away, for instance)
    // fails the first table opened (DatabaseError).
    bool OpenDatabase();

    bool IsConnected() const { return connection_.IsConnected(); }
    QString ConnectionText() const { return connection_.ConnectionText(); }
    PlatnikConnection& ADOConnection() { return connection_; }
    PlatnikTable& ADOTable() { return connection_.Table(); }

protected:
    virtual void ReportLoginFailure(const LoginResult& result) = 0;

private:
    PlatnikConnection connection_;
};
