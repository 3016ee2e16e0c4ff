#include "formvel/app/FormIdCounter.h"

#include "store/AtomicFileWriter.h"
#include "store/FileErrors.h"
#include "store/WholeFileReader.h"

#include <string>

namespace {

constexpr std::int64_t kLargestFile = 64;

int ReadReservedEnd(const QString& file) {
    if (file.isEmpty()) return 0;
    try {
        const std::optional<std::string> text = ReadWholeFile(file, kLargestFile);
        if (!text) return 0;
        bool numeric = false;
        const int end = QByteArray::fromStdString(*text).trimmed().toInt(&numeric);
        return numeric && end >= 1 && end <= FormIdCounter::kLastId ? end : 0;
    } catch (const FileError&) {
        return 0;  // a file that is not ours: start from the beginning
    }
}

}  // namespace

FormIdCounter::FormIdCounter(QString file) : file_(std::move(file)), last_(ReadReservedEnd(file_)) {}

void FormIdCounter::reserve() {
    left_ = kBlock;
    if (file_.isEmpty()) return;
    const int end = (last_ - 1 + kBlock - 1) % kLastId + 1;
    try {
        WriteFileAtomically(file_, std::to_string(end) + '\n');
    } catch (const FileError&) {
        // Ids still differ within this program's lifetime; forms are guarded by their owner.
    }
}

int FormIdCounter::next(const std::function<bool(int id)>& inUse) {
    for (int attempt = 0; attempt < kLastId; ++attempt) {
        last_ = last_ % kLastId + 1;
        if (left_ == 0) reserve();
        --left_;
        if (!inUse(last_)) return last_;
    }
    return 0;
}
