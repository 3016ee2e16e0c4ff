#include "app/ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace toolbar_icons {
namespace {

constexpr int kSize = 64;  // drawing grid; Qt scales to the button

const QColor kOutline(40, 40, 48);
const QColor kPaper(250, 250, 246);
const QColor kBlue(38, 110, 200);
const QColor kGreen(46, 150, 70);

QIcon draw(const std::function<void(QPainter&)>& paint) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kOutline, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    paint(painter);
    painter.end();
    return QIcon(pixmap);
}

void sheet(QPainter& p, const QRectF& r) {
    QPainterPath path;
    const qreal fold = r.width() * 0.28;
    path.moveTo(r.topLeft());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.bottomRight());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    p.setBrush(kPaper);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

void lines(QPainter& p, qreal left, qreal right, qreal top, int count, qreal gap) {
    p.save();
    p.setPen(QPen(QColor(120, 130, 150), 2.5, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < count; ++i) p.drawLine(QPointF(left, top + i * gap), QPointF(right, top + i * gap));
    p.restore();
}

void plusBadge(QPainter& p, const QPointF& centre) {
    p.save();
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(kGreen);
    p.drawEllipse(centre, 13, 13);
    p.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre + QPointF(-7, 0), centre + QPointF(7, 0));
    p.drawLine(centre + QPointF(0, -7), centre + QPointF(0, 7));
    p.restore();
}

}  // namespace

QIcon add() {
    return draw([](QPainter& p) {
        sheet(p, QRectF(8, 4, 38, 50));
        lines(p, 15, 36, 22, 4, 7);
        plusBadge(p, QPointF(46, 46));
    });
}

QIcon import() {
    return draw([](QPainter& p) {
        // database drum
        p.setBrush(QColor(120, 160, 210));
        p.drawRect(QRectF(4, 12, 26, 34));
        p.drawEllipse(QRectF(4, 40, 26, 12));
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(5.3, 12, 23.4, 34));
        p.setPen(QPen(kOutline, 2.5));
        p.setBrush(QColor(170, 200, 235));
        p.drawEllipse(QRectF(4, 6, 26, 12));
        p.drawLine(QPointF(4, 12), QPointF(4, 46));
        p.drawLine(QPointF(30, 12), QPointF(30, 46));
        // card
        sheet(p, QRectF(36, 20, 24, 34));
        // arrow from the drum into the card
        p.setPen(QPen(kGreen, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(18, 30), QPointF(44, 30));
        p.drawLine(QPointF(37, 23), QPointF(44, 30));
        p.drawLine(QPointF(37, 37), QPointF(44, 30));
    });
}

QIcon open() {
    return draw([](QPainter& p) {
        p.setBrush(QColor(225, 175, 50));
        QPainterPath back;
        back.moveTo(4, 14);
        back.lineTo(22, 14);
        back.lineTo(27, 20);
        back.lineTo(56, 20);
        back.lineTo(56, 54);
        back.lineTo(4, 54);
        back.closeSubpath();
        p.drawPath(back);
        sheet(p, QRectF(14, 8, 34, 30));
        p.setBrush(QColor(250, 205, 80));
        QPainterPath front;
        front.moveTo(4, 54);
        front.lineTo(12, 28);
        front.lineTo(62, 28);
        front.lineTo(56, 54);
        front.closeSubpath();
        p.drawPath(front);
    });
}

QIcon save() {
    return draw([](QPainter& p) {
        QPainterPath body;
        body.moveTo(6, 6);
        body.lineTo(50, 6);
        body.lineTo(58, 14);
        body.lineTo(58, 58);
        body.lineTo(6, 58);
        body.closeSubpath();
        p.setBrush(kBlue);
        p.drawPath(body);
        p.setBrush(QColor(220, 225, 235));
        p.drawRect(QRectF(16, 6, 30, 18));
        p.setBrush(kOutline);
        p.drawRect(QRectF(36, 10, 6, 10));
        p.setBrush(kPaper);
        p.drawRect(QRectF(13, 34, 38, 24));
        lines(p, 19, 45, 42, 2, 8);
    });
}

QIcon payer() {
    return draw([](QPainter& p) {
        p.setBrush(QColor(190, 120, 80));
        p.drawRect(QRectF(10, 10, 30, 48));
        p.setBrush(QColor(160, 100, 70));
        p.drawRect(QRectF(40, 26, 16, 32));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(215, 235, 250));
        for (int row = 0; row < 4; ++row) {
            for (int col = 0; col < 3; ++col) p.drawRect(QRectF(14 + col * 8.5, 15 + row * 9, 5, 5));
            p.drawRect(QRectF(45, 31 + row * 6.5, 6, 3.5));
        }
        p.setBrush(kOutline);
        p.drawRect(QRectF(21, 50, 8, 8));
        p.setPen(QPen(kOutline, 2.5));
        p.drawLine(QPointF(4, 58), QPointF(60, 58));
    });
}

QIcon show() {
    return draw([](QPainter& p) {
        sheet(p, QRectF(6, 4, 38, 50));
        lines(p, 13, 34, 18, 4, 7);
        p.setPen(QPen(kOutline, 6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(47, 47), QPointF(58, 58));
        p.setPen(QPen(kOutline, 3));
        p.setBrush(QColor(200, 225, 250, 200));
        p.drawEllipse(QPointF(38, 38), 13, 13);
    });
}

QIcon print() {
    return draw([](QPainter& p) {
        sheet(p, QRectF(16, 4, 32, 24));
        p.setBrush(QColor(150, 155, 165));
        p.drawRoundedRect(QRectF(4, 24, 56, 24), 4, 4);
        p.setBrush(kGreen);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(52, 31), 2.5, 2.5);
        p.setPen(QPen(kOutline, 2.5));
        p.setBrush(kPaper);
        p.drawRect(QRectF(14, 38, 36, 20));
        lines(p, 20, 44, 45, 2, 7);
    });
}

QIcon check() {
    return draw([](QPainter& p) {
        sheet(p, QRectF(6, 4, 38, 50));
        lines(p, 13, 16, 18, 4, 7);
        p.setPen(QPen(kGreen, 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({QPointF(28, 42), QPointF(38, 54), QPointF(58, 26)}));
    });
}

QIcon help() {
    return draw([](QPainter& p) {
        p.setBrush(kBlue);
        p.drawEllipse(QPointF(32, 32), 27, 27);
        QFont font;
        font.setBold(true);
        font.setPixelSize(40);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(5, 5, 54, 56), Qt::AlignCenter, QStringLiteral("?"));
    });
}

}  // namespace toolbar_icons
