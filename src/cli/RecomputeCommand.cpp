// fiskon-cli recompute IN OUT [--sort nazwisko|imie|pesel]: opens a taxpayer data file as the main
// window's Open does, recomputes every record's amounts as a page change of the edit form does
// (the PIT-40 page, then the PIT-11/8B page, no box normalised) and writes the file as Save as does.
#include "cli/Commands.h"

#include "edit/AmountCalculations.h"
#include "store/DataFileCommands.h"
#include "store/FileErrors.h"

#include <QTextStream>

namespace {

struct RecomputeArguments {
    QString input;
    QString output;
    TaxpayerSortKey sortKey = TaxpayerSortKey::SortByNazwisko;
};

TaxpayerSortKey parseSortKey(const QString& text) {
    if (text == QLatin1String("nazwisko")) return TaxpayerSortKey::SortByNazwisko;
    if (text == QLatin1String("imie")) return TaxpayerSortKey::SortByImie;
    if (text == QLatin1String("pesel")) return TaxpayerSortKey::SortByPesel;
    throw UsageError(QStringLiteral("Nieznany klucz sortowania „%1” (dozwolone: nazwisko, imie, pesel).").arg(text));
}

RecomputeArguments parseArguments(const QStringList& arguments) {
    RecomputeArguments parsed;
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
            parsed.sortKey = parseSortKey(arguments[++i]);
        } else if (argument.startsWith(QLatin1String("--sort="))) {
            parsed.sortKey = parseSortKey(argument.mid(7));
        } else {
            throw UsageError(QStringLiteral("Nieznana opcja „%1”.").arg(argument));
        }
    }
    if (files.size() != 2)
        throw UsageError(
            QStringLiteral("Polecenie recompute wymaga dokładnie dwóch plików: wejściowego i wyjściowego."));
    parsed.input = files[0];
    parsed.output = files[1];
    return parsed;
}

}  // namespace

int RunRecomputeCommand(const QStringList& arguments, QTextStream& /*out*/, QTextStream& err) {
    const RecomputeArguments parsed = parseArguments(arguments);

    Workspace workspace;
    workspace.taxpayers.Sort(parsed.sortKey);  // the key the opened file is sorted by
    const OpenTaxpayersResult opened = OpenTaxpayersFile(workspace.taxpayers, parsed.input);
    if (!opened.usable) {
        err << kNoUsableDataMessage << '\n';
        if (!opened.failure.isEmpty()) err << opened.failure << '\n';
        return kExitFailure;
    }
    for (int i = 0; i < workspace.taxpayers.count(); ++i) {
        try {
            RecomputeRecord(workspace.taxpayers.at(i));
        } catch (const ConversionError& error) {
            err << QStringLiteral("Rekord nr %1: %2 Nie zapisano pliku.").arg(i + 1).arg(error.message()) << '\n';
            return kExitFailure;
        }
    }
    try {
        if (SaveTaxpayersFile(workspace, parsed.output) == SaveTaxpayersResult::NothingToSave) {
            err << kNothingToSaveMessage << '\n';
            return kExitFailure;
        }
    } catch (const FileError& error) {
        err << error.message() << '\n';
        return kExitFailure;
    }
    return kExitSuccess;
}
