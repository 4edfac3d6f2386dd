#include "foundation/string_utils.h"

#include <cctype>
#include <cstring>

std::string& TrimTrailingBlanks(std::string& text) {
  const std::size_t last = text.find_last_not_of(' ');
  text.erase(last == std::string::npos ? 0 : last + 1);
  return text;
}

char* TrimTrailingBlanks(char* text) {
  std::size_t n = std::strlen(text);
  while (n > 0 && text[n - 1] == ' ') --n;
  text[n] = '\0';
  return text;
}

void RemoveLeadingChars(std::string& text, std::size_t n) { text.erase(0, n); }

void RemoveLeadingChars(char* text, std::size_t n) {
  const std::size_t length = std::strlen(text);
  if (n >= length) {
    text[0] = '\0';
    return;
  }
  std::memmove(text, text + n, length - n + 1);
}

std::string& InsertString(std::string& text, std::string_view prefix) {
  text.insert(0, prefix);
  return text;
}

std::string& ReplaceChar(std::string& text, char from, char to) {
  for (char& c : text) {
    if (c == from) c = to;
  }
  return text;
}

std::string& ReplaceSubstring(std::string& text, std::string_view search,
                              std::string_view replacement) {
  if (search.empty()) return text;
  std::size_t at = text.find(search);
  while (at != std::string::npos) {
    text.replace(at, search.size(), replacement);
    at = text.find(search, at + replacement.size());
  }
  return text;
}

void ReplaceOwnedString(std::optional<std::string>& slot, const char* text) {
  if (text == nullptr) {
    slot.reset();
  } else {
    slot = std::string(text);
  }
}

std::string CopyStringBounded(std::string_view source, std::size_t n) {
  if (n == 0) return std::string();
  std::string out(source.substr(0, n - 1));
  if (const std::size_t nul = out.find('\0'); nul != std::string::npos) out.erase(nul);
  return out;
}

void CopyStringBounded(char* destination, std::size_t destinationSize, const char* source,
                       std::size_t n) {
  if (destinationSize == 0) return;
  const std::size_t limit = std::min(n == 0 ? 0 : n - 1, destinationSize - 1);
  std::size_t i = 0;
  if (source != nullptr) {
    for (; i < limit && source[i] != '\0'; ++i) destination[i] = source[i];
  }
  destination[i] = '\0';
}

void CStringFromField(const char* field, std::size_t width, std::string& out) {
  out.clear();
  if (field == nullptr) return;
  std::size_t n = 0;
  while (n < width && field[n] != '\0') ++n;
  while (n > 0 && std::isspace(static_cast<unsigned char>(field[n - 1]))) --n;
  out.assign(field, n);
}

std::ostream& WriteCStringToStream(std::ostream& stream, const std::string& text) {
  if (!text.empty()) stream.write(text.data(), static_cast<std::streamsize>(text.size()));
  return stream;
}

void GrowIntArray(std::vector<std::int32_t>& array, std::size_t n) {
  array.resize(array.size() + n, 0);
}

bool WildcardMatch(std::string_view text, std::string_view pattern) {
  // Iterative with one back-track point: linear in practice, no recursion depth.
  std::size_t t = 0, p = 0;
  std::size_t starP = std::string_view::npos, starT = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      if (p + 1 == pattern.size()) return true;
      starP = p++;
      starT = t;
    } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == text[t])) {
      ++p;
      ++t;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      t = ++starT;
    } else {
      return false;
    }
  }
  const std::string_view left = pattern.substr(p);
  return left.empty() || left == "*";
}

std::string EscapeNonPrintable(std::string_view text) {
  const auto printable = [](unsigned char c) {
    if (c == '\t') return true;
    if (c < 0x20 || c == 0x7F) return false;
    return c != 0x81 && c != 0x8D && c != 0x8F && c != 0x90 && c != 0x9D;
  };
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (printable(c)) {
      out += ch;
      continue;
    }
    static const char kHex[] = "0123456789ABCDEF";
    out += "\\x";
    out += kHex[c >> 4];
    out += kHex[c & 0xF];
  }
  return out;
}

bool IsPrintableAscii(std::string_view text) {
  for (const char ch : text)
    if (ch < 0x20 || ch > 0x7E) return false;
  return true;
}
