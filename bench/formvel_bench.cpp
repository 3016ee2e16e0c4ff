// Rendering filled PIT-11/8B forms into one PDF with the forms program's renderer, beside the
// baseline: the same texts, rectangles and lines drawn with a bare QPainter into the same PDF writer
// (positions worked out before the clock starts).

#include "BenchmarkMain.h"
#include "formvel/FormDocument.h"
#include "formvel/FormPdf.h"
#include "formvel/FormRenderer.h"
#include "store/Cp1250.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

constexpr int kDocuments = 1000;
constexpr int kDistinct = 10;

QByteArray Pit11Fields(int n) {
    QStringList lines = {
        "p1=526-025-09-95", "pSKR.01=00", "pSKR.02=01", "p7=010", "p8=ZAKŁAD USŁUG ŻEGLUGOWYCH SPÓŁKA Z O.O.",
        "p9=POLSKA", "p10=POMORSKIE", "p11=GDAŃSK", "p12=GDAŃSK", "p13=DŁUGIE POBRZEŻE", "p14=12", "p15=3",
        "p16=GDAŃSK", "p17=80-888", "p18=GDAŃSK", "p4=01-01-2006", "p5=31-12-2006",
        "p6=Pierwszy Urząd Skarbowy w Gdańsku", "p19=123-456-32-18", QStringLiteral("p20=PRACOWNIK-%1").arg(n),
        "p21=JÓZEFINA", "p22=31-01 1970", "p23=POLSKA", "p24=POMORSKIE", "p25=SOPOT", "p26=SOPOT",
        "p27=MONTE CASSINO", "p28=7", "p29=15", "p30=SOPOT", "p31=81-767", "p32=SOPOT", "p33=00100", "p79=001",
        "p80=ANNA", "p81=KSIĘGOWA"};
    for (int box = 34; box <= 78; ++box) lines << QStringLiteral("p%1=%2,%3").arg(box).arg(1000 + box * 37 + n).arg(box % 90 + 10);
    QByteArray text;
    for (const QString& line : lines) text += QByteArray::fromStdString(cp1250::fromUnicode(line)) + "\r\n";
    return text;
}

std::vector<std::unique_ptr<FormDocument>> Documents() {
    std::vector<std::unique_ptr<FormDocument>> documents;
    for (int n = 0; n < kDistinct; ++n) {
        documents.push_back(FormDocument::create("PIT118B_14"));
        documents.back()->setFields(Pit11Fields(n), FormDocument::AutoFormat | FormDocument::Calculate);
    }
    return documents;
}

void SetUpWriter(QPdfWriter& writer) {
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    writer.setResolution(600);
}

// What the bare painter draws: every step of the fixed part, then each value at its place.
struct BareText {
    QPointF origin;
    QString text;
    FontRole font;
};
struct BarePage {
    std::vector<DrawStep> steps;
    std::vector<BareText> values;
    std::vector<QLineF> lines;
};

std::vector<BarePage> BarePages(const FormDocument& document) {
    const FormGeometry& geometry = GeometryOf(document.layout());
    std::vector<BarePage> pages(static_cast<std::size_t>(geometry.pageCount));
    for (int page = 0; page < geometry.pageCount; ++page) pages[static_cast<std::size_t>(page)].steps = geometry.pages[static_cast<std::size_t>(page)];
    for (const ValueSlot& slot : geometry.valueSlots) {
        const FormBox& box = document.layout().boxes[static_cast<std::size_t>(slot.box)];
        const QString value = document.values().at(slot.box);
        BarePage& page = pages[static_cast<std::size_t>(slot.page)];
        if (value.isEmpty()) continue;
        if (box.kind == BoxKind::TitleStrike) {
            if (value == "01") page.lines.insert(page.lines.end(), slot.strikes.begin(), slot.strikes.end());
        } else if (box.isCoded()) {
            for (std::size_t k = 0; k < slot.squares.size(); ++k)
                if (static_cast<qsizetype>(k + 1) < value.size() && value[static_cast<qsizetype>(k + 1)] == u'1') {
                    const QRectF inner = slot.squares[k].adjusted(6, 6, -6, -6);
                    page.lines.emplace_back(inner.topLeft(), inner.bottomRight());
                    page.lines.emplace_back(inner.topRight(), inner.bottomLeft());
                }
        } else {
            const QFontMetricsF metrics(FormFont(FontRole::Value));
            const double width = metrics.horizontalAdvance(value);
            const double x = slot.alignRight ? slot.valueArea.right() - width : slot.valueArea.left();
            page.values.push_back({QPointF(x, slot.valueArea.bottom() - metrics.descent() - 4), value, FontRole::Value});
        }
    }
    return pages;
}

void BM_FormRendererPdf(benchmark::State& state) {
    const auto documents = Documents();
    QTemporaryDir dir;
    for (auto _ : state) {
        QPdfWriter writer(dir.filePath("renderer.pdf"));
        SetUpWriter(writer);
        QPainter painter(&writer);
        bool first = true;
        for (int n = 0; n < kDocuments; ++n)
            DrawFormPages(painter, writer, *documents[static_cast<std::size_t>(n % kDistinct)], 1, 999, first);
        painter.end();
    }
    state.counters["documents"] = kDocuments;
}

void BM_BarePainterPdf(benchmark::State& state) {
    const auto documents = Documents();
    std::vector<std::vector<BarePage>> bare;
    for (const auto& document : documents) bare.push_back(BarePages(*document));
    QTemporaryDir dir;
    for (auto _ : state) {
        QPdfWriter writer(dir.filePath("bare.pdf"));
        SetUpWriter(writer);
        QPainter painter(&writer);
        const double scale = painter.viewport().width() / kPageWidth;
        const QPen framePen(Qt::black, 2.5);
        const QPen tickPen(Qt::black, 5);
        bool first = true;
        for (int n = 0; n < kDocuments; ++n) {
            for (const BarePage& page : bare[static_cast<std::size_t>(n % kDistinct)]) {
                if (!first) writer.newPage();
                first = false;
                painter.save();
                painter.scale(scale, scale);
                for (const DrawStep& step : page.steps) {
                    if (step.kind == DrawStep::Fill) {
                        painter.fillRect(step.rect, step.color);
                    } else if (step.kind == DrawStep::Frame) {
                        painter.setPen(framePen);
                        painter.setBrush(Qt::NoBrush);
                        painter.drawRect(step.rect);
                    } else if (step.kind == DrawStep::Line) {
                        painter.setPen(framePen);
                        painter.drawLine(step.line);
                    } else {
                        painter.setPen(Qt::black);
                        painter.setFont(FormFont(step.font));
                        painter.drawText(step.origin, step.text);
                    }
                }
                painter.setFont(FormFont(FontRole::Value));
                for (const BareText& value : page.values) painter.drawText(value.origin, value.text);
                painter.setPen(tickPen);
                for (const QLineF& line : page.lines) painter.drawLine(line);
                painter.restore();
            }
        }
        painter.end();
    }
    state.counters["documents"] = kDocuments;
}

BENCHMARK(BM_BarePainterPdf)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_FormRendererPdf)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char** argv) { return runBenchmarksWithGui(argc, argv); }
