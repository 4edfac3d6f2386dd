#pragma once
// Text inside the system is Windows-1252 bytes; these two convert at the
// boundaries whose format is Unicode (XML, newer workbooks, database text).

#include <cstdint>
#include <string>
#include <string_view>

namespace plat {

// Every byte maps to one code point; the five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the same code point, so no
// byte is lost on a round trip.
std::string Cp1252ToUtf8(std::string_view text);
// The same, appended to out (plain ASCII is copied as it stands).
void AppendCp1252AsUtf8(std::string& out, std::string_view text);

// A character outside the code page, or a malformed UTF-8 sequence, becomes "?".
std::string Utf8ToCp1252(std::string_view text);

// The Windows-1252 byte of one code point, or '?' when the code page has none.
char CodePointToCp1252(std::uint32_t codePoint);

// Appends the UTF-8 form of one code point.
void AppendUtf8(std::string& out, std::uint32_t codePoint);

// The code point of one Windows-1252 byte.
std::uint32_t Cp1252ToCodePoint(unsigned char byte);

// The text as a log line may quote it: every byte outside printable ASCII
// (0x20 to 0x7E) as "\xNN" with two upper-case hex digits and a backslash as
// "\\", so bytes from outside show what they were and carry no line break,
// control sequence or look-alike of an escape.
std::string EscapeNonPrintable(std::string_view text);

}  // namespace plat
