// fiskon-cli pdf IN OUT.pdf --form pit11|pit40 [the options of fields] [--records all|LIST]
//                          [--each DIR] [--jobs N]
// Draws the chosen taxpayers' forms, formatted and calculated as the print dialog asks, with the
// forms program's renderer: into one PDF, each document from a new page, or one PDF per taxpayer,
// on every core.
#include "cli/Commands.h"
#include "cli/FormArguments.h"
#include "cli/TerminalProgress.h"

#include "formvel/FormDocument.h"
#include "formvel/FormPdfBatch.h"
#include "forms/ControlCharacters.h"
#include "forms/TSterFormVEL.h"
#include "store/Cp1250.h"
#include "store/FolderCreation.h"
#include "store/SameFile.h"

#include <QDir>
#include <QRegularExpression>
#include <QTextStream>

#include <algorithm>
#include <stdexcept>

namespace {

QString text(std::string_view bytes) { return cp1250::toUnicode(bytes); }
QString text(const QByteArray& bytes) { return text(std::string_view(bytes.data(), static_cast<std::size_t>(bytes.size()))); }

// "007_NOWAK_ANNA.pdf": the position (as wide as the register's largest), surname and first name,
// with what a file name cannot hold (separators, blanks, control characters) made "_".
QString documentFileName(int position, int count, const TaxpayerRecord& taxpayer) {
    static const QRegularExpression unsafe(QStringLiteral(R"([/\\:*?"<>|\s\p{Cc}]+)"));
    const int width = static_cast<int>(QString::number(count).size());
    QString name = QStringLiteral("%1_%2_%3")
                       .arg(position, width, 10, QLatin1Char('0'))
                       .arg(text(taxpayer.nazwisko), text(taxpayer.imie1));
    name.replace(unsafe, QStringLiteral("_"));
    return name + QStringLiteral(".pdf");
}

// The files the command reads; no PDF may take the place of one of them.
QStringList sourceFiles(const FormRequest& request) {
    QStringList files{request.files.front()};
    if (!request.payerFile.isEmpty()) files << request.payerFile;
    return files;
}

bool sameAsSource(const QString& output, const QStringList& sources) {
    return std::any_of(sources.begin(), sources.end(), [&](const QString& source) { return IsSameFile(output, source); });
}

}  // namespace

int RunPdfCommand(const QStringList& arguments, QTextStream& /*out*/, QTextStream& err) {
    const FormRequest request =
        ParseFormRequest(arguments, {QStringLiteral("records"), QStringLiteral("each"), QStringLiteral("jobs")});
    const bool each = request.eachDirectory.has_value();
    if (request.files.size() != (each ? 1 : 2))
        throw UsageError(each ? QStringLiteral("Z --each podaje się tylko plik danych podatników (pliki PDF trafiają do katalogu).")
                              : QStringLiteral("Polecenie pdf wymaga pliku danych podatników i pliku PDF."));
    const QStringList sources = sourceFiles(request);
    // A slip of the command line must not put a PDF over the data it is made from.
    if (!each && sameAsSource(request.files[1], sources))
        throw UsageError(QStringLiteral("Plik PDF nie może zastąpić pliku danych „%1”.").arg(request.files[1]));
    if (request.recordOption && request.recordsOption)
        throw UsageError(QStringLiteral("Podaje się --record albo --records, nie oba."));
    const int jobs = ParseJobCount(request.jobsOption);

    Workspace workspace;
    if (!OpenFormWorkspace(workspace, request, err)) return kExitFailure;
    const TaxpayerRegister& taxpayers = workspace.taxpayers;
    const std::optional<std::vector<int>> chosen = ChosenRecords(
        request.recordsOption.value_or(request.recordOption.value_or(QStringLiteral("all"))), taxpayers.count(), err);
    if (!chosen) return kExitFailure;

    // Each file's name, known before anything is drawn: none may be a file the command reads.
    QStringList paths;
    if (each) {
        const QDir directory(*request.eachDirectory);
        if (const QString why = CreateFolderPath(*request.eachDirectory); !why.isEmpty()) {
            err << QStringLiteral("Nie można utworzyć katalogu „%1”: %2.").arg(*request.eachDirectory, why) << '\n';
            return kExitFailure;
        }
        for (const int position : *chosen) {
            paths << directory.filePath(documentFileName(position, taxpayers.count(), taxpayers.at(position - 1)));
            if (sameAsSource(paths.back(), sources)) {
                err << QStringLiteral("Plik PDF „%1” zastąpiłby plik danych; wybierz inny katalog.").arg(paths.back()) << '\n';
                return kExitFailure;
            }
        }
    }

    EditionSymbols symbols;
    SetEditionSymbols(symbols, request.yearIndex);
    TerminalProgress progress(err, QStringLiteral("Formularze"), static_cast<int>(chosen->size()));
    QByteArrayList lines;
    FormPdfBatch batch;
    batch.count = static_cast<int>(chosen->size());
    batch.jobs = jobs;
    batch.source = [&](int index) {
        const int position = (*chosen)[static_cast<std::size_t>(index)];
        FormPdfSource source;
        source.symbol = BuildFieldList(lines, request.choices, &taxpayers.at(position - 1), workspace.payer, symbols)
                            .value_or(QByteArray());
        source.fields = JoinLines(lines);
        source.options = FormDocument::AutoFormat | FormDocument::Calculate;  // as the print dialog sends it
        if (each) source.path = paths[index];
        return source;
    };
    batch.drawn = [&](int index, const FormPdfOutcome& outcome) {
        const int position = (*chosen)[static_cast<std::size_t>(index)];
        const TaxpayerRecord& taxpayer = taxpayers.at(position - 1);
        // Findings go to a terminal: a control character in them is shown, not obeyed.
        const QString who = EscapeControlCharacters(
            QStringLiteral("%1 %2 %3").arg(position).arg(text(taxpayer.nazwisko), text(taxpayer.imie1)));
        // The forms program's findings name the taxpayer; they do not stop the output.
        const QByteArrayList findings = SplitLines(outcome.findings);
        if (!findings.isEmpty()) progress.clear();
        for (const QByteArray& finding : findings) err << who << ": " << EscapeControlCharacters(text(finding)) << '\n';
        if (!outcome.accepted)
            throw std::runtime_error(QStringLiteral("Program formularzy odrzucił listę pól podatnika %1: nie powstał żaden plik PDF.")
                                         .arg(who)
                                         .toStdString());
        // A form whose amounts could not be calculated is not put on paper with stale totals.
        if (!outcome.calculationFailure.isEmpty())
            throw std::runtime_error(QStringLiteral("Rekord nr %1: %2 Nie zapisano pliku PDF.")
                                         .arg(position)
                                         .arg(outcome.calculationFailure)
                                         .toStdString());
        progress.advance(index + 1);
    };
    if (each)
        WriteEachFormPdf(batch);
    else
        WriteFormsPdfBatch(request.files[1], batch);
    progress.finish();
    return kExitSuccess;
}
