#pragma once
// One model table in memory: row names, column names, an optional text per
// row and a grid of single-precision cells, row by row. A cell equal to
// kBlankCell is blank; every lookup is case-sensitive and takes the first
// match in table order.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/object.h"

class CTableFilTable : public CObject {
 public:
  // The single-precision rounding of 1e30 (bit pattern 0x7149F2CA).
  static constexpr float kBlankCell = 1.0e30f;

  CTableFilTable() = default;
  ~CTableFilTable() override = default;

  // Back to the constructed state, with the given name.
  void Reset(const std::string& name);

  int GetRowCount() const { return static_cast<int>(m_aRowNames.size()); }
  int GetColumnCount() const { return static_cast<int>(m_aColumnNames.size()); }
  int GetCellCount() const { return static_cast<int>(m_aCells.size()); }

  // Index of the first row (column) of that name, or -1.
  int FindRow(const std::string& name) const;
  int FindColumn(const std::string& name) const;

  // value := the cell, or kBlankCell when index is at or past the end; true
  // when value is blank. index must not be negative.
  bool GetValue(int index, float& value) const;
  bool IsBlank(int index) const;
  // value := the cell at (row, column); false when it is blank or outside the grid.
  bool GetCell(int row, int column, float& value) const;
  // The row's text cut to width characters; "" when the row has no text.
  std::string GetRowText(int row, std::size_t width) const;

  // The row of that name, appended (with text and blank cells) when missing.
  bool FindOrAddRow(const std::string& name, const std::string& text, int& index);
  // Appends a column of blank cells; existing cells keep their rows and columns.
  bool AddColumn(const std::string& name);

  // Maps each item name to the column prefix + name, the empty key to the
  // default column (the bare prefix column, else the first item column found);
  // an item without its own column takes the bare prefix column when there is
  // one. True when a default column exists. Existing keys are kept.
  bool MapColumnsByPrefix(const std::vector<std::string>& items, const std::string& prefix,
                          std::map<std::string, int>& map) const;
  // As MapColumnsByPrefix, but only the bare prefix column is a default.
  bool MapColumnsByPrefixEx(const std::vector<std::string>& items, const std::string& prefix,
                            std::map<std::string, int>& map) const;
  // Maps each item to the row prefix + name when its cell in column is not
  // blank, else to the row of the nearest earlier item that had one, else to
  // the bare prefix row (or -1). The empty key maps to the bare prefix row.
  bool MapRowsByPrefix(const std::vector<std::string>& items, const std::string& prefix, int column,
                       std::map<std::string, int>& map) const;

  // The names of the items of a pointer array from index first on; the
  // elements carry their name as m_strName.
  template <class Array>
  static std::vector<std::string> ItemNames(const Array& items, int first = 0) {
    std::vector<std::string> names;
    for (int i = first < 0 ? 0 : first; i < items.GetSize(); ++i)
      if (const auto* item = items.GetAt(i)) names.push_back(item->m_strName);
    return names;
  }

  std::string m_strName;
  std::vector<std::string> m_aRowNames;
  std::vector<std::string> m_aColumnNames;
  std::vector<std::string> m_aRowTexts;  // one per row when the table has a text column
  std::vector<float> m_aCells;

 private:
  bool MapColumns(const std::vector<std::string>& items, const std::string& prefix,
                  std::map<std::string, int>& map, bool itemColumnIsDefault) const;
};
