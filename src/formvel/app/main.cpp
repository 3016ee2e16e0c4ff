#include "formvel/FieldListText.h"
#include "formvel/FormDocument.h"
#include "formvel/FormPdf.h"
#include "forms/ControlCharacters.h"
#include "formvel/app/FormPrintJobs.h"
#include "formvel/app/FormWindow.h"
#include "formvel/app/FormsRequestHandler.h"
#include "formvel/app/FormsServerLifetime.h"
#include "platform/LinuxWindowSystem.h"
#include "store/Cp1250.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QTimer>

#include <cstdio>
#include <optional>

// formvel: Fiskon's forms program. Started by Fiskon as "formvel /SERWER" (or, as the server variant,
// "velsrv /SERWER"), it registers the window class of the forms protocol and answers its requests:
// forms are created, filled, shown in windows of their own, printed and saved as PDF.

namespace {

constexpr const char* kFormsClass = "Tformularze_VEL";
constexpr const char* kServerClass = "Tvelsrv_VEL";
constexpr int kQuietMilliseconds = 30000;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

QString ProgramName(const char* argv0) { return QFileInfo(QString::fromLocal8Bit(argv0)).fileName(); }

QByteArray UsageText(const QString& program) {
    return QStringLiteral(
               "Użycie:\n"
               "  %1 [/SERWER]\n"
               "      program formularzy Fiskona: odpowiada na jego żądania (uruchamia go Fiskon)\n"
               "  %1 --formularz SYMBOL PLIK\n"
               "      pokazuje listę pól z pliku na formularzu SYMBOL\n"
               "  %1 --pdf SYMBOL PLIK WYNIK.pdf\n"
               "      zapisuje ten formularz do pliku PDF\n"
               "  %1 --help | -h | --version\n"
               "Formularze: PIT118B_C, PIT118B_14 (PIT-11/8B), PIT40_13, PIT40_14 (PIT-40).\n"
               "Plik listy pól: wiersze „p19=NOWAK”, w kodowaniu Windows-1250 albo UTF-8.\n")
        .arg(program)
        .toUtf8();
}

// What the command line asks for. The server runs only without arguments or with "/SERWER":
// anything else is answered here and ends the program, so no hidden server is left behind.
struct CommandLine {
    enum Kind { Server, ShowFile, WritePdf, Done } kind = Server;
    int exitCode = 0;
    QStringList files;  // SYMBOL PLIK [WYNIK.pdf]
};

CommandLine ReadCommandLine(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const QString program = ProgramName(argv[0]);
    CommandLine line;
    if (arguments.isEmpty() ||
        (arguments.size() == 1 && arguments[0].compare(QStringLiteral("/SERWER"), Qt::CaseInsensitive) == 0))
        return line;
    const QString& first = arguments[0];
    if (arguments.size() == 1 && (first == QStringLiteral("--help") || first == QStringLiteral("-h"))) {
        std::fputs(UsageText(program).constData(), stdout);
        return {CommandLine::Done, 0, {}};
    }
    if (arguments.size() == 1 && first == QStringLiteral("--version")) {
        std::printf("%s %s (Fiskon)\n", qPrintable(program), FORMVEL_VERSION);
        return {CommandLine::Done, 0, {}};
    }
    if (first == QStringLiteral("--formularz") && arguments.size() == 3) return {CommandLine::ShowFile, 0, arguments.mid(1)};
    if (first == QStringLiteral("--pdf") && arguments.size() == 4) return {CommandLine::WritePdf, 0, arguments.mid(1)};
    const bool serverSwitch = first.compare(QStringLiteral("/SERWER"), Qt::CaseInsensitive) == 0;
    const QString problem = first == QStringLiteral("--formularz") || first == QStringLiteral("--pdf")
                                ? QStringLiteral("%1: %2 – zła liczba argumentów.").arg(program, first)
                                : QStringLiteral("%1: nieznana opcja albo argument „%2”.")
                                      .arg(program, EscapeControlCharacters(arguments[serverSwitch ? 1 : 0]));
    std::fprintf(stderr, "%s\n%s", problem.toUtf8().constData(), UsageText(program).constData());
    return {CommandLine::Done, kExitUsage, {}};
}

// The field list in a file, or the reason (a Polish sentence) why there is none.
std::optional<QByteArray> ReadFieldListFile(const QString& path, QString* problem) {
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (!info.exists()) {
        *problem = QStringLiteral("plik listy pól %1 nie istnieje.").arg(shown);
        return std::nullopt;
    }
    if (info.isDir()) {
        *problem = QStringLiteral("%1 jest folderem, a nie plikiem listy pól.").arg(shown);
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = QStringLiteral("nie można otworzyć pliku listy pól %1 (brak uprawnień?).").arg(shown);
        return std::nullopt;
    }
    const QByteArray text = FieldListFileText(file.readAll());
    int badLine = 0;
    if (!ParseFieldList(text, &badLine)) {
        const QByteArray line = text.split('\n').value(badLine - 1).trimmed().left(60);
        *problem = QStringLiteral("wiersz %1 pliku %2 nie jest przypisaniem pola w rodzaju „p19=NOWAK”: „%3”.")
                       .arg(badLine)
                       .arg(shown, EscapeControlCharacters(cp1250::toUnicode(std::string_view(line.constData(), line.size()))));
        return std::nullopt;
    }
    return text;
}

// "formvel --formularz SYMBOL PLIK": shows a field list file (code page 1250, as Fiskon sends it)
// on the form of that edition, formatted and calculated; the program ends with the window.
// "formvel --pdf SYMBOL PLIK WYNIK.pdf" writes that form into a PDF file instead.
int ShowFieldListFile(const QString& symbol, const QString& path, const QString& pdfPath) {
    auto document = FormDocument::create(symbol.toLatin1());
    if (!document) {
        std::fprintf(stderr, "formvel: nieznany formularz %s (znane: PIT118B_C, PIT118B_14, PIT40_13, PIT40_14).\n",
                     qPrintable(symbol));
        return kExitUsage;
    }
    QString problem;
    const std::optional<QByteArray> text = ReadFieldListFile(path, &problem);
    if (!text || !document->setFields(*text, FormDocument::AutoFormat | FormDocument::Calculate)) {
        std::fprintf(stderr, "formvel: %s\n", problem.toUtf8().constData());
        return kExitFailure;
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

}  // namespace

int main(int argc, char** argv) {
    const CommandLine commandLine = ReadCommandLine(argc, argv);
    if (commandLine.kind == CommandLine::Done) return commandLine.exitCode;
    // Writing a PDF needs no screen.
    if (commandLine.kind == CommandLine::WritePdf && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("formvel"));
    QApplication::setQuitOnLastWindowClosed(false);
    SpeakPolish(application);
    const QStringList& files = commandLine.files;
    if (commandLine.kind == CommandLine::ShowFile) return ShowFieldListFile(files[0], files[1], {});
    if (commandLine.kind == CommandLine::WritePdf) return ShowFieldListFile(files[0], files[1], files[2]);
    const bool server = argc > 1;  // "/SERWER"
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
