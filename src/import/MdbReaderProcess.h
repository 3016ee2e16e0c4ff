#pragma once

#include "import/MdbStreamParser.h"

#include <QString>
#include <QStringList>

// Runs the database reader helper (fiskon-mdb-reader) on one database and collects what it sends.
class MdbReaderProcess {
public:
    // Where the helper is looked for, in order: FISKON_MDB_READER, beside the running program,
    // the installed helper folder, the build tree. Empty when it is nowhere.
    static QString findProgram();

    void setProgram(const QString& program) { program_ = program; }
    const QString& program() const { return program_; }

    // Runs the helper: the password goes to its standard input, the tables are read in order.
    // Throws DatabaseError when the helper cannot be started, crashes, is killed, outlives
    // `timeoutMs` (it is then killed) or sends a malformed stream. A failure the helper reports
    // itself comes back as a Failed result.
    MdbStreamResult run(const QString& databasePath, const QString& password,
                        const QStringList& tables, int timeoutMs) const;

private:
    QString program_;
};
