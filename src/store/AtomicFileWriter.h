#pragma once

#include <QString>

#include <sys/types.h>

#include <functional>
#include <memory>
#include <optional>
#include <string_view>

// The program's one way of writing a file. The bytes go to a new temporary file in the target's
// folder (unnamed where the file system allows), are flushed to the disk, and only then take the
// target's name; the folder is synced after. Every system call is checked: when anything fails the
// temporary file is gone, the target is byte for byte what it was, and FileError (a Polish
// sentence naming the file and the reason) is thrown. One failure cannot be undone: on a file
// system without hard links (FAT, exFAT) the earlier file has no second name once replaced, and
// when the folder's sync fails after that, the new file (already flushed) stays and the message
// says that its flush to the disk could not be confirmed. FileReplacement.h has every case.
//
// What stands at the target decides too: a folder, a device, a pipe, a read-only file and a
// dangling link are never replaced; a link to an existing regular file is written through (the
// file it names gets the new bytes), unless the options say that links are to be replaced.

struct FileWriteOptions {
    // A link at the target is replaced by the new file instead of being followed: for names the
    // program makes up itself (the files of a batch), where a planted link must lead nowhere.
    bool replaceLinks = false;
    // The permissions of the new file; without it an existing file keeps its own and a new one
    // gets 0666 less the umask.
    std::optional<mode_t> mode;
};

void WriteFileAtomically(const QString& fileName, std::string_view bytes, const FileWriteOptions& options = {});
// The same for bytes made piece by piece: `nextChunk` is called until it gives an empty piece, and
// each piece is taken before the next is asked for (a piece stays valid until then). An exception
// from `nextChunk` leaves the earlier file as it was and goes on to the caller.
void WriteFileAtomically(const QString& fileName, const std::function<std::string_view()>& nextChunk,
                         const FileWriteOptions& options = {});

// Many files made durable together, as a batch of PDFs needs: each staged file is written to a
// temporary file at once; commit() flushes them all, gives each its name in the order staged and
// syncs their folders once. A failure in stage() or commit() throws FileError; the files named
// before it are whole and stay (committed() tells how many), every other temporary file is
// removed and the names they were meant for keep what they held, except a file that replaced one
// on a file system without a second name for it: that one is whole, stays and counts. Destroying
// the set without commit() removes every temporary file. Keep a set to a few dozen files between commits: each
// holds an open file.
class FileSetWriter {
public:
    explicit FileSetWriter(FileWriteOptions options = {});
    ~FileSetWriter();
    FileSetWriter(const FileSetWriter&) = delete;
    FileSetWriter& operator=(const FileSetWriter&) = delete;

    void stage(const QString& fileName, std::string_view bytes);
    void commit();
    // Files that took their names, over every commit so far.
    int committed() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};
