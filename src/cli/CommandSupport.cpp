#include "cli/CommandSupport.h"

#include "cli/Commands.h"

#include "store/DataFileCommands.h"
#include "store/FileErrors.h"
#include "store/Workspace.h"

#include <QTextStream>

TaxpayerSortKey ParseSortKey(const QString& text) {
    if (text == QLatin1String("nazwisko")) return TaxpayerSortKey::SortByNazwisko;
    if (text == QLatin1String("imie")) return TaxpayerSortKey::SortByImie;
    if (text == QLatin1String("pesel")) return TaxpayerSortKey::SortByPesel;
    throw UsageError(
        QStringLiteral("Nieznany klucz sortowania „%1” (dozwolone: nazwisko, imie, pesel).").arg(text));
}

InOutArguments ParseInOutArguments(const QStringList& arguments, const QString& commandName) {
    InOutArguments parsed;
    QStringList files;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || !argument.startsWith(QLatin1String("--"))) {
            files.push_back(argument);
        } else if (argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (argument == QLatin1String("--sort")) {
            if (i + 1 >= arguments.size()) throw UsageError(QStringLiteral("Po --sort brakuje klucza sortowania."));
            parsed.sortKey = ParseSortKey(arguments[++i]);
        } else if (argument.startsWith(QLatin1String("--sort="))) {
            parsed.sortKey = ParseSortKey(argument.mid(7));
        } else {
            throw UsageError(QStringLiteral("Nieznana opcja „%1”.").arg(argument));
        }
    }
    if (files.size() != 2)
        throw UsageError(QStringLiteral("Polecenie %1 wymaga dokładnie dwóch plików: wejściowego i wyjściowego.")
                             .arg(commandName));
    parsed.input = files[0];
    parsed.output = files[1];
    return parsed;
}

bool OpenTaxpayersForCommand(TaxpayerRegister& taxpayers, const QString& fileName, QTextStream& err) {
    const OpenTaxpayersResult opened = OpenTaxpayersFile(taxpayers, fileName);
    if (opened.usable) return true;
    // A file refused for what it is says so alone; one read without usable data says that first.
    if (!opened.refused) err << kNoUsableDataMessage << '\n';
    if (!opened.failure.isEmpty()) err << opened.failure << '\n';
    return false;
}

int SaveTaxpayersForCommand(Workspace& workspace, const QString& fileName, QTextStream& err) {
    try {
        if (SaveTaxpayersFile(workspace, fileName) == SaveTaxpayersResult::NothingToSave) {
            err << kNothingToSaveMessage << '\n';
            return kExitFailure;
        }
    } catch (const FileError& error) {
        err << error.message() << '\n';
        return kExitFailure;
    }
    return kExitSuccess;
}
