// Finding the forms program, or starting it and waiting for its window.
#include "forms/LinkState.h"
#include "forms/lform.h"
#include "platform/ProcessStart.h"

#include <QDir>
#include <QFileInfo>

namespace lform::detail {
namespace {

// WinExec's "minimized" show command.
constexpr int kShowMinimized = 6;
// How long a started program may take to show its window, and how often it is sought meanwhile.
constexpr int kStartWaitMs = 30'000;
constexpr int kStartPollMs = 25;

QString withSeparator(QString directory) {
    if (!directory.isEmpty() && !directory.endsWith(QLatin1Char(kDirectorySeparator)))
        directory += QLatin1Char(kDirectorySeparator);
    return directory;
}

QString executableName() {
    return QString::fromLatin1(state().serverMode ? kServerExecutable : kFormsExecutable);
}

// Starts the program minimized and waits for a window of the current class, handling the
// program's own messages meanwhile but not the user's input (a second click on "Pokaż" or "Drukuj"
// would start a second program and leave a form behind); the wait ends when the start failed, when the started
// program has ended (after one more look: it may have handed over to a running one) or after
// kStartWaitMs.
void startAndWait(const QString& commandLine) {
    LinkState& link = state();
    link.startResult = link.system->startProcess(commandLine, kShowMinimized);
    for (int waited = 0; link.startResult >= 32; waited += kStartPollMs) {
        const bool running = link.system->startedProcessRunning();
        link.formsWindow = link.system->findWindow(link.windowClass);
        if (link.formsWindow != 0 || !running) return;
        link.system->pumpRequests();
        if (waited >= kStartWaitMs) return;
        link.system->sleep(kStartPollMs);
    }
}

// Starts a discovery under a window class: the window of that class, remembered (0 when none).
WindowHandle seekUnder(const char* windowClass) {
    LinkState& link = state();
    link.windowClass = windowClass;
    link.startResult = 2;
    link.formsWindow = link.system->findWindow(link.windowClass);
    return link.formsWindow;
}

}  // namespace

bool CheckServerMarker() {
    // A server program in the current folder runs only when no one but the user (or root) could
    // have put it there.
    const QDir current = QDir::current();
    if (!isTrustedProgram(current.filePath(QString::fromLatin1(kServerExecutable))) ||
        !QFileInfo::exists(current.filePath(QString::fromLatin1(kServerMarker))))
        return false;
    state().serverMode = true;
    return true;
}

std::uint16_t FindFormsProgram() {
    LinkState& link = state();
    if (link.system == nullptr) return 0;
    BusyScope busy;
    if (seekUnder(kFormsClass) == 0) {
        QString directory;
        if (!link.serverMode)
            directory = link.system->profileString(QStringLiteral("formularze"), QStringLiteral("katalog"), {});
        for (;;) {
            directory = withSeparator(directory);
            if (!directory.isEmpty() || link.serverMode)
                startAndWait(directory + executableName() + QStringLiteral(" /SERWER"));
            // The marker check runs in normal mode only; when it switches to the server, the
            // server program is started once more without a directory.
            if (link.formsWindow != 0 || link.serverMode || !CheckServerMarker()) break;
            directory.clear();
        }
    }
    return loWord(link.formsWindow);
}

std::uint16_t StartFormsServer(const QString& directory) {
    LinkState& link = state();
    if (link.system == nullptr) return 0;
    BusyScope busy;
    if (seekUnder(kServerClass) == 0 && !directory.isEmpty()) {
        const QString path = withSeparator(directory) + QString::fromLatin1(kServerExecutable);
        if (QFileInfo::exists(path)) startAndWait(path + QStringLiteral(" /SERWER"));
    }
    return loWord(link.formsWindow);
}

WindowHandle refreshFormsWindow() {
    LinkState& link = state();
    if (link.system == nullptr) return 0;
    if (!link.system->isWindow(link.formsWindow)) link.formsWindow = link.system->findWindow(link.windowClass);
    return link.formsWindow;
}

}  // namespace lform::detail

namespace lform {

bool ConnectFormsProgram(bool server) {
    detail::state().serverMode = server;
    detail::FindFormsProgram();
    return detail::state().formsWindow != 0;
}

bool ConnectFormsServer(bool server, const QString& directory) {
    detail::state().serverMode = server;
    detail::StartFormsServer(directory);
    return detail::state().formsWindow != 0;
}

}  // namespace lform
