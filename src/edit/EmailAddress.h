#pragma once

#include <QString>

// The longest e-mail address mail allows, in bytes of UTF-8; the record keeps as many.
inline constexpr int kEmailAddressMaxBytes = 254;

// Why `address` cannot be a taxpayer's e-mail address, as a Polish phrase to follow a colon
// ("brak znaku „@”"); empty when it can. The address must be one name, "@" and a domain with a
// dot, without spaces or control characters, of letters (Polish and other), digits and the
// marks mail allows, at most 254 bytes of UTF-8, and every character one that code page 1250 (in
// which the data file keeps it) can hold. An empty text has no fault: it means no address.
QString EmailAddressFault(const QString& address);
