#include "tableio/io_row.h"

#include "platform/exceptions.h"

CIoRow::CIoRow(int sourceRow, int sourceNumber)
    : m_sourceNumbers{sourceNumber}, m_sourcePositions{sourceRow}, m_nSourceRow(sourceRow) {}

bool CIoRow::IsKeyPending() const {
  for (const CIoCell* cell : m_keyCells) {
    if (cell && (cell->m_nFlags & kCellPending)) return true;
  }
  return false;
}

void CIoRow::ClearPendingKeys() {
  for (CIoCell* cell : m_keyCells) {
    if (cell) cell->m_nFlags &= ~kCellPending;
  }
}

void CIoRow::ClearPendingFlags() {
  ClearPendingKeys();
  for (CIoCell* cell : m_dataCells) {
    if (cell) cell->m_nFlags &= ~kCellPending;
  }
}

namespace {

CIoCell& CellAt(const CIoCellArray& cells, int j) {
  CIoCell* cell = cells.GetAt(j);  // throws on a bad index
  if (!cell) throw CInvalidArgException("Null cell.");
  return *cell;
}

}  // namespace

CIoCell& CIoRowArray::DataCell(int i, int j) const {
  const CIoRow* row = GetAt(i);
  if (!row) throw CInvalidArgException("Null row.");
  return CellAt(row->m_dataCells, j);
}

CIoCell& CIoRowArray::KeyCell(int i, int k) const {
  const CIoRow* row = GetAt(i);
  if (!row) throw CInvalidArgException("Null row.");
  return CellAt(row->m_keyCells, k);
}

void CIoRowArray::AddKeyRow(const std::string& text, bool isNull) {
  auto row = std::make_unique<CIoRow>();
  row->AddKeyCell(std::make_unique<CIoStrCell>(text, isNull, false));
  Add(std::move(row));
}

void CIoRowArray::AddKeyRowWithSource(const std::string& text, int sourceNumber, int sourceRow,
                                      bool isNull) {
  auto row = std::make_unique<CIoRow>(sourceRow, sourceNumber);
  row->AddKeyCell(std::make_unique<CIoStrCell>(text, isNull, false));
  Add(std::move(row));
}

void CIoRowArray::AddPlaceholderCell(int i) {
  CIoRow* row = GetAt(i);
  if (!row) throw CInvalidArgException("Null row.");
  auto cell = std::make_unique<CIoStrCell>();
  cell->m_nFlags |= kCellPlaceholder;
  row->AddDataCell(std::move(cell));
}
