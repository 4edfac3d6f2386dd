// The case objects CDbManager::FillSolution makes for the model kinds beyond
// a single plant of one period: the periods of a multi-period model and the
// local models of a global model.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "caseset/modeltables/table_file_fixtures.h"
#include "modelfile/vorn_model_file.h"
#include "results/db_manager.h"
#include "results/objects/db_solution.h"
#include "results/vorn_db_export.h"
#include "solutionfill/core/testing/solution_file_writer.h"

namespace {

namespace fs = std::filesystem;

class DbManagerFillKinds : public ::testing::Test {
 protected:
  DbManagerFillKinds() {
    m_dir = fs::temp_directory_path() / ("dbfill_kinds_" + std::to_string(::getpid()));
    fs::create_directories(m_dir / "M");
    m_export.m_strHomeDirectory = m_dir.string();
    m_export.m_pModel = MakeModel("M");
  }
  ~DbManagerFillKinds() override { fs::remove_all(m_dir); }

  std::unique_ptr<CVornModelFile> MakeModel(const std::string& name) {
    auto model = std::make_unique<CVornModelFile>();
    model->m_strModelName = name;
    model->m_strModelDir = (m_dir / name).string();
    fs::create_directories(model->m_strModelDir);
    return model;
  }
  CModelSettings& Settings() { return m_export.m_pModel->m_settings; }
  void WritePeriods(const table_fixtures::Table& periods) {
    const auto files = table_fixtures::MakeClassicFiles({periods});
    std::ofstream(m_dir / "M" / "tables.map", std::ios::binary) << files.index;
    std::ofstream(m_dir / "M" / "tables.fil", std::ios::binary) << files.cache;
    m_export.m_pModel->m_tableMaps.RemoveAll();
  }
  // The case objects of a fill that finds no solution file (they are made before it is read).
  CDbCase& FillCase(CDbManager& manager) {
    EXPECT_FALSE(manager.FillSolution(m_export.m_pModel.get(), true, 2, "Two"));
    return *manager.GetSolution()->m_paCases[0];
  }

  fs::path m_dir;
  CVornDbExport m_export{nullptr};
};

struct PeriodRow {
  const char* name;
  std::int32_t id;
  double start;  // days after the first period's start
  double days;
  double presentValueFactor;
  int recurse, mip, report;
};

// A multi-period model has the dummy period -999 besides one period per row of
// PERIODS: the first starts at the table's start date, each later one where
// the one before stopped; factors above 1 or below 0 count as 1; only the
// report period carries the report flag.
TEST_F(DbManagerFillKinds, PeriodsOfAMultiPeriodModel) {
  Settings().m_ModelType.SetValue(1);
  Settings().m_PERIODTIME.SetValue(2.0);
  const double commonStart = Settings().m_CommonStartDate.GetValue().GetValue();
  const double tableStart = 45000.0;
  WritePeriods({"PERIODS",
                {"A", "B", "C"},
                {"LEN", "PVF", "RECURSE", "MIP", "StartDat"},
                {"January month", "February", "March"},
                {5, 1.5, 1, 0, tableStart, 10, -0.2, 0, 1, 1e30, 2.5, 0.97, 1, 1, 1e30}});
  m_export.m_nReportPeriod = 2;
  CDbManager manager(m_export.m_pModel.get(), &m_export);
  CDbCase& dbCase = FillCase(manager);

  ASSERT_EQ(dbCase.m_paPeriods.GetSize(), 4);
  const CDbPeriod& dummy = *dbCase.m_paPeriods[0];  // "." sorts before the period codes
  EXPECT_EQ(dummy.m_nID, -999);
  EXPECT_EQ(dummy.m_strTag, ".");
  EXPECT_EQ(dummy.m_strDescription, "Dummy Period");
  EXPECT_EQ(dummy.m_dDays, 0.0);
  EXPECT_EQ(dummy.m_dtStartDateTime.GetValue(), commonStart);
  EXPECT_EQ(dummy.m_dtStopDateTime.GetValue(), commonStart);
  EXPECT_EQ(dummy.m_bRecurseFlag + dummy.m_bMIPFlag + dummy.m_bReportFlag, 0);

  const PeriodRow expected[] = {{"A", 0, 0, 10, 1.0, 1, 0, 0},
                                {"B", 1, 10, 20, 1.0, 0, 1, 1},
                                {"C", 2, 30, 5, 0.97, 1, 1, 0}};
  for (int i = 0; i < 3; ++i) {
    const PeriodRow& row = expected[i];
    const CDbPeriod& period = *dbCase.m_paPeriods[i + 1];
    SCOPED_TRACE(row.name);
    EXPECT_EQ(period.m_strName, row.name);
    EXPECT_EQ(period.m_nID, row.id);
    EXPECT_DOUBLE_EQ(period.m_dtStartDateTime.GetValue(), tableStart + row.start);
    EXPECT_DOUBLE_EQ(period.m_dtStopDateTime.GetValue(), tableStart + row.start + row.days);
    EXPECT_TRUE(period.m_dtStartDateTime.IsValid());
    EXPECT_EQ(period.m_dDays, row.days);
    EXPECT_FLOAT_EQ(static_cast<float>(period.m_dPresentValueFactor), static_cast<float>(row.presentValueFactor));
    EXPECT_EQ(period.m_bRecurseFlag, row.recurse);
    EXPECT_EQ(period.m_bMIPFlag, row.mip);
    EXPECT_EQ(period.m_bReportFlag, row.report);
  }
  EXPECT_EQ(dbCase.m_paPeriods[1]->m_strDescription, "January ");  // the table's text, 8 characters
  EXPECT_EQ(dbCase.m_bModelPeriods, 1);
  EXPECT_EQ(dbCase.m_pFirstPeriod, dbCase.m_paPeriods[1]);
}

// Without a start date in PERIODS the first period starts at the common start
// date; with no report period every period is reported.
TEST_F(DbManagerFillKinds, MultiPeriodDefaults) {
  Settings().m_ModelType.SetValue(3);
  Settings().m_PERIODTIME.SetValue(1.0);
  const double commonStart = Settings().m_CommonStartDate.GetValue().GetValue();
  WritePeriods({"PERIODS", {"1", "2"}, {"LEN", "StartDat"}, {}, {7, 0, 3, 1e30}});
  CDbManager manager(m_export.m_pModel.get(), &m_export);
  CDbCase& dbCase = FillCase(manager);
  ASSERT_EQ(dbCase.m_paPeriods.GetSize(), 3);
  EXPECT_EQ(dbCase.m_paPeriods[1]->m_strName, "1");
  EXPECT_DOUBLE_EQ(dbCase.m_paPeriods[1]->m_dtStartDateTime.GetValue(), commonStart);
  EXPECT_DOUBLE_EQ(dbCase.m_paPeriods[2]->m_dtStartDateTime.GetValue(), commonStart + 7.0);
  EXPECT_DOUBLE_EQ(dbCase.m_paPeriods[2]->m_dtStopDateTime.GetValue(), commonStart + 10.0);
  EXPECT_EQ(dbCase.m_paPeriods[1]->m_bReportFlag + dbCase.m_paPeriods[2]->m_bReportFlag, 2);
}

// A global model lists its local models by their codes and fills each of them
// as a node of its own before the main model; the solution's model is the
// main model, whose model object comes last.
TEST_F(DbManagerFillKinds, LocalModelsOfAGlobalModel) {
  Settings().m_ModelType.SetValue(2);
  m_export.m_paLocalModelFiles = std::make_unique<CVornModelFileArray>();
  for (const char* name : {"PlantA", "PlantB"}) m_export.m_paLocalModelFiles->Add(MakeModel(name));
  m_export.m_pastrLocalModelCodes = std::make_unique<std::vector<std::string>>(std::vector<std::string>{"A", "B"});
  solution_file_testing::Writer solution(false, 9);
  solution.rows = {{"OBJFN", 2, 10.0}};
  solution.Save((m_dir / "M" / "Solution.Fil").string());

  CDbManager manager(m_export.m_pModel.get(), &m_export);
  ASSERT_TRUE(manager.FillSolution(m_export.m_pModel.get(), true, 2, "Two"));
  const CDbSolution& filled = *manager.GetSolution();
  EXPECT_EQ(filled.m_bSingleModel, 0);
  std::vector<std::string> nodes;
  for (const CDbNode* node : filled.m_paCases[0]->m_paNodes) nodes.push_back(std::to_string(node->m_nID) + node->m_strName);
  EXPECT_EQ(nodes, (std::vector<std::string>{"3", "0.", "1A", "2B"}));
  EXPECT_EQ(filled.m_nModelID, 3);

  // A single model's solution names the one model object after the dummy node.
  Settings().m_ModelType.SetValue(0);
  CDbManager single(m_export.m_pModel.get(), &m_export);
  ASSERT_TRUE(single.FillSolution(m_export.m_pModel.get(), true, 2, "Two"));
  EXPECT_EQ(single.GetSolution()->m_bSingleModel, 1);
  EXPECT_EQ(single.GetSolution()->m_nModelID, 1);
}

}  // namespace
