#pragma once

#include "mail/MailMessage.h"
#include "mail/MailSettings.h"

#include <QString>

#include <memory>

// One connection to the mail server for a batch, through libcurl's SMTP and MIME: encrypted always
// (smtps://, or STARTTLS required before anything else), the server's certificate verified against
// the system's store or the settings' CA file, AUTH with the user's name and password. The
// connection stays open between messages; when the server has dropped it, the next message opens
// a new one.
class SmtpSession {
public:
    explicit SmtpSession(const MailSettings& settings);
    ~SmtpSession();
    SmtpSession(const SmtpSession&) = delete;
    SmtpSession& operator=(const SmtpSession&) = delete;

    struct Outcome {
        enum class Kind {
            Accepted,           // the server took the message (reply 250)
            TemporaryRefusal,   // 4xx: try again later
            PermanentRefusal,   // 5xx for this message or recipient
            NoReply,            // the message was handed over, but no reply to it came
            NotHandedOver,      // the connection failed before the message was handed over
            Fatal,              // the batch cannot go on: encryption, certificate, login
        } kind = Kind::NotHandedOver;
        QString reply;    // the server's last reply ("250 2.0.0 Ok: queued as …")
        QString problem;  // for NoReply, NotHandedOver and Fatal: why, in Polish
    };

    // Hands the message over; `freshConnection` opens a new connection first.
    Outcome send(const MailMessage& message, bool freshConnection = false);

private:
    struct State;
    std::unique_ptr<State> state_;
};
