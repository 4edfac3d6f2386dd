#include "platform/odbc_database.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "platform/connection_string.h"
#include "platform/name_compare.h"

namespace {

std::string JoinMessages(const plat::odbc::Error& error) {
  std::string text;
  for (const plat::odbc::Diagnostic& d : error.Diagnostics()) {
    if (!text.empty()) text += "\n";
    text += d.message;
  }
  if (text.empty()) text = error.what();
  return text;
}

std::string StateText(const plat::odbc::Error& error) {
  if (error.Diagnostics().empty()) return {};
  const plat::odbc::Diagnostic& d = error.Diagnostics().front();
  return "State:" + d.state + ",Native:" + std::to_string(d.native) + ",Origin:[ODBC]";
}

CDBException Failure(std::string_view text, std::string_view state = "HY000") {
  return CDBException(SQL_ERROR, std::string(text), "State:" + std::string(state) + ",Native:0,Origin:[ODBC]");
}

// The answer of an ODBC call; its failure is thrown as CDBException.
template <class Call>
auto Guarded(Call&& call) {
  try {
    return call();
  } catch (const plat::odbc::Error& e) {
    throw CDBException(e);
  }
}

}  // namespace

CDBException::CDBException(std::int16_t retCode, std::string errorText, std::string state)
    : CException(errorText), m_nRetCode(retCode), m_strError(std::move(errorText)),
      m_strStateNativeOrigin(std::move(state)) {}

CDBException::CDBException(const plat::odbc::Error& error)
    : CDBException(error.ReturnCode(), JoinMessages(error), StateText(error)) {}

// ---------------------------------------------------------------------------
// CDatabase

CDatabase::~CDatabase() { Close(); }

bool CDatabase::Open(std::string_view dsn, bool exclusive, bool readOnly, std::string_view connect, bool cursorLib) {
  std::uint32_t options = 0;
  if (exclusive) options |= openExclusive;
  if (readOnly) options |= openReadOnly;
  if (cursorLib) options |= useCursorLib;
  std::string text(connect);
  if (plat::StartsWithNoCase(text, "ODBC;")) text.erase(0, 5);
  if (!dsn.empty()) text = plat::ConnectionPair("DSN", dsn) + (text.empty() ? "" : ";" + text);
  return OpenEx(text, options);
}

bool CDatabase::OpenEx(std::string_view connect, std::uint32_t /*options*/) {
  Close();
  std::string text(connect);
  if (plat::StartsWithNoCase(text, "ODBC;")) text.erase(0, 5);
  plat::TranslatedConnection translated = plat::TranslateConnectionString(text);
  if (!translated.ok) throw Failure(translated.message, "08001");
  m_connection = Guarded([&] { return plat::odbc::Connection::Open(translated.odbc); });
  return true;
}

void CDatabase::Close() { m_connection.reset(); }

void CDatabase::RequireOpen() const {
  if (!m_connection) throw Failure("The database is not open.", "08003");
}

std::string CDatabase::GetConnect() const {
  RequireOpen();
  return "ODBC;" + m_connection->CompletedConnectionString();
}

std::string CDatabase::GetDbmsName() const {
  RequireOpen();
  return Guarded([&] { return m_connection->DbmsName(); });
}

std::string CDatabase::GetIdentifierQuoteChar() const {
  RequireOpen();
  return Guarded([&] { return m_connection->IdentifierQuote(); });
}

void CDatabase::ExecuteSQL(std::string_view sql) {
  RequireOpen();
  Guarded([&] { m_connection->ExecuteDirect(sql); });
}

bool CDatabase::BeginTrans() {
  RequireOpen();
  Guarded([&] { m_connection->BeginTransaction(); });
  return true;
}

bool CDatabase::CommitTrans() {
  RequireOpen();
  Guarded([&] { m_connection->Commit(); });
  return true;
}

bool CDatabase::Rollback() {
  RequireOpen();
  Guarded([&] { m_connection->Rollback(); });
  return true;
}

// ---------------------------------------------------------------------------
// CRecordset

CRecordset::CRecordset(CDatabase* database) : m_database(database) {}

CRecordset::~CRecordset() { Close(); }

bool CRecordset::Open(OpenType /*openType*/, std::string_view sql, std::uint32_t /*options*/) {
  Close();
  if (m_database == nullptr || !m_database->IsOpen()) throw Failure("The database is not open.", "08003");
  try {
    auto statement = std::make_unique<plat::odbc::Statement>(m_database->Connection());
    statement->ExecuteDirect(sql);
    if (statement->Columns().empty()) throw Failure("The statement returns no records.", "24000");
    m_statement = std::move(statement);
    m_bof = false;
    FetchRecord();
    m_bof = m_eof;
  } catch (const plat::odbc::Error& e) {
    Close();
    throw CDBException(e);
  }
  return true;
}

void CRecordset::Close() {
  m_statement.reset();
  m_record.clear();
  m_eof = true;
  m_bof = true;
}

void CRecordset::FetchRecord() {
  m_eof = !m_statement->FetchRow(m_record);
}

void CRecordset::MoveNext() {
  if (!m_statement) throw Failure("The record set is not open.", "24000");
  if (m_eof) throw Failure("Attempt to move past the end of the record set.", "24000");
  Guarded([&] { FetchRecord(); });
}

void CRecordset::Move(std::int64_t rows, std::int16_t fetchType) {
  if (rows == 0 && fetchType == SQL_FETCH_RELATIVE) {
    if (!m_statement) throw Failure("The record set is not open.", "24000");
    return;  // the current record is already held in full
  }
  if (rows == 1 && fetchType == SQL_FETCH_RELATIVE) return MoveNext();
  throw Failure("The record set moves forward only.", "HYC00");
}

std::int16_t CRecordset::GetODBCFieldCount() const {
  return m_statement ? static_cast<std::int16_t>(m_statement->Columns().size()) : 0;
}

void CRecordset::GetODBCFieldInfo(std::int16_t index, CODBCFieldInfo& info) const {
  if (!m_statement || index < 0 || index >= GetODBCFieldCount()) throw CInvalidArgException();
  const plat::odbc::ColumnInfo& column = m_statement->Columns()[static_cast<std::size_t>(index)];
  info.m_strName = column.name;
  info.m_nSQLType = column.sqlType;
  info.m_nPrecision = column.size;
  info.m_nScale = column.decimals;
  info.m_nNullability = column.nullable;
}

std::int16_t CRecordset::FieldIndex(std::string_view name) const {
  if (!m_statement) throw Failure("The record set is not open.", "24000");
  const std::size_t at = plat::FindName(m_statement->Columns(), name,
                                        [](const plat::odbc::ColumnInfo& c) -> const std::string& { return c.name; });
  if (at != std::string::npos) return static_cast<std::int16_t>(at);
  throw Failure("Field not found: " + std::string(name) + ".", "07009");
}

void CRecordset::GetFieldValue(std::int16_t index, CDBVariant& value, std::int16_t /*fieldType*/) const {
  if (!m_statement) throw Failure("The record set is not open.", "24000");
  if (m_eof) throw Failure("No current record.", "24000");
  if (index < 0 || static_cast<std::size_t>(index) >= m_record.size())
    throw Failure("Invalid field index.", "07009");
  ToDbVariant(m_record[static_cast<std::size_t>(index)], value);
}

void CRecordset::GetFieldValue(std::string_view name, CDBVariant& value, std::int16_t fieldType) const {
  GetFieldValue(FieldIndex(name), value, fieldType);
}

void CRecordset::GetFieldValue(std::int16_t index, std::string& value) const {
  CDBVariant v;
  GetFieldValue(index, v);
  const plat::odbc::FieldValue& field = m_record[static_cast<std::size_t>(index)];
  switch (field.kind) {
    case plat::odbc::FieldValue::Kind::Null: value.clear(); break;
    case plat::odbc::FieldValue::Kind::Text: value = field.text; break;
    case plat::odbc::FieldValue::Kind::Single:
    case plat::odbc::FieldValue::Kind::Double: {
      char buffer[64];
      std::snprintf(buffer, sizeof buffer, "%.17g", field.number);
      value = buffer;
      break;
    }
    case plat::odbc::FieldValue::Kind::Date:
    case plat::odbc::FieldValue::Kind::Time:
    case plat::odbc::FieldValue::Kind::Timestamp: {
      char buffer[64];
      const auto& t = field.timestamp;
      std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                    t.second);
      value = buffer;
      break;
    }
    case plat::odbc::FieldValue::Kind::Binary: value.assign(field.bytes.begin(), field.bytes.end()); break;
    default: value = std::to_string(field.integer); break;
  }
}

void CRecordset::GetFieldValue(std::string_view name, std::string& value) const {
  GetFieldValue(FieldIndex(name), value);
}

void ToDbVariant(const plat::odbc::FieldValue& field, CDBVariant& out) {
  using Kind = plat::odbc::FieldValue::Kind;
  out.Clear();
  switch (field.kind) {
    case Kind::Null: out.m_dwType = DBVT_NULL; break;
    case Kind::Bit:
      out.m_dwType = DBVT_BOOL;
      out.m_boolVal = field.integer != 0;
      break;
    case Kind::TinyInt:
      out.m_dwType = DBVT_UCHAR;
      out.m_chVal = static_cast<unsigned char>(field.integer);
      break;
    case Kind::Short:
      out.m_dwType = DBVT_SHORT;
      out.m_iVal = static_cast<std::int16_t>(field.integer);
      break;
    case Kind::Long:
      out.m_dwType = DBVT_LONG;
      out.m_lVal = static_cast<std::int32_t>(field.integer);
      break;
    case Kind::BigInt:
      out.m_dwType = DBVT_STRING;
      out.m_strVal = std::to_string(field.integer);
      break;
    case Kind::Single:
      out.m_dwType = DBVT_SINGLE;
      out.m_fltVal = static_cast<float>(field.number);
      break;
    case Kind::Double:
      out.m_dwType = DBVT_DOUBLE;
      out.m_dblVal = field.number;
      break;
    case Kind::Date:
    case Kind::Time:
    case Kind::Timestamp:
      out.m_dwType = DBVT_DATE;
      out.m_date = field.timestamp;
      break;
    case Kind::Text:
      out.m_dwType = DBVT_STRING;
      out.m_strVal = field.text;
      break;
    case Kind::Binary:
      out.m_dwType = DBVT_BINARY;
      out.m_binary = field.bytes;
      break;
  }
}
