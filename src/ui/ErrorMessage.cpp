#include "ui/ErrorMessage.h"

#include <QString>

void ShowErrorMessage(UserInterface& ui, const std::exception& error) {
    // The program's exceptions carry a Polish sentence in UTF-8.
    ui.message(QStringLiteral("Fiskon"), QString::fromUtf8(error.what()), MessageIcon::Error);
}
