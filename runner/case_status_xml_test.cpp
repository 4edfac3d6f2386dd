// The status file of a case, written by the worker after its database output.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "runner/ostrel_slave_app.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(CaseStatusXml, ThePatternIsTextWithOneCaseNumber) {
  const fs::path dir = fs::temp_directory_path() / ("case_status_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  COstrelSlaveApp worker(1, OstrelArgs{});
  worker.m_strRunDir = dir.string();

  worker.WriteCaseStatusXml("Status%d.xml", "77abc", 12, 1234.5, 0);
  EXPECT_EQ(ReadAll(dir / "Status12.xml"),
            "<case id = \"12\"><solutionID> 77 </solutionID><objectiveFunction> 1234.500000 </objectiveFunction>"
            "<solutionStatus> 0 </solutionStatus><percentComplete> 100 </percentComplete></case>");

  // Format directives other than the first "%d" stay as written.
  worker.WriteCaseStatusXml("S%s%n%d_%d.xml", "x", 3, 0.0, -1);
  EXPECT_NE(ReadAll(dir / "S%s%n3_%d.xml").find("<solutionID> 0 </solutionID>"), std::string::npos);

  const fs::path absolute = dir / "abs%d.xml";
  worker.WriteCaseStatusXml(absolute.string(), "1", 5, 0.0, 0);
  EXPECT_TRUE(fs::exists(dir / "abs5.xml"));
  worker.WriteCaseStatusXml((dir / "missing" / "x%d.xml").string(), "1", 5, 0.0, 0);  // not creatable: nothing
  fs::remove_all(dir);
}

}  // namespace
