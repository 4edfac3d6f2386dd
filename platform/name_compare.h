#pragma once
// Names compared without regard to the case of ASCII letters, and the lookup
// of a name in a list that prefers the exact spelling to another case.

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <string>
#include <string_view>

namespace plat {

inline bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
         });
}

inline bool EqualNoCase(std::string_view a, std::string_view b) { return a.size() == b.size() && StartsWithNoCase(a, b); }

// The index of the first item whose name (nameOf(item)) is name as spelled,
// else of the first whose name differs only in case; npos when there is none.
template <class Items, class NameOf>
std::size_t FindName(const Items& items, std::string_view name, NameOf nameOf) {
  for (std::size_t i = 0; i < items.size(); ++i)
    if (std::string_view(nameOf(items[i])) == name) return i;
  for (std::size_t i = 0; i < items.size(); ++i)
    if (EqualNoCase(nameOf(items[i]), name)) return i;
  return std::string::npos;
}

}  // namespace plat
