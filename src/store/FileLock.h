#pragma once

#include <QString>

// An exclusive lock on a file (flock), held while the object lives. The system lets it go when
// the holder ends, also when it is killed, so a lock that can be taken marks a holder that is gone.
class FileLock {
public:
    FileLock() = default;
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Takes the lock of an existing file without waiting. Empty (not held) when the file is not
    // there, another holder has it, or the name now stands for another file than the one locked.
    static FileLock tryLock(const QString& fileName);

    bool held() const { return fd_ >= 0; }
    // Whether the name still stands for the locked file (it may have been removed or replaced).
    bool stillNamed() const;
    const QString& fileName() const { return fileName_; }
    // Removes the file while the lock is held, then lets the lock go.
    void removeAndRelease();
    void release();

private:
    int fd_ = -1;
    QString fileName_;
};
