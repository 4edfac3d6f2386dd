#pragma once
// The back end of table type 2: a table in an ODBC data source, read through
// the ODBC call level interface. It connects to the description's data
// source with its user and password, reads the source's type catalogue and
// identifier quote, the table's columns, and then the selected rows. Values
// are read in full with SQLGetData, so no text is cut and every column of a
// row gets a cell.

#include <memory>
#include <string>
#include <vector>

#include "platform/odbc_handles.h"
#include "tableio/db/db_tbl.h"
#include "tableio/io_table.h"

class CODBCTbl : public CDbTbl {
 public:
  CODBCTbl(std::ostream* log, CIOOptions* options);
  ~CODBCTbl() override;

  int GetTableType() const override { return 2; }
  int Open(const CIoTableDescription& description) override;
  int OpenFromSpec(const std::string& dataSourceName, const std::string& spec, const std::string& tableName) override;
  int Close(int commit) override;
  int GetRowCount() override { return 1; }
  int ReadAll(CIoRowArray& rows, CColumnArray& keyColumns, CColumnArray& dataColumns, const std::string& keyFields,
              const std::string& keyValues, const std::string& extractFields,
              std::vector<std::string>* optionalList = nullptr, int sourceNumber = -1) override;
  int ReadColumnInfo() override;

  // The write operations run over this table's connection (see odbc_write.h).
  int RecreateTable(CIoRowArray& rows, CColumnArray& keyColumns, CColumnArray& dataColumns) override;
  int DeleteRowsByKeys(const std::string& keyFields, const std::string& keyValues,
                       const std::string& resultFields) override;
  // Succeeds whether or not the table existed.
  virtual int DropTable();
  // Inserts every row with a pending key cell; useGivenKeyColumnTypes takes
  // the key literals' types from keyColumns instead of the table's columns.
  virtual int InsertRows(CIoRowArray& rows, CColumnArray& keyColumns, CColumnArray& dataColumns,
                         int useGivenKeyColumnTypes);

  // The literal of a value: dates as ODBC escapes, every other type between
  // the catalogue's prefix and suffix; "" when the value cannot be one.
  std::string FormatLiteral(const std::string& value, int sqlType) override;
  std::string GetTypeName(int sqlType) override;
  std::string GetLiteralPrefix(int sqlType) override;
  std::string GetLiteralSuffix(int sqlType) override;
  std::string GetCreateParams(int sqlType) override;

  virtual int ReadTypeInfo();
  virtual int ReadIdentifierQuote();

  // The catalogue entry used for a type: the first of that type, else the
  // first of a substitute type, else 0. Throws CInvalidArgException when the
  // catalogue is empty.
  int FindTypeInfo(int sqlType) const;

  int Connect();
  // Frees the statement and the connection; 1.
  int Disconnect();
  // Reports the diagnostics of a failed call, then the message id (when not
  // 0), and disconnects when asked. Returns 0.
  int ReportOdbcError(const plat::odbc::Error& error, bool disconnect, std::uint32_t messageId);
  int FailStatement(std::uint32_t messageId, bool disconnect);

  // The open connection; null when the table is not connected.
  const std::shared_ptr<plat::odbc::Connection>& GetConnection() const { return m_connection; }
  const CIoSqlTypeInfoArray& GetTypeCatalogue() const { return m_typeInfo; }

 protected:
  COdbcWriteContext WriteContext() override;

  std::shared_ptr<plat::odbc::Connection> m_connection;
  std::unique_ptr<plat::odbc::Statement> m_statement;
  CIoSqlTypeInfoArray m_typeInfo;
};

// Builds the cell of a value read from a column of the given SQL type: text
// without trailing blanks, numbers of the column's class, dates; a null value
// gives the null cell of that class. Null when the type has no cell.
std::unique_ptr<CIoCell> CellFromOdbcValue(const plat::odbc::FieldValue& value, int sqlType);

// The loader of table type 2; status 0, 1 (cannot open), 2 (cannot read) or 4.
int ReadOdbcTable(const CIoTableDescription& description, const std::string& keyFields, const std::string& keyValues,
                  const std::string& extractFields, CColumnArray& keyColumns, CColumnArray& dataColumns,
                  CIoRowArray& rows, int& readOnly, int& available);

// The same as a table loader (see SetTableLoader): reads into the table's
// arrays and reported flags and returns the status.
int LoadOdbcTable(CIoTable& table, const std::string& keyFields, const std::string& keyValues,
                  const std::string& extractFields);
