#include "platform/LinuxWindowSystem.h"

#include "platform/PeerCredentials.h"
#include "platform/ProcessIdentity.h"
#include "platform/ProcessStart.h"
#include "platform/ProfileFile.h"
#include "platform/WindowServer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <utility>
#include <limits>

namespace {

constexpr int kDefaultTimeoutMs = 30'000;
// How long waitMessage waits for an event before it lets its caller look again.
constexpr int kWaitSliceMs = 50;
// How often a process waiting for a reply looks at the requests sent to its own windows.
constexpr int kServeSliceMs = 10;

int messageTimeout() {
    bool numeric = false;
    const int value = qEnvironmentVariableIntValue("FISKON_MESSAGE_TIMEOUT_MS", &numeric);
    return numeric && value > 0 ? value : kDefaultTimeoutMs;
}

QString atomTablePath(const QString& folder) {
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/atoms");
}

// A socket name of its own for each window system of a process.
QString socketPathIn(const QString& folder) {
    static std::atomic<int> counter {0};
    return folder + QStringLiteral("/s%1-%2").arg(::getpid()).arg(counter++);
}

}  // namespace

LinuxWindowSystem::LinuxWindowSystem()
    : registry_(WindowRegistry::openFolder()), atoms_(atomTablePath(registry_.folder())), timeoutMs_(messageTimeout()) {
    // Windows left behind by processes that died.
    for (const WindowRegistry::Entry& entry : registry_.entries())
        if (!WindowRegistry::ownerAlive(entry)) registry_.removeStale(entry);
}

LinuxWindowSystem::~LinuxWindowSystem() {
    for (const auto& [handle, window] : windows_) registry_.remove(handle);
    windows_.clear();
    connections_.clear();
    server_.reset();
}

// --- windows ---------------------------------------------------------------------------------

bool LinuxWindowSystem::ensureServer() {
    if (server_) return server_->listening();
    if (folder().isEmpty()) return false;
    server_ = std::make_unique<WindowServer>(socketPathIn(folder()),
                                             [this](const MessageFrame& frame, const MessageSender& sender) { return handle(frame, sender); });
    return server_->listening();
}

WindowHandle LinuxWindowSystem::registerWindow(const LocalWindow& window) {
    if (window.className.isEmpty() || !ensureServer()) return 0;
    const WindowHandle handle = registry_.add(window.className, server_->socketPath());
    if (handle != 0) windows_[handle] = window;
    return handle;
}

void LinuxWindowSystem::unregisterWindow(WindowHandle window) {
    if (windows_.erase(window) != 0) registry_.remove(window);
}

WindowHandle LinuxWindowSystem::findWindow(const QByteArray& className) {
    if (className.isEmpty()) return 0;
    for (const auto& [handle, window] : windows_)
        if (window.className == className) return handle;
    for (const WindowRegistry::Entry& entry : registry_.entries()) {
        if (entry.className != className || windows_.count(entry.handle) != 0) continue;
        if (WindowRegistry::ownerAlive(entry)) return entry.handle;
        registry_.removeStale(entry);
    }
    return 0;
}

bool LinuxWindowSystem::isWindow(WindowHandle window) {
    if (windows_.count(window) != 0) return true;
    const auto entry = registry_.read(window);
    if (!entry) return false;
    if (WindowRegistry::ownerAlive(*entry)) return true;
    registry_.removeStale(*entry);
    return false;
}

bool LinuxWindowSystem::senderRunning(const MessageSender& sender) const {
    if (sender == MessageSender{}) return true;
    if (sender.process < 0) return server_ && server_->connected(static_cast<std::uint64_t>(-sender.process));
    return ProcessRunning({sender.process, sender.started});
}

std::optional<std::int32_t> LinuxWindowSystem::handle(const MessageFrame& frame, const MessageSender& sender) {
    const auto found = windows_.find(frame.window);
    if (found == windows_.end()) return std::nullopt;
    // A copy: the procedure may unregister its own window.
    const LocalWindow window = found->second;
    switch (frame.kind) {
    case MessageFrame::Request: {
        if (!window.procedure) return 0;
        // Procedures nest (one may wait in a loop that handles the next message).
        const MessageSender outer = std::exchange(sender_, sender);
        const std::int32_t result = window.procedure(frame.message, frame.wParam, frame.lParam);
        sender_ = outer;
        return result;
    }
    case MessageFrame::Enable:
        if (window.enable) window.enable(frame.lParam != 0);
        return 1;
    case MessageFrame::Foreground:
        if (window.bringToFront) window.bringToFront();
        return 1;
    case MessageFrame::Reply:
    case MessageFrame::NoWindow: return 0;
    }
    return 0;
}

std::int32_t LinuxWindowSystem::sendMessage(WindowHandle window, std::uint32_t message, std::uint32_t wParam,
                                            std::int32_t lParam) {
    const MessageFrame frame = MessageFrame::request(window, message, wParam, lParam);
    if (windows_.count(window) != 0) return handle(frame).value_or(0);
    return deliver(window, frame).value_or(0);
}

bool LinuxWindowSystem::enableWindow(WindowHandle window, bool enable) {
    MessageFrame frame;
    frame.kind = MessageFrame::Enable;
    frame.window = window;
    frame.lParam = enable ? 1 : 0;
    if (windows_.count(window) != 0) return handle(frame).value_or(0) != 0;
    return deliver(window, frame).value_or(0) != 0;
}

bool LinuxWindowSystem::setForegroundWindow(WindowHandle window) {
    MessageFrame frame;
    frame.kind = MessageFrame::Foreground;
    frame.window = window;
    if (windows_.count(window) != 0) return handle(frame).value_or(0) != 0;
    return deliver(window, frame).value_or(0) != 0;
}

QLocalSocket* LinuxWindowSystem::connectionTo(const QString& socketPath) {
    if (auto cached = connections_.find(socketPath); cached != connections_.end()) {
        if (cached->second->state() == QLocalSocket::ConnectedState) return cached->second.get();
        connections_.erase(cached);
    }
    auto socket = std::make_unique<QLocalSocket>();
    socket->connectToServer(socketPath);
    if (!socket->waitForConnected(timeoutMs_) || !peerIsThisUser(socket->socketDescriptor())) return nullptr;
    return (connections_[socketPath] = std::move(socket)).get();
}

void LinuxWindowSystem::dropConnection(const QString& socketPath) {
    if (auto cached = connections_.find(socketPath); cached != connections_.end()) {
        cached->second->abort();
        connections_.erase(cached);
    }
}

std::optional<std::int32_t> LinuxWindowSystem::deliver(WindowHandle window, const MessageFrame& frame) {
    // The window's entry and the connection to its process are kept from one message to the
    // next; a message that finds either out of date (the process gone, or the handle now another
    // process's) is tried once more with both taken afresh. A peer that does not answer in time
    // is not asked twice.
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto known = knownWindows_.find(window);
        if (known == knownWindows_.end()) {
            const auto entry = registry_.read(window);
            if (!entry) return std::nullopt;
            known = knownWindows_.emplace(window, entry->socketPath).first;
        }
        const QString socketPath = known->second;
        const Exchange result = exchange(socketPath, frame);
        if (result.reply) return result.reply;
        knownWindows_.erase(window);
        if (result.timedOut) break;
    }
    return std::nullopt;
}

LinuxWindowSystem::Exchange LinuxWindowSystem::exchange(const QString& socketPath, const MessageFrame& frame) {
    QLocalSocket* socket = connectionTo(socketPath);
    if (socket == nullptr) return {};
    const QDeadlineTimer deadline(timeoutMs_);
    const QByteArray bytes = frame.encode();
    if (socket->write(bytes) != bytes.size()) {
        dropConnection(socketPath);
        return {};
    }
    socket->flush();
    MessageFrameReader reader;
    for (;;) {
        const QByteArray received = socket->readAll();
        reader.feed(received.constData(), received.size());
        if (const auto answer = reader.next()) {
            if (answer->kind == MessageFrame::Reply) return {answer->lParam, false};
            if (answer->kind == MessageFrame::NoWindow) return {};
            break;
        }
        if (reader.broken() || socket->state() != QLocalSocket::ConnectedState) break;
        if (deadline.hasExpired()) {
            dropConnection(socketPath);
            return {std::nullopt, true};
        }
        // Requests to our own windows are answered while we wait, so that two processes that
        // message each other at once do not wait for each other.
        int slice = static_cast<int>(std::min<qint64>(deadline.remainingTime(), kServeSliceMs));
        if (server_) {
            server_->serveWaiting();
            // Serving may have run a procedure that dropped or replaced this connection.
            if (auto cached = connections_.find(socketPath); cached == connections_.end() || cached->second.get() != socket)
                return {};
        } else {
            slice = static_cast<int>(deadline.remainingTime());
        }
        socket->waitForReadyRead(std::max(slice, 0));
    }
    dropConnection(socketPath);
    return {};
}

// --- atoms -----------------------------------------------------------------------------------

Atom LinuxWindowSystem::addAtom(const QByteArray& name) { return atoms_.add(name); }

QByteArray LinuxWindowSystem::atomName(Atom atom, int bufferSize) { return atoms_.name(atom, bufferSize); }

Atom LinuxWindowSystem::deleteAtom(Atom atom) { return atoms_.remove(atom); }

// --- processes, profile, the message queue -----------------------------------------------------

int LinuxWindowSystem::startProcess(const QString& commandLine, int showCommand) {
    qint64 processId = 0;
    const int result = startCommandLine(commandLine, showCommand, &processId);
    if (result >= 32) startedProcess_ = processId;
    return result;
}

bool LinuxWindowSystem::startedProcessRunning() {
    if (startedProcess_ <= 0 || startedProcess_ > std::numeric_limits<pid_t>::max()) return true;
    // Ended but not yet reaped by whoever adopted it (it runs detached, not as our child) counts
    // as ended.
    return ProcessIdRunning(startedProcess_);
}

QString LinuxWindowSystem::profileString(const QString& section, const QString& key, const QString& fallback) {
    return ::profileString(section, key, fallback);
}

void LinuxWindowSystem::pumpMessages() { QCoreApplication::processEvents(); }

void LinuxWindowSystem::pumpRequests() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

void LinuxWindowSystem::waitMessage() {
    // The timer is the event that ends the wait when nothing else comes.
    QTimer timer;
    timer.setSingleShot(true);
    timer.start(kWaitSliceMs);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

bool LinuxWindowSystem::handleOneMessage() {
    // Qt takes the events waiting now together, not one by one.
    QCoreApplication::processEvents();
    return true;
}

void LinuxWindowSystem::sleep(int milliseconds) {
    if (milliseconds > 0) QThread::msleep(static_cast<unsigned long>(milliseconds));
}
