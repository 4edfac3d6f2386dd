#pragma once
// One PERCASE row (CPerCase): a period of one case and its length.

#include <cstdint>
#include <string>

#include "platform/object.h"

class CPerCase : public CObject {
 public:
  explicit CPerCase(std::int32_t caseNumber);

  std::string m_strDesc;
  std::string m_strPeriod;
  std::int32_t m_nCase;
  double m_dLength = 1e30;  // 1e30 until a length is read

  // By case number; rows of one case compare equal.
  static int CompareElements(const void* a, const void* b);
};
