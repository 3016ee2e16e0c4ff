#include "ui/FocusControl.h"

#include <QSignalBlocker>
#include <QTabWidget>
#include <QWidget>

bool FocusNamedControl(QWidget& window, const QString& name) {
    auto* control = window.findChild<QWidget*>(name);
    if (!control) return false;
    for (QWidget* parent = control->parentWidget(); parent && parent != &window; parent = parent->parentWidget()) {
        auto* tabs = qobject_cast<QTabWidget*>(parent);
        if (!tabs) continue;
        for (int page = 0; page < tabs->count(); ++page) {
            if (tabs->widget(page)->isAncestorOf(control)) {
                const QSignalBlocker blocker(tabs);
                tabs->setCurrentIndex(page);
            }
        }
    }
    control->setFocus(Qt::OtherFocusReason);
    return true;
}
