#pragma once

#include "settings/DatabasePathHolder.h"

#include <QDialog>
#include <QString>

#include <functional>

// A window that other developers' dialogs stand in for: counts how often it is shown modally and
// runs the test's action as its "user".
class ScriptedDialog : public QDialog {
public:
    int shown = 0;
    std::function<void()> whileShown;
    int exec() override {
        ++shown;
        if (whileShown) whileShown();
        return QDialog::Rejected;
    }
};

// The database-access module's remembered path, held in memory.
class MemoryPath : public DatabasePathHolder {
public:
    QString path;
    QString dbPath() const override { return path; }
    void SetDbPath(const QString& p) override { path = p; }
};
