#pragma once

#include "formvel/TaxpayerPdfBatch.h"
#include "mail/DeliveryRecord.h"
#include "mail/MailSettings.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

class SigningKey;

// Sending each chosen taxpayer's form by mail, as "Plik → Wyślij PIT-y e-mailem…" and fiskon-cli
// mail do it. Three steps, each callable on a worker thread (no widgets):
//   1. PlanMailBatch: who is sent what, from the register and the delivery record (resuming), and
//      who has no address — a batch with one such taxpayer sends nothing;
//   2. PrepareMailFiles: every file made and checked, before the first message, as "Zapisz PDF dla
//      każdego podatnika" makes them (the same names, protection and signature);
//   3. SendMailBatch: one message per taxpayer over one connection, the record rewritten after each.
// SendTestMessage sends the first taxpayer's message to the sender's own address instead.

// What stops a batch, as a Polish sentence ready for the program's message.
class MailError : public std::runtime_error {
public:
    explicit MailError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromUtf8(what()); }
};

// How a temporary refusal (4xx) is tried again: `retries` more times, waiting `firstWaitMs` and
// then twice as long each time. Tests make the waits short.
struct MailRetry {
    int retries = 3;
    int firstWaitMs = 15000;
};

struct MailBatchRequest {
    // The forms, their protection and the register, as for the per-taxpayer PDFs; `pdf.folder` is
    // not used (the files are made in a private folder of their own and removed after the batch).
    TaxpayerPdfRequest pdf;
    const SigningKey* key = nullptr;  // sign every file; must outlive the batch
    bool visibleSignature = false;
    MailSettings settings;
    QString recordPath;  // the delivery record (.csv)
    // An existing record is resumed only when asked: the taxpayers it says "wysłano" are not sent
    // again, nor those it says "niepewne" unless `resendUncertain`. Without `resume` an existing
    // record stops the batch, so that nobody gets a second message unasked.
    bool resume = false;
    bool resendUncertain = false;
    MailRetry retry;
};

// What the batch will do.
struct MailPlan {
    std::vector<int> toSend;  // indices into request.pdf.positions, in order
    QStringList withoutAddress;  // "2 NOWAK ANNA" for each chosen taxpayer with no (usable) address
    std::vector<int> positionsWithoutAddress;  // their record numbers, in the same order
    int alreadySent = 0;         // rows of the record "wysłano", not sent again
    int uncertainSkipped = 0;    // rows "niepewne" left alone (no resendUncertain)
    std::vector<DeliveryRow> rows;  // the record as the batch starts it: every chosen taxpayer
};

// Reads the record (when resuming) and decides. Throws MailError: a record that exists without
// `resume`, one that cannot be read or does not belong to these taxpayers; settings that cannot
// send (MailSettingsProblem).
MailPlan PlanMailBatch(const MailBatchRequest& request);

// Where a batch is: making the files, then sending; `done` of `total`, and for sending the
// taxpayer just finished and what became of the message.
struct MailProgress {
    enum class Phase { Preparing, Sending } phase = Phase::Preparing;
    int done = 0;
    int total = 0;
    QString taxpayer;  // "2 NOWAK ANNA" (Sending)
    DeliveryState state = DeliveryState::NotSent;  // (Sending)
};

struct MailCallbacks {
    // Called on the batch's thread; optional.
    std::function<void(const MailProgress& progress)> progress;
    // The findings of the forms program about a taxpayer's form ("2 NOWAK ANNA", a finding): they do
    // not stop the batch. Optional.
    std::function<void(const QString& taxpayer, const QString& finding)> finding;
    // The user's "Przerwij": looked at between files and between messages (and during waits).
    const std::atomic_bool* stop = nullptr;
};

// The files of the taxpayers the plan sends to, made and checked before any message.
class PreparedMail {
public:
    PreparedMail();
    ~PreparedMail();  // removes the private folder and its files
    PreparedMail(PreparedMail&&) noexcept;
    PreparedMail& operator=(PreparedMail&&) noexcept;

    struct File {
        int index = 0;    // into request.pdf.positions
        QString path;     // in the private folder
        QString name;     // "007_NOWAK_ANNA.pdf", as the per-taxpayer batch names it
        QString sha256;   // lowercase hex
    };
    const std::vector<File>& files() const;

private:
    friend PreparedMail PrepareMailFiles(const MailBatchRequest&, const MailPlan&, const MailCallbacks&);
    struct State;
    std::unique_ptr<State> state_;
};

// Makes the plan's files. Throws MailError for whatever stops it (a file that cannot be locked, a
// form that cannot be made, the signature, the disk, the user's "Przerwij"); nothing is sent then.
PreparedMail PrepareMailFiles(const MailBatchRequest& request, const MailPlan& plan, const MailCallbacks& callbacks);

// What a batch came to.
struct MailResult {
    int total = 0;  // messages the batch was to send (without those sent before)
    int sent = 0;
    int refused = 0;
    int uncertain = 0;
    int notSent = 0;
    int alreadySent = 0;    // from the record, not sent again
    int uncertainLeft = 0;  // "niepewne" in the record, left alone (not asked to send them again)
    QString recordPath;
    QString testTaxpayer;  // SendTestMessage: whose message went to the sender
    QString stopReason;  // why the batch stopped before its end (Polish); empty when it did not
    // Every message of the batch accepted, none left uncertain.
    bool complete() const { return stopReason.isEmpty() && sent == total && uncertainLeft == 0; }
};

// Sends the prepared messages, writing the record before each (its row "niepewne") and after each.
// Does not throw for what the server or the network does: that is in the result; throws FileError
// when the record cannot be written before the first message.
MailResult SendMailBatch(const MailBatchRequest& request, const MailPlan& plan, const PreparedMail& files,
                         const MailCallbacks& callbacks);

// Plan, files and sending in one, for a caller that needs no step apart: a taxpayer without an
// address stops it with nothing sent (the stop reason names them).
MailResult RunMailBatch(const MailBatchRequest& request, const MailCallbacks& callbacks);

// "Wyślij próbną wiadomość": the first planned taxpayer's message, with its file, to the sender's
// own address; the record is neither read nor written. The result counts one message.
MailResult SendTestMessage(const MailBatchRequest& request, const MailPlan& plan, const PreparedMail& files,
                           const MailCallbacks& callbacks);

// The texts the program shows about a batch.
// "Wysłano N z M wiadomości." with, when some were not accepted, how many of each, and the
// record's place: "Zapis wysyłki: „…”."
QString MailResultText(const MailResult& result);
// "Wysłano próbną wiadomość (formularz podatnika 1 NOWAK ANNA) na adres „kadry@firma.pl”." or
// why it was not sent.
QString TestMessageResultText(const MailResult& result, const MailSettings& settings);
// "Nie wysłano żadnej wiadomości: N podatników nie ma adresu e-mail:" and the names (at most
// `named`, the rest counted).
QString WithoutAddressText(const QStringList& withoutAddress, int named = 15);
