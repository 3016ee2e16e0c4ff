#pragma once

#include "store/Workspace.h"

#include <QDateTime>
#include <QString>

#include <string>

// The text of a recovery copy: the whole register and payer as they stood after a confirmed
// change, with what is needed to bring them back as they were. Code page 1250, CRLF:
//
//     [Odzyskiwanie]   the data file they came from, when the copy was made, how many taxpayers,
//                      which data were unsaved, the register's sort key, the payer's REGON
//     [Platnik]        the payer, as in the payer file
//     [s1] … [sN]      the taxpayers, as in the taxpayer data file
//     [Parametry]
struct RecoveryCopyInfo {
    QString dataFileName;  // empty when the data came from no file
    QDateTime madeAt;      // local time
    int taxpayerCount = 0;
    bool taxpayersSaved = true;
    bool payerSaved = true;
};

// Builds the text (about as fast as the taxpayer data file's text).
std::string RecoveryCopyText(const Workspace& workspace, const QDateTime& madeAt);

// Builds the same text a slice of taxpayers at a time, so that the thread that owns the data is
// never held for long by a large register. The data must not change between the slices; a builder
// that finds a different number of taxpayers than it began with gives up (`abandoned`).
class RecoveryCopyBuilder {
public:
    RecoveryCopyBuilder(const Workspace& workspace, const QDateTime& madeAt);
    // Adds up to `count` taxpayers; true once the text is complete (or abandoned).
    bool step(int count);
    bool abandoned() const { return abandoned_; }
    std::string take() { return std::move(text_); }

private:
    const Workspace& workspace_;
    std::string text_;
    int next_ = 0;
    int total_ = 0;
    bool abandoned_ = false;
};

// Reads what the copy's head says, without its taxpayers. False when the file is not a
// recovery copy or cannot be read.
bool ReadRecoveryCopyInfo(const QString& fileName, RecoveryCopyInfo& info);

// Brings the copy back into the workspace: register (in its sort order), payer, the file the data
// came from and the saved flags as they were. False (workspace unchanged, `failure` says why)
// when the copy cannot be read whole.
bool LoadRecoveryCopy(const QString& fileName, Workspace& workspace, RecoveryCopyInfo& info, QString* failure);
