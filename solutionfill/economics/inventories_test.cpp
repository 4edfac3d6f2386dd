// Stream, group, depot and spanning-group inventories.

#include <gtest/gtest.h>

#include "solutionfill/economics/testing/economics_fixture.h"

namespace {

using econ_testing::kBlank;
using econ_testing::Table;

class Inventories : public econ_testing::EconomicsFixture {
 protected:
  // Periods A (id 1) and B (id 2) of 10 days; model "P" (id 1) with the
  // weight-balanced stream GAS (id 11) and the quality SPG (id 5).
  CDbModel& MakeCase() {
    MakePeriods({"A", "B"}, true);
    for (const char* name : {"A", "B"}) {
      Period(name).m_dDays = 10;
      Period(name).m_paVTWs.Add(std::make_unique<CDbVTW>(11, 1));
      Period(name).m_paVTWs[0]->m_dValue = 0.8;
    }
    CDbModel& model = AddModel("P", 1);
    CDbStream& gas = AddStream(model, "GAS", 11);
    gas.m_strReportTag = "Gas";
    auto spg = std::make_unique<CDbQuality>(5, &m_export);
    spg->m_strName = "SPG";
    model.m_paQualities.Add(std::move(spg));
    MakeEcoSums(1);
    return model;
  }
  void StreamColumns(const std::string& node, const std::string& period, std::int32_t id) {
    CDbPrimalPeriod& p = PrimalPeriod(node, period, id);
    Row(p, "WBALGAS", 0, 20);
    Column(p, "IDEFGAS", 1);
    Column(p, "IEXCGAS", 3);
  }
};

TEST_F(Inventories, StreamRowsOverPeriodsWithPenaltyHoldingCostAndOpeningQualities) {
  WriteTables({
      Table{"PINV",
            {"GAS", "GRP", "XYZ"},
            {"MIN", "MINB", "VOL", "PCOST", "HCOST", "SPG"},
            {},
            {2, 3, 1, 4, 1, 0.9, 5, kBlank, kBlank, kBlank, kBlank, kBlank, 1, 1, 1, 1, 1, 1}},
      Table{"BLNXXX", {"GAS"}, {"SPG"}, {}, {0.75}},
  });
  CDbModel& model = MakeCase();
  auto group = std::make_unique<CDbGroup>(40, &m_export);
  group->m_strName = "GRP";
  model.m_paGroups.Add(std::move(group));
  // Stored out of order: the builder walks the periods by id.
  StreamColumns("P", "B", 2);
  StreamColumns("P", "A", 1);
  Row(PrimalPeriod("P", "A"), "NINVGRP", 0, 7, "LL");
  Row(PrimalPeriod("P", "A"), "XINVGRP", 0, 8, "UL");

  m_solution->BuildInventories(&Main(), m_case, &model);

  ASSERT_EQ(Period("A").m_paInventories.GetSize(), 1);
  ASSERT_EQ(Period("B").m_paInventories.GetSize(), 1);
  const CDbInventory& a = *Period("A").m_paInventories[0];
  const CDbInventory& b = *Period("B").m_paInventories[0];
  // A volume row on a weight-balanced stream: factor 1 / 0.8.
  EXPECT_EQ(a.m_dOpening, 0.0);
  EXPECT_DOUBLE_EQ(a.m_dClosing, 2 + 2 * 1.25);
  EXPECT_EQ(a.m_dTarget, 2.0);
  EXPECT_EQ(a.m_dMinValue, 2.0);
  EXPECT_EQ(a.m_dMaxValue, kBlank);
  EXPECT_EQ(a.m_dMarginalValue, 2.0);
  EXPECT_EQ(a.m_nVWBasisID, 1);
  EXPECT_DOUBLE_EQ(b.m_dOpening, a.m_dClosing);
  EXPECT_EQ(b.m_dMinValue, 3.0);
  EXPECT_DOUBLE_EQ(b.m_dClosing, 3 + 2 * 1.25);
  // BLNXXX wins over PINV's own quality column.
  ASSERT_EQ(a.m_paOpenInventoryQualities.GetSize(), 1);
  EXPECT_DOUBLE_EQ(a.m_paOpenInventoryQualities[0]->m_dValue, 0.75);
  EXPECT_TRUE(b.m_paOpenInventoryQualities.IsEmpty());

  ASSERT_EQ(Period("A").m_paPenalties.GetSize(), 1);
  EXPECT_EQ(Period("A").m_paPenalties[0]->m_nID, 11);
  EXPECT_DOUBLE_EQ(Period("A").m_paPenalties[0]->m_dActivity, 0.4 * 1.25);
  EXPECT_EQ(Period("A").m_paPenalties[0]->m_strTag1, "Gas");
  // In B the first period's SPG opening quality converts the penalty.
  ASSERT_EQ(Period("B").m_paPenalties.GetSize(), 1);
  EXPECT_DOUBLE_EQ(Period("B").m_paPenalties[0]->m_dActivity, 0.4 * 0.75 * Main().m_settings.m_VTW.GetValue());
  EXPECT_DOUBLE_EQ(EcoSum("A", 13, 1), 1.0);
  EXPECT_DOUBLE_EQ(EcoSum("B", 13, 1), 2.5);
  EXPECT_DOUBLE_EQ(EcoSum("A", 12, 1), -4.5 * 0.5);
  EXPECT_DOUBLE_EQ(EcoSum("B", 12, 1), -(5.5 + 4.5) * 0.5);

  ASSERT_EQ(Period("A").m_paGroupInventories.GetSize(), 1);
  EXPECT_EQ(Period("A").m_paGroupInventories[0]->m_dMarginalValue, 7.0);
  EXPECT_EQ(Period("A").m_paGroupInventories[0]->m_dTarget, kBlank);
  EXPECT_TRUE(Period("B").m_paGroupInventories.IsEmpty());
}

TEST_F(Inventories, DepotRowsAreKeyedByThePlantNode) {
  WriteTables({Table{"DINV", {"GAS1", "GAS9"}, {"MIN", "VOL", "WGT", "PCOST", "HCOST"}, {}, {2, 1, 1, 5, 1, 2, 1, 1, 5, 1}}});
  CDbModel& global = MakeCase();
  AddNode("1", 7, false);
  StreamColumns("1", "A", 1);

  m_solution->BuildDepotInventories(&Main(), m_case, &global);

  ASSERT_EQ(Period("A").m_paInventories.GetSize(), 1);
  const CDbInventory& inventory = *Period("A").m_paInventories[0];
  EXPECT_EQ(inventory.m_nNodeID, 7);
  EXPECT_EQ(inventory.m_nVWBasisID, 0);  // WGT wins over VOL
  EXPECT_EQ(inventory.m_dClosing, 2 + 3 - 1);
  ASSERT_EQ(Period("A").m_paPenalties.GetSize(), 1);
  EXPECT_EQ(Period("A").m_paPenalties[0]->m_nNodeID, 7);
  EXPECT_DOUBLE_EQ(Period("A").m_paPenalties[0]->m_dActivity, 0.5);
  EXPECT_DOUBLE_EQ(EcoSum("A", 13, 7), 1.0);  // made for the plant node
}

TEST_F(Inventories, SpanningGroupsSumOpeningsOnBothBases) {
  CDbModel& model = MakeCase();
  model.m_nInventorySpecBlendsOption = 2;
  auto group = std::make_unique<CDbGroup>(40, &m_export);
  group->m_strName = "GRP";
  group->m_bPeriodSpanning = 1;
  model.m_paGroups.Add(std::move(group));
  model.m_paVTWs.Add(std::make_unique<CDbVTW>(11, 1));
  model.m_paVTWs[0]->m_dValue = 0.8;
  auto inventory = std::make_unique<CDbInventory>(11, 1);
  inventory->m_dOpening = 100;
  inventory->m_nVWBasisID = 0;
  Period("A").m_paInventories.Add(std::move(inventory));
  auto groupPeriod = std::make_unique<CDbGroupPeriod>(40, 1);
  auto member = std::make_unique<CDbGroupMember>(11, 1);
  member->m_nMemberPeriodID = 1;
  groupPeriod->m_paMembers.Add(std::move(member));
  Period("B").m_paGroupPeriods.Add(std::move(groupPeriod));

  m_solution->BuildGroupInventories(&Main(), m_case, &model);

  ASSERT_EQ(Period("B").m_paGroupInventoryQuantities.GetSize(), 1);
  const CDbGroupInventoryQuantity& quantity = *Period("B").m_paGroupInventoryQuantities[0];
  EXPECT_DOUBLE_EQ(quantity.m_dWgtActivity, 10.0);
  EXPECT_DOUBLE_EQ(quantity.m_dVolActivity, 12.5);

  model.m_nInventorySpecBlendsOption = 1;  // below 2: the member adds nothing
  m_solution->BuildGroupInventories(&Main(), m_case, &model);
  EXPECT_DOUBLE_EQ(Period("B").m_paGroupInventoryQuantities[0]->m_dWgtActivity, 10.0);
}

}  // namespace
