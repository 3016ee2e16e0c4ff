#pragma once

#include <QDate>
#include <QString>

#include <optional>

// Date texts of the edit forms. The record keeps the birth date as yyyy-mm-dd and the PIT-11/8B
// period as dd-mm-yyyy; date fields on screen always show dd-mm-yyyy.

// yyyy-mm-dd → dd-mm-yyyy; any text that is not ten characters with "-" in fifth place gives "".
QString StoredDateToField(const QString& stored);

// dd-mm-yyyy → yyyy-mm-dd; any text that is not ten characters with "-" in third place gives "".
QString FieldDateToStored(const QString& field);

// Reads a dd-mm-yyyy field text as a calendar date; a blank counts as the digit 0. No value when
// the text is not a real date ("31-02-2006", "99-99-9999", missing digits).
std::optional<QDate> ParseFieldDate(const QString& field);

// The text a date field shows for a date: dd-mm-yyyy.
QString FormatFieldDate(const QDate& date);

// The message shown when a date field's text cannot be read as a date.
QString InvalidDateMessage(const QString& field);
