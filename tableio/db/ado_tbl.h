#pragma once
// The back end of table type 10: a table read through an ADO connection
// that the table description carries (opened on the description's database
// file when it is closed). It inherits the type vocabulary of CMfcOdbcTbl
// and overrides opening, closing, reading and column information.

#include <map>
#include <memory>
#include <string>

#include "platform/ado.h"
#include "tableio/db/mfc_odbc_tbl.h"

class CAdoTbl : public CMfcOdbcTbl {
 public:
  CAdoTbl(std::ostream* log, CIOOptions* options);
  ~CAdoTbl() override;

  // Refuses (10314) a description without a connection.
  int Open(const CIoTableDescription& description) override;
  // Leaves the description's connection open. 1.
  int Close(int commit) override;
  int ReadAll(CIoRowArray& rows, CColumnArray& keyColumns, CColumnArray& dataColumns, const std::string& keyFields,
              const std::string& keyValues, const std::string& extractFields,
              std::vector<std::string>* optionalList = nullptr, int sourceNumber = -1) override;
  int ReadColumnInfo() override;

  // Column name to 1 for the text and date columns, whose key values a
  // condition puts in quotes.
  const std::map<std::string, int>& GetColumnKinds() const { return m_columnKinds; }

  // Reports a COM error: the id's text with the table name, the error's
  // system text and description, and the statement when given. Returns 0.
  int ReportComError(const plat::ComError& error, std::uint32_t messageId, const std::string& statement);

 private:
  plat::AdoConnectionPtr m_connection;
  std::unique_ptr<plat::AdoRecordset> m_recordset;
  std::map<std::string, int> m_columnKinds;
};

// The SQL type of a column of the given ADO type; 0 for a type that cannot be read.
int AdoColumnType(int adoType);
// The cell of a field value for a column of the given SQL type; a null or
// unreadable value gives the null cell of that type.
std::unique_ptr<CIoCell> CellFromVariant(const plat::Variant& value, int sqlType);

// The loader of table type 10; status 0, 1, 2 or 4.
int ReadAdoTable(const CIoTableDescription& description, const std::string& keyFields, const std::string& keyValues,
                 const std::string& extractFields, CColumnArray& keyColumns, CColumnArray& dataColumns,
                 CIoRowArray& rows, int& readOnly, int& formatCode, int& available);

// The same as a table loader (see SetTableLoader).
int LoadAdoTable(CIoTable& table, const std::string& keyFields, const std::string& keyValues,
                 const std::string& extractFields);
