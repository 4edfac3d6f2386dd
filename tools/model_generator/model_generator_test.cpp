#include "tools/model_generator/model_generator.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "caseset/modeltables/model_table_reader.h"
#include "caseset/modeltables/vorn_io_table.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "solutionfill/core/table_map_dimensions.h"
#include "tableio/worksheet/wks_file.h"

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
