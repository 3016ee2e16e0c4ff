// The frames another process sends to our windows: any bytes, in any pieces, give whole frames
// or a broken stream, never a read past what arrived; and every frame read encodes back to the
// bytes it came from.
//
// Input: the first byte sets the piece size in which the rest arrives.
#include "platform/MessageFrame.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const qsizetype piece = data[0] % 32 + 1;
    const char* stream = reinterpret_cast<const char*>(data) + 1;
    const auto length = static_cast<qsizetype>(size - 1);

    MessageFrameReader reader;
    QByteArray consumed;
    for (qsizetype at = 0; at < length; at += piece) {
        if (!reader.feed(stream + at, std::min(piece, length - at))) break;
        while (const auto frame = reader.next()) {
            const QByteArray encoded = frame->encode();
            if (encoded.size() > MessageFrameReader::kHeaderSize + 16) std::abort();
            consumed += encoded;
        }
    }
    if (!QByteArray::fromRawData(stream, length).startsWith(consumed)) std::abort();
    if (reader.broken() && reader.next()) std::abort();
    return 0;
}
