#pragma once

#include <QString>

class ProgramSettings;

// The certificate the files were last signed with, by its nickname in the certificate database
// (never a PIN), kept in the settings file under "SigningCertificate" as percent-encoded UTF-8 so
// that any name comes back exactly; empty: the files were not signed.
QString RememberedSigningCertificate(const ProgramSettings& settings);
// Throws FileError when the settings file cannot be written.
void RememberSigningCertificate(ProgramSettings& settings, const QString& nickname);
