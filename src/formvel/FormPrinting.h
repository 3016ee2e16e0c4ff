#pragma once

#include "store/AtomicFileWriter.h"

#include <QString>
#include <QStringList>

class FormDocument;
class QPrinter;

// Printing a form: on a printer the system offers, or into a PDF file when the printer is set up
// for one.

// Prints pages firstPage..lastPage (1-based; 999 or anything past the end means to the last page)
// on the printer; the number of pages printed, 0 (with a Polish message) when the printer could
// not be started. A printer set up to print into a PDF file writes it through the safe writer, with
// `options` (see WriteFormPdfPages).
int PrintFormPages(QPrinter& printer, const FormDocument& document, int firstPage, int lastPage,
                   QString* error = nullptr, const FileWriteOptions& options = {});

// The printers the system offers, in the order the printer index counts them.
QStringList AvailablePrinterNames();

// A file name that does not exist yet: `wanted` itself, or with " (2)", " (3)"… before ".pdf".
QString UniqueFilePath(const QString& wanted);

// File name part made of a taxpayer's name: letters, digits and "-" kept, blanks become "_".
QString FileNamePart(const QString& text);

// Where a print goes when the system has no printer: a new PDF file in the user's documents folder
// named after the form and the taxpayer.
QString FallbackPdfPath(const FormDocument& document);

// The file of a later document of a batch whose first (of `firstTaxpayer`) went to `chosen`:
// beside it, named after the chosen file with the first taxpayer's name replaced by this document's
// taxpayer, never one that exists.
QString BatchSiblingPath(const QString& chosen, const QString& firstTaxpayer, const FormDocument& document);
