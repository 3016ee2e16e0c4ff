#include "formvel/app/FormPageView.h"

#include "formvel/FormDocument.h"
#include "formvel/FormRenderer.h"
#include "store/Cp1250.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QPainter>

namespace {

constexpr int kGap = 16;

}  // namespace

FormPageView::FormPageView(FormDocument& document, QWidget* parent) : QWidget(parent), document_(document) {
    setObjectName(QStringLiteral("FormPageView"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    editor_ = new QLineEdit(this);
    editor_->setObjectName(QStringLiteral("edtPole"));
    editor_->hide();
    editor_->installEventFilter(this);
    connect(editor_, &QLineEdit::returnPressed, this, &FormPageView::commitEdit);
    connect(editor_, &QLineEdit::textEdited, this, [this](const QString& text) {
        // Only what the field lists can carry (code page 1250).
        QString kept;
        for (QChar ch : text)
            if (cp1250::canEncode(ch)) kept += ch;
        if (kept != text) editor_->setText(kept);
    });
    resize(sizeHint());
}

double FormPageView::unitScale() const { return zoom_ * logicalDpiX() / 254.0; }

QSize FormPageView::sizeHint() const {
    const double scale = unitScale();
    const int pageWidth = static_cast<int>(kPageWidth * scale);
    const int pageHeight = static_cast<int>(kPageHeight * scale);
    return {pageWidth + 2 * kGap, document_.pageCount() * (pageHeight + kGap) + kGap};
}

void FormPageView::setZoom(double zoom) {
    commitEdit();
    zoom_ = std::clamp(zoom, 0.25, 4.0);
    resize(sizeHint());
    update();
}

void FormPageView::setReadOnly(bool readOnly) {
    if (readOnly) cancelEdit();
    readOnly_ = readOnly;
}

QRectF FormPageView::pageRect(int page) const {
    const double scale = unitScale();
    const double pageWidth = kPageWidth * scale;
    const double pageHeight = kPageHeight * scale;
    const double left = std::max<double>(kGap, (width() - pageWidth) / 2);
    return {left, kGap + page * (pageHeight + kGap), pageWidth, pageHeight};
}

QRect FormPageView::widgetRect(int page, const QRectF& unitRect) const {
    const QRectF pageArea = pageRect(page);
    const double scale = unitScale();
    return QRectF(pageArea.left() + unitRect.left() * scale, pageArea.top() + unitRect.top() * scale,
                  unitRect.width() * scale, unitRect.height() * scale)
        .toAlignedRect();
}

void FormPageView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), QColor(0x80, 0x80, 0x80));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    RenderOptions options;
    options.markErrors = true;
    options.focusBox = focusBox_;
    for (int page = 0; page < document_.pageCount(); ++page) {
        const QRectF area = pageRect(page);
        if (!area.intersects(event->rect())) continue;
        painter.fillRect(area.translated(3, 3), QColor(0x50, 0x50, 0x50));
        painter.fillRect(area, Qt::white);
        painter.save();
        BeginFormPage(painter, area);
        DrawFormPage(painter, document_, page, options);
        painter.restore();
    }
}

void FormPageView::mousePressEvent(QMouseEvent* event) {
    commitEdit();
    const double scale = unitScale();
    for (int page = 0; page < document_.pageCount(); ++page) {
        const QRectF area = pageRect(page);
        if (!area.contains(event->position())) continue;
        const QPointF point((event->position().x() - area.left()) / scale, (event->position().y() - area.top()) / scale);
        int choice = 0;
        const int box = BoxAt(document_.layout(), page, point, &choice);
        if (box < 0) return;
        focusBox_ = box;
        update();
        const FormBox& entry = document_.layout().boxes[static_cast<std::size_t>(box)];
        if (readOnly_) return;
        if (entry.isCoded())
            clickCoded(box, choice);
        else
            editBox(box);
        return;
    }
}

void FormPageView::clickCoded(int boxIndex, int choice) {
    const FormLayout& layout = document_.layout();
    const FormBox& box = layout.boxes[static_cast<std::size_t>(boxIndex)];
    const QString current = document_.value(box.key);
    if (box.kind == BoxKind::TitleStrike) {
        // Striking one title leaves the other standing.
        const bool strike = current != QLatin1String("01");
        for (const FormTitle& title : layout.titles)
            if (!title.strikeKey.isEmpty())
                document_.setValue(title.strikeKey, title.strikeKey == box.key ? (strike ? "01" : "00") : (strike ? "00" : "01"));
    } else if (box.kind == BoxKind::Tick) {
        document_.setValue(box.key, current == QLatin1String("01") ? QStringLiteral("00") : QStringLiteral("01"));
    } else {
        if (choice == 0) return;
        QString code(box.codeLength(), u'0');
        const bool alreadyTicked = current.size() == code.size() && current[choice] == u'1';
        if (!alreadyTicked) code[choice] = u'1';
        document_.setValue(box.key, code);
    }
    update();
    emit valuesChanged();
}

bool FormPageView::editBox(int boxIndex) {
    if (readOnly_ || boxIndex < 0) return false;
    const FormBox& box = document_.layout().boxes[static_cast<std::size_t>(boxIndex)];
    const ValueSlot* slot = SlotOf(document_.layout(), boxIndex);
    if (!slot || box.isCoded() || slot->valueArea.isEmpty() || !document_.isEditable(box.key)) return false;
    editedBox_ = boxIndex;
    focusBox_ = boxIndex;
    editor_->setText(document_.value(box.key));
    editor_->setAlignment(box.isAmount() ? Qt::AlignRight : Qt::AlignLeft);
    QFont font = editor_->font();
    font.setPixelSize(std::max(9, static_cast<int>(30 * unitScale())));
    editor_->setFont(font);
    // One line at the foot of the value's area (which reaches up to the caption, for values in lines).
    const QRectF line(slot->valueArea.left(), slot->valueArea.bottom() - 44, slot->valueArea.width(), 44);
    editor_->setGeometry(widgetRect(slot->page, line.adjusted(-6, -10, 6, 6)));
    editor_->show();
    editor_->setFocus();
    editor_->selectAll();
    update();
    return true;
}

void FormPageView::commitEdit() {
    if (editedBox_ < 0) return;
    const int box = editedBox_;
    editedBox_ = -1;
    editor_->hide();
    const QByteArray key = document_.layout().boxes[static_cast<std::size_t>(box)].key;
    if (editor_->text() != document_.value(key) && document_.setValue(key, editor_->text())) emit valuesChanged();
    update();
}

void FormPageView::cancelEdit() {
    editedBox_ = -1;
    editor_->hide();
    update();
}

bool FormPageView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editor_) {
        // Escape belongs to the box being typed into, not to the window's shortcut that closes it.
        if (event->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            event->accept();
            return true;
        }
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Escape) {
                cancelEdit();
                return true;
            }
            if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
                editNeighbour(key == Qt::Key_Tab ? 1 : -1);
                return true;
            }
        }
        if (event->type() == QEvent::FocusOut) commitEdit();
    }
    return QWidget::eventFilter(watched, event);
}

void FormPageView::editNeighbour(int direction) {
    // The next box that takes typed text, in the order the boxes stand on the pages.
    const int from = editedBox_;
    commitEdit();
    const auto& placed = GeometryOf(document_.layout()).valueSlots;
    std::size_t at = 0;
    while (at < placed.size() && placed[at].box != from) ++at;
    for (std::size_t step = 1; step <= placed.size(); ++step) {
        const std::size_t next = (at + placed.size() + static_cast<std::size_t>(direction) * step) % placed.size();
        if (editBox(placed[next].box)) {
            emit boxEdited(editor_->geometry());
            return;
        }
    }
}

void FormPageView::wheelEvent(QWheelEvent* event) {
    if (event->modifiers() & Qt::ControlModifier) {
        emit zoomStepRequested(event->angleDelta().y() > 0 ? 1 : -1);
        event->accept();
        return;
    }
    QWidget::wheelEvent(event);
}

QRect FormPageView::focusBox(int boxIndex) {
    focusBox_ = boxIndex;
    update();
    const ValueSlot* slot = SlotOf(document_.layout(), boxIndex);
    return slot ? widgetRect(slot->page, slot->frame) : QRect();
}
