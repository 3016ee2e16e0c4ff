#include "platform/WindowServer.h"

#include "platform/PeerCredentials.h"
#include "platform/ProcessIdentity.h"

#include <QLocalSocket>
#include <QPointer>

class WindowServer::Connection : public QObject {
public:
    Connection(QLocalSocket* accepted, std::uint64_t connectionNumber, QObject* parent)
        : QObject(parent), socket(accepted), number(connectionNumber) {
        socket->setParent(this);
        // A process whose id cannot be seen from here is known by this connection only.
        const qint64 id = peerProcessId(socket->socketDescriptor());
        const ProcessIdentity process = IdentifyProcess(id);
        if (process.started != 0)
            sender = {process.id, process.started};
        else
            sender = {-static_cast<std::int64_t>(number), 0};
    }
    QLocalSocket* socket;
    std::uint64_t number;
    MessageSender sender;
    MessageFrameReader reader;
    bool busy = false;  // a frame of this connection is being handled (maybe in a nested loop)
};

WindowServer::WindowServer(const QString& socketPath, Handler handler)
    : socketPath_(socketPath), handler_(std::move(handler)) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(socketPath_);
    server_.listen(socketPath_);
    connect(&server_, &QLocalServer::newConnection, this, &WindowServer::accept);
}

WindowServer::~WindowServer() { server_.close(); }

void WindowServer::accept() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        if (!peerIsThisUser(socket->socketDescriptor())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto* connection = new Connection(socket, ++lastSender_, this);
        connect(socket, &QLocalSocket::readyRead, connection, [this, connection] { serve(connection); });
        connect(socket, &QLocalSocket::disconnected, connection, [connection] {
            if (!connection->busy) connection->deleteLater();
        });
        serve(connection);
    }
}

void WindowServer::serve(Connection* connection) {
    if (connection->busy) return;
    QPointer<Connection> alive(connection);
    connection->busy = true;
    do {
        const QByteArray received = connection->socket->readAll();
        connection->reader.feed(received.constData(), received.size());
        while (const auto frame = connection->reader.next()) {
            // Replies travel the other way only.
            if (frame->kind == MessageFrame::Reply || frame->kind == MessageFrame::NoWindow) {
                connection->socket->abort();
                break;
            }
            const std::optional<std::int32_t> result = handler_(*frame, connection->sender);
            // The handler may have run a nested event loop in which the peer went away.
            if (!alive) return;
            connection->socket->write((result ? MessageFrame::reply(*result) : MessageFrame::noWindow()).encode());
            connection->socket->flush();
        }
    } while (alive && connection->socket->bytesAvailable() > 0 && !connection->reader.broken());
    if (!alive) return;
    connection->busy = false;
    if (connection->reader.broken() || connection->socket->state() != QLocalSocket::ConnectedState) {
        connection->socket->abort();
        connection->deleteLater();
    }
}

void WindowServer::serveWaiting() {
    if (server_.waitForNewConnection(0)) accept();
    QList<QPointer<Connection>> connections;
    for (Connection* connection : findChildren<Connection*>(Qt::FindDirectChildrenOnly)) connections.append(connection);
    for (const QPointer<Connection>& connection : connections)
        if (connection && !connection->busy) connection->socket->waitForReadyRead(0);
}

bool WindowServer::connected(std::uint64_t connectionNumber) const {
    for (const Connection* connection : findChildren<Connection*>(Qt::FindDirectChildrenOnly))
        if (connection->number == connectionNumber) return connection->socket->state() == QLocalSocket::ConnectedState;
    return false;
}
