#include "tableio/db/ado_tbl.h"

#include <climits>

#include "foundation/messages.h"
#include "foundation/string_utils.h"
#include "tableio/db/oledb_provider.h"
#include "tableio/db/sql_statements.h"

int AdoColumnType(int adoType) {
  switch (adoType) {
    case plat::adSmallInt: return 5;
    case plat::adInteger:
    case plat::adUnsignedInt:
    case plat::adBigInt:
    case plat::adUnsignedBigInt: return 4;
    case plat::adSingle: return 7;
    case plat::adDouble: return 8;
    case plat::adCurrency:
    case plat::adDecimal:
    case plat::adNumeric: return 3;
    case plat::adDate:
    case plat::adDBDate:
    case plat::adDBTime:
    case plat::adDBTimeStamp: return 11;
    case plat::adBSTR:
    case plat::adChar:
    case plat::adWChar:
    case plat::adVarChar:
    case plat::adLongVarChar:
    case plat::adVarWChar:
    case plat::adLongVarWChar: return 1;
    case plat::adBoolean: return -7;
    case plat::adTinyInt:
    case plat::adUnsignedTinyInt: return -6;
    default: return 0;
  }
}

std::unique_ptr<CIoCell> CellFromVariant(const plat::Variant& value, int sqlType) {
  switch (value.vt) {
    case plat::VT_I2:
    case plat::VT_BOOL: return std::make_unique<CIoShortCell>(static_cast<std::int16_t>(value.llVal), false, false);
    case plat::VT_I4: return std::make_unique<CIoLongCell>(static_cast<std::int32_t>(value.llVal), false, false);
    case plat::VT_I8:
      if (value.llVal >= INT32_MIN && value.llVal <= INT32_MAX)
        return std::make_unique<CIoLongCell>(static_cast<std::int32_t>(value.llVal), false, false);
      return std::make_unique<CIoDoubleCell>(static_cast<double>(value.llVal), false, false);
    case plat::VT_DECIMAL:
    case plat::VT_R8: return std::make_unique<CIoDoubleCell>(value.dblVal, false, false);
    case plat::VT_R4: return std::make_unique<CIoFloatCell>(static_cast<float>(value.dblVal), false, false);
    case plat::VT_CY: return std::make_unique<CIoDoubleCell>(static_cast<double>(value.llVal) / 10000.0, false, false);
    case plat::VT_DATE: return std::make_unique<CIoTimeStampCell>(plat::OleDateTime(value.dblVal), false, false);
    case plat::VT_BSTR: return std::make_unique<CIoStrCell>(value.bstrVal, false, false);
    case plat::VT_UI1: return std::make_unique<CIoBitCell>(static_cast<std::uint8_t>(value.llVal), false, false);
    default: return NullCellOfType(sqlType);
  }
}

CAdoTbl::CAdoTbl(std::ostream* log, CIOOptions* options) : CMfcOdbcTbl(log, options) {}

CAdoTbl::~CAdoTbl() {
  m_recordset.reset();
  m_connection.reset();
  m_columnKinds.clear();
}

int CAdoTbl::ReportComError(const plat::ComError& error, std::uint32_t messageId, const std::string& statement) {
  std::string text = FormatString1(LoadResString(messageId), m_strTableName) + "\n\n" + error.ErrorMessage() + "\n" +
                     error.Description();
  if (!statement.empty()) text += "\n\n" + statement;
  return ReportErrorText(text);
}

int CAdoTbl::Open(const CIoTableDescription& description) {
  m_description.Copy(description);
  SetTableName(description.m_strTable);
  SetSourceName(description.m_strSource);
  m_strUser = description.m_strUser;
  m_strPassword = description.m_strPassword;
  m_connection = description.m_pConnection;
  if (!m_connection) return ReportErrorArg(kIdsCannotOpenDatabase, m_strSourceName);
  if (m_connection->GetState() != plat::adStateOpen) {
    const std::string& file = description.m_strSource;
    bool opened = false;
    if (IsAceOledb16Registered()) {
      try {
        m_connection->Open("Provider=Microsoft.ACE.OLEDB.16.0;Data Source=" + file, m_strUser, m_strPassword, 0);
        opened = true;
      } catch (const plat::ComError&) {
      }
    }
    if (!opened) {
      try {
        m_connection->Open("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + file, m_strUser, m_strPassword, 0);
      } catch (const plat::ComError& e) {
        return ReportComError(e, kIdsCannotOpenDatabase, "");
      }
    }
  }
  try {
    m_strDbmsName = m_connection->GetDbmsName();
  } catch (const plat::ComError&) {
    m_strDbmsName.clear();
  }
  m_bJet = IsJetDbms(m_strDbmsName);
  m_stringDialect = StringDialectOf(m_strDbmsName);
  // Names go out unquoted here: a table name must be plain, delimited, or bracketed where the dialect allows.
  if (!QuoteTableName("", HasBracketQuotes(m_strDbmsName), m_strTableName, m_strStatementTable))
    return ReportErrorArg(kIdsUnquotableName, m_strTableName);
  if (!ReadColumnInfo()) return 0;
  m_bOpen = 1;
  return 1;
}

int CAdoTbl::ReadColumnInfo() {
  const CIOOptions& options = Options();
  const std::string sql = BuildColumnProbe(m_strDbmsName, m_strStatementTable);
  std::unique_ptr<plat::AdoRecordset> rs;
  try {
    rs = m_connection->Execute(sql, nullptr, -1);
  } catch (const plat::ComError& e) {
    return ReportComError(e, kIdsCannotOpenTable, "");
  }
  if (!rs) return ReportErrorArg(kIdsCannotOpenTable, m_strTableName);
  try {
    for (long i = 0; i < rs->GetFieldCount(); ++i) {
      const plat::AdoField& field = rs->GetItem(i);
      int type = AdoColumnType(field.GetType());
      if (type == 0) {
        if (options.SkipBinaryColumns) {
          ReportWarningArg(kIdsUnsupportedColumnSkipped, field.GetName());
          continue;
        }
        type = 1;  // kept as text; its values read as null text cells
      }
      // Text (1) and date (11) columns: their key values go in quotes.
      if (type == 1 || type == 11) m_columnKinds[field.GetName()] = 1;
      m_columns.Add(std::make_unique<CColumn>(field.GetName(), static_cast<std::int16_t>(type), field.GetDefinedSize(),
                                              std::int16_t{0}, std::int16_t{0}, 0));
    }
    rs->Close();
  } catch (const plat::ComError& e) {
    return ReportComError(e, kIdsCannotReadColumns, "");
  }
  return 1;
}

int CAdoTbl::ReadAll(CIoRowArray& rows, CColumnArray& keyColumns, CColumnArray& dataColumns,
                     const std::string& keyFields, const std::string& keyValues, const std::string& extractFields,
                     std::vector<std::string>* optionalList, int /*sourceNumber*/) {
  if (const std::uint32_t failed =
          SetReadColumns(keyColumns, dataColumns, keyFields, keyValues, extractFields, optionalList))
    return failed == kExtractColumnsFailed ? 0 : ReportError(failed);
  if (!m_connection || m_connection->GetState() != plat::adStateOpen) return ReportErrorArg(kIdsCannotOpenTable, m_strTableName);

  std::string sql;
  if (!BuildSelectUnquoted(*this, m_strStatementTable, m_columnKinds, m_bJet, sql)) return 0;
  LogNote(sql);
  m_recordset.reset();
  try {
    m_recordset = m_connection->Execute(sql, nullptr, -1);
  } catch (const plat::ComError& e) {
    return ReportComError(e, kIdsCannotOpenTable, sql);
  }
  if (!m_recordset) return ReportErrorArg(kIdsCannotOpenTable, m_strTableName);

  int read = 0;
  try {
    while (!m_recordset->IsEOF()) {
      rows.Add(NewReadRow(
          [&](int i) {
            return CellFromVariant(m_recordset->GetItem(static_cast<long>(i)).GetValue(),
                                   m_columns[m_extractFields[i]->GetIndex()]->m_nSqlType);
          },
          [&](const CIoKeyCell& field) {
            return CellFromVariant(m_recordset->GetItem(field.GetName()).GetValue(),
                                   m_columns[field.GetIndex()]->m_nSqlType);
          }));
      ++read;
      m_recordset->MoveNext();
    }
  } catch (const plat::ComError& e) {
    m_recordset.reset();
    return ReportComError(e, kIdsCannotReadValue, "");
  }
  try {
    m_recordset->Close();
  } catch (const plat::ComError& e) {
    m_recordset.reset();
    return ReportComError(e, kIdsCannotCloseTable, "");
  }
  m_recordset.reset();
  if (read == 0) ReportWarning(kIdsNoMatch);
  return 1;
}

int CAdoTbl::Close(int /*commit*/) {
  m_bOpen = 0;
  m_recordset.reset();
  // The connection belongs to the description's holder and stays open for it.
  m_connection.reset();
  return 1;
}

int ReadAdoTable(const CIoTableDescription& description, const std::string& keyFields, const std::string& keyValues,
                 const std::string& extractFields, CColumnArray& keyColumns, CColumnArray& dataColumns,
                 CIoRowArray& rows, int& readOnly, int& formatCode, int& available) {
  return RunDbTableLoader<CAdoTbl>(description, keyFields, keyValues, extractFields, keyColumns, dataColumns, rows,
                                    readOnly, formatCode, available);
}

int LoadAdoTable(CIoTable& table, const std::string& keyFields, const std::string& keyValues,
                 const std::string& extractFields) {
  int formatCode = 0;
  return ReadAdoTable(table.m_description, keyFields, keyValues, extractFields, table.m_keyColumns,
                      table.m_dataColumns, table.m_rows, table.m_bReadOnly, formatCode, table.m_bAvailable);
}
