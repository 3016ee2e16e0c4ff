#include "import/DelimitedExport.h"

#include "store/AtomicFileWriter.h"
#include "store/Cp1250.h"
#include "store/PolishPlural.h"

#include <charconv>
#include <cstdint>
#include <string_view>
#include <utility>

namespace {

constexpr char kCandidates[] = {'\t', '|', ';', ','};
constexpr int kNamedProblems = 10;

// Names a value of the format for the user, made only when needed.
struct FieldName {
    const char* name = nullptr;  // a named field; null for an amount box
    int box = 0;
    bool pit11 = true;

    QString text() const {
        if (name) return QString::fromUtf8(name);
        return QStringLiteral("%1 poz. %2").arg(pit11 ? QStringLiteral("PIT-11/8B") : QStringLiteral("PIT-40")).arg(box);
    }
};

// Calls `visit(FieldName, value)` for each value of a record in the order of the format. The flags
// are visited as the numbers written, as a digit may be chosen for a separator too.
template <typename Visit>
void VisitValues(const TaxpayerRecord& record, Visit&& visit) {
    visit(FieldName{"Nazwisko"}, record.nazwisko.view());
    visit(FieldName{"Imię"}, record.imie1.view());
    visit(FieldName{"PESEL"}, record.pesel.view());
    visit(FieldName{"NIP"}, record.nip.view());
    visit(FieldName{"Data urodzenia"}, record.dataUr.view());
    visit(FieldName{"Urząd skarbowy"}, record.us.view());
    visit(FieldName{"Kraj"}, record.kraj.view());
    visit(FieldName{"Województwo"}, record.wojewodztwo.view());
    visit(FieldName{"Powiat"}, record.powiat.view());
    visit(FieldName{"Gmina"}, record.gmina.view());
    visit(FieldName{"Miejscowość"}, record.miejsc.view());
    visit(FieldName{"Ulica"}, record.ulica.view());
    visit(FieldName{"Nr domu"}, record.nrDomu.view());
    visit(FieldName{"Nr lokalu"}, record.nrLok.view());
    visit(FieldName{"Kod pocztowy"}, record.kodPoczt.view());
    visit(FieldName{"Poczta"}, record.poczta.view());
    const std::pair<const char*, std::uint8_t> flags[] = {
        {"PIT-11/8B poz. 33 (koszty uzyskania)", record.pit11_33}, {"PIT-11/8B PIT-R", record.pit11_PITR},
        {"PIT-40 poz. 34 (koszty uzyskania)", record.pit40_34},     {"PIT-40 NIP-3", record.pit40_NIP3},
        {"PIT-40 PIT-R", record.pit40_PITR}};
    for (const auto& [name, flag] : flags) {
        char digits[4];
        const auto end = std::to_chars(digits, digits + sizeof digits, static_cast<unsigned>(flag)).ptr;
        visit(FieldName{name}, std::string_view(digits, static_cast<std::size_t>(end - digits)));
    }
    for (int box = TaxpayerRecord::kFirstP11Box; box <= TaxpayerRecord::kLastP11Box; ++box)
        visit(FieldName{nullptr, box, true}, record.p11Box(box).view());
    for (int box = TaxpayerRecord::kFirstP40Box; box <= TaxpayerRecord::kLastP40Box; ++box)
        visit(FieldName{nullptr, box, false}, record.p40Box(box).view());
}

bool Holds(std::string_view value, char separator) {
    return value.find(separator) != std::string_view::npos || value.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

QString SeparatorName(char separator) {
    if (separator == '\t') return QStringLiteral("tabulator");
    if (separator == ' ') return QStringLiteral("spacja");
    return QStringLiteral("„%1”").arg(cp1250::toUnicode(std::string_view(&separator, 1)));
}

QString SeparatorProblem(char separator) {
    if (separator == '\r' || separator == '\n' || separator == '\0')
        return QStringLiteral("Separatorem nie może być znak końca wiersza.");
    return {};
}

std::vector<DelimitedExportProblem> FindDelimitedExportProblems(const TaxpayerRegister& taxpayers, char separator) {
    std::vector<DelimitedExportProblem> problems;
    for (int index = 0; index < taxpayers.count(); ++index) {
        VisitValues(taxpayers.at(index), [&](const FieldName& field, std::string_view value) {
            if (Holds(value, separator)) problems.push_back({index + 1, field.text(), cp1250::toUnicode(value)});
        });
    }
    return problems;
}

std::vector<char> FreeSeparators(const TaxpayerRegister& taxpayers) {
    bool used[std::size(kCandidates)] = {};
    for (int index = 0; index < taxpayers.count(); ++index) {
        VisitValues(taxpayers.at(index), [&](const FieldName&, std::string_view value) {
            for (std::size_t i = 0; i < std::size(kCandidates); ++i)
                if (!used[i] && value.find(kCandidates[i]) != std::string_view::npos) used[i] = true;
        });
    }
    std::vector<char> free;
    for (std::size_t i = 0; i < std::size(kCandidates); ++i)
        if (!used[i]) free.push_back(kCandidates[i]);
    return free;
}

QString DelimitedExportProblemsText(const std::vector<DelimitedExportProblem>& problems,
                                    const TaxpayerRegister& taxpayers, char separator) {
    const bool lineEnds = [&] {
        for (const DelimitedExportProblem& problem : problems)
            if (problem.value.contains(u'\r') || problem.value.contains(u'\n')) return true;
        return false;
    }();
    QString text = QStringLiteral("Nie można zapisać danych z separatorem %1: format nie ma cudzysłowów, więc "
                                  "wartość zawierająca separator%2 rozbiłaby wiersz. Dotyczy to:")
                       .arg(SeparatorName(separator), lineEnds ? QStringLiteral(" lub koniec wiersza") : QString());
    int shown = 0;
    for (const DelimitedExportProblem& problem : problems) {
        if (shown == kNamedProblems) break;
        const TaxpayerRecord& record = taxpayers.at(problem.position - 1);
        text += QStringLiteral("\n– nr %1 (%2 %3), %4: „%5”")
                    .arg(problem.position)
                    .arg(cp1250::toUnicode(record.nazwisko.view()), cp1250::toUnicode(record.imie1.view()), problem.field,
                         problem.value);
        ++shown;
    }
    const auto more = static_cast<long long>(problems.size()) - shown;
    if (more > 0)
        text += QStringLiteral("\n… i %1 %2.").arg(more).arg(PolishPlural(more, QStringLiteral("inna wartość"),
                                                                         QStringLiteral("inne wartości"),
                                                                         QStringLiteral("innych wartości")));
    QString suggestion;
    for (char candidate : FreeSeparators(taxpayers))
        if (candidate != separator) {
            suggestion = QStringLiteral("\nWybierz inny separator, np. %1 – żadna wartość go nie zawiera.")
                             .arg(SeparatorName(candidate));
            break;
        }
    if (suggestion.isEmpty())
        suggestion = lineEnds ? QStringLiteral("\nPopraw te wartości (usuń z nich końce wierszy) i spróbuj ponownie.")
                              : QStringLiteral("\nWybierz inny separator (np. „inny” ze znakiem, którego nie ma w danych).");
    return text + suggestion;
}

std::string DelimitedExportText(const TaxpayerRegister& taxpayers, char separator) {
    std::string text;
    text.reserve(static_cast<std::size_t>(taxpayers.count()) * 400);
    for (int index = 0; index < taxpayers.count(); ++index) {
        VisitValues(taxpayers.at(index), [&](const FieldName&, std::string_view value) {
            text.append(value);
            text += separator;
        });
        text += "\r\n";
    }
    return text;
}

void ExportDelimited(const TaxpayerRegister& taxpayers, const QString& fileName, char separator) {
    if (const QString problem = SeparatorProblem(separator); !problem.isEmpty()) throw DelimitedExportError(problem);
    const std::vector<DelimitedExportProblem> problems = FindDelimitedExportProblems(taxpayers, separator);
    if (!problems.empty()) throw DelimitedExportError(DelimitedExportProblemsText(problems, taxpayers, separator));
    WriteFileAtomically(fileName, DelimitedExportText(taxpayers, separator));
}
