#include "tableio/io_table.h"

// The loaders of the back ends, by table type. A type without a back end
// cannot be opened.
int RunBuiltInTableLoader(CIoTable& table, const std::string&, const std::string&,
                          const std::string&) {
  table.m_keyColumns.RemoveAll();
  table.m_dataColumns.RemoveAll();
  table.m_rows.RemoveAll();
  return kIoTableCannotOpen;
}
