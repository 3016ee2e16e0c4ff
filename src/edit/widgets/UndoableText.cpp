#include "edit/widgets/UndoableText.h"

#include <QLineEdit>

void ReplaceTextUndoably(QLineEdit& edit, const QString& text) {
    if (edit.text() == text) return;
    if (!edit.isReadOnly() && edit.inputMask().isEmpty()) {
        edit.selectAll();
        edit.insert(text);
        if (edit.text() == text) return;
    }
    edit.setText(text);
}
