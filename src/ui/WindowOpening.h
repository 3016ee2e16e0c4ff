#pragma once

#include <QShowEvent>

// A window is shown when the program opens it, and shown again by the window system when the user
// restores it from the task bar (a spontaneous show event). Only an opening starts the window
// afresh; a restored window keeps what the user has typed and ticked.
inline bool IsWindowOpening(const QShowEvent& event) { return !event.spontaneous(); }
