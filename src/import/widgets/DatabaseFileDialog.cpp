#include "import/widgets/DatabaseFileDialog.h"

#include "ui/UserInterface.h"

std::optional<QString> ChooseDatabaseFile(UserInterface& ui, const QString& currentPath) {
    FileDialogRequest request;
    request.title = QStringLiteral("Wskaż plik bazy danych");
    request.filter = QStringLiteral("Baza danych Programu Płatnik (*.mdb)|*.mdb|Wszystkie pliki (*.*)|*.*");
    request.defaultSuffix = QStringLiteral("*.mdb");
    request.initialPath = currentPath;
    return ui.openFile(request);
}
