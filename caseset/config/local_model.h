#pragma once
// One plant model of a global model (CLocalModel).

#include <cstdint>
#include <string>

#include "platform/object.h"

class CLocalModel : public CObject {
 public:
  std::int32_t m_nLocalModelID = -1;
  bool m_bValidFlag = false;
  bool m_bReportFlag = false;
  std::string m_strCodeString;
  std::string m_strTextString;

  // By code in byte order.
  static int CompareElements(const void* a, const void* b);
};
