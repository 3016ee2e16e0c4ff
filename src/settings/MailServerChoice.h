#pragma once

#include <QString>

class ProgramSettings;

// What the mail window remembers between runs: the server, how it is reached, who logs in and who
// sends, the CA file of an office's own server and the message's template. Never the password,
// which only the desktop's secret store keeps. An empty subject or text stands for the program's
// default one.
struct MailServerChoice {
    QString server;
    int port = 0;          // 0: the usual port of the way the server is reached
    bool startTls = true;  // a plain connection turned to TLS by STARTTLS; false: TLS from the first byte (smtps)
    QString user;
    QString senderAddress;
    QString senderName;
    QString caFile;
    QString subject;
    QString body;
};

// The choice kept in the settings file's "MainSettings" under keys beginning with "Mail", each
// text percent-encoded UTF-8 so that any text (line breaks, semicolons, Polish letters) comes back
// exactly; what is missing or unreadable reads as the defaults. Throws FileError when the file is
// there but cannot be read.
MailServerChoice RememberedMailServerChoice(const ProgramSettings& settings);
// Writes the file only when something changed; throws FileError when it cannot be written.
void RememberMailServerChoice(ProgramSettings& settings, const MailServerChoice& choice);
