#pragma once

#include <QString>

class QLineEdit;

// Masked fields of the edit forms. A masked field's text always holds its hyphens; positions
// nothing was typed into read as blanks, so an untouched NIP reads "   -   -  -  ", a postal code
// "  -   " and a date "  -  -    ".
namespace masks {
inline const QString kNip = QStringLiteral("000-000-00-00");
inline const QString kPostalCode = QStringLiteral("00-000");
inline const QString kDate = QStringLiteral("00-00-0000");
}  // namespace masks

// Puts a mask on a field (blanks show where nothing is typed). Focusing the field other than by a
// click (Tab, a jump from a finding of the check) puts the cursor at its start, where typing fills it.
void ApplyMask(QLineEdit& edit, const QString& mask);

// The field's text as the program reads it: for a masked field every position, blanks included
// (QLineEdit::text() drops them); for a plain field its text.
QString MaskedFieldText(const QLineEdit& edit);

// True when the first character of a masked text is not a blank: the field counts as filled.
bool MaskedFieldFilled(const QString& text);
