#pragma once

#include <QString>

// Creates a folder and the folders above it that are missing. Empty on success; otherwise why not,
// in Polish, ready to follow "Nie można utworzyć katalogu „X”: " ("brak uprawnień dostępu",
// "brak miejsca na dysku", "„/a/b” jest plikiem, a nie folderem").
QString CreateFolderPath(const QString& path);
