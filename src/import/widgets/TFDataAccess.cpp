#include "import/widgets/TFDataAccess.h"

#include "ui/UserInterface.h"

TFDataAccess::TFDataAccess(UserInterface& ui, QObject* parent) : QObject(parent), ui_(ui) {
    setObjectName(QStringLiteral("FDataAccess"));
}

void TFDataAccess::SetDbPath(const QString& path) {
    PlatnikDataAccess::SetDbPath(path);
    emit dbPathChanged(path);
}

void TFDataAccess::ReportLoginFailure(const LoginResult& result) {
    emit aboutToReport();
    ui_.message(QStringLiteral("Błąd"), result.message,
                result.errorIcon() ? MessageIcon::Error : MessageIcon::Warning);
}
