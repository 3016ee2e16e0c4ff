#pragma once

#include "cli/FormArguments.h"
#include "forms/PdfPasswords.h"
#include "signing/SigningKey.h"

#include <QByteArray>
#include <QString>

#include <memory>

// The protection and signature options of the commands that make each taxpayer's PDF (pdf, mail).

struct PdfSecurity {
    PdfProtection protection = PdfProtection::None;
    QByteArray onePassword;  // of --password-file (UTF-8)
};

// --password pesel|nip or --password-file FILE (read here), and the options of --sign checked
// against each other. Throws UsageError, or FileError for a password file that cannot be read.
PdfSecurity ParsePdfSecurity(const FormRequest& request);

// The key of --sign, its card unlocked with the PIN of --pin-file (read only when the card asks
// for one). Throws SigningError, FileError or UsageError.
std::unique_ptr<SigningKey> UnlockSigningKey(const FormRequest& request);
