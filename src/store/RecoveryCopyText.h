#pragma once

#include "store/RecoveryCopyHolder.h"
#include "store/Workspace.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <string>

// The text of a recovery copy: the whole register and payer as they stood after a confirmed
// change, with what is needed to bring them back as they were. Code page 1250, CRLF:
//
//     [Odzyskiwanie]   the data file they came from, when the copy was made, how many taxpayers,
//                      which data were unsaved, the register's sort key, the payer's REGON, and
//                      the Fiskon that keeps the copy
//     [Platnik]        the payer, as in the payer file
//     [s1] … [sN]      the taxpayers in the register's order, as in the taxpayer data file
//     [Parametry]
//     [Koniec]         written last: the number of taxpayers again and the SHA-256 of every byte
//                      before this section. A copy without it, or whose bytes do not agree with
//                      it, is not whole and brings nothing back.
struct RecoveryCopyInfo {
    QString dataFileName;  // empty when the data came from no file
    QDateTime madeAt;      // local time; invalid when a damaged copy does not say
    int taxpayerCount = 0;
    bool taxpayersSaved = true;
    bool payerSaved = true;
    RecoveryCopyHolder holder;
    // The copy is whole: its end is there and agrees with every byte before it.
    bool whole = false;
};

// Builds the whole text, sealed (about as fast as the taxpayer data file's text). `holder` is the
// Fiskon that keeps the copy.
std::string RecoveryCopyText(const Workspace& workspace, const QDateTime& madeAt,
                             const RecoveryCopyHolder& holder = ThisRecoveryCopyHolder());

// Builds the same text a slice of taxpayers at a time, so that the thread that owns the data is
// never held for long by a large register. The data must not change between the slices: a
// builder that finds the register or the workspace changed since it began (any change, a sort
// too) gives up (`abandoned`).
class RecoveryCopyBuilder {
public:
    RecoveryCopyBuilder(const Workspace& workspace, const QDateTime& madeAt,
                        const RecoveryCopyHolder& holder = ThisRecoveryCopyHolder());
    // Adds up to `count` taxpayers; true once the text is complete (or abandoned).
    bool step(int count);
    bool abandoned() const { return abandoned_; }
    int taxpayerCount() const { return total_; }
    // The text without its end: SealRecoveryCopy finishes it (on any thread; it reads every byte).
    std::string take() { return std::move(text_); }

private:
    bool dataMovedOn() const;

    const Workspace& workspace_;
    const std::uint64_t taxpayersRevision_;
    const std::uint64_t workspaceRevision_;
    std::string text_;
    int next_ = 0;
    int total_ = 0;
    bool abandoned_ = false;
};

// Appends the [Koniec] section to a text made by RecoveryCopyBuilder of `taxpayerCount` taxpayers.
void SealRecoveryCopy(std::string& text, int taxpayerCount);

// Reads what the copy says of itself, without loading its taxpayers, and checks whether it is
// whole. False only when the file cannot be read; a file that is no whole copy gives true with
// `whole` false (and what its head still tells, if anything).
bool ReadRecoveryCopyInfo(const QString& fileName, RecoveryCopyInfo& info);

// Brings the copy back into the workspace: register (in the order it had, with its sort key),
// payer, the file the data came from and the saved flags as they were. False (workspace
// unchanged, `failure` says why) when the copy is not whole or cannot be read.
bool LoadRecoveryCopy(const QString& fileName, Workspace& workspace, RecoveryCopyInfo& info, QString* failure);
