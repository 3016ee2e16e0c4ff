#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <string>

// Largest file the program reads whole into memory. A register of a few hundred thousand taxpayers
// stays far below it; anything bigger is not a file of this program.
inline constexpr std::int64_t kMaxReadableFileBytes = std::int64_t{256} * 1024 * 1024;

// Reads a whole regular file. std::nullopt when there is no file of that name. Throws FileError
// (Polish, naming the file and the reason) for a folder, a device or other non-regular file, a
// file larger than `maxBytes`, or a file that cannot be opened or read.
std::optional<std::string> ReadWholeFile(const QString& fileName,
                                         std::int64_t maxBytes = kMaxReadableFileBytes);
