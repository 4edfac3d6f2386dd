// The case objects CDbManager::FillSolution makes before and around the solution fill.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "caseset/config/per_case.h"
#include "modelfile/vorn_model_file.h"
#include "results/db_manager.h"
#include "results/objects/db_solution.h"
#include "results/vorn_db_export.h"
#include "solutionfill/core/testing/solution_file_writer.h"
#include "standins/file_name_manager.h"

namespace {

class DbManagerFillTest : public ::testing::Test {
 protected:
  DbManagerFillTest() {
    m_dir = std::filesystem::temp_directory_path() / ("dbfill_" + std::to_string(::getpid()));
    std::filesystem::create_directories(m_dir / "M");
    m_export.m_strHomeDirectory = m_dir.string();
    m_export.m_pModel = std::make_unique<CVornModelFile>();
    m_export.m_pModel->m_strModelName = "M";
    m_export.m_pModel->m_strModelDir = (m_dir / "M").string();
  }
  ~DbManagerFillTest() override { std::filesystem::remove_all(m_dir); }

  CModelSettings& Settings() { return m_export.m_pModel->m_settings; }
  void SaveSolutionFile() {
    solution_file_testing::Writer solution(false, 9);
    solution.rows = {{"OBJFN", 2, 10.0}};
    solution.Save((m_dir / "M" / "Solution.Fil").string());
  }
  // The fill of a manager; the case it made (or null).
  CDbCase* Fill(CDbManager& manager, bool expected = true) {
    EXPECT_EQ(manager.FillSolution(m_export.m_pModel.get(), true, 4, "Case four  "), expected);
    CDbSolution* solution = manager.GetSolution();
    return solution->m_paCases.IsEmpty() ? nullptr : solution->m_paCases[0];
  }

  std::filesystem::path m_dir;
  CVornDbExport m_export{nullptr};
};

TEST_F(DbManagerFillTest, SolutionStatusTexts) {
  const struct {
    const char* text;
    std::int32_t id;
  } cases[] = {{"Optimal", 0}, {"Abort", 10}, {"Converged", 1}, {"Feasible", 5}, {"Infeasible", 5},
               {"MaxIterations", 3}, {"Max Time Exceeded", 9}, {"Max", 2}, {"Marginal", 2}, {"Not run", 6},
               {"Stopped", 8}, {"UNbounded", 4}, {"Unbounded", 7}, {"", 0}};
  for (const auto& c : cases) {
    m_export.m_strSolutionStatus = c.text;
    CDbManager manager(m_export.m_pModel.get(), &m_export);
    CDbCase* dbCase = Fill(manager, false);  // no solution file: the fill stops after the case objects
    ASSERT_NE(dbCase, nullptr);
    EXPECT_EQ(dbCase->m_paSolutionStates[0]->m_nSolutionStatus, c.id) << c.text;
  }
}

TEST_F(DbManagerFillTest, CaseObjectsOfASinglePeriodModel) {
  m_export.m_strDatabaseDescription = "_";
  m_export.m_strProgramVersion = std::string(60, 'v');
  m_export.m_nPasses = 3;
  m_export.m_dObjectiveValue = 42.0;
  Settings().m_NOTE2.SetValue("a note that is longer than twenty-four characters   ");
  Settings().m_PeriodLength.SetValue(0.0);
  Settings().m_UseCplex.SetValue(1);
  SaveSolutionFile();
  CDbManager manager(m_export.m_pModel.get(), &m_export);
  manager.GetSolution()->m_strDescription = "kept";
  CDbCase* dbCase = Fill(manager);
  ASSERT_NE(dbCase, nullptr);
  CDbSolution& solution = *manager.GetSolution();
  EXPECT_EQ(solution.m_strDescription, "kept");
  EXPECT_EQ(solution.m_strSystemVersion.size(), 49u);
  EXPECT_EQ(dbCase->m_nID, 4);
  EXPECT_EQ(dbCase->m_strDescription, "Case four");
  EXPECT_EQ(dbCase->m_strOptimizer, "CPLEX");
  EXPECT_EQ(dbCase->m_strNotes[1], "a note that is longer th");
  EXPECT_EQ(dbCase->m_paSolutionStates[0]->m_nPasses, 3);
  EXPECT_EQ(dbCase->m_paSolutionStates[0]->m_paOutofTols.GetSize(), 1);
  // The dummy market and mode; the dummy node sorts before the main model's node.
  ASSERT_GE(dbCase->m_paNodes.GetSize(), 1);
  EXPECT_EQ(dbCase->m_paMarkets[0]->m_strDescription, "Dummy Market");
  EXPECT_EQ(dbCase->m_paModes[0]->m_strTag, ".");
  ASSERT_EQ(dbCase->m_paPeriods.GetSize(), 1);
  const CDbPeriod& period = *dbCase->m_paPeriods[0];
  EXPECT_EQ(period.m_strName, ".");
  EXPECT_EQ(period.m_dDays, 1.0);
  EXPECT_EQ(period.m_dObjectiveValue, 42.0);
  EXPECT_EQ(period.m_dtStopDateTime.GetValue(), period.m_dtStartDateTime.GetValue());
  EXPECT_EQ(dbCase->m_pFirstPeriod, &period);
  EXPECT_GT(manager.m_dtFillEnd.GetValue(), 0.0);
}

TEST_F(DbManagerFillTest, APerCaseRowGivesThePeriod) {
  m_export.m_paPerCases = std::make_unique<CPerCaseArray>();
  for (const auto& [number, period, length] : {std::tuple{2, "A", 10.0}, {3, "B", 5.0}, {4, "C", 7.0}}) {
    auto* row = new CPerCase(number);
    row->m_strPeriod = period;
    row->m_dLength = length;
    row->m_strDesc = "row " + std::string(period);
    m_export.m_paPerCases->Add(row);
  }
  Settings().m_PERIODTIME.SetValue(2.0);
  Settings().m_TITLE1.SetValue("Title ");
  Settings().m_TITLE2.SetValue("two  ");
  CDbManager manager(m_export.m_pModel.get(), &m_export);
  ASSERT_FALSE(manager.FillSolution(m_export.m_pModel.get(), true, 4, ""));
  CDbCase& dbCase = *manager.GetSolution()->m_paCases[0];
  EXPECT_EQ(dbCase.m_strDescription, "Title two");
  const CDbPeriod& period = *dbCase.m_paPeriods[0];
  EXPECT_EQ(period.m_strName, "C");
  EXPECT_EQ(period.m_strDescription, "row C");
  EXPECT_EQ(period.m_dDays, 14.0);
  const double commonStart = Settings().m_CommonStartDate.GetValue().GetValue();
  EXPECT_DOUBLE_EQ(period.m_dtStartDateTime.GetValue(), commonStart + 30.0);
  EXPECT_DOUBLE_EQ(period.m_dtStopDateTime.GetValue(), commonStart + 44.0);
}

TEST_F(DbManagerFillTest, TheExportWritesTheFilledCase) {
  SaveSolutionFile();
  m_export.m_strDatabaseDirectory = m_dir.string();
  m_export.m_strDatabaseDescription = "Results";
  ASSERT_TRUE(m_export.WriteDatabaseOutput(true, true, 4, "Four", 4, false, false));
  m_export.m_pModel->m_outputTables.RemoveAll();
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2((m_dir / "M" / "Results.Mdb").c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  const auto count = [db](const char* sql) {
    sqlite3_stmt* stmt = nullptr;
    std::string text;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
      text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    sqlite3_finalize(stmt);
    return text;
  };
  EXPECT_EQ(count("SELECT CaseID || ' ' || Description FROM PrCase"), "4 Four");
  EXPECT_EQ(count("SELECT count(*) FROM PrPeriod WHERE CaseID=4"), "1");
  EXPECT_EQ(count("SELECT count(*) FROM PrNode"), "2");  // the dummy node and the main model's
  EXPECT_EQ(count("SELECT count(*) FROM PrModel"), "1");
  EXPECT_EQ(count("SELECT RowName FROM PrPrimalRow"), "OBJFN");
  sqlite3_close(db);
}

// Export kind 2 leaves the raw receipts and shipments to its host: the fill of the model is told to skip them.
TEST_F(DbManagerFillTest, ExportKindTwoSkipsTheRawReceipts) {
  for (const int kind : {1, 2}) {
    m_export.m_nExportKind = kind;
    solution_file_testing::Writer solution(false, 9);
    solution.rows = {{"OBJFN", 2, 10.0}};
    // Kind 2 finds the case's solution file by the file-name manager's name in the base directory.
    solution.Save(kind == 2 ? (m_dir / CreateFileNameManager()->GetSolutionFileName(4)).string()
                            : (m_dir / "M" / "Solution.Fil").string());
    CDbManager manager(m_export.m_pModel.get(), &m_export);
    Fill(manager);
    EXPECT_EQ(manager.GetSolution()->m_bSkipRawReceipts, kind == 2 ? 1 : 0) << "kind " << kind;
  }
}

// A solution file shorter than its header's counts is refused: the case's output fails with the
// fill's failure, and none of its rows is written.
TEST_F(DbManagerFillTest, ATruncatedSolutionFileFailsTheCase) {
  SaveSolutionFile();
  const std::filesystem::path path = m_dir / "M" / "Solution.Fil";
  std::filesystem::resize_file(path, std::filesystem::file_size(path) - 5);
  m_export.m_strDatabaseDirectory = m_dir.string();
  m_export.m_strDatabaseDescription = "Results";
  EXPECT_FALSE(m_export.WriteDatabaseOutput(true, true, 4, "Four", 4, false, false));
  EXPECT_FALSE(m_export.GetDatabaseFailure().empty());
  m_export.m_pModel->m_outputTables.RemoveAll();
  sqlite3* db = nullptr;
  if (sqlite3_open_v2((m_dir / "M" / "Results.Mdb").c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* stmt = nullptr;
    // Either no case table exists, or it holds no row of this case.
    if (sqlite3_prepare_v2(db, "SELECT count(*) FROM PrCase WHERE CaseID = 4", -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW) {
      EXPECT_EQ(sqlite3_column_int(stmt, 0), 0);
    }
    sqlite3_finalize(stmt);
  }
  sqlite3_close(db);
}

}  // namespace
