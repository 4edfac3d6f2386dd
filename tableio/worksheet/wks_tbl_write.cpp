#include <charconv>

#include "foundation/messages.h"
#include "foundation/string_utils.h"
#include "tableio/db/row_matching.h"
#include "tableio/io_strings.h"
#include "tableio/worksheet/wks_tbl.h"

// The write operations of worksheet tables. Cells go into the reader's
// changed-cell lists; the file is written when the table is closed with
// write-back. Workbooks that cannot be saved ignore the writes.

namespace {

enum : std::uint32_t {
  kIdsNoMatchingValuesForDeletion = 10061,
  kIdsCannotPutDate = 10074,
  kIdsNoMatchTargetKey = 10108,
  kIdsTypeNotSupported = 10110,
  kIdsExtractResultCount = 10115,
  kIdsSourceTargetKeyCount = 10114,
  kIdsCannotUpdateSource = 10214,
  kIdsCannotUpdateWithValues = 10216,
  kIdsInvalidTargetDate = 10265,
  kIdsAppendWithoutAdditions = 10266,
  kIdsSomeTargetKeysUnmatched = 10267,
  kIdsResultColumnMustExist = 10329,
  kIdsNoMatchFor = 10333,
  kIdsRowKeyValueAdded = 10334,
};

bool IsTextType(int type) { return type == kSqlChar || type == kSqlVarChar || type == kSqlLongVarChar; }
bool IsNumericType(int type) {
  return (type >= kSqlNumeric && type <= kSqlDouble) || type == kSqlTinyInt || type == kSqlBit;
}

// atof's reading of a key value, without the process locale.
double ParseNumber(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i < text.size() && text[i] == '+') ++i;
  double value = 0.0;
  const auto result = std::from_chars(text.data() + i, text.data() + text.size(), value);
  return result.ec == std::errc() ? value : 0.0;
}

std::string PendingKeyTexts(const CIoRow& row) {
  std::string text;
  for (const CIoCell* cell : row.m_keyCells)
    if (cell->m_nFlags & kCellPending) text += "[" + cell->Format() + "]";
  return text;
}

}  // namespace

int CWksTbl::AddColumn(std::unique_ptr<CColumn> column) {
  if (!column || !m_pFile) return -1;
  const int index = m_columns.GetSize();
  m_pFile->WriteText(m_nHeadingRow, index, column->m_strName, column->m_nFlags);
  column->m_nPosition = index;
  const std::string name = column->m_strName;
  m_columns.Add(std::move(column));
  LogNoteArg(kIdsColumnAdded, name);
  return index;
}

// Writes a cell of the given SQL type; dateFormat is the format argument of
// dates (-4) and times (-5). Returns 0 after reporting a failure.
static int WriteTypedCell(CWksTbl& t, CWksFile& file, int row, int column, const CIoCell& cell, int type,
                          int dateFormat, const std::string& columnName) {
  if (IsTextType(type)) {
    file.WriteText(row, column, cell.Format(), -1);
  } else if (IsNumericType(type)) {
    file.WriteNumber(row, column, cell.AsDouble(), -1);
  } else if (type == kSqlDate || type == kSqlTime || type == kSqlTimestamp) {
    const plat::OleDateTime value = cell.GetDateTime();
    if (!value.IsValid()) return t.ReportErrorWithName(kIdsCannotPutDate, columnName);
    file.WriteNumber(row, column, value.GetValue(), dateFormat);
  } else {
    return t.ReportError(kIdsTypeNotSupported);
  }
  return 1;
}

int CWksTbl::TransferRows(CIoRowArray& sourceRows, int, const std::vector<std::string>& sourceKeyValues,
                          CColumnArray& sourceColumns, const std::string& keyFields, const std::string& keyValues,
                          const std::string& resultFields, const std::string& extractFields, int& messageId) {
  messageId = kIdsCannotUpdateSource;
  const CIOOptions defaults;
  const CIOOptions& options = m_pOptions ? *m_pOptions : defaults;
  if (!m_pFile) return 0;
  if (!SetKeyFields(keyFields) || !SetKeyValues(keyValues)) {
    messageId = kIdsKeyFieldsIncorrect;
    return 0;
  }
  if (m_keyFields.GetSize() != static_cast<int>(m_keyValues.size())) {
    messageId = kIdsKeyCountMismatch;
    return 0;
  }
  if (!SetResultFields(resultFields)) {
    messageId = kIdsCannotFindResultColumn;
    return 0;
  }
  if (!options.AllowColumnAdditions && m_resultFields.GetSize() != sourceColumns.GetSize()) {
    messageId = kIdsExtractResultCount;
    return 0;
  }
  if (sourceKeyValues.size() != m_keyValues.size()) {
    messageId = kIdsSourceTargetKeyCount;
    return 0;
  }
  if (!ResolveResultColumns(*this, sourceColumns, resultFields, extractFields)) return 0;

  // Writes the source row's result cells into a sheet row.
  auto writeResults = [&](CIoRow& source, int row) {
    for (int j = 0; j < m_targetColumns.GetSize() && j < source.m_dataCells.GetSize(); ++j) {
      const int index = FindColumn(m_targetColumns[j]->m_strName);
      if (index < 0) continue;
      CIoCell& cell = *source.m_dataCells[j];
      if (!options.ReplaceExisting) cell.m_nFlags &= ~kCellPending;
      if (cell.m_nFlags & kCellNull) continue;
      const CColumn& target = *m_columns[index];
      const int type = cell.GetSqlType();
      const int dateFormat = type == kSqlTime || (type == kSqlTimestamp && target.m_nSqlType == kSqlTime) ? -5 : -4;
      if (!WriteTypedCell(*this, *m_pFile, row, target.m_nPosition, cell, type, dateFormat, target.m_strName))
        return 0;
    }
    return 1;
  };

  bool anyMatched = false;
  if (options.AppendRows) {
    m_nCurrentRow = GetRowCount();
  } else {
    for (RewindToFirstDataRow(); !IsPastLastRow(); NextRow()) {
      const int row = m_nCurrentRow;
      CIoRow scratch;
      for (const CIoKeyCell* field : m_keyFields) {
        const int index = field->GetIndex();
        if (index < 0) {
          auto cell = std::make_unique<CIoStrCell>(std::string(), true, false);
          cell->m_nFlags &= ~kCellPending;
          scratch.AddKeyCell(std::move(cell));
          continue;
        }
        const CColumn& column = *m_columns[index];
        const int c = column.m_nPosition;
        if (IsTextType(column.m_nSqlType)) {
          scratch.AddKeyCell(std::make_unique<CIoStrCell>(CellText(row, c), false, false));
        } else if (column.m_nSqlType == kSqlDouble) {
          double number = 0.0;
          const bool isNumber = (m_pFile->ReadNumber(row, c, &number) & kWksNumber) != 0;
          scratch.AddKeyCell(std::make_unique<CIoDoubleCell>(isNumber ? number : 0.0, false, false));
        } else if (column.m_nSqlType == kSqlDate || column.m_nSqlType == kSqlTime ||
                   column.m_nSqlType == kSqlTimestamp) {
          plat::OleDateTime date;
          const int flags = m_pFile->ReadDate(row, c, &date);
          const bool empty = (flags & (kWksText | kWksNumber)) == 0;
          if (!empty && !date.IsValid()) return ReportErrorWithName(kIdsInvalidTargetDate, column.m_strName);
          if (column.m_nSqlType == kSqlDate)
            scratch.AddKeyCell(std::make_unique<CIoDateCell>(date, empty, false));
          else if (column.m_nSqlType == kSqlTime)
            scratch.AddKeyCell(std::make_unique<CIoTimeCell>(date, empty, false));
          else
            scratch.AddKeyCell(std::make_unique<CIoTimeStampCell>(date, empty, false));
        } else {
          return ReportError(kIdsError);
        }
      }
      const int found = FindMatchingRow(*this, sourceRows, scratch, sourceKeyValues, m_keyValues);
      if (found < 0) {
        if (options.ReplaceExisting) LogNote(LoadResString(kIdsNoMatchFor) + " " + PendingKeyTexts(scratch));
        continue;
      }
      anyMatched = true;
      CIoRow& source = *sourceRows[found];
      if (!options.ReplaceExisting) source.ClearPendingKeys();
      if (!writeResults(source, row)) return 0;
    }
  }
  if (options.ReplaceExisting || options.SkipUnmatchedRows) return 1;
  if (!anyMatched && !options.AllowRowAdditions) {
    messageId = options.AppendRows ? kIdsAppendWithoutAdditions : kIdsNoMatchTargetKey;
    return 0;
  }
  if (AnyRowPending(sourceRows) && !options.AllowRowAdditions) {
    messageId = kIdsSomeTargetKeysUnmatched;
    return 0;
  }

  // Append the rows still pending, one per row after the last.
  if (m_nCurrentRow < GetRowCount()) m_nCurrentRow = GetRowCount();
  for (CIoRow* source : sourceRows) {
    if (!source->IsKeyPending()) continue;
    const int row = m_nCurrentRow;
    if (!writeResults(*source, row)) return 0;
    CIoRow keys;
    TranslateRowKeys(*source, keys, sourceKeyValues, m_keyValues);
    std::string added = FormatString1(LoadResString(kIdsRowKeyValueAdded), std::to_string(row + 1)) + " ";
    for (int k = 0; k < keys.m_keyCells.GetSize() && k < m_keyFields.GetSize(); ++k) {
      const CIoCell& cell = *keys.m_keyCells[k];
      const int index = m_keyFields[k]->GetIndex();
      if (index < 0 || (cell.m_nFlags & kCellNull)) continue;
      const CColumn& column = *m_columns[index];
      if (!WriteTypedCell(*this, *m_pFile, row, column.m_nPosition, cell, cell.GetSqlType(),
                          cell.GetSqlType() == kSqlTime ? -5 : -4, column.m_strName))
        return 0;
      added += "[" + cell.Format() + "]";
    }
    LogNote(added);
    ++m_nCurrentRow;
  }
  return 1;
}

int CWksTbl::UpdateRowsByKeys(const std::string& keyFields, const std::string& keyValues,
                              const std::string& resultFields, CIoCell& value, int& messageId) {
  messageId = kIdsCannotUpdateWithValues;
  if (!m_pFile) return 0;
  if (!SetKeyFields(keyFields) || !SetKeyValues(keyValues)) return ReportError(kIdsKeyFieldsIncorrect);
  if (!SetResultFields(resultFields)) return ReportError(kIdsCannotFindResultColumn);
  if (!AddMissingColumns(*this, value)) return 0;
  const int type = value.GetSqlType();
  bool anyUpdated = false;
  for (RewindToFirstDataRow(); !IsPastLastRow(); NextRow()) {
    const int row = m_nCurrentRow;
    bool anyResolved = false;
    bool failed = false;
    for (int k = 0; k < m_keyFields.GetSize() && !failed; ++k) {
      const int index = m_keyFields[k]->GetIndex();
      if (index < 0) continue;
      anyResolved = true;
      bool empty = false;
      const std::string text = KeyText(row, *m_columns[index], empty);
      if (!WildcardMatch(text, m_keyValues[static_cast<std::size_t>(k)])) failed = true;
    }
    if (!anyResolved || failed) continue;
    for (const CIoKeyCell* field : m_resultFields) {
      const int index = field->GetIndex();
      if (index < 0) return ReportErrorArg(kIdsResultColumnMustExist, field->GetName());
      const CColumn& column = *m_columns[index];
      if (!WriteTypedCell(*this, *m_pFile, row, column.m_nPosition, value, type, type == kSqlTime ? -5 : -4,
                          column.m_strName))
        return 0;
    }
    anyUpdated = true;
  }
  if (!anyUpdated) ReportWarning(kIdsNoMatchTargetKey);
  return 1;
}

int CWksTbl::DeleteRowsByKeys(const std::string& keyFields, const std::string& keyValues,
                              const std::string& resultFields) {
  if (!m_pFile) return 0;
  if (!SetKeyFields(keyFields) || !SetKeyValues(keyValues)) return ReportError(kIdsKeyFieldsIncorrect);
  if (m_keyFields.GetSize() != static_cast<int>(m_keyValues.size())) return ReportError(kIdsKeyCountMismatch);
  if (!SetResultFields(resultFields)) return ReportError(kIdsCannotFindResultColumn);
  bool anyDeleted = false;
  for (RewindToFirstDataRow(); !IsPastLastRow(); NextRow()) {
    const int row = m_nCurrentRow;
    bool matches = true;
    for (int k = 0; k < m_keyFields.GetSize() && matches; ++k) {
      const int index = m_keyFields[k]->GetIndex();
      if (index < 0) continue;
      const CColumn& column = *m_columns[index];
      const int c = column.m_nPosition;
      const std::string& key = m_keyValues[static_cast<std::size_t>(k)];
      const bool empty = IsCellEmpty(row, c) != 0;
      if (key == "NULL") {
        matches = empty;
      } else if (key == "NOT NULL") {
        matches = !empty;
      } else if (empty) {
        matches = false;
      } else if (column.m_nSqlType == kSqlChar) {
        matches = MatchKeyPattern(CellText(row, c), key);
      } else if (column.m_nSqlType == kSqlDecimal || column.m_nSqlType == kSqlDouble) {
        double number = 0.0;
        matches = (m_pFile->ReadNumber(row, c, &number) & kWksNumber) != 0 && number == ParseNumber(key);
      } else if (column.m_nSqlType == kSqlDate || column.m_nSqlType == kSqlTime ||
                 column.m_nSqlType == kSqlTimestamp) {
        const int kind = GetCellKind(row, c);
        plat::OleDateTime date;
        m_pFile->ReadDate(row, c, &date);
        if (kind == kSqlChar) {
          matches = false;
        } else if (kind == kSqlDate) {
          matches = MatchKeyPattern(CIoDateCell(date, false, false).Format(), key);
        } else if (kind == kSqlTime) {
          matches = MatchKeyPattern(CIoTimeCell(date, false, false).Format(), key);
        } else if (kind == kSqlTimestamp) {
          matches = MatchKeyPattern(CIoTimeStampCell(date, false, false).Format(), key);
        } else {
          matches = MatchKeyPattern(CellText(row, c), key);
        }
      } else {
        return ReportError(kIdsTypeNotSupported);
      }
    }
    if (!matches) continue;
    for (const CIoKeyCell* field : m_resultFields) {
      const int index = field->GetIndex();
      if (index < 0) return ReportErrorArg(kIdsResultColumnNotFound, field->GetName());
      m_pFile->WriteText(row, m_columns[index]->m_nPosition, std::string(), -1);
    }
    // Rows cannot be removed from a sheet: a star in the first cell makes the row a comment.
    if (m_layout != WksLayout::Plain) m_pFile->WriteText(row, 0, "*", -1);
    anyDeleted = true;
  }
  if (!anyDeleted) ReportWarning(kIdsNoMatchingValuesForDeletion);
  return 1;
}
