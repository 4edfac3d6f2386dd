#pragma once
// One entry of a model's "tables.map" index. The reader of that index fills
// the entries; the model definition only owns them and finds them by name.

#include <cstdint>
#include <string>

#include "foundation/ptr_array.h"
#include "platform/object.h"

class CTableMap : public CObject {
 public:
  CTableMap() = default;
  explicit CTableMap(std::string name) : m_strName(std::move(name)) {}

  std::string m_strName;
  std::int32_t m_nOffset = 0;     // byte position of the table's record in the cache
  std::int32_t m_nRows = -1;
  std::int32_t m_nColumns = -1;
  bool m_bHasText = false;        // the record carries one text per row
  bool m_bFromStream = false;     // the record lies in the case's stream cache

  static int CompareElements(const void* a, const void* b) {
    return CompareKeys(SlotElement<CTableMap>(a)->m_strName, SlotElement<CTableMap>(b)->m_strName);
  }
};
