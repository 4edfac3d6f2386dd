#pragma once
// One entry of a model's "tables.map" index. The reader of that index fills
// the entries; the model definition only owns them and finds them by name.

#include <string>

#include "foundation/ptr_array.h"
#include "platform/object.h"

class CTableMap : public CObject {
 public:
  CTableMap() = default;
  explicit CTableMap(std::string name) : m_strName(std::move(name)) {}

  std::string m_strName;

  static int CompareElements(const void* a, const void* b) {
    return CompareKeys(SlotElement<CTableMap>(a)->m_strName, SlotElement<CTableMap>(b)->m_strName);
  }
};
