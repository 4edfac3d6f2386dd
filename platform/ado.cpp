#include "platform/ado.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "platform/connection_string.h"
#include "platform/name_compare.h"

namespace plat {
namespace {

constexpr const char* kSource = "ADO over ODBC";

std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

}  // namespace

ComError::ComError(HRESULT code, std::string source, std::string description)
    : m_code(code), m_source(std::move(source)), m_description(std::move(description)) {}

std::string ComError::ErrorMessage() const {
  char buffer[64];
  const auto code = static_cast<std::uint32_t>(m_code);
  if (m_code == kEFail) return "Unspecified error";
  if (code >= 0x80040200u && code <= 0x8004FFFFu) {
    std::snprintf(buffer, sizeof buffer, "IDispatch error #%d", static_cast<int>(code - 0x80040200u));
  } else {
    std::snprintf(buffer, sizeof buffer, "Unknown error 0x%0lX", static_cast<unsigned long>(code));
  }
  return buffer;
}

double OleDateFromTimestamp(const SQL_TIMESTAMP_STRUCT& ts) {
  const std::int64_t days = DaysFromCivil(ts.year, ts.month, ts.day) - DaysFromCivil(1899, 12, 30);
  const double time = (ts.hour * 3600.0 + ts.minute * 60.0 + ts.second) / 86400.0;
  // Before the epoch the fraction counts forward from the (negative) day.
  return days >= 0 ? static_cast<double>(days) + time : static_cast<double>(days) - time;
}

AdoType AdoTypeOfSqlType(SQLSMALLINT sqlType) {
  switch (sqlType) {
    case SQL_BIT: return adBoolean;
    case SQL_TINYINT: return adUnsignedTinyInt;
    case SQL_SMALLINT: return adSmallInt;
    case SQL_INTEGER: return adInteger;
    case SQL_BIGINT: return adBigInt;
    case SQL_REAL: return adSingle;
    case SQL_FLOAT:
    case SQL_DOUBLE: return adDouble;
    case SQL_DECIMAL:
    case SQL_NUMERIC: return adDecimal;
    case SQL_DATE:
    case SQL_TYPE_DATE: return adDBDate;
    case SQL_TIME:
    case SQL_TYPE_TIME: return adDBTime;
    case SQL_TIMESTAMP:
    case SQL_TYPE_TIMESTAMP: return adDBTimeStamp;
    case SQL_CHAR: return adChar;
    case SQL_VARCHAR: return adVarChar;
    case SQL_LONGVARCHAR: return adLongVarChar;
    case SQL_WCHAR: return adWChar;
    case SQL_WVARCHAR: return adVarWChar;
    case SQL_WLONGVARCHAR: return adLongVarWChar;
    case SQL_GUID: return adGUID;
    case SQL_BINARY: return adBinary;
    case SQL_VARBINARY: return adVarBinary;
    case SQL_LONGVARBINARY: return adLongVarBinary;
    default: return adVarChar;
  }
}

Variant ToVariant(const odbc::FieldValue& field, AdoType type) {
  using Kind = odbc::FieldValue::Kind;
  Variant v;
  switch (field.kind) {
    case Kind::Null: v.vt = VT_NULL; break;
    case Kind::Bit:
      v.vt = VT_BOOL;
      v.llVal = field.integer != 0 ? -1 : 0;
      break;
    case Kind::TinyInt:
      v.vt = VT_UI1;
      v.llVal = static_cast<unsigned char>(field.integer);
      break;
    case Kind::Short:
      v.vt = VT_I2;
      v.llVal = field.integer;
      break;
    case Kind::Long:
      v.vt = VT_I4;
      v.llVal = field.integer;
      break;
    case Kind::BigInt:
      v.vt = VT_I8;
      v.llVal = field.integer;
      break;
    case Kind::Single:
      v.vt = VT_R4;
      v.dblVal = static_cast<float>(field.number);
      break;
    case Kind::Double:
      v.vt = VT_R8;
      v.dblVal = field.number;
      break;
    case Kind::Date:
    case Kind::Time:
    case Kind::Timestamp:
      v.vt = VT_DATE;
      v.dblVal = OleDateFromTimestamp(field.timestamp);
      break;
    case Kind::Text:
      if (type == adDecimal || type == adNumeric) {
        v.vt = VT_DECIMAL;
        v.dblVal = std::strtod(field.text.c_str(), nullptr);
      } else {
        v.vt = VT_BSTR;
        v.bstrVal = field.text;
      }
      break;
    case Kind::Binary:
      v.vt = VT_ARRAY_UI1;
      v.bytes = field.bytes;
      break;
  }
  return v;
}

// ---------------------------------------------------------------------------
// Record set

Variant AdoField::GetValue() const {
  if (m_owner == nullptr || m_owner->m_eof || m_index >= m_owner->m_record.size())
    throw ComError(kAdoErrorNoCurrentRecord, kSource,
                   "Either BOF or EOF is True, or the current record has been deleted.");
  return m_owner->m_record[m_index];
}

AdoRecordset::~AdoRecordset() = default;

const AdoField& AdoRecordset::GetItem(long index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= m_fields.size())
    throw ComError(kAdoErrorItemNotFound, kSource,
                   "Item cannot be found in the collection corresponding to the requested name or ordinal.");
  return m_fields[static_cast<std::size_t>(index)];
}

const AdoField& AdoRecordset::GetItem(std::string_view name) const {
  const std::size_t at = FindName(m_fields, name, [](const AdoField& f) -> const std::string& { return f.m_name; });
  if (at == std::string::npos)
    throw ComError(kAdoErrorItemNotFound, kSource,
                   "Item cannot be found in the collection corresponding to the requested name or ordinal.");
  return m_fields[at];
}

void AdoRecordset::Fetch() {
  m_record.clear();
  try {
    std::vector<odbc::FieldValue> row;
    m_eof = !m_statement->FetchRow(row);
    m_record.reserve(row.size());
    for (std::size_t i = 0; i < row.size(); ++i) m_record.push_back(ToVariant(row[i], m_fields[i].m_type));
  } catch (const odbc::Error& e) {
    m_eof = true;
    throw ComError(kEFail, kSource, e.what());
  }
}

void AdoRecordset::MoveNext() {
  if (!m_statement) throw ComError(kAdoErrorObjectClosed, kSource, "Operation is not allowed when the object is closed.");
  if (m_eof)
    throw ComError(kAdoErrorNoCurrentRecord, kSource,
                   "Either BOF or EOF is True, or the current record has been deleted.");
  Fetch();
}

void AdoRecordset::Close() {
  if (!m_statement) throw ComError(kAdoErrorObjectClosed, kSource, "Operation is not allowed when the object is closed.");
  m_statement.reset();
  m_record.clear();
  m_eof = true;
}

// ---------------------------------------------------------------------------
// Connection

AdoConnection::~AdoConnection() = default;

void AdoConnection::Fail(const odbc::Error& error, std::string_view what) {
  for (const odbc::Diagnostic& d : error.Diagnostics())
    m_errors.push_back({d.native != 0 ? d.native : static_cast<std::int32_t>(kEFail), "ODBC", d.message, d.state});
  std::string description = error.Diagnostics().empty() ? std::string(what) : error.Diagnostics().front().message;
  throw ComError(kEFail, "Microsoft OLE DB Provider for ODBC Drivers", description);
}

void AdoConnection::RequireOpen() const {
  if (!m_connection) throw ComError(kAdoErrorObjectClosed, kSource, "Operation is not allowed when the object is closed.");
}

void AdoConnection::Open(std::string_view connectionString, std::string_view user, std::string_view password,
                         std::int32_t /*options*/) {
  m_errors.clear();
  if (m_connection) throw ComError(kEFail, kSource, "Operation is not allowed when the object is open.");
  TranslatedConnection translated = TranslateConnectionString(connectionString, user, password);
  if (!translated.ok) {
    m_errors.push_back({static_cast<std::int32_t>(kEFail), kSource, translated.message, "08001"});
    throw ComError(kEFail, kSource, translated.message);
  }
  try {
    m_connection = odbc::Connection::Open(translated.odbc, m_timeout);
  } catch (const odbc::Error& e) {
    Fail(e, "The connection cannot be opened.");
  }
}

std::unique_ptr<AdoRecordset> AdoConnection::Execute(std::string_view sql, std::int64_t* recordsAffected,
                                                     std::int32_t /*options*/) {
  RequireOpen();
  m_errors.clear();
  try {
    auto statement = std::make_unique<odbc::Statement>(m_connection);
    statement->ExecuteDirect(sql);
    if (recordsAffected != nullptr) *recordsAffected = statement->RowCount();
    if (statement->Columns().empty()) return nullptr;
    std::unique_ptr<AdoRecordset> rs(new AdoRecordset());
    for (std::size_t i = 0; i < statement->Columns().size(); ++i) {
      const odbc::ColumnInfo& column = statement->Columns()[i];
      AdoField field;
      field.m_name = column.name;
      field.m_type = AdoTypeOfSqlType(column.sqlType);
      field.m_definedSize = static_cast<std::int32_t>(std::min<SQLULEN>(column.size, 0x7FFFFFFF));
      field.m_owner = rs.get();
      field.m_index = i;
      rs->m_fields.push_back(std::move(field));
    }
    rs->m_statement = std::move(statement);
    rs->Fetch();
    return rs;
  } catch (const odbc::Error& e) {
    Fail(e, "The statement failed.");
  }
}

void AdoConnection::RunTransactionStep(void (odbc::Connection::*step)(), std::string_view what) {
  RequireOpen();
  try {
    (m_connection.get()->*step)();
  } catch (const odbc::Error& e) {
    Fail(e, what);
  }
}

void AdoConnection::BeginTrans() { RunTransactionStep(&odbc::Connection::BeginTransaction, "BeginTrans failed."); }

void AdoConnection::CommitTrans() { RunTransactionStep(&odbc::Connection::Commit, "CommitTrans failed."); }

void AdoConnection::RollbackTrans() { RunTransactionStep(&odbc::Connection::Rollback, "RollbackTrans failed."); }

void AdoConnection::Close() {
  RequireOpen();
  m_connection.reset();
}

std::string AdoConnection::GetDbmsName() const {
  RequireOpen();
  try {
    return m_connection->DbmsName();
  } catch (const odbc::Error& e) {
    throw ComError(kEFail, kSource, e.what());
  }
}

}  // namespace plat
