#include "cli/FormArguments.h"

#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/ImportArguments.h"
#include "forms/ControlCharacters.h"
#include "store/Cp1250.h"
#include "store/FileErrors.h"
#include "store/PayerRecord.h"
#include "store/PolishPlural.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>
#include <QThread>

#include <algorithm>

namespace {

// How long the names of the person filling in may be (as the dialogs' fields take them).
constexpr int kFillerNameLength = 50;

FormKind parseForm(const QString& text) {
    if (text == QLatin1String("pit11")) return FormKind::Pit11;
    if (text == QLatin1String("pit40")) return FormKind::Pit40;
    throw UsageError(QStringLiteral("--form przyjmuje „pit11” albo „pit40”, a nie „%1”.").arg(text));
}

int parseEdition(const QString& text) {
    for (int index = 0; index < static_cast<int>(std::size(kFormYears)); ++index)
        if (text == QLatin1String(kFormYears[index])) return index;
    throw UsageError(QStringLiteral("--edition przyjmuje rok formularza 2005 albo 2006, a nie „%1”.").arg(text));
}

bool parseStrike(const QString& text) {
    if (text == QLatin1String("pit11")) return true;
    if (text == QLatin1String("pit8b")) return false;
    throw UsageError(QStringLiteral("--strike przyjmuje „pit11” albo „pit8b”, a nie „%1”.").arg(text));
}

QByteArray parseTaxYear(const QString& text) {
    static const QRegularExpression fourDigits(QStringLiteral("^[0-9]{4}$"));
    if (!fourDigits.match(text).hasMatch())
        throw UsageError(QStringLiteral("--tax-year przyjmuje rok z czterech cyfr, a nie „%1”.").arg(text));
    return text.toLatin1();
}

// A name as the dialog holds it: capitals, code page 1250.
QByteArray parseName(const QString& option, const QString& text) {
    const QString upper = text.toUpper();
    bool lossless = true;
    const std::string bytes = cp1250::fromUnicode(upper, '?', &lossless);
    if (!lossless)
        throw UsageError(QStringLiteral("--%1 zawiera znaki, których formularz nie przyjmuje.").arg(option));
    // A line break would cut the field list; the forms program would refuse all of it.
    if (HasControlCharacters(bytes))
        throw UsageError(QStringLiteral("--%1 zawiera znak sterujący (np. koniec wiersza albo tabulację), którego formularz nie przyjmuje.")
                             .arg(option));
    if (upper.size() > kFillerNameLength)
        throw UsageError(QStringLiteral("--%1 może mieć najwyżej %2 %3.")
                             .arg(option)
                             .arg(kFillerNameLength)
                             .arg(PolishPlural(kFillerNameLength, QStringLiteral("znak"), QStringLiteral("znaki"),
                                               QStringLiteral("znaków"))));
    return QByteArray::fromStdString(bytes);
}

int parsePosition(const QString& text) {
    bool ok = false;
    const int position = text.toInt(&ok);
    if (!ok || position < 1) throw UsageError(QStringLiteral("„%1” nie jest numerem rekordu (od 1).").arg(text));
    return position;
}

}  // namespace

FormRequest ParseFormRequest(const QStringList& arguments, const std::set<QString>& extraOptions,
                             const std::set<QString>& extraFlags) {
    std::set<QString> names = {QStringLiteral("form"),       QStringLiteral("payer"),      QStringLiteral("record"),
                               QStringLiteral("edition"),    QStringLiteral("strike"),     QStringLiteral("tax-year"),
                               QStringLiteral("first-name"), QStringLiteral("surname"),    QStringLiteral("sort")};
    names.insert(extraOptions.begin(), extraOptions.end());
    const ImportArguments parsed = ImportArguments::parse(arguments, names, extraFlags);

    FormRequest request;
    request.files = parsed.files;
    if (!parsed.has(QStringLiteral("form"))) throw UsageError(QStringLiteral("Brakuje opcji --form pit11|pit40."));
    request.choices.kind = parseForm(parsed.value(QStringLiteral("form")));
    request.payerFile = parsed.value(QStringLiteral("payer"));
    if (parsed.has(QStringLiteral("sort"))) request.sortKey = ParseSortKey(parsed.value(QStringLiteral("sort")));
    if (parsed.has(QStringLiteral("edition"))) request.yearIndex = parseEdition(parsed.value(QStringLiteral("edition")));
    if (parsed.has(QStringLiteral("strike")))
        request.choices.strikePit11 = parseStrike(parsed.value(QStringLiteral("strike")));
    if (parsed.has(QStringLiteral("tax-year")))
        request.choices.taxYear = parseTaxYear(parsed.value(QStringLiteral("tax-year")));
    request.choices.fillerFirstName = parseName(QStringLiteral("first-name"), parsed.value(QStringLiteral("first-name")));
    request.choices.fillerSurname = parseName(QStringLiteral("surname"), parsed.value(QStringLiteral("surname")));
    if (parsed.has(QStringLiteral("record"))) {
        parsePosition(parsed.value(QStringLiteral("record")));
        request.recordOption = parsed.value(QStringLiteral("record"));
    }
    if (parsed.has(QStringLiteral("records"))) request.recordsOption = parsed.value(QStringLiteral("records"));
    if (parsed.has(QStringLiteral("each"))) request.eachDirectory = parsed.value(QStringLiteral("each"));
    if (parsed.has(QStringLiteral("jobs"))) request.jobsOption = parsed.value(QStringLiteral("jobs"));
    if (parsed.has(QStringLiteral("password"))) request.passwordOption = parsed.value(QStringLiteral("password"));
    if (parsed.has(QStringLiteral("password-file"))) request.passwordFile = parsed.value(QStringLiteral("password-file"));
    if (parsed.has(QStringLiteral("sign"))) request.signNickname = parsed.value(QStringLiteral("sign"));
    if (parsed.has(QStringLiteral("nss-db"))) request.nssDatabase = parsed.value(QStringLiteral("nss-db"));
    if (parsed.has(QStringLiteral("pin-file"))) request.pinFile = parsed.value(QStringLiteral("pin-file"));
    request.visibleSignature = parsed.flags.count(QStringLiteral("visible-signature")) != 0;
    return request;
}

int ParseJobCount(const std::optional<QString>& text) {
    constexpr int kMostJobs = 256;
    if (!text) return std::max(1, QThread::idealThreadCount());
    bool ok = false;
    const int jobs = text->toInt(&ok);
    if (!ok || jobs < 1 || jobs > kMostJobs)
        throw UsageError(QStringLiteral("--jobs przyjmuje liczbę wątków od 1 do %1, a nie „%2”.").arg(kMostJobs).arg(*text));
    return jobs;
}

bool OpenFormWorkspace(Workspace& workspace, const FormRequest& request, QTextStream& err) {
    workspace.taxpayers.Sort(request.sortKey);  // the key the opened file is sorted by
    if (!QFileInfo::exists(request.files.front())) {
        err << QStringLiteral("Nie ma pliku danych podatników „%1”.").arg(request.files.front()) << '\n';
        return false;
    }
    if (!OpenTaxpayersForCommand(workspace.taxpayers, request.files.front(), err)) return false;
    if (request.payerFile.isEmpty()) return true;
    // The payer form only ever loads a file the user picked; a missing one, a folder, a pipe or a
    // file without the payer's data is a mistake here, said as what it is.
    try {
        LoadPayerFile(workspace.payer, request.payerFile);
    } catch (const FileError& error) {
        err << error.message() << '\n';
        return false;
    }
    return true;
}

std::optional<std::vector<int>> ChosenRecords(const QString& text, int count, QTextStream& err) {
    std::vector<int> positions;
    if (text == QLatin1String("all")) {
        for (int position = 1; position <= count; ++position) positions.push_back(position);
        return positions;
    }
    static const QRegularExpression item(QStringLiteral("^([0-9]+)(?:-([0-9]+))?$"));
    for (const QString& part : text.split(u',')) {
        const QRegularExpressionMatch match = item.match(part.trimmed());
        if (!match.hasMatch())
            throw UsageError(QStringLiteral("--records przyjmuje „all” albo listę numerów jak „1,3-5”, a nie „%1”.").arg(text));
        const int first = parsePosition(match.captured(1));
        const int last = match.captured(2).isEmpty() ? first : parsePosition(match.captured(2));
        if (last < first) throw UsageError(QStringLiteral("Zakres „%1” jest odwrócony.").arg(part));
        if (last > count) {
            err << QStringLiteral("Rejestr nie ma rekordu numer %1 (liczba rekordów: %2).").arg(last).arg(count) << '\n';
            return std::nullopt;
        }
        for (int position = first; position <= last; ++position) positions.push_back(position);
    }
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    return positions;
}

std::optional<RegisterCheckRequest> OpenChosenForms(const QStringList& arguments, const QString& command,
                                                    Workspace& workspace, QTextStream& err) {
    const FormRequest request = ParseFormRequest(arguments, {QStringLiteral("records")});
    if (request.files.size() != 1)
        throw UsageError(QStringLiteral("Polecenie %1 wymaga dokładnie jednego pliku danych podatników.").arg(command));
    if (request.recordOption && request.recordsOption)
        throw UsageError(QStringLiteral("Podaje się --record albo --records, nie oba."));

    if (!OpenFormWorkspace(workspace, request, err)) return std::nullopt;
    const QString chosenText = request.recordOption.value_or(request.recordsOption.value_or(QStringLiteral("all")));
    const std::optional<std::vector<int>> chosen = ChosenRecords(chosenText, workspace.taxpayers.count(), err);
    if (!chosen) return std::nullopt;

    RegisterCheckRequest forms;
    forms.choices = request.choices;
    forms.yearIndex = request.yearIndex;
    forms.indices.reserve(chosen->size());
    for (int position : *chosen) forms.indices.push_back(position - 1);
    return forms;
}
