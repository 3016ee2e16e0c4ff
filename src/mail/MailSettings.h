#pragma once

#include "mail/MailSecret.h"
#include "mail/MailTemplate.h"

#include <QString>

// How the connection to the mail server is secured: always encrypted, either from the first byte
// (smtps://, port 465) or by STARTTLS before anything else is said (smtp://, port 587); a server
// that does not offer STARTTLS is refused before anything is sent.
enum class MailSecurity { Tls, StartTls };

// The sending of a batch of messages: the server and how to reach it, the sender, and the texts.
// Everything but the password is remembered in the settings; the password lives only in memory
// (the desktop's secret store keeps it between runs).
struct MailSettings {
    QString server;  // host name or address
    int port = 0;    // 0: the security's usual port
    MailSecurity security = MailSecurity::StartTls;
    QString caFile;  // PEM file of the authority of an office's own server; empty: the system's store
    QString user;    // empty: no AUTH
    MailSecret password;
    QString senderAddress;  // "kadry@firma.pl"
    QString senderName;     // "Kadry Firma Sp. z o.o."
    QString subjectTemplate = DefaultMailSubject();
    QString bodyTemplate = DefaultMailBody();
};

// 465 for Tls, 587 for StartTls.
int DefaultMailPort(MailSecurity security);

// "smtps://poczta.firma.pl:465", as libcurl takes it.
QString MailServerUrl(const MailSettings& settings);

// Takes "smtps://HOST[:PORT]" or "smtp://HOST[:PORT]" into the server, port and security; returns
// why it cannot (Polish), empty when it could.
QString SetMailServerUrl(MailSettings& settings, const QString& url);

// Whether `address` is one a message can go to: not empty, and accepted by the edit form's check
// of an address (EmailAddressFault).
bool IsMailAddress(const QString& address);

// The first thing that keeps the settings from sending (no server, a port out of range, a sender
// address that is none, a CA file that is not there, a template with an unknown placeholder, a
// user without a password), as a Polish sentence; empty when they can send.
QString MailSettingsProblem(const MailSettings& settings);
