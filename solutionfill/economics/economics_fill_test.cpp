// The record reader of the solver's small text side files and the failure of
// a case whose side file is damaged.

#include "solutionfill/economics/economics_fill.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "foundation/input_failure.h"

namespace {

TEST(SideFileRecords, ReadsToTheEndOrSaysTheLineThatStoppedIt) {
  struct Case {
    std::string text;
    int records;         // read before the end or the damage
    const char* damage;  // "" for a file that reads whole
  } cases[] = {
      {"R1 C1 1.5\n\nR2   C2\t-2e3\nR3 C3 4\n", 3, ""},
      {"R1 C1 1.5 R2 C2 2\n", 2, ""},  // records need no line of their own
      {"LONGROWNAME C1 1\n", 0, "line 1 holds no number where its value is due"},  // two fields from one word
      {"R1 C1 1\nR2 C2 x\nR3 C3 3\n", 1, "line 2 holds no number where its value is due"},
      {"R1 C1 1\n\n\nR2 C2\n", 1, "line 4 ends inside its record"},
      {"R1 C1 1\nR\xC3\xA9 C2 2\n", 1, "line 2 holds a name that is no text"},
      {"R1 C1 1\nR2 C\x01 2\n", 1, "line 2 holds a name that is no text"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::istringstream in(c.text);
    econ::CSideFileRecordReader reader(in);
    std::string row, column;
    float value = 0.0f;
    int records = 0;
    while (reader.Next(row, column, value)) ++records;
    EXPECT_EQ(records, c.records);
    EXPECT_EQ(reader.GetDamage(), c.damage);
    EXPECT_EQ(reader.IsDamaged(), *c.damage != '\0');
  }
}

TEST(SideFileRecords, ADamagedFileFailsTheWorkNamingFileAndLine) {
  const std::filesystem::path path =
      std::filesystem::path(::testing::TempDir()) / ("side_file_" + std::to_string(::getpid()) + ".dat");
  for (const auto& [text, cause] : std::vector<std::pair<std::string, std::string>>{
           {"R1 C1 1\n", ""},
           {"R1 C1 1\nR2 C2 ?\n", "line 2 holds no number where its value is due"},
           {"R1 C1 1\nR2 C2 2", "its last line is cut short"},
       }) {
    SCOPED_TRACE(text);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    std::ifstream file(path);
    econ::CSideFileRecordReader reader(file);
    std::string row, column;
    float value = 0.0f;
    while (reader.Next(row, column, value)) {
    }
    const CInputFailureScope scope;
    EXPECT_EQ(econ::FailDamagedSideFile(reader, path.string()), !cause.empty());
    EXPECT_EQ(scope.GetFirstCause(), cause.empty() ? "" : "the file " + path.string() + " is damaged: " + cause);
  }
  std::filesystem::remove(path);
}

}  // namespace
