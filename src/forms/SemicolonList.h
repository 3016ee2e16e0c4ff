#pragma once

#include <QString>
#include <QStringList>

// Lists saved for a spreadsheet: fields separated by ";", lines ending in CR LF; the caller turns
// the text into code page 1250, which Polish spreadsheets open.

// One field: quoted when it holds ";", a quote or a line end. A spreadsheet would take a text
// beginning with "=", "+", "-" or "@" for a formula (a name imported from elsewhere could run
// one): such a text gets an apostrophe.
QString SemicolonListField(const QString& value);

// The fields as one line of the list, CR LF included.
QString SemicolonListLine(const QStringList& fields);
