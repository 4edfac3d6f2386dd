#include "tableio/db/key_patterns.h"

#include "foundation/string_utils.h"

namespace {

constexpr std::string_view kEllipsis = "...";

bool IsWildcard(char c) { return c == '*' || c == '?'; }

}  // namespace

std::string ContainedPart(std::string_view pattern) {
  const std::size_t first = pattern.find(kEllipsis);
  if (first == std::string_view::npos) return {};
  std::string_view part = pattern.substr(first + kEllipsis.size());
  const std::size_t next = part.find(kEllipsis);
  if (next != std::string_view::npos && next > 0) part = part.substr(0, next);
  return std::string(part);
}

bool MatchContainedParts(std::string_view firstText, std::string_view firstPattern, std::string_view secondText,
                         std::string_view secondPattern) {
  if (firstPattern.find(kEllipsis) == std::string_view::npos ||
      secondPattern.find(kEllipsis) == std::string_view::npos)
    return false;
  auto containedAfterStart = [](std::string_view text, const std::string& part) {
    return text.size() > 1 && text.find(part, 1) != std::string_view::npos;
  };
  return containedAfterStart(firstText, ContainedPart(firstPattern)) &&
         containedAfterStart(secondText, ContainedPart(secondPattern));
}

bool MatchKeyPatterns(std::string_view firstText, std::string_view firstPattern, std::string_view secondText,
                      std::string_view secondPattern) {
  if (firstPattern.find(kEllipsis) != std::string_view::npos)
    return MatchContainedParts(firstText, firstPattern, secondText, secondPattern);
  if (!firstPattern.empty() && !WildcardMatch(firstText, firstPattern)) return false;
  if (!WildcardMatch(secondText, secondPattern)) return false;

  std::size_t i1 = 0, j1 = 0, i2 = 0, j2 = 0;
  for (;;) {
    while (i1 < firstPattern.size() && !IsWildcard(firstPattern[i1])) ++i1, ++j1;
    while (i2 < secondPattern.size() && !IsWildcard(secondPattern[i2])) ++i2, ++j2;
    const bool star1 = i1 < firstPattern.size() && firstPattern[i1] == '*';
    const bool star2 = i2 < secondPattern.size() && secondPattern[i2] == '*';
    if (star1 || star2) {
      const std::string_view rest1 = j1 < firstText.size() ? firstText.substr(j1) : std::string_view();
      const std::string_view rest2 = j2 < secondText.size() ? secondText.substr(j2) : std::string_view();
      return rest1 == rest2;
    }
    if (i1 >= firstPattern.size() || i2 >= secondPattern.size())
      return i1 >= firstPattern.size() && i2 >= secondPattern.size();
    // Both patterns stand at "?".
    if (j1 >= firstText.size() || j2 >= secondText.size() || firstText[j1] != secondText[j2]) return false;
    ++i1, ++j1, ++i2, ++j2;
  }
}

void TranslateContainedPart(std::string& text, std::string_view fromPattern, std::string_view toPattern) {
  if (fromPattern.find(kEllipsis) == std::string_view::npos || toPattern.find(kEllipsis) == std::string_view::npos) {
    text.clear();
    return;
  }
  const std::string from = ContainedPart(fromPattern);
  const std::size_t at = from.empty() ? std::string::npos : text.find(from);
  if (at == std::string::npos) return;
  text.replace(at, from.size(), ContainedPart(toPattern));
}

void TranslateKeyText(std::string& text, std::string_view fromPattern, std::string_view toPattern) {
  std::string result;
  if (fromPattern.find(kEllipsis) != std::string_view::npos) {
    result = text;
    TranslateContainedPart(result, fromPattern, toPattern);
  } else if (!fromPattern.empty()) {
    std::size_t i = 0, k = 0, j = 0;
    for (;;) {
      while (i < fromPattern.size() && !IsWildcard(fromPattern[i])) ++i, ++j;
      while (k < toPattern.size() && !IsWildcard(toPattern[k])) result.push_back(toPattern[k++]);
      if (k >= toPattern.size() || j >= text.size()) break;
      if (toPattern[k] == '*') {
        result.append(text, j, std::string::npos);
        break;
      }
      // "?" in the to pattern: one character of the text.
      result.push_back(text[j++]);
      ++k;
      if (i < fromPattern.size() && fromPattern[i] == '?') ++i;
    }
  }
  if (result.empty()) result = std::string(toPattern.empty() ? fromPattern : toPattern);
  text = std::move(result);
}
