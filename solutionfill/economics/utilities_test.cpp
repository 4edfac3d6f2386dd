#include <gtest/gtest.h>

#include "solutionfill/core/testing/fill_case_fixture.h"

namespace {

class Utilities : public fill_testing::FillCaseFixture {
 protected:
  CDbPrimal& Add(bool row, const std::string& name, double activity, double cost, double marginal) {
    if (!m_node) {
      auto node = std::make_unique<CDbPrimalNode>("N");
      m_node = node.get();
      m_node->m_paPeriods.Add(std::make_unique<CDbPrimalPeriod>("A"));
      m_solution->m_paPrimalNodes.Add(std::move(node));
    }
    CDbPrimalPeriod& period = *m_node->m_paPeriods.GetAt(0);
    CDbPrimal& primal = fill_testing::AddPrimal(row ? period.m_paRows : period.m_paColumns, name);
    primal.m_dActivity = activity;
    primal.m_dSlack = cost;
    primal.m_dMarginalValue = marginal;
    primal.m_dLoRHS = 0;
    primal.m_dHiRHS = 50;
    return primal;
  }
  CDbDefinition& AddUtility(CDbModel& model, const std::string& name, int id, bool bought, bool sold) {
    auto utility = std::make_unique<CDbDefinition>(id, &m_export);
    utility->m_strName = name;
    utility->m_bBoughtFlag = bought ? 1 : 0;
    utility->m_bSoldFlag = sold ? 1 : 0;
    utility->m_nReportFlag = 4;
    utility->m_nReportOrder = id;
    CDbDefinition& made = *utility;
    model.m_paUtilities.Add(std::move(utility));
    model.m_paUtilities.Sort(&CDbObject::CompareDbObjectName);
    return made;
  }
  CDbPrimalNode* m_node = nullptr;
};

TEST_F(Utilities, ShadowPricesAlternatesGroupsAndLinkEnds) {
  MakePeriods({"A"}, false);
  Period("A").m_dDays = 30;  // a single-period case divides by nothing
  CDbModel& model = AddModel("N", 1);
  CDbDefinition& power = AddUtility(model, "KWH", 1, true, true);
  AddUtility(model, "KW2", 2, true, false);
  AddUtility(model, "STM", 3, true, true);  // no balance row and no alternate
  auto alternate = std::make_unique<CDbAlternate>("KW2");
  alternate->m_nID = 2;
  alternate->m_strAlternateTag = "KWH";
  model.m_paAlternateUtilities.Add(std::move(alternate));
  auto group = std::make_unique<CDbGroup>(8, &m_export);
  group->m_strName = "UGR";
  group->m_paMembers.Add(&power);
  model.m_paGroups.Add(std::move(group));
  Add(true, "UBALKWH", 0, 0, -6);
  Add(false, "PURCKWH", 5, 0, 1);
  Add(false, "SELLKWH", 0, 0, 2);
  Add(false, "PURCKW2", 0, 4, 0);
  Add(false, "PURCSTM", 3, 1, 0);
  Add(false, "SELLSTM", 3, 1, 0);
  Add(false, "ABUYUGR", 0, 0, 9);
  m_solution->BuildUtilities(&Main(), m_case, &model);

  CDbPeriod& period = Period("A");
  ASSERT_EQ(period.m_paUtilityPurchases.GetSize(), 2);  // KW2 through KWH's balance row, KWH; none for STM
  const CDbUtilityTransaction& viaAlternate = *period.m_paUtilityPurchases.GetAt(0);
  EXPECT_EQ(viaAlternate.m_nID, 2);
  EXPECT_EQ(viaAlternate.m_dPrice, -4.0);
  EXPECT_EQ(viaAlternate.m_dShadowPrice, -4.0);
  const CDbUtilityTransaction& purchase = *period.m_paUtilityPurchases.GetAt(1);
  EXPECT_EQ(purchase.m_dPrice, 0.0);
  EXPECT_EQ(purchase.m_dShadowPrice, 6.0);
  EXPECT_EQ(purchase.m_nReportGroup, 4);
  ASSERT_EQ(period.m_paUtilitySales.GetSize(), 1);
  EXPECT_EQ(period.m_paUtilitySales.GetAt(0)->m_dPrice, 8.0);  // |-6| + its own marginal 2
  // Link ends: no purchase end for a zero activity, a sale end always.
  ASSERT_EQ(period.m_paLinks3.GetSize(), 1);
  EXPECT_EQ(period.m_paLinks3.GetAt(0)->m_dValue, 5.0);
  ASSERT_EQ(period.m_paLinks4.GetSize(), 1);
  EXPECT_EQ(period.m_paLinks4.GetAt(0)->m_nUnitTypeID, 3);
  ASSERT_EQ(period.m_paGroupUtilityPurchases.GetSize(), 1);
  EXPECT_EQ(period.m_paGroupUtilityPurchases.GetAt(0)->m_dMarginalValue, 9.0);
  EXPECT_TRUE(period.m_paGroupUtilitySales.IsEmpty());  // no ASEL column
}

// Per-day marginal values of a multi-period case; a value the LP left unset stays unset.
TEST_F(Utilities, UnsetMarginalValuesAreNotDividedByDays) {
  MakePeriods({"A"}, true);
  Period("A").m_dDays = 2;
  Main().m_settings.m_ModelType.SetValue(1);
  CDbModel& model = AddModel("N", 1);
  AddUtility(model, "KWH", 1, true, true);
  Add(true, "UBALKWH", 0, 0, 1e30);
  Add(false, "PURCKWH", 5, 3, 1e30);
  Add(false, "SELLKWH", 5, 3, 4);
  m_solution->BuildUtilities(&Main(), m_case, &model);
  CDbPeriod& period = Period("A");
  ASSERT_EQ(period.m_paUtilityPurchases.GetSize(), 1);
  EXPECT_EQ(period.m_paUtilityPurchases.GetAt(0)->m_dMarginalValue, 1e30);
  ASSERT_EQ(period.m_paUtilitySales.GetSize(), 1);
  EXPECT_EQ(period.m_paUtilitySales.GetAt(0)->m_dMarginalValue, 2.0);
}

}  // namespace
