#pragma once

#include <QString>

// The "win.ini" profile of this system: the user's file ($FISKON_WININI, else
// $XDG_CONFIG_HOME/fiskon/win.ini) first, then the system-wide file the package installs. For
// the forms program's folder ([formularze] katalog) a folder the user's file does not name is
// the running program's own folder when the forms program lies beside it (a build tree), before
// the system-wide file.
QString profileString(const QString& section, const QString& key, const QString& fallback);

// The files, in the order they are read.
QString userProfileFile();
QString systemProfileFile();
