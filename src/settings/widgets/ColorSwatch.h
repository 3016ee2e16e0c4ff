#pragma once

#include <QColor>
#include <QFrame>

// A coloured square; pressing a mouse button on it emits pressed().
class ColorSwatch : public QFrame {
    Q_OBJECT

public:
    explicit ColorSwatch(const QColor& color, QWidget* parent = nullptr);
    QColor color() const { return color_; }
    void setColor(const QColor& color);

signals:
    void pressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QColor color_;
};
