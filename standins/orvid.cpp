#include "standins/orvid.h"

#include <libpq-fe.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/connection_string.h"
#include "platform/odbc_handles.h"
#include "platform/ole_date_time.h"
#include "platform/statement_kill_hook.h"
#include "platform/text_encoding.h"

namespace {

std::atomic<IOrvid::Factory> g_factory{nullptr};
std::atomic<bool> g_noPostgresCopy{false};
std::atomic<std::uint64_t> g_postgresArrayTables{0};

// One value of a row: its column and the value in the type it was set with.
// A text is UTF-8 bytes in its table's text buffer; kNull is a null value.
enum Kind : std::uint8_t { kNull = 0, kShort = 1, kLong = 2, kDouble = 3, kDate = 4, kText = 5 };

struct Cell {
  std::uint32_t column = 0;
  Kind kind = kNull;
  std::uint32_t length = 0;
  union {
    std::int64_t integer = 0;
    double number;  // also a date's days
    std::uint64_t offset;
  };
};

// The rows of one table: their values row after row (a row's end in rowEnds),
// in the order they were set; a column set twice in a row keeps the last value.
struct TableRows {
  std::string table;
  std::vector<std::string> columns;
  std::vector<Cell> cells;
  std::vector<std::size_t> rowEnds;
  std::string text;

  std::size_t RowCount() const { return rowEnds.size(); }
  std::size_t RowBegin(std::size_t row) const { return row == 0 ? 0 : rowEnds[row - 1]; }
  bool Empty() const {
    for (std::size_t r = 0; r < rowEnds.size(); ++r)
      if (RowBegin(r) != rowEnds[r]) return false;
    return true;
  }
  // Drops the rows that were begun and never given a value.
  void DropEmptyRows() {
    std::vector<std::size_t> ends;
    ends.reserve(rowEnds.size());
    for (std::size_t r = 0; r < rowEnds.size(); ++r)
      if (RowBegin(r) != rowEnds[r]) ends.push_back(rowEnds[r]);
    rowEnds = std::move(ends);
  }
  // The values of one row by column (null where it set none).
  void Row(std::size_t row, std::vector<const Cell*>& out) const {
    out.assign(columns.size(), nullptr);
    for (std::size_t i = RowBegin(row); i < rowEnds[row]; ++i) out[cells[i].column] = &cells[i];
  }
  std::string_view Text(const Cell& cell) const { return std::string_view(text).substr(cell.offset, cell.length); }
};

std::string QuoteName(const std::string& name) {
  std::string out = "\"";
  for (char c : plat::Cp1252ToUtf8(name)) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

// The table's name and its columns in parentheses, quoted, as an insert or a COPY names them.
std::string TableAndColumns(const TableRows& data) {
  std::string out = QuoteName(data.table) + " (";
  for (std::size_t i = 0; i < data.columns.size(); ++i) out += (i ? ", " : "") + QuoteName(data.columns[i]);
  return out + ")";
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// A double as the shortest text that reads back as the same number.
void AppendDouble(std::string& out, double value) {
  if (std::isnan(value)) {
    out += "NaN";
    return;
  }
  if (std::isinf(value)) {
    out += value > 0 ? "Infinity" : "-Infinity";
    return;
  }
  char buffer[32];
  out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

void AppendInteger(std::string& out, std::int64_t value) {
  char buffer[24];
  out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

// The text of a date (a table's dates repeat: the last one is kept); empty for one that has none.
class DateTexts {
 public:
  const std::string& Of(double days) {
    if (!m_valid || days != m_days) {
      m_text = plat::OleDateTime(days).FormatIso();
      m_days = days;
      m_valid = true;
    }
    return m_text;
  }

 private:
  double m_days = 0;
  bool m_valid = false;
  std::string m_text;
};

// The value as the text a server parses (UTF-8) appended to out; false for null.
bool AppendValueText(std::string& out, const TableRows& rows, const Cell& cell, DateTexts& dates) {
  switch (cell.kind) {
    case kShort:
    case kLong: AppendInteger(out, cell.integer); return true;
    case kDouble: AppendDouble(out, cell.number); return true;
    case kDate: {
      const std::string& iso = dates.Of(cell.number);
      if (iso.empty()) return false;
      out += iso;
      return true;
    }
    case kText: out += rows.Text(cell); return true;
    default: return false;
  }
}

double ValueNumber(const TableRows& rows, const Cell& cell) {
  switch (cell.kind) {
    case kShort:
    case kLong: return static_cast<double>(cell.integer);
    case kDouble:
    case kDate: return cell.number;
    case kText: return std::strtod(std::string(rows.Text(cell)).c_str(), nullptr);
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
  // One statement ("?" for each parameter) in the open transaction; rows and changed as IOrvid::Execute says.
  virtual void Exec(const std::string& sql, const std::vector<IOrvid::Parameter>& parameters,
                    std::vector<std::string>* rows, std::int64_t* changed) = 0;
  virtual std::string DbmsName() = 0;
  virtual void Commit() = 0;
  virtual void Rollback() noexcept = 0;
};

// What the open transaction holds, in its order: a table's rows, or a statement with its parameters.
struct Op {
  TableRows rows;
  std::string sql;  // not empty: a statement
  std::vector<IOrvid::Parameter> parameters;
};

struct StmtFree {
  void operator()(void* stmt) const { SQLFreeHandle(SQL_HANDLE_STMT, stmt); }
};

class OdbcSink : public Sink {
 public:
  // Rows a statement inserts at most (a multi-row VALUES list) and parameters it binds at most (servers
  // limit them: SQL Server to 2,100 parameters and 1,000 rows), and rows one execution sends at most.
  static constexpr std::size_t kRowsPerStatement = 400;
  static constexpr std::size_t kMaxParameters = 2000;
  static constexpr std::size_t kRowsPerExecute = 1000;

  explicit OdbcSink(const std::string& odbcString) : m_connection(plat::odbc::Connection::Open(odbcString)) {}

  void Begin() override {
    plat::CountStatement();
    m_connection->BeginTransaction();
  }
  void Write(const TableRows& data) override {
    plat::CountStatement();
    WriteRows(data);
  }
  void Exec(const std::string& sql, const std::vector<IOrvid::Parameter>& parameters, std::vector<std::string>* rows,
            std::int64_t* changed) override {
    plat::CountStatement();
    const std::unique_ptr<plat::odbc::Statement> statement = m_connection->NewStatement();
    statement->Prepare(sql);
    for (std::size_t i = 0; i < parameters.size(); ++i) {
      const auto index = static_cast<SQLUSMALLINT>(i + 1);
      if (parameters[i].isText) statement->BindText(index, parameters[i].text);
      else statement->BindLong(index, parameters[i].integer);
    }
    statement->Execute();
    if (changed) *changed = statement->RowCount();
    if (rows == nullptr || statement->Columns().empty()) return;
    while (statement->Fetch()) {
      const plat::odbc::FieldValue value = statement->GetValue(0);
      if (value.kind == plat::odbc::FieldValue::Kind::Text) rows->push_back(value.text);
      else if (value.IsNull()) rows->emplace_back();
      else if (value.kind == plat::odbc::FieldValue::Kind::Single || value.kind == plat::odbc::FieldValue::Kind::Double)
        rows->push_back(std::to_string(value.number));
      else rows->push_back(std::to_string(value.integer));
    }
  }
  std::string DbmsName() override { return m_connection->DbmsName(); }
  void Commit() override {
    plat::CountStatement();
    m_connection->Commit();
  }
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

  // The column's type is that of its first value; a text column is as wide as its longest text.
  static void ChooseType(Column& column, const TableRows& data, std::uint32_t index) {
    std::size_t longest = 1;
    Kind kind = kNull;
    for (const Cell& cell : data.cells) {
      if (cell.column != index || cell.kind == kNull) continue;
      if (kind == kNull) kind = cell.kind;
      if (cell.kind == kText) longest = std::max<std::size_t>(longest, cell.length);
    }
    switch (kind) {
      case kShort: column.cType = SQL_C_SSHORT; column.sqlType = SQL_SMALLINT; column.width = sizeof(SQLSMALLINT); break;
      case kLong: column.cType = SQL_C_SLONG; column.sqlType = SQL_INTEGER; column.width = sizeof(SQLINTEGER); break;
      case kDouble: column.cType = SQL_C_DOUBLE; column.sqlType = SQL_DOUBLE; column.width = sizeof(double); break;
      case kDate:
        column.cType = SQL_C_TIMESTAMP;
        column.sqlType = SQL_TIMESTAMP;
        column.width = sizeof(SQL_TIMESTAMP_STRUCT);
        column.size = 19;
        break;
      default:
        if (kind != kText) {
          // A column of values that are not texts written into a text column: as wide as their texts.
          DateTexts dates;
          std::string text;
          for (const Cell& cell : data.cells)
            if (cell.column == index && cell.kind != kNull) {
              text.clear();
              AppendValueText(text, data, cell, dates);
              longest = std::max(longest, text.size());
            }
        }
        column.cType = SQL_C_CHAR;
        column.sqlType = SQL_VARCHAR;
        column.size = longest;
        column.width = static_cast<SQLLEN>(longest + 1);
        break;
    }
  }

  static void Fill(Column& column, std::size_t slot, const TableRows& data, const Cell* cell, DateTexts& dates) {
    char* at = column.buffer.data() + slot * static_cast<std::size_t>(column.width);
    if (cell == nullptr || cell->kind == kNull) {
      column.indicators[slot] = SQL_NULL_DATA;
      return;
    }
    column.indicators[slot] = 0;
    switch (column.cType) {
      case SQL_C_SSHORT: {
        SQLSMALLINT v = static_cast<SQLSMALLINT>(cell->kind == kShort || cell->kind == kLong ? cell->integer
                                                                                              : ValueNumber(data, *cell));
        std::memcpy(at, &v, sizeof v);
        break;
      }
      case SQL_C_SLONG: {
        SQLINTEGER v = static_cast<SQLINTEGER>(cell->kind == kShort || cell->kind == kLong ? cell->integer
                                                                                            : ValueNumber(data, *cell));
        std::memcpy(at, &v, sizeof v);
        break;
      }
      case SQL_C_DOUBLE: {
        double v = ValueNumber(data, *cell);
        std::memcpy(at, &v, sizeof v);
        break;
      }
      case SQL_C_TIMESTAMP: {
        plat::OleDateTime date(ValueNumber(data, *cell));
        std::tm parts{};
        if (!date.IsValid() || !date.GetAsTm(parts)) {
          column.indicators[slot] = SQL_NULL_DATA;
          break;
        }
        SQL_TIMESTAMP_STRUCT ts{};
        ts.year = static_cast<SQLSMALLINT>(parts.tm_year + 1900);
        ts.month = static_cast<SQLUSMALLINT>(parts.tm_mon + 1);
        ts.day = static_cast<SQLUSMALLINT>(parts.tm_mday);
        ts.hour = static_cast<SQLUSMALLINT>(parts.tm_hour);
        ts.minute = static_cast<SQLUSMALLINT>(parts.tm_min);
        ts.second = static_cast<SQLUSMALLINT>(parts.tm_sec);
        std::memcpy(at, &ts, sizeof ts);
        break;
      }
      default: {
        std::string text;
        std::string_view value;
        if (cell->kind == kText) {
          value = data.Text(*cell);
        } else {
          AppendValueText(text, data, *cell, dates);
          value = text;
        }
        value = value.substr(0, std::min<std::size_t>(value.size(), static_cast<std::size_t>(column.width - 1)));
        std::memcpy(at, value.data(), value.size());
        at[value.size()] = '\0';
        column.indicators[slot] = static_cast<SQLLEN>(value.size());
        break;
      }
    }
  }

  // An insert of rows rows of the table's columns: one VALUES list per row.
  static std::string InsertSql(const TableRows& data, std::size_t rows) {
    std::string sql = "INSERT INTO " + QuoteName(data.table) + " (";
    std::string marks = "(";
    for (std::size_t i = 0; i < data.columns.size(); ++i) {
      sql += (i ? ", " : "") + QuoteName(data.columns[i]);
      marks += i ? ", ?" : "?";
    }
    marks += ")";
    sql += ") VALUES ";
    for (std::size_t r = 0; r < rows; ++r) sql += (r ? ", " : "") + marks;
    return sql;
  }

  // The rows go in executions of up to kRowsPerExecute rows, each a parameter array of sets of
  // rowsPer rows (one statement of rowsPer VALUES lists); row j of set s is element j * sets + s of
  // every column's array, so each parameter's array is contiguous and the rows keep their order.
  void WriteRows(const TableRows& data) {
    const std::size_t count = data.columns.size();
    const std::size_t rows = data.RowCount();
    if (count == 0 || rows == 0) return;
    const std::size_t rowsPer = std::max<std::size_t>(1, std::min(kRowsPerStatement, kMaxParameters / count));
    const std::size_t setsPer = std::max<std::size_t>(1, kRowsPerExecute / rowsPer);
    const std::size_t capacity = rowsPer * setsPer;

    std::vector<Column> columns(count);
    for (std::size_t c = 0; c < count; ++c) {
      ChooseType(columns[c], data, static_cast<std::uint32_t>(c));
      columns[c].buffer.assign(capacity * static_cast<std::size_t>(columns[c].width), 0);
      columns[c].indicators.assign(capacity, SQL_NULL_DATA);
    }
    // Prepared statements by their number of rows: the full one and, for the last rows, a shorter one.
    std::map<std::size_t, std::unique_ptr<void, StmtFree>> statements;
    auto statementFor = [&](std::size_t n) -> SQLHSTMT {
      auto& stmt = statements[n];
      if (!stmt) {
        SQLHSTMT raw = SQL_NULL_HSTMT;
        plat::odbc::Check(SQLAllocHandle(SQL_HANDLE_STMT, m_connection->Handle(), &raw), SQL_HANDLE_DBC,
                          m_connection->Handle(), "SQLAllocHandle");
        stmt.reset(raw);
        std::string sql = InsertSql(data, n);
        plat::odbc::Check(SQLPrepare(raw, reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS), SQL_HANDLE_STMT, raw,
                          "SQLPrepare");
        SQLSetStmtAttr(raw, SQL_ATTR_PARAM_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_PARAM_BIND_BY_COLUMN), 0);
      }
      return stmt.get();
    };

    DateTexts dates;
    std::vector<const Cell*> row;
    for (std::size_t done = 0; done < rows;) {
      const std::size_t left = rows - done;
      const std::size_t perSet = left >= rowsPer ? rowsPer : left;
      const std::size_t sets = left >= rowsPer ? std::min(setsPer, left / rowsPer) : 1;
      for (std::size_t i = 0; i < perSet * sets; ++i) {
        data.Row(done + i, row);
        const std::size_t slot = (i % perSet) * setsPer + i / perSet;
        for (std::size_t c = 0; c < count; ++c) Fill(columns[c], slot, data, row[c], dates);
      }
      SQLHSTMT stmt = statementFor(perSet);
      plat::odbc::Check(SQLSetStmtAttr(stmt, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(sets), 0),
                        SQL_HANDLE_STMT, stmt, "SQL_ATTR_PARAMSET_SIZE");
      for (std::size_t j = 0; j < perSet; ++j)
        for (std::size_t c = 0; c < count; ++c) {
          Column& col = columns[c];
          const std::size_t first = j * setsPer;
          plat::odbc::Check(SQLBindParameter(stmt, static_cast<SQLUSMALLINT>(j * count + c + 1), SQL_PARAM_INPUT,
                                             col.cType, col.sqlType, col.size, 0,
                                             col.buffer.data() + first * static_cast<std::size_t>(col.width),
                                             col.width, col.indicators.data() + first),
                            SQL_HANDLE_STMT, stmt, "SQLBindParameter");
        }
      SQLRETURN rc = SQLExecute(stmt);
      if (rc != SQL_NO_DATA) plat::odbc::Check(rc, SQL_HANDLE_STMT, stmt, "SQLExecute");
      // Drivers that take one parameter set per result step through the rest.
      while (SQLMoreResults(stmt) == SQL_SUCCESS) {
      }
      done += perSet * sets;
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

// A PostgreSQL server through libpq. The commands of a transaction go out in pipeline mode and the sink waits
// for the server only where an answer is needed: for a statement whose rows or count the caller reads, at the
// commit, and before a table large enough for COPY (which a pipeline cannot carry). A case's tables thus cost
// one round trip together instead of two each. A table's rows go as one insert of an array of values per
// column once the sink knows the columns' types, as inserts of value lists before that; the values are
// parameters, never part of a statement's text. A statement waits for its own answer.
class PostgresSink : public Sink {
 public:
  // Tables of at least this many rows go by COPY (which must wait for the pipeline first); smaller ones as
  // inserts in the pipeline.
  static constexpr std::size_t kCopyRows = 5000;
  // The most rows one insert of value lists takes: inserts of 1, 2, 4, ... rows are prepared once for each
  // table and connection, and a table's rows go in by the largest that the rows left fill.
  static constexpr std::size_t kRowsPerInsert = 16;
  // Commands sent before the sink reads their answers; bounds what the server has to hold for the sink.
  static constexpr std::size_t kPipelineDepth = 256;

  explicit PostgresSink(const std::vector<std::pair<std::string, std::string>>& params) {
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
    // The prepared inserts run with the plan made once: planning a list of values again for every case costs
    // more than the insert.
    if (PQserverVersion(m_conn.get()) >= 120000) PgResult(PQexec(m_conn.get(), "SET plan_cache_mode = force_generic_plan"));
    ReadColumnTypes();
  }

  void Begin() override {
    plat::CountStatement();
    Send("BEGIN", {}, {});
  }
  void Commit() override {
    plat::CountStatement();
    Send("COMMIT", {}, {});
    Sync(nullptr);
  }
  void Rollback() noexcept override {
    try {
      Sync(nullptr);
    } catch (const std::exception&) {
      // the transaction is rolled back either way
    }
    if (PQpipelineStatus(m_conn.get()) != PQ_PIPELINE_OFF) return;  // the connection is broken
    PgResult(PQexec(m_conn.get(), "ROLLBACK"));
  }
  std::string DbmsName() override { return "PostgreSQL"; }

  void Exec(const std::string& sql, const std::vector<IOrvid::Parameter>& parameters, std::vector<std::string>* rows,
            std::int64_t* changed) override {
    std::string values;
    std::vector<std::size_t> starts;
    for (const IOrvid::Parameter& parameter : parameters) {
      starts.push_back(values.size());
      if (parameter.isText) plat::AppendCp1252AsUtf8(values, parameter.text);
      else AppendInteger(values, parameter.integer);
      values += '\0';
    }
    plat::CountStatement();
    Send(plat::Cp1252ToUtf8(NumberedPlaceholders(sql)), values, starts);
    // A statement's answer is read at once, so its failure is its own.
    PgResult result;
    Sync(&result);
    if (changed) *changed = std::atoll(PQcmdTuples(result.get()));
    if (rows != nullptr && PQresultStatus(result.get()) == PGRES_TUPLES_OK && PQnfields(result.get()) > 0)
      for (int r = 0; r < PQntuples(result.get()); ++r)
        rows->push_back(PQgetisnull(result.get(), r, 0) ? std::string() : plat::Utf8ToCp1252(PQgetvalue(result.get(), r, 0)));
  }

  void Write(const TableRows& data) override {
    plat::CountStatement();
    if (data.RowCount() >= kCopyRows) {
      Sync(nullptr);
      Copy(data);
      return;
    }
    if (data.columns.empty()) return;
    Target& target = m_targets[TargetKey(data)];
    if (target.state == Target::kUnknown) TypesFromCatalog(data, target);
    if (target.state == Target::kArrays) {
      SendArrays(data, target);
    } else {
      SendValues(data, target);
    }
    if (m_pending.size() >= kPipelineDepth) Sync(nullptr);
  }

 private:
  // How the sink sends a table's rows (by its columns) on this connection: when every column has a built-in
  // type, as one insert of an array per column, which the server takes apart with unnest; it costs the
  // server less per row than lists of values, and each array element is the text a value list would carry,
  // so both read every value alike. The types come from the catalog read when the connection opened; a table
  // it did not list goes the first time by inserts of value lists, whose description tells the types.
  struct Target {
    enum State : std::uint8_t { kUnknown, kDescribing, kArrays, kValues };
    State state = kUnknown;
    std::size_t columns = 0;
    std::vector<Oid> arrayTypes;  // of each column's parameter
    std::string insert;           // the prepared insert of arrays; empty until it is prepared
  };
  struct Pending {
    std::string rowsOf;           // the table whose rows the command inserts; empty for a statement
    Target* described = nullptr;  // the target whose types the command's answer describes
  };

  static std::string TargetKey(const TableRows& data) {
    std::string key = data.table;
    for (const std::string& column : data.columns) (key += '\x1f') += column;
    return key;
  }

  // The array type of a built-in element type, or 0 for a type whose arrays the sink does not send.
  static Oid ArrayTypeOf(Oid type) {
    static constexpr std::pair<Oid, Oid> kArrays[] = {
        {16, 1000},   {20, 1016},   {21, 1005},   {23, 1007},   {25, 1009},   {700, 1021},  {701, 1022},
        {1042, 1014}, {1043, 1015}, {1082, 1182}, {1083, 1183}, {1114, 1115}, {1184, 1185}, {1700, 1231},
    };
    for (const auto& [element, array] : kArrays)
      if (element == type) return array;
    return 0;
  }

  // The rows as inserts of 1, 2, 4, ... value lists; the first time, with a request for the columns' types.
  void SendValues(const TableRows& data, Target& target) {
    std::string values;               // the values' texts, each closed by a zero
    std::vector<std::size_t> starts;  // of each value in values; kNull for a null
    DateTexts dates;
    std::vector<const Cell*> row;
    for (std::size_t first = 0; first < data.RowCount();) {
      // The largest insert of a power of two rows that the rows left fill.
      std::size_t count = 1;
      while (count * 2 <= std::min(kRowsPerInsert, data.RowCount() - first)) count *= 2;
      values.clear();
      starts.clear();
      for (std::size_t r = 0; r < count; ++r) {
        data.Row(first + r, row);
        for (const Cell* cell : row) {
          const std::size_t start = values.size();
          if (cell != nullptr && cell->kind != kNull && AppendValueText(values, data, *cell, dates)) {
            values += '\0';
            starts.push_back(start);
          } else {
            values.resize(start);
            starts.push_back(kNull);
          }
        }
      }
      const std::string& insert = Insert(data, count);
      SendPrepared(insert, values, starts, data.table);
      if (target.state == Target::kUnknown) {
        if (PQsendDescribePrepared(m_conn.get(), insert.c_str()) != 1)
          throw std::runtime_error(Trim(PQerrorMessage(m_conn.get())) + " (rows of " + data.table + ")");
        m_pending.push_back({data.table, &target});
        target.state = Target::kDescribing;
        target.columns = data.columns.size();
      }
      first += count;
      if (m_pending.size() >= kPipelineDepth) Sync(nullptr);
    }
  }

  // The column types of the tables the connection sees by their plain names (as the inserts name them), by
  // table and column; left empty when the catalog cannot be read. The sink drops the connection after any
  // failure, so a table changed since is read again on the next one.
  void ReadColumnTypes() {
    PgResult types(PQexec(m_conn.get(),
                          "SELECT c.relname, a.attname, a.atttypid FROM pg_catalog.pg_class c "
                          "JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid "
                          "WHERE c.relkind IN ('r', 'p') AND a.attnum > 0 AND NOT a.attisdropped "
                          "AND pg_catalog.pg_table_is_visible(c.oid)"));
    if (PQresultStatus(types.get()) != PGRES_TUPLES_OK || PQnfields(types.get()) != 3) return;
    for (int r = 0; r < PQntuples(types.get()); ++r)
      m_columnTypes[PQgetvalue(types.get(), r, 0)][PQgetvalue(types.get(), r, 1)] =
          static_cast<Oid>(std::strtoul(PQgetvalue(types.get(), r, 2), nullptr, 10));
  }

  // Arrays for the table when the catalog lists each of its columns with a type the arrays carry.
  void TypesFromCatalog(const TableRows& data, Target& target) {
    const auto table = m_columnTypes.find(plat::Cp1252ToUtf8(data.table));
    if (table == m_columnTypes.end()) return;
    TakeArrayTypes(target, data.columns.size(), [&](std::size_t c) -> Oid {
      const auto type = table->second.find(plat::Cp1252ToUtf8(data.columns[c]));
      return type == table->second.end() ? 0 : type->second;
    });
  }

  // Notes the columns' types from the description of a value list's insert (its first parameters).
  void Described(Target& target, const PGresult* description) {
    target.state = Target::kValues;
    if (PQnparams(description) < static_cast<int>(target.columns)) return;
    TakeArrayTypes(target, target.columns, [&](std::size_t c) { return PQparamtype(description, static_cast<int>(c)); });
  }

  // Arrays for the target when each of its columns has a type they carry (typeOf gives a column's type).
  template <class TypeOf>
  static void TakeArrayTypes(Target& target, std::size_t columns, TypeOf typeOf) {
    std::vector<Oid> types;
    for (std::size_t c = 0; c < columns; ++c) {
      const Oid array = ArrayTypeOf(typeOf(c));
      if (array == 0) return;
      types.push_back(array);
    }
    target.arrayTypes = std::move(types);
    target.state = Target::kArrays;
  }

  // The rows as one insert of an array per column (in the array text format, every element quoted).
  void SendArrays(const TableRows& data, Target& target) {
    const std::size_t columns = data.columns.size();
    if (target.insert.empty()) {
      const std::string name = "ostrel_arrays_" + std::to_string(++m_arrayInserts);
      // unnest in the select list walks the arrays side by side without first copying them into a table.
      std::string sql = "INSERT INTO " + TableAndColumns(data) + " SELECT ";
      for (std::size_t i = 0; i < columns; ++i) {
        sql += i ? ", unnest($" : "unnest($";
        AppendInteger(sql, static_cast<std::int64_t>(i + 1));
        sql += ')';
      }
      EnterPipeline();
      if (PQsendPrepare(m_conn.get(), name.c_str(), sql.c_str(), static_cast<int>(columns), target.arrayTypes.data()) != 1)
        throw std::runtime_error(Trim(PQerrorMessage(m_conn.get())) + " (rows of " + data.table + ")");
      m_pending.push_back({data.table});
      target.insert = name;
    }
    std::vector<std::string>& arrays = m_arrays;
    arrays.resize(columns);
    for (std::string& array : arrays) array.assign(1, '{');
    std::string& text = m_elementText;
    DateTexts dates;
    std::vector<const Cell*> row;
    for (std::size_t r = 0; r < data.RowCount(); ++r) {
      data.Row(r, row);
      for (std::size_t c = 0; c < columns; ++c) {
        std::string& array = arrays[c];
        if (r) array += ',';
        const Cell* cell = row[c];
        text.clear();
        if (cell == nullptr || cell->kind == kNull || !AppendValueText(text, data, *cell, dates)) {
          array += "NULL";
          continue;
        }
        array += '"';
        for (char ch : text) {
          if (ch == '"' || ch == '\\') array += '\\';
          array += ch;
        }
        array += '"';
      }
    }
    std::string values;
    std::vector<std::size_t> starts;
    for (std::string& array : arrays) {
      starts.push_back(values.size());
      (values += array) += "}";
      values += '\0';
    }
    SendPrepared(target.insert, values, starts, data.table);
    g_postgresArrayTables.fetch_add(1, std::memory_order_relaxed);
  }

  static constexpr std::size_t kChunk = 1 << 20;
  static constexpr std::size_t kNull = static_cast<std::size_t>(-1);

  // Sends one statement into the pipeline; its parameters are the zero-ended texts of values at starts (a
  // null where a start is kNull); rowsOf names the table whose rows it inserts, for the error text.
  void Send(const std::string& sql, const std::string& values, const std::vector<std::size_t>& starts,
            const std::string& rowsOf = {}) {
    EnterPipeline();
    const std::vector<const char*> pointers = Pointers(values, starts);
    Sent(PQsendQueryParams(m_conn.get(), sql.c_str(), static_cast<int>(pointers.size()), nullptr, pointers.data(),
                           nullptr, nullptr, 0),
         rowsOf);
  }
  // The same for a statement prepared on this connection.
  void SendPrepared(const std::string& name, const std::string& values, const std::vector<std::size_t>& starts,
                    const std::string& rowsOf) {
    EnterPipeline();
    const std::vector<const char*> pointers = Pointers(values, starts);
    Sent(PQsendQueryPrepared(m_conn.get(), name.c_str(), static_cast<int>(pointers.size()), pointers.data(), nullptr,
                             nullptr, 0),
         rowsOf);
  }
  // The name of the prepared insert of count rows into the table's columns; its preparation goes into the
  // pipeline the first time.
  const std::string& Insert(const TableRows& data, std::size_t count) {
    std::string key = TargetKey(data);
    (key += '\x1f') += std::to_string(count);
    auto [it, isNew] = m_inserts.try_emplace(std::move(key));
    if (!isNew) return it->second;
    it->second = "ostrel_insert_" + std::to_string(m_inserts.size());
    std::string sql = "INSERT INTO " + TableAndColumns(data) + " VALUES ";
    for (std::size_t r = 0, number = 0; r < count; ++r) {
      sql += r ? ", (" : "(";
      for (std::size_t c = 0; c < data.columns.size(); ++c) {
        sql += c ? ", $" : "$";
        AppendInteger(sql, static_cast<std::int64_t>(++number));
      }
      sql += ')';
    }
    EnterPipeline();
    if (PQsendPrepare(m_conn.get(), it->second.c_str(), sql.c_str(), 0, nullptr) != 1) {
      const std::string cause = Trim(PQerrorMessage(m_conn.get()));
      m_inserts.erase(it);
      throw std::runtime_error(cause + " (rows of " + data.table + ")");
    }
    m_pending.push_back({data.table});
    return it->second;
  }
  void EnterPipeline() {
    if (PQpipelineStatus(m_conn.get()) == PQ_PIPELINE_OFF && PQenterPipelineMode(m_conn.get()) != 1)
      throw std::runtime_error(Trim(PQerrorMessage(m_conn.get())));
  }
  static std::vector<const char*> Pointers(const std::string& values, const std::vector<std::size_t>& starts) {
    std::vector<const char*> pointers;
    pointers.reserve(starts.size());
    for (std::size_t start : starts) pointers.push_back(start == kNull ? nullptr : values.data() + start);
    return pointers;
  }
  // Notes a command sent (sent 1) for its answer, or throws the reason it could not be sent.
  void Sent(int sent, const std::string& rowsOf) {
    if (sent != 1) {
      const std::string cause = Trim(PQerrorMessage(m_conn.get()));
      throw std::runtime_error(rowsOf.empty() ? cause : cause + " (rows of " + rowsOf + ")");
    }
    m_pending.push_back({rowsOf});
  }

  // Ends the pipeline and reads the answer of every command sent into it; the last command's result goes to
  // last (when given). Throws the first failure, naming the table whose rows the server refused.
  void Sync(PgResult* last) {
    PGconn* conn = m_conn.get();
    if (PQpipelineStatus(conn) == PQ_PIPELINE_OFF) return;
    std::vector<Pending> pending = std::move(m_pending);
    m_pending.clear();
    std::string error;
    auto fail = [&error](std::string cause, const std::string& rowsOf) {
      if (!error.empty()) return;
      error = rowsOf.empty() ? std::move(cause) : cause + " (rows of " + rowsOf + ")";
    };
    if (PQpipelineSync(conn) != 1) throw std::runtime_error(Trim(PQerrorMessage(conn)));
    for (std::size_t i = 0; i < pending.size(); ++i) {
      // A command's results end with a null; one that failed, or followed a failure, has no others.
      while (PGresult* raw = PQgetResult(conn)) {
        PgResult result(raw);
        const ExecStatusType status = PQresultStatus(raw);
        if (status == PGRES_FATAL_ERROR || status == PGRES_PIPELINE_ABORTED) {
          fail(status == PGRES_FATAL_ERROR ? Trim(PQresultErrorMessage(raw)) : "the command was not run",
               pending[i].rowsOf);
          if (pending[i].described != nullptr) pending[i].described->state = Target::kUnknown;
        } else if (pending[i].described != nullptr) {
          Described(*pending[i].described, raw);
        } else if (last != nullptr && i + 1 == pending.size()) *last = std::move(result);
      }
      if (PQstatus(conn) == CONNECTION_BAD) {
        fail(Trim(PQerrorMessage(conn)), {});
        throw std::runtime_error(error);  // the connection is given up; nothing more comes
      }
    }
    PgResult sync(PQgetResult(conn));
    if (PQresultStatus(sync.get()) != PGRES_PIPELINE_SYNC) {
      fail(Trim(PQerrorMessage(conn)), {});
      throw std::runtime_error(error);
    }
    if (PQexitPipelineMode(conn) != 1) fail(Trim(PQerrorMessage(conn)), {});
    if (!error.empty()) throw std::runtime_error(error);
  }

  // The rows of a large table by COPY FROM STDIN, outside the pipeline.
  void Copy(const TableRows& data) {
    PGconn* conn = m_conn.get();
    const std::string sql = "COPY " + TableAndColumns(data) + " FROM STDIN";
    PgResult start(PQexec(conn, sql.c_str()));
    if (PQresultStatus(start.get()) != PGRES_COPY_IN)
      throw std::runtime_error(Trim(PQerrorMessage(conn)) + " (rows of " + data.table + ")");
    std::string& buffer = m_buffer;  // kept from table to table: no fresh pages for every table
    buffer.clear();
    buffer.reserve(kChunk + 4096);
    bool sent = true;
    DateTexts dates;
    std::vector<const Cell*> row;
    for (std::size_t r = 0; r < data.RowCount(); ++r) {
      data.Row(r, row);
      for (std::size_t c = 0; c < row.size(); ++c) {
        if (c) buffer += '\t';
        const Cell* cell = row[c];
        if (cell == nullptr || cell->kind == kNull) {
          buffer += "\\N";
          continue;
        }
        if (cell->kind == kText) {
          AppendCopyText(buffer, data.Text(*cell));
        } else if (!AppendValueText(buffer, data, *cell, dates)) {
          buffer += "\\N";
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
    std::string error = sent ? std::string() : Trim(PQerrorMessage(conn));
    while (PGresult* raw = PQgetResult(conn)) {
      PgResult result(raw);
      if (PQresultStatus(raw) != PGRES_COMMAND_OK && error.empty()) error = Trim(PQresultErrorMessage(raw));
    }
    if (!error.empty()) throw std::runtime_error(error + " (rows of " + data.table + ")");
  }

  // A text of the COPY text format: a backslash, tab, line feed or carriage return is escaped.
  static void AppendCopyText(std::string& out, std::string_view text) {
    std::size_t from = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char* escape = nullptr;
      switch (text[i]) {
        case '\\': escape = "\\\\"; break;
        case '\t': escape = "\\t"; break;
        case '\n': escape = "\\n"; break;
        case '\r': escape = "\\r"; break;
        default: continue;
      }
      out.append(text.data() + from, i - from);
      out += escape;
      from = i + 1;
    }
    out.append(text.data() + from, text.size() - from);
  }
  // The statement with its "?" (outside quotes) as $1, $2, ...
  static std::string NumberedPlaceholders(const std::string& sql) {
    std::string out;
    char quote = 0;
    int next = 0;
    for (char c : sql) {
      if (quote != 0) {
        if (c == quote) quote = 0;
      } else if (c == '\'' || c == '"') {
        quote = c;
      } else if (c == '?') {
        out += "$" + std::to_string(++next);
        continue;
      }
      out += c;
    }
    return out;
  }
  static std::string Trim(const char* text) {
    std::string out = text ? plat::Utf8ToCp1252(text) : std::string();
    while (!out.empty() && std::isspace(static_cast<unsigned char>(out.back()))) out.pop_back();
    return out;
  }
  std::unique_ptr<PGconn, PgConnFree> m_conn;
  std::string m_buffer;
  // The commands sent into the pipeline whose answers are not read yet.
  std::vector<Pending> m_pending;
  // How each table's rows go, by table and columns.
  std::map<std::string, Target> m_targets;
  std::map<std::string, std::map<std::string, Oid>> m_columnTypes;  // UTF-8 names
  std::size_t m_arrayInserts = 0;
  std::vector<std::string> m_arrays;  // kept from table to table
  std::string m_elementText;
  // The inserts prepared on this connection, by table, columns and rows; a failure drops the connection
  // with them.
  std::map<std::string, std::string> m_inserts;
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
    const bool nothingNew = m_current.Empty();
    if (m_retry && m_retry->second == name && m_current.table == name && nothingNew) {
      // The rerun replays every table and statement of the transaction that failed.
      std::vector<Op> ops = std::move(m_retry->first);
      m_retry.reset();
      return WriteOut(std::move(ops), name, columns, recordCount, timeMillis);
    }
    m_retry.reset();
    if (name == m_current.table && !name.empty()) return BeginRow();
    TableRows done = std::move(m_current);
    m_current = TakeSpare();
    m_current.table = name;
    m_inRow = false;
    bool ok = true;
    std::vector<Op> ops;
    if (done.RowCount() > 0) ops.push_back(Op{std::move(done), {}, {}});
    if (!ops.empty() || (name.empty() && !m_written.empty()))
      ok = WriteOut(std::move(ops), name, columns, recordCount, timeMillis);
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
    Cell* cell = Set(field);
    if (cell == nullptr) return false;
    if (text != nullptr) {
      cell->kind = kText;
      cell->offset = m_current.text.size();
      plat::AppendCp1252AsUtf8(m_current.text, text);
      cell->length = static_cast<std::uint32_t>(m_current.text.size() - cell->offset);
    }
    return true;
  }
  bool SetShortValue(const char* field, std::int16_t value) override { return SetInteger(field, kShort, value); }
  bool SetLongValue(const char* field, std::int32_t value) override { return SetInteger(field, kLong, value); }
  bool SetDoubleValue(const char* field, double value) override { return SetNumber(field, kDouble, value); }
  bool SetDateTimeValue(const char* field, double date) override { return SetNumber(field, kDate, date); }

  bool Execute(const std::string& sql, const std::vector<Parameter>& parameters, std::vector<std::string>* rows,
               std::int64_t* changed) override {
    m_retry.reset();
    m_lastError.clear();
    // The rows held so far go in first: the statement comes after them.
    TableRows done = std::move(m_current);
    m_current = TakeSpare();
    m_inRow = false;
    done.DropEmptyRows();
    try {
      if (!m_sink) OpenSink();
      if (!m_bInTransaction) {
        m_sink->Begin();
        m_bInTransaction = true;
      }
      if (done.RowCount() > 0) {
        m_sink->Write(done);
        m_written.push_back(Op{std::move(done), {}, {}});
      }
      m_sink->Exec(sql, parameters, rows, changed);
      m_written.push_back(Op{TableRows{}, sql, parameters});
      return true;
    } catch (const std::exception& e) {
      m_lastError = Masked(m_kind + " statement failed: " + e.what());
      if (m_sink) m_sink->Rollback();
      m_bInTransaction = false;
      m_sink.reset();
      m_written.clear();
      return false;
    }
  }

  std::string GetDbmsName() override {
    try {
      if (!m_sink) OpenSink();
      return m_sink->DbmsName();
    } catch (const std::exception&) {
      return std::string();
    }
  }

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
      m_sink = std::make_unique<PostgresSink>(params);
    } else if (driver.find("postgres") != std::string::npos && !plat::FindConnectionValue(items, "BatchSize")) {
      // PostgreSQL's ODBC driver sends a parameter array as a batch of statements with the values
      // written into their text, parsed one by one, unless it takes one parameter set at a time.
      std::string odbc = translated.odbc;
      while (!odbc.empty() && odbc.back() == ';') odbc.pop_back();
      m_sink = std::make_unique<OdbcSink>(odbc + ";BatchSize=1");
    } else {
      m_sink = std::make_unique<OdbcSink>(translated.odbc);
    }
  }

  bool BeginRow() {
    if (m_current.table.empty()) return false;
    m_current.rowEnds.push_back(m_current.cells.size());
    m_nextColumn = 0;
    m_inRow = true;
    return true;
  }

  // The column of a field: a table's rows set their fields in one order, so
  // the column after the last one set is tried first.
  std::uint32_t ColumnOf(const char* field) {
    std::vector<std::string>& columns = m_current.columns;
    if (m_nextColumn < columns.size() && columns[m_nextColumn] == field)
      return static_cast<std::uint32_t>(m_nextColumn++);
    for (std::size_t i = 0; i < columns.size(); ++i)
      if (columns[i] == field) {
        m_nextColumn = i + 1;
        return static_cast<std::uint32_t>(i);
      }
    columns.emplace_back(field);
    m_nextColumn = columns.size();
    return static_cast<std::uint32_t>(columns.size() - 1);
  }

  // A null value of field in the current row, for the caller to set; null when there is no row.
  Cell* Set(const char* field) {
    m_retry.reset();
    if (!m_inRow || field == nullptr || *field == '\0') return nullptr;
    Cell& cell = m_current.cells.emplace_back();
    cell.column = ColumnOf(field);
    m_current.rowEnds.back() = m_current.cells.size();
    return &cell;
  }

  bool SetInteger(const char* field, Kind kind, std::int64_t value) {
    Cell* cell = Set(field);
    if (cell == nullptr) return false;
    cell->kind = kind;
    cell->integer = value;
    return true;
  }

  bool SetNumber(const char* field, Kind kind, double value) {
    Cell* cell = Set(field);
    if (cell == nullptr) return false;
    cell->kind = kind;
    cell->number = value;
    return true;
  }

  // Writes the tables and statements into the open transaction (beginning one when needed, replaying a
  // rerun's from the start); next empty commits it. A failure rolls the whole transaction back and keeps all
  // of it for a rerun.
  bool WriteOut(std::vector<Op> ops, const std::string& next, std::int32_t* columns, std::int32_t* recordCount,
                std::int32_t* timeMillis) {
    // A row begun and never given a value is no row.
    for (Op& op : ops) op.rows.DropEmptyRows();
    std::erase_if(ops, [](const Op& op) { return op.sql.empty() && op.rows.RowCount() == 0; });
    if (ops.empty() && !(next.empty() && m_bInTransaction)) return true;
    const Op* lastTable = nullptr;
    for (const Op& op : ops)
      if (op.sql.empty()) lastTable = &op;
    const auto columnCount = lastTable == nullptr ? 0 : static_cast<std::int32_t>(lastTable->rows.columns.size());
    auto start = std::chrono::steady_clock::now();
    bool ok = true;
    std::int32_t written = 0;
    m_lastError.clear();
    std::string table = lastTable == nullptr ? std::string() : lastTable->rows.table;
    try {
      if (!m_sink) OpenSink();
      if (!m_bInTransaction) {
        m_sink->Begin();
        m_bInTransaction = true;
      }
      for (Op& op : ops) {
        if (op.sql.empty()) {
          table = op.rows.table;
          m_sink->Write(op.rows);
          written += static_cast<std::int32_t>(op.rows.RowCount());
        } else {
          m_sink->Exec(op.sql, op.parameters, nullptr, nullptr);
        }
        m_written.push_back(std::move(op));
      }
      if (next.empty()) {
        m_sink->Commit();
        m_bInTransaction = false;
        // The largest table's buffers hold the next tables' rows without growing again.
        for (Op& op : m_written)
          if (op.rows.cells.capacity() > m_spare.cells.capacity()) m_spare = std::move(op.rows);
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
      std::vector<Op> all = std::move(m_written);
      m_written.clear();
      for (Op& op : ops)
        if (!op.sql.empty() || op.rows.RowCount() > 0) all.push_back(std::move(op));
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
  // Empty rows of a new table, in the buffers of an earlier one.
  TableRows TakeSpare() {
    TableRows rows = std::move(m_spare);
    m_spare = TableRows{};
    rows.table.clear();
    rows.columns.clear();
    rows.cells.clear();
    rows.rowEnds.clear();
    rows.text.clear();
    return rows;
  }

  TableRows m_current;
  TableRows m_spare;
  std::size_t m_nextColumn = 0;
  bool m_inRow = false;
  // The tables and statements written into the open transaction, kept until it commits.
  std::vector<Op> m_written;
  bool m_bInTransaction = false;
  // The tables and statements of a failed transaction and the table name whose repeated start retries them.
  std::optional<std::pair<std::vector<Op>, std::string>> m_retry;
};

}  // namespace

IOrvid* IOrvid::CreateInstance() {
  if (Factory factory = g_factory.load()) return factory();
  return new COrvidWriter();
}

void IOrvid::Destroy(IOrvid* object) { delete object; }

void IOrvid::SetFactoryForTesting(Factory factory) { g_factory.store(factory); }

void OrvidDisablePostgresCopy(bool disable) { g_noPostgresCopy.store(disable); }

std::uint64_t OrvidPostgresArrayTables() { return g_postgresArrayTables.load(std::memory_order_relaxed); }
