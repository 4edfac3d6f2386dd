#pragma once
// How the keys of a table transfer correspond when source and target name
// them differently. A pattern's "*" stands for any run of characters (also
// none) and "?" for one; a pattern holding "..." names a contained part
// instead: the text after its first "...", cut at the next "..." unless that
// one starts it. Text is Windows-1252 bytes; comparisons are case-sensitive.

#include <string>
#include <string_view>

// The contained part of a pattern, or "" when the pattern holds no "...".
std::string ContainedPart(std::string_view pattern);

// Both patterns hold "..." and each text contains its pattern's part at a
// position after its first character.
bool MatchContainedParts(std::string_view firstText, std::string_view firstPattern, std::string_view secondText,
                         std::string_view secondPattern);

// True when the two key texts correspond: each matches its own pattern (an
// empty first pattern matches any first text), the characters under "?" in
// both patterns are equal, and from the first "*" on the rests are equal.
bool MatchKeyPatterns(std::string_view firstText, std::string_view firstPattern, std::string_view secondText,
                      std::string_view secondPattern);

// Replaces the first occurrence of from's contained part in text by to's;
// text becomes "" when either pattern holds no "...", and stays as it is
// when it does not contain the part.
void TranslateContainedPart(std::string& text, std::string_view fromPattern, std::string_view toPattern);

// Rewrites a text that fromPattern matched into the shape of toPattern: the
// from pattern's literals are dropped, the to pattern's literals written, a
// "?" in both copies one character, a "*" in both the rest. An empty result
// becomes the to pattern (or the from pattern when the to pattern is empty).
void TranslateKeyText(std::string& text, std::string_view fromPattern, std::string_view toPattern);
