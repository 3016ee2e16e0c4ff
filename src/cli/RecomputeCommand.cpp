// fiskon-cli recompute IN OUT [--sort nazwisko|imie|pesel]: opens a taxpayer data file as the main
// window's Open does, recomputes every record's amounts as a page change of the edit form does
// (the PIT-40 page, then the PIT-11/8B page, no box normalised) and writes the file as Save as does.
#include "cli/CommandSupport.h"
#include "cli/Commands.h"

#include "edit/AmountCalculations.h"
#include "store/FileErrors.h"
#include "store/Workspace.h"

#include <QTextStream>

int RunRecomputeCommand(const QStringList& arguments, QTextStream& /*out*/, QTextStream& err) {
    const InOutArguments parsed = ParseInOutArguments(arguments, QStringLiteral("recompute"));

    Workspace workspace;
    workspace.taxpayers.Sort(parsed.sortKey);  // the key the opened file is sorted by
    if (!OpenTaxpayersForCommand(workspace.taxpayers, parsed.input, err)) return kExitFailure;
    for (int i = 0; i < workspace.taxpayers.count(); ++i) {
        try {
            RecomputeRecord(workspace.taxpayers.at(i));
        } catch (const ConversionError& error) {
            err << QStringLiteral("Rekord nr %1: %2 Nie zapisano pliku.").arg(i + 1).arg(error.message()) << '\n';
            return kExitFailure;
        }
    }
    return SaveTaxpayersForCommand(workspace, parsed.output, err);
}
