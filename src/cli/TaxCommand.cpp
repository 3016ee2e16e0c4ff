// fiskon-cli tax BASE: the PIT-40 tax of a tax base, as the edit form computes box 69.
#include "cli/Commands.h"

#include "edit/AmountCalculations.h"
#include "store/Cp1250.h"

#include <QTextStream>

int RunTaxCommand(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    if (arguments.size() != 1)
        throw UsageError(QStringLiteral("Polecenie tax wymaga jednej kwoty: podstawy obliczenia podatku."));
    try {
        out << QString::fromStdString(ComputeTax(cp1250::fromUnicode(arguments.front()))) << '\n';
        return kExitSuccess;
    } catch (const ConversionError& error) {
        err << error.message() << '\n';
        return kExitFailure;
    }
}
