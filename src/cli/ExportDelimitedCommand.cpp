// fiskon-cli export-delimited IN OUT --separator SEP|tab
// Writes the register as the delimited text the delimited import reads, as the main window's
// "Eksportuj rozseparowane dane tekstowe…" does. A value holding the separator stops it before
// anything is written.
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/ImportArguments.h"

#include "import/DelimitedExport.h"
#include "store/FileErrors.h"
#include "store/SameFile.h"

#include <QTextStream>

int RunExportDelimitedCommand(const QStringList& arguments, QTextStream& /*out*/, QTextStream& err) {
    const ImportArguments parsed = ImportArguments::parse(arguments, {QStringLiteral("separator")}, {});
    if (parsed.files.size() != 2)
        throw UsageError(QStringLiteral("Polecenie wymaga pliku danych podatników i pliku wyjściowego."));
    if (!parsed.has(QStringLiteral("separator"))) throw UsageError(QStringLiteral("Brak opcji --separator."));
    const char separator = ParseSeparator(parsed.value(QStringLiteral("separator")));
    const QString input = parsed.files[0];
    const QString output = parsed.files[1];
    if (IsSameFile(input, output)) {
        err << QStringLiteral("Plik wyjściowy jest plikiem danych podatników – nie zastępuję go.") << '\n';
        return kExitFailure;
    }

    TaxpayerRegister taxpayers;
    if (!OpenTaxpayersForCommand(taxpayers, input, err)) return kExitFailure;
    try {
        ExportDelimited(taxpayers, output, separator);
    } catch (const DelimitedExportError& error) {
        err << error.message() << '\n';
        return kExitFailure;
    } catch (const FileError& error) {
        err << error.message() << '\n';
        return kExitFailure;
    }
    return kExitSuccess;
}
