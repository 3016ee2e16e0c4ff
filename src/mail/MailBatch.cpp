#include "mail/MailBatch.h"

#include "mail/MailMessage.h"
#include "mail/MailHeaders.h"
#include "mail/SmtpSession.h"
#include "formvel/TaxpayerPdfFileNames.h"
#include "signing/TaxpayerPdfFiles.h"
#include "store/Cp1250.h"
#include "store/FileErrors.h"
#include "store/PolishPlural.h"
#include "store/WholeFileReader.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <map>
#include <optional>

namespace {

QString text(std::string_view bytes) { return cp1250::toUnicode(bytes); }

const TaxpayerRecord& taxpayerAt(const MailBatchRequest& request, int index) {
    return request.pdf.taxpayers->at(request.pdf.positions[static_cast<std::size_t>(index)] - 1);
}

QString addressOf(const TaxpayerRecord& taxpayer) { return text(taxpayer.email).trimmed(); }

QString taxpayersGenitive(int count) {
    return QStringLiteral("%1 %2").arg(count).arg(
        PolishPlural(count, QStringLiteral("podatnika"), QStringLiteral("podatników"), QStringLiteral("podatników")));
}

QString now() { return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")); }

// "Przerwij" during preparation.
struct PreparationStopped {};

bool stopRequested(const MailCallbacks& callbacks) { return callbacks.stop && callbacks.stop->load(); }

// Waits `ms`, looking at the stop flag; false when the user stopped meanwhile.
bool waitUnlessStopped(int ms, const MailCallbacks& callbacks) {
    constexpr int kSlice = 50;
    for (int waited = 0; waited < ms; waited += kSlice) {
        if (stopRequested(callbacks)) return false;
        QThread::msleep(static_cast<unsigned long>(std::min(kSlice, ms - waited)));
    }
    return !stopRequested(callbacks);
}

// The form and year the message's texts speak of: "PIT-11/8B", "2006".
MailTemplateValues templateValues(const MailBatchRequest& request, const TaxpayerRecord& taxpayer) {
    const QString reason = TaxpayerPdfSignatureReason(request.pdf);
    const QString separator = QStringLiteral(" za rok ");
    return {text(taxpayer.imie1), text(taxpayer.nazwisko), reason.section(separator, 0, 0), reason.section(separator, 1)};
}

MailMessage messageFor(const MailBatchRequest& request, const TaxpayerRecord& taxpayer, const PreparedMail::File& file,
                       const QByteArray& bytes) {
    const MailSettings& settings = request.settings;
    const MailTemplateValues values = templateValues(request, taxpayer);
    MailMessage message;
    message.fromAddress = settings.senderAddress;
    message.fromName = settings.senderName;
    message.toAddress = addressOf(taxpayer);
    message.toName = QStringLiteral("%1 %2").arg(values.firstName, values.surname).trimmed();
    message.subject = FillMailTemplate(settings.subjectTemplate, values);
    message.body = FillMailTemplate(settings.bodyTemplate, values);
    message.date = QDateTime::currentDateTime();
    message.messageId = NewMessageId(settings.senderAddress, message.date);
    message.attachmentName = file.name;
    message.attachment = bytes;
    return message;
}

QString sha256Of(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

QByteArray readFile(const QString& path) {
    const std::optional<std::string> bytes = ReadWholeFile(path);
    if (!bytes) throw FileError(QStringLiteral("Plik „%1” zniknął przed wysłaniem.").arg(path));
    return QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size()));
}

// One message handed over, with a fresh connection once when the old one turns out to be gone,
// and a temporary refusal tried again after the waits. `stopped` tells that "Przerwij" ended a wait.
SmtpSession::Outcome deliver(SmtpSession& session, const MailMessage& message, const MailRetry& retry,
                             const MailCallbacks& callbacks, bool& stopped) {
    using Kind = SmtpSession::Outcome::Kind;
    bool fresh = false;
    int retriesLeft = retry.retries;
    int wait = retry.firstWaitMs;
    for (;;) {
        SmtpSession::Outcome outcome = session.send(message, fresh);
        if (outcome.kind == Kind::NotHandedOver && !fresh) {
            fresh = true;
            continue;
        }
        if (outcome.kind == Kind::TemporaryRefusal && retriesLeft > 0) {
            --retriesLeft;
            if (!waitUnlessStopped(wait, callbacks)) {
                stopped = true;
                return outcome;
            }
            wait *= 2;
            fresh = false;
            continue;
        }
        return outcome;
    }
}

// What the row of a message says once the server has answered (or not); the reason the batch
// stops after it, or nothing.
std::optional<QString> settle(DeliveryRow& row, const SmtpSession::Outcome& outcome, bool stopped) {
    using Kind = SmtpSession::Outcome::Kind;
    row.time = now();
    row.reply = outcome.reply;
    switch (outcome.kind) {
    case Kind::Accepted: row.state = DeliveryState::Sent; return std::nullopt;
    case Kind::PermanentRefusal: row.state = DeliveryState::Refused; return std::nullopt;
    case Kind::TemporaryRefusal:
        row.state = DeliveryState::NotSent;
        if (stopped) return QStringLiteral("Przerwano wysyłkę.");
        return std::nullopt;  // tried again the few times; a later run can try once more
    case Kind::NoReply:
        row.state = DeliveryState::Uncertain;
        row.reply = QStringLiteral("brak odpowiedzi serwera: %1").arg(outcome.problem);
        return std::nullopt;
    case Kind::NotHandedOver:
        row.state = DeliveryState::NotSent;
        if (row.reply.isEmpty()) row.reply = outcome.problem;
        return QStringLiteral("Połączenie z serwerem poczty zostało przerwane (%1).").arg(outcome.problem);
    case Kind::Fatal:
        row.state = DeliveryState::NotSent;
        return outcome.problem;
    }
    return std::nullopt;
}

void count(MailResult& result, DeliveryState state) {
    switch (state) {
    case DeliveryState::Sent: ++result.sent; break;
    case DeliveryState::Refused: ++result.refused; break;
    case DeliveryState::Uncertain: ++result.uncertain; break;
    case DeliveryState::NotSent: break;
    }
}

void finishCounts(MailResult& result) { result.notSent = result.total - result.sent - result.refused - result.uncertain; }

}  // namespace

struct PreparedMail::State {
    std::optional<QTemporaryDir> folder;
    std::vector<File> files;
};

PreparedMail::PreparedMail() : state_(std::make_unique<State>()) {}
PreparedMail::~PreparedMail() = default;
PreparedMail::PreparedMail(PreparedMail&&) noexcept = default;
PreparedMail& PreparedMail::operator=(PreparedMail&&) noexcept = default;
const std::vector<PreparedMail::File>& PreparedMail::files() const { return state_->files; }

MailPlan PlanMailBatch(const MailBatchRequest& request) {
    if (const QString problem = MailSettingsProblem(request.settings); !problem.isEmpty()) throw MailError(problem);
    if (request.recordPath.isEmpty()) throw MailError(QStringLiteral("Podaj plik zapisu wysyłki."));
    const QString record = QDir::toNativeSeparators(request.recordPath);
    std::vector<DeliveryRow> earlier;
    if (QFileInfo::exists(request.recordPath)) {
        if (!request.resume)
            throw MailError(QStringLiteral("Zapis wysyłki „%1” już istnieje: wysyłka do tych podatników była już zaczęta. "
                                           "Wznów ją (kto ma stan „wysłano”, nie dostanie drugiej wiadomości) "
                                           "albo wybierz inny plik zapisu.")
                                .arg(record));
        try {
            earlier = ReadDeliveryRecord(request.recordPath);
        } catch (const FileError& error) {
            throw MailError(error.message());
        }
    }
    std::map<int, DeliveryRow> rows;
    for (DeliveryRow& row : earlier) rows[row.position] = std::move(row);

    MailPlan plan;
    const QStringList files = TaxpayerPdfFileNames(*request.pdf.taxpayers);
    for (int index = 0; index < static_cast<int>(request.pdf.positions.size()); ++index) {
        const int position = request.pdf.positions[static_cast<std::size_t>(index)];
        const TaxpayerRecord& taxpayer = taxpayerAt(request, index);
        const QString surname = text(taxpayer.nazwisko);
        const QString firstName = text(taxpayer.imie1);
        auto found = rows.find(position);
        if (found != rows.end() && (found->second.surname != surname || found->second.firstName != firstName))
            throw MailError(QStringLiteral("Zapis wysyłki „%1” nie należy do tych danych: jego wiersz Lp %2 to %3 %4, a rekord "
                                           "nr %2 to %5 %6. Nic nie wysłano.")
                                .arg(record)
                                .arg(position)
                                .arg(found->second.surname, found->second.firstName, surname, firstName));
        if (found != rows.end() && found->second.state == DeliveryState::Sent) {
            ++plan.alreadySent;
            continue;
        }
        if (found != rows.end() && found->second.state == DeliveryState::Uncertain && !request.resendUncertain) {
            ++plan.uncertainSkipped;
            continue;
        }
        DeliveryRow& row = rows[position];
        row.position = position;
        row.surname = surname;
        row.firstName = firstName;
        row.address = addressOf(taxpayer);
        row.file = files.at(position - 1);
        plan.toSend.push_back(index);
        if (row.address.isEmpty())
            plan.withoutAddress << QStringLiteral("%1: brak adresu e-mail").arg(TaxpayerLabel(request.pdf, index));
        else if (!IsMailAddress(row.address))
            plan.withoutAddress << QStringLiteral("%1: „%2” nie jest adresem e-mail").arg(TaxpayerLabel(request.pdf, index), row.address);
        if (!IsMailAddress(row.address)) plan.positionsWithoutAddress.push_back(position);
    }
    for (auto& [position, row] : rows) plan.rows.push_back(std::move(row));
    return plan;
}

PreparedMail PrepareMailFiles(const MailBatchRequest& request, const MailPlan& plan, const MailCallbacks& callbacks) {
    PreparedMail prepared;
    if (plan.toSend.empty()) return prepared;
    TaxpayerPdfRequest pdf = request.pdf;
    pdf.positions.clear();
    for (const int index : plan.toSend) pdf.positions.push_back(request.pdf.positions[static_cast<std::size_t>(index)]);
    if (const QStringList withoutSecret = TaxpayersWithoutSecret(pdf); !withoutSecret.isEmpty())
        throw MailError(QStringLiteral("Nie można zabezpieczyć hasłem plików %1 – nie wysłano żadnej wiadomości:\n%2")
                            .arg(taxpayersGenitive(static_cast<int>(withoutSecret.size())), withoutSecret.join(u'\n')));
    // A folder only this user can read, removed with the prepared mail.
    QTemporaryDir& folder = prepared.state_->folder.emplace(QDir(QDir::tempPath()).filePath(QStringLiteral("fiskon-poczta-XXXXXX")));
    if (!folder.isValid())
        throw MailError(QStringLiteral("Nie można utworzyć katalogu tymczasowego na pliki PDF: %1.").arg(folder.errorString()));
    pdf.folder = folder.path();

    const int total = static_cast<int>(pdf.positions.size());
    TaxpayerPdfWriting writing;
    writing.key = request.key;
    writing.visibleSignature = request.visibleSignature;
    writing.findings = [&](int index, const QByteArray& findings) {
        if (!callbacks.finding) return;
        for (const QByteArray& line : findings.split('\n'))
            if (const QString finding = text(line.trimmed().toStdString()); !finding.isEmpty()) callbacks.finding(TaxpayerLabel(pdf, index), finding);
    };
    writing.progress = [&](int done) {
        if (callbacks.progress) callbacks.progress({MailProgress::Phase::Preparing, done, total, {}, DeliveryState::NotSent});
        if (done < total && stopRequested(callbacks)) throw PreparationStopped();
    };
    try {
        WriteTaxpayerPdfs(pdf, writing);
    } catch (const PreparationStopped&) {
        throw MailError(QStringLiteral("Przerwano przygotowanie plików; nie wysłano żadnej wiadomości."));
    } catch (const MailError&) {
        throw;
    } catch (const FileError& error) {
        throw MailError(error.message() + QStringLiteral(" Nie wysłano żadnej wiadomości."));
    } catch (const std::exception& error) {
        throw MailError(QString::fromUtf8(error.what()) + QStringLiteral(" Nie wysłano żadnej wiadomości."));
    }
    const QStringList paths = TaxpayerPdfPaths(pdf);
    for (int k = 0; k < total; ++k) {
        PreparedMail::File file;
        file.index = plan.toSend[static_cast<std::size_t>(k)];
        file.path = paths[k];
        file.name = QFileInfo(file.path).fileName();
        try {
            file.sha256 = sha256Of(readFile(file.path));
        } catch (const FileError& error) {
            throw MailError(error.message() + QStringLiteral(" Nie wysłano żadnej wiadomości."));
        }
        prepared.state_->files.push_back(std::move(file));
    }
    return prepared;
}

MailResult SendMailBatch(const MailBatchRequest& request, const MailPlan& plan, const PreparedMail& prepared,
                         const MailCallbacks& callbacks) {
    MailResult result;
    result.total = static_cast<int>(prepared.files().size());
    result.alreadySent = plan.alreadySent;
    result.uncertainLeft = plan.uncertainSkipped;
    result.recordPath = request.recordPath;
    std::vector<DeliveryRow> rows = plan.rows;
    std::map<int, std::size_t> rowOf;
    for (std::size_t i = 0; i < rows.size(); ++i) rowOf[rows[i].position] = i;
    // Each row's line of the record, made again only when the row changes: a rewrite after each
    // message then costs the writing, not the making of the whole text.
    std::vector<QByteArray> lines;
    lines.reserve(rows.size());
    for (const DeliveryRow& row : rows) lines.push_back(DeliveryRecordLine(row));
    const auto rowChanged = [&](const DeliveryRow& row) {
        lines[static_cast<std::size_t>(&row - rows.data())] = DeliveryRecordLine(row);
    };
    const std::vector<PreparedMail::File>& files = prepared.files();
    // The message to go next, and its row marked "niepewne": the record's write that settles one
    // message also marks the next, so that each message costs one write, and a kill from that write
    // on leaves the next one "niepewne", never "nie wysłano" for a message that may have gone.
    struct Next {
        MailMessage message;
        DeliveryRow* row = nullptr;
        int index = 0;
    };
    const auto prepareNext = [&](std::size_t k) {
        const PreparedMail::File& file = files[k];
        const QByteArray bytes = readFile(file.path);
        Next next{messageFor(request, taxpayerAt(request, file.index), file, bytes),
                  &rows[rowOf.at(request.pdf.positions[static_cast<std::size_t>(file.index)])], file.index};
        DeliveryRow& row = *next.row;
        row.sha256 = sha256Of(bytes);
        row.address = next.message.toAddress;
        row.file = file.name;
        row.messageId = next.message.messageId;
        row.time = now();
        row.reply.clear();
        row.state = DeliveryState::Uncertain;
        rowChanged(row);
        return next;
    };
    std::optional<Next> next;
    if (stopRequested(callbacks)) {
        result.stopReason = QStringLiteral("Przerwano wysyłkę.");
    } else if (!files.empty()) {
        try {
            next = prepareNext(0);
        } catch (const FileError& error) {
            result.stopReason = error.message();
        }
    }
    // Before anything is handed over: a record that cannot be written stops here.
    WriteDeliveryRecordLines(request.recordPath, lines);

    SmtpSession session(request.settings);
    for (std::size_t k = 0; next; ++k) {
        DeliveryRow& row = *next->row;
        bool stopped = false;
        const std::optional<QString> stop =
            settle(row, deliver(session, next->message, request.retry, callbacks, stopped), stopped);
        count(result, row.state);
        rowChanged(row);
        const int index = next->index;
        next.reset();
        if (stop) {
            result.stopReason = *stop;
        } else if (k + 1 < files.size()) {
            if (stopRequested(callbacks)) {
                result.stopReason = QStringLiteral("Przerwano wysyłkę.");
            } else {
                try {
                    next = prepareNext(k + 1);
                } catch (const FileError& error) {
                    result.stopReason = error.message();
                }
            }
        }
        try {
            WriteDeliveryRecordLines(request.recordPath, lines);
        } catch (const FileError& error) {
            result.stopReason = error.message();
            next.reset();
        }
        if (callbacks.progress)
            callbacks.progress({MailProgress::Phase::Sending, static_cast<int>(k + 1), result.total,
                                TaxpayerLabel(request.pdf, index), row.state});
    }
    finishCounts(result);
    return result;
}

MailResult RunMailBatch(const MailBatchRequest& request, const MailCallbacks& callbacks) {
    MailResult result;
    result.recordPath = request.recordPath;
    try {
        const MailPlan plan = PlanMailBatch(request);
        if (!plan.withoutAddress.isEmpty()) {
            result.total = static_cast<int>(plan.toSend.size());
            result.stopReason = WithoutAddressText(plan.withoutAddress);
            finishCounts(result);
            return result;
        }
        const PreparedMail prepared = PrepareMailFiles(request, plan, callbacks);
        return SendMailBatch(request, plan, prepared, callbacks);
    } catch (const MailError& error) {
        result.stopReason = error.message();
    } catch (const FileError& error) {
        result.stopReason = error.message();
    }
    finishCounts(result);
    return result;
}

MailResult SendTestMessage(const MailBatchRequest& request, const MailPlan&, const PreparedMail& prepared,
                           const MailCallbacks& callbacks) {
    MailResult result;
    result.total = 1;
    if (prepared.files().empty()) {
        result.stopReason = QStringLiteral("Nie ma wiadomości do wysłania.");
        finishCounts(result);
        return result;
    }
    const PreparedMail::File& file = prepared.files().front();
    try {
        MailMessage message = messageFor(request, taxpayerAt(request, file.index), file, readFile(file.path));
        message.toAddress = request.settings.senderAddress;
        message.toName = request.settings.senderName;
        SmtpSession session(request.settings);
        bool stopped = false;
        DeliveryRow row;
        const std::optional<QString> stop = settle(row, deliver(session, message, request.retry, callbacks, stopped), stopped);
        count(result, row.state);
        if (stop)
            result.stopReason = *stop;
        else if (row.state != DeliveryState::Sent)
            result.stopReason = row.state == DeliveryState::Uncertain
                                    ? QStringLiteral("Serwer nie odpowiedział na wiadomość (%1).").arg(row.reply)
                                    : QStringLiteral("Serwer nie przyjął wiadomości: %1").arg(row.reply);
        result.testTaxpayer = TaxpayerLabel(request.pdf, file.index);
    } catch (const FileError& error) {
        result.stopReason = error.message();
    }
    finishCounts(result);
    return result;
}

QString MailResultText(const MailResult& result) {
    QStringList lines;
    lines << QStringLiteral("Wysłano %1 z %2 wiadomości.").arg(result.sent).arg(result.total);
    if (result.refused) lines << QStringLiteral("Odrzucone przez serwer: %1.").arg(result.refused);
    if (result.uncertain)
        lines << QStringLiteral("Niepewne (wiadomość przekazana, serwer nie odpowiedział): %1.").arg(result.uncertain);
    if (result.notSent) lines << QStringLiteral("Nie wysłano: %1.").arg(result.notSent);
    if (result.alreadySent) lines << QStringLiteral("Wysłane wcześniej (nie wysłano ich ponownie): %1.").arg(result.alreadySent);
    if (result.uncertainLeft)
        lines << QStringLiteral("Pominięte niepewne z poprzedniej wysyłki: %1.").arg(result.uncertainLeft);
    if (!result.stopReason.isEmpty()) lines << QStringLiteral("Wysyłka zatrzymana: %1").arg(result.stopReason);
    if (!result.recordPath.isEmpty())
        lines << QStringLiteral("Zapis wysyłki: „%1”.").arg(QDir::toNativeSeparators(result.recordPath));
    return lines.join(u'\n');
}

QString TestMessageResultText(const MailResult& result, const MailSettings& settings) {
    if (result.sent == 1)
        return QStringLiteral("Wysłano próbną wiadomość (formularz podatnika %1) na adres „%2”.")
            .arg(result.testTaxpayer, settings.senderAddress);
    return QStringLiteral("Nie wysłano próbnej wiadomości na adres „%1”: %2").arg(settings.senderAddress, result.stopReason);
}

QString WithoutAddressText(const QStringList& withoutAddress, int named) {
    const int count = static_cast<int>(withoutAddress.size());
    QString text = QStringLiteral("Nie wysłano żadnej wiadomości: brak poprawnego adresu e-mail u %1:\n").arg(taxpayersGenitive(count));
    text += withoutAddress.mid(0, named).join(u'\n');
    if (count > named) text += QStringLiteral("\n… i %1 więcej.").arg(count - named);
    return text;
}
