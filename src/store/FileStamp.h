#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QString>

#include <cstdint>
#include <string_view>

// What a file held when this Fiskon last read it or wrote it: its length and a SHA-256 of its
// bytes, taken from the very bytes the reader read or the writer wrote, so that no other program's
// write can fall between the reading and the stamping.
//
// The bytes decide, not the file's identity or times: a file whose content was changed and whose
// modification time was then set back (touch -r, utimensat), or that was written twice within the
// time resolution of its file system (FAT keeps two seconds), still counts as changed; a file only
// touched, or replaced by another holding the very same bytes, counts as unchanged, since saving
// over it loses nothing.
struct FileStamp {
    bool known = false;  // false: never read nor written by this Fiskon (nothing to compare)
    std::int64_t size = 0;
    QByteArray sha256;

    static FileStamp ofBytes(std::string_view bytes);
};

// A stamp made from bytes as they pass, piece by piece (a file written in pieces).
class FileStampMaker {
public:
    FileStampMaker();
    void add(std::string_view bytes);
    std::int64_t size() const { return size_; }
    FileStamp finish();

private:
    QCryptographicHash hash_;
    std::int64_t size_ = 0;
};

enum class DiskChange {
    Unchanged,  // the same bytes as stamped (or nothing stamped to compare with)
    Changed,    // other bytes, or something at the name that cannot be read as a file
    Deleted,    // no file of that name any more
};

// Compares the stamp with what the file holds now. A file of another length is changed without
// being read; otherwise it is read (not followed into a pipe or a device) and hashed.
DiskChange CompareWithDisk(const FileStamp& stamp, const QString& fileName);
