#pragma once
// One error the main application found while preparing the cases (CErrorMessage).

#include <string>
#include <vector>

#include "platform/object.h"

class CErrorMessage : public CObject {
 public:
  std::string m_strCode;
  std::string m_strMessage;
  std::string m_strRow;
  std::string m_strCol;
  std::string m_strModel;
  std::vector<std::string> m_aTables;

  // By code in byte order (the list keeps document order).
  static int CompareElements(const void* a, const void* b);
};
