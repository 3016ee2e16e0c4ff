#include "mail/SmtpSession.h"

#include "mail/MailHeaders.h"

#include <curl/curl.h>

#include <QStringList>

#include <mutex>

namespace {

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

struct MimeDeleter {
    void operator()(curl_mime* mime) const { curl_mime_free(mime); }
};
using Mime = std::unique_ptr<curl_mime, MimeDeleter>;

void append(Slist& list, const QByteArray& line) {
    curl_slist* longer = curl_slist_append(list.get(), line.constData());
    if (!longer) throw std::bad_alloc();
    list.release();
    list.reset(longer);
}

// The text with CR LF line ends, as mail carries it.
QByteArray mailLines(const QString& text) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    lines.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    if (!lines.endsWith(QStringLiteral("\r\n"))) lines += QStringLiteral("\r\n");
    return lines.toUtf8();
}

}  // namespace

struct SmtpSession::State {
    CURL* curl = nullptr;
    QByteArray url;
    QByteArray caFile;
    QByteArray user;
    QByteArray password;
    QString host;
    char error[CURL_ERROR_SIZE] = {};
    // What the server said during the last transfer: only its replies are kept (never what the
    // program said, which holds the password's AUTH).
    QByteArray lastReply;
    bool dataAccepted = false;  // the server answered DATA with 354: the message went on its way
    // After anything but an accepted message the next one starts on a new connection: an old one
    // may be gone, or in the middle of a transaction the server still holds open.
    bool freshNext = false;

    ~State() {
        if (curl) curl_easy_cleanup(curl);
        password.fill('\0');
    }

    bool quitting = false;      // the program said QUIT: what follows is no reply to the message

    static int debug(CURL*, curl_infotype type, char* data, size_t size, void* self) {
        auto* state = static_cast<State*>(self);
        // Of what the program says only the verb is looked at, never kept.
        if (type == CURLINFO_HEADER_OUT && size >= 4 && qstrnicmp(data, "QUIT", 4) == 0) state->quitting = true;
        if (type != CURLINFO_HEADER_IN || state->quitting) return 0;
        QByteArray line(data, static_cast<qsizetype>(size));
        line = line.trimmed();
        if (line.isEmpty()) return 0;
        state->lastReply = line;
        if (line.startsWith("354")) state->dataAccepted = true;
        return 0;
    }
};

SmtpSession::SmtpSession(const MailSettings& settings) : state_(std::make_unique<State>()) {
    initialiseCurlOnce();
    state_->curl = curl_easy_init();
    if (!state_->curl) throw std::bad_alloc();
    state_->url = MailServerUrl(settings).toUtf8();
    state_->caFile = settings.caFile.toUtf8();
    state_->user = settings.user.toUtf8();
    state_->password = settings.password.utf8();
    state_->password.detach();
    state_->host = settings.server;
    CURL* curl = state_->curl;
    curl_easy_setopt(curl, CURLOPT_URL, state_->url.constData());
    curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!state_->caFile.isEmpty()) curl_easy_setopt(curl, CURLOPT_CAINFO, state_->caFile.constData());
    if (!state_->user.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, state_->user.constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, state_->password.constData());
    }
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, state_->error);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, &State::debug);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, state_.get());
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);  // only for the debug function: it keeps the replies
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 30L);
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, 120L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TCP_KEEPALIVE, 1L);
}

SmtpSession::~SmtpSession() = default;

SmtpSession::Outcome SmtpSession::send(const MailMessage& message, bool freshConnection) {
    CURL* curl = state_->curl;
    const QByteArray from = '<' + message.fromAddress.toUtf8() + '>';
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, from.constData());
    Slist recipients;
    append(recipients, '<' + message.toAddress.toUtf8() + '>');
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients.get());

    Slist headers;
    append(headers, "Date: " + MailDate(message.date));
    append(headers, "From: " + MailboxHeader(message.fromName, message.fromAddress));
    append(headers, "To: " + MailboxHeader(message.toName, message.toAddress));
    append(headers, "Message-ID: " + message.messageId.toLatin1());
    append(headers, "Subject: " + EncodedWords(message.subject));
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get());

    Mime mime(curl_mime_init(curl));
    curl_mimepart* text = curl_mime_addpart(mime.get());
    const QByteArray body = mailLines(message.body);
    curl_mime_data(text, body.constData(), static_cast<size_t>(body.size()));
    curl_mime_type(text, "text/plain; charset=UTF-8");
    curl_mime_encoder(text, "quoted-printable");
    Slist textHeaders;
    append(textHeaders, "Content-Disposition: inline");
    curl_mime_headers(text, textHeaders.release(), 1);

    curl_mimepart* file = curl_mime_addpart(mime.get());
    curl_mime_data(file, message.attachment.constData(), static_cast<size_t>(message.attachment.size()));
    curl_mime_type(file, "application/pdf");
    curl_mime_encoder(file, "base64");
    Slist fileHeaders;
    append(fileHeaders, "Content-Disposition: " + AttachmentDisposition(message.attachmentName));
    curl_mime_headers(file, fileHeaders.release(), 1);
    curl_easy_setopt(curl, CURLOPT_MIMEPOST, mime.get());
    curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, freshConnection || state_->freshNext ? 1L : 0L);

    state_->lastReply.clear();
    state_->dataAccepted = false;
    state_->quitting = false;
    state_->error[0] = '\0';
    const CURLcode code = curl_easy_perform(curl);
    curl_easy_setopt(curl, CURLOPT_MIMEPOST, nullptr);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, nullptr);

    Outcome outcome;
    state_->freshNext = code != CURLE_OK;
    outcome.reply = QString::fromUtf8(state_->lastReply);
    const QString why = QString::fromUtf8(state_->error[0] ? state_->error : curl_easy_strerror(code));
    const int replyCode = state_->lastReply.left(3).toInt();
    using Kind = Outcome::Kind;
    if (code == CURLE_OK) {
        outcome.kind = Kind::Accepted;
        return outcome;
    }
    switch (code) {
    case CURLE_USE_SSL_FAILED:
        outcome.kind = Kind::Fatal;
        outcome.problem = QStringLiteral("Serwer nie obsługuje szyfrowania połączenia; nic nie wysłano.");
        return outcome;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        outcome.kind = Kind::Fatal;
        outcome.problem = QStringLiteral("Nie można nawiązać szyfrowanego połączenia z serwerem poczty „%1”: jego certyfikat "
                                         "nie jest zaufany albo szyfrowanie się nie powiodło (%2). Jeśli serwer ma certyfikat "
                                         "własnego urzędu, wskaż plik tego urzędu.")
                              .arg(state_->host, why);
        return outcome;
    case CURLE_LOGIN_DENIED:
        outcome.kind = Kind::Fatal;
        outcome.problem = QStringLiteral("Serwer poczty odrzucił nazwę użytkownika lub hasło (%1).")
                              .arg(outcome.reply.isEmpty() ? why : outcome.reply);
        return outcome;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
        outcome.kind = Kind::Fatal;
        outcome.problem = QStringLiteral("Nie można połączyć się z serwerem poczty „%1” (%2).").arg(state_->host, why);
        return outcome;
    default:
        break;
    }
    if (replyCode == 530) {  // the server wants a login the settings do not give
        outcome.kind = Kind::Fatal;
        outcome.problem = QStringLiteral("Serwer poczty wymaga zalogowania (%1); podaj nazwę użytkownika i hasło.").arg(outcome.reply);
        return outcome;
    }
    if (replyCode >= 400 && replyCode < 500) {
        outcome.kind = Kind::TemporaryRefusal;
        return outcome;
    }
    if (replyCode >= 500 && replyCode < 600) {
        outcome.kind = Kind::PermanentRefusal;
        return outcome;
    }
    outcome.kind = state_->dataAccepted ? Kind::NoReply : Kind::NotHandedOver;
    outcome.problem = why;
    return outcome;
}
