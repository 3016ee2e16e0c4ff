// fiskon-cli pdf IN OUT.pdf --form pit11|pit40 [the options of fields] [--records all|LIST]
//                          [--each DIR [--password pesel|nip | --password-file FILE]]
//                          [--sign NICKNAME [--nss-db DIR] [--pin-file FILE] [--visible-signature]]
//                          [--jobs N]
// Draws the chosen taxpayers' forms, formatted and calculated as the print dialog asks, with the
// forms program's renderer: into one PDF, each document from a new page, or one PDF per taxpayer
// (locked with the taxpayer's PESEL or NIP, or with one password read from a file), on every core.
// With --sign every file (or the one PDF) is signed with a certificate of the NSS database, its
// card unlocked with the PIN of the first line of --pin-file, tried once. Every taxpayer is
// checked, and the certificate and PIN too, before the first file is written: what would stop
// the batch stops it with nothing written.
#include "cli/Commands.h"
#include "cli/FormArguments.h"
#include "cli/PdfSecurityArguments.h"
#include "cli/TerminalProgress.h"

#include "formvel/FormDocument.h"
#include "formvel/TaxpayerPdfBatch.h"
#include "forms/ControlCharacters.h"
#include "forms/PdfPasswords.h"
#include "forms/TSterFormVEL.h"
#include "signing/CertificateDatabase.h"
#include "signing/TaxpayerPdfFiles.h"
#include "signing/SigningKey.h"
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
#include <memory>
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




}  // namespace

int RunPdfCommand(const QStringList& arguments, QTextStream& /*out*/, QTextStream& err) {
    const FormRequest request =
        ParseFormRequest(arguments, {QStringLiteral("records"), QStringLiteral("each"), QStringLiteral("jobs"),
                                     QStringLiteral("password"), QStringLiteral("password-file"), QStringLiteral("sign"),
                                     QStringLiteral("nss-db"), QStringLiteral("pin-file")},
                         {QStringLiteral("visible-signature")});
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
    const PdfSecurity security = ParsePdfSecurity(request);

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
    pdf.yearIndex = request.yearIndex;
    pdf.folder = each ? *request.eachDirectory : QString();
    pdf.protection = security.protection;
    pdf.onePassword = security.onePassword;
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

    // The certificate and the PIN before anything is drawn: a wrong one writes nothing.
    const std::unique_ptr<SigningKey> key = request.signNickname ? UnlockSigningKey(request) : nullptr;

    TerminalProgress progress(err, QStringLiteral("Formularze"), static_cast<int>(chosen->size()));
    TaxpayerPdfWriting writing;
    writing.key = key.get();
    writing.visibleSignature = request.visibleSignature;
    if (!each) writing.onePdf = request.files[1];
    // The forms program's findings name the taxpayer; they do not stop the output. They go to a
    // terminal: a control character in them is shown, not obeyed.
    writing.findings = [&](int index, const QByteArray& findings) {
        const QString who = EscapeControlCharacters(TaxpayerLabel(pdf, index));
        const QByteArrayList lines = SplitLines(findings);
        if (!lines.isEmpty()) progress.clear();
        for (const QByteArray& finding : lines) err << who << ": " << EscapeControlCharacters(text(finding)) << '\n';
    };
    writing.progress = [&](int done) { progress.advance(done); };
    try {
        WriteTaxpayerPdfs(pdf, writing);
    } catch (const TaxpayerPdfStopped& stop) {
        throw std::runtime_error(EscapeControlCharacters(stop.message()).toStdString());
    }
    progress.finish();
    return kExitSuccess;
}
