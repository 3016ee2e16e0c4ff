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
#include "cli/TerminalProgress.h"

#include "formvel/FormDocument.h"
#include "formvel/FormPdfBatch.h"
#include "formvel/TaxpayerPdfBatch.h"
#include "forms/ControlCharacters.h"
#include "forms/PdfPasswords.h"
#include "forms/TSterFormVEL.h"
#include "signing/CertificateDatabase.h"
#include "signing/SignedPdfBatch.h"
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

PdfProtection parseProtection(const QString& text) {
    if (text == QLatin1String("pesel")) return PdfProtection::Pesel;
    if (text == QLatin1String("nip")) return PdfProtection::Nip;
    throw UsageError(QStringLiteral("--password przyjmuje „pesel” albo „nip”, a nie „%1”. Jedno hasło dla wszystkich "
                                    "plików podaje się w pliku: --password-file PLIK.")
                         .arg(text));
}

// The first line of a file holding a secret (a password or a PIN never stands on the command
// line, where other users of the machine can read it); `what` names the file ("z hasłem", "z
// PIN-em") and `use` what the secret is for. Throws FileError when it cannot be read or holds
// none, and for a file that is no text: a NUL byte would end the secret early for the libraries,
// which take it as a C string, and bytes that are not UTF-8 would become another secret than
// the one the user types.
QByteArray readSecretFile(const QString& path, const QString& what, const QString& use) {
    constexpr std::int64_t kMostBytes = 64 * 1024;
    const std::optional<std::string> bytes = ReadWholeFile(path, kMostBytes);
    if (!bytes) throw FileError(QStringLiteral("Nie ma pliku %1 „%2”.").arg(what, path));
    if (bytes->find('\0') != std::string::npos)
        throw FileError(QStringLiteral("Plik %1 „%2” zawiera bajt zerowy (NUL): to nie jest plik tekstowy, "
                                       "nie ma czym %3.")
                            .arg(what, path, use));
    std::string_view line(*bytes);
    line = line.substr(0, line.find('\n'));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    QStringDecoder utf8(QStringConverter::Utf8);  // a byte-order mark in front is no part of the secret
    const QString secret = utf8.decode(QByteArrayView(line.data(), static_cast<qsizetype>(line.size())));
    if (utf8.hasError())
        throw FileError(QStringLiteral("Pierwszy wiersz pliku %1 „%2” nie jest tekstem w UTF-8: byłby inny "
                                       "niż ten, który się wpisuje.")
                            .arg(what, path));
    if (secret.isEmpty())
        throw FileError(QStringLiteral("Pierwszy wiersz pliku %1 „%2” jest pusty: nie ma czym %3.").arg(what, path, use));
    return secret.toUtf8();
}

QByteArray readPasswordFile(const QString& path) {
    return readSecretFile(path, QStringLiteral("z hasłem"), QStringLiteral("zabezpieczyć plików PDF"));
}

// The key of --sign, its card unlocked with the PIN of --pin-file (read only when the card asks
// for one). Throws SigningError or FileError.
std::unique_ptr<SigningKey> unlockSigningKey(const FormRequest& request) {
    OpenCertificateDatabase(request.nssDatabase.value_or(DefaultCertificateDatabase()));
    const SecretSource pin = [&request](const SigningCertificate& certificate) -> std::optional<QByteArray> {
        if (!request.pinFile)
            throw UsageError(QStringLiteral("Certyfikat „%1” wymaga PIN-u: podaje się go w pliku, --pin-file PLIK.")
                                 .arg(certificate.nickname));
        return readSecretFile(*request.pinFile, QStringLiteral("z PIN-em"), QStringLiteral("odblokować karty"));
    };
    return std::make_unique<SigningKey>(*request.signNickname, pin);
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
    if (request.passwordOption && request.passwordFile)
        throw UsageError(QStringLiteral("Podaje się --password albo --password-file, nie oba."));
    if ((request.nssDatabase || request.pinFile) && !request.signNickname)
        throw UsageError(QStringLiteral("--nss-db i --pin-file służą do podpisu: działają tylko z --sign."));
    if (request.visibleSignature && !request.signNickname)
        throw UsageError(QStringLiteral("--visible-signature działa tylko z --sign."));
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
    pdf.yearIndex = request.yearIndex;
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

    // The certificate and the PIN before anything is drawn: a wrong one writes nothing.
    const std::unique_ptr<SigningKey> key = request.signNickname ? unlockSigningKey(request) : nullptr;

    TerminalProgress progress(err, QStringLiteral("Formularze"), static_cast<int>(chosen->size()));
    FormPdfBatch batch = MakeTaxpayerPdfBatch(pdf);
    if (key) SignBatchFiles(batch, *key, TaxpayerPdfSignatureReason(pdf), request.visibleSignature);
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
