#include "formvel/FormDocument.h"
#include "formvel/FormPdf.h"
#include "formvel/app/FormPrintJobs.h"
#include "formvel/app/FormWindow.h"
#include "formvel/app/FormsRequestHandler.h"
#include "formvel/app/FormsServerLifetime.h"
#include "platform/LinuxWindowSystem.h"
#include "store/SameFile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QTimer>

#include <csignal>
#include <cstdio>

// formvel: Fiskon's forms program. Started by Fiskon as "formvel /SERWER" (or, as the server variant,
// "velsrv /SERWER"), it registers the window class of the forms protocol and answers its requests:
// forms are created, filled, shown in windows of their own, printed and saved as PDF.

namespace {

constexpr const char* kFormsClass = "Tformularze_VEL";
constexpr const char* kServerClass = "Tvelsrv_VEL";
constexpr int kQuietMilliseconds = 30000;

// "formvel --formularz SYMBOL PLIK": shows a field list file (code page 1250, as Fiskon sends it)
// on the form of that edition, formatted and calculated; the program ends with the window.
// "formvel --pdf SYMBOL PLIK WYNIK.pdf" writes that form into a PDF file instead.
int ShowFieldListFile(const QString& symbol, const QString& path, const QString& pdfPath) {
    if (IsSameFile(pdfPath, path)) {
        std::fprintf(stderr, "formvel: plik PDF nie może zastąpić listy pól %s.\n", qPrintable(QDir::toNativeSeparators(path)));
        return 2;
    }
    auto document = FormDocument::create(symbol.toLatin1());
    if (!document) {
        std::fprintf(stderr, "formvel: nieznany formularz %s (znane: PIT118B_C, PIT118B_14, PIT40_13, PIT40_14).\n",
                     qPrintable(symbol));
        return 2;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !document->setFields(file.readAll(), FormDocument::AutoFormat | FormDocument::Calculate)) {
        std::fprintf(stderr, "formvel: nie można odczytać listy pól z pliku %s.\n", qPrintable(QDir::toNativeSeparators(path)));
        return 2;
    }
    if (!pdfPath.isEmpty()) {
        QString error;
        if (writeFormsPdf(pdfPath, {document.get()}, &error)) return 0;
        std::fprintf(stderr, "formvel: %s\n", qPrintable(error));
        return 1;
    }
    FormPrintJobs printJobs;
    FormWindow window(*document, printJobs);
    QObject::connect(&window, &FormWindow::closed, &QApplication::quit);
    window.present({});
    return QApplication::exec();
}

// Qt's own dialogs (print, file, questions) speak Polish too.
void SpeakPolish(QApplication& application) {
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
    auto* qtTexts = new QTranslator(&application);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (qtTexts->load(QStringLiteral("qtbase_pl"), folder)) QApplication::installTranslator(qtTexts);
}

bool HasServerSwitch(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i)
        if (arguments[i].compare(QStringLiteral("/SERWER"), Qt::CaseInsensitive) == 0) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGXFSZ, SIG_IGN);  // past a file-size limit a write fails (with a message), not the program
    // Writing a PDF needs no screen.
    if (argc > 1 && qstrcmp(argv[1], "--pdf") == 0 && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("formvel"));
    QApplication::setQuitOnLastWindowClosed(false);
    SpeakPolish(application);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() == 4 && arguments[1] == QStringLiteral("--formularz"))
        return ShowFieldListFile(arguments[2], arguments[3], {});
    if (arguments.size() == 5 && arguments[1] == QStringLiteral("--pdf"))
        return ShowFieldListFile(arguments[2], arguments[3], arguments[4]);
    const bool server = HasServerSwitch(arguments);
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
