// fiskon-cli check IN --form pit11|pit40 [the options of fields] [--records all|LIST]
// Checks the chosen taxpayers' forms (all by default) as the main window's "Sprawdź dane do
// formularzy…" does: one finding a line, "N;NAZWISKO;IMIĘ;Poz. X: opis", N the taxpayer's position
// from 1 and 0 for what is checked once (the payer, the tax year), each taxpayer's findings in box
// order. The fields are written as the saved list writes them (quoted where they hold ";", a quote
// or a line end); other control characters are written out, so that the terminal shows them as
// text. Exit code 0 without findings, 3 with some.
#include "cli/Commands.h"
#include "cli/FormArguments.h"
#include "cli/TerminalProgress.h"

#include "forms/ControlCharacters.h"
#include "forms/FindingsList.h"
#include "forms/RegisterCheck.h"
#include "forms/SemicolonList.h"

#include <QTextStream>

int RunCheckCommand(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    Workspace workspace;
    const std::optional<RegisterCheckRequest> check = OpenChosenForms(arguments, QStringLiteral("check"), workspace, err);
    if (!check) return kExitFailure;

    TerminalProgress progress(err, QStringLiteral("Sprawdzono"), static_cast<int>(check->indices.size()));
    const std::vector<RegisterFinding> findings = CheckRegister(workspace.taxpayers, workspace.payer, *check,
                                                                [&progress](int done, int) { progress.advance(done); });
    progress.finish();

    const auto field = [](const QString& text) { return SemicolonListField(EscapeControlCharacters(text, true)); };
    for (const RegisterFinding& finding : findings) {
        const FindingRow row = MakeFindingRow(finding, workspace.taxpayers, workspace.payer);
        out << row.finding.position << ';' << field(row.surname) << ';' << field(row.firstName) << ';'
            << field(row.finding.text()) << '\n';
    }
    return findings.empty() ? kExitSuccess : kExitFindings;
}
