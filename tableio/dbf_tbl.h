#pragma once
// The back end of table type 7: a table in a dBASE III or IV file, read
// directly. It only reads; the write operations keep the base's bodies.
// Character fields are converted from the code page that the header's
// language-driver byte names (a Windows-1252 file is taken as it is), or from
// the OEM code page 437 when the byte names none.

#include <cstdint>
#include <fstream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/ole_date_time.h"
#include "tableio/base_tbl.h"

class CDbfTextConverter;

class CDbfTbl : public CBaseTbl {
 public:
  CDbfTbl(std::ostream* log, CIOOptions* options);
  ~CDbfTbl() override;

  int GetTableType() const override { return kTableDbf; }
  // Opens the description's file read-only and reads its field descriptors. 1 or 0.
  int Open(const CIoTableDescription& description) override;
  int Close(int commit) override;
  // The record count of the header.
  int GetRowCount() override { return m_nRecords > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(m_nRecords); }
  int GetColumnCount() override { return m_columns.GetSize(); }
  int IsLastRow() override { return 1; }
  int IsLastColumn() override { return m_nCurrentColumn + 1 == m_columns.GetSize(); }
  int GetFirstDataColumn() override { return 0; }
  int ReadAll(CIoRowArray& rows, CColumnArray& keyColumns, CColumnArray& dataColumns,
              const std::string& keyFields, const std::string& keyValues, const std::string& extractFields,
              std::vector<std::string>* optionalList = nullptr, int sourceNumber = -1) override;
  int ReadColumnInfo() override;

  // Field readers on the current record; an index outside the columns
  // throws CInvalidArgException. A field that is blank is null.
  // The field's text for key matching; false (10104 reported) for an unknown type.
  bool GetFieldText(int column, std::string& text);
  double GetFieldNumber(int column, bool& isNull);
  plat::OleDateTime GetFieldDate(int column, bool& isNull);
  bool GetFieldLogical(int column, bool& isNull);

 private:
  // The field's bytes with trailing blanks removed.
  std::string FieldBytes(int column) const;
  const CColumn& ColumnAt(int column) const;
  // A data cell from the field by the column's SQL type; null for an unknown type.
  std::unique_ptr<CIoCell> MakeCell(int column);

  std::ifstream m_file;
  std::uint8_t m_nVersion = 0;
  std::uint32_t m_nRecords = 0;
  std::uint16_t m_nHeaderLength = 0;
  std::uint16_t m_nRecordLength = 0;
  // Header byte 29: the code page of the text fields (0: not marked).
  std::uint8_t m_nLanguageDriver = 0;
  std::unique_ptr<CDbfTextConverter> m_pConverter;
  std::vector<char> m_record;
};

// The loader of table type 7 (the load sequence of RunLoadProtocol).
int ReadDbfTable(const CIoTableDescription& description, const std::string& keyFields,
                 const std::string& keyValues, const std::string& extractFields, CColumnArray& keyColumns,
                 CColumnArray& dataColumns, CIoRowArray& rows, int& readOnly, int& formatCode, int& available);
