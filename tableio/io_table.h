#pragma once
// The front of the table I/O library: one object is one table, read
// completely when it is constructed, from a worksheet file (table type 0), an
// ODBC data source (2), a dBASE file (7), a database open through CDatabase
// (8) or an ADO connection (10). Afterwards the status tells the outcome and
// columns, rows and cells are read by index.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/object.h"
#include "platform/ole_date_time.h"
#include "tableio/column.h"
#include "tableio/io_row.h"
#include "tableio/io_table_description.h"

class CDatabase;
namespace plat {
class AdoConnection;
}

// Load status of a table.
enum : int {
  kIoTableEmpty = -1,
  kIoTableOk = 0,
  kIoTableCannotOpen = 1,
  kIoTableCannotRead = 2,
  kIoTableCannotClose = 4,
  kIoTableOkWithWarnings = 21,
};

class CIoTable : public CObject {
 public:
  // By names: source file or text, table (sheet, range or table name), the
  // three lists, the table type, and the data source name, user, password and
  // a further text.
  CIoTable(const std::string& source, const std::string& table, const std::string& keyFields,
           const std::string& keyValues, const std::string& extractFields, int tableType,
           const std::string& dataSourceName = std::string(), const std::string& user = std::string(),
           const std::string& password = std::string(), const std::string& extra = std::string());
  // For an open database (type 8); the pointer is kept, not owned.
  CIoTable(CDatabase* database, const std::string& table, const std::string& keyFields,
           const std::string& keyValues, const std::string& extractFields, int tableType);
  // For an open ADO connection (type 10); the description shares the connection.
  CIoTable(const std::shared_ptr<plat::AdoConnection>& connection, const std::string& table,
           const std::string& keyFields, const std::string& keyValues,
           const std::string& extractFields, int tableType, const std::string& source);
  // An empty table, status -1, filled source by source by its owner.
  CIoTable();
  ~CIoTable() override = default;
  CIoTable(const CIoTable&) = delete;
  CIoTable& operator=(const CIoTable&) = delete;

  // Runs the loader of the description's table type and stores its status.
  int Load(const std::string& keyFields, const std::string& keyValues,
           const std::string& extractFields);

  int GetStatus() const { return m_nStatus; }
  int GetRowCount() const { return m_rows.GetSize(); }
  int GetColumnCount() const { return m_dataColumns.GetSize(); }
  int GetKeyColumnCount() const { return m_keyColumns.GetSize(); }

  // Accessors; all but the Find functions and GetDisplayName throw
  // CInvalidArgException on a bad index.
  int FindColumn(const std::string& name) const;
  const char* GetColumnName(int j) const;
  std::int16_t GetColumnType(int j) const;
  double GetCellDouble(int i, int j) const { return m_rows.GetCellDouble(i, j); }
  std::int32_t GetCellLong(int i, int j) const { return m_rows.GetCellLong(i, j); }
  plat::OleDateTime GetCellDateTime(int i, int j) const { return m_rows.GetCellDateTime(i, j); }
  const char* GetCellString(int i, int j) const { return m_rows.GetCellString(i, j); }
  std::string GetCellText(int i, int j) const { return m_rows.GetCellText(i, j); }
  std::uint32_t IsCellNull(int i, int j) const { return m_rows.IsCellNull(i, j); }
  const char* GetKeyString(int i, int k) const { return m_rows.GetKeyString(i, k); }
  std::string GetKeyText(int i, int k) const { return m_rows.GetKeyText(i, k); }
  // First row whose key cell k has exactly text, -1; throws when k is not a
  // key-cell index of a row it visits.
  int FindRowByKey(const std::string& text, int k) const;
  int FindExtraRowByKey(const std::string& text, int k) const;
  const char* GetExtraKeyString(int i, int k) const { return m_extraRows.GetKeyString(i, k); }
  std::uint32_t IsExtraCellNull(int i, int j) const { return m_extraRows.IsCellNull(i, j); }
  // The source text, then "[" table "]" when the table text is not empty.
  std::string GetDisplayName() const;

  CColumnArray m_keyColumns;
  CColumnArray m_dataColumns;
  CIoRowArray m_rows;
  // Marker rows and comment rows set aside from a merged worksheet table.
  CIoRowArray m_extraRows;
  CIoRowArray m_commentRows;
  CIoTableDescriptionArray m_sourceDescriptions;
  CIoTableDescription m_description;
  int m_bReadOnly = 0;
  int m_bHasFormulas = 0;
  int m_bAvailable = 0;
  int m_bMerged = 0;
  std::string m_strFormatName;
  int m_nStatus = kIoTableEmpty;
  std::string m_strSource;
  std::string m_strTable;

 private:
  void Describe(int tableType);
};

// The loader of one table type: fills the table's arrays and reported ints
// from the three lists and returns the load status.
using TableLoader = std::function<int(CIoTable& table, const std::string& keyFields,
                                      const std::string& keyValues,
                                      const std::string& extractFields)>;

// Replaces the loader of a table type (an empty function restores the
// built-in one); returns the previous replacement. For tests that load from
// an in-memory back end.
TableLoader SetTableLoader(int tableType, TableLoader loader);

// The built-in loader of a table type; status 1 for a type without one.
int RunBuiltInTableLoader(CIoTable& table, const std::string& keyFields,
                          const std::string& keyValues, const std::string& extractFields);

// Empties array; false for an empty text. Otherwise the text cut at every
// comma, each piece trimmed at both ends, the last one included.
bool SplitCommaList(std::vector<std::string>& array, const std::string& text);

// Reads KIND or KIND(arguments): "WKS" 0 and "DBF" 7 (true at once), "PI" 1,
// "ODBC" 2, "DAO" 8 (three arguments), "OLE2" with two arguments, the first
// "Excel5" (kind 4) or "Excel8"/"Excel" (kind 9); any other form false.
bool ParseTableSpec(std::vector<std::string>& array, const std::string& text, int& kind);

// Appends blanks up to n characters.
std::string& PadRightWithSpaces(std::string& text, std::size_t n);
