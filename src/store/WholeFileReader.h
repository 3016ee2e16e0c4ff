#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// Largest file the program reads whole into memory. A register of a few hundred thousand taxpayers
// stays far below it; anything bigger is not a file of this program.
inline constexpr std::int64_t kMaxReadableFileBytes = std::int64_t{256} * 1024 * 1024;

// Reads a whole regular file. std::nullopt when there is no file of that name. Throws FileError
// (Polish, naming the file and the reason) for a folder, a device or other non-regular file, a
// file larger than `maxBytes`, or a file that cannot be opened or read.
std::optional<std::string> ReadWholeFile(const QString& fileName,
                                         std::int64_t maxBytes = kMaxReadableFileBytes);

// The bytes of a file read whole, in a buffer that is not filled with zeros before the file is
// read into it (for a large file, that filling is a pass over all its memory for nothing).
class FileBytes {
public:
    std::string_view view() const { return {data_.get(), size_}; }
    std::size_t size() const { return size_; }
    char* data() { return data_.get(); }
    // Keeps the first bytes; bytes beyond them are undefined until written.
    void resize(std::size_t size);
    void append(const char* bytes, std::size_t count);

private:
    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// ReadWholeFile into a FileBytes, for readers that only look at the bytes.
std::optional<FileBytes> ReadWholeFileBytes(const QString& fileName,
                                            std::int64_t maxBytes = kMaxReadableFileBytes);
