#include "formvel/app/FormsRequestHandler.h"
#include "formvel/app/FormsServerLifetime.h"
#include "platform/LinuxWindowSystem.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>

// formvel: Fiskon's forms program. Started by Fiskon as "formvel /SERWER" (or, as the server variant,
// "velsrv /SERWER"), it registers the window class of the forms protocol and answers its requests:
// forms are created, filled, shown in windows of their own, printed and saved as PDF.

namespace {

constexpr const char* kFormsClass = "Tformularze_VEL";
constexpr const char* kServerClass = "Tvelsrv_VEL";
constexpr int kQuietMilliseconds = 30000;

bool HasServerSwitch(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i)
        if (arguments[i].compare(QStringLiteral("/SERWER"), Qt::CaseInsensitive) == 0) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("formvel"));
    QApplication::setQuitOnLastWindowClosed(false);
    const bool server = HasServerSwitch(QApplication::arguments());
    const bool serverVariant =
        QFileInfo(QString::fromLocal8Bit(argv[0])).completeBaseName().compare(QStringLiteral("velsrv"), Qt::CaseInsensitive) == 0;

    LinuxWindowSystem system;
    FormsRequestHandler handler(system);
    QList<QByteArray> classes = {kFormsClass};
    if (serverVariant) classes.prepend(kServerClass);
    for (const QByteArray& className : classes) {
        if (system.findWindow(className) != 0) {
            std::fprintf(stderr, "%s: program formularzy już działa (okno klasy %s).\n", argv[0], className.constData());
            return 0;
        }
        LocalWindow window;
        window.className = className;
        window.procedure = [&handler](std::uint32_t message, std::uint32_t wParam, std::int32_t lParam) {
            return handler.handle(message, wParam, lParam);
        };
        if (system.registerWindow(window) == 0) {
            std::fprintf(stderr, "%s: nie można zarejestrować okna klasy %s – brak folderu roboczego użytkownika.\n", argv[0],
                         className.constData());
            return 1;
        }
    }

    // With /SERWER the program belongs to Fiskon: it ends on release or when no form window is
    // left. Started by hand it serves until released.
    if (server) {
        auto* lifetime = new FormsServerLifetime(handler, kQuietMilliseconds, &application);
        QObject::connect(lifetime, &FormsServerLifetime::finished, &application, &QApplication::quit, Qt::QueuedConnection);
    } else {
        QObject::connect(&handler, &FormsRequestHandler::releaseRequested, &application, [&handler] {
            if (handler.openWindowCount() == 0) QApplication::quit();
        });
    }
    return QApplication::exec();
}
