#include "foundation/path_splitter.h"

#include <stdexcept>

CPathSplitter::CPathSplitter(const std::string& text, char separator) : m_cSeparator(separator) {
  std::size_t from = 0;
  for (std::size_t at = text.find(separator); at != std::string::npos;
       at = text.find(separator, from)) {
    ++m_nSeparators;
    m_parts.push_back(text.substr(from, at - from));
    from = at + 1;
  }
}

const std::string& CPathSplitter::GetPart(int index) const {
  if (index < 0 || index >= GetCount()) throw std::out_of_range("CPathSplitter part index");
  return m_parts[static_cast<std::size_t>(index)];
}
