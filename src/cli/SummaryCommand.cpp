// fiskon-cli summary IN --form pit11|pit40 [the options of fields] [--records all|LIST]
// The payer's totals of "Zestawienie kwot…": "Liczba podatników;N", then a line per box that any
// chosen taxpayer's form fills, in box order, "BOX;CAPTION;SUM" with the sum written as the data
// files write amounts ("288000,00"). Exit code 1, nothing on stdout, when an amount cannot be
// summed.
#include "cli/Commands.h"
#include "cli/FormArguments.h"

#include "forms/RegisterTotals.h"

#include <QTextStream>

int RunSummaryCommand(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    Workspace workspace;
    const std::optional<RegisterCheckRequest> sum = OpenChosenForms(arguments, QStringLiteral("summary"), workspace, err);
    if (!sum) return kExitFailure;

    const RegisterTotals totals = SumRegister(workspace.taxpayers, workspace.payer, *sum);
    if (!totals.problems.empty()) {
        for (const TotalsProblem& problem : totals.problems)
            err << TotalsProblemText(problem, workspace.taxpayers) << '\n';
        err << QStringLiteral("Kwot nie zsumowano: popraw powyższe dane.") << '\n';
        return kExitFailure;
    }
    out << QStringLiteral("Liczba podatników;") << totals.taxpayers << '\n';
    for (const BoxTotal& total : totals.boxes)
        out << total.box << ';' << total.caption << ';' << GroszeText(total.grosze) << '\n';
    return kExitSuccess;
}
