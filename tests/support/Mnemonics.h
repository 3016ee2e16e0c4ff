#pragma once

#include <QStringList>

class QMenu;
class QWidget;

// The Alt keys that two controls of a window answer to at once, each as "Alt+X: „A”, „B”": the
// shown labels (with a buddy), buttons, check boxes and tabs of `window` as it is now, and the
// menu bar's titles. Empty when every key is unique.
QStringList DoubledMnemonics(const QWidget& window);

// The same for the items of one menu.
QStringList DoubledMnemonics(const QMenu& menu);
