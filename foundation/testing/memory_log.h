#pragma once
// An export log for tests that keeps in memory what it is told: the text
// written, the last file name set and every file name set, in order.

#include <string>

#include "foundation/logging.h"

namespace foundation_testing {

class MemoryLog final : public ILogging {
 public:
  void SetEnabled(bool) override {}
  void SetFileName(const std::string& fileName) override {
    m_fileName = fileName;
    m_names += fileName + " ";
  }
  void SetDirectory(const std::string&) override {}
  void Write(const std::string& text) override { m_text += text; }
  void Close() override {}
  bool Has(const std::string& text) const { return m_text.find(text) != std::string::npos; }

  std::string m_text;
  std::string m_fileName;  // the last file name set
  std::string m_names;     // every file name set, each followed by a blank
};

}  // namespace foundation_testing
