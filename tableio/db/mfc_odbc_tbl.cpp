#include "tableio/db/mfc_odbc_tbl.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>

#include "foundation/string_utils.h"
#include "platform/connection_string.h"
#include "platform/name_compare.h"
#include "tableio/db/odbc_write.h"
#include "tableio/db/sql_statements.h"

namespace {

bool IsPlainName(const std::string& name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.';
  });
}

}  // namespace

std::unique_ptr<CIoCell> NullCellOfType(int sqlType) {
  switch (sqlType) {
    case 3:
    case 8: return std::make_unique<CIoDoubleCell>();
    case 4: return std::make_unique<CIoLongCell>();
    case 5: return std::make_unique<CIoShortCell>();
    case 7: return std::make_unique<CIoFloatCell>();
    case 11: return std::make_unique<CIoTimeStampCell>();
    case -7: return std::make_unique<CIoBitCell>();
    case -6: return std::make_unique<CIoTinyIntCell>();
    default: return std::make_unique<CIoStrCell>();
  }
}

namespace {

// A number that arrived as text (decimals, 64-bit integers) as a cell of the column's class.
std::unique_ptr<CIoCell> NumberCell(const std::string& text, int sqlType) {
  const double number = std::strtod(text.c_str(), nullptr);
  switch (sqlType) {
    case 4: {
      const long long whole = std::strtoll(text.c_str(), nullptr, 10);
      if (text.find_first_of(".eE") == std::string::npos && whole >= INT32_MIN && whole <= INT32_MAX)
        return std::make_unique<CIoLongCell>(static_cast<std::int32_t>(whole), false, false);
      return std::make_unique<CIoDoubleCell>(number, false, false);
    }
    case 5: return std::make_unique<CIoShortCell>(static_cast<std::int16_t>(std::strtol(text.c_str(), nullptr, 10)), false, false);
    case 7: return std::make_unique<CIoFloatCell>(static_cast<float>(number), false, false);
    default: return std::make_unique<CIoDoubleCell>(number, false, false);
  }
}

}  // namespace

int MfcColumnType(int odbcType) {
  switch (odbcType) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR: return 1;
    case SQL_INTEGER:
    case SQL_BIGINT: return 4;
    case SQL_SMALLINT: return 5;
    case SQL_REAL: return 7;
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_NUMERIC:
    case SQL_DECIMAL: return 8;
    case SQL_DATE:
    case SQL_TIME:
    case SQL_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_TYPE_TIMESTAMP: return 11;
    case SQL_BIT: return -7;
    case SQL_TINYINT: return -6;
    default: return 0;
  }
}

std::unique_ptr<CIoCell> CellFromDbVariant(const CDBVariant& value, int sqlType) {
  switch (value.m_dwType) {
    case DBVT_BOOL: return std::make_unique<CIoShortCell>(static_cast<std::int16_t>(value.m_boolVal ? 1 : 0), false, false);
    case DBVT_UCHAR: return std::make_unique<CIoBitCell>(value.m_chVal, false, false);
    case DBVT_SHORT: return std::make_unique<CIoShortCell>(value.m_iVal, false, false);
    case DBVT_LONG: return std::make_unique<CIoLongCell>(value.m_lVal, false, false);
    case DBVT_SINGLE: return std::make_unique<CIoFloatCell>(value.m_fltVal, false, false);
    case DBVT_DOUBLE: return std::make_unique<CIoDoubleCell>(value.m_dblVal, false, false);
    case DBVT_DATE: {
      const SQL_TIMESTAMP_STRUCT& d = value.m_date;
      return std::make_unique<CIoTimeStampCell>(plat::OleDateTime(d.year, d.month, d.day, d.hour, d.minute, d.second),
                                                false, false);
    }
    case DBVT_STRING:
    case DBVT_ASTRING:
    case DBVT_WSTRING:
      if (sqlType == 4 || sqlType == 5 || sqlType == 7 || sqlType == 8 || sqlType == 3)
        return NumberCell(value.m_strVal, sqlType);
      return std::make_unique<CIoStrCell>(value.m_strVal, false, false);
    default: return NullCellOfType(sqlType);
  }
}

CMfcOdbcTbl::CMfcOdbcTbl(std::ostream* log, CIOOptions* options) : CDbTbl(log, options) {}

CMfcOdbcTbl::~CMfcOdbcTbl() = default;

int CMfcOdbcTbl::Open(const CIoTableDescription& description) {
  m_description.Copy(description);
  std::string table = description.m_strTable;
  if (plat::StartsWithNoCase(table, "Query::")) {
    m_bQuery = true;
    table.erase(0, 7);
  }
  SetTableName(table);
  m_strUser = description.m_strUser;
  m_strPassword = description.m_strPassword;
  m_strDataSourceName = description.m_strDataSourceName;
  std::string connect;
  if (description.m_strDataSourceName.empty() || !description.m_strSource.empty()) {
    m_nConnectionKind = kKindAccessFile;
    connect = "ODBC; Driver={Microsoft Access Driver (*.mdb)};" + plat::ConnectionPair("DBQ", description.m_strSource);
    SetSourceName(description.m_strSource);
  } else {
    m_nConnectionKind = kKindDataSource;
    connect = "ODBC;" + plat::ConnectionPair("UID", m_strUser) + ";" + plat::ConnectionPair("PWD", m_strPassword) +
              ";" + plat::ConnectionPair("DSN", m_strDataSourceName);
    SetSourceName(m_strDataSourceName);
  }
  if (description.m_pDatabase != nullptr) {
    m_pDatabase = description.m_pDatabase;
  } else {
    m_ownDatabase = std::make_unique<CDatabase>();
    try {
      if (!m_ownDatabase->Open("", false, false, connect, true)) return 0;
    } catch (const CDBException& e) {
      m_ownDatabase.reset();
      // A driver may echo the connect string: the report masks the password.
      return ReportException(e, kIdsCannotOpenDatabase, m_strSourceName, "");
    }
    m_pDatabase = m_ownDatabase.get();
  }
  if (!ReadIdentifierQuote() || !ReadColumnInfo()) return 0;
  m_bOpen = 1;
  return 1;
}

int CMfcOdbcTbl::OpenFromSpec(const std::string& dataSourceName, const std::string& spec,
                              const std::string& tableName) {
  SetTableName(tableName);
  if (!ParseTableSpec(spec)) return 0;
  m_nConnectionKind = m_strDataSourceName.empty() ? kKindAccessFile : kKindDataSource;
  SetSourceName(dataSourceName);
  if (m_description.m_pDatabase != nullptr) {
    m_pDatabase = m_description.m_pDatabase;
  } else {
    m_ownDatabase = std::make_unique<CDatabase>();
    try {
      m_ownDatabase->Open(dataSourceName, false, false, "ODBC;", true);
    } catch (const CDBException& e) {
      m_ownDatabase.reset();
      return ReportException(e, kIdsCannotOpenDatabase, dataSourceName, "");
    }
    m_pDatabase = m_ownDatabase.get();
  }
  if (!ReadIdentifierQuote()) return 0;
  m_bOpen = 1;
  return 1;
}

int CMfcOdbcTbl::Close(int /*commit*/) {
  m_bOpen = 0;
  m_ownDatabase.reset();
  m_pDatabase = nullptr;
  return 1;
}

int CMfcOdbcTbl::ReadIdentifierQuote() {
  if (m_pDatabase == nullptr || !m_pDatabase->IsOpen()) return ReportError(kIdsGetInfoFailed);
  try {
    m_strDbmsName = m_pDatabase->GetDbmsName();
    m_strIdentifierQuote = m_pDatabase->GetIdentifierQuoteChar();
  } catch (const CDBException&) {
    if (m_nConnectionKind != kKindAccessFile) return ReportError(kIdsGetInfoFailed);
    m_strIdentifierQuote.clear();
  }
  m_bJet = IsJetDbms(m_strDbmsName);
  m_stringDialect = StringDialectOf(m_strDbmsName);
  // A Jet file quotes names with the backtick.
  if (m_nConnectionKind == kKindAccessFile && (m_bJet || m_strIdentifierQuote.empty())) m_strIdentifierQuote = "`";
  // The quote decides how statements write the table name; a name it cannot quote is not used.
  const bool plain = IsPlainName(m_strTableName);
  const std::string quote = HasBracketQuotes(m_strDbmsName) ? std::string("[") : plain ? std::string() : m_strIdentifierQuote;
  if (plain && quote.empty()) {
    m_strStatementTable = m_strTableName;
    return 1;
  }
  if (!CanQuoteIdentifier(quote, m_strTableName)) return ReportErrorArg(kIdsUnquotableName, m_strTableName);
  m_strStatementTable = QuoteIdentifier(quote, m_strTableName);
  return 1;
}

int CMfcOdbcTbl::ReadColumnInfo() {
  if (m_pDatabase == nullptr) return ReportErrorArg(kIdsCannotOpenTable, m_strTableName);
  const CIOOptions& options = Options();
  CRecordset rs(m_pDatabase);
  try {
    rs.Open(CRecordset::snapshot, BuildColumnProbe(m_strDbmsName, StatementTableName()));
  } catch (const CDBException& e) {
    return ReportException(e, kIdsCannotOpenTable, m_strTableName, "");
  }
  try {
    for (std::int16_t i = 0; i < rs.GetODBCFieldCount(); ++i) {
      CODBCFieldInfo info;
      rs.GetODBCFieldInfo(i, info);
      int type = MfcColumnType(info.m_nSQLType);
      if (type == 0) {
        if (options.SkipBinaryColumns) {
          ReportWarningArg(kIdsUnsupportedColumnSkipped, info.m_strName);
          continue;
        }
        type = 1;  // kept as text; its values read as null text cells
      }
      m_columns.Add(std::make_unique<CColumn>(
          info.m_strName, static_cast<std::int16_t>(type),
          static_cast<std::int32_t>(std::min<std::uint64_t>(info.m_nPrecision, INT32_MAX)), std::int16_t{0},
          static_cast<std::int16_t>(info.m_nNullability != 0 ? 1 : 0), 0));
    }
    rs.Close();
  } catch (const CDBException& e) {
    return ReportException(e, kIdsCannotReadColumns, m_strTableName, "");
  }
  return 1;
}

std::string CMfcOdbcTbl::GetTypeName(int sqlType) {
  switch (sqlType) {
    case 1:
    case 12:
    case -1: return "CHAR";
    case 2: return "NUMBER";
    case 3: return "CURRENCY";
    case 4: return "INTEGER";
    case 5: return "SMALLINT";
    case 6:
    case 7: return "REAL";
    case 8: return "DOUBLE";
    case 9: return "DATE";
    case 10: return "TIME";
    case 11: return "TIMESTAMP";
    case -7: return "BIT";
    case -6: return "BYTE";
    default: return "";
  }
}

std::string CMfcOdbcTbl::GetLiteralPrefix(int sqlType) {
  const bool odbc = m_nConnectionKind == kKindDataSource;
  switch (sqlType) {
    case 1:
    case 12:
    case -1:
    case 2:
    case 3: return "'";
    case 9: return odbc ? "{d '" : "#";
    case 10: return odbc ? "{t '" : "#";
    case 11: return odbc ? "{ts '" : "#";
    default: return "";
  }
}

std::string CMfcOdbcTbl::GetLiteralSuffix(int sqlType) {
  const bool odbc = m_nConnectionKind == kKindDataSource;
  switch (sqlType) {
    case 1:
    case 12:
    case -1:
    case 2:
    case 3: return "'";
    case 9:
    case 10:
    case 11: return odbc ? "'}" : "#";
    default: return "";
  }
}

std::string CMfcOdbcTbl::GetCreateParams(int sqlType) {
  return sqlType == 1 || sqlType == 12 || sqlType == -1 ? "1" : "";
}

std::string CMfcOdbcTbl::FormatLiteral(const std::string& value, int sqlType) {
  std::string out;
  const bool ok = EscapeLiteral(GetLiteralPrefix(sqlType), value, GetLiteralSuffix(sqlType), out, m_stringDialect);
  return ok ? out : std::string();
}

int CMfcOdbcTbl::ReadAll(CIoRowArray& rows, CColumnArray& keyColumns, CColumnArray& dataColumns,
                         const std::string& keyFields, const std::string& keyValues, const std::string& extractFields,
                         std::vector<std::string>* optionalList, int /*sourceNumber*/) {
  if (const std::uint32_t failed =
          SetReadColumns(keyColumns, dataColumns, keyFields, keyValues, extractFields, optionalList))
    return failed == kExtractColumnsFailed ? 0 : ReportError(failed);
  if (m_pDatabase == nullptr || !m_pDatabase->IsOpen()) return 1;

  std::string sql;
  if (!BuildSelect(*this, m_strIdentifierQuote, StatementTableName(), m_bJet, sql)) return 0;
  LogNote(sql);
  CRecordset rs(m_pDatabase);
  try {
    rs.Open(CRecordset::snapshot, sql);
  } catch (const CDBException& e) {
    return ReportException(e, kIdsCannotOpenTable, m_strTableName, sql);
  } catch (const std::exception& e) {
    return ReportException(e, kIdsCannotOpenTable, m_strTableName, sql);
  }

  int read = 0;
  while (!rs.IsEOF()) {
    std::unique_ptr<CIoRow> row;
    CDBVariant value;
    try {
      row = NewReadRow(
          [&](int i) {
            rs.GetFieldValue(static_cast<std::int16_t>(i), value);
            return CellFromDbVariant(value, m_columns[m_extractFields[i]->GetIndex()]->m_nSqlType);
          },
          [&](const CIoKeyCell& field) {
            rs.GetFieldValue(field.GetName(), value);
            return CellFromDbVariant(value, m_columns[field.GetIndex()]->m_nSqlType);
          });
    } catch (const CDBException& e) {
      return ReportException(e, kIdsCannotReadValue, m_strTableName, "");
    }
    rows.Add(std::move(row));
    ++read;
    try {
      rs.MoveNext();
    } catch (const CDBException& e) {
      return ReportException(e, kIdsCannotMove, m_strTableName, "");
    }
  }
  try {
    rs.Close();
  } catch (const std::exception& e) {
    return ReportException(e, kIdsCannotCloseTable, m_strTableName, "");
  }
  if (read == 0) ReportWarning(kIdsNoMatch);
  return 1;
}

COdbcWriteContext CMfcOdbcTbl::WriteContext() {
  if (m_pDatabase != nullptr)
    return MfcOdbcWriteContext(*this, *m_pDatabase, m_strIdentifierQuote, m_strStatementTable, m_bJet);
  COdbcWriteContext c{*this, nullptr, m_strIdentifierQuote, m_strStatementTable, m_bJet, {}};
  c.mfcStyle = true;
  return c;
}

int CMfcOdbcTbl::RecreateTable(CIoRowArray& rows, CColumnArray& keyColumns, CColumnArray& dataColumns) {
  if (!DropTable(0) || !CreateTable(keyColumns, dataColumns)) return 0;
  auto c = WriteContext();
  return OdbcInsertRows(c, rows, keyColumns, dataColumns, true);
}

int CMfcOdbcTbl::DeleteRowsByKeys(const std::string& keyFields, const std::string& keyValues,
                                  const std::string& extractFields) {
  if (!SetExtractColumns(extractFields)) return 0;
  auto c = WriteContext();
  return OdbcDeleteRowsByKeys(c, keyFields, keyValues);
}

int CMfcOdbcTbl::DropTable(int report) {
  auto c = WriteContext();
  return OdbcDropTable(c, report != 0);
}

int ReadMfcOdbcTable(const CIoTableDescription& description, const std::string& keyFields,
                     const std::string& keyValues, const std::string& extractFields, CColumnArray& keyColumns,
                     CColumnArray& dataColumns, CIoRowArray& rows, int& readOnly, int& formatCode, int& available) {
  return RunDbTableLoader<CMfcOdbcTbl>(description, keyFields, keyValues, extractFields, keyColumns, dataColumns, rows,
                                       readOnly, formatCode, available);
}

int LoadMfcOdbcTable(CIoTable& table, const std::string& keyFields, const std::string& keyValues,
                     const std::string& extractFields) {
  int formatCode = 0;
  return ReadMfcOdbcTable(table.m_description, keyFields, keyValues, extractFields, table.m_keyColumns,
                          table.m_dataColumns, table.m_rows, table.m_bReadOnly, formatCode, table.m_bAvailable);
}
