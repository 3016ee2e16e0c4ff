#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

// The NSS certificate database the program signs from: the one desktop programs share
// (~/.pki/nssdb, where browsers and PDF readers keep certificates and where card modules are
// registered with modutil), or another the user names. NSS has one database per process, so it
// is opened once and finished once, before the process ends: a card module's own destructors may
// run before NSS's at exit, and a module finished that late can crash the program after its work.
//
// NSS never asks for a PIN or a password by itself here: the program asks, once, and logs in
// itself, so that a wrong PIN is never tried again on a card that locks after a few.

// A certificate with its private key beside it (in the database or on a card).
struct SigningCertificate {
    QString nickname;   // the database's name for it, "token:label" on a card; --sign takes it
    QString subject;    // the holder's common name
    QString issuer;     // the issuer's common name
    QDateTime validFrom;  // UTC
    QDateTime validTo;    // UTC
    QString token;      // the card (token) holding it; empty: the database itself
    QString unusable;   // why it cannot sign ("certyfikat wygasł 2026-01-31"); empty: it can

    bool onCard() const { return !token.isEmpty(); }
    bool usable() const { return unusable.isEmpty(); }
};

// Asks for a secret: the PIN of the card holding `certificate` (or the database's password),
// typed by the user or read from a file; nothing when the user gives up. The caller's bytes are
// cleared once used.
using SecretSource = std::function<std::optional<QByteArray>(const SigningCertificate& certificate)>;

// The user's own database, ~/.pki/nssdb.
QString DefaultCertificateDatabase();

// The database the windowed program signs from: the folder named by the environment variable
// FISKON_NSS_DB, else the user's own.
QString ProgramCertificateDatabase();

// Opens the database in `folder` (made, with its folder, when `folder` is the user's own and
// has none yet) for the rest of the process; opening the one already open does nothing. Throws
// SigningError when it cannot be opened or another one is open.
void OpenCertificateDatabase(const QString& folder);

// The folder of the database open; empty when none is.
QString OpenCertificateDatabaseFolder();

// Every certificate of the open database and its cards that has a key, the usable ones judged at
// `now`; by holder, then by the end of validity, the latest first.
std::vector<SigningCertificate> SigningCertificates(const QDateTime& now = QDateTime::currentDateTimeUtc());

// The certificate `nickname` as SigningCertificates describes it; nothing when there is none.
std::optional<SigningCertificate> FindSigningCertificate(const QString& nickname,
                                                         const QDateTime& now = QDateTime::currentDateTimeUtc());

// Why a certificate valid from `from` to `to` whose key usage is `keyUsage` (the bits of X.509,
// none: the extension is absent and the key may do anything) cannot sign at `now`; empty when it can.
QString SigningUnusableReason(const QDateTime& from, const QDateTime& to, std::optional<unsigned> keyUsage,
                              const QDateTime& now);

// Adds the certificates and the key of a PKCS#12 file (.p12, .pfx) to the open database's own
// store, the file's password used once and cleared. `databasePassword` is asked only when the
// database is protected by one. Returns the nickname the signing certificate got. Throws
// SigningError (a wrong password, a file that is no PKCS#12, no key in it).
QString AddPkcs12File(const QString& path, QByteArray password, const SecretSource& databasePassword);

// Logs out of every card the program logged in to and finishes with the database and its card
// modules. Call before the process ends. False when no database was open (nothing to do).
bool FinishCertificateDatabase();
