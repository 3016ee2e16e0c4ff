#include "store/AtomicFileWriter.h"

#include "store/FileErrors.h"
#include "store/FileReplacement.h"

#include <csignal>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace {

// A write beyond the file-size limit (ulimit -f) must fail like a full disk and be reported, not
// end the program with SIGXFSZ before it can keep the earlier file.
void reportFileSizeLimitAsError() {
    static std::once_flag once;
    std::call_once(once, [] { std::signal(SIGXFSZ, SIG_IGN); });
}

// Closes the folder of a write when the write is over, however it ends.
class FolderHandle {
public:
    explicit FolderHandle(TargetFolder folder) : folder_(std::move(folder)) {}
    ~FolderHandle() { CloseFolder(folder_.fd); }
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;
    const TargetFolder& operator*() const { return folder_; }
    const TargetFolder* operator->() const { return &folder_; }

private:
    TargetFolder folder_;
};

}  // namespace

void WriteFileAtomically(const QString& fileName, const std::function<std::string_view()>& nextChunk,
                         const FileWriteOptions& options) {
    reportFileSizeLimitAsError();
    const FolderHandle folder(OpenTargetFolder(fileName, options));
    FileReplacement file(fileName, folder->fd, folder->targetName, options);
    for (std::string_view bytes = nextChunk(); !bytes.empty(); bytes = nextChunk()) file.write(bytes);
    file.sync();
    file.name();
    file.keep(SyncFolder(folder->fd));
}

void WriteFileAtomically(const QString& fileName, std::string_view bytes, const FileWriteOptions& options) {
    bool given = false;
    WriteFileAtomically(
        fileName,
        [&]() -> std::string_view {
            if (given) return {};
            given = true;
            return bytes;
        },
        options);
}

struct FileSetWriter::State {
    FileWriteOptions options;
    std::map<std::string, int> folders;  // path → open folder
    std::vector<std::unique_ptr<FileReplacement>> staged;
    int committed = 0;

    int folderOf(const QString& fileName, std::string& targetName) {
        TargetFolder folder = OpenTargetFolder(fileName, options);
        targetName = std::move(folder.targetName);
        const auto [place, added] = folders.emplace(folder.path, folder.fd);
        if (!added) CloseFolder(folder.fd);
        return place->second;
    }

    // After a failure: every file not yet in place is undone; those in place count as committed.
    void abandonStaged() noexcept {
        for (const auto& file : staged) {
            file->abandon();
            if (file->inPlace()) ++committed;
        }
        staged.clear();
    }

    // Ends every staged file once its folder is synced. When a sync failed, every file is still
    // ended (undone where it can be, kept where it is the only copy) before the failure goes on;
    // the message that a file stays unconfirmed outweighs the others.
    void keepStaged() {
        std::map<int, int> syncErrors;  // folder → what its sync answered
        for (const auto& [path, fd] : folders) syncErrors[fd] = SyncFolder(fd);
        std::optional<FileError> failure;
        bool failureInPlace = false;
        for (const auto& file : staged) {
            try {
                file->keep(syncErrors[file->folderFd()]);
            } catch (const FileError& error) {
                if (!failure || (file->inPlace() && !failureInPlace)) {
                    failure = error;
                    failureInPlace = file->inPlace();
                }
            }
        }
        if (failure) throw *failure;
    }

    ~State() {
        abandonStaged();
        for (const auto& [path, fd] : folders) CloseFolder(fd);
    }
};

FileSetWriter::FileSetWriter(FileWriteOptions options) : state_(std::make_unique<State>()) {
    state_->options = std::move(options);
    reportFileSizeLimitAsError();
}

FileSetWriter::~FileSetWriter() = default;

void FileSetWriter::stage(const QString& fileName, std::string_view bytes) {
    try {
        std::string targetName;
        const int folderFd = state_->folderOf(fileName, targetName);
        state_->staged.push_back(
            std::make_unique<FileReplacement>(fileName, folderFd, std::move(targetName), state_->options));
        state_->staged.back()->write(bytes);
    } catch (...) {
        state_->abandonStaged();
        throw;
    }
}

void FileSetWriter::commit() {
    try {
        for (const auto& file : state_->staged) file->sync();
        for (const auto& file : state_->staged) file->name();
        state_->keepStaged();
    } catch (...) {
        state_->abandonStaged();
        throw;
    }
    state_->committed += static_cast<int>(state_->staged.size());
    state_->staged.clear();
}

int FileSetWriter::committed() const { return state_->committed; }
