#include "platform/MessageFrame.h"

#include <QtEndian>

namespace {

constexpr std::uint32_t kMagic = 0x4D574B46;  // "FKWM" little-endian
// Nothing but a whole frame is buffered, and no frame is larger.
constexpr qsizetype kLargestFrame = MessageFrameReader::kHeaderSize + 16;

// The body length of each kind; -1 for an unknown kind.
int bodyLength(std::uint16_t kind) {
    switch (kind) {
    case MessageFrame::Request: return 16;
    case MessageFrame::Reply: return 4;
    case MessageFrame::Enable: return 8;
    case MessageFrame::Foreground: return 4;
    case MessageFrame::NoWindow: return 0;
    default: return -1;
    }
}

void put32(QByteArray& out, std::uint32_t value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

std::uint32_t get32(const char* at) { return qFromLittleEndian<std::uint32_t>(at); }

}  // namespace

MessageFrame MessageFrame::request(std::uint32_t window, std::uint32_t message, std::uint32_t wParam,
                                   std::int32_t lParam) {
    MessageFrame frame;
    frame.kind = Request;
    frame.window = window;
    frame.message = message;
    frame.wParam = wParam;
    frame.lParam = lParam;
    return frame;
}

MessageFrame MessageFrame::noWindow() {
    MessageFrame frame;
    frame.kind = NoWindow;
    return frame;
}

MessageFrame MessageFrame::reply(std::int32_t result) {
    MessageFrame frame;
    frame.kind = Reply;
    frame.lParam = result;
    return frame;
}

QByteArray MessageFrame::encode() const {
    QByteArray out;
    const int length = bodyLength(kind);
    out.reserve(MessageFrameReader::kHeaderSize + length);
    put32(out, kMagic);
    put32(out, static_cast<std::uint32_t>(kind) | (static_cast<std::uint32_t>(length) << 16));
    switch (kind) {
    case Request:
        put32(out, window);
        put32(out, message);
        put32(out, wParam);
        put32(out, static_cast<std::uint32_t>(lParam));
        break;
    case Reply: put32(out, static_cast<std::uint32_t>(lParam)); break;
    case Enable:
        put32(out, window);
        put32(out, static_cast<std::uint32_t>(lParam));
        break;
    case Foreground: put32(out, window); break;
    case NoWindow: break;
    }
    return out;
}

bool MessageFrameReader::feed(const char* data, qsizetype size) {
    if (broken_ || size <= 0) return !broken_;
    if (start_ > 0) {
        buffer_.remove(0, start_);
        start_ = 0;
    }
    // A peer that sends more than a few frames ahead of their replies is not speaking our protocol.
    if (buffer_.size() + size > 64 * kLargestFrame) {
        broken_ = true;
        buffer_.clear();
        return false;
    }
    buffer_.append(data, size);
    return true;
}

std::optional<MessageFrame> MessageFrameReader::next() {
    if (broken_ || buffer_.size() - start_ < kHeaderSize) return std::nullopt;
    const char* at = buffer_.constData() + start_;
    const std::uint32_t kindAndLength = get32(at + 4);
    const auto kind = static_cast<std::uint16_t>(kindAndLength & 0xFFFF);
    const int length = bodyLength(kind);
    if (get32(at) != kMagic || length < 0 || static_cast<int>(kindAndLength >> 16) != length) {
        broken_ = true;
        buffer_.clear();
        start_ = 0;
        return std::nullopt;
    }
    if (buffer_.size() - start_ < kHeaderSize + length) return std::nullopt;
    const char* body = at + kHeaderSize;
    MessageFrame frame;
    frame.kind = static_cast<MessageFrame::Kind>(kind);
    switch (frame.kind) {
    case MessageFrame::Request:
        frame.window = get32(body);
        frame.message = get32(body + 4);
        frame.wParam = get32(body + 8);
        frame.lParam = static_cast<std::int32_t>(get32(body + 12));
        break;
    case MessageFrame::Reply: frame.lParam = static_cast<std::int32_t>(get32(body)); break;
    case MessageFrame::Enable:
        frame.window = get32(body);
        frame.lParam = static_cast<std::int32_t>(get32(body + 4));
        break;
    case MessageFrame::Foreground: frame.window = get32(body); break;
    case MessageFrame::NoWindow: break;
    }
    start_ += kHeaderSize + length;
    return frame;
}
