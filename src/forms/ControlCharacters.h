#pragma once

#include <QByteArrayView>
#include <QString>

// Control characters in texts that go into a field list or onto a terminal. A line break in a
// value would cut the field list in two; an escape sequence in a message would drive the terminal.

// True when the code page 1250 text holds a control character (bytes 0-31 and 127).
bool HasControlCharacters(QByteArrayView text);

// The text with each control character written out, so that a terminal shows it as text:
// "\n", "\r" and "\t" for line feed, carriage return and tab, "\xHH" (two hex digits) for the others,
// C1 controls (U+0080-U+009F) included.
// With `keepLineBreaks` line feeds and carriage returns stay as they are (for a field that is
// quoted around them).
QString EscapeControlCharacters(const QString& text, bool keepLineBreaks = false);
