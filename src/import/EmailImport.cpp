#include "import/EmailImport.h"

#include "edit/EmailAddress.h"
#include "import/EmailList.h"
#include "store/Cp1250.h"
#include "store/FileErrorText.h"
#include "store/FileErrors.h"
#include "store/PolishPlural.h"
#include "store/RegisterChangeRecording.h"
#include "store/WholeFileReader.h"

#include <QHash>

#include <algorithm>
#include <cerrno>
#include <map>

namespace {

constexpr qsizetype kShownLength = 60;

// A text of the list as a message shows it: control characters written out, so that a line of
// rubbish cannot move the terminal's cursor, and cut when long.
QString Shown(const QString& text) {
    QString shown;
    for (const QChar ch : text.left(kShownLength)) {
        if (ch.category() == QChar::Other_Control || ch.category() == QChar::Other_Format)
            shown += QStringLiteral("\\x%1").arg(ch.unicode(), 2, 16, QLatin1Char('0'));
        else
            shown += ch;
    }
    if (text.size() > kShownLength) shown += QStringLiteral("…");
    return shown;
}

QString LineProblem(int line, const QString& text) {
    return QStringLiteral("Wiersz %1: %2").arg(line).arg(text);
}

// "Wiersze 3 i 7", "Wiersze 3, 5 i 7".
QString LinesNamed(const std::vector<int>& lines) {
    QStringList numbers;
    for (const int line : lines) numbers << QString::number(line);
    const QString last = numbers.takeLast();
    return QStringLiteral("Wiersze %1 i %2").arg(numbers.join(QStringLiteral(", ")), last);
}

std::string_view TrimmedBytes(std::string_view bytes) {
    while (!bytes.empty() && (bytes.front() == ' ' || bytes.front() == '\t')) bytes.remove_prefix(1);
    while (!bytes.empty() && (bytes.back() == ' ' || bytes.back() == '\t')) bytes.remove_suffix(1);
    return bytes;
}

QString TaxpayerName(const TaxpayerRecord& record) {
    return cp1250::toUnicode(record.nazwisko.view()) + u' ' + cp1250::toUnicode(record.imie1.view());
}

}  // namespace

EmailImportPlan PlanEmailImport(const TaxpayerRegister& taxpayers, std::string_view listBytes) {
    EmailImportPlan plan;
    const std::vector<EmailListLine> lines = ReadEmailList(listBytes);
    plan.empty = lines.empty();
    if (lines.empty()) return plan;

    QHash<QString, std::vector<int>> byPesel;
    for (int position = 0; position < taxpayers.count(); ++position) {
        const std::string_view pesel = TrimmedBytes(taxpayers.at(position).pesel.view());
        if (!pesel.empty()) byPesel[cp1250::toUnicode(pesel)].push_back(position);
    }

    // The lines of each PESEL, to find those that give it different addresses.
    std::map<QString, std::vector<const EmailListLine*>> linesOfPesel;
    for (const EmailListLine& line : lines) {
        if (line.hasSeparator && !line.pesel.isEmpty()) linesOfPesel[line.pesel].push_back(&line);
    }
    QHash<QString, bool> conflicting;
    for (const auto& [pesel, listed] : linesOfPesel) {
        const QString& first = listed.front()->address;
        const bool differ = std::any_of(listed.begin(), listed.end(), [&first](const EmailListLine* line) {
            return line->address.compare(first, Qt::CaseInsensitive) != 0;
        });
        if (!differ) continue;
        conflicting[pesel] = true;
        std::vector<int> numbers;
        for (const EmailListLine* line : listed) numbers.push_back(line->number);
        plan.problems.push_back({numbers.front(),
                                 QStringLiteral("%1: różne adresy dla numeru PESEL %2; żaden z nich nie zostanie przypisany.")
                                     .arg(LinesNamed(numbers), Shown(pesel))});
    }

    QHash<QString, bool> done;  // a PESEL listed again with the same address changes nothing more
    for (const EmailListLine& line : lines) {
        const auto problem = [&](const QString& text) { plan.problems.push_back({line.number, LineProblem(line.number, text)}); };
        if (!line.hasSeparator) {
            problem(QStringLiteral("brak średnika między numerem PESEL a adresem („%1”).").arg(Shown(line.pesel)));
            continue;
        }
        if (line.pesel.isEmpty()) {
            problem(QStringLiteral("brak numeru PESEL przed średnikiem."));
            continue;
        }
        if (line.address.isEmpty()) {
            problem(QStringLiteral("brak adresu e-mail po numerze PESEL %1.").arg(Shown(line.pesel)));
            continue;
        }
        if (const QString fault = EmailAddressFault(line.address); !fault.isEmpty()) {
            problem(QStringLiteral("adres „%1”: %2.").arg(Shown(line.address), fault));
            continue;
        }
        const auto found = byPesel.constFind(line.pesel);
        if (found == byPesel.constEnd()) {
            problem(QStringLiteral("PESEL %1 nie występuje w rejestrze.").arg(Shown(line.pesel)));
            continue;
        }
        if (found->size() > 1) {
            QStringList names;
            for (const int position : *found) names << TaxpayerName(taxpayers.at(position));
            problem(QStringLiteral("PESEL %1 ma w rejestrze %2 podatników (%3); adres nie zostanie przypisany żadnemu z nich.")
                        .arg(Shown(line.pesel))
                        .arg(found->size())
                        .arg(names.join(QStringLiteral(", "))));
            continue;
        }
        if (conflicting.contains(line.pesel) || done.contains(line.pesel)) continue;
        done[line.pesel] = true;
        const int position = found->front();
        std::string address = cp1250::fromUnicode(line.address);
        if (taxpayers.at(position).email.view() == address) {
            ++plan.unchanged;
            continue;
        }
        plan.changes.push_back({position, std::move(address)});
    }
    std::stable_sort(plan.problems.begin(), plan.problems.end(),
                     [](const EmailImportProblem& a, const EmailImportProblem& b) { return a.line < b.line; });
    return plan;
}

EmailImportPlan PlanEmailImportFile(const TaxpayerRegister& taxpayers, const QString& fileName) {
    const std::optional<FileBytes> bytes = ReadWholeFileBytes(fileName);
    if (!bytes)
        throw FileError(file_error_text::cannotRead(
            fileName, file_error_text::reasonForErrno(ENOENT, QStringLiteral("nie ma takiego pliku"))));
    return PlanEmailImport(taxpayers, bytes->view());
}

int ApplyEmailImport(Workspace& workspace, const EmailImportPlan& plan) {
    std::vector<int> positions;
    positions.reserve(plan.changes.size());
    for (const EmailChange& change : plan.changes) positions.push_back(change.position);
    RegisterChangeRecording recording(workspace, QStringLiteral("Import adresów e-mail"), positions);
    int changed = 0;
    for (const EmailChange& change : plan.changes) {
        if (change.position < 0 || change.position >= workspace.taxpayers.count()) continue;
        workspace.taxpayers.at(change.position).email = change.address;
        ++changed;
    }
    recording.finish();
    if (changed > 0) workspace.markTaxpayersChanged();
    return changed;
}

QString EmailImportSummary(int changed) {
    return QStringLiteral("Zmieniono adresy e-mail: %1 %2.")
        .arg(changed)
        .arg(PolishPlural(changed, QStringLiteral("podatnika"), QStringLiteral("podatników"), QStringLiteral("podatników")));
}

QString EmailImportProblemList(const EmailImportPlan& plan) {
    QStringList texts;
    for (const EmailImportProblem& problem : plan.problems) texts << problem.text;
    return texts.join(u'\n');
}
