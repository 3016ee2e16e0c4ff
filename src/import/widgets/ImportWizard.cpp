#include "import/widgets/ImportWizard.h"

QString ImportWizardTitle() {
    return QStringLiteral("Kreator importu danych z Programu Płatnika");
}
