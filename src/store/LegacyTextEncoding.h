#pragma once

#include <string>
#include <string_view>

// The program's files are code page 1250. A file edited or produced elsewhere is often UTF-8
// instead; read as code page 1250 its Polish letters would turn into pairs of wrong characters.
// A text that starts with a UTF-8 byte order mark, or that is valid UTF-8 and holds at least one
// multi-byte sequence, is therefore taken as UTF-8 and converted to code page 1250 ("?" for a
// character the code page lacks). Any other text (plain ASCII or genuine code page 1250, which is
// practically never valid UTF-8 once it holds Polish letters) is returned unchanged.
std::string ToCp1250FromFileText(std::string bytes);

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or values beyond
// U+10FFFF); `multiByte` tells whether any sequence longer than one byte was seen.
bool IsValidUtf8(std::string_view bytes, bool* multiByte = nullptr);
