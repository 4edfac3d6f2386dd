#include "results/objects/db_case.h"

#include <gtest/gtest.h>

#include "caseset/config/assembled_case.h"
#include "caseset/scenario/scenario_execution_logic.h"
#include "caseset/vorn_db_export_data.h"

namespace {

TEST(DbCaseSetTest, FillsFromTheAssembledCaseAndItsScenarioLogic) {
  CVornDbExportData exportData(nullptr);
  CAssembledCase assembled(3, "MODEL");
  assembled.m_strTitle = "Case three";
  assembled.m_strSelExp = "purc:abc:activity:1 > 2";
  assembled.m_strSelModifiedExp = "PURC:ABC:Activity:1 > 1.99";
  assembled.m_nSelValue = 4;

  CDbCaseSet withoutLogic(3, &exportData);
  withoutLogic.Fill(&assembled);
  EXPECT_EQ(withoutLogic.m_strDescription, "Case three");
  EXPECT_EQ(withoutLogic.m_strSelFormula, assembled.m_strSelExp);
  EXPECT_EQ(withoutLogic.m_strSelModifiedFormula, assembled.m_strSelModifiedExp);
  EXPECT_EQ(withoutLogic.m_nTruncated, 4);
  EXPECT_EQ(withoutLogic.m_nSetParentCase, -1);

  exportData.m_paScenarioLogics = MakeErasedOwner(std::make_unique<CScenarioLogicArray>());
  for (std::int32_t number : {2, 3}) {
    auto logic = std::make_unique<CScenarioExecutionLogic>("PURC:ABC:Activity:1 > 2", number);
    logic->SetCase(number * 10);
    exportData.m_paScenarioLogics->Add(std::move(logic));
  }
  exportData.m_paScenarioLogics->Sort(&CScenarioExecutionLogic::CompareScenarioLogic);
  CDbCaseSet withLogic(3, &exportData);
  withLogic.Fill(&assembled);
  EXPECT_EQ(withLogic.m_nSetParentCase, 30);  // formulas match ignoring case

  assembled.m_strSelExp = "other";
  CDbCaseSet unmatched(3, &exportData);
  unmatched.Fill(&assembled);
  EXPECT_EQ(unmatched.m_nSetParentCase, -1);

  CDbCaseSet untouched(3, &exportData);
  untouched.Fill(nullptr);
  EXPECT_TRUE(untouched.m_strDescription.empty());
  EXPECT_EQ(untouched.m_nTruncated, 0);
}

}  // namespace
