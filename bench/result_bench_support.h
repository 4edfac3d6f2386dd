#pragma once
// What the result-writing benchmarks share: a log that drops every line, and
// the stream table they write through the table API (ten columns a row, as
// the larger Pr tables have).

#include <cstdint>
#include <cstring>
#include <string>

#include "caseset/vorn_db_export_data.h"
#include "dbdrivers/access/output_table_api.h"
#include "foundation/logging.h"

namespace result_bench {

class NullLog : public ILogging {
 public:
  void SetEnabled(bool) override {}
  void SetFileName(const std::string&) override {}
  void SetDirectory(const std::string&) override {}
  void Write(const std::string&) override {}
  void Close() override {}
};

inline int Len(const char* text) { return static_cast<int>(std::strlen(text)); }

inline const char* const kStreamLongs[] = {"SolutionID", "CaseID", "ModelID", "NodeID", "StreamID"};

// The fields of the stream table, defined on the open table t.
inline void DefineStreamFields(CVornDbExportData& data, COutputTable* t) {
  for (const char* f : kStreamLongs) CDefineLongIntegerField(data, t, f, Len(f), true);
  CDefineShortIntegerField(data, t, "Period", 6, true);
  CDefineTextField(data, t, "Stream", 6, 64, true);
  CDefineDoubleField(data, t, "Activity", 8, true);
  CDefineDoubleField(data, t, "Cost", 4, true);
  CDefineDateField(data, t, "Written", 7, true);
  CEndDefineFields(data, t, true);
}

// One row of the stream table: the five keys, then the period of row r and the activity.
inline void WriteStreamRow(CVornDbExportData& data, COutputTable* t, const std::int32_t (&keys)[5], int r,
                           double activity) {
  CAddNewRecord(data, t);
  for (int i = 0; i < 5; ++i) CSetIntegerValue(data, t, kStreamLongs[i], Len(kStreamLongs[i]), keys[i]);
  CSetShortIntegerValue(data, t, "Period", 6, r % 12);
  CSetTextValue(data, t, "Stream", 6, "CRUDE_DISTILLATION_FEED", 23);
  CSetDoubleValue(data, t, "Activity", 8, activity);
  CSetDoubleValue(data, t, "Cost", 4, 1e30);
  CSetDateTimeValue(data, t, "Written", 7, 45000.5);
  CUpdateRecord(data, t, nullptr);
}

}  // namespace result_bench
