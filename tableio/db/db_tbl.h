#pragma once
// What the database back ends (ODBC 2, MFC ODBC 8, ADO 10) share: the fixed
// answers of a table read by statements, the identifier quote and statement
// table name, the first steps of a read and the making of its rows, and the
// write operations, which each back end runs through its write context.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tableio/base_tbl.h"
#include "tableio/db/odbc_write.h"
#include "tableio/io_table.h"

class CDbTbl : public CBaseTbl {
 public:
  using CBaseTbl::CBaseTbl;

  int GetColumnCount() override { return -1; }
  int IsLastRow() override { return 0; }
  int IsLastColumn() override { return 0; }
  int GetFirstDataColumn() override { return -1; }

  int TransferRows(CIoRowArray& sourceRows, int sourceIndex, const std::vector<std::string>& sourceKeyValues,
                   CColumnArray& sourceColumns, const std::string& keyFields, const std::string& keyValues,
                   const std::string& resultFields, const std::string& extractFields, int& messageId) override;
  int UpdateRow(CIoRowArray& rows, CColumnArray& keyColumns, CColumnArray& resultColumns) override;
  int UpdateRowsByKeys(const std::string& keyFields, const std::string& keyValues, const std::string& resultFields,
                       CIoCell& value, int& messageId) override;
  int DeleteRow(CIoRowArray& rows, const std::string& keyFields) override;
  int AddColumn(std::unique_ptr<CColumn> column) override;
  virtual int CreateTable(CColumnArray& keyColumns, CColumnArray& dataColumns);

  const std::string& GetIdentifierQuote() const { return m_strIdentifierQuote; }
  // The table name as statements write it (set with the identifier quote).
  const std::string& StatementTableName() const { return m_strStatementTable; }
  // True when the source is a Jet database (its patterns use "*" and "?").
  bool IsJetSource() const { return m_bJet; }

 protected:
  // The context the write operations run in (see odbc_write.h).
  virtual COdbcWriteContext WriteContext() = 0;

  // What ended the first steps of a read early (see SetReadColumns).
  static constexpr std::uint32_t kExtractColumnsFailed = 1;
  // The first steps of a read: the extract columns, the key fields and key
  // values (the values also appended to optionalList when given), then copies
  // of the key and extract columns. 0 when all are set; else
  // kExtractColumnsFailed or the message id of the key failure.
  std::uint32_t SetReadColumns(CColumnArray& keyColumns, CColumnArray& dataColumns, const std::string& keyFields,
                               const std::string& keyValues, const std::string& extractFields,
                               std::vector<std::string>* optionalList);
  // One row of a read: dataCell(i) for each extract field i, then for each key
  // field keyCell(field), or an empty text cell that is not pending when the
  // key field is not a column of the table.
  template <class DataCell, class KeyCell>
  std::unique_ptr<CIoRow> NewReadRow(DataCell&& dataCell, KeyCell&& keyCell) const {
    auto row = std::make_unique<CIoRow>();
    for (int i = 0; i < m_extractFields.GetSize(); ++i) row->AddDataCell(dataCell(i));
    for (const CIoKeyCell* field : m_keyFields) {
      if (field->GetIndex() != -1) {
        row->AddKeyCell(keyCell(*field));
        continue;
      }
      auto placeholder = std::make_unique<CIoStrCell>();
      placeholder->m_nFlags &= ~kCellPending;
      row->AddKeyCell(std::move(placeholder));
    }
    return row;
  }

  std::string m_strIdentifierQuote;
  std::string m_strStatementTable;
  bool m_bJet = false;
};

// A table loader of a back end (see SetTableLoader): a table of the back end
// with the loader options runs the load protocol; any exception is status 2.
template <class BackEnd>
int RunDbTableLoader(const CIoTableDescription& description, const std::string& keyFields,
                     const std::string& keyValues, const std::string& extractFields, CColumnArray& keyColumns,
                     CColumnArray& dataColumns, CIoRowArray& rows, int& readOnly, int& formatCode, int& available) {
  try {
    CIOOptions options;
    SetLoaderOptions(options);
    BackEnd table(nullptr, &options);
    return RunLoadProtocol(table, description, keyFields, keyValues, extractFields, keyColumns, dataColumns, rows,
                           readOnly, formatCode, available);
  } catch (...) {
    return 2;
  }
}
