#include "tableio/db/odbc_write.h"

#include <algorithm>

#include "foundation/messages.h"
#include "platform/odbc_database.h"
#include "platform/ole_date_time.h"
#include "tableio/db/row_matching.h"
#include "tableio/db/sql_statements.h"
#include "tableio/io_strings.h"

namespace {

enum : std::uint32_t {
  kIdsNoTargetKeyMatch = 10069,
  kIdsNoDataForCell = 10107,
  kIdsSourceTargetKeyCount = 10114,
  kIdsExtractResultCount = 10115,
  kIdsSomeSourceKeysUnmatched = 10116,
  kIdsNoRecordsFound = 10149,
  kIdsKeyValueAdded = 10182,
  kIdsTableCreated = 10200,
  kIdsCreateFailed = 10201,
  kIdsInsertFailed = 10203,
  kIdsUpdateValuesFailed = 10209,
  kIdsColumnAdditionFailed = 10213,
  kIdsCannotUpdateSource = 10214,
  kIdsCannotUpdateWithValues = 10216,
  kIdsRemoveFailed = 10223,
  kIdsUpdateFailed = 10328,
  kIdsDeleteRecordFailed = 10345,
  kIdsInsertRecordFailed = 10346,
  kIdsUpdateRecordFailed = 10347,
  kIdsDropTableFailed = 10348,
  kIdsCreateTableFailed = 10349,
  kIdsAddColumnFailed = 10350,
};

int Fail(COdbcWriteContext& c, std::uint32_t id, bool disconnect = true) {
  c.table.ReportError(id);
  if (disconnect && c.disconnect) c.disconnect();
  return 0;
}

// Reports the driver's diagnostics and the message, and disconnects. Returns 0.
int FailOdbc(COdbcWriteContext& c, const std::exception& error, std::uint32_t id) {
  std::string text = id != 0 ? LoadResString(id) + "\n\n" : std::string();
  c.table.ReportErrorText(text + error.what());
  if (c.disconnect) c.disconnect();
  return 0;
}

// A failed statement: the ODBC back end reports odbcId with the driver's
// diagnostics and disconnects; the MFC ODBC back end reports mfcId with the
// table name, the error and the statement. Returns 0.
int FailStatement(COdbcWriteContext& c, const std::exception& error, std::uint32_t odbcId, std::uint32_t mfcId,
                  const std::string& sql) {
  if (!c.mfcStyle) return FailOdbc(c, error, odbcId);
  return c.table.ReportException(error, mfcId, c.tableName, sql);
}

bool NotConnected(COdbcWriteContext& c) {
  if (c.connection) return false;
  c.table.ReportErrorArg(kIdsCannotOpenTable, c.tableName);
  return true;
}

// Runs a statement that returns no rows (logged first); throws plat::odbc::Error.
void Execute(COdbcWriteContext& c, const std::string& sql) {
  c.table.LogNote(sql);
  c.connection->ExecuteDirect(sql);
}

std::string TrimRight(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// The key cell of a value read from a key column of the given SQL type.
std::unique_ptr<CIoCell> KeyCellOf(const plat::odbc::FieldValue& value, int sqlType) {
  using Kind = plat::odbc::FieldValue::Kind;
  const bool isNull = value.IsNull();
  const auto& ts = value.timestamp;
  switch (value.kind) {
    case Kind::Bit:
    case Kind::TinyInt:
    case Kind::Short:
    case Kind::Long:
    case Kind::BigInt:
      return std::make_unique<CIoLongCell>(static_cast<std::int32_t>(value.integer), false, false);
    case Kind::Single:
    case Kind::Double:
      return std::make_unique<CIoDoubleCell>(value.number, false, false);
    case Kind::Date:
      return std::make_unique<CIoDateCell>(plat::OleDateTime(ts.year, ts.month, ts.day), false, false);
    case Kind::Time:
      return std::make_unique<CIoTimeCell>(plat::OleDateTime(1899, 12, 30, ts.hour, ts.minute, ts.second), false,
                                           false);
    case Kind::Timestamp:
      return std::make_unique<CIoTimeStampCell>(
          plat::OleDateTime(ts.year, ts.month, ts.day, ts.hour, ts.minute, ts.second), false, false);
    case Kind::Text:
      return std::make_unique<CIoStrCell>(TrimRight(value.text), false, false);
    default:
      break;
  }
  switch (sqlType) {
    case kSqlInteger:
    case kSqlSmallInt:
    case kSqlBit:
    case kSqlTinyInt:
      return std::make_unique<CIoLongCell>(0, isNull, false);
    case kSqlFloat:
    case kSqlReal:
    case kSqlDouble:
      return std::make_unique<CIoDoubleCell>(0.0, isNull, false);
    default:
      return std::make_unique<CIoStrCell>(std::string(), isNull, false);
  }
}

std::string KeyTexts(const CIoRow& row, bool pendingOnly, const char* separator) {
  std::string text;
  for (int i = 0; i < row.m_keyCells.GetSize(); ++i) {
    const CIoCell* cell = row.m_keyCells[i];
    if (pendingOnly && (cell->m_nFlags & kCellPending) == 0) continue;
    text += "[" + cell->Format() + "]" + separator;
  }
  return text;
}

int ResolveKeysAndValues(COdbcWriteContext& c, const std::string& keyFields, const std::string& keyValues) {
  CBaseTbl& t = c.table;
  if (!t.SetKeyFields(keyFields)) return Fail(c, kIdsKeyFieldsIncorrect);
  if (!t.SetKeyValues(keyValues)) return Fail(c, kIdsKeyValuesIncorrect);
  if (t.m_keyFields.GetSize() != static_cast<int>(t.m_keyValues.size())) return Fail(c, kIdsKeyCountMismatch);
  return 1;
}

}  // namespace

namespace {
// The type of a column as CREATE TABLE and ALTER TABLE write it: a size outside 1 to 255 is written as 255.
std::string ColumnDefinition(CBaseTbl& t, const CColumn& column) {
  std::string definition = t.GetTypeName(column.m_nSqlType);
  if (!t.GetCreateParams(column.m_nSqlType).empty()) {
    const int size = column.m_nSize < 1 || column.m_nSize > 255 ? 255 : column.m_nSize;
    definition += "(" + std::to_string(size) + ")";
  }
  return definition;
}
}  // namespace

bool BuildAddColumn(CBaseTbl& t, const std::string& q, const std::string& table, const CColumn& column, bool jetSource,
                    std::string& sql) {
  std::string name;
  // The Jet form takes a plain name as it is; every other name is quoted.
  if (jetSource && CanQuoteIdentifier("", column.m_strName)) name = column.m_strName;
  else if (!QuoteColumnName(t, q, column.m_strName, name)) return false;
  const std::string definition = ColumnDefinition(t, column);
  sql = jetSource ? "ALTER TABLE " + table + " ADD (" + name + " " + definition + ")"
                  : "ALTER TABLE " + table + " ADD " + name + " " + definition;
  return true;
}

COdbcWriteContext MfcOdbcWriteContext(CBaseTbl& table, CDatabase& database, const std::string& identifierQuote,
                                      const std::string& tableName, bool jetSource) {
  COdbcWriteContext c{table, database.IsOpen() ? database.Connection() : nullptr, identifierQuote, tableName,
                      jetSource, {}};
  c.mfcStyle = true;
  return c;
}

int OdbcTransferRows(COdbcWriteContext& c, CIoRowArray& sourceRows, const std::vector<std::string>& sourceKeyValues,
                     CColumnArray& sourceColumns, const std::string& keyFields, const std::string& keyValues,
                     const std::string& resultFields, const std::string& extractFields, int& messageId) {
  CBaseTbl& t = c.table;
  const CIOOptions& options = *t.m_pOptions;
  messageId = kIdsCannotUpdateSource;
  if (NotConnected(c)) return 0;
  if (!ResolveKeysAndValues(c, keyFields, keyValues)) return 0;
  if (!t.SetResultFields(resultFields)) return Fail(c, kIdsCannotFindResultColumn);
  if (!options.AllowColumnAdditions && t.m_resultFields.GetSize() != sourceColumns.GetSize())
    return Fail(c, kIdsExtractResultCount);
  if (!AnyRowPending(sourceRows)) return Fail(c, kIdsNoDataForCell);
  if (sourceKeyValues.size() != t.m_keyValues.size()) return Fail(c, kIdsSourceTargetKeyCount);
  if (!ResolveResultColumns(t, sourceColumns, resultFields, extractFields)) return 0;

  const std::string& q = c.identifierQuote;
  bool anyMatched = false;
  bool updateFailed = false;
  if (!options.AppendRows) {
    std::vector<int> matched;
    std::vector<int> boundKeys;  // key field index of each selected column
    std::string select;
    for (int k = 0; k < t.m_keyFields.GetSize(); ++k) {
      if (t.m_keyFields[k]->GetIndex() < 0) continue;
      std::string name;
      if (!QuoteColumnName(t, q, t.m_keyFields[k]->GetName(), name)) return 0;
      select += (select.empty() ? "" : ", ") + name;
      boundKeys.push_back(k);
    }
    if (!boundKeys.empty()) {
      const std::string sql = "SELECT " + select + " FROM " + c.tableName;
      t.LogNote(sql);
      try {
        auto statement = c.connection->NewStatement();
        statement->ExecuteDirect(sql);
        while (statement->Fetch()) {
          CIoRow target;
          std::size_t bound = 0;
          for (int k = 0; k < t.m_keyFields.GetSize(); ++k) {
            const int index = t.m_keyFields[k]->GetIndex();
            if (bound < boundKeys.size() && boundKeys[bound] == k) {
              target.AddKeyCell(KeyCellOf(statement->GetValue(bound), t.m_columns[index]->m_nSqlType));
              ++bound;
            } else {
              auto cell = std::make_unique<CIoStrCell>(std::string(), true, false);
              cell->m_nFlags &= ~kCellPending;
              target.AddKeyCell(std::move(cell));
            }
          }
          const int found = FindMatchingRow(t, sourceRows, target, sourceKeyValues, t.m_keyValues);
          if (found != -1) {
            matched.push_back(found);
            anyMatched = true;
          } else if (options.ReplaceExisting) {
            t.ReportWarningText(LoadResString(kIdsNoTargetKeyMatch) + " " + KeyTexts(target, true, " "));
          }
        }
      } catch (const plat::odbc::Error& error) {
        messageId = kIdsCannotUpdateSource;
        if (c.mfcStyle) return t.ReportException(error, kIdsCannotOpenTable, c.tableName, sql);
        return t.ReportErrorText(LoadResString(kIdsNoRecordsFound) + "\n\n" + error.what());
      }
    }
    for (const int index : matched) {
      CIoRow& source = *sourceRows[index];
      CIoRow target;
      TranslateRowKeys(source, target, sourceKeyValues, t.m_keyValues);
      std::string sql;
      // A row whose update failed exists in the target: it must not be appended as well.
      if (!BuildUpdateRow(t, q, c.tableName, source, target, sql)) {
        t.LogNoteId(kIdsUpdateFailed);
        source.ClearPendingKeys();
        updateFailed = true;
        continue;
      }
      if (sql.empty()) continue;
      try {
        Execute(c, sql);
        if (!options.ReplaceExisting) source.ClearPendingFlags();
      } catch (const plat::odbc::Error& error) {
        if (c.mfcStyle) return FailStatement(c, error, 0, kIdsUpdateRecordFailed, sql);
        t.LogNote(LoadResString(kIdsUpdateFailed) + "\n\n" + error.what());
        source.ClearPendingKeys();
        updateFailed = true;
      }
    }
  }
  if (options.ReplaceExisting || options.SkipUnmatchedRows) return updateFailed ? 0 : 1;
  if (!anyMatched && !options.AllowRowAdditions) return Fail(c, kIdsNoMatchSourceKey);
  if (AnyRowPending(sourceRows) && !options.AllowRowAdditions) return Fail(c, kIdsSomeSourceKeysUnmatched);

  // Insert pass: the key columns as the table has them; a key that is also a
  // result column takes its value from the data cells only.
  CColumnArray keyColumns;
  for (int k = 0; k < t.m_keyFields.GetSize(); ++k) {
    const int index = t.m_keyFields[k]->GetIndex();
    std::unique_ptr<CColumn> column;
    if (index >= 0) {
      const CColumn& from = *t.m_columns[index];
      column = std::make_unique<CColumn>(from.m_strName, from.m_nSqlType, from.m_nSize, from.m_nDecimals,
                                         from.m_nNullable, from.m_nFlags);
    } else {
      column = std::make_unique<CColumn>(std::string(), kSqlChar, 1, 0, 1, 0);
      column->Deselect();
    }
    for (int r = 0; r < t.m_targetColumns.GetSize(); ++r)
      if (t.m_targetColumns[r]->m_strName == column->m_strName) column->Deselect();
    keyColumns.Add(std::move(column));
  }
  for (int i = 0; i < sourceRows.GetSize(); ++i) {
    CIoRow& source = *sourceRows[i];
    if (!source.IsKeyPending()) continue;
    CIoRowArray work;
    auto target = std::make_unique<CIoRow>();
    TranslateRowKeys(source, *target, sourceKeyValues, t.m_keyValues);
    target->m_dataCells.m_bOwnsElements = 0;  // the source keeps its cells
    for (int j = 0; j < source.m_dataCells.GetSize(); ++j) target->m_dataCells.Add(source.m_dataCells[j]);
    const std::string added = LoadResString(kIdsKeyValueAdded) + " " + KeyTexts(*target, false, "");
    work.Add(std::move(target));
    if (!OdbcInsertRows(c, work, keyColumns, t.m_targetColumns, false)) return 0;
    t.LogNote(added);
  }
  return updateFailed ? 0 : 1;
}

int OdbcUpdateRow(COdbcWriteContext& c, CIoRowArray& rows, CColumnArray& keyColumns, CColumnArray& resultColumns) {
  CBaseTbl& t = c.table;
  if (NotConnected(c)) return 0;
  std::string names;
  for (int i = 0; i < keyColumns.GetSize(); ++i) names += (i ? "," : "") + keyColumns[i]->m_strName;
  if (!t.SetKeyFields(names)) return Fail(c, kIdsKeyFieldsIncorrect, false);
  if (!t.SetResultFields("*")) return Fail(c, kIdsCannotFindResultColumn, false);
  if (!t.m_pOptions->AllowColumnAdditions && t.m_resultFields.GetSize() != resultColumns.GetSize())
    return Fail(c, kIdsExtractResultCount, false);
  if (!ResolveResultColumns(t, resultColumns, "*", "*")) return 0;
  for (int i = 0; i < rows.GetSize(); ++i) {
    std::string sql;
    if (!BuildUpdateRow(t, c.identifierQuote, c.tableName, *rows[i], *rows[i], sql)) return 0;
    if (sql.empty()) continue;
    try {
      Execute(c, sql);
    } catch (const plat::odbc::Error& error) {
      if (c.mfcStyle) return FailStatement(c, error, 0, kIdsUpdateRecordFailed, sql);
      t.ReportErrorArg(kIdsUpdateRecordFailed, c.tableName);
      return FailOdbc(c, error, 0);
    }
  }
  return 1;
}

int OdbcUpdateRowsByKeys(COdbcWriteContext& c, const std::string& keyFields, const std::string& keyValues,
                         const std::string& resultFields, CIoCell& value, int& messageId) {
  CBaseTbl& t = c.table;
  messageId = kIdsCannotUpdateWithValues;
  if (NotConnected(c)) return 0;
  if (!ResolveKeysAndValues(c, keyFields, keyValues)) return 0;
  if (!t.SetResultFields(resultFields)) return Fail(c, kIdsCannotFindResultColumn);
  if (!AddMissingColumns(t, value)) return 0;
  std::string sql;
  if (!BuildUpdateByKeyValues(t, c.identifierQuote, c.tableName, value, c.jetSource, sql)) return 0;
  if (sql.empty()) return 1;
  try {
    Execute(c, sql);
  } catch (const plat::odbc::Error& error) {
    return FailStatement(c, error, kIdsUpdateValuesFailed, kIdsUpdateRecordFailed, sql);
  }
  return 1;
}

int OdbcDeleteRow(COdbcWriteContext& c, CIoRowArray& rows, const std::string& keyFields) {
  CBaseTbl& t = c.table;
  if (NotConnected(c)) return 0;
  if (!t.SetKeyFields(keyFields)) return Fail(c, kIdsKeyFieldsIncorrect, false);
  for (int i = 0; i < rows.GetSize(); ++i) {
    std::string sql;
    if (!BuildDeleteRow(t, c.identifierQuote, c.tableName, *rows[i], sql)) return 0;
    try {
      Execute(c, sql);
    } catch (const plat::odbc::Error& error) {
      return FailStatement(c, error, kIdsRemoveFailed, kIdsDeleteRecordFailed, sql);
    }
  }
  return 1;
}

int OdbcDeleteRowsByKeys(COdbcWriteContext& c, const std::string& keyFields, const std::string& keyValues) {
  if (NotConnected(c)) return 0;
  if (!ResolveKeysAndValues(c, keyFields, keyValues)) return 0;
  std::string sql;
  if (!BuildDeleteByKeyValues(c.table, c.identifierQuote, c.tableName, c.jetSource, sql)) return 0;
  try {
    Execute(c, sql);
  } catch (const plat::odbc::Error& error) {
    return FailStatement(c, error, kIdsRemoveFailed, kIdsDeleteRecordFailed, sql);
  }
  return 1;
}

int OdbcInsertRows(COdbcWriteContext& c, CIoRowArray& rows, CColumnArray& keyColumns, CColumnArray& dataColumns,
                   bool useGivenKeyColumnTypes) {
  if (NotConnected(c)) return 0;
  for (int i = 0; i < rows.GetSize(); ++i) {
    const CIoRow& row = *rows[i];
    if (!row.IsKeyPending()) continue;
    std::string sql;
    if (!BuildInsert(c.table, c.identifierQuote, c.tableName, row, keyColumns, dataColumns, useGivenKeyColumnTypes,
                     sql))
      return 0;
    if (sql.empty()) continue;
    try {
      Execute(c, sql);
    } catch (const plat::odbc::Error& error) {
      return FailStatement(c, error, kIdsInsertFailed, kIdsInsertRecordFailed, sql);
    }
  }
  return 1;
}

int OdbcCreateTable(COdbcWriteContext& c, CColumnArray& keyColumns, CColumnArray& dataColumns) {
  if (NotConnected(c)) return 0;
  std::string sql;
  if (c.mfcStyle) {
    if (!BuildCreateTable(c.table, c.identifierQuote, c.tableName, keyColumns, dataColumns, sql)) return 0;
  } else {
    std::string columns;
    for (const CColumnArray* array : {&keyColumns, &dataColumns}) {
      for (int i = 0; i < array->GetSize(); ++i) {
        const CColumn& column = *(*array)[i];
        if (!column.IsSelected()) continue;
        std::string name;
        if (!QuoteColumnName(c.table, c.identifierQuote, column.m_strName, name)) return 0;
        columns += (columns.empty() ? "" : ",") + name + " " + ColumnDefinition(c.table, column);
      }
    }
    sql = "CREATE TABLE " + c.tableName + " (" + columns + ")";
  }
  try {
    Execute(c, sql);
  } catch (const plat::odbc::Error& error) {
    return FailStatement(c, error, kIdsCreateFailed, kIdsCreateTableFailed, sql);
  }
  if (c.mfcStyle) return 1;
  c.table.LogNote(LoadResString(kIdsTableCreated) + c.tableName);
  return 1;
}

int OdbcDropTable(COdbcWriteContext& c, bool report) {
  if (!c.connection) return report ? 0 : 1;
  const std::string sql = "DROP TABLE " + c.tableName;
  c.table.LogNote(sql);
  try {
    c.connection->ExecuteDirect(sql);
  } catch (const plat::odbc::Error& error) {
    if (report) return c.table.ReportException(error, kIdsDropTableFailed, c.tableName, sql);
  }
  return 1;
}

int OdbcRecreateTable(COdbcWriteContext& c, CIoRowArray& rows, CColumnArray& keyColumns, CColumnArray& dataColumns) {
  return OdbcDropTable(c) && OdbcCreateTable(c, keyColumns, dataColumns) &&
         OdbcInsertRows(c, rows, keyColumns, dataColumns, true);
}

int OdbcAddColumn(COdbcWriteContext& c, std::unique_ptr<CColumn> column) {
  CBaseTbl& t = c.table;
  if (!column || NotConnected(c)) return -1;
  std::string sql;
  if (!BuildAddColumn(t, c.identifierQuote, c.tableName, *column, c.jetSource, sql)) return -1;
  try {
    Execute(c, sql);
  } catch (const plat::odbc::Error& error) {
    if (c.mfcStyle) {
      t.ReportErrorText(FormatString2(LoadResString(kIdsAddColumnFailed), c.tableName, column->m_strName) + "\n\n" +
                        error.what());
    } else {
      FailOdbc(c, error, kIdsColumnAdditionFailed);
    }
    return -1;
  }
  t.LogNoteArg(kIdsColumnAdded, column->m_strName);
  return t.m_columns.Add(std::move(column));
}
