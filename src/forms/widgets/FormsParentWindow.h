#pragma once

#include "platform/WindowSystem.h"

#include <QPointer>

class QWidget;

// A dialog as the forms program knows it: the window its forms and print dialogs open under. The
// dialog is registered with the installed window system the first time its handle is asked for;
// the forms link then disables it while a form is shown (its windows still painting) and brings
// it back to the front afterwards.
class FormsParentWindow {
public:
    explicit FormsParentWindow(QWidget& dialog);
    ~FormsParentWindow();
    FormsParentWindow(const FormsParentWindow&) = delete;
    FormsParentWindow& operator=(const FormsParentWindow&) = delete;

    // The registered handle; 0 when no window system is installed or it refused the window.
    WindowHandle handle();

private:
    QPointer<QWidget> dialog_;
    WindowSystem* system_ = nullptr;
    WindowHandle handle_ = 0;
};
