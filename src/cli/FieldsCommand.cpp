// fiskon-cli fields IN --form pit11|pit40 [--payer PAYERFILE] [--record N] [--edition 2005|2006]
//                      [--strike pit11|pit8b] [--tax-year YYYY] [--first-name TEXT] [--surname TEXT]
//                      [--sort KEY]
// Prints the edition symbol and the field list of one taxpayer's form, as the show-form dialog
// builds it for the forms program.
#include "cli/Commands.h"
#include "cli/FormArguments.h"

#include "store/Cp1250.h"

#include <QTextStream>

int RunFieldsCommand(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    const FormRequest request = ParseFormRequest(arguments, {});
    if (request.files.size() != 1)
        throw UsageError(QStringLiteral("Polecenie fields wymaga dokładnie jednego pliku danych podatników."));

    Workspace workspace;
    if (!OpenFormWorkspace(workspace, request, err)) return kExitFailure;
    const std::optional<std::vector<int>> chosen =
        ChosenRecords(request.recordOption.value_or(QStringLiteral("1")), workspace.taxpayers.count(), err);
    if (!chosen) return kExitFailure;
    workspace.taxpayers.SelectByIndex(chosen->front() - 1);

    EditionSymbols symbols;
    SetEditionSymbols(symbols, request.yearIndex);
    QByteArrayList lines;
    const QByteArray symbol = BuildFieldList(lines, request.choices, workspace.taxpayers.current(),
                                             workspace.payer, symbols).value_or(QByteArray());
    out << cp1250::toUnicode(std::string_view(symbol.data(), symbol.size())) << '\n';
    for (const QByteArray& line : lines) out << cp1250::toUnicode(std::string_view(line.data(), line.size())) << '\n';
    return kExitSuccess;
}
