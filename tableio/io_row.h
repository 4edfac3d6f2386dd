#pragma once
// Rows of the tables that the table I/O library reads: key cells and data
// cells, and the row array with its checked accessors.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/ptr_array.h"
#include "platform/ole_date_time.h"
#include "tableio/io_cell.h"

class CIoCellArray : public CAutoDestructArray<CPtrArray, CIoCell*> {};
class CIoKeyCellArray : public CAutoDestructArray<CPtrArray, CIoKeyCell*> {};
class CIoSqlTypeInfoArray : public CAutoDestructArray<CPtrArray, CIoSqlTypeInfo*> {};

class CIoRow {
 public:
  // A row built without a source (source row -2).
  CIoRow() = default;
  CIoRow(int sourceRow, int sourceNumber);
  virtual ~CIoRow() = default;
  CIoRow(const CIoRow&) = delete;
  CIoRow& operator=(const CIoRow&) = delete;

  // The row takes ownership of the cell.
  void AddKeyCell(std::unique_ptr<CIoCell> cell) { m_keyCells.Add(std::move(cell)); }
  void AddDataCell(std::unique_ptr<CIoCell> cell) { m_dataCells.Add(std::move(cell)); }

  // True when any key cell still has the pending flag.
  bool IsKeyPending() const;
  void ClearPendingKeys();
  // Clears the pending flag of every key and data cell.
  void ClearPendingFlags();
  int GetLastSourceIndex() const { return m_sourceNumbers.empty() ? -1 : m_sourceNumbers.back(); }

  CIoCellArray m_keyCells;
  CIoCellArray m_dataCells;
  std::vector<int> m_sourceNumbers;
  std::vector<int> m_sourcePositions;
  // -2 for a row built without a source, else the row number in the source.
  int m_nSourceRow = -2;
};

// Every accessor checks 0 <= i < row count and 0 <= j < that row's key or data
// cell count and throws CInvalidArgException otherwise.
class CIoRowArray : public CAutoDestructArray<CPtrArray, CIoRow*> {
 public:
  double GetCellDouble(int i, int j) const { return DataCell(i, j).AsDouble(); }
  std::int32_t GetCellLong(int i, int j) const { return DataCell(i, j).AsLong(); }
  plat::OleDateTime GetCellDateTime(int i, int j) const { return DataCell(i, j).GetDateTime(); }
  // Owned by the cell.
  const char* GetCellString(int i, int j) const { return DataCell(i, j).GetText(); }
  std::string GetCellText(int i, int j) const { return DataCell(i, j).Format(); }
  const char* GetKeyString(int i, int k) const { return KeyCell(i, k).GetText(); }
  std::string GetKeyText(int i, int k) const { return KeyCell(i, k).Format(); }
  // Non-zero when null.
  std::uint32_t IsCellNull(int i, int j) const { return DataCell(i, j).m_nFlags & kCellNull; }
  int GetCellSourceColumn(int i, int j) const { return DataCell(i, j).m_nSourceColumn; }
  int GetCellSourceRow(int i, int j) const { return DataCell(i, j).m_nSourceRow; }
  int GetCellTag(int i, int j) const { return DataCell(i, j).m_nTag; }

  CIoCell& DataCell(int i, int j) const;
  CIoCell& KeyCell(int i, int k) const;

  // Appends a row without a source whose one key cell is a text cell.
  void AddKeyRow(const std::string& text, bool isNull);
  // The same for a row built from (source row, source number).
  void AddKeyRowWithSource(const std::string& text, int sourceNumber, int sourceRow, bool isNull);
  // Appends a null, placeholder text cell to the data cells of row i.
  void AddPlaceholderCell(int i);
};
