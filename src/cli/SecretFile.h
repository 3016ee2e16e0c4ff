#pragma once

#include <QByteArray>
#include <QString>

// The first line of a file holding a secret (a password or a PIN never stands on the command
// line, where other users of the machine can read it); `what` names the file ("z hasłem", "z
// PIN-em") and `use` what the secret is for. Throws FileError when it cannot be read or holds
// none, and for a file that is no text: a NUL byte would end the secret early for the libraries,
// which take it as a C string, and bytes that are not UTF-8 would become another secret than
// the one the user types.
QByteArray ReadSecretFile(const QString& path, const QString& what, const QString& use);
