// fiskon-cli convert IN OUT [--sort nazwisko|imie|pesel]: opens a taxpayer data file as the main
// window's Open does and writes it as Save as does.
#include "cli/CommandSupport.h"
#include "cli/Commands.h"

#include "store/Workspace.h"

#include <QTextStream>

int RunConvertCommand(const QStringList& arguments, QTextStream& /*out*/, QTextStream& err) {
    const InOutArguments parsed = ParseInOutArguments(arguments, QStringLiteral("convert"));

    Workspace workspace;
    workspace.taxpayers.Sort(parsed.sortKey);  // the key the opened file is sorted by
    if (!OpenTaxpayersForCommand(workspace.taxpayers, parsed.input, err)) return kExitFailure;
    return SaveTaxpayersForCommand(workspace, parsed.output, err);
}
