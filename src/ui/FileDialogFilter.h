#pragma once

#include <QString>

// The program states file dialog filters the way its users know them:
// "Pliki tekstowe w formacie INI|*.txt|Wszystkie pliki|*.*" (description|patterns pairs, patterns
// separated by ";"), and default extensions as "*.txt" or "txt". Qt wants
// "Pliki tekstowe w formacie INI (*.txt);;Wszystkie pliki (*.*)" and "txt".

// A description that already names its patterns in brackets is not given them twice. A trailing
// description without patterns gets "*" as its pattern. "*.*" becomes "*", which also lists files
// without an extension.
QString toQtFileFilter(const QString& programFilter);

// "*.txt", ".txt" and "txt" all become "txt"; "*.*", "*" and "" become "" (no default suffix).
QString toQtDefaultSuffix(const QString& programSuffix);
