#include "platform/odbc_handles.h"

#include <odbcinst.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <mutex>

#include "platform/connection_string.h"
#include "platform/name_compare.h"
#include "platform/text_encoding.h"

namespace plat::odbc {
namespace {

std::string ToDriver(std::string_view text) { return Cp1252ToUtf8(text); }
std::string FromDriver(std::string_view text) { return Utf8ToCp1252(text); }

std::string FromBuffer(const SQLCHAR* buffer, std::size_t capacity) {
  const char* p = reinterpret_cast<const char*>(buffer);
  return FromDriver(std::string_view(p, strnlen(p, capacity)));
}

SQLRETURN ExecDirect(SQLHSTMT stmt, std::string_view sql) {
  std::string text = ToDriver(sql);
  return SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(text.data()), static_cast<SQLINTEGER>(text.size()));
}

SQL_TIMESTAMP_STRUCT TimeOnDayZero(const SQL_TIME_STRUCT& t) {
  SQL_TIMESTAMP_STRUCT ts{};
  ts.year = 1899;
  ts.month = 12;
  ts.day = 30;
  ts.hour = t.hour;
  ts.minute = t.minute;
  ts.second = t.second;
  return ts;
}

}  // namespace

Error::Error(SQLRETURN rc, std::vector<Diagnostic> diagnostics, std::string_view context)
    : std::runtime_error([&] {
        std::string text(context);
        for (const Diagnostic& d : diagnostics) {
          if (!text.empty()) text += "\n";
          text += d.message;
        }
        return text;
      }()),
      m_rc(rc),
      m_diagnostics(std::move(diagnostics)) {}

std::string Error::State() const { return m_diagnostics.empty() ? std::string() : m_diagnostics.front().state; }

std::vector<Diagnostic> ReadDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle) {
  std::vector<Diagnostic> out;
  if (handle == SQL_NULL_HANDLE) return out;
  for (SQLSMALLINT record = 1;; ++record) {
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLRETURN rc = SQLGetDiagRec(handleType, handle, record, state, &native, nullptr, 0, &length);
    if (!Succeeded(rc)) break;
    std::vector<SQLCHAR> message(static_cast<std::size_t>(length) + 1, 0);
    rc = SQLGetDiagRec(handleType, handle, record, state, &native, message.data(),
                       static_cast<SQLSMALLINT>(message.size()), &length);
    if (!Succeeded(rc)) break;
    out.push_back({FromBuffer(state, 5), static_cast<std::int32_t>(native), FromBuffer(message.data(), message.size())});
  }
  return out;
}

void Check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, std::string_view context) {
  if (Succeeded(rc) || rc == SQL_NO_DATA) return;
  std::vector<Diagnostic> diagnostics;
  if (rc == SQL_INVALID_HANDLE) {
    diagnostics.push_back({"HY000", 0, "Invalid handle."});
  } else {
    diagnostics = ReadDiagnostics(handleType, handle);
  }
  throw Error(rc, std::move(diagnostics), context);
}

SQLHENV SharedEnvironment() {
  static SQLHENV env = []() -> SQLHENV {
    SQLHENV handle = SQL_NULL_HENV;
    if (!Succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handle))) return SQL_NULL_HENV;
    SQLSetEnvAttr(handle, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC2), 0);
    return handle;
  }();
  if (env == SQL_NULL_HENV) throw Error(SQL_ERROR, {{"HY001", 0, "Cannot allocate the ODBC environment."}}, "");
  return env;
}

std::vector<std::string> InstalledDrivers() {
  std::vector<std::string> names;
  SQLHENV env = SharedEnvironment();
  static std::mutex mutex;  // the direction argument makes the enumeration stateful
  std::lock_guard<std::mutex> lock(mutex);
  SQLUSMALLINT direction = SQL_FETCH_FIRST;
  for (;;) {
    SQLCHAR name[512] = {};
    SQLCHAR attributes[2048] = {};
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT attributesLength = 0;
    SQLRETURN rc = SQLDrivers(env, direction, name, sizeof name, &nameLength, attributes, sizeof attributes,
                              &attributesLength);
    if (!Succeeded(rc)) break;
    names.push_back(FromBuffer(name, sizeof name));
    direction = SQL_FETCH_NEXT;
  }
  return names;
}

bool IsDriverInstalled(std::string_view name) {
  for (const std::string& driver : InstalledDrivers())
    if (EqualNoCase(driver, name)) return true;
  return false;
}

std::vector<DataSource> ListDataSources(bool system) {
  std::vector<DataSource> sources;
  SQLHENV env = SharedEnvironment();
  static std::mutex mutex;
  std::lock_guard<std::mutex> lock(mutex);
  SQLUSMALLINT direction = system ? SQL_FETCH_FIRST_SYSTEM : SQL_FETCH_FIRST_USER;
  for (;;) {
    SQLCHAR name[SQL_MAX_DSN_LENGTH + 1] = {};
    SQLCHAR driver[512] = {};
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT driverLength = 0;
    SQLRETURN rc = SQLDataSources(env, direction, name, sizeof name, &nameLength, driver, sizeof driver, &driverLength);
    if (!Succeeded(rc)) break;
    sources.push_back({FromBuffer(name, sizeof name), FromBuffer(driver, sizeof driver)});
    direction = SQL_FETCH_NEXT;
  }
  return sources;
}

// ---------------------------------------------------------------------------
// Connection

std::shared_ptr<Connection> Connection::Open(std::string_view connectionString, std::uint32_t loginTimeoutSeconds) {
  // Every connection string reaches the driver manager here: what would load a library by a path or name a
  // file for it stops before the driver manager reads it.
  if (const std::string refused = FindRefusedConnectionItem(connectionString); !refused.empty())
    throw Error(SQL_ERROR, {{"08001", 0, "The connection string is refused: " + refused + "."}}, "");
  std::shared_ptr<Connection> connection(new Connection());
  SQLHENV env = SharedEnvironment();
  Check(SQLAllocHandle(SQL_HANDLE_DBC, env, &connection->m_dbc), SQL_HANDLE_ENV, env, "SQLAllocHandle");
  if (loginTimeoutSeconds > 0)
    SQLSetConnectAttr(connection->m_dbc, SQL_ATTR_LOGIN_TIMEOUT,
                      reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(loginTimeoutSeconds)), 0);
  std::string text = ToDriver(connectionString);
  std::vector<SQLCHAR> completed(4096, 0);
  SQLSMALLINT completedLength = 0;
  SQLRETURN rc = SQLDriverConnect(connection->m_dbc, nullptr, reinterpret_cast<SQLCHAR*>(text.data()),
                                  static_cast<SQLSMALLINT>(text.size()), completed.data(),
                                  static_cast<SQLSMALLINT>(completed.size()), &completedLength, SQL_DRIVER_NOPROMPT);
  if (!Succeeded(rc) && rc != SQL_NO_DATA) {
    // A driver may echo the connection string, password included.
    std::vector<Diagnostic> diagnostics = rc == SQL_INVALID_HANDLE ? std::vector<Diagnostic>{{"HY000", 0, "Invalid handle."}}
                                                                   : ReadDiagnostics(SQL_HANDLE_DBC, connection->m_dbc);
    const std::vector<std::string> secrets = FindConnectionSecrets(connectionString);
    for (Diagnostic& d : diagnostics) d.message = MaskConnectionSecrets(d.message, secrets);
    throw Error(rc, std::move(diagnostics), "");
  }
  connection->m_connected = true;
  connection->m_completed = FromBuffer(completed.data(), completed.size());
  return connection;
}

Connection::~Connection() {
  if (m_dbc == SQL_NULL_HDBC) return;
  if (m_connected) {
    SQLEndTran(SQL_HANDLE_DBC, m_dbc, SQL_ROLLBACK);
    SQLDisconnect(m_dbc);
  }
  SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
}

std::string Connection::GetInfoText(SQLUSMALLINT infoType) const {
  SQLCHAR buffer[256] = {};
  SQLSMALLINT length = 0;
  Check(SQLGetInfo(m_dbc, infoType, buffer, sizeof buffer, &length), SQL_HANDLE_DBC, m_dbc, "SQLGetInfo");
  return FromBuffer(buffer, sizeof buffer);
}

SQLLEN Connection::ExecuteDirect(std::string_view sql) {
  Statement statement(shared_from_this());
  statement.ExecuteDirect(sql);
  return statement.RowCount();
}

std::unique_ptr<Statement> Connection::NewStatement() { return std::make_unique<Statement>(shared_from_this()); }

void Connection::BeginTransaction() {
  Check(SQLSetConnectAttr(m_dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
        SQL_HANDLE_DBC, m_dbc, "");
}

void Connection::Commit() {
  Check(SQLEndTran(SQL_HANDLE_DBC, m_dbc, SQL_COMMIT), SQL_HANDLE_DBC, m_dbc, "");
  Check(SQLSetConnectAttr(m_dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0),
        SQL_HANDLE_DBC, m_dbc, "");
}

void Connection::Rollback() {
  SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, m_dbc, SQL_ROLLBACK);
  SQLSetConnectAttr(m_dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
  Check(rc, SQL_HANDLE_DBC, m_dbc, "");
}

// ---------------------------------------------------------------------------
// Statement

struct Statement::Param {
  SQLSMALLINT cType = SQL_C_CHAR;
  SQLSMALLINT sqlType = SQL_VARCHAR;
  std::string text;
  std::int64_t integer = 0;
  double number = 0.0;
  SQL_TIMESTAMP_STRUCT timestamp{};
  SQLLEN indicator = 0;
};

Statement::Statement(std::shared_ptr<Connection> connection) : m_connection(std::move(connection)) {
  SQLHDBC dbc = m_connection->Handle();
  Check(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &m_stmt), SQL_HANDLE_DBC, dbc, "SQLAllocHandle");
}

Statement::~Statement() {
  if (m_stmt != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, m_stmt);
}

void Statement::ExecuteDirect(std::string_view sql) {
  CloseCursor();
  SQLRETURN rc = ExecDirect(m_stmt, sql);
  Check(rc, SQL_HANDLE_STMT, m_stmt, "");
  Describe();
}

void Statement::Prepare(std::string_view sql) {
  CloseCursor();
  std::string text = ToDriver(sql);
  Check(SQLPrepare(m_stmt, reinterpret_cast<SQLCHAR*>(text.data()), static_cast<SQLINTEGER>(text.size())),
        SQL_HANDLE_STMT, m_stmt, "");
}

void Statement::BindNull(SQLUSMALLINT index, SQLSMALLINT sqlType) {
  auto p = std::make_unique<Param>();
  p->sqlType = sqlType;
  p->indicator = SQL_NULL_DATA;
  Check(SQLBindParameter(m_stmt, index, SQL_PARAM_INPUT, SQL_C_CHAR, sqlType, 1, 0, nullptr, 0, &p->indicator),
        SQL_HANDLE_STMT, m_stmt, "");
  if (m_params.size() < index) m_params.resize(index);
  m_params[index - 1] = std::move(p);
}

void Statement::BindText(SQLUSMALLINT index, std::string_view text) {
  auto p = std::make_unique<Param>();
  p->text = ToDriver(text);
  p->indicator = static_cast<SQLLEN>(p->text.size());
  SQLULEN size = std::max<SQLULEN>(1, p->text.size());
  SQLSMALLINT sqlType = p->text.size() > 4000 ? SQL_LONGVARCHAR : SQL_VARCHAR;
  Check(SQLBindParameter(m_stmt, index, SQL_PARAM_INPUT, SQL_C_CHAR, sqlType, size, 0, p->text.data(),
                         static_cast<SQLLEN>(p->text.size()), &p->indicator),
        SQL_HANDLE_STMT, m_stmt, "");
  if (m_params.size() < index) m_params.resize(index);
  m_params[index - 1] = std::move(p);
}

void Statement::BindLong(SQLUSMALLINT index, std::int64_t value) {
  auto p = std::make_unique<Param>();
  p->integer = value;
  Check(SQLBindParameter(m_stmt, index, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 19, 0, &p->integer, 0, nullptr),
        SQL_HANDLE_STMT, m_stmt, "");
  if (m_params.size() < index) m_params.resize(index);
  m_params[index - 1] = std::move(p);
}

void Statement::BindDouble(SQLUSMALLINT index, double value) {
  auto p = std::make_unique<Param>();
  p->number = value;
  Check(SQLBindParameter(m_stmt, index, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 15, 0, &p->number, 0, nullptr),
        SQL_HANDLE_STMT, m_stmt, "");
  if (m_params.size() < index) m_params.resize(index);
  m_params[index - 1] = std::move(p);
}

void Statement::BindTimestamp(SQLUSMALLINT index, const SQL_TIMESTAMP_STRUCT& value) {
  auto p = std::make_unique<Param>();
  p->timestamp = value;
  p->timestamp.fraction = 0;
  Check(SQLBindParameter(m_stmt, index, SQL_PARAM_INPUT, SQL_C_TIMESTAMP, SQL_TIMESTAMP, 19, 0, &p->timestamp, 0,
                         nullptr),
        SQL_HANDLE_STMT, m_stmt, "");
  if (m_params.size() < index) m_params.resize(index);
  m_params[index - 1] = std::move(p);
}

void Statement::ClearParameters() {
  SQLFreeStmt(m_stmt, SQL_RESET_PARAMS);
  m_params.clear();
}

void Statement::Execute() {
  CloseCursor();
  Check(SQLExecute(m_stmt), SQL_HANDLE_STMT, m_stmt, "");
  Describe();
}

void Statement::GetTypeInfo(SQLSMALLINT sqlType) {
  CloseCursor();
  Check(SQLGetTypeInfo(m_stmt, sqlType), SQL_HANDLE_STMT, m_stmt, "SQLGetTypeInfo");
  Describe();
}

void Statement::ColumnsOf(std::string_view catalog, std::string_view schema, std::string_view table) {
  CloseCursor();
  std::string c = ToDriver(catalog);
  std::string s = ToDriver(schema);
  std::string t = ToDriver(table);
  auto arg = [](std::string& text) { return text.empty() ? nullptr : reinterpret_cast<SQLCHAR*>(text.data()); };
  auto len = [](const std::string& text) { return text.empty() ? SQLSMALLINT{0} : static_cast<SQLSMALLINT>(text.size()); };
  Check(SQLColumns(m_stmt, arg(c), len(c), arg(s), len(s), reinterpret_cast<SQLCHAR*>(t.data()),
                   static_cast<SQLSMALLINT>(t.size()), nullptr, 0),
        SQL_HANDLE_STMT, m_stmt, "SQLColumns");
  Describe();
}

void Statement::TablesOf(std::string_view table, std::string_view types) {
  CloseCursor();
  std::string t = ToDriver(table);
  std::string k = ToDriver(types);
  Check(SQLTables(m_stmt, nullptr, 0, nullptr, 0, reinterpret_cast<SQLCHAR*>(t.data()), static_cast<SQLSMALLINT>(t.size()),
                  reinterpret_cast<SQLCHAR*>(k.data()), static_cast<SQLSMALLINT>(k.size())),
        SQL_HANDLE_STMT, m_stmt, "SQLTables");
  Describe();
}

SQLLEN Statement::RowCount() const {
  SQLLEN count = -1;
  if (!Succeeded(SQLRowCount(m_stmt, &count))) return -1;
  return count;
}

void Statement::Describe() {
  m_columns.clear();
  SQLSMALLINT count = 0;
  Check(SQLNumResultCols(m_stmt, &count), SQL_HANDLE_STMT, m_stmt, "SQLNumResultCols");
  for (SQLUSMALLINT i = 1; i <= static_cast<SQLUSMALLINT>(std::max<SQLSMALLINT>(count, 0)); ++i) {
    SQLCHAR name[512] = {};
    SQLSMALLINT nameLength = 0;
    ColumnInfo info;
    Check(SQLDescribeCol(m_stmt, i, name, sizeof name, &nameLength, &info.sqlType, &info.size, &info.decimals,
                         &info.nullable),
          SQL_HANDLE_STMT, m_stmt, "SQLDescribeCol");
    info.name = FromBuffer(name, sizeof name);
    m_columns.push_back(std::move(info));
  }
  m_cursorOpen = count > 0;
}

bool Statement::Fetch() {
  if (!m_cursorOpen) return false;
  SQLRETURN rc = SQLFetch(m_stmt);
  if (rc == SQL_NO_DATA) return false;
  Check(rc, SQL_HANDLE_STMT, m_stmt, "SQLFetch");
  return true;
}

bool Statement::FetchRow(std::vector<FieldValue>& row) {
  row.clear();
  if (!Fetch()) return false;
  row.reserve(m_columns.size());
  for (std::size_t i = 0; i < m_columns.size(); ++i) row.push_back(GetValue(i));
  return true;
}

void Statement::CloseCursor() {
  if (m_cursorOpen) SQLFreeStmt(m_stmt, SQL_CLOSE);
  m_cursorOpen = false;
}

FieldValue Statement::GetValue(std::size_t column) {
  if (column >= m_columns.size()) throw Error(SQL_ERROR, {{"07009", 0, "Invalid descriptor index."}}, "");
  const SQLUSMALLINT number = static_cast<SQLUSMALLINT>(column + 1);
  const SQLSMALLINT sqlType = m_columns[column].sqlType;
  FieldValue value;
  SQLLEN indicator = 0;
  auto get = [&](SQLSMALLINT cType, void* target, SQLLEN size) {
    Check(SQLGetData(m_stmt, number, cType, target, size, &indicator), SQL_HANDLE_STMT, m_stmt, "SQLGetData");
    return indicator != SQL_NULL_DATA;
  };
  // A value of any length, read in pieces through the buffer and given to
  // append(piece, length); a text piece ends in a NUL, so one place of the
  // buffer stays free for it. False when the value is null.
  auto getPieces = [&](SQLSMALLINT cType, auto&& append) {
    const std::size_t room = m_buffer.size() - (cType == SQL_C_CHAR ? 1 : 0);
    for (;;) {
      SQLRETURN rc = SQLGetData(m_stmt, number, cType, m_buffer.data(), static_cast<SQLLEN>(m_buffer.size()),
                                &indicator);
      if (rc == SQL_NO_DATA) break;
      Check(rc, SQL_HANDLE_STMT, m_stmt, "SQLGetData");
      if (indicator == SQL_NULL_DATA) return false;
      const std::size_t got = (indicator == SQL_NO_TOTAL || indicator > static_cast<SQLLEN>(room))
                                  ? room
                                  : static_cast<std::size_t>(indicator);
      append(m_buffer.data(), got);
      if (rc == SQL_SUCCESS) break;
    }
    return true;
  };
  switch (sqlType) {
    case SQL_BIT: {
      unsigned char v = 0;
      if (get(SQL_C_BIT, &v, 0)) value.kind = FieldValue::Kind::Bit, value.integer = v;
      return value;
    }
    case SQL_TINYINT: {
      SQLSCHAR v = 0;
      if (get(SQL_C_STINYINT, &v, 0)) value.kind = FieldValue::Kind::TinyInt, value.integer = v;
      return value;
    }
    case SQL_SMALLINT: {
      SQLSMALLINT v = 0;
      if (get(SQL_C_SSHORT, &v, 0)) value.kind = FieldValue::Kind::Short, value.integer = v;
      return value;
    }
    case SQL_INTEGER: {
      SQLINTEGER v = 0;
      if (get(SQL_C_SLONG, &v, 0)) value.kind = FieldValue::Kind::Long, value.integer = v;
      return value;
    }
    case SQL_BIGINT: {
      SQLBIGINT v = 0;
      if (get(SQL_C_SBIGINT, &v, 0)) value.kind = FieldValue::Kind::BigInt, value.integer = v;
      return value;
    }
    case SQL_REAL: {
      SQLREAL v = 0;
      if (get(SQL_C_FLOAT, &v, 0)) value.kind = FieldValue::Kind::Single, value.number = v;
      return value;
    }
    case SQL_FLOAT:
    case SQL_DOUBLE: {
      SQLDOUBLE v = 0;
      if (get(SQL_C_DOUBLE, &v, 0)) value.kind = FieldValue::Kind::Double, value.number = v;
      return value;
    }
    case SQL_DATE:
    case SQL_TYPE_DATE: {
      SQL_DATE_STRUCT d{};
      if (get(SQL_C_DATE, &d, 0)) {
        value.kind = FieldValue::Kind::Date;
        value.timestamp.year = d.year;
        value.timestamp.month = d.month;
        value.timestamp.day = d.day;
      }
      return value;
    }
    case SQL_TIME:
    case SQL_TYPE_TIME: {
      SQL_TIME_STRUCT t{};
      if (get(SQL_C_TIME, &t, 0)) value.kind = FieldValue::Kind::Time, value.timestamp = TimeOnDayZero(t);
      return value;
    }
    case SQL_TIMESTAMP:
    case SQL_TYPE_TIMESTAMP: {
      SQL_TIMESTAMP_STRUCT ts{};
      if (get(SQL_C_TIMESTAMP, &ts, 0)) value.kind = FieldValue::Kind::Timestamp, value.timestamp = ts;
      return value;
    }
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY: {
      const auto appendBytes = [&](const char* piece, std::size_t got) {
        value.bytes.insert(value.bytes.end(), piece, piece + got);
      };
      if (getPieces(SQL_C_BINARY, appendBytes)) value.kind = FieldValue::Kind::Binary;
      return value;
    }
    default: {
      // Text, decimals and every other type arrive as text, read in full.
      std::string text;
      if (!getPieces(SQL_C_CHAR, [&](const char* piece, std::size_t got) { text.append(piece, strnlen(piece, got)); }))
        return value;
      value.kind = FieldValue::Kind::Text;
      value.text = FromDriver(text);
      return value;
    }
  }
}

}  // namespace plat::odbc
