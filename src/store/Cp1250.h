#pragma once

#include <QString>
#include <QStringView>

#include <string>
#include <string_view>

// Code page 1250 (Central European Windows) conversion. Records, data files and the settings file
// hold code page 1250 bytes; QString is used only at the edges (widgets, terminal, .mdb layer).
namespace cp1250 {

// Decodes code page 1250 bytes. Every byte has a character, so decoding never fails.
QString toUnicode(std::string_view bytes);

// Encodes text; a character that code page 1250 lacks becomes `replacement`. When `lossless` is
// given it tells whether every character was representable.
std::string fromUnicode(QStringView text, char replacement = '?', bool* lossless = nullptr);

// True when code page 1250 can hold the character.
bool canEncode(QChar ch);

// The text in capitals as far as code page 1250 has them: letter by letter, so that the text keeps
// its length ("ß" stays one character); a letter whose capital the code page lacks ("µ", capital
// "Μ") stays as it is. The one rule of the fields the forms fill in capitals.
QString toCapitals(QString text);

}  // namespace cp1250
