// The other process of the window-system tests and the link benchmark.
//
//   platform_peer window CLASS   registers a window of that class, prints "ready HANDLE" and
//                                answers messages until it gets code 4 (see `procedure`)
//   platform_peer echo PATH      a bare local-socket echo server (the benchmark's baseline);
//                                prints "ready 0"
#include "forms/AtomChain.h"
#include "platform/LinuxWindowSystem.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

void ready(WindowHandle handle) {
    std::printf("ready %u\n", handle);
    std::fflush(stdout);
}

int runWindow(const QByteArray& className) {
    LinuxWindowSystem system;
    bool enabled = true;
    int foreground = 0;
    QElapsedTimer dialogOpened;
    int dialogPolls = 0;
    LocalWindow window;
    window.className = className;
    window.enable = [&](bool enable) { enabled = enable; };
    window.bringToFront = [&] { ++foreground; };
    window.procedure = [&](std::uint32_t message, std::uint32_t wParam, std::int32_t lParam) -> std::int32_t {
        if (message != kFormsMessage) return -1;
        const auto atom = hiWord(static_cast<std::uint32_t>(lParam));
        switch (wParam & 0xFF) {
        case 0:  // the version request (5) or, with values, an echo of them
            if (wParam == 0 && lParam == 0) return 5;
            return static_cast<std::int32_t>(wParam >> 8) * 1000 + lParam;
        case 1: {  // reads and deletes the atom, answers with an atom of its own
            const QByteArray name = system.atomName(atom, 256);
            system.deleteAtom(atom);
            return system.addAtom("echo:" + name);
        }
        case 2: ::raise(SIGKILL); return 0;               // dies in the middle of a request
        case 3: QThread::sleep(3600); return 0;           // never answers
        case 4: QCoreApplication::quit(); return 1;
        case 5: {  // reads a chain (its sender deletes it) and answers with its length
            QByteArray text;
            PeekAtomChain(system, atom, &text, 65'300);
            return static_cast<std::int32_t>(text.size());
        }
        case 6: return (enabled ? 1 : 0) + 10 * foreground;
        case 7: return qEnvironmentVariableIntValue("FISKON_SHOW_COMMAND");
        case 8: {  // messages the sender's window while the sender waits for this reply
            const std::int32_t answer = system.sendMessage(static_cast<WindowHandle>(lParam), kFormsMessage, 0, 5);
            return answer + 1;
        }
        // A print dialog that the user finishes 100 ms after it opened; the range's first page
        // tells how often it was asked whether it was finished.
        case 13: dialogOpened.start(); dialogPolls = 0; return 1;
        case 12: ++dialogPolls; return dialogOpened.hasExpired(100) ? 1 : 0;
        case 11: return makeLong(static_cast<std::uint16_t>(dialogPolls), 1);
        case 17: {  // an error list of 1,000 characters as a reply chain, which the reader deletes
            QByteArray text;
            for (int line = 0; text.size() < 1000; ++line) text += "Błąd w polu p" + QByteArray::number(line) + "\r\n";
            text.truncate(1000);
            const QList<Atom> chain = MakeAtomChain(system, text).value_or(QList<Atom>{});
            return chain.isEmpty() ? 0 : chain.last();
        }
        default: return 0;
        }
    };
    const WindowHandle handle = system.registerWindow(window);
    if (handle == 0) return 2;
    ready(handle);
    return QCoreApplication::exec();
}

int runEcho(const QString& path) {
    QLocalServer server;
    QLocalServer::removeServer(path);
    if (!server.listen(path)) return 2;
    QObject::connect(&server, &QLocalServer::newConnection, [&server] {
        while (QLocalSocket* socket = server.nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket] {
                // Written at once, as the window system writes its replies.
                socket->write(socket->readAll());
                socket->flush();
            });
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    ready(0);
    return QCoreApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() == 3 && arguments[1] == QLatin1String("window")) return runWindow(arguments[2].toUtf8());
    if (arguments.size() == 3 && arguments[1] == QLatin1String("echo")) return runEcho(arguments[2]);
    std::fprintf(stderr, "usage: platform_peer window CLASS | echo PATH\n");
    return 2;
}
