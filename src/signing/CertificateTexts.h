#pragma once

#include "signing/CertificateDatabase.h"

#include <QString>

// How the program names a certificate to the user when it is to be chosen: "Jan Kowalski, na
// karcie „Karta ABC”, ważny do 2027-03-31, wystawca: Centrum Kwalifikowane" ("w bazie
// certyfikatów" for a key in the database); one that cannot sign says why after the holder
// ("Jan Kowalski – nie można podpisywać: certyfikat wygasł 2021-01-01; w bazie certyfikatów, …").
QString CertificateChoiceText(const SigningCertificate& certificate);

// What the user is asked for to unlock the key of `certificate`: the PIN of its card, or the
// password of the certificate database that holds the key.
QString CertificateSecretQuestion(const SigningCertificate& certificate);
