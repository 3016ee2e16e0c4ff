#include "edit/widgets/MaskedText.h"

#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>

namespace {

// Puts the cursor at the start of a masked field whenever it gets the focus other than by a
// click: left where it stood (at the end of the blanks), typed digits would find no free place
// and be lost. A click keeps the place clicked.
class CursorToStartOnFocus : public QObject {
public:
    explicit CursorToStartOnFocus(QLineEdit& edit) : QObject(&edit), edit_(edit) { setObjectName(kName); }
    static constexpr const char* kName = "cursorToStartOnFocus";

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &edit_ || event->type() != QEvent::FocusIn) return false;
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason) return false;
        // The field's own handling first (it places the cursor by its rules), then the start.
        static_cast<QObject&>(edit_).event(event);
        edit_.setCursorPosition(0);
        return true;
    }

private:
    QLineEdit& edit_;
};

}  // namespace

void ApplyMask(QLineEdit& edit, const QString& mask) {
    edit.setInputMask(mask + QStringLiteral("; "));
    if (!edit.findChild<QObject*>(QString::fromLatin1(CursorToStartOnFocus::kName), Qt::FindDirectChildrenOnly))
        edit.installEventFilter(new CursorToStartOnFocus(edit));
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
