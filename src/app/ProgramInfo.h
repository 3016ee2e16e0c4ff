#pragma once

#include <QString>

// What the start screen and the About box say about the program and its maker.
namespace program_info {

inline QString versionText() { return QStringLiteral("Wersja 1.2.10 (12-01-2007)"); }
inline QString makerName() { return QStringLiteral("Fiskon Software sp. z o.o., Kraków"); }
inline QString supportEmail() { return QStringLiteral("pomoc@fiskon.example"); }
inline QString supportPhone() { return QStringLiteral("tel. (12) 345 67 89"); }

}  // namespace program_info
