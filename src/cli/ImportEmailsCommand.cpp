// fiskon-cli import-emails IN LIST OUT [--accept-rest]
// Gives the taxpayers of IN the e-mail addresses of LIST ("PESEL;adres" lines), as the main
// window's "Importuj adresy e-mail…" does, and writes the register to OUT as Save as does. Each
// problem of the list is a line on stderr; with any, OUT is not written unless --accept-rest says
// to apply the rest.
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/ImportArguments.h"

#include "import/EmailImport.h"
#include "store/FileErrors.h"
#include "store/SameFile.h"
#include "store/Workspace.h"

#include <QTextStream>

int RunImportEmailsCommand(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    const QString acceptRest = QStringLiteral("accept-rest");
    const ImportArguments parsed = ImportArguments::parse(arguments, {}, {acceptRest});
    if (parsed.files.size() != 3)
        throw UsageError(QStringLiteral("Polecenie wymaga pliku danych podatników, listy adresów i pliku wyjściowego."));
    const QString input = parsed.files[0];
    const QString list = parsed.files[1];
    const QString output = parsed.files[2];
    if (IsSameFile(list, output)) {
        err << QStringLiteral("Plik wyjściowy jest listą adresów – nie zastępuję go.") << '\n';
        return kExitFailure;
    }

    Workspace workspace;
    if (!OpenTaxpayersForCommand(workspace.taxpayers, input, err)) return kExitFailure;
    EmailImportPlan plan;
    try {
        plan = PlanEmailImportFile(workspace.taxpayers, list);
    } catch (const FileError& error) {
        err << error.message() << '\n';
        return kExitFailure;
    }
    if (plan.empty) {
        err << kEmptyEmailListMessage << '\n';
        return kExitFailure;
    }
    for (const EmailImportProblem& problem : plan.problems) err << problem.text << '\n';
    if (!plan.problems.empty() && !parsed.flags.count(acceptRest)) {
        err << QStringLiteral("Nie zapisano pliku wyjściowego; z opcją --accept-rest zostaną przypisane pozostałe adresy.")
            << '\n';
        return kExitFailure;
    }
    const int changed = ApplyEmailImport(workspace, plan);
    const int code = SaveTaxpayersForCommand(workspace, output, err);
    if (code == kExitSuccess) out << EmailImportSummary(changed) << '\n';
    return code;
}
