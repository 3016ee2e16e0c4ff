// Fiskon: fills PIT-11/8B and PIT-40 for an employer's taxpayers.

#include "app/FiskonProgram.h"
#include "app/ProgramArguments.h"
#include "app/ProgramResources.h"
#include "signing/CertificateDatabase.h"

#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>

namespace {

// Qt's own texts (file and colour dialogs, context menus of text fields) in Polish, where the
// system has Qt's translations; the program's message boxes set their button texts themselves.
void installPolishTranslations(QApplication& app) {
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Polish), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
}

// Says what --help or --version asks for; false when neither was asked.
bool answerInformation(const ProgramArguments& arguments) {
    if (!arguments.error.isEmpty() || !(arguments.help || arguments.version)) return false;
    const QString text = arguments.help ? ProgramUsage() : QStringLiteral("fiskon 1.2.10\n");
    std::fputs(text.toUtf8().constData(), stdout);
    return true;
}

// The program's windows, from the application object made to its end.
int runWindows(int& argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("fiskon"));
    QApplication::setApplicationVersion(QStringLiteral("1.2.10"));

    // Qt has taken its own options (-platform, -display …); the rest are the program's.
    const ProgramArguments arguments = ParseProgramArguments(QApplication::arguments().mid(1));
    if (!arguments.error.isEmpty()) {
        std::fprintf(stderr, "fiskon: %s\n", arguments.error.toUtf8().constData());
        return 2;
    }
    if (answerInformation(arguments)) return 0;

    installPolishTranslations(app);
    ensureProgramResources();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/hicolor/256x256/apps/fiskon.png")));
    QGuiApplication::setDesktopFileName(QStringLiteral("fiskon"));

    ProgramStart start;
    start.dataFile = arguments.dataFile;
    return RunFiskon(start);
}

}  // namespace

int main(int argc, char* argv[]) {
    // --help and --version need no screen.
    QStringList raw;
    for (int i = 1; i < argc; ++i) raw << QString::fromLocal8Bit(argv[i]);
    if (answerInformation(ParseProgramArguments(raw))) return 0;

    const int code = runWindows(argc, argv);
    // The windows are gone (the clipboard handed over). The certificate database, when the PDF
    // dialog opened it, is finished here with its card modules while every library is still
    // whole, and the program ends without the exit handlers: the signing library's own would
    // shut the database down a second time and complain of it in English, and a card module's
    // destructors must not be left to run against a live database.
    if (FinishCertificateDatabase()) {
        std::fflush(nullptr);
        std::_Exit(code);
    }
    return code;
}
