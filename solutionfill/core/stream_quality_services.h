#pragma once
// Helpers the stream and blend quality builders share: text slices by
// position, the not-set test of a quality value, and the model's list of
// recursed quality row names.

#include <string>
#include <vector>

class CVornModelFile;

namespace sq {

// count characters from pos, fewer at the end of text, "" past it.
std::string Mid(const std::string& text, std::size_t pos, std::size_t count);
// Blanks removed on both sides.
std::string Trim(const std::string& text);
std::string Upper(const std::string& text);
// Neither plus nor minus 1e30, as a double or rounded to a float.
bool IsSet(double value);

}  // namespace sq

// The recursed quality row names of a model's table index (the first name of
// each pair of that section), as the table-index reader leaves them; empty
// until it fills them.
std::vector<std::string>& RecursedQualityRowNames(CVornModelFile& model);
