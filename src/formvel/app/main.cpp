#include "formvel/FieldListFile.h"
#include "formvel/FormDocument.h"
#include "formvel/FormPdf.h"
#include "forms/ControlCharacters.h"
#include "formvel/app/FormvelCommandLine.h"
#include "formvel/app/FormPrintJobs.h"
#include "formvel/app/FormWindow.h"
#include "formvel/app/FormsRequestHandler.h"
#include "formvel/app/FormsServerLifetime.h"
#include "platform/LinuxWindowSystem.h"
#include "signing/CertificateDatabase.h"
#include "store/SameFile.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>

// formvel: Fiskon's forms program. Started by Fiskon as "formvel /SERWER" (or, as the server variant,
// "velsrv /SERWER"), it registers the window class of the forms protocol and answers its requests:
// forms are created, filled, shown in windows of their own, printed and saved as PDF.

namespace {

constexpr const char* kFormsClass = "Tformularze_VEL";
constexpr const char* kServerClass = "Tvelsrv_VEL";
// How long the server waits without requests before it looks whether its clients still run
// ($FISKON_FORMS_QUIET_MS may set another spell).
constexpr int kQuietMilliseconds = 30000;

int QuietMilliseconds() {
    bool numeric = false;
    const int value = qEnvironmentVariableIntValue("FISKON_FORMS_QUIET_MS", &numeric);
    return numeric && value > 0 ? value : kQuietMilliseconds;
}
// "formvel --formularz SYMBOL PLIK": shows a field list file (code page 1250, as Fiskon sends it)
// on the form of that edition, formatted and calculated; the program ends with the window.
// "formvel --pdf SYMBOL PLIK WYNIK.pdf" writes that form into a PDF file instead.
int ShowFieldListFile(const QString& symbol, const QString& path, const QString& pdfPath) {
    if (IsSameFile(pdfPath, path)) {
        std::fprintf(stderr, "formvel: plik PDF nie może zastąpić listy pól %s.\n", qPrintable(QDir::toNativeSeparators(path)));
        return kFormvelExitUsage;
    }
    auto document = FormDocument::create(symbol.toLatin1());
    if (!document) {
        std::fprintf(stderr, "formvel: nieznany formularz %s (znane: PIT118B_C, PIT118B_14, PIT40_13, PIT40_14).\n",
                     EscapeControlCharacters(symbol).toUtf8().constData());
        return kFormvelExitUsage;
    }
    QString problem;
    const std::optional<QByteArray> text = ReadFieldListFile(path, &problem);
    if (!text || !document->setFields(*text, FormDocument::AutoFormat | FormDocument::Calculate)) {
        std::fprintf(stderr, "formvel: %s\n", problem.toUtf8().constData());
        return kFormvelExitFailure;
    }
    if (!pdfPath.isEmpty()) {
        if (const auto& failure = document->calculationError()) {
            std::fprintf(stderr, "formvel: %s Nie zapisano pliku PDF.\n", qPrintable(failure->message));
            return 1;
        }
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

// After the event loop: nothing signs any more. The certificate database, when saving a signed PDF
// opened it, is finished here with its card modules while every library is still whole, and the program ends without
// the exit handlers: the signing library's own would shut the database down a second time, and a
// card module's destructors must not be left to run against a live database.
int Finished(int code) {
    if (FinishCertificateDatabase()) {
        std::fflush(nullptr);
        std::_Exit(code);
    }
    return code;
}

// Qt's own dialogs (print, file, questions) speak Polish too.
void SpeakPolish(QApplication& application) {
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
    auto* qtTexts = new QTranslator(&application);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (qtTexts->load(QStringLiteral("qtbase_pl"), folder)) QApplication::installTranslator(qtTexts);
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGXFSZ, SIG_IGN);  // past a file-size limit a write fails (with a message), not the program
    const FormvelCommandLine commandLine = ReadFormvelCommandLine(argc, argv);
    if (commandLine.kind == FormvelCommandLine::Done) return commandLine.exitCode;
    // Writing a PDF needs no screen.
    if (commandLine.kind == FormvelCommandLine::WritePdf && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("formvel"));
    // The windows carry Fiskon's icon and name their own desktop entry (fiskon-formvel.desktop,
    // not shown in menus), so a task bar groups and labels them as Fiskon's forms.
    QGuiApplication::setDesktopFileName(QStringLiteral("fiskon-formvel"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("fiskon")));
    QApplication::setQuitOnLastWindowClosed(false);
    SpeakPolish(application);
    const QStringList& files = commandLine.files;
    if (commandLine.kind == FormvelCommandLine::ShowFile) return Finished(ShowFieldListFile(files[0], files[1], {}));
    if (commandLine.kind == FormvelCommandLine::WritePdf) return ShowFieldListFile(files[0], files[1], files[2]);
    const bool server = commandLine.serverSwitch;
    const bool serverVariant =
        QFileInfo(QString::fromLocal8Bit(argv[0])).completeBaseName().compare(QStringLiteral("velsrv"), Qt::CaseInsensitive) == 0;

    LinuxWindowSystem system;
    // Form ids go on from the program that ran before in this session (see FormIdCounter).
    FormsRequestHandler handler(system, FormIdCounter(system.folder().isEmpty() ? QString() : system.folder() + QStringLiteral("/formvel-ids")));
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

    // With /SERWER the program belongs to Fiskon: it ends on the last release or when no client
    // holds a form any more. Started by hand it serves until released.
    if (server) {
        auto* lifetime = new FormsServerLifetime(handler, QuietMilliseconds(), &application);
        QObject::connect(lifetime, &FormsServerLifetime::finished, &application, &QApplication::quit, Qt::QueuedConnection);
    } else {
        QObject::connect(&handler, &FormsRequestHandler::releaseRequested, &application, [&handler] {
            if (handler.openWindowCount() == 0) QApplication::quit();
        });
    }
    return Finished(QApplication::exec());
}
