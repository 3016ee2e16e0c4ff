#include "forms/widgets/FormsParentWindow.h"

#include "forms/lform.h"

#include <QWidget>

FormsParentWindow::FormsParentWindow(QWidget& dialog) : dialog_(&dialog) {}

FormsParentWindow::~FormsParentWindow() {
    if (handle_ && system_) system_->unregisterWindow(handle_);
}

WindowHandle FormsParentWindow::handle() {
    WindowSystem* system = lform::windowSystem();
    if (handle_ && system == system_) return handle_;
    if (handle_ && system_) system_->unregisterWindow(handle_);
    handle_ = 0;
    system_ = system;
    if (!system_) return 0;

    LocalWindow window;
    window.className = "T" + dialog_->objectName().toLatin1();
    QPointer<QWidget> dialog = dialog_;
    window.enable = [dialog](bool enabled) {
        if (dialog) dialog->setEnabled(enabled);
    };
    window.bringToFront = [dialog] {
        if (!dialog) return;
        dialog->raise();
        dialog->activateWindow();
    };
    handle_ = system_->registerWindow(window);
    return handle_;
}
