#pragma once

#include <QString>

class QWidget;

// Puts the focus on the control named `name` inside `window`, first turning every tab page that
// holds it to the front (quietly: the tab widgets' page-change handlers do not run). False when
// the window has no such control.
bool FocusNamedControl(QWidget& window, const QString& name);
