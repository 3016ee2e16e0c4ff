#include "ui/ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

void FitToScreen(QWidget& window, QSize preferred) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        window.resize(preferred);
        return;
    }
    // A margin for the window's frame and title bar, which the free area does not count.
    const QRect free = screen->availableGeometry().adjusted(0, 0, -16, -48);
    const QSize size(std::min(preferred.width(), free.width()), std::min(preferred.height(), free.height()));
    window.resize(size.expandedTo(window.minimumSize()).boundedTo(free.size()));
    window.move(free.center() - QPoint(window.width() / 2, window.height() / 2));
}
