#pragma once

#include "forms/FormLayout.h"

#include <QColor>
#include <QFont>
#include <QLineF>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <vector>

class FormDocument;
class QPainter;

// Draws the pages of a form — the same drawing for the screen, the printer and PDF. Coordinates are
// tenths of a millimetre on an A4 page (2100 × 2970); the caller scales the painter to its device
// (BeginFormPage does it for a whole device page).
//
// What does not depend on the values (frames, captions, headings) is laid out once per edition
// and kept; a page is then that list of drawing steps plus the values.
//
// PDF batches draw on several threads at once: what is kept between calls is either made once and
// then only read (layouts, under a lock) or kept per thread (fonts and their metrics).

inline constexpr double kPageWidth = 2100;
inline constexpr double kPageHeight = 2970;

enum class FontRole { Caption, Small, SmallBold, Value, Heading, Title, FormName, Count };

// One drawing step of a page's fixed part.
struct DrawStep {
    enum Kind { Frame, Fill, Line, Text } kind = Frame;
    QRectF rect;          // Frame, Fill
    QLineF line;          // Line
    QPointF origin;       // Text: the baseline's start
    QString text;         // Text
    FontRole font = FontRole::Caption;
    QColor color;         // Fill colour; Text colour (black when invalid)
};

// Where a box's value goes.
struct ValueSlot {
    int box = -1;            // index into the layout's boxes
    int page = 0;            // 0-based
    QRectF frame;            // the whole box (marking, clicking)
    QRectF valueArea;        // where the value is written
    bool alignRight = false; // amounts
    std::vector<QRectF> squares;   // Choice: one square per choice; Tick: one
    std::vector<QLineF> strikes;   // TitleStrike: the lines that strike the title out
};

struct FormGeometry {
    int pageCount = 0;
    std::vector<std::vector<DrawStep>> pages;
    std::vector<ValueSlot> valueSlots;
};

// The layout of an edition, built on first use (a QGuiApplication must exist: fonts).
const FormGeometry& GeometryOf(const FormLayout& layout);

// The fonts of the forms: DejaVu Sans, loaded from the system's font files when the font
// database does not know it. Each thread has its own (a font is not shared between threads).
const QFont& FormFont(FontRole role);

struct RenderOptions {
    bool markErrors = false;     // the screen: boxes with findings framed in red
    int focusBox = -1;           // the screen: a box drawn highlighted
};

// Draws one page (0-based) of the document; the painter is in page units.
void DrawFormPage(QPainter& painter, const FormDocument& document, int page, const RenderOptions& options = {});

// Scales the painter so that the page (2100 × 2970) fills `deviceRect`, keeping the proportions.
void BeginFormPage(QPainter& painter, const QRectF& deviceRect);

// The box (index into the layout's boxes) at a point of a page, -1 when none; for a Choice box
// `choice` gets the 1-based choice whose square holds the point (0 when none).
int BoxAt(const FormLayout& layout, int page, const QPointF& point, int* choice = nullptr);
// The rectangle that holds everything drawn on a page (page units): the form's frame.
QRectF FormFrame();
// True when the value can be written whole into the box (smaller type and lines if need be); also
// true for boxes that show no text (coded boxes, boxes not drawn).
bool ValueFitsBox(const FormLayout& layout, int boxIndex, const QString& value);
// The lines the value is written in (one for a value that fits a line; none for a box that shows
// no text): a line ends between words or after a hyphen, inside a word only when no type allows
// otherwise.
QStringList ValueLines(const FormLayout& layout, int boxIndex, const QString& value);
// The slot of a box; nullptr when the box is not drawn.
const ValueSlot* SlotOf(const FormLayout& layout, int boxIndex);
