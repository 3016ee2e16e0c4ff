#pragma once

#include <string>
#include <string_view>

// The program's files are code page 1250. A file edited or produced elsewhere is often UTF-8
// instead; read as code page 1250 its Polish letters would turn into pairs of wrong characters.
// But code page 1250 text can form valid UTF-8 by chance: "ÓŁ" (D3 A3) is the UTF-8 of a Cyrillic
// letter. A text is therefore read as UTF-8 only when that reading is certain (IsCertainlyUtf8)
// and converted to code page 1250 ("?" for a character the code page lacks, possible only after a
// byte order mark). Any other text is returned unchanged: read as code page 1250, its bytes
// survive the next save whatever they were meant to be.
std::string ToCp1250FromFileText(std::string bytes);

// True when the text starts with a UTF-8 byte order mark, or is valid UTF-8 holding at least one
// multi-byte sequence, every character it decodes to exists in code page 1250, and every byte of
// it that is a Polish letter in code page 1250 belongs to the UTF-8 form of a Polish letter.
bool IsCertainlyUtf8(std::string_view bytes);

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or values beyond
// U+10FFFF); `multiByte` tells whether any sequence longer than one byte was seen.
bool IsValidUtf8(std::string_view bytes, bool* multiByte = nullptr);
