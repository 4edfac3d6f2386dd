#include "caseset/modeltables/vorn_io_table.h"

#include <cmath>
#include <memory>
#include <unordered_map>
#include <vector>

#include "foundation/input_failure.h"
#include "foundation/messages.h"
#include "modelfile/vorn_model_file.h"
#include "platform/exceptions.h"
#include "platform/string_table.h"
#include "tableio/worksheet/wks_tbl.h"

namespace {

const plat::StringTableRegistrar kVornIoTableStrings(
    plat::StringTable::Program,
    {
        {kIdsDuplicateCoefficient, "Duplicate coefficient in table %1 for row %2 column %3"},
        {kIdsCannotRetrieveTable, "Unable to retrieve data from existing table"},
        {kIdsInternalTableError, "An internal Tablora error has occurred."},
        {kIdsMixedRowNames, "Mixed numeric/text data cells in ROWNAMES column"},
    });

// Half a second in days: two dates closer than this are the same.
constexpr double kHalfSecond = 5.787037037037037e-6;
constexpr double kNumberTolerance = 1e-6;

bool EqualsIgnoringCase(const std::string& a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return i == a.size() && b[i] == '\0';
}

bool IsEventTable(const std::string& name) {
  return EqualsIgnoringCase(name, "RECEIVE") || EqualsIgnoringCase(name, "SHIP");
}

// Tables where a later source may not override a value: the first one stays.
bool KeepsFirstValue(const std::string& name) {
  return EqualsIgnoringCase(name, "PDIST") || EqualsIgnoringCase(name, "PGUESS") ||
         EqualsIgnoringCase(name, "NCRDCUTS") || EqualsIgnoringCase(name, "TESTRUN");
}

int FindColumnIndex(const CColumnArray& columns, const std::string& name) {
  for (int j = 0; j < columns.GetSize(); ++j)
    if (columns.GetAt(j) && columns.GetAt(j)->m_strName == name) return j;
  return -1;
}

std::string KeyOf(const CIoRow& row) {
  if (row.m_keyCells.IsEmpty() || row.m_keyCells.GetAt(0) == nullptr) return std::string();
  return row.m_keyCells.GetAt(0)->GetText();
}

// Gives the row placeholder cells up to count data cells.
void PadRow(CIoRow& row, int count) {
  while (row.m_dataCells.GetSize() < count) {
    auto cell = std::make_unique<CIoStrCell>();
    cell->m_nFlags |= kCellPlaceholder;
    row.AddDataCell(std::move(cell));
  }
}

// A copy of a source cell as a cell of the source column's type; null for a
// type the merge cannot copy.
std::unique_ptr<CIoCell> CopyCell(const CIoCell& source, int sqlType) {
  std::unique_ptr<CIoCell> cell;
  switch (sqlType) {
    case kSqlChar: cell = std::make_unique<CIoStrCell>(source.Format(), false, false); break;
    case kSqlDecimal:
    case kSqlDouble: cell = std::make_unique<CIoDoubleCell>(source.AsDouble(), false, false); break;
    case kSqlDate: cell = std::make_unique<CIoDateCell>(source.GetDateTime(), false, false); break;
    case kSqlTime: cell = std::make_unique<CIoTimeCell>(source.GetDateTime(), false, false); break;
    case kSqlTimestamp: cell = std::make_unique<CIoTimeStampCell>(source.GetDateTime(), false, false); break;
    default: return nullptr;
  }
  cell->m_nTag = source.m_nTag;
  cell->m_nSourceRow = source.m_nSourceRow;
  cell->m_nSourceColumn = source.m_nSourceColumn;
  return cell;
}

bool SameDate(const plat::OleDateTime& a, const plat::OleDateTime& b) {
  if (a.GetStatus() != b.GetStatus()) return false;
  if (a.GetStatus() == plat::OleDateTime::Status::null) return true;
  if (!a.IsValid()) return false;
  return std::fabs(a.GetValue() - b.GetValue()) < kHalfSecond;
}

bool SameValue(const CIoCell& target, const CIoCell& value, int sqlType) {
  switch (sqlType) {
    case kSqlChar: return target.Format() == value.Format();
    case kSqlDecimal:
    case kSqlDouble: return std::fabs(target.AsDouble() - value.AsDouble()) <= kNumberTolerance;
    case kSqlDate:
    case kSqlTime:
    case kSqlTimestamp: return SameDate(target.GetDateTime(), value.GetDateTime());
    default: return false;
  }
}

void ReplaceCell(CIoRow& row, int j, std::unique_ptr<CIoCell> cell) {
  CIoCell*& slot = row.m_dataCells.ElementAt(j);
  delete slot;
  slot = cell.release();
}

// What one later source brings: read into temporaries, merged, then freed.
struct SourceTable {
  CColumnArray keyColumns;
  CColumnArray dataColumns;
  CIoRowArray rows;
  CIoRowArray extraRows;
};

class Merger {
 public:
  Merger(CIoTable& table, const std::string& tableName, int sourceNumber)
      : m_table(table), m_name(tableName), m_source(sourceNumber) {}

  // Merges by row key; 0, or 29 / 30.
  int MergeByKey(const SourceTable& source) {
    const int added = UniteColumns(source.dataColumns, true);
    m_textColumn = m_table.FindColumn("TEXT");
    m_rowNamesColumn = m_table.FindColumn("ROWNAMES");
    int status = MergeRowSet(source, source.rows, m_table.m_rows, added);
    if (status == 0) status = MergeRowSet(source, source.extraRows, m_table.m_extraRows, added);
    return status;
  }

  // Appends every source row; 0, or 30.
  int Append(const SourceTable& source) {
    UniteColumns(source.dataColumns, false);
    const int columnCount = m_table.m_dataColumns.GetSize();
    for (CIoRow* row : m_table.m_rows)
      if (row) PadRow(*row, columnCount);
    const int dateColumn = m_table.FindColumn("Date");
    const std::vector<int> targets = TargetColumns(source.dataColumns);
    std::unordered_map<std::string, std::vector<int>> rowsByKey;
    for (int i = 0; i < m_table.m_rows.GetSize(); ++i)
      if (const CIoRow* row = m_table.m_rows.GetAt(i)) rowsByKey[KeyOf(*row)].push_back(i);

    for (const CIoRow* sourceRow : source.rows) {
      if (!sourceRow) continue;
      const std::string key = KeyOf(*sourceRow);
      std::vector<int>& sameKey = rowsByKey[key];
      const std::size_t earlierRows = sameKey.size();
      m_table.m_rows.AddKeyRow(key, false);
      const int newIndex = m_table.m_rows.GetSize() - 1;
      CIoRow& row = *m_table.m_rows.GetAt(newIndex);
      PadRow(row, columnCount);
      const auto place = [&](int target, std::unique_ptr<CIoCell> copy, const CColumn& column) -> int {
        const bool repeatedDate = copy->GetSqlType() == kSqlDate && target == dateColumn && earlierRows > 0;
        const CIoCell& placed = *copy;
        ReplaceCell(row, target, std::move(copy));
        if (repeatedDate) ReportRepeatedDate(sameKey, earlierRows, target, placed, key, column.m_strName);
        return 0;
      };
      if (const int status = CopyCells(source, *sourceRow, targets, place); status != 0) return status;
      sameKey.push_back(newIndex);
    }
    return 0;
  }

 private:
  // Adds the source columns the table lacks; returns how many were added.
  int UniteColumns(const CColumnArray& sourceColumns, bool withProvenance) {
    int added = 0;
    for (const CColumn* column : sourceColumns) {
      if (!column) continue;
      const int found = FindColumnIndex(m_table.m_dataColumns, column->m_strName);
      if (found >= 0) {
        if (withProvenance) {
          CColumn& target = *m_table.m_dataColumns.GetAt(found);
          target.m_sourceNumbers.push_back(m_source);
          target.m_sourcePositions.push_back(column->m_nPosition);
        }
        continue;
      }
      auto copy = std::make_unique<CColumn>(column->m_strName, column->m_nSqlType, column->m_nSize,
                                            column->m_nDecimals, column->m_nNullable, column->m_nFlags);
      if (withProvenance) {
        copy->m_nPosition = column->m_nPosition;
        copy->m_sourceNumbers = column->m_sourceNumbers;
        copy->m_sourcePositions = column->m_sourcePositions;
      }
      m_table.m_dataColumns.Add(std::move(copy));
      ++added;
    }
    return added;
  }

  // The table column of each source column (by name), -1 for none.
  std::vector<int> TargetColumns(const CColumnArray& sourceColumns) const {
    std::unordered_map<std::string, int> byName;
    for (int j = m_table.m_dataColumns.GetSize() - 1; j >= 0; --j)
      if (const CColumn* column = m_table.m_dataColumns.GetAt(j)) byName[column->m_strName] = j;
    std::vector<int> targets;
    for (const CColumn* column : sourceColumns) {
      const auto it = column ? byName.find(column->m_strName) : byName.end();
      targets.push_back(it == byName.end() ? -1 : it->second);
    }
    return targets;
  }

  int MergeRowSet(const SourceTable& source, const CIoRowArray& sourceRows, CIoRowArray& rows, int added) {
    const int columnCount = m_table.m_dataColumns.GetSize();
    const std::vector<int> targets = TargetColumns(source.dataColumns);
    std::unordered_map<std::string, int> firstRow;
    for (int i = 0; i < rows.GetSize(); ++i) {
      CIoRow* row = rows.GetAt(i);
      if (!row) continue;
      if (added > 0) PadRow(*row, row->m_dataCells.GetSize() + added);
      firstRow.emplace(KeyOf(*row), i);
    }
    for (const CIoRow* sourceRow : sourceRows) {
      if (!sourceRow) continue;
      const std::string key = KeyOf(*sourceRow);
      CIoRow* row = nullptr;
      if (auto it = firstRow.find(key); it != firstRow.end()) {
        row = rows.GetAt(it->second);
        row->m_sourceNumbers.push_back(m_source);
        row->m_sourcePositions.push_back(sourceRow->m_nSourceRow);
      } else {
        rows.AddKeyRowWithSource(key, m_source, sourceRow->m_nSourceRow, false);
        firstRow.emplace(key, rows.GetSize() - 1);
        row = rows.GetAt(rows.GetSize() - 1);
      }
      PadRow(*row, columnCount);
      const auto place = [&](int target, std::unique_ptr<CIoCell> copy, const CColumn& column) -> int {
        const CIoCell& current = *row->m_dataCells.GetAt(target);
        const bool conflict = !current.IsNull() && target != m_rowNamesColumn && target != m_textColumn &&
                              !SameValue(current, *copy, column.m_nSqlType);
        if (!conflict) {
          ReplaceCell(*row, target, std::move(copy));
        } else if (!KeepsFirstValue(m_name)) {
          ShowFormattedError3(kIdsDuplicateCoefficient, m_table.GetDisplayName(), key, column.m_strName);
          return kVornIoTableDuplicate;
        }
        return 0;
      };
      if (const int status = CopyCells(source, *sourceRow, targets, place); status != 0) return status;
    }
    return 0;
  }

  // Each value of a source row whose column the table has: its copy in the
  // column's type goes to place(target, copy, column), which gives 0 to go on
  // or the status that ends the merge. 30 when a value cannot be copied.
  template <class Place>
  static int CopyCells(const SourceTable& source, const CIoRow& sourceRow, const std::vector<int>& targets,
                       Place&& place) {
    for (int j = 0; j < source.dataColumns.GetSize() && j < sourceRow.m_dataCells.GetSize(); ++j) {
      const CColumn* column = source.dataColumns.GetAt(j);
      const CIoCell* cell = sourceRow.m_dataCells.GetAt(j);
      const int target = targets[static_cast<std::size_t>(j)];
      if (!column || !cell || cell->IsNull() || target < 0) continue;
      std::unique_ptr<CIoCell> copy = CopyCell(*cell, column->m_nSqlType);
      if (!copy) return kVornIoTableUnhandledType;
      if (const int status = place(target, std::move(copy), *column); status != 0) return status;
    }
    return 0;
  }

  // One message at the first earlier row of the key with the same date.
  void ReportRepeatedDate(const std::vector<int>& sameKey, std::size_t earlierRows, int column,
                          const CIoCell& value, const std::string& key, const std::string& columnName) {
    for (std::size_t n = 0; n < earlierRows; ++n) {
      const CIoRow* row = m_table.m_rows.GetAt(sameKey[n]);
      if (!row || column >= row->m_dataCells.GetSize()) continue;
      const CIoCell* cell = row->m_dataCells.GetAt(column);
      if (cell && !cell->IsNull() && SameValue(*cell, value, kSqlDate)) {
        ShowFormattedError3(kIdsDuplicateCoefficient, m_table.GetDisplayName(), key, columnName);
        return;
      }
    }
  }

  CIoTable& m_table;
  const std::string& m_name;
  int m_source;
  int m_textColumn = -1;
  int m_rowNamesColumn = -1;
};

}  // namespace

CVornIoTable::CVornIoTable(const std::string& file, const std::string& table, const std::string& keyValues,
                           const std::string& extractList, int tableType)
    : CIoTable(file, table, "ROWNAMES", keyValues, extractList, tableType) {
  ComputeTextColumn();
}

CVornIoTable::CVornIoTable(const std::string& tableName, const std::string& keyValues,
                           const std::string& extractList, const CVornModelFile& model, int skip,
                           const std::string& keyFields, int specialRows) {
  if (skip != 0) {
    m_nStatus = kIoTableCannotOpen;
    return;
  }
  LoadFromModel(tableName, keyValues, extractList, model, keyFields, specialRows);
  // A table the model lists that is there but cannot be read fails the work that needs it; one that is
  // not there at all is read as absent.
  if (m_nStatus == kIoTableCannotRead || m_nStatus == kIoTableCannotClose)
    NoteInputFailure("the model table " + tableName + " cannot be read from " + m_strSource +
                     (m_strTable.empty() ? std::string() : " [" + m_strTable + "]"));
}

CVornIoTable::CVornIoTable(const std::string& tableName, const CVornModelFile& model, int skip)
    : CVornIoTable(tableName, "*", "*", model, skip, "ROWNAMES", 0) {}

void CVornIoTable::LoadFromModel(const std::string& tableName, const std::string& keyValues,
                                 const std::string& extractList, const CVornModelFile& model,
                                 const std::string& keyFields, int specialRows) {
  std::vector<std::string> paths;
  std::vector<std::string> sheets;
  model.GetTableFiles(tableName, paths, sheets);
  if (paths.empty() || sheets.size() != paths.size()) {
    m_strSource.clear();
    m_strTable.clear();
    m_nStatus = kIoTableCannotOpen;
    return;
  }
  m_description.m_strSource = paths[0];
  m_description.m_strTable = sheets[0];
  m_description.m_nTableType = kTableWorksheet;
  const bool append = IsEventTable(tableName);

  for (std::size_t i = 0; i < paths.size(); ++i) {
    const int sourceNumber = static_cast<int>(i);
    m_strSource = paths[i];
    m_strTable = sheets[i];
    auto description = std::make_unique<CIoTableDescription>();
    description->m_strSource = paths[i];
    description->m_strTable = sheets[i];
    description->m_nTableType = kTableWorksheet;
    description->m_nOptions[0] = 1;
    CIoTableDescription& source = *description;
    m_sourceDescriptions.Add(std::move(description));

    if (i == 0) {
      m_nStatus = LoadWorksheetTable(source, sourceNumber, keyFields, keyValues, extractList, m_strFormatName,
                                     m_keyColumns, m_dataColumns, m_rows, m_extraRows, m_commentRows,
                                     m_bReadOnly, m_bHasFormulas, m_bAvailable, specialRows);
    } else {
      SourceTable later;
      const int loaded = LoadWorksheetTable(source, sourceNumber, keyFields, keyValues, extractList,
                                            m_strFormatName, later.keyColumns, later.dataColumns, later.rows,
                                            later.extraRows, m_commentRows, m_bReadOnly, m_bHasFormulas,
                                            m_bAvailable, specialRows);
      if (loaded != kIoTableOk) {
        // A later workbook that cannot be read is reported under its own
        // name; its rows must not silently go missing from the table.
        m_nStatus = loaded == kIoTableCannotOpen ? kIoTableCannotRead : loaded;
        ComputeTextColumn();
        return;
      }
      Merger merger(*this, tableName, sourceNumber);
      m_nStatus = append ? merger.Append(later) : merger.MergeByKey(later);
      if (m_nStatus == kIoTableOk) m_strTable = sheets[0];
    }
    ComputeTextColumn();
    if (m_nStatus != kIoTableOk) return;
  }
  // The whole table is named after its first source.
  m_strSource = paths[0];
  m_strTable = sheets[0];
}

void CVornIoTable::ComputeTextColumn() { m_nTextColumn = FindColumn("TEXT"); }

std::string CVornIoTable::GetRowText(int i) const {
  if (m_nTextColumn < 0) {
    if (i < 0 || i >= GetRowCount()) throw CInvalidArgException("Array index out of range.");
    return std::string();
  }
  return GetCellText(i, m_nTextColumn);
}

bool ReportModelTableStatus(const CIoTable& table) {
  switch (table.GetStatus()) {
    case kIoTableCannotRead: return ShowErrorMessageDetail(kIdsCannotRetrieveTable, table.m_strSource, table.m_strTable);
    case kIoTableCannotClose: return ShowErrorMessageId(kIdsInternalTableError);
    case kIoTableOkWithWarnings:
      // A table its reader cannot take fails the case that reads it, naming the file.
      NoteInputFailure("the key column of " + table.GetDisplayName() + " mixes numbers and texts");
      return ShowErrorMessageDetail(kIdsMixedRowNames, table.m_strSource, table.m_strTable);
    default: return true;
  }
}
