#include "tableio/db/odbc_tbl.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>

#include "foundation/messages.h"
#include "foundation/path_utils.h"
#include "foundation/string_utils.h"
#include "platform/connection_string.h"
#include "platform/exceptions.h"
#include "tableio/db/odbc_write.h"
#include "tableio/db/sql_statements.h"

namespace {

enum : std::uint32_t {
  kIdsCannotFreeStatement = 10091,
  kIdsExtractColumnMissing = 10092,
  kIdsBinaryFetchFailed = 10100,
  kIdsUnknownSqlType = 10104,
  kIdsNoMatch = 10106,
  kIdsBindColFailed = 10129,
  kIdsTypeInfoFailed = 10130,
  kIdsGetInfoFailed = 10133,
  kIdsNoDelimitedIdentifiers = 10134,
  kIdsConnectFailed = 10145,
  kIdsConnectParameters = 10146,
  kIdsSqlState = 10150,
  kIdsAllocStmtFailed = 10153,
  kIdsTypeSkipped = 10160,
  kIdsColumnsFailed = 10221,
  kIdsDataSourceName = 10225,
  kIdsRetrieveFailed = 10262,
  kIdsUnsupportedColumnSkipped = 10317,
  kIdsUserName = 10326,
  kIdsPassword = 10327,
};

// ODBC 3 date codes as the ODBC 2 codes the library uses.
int Odbc2Type(int type) {
  switch (type) {
    case SQL_TYPE_DATE: return SQL_DATE;
    case SQL_TYPE_TIME: return SQL_TIME;
    case SQL_TYPE_TIMESTAMP: return SQL_TIMESTAMP;
    default: return type;
  }
}

std::string TextOf(const plat::odbc::FieldValue& v) {
  using Kind = plat::odbc::FieldValue::Kind;
  switch (v.kind) {
    case Kind::Null: return {};
    case Kind::Text: return v.text;
    case Kind::Single:
    case Kind::Double: {
      char buffer[64];
      std::snprintf(buffer, sizeof buffer, "%.17g", v.number);
      return buffer;
    }
    case Kind::Binary: return std::string(v.bytes.begin(), v.bytes.end());
    case Kind::Date:
    case Kind::Time:
    case Kind::Timestamp: {
      char buffer[64];
      const auto& t = v.timestamp;
      std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                    t.second);
      return buffer;
    }
    default: return std::to_string(v.integer);
  }
}

double NumberOf(const plat::odbc::FieldValue& v) {
  using Kind = plat::odbc::FieldValue::Kind;
  switch (v.kind) {
    case Kind::Single:
    case Kind::Double: return v.number;
    case Kind::Text: return std::atof(v.text.c_str());
    case Kind::Null:
    case Kind::Binary:
    case Kind::Date:
    case Kind::Time:
    case Kind::Timestamp: return 0.0;
    default: return static_cast<double>(v.integer);
  }
}

std::int64_t IntegerOf(const plat::odbc::FieldValue& v) {
  using Kind = plat::odbc::FieldValue::Kind;
  if (v.kind == Kind::Text) return std::strtoll(v.text.c_str(), nullptr, 10);
  if (v.kind == Kind::Single || v.kind == Kind::Double) return static_cast<std::int64_t>(v.number);
  return v.integer;
}

plat::OleDateTime DateOf(const plat::odbc::FieldValue& v) {
  const auto& t = v.timestamp;
  return plat::OleDateTime(t.year, t.month, t.day, t.hour, t.minute, t.second);
}

bool IsWideText(int type) { return type == SQL_WCHAR || type == SQL_WVARCHAR || type == SQL_WLONGVARCHAR; }

std::string MaskPassword(const std::string& password) { return password.empty() ? std::string() : "********"; }

}  // namespace

std::unique_ptr<CIoCell> CellFromOdbcValue(const plat::odbc::FieldValue& value, int sqlType) {
  const bool isNull = value.IsNull();
  switch (sqlType) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR: {
      if (isNull) return std::make_unique<CIoStrCell>();
      std::string text = TextOf(value);
      TrimTrailingBlanks(text);
      return std::make_unique<CIoStrCell>(text, false, false);
    }
    case SQL_NUMERIC:
    case SQL_DECIMAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
      if (isNull) return std::make_unique<CIoDoubleCell>();
      return std::make_unique<CIoDoubleCell>(NumberOf(value), false, false);
    case SQL_INTEGER:
      if (isNull) return std::make_unique<CIoLongCell>();
      return std::make_unique<CIoLongCell>(static_cast<std::int32_t>(IntegerOf(value)), false, false);
    case SQL_BIGINT: {
      if (isNull) return std::make_unique<CIoLongCell>();
      const std::int64_t v = IntegerOf(value);
      if (v >= INT32_MIN && v <= INT32_MAX) return std::make_unique<CIoLongCell>(static_cast<std::int32_t>(v), false, false);
      return std::make_unique<CIoDoubleCell>(static_cast<double>(v), false, false);
    }
    case SQL_SMALLINT:
      if (isNull) return std::make_unique<CIoShortCell>();
      return std::make_unique<CIoShortCell>(static_cast<std::int16_t>(IntegerOf(value)), false, false);
    case SQL_REAL:
      if (isNull) return std::make_unique<CIoFloatCell>();
      return std::make_unique<CIoFloatCell>(static_cast<float>(NumberOf(value)), false, false);
    case SQL_DATE:
      if (isNull) return std::make_unique<CIoDateCell>(plat::OleDateTime(), true, false);
      if (value.kind == plat::odbc::FieldValue::Kind::Text) return std::make_unique<CIoDateCell>(value.text, false, false);
      return std::make_unique<CIoDateCell>(DateOf(value), false, false);
    case SQL_TIME:
      if (isNull) return std::make_unique<CIoTimeCell>(plat::OleDateTime(), true, false);
      if (value.kind == plat::odbc::FieldValue::Kind::Text) return std::make_unique<CIoTimeCell>(value.text, false, false);
      return std::make_unique<CIoTimeCell>(DateOf(value), false, false);
    case SQL_TIMESTAMP:
      if (isNull) return std::make_unique<CIoTimeStampCell>();
      if (value.kind == plat::odbc::FieldValue::Kind::Text)
        return std::make_unique<CIoTimeStampCell>(value.text, false, false);
      return std::make_unique<CIoTimeStampCell>(DateOf(value), false, false);
    case SQL_BIT:
      if (isNull) return std::make_unique<CIoBitCell>();
      return std::make_unique<CIoBitCell>(static_cast<std::uint8_t>(IntegerOf(value)), false, false);
    case SQL_TINYINT:
      if (isNull) return std::make_unique<CIoTinyIntCell>();
      return std::make_unique<CIoTinyIntCell>(static_cast<std::int8_t>(IntegerOf(value)), false, false);
    default: return nullptr;
  }
}

CODBCTbl::CODBCTbl(std::ostream* log, CIOOptions* options) : CDbTbl(log, options) {}

CODBCTbl::~CODBCTbl() { Disconnect(); }

int CODBCTbl::Open(const CIoTableDescription& description) {
  m_description.Copy(description);
  m_strUser = description.m_strUser;
  m_strPassword = description.m_strPassword;
  m_strDataSourceName = description.m_strDataSourceName;
  SetTableName(description.m_strTable);
  SetSourceName(description.m_strDataSourceName);
  if (!Connect() || !ReadColumnInfo() || !ReadTypeInfo() || !ReadIdentifierQuote()) return 0;
  m_bOpen = 1;
  return 1;
}

int CODBCTbl::OpenFromSpec(const std::string& /*dataSourceName*/, const std::string& spec,
                           const std::string& tableName) {
  SetTableName(tableName);
  if (!ParseTableSpec(spec)) return 0;
  SetSourceName(m_strDataSourceName);
  if (!Connect() || !ReadTypeInfo() || !ReadIdentifierQuote()) return 0;
  m_bOpen = 1;
  return 1;
}

int CODBCTbl::Close(int /*commit*/) {
  m_bOpen = 0;
  return Disconnect();
}

int CODBCTbl::Connect() {
  m_typeInfo.RemoveAll();
  Disconnect();
  const CIOOptions& options = Options();
  // A data source name holding "=" is a complete connection string.
  std::string text = m_strDataSourceName.find('=') != std::string::npos
                         ? m_strDataSourceName
                         : plat::ConnectionPair("DSN", m_strDataSourceName);
  if (!m_strUser.empty()) text += ";" + plat::ConnectionPair("UID", m_strUser);
  if (!m_strPassword.empty()) text += ";" + plat::ConnectionPair("PWD", m_strPassword);
  try {
    m_connection = plat::odbc::Connection::Open(text, static_cast<std::uint32_t>(std::max(0, options.GetLoginTimeout())));
  } catch (const plat::odbc::Error& e) {
    LogNoteId(kIdsConnectFailed);
    LogNoteId(kIdsConnectParameters);
    LogNoteArg(kIdsDataSourceName, m_strDataSourceName);
    LogNoteArg(kIdsUserName, m_strUser);
    LogNoteArg(kIdsPassword, MaskPassword(m_strPassword));
    return ReportOdbcError(e, true, kIdsConnectFailed);
  }
  try {
    m_statement = m_connection->NewStatement();
  } catch (const plat::odbc::Error& e) {
    return ReportOdbcError(e, true, kIdsAllocStmtFailed);
  }
  return 1;
}

int CODBCTbl::Disconnect() {
  m_statement.reset();
  m_connection.reset();
  return 1;
}

int CODBCTbl::ReportOdbcError(const plat::odbc::Error& error, bool disconnect, std::uint32_t messageId) {
  const CIOOptions& options = Options();
  if (options.LogEnabled) {
    for (const plat::odbc::Diagnostic& d : error.Diagnostics()) {
      // A driver may echo the connection string: the report masks the password.
      ReportErrorText(LoadResString(kIdsSqlState) + d.state + "\n\n" + d.message);
    }
  }
  if (messageId != 0) FailStatement(messageId, false);
  if (disconnect) Disconnect();
  return 0;
}

int CODBCTbl::FailStatement(std::uint32_t messageId, bool disconnect) {
  ReportError(messageId);
  if (disconnect) Disconnect();
  return 0;
}

int CODBCTbl::ReadTypeInfo() {
  if (!m_statement) return FailStatement(kIdsTypeInfoFailed, true);
  try {
    m_statement->GetTypeInfo(SQL_ALL_TYPES);
    while (m_statement->Fetch()) {
      auto info = std::make_unique<CIoSqlTypeInfo>();
      auto number = [&](std::size_t column) {
        return static_cast<std::int16_t>(std::clamp<std::int64_t>(IntegerOf(m_statement->GetValue(column)),
                                                                  INT16_MIN, INT16_MAX));
      };
      info->m_strTypeName = TextOf(m_statement->GetValue(0));
      info->m_nDataType = static_cast<std::int16_t>(Odbc2Type(number(1)));
      info->m_nValues[0] = number(2);
      info->m_strLiteralPrefix = TextOf(m_statement->GetValue(3));
      info->m_strLiteralSuffix = TextOf(m_statement->GetValue(4));
      info->m_strCreateParams = TextOf(m_statement->GetValue(5));
      for (std::size_t i = 0; i < 6; ++i) info->m_nValues[1 + i] = number(6 + i);
      info->m_strLocalTypeName = TextOf(m_statement->GetValue(12));
      m_typeInfo.Add(std::move(info));
    }
    m_statement->CloseCursor();
  } catch (const plat::odbc::Error& e) {
    return ReportOdbcError(e, true, kIdsTypeInfoFailed);
  }
  // Without a catalogue no literal or type name can be chosen.
  if (m_typeInfo.IsEmpty()) return FailStatement(kIdsTypeInfoFailed, true);
  return 1;
}

int CODBCTbl::ReadIdentifierQuote() {
  if (!m_connection) return FailStatement(kIdsGetInfoFailed, true);
  std::string dbmsName;
  try {
    m_strIdentifierQuote = m_connection->IdentifierQuote();
    dbmsName = m_connection->DbmsName();
  } catch (const plat::odbc::Error& e) {
    return ReportOdbcError(e, true, kIdsGetInfoFailed);
  }
  m_bJet = IsJetDbms(dbmsName);
  m_stringDialect = StringDialectOf(dbmsName);
  if (m_strIdentifierQuote == " ") ReportWarning(kIdsNoDelimitedIdentifiers);
  // The quote decides how statements write the table name; a name it cannot quote is not used.
  if (!QuoteTableName(m_strIdentifierQuote, HasBracketQuotes(dbmsName), m_strTableName, m_strStatementTable)) {
    ReportErrorArg(kIdsUnquotableName, m_strTableName);
    Disconnect();
    return 0;
  }
  return 1;
}

int CODBCTbl::FindTypeInfo(int sqlType) const {
  if (m_typeInfo.IsEmpty()) throw CInvalidArgException("The data source has no type catalogue.");
  auto first = [&](int type) {
    for (int i = 0; i < m_typeInfo.GetSize(); ++i)
      if (m_typeInfo[i]->m_nDataType == type) return i;
    return -1;
  };
  if (int exact = first(sqlType); exact >= 0) return exact;
  static const std::vector<int> kNone;
  static const std::vector<int> kChar{12, -1}, kVarchar{1, -1}, kLongVarchar{12, 1}, kNumeric{1, 12, -1},
      kDate{11, 12, -1}, kTimestamp{12, -1}, kBit{-6, 5, 4, 7, 6, 8}, kTinyInt{5, 4, 7, 6, 8, -7},
      kSmallInt{4, 7, 6, 8, -6, -7}, kInteger{7, 6, 8, 5, -6, -7}, kReal{6, 8, 4, 5, -6, -7},
      kFloat{8, 7, 4, 5, -6, -7}, kDouble{6, 7, 4, 5, -6, -7};
  const std::vector<int>* chain = &kNone;
  switch (sqlType) {
    case 1: chain = &kChar; break;
    case 12: chain = &kVarchar; break;
    case -1: chain = &kLongVarchar; break;
    case 2:
    case 3:
    case -2:
    case -3:
    case -4:
    case -5: chain = &kNumeric; break;
    case 9:
    case 10: chain = &kDate; break;
    case 11: chain = &kTimestamp; break;
    case -7: chain = &kBit; break;
    case -6: chain = &kTinyInt; break;
    case 5: chain = &kSmallInt; break;
    case 4: chain = &kInteger; break;
    case 7: chain = &kReal; break;
    case 6: chain = &kFloat; break;
    case 8: chain = &kDouble; break;
    default: break;
  }
  for (int substitute : *chain)
    if (int index = first(substitute); index >= 0) return index;
  return 0;
}

std::string CODBCTbl::GetTypeName(int sqlType) { return m_typeInfo[FindTypeInfo(sqlType)]->m_strTypeName; }
std::string CODBCTbl::GetLiteralPrefix(int sqlType) { return m_typeInfo[FindTypeInfo(sqlType)]->m_strLiteralPrefix; }
std::string CODBCTbl::GetLiteralSuffix(int sqlType) { return m_typeInfo[FindTypeInfo(sqlType)]->m_strLiteralSuffix; }
std::string CODBCTbl::GetCreateParams(int sqlType) { return m_typeInfo[FindTypeInfo(sqlType)]->m_strCreateParams; }

std::string CODBCTbl::FormatLiteral(const std::string& value, int sqlType) {
  std::string prefix;
  std::string suffix = "'}";
  if (sqlType == SQL_DATE || sqlType == SQL_TIMESTAMP) {
    prefix = value.size() == 19 ? "{ts '" : "{d '";
  } else if (sqlType == SQL_TIME) {
    prefix = "{t '";
  } else {
    prefix = GetLiteralPrefix(sqlType);
    suffix = GetLiteralSuffix(sqlType);
  }
  std::string out;
  return EscapeLiteral(prefix, value, suffix, out, m_stringDialect) ? out : std::string();
}

int CODBCTbl::ReadColumnInfo() {
  if (!m_statement) return FailStatement(kIdsColumnsFailed, true);
  std::string directory;
  std::string file;
  SplitDirAndFileName(m_strTableName, directory, file);
  std::string catalog;
  std::string schema;
  std::string table = m_strTableName;
  if (!directory.empty()) {
    while (!directory.empty() && (directory.back() == '/' || directory.back() == '\\')) directory.pop_back();
    catalog = directory;
    table = file;
  } else if (std::size_t dot = m_strTableName.find('.'); dot != std::string::npos && dot > 0) {
    schema = m_strTableName.substr(0, dot);
    table = m_strTableName.substr(dot + 1);
  }
  const CIOOptions& options = Options();
  try {
    int added = 0;
    // Servers that fold unquoted names to lower case keep them so in their catalogue.
    std::string lower = table;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::vector<std::string> names{table};
    if (lower != table) names.push_back(lower);
    for (const std::string& name : names) {
      if (added > 0) break;
      m_statement->ColumnsOf(catalog, schema, name);
      while (m_statement->Fetch()) {
        const std::string columnName = TextOf(m_statement->GetValue(3));
        int type = Odbc2Type(static_cast<int>(IntegerOf(m_statement->GetValue(4))));
        const std::int64_t columnSize = IntegerOf(m_statement->GetValue(6));
        const std::int64_t length = IntegerOf(m_statement->GetValue(7));
        const std::int64_t decimals = IntegerOf(m_statement->GetValue(8));
        const std::int64_t nullable = IntegerOf(m_statement->GetValue(10));
        if (columnName == "DATETIMEID") type = SQL_TIMESTAMP;
        if (options.SkipBinaryColumns && (type == SQL_BINARY || type == SQL_VARBINARY || type == SQL_LONGVARBINARY)) {
          ReportWarningArg(kIdsUnsupportedColumnSkipped, columnName);
          continue;
        }
        const std::int64_t size = length > 0 ? length : columnSize;
        m_columns.Add(std::make_unique<CColumn>(columnName, static_cast<std::int16_t>(type),
                                                static_cast<std::int32_t>(std::clamp<std::int64_t>(size, 0, INT32_MAX)),
                                                static_cast<std::int16_t>(decimals),
                                                static_cast<std::int16_t>(nullable), 0));
        ++added;
      }
      m_statement->CloseCursor();
    }
    if (added == 0) return FailStatement(kIdsColumnsFailed, true);
  } catch (const plat::odbc::Error& e) {
    return ReportOdbcError(e, true, kIdsColumnsFailed);
  }
  return 1;
}

int CODBCTbl::ReadAll(CIoRowArray& rows, CColumnArray& keyColumns, CColumnArray& dataColumns,
                      const std::string& keyFields, const std::string& keyValues, const std::string& extractFields,
                      std::vector<std::string>* optionalList, int /*sourceNumber*/) {
  if (const std::uint32_t failed =
          SetReadColumns(keyColumns, dataColumns, keyFields, keyValues, extractFields, optionalList))
    return FailStatement(failed == kExtractColumnsFailed ? kIdsExtractColumnMissing : failed, true);
  if (!m_statement) return FailStatement(kIdsNoMatch, true);

  std::string sql;
  if (!BuildSelect(*this, m_strIdentifierQuote, m_strStatementTable, false, sql)) {
    Disconnect();
    return 0;
  }
  LogNote(sql);
  try {
    m_statement->ExecuteDirect(sql);
  } catch (const plat::odbc::Error& e) {
    return ReportOdbcError(e, true, kIdsNoMatch);
  }

  // The columns every row reads: the extract fields, then the resolved key fields.
  std::vector<int> types;
  for (const CIoKeyCell* field : m_extractFields) types.push_back(m_columns[field->GetIndex()]->m_nSqlType);
  for (const CIoKeyCell* field : m_keyFields)
    if (field->GetIndex() != -1) types.push_back(m_columns[field->GetIndex()]->m_nSqlType);
  for (std::size_t i = 0; i < types.size(); ++i) {
    const int type = types[i];
    const bool known = type >= SQL_WLONGVARCHAR && type <= SQL_VARCHAR && type != 0 && type != SQL_BINARY &&
                       type != SQL_VARBINARY && type != SQL_LONGVARBINARY;
    if (type == SQL_BINARY) return FailStatement(kIdsBinaryFetchFailed, true);
    if (!known) {
      LogNote(std::to_string(type) + " " + m_statement->Columns().at(i).name);
      return FailStatement(kIdsUnknownSqlType, true);
    }
  }

  int read = 0;
  try {
    std::vector<plat::odbc::FieldValue> values;
    while (m_statement->FetchRow(values)) {
      auto cellAt = [&](std::size_t i) {
        std::unique_ptr<CIoCell> cell = CellFromOdbcValue(values[i], IsWideText(types[i]) ? SQL_VARCHAR : types[i]);
        if (!cell) {
          ReportError(kIdsTypeSkipped);
          cell = std::make_unique<CIoStrCell>();
        }
        return cell;
      };
      std::size_t next = static_cast<std::size_t>(m_extractFields.GetSize());
      rows.Add(NewReadRow([&](int i) { return cellAt(static_cast<std::size_t>(i)); },
                          [&](const CIoKeyCell&) { return cellAt(next++); }));
      ++read;
    }
    m_statement->CloseCursor();
  } catch (const plat::odbc::Error& e) {
    return ReportOdbcError(e, true, kIdsRetrieveFailed);
  }
  if (read == 0) ReportWarning(kIdsNoMatch);
  return 1;
}

COdbcWriteContext CODBCTbl::WriteContext() {
  return COdbcWriteContext{*this, m_connection, m_strIdentifierQuote, m_strStatementTable, m_bJet,
                           [this] { Disconnect(); }};
}

int CODBCTbl::RecreateTable(CIoRowArray& rows, CColumnArray& keyColumns, CColumnArray& dataColumns) {
  return DropTable() && CreateTable(keyColumns, dataColumns) && InsertRows(rows, keyColumns, dataColumns, 1);
}

int CODBCTbl::DeleteRowsByKeys(const std::string& keyFields, const std::string& keyValues,
                               const std::string& /*resultFields*/) {
  auto c = WriteContext();
  return OdbcDeleteRowsByKeys(c, keyFields, keyValues);
}

int CODBCTbl::DropTable() {
  auto c = WriteContext();
  return OdbcDropTable(c);
}

int CODBCTbl::InsertRows(CIoRowArray& rows, CColumnArray& keyColumns, CColumnArray& dataColumns,
                         int useGivenKeyColumnTypes) {
  auto c = WriteContext();
  return OdbcInsertRows(c, rows, keyColumns, dataColumns, useGivenKeyColumnTypes != 0);
}

int ReadOdbcTable(const CIoTableDescription& description, const std::string& keyFields, const std::string& keyValues,
                  const std::string& extractFields, CColumnArray& keyColumns, CColumnArray& dataColumns,
                  CIoRowArray& rows, int& readOnly, int& available) {
  int formatCode = 0;
  return RunDbTableLoader<CODBCTbl>(description, keyFields, keyValues, extractFields, keyColumns, dataColumns, rows,
                                    readOnly, formatCode, available);
}

int LoadOdbcTable(CIoTable& table, const std::string& keyFields, const std::string& keyValues,
                  const std::string& extractFields) {
  return ReadOdbcTable(table.m_description, keyFields, keyValues, extractFields, table.m_keyColumns,
                       table.m_dataColumns, table.m_rows, table.m_bReadOnly, table.m_bAvailable);
}
