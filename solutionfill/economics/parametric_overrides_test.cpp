#include "solutionfill/economics/parametric_overrides.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/testing/recording_log.h"

namespace {

TEST(ParametricOverrideLine, SplitsByColumns) {
  struct Case {
    const char* line;
    const char* row;
    const char* value;
    const char* period;
    const char* model;
    const char* bound;
  };
  for (const Case& c : {
           Case{"INVTABC 12.5 * * MIN\n", "INVTABC", "12.5", "*", "*", "MIN"},
           Case{"CAPXYZA 7 1 a MA\n", "CAPXYZA", "7", "1", "a", "MA\n"},
           Case{"ABC     1.5e2x 1", "ABC    ", "1.5e2x", "1", "", ""},
           Case{"ROWNAME 12345", "ROWNAME", "", "R", "W", "AME"},  // no blank after the value
           Case{"RO", "RO", "", "R", "", ""},
           Case{"LONGVAL 1234567890123456789 * *", "LONGVAL", "123456789012345", "*", "*", ""},
       }) {
    SCOPED_TRACE(c.line);
    const CParametricOverrideLine fields = SplitParametricOverrideLine(c.line);
    EXPECT_EQ(fields.m_strRowName, c.row);
    EXPECT_EQ(fields.m_strValue, c.value);
    EXPECT_EQ(fields.m_strPeriodKey, c.period);
    EXPECT_EQ(fields.m_strModelKey, c.model);
    EXPECT_EQ(fields.m_strBoundKey, c.bound);
  }
}

class ParametricOverridesTest : public testing::Test {
 protected:
  ParametricOverridesTest() : m_export(&m_log), m_solution(&m_export) {
    m_dir = std::filesystem::temp_directory_path() / ("overrides_" + std::to_string(::getpid()));
    std::filesystem::create_directories(m_dir / "MODEL");
    m_export.m_strHomeDirectory = m_dir.string();
    m_export.m_pModel = std::make_unique<CVornModelFile>();
    m_export.m_pModel->m_strModelName = "MODEL";
  }
  ~ParametricOverridesTest() override { std::filesystem::remove_all(m_dir); }

  void Write(const std::string& text) { std::ofstream(m_dir / "MODEL" / kParametricOverridesFileName) << text; }
  double Lookup(const std::string& row, const std::string& period, const std::string& model,
                const std::string& bound = "MIN") const {
    double value = -1.0;
    m_solution.GetParametricOverride(row, period, model, &value, bound);
    return value;
  }

  solution_file_testing::RecordingLog m_log;
  CVornDbExportData m_export;
  CDbSolution m_solution;
  std::filesystem::path m_dir;
};

TEST_F(ParametricOverridesTest, MissingFileOrDirectoryLeavesTheTableEmptyAndUnloaded) {
  m_solution.ReadParametricOverrides();
  EXPECT_EQ(m_solution.m_bParametricOverrides, 0);
  std::filesystem::create_directories(m_dir / "MODEL" / kParametricOverridesFileName);
  m_solution.ReadParametricOverrides();
  EXPECT_EQ(m_solution.m_bParametricOverrides, 0);
  EXPECT_TRUE(m_solution.m_astrWorkList1.empty());
}

TEST_F(ParametricOverridesTest, ReadsToTheEndMarkerAndAnswersTheFirstMatch) {
  Write(
      "INVTABC 10 * * MIN\n"
      "INVTABC 20 * * MAX\n"
      "CAPXYZA 1.5e2xx * * MAX\n"
      "CAPXYZA 99 * * MIN\n"
      "CAPPER1 5 1 * MIN\n"
      "LOCALRW 6 * b MIN\n"
      "ABC     4 * * MIN\n"
      "BADVAL1 abc * * MIN\n"
      "*END\n"
      "AFTEREN 1 * * MIN\n");
  m_solution.ReadParametricOverrides();
  EXPECT_EQ(m_solution.m_bParametricOverrides, 1);
  EXPECT_EQ(m_solution.m_astrWorkList1.size(), 8u);
  EXPECT_EQ(Lookup("INVTABC", ".", "", "MIN"), 10.0);
  EXPECT_EQ(Lookup("INVTABC", ".", "", "MAX"), 20.0);
  EXPECT_EQ(Lookup("CAPXYZA", ".", "", "MIN"), 150.0);  // the first entry, whatever its bound
  EXPECT_EQ(Lookup("CAPPER1", "1", ""), 5.0);
  EXPECT_EQ(Lookup("INVTABC", "1", ""), -1.0);          // "*" is the period "." only
  EXPECT_EQ(Lookup("LOCALRW", ".", "b"), 6.0);
  EXPECT_EQ(Lookup("LOCALRW", "1", "b"), -1.0);         // the period key "*" ...
  EXPECT_EQ(Lookup("INVTABC", ".", "b"), -1.0);         // ... and model key "*" are no wildcards
  EXPECT_EQ(Lookup("ABC", ".", ""), -1.0);              // the stored name keeps its blanks
  EXPECT_EQ(Lookup("ABC    ", ".", ""), 4.0);
  EXPECT_EQ(Lookup("BADVAL1", ".", ""), 0.0);
  EXPECT_EQ(Lookup("AFTEREN", ".", ""), -1.0);
}

TEST_F(ParametricOverridesTest, EndMarkerFirstOrNoMarkerBothLoad) {
  Write("*END of nothing\nROWNAME 1 * * MIN\n");
  m_solution.ReadParametricOverrides();
  EXPECT_EQ(m_solution.m_bParametricOverrides, 1);
  EXPECT_TRUE(m_solution.m_astrWorkList1.empty());

  CDbSolution other(&m_export);
  Write("ROWNAME 1 * * MIN\n" + std::string(300, 'x') + "\n");
  other.ReadParametricOverrides();
  EXPECT_EQ(other.m_bParametricOverrides, 1);
  // The long line is read in two pieces, each an entry of its own.
  EXPECT_EQ(other.m_astrWorkList1.size(), 3u);
}

}  // namespace
