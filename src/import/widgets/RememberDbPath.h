#pragma once

#include <QString>

class ProgramSettings;
class UserInterface;

// Writes the database path to the settings under "DatabasePath" at once. A settings file that
// cannot be written is reported with the program's error box; the path stays in force for this
// run all the same.
void RememberDbPath(ProgramSettings& settings, const QString& path, UserInterface& ui);
