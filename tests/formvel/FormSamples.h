#pragma once

#include <QByteArray>
#include <QString>

// Field lists of fully filled forms as Fiskon sends them (code page 1250, CR LF), for the tests.
QByteArray FullPit11Fields();
QByteArray FullPit40Fields();

// The text of a PDF file as pdftotext gives it (pages first..last, 0 for all); empty on failure.
// `mode` is pdftotext's: "-layout" keeps the page's arrangement, "-raw" the drawing order.
QString PdfText(const QString& path, int firstPage = 0, int lastPage = 0, const QString& mode = QStringLiteral("-layout"));
// The number of pages of a PDF file (pdfinfo); 0 on failure.
int PdfPageCount(const QString& path);
