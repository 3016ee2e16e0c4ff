#pragma once

// What the signing files share about NSS: one place that knows its state in this process.

#include "signing/CertificateDatabase.h"

#include <cert.h>
#include <pk11pub.h>

#include <QDateTime>
#include <QString>

namespace nss_support {

// The password callback of the program: it never gives one, so NSS never logs in by itself (and
// never retries a wrong PIN); the program logs in with PK11_CheckUserPassword, once.
char* NoPassword(PK11SlotInfo* slot, PRBool retry, void* argument);

// Throws SigningError when no database is open.
void RequireOpen();

// The certificate as the lists show it, judged at `now`.
SigningCertificate Describe(CERTCertificate* certificate, const QDateTime& now);

// Remembers a slot the program logged in to, to log out of it at the end.
void RememberLogin(PK11SlotInfo* slot);

// The last NSS error in Polish where the program knows it, else NSS's own text with its code.
QString LastErrorText();

}  // namespace nss_support
