#include "FormSamples.h"

#include "formvel/FormDocument.h"
#include "formvel/FormPdf.h"
#include "formvel/FormRenderer.h"
#include "store/Cp1250.h"

#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Every edition, its mark (head and footers) and its boxes with the register's greatest lengths.
struct Edition {
    const char* symbol;
    const char* mark;
    int payerAddress;     // first box of the payer's address
    int taxpayerAddress;  // first box of the taxpayer's address
    int firstAmount, lastAmount;
};

const Edition kEditions[] = {
    {"PIT118B_C", "PIT-11/8B", 9, 23, 34, 78},
    {"PIT118B_14", "PIT-11/8B(14)", 9, 23, 34, 78},
    {"PIT40_13", "PIT-40(13)", 8, 22, 35, 76},
    {"PIT40_14", "PIT-40(14)", 8, 22, 35, 76},
};

// The box's number and then the widest letter, `length` characters in all.
QString Longest(int box, int length) {
    QString text = QString::number(box) + u' ';
    return text + QString(length - text.size(), u'W');
}

// A form with the longest value the register keeps in each of its boxes.
std::unique_ptr<FormDocument> LongestForm(const Edition& edition) {
    const bool pit40 = QByteArray(edition.symbol).startsWith("PIT40");
    const int shift = pit40 ? -1 : 0;  // PIT-40 numbers the same boxes one lower
    QStringList lines = {"p1=526-025-09-95", QStringLiteral("p%1=%2").arg(6 + shift).arg(Longest(6, 100)),
                         QStringLiteral("p%1=%2").arg(8 + shift).arg(Longest(8, 255)),
                         QStringLiteral("p%1=123-456-32-18").arg(19 + shift),
                         QStringLiteral("p%1=%2").arg(20 + shift).arg(Longest(20, 50)),
                         QStringLiteral("p%1=%2").arg(21 + shift).arg(Longest(21, 50)),
                         QStringLiteral("p%1=31-12 1999").arg(22 + shift)};
    lines << (pit40 ? QStringLiteral("p4=2006") : QStringLiteral("p4=01-01-2006\r\np5=31-12-2006"));
    const int addressLengths[] = {50, 50, 50, 50, 50, 15, 15, 50, 10, 50};
    for (int first : {edition.payerAddress, edition.taxpayerAddress})
        for (int k = 0; k < 10; ++k) lines << QStringLiteral("p%1=%2").arg(first + k).arg(Longest(first + k, addressLengths[k]));
    for (int box = edition.firstAmount; box <= edition.lastAmount; ++box)
        // 20 characters, the register's limit: 13 digits shown grouped, or 17 digits, too many to read
        // as an amount, shown as typed.
        lines << QStringLiteral("p%1=%2%3,%4").arg(box).arg(box).arg(box % 2 ? "98765432109" : "987654321098765").arg(box % 90 + 10);
    const int person = pit40 ? 77 : 80;
    lines << QStringLiteral("p%1=%2").arg(person).arg(Longest(person, 50))
          << QStringLiteral("p%1=%2").arg(person + 1).arg(Longest(person + 1, 50));
    auto document = FormDocument::create(edition.symbol);
    EXPECT_TRUE(document->setFields(QByteArray::fromStdString(cp1250::fromUnicode(lines.join("\r\n"))), FormDocument::AutoFormat));
    return document;
}

// A paint device that keeps the rectangle (device units) of every piece of text drawn on it.
struct DrawnText {
    QString text;
    QRectF rect;
};

class TextRecordingEngine : public QPaintEngine {
public:
    TextRecordingEngine() : QPaintEngine(AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawTextItem(const QPointF& origin, const QTextItem& item) override {
        const QFontMetricsF metrics(item.font());
        const QRectF local(origin.x(), origin.y() - metrics.ascent(), metrics.horizontalAdvance(item.text()),
                           metrics.ascent() + metrics.descent());
        texts.push_back({item.text(), painter()->combinedTransform().mapRect(local)});
    }
    Type type() const override { return User; }
    std::vector<DrawnText> texts;
};

class TextRecordingDevice : public QPaintDevice {
public:
    explicit TextRecordingDevice(QSizeF size) : size_(size) {}
    QPaintEngine* paintEngine() const override { return &engine; }
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmWidth: return qRound(size_.width());
        case PdmHeight: return qRound(size_.height());
        case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 96;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return static_cast<int>(devicePixelRatioFScale());
        case PdmDepth: return 32;
        case PdmNumColors: return 0;
        default: return 0;
        }
    }
    mutable TextRecordingEngine engine;

private:
    QSizeF size_;
};

bool Within(const QRectF& inner, const QRectF& outer) { return outer.adjusted(-0.01, -0.01, 0.01, 0.01).contains(inner); }

QString Text(const QByteArray& bytes) { return cp1250::toUnicode(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))); }

// The words of one page of a PDF with their boxes in page units (pdftotext -bbox).
std::vector<DrawnText> PdfWords(const QString& path, int page) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-f"), QString::number(page),
                                                QStringLiteral("-l"), QString::number(page), path, QStringLiteral("-")});
    process.waitForFinished(60000);
    static const QRegularExpression word(QStringLiteral(
        "<page width=\"([\\d.]+)\"|<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    std::vector<DrawnText> words;
    double scale = 1;
    auto it = word.globalMatch(QString::fromUtf8(process.readAllStandardOutput()));
    while (it.hasNext()) {
        const auto match = it.next();
        if (!match.captured(1).isEmpty()) {
            scale = kPageWidth / match.captured(1).toDouble();
            continue;
        }
        const QRectF box(QPointF(match.captured(2).toDouble(), match.captured(3).toDouble()) * scale,
                         QPointF(match.captured(4).toDouble(), match.captured(5).toDouble()) * scale);
        words.push_back({match.captured(6), box});
    }
    return words;
}

QString Squeezed(QString text) { return text.remove(QRegularExpression(QStringLiteral("\\s+"))); }

}  // namespace

// Every text of every page of both forms in each edition, filled with the longest values, stays
// inside the form's frame at any zoom, and every value inside its own box (also the payer's name
// made longer than any box holds); the drawn boxes end above the footer.
TEST(FormTemplate, EveryTextStaysInsideTheFrameAndEachValueInItsBox) {
    for (const Edition& edition : kEditions) {
        const auto document = LongestForm(edition);
        const QByteArray name = QByteArray(edition.symbol).startsWith("PIT40") ? "p7" : "p8";
        ASSERT_TRUE(document->setValue(name, Longest(8, 700)));
        const FormGeometry& geometry = GeometryOf(document->layout());
        for (int page = 0; page < geometry.pageCount; ++page) {
            QSet<QString> fixedTexts;
            double footerTop = 0;
            for (const DrawStep& step : geometry.pages[static_cast<std::size_t>(page)]) {
                if (step.kind == DrawStep::Text) fixedTexts.insert(step.text);
                if (step.kind == DrawStep::Line) footerTop = step.line.y1();
            }
            for (const DrawStep& step : geometry.pages[static_cast<std::size_t>(page)])
                if (step.kind == DrawStep::Frame || step.kind == DrawStep::Fill) { EXPECT_LE(step.rect.bottom(), footerTop) << edition.symbol; }
            for (double zoom : {0.35, 1.0, 2.6}) {
                TextRecordingDevice device(QSizeF(kPageWidth, kPageHeight) * zoom);
                QPainter painter(&device);
                BeginFormPage(painter, QRectF(0, 0, kPageWidth * zoom, kPageHeight * zoom));
                const QTransform toDevice = painter.combinedTransform();
                DrawFormPage(painter, *document, page, {true, -1});
                painter.end();
                int values = 0;
                for (const DrawnText& drawn : device.engine.texts) {
                    EXPECT_TRUE(Within(drawn.rect, toDevice.mapRect(FormFrame())))
                        << edition.symbol << " page " << page + 1 << " zoom " << zoom << ": " << drawn.text.toStdString();
                    if (fixedTexts.contains(drawn.text)) continue;
                    ++values;
                    bool inBox = false;
                    for (const ValueSlot& slot : geometry.valueSlots)
                        inBox = inBox || (slot.page == page && Within(drawn.rect, toDevice.mapRect(slot.frame)));
                    EXPECT_TRUE(inBox) << edition.symbol << " page " << page + 1 << ": " << drawn.text.toStdString();
                }
                EXPECT_GT(values, 25) << edition.symbol << " page " << page + 1;
            }
            // On screen: no pixel is darkened outside the frame (its lines' half width allowed).
            for (double zoom : {0.35, 1.0}) {
                QImage image(QSizeF(kPageWidth * zoom, kPageHeight * zoom).toSize(), QImage::Format_RGB32);
                image.fill(Qt::white);
                QPainter painter(&image);
                BeginFormPage(painter, QRectF(0, 0, image.width(), image.height()));
                DrawFormPage(painter, *document, page, {true, -1});
                const QRect inside = painter.combinedTransform().mapRect(FormFrame().adjusted(-3, -3, 3, 3)).toAlignedRect();
                painter.end();
                int outside = 0;
                for (int y = 0; y < image.height(); ++y)
                    for (int x = 0; x < image.width(); ++x)
                        if (!inside.contains(x, y) && image.pixel(x, y) != qRgb(255, 255, 255)) ++outside;
                EXPECT_EQ(outside, 0) << edition.symbol << " page " << page + 1 << " zoom " << zoom;
            }
        }
    }
}

// On paper the longest values print whole (read back from the PDF), the edition's mark heads the
// form and every footer, and a value longer than any box can hold is a finding, not an ellipsis.
TEST(FormTemplate, LongestValuesPrintWholeUnderTheEditionsMark) {
    QTemporaryDir dir;
    std::vector<std::unique_ptr<FormDocument>> documents;
    std::vector<const FormDocument*> all;
    for (const Edition& edition : kEditions) {
        documents.push_back(LongestForm(edition));
        all.push_back(documents.back().get());
        EXPECT_FALSE(Text(documents.back()->errors()).contains("nie mieści się")) << edition.symbol;
    }
    const QString path = qEnvironmentVariable("FORMVEL_KEEP_PDF", dir.filePath("najdluzsze.pdf"));
    QString error;
    ASSERT_TRUE(writeFormsPdf(path, all, &error)) << error.toStdString();
    int firstPage = 1;
    for (std::size_t i = 0; i < documents.size(); ++i) {
        const FormDocument& document = *documents[i];
        const int lastPage = firstPage + document.pageCount() - 1;
        const QString drawn = Squeezed(PdfText(path, firstPage, lastPage, QStringLiteral("-raw")));
        int checked = 0;
        for (std::size_t box = 0; box < document.layout().boxes.size(); ++box) {
            const QString value = document.values().at(static_cast<int>(box));
            if (value.isEmpty() || document.layout().boxes[box].isCoded()) continue;
            EXPECT_TRUE(drawn.contains(Squeezed(value))) << kEditions[i].symbol << " " << value.toStdString();
            ++checked;
        }
        EXPECT_GT(checked, 70);
        const QString mark = QString::fromUtf8(kEditions[i].mark);
        for (int page = firstPage; page <= lastPage; ++page) {
            // As printed: no word leaves the frame or crosses a box's side.
            const auto& steps = GeometryOf(document.layout()).pages[static_cast<std::size_t>(page - firstPage)];
            const std::vector<DrawnText> words = PdfWords(path, page);
            EXPECT_GT(words.size(), 200u);
            for (const DrawnText& word : words) {
                const QRectF frame = FormFrame().adjusted(-1, -1, 1, 1);  // a tenth of a millimetre for rounding
                const double middle = word.rect.center().y();
                EXPECT_TRUE(word.rect.left() >= frame.left() && word.rect.right() <= frame.right() && middle > frame.top() &&
                            middle < frame.bottom())
                    << kEditions[i].symbol << " page " << page << ": " << word.text.toStdString();
                for (const DrawStep& step : steps) {
                    if (step.kind != DrawStep::Frame || middle < step.rect.top() || middle > step.rect.bottom()) continue;
                    const bool overlaps = word.rect.right() > step.rect.left() && word.rect.left() < step.rect.right();
                    const bool inside = word.rect.left() >= step.rect.left() - 1 && word.rect.right() <= step.rect.right() + 1;
                    EXPECT_TRUE(!overlaps || inside) << kEditions[i].symbol << " page " << page << ": " << word.text.toStdString();
                }
            }
            const QString text = PdfText(path, page, page).simplified();
            EXPECT_TRUE(text.contains(QStringLiteral("%1 %2/%3").arg(mark).arg(page - firstPage + 1).arg(document.pageCount())))
                << kEditions[i].symbol << " page " << page;
            EXPECT_FALSE(text.contains("…"));
            EXPECT_FALSE(text.contains("w tym przychody"));
            if (page == firstPage) {
                EXPECT_TRUE(text.startsWith(mark + " POLA JASNE WYPEŁNIA PŁATNIK")) << text.left(80).toStdString();
                EXPECT_TRUE(text.contains("2. Nr dokumentu")) << kEditions[i].symbol;
            }
        }
        firstPage = lastPage + 1;
    }

    auto tooLong = LongestForm(kEditions[3]);
    ASSERT_TRUE(tooLong->setValue("p7", Longest(7, 420)));
    EXPECT_TRUE(Text(tooLong->errors()).contains("Poz. 7: wartość nie mieści się w polu formularza"));
}
