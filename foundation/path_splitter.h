#pragma once
// Splits a text into the stretches that end at a separator; the text after
// the last separator is not collected.

#include <cstddef>
#include <string>
#include <vector>

class CPathSplitter {
 public:
  CPathSplitter(const std::string& text, char separator);

  char GetSeparator() const { return m_cSeparator; }
  int GetSeparatorCount() const { return m_nSeparators; }
  int GetCount() const { return static_cast<int>(m_parts.size()); }
  // The part at index (without its separator); throws std::out_of_range.
  const std::string& GetPart(int index) const;

 private:
  char m_cSeparator;
  int m_nSeparators = 0;
  std::vector<std::string> m_parts;
};
