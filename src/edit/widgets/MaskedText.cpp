#include "edit/widgets/MaskedText.h"

#include <QLineEdit>

void ApplyMask(QLineEdit& edit, const QString& mask) {
    edit.setInputMask(mask + QStringLiteral("; "));
}

QString MaskedFieldText(const QLineEdit& edit) {
    if (edit.inputMask().isEmpty())
        return edit.text();
    // With the blank character a space, the displayed text is the mask filled in: every typed
    // character, a space for every empty position and the hyphens in between.
    return edit.displayText();
}

bool MaskedFieldFilled(const QString& text) {
    return !text.isEmpty() && text.front() != u' ';
}
