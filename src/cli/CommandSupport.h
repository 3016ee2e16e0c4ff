#pragma once

#include "store/TaxpayerRegister.h"

#include <QString>
#include <QStringList>

class QTextStream;
struct Workspace;

// Steps the file commands of fiskon-cli share: their command line, opening the register as the
// main window's Open does and writing it as Save as does, with messages printed to `err`.

// "nazwisko", "imie" or "pesel"; throws UsageError for other text.
TaxpayerSortKey ParseSortKey(const QString& text);

// IN OUT [--sort KEY] (also --sort=KEY; "--" ends the options, the last --sort wins).
struct InOutArguments {
    QString input;
    QString output;
    TaxpayerSortKey sortKey = TaxpayerSortKey::SortByNazwisko;
};

// Throws UsageError naming `commandName` when there are not exactly two files.
InOutArguments ParseInOutArguments(const QStringList& arguments, const QString& commandName);

// Opens `fileName` into `taxpayers`; when nothing usable was read prints why and returns false.
bool OpenTaxpayersForCommand(TaxpayerRegister& taxpayers, const QString& fileName, QTextStream& err);

// Writes the register to `fileName`; returns the exit code, having printed why it failed.
int SaveTaxpayersForCommand(Workspace& workspace, const QString& fileName, QTextStream& err);
