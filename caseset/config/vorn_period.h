#pragma once
// One period of the model (CVornPeriod), from the export configuration or the PERIODS table.

#include <string>

#include "platform/object.h"
#include "platform/ole_date_time.h"

class CVornPeriod : public CObject {
 public:
  explicit CVornPeriod(const std::string& code);

  std::string m_strCode;
  std::string m_strText;
  bool m_bRecurse = false;
  bool m_bMIP = false;
  double m_dLength = 1.0;
  double m_dPVF = 1.0;
  plat::OleDateTime m_dtStartDate;

  // By code in byte order.
  static int CompareElements(const void* a, const void* b);
};
