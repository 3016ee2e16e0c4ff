// fiskon-cli import-delimited IN OUT --separator SEP [--into EXISTING] [--sort KEY]
// Imports taxpayers from a delimited text file as the delimited import dialog does and writes the
// register as Save as does.
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/ImportArguments.h"

#include "import/DelimitedImport.h"
#include "store/FileErrors.h"
#include "store/OverlongAmount.h"
#include "store/Workspace.h"

#include <QFileInfo>
#include <QTextStream>

int RunImportDelimitedCommand(const QStringList& arguments, QTextStream& /*out*/, QTextStream& err) {
    const ImportArguments parsed = ImportArguments::parse(
        arguments, {QStringLiteral("separator"), QStringLiteral("into"), QStringLiteral("sort")}, {});
    if (parsed.files.size() != 2)
        throw UsageError(QStringLiteral("Polecenie wymaga pliku wejściowego i pliku wyjściowego."));
    if (!parsed.has(QStringLiteral("separator"))) throw UsageError(QStringLiteral("Brak opcji --separator."));
    const char separator = ParseSeparator(parsed.value(QStringLiteral("separator")));
    const QString input = parsed.files[0];
    const QString output = parsed.files[1];

    Workspace workspace;
    if (parsed.has(QStringLiteral("sort"))) workspace.taxpayers.Sort(ParseSortKey(parsed.value(QStringLiteral("sort"))));
    const QString into = parsed.value(QStringLiteral("into"));
    if (!into.isEmpty()) {
        if (!OpenTaxpayersForCommand(workspace.taxpayers, into, err)) return kExitFailure;
    }
    const QFileInfo inputInfo(input);
    if (!inputInfo.exists() || inputInfo.isDir()) {
        err << QStringLiteral("Plik o podanej nazwie nie istnieje!") << '\n';
        return kExitFailure;
    }

    try {
        if (!ImportDelimited(workspace.taxpayers, input, separator)) {
            err << kNothingImportedMessage << '\n';
            return kExitFailure;
        }
    } catch (const ConversionError& error) {
        err << error.message() << '\n';
        return kExitFailure;
    } catch (const FileError& error) {
        err << error.message() << '\n';
        return kExitFailure;
    } catch (const RecordLimitError& error) {
        err << error.message() << '\n';
        return kExitFailure;
    } catch (const OverlongAmountError& error) {
        err << error.message() << '\n';
        return kExitFailure;
    }
    return SaveTaxpayersForCommand(workspace, output, err);
}
