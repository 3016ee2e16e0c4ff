#pragma once

#include "platform/MessageFrame.h"
#include "platform/SharedAtomTable.h"
#include "platform/WindowRegistry.h"
#include "platform/WindowSystem.h"

#include <QString>

#include <map>
#include <memory>
#include <optional>

class QLocalSocket;
class WindowServer;

// The window system between the processes of one user on Linux. Make it after the
// QCoreApplication and keep it until the event loop has ended:
//
//     QApplication application(argc, argv);
//     LinuxWindowSystem system;
//
// Windows live in the user's runtime folder (see WindowRegistry); a message to another process's
// window is a request frame on that process's local socket, answered by the window's procedure on
// its user-interface thread; a message to a window of this process calls its procedure directly.
// A message that gets no answer within the bound (30 s; $FISKON_MESSAGE_TIMEOUT_MS may set
// another) answers 0, and so does one to a window whose process dies meanwhile.
class LinuxWindowSystem : public WindowSystem {
public:
    LinuxWindowSystem();
    ~LinuxWindowSystem() override;
    LinuxWindowSystem(const LinuxWindowSystem&) = delete;
    LinuxWindowSystem& operator=(const LinuxWindowSystem&) = delete;

    // The runtime folder in use; empty when none could be made (then no window can be
    // registered or found, and atoms stay in this process).
    QString folder() const { return registry_.folder(); }
    int messageTimeoutMs() const { return timeoutMs_; }
    // Atoms in use in the table (of every process of the user).
    int atomsInUse() { return atoms_.count(); }

    WindowHandle findWindow(const QByteArray& className) override;
    bool isWindow(WindowHandle window) override;
    std::int32_t sendMessage(WindowHandle window, std::uint32_t message, std::uint32_t wParam,
                             std::int32_t lParam) override;
    bool enableWindow(WindowHandle window, bool enable) override;
    bool setForegroundWindow(WindowHandle window) override;
    MessageSender messageSender() const override { return sender_; }
    bool senderRunning(const MessageSender& sender) const override;
    WindowHandle registerWindow(const LocalWindow& window) override;
    void unregisterWindow(WindowHandle window) override;
    Atom addAtom(const QByteArray& name) override;
    QByteArray atomName(Atom atom, int bufferSize) override;
    Atom deleteAtom(Atom atom) override;
    int startProcess(const QString& commandLine, int showCommand) override;
    bool startedProcessRunning() override;
    QString profileString(const QString& section, const QString& key, const QString& fallback) override;
    void pumpMessages() override;
    void pumpRequests() override;
    void waitMessage() override;
    bool handleOneMessage() override;
    void sleep(int milliseconds) override;

private:
    // What the procedure (or callback) of a window of this process answers to a frame; none when
    // the window is not one of this process's.
    std::optional<std::int32_t> handle(const MessageFrame& frame, const MessageSender& sender = {});
    // Sends a frame to the process of another process's window and waits for its reply.
    std::optional<std::int32_t> deliver(WindowHandle window, const MessageFrame& frame);
    struct Exchange {
        std::optional<std::int32_t> reply;
        bool timedOut = false;
    };
    Exchange exchange(const QString& socketPath, const MessageFrame& frame);
    QLocalSocket* connectionTo(const QString& socketPath);
    void dropConnection(const QString& socketPath);
    bool ensureServer();

    WindowRegistry registry_;
    SharedAtomTable atoms_;
    int timeoutMs_;
    std::unique_ptr<WindowServer> server_;
    std::map<WindowHandle, LocalWindow> windows_;
    std::map<QString, std::unique_ptr<QLocalSocket>> connections_;
    std::map<WindowHandle, QString> knownWindows_;
    MessageSender sender_;  // of the message being handled
    qint64 startedProcess_ = 0;  // another process's window -> its socket
};
