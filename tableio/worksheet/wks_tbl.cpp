#include "tableio/worksheet/wks_tbl.h"

#include <cstdio>

#include "foundation/input_failure.h"
#include "foundation/messages.h"
#include "foundation/path_utils.h"
#include "foundation/string_utils.h"
#include "tableio/io_strings.h"

namespace {

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool StartsWithIgnoringCase(const std::string& text, const char* prefix) {
  std::size_t i = 0;
  for (; prefix[i] != '\0'; ++i) {
    if (i >= text.size() || Upper(text[i]) != Upper(prefix[i])) return false;
  }
  return true;
}

bool IsCrdName(const std::string& text) {
  return text.size() == 7 && text[0] == '*' && Upper(text[4]) == 'C' && Upper(text[5]) == 'R' &&
         Upper(text[6]) == 'D';
}

bool EqualsTable(const std::string& text) {
  return text.size() == 5 && StartsWithIgnoringCase(text, "TABLE");
}

std::string TrimmedRight(std::string text) {
  TrimTrailingBlanks(text);
  return text;
}

}  // namespace

bool IsMarkerRowName(const std::string& text) {
  static const char* const kMarkers[] = {"*IFVT", "*IIVT", "*IFBP", "*IIBP"};
  for (const char* marker : kMarkers) {
    if (StartsWithIgnoringCase(text, marker)) return true;
  }
  return IsCrdName(text);
}

CWksTbl::CWksTbl(std::ostream* log, CIOOptions* options) : CBaseTbl(log, options) {}

CWksTbl::~CWksTbl() { ReleaseFile(); }

void CWksTbl::ReleaseFile() {
  // A cached workbook stays open for the next table; a file of our own is freed.
  m_ownedFile.reset();
  m_pFile = nullptr;
}

// ---- Cells.

std::string CWksTbl::CellText(int row, int column) {
  std::string text;
  if (m_pFile) m_pFile->ReadText(row, column, text, kWksModeTextOnly);
  return TrimmedRight(std::move(text));
}

int CWksTbl::GetCellText(int row, int column, char* buffer, std::size_t size) {
  std::string text;
  const int flags = m_pFile ? m_pFile->ReadText(row, column, text, kWksModeTextOnly) : 0;
  TrimTrailingBlanks(text);
  if (buffer && size > 0) CopyStringBounded(buffer, size, text.c_str(), text.size() + 1);
  return text.empty() ? 0 : flags;
}

int CWksTbl::GetCellKind(int row, int column) {
  if (!m_pFile) return 0;
  char buffer[3];
  const int flags = m_pFile->ReadText(row, column, buffer, sizeof buffer, kWksModeQuoteNumeric);
  if (flags & kWksText) return buffer[0] != '\0' ? 1 : 0;
  const bool date = (flags & kWksDate) != 0;
  const bool time = (flags & kWksTime) != 0;
  if (date && time) return kSqlTimestamp;
  if (date) return kSqlDate;
  if (time) return kSqlTime;
  if (flags & kWksNumber) return kSqlDouble;
  return 0;
}

int CWksTbl::IsCellEmpty(int row, int column) {
  if (!m_pFile) return 1;
  double value = 0.0;
  return (m_pFile->ReadNumber(row, column, &value) & (kWksText | kWksNumber)) == 0;
}

void CWksTbl::GetCellFlags(int row, int column, bool& empty, bool& formula) {
  double value = 0.0;
  const int flags = m_pFile ? m_pFile->ReadNumber(row, column, &value) : 0;
  empty = flags < 64;
  formula = (flags & kWksFormula) != 0;
}

int CWksTbl::HasFormula(int row, int column) { return m_pFile ? m_pFile->HasFormula(row, column) : 0; }

std::string CWksTbl::GetFormulaText(int row, int column) {
  return m_pFile ? m_pFile->GetFormulaText(row, column) : std::string();
}

int CWksTbl::GetSheetColumnCount() { return m_pFile ? m_pFile->GetColumnCount() : 0; }

std::string CWksTbl::GetFormatName() const { return m_pFile ? m_pFile->GetFormatName() : "Unknown"; }

// ---- Rows.

int CWksTbl::GetRowCount() { return m_pFile ? m_pFile->GetRowCount() : 0; }

int CWksTbl::IsLastRow() { return m_nCurrentRow + 1 >= GetRowCount(); }

int CWksTbl::IsLastColumn() { return m_nCurrentColumn + 1 >= GetColumnCount(); }

int CWksTbl::IsPastLastRow() {
  if (m_nCurrentRow > GetRowCount() - 1) return 1;
  return m_bEndOfRows;
}

int CWksTbl::IsCommentRow(int row) {
  const std::string first = CellText(row, 0);
  return !first.empty() && first[0] == '*';
}

int CWksTbl::NextRow() {
  CBaseTbl::NextRow();
  while (!IsPastLastRow() && IsCurrentRowComment()) CBaseTbl::NextRow();
  return IsPastLastRow();
}

int CWksTbl::PrevRow() {
  CBaseTbl::PrevRow();
  while (m_nCurrentRow >= 0 && IsCurrentRowComment() && !m_bBeginOfRows) CBaseTbl::PrevRow();
  return m_bBeginOfRows;
}

// ---- Opening.

int CWksTbl::Open(const CIoTableDescription& description) {
  m_description.Copy(description);
  std::string file = description.m_strSource;
  std::string sheet = description.m_strTable;
  if (sheet.empty() && file.find('[') != std::string::npos) SplitQualifiedName(description.m_strSource, file, sheet);
  SetSourceName(file);
  SetTableName(sheet);

  ReleaseFile();
  if (m_bReuse) {
    if (CWksFile* cached = FindCachedWorkbook(file, sheet)) {
      cached->SelectSheet(sheet);
      m_pFile = cached;
    }
  }
  if (!m_pFile) {
    m_ownedFile = std::make_unique<CWksFile>(file, sheet, kWksAutomationWhenNeeded);
    m_pFile = m_ownedFile.get();
  }
  // A damaged workbook fails the work that reads it, also where it opened as far as it goes.
  if (!m_pFile->GetDamage().empty()) NoteInputFailure(m_pFile->GetDamage());
  if (m_pFile->IsFailed()) {
    if (IsCachedWorkbook(m_pFile)) CloseCachedWorkbook(true);
    ReleaseFile();
    return ReportErrorArg(kIdsCannotOpenTable, file);
  }
  if (m_bReuse && m_ownedFile) {
    if (CWksFile* cached = OfferToCache(m_ownedFile, file, sheet)) m_pFile = cached;
  }
  m_nFormatCode = m_pFile->HasFormulas() ? 1 : 0;
  m_bReadOnly = m_pFile->IsReadOnly();
  m_bAvailable = 1;

  if (!FindTableStart()) return ReportError(kIdsNoFirstDataRow);
  if (!ReadColumnInfo()) return ReportErrorArg(kIdsCannotReadColumnInfo, file);
  m_bOpen = 1;
  return 1;
}

int CWksTbl::FindTableStart() {
  m_nCurrentRow = 0;
  m_nCurrentColumn = 0;
  m_bEndOfRows = 0;
  m_bBeginOfRows = 0;
  std::string first = CellText(0, 0);
  if (EqualsTable(first)) {
    m_layout = WksLayout::Marked;
    do {
      NextRow();
      first = CellText(m_nCurrentRow, 0);
    } while (!first.empty() && first[0] == '*' && !IsLastRow() && !IsPastLastRow());
  } else if (!first.empty() && first[0] != '*') {
    m_layout = WksLayout::Plain;
  } else {
    const int lastColumn = GetSheetColumnCount() - 1;
    while ((first.empty() || first[0] == '*') && !IsLastRow()) {
      if (first.empty()) {
        int column = 0;
        while (column < lastColumn && IsCellEmpty(m_nCurrentRow, column)) ++column;
        const bool found = !IsCellEmpty(m_nCurrentRow, column);
        m_nCurrentColumn = 0;
        if ((found && column < lastColumn) || column < 2) break;
      }
      NextRow();
      if (IsPastLastRow()) break;
      first = CellText(m_nCurrentRow, 0);
    }
    m_layout = first.empty() ? WksLayout::RowNamesColumn : WksLayout::Marked;
  }
  m_nHeadingRow = m_nCurrentRow;
  NextRow();
  m_nFirstDataRow = m_nCurrentRow;
  return 1;
}

// ---- Columns.

int CWksTbl::ReadColumnInfo() {
  m_columns.RemoveAll();
  m_nFirstMarkedColumn = -1;
  const CIOOptions defaults;
  const CIOOptions& options = m_pOptions ? *m_pOptions : defaults;
  const int sheetColumns = GetSheetColumnCount();
  for (int i = 0; i < sheetColumns; ++i) {
    CColumnDesc desc;
    desc.m_nSource = m_nSourceIndex;
    desc.m_nPosition = i;
    desc.m_nSize = m_pFile->GetColumnWidth(i);
    const bool rowNames = m_layout == WksLayout::RowNamesColumn && i == 0;
    if (rowNames) {
      desc.m_strName = "ROWNAMES";
    } else {
      std::string text;
      const int flags = m_pFile->ReadText(m_nHeadingRow, i, text, kWksModeTextOnly);
      TrimTrailingBlanks(text);
      if (text.empty()) {
        char line[64];
        std::snprintf(line, sizeof line, " %d,%d", m_nHeadingRow + 1, i + 1);
        ReportWarningText(LoadResString(kIdsEmptyColumnName) + line);
        LogNoteId(kIdsFurtherColumnsIgnored);
        break;
      }
      if (options.StarHeadingEndsColumns && text[0] == '*') {
        m_nFirstMarkedColumn = i;
        break;
      }
      desc.m_strName = text;
      desc.m_nFlags = flags;
    }
    auto column = std::make_unique<CColumn>(std::move(desc));
    column->m_nReserved1 = rowNames ? 1 : 0;
    column->m_nReserved2 = rowNames ? 0 : 1;
    m_columns.Add(std::move(column));
  }
  if (!AssignColumnTypes()) return ReportError(kIdsFindSqlTypeFailed);
  return 1;
}

int CWksTbl::AssignColumnTypes() {
  for (CColumn* column : m_columns) {
    const std::string& name = column->m_strName;
    std::int16_t type = -1;
    if (name == "DATETIMEID") type = kSqlTimestamp;
    else if (name == "PRICE" || name == "IPRICE" || name == "VPRICE" || name == "COST" || name == "ICOST") type = kSqlDecimal;
    else if (name == "TEXT") type = kSqlChar;
    else if (const std::int16_t byName = SqlTypeForColumnName(name); byName == kSqlDate || byName == kSqlTime) type = byName;
    if (type < 0) {
      type = kSqlDouble;  // no data says otherwise
      for (RewindToFirstDataRow(); !IsPastLastRow(); NextRow()) {
        const std::string first = CellText(m_nCurrentRow, 0);
        if (first.empty() || first[0] == '*') continue;
        const int kind = GetCellKind(m_nCurrentRow, column->m_nPosition);
        if (kind == 1) {
          const std::string text = CellText(m_nCurrentRow, column->m_nPosition);
          if (text.empty() || text[0] == '*') continue;
          type = kSqlChar;
          break;
        }
        if (kind != 0) {
          type = static_cast<std::int16_t>(kind);
          break;
        }
      }
    }
    column->m_nSqlType = type;
  }
  RewindToFirstDataRow();
  return 1;
}

// ---- Reading.

std::unique_ptr<CIoCell> CWksTbl::MakeCell(int row, int column, int columnType, bool readFormula,
                                           int nullFlag, int formulaFlag) {
  bool formula = false;
  std::string formulaText;
  if (readFormula) {
    formula = HasFormula(row, column) > 0;
    if (formula) formulaText = GetFormulaText(row, column);
  }
  if (formulaFlag >= 0) formula = formulaFlag != 0;
  const int kind = GetCellKind(row, column);
  const auto isNull = [&](bool fromContents) { return nullFlag >= 0 ? nullFlag != 0 : fromContents; };

  std::unique_ptr<CIoCell> cell;
  switch (columnType) {
    case kSqlDecimal:
    case kSqlDouble: {
      double value = 0.0;
      if (kind == kSqlDouble) m_pFile->ReadNumber(row, column, &value);
      else value = 0.0;
      cell = std::make_unique<CIoDoubleCell>(value, formulaText, isNull(kind != kSqlDouble), formula,
                                             m_nSourceIndex);
      break;
    }
    case kSqlDate:
    case kSqlTime:
    case kSqlTimestamp: {
      plat::OleDateTime date;
      bool dated = false;
      if (kind == kSqlDouble || kind == kSqlDate || kind == kSqlTime || kind == kSqlTimestamp) {
        m_pFile->ReadDate(row, column, &date);
        dated = date.IsValid();
        if (!dated) {
          ReportWarningArgs(kIdsInvalidDateCell, std::to_string(row + 1), std::to_string(column + 1));
          date = plat::OleDateTime();
        }
      }
      const bool null = isNull(!dated);
      if (kind == kSqlDate) cell = std::make_unique<CIoDateCell>(date, formulaText, null, formula, m_nSourceIndex);
      else if (kind == kSqlTime) cell = std::make_unique<CIoTimeCell>(date, formulaText, null, formula, m_nSourceIndex);
      else cell = std::make_unique<CIoTimeStampCell>(date, formulaText, null, formula, m_nSourceIndex);
      break;
    }
    default: {
      const bool text = kind == 1;
      cell = std::make_unique<CIoStrCell>(text ? CellText(row, column) : std::string(), formulaText,
                                          isNull(!text), formula, m_nSourceIndex);
      break;
    }
  }
  cell->m_nSourceRow = row;
  cell->m_nSourceColumn = column;
  return cell;
}

std::string CWksTbl::KeyText(int row, const CColumn& column, bool& empty) {
  const int c = column.m_nPosition;
  empty = IsCellEmpty(row, c) != 0;
  if (empty) return std::string();
  double number = 0.0;
  const bool isNumber = (m_pFile->ReadNumber(row, c, &number) & kWksNumber) != 0;
  switch (column.m_nSqlType) {
    case kSqlDouble:
      if (!isNumber) m_bWarning = 1;
      return CellText(row, c);
    case kSqlDate:
    case kSqlTime:
    case kSqlTimestamp: {
      plat::OleDateTime date;
      m_pFile->ReadDate(row, c, &date);
      if (column.m_nSqlType == kSqlDate) return CIoDateCell(date, false, false).Format();
      if (column.m_nSqlType == kSqlTime) return CIoTimeCell(date, false, false).Format();
      return CIoTimeStampCell(date, false, false).Format();
    }
    default:
      if (isNumber) m_bWarning = 1;
      return CellText(row, c);
  }
}

int CWksTbl::ReadAll(CIoRowArray& rows, CColumnArray& keyColumns, CColumnArray& dataColumns,
                     const std::string& keyFields, const std::string& keyValues,
                     const std::string& extractFields, std::vector<std::string>*, int) {
  if (!SetExtractColumns(extractFields)) return 0;
  m_keyFields.RemoveAll();
  m_keyValues.clear();
  const bool keysGiven = !keyFields.empty() || !keyValues.empty();
  if (keysGiven && (!SetKeyFields(keyFields) || !SetKeyValues(keyValues))) return ReportError(kIdsKeyFieldsIncorrect);
  if (m_keyFields.GetSize() != static_cast<int>(m_keyValues.size())) return ReportError(kIdsKeyCountMismatch);
  CopyKeyColumns(keyColumns);
  CopyExtractColumns(dataColumns);
  RewindToFirstDataRow();
  if (IsPastLastRow()) {
    ReportWarning(kIdsNoMatchSourceKey);
    return 1;
  }

  bool anyTaken = false;
  for (; !IsPastLastRow(); NextRow()) {
    const int row = m_nCurrentRow;
    if (keysGiven) {
      std::vector<std::string> texts(static_cast<std::size_t>(m_keyFields.GetSize()));
      bool anyResolved = false;
      bool allEmpty = true;
      for (int k = 0; k < m_keyFields.GetSize(); ++k) {
        const int index = m_keyFields.GetAt(k)->GetIndex();
        if (index < 0) continue;
        bool empty = false;
        texts[static_cast<std::size_t>(k)] = KeyText(row, *m_columns.GetAt(index), empty);
        anyResolved = true;
        if (!empty) allEmpty = false;
      }
      if (anyResolved && allEmpty) {
        ReportWarningArg(kIdsEmptyKeyRowSkipped, std::to_string(row + 1));
        continue;
      }
      bool matched = false;
      bool failed = false;
      for (int k = 0; k < m_keyFields.GetSize() && !failed; ++k) {
        if (m_keyFields.GetAt(k)->GetIndex() < 0) continue;
        if (MatchKeyPattern(texts[static_cast<std::size_t>(k)], m_keyValues[static_cast<std::size_t>(k)])) matched = true;
        else failed = true;
      }
      if (!matched || failed) continue;
    }

    auto ioRow = std::make_unique<CIoRow>(row, m_nSourceIndex);
    for (const CIoKeyCell* field : m_extractFields) {
      const CColumn& column = *m_columns.GetAt(field->GetIndex());
      ioRow->AddDataCell(MakeCell(row, column.m_nPosition, column.m_nSqlType, m_bFormulas != 0));
    }
    for (const CIoKeyCell* field : m_keyFields) {
      const int index = field->GetIndex() >= 0 ? FindColumn(field->GetName()) : -1;
      if (index < 0) {
        auto cell = std::make_unique<CIoStrCell>(std::string(), std::string(), true, false, m_nSourceIndex);
        cell->m_nFlags &= ~kCellPending;
        cell->m_nSourceRow = row;
        ioRow->AddKeyCell(std::move(cell));
        continue;
      }
      const CColumn& column = *m_columns.GetAt(index);
      bool empty = false;
      bool formula = false;
      GetCellFlags(row, column.m_nPosition, empty, formula);
      ioRow->AddKeyCell(MakeCell(row, column.m_nPosition, column.m_nSqlType, m_bFormulas != 0,
                                 empty ? 1 : 0, formula ? 1 : 0));
    }
    rows.Add(std::move(ioRow));
    anyTaken = true;
  }
  if (!anyTaken) ReportWarning(kIdsNoMatchSourceKey);
  return 1;
}

int CWksTbl::ReadExtraRows(CIoRowArray& rows, const std::string& extractFields, bool markers) {
  if (!SetExtractColumns(extractFields)) return 0;
  const int rowNames = FindColumn("ROWNAMES");
  const CColumn* rowNamesColumn = rowNames >= 0 ? m_columns.GetAt(rowNames) : nullptr;
  const int rowCount = GetRowCount();
  for (int row = 0; row < rowCount; ++row) {
    const std::string name = (rowNamesColumn && rowNamesColumn->m_nSqlType == kSqlChar)
                                 ? CellText(row, rowNamesColumn->m_nPosition)
                                 : std::string();
    const bool qualifies = markers ? (IsCrdName(name) || (name.size() != 7 && IsMarkerRowName(name)))
                                   : (!name.empty() && name[0] == '*' && !IsMarkerRowName(name) && !IsCrdName(name));
    if (!qualifies) continue;
    auto ioRow = std::make_unique<CIoRow>(row, m_nSourceIndex);
    for (const CIoKeyCell* field : m_extractFields) {
      const CColumn& column = *m_columns.GetAt(field->GetIndex());
      const int kind = GetCellKind(row, column.m_nPosition);
      if (kind == 0 && column.m_nSqlType != kSqlChar) {
        auto cell = std::make_unique<CIoStrCell>(std::string(), GetFormulaText(row, column.m_nPosition), true,
                                                 HasFormula(row, column.m_nPosition) > 0, m_nSourceIndex);
        cell->m_nSourceRow = row;
        cell->m_nSourceColumn = column.m_nPosition;
        ioRow->AddDataCell(std::move(cell));
      } else {
        ioRow->AddDataCell(MakeCell(row, column.m_nPosition, column.m_nSqlType, true));
      }
    }
    if (!rowNamesColumn) {
      ioRow->AddKeyCell(std::make_unique<CIoStrCell>(std::string(), std::string(), true, false, m_nSourceIndex));
    } else if (GetCellKind(row, rowNamesColumn->m_nPosition) == 1) {
      ioRow->AddKeyCell(MakeCell(row, rowNamesColumn->m_nPosition, kSqlChar, true));
    }
    rows.Add(std::move(ioRow));
  }
  return 1;
}

int CWksTbl::ReadMarkerRows(CIoRowArray& rows, const std::string& extractFields) {
  return ReadExtraRows(rows, extractFields, true);
}

int CWksTbl::ReadCommentRows(CIoRowArray& rows, const std::string& extractFields) {
  return ReadExtraRows(rows, extractFields, false);
}

// ---- Closing.

int CWksTbl::Close(int commit) {
  if (!m_bOpen || !m_pFile) return 0;
  m_bOpen = 0;
  if (commit && m_pFile->HasChanges()) {
    const CIOOptions defaults;
    const CIOOptions& options = m_pOptions ? *m_pOptions : defaults;
    const char* backup = options.BackupOnSave ? options.BackupExtension.c_str() : nullptr;
    if (!m_pFile->Save(true, backup, nullptr)) return 0;
  }
  ReleaseFile();
  return 1;
}

// ---- Loading.

int LoadWorksheetTable(CIoTableDescription& description, int sourceIndex,
                       const std::string& keyFields, const std::string& keyValues,
                       const std::string& extractFields, std::string& formatName,
                       CColumnArray& keyColumns, CColumnArray& dataColumns, CIoRowArray& rows,
                       CIoRowArray& extraRows, CIoRowArray& commentRows, int& readOnly,
                       int& hasFormulas, int& available, int formulas) {
  rows.RemoveAll();
  keyColumns.RemoveAll();
  dataColumns.RemoveAll();
  CIOOptions options;
  SetLoaderOptions(options);
  CWksTbl table(nullptr, &options);
  table.m_nSourceIndex = sourceIndex;
  table.m_bFormulas = formulas;
  if (!table.Open(description)) return 1;

  readOnly = table.m_bReadOnly;
  hasFormulas = table.m_nFormatCode;
  available = table.m_bAvailable;
  description.m_nLoaderResults[kLoaderSheetColumns] = table.GetSheetColumnCount();
  description.m_nLoaderResults[kLoaderSheetRows] = table.GetRowCount();
  description.m_nLoaderResults[kLoaderHeadingRow] = table.m_nHeadingRow;
  description.m_nLoaderResults[kLoaderRowNamesColumn] = table.FindColumn("ROWNAMES");
  description.m_nLoaderResults[kLoaderStarColumn] = table.m_nFirstMarkedColumn;
  formatName = table.GetFormatName();

  if (!table.ReadAll(rows, keyColumns, dataColumns, keyFields, keyValues, extractFields, nullptr,
                     sourceIndex)) {
    table.Close(1);
    return 2;
  }
  description.m_nLoaderResults[kLoaderRowsRead] = rows.GetSize();
  description.m_nLoaderResults[kLoaderColumnsRead] = dataColumns.GetSize();
  description.m_nLoaderResults[kLoaderLastDataColumn] =
      dataColumns.IsEmpty() ? -1 : dataColumns.GetAt(dataColumns.GetSize() - 1)->m_nPosition;

  if (formulas && (!table.ReadMarkerRows(extraRows, extractFields) ||
                   !table.ReadCommentRows(commentRows, extractFields))) {
    table.Close(1);
    return 2;
  }
  if (!table.Close(1)) return 4;
  return table.m_bWarning ? 21 : 0;
}
