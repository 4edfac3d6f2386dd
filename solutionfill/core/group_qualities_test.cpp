#include <gtest/gtest.h>

#include "solutionfill/core/testing/fill_case_fixture.h"
#include "solutionfill/economics/group_fill.h"

namespace {

using fill_testing::kBlank;
using fill_testing::Table;

class GroupQualities : public fill_testing::FillCaseFixture {
 protected:
  CDbModel& MakeModel() {
    CDbModel& model = AddModel("M", 1);
    for (const char* tag : {"SUL", "RVP", "VIS"}) {
      auto quality = std::make_unique<CDbQuality>(model.m_paQualities.GetSize() + 1, &m_export);
      quality->m_strName = tag;
      quality->m_nVWBasisID = 1;
      model.m_paQualities.Add(std::move(quality));
    }
    model.m_paQualities.Sort(&CDbQuality::CompareElements);
    auto blend = std::make_unique<CDbBlend>(5, &m_export);
    blend->m_strName = "GAS";
    model.m_paBlends.Add(std::move(blend));
    model.m_paBlends.Sort(&CDbObject::CompareDbObjectName);
    auto group = std::make_unique<CDbGroup>(7, &m_export);
    group->m_strName = "G1";
    model.m_paGroups.Add(std::move(group));
    model.m_paGroups.Sort(&CDbObject::CompareDbObjectName);
    return model;
  }
  // Group G1 with blend GAS of the period memberPeriod as its member in period.
  void AddMember(CDbPeriod& period, std::int32_t memberPeriod) {
    auto groupPeriod = std::make_unique<CDbGroupPeriod>(7, 1);
    auto member = std::make_unique<CDbGroupMember>(5, 1, &m_export);
    member->m_nMemberPeriodID = memberPeriod;
    groupPeriod->m_paMembers.Add(std::move(member));
    period.m_paGroupPeriods.Add(std::move(groupPeriod));
  }
  void AddQuantity(CDbPeriod& period, double volume) {
    auto quantity = std::make_unique<CDbBlendQuantity>(5, 1, &m_export);
    quantity->m_dVolActivity = volume;
    period.m_paBlendQuantities.Add(std::move(quantity));
  }
  CDbPrimalPeriod& AddPrimalPeriod(const std::string& name) {
    if (m_solution->m_paPrimalNodes.IsEmpty()) {
      m_solution->m_paPrimalNodes.Add(std::make_unique<CDbPrimalNode>("M", &m_export));
      m_solution->m_paPrimalNodes.Sort(&CDbPrimalNode::CompareElements);
    }
    auto period = std::make_unique<CDbPrimalPeriod>(name);
    CDbPrimalPeriod& made = *period;
    m_solution->m_paPrimalNodes.GetAt(0)->m_paPeriods.Add(std::move(period));
    return made;
  }
  static void AddRow(CDbPrimalPeriod& period, const std::string& name, double slack, const std::string& status) {
    CDbPrimal& row = fill_testing::AddPrimal(period.m_paRows, name);
    row.m_dSlack = slack;
    row.m_strStatus = status;
    row.m_dMarginalValue = 0.0;
  }
  static const CDbGroupQuality* Find(const CDbPeriod& period, std::int32_t quality) {
    for (const CDbGroupQuality* each : period.m_paGroupQualities)
      if (each->m_nID == 7 && each->m_nQualityID == quality) return each;
    return nullptr;
  }
};

TEST_F(GroupQualities, GlobalSpecificationsMakeQualitiesAndTakeTheSpecWithoutAmount) {
  WriteTables({Table{"GBLNSPEC", {"NSUL", "XARO"}, {"G1"}, {"Sulphur", "Aromatics"}, {10, 30}}});
  MakePeriods({"A", "B"}, false);
  CDbModel& model = MakeModel();
  AddMember(Period("A"), Period("A").m_nID);
  AddQuantity(Period("A"), 4);
  for (const char* name : {"A", "B"}) {
    CDbPrimalPeriod& primal = AddPrimalPeriod(name);
    AddRow(primal, "NSULG1", 2, "BS");
    AddRow(primal, "XAROG1", 1, "LL");
  }
  const CDbQuality sulphurProbe("SUL");
  model.m_paQualities.Find(&sulphurProbe)->m_fFactor = 0.0f;  // no scale factor: the amount alone divides
  m_solution->BuildGlobalGroupQualities(&Main(), m_case, &model);

  const CDbQuality probe("ARO");
  const CDbQuality* aromatics = model.m_paQualities.Find(&probe);
  ASSERT_NE(aromatics, nullptr);
  EXPECT_EQ(aromatics->m_nID, 4);
  EXPECT_EQ(aromatics->m_nVWBasisID, 1);
  EXPECT_EQ(aromatics->m_strDescription, "Aromatics");

  const CDbGroupQuality* sulphurA = Find(Period("A"), 1);
  ASSERT_NE(sulphurA, nullptr);
  EXPECT_DOUBLE_EQ(sulphurA->m_dValue, 2.0 / 4 + 10);
  EXPECT_EQ(sulphurA->m_dMinValue, 10);
  const CDbGroupQuality* aromaticsA = Find(Period("A"), 4);
  ASSERT_NE(aromaticsA, nullptr);
  EXPECT_DOUBLE_EQ(aromaticsA->m_dValue, 1.0 / 4 + 30);
  EXPECT_EQ(aromaticsA->m_bWorkFlag, 1);  // found at its bound
  const CDbGroupQuality* sulphurB = Find(Period("B"), 1);
  ASSERT_NE(sulphurB, nullptr);
  EXPECT_EQ(sulphurB->m_dValue, 10);  // no blend amount: the specification
}

TEST_F(GroupQualities, PerPeriodAndPeriodSpanningSpecifications) {
  WriteTables({
      Table{"BLNSPEX", {"NSUL", "*NOTE", "NSULB"}, {"G1"}, {}, {12, 1, kBlank}},
      Table{"PBLNSPEC", {"XSUL"}, {"G1"}, {}, {40}},
      Table{"ZPBLNSPE", {"XSUL", "XSUL"}, {"G1"}, {}, {kBlank, 35}},
  });
  Main().m_settings.m_ModelType.SetValue(1);
  MakePeriods({"A", "B"}, true);
  Period("A").m_dDays = 2;
  CDbModel& model = MakeModel();
  AddMember(Period("A"), Period("A").m_nID);
  AddQuantity(Period("A"), 4);
  AddMember(Period("."), Period("A").m_nID);  // the spanning group's member blends in period A
  AddRow(AddPrimalPeriod("."), "XSULG1", 8, "BS");
  AddRow(AddPrimalPeriod("A"), "NSULG1", 2, "BS");
  AddRow(AddPrimalPeriod("B"), "NSULG1", 2, "BS");
  m_solution->BuildGroupQualities(&Main(), m_case, &model, nullptr);

  const CDbGroupQuality* inA = Find(Period("A"), 1);
  ASSERT_NE(inA, nullptr);
  EXPECT_DOUBLE_EQ(inA->m_dValue, 2.0 / 4 + 12);
  const CDbGroupQuality* inB = Find(Period("B"), 1);
  ASSERT_NE(inB, nullptr);
  EXPECT_EQ(inB->m_dMinValue, 12);
  EXPECT_EQ(inB->m_dValue, kBlank);  // no blend amount leaves the value unset
  const CDbGroupQuality* spanning = Find(Period("."), 1);
  ASSERT_NE(spanning, nullptr);
  EXPECT_EQ(spanning->m_dMaxValue, 35);  // the ZPBLNSPE row with a value
  EXPECT_DOUBLE_EQ(spanning->m_dValue, 8.0 / (4 * 2) + 35);  // period A's quantity times its days
}

TEST_F(GroupQualities, ReportOrderFollowsTheSpecificationRows) {
  WriteTables({
      Table{"BLNSPEC", {"NSUL", "XSUL", "TYPE", "NRVP"}, {"GAS"}, {}, {1, 2, 1, 3}},
      Table{"BLNXXX", {"XXX", "GAS", "POL"}, {"SUL"}, {}, {kBlank, kBlank, kBlank}},
  });
  MakePeriods({"A"}, false);
  CDbModel& model = MakeModel();
  AddStream(model, "POL", 1);
  AddStream(model, "GAS", 5);
  CDbPeriod& period = Period("A");
  for (std::int32_t quality : {3, 2, 1}) period.m_paBlendQualities.Add(std::make_unique<CDbBlendQuality>(5, 1, quality));
  period.m_paBlendQualities.Add(std::make_unique<CDbBlendQuality>(5, 2, 1));  // another model's
  m_solution->OrderBlendQualitiesBySpecs(&Main(), m_case, &model);
  auto order = [&](std::int32_t node, std::int32_t quality) {
    for (const CDbBlendQuality* each : period.m_paBlendQualities)
      if (each->m_nNodeID == node && each->m_nQualityID == quality) return each->m_nReportOrder;
    return -2;
  };
  EXPECT_EQ(order(1, 1), 1);  // SUL: N then X rows
  EXPECT_EQ(order(1, 2), 3);  // RVP after both SUL rows
  EXPECT_EQ(order(1, 3), 5);  // VIS has no row: after all four rows
  EXPECT_EQ(order(2, 1), 9999);

  m_solution->OrderStreamsByBlnxxx(&Main(), &model);  // a Standard model ignores BLNXXX
  EXPECT_EQ(fill::FindModelStream(model, "GAS")->m_nUserDefinedReportOrder, -1);
  Main().m_settings.m_ModelType.SetValue(1);
  m_solution->OrderStreamsByBlnxxx(&Main(), &model);
  EXPECT_EQ(fill::FindModelStream(model, "GAS")->m_nUserDefinedReportOrder, 1);
  EXPECT_EQ(fill::FindModelStream(model, "POL")->m_nUserDefinedReportOrder, 2);
}

}  // namespace
