#include "tools/model_generator/model_generator.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "caseset/modeltables/model_table_reader.h"
#include "caseset/modeltables/vorn_io_table.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "solutionfill/core/table_map_dimensions.h"
#include "tableio/worksheet/wks_file.h"
#include "tools/model_generator/model_rules.h"

namespace {

namespace fs = std::filesystem;

class GeneratedRun : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() / ("ostrel_generated_" + std::to_string(::getpid()) + "_" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(m_dir);
  }
  void TearDown() override {
    CloseCachedWorkbook(true);
    if (!HasFailure()) fs::remove_all(m_dir);
  }
  void Generate(const model_gen::GeneratorOptions& options) {
    std::string error;
    ASSERT_TRUE(model_gen::GenerateRunDirectory(m_dir, options, error)) << error;
  }
  fs::path m_dir;
};

// Every worksheet table the model lists loads, and the tables of the index
// read back with the directory's streams, utilities and submodels.
TEST_F(GeneratedRun, ModelTablesAndWorksheetsReadBack) {
  for (const model_gen::ModelKind kind : {model_gen::ModelKind::kStandard, model_gen::ModelKind::kMultiPeriod}) {
    SCOPED_TRACE(model_gen::ModelKindName(kind));
    model_gen::GeneratorOptions options;
    options.kind = kind;
    options.cases = 2;
    options.extraUnits = 2;
    Generate(options);
    const std::string name = model_gen::LayoutOf(options).mainModel;
    CVornDbExportData data(nullptr);
    data.m_strHomeDirectory = m_dir.string();
    data.m_pModel = std::make_unique<CVornModelFile>();
    CVornModelFile& model = *data.m_pModel;
    ASSERT_TRUE(model.Load(name, m_dir.string(), "", 0, true, false));
    EXPECT_EQ(model.m_settings.m_ModelType.GetValue(), model_gen::ModelTypeOf(options));
    for (const auto& [sheet, key] : {std::pair{"REPORT", "ROWNAMES"}, {"RECEIVE", "Code"}, {"SHIP", "Code"}}) {
      CloseCachedWorkbook(true);
      const CVornIoTable table(sheet, "*", "*", model, 0, key, 0);
      EXPECT_EQ(table.GetStatus(), kIoTableOk) << sheet;
      EXPECT_GT(table.GetRowCount(), 0) << sheet;
    }
    ASSERT_TRUE(ReadTablesMap(data, &model, true, true));
    const CTableMapDimensions dims = GetTableMapDimensions(model);
    EXPECT_EQ(dims.m_nSubmodelCount, 3 + options.extraUnits);
    EXPECT_EQ(dims.m_nUtilityCount, 4);
    EXPECT_EQ(dims.m_aAlternateStreamPairs.size(), 2u);
    CTableFilTable table;
    ASSERT_TRUE(ReadFilTable(data, "SUBMODS", &model, &table, true));
    EXPECT_EQ(table.GetRowCount(), dims.m_nSubmodelCount);
    fs::remove_all(m_dir);
  }
}

// The demo case writer prints its usage for --help or an option it does not
// know, and makes no run directory named after the option.
TEST_F(GeneratedRun, MakeDemoCasesUsage) {
  fs::create_directories(m_dir);
  const std::string bin = std::string(OSTREL_BINARY_DIR) + "/tools/make_demo_cases";
  struct Call {
    const char* args;
    int status;
    const char* stream;  // where the usage goes
  } calls[] = {{"--help", 0, "out.txt"}, {"run -h", 0, "out.txt"}, {"--bogus", 2, "err.txt"},
               {"run 5 --bogus", 2, "err.txt"}};
  for (const Call& c : calls) {
    SCOPED_TRACE(c.args);
    const std::string cmd = "cd " + m_dir.string() + " && " + bin + " " + c.args + " > out.txt 2> err.txt";
    const int rc = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(rc));
    EXPECT_EQ(WEXITSTATUS(rc), c.status);
    std::ifstream in(m_dir / c.stream);
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first.rfind("usage: make_demo_cases RUNDIR", 0), 0u) << first;
    for (const char* made : {"--help", "-h", "--bogus", "run"}) EXPECT_FALSE(fs::exists(m_dir / made)) << made;
  }
}

}  // namespace

// Every case is the LP optimum of what it changes: the cases' objectives differ, the parametric chain's second
// step (and the tighter step after it) is infeasible for the solver, and the outcome file the stand-in solver
// plays back carries each case's status and objective.
TEST_F(GeneratedRun, EachCaseIsTheLpOptimumOfWhatItChanges) {
  struct Kind {
    model_gen::ModelKind kind;
    bool nimbo;
  };
  for (const Kind k : {Kind{model_gen::ModelKind::kStandard, false}, Kind{model_gen::ModelKind::kMultiPeriod, false},
                       Kind{model_gen::ModelKind::kLocal, false}, Kind{model_gen::ModelKind::kGlobal, false},
                       Kind{model_gen::ModelKind::kGlobal, true}}) {
    SCOPED_TRACE(std::string(model_gen::ModelKindName(k.kind)) + (k.nimbo ? ", nonlinear mode" : ""));
    model_gen::GeneratorOptions options;
    options.kind = k.kind;
    options.nimbo = k.nimbo;
    options.cases = 7;
    Generate(options);
    std::ifstream outcomes(m_dir / "SolverOutcomes.txt");
    std::stringstream text;
    text << outcomes.rdbuf();
    std::set<double> objectives;
    for (int c = 1; c <= options.cases; ++c) {
      const model_gen::GeneratedCase lp = model_gen::SolveGeneratedCase(options, c);
      const bool infeasible = c >= model_rules::kInfeasibleStep && c <= model_rules::kParametricSteps[2];
      EXPECT_EQ(lp.solveStatus, infeasible ? 5 : 1) << "case " << c << ": " << lp.title;
      if (lp.solveStatus == 1) objectives.insert(lp.objective);
      char line[96];
      std::snprintf(line, sizeof line, "\n%d status=%d objective=%.17g ", c, lp.solveStatus, lp.objective);
      EXPECT_NE(text.str().find(line), std::string::npos) << line << "\n" << text.str();
    }
    EXPECT_GE(objectives.size(), 4u) << "the optimal cases' objectives differ";
    fs::remove_all(m_dir);
  }
}

TEST(ModelRules, TheCalendarKnowsLeapYears) {
  namespace r = model_rules;
  EXPECT_EQ(r::PeriodDays(0), 31);
  EXPECT_EQ(r::PeriodDays(1), 29);  // February 2024
  EXPECT_EQ(r::PeriodDays(2), 31);
  for (const auto& [year, days] : {std::pair{2023, 28}, {2024, 29}, {1900, 28}, {2000, 29}})
    EXPECT_EQ(r::DaysInMonth(year, 2), days) << year;
}

// The LP solver is the generator's alone: neither the runner nor the stand-in case solver loads it.
TEST(GeneratedModelSolver, TheRunnerAndTheStandInSolverDoNotLoadIt) {
  for (const char* binary : {"/runner/ostrel", "/runner/libpalvane.so"}) {
    const std::string command = "ldd " + std::string(OSTREL_BINARY_DIR) + binary + " 2>&1";
    std::string libraries;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
      char buffer[512];
      while (std::fgets(buffer, sizeof buffer, pipe)) libraries += buffer;
      ::pclose(pipe);
    }
    ASSERT_NE(libraries.find("libc.so"), std::string::npos) << binary << ": " << libraries;
    EXPECT_EQ(libraries.find("libClp"), std::string::npos) << binary << ": " << libraries;
    EXPECT_EQ(libraries.find("libCoinUtils"), std::string::npos) << binary << ": " << libraries;
  }
}
