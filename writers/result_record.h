#pragma once
// One record after another of a result table, written through the table API
// into the results database of the export context's model. The first failed
// operation makes every later call a no-op, so a writer sets its columns in
// one run and asks once, at Commit, whether the record went in.

#include <cstdint>
#include <string>
#include <string_view>

class COutputTable;
class CVornDbExportData;

class ResultRecord {
 public:
  // Opens the table (a null export context or a failed open: not open).
  ResultRecord(CVornDbExportData* exportData, const char* table);

  bool IsOpen() const { return m_handle != nullptr; }
  // Starts a record; false when the table is not open or a record failed before.
  bool Add();

  ResultRecord& Long(const char* field, std::int32_t value);
  // The low 16 bits of value.
  ResultRecord& Short(const char* field, std::int32_t value);
  ResultRecord& Double(const char* field, double value);
  // Leaves the column unset for the not-set values +-1e30.
  ResultRecord& DoubleIfSet(const char* field, double value);
  // At most maxLength bytes of text; an empty text sets nothing.
  ResultRecord& Text(const char* field, std::string_view text, std::size_t maxLength = std::string_view::npos);
  // An OLE date.
  ResultRecord& Date(const char* field, double date);

  // Commits the record; true when every operation of the record succeeded.
  bool Commit();

 private:
  CVornDbExportData* m_pData;
  COutputTable* m_handle = nullptr;
  bool m_bOk = false;
};
