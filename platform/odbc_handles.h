#pragma once
// The ODBC call level interface with RAII handles, shared by the MFC-style
// database classes and the ADO layer (and by any writer that needs prepared
// statements). Text crosses this boundary as Windows-1252 on our side and
// UTF-8 on the driver's side. The process has one environment with ODBC 2
// behaviour, so drivers report the date types as 9, 10 and 11.

#include <sql.h>
#include <sqlext.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace plat::odbc {

inline bool Succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

// One diagnostic record of a failed call.
struct Diagnostic {
  std::string state;  // five characters
  std::int32_t native = 0;
  std::string message;  // Windows-1252
};

// A failed ODBC call: its return code and the driver's diagnostics.
class Error : public std::runtime_error {
 public:
  Error(SQLRETURN rc, std::vector<Diagnostic> diagnostics, std::string_view context);
  SQLRETURN ReturnCode() const { return m_rc; }
  const std::vector<Diagnostic>& Diagnostics() const { return m_diagnostics; }
  // The SQL state of the first record, or "" when there is none.
  std::string State() const;

 private:
  SQLRETURN m_rc;
  std::vector<Diagnostic> m_diagnostics;
};

// Every diagnostic record of a handle.
std::vector<Diagnostic> ReadDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle);

// Throws Error with the handle's diagnostics when rc is not a success.
void Check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, std::string_view context);

// The process-wide environment (ODBC 2 behaviour), created at first use.
SQLHENV SharedEnvironment();

// The names of the installed drivers (odbcinst.ini, honouring ODBCSYSINI).
std::vector<std::string> InstalledDrivers();
// True when a driver of that name is installed (compared ignoring case).
bool IsDriverInstalled(std::string_view name);

// A data source and its driver's name, as the driver manager lists them.
struct DataSource {
  std::string name;
  std::string driver;
};
// User data sources (odbc.ini of $ODBCINI or ~/.odbc.ini) or system ones
// (odbc.ini in ODBCSYSINI or /etc).
std::vector<DataSource> ListDataSources(bool system);

// A value read from a result column.
struct FieldValue {
  enum class Kind { Null, Bit, TinyInt, Short, Long, BigInt, Single, Double, Date, Time, Timestamp, Text, Binary };
  Kind kind = Kind::Null;
  std::int64_t integer = 0;  // Bit, TinyInt, Short, Long, BigInt
  double number = 0.0;       // Single, Double
  SQL_TIMESTAMP_STRUCT timestamp{};  // Date, Time (on 1899-12-30), Timestamp
  std::string text;          // Text (Windows-1252); decimals and numerics arrive here
  std::vector<unsigned char> bytes;  // Binary
  bool IsNull() const { return kind == Kind::Null; }
};

// What a result column is.
struct ColumnInfo {
  std::string name;  // Windows-1252
  SQLSMALLINT sqlType = 0;
  SQLULEN size = 0;
  SQLSMALLINT decimals = 0;
  SQLSMALLINT nullable = SQL_NULLABLE_UNKNOWN;
};

class Statement;

// One connection. Statements hold it by shared pointer, so it is
// disconnected only when its last statement is gone.
class Connection : public std::enable_shared_from_this<Connection> {
 public:
  // Connects with a complete ODBC connection string (SQLDriverConnect).
  // Throws Error on failure, also (state 08001) for a string that
  // FindRefusedConnectionItem refuses, before the driver manager sees it.
  static std::shared_ptr<Connection> Open(std::string_view connectionString, std::uint32_t loginTimeoutSeconds = 0);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  SQLHDBC Handle() const { return m_dbc; }
  // The connection string the driver completed (Windows-1252).
  const std::string& CompletedConnectionString() const { return m_completed; }

  std::string GetInfoText(SQLUSMALLINT infoType) const;
  std::string DbmsName() const { return GetInfoText(SQL_DBMS_NAME); }
  std::string IdentifierQuote() const { return GetInfoText(SQL_IDENTIFIER_QUOTE_CHAR); }

  // Runs a statement that returns no rows; returns the rows affected (-1 when unknown).
  SQLLEN ExecuteDirect(std::string_view sql);
  std::unique_ptr<Statement> NewStatement();

  // Manual commit mode between BeginTransaction and Commit or Rollback.
  void BeginTransaction();
  void Commit();
  void Rollback();

 private:
  Connection() = default;
  SQLHDBC m_dbc = SQL_NULL_HDBC;
  bool m_connected = false;
  std::string m_completed;
};

// One statement handle: direct or prepared execution, parameters, and a
// forward-only walk over the result.
class Statement {
 public:
  explicit Statement(std::shared_ptr<Connection> connection);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  SQLHSTMT Handle() const { return m_stmt; }

  // Runs the statement and describes its result columns.
  void ExecuteDirect(std::string_view sql);
  void Prepare(std::string_view sql);
  // Parameters are numbered from 1 and copied, so the arguments need not live on.
  void BindNull(SQLUSMALLINT index, SQLSMALLINT sqlType = SQL_VARCHAR);
  void BindText(SQLUSMALLINT index, std::string_view text);
  void BindLong(SQLUSMALLINT index, std::int64_t value);
  void BindDouble(SQLUSMALLINT index, double value);
  void BindTimestamp(SQLUSMALLINT index, const SQL_TIMESTAMP_STRUCT& value);
  void ClearParameters();
  // Runs the prepared statement with the bound parameters.
  void Execute();
  // Catalog results, read like the result of a query: the data source's
  // types (SQLGetTypeInfo) and a table's columns (SQLColumns; an empty
  // catalog or schema is left out).
  void GetTypeInfo(SQLSMALLINT sqlType);
  void ColumnsOf(std::string_view catalog, std::string_view schema, std::string_view table);
  // The data source's tables of a name pattern and a type list ("TABLE"), SQLTables.
  void TablesOf(std::string_view table, std::string_view types);
  SQLLEN RowCount() const;

  const std::vector<ColumnInfo>& Columns() const { return m_columns; }
  // Fetches the next row; false at the end of the result.
  bool Fetch();
  // Fetches the next row and reads all its columns into row (emptied first);
  // false, with row empty, at the end of the result.
  bool FetchRow(std::vector<FieldValue>& row);
  // Reads a column of the current row (numbered from 0). Columns must be
  // read in increasing order, each at most once per row.
  FieldValue GetValue(std::size_t column);
  // Ends the result (the statement can run again).
  void CloseCursor();

 private:
  void Describe();
  struct Param;

  std::shared_ptr<Connection> m_connection;
  SQLHSTMT m_stmt = SQL_NULL_HSTMT;
  std::vector<ColumnInfo> m_columns;
  std::vector<std::unique_ptr<Param>> m_params;
  std::vector<char> m_buffer = std::vector<char>(4096);  // reused by every text and binary read
  bool m_cursorOpen = false;
};

}  // namespace plat::odbc
