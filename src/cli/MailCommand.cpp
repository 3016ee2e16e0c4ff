// fiskon-cli mail IN --form pit11|pit40 [the options of fields] [--records all|LIST] --smtp URL
//                 --from ADDRESS [--user NAME] [--smtp-password-file FILE] [--cafile FILE]
//                 [--password pesel|nip | --password-file FILE] [--sign NICKNAME [--nss-db DIR]
//                 [--pin-file FILE] [--visible-signature]] [--subject TEXT] [--body-file FILE]
//                 --record FILE.csv [--resume] [--resend-uncertain] [--jobs N]
// Mails each chosen taxpayer's form, made as pdf --each makes it, to the taxpayer's address, over
// one encrypted connection, keeping the delivery record up to date after every message. A
// taxpayer without an address stops it before anything is made or sent. Exit 0 when every message
// was accepted, 1 when the batch stopped or a message was not accepted (the record says which).
#include "cli/Commands.h"
#include "cli/FormArguments.h"
#include "cli/ImportArguments.h"
#include "cli/PdfSecurityArguments.h"
#include "cli/SecretFile.h"
#include "cli/TerminalProgress.h"

#include "forms/ControlCharacters.h"
#include "mail/MailBatch.h"
#include "store/FileErrors.h"
#include "store/SameFile.h"
#include "store/WholeFileReader.h"

#include <QStringDecoder>
#include <QTextStream>

#include <memory>

namespace {

const std::set<QString> kMailOptions = {
    QStringLiteral("records"),  QStringLiteral("smtp"),          QStringLiteral("from"),
    QStringLiteral("user"),     QStringLiteral("smtp-password-file"), QStringLiteral("cafile"),
    QStringLiteral("password"), QStringLiteral("password-file"), QStringLiteral("sign"),
    QStringLiteral("nss-db"),   QStringLiteral("pin-file"),      QStringLiteral("subject"),
    QStringLiteral("body-file"), QStringLiteral("jobs")};
const std::set<QString> kMailFlags = {QStringLiteral("resume"), QStringLiteral("resend-uncertain"),
                                      QStringLiteral("visible-signature")};
const std::set<QString> kFormOptions = {QStringLiteral("form"),     QStringLiteral("payer"),   QStringLiteral("edition"),
                                        QStringLiteral("strike"),   QStringLiteral("tax-year"), QStringLiteral("first-name"),
                                        QStringLiteral("surname"),  QStringLiteral("sort")};

// Here --record names the delivery record, not one taxpayer as for the other form commands: it is
// taken out before the form options are read.
QString takeRecordFile(QStringList& arguments) {
    std::optional<QString> record;
    QStringList rest;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--")) {
            rest << arguments.mid(i);
            break;
        }
        if (argument == QLatin1String("--record")) {
            if (i + 1 >= arguments.size()) throw UsageError(QStringLiteral("Opcja --record wymaga pliku zapisu wysyłki."));
            record = arguments[++i];
        } else if (argument.startsWith(QLatin1String("--record="))) {
            record = argument.mid(9);
        } else {
            rest << argument;
        }
    }
    arguments = rest;
    if (!record || record->isEmpty())
        throw UsageError(QStringLiteral("Brakuje opcji --record PLIK.csv: pliku zapisu wysyłki."));
    return *record;
}

// The text of --body-file: UTF-8, a byte-order mark in front allowed.
QString readBodyFile(const QString& path) {
    const std::optional<std::string> bytes = ReadWholeFile(path, 1024 * 1024);
    if (!bytes) throw FileError(QStringLiteral("Nie ma pliku z treścią wiadomości „%1”.").arg(path));
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString body = utf8.decode(QByteArrayView(bytes->data(), static_cast<qsizetype>(bytes->size())));
    if (utf8.hasError()) throw FileError(QStringLiteral("Plik z treścią wiadomości „%1” nie jest tekstem w UTF-8.").arg(path));
    return body;
}

int retryWaitMs() {
    // Tests of the temporary refusals make the waits short.
    bool ok = false;
    const int wait = qEnvironmentVariableIntValue("FISKON_MAIL_RETRY_WAIT_MS", &ok);
    return ok && wait >= 0 ? wait : MailRetry{}.firstWaitMs;
}

MailSettings parseSettings(const ImportArguments& parsed) {
    MailSettings settings;
    if (!parsed.has(QStringLiteral("smtp")))
        throw UsageError(QStringLiteral("Brakuje opcji --smtp smtps://SERWER[:PORT] albo smtp://SERWER[:PORT]."));
    if (const QString problem = SetMailServerUrl(settings, parsed.value(QStringLiteral("smtp"))); !problem.isEmpty())
        throw UsageError(problem);
    if (!parsed.has(QStringLiteral("from"))) throw UsageError(QStringLiteral("Brakuje opcji --from ADRES nadawcy."));
    settings.senderAddress = parsed.value(QStringLiteral("from")).trimmed();
    if (!IsMailAddress(settings.senderAddress))
        throw UsageError(QStringLiteral("--from „%1” nie jest adresem e-mail.").arg(settings.senderAddress));
    settings.user = parsed.value(QStringLiteral("user"));
    if (parsed.has(QStringLiteral("smtp-password-file"))) {
        if (settings.user.isEmpty())
            throw UsageError(QStringLiteral("Hasło serwera poczty (--smtp-password-file) działa tylko z --user NAZWA."));
        settings.password = MailSecret(ReadSecretFile(parsed.value(QStringLiteral("smtp-password-file")),
                                                      QStringLiteral("z hasłem serwera poczty"),
                                                      QStringLiteral("zalogować się do serwera poczty")));
    } else if (!settings.user.isEmpty()) {
        throw UsageError(QStringLiteral("Z --user podaje się hasło w pliku: --smtp-password-file PLIK."));
    }
    settings.caFile = parsed.value(QStringLiteral("cafile"));
    if (parsed.has(QStringLiteral("subject"))) settings.subjectTemplate = parsed.value(QStringLiteral("subject"));
    if (parsed.has(QStringLiteral("body-file"))) settings.bodyTemplate = readBodyFile(parsed.value(QStringLiteral("body-file")));
    return settings;
}

}  // namespace

int RunMailCommand(const QStringList& commandLine, QTextStream& out, QTextStream& err) {
    QStringList arguments = commandLine;
    const QString recordFile = takeRecordFile(arguments);
    const FormRequest request = ParseFormRequest(arguments, kMailOptions, kMailFlags);
    std::set<QString> names = kMailOptions;
    names.insert(kFormOptions.begin(), kFormOptions.end());
    const ImportArguments parsed = ImportArguments::parse(arguments, names, kMailFlags);
    if (request.files.size() != 1)
        throw UsageError(QStringLiteral("Polecenie mail wymaga dokładnie jednego pliku danych podatników."));
    if (IsSameFile(recordFile, request.files.front()) ||
        (!request.payerFile.isEmpty() && IsSameFile(recordFile, request.payerFile)))
        throw UsageError(QStringLiteral("Zapis wysyłki nie może zastąpić pliku danych „%1”.").arg(recordFile));
    const bool resume = parsed.flags.count(QStringLiteral("resume")) != 0;
    const bool resendUncertain = parsed.flags.count(QStringLiteral("resend-uncertain")) != 0;
    if (resendUncertain && !resume)
        throw UsageError(QStringLiteral("--resend-uncertain działa tylko z --resume (przy wznawianiu wysyłki)."));
    const int jobs = ParseJobCount(request.jobsOption);

    MailBatchRequest mail;
    mail.settings = parseSettings(parsed);
    mail.recordPath = recordFile;
    mail.resume = resume;
    mail.resendUncertain = resendUncertain;
    mail.retry.firstWaitMs = retryWaitMs();
    const PdfSecurity security = ParsePdfSecurity(request);
    mail.pdf.protection = security.protection;
    mail.pdf.onePassword = security.onePassword;

    Workspace workspace;
    if (!OpenFormWorkspace(workspace, request, err)) return kExitFailure;
    const std::optional<std::vector<int>> chosen =
        ChosenRecords(request.recordsOption.value_or(QStringLiteral("all")), workspace.taxpayers.count(), err);
    if (!chosen) return kExitFailure;
    mail.pdf.taxpayers = &workspace.taxpayers;
    mail.pdf.payer = &workspace.payer;
    mail.pdf.positions = *chosen;
    mail.pdf.choices = request.choices;
    SetEditionSymbols(mail.pdf.symbols, request.yearIndex);
    mail.pdf.yearIndex = request.yearIndex;
    mail.pdf.jobs = jobs;

    MailPlan plan;
    try {
        plan = PlanMailBatch(mail);
    } catch (const MailError& error) {
        err << EscapeControlCharacters(error.message()) << '\n';
        return kExitFailure;
    }
    if (!plan.withoutAddress.isEmpty()) {
        for (const QString& line : WithoutAddressText(plan.withoutAddress, static_cast<int>(plan.withoutAddress.size())).split(u'\n'))
            err << EscapeControlCharacters(line) << '\n';
        return kExitFailure;
    }
    // The certificate and the PIN before any file is made: a wrong one sends nothing.
    const std::unique_ptr<SigningKey> key = request.signNickname ? UnlockSigningKey(request) : nullptr;
    mail.key = key.get();
    mail.visibleSignature = request.visibleSignature;

    MailResult result;
    {
        TerminalProgress making(err, QStringLiteral("Formularze"), static_cast<int>(plan.toSend.size()));
        MailCallbacks callbacks;
        callbacks.finding = [&](const QString& taxpayer, const QString& finding) {
            making.clear();
            err << EscapeControlCharacters(taxpayer) << ": " << EscapeControlCharacters(finding) << '\n';
        };
        callbacks.progress = [&](const MailProgress& progress) { making.advance(progress.done); };
        PreparedMail prepared;
        try {
            prepared = PrepareMailFiles(mail, plan, callbacks);
        } catch (const MailError& error) {
            making.clear();
            for (const QString& line : error.message().split(u'\n')) err << EscapeControlCharacters(line) << '\n';
            return kExitFailure;
        }
        making.finish();
        TerminalProgress sending(err, QStringLiteral("Wiadomości"), static_cast<int>(prepared.files().size()));
        callbacks.progress = [&](const MailProgress& progress) {
            if (progress.state != DeliveryState::Sent) {
                sending.clear();
                err << EscapeControlCharacters(progress.taxpayer) << ": " << DeliveryStateText(progress.state) << '\n';
            }
            sending.advance(progress.done);
        };
        result = SendMailBatch(mail, plan, prepared, callbacks);
    }
    for (const QString& line : MailResultText(result).split(u'\n')) out << EscapeControlCharacters(line) << '\n';
    return result.complete() ? kExitSuccess : kExitFailure;
}
