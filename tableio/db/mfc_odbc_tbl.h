#pragma once
// The back end of table type 8: a table reached through CDatabase and
// CRecordset, in an Access database file (through the Access driver string,
// which the platform layer sends to the SQLite or MDBTools driver) or in an
// ODBC data source, or on a database the caller already holds open. It has
// a fixed type vocabulary instead of the source's catalogue. The write
// operations build their statements with sql_statements.h.

#include <memory>
#include <string>

#include "platform/odbc_database.h"
#include "tableio/db/db_tbl.h"
#include "tableio/io_table.h"

class CMfcOdbcTbl : public CDbTbl {
 public:
  // How the database is reached.
  enum ConnectionKind : int { kKindNotSet = 0, kKindAccessFile = 1, kKindDataSource = 2 };

  CMfcOdbcTbl(std::ostream* log, CIOOptions* options);
  ~CMfcOdbcTbl() override;

  int GetTableType() const override { return 8; }
  int Open(const CIoTableDescription& description) override;
  int OpenFromSpec(const std::string& dataSourceName, const std::string& spec, const std::string& tableName) override;
  // Leaves a database of the description open; closes and deletes its own. 1.
  int Close(int commit) override;
  int GetRowCount() override { return -1; }
  int ReadAll(CIoRowArray& rows, CColumnArray& keyColumns, CColumnArray& dataColumns, const std::string& keyFields,
              const std::string& keyValues, const std::string& extractFields,
              std::vector<std::string>* optionalList = nullptr, int sourceNumber = -1) override;
  int ReadColumnInfo() override;

  // The write operations run on the open database (see odbc_write.h); a
  // table without one (an ADO table) reports that the table cannot be opened.
  int RecreateTable(CIoRowArray& rows, CColumnArray& keyColumns, CColumnArray& dataColumns) override;
  // The third list is an extract list that must resolve.
  int DeleteRowsByKeys(const std::string& keyFields, const std::string& keyValues,
                       const std::string& extractFields) override;
  // A failure (a table that does not exist) gives 0 only with report set.
  virtual int DropTable(int report);

  // Prefix, value and suffix of the fixed vocabulary; "" when the value
  // cannot be a literal of the type.
  std::string FormatLiteral(const std::string& value, int sqlType) override;
  std::string GetTypeName(int sqlType) override;
  std::string GetLiteralPrefix(int sqlType) override;
  std::string GetLiteralSuffix(int sqlType) override;
  std::string GetCreateParams(int sqlType) override;

  // Also sets the statement table name: in brackets for Jet and SQL Server
  // sources, else as given when it is a plain name and quoted when it is not.
  virtual int ReadIdentifierQuote();

  CDatabase* GetDatabase() const { return m_pDatabase; }
  int GetConnectionKind() const { return m_nConnectionKind; }
  bool IsQuery() const { return m_bQuery; }

 protected:
  // The messages of this back end and the ADO one.
  enum : std::uint32_t {
    kIdsNoMatch = 10106,
    kIdsGetInfoFailed = 10133,
    kIdsCannotOpenDatabase = 10314,
    kIdsCannotOpenTable = 10315,
    kIdsCannotReadColumns = 10316,
    kIdsUnsupportedColumnSkipped = 10317,
    kIdsCannotCloseTable = 10318,
    kIdsCannotReadValue = 10319,
    kIdsCannotMove = 10320,
  };

  COdbcWriteContext WriteContext() override;

  CDatabase* m_pDatabase = nullptr;
  std::unique_ptr<CDatabase> m_ownDatabase;
  int m_nConnectionKind = kKindNotSet;
  bool m_bQuery = false;
  std::string m_strDbmsName;
};

// The SQL type a column of the given ODBC type is read as: texts 1, whole
// numbers 4 or 5, REAL 7, FLOAT, DOUBLE, NUMERIC and DECIMAL 8 (their text
// values become doubles), dates and times 11, bit -7, tiny-int -6; 0 for a
// type that cannot be read.
int MfcColumnType(int odbcType);

// The cell of a record-set value for a column of the given SQL type; a null
// or unreadable value gives the null cell of that type (a text cell for an
// unknown type).
std::unique_ptr<CIoCell> CellFromDbVariant(const CDBVariant& value, int sqlType);

// The null cell of a column of the given SQL type (a text cell for a type
// without a cell class of its own).
std::unique_ptr<CIoCell> NullCellOfType(int sqlType);

// The loader of table type 8; status 0, 1, 2 or 4. The three out values are
// the read-only flag, the format code and the availability flag.
int ReadMfcOdbcTable(const CIoTableDescription& description, const std::string& keyFields,
                     const std::string& keyValues, const std::string& extractFields, CColumnArray& keyColumns,
                     CColumnArray& dataColumns, CIoRowArray& rows, int& readOnly, int& formatCode, int& available);

// The same as a table loader (see SetTableLoader).
int LoadMfcOdbcTable(CIoTable& table, const std::string& keyFields, const std::string& keyValues,
                     const std::string& extractFields);
