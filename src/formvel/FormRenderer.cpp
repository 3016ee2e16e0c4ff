#include "formvel/FormRenderer.h"

#include "formvel/FormDocument.h"
#include "forms/FormTemplateTexts.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QPen>

#include <array>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace {

constexpr double kMargin = 100;
constexpr double kContentWidth = kPageWidth - 2 * kMargin;
constexpr double kFooterY = 2895;
constexpr double kFrameBottom = 2930;
constexpr double kHeadingHeight = 50;
constexpr double kBoxHeight = 100;
constexpr double kSquare = 32;
constexpr double kPad = 10;
constexpr double kLineGap = 4;
constexpr double kWideValueWidth = 430;
constexpr double kTableCaptionWidth = 680;
constexpr double kLegalLabelWidth = 250;
constexpr double kEditionMarkWidth = 330;

// Value sizes, tried from the first: a value that does not fit its box on one line gets smaller type,
// then lines. The last is the smallest that stays readable on paper: 2.2 mm, about 6.2 pt.
constexpr int kValueSizes[] = {34, 30, 27, 24, 22};
constexpr int kValueSizeCount = static_cast<int>(std::size(kValueSizes));

const QColor kHeadingFill(0xE4, 0xE4, 0xE4);
const QColor kDisabledFill(0xD0, 0xD0, 0xD0);
const QColor kTitleFill(0xF2, 0xF2, 0xF2);
const QColor kOfficeFill(0xC8, 0xC8, 0xC8);  // the office's boxes: the template's dark fields

QString LoadedFamily() {
    static const QString family = [] {
        if (QFontDatabase::families().contains(QStringLiteral("DejaVu Sans"))) return QStringLiteral("DejaVu Sans");
        const char* files[] = {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                               "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"};
        QString loaded;
        for (const char* file : files) {
            const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(file));
            if (id >= 0 && loaded.isEmpty()) loaded = QFontDatabase::applicationFontFamilies(id).value(0);
        }
        return loaded.isEmpty() ? QStringLiteral("DejaVu Sans") : loaded;
    }();
    return family;
}

QFont MakeFont(int pixelSize, bool bold) {
    QFont font(LoadedFamily());
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setKerning(false);
    font.setHintingPreference(QFont::PreferNoHinting);
    // No shaping, so no ligatures: "fi" stays two letters, and the PDF's text is found and copied as
    // typed. (Letter spacing would do it too, but the PDF engine spaces the letters wider than the
    // font's measure says, and lines measured to fit ran past their boxes on paper.)
    font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferOutline | QFont::PreferNoShaping));
    return font;
}

// Fonts and their metrics are kept per thread: PDF batches draw on several threads at once.
const QFontMetricsF& Metrics(FontRole role) {
    thread_local const auto metrics = [] {
        std::vector<QFontMetricsF> all;
        for (int i = 0; i < static_cast<int>(FontRole::Count); ++i) all.emplace_back(FormFont(static_cast<FontRole>(i)));
        return all;
    }();
    return metrics[static_cast<std::size_t>(role)];
}

const QFontMetricsF& ValueMetrics(int step) {
    static const auto metrics = [] {
        std::vector<QFontMetricsF> all;
        for (int size : kValueSizes) all.emplace_back(MakeFont(size, false));
        return all;
    }();
    return metrics[static_cast<std::size_t>(step)];
}

const QFont& ValueFont(int step) {
    static const auto fonts = [] {
        std::vector<QFont> all;
        for (int size : kValueSizes) all.push_back(MakeFont(size, false));
        return all;
    }();
    return fonts[static_cast<std::size_t>(step)];
}

// The pieces of a word a line may end after: each ends with its hyphen ("ŁĄCZNA-", "WOLA").
QStringList HyphenPieces(const QString& word) {
    QStringList pieces;
    qsizetype start = 0;
    for (qsizetype i = 0; i + 1 < word.size(); ++i) {
        if (word[i] != u'-') continue;
        pieces << word.mid(start, i + 1 - start);
        start = i + 1;
    }
    pieces << word.mid(start);
    return pieces;
}

// Breaks a value into lines no wider than `width`: between words, and a word wider than a line
// after its hyphens, its first pieces on the line begun. A piece still wider than a line is broken
// between its letters when `splitWords` allows it; otherwise there is no wrapping (nullopt).
// Nothing is dropped but blanks: those at the breaks, and runs of blanks become one.
std::optional<QStringList> WrapValue(const QString& text, const QFontMetricsF& fm, double width, bool splitWords) {
    const auto fits = [&](const QString& candidate) { return fm.horizontalAdvance(candidate) <= width; };
    QStringList lines;
    QString line;
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
        const QString candidate = line.isEmpty() ? word : line + u' ' + word;
        if (fits(candidate)) {
            line = candidate;
            continue;
        }
        if (fits(word)) {
            lines << line;
            line = word;
            continue;
        }
        QString current = line.isEmpty() ? QString() : line + u' ';
        for (QString piece : HyphenPieces(word)) {
            if (fits(current + piece)) {
                current += piece;
                continue;
            }
            if (fits(piece)) {
                if (!current.trimmed().isEmpty()) lines << current.trimmed();
                current = piece;
                continue;
            }
            if (!splitWords) return std::nullopt;
            while (!fits(current + piece)) {
                qsizetype n = piece.size();
                while (n > 0 && !fits(current + piece.left(n))) --n;
                if (n == 0 && current.isEmpty()) n = 1;  // not even one letter fits: it stands alone
                lines << (n == 0 ? current.trimmed() : current + piece.left(n));
                piece = piece.mid(n);
                current.clear();
            }
            current += piece;
        }
        line = current;
    }
    if (!line.isEmpty()) lines << line;
    return lines;
}

// How a value is written into its area: the size (index into kValueSizes) and the lines.
struct FittedValue {
    int step = 0;
    QStringList lines;
    bool whole = true;  // false: even the smallest type in lines overflows the area
};

// The largest type the value fits in on one line, else in lines broken between words and after
// hyphens, and only when no type allows that, in lines that break words between letters.
FittedValue FitValue(const QString& value, const QRectF& area) {
    for (int step = 0; step < kValueSizeCount; ++step)
        if (ValueMetrics(step).horizontalAdvance(value) <= area.width()) return {step, {value}, true};
    for (const bool splitWords : {false, true}) {
        for (int step = 0; step < kValueSizeCount; ++step) {
            const QFontMetricsF& fm = ValueMetrics(step);
            const std::optional<QStringList> lines = WrapValue(value, fm, area.width(), splitWords);
            if (!lines) continue;
            if (static_cast<double>(lines->size()) * fm.lineSpacing() + 4 <= area.height()) return {step, *lines, true};
            if (splitWords && step == kValueSizeCount - 1) return {step, *lines, false};
        }
    }
    return {};
}

// Breaks a text into lines no wider than `width` (a word longer than the width stands alone).
QStringList Wrap(const QString& text, FontRole role, double width) {
    const QFontMetricsF& fm = Metrics(role);
    QStringList lines;
    QString line;
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
        const QString candidate = line.isEmpty() ? word : line + u' ' + word;
        if (!line.isEmpty() && fm.horizontalAdvance(candidate) > width) {
            lines << line;
            line = word;
        } else {
            line = candidate;
        }
    }
    if (!line.isEmpty()) lines << line;
    return lines;
}

double Count(const QStringList& list) { return static_cast<double>(list.size()); }

double LineHeight(FontRole role) { return Metrics(role).height() + kLineGap; }

class GeometryBuilder {
public:
    explicit GeometryBuilder(const FormLayout& layout) : layout_(layout) {
        geometry_.pageCount = layout.pageCount;
        geometry_.pages.resize(static_cast<std::size_t>(layout.pageCount));
    }

    FormGeometry build() {
        for (int page = 1; page <= layout_.pageCount; ++page) {
            page_ = page - 1;
            y_ = kMargin;
            if (page == 1) head();
            for (const FormSection& section : layout_.sections) {
                if (section.page != page || section.id == "0") continue;
                sectionHeading(section);
                if (section.amountTable)
                    amountTable();
                else
                    rows(section.id, 0, 1000);
                if (&section == &layout_.sections.back()) closing();
            }
            footer(page);
        }
        return std::move(geometry_);
    }

private:
    std::vector<DrawStep>& steps() { return geometry_.pages[static_cast<std::size_t>(page_)]; }

    void frame(const QRectF& r) { steps().push_back({DrawStep::Frame, r, {}, {}, {}, FontRole::Caption, {}}); }
    void fill(const QRectF& r, const QColor& c) { steps().push_back({DrawStep::Fill, r, {}, {}, {}, FontRole::Caption, c}); }
    void line(const QLineF& l) { steps().push_back({DrawStep::Line, {}, l, {}, {}, FontRole::Caption, {}}); }
    // Writes lines of text from the top-left corner; returns the height used.
    double text(const QStringList& lines, FontRole role, double x, double top) {
        const QFontMetricsF& fm = Metrics(role);
        double y = top;
        for (const QString& l : lines) {
            steps().push_back({DrawStep::Text, {}, {}, QPointF(x, y + fm.ascent()), l, role, {}});
            y += LineHeight(role);
        }
        return y - top;
    }

    static QString Numbered(const FormBox& box) {
        return box.number > 0 ? QString::number(box.number) + QStringLiteral(". ") + box.caption : box.caption;
    }

    QString fixed(TemplateText which) const { return TemplateTextOf(layout_.symbol, which); }

    // A box of the template that no value fills: its caption, shaded when it is the office's.
    void fixedBox(const QRectF& area, const QString& caption, bool office) {
        if (office) fill(area, kOfficeFill);
        frame(area);
        text(Wrap(caption, FontRole::Caption, area.width() - 2 * kPad), FontRole::Caption, area.left() + kPad, area.top() + 4);
    }

    void head() {
        // The edition mark, and beside it the banner with the filling instructions.
        const QStringList banner =
            Wrap(fixed(TemplateText::Banner) + u' ' + fixed(TemplateText::Instruction), FontRole::SmallBold,
                 kContentWidth - kEditionMarkWidth - kPad);
        text({fixed(TemplateText::EditionMark)}, FontRole::Heading, kMargin, y_);
        y_ += std::max(LineHeight(FontRole::Heading), text(banner, FontRole::SmallBold, kMargin + kEditionMarkWidth, y_ + 2)) + kPad;
        // Box 1, and the office's boxes 2 and 3 beside it.
        const double rowTop = y_;
        rows("0", 0, 4);
        const FormBox* nip = layout_.boxByNumber(layout_.payerNipBox);
        const double officeLeft = kMargin + kContentWidth * (nip ? nip->span : 10) / 24.0;
        const double officeWidth = (kMargin + kContentWidth - officeLeft) / 2;
        fixedBox(QRectF(officeLeft, rowTop, officeWidth, y_ - rowTop), fixed(TemplateText::DocumentNumber), true);
        fixedBox(QRectF(officeLeft + officeWidth, rowTop, officeWidth, y_ - rowTop), fixed(TemplateText::Status), true);
        y_ += kPad;
        // The titles, each struck out through its box; the boxes of the head's rows 5 to 9 (PIT-40's
        // year) stand at the right end of the last title's band.
        const double nameWidth = 300;
        std::vector<int> besideTitle;
        double besideWidth = 0;
        for (std::size_t i = 0; i < layout_.boxes.size(); ++i) {
            const FormBox& box = layout_.boxes[i];
            if (box.section != "0" || box.row < 5 || box.row > 9 || box.span <= 0) continue;
            besideTitle.push_back(static_cast<int>(i));
            besideWidth += kContentWidth * box.span / 24.0;
        }
        for (const FormTitle& title : layout_.titles) {
            const bool last = &title == &layout_.titles.back();
            const double reserved = last ? besideWidth : 0;
            const QStringList lines = Wrap(title.fullTitle, FontRole::Title, kContentWidth - nameWidth - 3 * kPad - reserved);
            double height = std::max(LineHeight(FontRole::FormName), Count(lines) * LineHeight(FontRole::Title)) + 2 * kPad;
            if (last && !besideTitle.empty()) height = std::max(height, kBoxHeight);
            const QRectF area(kMargin, y_, kContentWidth, height);
            fill(area, kTitleFill);
            frame(area);
            if (last) boxesBesideTitle(besideTitle, kMargin + kContentWidth - besideWidth, height);
            const double nameY = y_ + (height - LineHeight(FontRole::FormName)) / 2;
            text({title.shortName}, FontRole::FormName, kMargin + kPad, nameY);
            const double titleY = y_ + (height - Count(lines) * LineHeight(FontRole::Title)) / 2;
            text(lines, FontRole::Title, kMargin + nameWidth + 2 * kPad, titleY);
            if (!title.strikeKey.isEmpty()) {
                ValueSlot slot;
                slot.box = layout_.indexOf(title.strikeKey);
                slot.page = page_;
                slot.frame = area;
                const QFontMetricsF& big = Metrics(FontRole::FormName);
                const double nameMid = nameY + big.ascent() * 0.65;
                slot.strikes.emplace_back(kMargin + kPad - 5, nameMid, kMargin + kPad + big.horizontalAdvance(title.shortName) + 5, nameMid);
                const QFontMetricsF& fm = Metrics(FontRole::Title);
                for (int i = 0; i < lines.size(); ++i) {
                    const double mid = titleY + i * LineHeight(FontRole::Title) + fm.ascent() * 0.65;
                    const double x = kMargin + nameWidth + 2 * kPad;
                    slot.strikes.emplace_back(x - 5, mid, x + fm.horizontalAdvance(lines[i]) + 5, mid);
                }
                geometry_.valueSlots.push_back(slot);
            }
            y_ += height;
        }
        const QString titleNote = fixed(TemplateText::TitleNote);
        if (!titleNote.isEmpty()) y_ += text({titleNote}, FontRole::Small, kMargin + kPad, y_ + 4) + 4;
        y_ += kPad;
        rows("0", 10, 1000);
        legalBlock();
    }

    // The boxes at the right end of a title's band from `left`, as tall as the band: light fields
    // on the shaded band, caption on top, value below.
    void boxesBesideTitle(const std::vector<int>& boxes, double left, double height) {
        double x = left;
        for (int index : boxes) {
            const FormBox& box = layout_.boxes[static_cast<std::size_t>(index)];
            const double width = kContentWidth * box.span / 24.0;
            const QRectF area(x, y_, width, height);
            fill(area, Qt::white);
            frame(area);
            const QStringList caption = Wrap(Numbered(box), FontRole::Caption, width - 2 * kPad);
            text(caption, FontRole::Caption, x + kPad, y_ + 4);
            ValueSlot slot;
            slot.box = index;
            slot.page = page_;
            slot.frame = area;
            const double top = y_ + 6 + Count(caption) * LineHeight(FontRole::Caption);
            slot.valueArea = QRectF(x + kPad, top, width - 2 * kPad, y_ + height - 6 - top);
            geometry_.valueSlots.push_back(slot);
            x += width;
        }
    }

    // "Podstawa prawna", "Składający", "Termin składania", "Miejsce składania": the label in bold in
    // its column, the text beside it.
    void legalBlock() {
        y_ += kPad;
        const TemplateText parts[] = {TemplateText::LegalBasis, TemplateText::Submitter, TemplateText::Deadline,
                                      TemplateText::Place};
        std::vector<std::pair<QString, QStringList>> lines;
        double height = 2 * kPad;
        for (TemplateText part : parts) {
            const QString whole = fixed(part);
            const qsizetype colon = whole.indexOf(QStringLiteral(": "));
            lines.emplace_back(whole.left(colon + 1), Wrap(whole.mid(colon + 2), FontRole::Small,
                                                           kContentWidth - kLegalLabelWidth - 2 * kPad));
            height += Count(lines.back().second) * LineHeight(FontRole::Small);
        }
        const QRectF area(kMargin, y_, kContentWidth, height);
        fill(area, kTitleFill);
        frame(area);
        double y = y_ + kPad;
        for (const auto& [label, wording] : lines) {
            text({label}, FontRole::SmallBold, kMargin + kPad, y);
            y += text(wording, FontRole::Small, kMargin + kPad + kLegalLabelWidth, y);
        }
        y_ += height;
    }

    void sectionHeading(const FormSection& section) {
        y_ += kPad;
        const QRectF bar(kMargin, y_, kContentWidth, kHeadingHeight);
        fill(bar, kHeadingFill);
        frame(bar);
        const QFontMetricsF& fm = Metrics(FontRole::Heading);
        text({section.id + QStringLiteral(". ") + section.title}, FontRole::Heading, kMargin + kPad,
             y_ + (kHeadingHeight - fm.height()) / 2);
        y_ += kHeadingHeight;
        if (!section.note.isEmpty())
            y_ += text(Wrap(section.note, FontRole::Small, kContentWidth - 2 * kPad), FontRole::Small, kMargin + kPad, y_ + 4) + 6;
    }

    // The section's boxes whose row lies in [firstRow, lastRow], row by row.
    void rows(const QByteArray& section, int firstRow, int lastRow) {
        std::map<int, std::vector<int>> byRow;
        for (std::size_t i = 0; i < layout_.boxes.size(); ++i) {
            const FormBox& box = layout_.boxes[i];
            if (box.section == section && box.row >= firstRow && box.row <= lastRow && box.span > 0)
                byRow[box.row].push_back(static_cast<int>(i));
        }
        for (const auto& [row, boxes] : byRow) boxRow(boxes);
    }

    void boxRow(const std::vector<int>& boxes) {
        const FormBox& first = layout_.boxes[static_cast<std::size_t>(boxes.front())];
        if (boxes.size() == 1 && first.isAmount() && first.span == 24) return wideAmount(boxes.front());
        if (first.kind == BoxKind::Choice) return choiceBox(boxes.front());
        // Ordinary boxes side by side: caption on top, value below.
        double height = kBoxHeight;
        std::vector<QStringList> captions;
        for (int index : boxes) {
            const FormBox& box = layout_.boxes[static_cast<std::size_t>(index)];
            const double width = kContentWidth * box.span / 24.0;
            captions.push_back(Wrap(box.kind == BoxKind::Tick ? QString::number(box.number) + QStringLiteral(".") : Numbered(box),
                                    FontRole::Caption, width - 2 * kPad));
            height = std::max(height, Count(captions.back()) * LineHeight(FontRole::Caption) + 70);
            // A text box has room for three lines of the smallest type: the longest text the register
            // keeps, even of the widest letters, fits whole.
            if (box.kind == BoxKind::Text)
                height = std::max(height, Count(captions.back()) * LineHeight(FontRole::Caption) + 3 * ValueMetrics(kValueSizeCount - 1).lineSpacing() + 20);
        }
        double x = kMargin;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            const FormBox& box = layout_.boxes[static_cast<std::size_t>(boxes[i])];
            const double width = kContentWidth * box.span / 24.0;
            const QRectF area(x, y_, width, height);
            frame(area);
            text(captions[i], FontRole::Caption, x + kPad, y_ + 4);
            ValueSlot slot;
            slot.box = boxes[i];
            slot.page = page_;
            slot.frame = area;
            if (box.kind == BoxKind::Tick) {
                const QRectF square(x + kPad, y_ + height - kSquare - 14, kSquare, kSquare);
                frame(square);
                slot.squares.push_back(square);
                text({box.choices.value(0)}, FontRole::Caption, square.right() + kPad, square.top() + 4);
            } else {
                const double top = y_ + 6 + Count(captions[i]) * LineHeight(FontRole::Caption);
                slot.valueArea = QRectF(x + kPad, top, width - 2 * kPad, y_ + height - 6 - top);
                slot.alignRight = box.isAmount();
            }
            geometry_.valueSlots.push_back(slot);
            x += width;
        }
        y_ += height;
    }

    void choiceBox(int index) {
        const FormBox& box = layout_.boxes[static_cast<std::size_t>(index)];
        const double captionHeight = text(Wrap(Numbered(box), FontRole::Caption, kContentWidth - 2 * kPad), FontRole::Caption,
                                          kMargin + kPad, y_ + 4);
        double y = y_ + captionHeight + 10;
        ValueSlot slot;
        slot.box = index;
        slot.page = page_;
        // Short choices side by side, long ones one under another.
        bool shortChoices = true;
        for (const QString& choice : box.choices)
            if (Metrics(FontRole::Caption).horizontalAdvance(choice) > kContentWidth / Count(box.choices) - 120) shortChoices = false;
        const double columnWidth = shortChoices ? kContentWidth / Count(box.choices) : kContentWidth;
        double rowBottom = y;
        for (int k = 0; k < box.choices.size(); ++k) {
            const double x = kMargin + kPad + (shortChoices ? k * columnWidth : 0);
            const double cy = shortChoices ? y : rowBottom;
            const QStringList lines = Wrap(QString::number(k + 1) + QStringLiteral(". ") + box.choices[k], FontRole::Caption,
                                           columnWidth - kSquare - 4 * kPad);
            const QRectF square(x, cy, kSquare, kSquare);
            frame(square);
            slot.squares.push_back(square);
            const double used = text(lines, FontRole::Caption, x + kSquare + kPad, cy + 2);
            rowBottom = std::max(rowBottom, cy + std::max(kSquare, used) + 8);
        }
        const double height = rowBottom - y_ + 6;
        slot.frame = QRectF(kMargin, y_, kContentWidth, height);
        frame(slot.frame);
        geometry_.valueSlots.push_back(slot);
        y_ += height;
    }

    void wideAmount(int index) {
        const FormBox& box = layout_.boxes[static_cast<std::size_t>(index)];
        const double captionWidth = kContentWidth - kWideValueWidth;
        const QStringList lines = Wrap(box.caption, FontRole::Caption, captionWidth - 2 * kPad);
        const double height = std::max(80.0, Count(lines) * LineHeight(FontRole::Caption) + 20);
        const QRectF captionArea(kMargin, y_, captionWidth, height);
        frame(captionArea);
        text(lines, FontRole::Caption, kMargin + kPad, y_ + (height - Count(lines) * LineHeight(FontRole::Caption)) / 2);
        const QRectF valueBox(kMargin + captionWidth, y_, kWideValueWidth, height);
        frame(valueBox);
        text({QString::number(box.number) + u'.'}, FontRole::Caption, valueBox.left() + kPad, y_ + 4);
        ValueSlot slot;
        slot.box = index;
        slot.page = page_;
        slot.frame = valueBox;
        const double top = y_ + 6 + LineHeight(FontRole::Caption);
        slot.valueArea = QRectF(valueBox.left() + kPad, top, kWideValueWidth - 2 * kPad, y_ + height - 6 - top);
        slot.alignRight = true;
        geometry_.valueSlots.push_back(slot);
        y_ += height;
    }

    void amountTable() {
        const double columnWidth = (kContentWidth - kTableCaptionWidth) / 4;
        // The head: the source column and the four amount columns, lettered.
        std::vector<QStringList> heads;
        heads.push_back(Wrap(QStringLiteral("Źródła przychodów"), FontRole::Caption, kTableCaptionWidth - 2 * kPad));
        for (const QString& column : layout_.amountColumns) heads.push_back(Wrap(column, FontRole::Caption, columnWidth - 2 * kPad));
        double headHeight = 60;
        for (const QStringList& head : heads) headHeight = std::max(headHeight, Count(head) * LineHeight(FontRole::Caption) + 30);
        for (int c = 0; c < 5; ++c) {
            const double x = c == 0 ? kMargin : kMargin + kTableCaptionWidth + (c - 1) * columnWidth;
            const double w = c == 0 ? kTableCaptionWidth : columnWidth;
            const QRectF cell(x, y_, w, headHeight);
            fill(cell, kTitleFill);
            frame(cell);
            text(heads[static_cast<std::size_t>(c)], FontRole::Caption, x + kPad, y_ + 6);
            text({QString(QChar(u'a' + c))}, FontRole::Small, x + w / 2 - 5, y_ + headHeight - LineHeight(FontRole::Small) - 2);
        }
        y_ += headHeight;
        for (const AmountTableRow& row : layout_.amountRows) {
            const FontRole role = row.total ? FontRole::Heading : FontRole::Caption;
            const QStringList lines = Wrap(row.caption, role, kTableCaptionWidth - 2 * kPad);
            const double height = std::max(80.0, Count(lines) * LineHeight(role) + 16);
            const QRectF captionCell(kMargin, y_, kTableCaptionWidth, height);
            frame(captionCell);
            text(lines, role, kMargin + kPad, y_ + (height - Count(lines) * LineHeight(role)) / 2);
            const int cells[4] = {row.revenue, row.cost, row.income, row.advance};
            for (int c = 0; c < 4; ++c) {
                const QRectF cell(kMargin + kTableCaptionWidth + c * columnWidth, y_, columnWidth, height);
                if (cells[c] == 0) {
                    fill(cell, kDisabledFill);
                    frame(cell);
                    continue;
                }
                frame(cell);
                text({QString::number(cells[c]) + u'.'}, FontRole::Caption, cell.left() + kPad, y_ + 4);
                ValueSlot slot;
                slot.box = layout_.indexOf("p" + QByteArray::number(cells[c]));
                slot.page = page_;
                slot.frame = cell;
                const double top = y_ + 6 + LineHeight(FontRole::Caption);
                slot.valueArea = QRectF(cell.left() + kPad, top, columnWidth - 2 * kPad, cell.bottom() - 6 - top);
                slot.alignRight = true;
                geometry_.valueSlots.push_back(slot);
            }
            y_ += height;
        }
    }

    // The date and signature boxes, the payer's warning, then the office's section.
    void closing() {
        const double split = kMargin + kContentWidth / 3;
        fixedBox(QRectF(kMargin, y_, split - kMargin, 130), fixed(TemplateText::FillDate), false);
        fixedBox(QRectF(split, y_, kMargin + kContentWidth - split, 130), fixed(TemplateText::Signature), false);
        y_ += 130;
        const QString warning = fixed(TemplateText::PayerWarning);
        if (!warning.isEmpty())
            y_ += text(Wrap(warning, FontRole::SmallBold, kContentWidth - 2 * kPad), FontRole::SmallBold, kMargin + kPad, y_ + 6) + 6;
        y_ += kPad;
        const QRectF bar(kMargin, y_, kContentWidth, kHeadingHeight);
        fill(bar, kOfficeFill);
        frame(bar);
        text({fixed(TemplateText::OfficeSection)}, FontRole::Heading, kMargin + kPad,
             y_ + (kHeadingHeight - Metrics(FontRole::Heading).height()) / 2);
        y_ += kHeadingHeight;
        fixedBox(QRectF(kMargin, y_, kContentWidth, 110), fixed(TemplateText::OfficeRemarks), true);
        y_ += 110;
        const double half = kContentWidth / 2;
        fixedBox(QRectF(kMargin, y_, half, 110), fixed(TemplateText::OfficeOfficer), true);
        fixedBox(QRectF(kMargin + half, y_, half, 110), fixed(TemplateText::OfficeSignature), true);
        y_ += 110;
    }

    void footer(int page) {
        line(QLineF(kMargin, kFooterY - 20, kPageWidth - kMargin, kFooterY - 20));
        text({QStringLiteral("%1  %2/%3").arg(fixed(TemplateText::EditionMark)).arg(page).arg(layout_.pageCount)},
             FontRole::SmallBold, kMargin, kFooterY);
    }

    const FormLayout& layout_;
    FormGeometry geometry_;
    int page_ = 0;
    double y_ = kMargin;
};

void DrawStepOn(QPainter& painter, const DrawStep& step, const QPen& framePen) {
    switch (step.kind) {
    case DrawStep::Frame:
        painter.setPen(framePen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(step.rect);
        break;
    case DrawStep::Fill:
        painter.fillRect(step.rect, step.color);
        break;
    case DrawStep::Line:
        painter.setPen(framePen);
        painter.drawLine(step.line);
        break;
    case DrawStep::Text:
        painter.setPen(Qt::black);
        painter.setFont(FormFont(step.font));
        painter.drawText(step.origin, step.text);
        break;
    }
}

void DrawValue(QPainter& painter, const ValueSlot& slot, const QString& value) {
    const FittedValue fit = FitValue(value, slot.valueArea);
    const QFontMetricsF& fm = ValueMetrics(fit.step);
    painter.setFont(ValueFont(fit.step));
    // Lines end at the area's foot. A value that cannot fit (a finding of the form's check) begins at
    // the area's top and shows the lines that fit, so the caption above stays readable.
    double baseline = fit.whole ? slot.valueArea.bottom() - fm.descent() - 4 - (Count(fit.lines) - 1) * fm.lineSpacing()
                                : slot.valueArea.top() + fm.ascent();
    for (const QString& line : fit.lines) {
        if (!fit.whole && baseline + fm.descent() > slot.valueArea.bottom()) break;
        const double x = slot.alignRight ? slot.valueArea.right() - fm.horizontalAdvance(line) : slot.valueArea.left();
        painter.drawText(QPointF(x, baseline), line);
        baseline += fm.lineSpacing();
    }
}

void DrawTick(QPainter& painter, const QRectF& square, const QPen& pen) {
    painter.setPen(pen);
    const QRectF inner = square.adjusted(6, 6, -6, -6);
    painter.drawLine(inner.topLeft(), inner.bottomRight());
    painter.drawLine(inner.topRight(), inner.bottomLeft());
}

}  // namespace

const QFont& FormFont(FontRole role) {
    thread_local const auto fonts = [] {
        std::array<QFont, static_cast<std::size_t>(FontRole::Count)> all;
        all[static_cast<std::size_t>(FontRole::Caption)] = MakeFont(21, false);
        all[static_cast<std::size_t>(FontRole::Small)] = MakeFont(19, false);
        all[static_cast<std::size_t>(FontRole::SmallBold)] = MakeFont(19, true);
        all[static_cast<std::size_t>(FontRole::Value)] = MakeFont(34, false);
        all[static_cast<std::size_t>(FontRole::Heading)] = MakeFont(24, true);
        all[static_cast<std::size_t>(FontRole::Title)] = MakeFont(28, true);
        all[static_cast<std::size_t>(FontRole::FormName)] = MakeFont(58, true);
        return all;
    }();
    return fonts[static_cast<std::size_t>(role)];
}

const FormGeometry& GeometryOf(const FormLayout& layout) {
    static std::map<const FormLayout*, std::unique_ptr<FormGeometry>> cache;
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    auto& entry = cache[&layout];
    if (!entry) entry = std::make_unique<FormGeometry>(GeometryBuilder(layout).build());
    return *entry;
}

void BeginFormPage(QPainter& painter, const QRectF& deviceRect) {
    const double scale = std::min(deviceRect.width() / kPageWidth, deviceRect.height() / kPageHeight);
    painter.translate(deviceRect.topLeft());
    painter.scale(scale, scale);
}

void DrawFormPage(QPainter& painter, const FormDocument& document, int page, const RenderOptions& options) {
    const FormGeometry& geometry = GeometryOf(document.layout());
    if (page < 0 || page >= geometry.pageCount) return;
    const QPen framePen(Qt::black, 2.5);
    const QPen tickPen(Qt::black, 5);
    for (const DrawStep& step : geometry.pages[static_cast<std::size_t>(page)]) DrawStepOn(painter, step, framePen);
    const FormValues& values = document.values();
    painter.setPen(Qt::black);
    for (const ValueSlot& slot : geometry.valueSlots) {
        if (slot.page != page) continue;
        const FormBox& box = document.layout().boxes[static_cast<std::size_t>(slot.box)];
        const QString& value = values.at(slot.box);
        if (options.markErrors && document.boxHasError(slot.box)) {
            painter.fillRect(slot.frame, QColor(255, 0, 0, 40));
            painter.setPen(QPen(QColor(200, 0, 0), 6));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(slot.frame);
            painter.setPen(Qt::black);
        }
        if (options.focusBox == slot.box) {
            painter.setPen(QPen(QColor(0, 90, 200), 6));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(slot.frame);
            painter.setPen(Qt::black);
        }
        if (value.isEmpty()) continue;
        switch (box.kind) {
        case BoxKind::TitleStrike:
            if (value == QLatin1String("01")) {
                painter.setPen(tickPen);
                for (const QLineF& strike : slot.strikes) painter.drawLine(strike);
                painter.setPen(Qt::black);
            }
            break;
        case BoxKind::Tick:
            if (value == QLatin1String("01") || value == QLatin1String("1")) DrawTick(painter, slot.squares.front(), tickPen);
            painter.setPen(Qt::black);
            break;
        case BoxKind::Choice:
            for (std::size_t k = 0; k < slot.squares.size(); ++k)
                if (static_cast<qsizetype>(k + 1) < value.size() && value[static_cast<qsizetype>(k + 1)] == u'1')
                    DrawTick(painter, slot.squares[k], tickPen);
            painter.setPen(Qt::black);
            break;
        default:
            DrawValue(painter, slot, value);
            break;
        }
    }
}

int BoxAt(const FormLayout& layout, int page, const QPointF& point, int* choice) {
    if (choice) *choice = 0;
    for (const ValueSlot& slot : GeometryOf(layout).valueSlots) {
        if (slot.page != page || !slot.frame.contains(point)) continue;
        if (choice)
            for (std::size_t k = 0; k < slot.squares.size(); ++k)
                if (slot.squares[k].adjusted(-15, -15, 15, 15).contains(point)) *choice = static_cast<int>(k) + 1;
        return slot.box;
    }
    return -1;
}

QRectF FormFrame() { return QRectF(kMargin, kMargin, kContentWidth, kFrameBottom - kMargin); }

bool ValueFitsBox(const FormLayout& layout, int boxIndex, const QString& value) {
    const ValueSlot* slot = SlotOf(layout, boxIndex);
    return !slot || slot->valueArea.isEmpty() || FitValue(value, slot->valueArea).whole;
}

QStringList ValueLines(const FormLayout& layout, int boxIndex, const QString& value) {
    const ValueSlot* slot = SlotOf(layout, boxIndex);
    if (!slot || slot->valueArea.isEmpty()) return {};
    return FitValue(value, slot->valueArea).lines;
}

const ValueSlot* SlotOf(const FormLayout& layout, int boxIndex) {
    for (const ValueSlot& slot : GeometryOf(layout).valueSlots)
        if (slot.box == boxIndex) return &slot;
    return nullptr;
}
