#pragma once
// Test support: a bulk writer that records every call the SQL Server driver
// makes ("start TABLE", "FIELD=value", "end"), installed through the bulk
// writer's test factory for the life of a ScopedRecordingOrvid.

#include <string>
#include <vector>

#include "standins/orvid.h"

namespace orvid_testing {

inline std::vector<std::string> g_orvidCalls;

class RecordingOrvid : public IOrvid {
 public:
  void Initialize(const std::string&, const std::string&) override {}
  std::string GetLastError() override { return ""; }
  void Connect(const std::string&) override {}
  bool StartTable(const char* table, std::int32_t*, std::int32_t*, std::int32_t*) override {
    return Add(std::string("start ") + table);
  }
  bool EndRow() override { return Add("end"); }
  bool SetTextValue(const char* f, const char* t) override { return Add(std::string(f) + "=" + t); }
  bool SetShortValue(const char* f, std::int16_t v) override { return Add(std::string(f) + "=" + std::to_string(v)); }
  bool SetLongValue(const char* f, std::int32_t v) override { return Add(std::string(f) + "=" + std::to_string(v)); }
  bool SetDoubleValue(const char* f, double v) override { return Add(std::string(f) + "=" + std::to_string(v)); }
  bool SetDateTimeValue(const char* f, double v) override { return Add(std::string(f) + "=" + std::to_string(v)); }
  bool Execute(const std::string& sql, const std::vector<Parameter>&, std::vector<std::string>*,
               std::int64_t*) override {
    return Add("execute " + sql);
  }
  std::string GetDbmsName() override { return "recorder"; }

 private:
  static bool Add(const std::string& call) {
    g_orvidCalls.push_back(call);
    return true;
  }
};

// Installs the recording writer and clears the calls; uninstalls it at the end.
class ScopedRecordingOrvid {
 public:
  ScopedRecordingOrvid() {
    g_orvidCalls.clear();
    IOrvid::SetFactoryForTesting([]() -> IOrvid* { return new RecordingOrvid(); });
  }
  ~ScopedRecordingOrvid() { IOrvid::SetFactoryForTesting(nullptr); }
  ScopedRecordingOrvid(const ScopedRecordingOrvid&) = delete;
  ScopedRecordingOrvid& operator=(const ScopedRecordingOrvid&) = delete;
};

}  // namespace orvid_testing
