#pragma once

#include <QByteArray>

#include <cstdint>
#include <optional>

// The frames of the window system's local sockets. Every frame is a header — the magic "FKWM",
// its kind and the length of its body (little-endian) — and a body of exactly the length its kind
// has. A reader takes bytes as they come and hands out whole frames; anything else (a wrong
// magic, an unknown kind, a wrong length) stops it for good, and the connection is dropped.
struct MessageFrame {
    enum Kind : std::uint16_t {
        Request = 1,     // window, message, wParam, lParam
        Reply = 2,       // result
        Enable = 3,      // window, enable (0 or 1)
        Foreground = 4,  // window
        NoWindow = 5,    // the reply to a frame for a window the process does not have (no body)
    };

    Kind kind = Request;
    std::uint32_t window = 0;
    std::uint32_t message = 0;
    std::uint32_t wParam = 0;
    std::int32_t lParam = 0;  // also the reply's result and Enable's flag

    static MessageFrame request(std::uint32_t window, std::uint32_t message, std::uint32_t wParam,
                                std::int32_t lParam);
    static MessageFrame reply(std::int32_t result);
    static MessageFrame noWindow();

    QByteArray encode() const;
};

class MessageFrameReader {
public:
    static constexpr int kHeaderSize = 8;

    // Adds received bytes; false once the stream is broken.
    bool feed(const char* data, qsizetype size);
    // The next whole frame, if one has arrived.
    std::optional<MessageFrame> next();
    bool broken() const { return broken_; }

private:
    QByteArray buffer_;
    qsizetype start_ = 0;
    bool broken_ = false;
};
