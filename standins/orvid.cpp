#include "standins/orvid.h"

#include <libpq-fe.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

#include "platform/connection_string.h"
#include "platform/odbc_handles.h"
#include "platform/ole_date_time.h"
#include "platform/text_encoding.h"

namespace {

std::atomic<IOrvid::Factory> g_factory{nullptr};
std::atomic<bool> g_noPostgresCopy{false};

struct DateValue {
  double days;
};
using Value = std::variant<std::monostate, std::int16_t, std::int32_t, double, DateValue, std::string>;

struct TableRows {
  std::string table;
  std::vector<std::string> columns;
  std::vector<std::vector<Value>> rows;
};

std::string QuoteName(const std::string& name) {
  std::string out = "\"";
  for (char c : plat::Cp1252ToUtf8(name)) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string FormatDouble(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  return buffer;
}

// The value as the text a server parses (UTF-8); nullopt for null.
std::optional<std::string> ValueText(const Value& value) {
  switch (value.index()) {
    case 1: return std::to_string(std::get<std::int16_t>(value));
    case 2: return std::to_string(std::get<std::int32_t>(value));
    case 3: return FormatDouble(std::get<double>(value));
    case 4: {
      std::string iso = plat::OleDateTime(std::get<DateValue>(value).days).FormatIso();
      if (iso.empty()) return std::nullopt;
      return iso;
    }
    case 5: return plat::Cp1252ToUtf8(std::get<std::string>(value));
    default: return std::nullopt;
  }
}

double ValueNumber(const Value& value) {
  switch (value.index()) {
    case 1: return std::get<std::int16_t>(value);
    case 2: return std::get<std::int32_t>(value);
    case 3: return std::get<double>(value);
    case 4: return std::get<DateValue>(value).days;
    case 5: return std::strtod(std::get<std::string>(value).c_str(), nullptr);
    default: return 0.0;
  }
}

// ---- The two ways to a server

class Sink {
 public:
  virtual ~Sink() = default;
  // Each throws std::runtime_error with the server's text; the rows of every
  // table written between Begin and Commit land together.
  virtual void Begin() = 0;
  virtual void Write(const TableRows& rows) = 0;
  virtual void Commit() = 0;
  virtual void Rollback() noexcept = 0;
};

struct StmtFree {
  void operator()(void* stmt) const { SQLFreeHandle(SQL_HANDLE_STMT, stmt); }
};

class OdbcSink : public Sink {
 public:
  static constexpr std::size_t kParamSetSize = 1000;

  explicit OdbcSink(const std::string& odbcString) : m_connection(plat::odbc::Connection::Open(odbcString)) {}

  void Begin() override { m_connection->BeginTransaction(); }
  void Write(const TableRows& data) override { WriteRows(data); }
  void Commit() override { m_connection->Commit(); }
  void Rollback() noexcept override {
    try {
      m_connection->Rollback();
    } catch (const std::exception&) {
      // the write's own error is the one to report
    }
  }

 private:
  // One column's parameter array, bound column-wise.
  struct Column {
    SQLSMALLINT cType = SQL_C_CHAR;
    SQLSMALLINT sqlType = SQL_VARCHAR;
    SQLULEN size = 0;
    SQLLEN width = 0;  // bytes per element
    std::vector<char> buffer;
    std::vector<SQLLEN> indicators;
  };

  static void ChooseType(Column& column, const TableRows& data, std::size_t index) {
    std::size_t longest = 1;
    int kind = 0;
    for (const auto& row : data.rows) {
      if (index >= row.size() || row[index].index() == 0) continue;
      if (kind == 0) kind = static_cast<int>(row[index].index());
      if (row[index].index() == 5) longest = std::max(longest, plat::Cp1252ToUtf8(std::get<std::string>(row[index])).size());
    }
    switch (kind) {
      case 1: column.cType = SQL_C_SSHORT; column.sqlType = SQL_SMALLINT; column.width = sizeof(SQLSMALLINT); break;
      case 2: column.cType = SQL_C_SLONG; column.sqlType = SQL_INTEGER; column.width = sizeof(SQLINTEGER); break;
      case 3: column.cType = SQL_C_DOUBLE; column.sqlType = SQL_DOUBLE; column.width = sizeof(double); break;
      case 4:
        column.cType = SQL_C_TIMESTAMP;
        column.sqlType = SQL_TIMESTAMP;
        column.width = sizeof(SQL_TIMESTAMP_STRUCT);
        column.size = 19;
        break;
      default:
        column.cType = SQL_C_CHAR;
        column.sqlType = SQL_VARCHAR;
        column.size = longest;
        column.width = static_cast<SQLLEN>(longest + 1);
        break;
    }
  }

  static void Fill(Column& column, std::size_t slot, const Value& value) {
    char* at = column.buffer.data() + slot * static_cast<std::size_t>(column.width);
    if (value.index() == 0) {
      column.indicators[slot] = SQL_NULL_DATA;
      return;
    }
    column.indicators[slot] = 0;
    switch (column.cType) {
      case SQL_C_SSHORT: {
        SQLSMALLINT v = static_cast<SQLSMALLINT>(ValueNumber(value));
        std::memcpy(at, &v, sizeof v);
        break;
      }
      case SQL_C_SLONG: {
        SQLINTEGER v = static_cast<SQLINTEGER>(ValueNumber(value));
        std::memcpy(at, &v, sizeof v);
        break;
      }
      case SQL_C_DOUBLE: {
        double v = ValueNumber(value);
        std::memcpy(at, &v, sizeof v);
        break;
      }
      case SQL_C_TIMESTAMP: {
        plat::OleDateTime date(ValueNumber(value));
        if (!date.IsValid()) {
          column.indicators[slot] = SQL_NULL_DATA;
          break;
        }
        SQL_TIMESTAMP_STRUCT ts{};
        ts.year = static_cast<SQLSMALLINT>(date.GetYear());
        ts.month = static_cast<SQLUSMALLINT>(date.GetMonth());
        ts.day = static_cast<SQLUSMALLINT>(date.GetDay());
        ts.hour = static_cast<SQLUSMALLINT>(date.GetHour());
        ts.minute = static_cast<SQLUSMALLINT>(date.GetMinute());
        ts.second = static_cast<SQLUSMALLINT>(date.GetSecond());
        std::memcpy(at, &ts, sizeof ts);
        break;
      }
      default: {
        std::string text = ValueText(value).value_or(std::string());
        text.resize(std::min<std::size_t>(text.size(), static_cast<std::size_t>(column.width - 1)));
        std::memcpy(at, text.c_str(), text.size() + 1);
        column.indicators[slot] = static_cast<SQLLEN>(text.size());
        break;
      }
    }
  }

  void WriteRows(const TableRows& data) {
    const std::size_t count = data.columns.size();
    std::string sql = "INSERT INTO " + QuoteName(data.table) + " (";
    std::string marks;
    for (std::size_t i = 0; i < count; ++i) {
      sql += (i ? ", " : "") + QuoteName(data.columns[i]);
      marks += i ? ", ?" : "?";
    }
    sql += ") VALUES (" + marks + ")";

    SQLHSTMT raw = SQL_NULL_HSTMT;
    plat::odbc::Check(SQLAllocHandle(SQL_HANDLE_STMT, m_connection->Handle(), &raw), SQL_HANDLE_DBC,
                      m_connection->Handle(), "SQLAllocHandle");
    std::unique_ptr<void, StmtFree> stmt(raw);
    std::string utf8 = sql;
    plat::odbc::Check(SQLPrepare(raw, reinterpret_cast<SQLCHAR*>(utf8.data()), SQL_NTS), SQL_HANDLE_STMT, raw,
                      "SQLPrepare");

    const std::size_t batch = std::min(kParamSetSize, data.rows.size());
    std::vector<Column> columns(count);
    for (std::size_t c = 0; c < count; ++c) {
      ChooseType(columns[c], data, c);
      columns[c].buffer.assign(batch * static_cast<std::size_t>(columns[c].width), 0);
      columns[c].indicators.assign(batch, SQL_NULL_DATA);
    }
    SQLSetStmtAttr(raw, SQL_ATTR_PARAM_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_PARAM_BIND_BY_COLUMN), 0);
    for (std::size_t done = 0; done < data.rows.size(); done += batch) {
      std::size_t n = std::min(batch, data.rows.size() - done);
      for (std::size_t r = 0; r < n; ++r) {
        const auto& row = data.rows[done + r];
        for (std::size_t c = 0; c < count; ++c) Fill(columns[c], r, c < row.size() ? row[c] : Value());
      }
      plat::odbc::Check(SQLSetStmtAttr(raw, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(n), 0),
                        SQL_HANDLE_STMT, raw, "SQL_ATTR_PARAMSET_SIZE");
      for (std::size_t c = 0; c < count; ++c) {
        Column& col = columns[c];
        plat::odbc::Check(SQLBindParameter(raw, static_cast<SQLUSMALLINT>(c + 1), SQL_PARAM_INPUT, col.cType,
                                           col.sqlType, col.size, 0, col.buffer.data(), col.width,
                                           col.indicators.data()),
                          SQL_HANDLE_STMT, raw, "SQLBindParameter");
      }
      SQLRETURN rc = SQLExecute(raw);
      if (rc != SQL_NO_DATA) plat::odbc::Check(rc, SQL_HANDLE_STMT, raw, "SQLExecute");
      // Drivers that take one parameter set per result step through the rest.
      while (SQLMoreResults(raw) == SQL_SUCCESS) {
      }
    }
  }

  std::shared_ptr<plat::odbc::Connection> m_connection;
};

struct PgConnFree {
  void operator()(PGconn* conn) const { PQfinish(conn); }
};
struct PgResultFree {
  void operator()(PGresult* result) const { PQclear(result); }
};
using PgResult = std::unique_ptr<PGresult, PgResultFree>;

class PostgresCopySink : public Sink {
 public:
  explicit PostgresCopySink(const std::vector<std::pair<std::string, std::string>>& params) {
    std::vector<const char*> keys, values;
    for (const auto& [k, v] : params) {
      keys.push_back(k.c_str());
      values.push_back(v.c_str());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    m_conn.reset(PQconnectdbParams(keys.data(), values.data(), 0));
    if (!m_conn || PQstatus(m_conn.get()) != CONNECTION_OK)
      throw std::runtime_error(m_conn ? Trim(PQerrorMessage(m_conn.get())) : "out of memory");
    PQsetClientEncoding(m_conn.get(), "UTF8");
  }

  void Begin() override { Exec("BEGIN"); }
  void Commit() override { Exec("COMMIT"); }
  void Rollback() noexcept override { PgResult(PQexec(m_conn.get(), "ROLLBACK")); }

  void Write(const TableRows& data) override {
    PGconn* conn = m_conn.get();
    std::string sql = "COPY " + QuoteName(data.table) + " (";
    for (std::size_t i = 0; i < data.columns.size(); ++i) sql += (i ? ", " : "") + QuoteName(data.columns[i]);
    sql += ") FROM STDIN";
    PgResult start(PQexec(conn, sql.c_str()));
    if (PQresultStatus(start.get()) != PGRES_COPY_IN) throw std::runtime_error(Trim(PQerrorMessage(conn)));
    std::string buffer;
    buffer.reserve(kChunk + 4096);
    bool sent = true;
    for (const auto& row : data.rows) {
      for (std::size_t c = 0; c < data.columns.size(); ++c) {
        if (c) buffer += '\t';
        std::optional<std::string> text = c < row.size() ? ValueText(row[c]) : std::nullopt;
        if (!text) {
          buffer += "\\N";
          continue;
        }
        for (char ch : *text) {
          switch (ch) {
            case '\\': buffer += "\\\\"; break;
            case '\t': buffer += "\\t"; break;
            case '\n': buffer += "\\n"; break;
            case '\r': buffer += "\\r"; break;
            default: buffer += ch;
          }
        }
      }
      buffer += '\n';
      if (buffer.size() >= kChunk) {
        sent = PQputCopyData(conn, buffer.data(), static_cast<int>(buffer.size())) == 1;
        buffer.clear();
        if (!sent) break;
      }
    }
    if (sent && !buffer.empty()) sent = PQputCopyData(conn, buffer.data(), static_cast<int>(buffer.size())) == 1;
    PQputCopyEnd(conn, sent ? nullptr : "the rows could not be sent");
    std::string error;
    while (PGresult* raw = PQgetResult(conn)) {
      PgResult result(raw);
      if (PQresultStatus(raw) != PGRES_COMMAND_OK && error.empty()) error = Trim(PQresultErrorMessage(raw));
    }
    if (!sent && error.empty()) error = Trim(PQerrorMessage(conn));
    if (!error.empty()) throw std::runtime_error(error);
  }

 private:
  static constexpr std::size_t kChunk = 1 << 20;
  void Exec(const char* sql) {
    PgResult result(PQexec(m_conn.get(), sql));
    if (PQresultStatus(result.get()) != PGRES_COMMAND_OK) throw std::runtime_error(Trim(PQerrorMessage(m_conn.get())));
  }
  static std::string Trim(const char* text) {
    std::string out = text ? plat::Utf8ToCp1252(text) : std::string();
    while (!out.empty() && std::isspace(static_cast<unsigned char>(out.back()))) out.pop_back();
    return out;
  }
  std::unique_ptr<PGconn, PgConnFree> m_conn;
};

// ---- The writer

class COrvidWriter final : public IOrvid {
 public:
  void Initialize(const std::string& databaseKind, const std::string& productName) override {
    m_kind = databaseKind;
    m_product = productName;
  }

  std::string GetLastError() override { return m_lastError; }

  void Connect(const std::string& connectionString) override {
    m_connectionString = connectionString;
    m_sink.reset();
    m_lastError.clear();
    try {
      OpenSink();
    } catch (const std::exception& e) {
      m_lastError = Masked(std::string("Cannot connect: ") + e.what());
    }
  }

  bool StartTable(const char* table, std::int32_t* columns, std::int32_t* recordCount,
                  std::int32_t* timeMillis) override {
    std::string name = table ? table : "";
    bool nothingNew = std::all_of(m_current.rows.begin(), m_current.rows.end(),
                                  [](const std::vector<Value>& row) { return row.empty(); });
    if (m_retry && m_retry->second == name && m_current.table == name && nothingNew) {
      // The rerun replays every table of the transaction that failed.
      std::vector<TableRows> tables = std::move(m_retry->first);
      m_retry.reset();
      return WriteOut(std::move(tables), name, columns, recordCount, timeMillis);
    }
    m_retry.reset();
    if (name == m_current.table && !name.empty()) return BeginRow();
    TableRows done = std::move(m_current);
    m_current = TableRows{};
    m_current.table = name;
    m_index.clear();
    m_inRow = false;
    bool ok = true;
    std::vector<TableRows> tables;
    if (!done.rows.empty()) tables.push_back(std::move(done));
    if (!tables.empty() || (name.empty() && !m_written.empty()))
      ok = WriteOut(std::move(tables), name, columns, recordCount, timeMillis);
    if (!name.empty()) ok = BeginRow() && ok;
    return ok;
  }

  bool EndRow() override {
    m_retry.reset();
    if (!m_inRow) return false;
    m_inRow = false;
    return true;
  }

  bool SetTextValue(const char* field, const char* text) override {
    return Set(field, text ? Value(std::string(text)) : Value());
  }
  bool SetShortValue(const char* field, std::int16_t value) override { return Set(field, value); }
  bool SetLongValue(const char* field, std::int32_t value) override { return Set(field, value); }
  bool SetDoubleValue(const char* field, double value) override { return Set(field, value); }
  bool SetDateTimeValue(const char* field, double date) override { return Set(field, DateValue{date}); }

 private:
  // An error text as the caller may log it: a driver may echo the connection string.
  std::string Masked(const std::string& text) const {
    return plat::MaskConnectionSecrets(text, plat::FindConnectionSecrets(m_connectionString));
  }

  void OpenSink() {
    plat::TranslatedConnection translated = plat::TranslateConnectionString(m_connectionString);
    if (!translated.ok) throw std::runtime_error(translated.message);
    auto items = plat::ParseConnectionString(translated.odbc);
    std::string driver = Lower(plat::FindConnectionValue(items, "Driver").value_or(std::string()));
    if (driver.find("postgres") != std::string::npos && !g_noPostgresCopy.load()) {
      std::vector<std::pair<std::string, std::string>> params;
      auto add = [&](const char* keyword, std::initializer_list<const char*> keys) {
        for (const char* key : keys) {
          if (auto v = plat::FindConnectionValue(items, key); v && !v->empty()) {
            params.emplace_back(keyword, plat::Cp1252ToUtf8(*v));
            return;
          }
        }
      };
      add("host", {"Server", "Servername", "Host"});
      add("port", {"Port"});
      add("dbname", {"Database"});
      add("user", {"UID", "User", "Username"});
      add("password", {"PWD", "Password"});
      params.emplace_back("application_name", m_product.empty() ? "ostrel" : m_product);
      m_sink = std::make_unique<PostgresCopySink>(params);
    } else {
      m_sink = std::make_unique<OdbcSink>(translated.odbc);
    }
  }

  bool BeginRow() {
    if (m_current.table.empty()) return false;
    m_current.rows.emplace_back();
    m_inRow = true;
    return true;
  }

  bool Set(const char* field, Value value) {
    m_retry.reset();
    if (!m_inRow || field == nullptr || *field == '\0') return false;
    auto [it, added] = m_index.emplace(field, m_current.columns.size());
    if (added) m_current.columns.emplace_back(field);
    auto& row = m_current.rows.back();
    if (row.size() <= it->second) row.resize(it->second + 1);
    row[it->second] = std::move(value);
    return true;
  }

  // Writes the tables into the open transaction (beginning one when needed,
  // replaying a rerun's tables from the start); next empty commits it. A
  // failure rolls the whole transaction back and keeps all its tables for a rerun.
  bool WriteOut(std::vector<TableRows> tables, const std::string& next, std::int32_t* columns,
                std::int32_t* recordCount, std::int32_t* timeMillis) {
    for (TableRows& rows : tables)
      // A row begun and never given a value is no row.
      rows.rows.erase(std::remove_if(rows.rows.begin(), rows.rows.end(),
                                     [](const std::vector<Value>& row) { return row.empty(); }),
                      rows.rows.end());
    std::erase_if(tables, [](const TableRows& rows) { return rows.rows.empty(); });
    if (tables.empty() && !(next.empty() && m_bInTransaction)) return true;
    const auto columnCount = tables.empty() ? 0 : static_cast<std::int32_t>(tables.back().columns.size());
    auto start = std::chrono::steady_clock::now();
    bool ok = true;
    std::int32_t written = 0;
    m_lastError.clear();
    std::string table = tables.empty() ? std::string() : tables.back().table;
    try {
      if (!m_sink) OpenSink();
      if (!m_bInTransaction) {
        m_sink->Begin();
        m_bInTransaction = true;
      }
      for (TableRows& rows : tables) {
        table = rows.table;
        m_sink->Write(rows);
        written += static_cast<std::int32_t>(rows.rows.size());
        m_written.push_back(std::move(rows));
      }
      if (next.empty()) {
        m_sink->Commit();
        m_bInTransaction = false;
        m_written.clear();
      }
    } catch (const std::exception& e) {
      ok = false;
      written = 0;
      m_lastError = Masked(m_kind + " bulk write of " + table + " failed: " + e.what());
      if (m_sink) m_sink->Rollback();
      m_bInTransaction = false;
      m_sink.reset();  // a broken connection is opened again by the next write
      // Everything of the rolled-back transaction waits for the rerun, in its order.
      std::vector<TableRows> all = std::move(m_written);
      m_written.clear();
      for (TableRows& rows : tables)
        if (!rows.rows.empty()) all.push_back(std::move(rows));
      m_retry.emplace(std::move(all), next);
    }
    auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    if (columns) *columns = columnCount;
    if (recordCount) *recordCount = written;
    if (timeMillis) *timeMillis = static_cast<std::int32_t>(millis.count());
    return ok;
  }

  std::string m_kind;
  std::string m_product;
  std::string m_connectionString;
  std::string m_lastError;
  std::unique_ptr<Sink> m_sink;
  TableRows m_current;
  std::map<std::string, std::size_t> m_index;
  bool m_inRow = false;
  // The tables written into the open transaction, kept until it commits.
  std::vector<TableRows> m_written;
  bool m_bInTransaction = false;
  // The tables of a failed transaction and the table name whose repeated start retries them.
  std::optional<std::pair<std::vector<TableRows>, std::string>> m_retry;
};

}  // namespace

IOrvid* IOrvid::CreateInstance() {
  if (Factory factory = g_factory.load()) return factory();
  return new COrvidWriter();
}

void IOrvid::Destroy(IOrvid* object) { delete object; }

void IOrvid::SetFactoryForTesting(Factory factory) { g_factory.store(factory); }

void OrvidDisablePostgresCopy(bool disable) { g_noPostgresCopy.store(disable); }
