#pragma once
// A record the solution fill keeps in a model while it fills a case: a name,
// an index and a value, found by name.

#include <cstdint>
#include <string>

#include "foundation/ptr_array.h"
#include "platform/object.h"

class CRecObject : public CObject {
 public:
  CRecObject() = default;
  explicit CRecObject(std::string name) : m_strName(std::move(name)) {}

  std::string m_strName;
  std::int32_t m_nIndex = -1;
  float m_fValue = 1.0e30f;

  static int CompareElements(const void* a, const void* b) {
    return CompareKeys(SlotElement<CRecObject>(a)->m_strName, SlotElement<CRecObject>(b)->m_strName);
  }
};
