#pragma once

#include "platform/MessageFrame.h"
#include "platform/WindowSystem.h"

#include <QLocalServer>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QLocalSocket;

// The local socket on which a process takes the messages for its windows. Each connection
// carries frames one after another; every frame is handled on this (the user-interface) thread by
// the handler, whose answer goes back as one reply frame. Connections of other users and
// connections that break the frame rules are dropped.
class WindowServer : public QObject {
public:
    // The answer to a frame; none when the frame names no window of this process. `sender` is
    // the process at the other end of the connection the frame came on (as its credentials
    // name it when it connected).
    using Handler = std::function<std::optional<std::int32_t>(const MessageFrame& frame, const MessageSender& sender)>;

    WindowServer(const QString& socketPath, Handler handler);
    ~WindowServer() override;
    bool listening() const { return server_.isListening(); }
    QString socketPath() const { return socketPath_; }

    // Accepts and handles whatever has arrived, without waiting: lets a process that waits for
    // another one's reply still answer that process (as a window answers sent messages while its
    // own SendMessage waits).
    void serveWaiting();

    // Whether the connection of that number is still open (connections are numbered from 1 up,
    // never reused in this process).
    bool connected(std::uint64_t connection) const;

private:
    class Connection;
    void accept();
    void serve(Connection* connection);

    QLocalServer server_;
    QString socketPath_;
    Handler handler_;
    std::uint64_t lastSender_ = 0;
};
