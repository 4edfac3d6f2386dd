#pragma once
// One changed setting of an assembled case (CCaseSetting): the setting's
// name, its text or number, and optionally a table file.

#include <memory>
#include <string>

#include "modelfile/vorn_model_file_table.h"
#include "platform/object.h"

class CCaseSetting : public CObject {
 public:
  explicit CCaseSetting(const std::string& row);

  std::string m_strRow;
  std::string m_strText;
  double m_dValue = 1e30;  // 1e30: not set
  std::unique_ptr<CTableFile> m_pTableFile;

  // By row in byte order.
  static int CompareElements(const void* a, const void* b);
};
