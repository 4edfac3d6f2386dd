#pragma once
// Small edits of character strings. Text is Windows-1252 bytes, one byte a
// character.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

// Removes trailing blanks (0x20 only; a tab stays). Returns the string.
std::string& TrimTrailingBlanks(std::string& text);
// In place on a NUL-terminated buffer.
char* TrimTrailingBlanks(char* text);

// Removes the first n characters; empties the text when n >= its length.
void RemoveLeadingChars(std::string& text, std::size_t n);
void RemoveLeadingChars(char* text, std::size_t n);

// Puts prefix in front of the text.
std::string& InsertString(std::string& text, std::string_view prefix);

// Replaces every from by to.
std::string& ReplaceChar(std::string& text, char from, char to);

// Replaces every occurrence of search, left to right, going on after each
// inserted replacement; an empty search leaves the text unchanged.
std::string& ReplaceSubstring(std::string& text, std::string_view search,
                              std::string_view replacement);

// Replaces the text held in slot by a copy of text, or by nothing when text is null.
void ReplaceOwnedString(std::optional<std::string>& slot, const char* text);

// At most n - 1 characters of source (fewer at a NUL): "abcdef" with n 4 is "abc".
std::string CopyStringBounded(std::string_view source, std::size_t n);
// The same into a buffer of destinationSize bytes; the result is cut to fit and
// always terminated (nothing is written when destinationSize is 0).
void CopyStringBounded(char* destination, std::size_t destinationSize, const char* source,
                       std::size_t n);

// A fixed-width character field as text: up to its first NUL or width
// characters, trailing white space removed; a null field is empty.
void CStringFromField(const char* field, std::size_t width, std::string& out);

// Writes the text (nothing for an empty one); returns the stream.
std::ostream& WriteCStringToStream(std::ostream& stream, const std::string& text);

// Appends n zeros to the array.
void GrowIntArray(std::vector<std::int32_t>& array, std::size_t n);

// The text with every byte that prints nothing written as "\xNN" (two upper-case
// hex digits): control characters but the tab, DEL and the five bytes
// Windows-1252 leaves undefined. For log lines that quote input.
std::string EscapeNonPrintable(std::string_view text);

// True when every byte is a printable ASCII character (0x20-0x7E), as in the
// names the solver side writes into its files; a damaged name fails it.
bool IsPrintableAscii(std::string_view text);

// Case-sensitive match with "?" (one character) and "*" (any run, also none).
// The empty pattern matches only the empty text; "*" matches every text.
bool WildcardMatch(std::string_view text, std::string_view pattern);
