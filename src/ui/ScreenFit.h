#pragma once

#include <QSize>

class QWidget;

// A window of `preferred` size (logical pixels), or as much of it as the screen's free area holds
// at the screen's scale, centred on that area. Its content must scroll where it does not fit.
void FitToScreen(QWidget& window, QSize preferred);
