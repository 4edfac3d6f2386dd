#include "solutionfill/economics/parametric_overrides.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "caseset/vorn_db_export_data.h"
#include "foundation/input_failure.h"
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
      "CAPXYZA 1.5e2 * * MAX\n"
      "\n"
      "CAPXYZA 99 * * MIN\n"
      "CAPPER1 5 1 * MIN\n"
      "LOCALRW 6 * b MIN\n"
      "ABC     4 * * MIN\n"
      "   \t\r\n"
      "*END\n"
      "AFTEREN 1 * * MIN\n");
  m_solution.ReadParametricOverrides();
  EXPECT_EQ(m_solution.m_bParametricOverrides, 1);
  EXPECT_EQ(m_solution.m_astrWorkList1.size(), 7u) << "blank lines override nothing";
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
  EXPECT_EQ(Lookup("AFTEREN", ".", ""), -1.0);
}

TEST_F(ParametricOverridesTest, EndMarkerFirstOrNoMarkerBothLoad) {
  Write("*END of nothing\nROWNAME 1 * * MIN\n");
  m_solution.ReadParametricOverrides();
  EXPECT_EQ(m_solution.m_bParametricOverrides, 1);
  EXPECT_TRUE(m_solution.m_astrWorkList1.empty());

  CDbSolution other(&m_export);
  Write("ROWNAME 1 * * MIN\n");
  other.ReadParametricOverrides();
  EXPECT_EQ(other.m_bParametricOverrides, 1);
  EXPECT_EQ(other.m_astrWorkList1.size(), 1u);
}

TEST_F(ParametricOverridesTest, ALineThatIsNoOverrideFailsTheCaseNamingFileAndLine) {
  const std::string path = (m_dir / "MODEL" / kParametricOverridesFileName).string();
  const std::string good = "NRONPRM 85.0 1 A MIN\n";
  for (const auto& [line, damage] : std::vector<std::pair<std::string, std::string>>{
           {"NRONPRM 85.0\n", "has no value from column 9 up to a blank"},
           {"NRONPRM  85.0 1 A\n", "has no value from column 9 up to a blank"},
           {"NRONPRM abc 1 A MIN\n", "has a value that is no number"},
           {"NRONPRM 1.5e2x 1 A MIN\n", "has a value that is no number"},
           {"NRONPRM 1234567890123456 1 A\n", "has a value of more than 15 characters"},
           {"NRONPRM 85.0  A MIN\n", "has no period key one column after the value"},
           {"NRONPRM 85.0 1\n", "has no model key three columns after the value"},
           {"INVTGAS 7.0 1 * MI\n", "names an inventory row without MIN or MAX five columns after the value"},
           {"NRON\xC7RM 85.0 1 A MIN\n", "holds a byte that is no character"},
           {std::string("NRONPRM 85.0 1 A MIN\0\n", 22), "holds a byte that is no character"},
           {std::string(300, 'x') + "\n", "is longer than 259 characters"},
           {"NRONPRM 85.0 1 A MI", "is cut short: it has no line end"},
       }) {
    SCOPED_TRACE(line);
    Write(good + "\n" + line + (line.back() == '\n' ? good + "*END\n" : ""));
    CDbSolution solution(&m_export);
    const CInputFailureScope scope;
    solution.ReadParametricOverrides();
    EXPECT_EQ(scope.GetFirstCause(), "the file " + path + " is damaged: line 3 " + damage);
    EXPECT_EQ(solution.m_bParametricOverrides, 0) << "no builder consults a table read in part";
  }
  // The layout's own variants stay overrides: a short row name with its blanks, any bound key on a row that is
  // no inventory row, text after the bound key, a line end of two characters, an end marker without its end.
  Write("ABC     4 * *\nCAPXYZA 7 1 a MA\nINVTGAS -1e3 1 * MAX and more\r\nNRONPRM 85.0 1 A MIN\n*END");
  CDbSolution solution(&m_export);
  const CInputFailureScope scope;
  solution.ReadParametricOverrides();
  EXPECT_EQ(scope.GetFirstCause(), "");
  EXPECT_EQ(solution.m_bParametricOverrides, 1);
  EXPECT_EQ(solution.m_astrWorkList1.size(), 4u);
}

}  // namespace
