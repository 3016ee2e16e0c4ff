#include "formvel/app/FormvelCommandLine.h"

#include "forms/ControlCharacters.h"

#include <QFileInfo>
#include <QString>

#include <cstdio>

namespace {

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

}  // namespace

FormvelCommandLine ReadFormvelCommandLine(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const QString program = ProgramName(argv[0]);
    FormvelCommandLine line;
    const auto isServerSwitch = [](const QString& argument) {
        return argument.compare(QStringLiteral("/SERWER"), Qt::CaseInsensitive) == 0;
    };
    if (arguments.isEmpty()) return line;
    if (arguments.size() == 1 && isServerSwitch(arguments[0])) {
        line.serverSwitch = true;
        return line;
    }
    const QString& first = arguments[0];
    if (arguments.size() == 1 && (first == QStringLiteral("--help") || first == QStringLiteral("-h"))) {
        std::fputs(UsageText(program).constData(), stdout);
        return {FormvelCommandLine::Done, false, 0, {}};
    }
    if (arguments.size() == 1 && first == QStringLiteral("--version")) {
        std::printf("%s %s (Fiskon)\n", qPrintable(program), FORMVEL_VERSION);
        return {FormvelCommandLine::Done, false, 0, {}};
    }
    if (first == QStringLiteral("--formularz") && arguments.size() == 3)
        return {FormvelCommandLine::ShowFile, false, 0, arguments.mid(1)};
    if (first == QStringLiteral("--pdf") && arguments.size() == 4)
        return {FormvelCommandLine::WritePdf, false, 0, arguments.mid(1)};
    const QString problem = first == QStringLiteral("--formularz") || first == QStringLiteral("--pdf")
                                ? QStringLiteral("%1: %2 – zła liczba argumentów.").arg(program, first)
                                : QStringLiteral("%1: nieznana opcja albo argument „%2”.")
                                      .arg(program, EscapeControlCharacters(arguments[isServerSwitch(first) ? 1 : 0]));
    std::fprintf(stderr, "%s\n%s", problem.toUtf8().constData(), UsageText(program).constData());
    return {FormvelCommandLine::Done, false, kFormvelExitUsage, {}};
}
