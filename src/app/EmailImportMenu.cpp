// "Plik → Importuj adresy e-mail…": the taxpayers' addresses from a list of "PESEL;adres" lines.
#include "app/TFMain.h"

#include "import/EmailImport.h"
#include "store/FileErrors.h"
#include "store/PolishPlural.h"
#include "ui/ErrorMessage.h"

#include <QStatusBar>

#include <algorithm>

namespace {

// So many problems the box lists itself; all of them are in its details.
constexpr std::size_t kProblemsShown = 15;

QString ProblemsQuestion(const EmailImportPlan& plan) {
    const std::size_t count = plan.problems.size();
    QStringList lines;
    lines << QStringLiteral("Lista adresów zawiera %1 %2:")
                 .arg(count)
                 .arg(PolishPlural(static_cast<long long>(count), QStringLiteral("problem"), QStringLiteral("problemy"),
                                   QStringLiteral("problemów")));
    for (std::size_t i = 0; i < std::min(count, kProblemsShown); ++i) lines << plan.problems[i].text;
    if (count > kProblemsShown)
        lines << QStringLiteral("… i jeszcze %1 (wszystkie w szczegółach).").arg(count - kProblemsShown);
    const int rest = static_cast<int>(plan.changes.size());
    lines << QString()
          << QStringLiteral("Czy przypisać pozostałe adresy (%1 %2)?")
                 .arg(rest)
                 .arg(PolishPlural(rest, QStringLiteral("podatnik"), QStringLiteral("podatników"), QStringLiteral("podatników")));
    return lines.join(u'\n');
}

}  // namespace

void TFMain::ImportEmails() {
    if (workspace_.taxpayers.empty()) {
        ui_.message(QStringLiteral("Informacja"),
                    QStringLiteral("Nie ma żadnych danych podatników, którym można przypisać adresy e-mail."),
                    MessageIcon::Information);
        return;
    }
    FileDialogRequest request;
    request.title = QStringLiteral("Lista adresów e-mail (PESEL;adres)");
    request.filter = QStringLiteral("Pliki tekstowe|*.txt;*.csv|Wszystkie pliki|*.*");
    request.defaultSuffix = QStringLiteral("*.txt");
    const std::optional<QString> fileName = ui_.openFile(request);
    if (!fileName) return;

    EmailImportPlan plan;
    try {
        plan = PlanEmailImportFile(workspace_.taxpayers, *fileName);
    } catch (const FileError& error) {
        ShowErrorMessage(ui_, error);
        return;
    }
    if (plan.empty) {
        ui_.message(QStringLiteral("Informacja"), kEmptyEmailListMessage, MessageIcon::Information);
        return;
    }
    if (!plan.problems.empty()) {
        if (plan.changes.empty()) {
            ui_.message(QStringLiteral("Uwaga!"),
                        EmailImportProblemList(plan) + QStringLiteral("\n\nNie zmieniono żadnego adresu e-mail."),
                        MessageIcon::Warning);
            return;
        }
        // A short list stands whole in the question; a long one in the details too.
        const QString details = plan.problems.size() > kProblemsShown ? EmailImportProblemList(plan) : QString();
        const int chosen = ui_.askChoicesWithDetails(QStringLiteral("Uwaga!"), ProblemsQuestion(plan), MessageIcon::Warning,
                                                     {QStringLiteral("Zastosuj pozostałe"), QStringLiteral("Anuluj")}, details);
        if (chosen != 0) return;
    }
    const int changed = ApplyEmailImport(workspace_, plan);
    RefreshView(viewMode_);
    const QString summary = EmailImportSummary(changed);
    statusBar()->showMessage(summary);
    ui_.message(QStringLiteral("Informacja"), summary, MessageIcon::Information);
}
