#pragma once

#include "store/AtomicFileWriter.h"

#include <QByteArray>
#include <QString>

#include <vector>

class FormDocument;
class QPagedPaintDevice;
class QPainter;

// PDF files of the forms. Every PDF the programs write is drawn into memory first and then goes
// through the program's one safe writer (WriteFileAtomically): a uniquely named temporary file in
// the target's folder, every write checked, renamed over the target at the end. A failure leaves
// what stood at the target as it was, and what is not a regular file there (a folder, a device, a
// pipe) or a read-only file is refused. Text stays text (DejaVu Sans embedded, searchable); lines
// are vectors.

// "PIT-40(14)": the form's name and its edition (the edition symbol's last part).
QString FormEditionLabel(const FormDocument& document);
// The document title of a PDF: "PIT-40(14) – NOWAK ANNA" for one document; for several, the
// editions they use and the number of documents ("PIT-11/8B(14) – podatnicy: 250").
QString FormPdfTitle(const QStringList& editionLabels, int documents, const QString& onlyTaxpayer);
QString FormPdfTitle(const std::vector<const FormDocument*>& documents);

// The reason a signed form's PDF gives: "PIT-40 za rok 2006", "PIT-11/8B za rok 2005" – on a PIT-40
// the tax year typed on it when that is four digits, else `editionYear`.
QString PdfSignatureReason(bool pit40, const QString& typedTaxYear, const QString& editionYear);
// The same for one document: its tax-year box, else the year of its edition.
QString PdfSignatureReason(const FormDocument& document);

// One PDF in memory: pages firstPage..lastPage (1-based, clipped) of each document, each document
// from a new page, with the given document title.
struct FormPdfPages {
    const FormDocument* document = nullptr;
    int firstPage = 1;
    int lastPage = 999;
};
QByteArray RenderFormsPdf(const std::vector<FormPdfPages>& pages, const QString& title);

// Writes the documents into one PDF; false with a Polish message (naming the file and the cause)
// on failure.
bool writeFormsPdf(const QString& path, const std::vector<const FormDocument*>& documents, QString* error);
// Writes pages firstPage..lastPage of one document into a PDF file (printing into a file); the
// number of pages written, 0 with a Polish message on failure. A document whose amounts could not
// be calculated is refused: no file shows stale totals. `options.replaceLinks` for a name the
// program made up (a later file of a batch): a link planted there is replaced, not followed.
int WriteFormPdfPages(const QString& path, const FormDocument& document, int firstPage, int lastPage, QString* error,
                      const FileWriteOptions& options = {});

// Draws pages firstPage..lastPage (1-based, clipped to the document) of one document on a paged
// device that a painter is already open on, a new device page before every page but the first
// one drawn (`firstOnDevice` says whether nothing has been drawn on it yet). Returns the number
// of pages drawn.
int DrawFormPages(QPainter& painter, QPagedPaintDevice& device, const FormDocument& document, int firstPage,
                  int lastPage, bool& firstOnDevice);
