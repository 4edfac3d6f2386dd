#pragma once
// Pieces of the alternate and material-balance builders that stand on their
// own: the alternate pairs as the builder takes them, and the safe filling
// of a warning format with its typed arguments.

#include <cstddef>
#include <string>
#include <utility>
#include <variant>
#include <vector>

class CDbCase;
class CDbModel;

namespace fill {

// (alternate name, base name) pairs in record order.
using CAlternatePairs = std::vector<std::pair<std::string, std::string>>;

void BuildAlternatesOf(CDbModel& model, const CAlternatePairs& streamPairs, const CAlternatePairs& utilityPairs,
                       CDbCase& dbCase);

// Fills a printf-style format from typed arguments in order: %s takes a text,
// the floating conversions (f F e E g G, with flags, width and precision)
// take a number. A conversion whose argument is missing or of the other kind
// stays as it is written. The result is cut to bufferSize - 1 characters.
using CFormatArg = std::variant<std::string, double>;
std::string FormatTypedText(const std::string& format, const std::vector<CFormatArg>& args, std::size_t bufferSize);

}  // namespace fill
