#pragma once
// An export log for tests that keeps every line written to it.

#include <string>
#include <vector>

#include "foundation/logging.h"

namespace solution_file_testing {

class RecordingLog : public ILogging {
 public:
  void SetEnabled(bool) override {}
  void SetFileName(const std::string&) override {}
  void SetDirectory(const std::string&) override {}
  void Write(const std::string& text) override { lines.push_back(text); }
  void Close() override {}

  std::vector<std::string> lines;
};

}  // namespace solution_file_testing
