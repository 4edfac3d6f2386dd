// The scenario of the generated case set run through the per-case export in
// one process, case after case as one worker writes them: the selection
// formulas take their values from the base case (true for case 2, false for
// case 3), and the infeasible second step of the parametric chain cuts the
// step after it, which the case-set rows then report.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "caseset/config/assembled_case.h"
#include "caseset/scenario/scenario_execution_logic.h"
#include "modelfile/vorn_model_file.h"
#include "results/vorn_db_export.h"
#include "tools/model_generator/model_generator.h"
#include "tools/model_generator/testing/sqlite_rows.h"

namespace {

namespace fs = std::filesystem;

using model_gen_testing::SqliteRows;

TEST(GeneratedScenario, FormulasTakeTheirValuesAndTheParametricChainIsCut) {
  const fs::path dir = fs::temp_directory_path() / ("ostrel_scenario_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  model_gen::GeneratorOptions options;
  options.kind = model_gen::ModelKind::kStandard;
  options.cases = 6;
  std::string error;
  ASSERT_TRUE(model_gen::GenerateRunDirectory(dir, options, error)) << error;

  CVornDbExport data(nullptr);
  ASSERT_TRUE(data.ReadDataFromXmlFile((dir / kExportConfigFileName).string(), false));
  ASSERT_TRUE(data.m_pModel && data.m_paScenarioLogics && data.m_paAssembledCases);
  CVornModelFile& model = *data.m_pModel;
  model.m_baseSettings.m_list.CopyFrom(&model.m_settings.m_list, -1);
  const auto assembled = [&](int number) {
    const CAssembledCase probe(number, model.m_strModelName);
    return data.m_paAssembledCases->Find(&probe);
  };
  const auto logic = [&](int number) -> CScenarioExecutionLogic* {
    for (CScenarioExecutionLogic* candidate : *data.m_paScenarioLogics)
      if (candidate->m_nAssembledCase == number) return candidate;
    return nullptr;
  };

  // As a worker does: the case, its settings rows, what the case's preparation supplies, the output, the restore.
  for (int c = 1; c <= 6; ++c) {
    data.m_pCurrentCase = assembled(c);
    ASSERT_NE(data.m_pCurrentCase, nullptr);
    ApplyCaseSettings(model.m_settings, *data.m_pCurrentCase, nullptr);
    data.m_nOutputCaseNumber = c;
    data.m_strSolutionStatus = c == 5 ? "Infeasible" : "Converged";
    data.m_dObjectiveValue = 100.0 + c;
    data.m_nPasses = c;
    EXPECT_TRUE(data.WriteDatabaseOutput(c == 1, false, 1, "", c, false, false))
        << "case " << c << ": " << data.GetDatabaseFailure();
    model.m_settings.m_list.CopyFrom(&model.m_baseSettings.m_list, -1);
    if (c == 4) {
      EXPECT_EQ(assembled(6)->m_nSelValue, 0) << "the chain is whole before its infeasible step";
    }
  }

  // The selection formulas read the base case's purchase of ANS.
  for (const auto& [number, holds] : {std::pair{2, 1.0}, {3, 0.0}}) {
    CScenarioExecutionLogic* formula = logic(number);
    ASSERT_NE(formula, nullptr);
    ASSERT_TRUE(formula->IsCompiled()) << formula->m_strError;
    ASSERT_EQ(formula->GetVariableCount(), 1);
    EXPECT_NE(formula->GetVariable(0)->value, 1e30) << "the value of the base case was collected";
    double value = -1;
    EXPECT_EQ(formula->Evaluate(&value), CExpEval::kOk);
    EXPECT_EQ(value, holds) << formula->GetExpression() << " with " << formula->GetVariable(0)->value;
  }
  // Case 5 is infeasible and case 6 tightens the reformer's capacity further: 6 is cut, 4 and 5 are not.
  EXPECT_EQ(assembled(4)->m_nSelValue, 0);
  EXPECT_EQ(assembled(5)->m_nSelValue, 0);
  EXPECT_EQ(assembled(6)->m_nSelValue, 1);
  EXPECT_TRUE(logic(5)->IsCompiled());

  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2((dir / "Results.Mdb").c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  EXPECT_EQ(SqliteRows(db, "SELECT CaseID, SetParentCase, Truncated FROM PrCaseSet WHERE CaseID >= 4 ORDER BY CaseID"),
            "4|1|0 5|1|0 6|1|1 ");
  EXPECT_EQ(SqliteRows(db, "SELECT CaseID, SolutionStatus, Passes FROM PrCase ORDER BY CaseID"),
            "1|1|1 2|1|2 3|1|3 4|1|4 5|5|5 6|1|6 ");
  // The solution row names the main model.
  EXPECT_EQ(SqliteRows(db, "SELECT count(*) FROM PrSolution S JOIN PrModel M ON M.ModelID = S.ModelID "
                      "AND M.SolutionID = S.SolutionID WHERE M.ModelName = 'Refinery'"),
            "1 ");
  sqlite3_close(db);
  if (!::testing::Test::HasFailure()) fs::remove_all(dir);
}

}  // namespace
