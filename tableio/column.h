#pragma once
// A column of a table read through the table I/O library.

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/ptr_array.h"
#include "platform/object.h"

// A column as a back end describes it while it reads the column information.
struct CColumnDesc {
  std::string m_strName;
  std::int16_t m_nSqlType = 0;
  std::int32_t m_nSize = 0;
  std::int16_t m_nDecimals = 0;
  std::int16_t m_nNullable = 1;
  int m_nSource = -1;
  int m_nPosition = -1;
  std::int32_t m_nFlags = 0;
};

class CColumn : public CObject {
 public:
  // Not positioned, no sources, selected.
  CColumn(const std::string& name, std::int16_t sqlType, std::int32_t size, std::int16_t decimals,
          std::int16_t nullable, std::int32_t flags);
  // Positioned at desc's position, with its source number and position recorded.
  explicit CColumn(CColumnDesc desc);

  virtual bool IsSelected() const { return m_bSelected != 0; }
  virtual void Deselect() { m_bSelected = 0; }

  // The last source number, -1 when there is none.
  int GetLastSourceIndex() const { return m_sourceNumbers.empty() ? -1 : m_sourceNumbers.back(); }

  // Position in the source, -1 when the column has none.
  int m_nPosition = -1;
  std::vector<int> m_sourceNumbers;
  std::vector<int> m_sourcePositions;
  std::string m_strName;
  std::int16_t m_nSqlType = 0;
  // Characters of a text column, bytes of a number.
  std::int32_t m_nSize = 0;
  std::int16_t m_nDecimals = 0;
  std::int16_t m_nNullable = 1;
  std::string m_strAlias;
  // The dBASE back end keeps the field's offset in the record here.
  std::int32_t m_nFlags = 0;
  std::int32_t m_nReserved1 = 0;
  std::int32_t m_bSelected = 1;
  std::int32_t m_nReserved2 = 0;
};

class CColumnArray : public CAutoDestructArray<CPtrArray, CColumn*> {};
