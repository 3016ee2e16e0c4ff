#include "settings/widgets/ColorSwatch.h"

#include <QMouseEvent>
#include <QPainter>

ColorSwatch::ColorSwatch(const QColor& color, QWidget* parent) : QFrame(parent), color_(color) {
    setFixedSize(48, 48);
    setCursor(Qt::PointingHandCursor);
    setFrameShape(QFrame::Box);
}

void ColorSwatch::setColor(const QColor& color) {
    color_ = color;
    update();
}

void ColorSwatch::mousePressEvent(QMouseEvent* event) {
    event->accept();
    emit pressed();
}

void ColorSwatch::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(rect(), color_);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    QFrame::paintEvent(event);
}
