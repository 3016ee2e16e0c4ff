#pragma once

#include <QString>

// Whoever holds the Płatnik database path for the run (the database-access module). The settings
// hand it the remembered path at every load and take it back at every save.
class DatabasePathHolder {
public:
    virtual ~DatabasePathHolder() = default;
    virtual QString dbPath() const = 0;
    virtual void SetDbPath(const QString& path) = 0;
};
