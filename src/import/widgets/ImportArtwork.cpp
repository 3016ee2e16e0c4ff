#include "import/widgets/ImportArtwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>

namespace {

void drawDatabase(QPainter& painter, const QRectF& box) {
    const qreal diskHeight = box.height() / 4.0;
    painter.setPen(QPen(QColor(20, 40, 90), 2));
    for (int disk = 2; disk >= 0; --disk) {
        const qreal top = box.top() + disk * diskHeight;
        QPainterPath side;
        side.moveTo(box.left(), top + diskHeight / 2);
        side.lineTo(box.left(), top + diskHeight * 1.5);
        side.arcTo(QRectF(box.left(), top + diskHeight, box.width(), diskHeight), 180, 180);
        side.lineTo(box.right(), top + diskHeight / 2);
        side.closeSubpath();
        painter.setBrush(QColor(250, 200, 60));
        painter.drawPath(side);
        painter.setBrush(QColor(255, 230, 130));
        painter.drawEllipse(QRectF(box.left(), top, box.width(), diskHeight));
    }
}

}  // namespace

WizardPictureStrip::WizardPictureStrip(int stepNumber, int stepCount, QWidget* parent)
    : QWidget(parent), stepNumber_(stepNumber), stepCount_(stepCount) {
    setFixedWidth(130);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
}

QSize WizardPictureStrip::sizeHint() const {
    return {130, 300};
}

void WizardPictureStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 0, height());
    background.setColorAt(0, QColor(24, 64, 140));
    background.setColorAt(1, QColor(120, 170, 230));
    painter.fillRect(rect(), background);

    const qreal side = width() * 0.6;
    drawDatabase(painter, QRectF((width() - side) / 2, 40, side, side * 1.1));

    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.2);
    painter.setFont(font);
    painter.drawText(QRect(0, height() - 70, width(), 30), Qt::AlignCenter,
                     QStringLiteral("Krok %1 z %2").arg(stepNumber_).arg(stepCount_));
}

QIcon HelpIcon(const QStyle& style) {
    return QIcon::fromTheme(QStringLiteral("help-contents"),
                            style.standardIcon(QStyle::SP_MessageBoxQuestion));
}

QIcon PadlockIcon() {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(90, 90, 90), 2.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(7, 2, 10, 12), 0, 180 * 16);
    painter.drawLine(QPointF(7, 8), QPointF(7, 11));
    painter.drawLine(QPointF(17, 8), QPointF(17, 11));
    painter.setPen(QPen(QColor(120, 80, 0), 1));
    painter.setBrush(QColor(230, 180, 40));
    painter.drawRoundedRect(QRectF(4, 11, 16, 11), 2, 2);
    painter.setBrush(QColor(60, 40, 0));
    painter.drawEllipse(QRectF(10.5, 14, 3, 3));
    return QIcon(pixmap);
}
