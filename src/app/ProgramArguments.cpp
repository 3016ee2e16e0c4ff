#include "app/ProgramArguments.h"

#include <QUrl>

ProgramArguments ParseProgramArguments(const QStringList& arguments) {
    ProgramArguments parsed;
    bool optionsEnded = false;
    QStringList files;
    for (const QString& argument : arguments) {
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && (argument == QLatin1String("--help") || argument == QLatin1String("-h"))) {
            parsed.help = true;
        } else if (!optionsEnded && argument == QLatin1String("--version")) {
            parsed.version = true;
        } else if (!optionsEnded && argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            parsed.error = QStringLiteral("nieznana opcja „%1” (fiskon --help opisuje wywołanie)").arg(argument);
            return parsed;
        } else {
            // A desktop may hand over a file as a file: address.
            const QUrl url(argument);
            files << (argument.startsWith(QLatin1String("file:")) && url.isLocalFile() ? url.toLocalFile() : argument);
        }
    }
    if (files.size() > 1) {
        parsed.error = QStringLiteral("można otworzyć tylko jeden plik naraz (podano %1)").arg(files.size());
        return parsed;
    }
    if (!files.isEmpty()) parsed.dataFile = files.front();
    return parsed;
}

QString ProgramUsage() {
    return QStringLiteral(
        "Użycie: fiskon [PLIK]\n"
        "Program wypełniający PIT-11/8B i PIT-40.\n"
        "\n"
        "  PLIK       plik danych podatników (tekst w formacie INI) otwierany od razu,\n"
        "             tak jak poleceniem Plik → Otwórz plik tekstowy w formacie INI\n"
        "  --help     ten opis\n"
        "  --version  wersja programu\n");
}
