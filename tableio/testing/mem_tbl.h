#pragma once
// An in-memory table back end for tests: columns and rows given as text, read
// with the field-list rules of the base. Register it as the loader of a table
// type with MemTableLoader.

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "tableio/base_tbl.h"
#include "tableio/io_table.h"

struct MemTableData {
  // Name and SQL type (1 text, 4 long, 8 double, 9 date) of each column.
  std::vector<std::pair<std::string, std::int16_t>> columns;
  // One text per column; an empty text is a null cell.
  std::vector<std::vector<std::string>> rows;
  bool failOpen = false;
  bool failClose = false;
};

class CMemTbl : public CBaseTbl {
 public:
  CMemTbl(const MemTableData& data, std::ostream* log, CIOOptions* options)
      : CBaseTbl(log, options), m_data(data) {}

  int GetTableType() const override { return 99; }
  int Open(const CIoTableDescription& description) override {
    m_description.Copy(description);
    SetSourceName(description.m_strSource);
    SetTableName(description.m_strTable);
    if (m_data.failOpen) return ReportErrorArg(10315, description.m_strSource);
    if (!ReadColumnInfo()) return 0;
    m_nFirstDataRow = 0;
    m_bOpen = 1;
    return 1;
  }
  int Close(int) override {
    if (!m_bOpen) return 0;
    m_bOpen = 0;
    return m_data.failClose ? 0 : 1;
  }
  int GetRowCount() override { return static_cast<int>(m_data.rows.size()); }
  int GetColumnCount() override { return m_columns.GetSize(); }
  int IsLastRow() override { return m_nCurrentRow + 1 >= GetRowCount(); }
  int IsLastColumn() override { return m_nCurrentColumn + 1 >= GetColumnCount(); }
  int GetFirstDataColumn() override { return 0; }
  int ReadColumnInfo() override {
    m_columns.RemoveAll();
    int position = 0;
    for (const auto& [name, type] : m_data.columns) {
      CColumnDesc desc;
      desc.m_strName = name;
      desc.m_nSqlType = type;
      desc.m_nSize = 10;
      desc.m_nPosition = position++;
      desc.m_nSource = -1;
      m_columns.Add(std::make_unique<CColumn>(desc));
    }
    return 1;
  }
  int ReadAll(CIoRowArray& rows, CColumnArray& keyColumns, CColumnArray& dataColumns,
              const std::string& keyFields, const std::string& keyValues,
              const std::string& extractFields, std::vector<std::string>*, int sourceNumber) override {
    if (!SetExtractColumns(extractFields)) return 0;
    if (!keyFields.empty() || !keyValues.empty()) {
      if (!SetKeyFields(keyFields) || !SetKeyValues(keyValues)) return ReportError(10112);
    }
    if (m_keyFields.GetSize() != static_cast<int>(m_keyValues.size())) return ReportError(10111);
    CopyKeyColumns(keyColumns);
    CopyExtractColumns(dataColumns);
    for (RewindToFirstDataRow(); !IsEndOfRows(); NextRow()) {
      const auto& values = m_data.rows[static_cast<std::size_t>(m_nCurrentRow)];
      bool taken = true;
      for (int k = 0; k < m_keyFields.GetSize(); ++k) {
        const int index = m_keyFields.GetAt(k)->GetIndex();
        if (index >= 0 && !MatchKeyPattern(values[static_cast<std::size_t>(index)], m_keyValues[static_cast<std::size_t>(k)]))
          taken = false;
      }
      if (!taken) continue;
      auto row = std::make_unique<CIoRow>(m_nCurrentRow, sourceNumber);
      for (const CIoKeyCell* field : m_keyFields) row->AddKeyCell(MakeCell(values, field->GetIndex()));
      for (const CIoKeyCell* field : m_extractFields) row->AddDataCell(MakeCell(values, field->GetIndex()));
      rows.Add(std::move(row));
    }
    return 1;
  }

 private:
  std::unique_ptr<CIoCell> MakeCell(const std::vector<std::string>& values, int index) const {
    if (index < 0) return std::make_unique<CIoStrCell>();
    const std::string& text = values[static_cast<std::size_t>(index)];
    const bool isNull = text.empty();
    switch (m_columns.GetAt(index)->m_nSqlType) {
      case kSqlInteger: return isNull ? std::make_unique<CIoLongCell>() : std::make_unique<CIoLongCell>(std::atoi(text.c_str()), false, false);
      case kSqlDouble: return isNull ? std::make_unique<CIoDoubleCell>() : std::make_unique<CIoDoubleCell>(std::atof(text.c_str()), false, false);
      case kSqlDate: return std::make_unique<CIoDateCell>(text, isNull, false);
      default: return isNull ? std::make_unique<CIoStrCell>() : std::make_unique<CIoStrCell>(text, false, false);
    }
  }

  const MemTableData& m_data;
};

// A loader that reads data through CMemTbl with the loaders' sequence.
inline TableLoader MemTableLoader(const MemTableData& data) {
  return [&data](CIoTable& table, const std::string& keyFields, const std::string& keyValues,
                 const std::string& extractFields) {
    CIOOptions options;
    SetLoaderOptions(options);
    CMemTbl backEnd(data, nullptr, &options);
    return RunLoadProtocol(backEnd, table.m_description, keyFields, keyValues, extractFields,
                           table.m_keyColumns, table.m_dataColumns, table.m_rows, table.m_bReadOnly,
                           table.m_bHasFormulas, table.m_bAvailable);
  };
}
