#pragma once

#include "import/MdbStreamParser.h"

#include <QString>
#include <QStringList>

#include <functional>

// Runs the database reader helper (fiskon-mdb-reader) on one database and collects what it sends.
class MdbReaderProcess {
public:
    // Where the helper is looked for, in order: FISKON_MDB_READER, beside the running program,
    // the installed helper folder. Empty when it is nowhere.
    static QString findProgram();

    void setProgram(const QString& program) { program_ = program; }
    const QString& program() const { return program_; }
    void setBounds(MdbTableBounds bounds) { bounds_ = bounds; }
    const MdbTableBounds& bounds() const { return bounds_; }
    // Called every few milliseconds while the helper runs (a window may handle its events
    // there); when it returns true the helper is stopped and run() throws ReadingCancelled.
    void setShouldStop(std::function<bool()> shouldStop) { shouldStop_ = std::move(shouldStop); }

    // Runs the helper: the password goes to its standard input, the tables (each "NAME" or
    // "NAME=COLUMN,...") are read in order, their rows parsed as they arrive. Throws
    // DatabaseError when the helper cannot be started, crashes, is killed, outlives `timeoutMs`
    // (it is then killed), sends a malformed stream or a table beyond the bounds (the helper is
    // stopped at once; RecordLimitError when a table has more rows than the bound). A failure the
    // helper reports itself comes back as a Failed result.
    MdbStreamResult run(const QString& databasePath, const QString& password,
                        const QStringList& tables, int timeoutMs) const;

private:
    QString program_;
    MdbTableBounds bounds_;
    std::function<bool()> shouldStop_;
};
