#pragma once

#include <QDateTime>
#include <QString>

#include <optional>
#include <string>

// The mark that a data file is open in a Fiskon, beside it as office suites keep theirs: for the
// file "podatnicy.txt" the hidden file ".~lock.podatnicy.txt#" in the same folder. It holds a few
// lines of UTF-8 text (section "[Fiskon]"): the user's login ("Uzytkownik"), the computer's name
// ("Komputer") and machine id ("IdKomputera"), the process id ("Proces"), its start time in clock
// ticks after boot ("StartProcesu"), the boot id ("Uruchomienie") and when the file was opened
// ("Otwarto", ISO 8601).
//
// The mark is made whole before it takes its name: written through the program's writer under a
// name of its own, then hard-linked to the lock name, which fails when any file (or a planted
// link) stands there already; a file system without hard links gets it by a rename that never
// replaces. A folder where it cannot be made (read-only, full) simply has no mark.
//
// A mark left by a process of this computer that no longer runs (its id is free, or now belongs
// to a process started at another time, or the computer was restarted since) is stale and taken
// over without a question. Only a mark whose content is still ours is removed.

struct LockHolder {
    QString user;
    QString host;
    QDateTime openedAt;  // invalid when the mark does not say
    bool readable = true;  // false: a mark of another program, or one being written
};

// The question a Fiskon asks before it opens a data file that `holder` has open (title "Uwaga!",
// a warning; the answers "Otwórz mimo to" and "Nie otwieraj").
QString OpenedElsewhereQuestion(const LockHolder& holder, const QString& dataFile);

class RegisterLock {
public:
    RegisterLock() = default;
    ~RegisterLock();
    RegisterLock(RegisterLock&& other) noexcept;
    RegisterLock& operator=(RegisterLock&& other) noexcept;
    RegisterLock(const RegisterLock&) = delete;
    RegisterLock& operator=(const RegisterLock&) = delete;

    // The name of the mark of a data file.
    static QString lockFileName(const QString& dataFile);

    // Who else has the data file open: std::nullopt when there is no mark, the mark is this
    // process's own, or it is stale.
    static std::optional<LockHolder> otherHolder(const QString& dataFile);

    // Marks the data file open by this process. Not held when another live holder (or one of
    // another computer) marks it, or the mark cannot be made; a stale mark is taken over.
    static RegisterLock take(const QString& dataFile);

    bool held() const { return !lockFile_.isEmpty(); }
    // Whether this is the mark of that data file.
    bool marks(const QString& dataFile) const;
    // Removes the mark, when it is still ours.
    void release();

private:
    QString dataFile_;  // absolute
    QString lockFile_;
    std::string content_;  // what we wrote: the mark is removed only while it holds this
};
