#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>

// The mail server's password in the desktop's secret store (the Secret Service of GNOME or KDE,
// through QtKeychain), one entry per server and user; never in the settings file. The store's
// jobs run on the caller's thread in a local event loop that ends after `timeout` at the latest,
// so a store that never answers (no session bus, a locked keyring whose prompt is not answered)
// costs that long and no more: it reads as "no store", and the caller asks for the password.
class MailPasswordStore {
public:
    enum class Answer {
        Done,      // read (the password in `password`), written or forgotten
        NotFound,  // the store answers but holds no password for this server and user
        NoStore,   // no secret store answered; the reason is in `reason`
    };
    struct Result {
        Answer answer = Answer::NoStore;
        QByteArray password;  // UTF-8; the caller overwrites it once used
        QString reason;       // Polish, for NoStore
    };

    explicit MailPasswordStore(std::chrono::milliseconds timeout = std::chrono::seconds(30)) : timeout_(timeout) {}

    Result read(const QString& server, const QString& user) const;
    Result write(const QString& server, const QString& user, const QByteArray& password) const;
    // Forgetting a password the store does not hold is Done as well.
    Result forget(const QString& server, const QString& user) const;

private:
    std::chrono::milliseconds timeout_;
};
