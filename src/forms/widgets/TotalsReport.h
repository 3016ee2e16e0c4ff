#pragma once

#include "forms/RegisterTotals.h"

#include <QDate>
#include <QString>

#include <optional>

class QPagedPaintDevice;

// The printed totals: A4 pages headed by the payer's name and NIP, the form and the counts, then
// the table of boxes ("Poz.", "Opis", "Suma") carried over as many pages as it needs, each page
// closed by the date and "Strona N z M".
struct TotalsReport {
    QString payerName;
    QString payerNip;
    RegisterTotals totals;
    std::optional<FindingCounts> findings;
    QDate date;
};

// Draws the report on a printer or a PDF writer (the page set to A4 here); returns the pages
// drawn, 0 when the device could not be painted on.
int PaintTotalsReport(QPagedPaintDevice& device, const TotalsReport& report);

// The report as the bytes of a PDF file.
QByteArray TotalsReportPdf(const TotalsReport& report);
