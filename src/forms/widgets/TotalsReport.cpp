#include "forms/widgets/TotalsReport.h"

#include "forms/FormLayout.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <vector>

namespace {

// Sizes in points, turned into the device's units by `Points`.
constexpr double kBodyPt = 10;
constexpr double kTitlePt = 14;
constexpr double kSmallPt = 8;

struct Geometry {
    double unit;  // device units per point
    double width;
    double height;
    double number;  // width of the "Poz." column
    double sum;     // width of the "Suma" column
    double gap;
    double foot;    // height kept for the foot

    double points(double pt) const { return pt * unit; }
    double caption() const { return width - number - sum - 2 * gap; }
};

QFont Font(double pt, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(pt);
    font.setBold(bold);
    return font;
}

QString FormLine(const RegisterTotals& totals) {
    return QStringLiteral("Zestawienie kwot – %1 (wydanie %2)").arg(totals.formName, EditionYearText(totals.symbol));
}

// The head of every page: the payer on the left, the NIP on the right, a rule below. Returns the
// height used.
double PaintHead(QPainter& painter, const Geometry& g, const TotalsReport& report) {
    painter.setFont(Font(kBodyPt, true));
    const QFontMetricsF metrics(painter.font(), painter.device());
    const double line = metrics.height();
    const QString name = report.payerName.isEmpty() ? QStringLiteral("(płatnik bez nazwy)") : report.payerName;
    const QRectF nameRect(0, 0, g.width * 0.7, g.height);  // the whole name, however many lines it takes
    QRectF used;
    painter.drawText(nameRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, name, &used);
    painter.setFont(Font(kBodyPt));
    painter.drawText(QRectF(g.width * 0.7, 0, g.width * 0.3, line), Qt::AlignRight | Qt::AlignTop,
                     QStringLiteral("NIP: %1").arg(report.payerNip.isEmpty() ? QStringLiteral("–") : report.payerNip));
    const double bottom = std::max(used.height(), line) + g.points(3);
    painter.drawLine(QPointF(0, bottom), QPointF(g.width, bottom));
    return bottom + g.points(8);
}

void PaintFoot(QPainter& painter, const Geometry& g, const TotalsReport& report, int page, int pages) {
    painter.setFont(Font(kSmallPt));
    const double top = g.height - g.foot;
    painter.drawLine(QPointF(0, top), QPointF(g.width, top));
    const QRectF area(0, top + g.points(2), g.width, g.foot - g.points(2));
    painter.drawText(area, Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("Sporządzono %1 programem Fiskon").arg(report.date.toString(QStringLiteral("dd-MM-yyyy"))));
    painter.drawText(area, Qt::AlignRight | Qt::AlignTop, QStringLiteral("Strona %1 z %2").arg(page).arg(pages));
}

struct Row {
    QString number;
    QString caption;
    QString sum;
    double height = 0;
};

}  // namespace

int PaintTotalsReport(QPagedPaintDevice& device, const TotalsReport& report) {
    device.setPageSize(QPageSize(QPageSize::A4));
    device.setPageMargins(QMarginsF(18, 15, 18, 12), QPageLayout::Millimeter);
    QPainter painter;
    if (!painter.begin(&device)) return 0;
    Geometry g{};
    g.unit = device.logicalDpiY() / 72.0;
    g.width = device.width();
    g.height = device.height();
    g.number = g.points(40);
    g.gap = g.points(8);
    g.foot = g.points(22);

    // The rows and their heights, for the page breaks and the page count. The "Suma" column is as
    // wide as its widest sum (at least 110 points), so no sum loses a digit.
    const QFontMetricsF body(Font(kBodyPt), &device);
    std::vector<Row> rows;
    g.sum = g.points(110);
    for (const BoxTotal& total : report.totals.boxes) {
        Row row{QString::number(total.box), total.caption, GroszeText(total.grosze, true)};
        g.sum = std::max(g.sum, body.horizontalAdvance(row.sum) + g.points(2));
        rows.push_back(row);
    }
    for (Row& row : rows)
        row.height = body.boundingRect(QRectF(0, 0, g.caption(), 1e6), Qt::TextWordWrap, row.caption).height() + g.points(4);
    const double headHeight = [&] {  // measured on a page of its own, never painted
        const QFontMetricsF bold(Font(kBodyPt, true), &device);
        const QRectF name = bold.boundingRect(QRectF(0, 0, g.width * 0.7, 1e6), Qt::TextWordWrap,
                                              report.payerName.isEmpty() ? QStringLiteral("x") : report.payerName);
        return std::max(name.height(), bold.height()) + g.points(11);
    }();
    const QFontMetricsF title(Font(kTitlePt, true), &device);
    const double intro = title.height() + g.points(6) + body.height() * (report.findings ? 2 : 1) + g.points(10);
    const double tableHead = body.height() + g.points(6);
    const double usable = g.height - g.foot - g.points(6);

    // Page breaks: the first row of each page.
    std::vector<std::size_t> pageStarts{0};
    double y = headHeight + intro + tableHead;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (y + rows[i].height > usable && i != pageStarts.back()) {
            pageStarts.push_back(i);
            y = headHeight + tableHead;
        }
        y += rows[i].height;
    }
    const int pages = static_cast<int>(pageStarts.size());

    for (int page = 0; page < pages; ++page) {
        if (page > 0) device.newPage();
        y = PaintHead(painter, g, report);
        if (page == 0) {
            painter.setFont(Font(kTitlePt, true));
            painter.drawText(QRectF(0, y, g.width, title.height()), Qt::AlignLeft, FormLine(report.totals));
            y += title.height() + g.points(6);
            painter.setFont(Font(kBodyPt));
            painter.drawText(QRectF(0, y, g.width, body.height()), Qt::AlignLeft,
                             QStringLiteral("Liczba podatników: %1").arg(report.totals.taxpayers));
            y += body.height();
            if (report.findings) {
                painter.drawText(QRectF(0, y, g.width, body.height()), Qt::AlignLeft,
                                 QStringLiteral("Podatnicy, których formularz pokaże uwagi: %1")
                                     .arg(report.findings->taxpayersWithFindings));
                y += body.height();
            }
            y += g.points(10);
        }
        painter.setFont(Font(kBodyPt, true));
        painter.drawText(QRectF(0, y, g.number, body.height()), Qt::AlignLeft, QStringLiteral("Poz."));
        painter.drawText(QRectF(g.number + g.gap, y, g.caption(), body.height()), Qt::AlignLeft, QStringLiteral("Opis"));
        painter.drawText(QRectF(g.width - g.sum, y, g.sum, body.height()), Qt::AlignRight, QStringLiteral("Suma"));
        y += body.height() + g.points(2);
        painter.drawLine(QPointF(0, y), QPointF(g.width, y));
        y += g.points(4);
        painter.setFont(Font(kBodyPt));
        const std::size_t end = page + 1 < pages ? pageStarts[static_cast<std::size_t>(page + 1)] : rows.size();
        for (std::size_t i = pageStarts[static_cast<std::size_t>(page)]; i < end; ++i) {
            const Row& row = rows[i];
            painter.drawText(QRectF(0, y, g.number, row.height), Qt::AlignLeft | Qt::AlignTop, row.number);
            painter.drawText(QRectF(g.number + g.gap, y, g.caption(), row.height), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                             row.caption);
            painter.drawText(QRectF(g.width - g.sum, y, g.sum, row.height), Qt::AlignRight | Qt::AlignTop, row.sum);
            y += row.height;
        }
        PaintFoot(painter, g, report, page + 1, pages);
    }
    painter.end();
    return pages;
}

QByteArray TotalsReportPdf(const TotalsReport& report) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(300);
        writer.setCreator(QStringLiteral("Fiskon"));
        writer.setTitle(FormLine(report.totals));
        if (PaintTotalsReport(writer, report) == 0) return {};
    }
    return bytes;
}
