#include "tableio/db/ado_tbl.h"
#include "tableio/db/mfc_odbc_tbl.h"
#include "tableio/db/odbc_tbl.h"
#include "tableio/dbf_tbl.h"
#include "tableio/io_table.h"
#include "tableio/worksheet/wks_tbl.h"

// The loaders of the back ends, by table type. A type without a back end
// cannot be opened.
int RunBuiltInTableLoader(CIoTable& table, const std::string& keyFields,
                          const std::string& keyValues, const std::string& extractFields) {
  switch (table.m_description.m_nTableType) {
    case kTableWorksheet:
      return LoadWorksheetTable(table.m_description, -1, keyFields, keyValues, extractFields,
                                table.m_strFormatName, table.m_keyColumns, table.m_dataColumns,
                                table.m_rows, table.m_extraRows, table.m_commentRows,
                                table.m_bReadOnly, table.m_bHasFormulas, table.m_bAvailable, 0);
    case kTableOdbc: return LoadOdbcTable(table, keyFields, keyValues, extractFields);
    case kTableMfcOdbc: return LoadMfcOdbcTable(table, keyFields, keyValues, extractFields);
    case kTableAdo: return LoadAdoTable(table, keyFields, keyValues, extractFields);
    case kTableDbf:
      return ReadDbfTable(table.m_description, keyFields, keyValues, extractFields, table.m_keyColumns,
                          table.m_dataColumns, table.m_rows, table.m_bReadOnly, table.m_bHasFormulas,
                          table.m_bAvailable);
    default:
      table.m_keyColumns.RemoveAll();
      table.m_dataColumns.RemoveAll();
      table.m_rows.RemoveAll();
      return kIoTableCannotOpen;
  }
}
