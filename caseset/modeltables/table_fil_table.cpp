#include "caseset/modeltables/table_fil_table.h"

#include <algorithm>

namespace {

int FindName(const std::vector<std::string>& names, const std::string& name) {
  const auto it = std::find(names.begin(), names.end(), name);
  return it == names.end() ? -1 : static_cast<int>(it - names.begin());
}

}  // namespace

void CTableFilTable::Reset(const std::string& name) {
  m_strName = name;
  m_aRowNames.clear();
  m_aColumnNames.clear();
  m_aRowTexts.clear();
  m_aCells.clear();
  m_aCells.shrink_to_fit();
}

int CTableFilTable::FindRow(const std::string& name) const { return FindName(m_aRowNames, name); }

int CTableFilTable::FindColumn(const std::string& name) const { return FindName(m_aColumnNames, name); }

bool CTableFilTable::GetValue(int index, float& value) const {
  value = kBlankCell;
  if (index < 0 || static_cast<std::size_t>(index) >= m_aCells.size()) return true;
  value = m_aCells[static_cast<std::size_t>(index)];
  return value == kBlankCell;
}

bool CTableFilTable::IsBlank(int index) const {
  float value;
  return GetValue(index, value);
}

bool CTableFilTable::GetCell(int row, int column, float& value) const {
  value = kBlankCell;
  const int columns = GetColumnCount();
  if (row < 0 || column < 0 || column >= columns || row >= GetRowCount()) return false;
  const long long index = static_cast<long long>(row) * columns + column;
  if (index >= GetCellCount()) return false;
  return !GetValue(static_cast<int>(index), value);
}

std::string CTableFilTable::GetRowText(int row, std::size_t width) const {
  if (row < 0 || static_cast<std::size_t>(row) >= m_aRowTexts.size()) return std::string();
  return m_aRowTexts[static_cast<std::size_t>(row)].substr(0, width);
}

bool CTableFilTable::FindOrAddRow(const std::string& name, const std::string& text, int& index) {
  index = FindRow(name);
  if (index >= 0) return true;
  index = GetRowCount();
  m_aRowNames.push_back(name);
  m_aRowTexts.push_back(text);
  // After a column was added to a table without rows the array may already
  // hold cells for the new row; they are set blank like the rest of it.
  const std::size_t first = static_cast<std::size_t>(index) * m_aColumnNames.size();
  m_aCells.resize(m_aRowNames.size() * m_aColumnNames.size(), kBlankCell);
  std::fill(m_aCells.begin() + static_cast<std::ptrdiff_t>(first), m_aCells.end(), kBlankCell);
  return true;
}

bool CTableFilTable::AddColumn(const std::string& name) {
  const std::size_t rows = m_aRowNames.size();
  const std::size_t columns = m_aColumnNames.size();
  m_aCells.resize(rows == 0 ? columns + 1 : rows * (columns + 1), kBlankCell);
  for (std::size_t k = rows; k-- > 1;) {
    for (std::size_t j = columns; j-- > 0;) m_aCells[k * (columns + 1) + j] = m_aCells[k * columns + j];
    m_aCells[k * (columns + 1) + columns] = kBlankCell;
  }
  m_aCells[columns] = kBlankCell;
  m_aColumnNames.push_back(name);
  return true;
}

bool CTableFilTable::MapColumns(const std::vector<std::string>& items, const std::string& prefix,
                                std::map<std::string, int>& map, bool itemColumnIsDefault) const {
  int defaultColumn = FindColumn(prefix);
  const bool bare = defaultColumn >= 0;
  if (bare) map.emplace(std::string(), defaultColumn);
  for (const std::string& item : items) {
    if (item.empty()) continue;
    const int column = FindColumn(prefix + item);
    if (column >= 0) {
      map.emplace(item, column);
      if (itemColumnIsDefault && defaultColumn < 0) {
        defaultColumn = column;
        map.emplace(std::string(), column);
      }
    } else if (bare) {
      map.emplace(item, defaultColumn);
    }
  }
  return defaultColumn >= 0;
}

bool CTableFilTable::MapColumnsByPrefix(const std::vector<std::string>& items, const std::string& prefix,
                                        std::map<std::string, int>& map) const {
  return MapColumns(items, prefix, map, true);
}

bool CTableFilTable::MapColumnsByPrefixEx(const std::vector<std::string>& items, const std::string& prefix,
                                          std::map<std::string, int>& map) const {
  return MapColumns(items, prefix, map, false);
}

bool CTableFilTable::MapRowsByPrefix(const std::vector<std::string>& items, const std::string& prefix, int column,
                                     std::map<std::string, int>& map) const {
  int current = FindRow(prefix);
  map[std::string()] = current;
  const int columns = GetColumnCount();
  for (const std::string& item : items) {
    if (item.empty()) continue;
    const int row = FindRow(prefix + item);
    if (row >= 0 && column >= 0 && column < columns && !IsBlank(row * columns + column)) current = row;
    map[item] = current;
  }
  return true;
}
