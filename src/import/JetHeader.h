#pragma once

// The header page of a Jet 4 (Access 2000-2003) database and its database password. Plain C++
// only: the database reader helper compiles this file too.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace jet {

inline constexpr std::size_t kPageSize = 4096;

enum class HeaderKind { Jet4, OtherVersion, NotJet };

// Looks at the first bytes of a file: the Jet signature and the version byte.
HeaderKind ClassifyHeader(std::string_view firstBytes);

// The password stored in a Jet 4 header page (at least 4096 bytes), as UTF-16 code units; empty
// when the database has none.
std::u16string StoredPassword(std::string_view headerPage);

// UTF-8 to UTF-16; std::nullopt for text that is not valid UTF-8.
std::optional<std::u16string> Utf8ToUtf16(std::string_view text);

// True when the password typed (UTF-8) opens a database with this header page: exact and
// case-sensitive, as the database engine compares it; any password opens one that has none.
bool PasswordMatches(std::string_view headerPage, std::string_view typedUtf8);

}  // namespace jet
