#include "tableio/worksheet/wks_tbl.h"

// Writing worksheet tables (transfers, updates and deletes by key, added
// columns) is not built yet: each operation refuses and changes nothing.

int CWksTbl::TransferRows(CIoRowArray&, int, const std::vector<std::string>&, CColumnArray&,
                          const std::string&, const std::string&, const std::string&,
                          const std::string&, int& messageId) {
  messageId = 10214;
  return 0;
}

int CWksTbl::UpdateRowsByKeys(const std::string&, const std::string&, const std::string&, CIoCell&,
                              int& messageId) {
  messageId = 10216;
  return 0;
}

int CWksTbl::DeleteRowsByKeys(const std::string&, const std::string&, const std::string&) { return 0; }

int CWksTbl::AddColumn(std::unique_ptr<CColumn>) { return -1; }
