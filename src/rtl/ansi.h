// The program's 8-bit text is Windows-1252; these convert it at the user-interface boundary.
#pragma once

#include <string>
#include <string_view>

namespace rtl {

// Windows-1252 bytes to UTF-8. The five bytes the code page leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) pass through as the C1 controls of the same value.
std::string AnsiToUtf8(std::string_view ansi);

// UTF-8 to Windows-1252. A character the code page cannot hold, and a malformed UTF-8
// sequence, become "?".
std::string Utf8ToAnsi(std::string_view utf8);

// One code point to its Windows-1252 byte; false when the code page has no such character.
bool CodePointToAnsi(char32_t cp, char& out);
// The code point of one Windows-1252 byte.
char32_t AnsiToCodePoint(unsigned char byte);

// One code point appended to `out` in UTF-8.
void AppendUtf8(std::string& out, char32_t cp);
// Decodes the UTF-8 sequence at `pos`, moving `pos` past it; false for a malformed sequence
// (`pos` has then moved past at least one byte).
bool NextCodePoint(std::string_view s, std::size_t& pos, char32_t& cp);

// Upper and lower case of Windows-1252 letters, accented ones included.
char AnsiUpper(char c);
char AnsiLower(char c);
std::string AnsiUpperCase(std::string_view text);
std::string AnsiLowerCase(std::string_view text);

}  // namespace rtl
