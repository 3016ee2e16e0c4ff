#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <string_view>

class QIODevice;

// Writes a whole file safely: the bytes go to a temporary file in the target's folder, which is
// flushed and then renamed over the target. When anything fails part-way the earlier file stays
// as it was and FileError (a Polish sentence naming the file and the reason) is thrown.
void WriteFileAtomically(const QString& fileName, std::string_view bytes);
// The same for bytes made piece by piece: `nextChunk` is called until it gives an empty piece,
// and each piece is written before the next is asked for (a piece stays valid until then). An
// exception from `nextChunk` leaves the earlier file as it was and goes on to the caller.
void WriteFileAtomically(const QString& fileName, const std::function<std::string_view()>& nextChunk);

// Test seam: wraps the device every atomic write goes through (a device that fails after some
// bytes proves that a failed save keeps the earlier file). Installed for one scope only.
using WriteDeviceWrapper = std::function<std::unique_ptr<QIODevice>(QIODevice& target)>;
class ScopedWriteDeviceWrapper {
public:
    explicit ScopedWriteDeviceWrapper(WriteDeviceWrapper wrapper);
    ~ScopedWriteDeviceWrapper();
    ScopedWriteDeviceWrapper(const ScopedWriteDeviceWrapper&) = delete;
    ScopedWriteDeviceWrapper& operator=(const ScopedWriteDeviceWrapper&) = delete;

private:
    WriteDeviceWrapper previous_;
};
