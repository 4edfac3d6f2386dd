#pragma once
// One row of a result table written through the table API: open the table by
// name in the results database of the export context's model, add a record,
// set the columns in order and update. Every step after the first failure is
// skipped, so a writer chains the columns and tests the result once; each Add
// starts the next row afresh on the same open table.

#include <cstdint>
#include <string>
#include <string_view>

#include "caseset/vorn_db_export_data.h"
#include "dbdrivers/access/output_table_api.h"
#include "results/objects/db_object.h"
#include "writers/schema/table_definition.h"

class ResultRow {
 public:
  ResultRow(CVornDbExportData& data, const char* table) : m_pData(&data), m_pTable(OpenResultTable(data, table)) {}
  // A null export context: not open.
  ResultRow(CVornDbExportData* data, const char* table)
      : m_pData(data), m_pTable(data != nullptr ? OpenResultTable(*data, table) : nullptr) {}

  bool IsOpen() const { return m_pTable != nullptr; }
  bool IsOk() const { return m_bOk; }

  // A new record of the open table (failed when the open failed).
  ResultRow& Add() {
    m_bOk = m_pTable != nullptr && CAddNewRecord(*m_pData, m_pTable) != 0;
    return *this;
  }
  // A new record with the three leading keys of a per-period table.
  ResultRow& AddPeriodRow(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId) {
    return Add().Long("SolutionID", solutionId).Long("CaseID", caseId).Long("PeriodID", periodId);
  }
  ResultRow& Long(const char* field, std::int32_t value) {
    return Step([&] { return CSetIntegerValue(*m_pData, m_pTable, field, Length(field), value); });
  }
  ResultRow& Short(const char* field, std::int32_t value) {
    return Step([&] { return CSetShortIntegerValue(*m_pData, m_pTable, field, Length(field), value); });
  }
  ResultRow& Double(const char* field, double value) {
    return Step([&] { return CSetDoubleValue(*m_pData, m_pTable, field, Length(field), value); });
  }
  // The value unless it is the not-set 1e30 or -1e30.
  ResultRow& DoubleIfSet(const char* field, double value) {
    return IsInfiniteValue(value) != 0 ? *this : Double(field, value);
  }
  ResultRow& Date(const char* field, double date) {
    return Step([&] { return CSetDateTimeValue(*m_pData, m_pTable, field, Length(field), date); });
  }
  // The text, cut to its first maxLength characters when a limit is given.
  ResultRow& Text(const char* field, std::string_view text, std::size_t maxLength = std::string_view::npos) {
    text = text.substr(0, maxLength);
    return Step([&] {
      return CSetTextValue(*m_pData, m_pTable, field, Length(field), text.data(), static_cast<int>(text.size()));
    });
  }
  ResultRow& Memo(const char* field, std::string_view text) {
    return Step([&] {
      return CSetMemoValue(*m_pData, m_pTable, field, Length(field), text.data(), static_cast<int>(text.size()));
    });
  }
  // Commits the record; true when every step of the row succeeded.
  bool Update() {
    if (m_bOk) m_bOk = CUpdateRecord(*m_pData, m_pTable, nullptr) != 0;
    return m_bOk;
  }

 private:
  static int Length(const char* field) { return static_cast<int>(std::char_traits<char>::length(field)); }
  template <class Fn>
  ResultRow& Step(Fn&& set) {
    if (m_bOk) m_bOk = set() != 0;
    return *this;
  }

  CVornDbExportData* m_pData;
  COutputTable* m_pTable;
  bool m_bOk = false;
};

// The export context's log line, when there is a log.
inline void LogWriterStep(const CVornDbExportData& data, const char* text) {
  if (data.m_pLogging != nullptr) data.m_pLogging->Write(text);
}
