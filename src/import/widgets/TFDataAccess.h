#pragma once

#include "import/PlatnikDataAccess.h"
#include "settings/DatabasePathHolder.h"

#include <QObject>
#include <QString>

class UserInterface;

// The data-access module of the running program: the one connection to the Płatnik database, its
// path and password. Never shown; a failed login is reported through the user interface.
class TFDataAccess : public QObject, public PlatnikDataAccess, public DatabasePathHolder {
    Q_OBJECT

public:
    explicit TFDataAccess(UserInterface& ui, QObject* parent = nullptr);

    // Stores the path and tells the import wizard's path box (dbPathChanged).
    void SetDbPath(const QString& path) override;
    QString dbPath() const override { return DbPath(); }

signals:
    void dbPathChanged(const QString& path);
    // Just before a message is shown: a window that stays on top gets out of its way.
    void aboutToReport();

protected:
    void ReportLoginFailure(const LoginResult& result) override;

private:
    UserInterface& ui_;
};
