#pragma once

#include "store/FileLock.h"
#include "store/RecoveryCopyText.h"

#include <QString>

#include <string_view>
#include <utility>
#include <vector>

// The folder of the recovery copies: $XDG_STATE_HOME/fiskon, by default ~/.local/state/fiskon.
// The copies hold PESELs and incomes: the folder is the user's alone (0700), every copy 0600.
//
// Each running Fiskon keeps its own copy, "kopia-<id>.txt", beside a lock file "kopia-<id>.lock"
// that it holds locked as long as it runs. A copy whose lock can be taken belongs to a Fiskon that
// ended without a clean close (a crash, a kill, a power cut): that one is offered for recovery.
// The copy's head names its Fiskon too (process and boot), so that a lock file removed by hand
// does not make the copy of a Fiskon that still runs look left behind.
QString RecoveryFolderPath();

// This Fiskon's own copy. Making it creates the folder (0700) and takes the lock; nothing is
// written before the first write().
class OwnRecoveryCopy {
public:
    // Throws FileError when the folder or the lock cannot be made.
    explicit OwnRecoveryCopy(const QString& folder);
    ~OwnRecoveryCopy();
    OwnRecoveryCopy(const OwnRecoveryCopy&) = delete;
    OwnRecoveryCopy& operator=(const OwnRecoveryCopy&) = delete;

    const QString& fileName() const { return fileName_; }
    // Replaces the copy through the program's one writer; safe to call from a worker thread
    // (one write at a time). Throws FileError; the earlier copy then stays.
    void write(std::string_view text) const;
    // Removes the copy (a save or a clean close made it needless); the lock stays.
    void remove() const;

private:
    QString fileName_;
    FileLock lock_;
};

// A copy left by a Fiskon that is gone, locked by this Fiskon while it decides about it, so that
// another Fiskon starting now does not offer it too.
class OrphanedRecoveryCopy {
public:
    OrphanedRecoveryCopy(QString fileName, FileLock lock, RecoveryCopyInfo info)
        : fileName_(std::move(fileName)), lock_(std::move(lock)), info_(std::move(info)) {}

    const QString& fileName() const { return fileName_; }
    const RecoveryCopyInfo& info() const { return info_; }
    // Whether it can be brought back: a copy that is not whole (cut short, changed on the disk)
    // brings nothing back.
    bool whole() const { return info_.whole; }
    // Removes the copy and its lock: after it was recovered or discarded.
    void remove();
    // Moves a copy that is not whole out of the way, into "uszkodzona-<id>.txt" in the same
    // folder, where it is never offered again but stays for the user to look at; removes its
    // lock. The new name, or empty (the copy left where it is) when it cannot be moved.
    QString setAside();

private:
    QString fileName_;
    FileLock lock_;
    RecoveryCopyInfo info_;
};

// The copies of Fiskons that are gone, newest first, whole or not (see whole()). Copies of running
// Fiskons are left alone, also one whose lock file is gone; locks left without a copy are cleared
// away; files that cannot be read are skipped.
std::vector<OrphanedRecoveryCopy> FindOrphanedRecoveryCopies(const QString& folder);
