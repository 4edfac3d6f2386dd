#pragma once
// One named value of a crude receipt (CCrudeCol): the maximum allocation to
// a tank, or the share of a crude in the receipt's composition.

#include <string>

#include "foundation/ptr_array.h"
#include "platform/object.h"

class CCrudeCol : public CObject {
 public:
  CCrudeCol(const std::string& name, double value) : m_strName(name), m_dValue(value) {}

  std::string m_strName;  // the material tag of the tank or crude
  double m_dValue;        // 1e30 until a value is read

  // CompareByName: by name, case-sensitive byte order.
  static int CompareElements(const void* a, const void* b);
};

using CCrudeColArray = CAutoDestructArray<CPtrArray, CCrudeCol*>;
