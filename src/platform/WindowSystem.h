#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>

// The primitives through which Fiskon and the forms program talk to each other: top-level windows
// found by class, synchronous messages, a global atom table, starting a program, the "win.ini"
// profile and the nested waits of the user-interface thread. They keep the meaning the forms
// protocol was written for, between two processes of one user.
//
// Handles and atoms are plain numbers. A window handle is never 0; an atom is 0 when none was made.
// Texts that travel (atom names, class names) are code page 1250 bytes.

using WindowHandle = std::uint32_t;
using Atom = std::uint16_t;

// The message number of every forms request (WM_USER + 9).
inline constexpr std::uint32_t kFormsMessage = 0x0409;

// The low and high 16-bit words of a 32-bit message value, and the two packed into one.
inline constexpr std::uint16_t loWord(std::uint32_t value) { return static_cast<std::uint16_t>(value & 0xFFFFu); }
inline constexpr std::uint16_t hiWord(std::uint32_t value) { return static_cast<std::uint16_t>(value >> 16); }
inline constexpr std::int32_t makeLong(std::uint16_t low, std::uint16_t high) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(low) | (static_cast<std::uint32_t>(high) << 16));
}

// Who sent a message: the process, by its id and start time, so that the same client is known
// again over any connection and a process that has ended is never taken for a new one with its id.
// Both 0 for this process's own messages. A process whose id cannot be known (another pid
// namespace) is told apart by its connection: a negative `process`, never reused.
struct MessageSender {
    std::int64_t process = 0;
    std::uint64_t started = 0;
    bool operator==(const MessageSender&) const = default;
};

// What a window does with a message sent to it: its window procedure. It runs on the owning
// process's user-interface thread and returns the reply.
using WindowProcedure = std::function<std::int32_t(std::uint32_t message, std::uint32_t wParam, std::int32_t lParam)>;

// A window of this process: what other processes (and this one) can find and message, and what
// enabling and bringing to the foreground do to it. Any callback may be empty.
struct LocalWindow {
    QByteArray className;
    WindowProcedure procedure;
    std::function<void(bool enabled)> enable;
    std::function<void()> bringToFront;
};

class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // --- windows ---------------------------------------------------------------------------
    // A top-level window of that class, of any process of this user; 0 when there is none.
    virtual WindowHandle findWindow(const QByteArray& className) = 0;
    // True while the window is registered and its owner lives.
    virtual bool isWindow(WindowHandle window) = 0;
    // Sends a message and waits for the reply; 0 when the window is gone, dies or does not answer
    // within the layer's bound.
    virtual std::int32_t sendMessage(WindowHandle window, std::uint32_t message, std::uint32_t wParam,
                                     std::int32_t lParam) = 0;
    virtual bool enableWindow(WindowHandle window, bool enable) = 0;
    virtual bool setForegroundWindow(WindowHandle window) = 0;
    // Who sent the message a window procedure of this process is handling now; this process
    // (all 0) for its own messages and outside a procedure.
    virtual MessageSender messageSender() const { return {}; }
    // Whether that sender still runs (this process always does).
    virtual bool senderRunning(const MessageSender& sender) const { return sender == MessageSender{}; }

    // Registers a window of this process; other processes find it by class until it is
    // unregistered or this process ends. Returns its handle, 0 when it could not be registered.
    virtual WindowHandle registerWindow(const LocalWindow& window) = 0;
    virtual void unregisterWindow(WindowHandle window) = 0;

    // --- global atoms ----------------------------------------------------------------------
    // GlobalAddAtom: the atom of that exact name (its count raised), or a new one numbered from
    // hex C000; 0 when the name is empty, longer than 255 bytes or the table is full.
    virtual Atom addAtom(const QByteArray& name) = 0;
    // GlobalGetAtomName: at most bufferSize - 1 bytes of the name (room for the terminating zero);
    // empty when the atom does not exist.
    virtual QByteArray atomName(Atom atom, int bufferSize) = 0;
    // GlobalDeleteAtom: lowers the count, removes the atom at 0. Returns 0 on success, else atom.
    virtual Atom deleteAtom(Atom atom) = 0;

    // --- processes, profile, the message queue ---------------------------------------------
    // WinExec: starts a program from a command line ("path /ARG"); showCommand 6 = minimized.
    // Returns 32 or more on success, a smaller number on failure (2 = file not found).
    virtual int startProcess(const QString& commandLine, int showCommand) = 0;
    // Whether the program the last successful startProcess started still runs (true when that
    // cannot be told): a wait for its window ends when it has died.
    virtual bool startedProcessRunning() { return true; }
    // GetProfileString of "win.ini"; fallback when the section or key is absent.
    virtual QString profileString(const QString& section, const QString& key, const QString& fallback) = 0;
    // PeekMessage loop: handles every event waiting now, then returns.
    virtual void pumpMessages() = 0;
    // The same without the user's input (mouse, keys), which waits until the program takes
    // input again: the messages of other processes are answered, the user's clicks do not
    // re-enter the operation that waits.
    virtual void pumpRequests() { pumpMessages(); }
    // GetMessage + dispatch: waits for the next event (at most a short while, so that a caller's
    // loop can check its condition) and handles it.
    virtual void waitMessage() = 0;
    // PeekMessage once: handles at most one waiting event; true when there was one.
    virtual bool handleOneMessage() = 0;
    virtual void sleep(int milliseconds) = 0;
};
