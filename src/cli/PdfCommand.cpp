// fiskon-cli pdf IN OUT.pdf --form pit11|pit40 [the options of fields] [--records all|LIST]
//                          [--each DIR [--password pesel|nip | --password-file FILE]] [--jobs N]
// Draws the chosen taxpayers' forms, formatted and calculated as the print dialog asks, with the
// forms program's renderer: into one PDF, each document from a new page, or one PDF per taxpayer
// (locked with the taxpayer's PESEL or NIP, or with one password read from a file), on every core.
// Every taxpayer is checked before the first file is written: one that would stop the batch
// stops it with nothing written.
#include "cli/Commands.h"
#include "cli/FormArguments.h"
#include "cli/TerminalProgress.h"

#include "formvel/FormDocument.h"
#include "formvel/FormPdfBatch.h"
#include "formvel/TaxpayerPdfBatch.h"
#include "forms/ControlCharacters.h"
#include "forms/PdfPasswords.h"
#include "forms/TSterFormVEL.h"
#include "store/Cp1250.h"
#include "store/FileErrors.h"
#include "store/PolishPlural.h"
#include "store/FolderCreation.h"
#include "store/SameFile.h"
#include "store/WholeFileReader.h"

#include <QDir>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTextStream>

#include <algorithm>
#include <stdexcept>

namespace {

QString text(std::string_view bytes) { return cp1250::toUnicode(bytes); }
QString text(const QByteArray& bytes) { return text(std::string_view(bytes.data(), static_cast<std::size_t>(bytes.size()))); }

// The files the command reads; no PDF may take the place of one of them.
QStringList sourceFiles(const FormRequest& request) {
    QStringList files{request.files.front()};
    if (!request.payerFile.isEmpty()) files << request.payerFile;
    return files;
}

bool sameAsSource(const QString& output, const QStringList& sources) {
    return std::any_of(sources.begin(), sources.end(), [&](const QString& source) { return IsSameFile(output, source); });
}

PdfProtection parseProtection(const QString& text) {
    if (text == QLatin1String("pesel")) return PdfProtection::Pesel;
    if (text == QLatin1String("nip")) return PdfProtection::Nip;
    throw UsageError(QStringLiteral("--password przyjmuje „pesel” albo „nip”, a nie „%1”. Jedno hasło dla wszystkich "
                                    "plików podaje się w pliku: --password-file PLIK.")
                         .arg(text));
}

// The first line of the password file (a password never stands on the command line, where other
// users of the machine can read it). Throws FileError when it cannot be read or holds none, and
// for a file that is no text: a NUL byte would end the password early for the encryption, which
// takes it as a C string, and bytes that are not UTF-8 would become another password than the
// one the user will type.
QByteArray readPasswordFile(const QString& path) {
    constexpr std::int64_t kMostBytes = 64 * 1024;
    const std::optional<std::string> bytes = ReadWholeFile(path, kMostBytes);
    if (!bytes) throw FileError(QStringLiteral("Nie ma pliku z hasłem „%1”.").arg(path));
    if (bytes->find('\0') != std::string::npos)
        throw FileError(QStringLiteral("Plik z hasłem „%1” zawiera bajt zerowy (NUL): to nie jest plik tekstowy, "
                                       "nie ma czym zabezpieczyć plików PDF.")
                            .arg(path));
    std::string_view line(*bytes);
    line = line.substr(0, line.find('\n'));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    QStringDecoder utf8(QStringConverter::Utf8);  // a byte-order mark in front is no part of the password
    const QString password = utf8.decode(QByteArrayView(line.data(), static_cast<qsizetype>(line.size())));
    if (utf8.hasError())
        throw FileError(QStringLiteral("Pierwszy wiersz pliku z hasłem „%1” nie jest tekstem w UTF-8: hasło byłoby inne "
                                       "niż to, które się wpisze przy otwieraniu plików PDF.")
                            .arg(path));
    if (password.isEmpty())
        throw FileError(QStringLiteral("Pierwszy wiersz pliku z hasłem „%1” jest pusty: nie ma czym zabezpieczyć plików PDF.")
                            .arg(path));
    return password.toUtf8();
}

}  // namespace

int RunPdfCommand(const QStringList& arguments, QTextStream& /*out*/, QTextStream& err) {
    const FormRequest request =
        ParseFormRequest(arguments, {QStringLiteral("records"), QStringLiteral("each"), QStringLiteral("jobs"),
                                     QStringLiteral("password"), QStringLiteral("password-file")});
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
    if ((request.passwordOption || request.passwordFile) && !each)
        throw UsageError(QStringLiteral("Hasłem zabezpiecza się pliki PDF każdego podatnika: --password i --password-file "
                                        "działają tylko z --each."));
    if (request.passwordOption && request.passwordFile)
        throw UsageError(QStringLiteral("Podaje się --password albo --password-file, nie oba."));
    PdfProtection protection = PdfProtection::None;
    QByteArray onePassword;
    if (request.passwordOption) protection = parseProtection(*request.passwordOption);
    if (request.passwordFile) {
        protection = PdfProtection::OnePassword;
        onePassword = readPasswordFile(*request.passwordFile);
    }

    Workspace workspace;
    if (!OpenFormWorkspace(workspace, request, err)) return kExitFailure;
    const TaxpayerRegister& taxpayers = workspace.taxpayers;
    const std::optional<std::vector<int>> chosen = ChosenRecords(
        request.recordsOption.value_or(request.recordOption.value_or(QStringLiteral("all"))), taxpayers.count(), err);
    if (!chosen) return kExitFailure;

    TaxpayerPdfRequest pdf;
    pdf.taxpayers = &taxpayers;
    pdf.payer = &workspace.payer;
    pdf.positions = *chosen;
    pdf.choices = request.choices;
    SetEditionSymbols(pdf.symbols, request.yearIndex);
    pdf.folder = each ? *request.eachDirectory : QString();
    pdf.protection = protection;
    pdf.onePassword = onePassword;
    pdf.jobs = jobs;

    // A file that should be locked is never written open nor with a password nobody knows.
    if (const QStringList withoutSecret = TaxpayersWithoutSecret(pdf); !withoutSecret.isEmpty()) {
        const int count = static_cast<int>(withoutSecret.size());
        err << QStringLiteral("Nie można zabezpieczyć hasłem plików %1 %2 – nie zapisano żadnego pliku PDF:")
                   .arg(count)
                   .arg(PolishPlural(count, QStringLiteral("podatnika"), QStringLiteral("podatników"),
                                     QStringLiteral("podatników")))
            << '\n';
        for (const QString& line : withoutSecret) err << "  " << EscapeControlCharacters(line) << '\n';
        return kExitFailure;
    }

    // Each file's name, known before anything is drawn: none may be a file the command reads.
    if (each) {
        for (const QString& path : TaxpayerPdfPaths(pdf)) {
            if (sameAsSource(path, sources)) {
                err << QStringLiteral("Plik PDF „%1” zastąpiłby plik danych; wybierz inny katalog.").arg(path) << '\n';
                return kExitFailure;
            }
        }
        if (const QString why = CreateFolderPath(pdf.folder); !why.isEmpty()) {
            err << QStringLiteral("Nie można utworzyć katalogu „%1”: %2.").arg(pdf.folder, why) << '\n';
            return kExitFailure;
        }
    }

    TerminalProgress progress(err, QStringLiteral("Formularze"), static_cast<int>(chosen->size()));
    FormPdfBatch batch = MakeTaxpayerPdfBatch(pdf);
    // Before anything is drawn: a taxpayer whose form cannot be made stops the batch, nothing written.
    batch.checked = [&](int index, const FormPdfOutcome& outcome) {
        // Findings go to a terminal: a control character in them is shown, not obeyed.
        const QString who = EscapeControlCharacters(TaxpayerLabel(pdf, index));
        // The forms program's findings name the taxpayer; they do not stop the output.
        const QByteArrayList findings = SplitLines(outcome.findings);
        if (!findings.isEmpty()) progress.clear();
        for (const QByteArray& finding : findings) err << who << ": " << EscapeControlCharacters(text(finding)) << '\n';
        if (const QString stop = TaxpayerPdfStopReason(pdf, index, outcome); !stop.isEmpty())
            throw std::runtime_error(EscapeControlCharacters(stop).toStdString());
    };
    batch.progress = [&](int done) { progress.advance(done); };
    if (each)
        WriteEachFormPdf(batch);
    else
        WriteFormsPdfBatch(request.files[1], batch);
    progress.finish();
    return kExitSuccess;
}
