// Capacity, process-unit, blender and pump limits of a model.

#include <gtest/gtest.h>

#include "solutionfill/economics/testing/economics_fixture.h"

namespace {

using econ_testing::kBlank;
using econ_testing::Table;

class CapacityLimits : public econ_testing::EconomicsFixture {
 protected:
  CDbModel& MakeCase() {
    MakePeriods({"A"}, true);
    Period("A").m_dDays = 10;
    return AddModel("P", 1);
  }
  template <class T>
  static T& Add(CAutoDestructArray<CPtrArray, T*>& list, std::int32_t id, const std::string& name) {
    auto made = std::make_unique<T>(id);
    made->m_strName = name;
    made->m_strReportTag = name + "!";
    return *list.GetAt(list.Add(std::move(made)));
  }
};

TEST_F(CapacityLimits, CapacitiesWithSlackPenaltyAndUnreportedOnes) {
  WriteTables({});
  CDbModel& model = MakeCase();
  Add(model.m_paCapacities, 1, "ATM").m_fPenaltyPrice = 2;
  Add(model.m_paCapacities, 2, "VAC").m_nReportFlag = -1;
  CDbPrimalPeriod& a = PrimalPeriod("P", "A");
  Row(a, "CCAPATM", 40, 30).m_dHiRHS = 50;
  Column(a, "uCAPATM", 3);
  Column(a, "dCAPATM", 1);
  Row(a, "CCAPVAC", 1, 1);

  m_solution->BuildCapacityLimits(m_case, &model, &Main());

  const auto& limits = Period("A").m_paCapacityLimits;
  ASSERT_EQ(limits.GetSize(), 2);
  EXPECT_EQ(limits[0]->m_dActivity, 40.0 - 2.0);
  EXPECT_EQ(limits[0]->m_dMaxValue, 50.0);
  EXPECT_EQ(limits[0]->m_dMarginalValue, -3.0);  // the row's marginal, negated, per day
  EXPECT_EQ(limits[1]->m_dActivity, 0.0);
  EXPECT_EQ(limits[1]->m_dMaxValue, kBlank);
  ASSERT_EQ(Period("A").m_paPenalties.GetSize(), 1);
  EXPECT_EQ(Period("A").m_paPenalties[0]->m_nID, 2);
  EXPECT_EQ(Period("A").m_paPenalties[0]->m_dActivity, 8.0);
  EXPECT_EQ(Period("A").m_paPenalties[0]->m_strTag1, "ATM!");
  EXPECT_EQ(Period("A").m_dPenaltyTotal, 8.0);
}

TEST_F(CapacityLimits, ProcessUnitsTakeTheirSlotsAndRowMarginals) {
  WriteTables({});
  CDbModel& model = MakeCase();
  Add(model.m_paProcessCapacities, 1, "PLN");  // plain
  CDbDefinition& special = Add(model.m_paProcessCapacities, 2, "SPC");
  special.m_bSpecialUnitFlag = 1;
  CDbDefinition& used = Add(model.m_paProcessCapacities, 3, "USE");
  used.m_bSpecialUnitFlag = 1;
  Period("A").m_adProcLimMin = {1, 2, 3};
  Period("A").m_adProcLimMax = {10, 20, 30};
  Period("A").m_mapProcLimFirstSlot[1] = 0;
  CDbPrimalPeriod& a = PrimalPeriod("P", "A");
  Column(a, "ZLIMSPC", 0);
  Row(a, "GLIMSPC", 0, 40);
  Column(a, "ZLIMUSE", 2);
  Row(a, "GLIMUSE", 8);

  m_solution->BuildCapacityLimits(m_case, &model, &Main());

  const auto& limits = Period("A").m_paProcessCapacityLimits;
  ASSERT_EQ(limits.GetSize(), 3);
  EXPECT_EQ(limits[0]->m_dMinValue, 1.0);
  EXPECT_EQ(limits[0]->m_dMaxValue, 10.0);
  EXPECT_EQ(limits[1]->m_dActivity, 0.0);  // no unit activity
  EXPECT_EQ(limits[1]->m_dMaxValue, 20.0);
  EXPECT_EQ(limits[1]->m_dMarginalValue, 4.0);
  EXPECT_EQ(limits[2]->m_dActivity, 30.0 - 8.0 / 2.0);
}

TEST_F(CapacityLimits, BlenderCostPenaltyMemberBlendsAndPumpMarginals) {
  WriteTables({Table{"BLNCAP", {"BL1"}, {"COST"}, {}, {2.5}}});
  CDbModel& model = MakeCase();
  auto blend = std::make_unique<CDbBlend>(7, &m_export);
  blend->m_strName = "GAS";
  CDbBlend& gas = *model.m_paBlends.GetAt(model.m_paBlends.Add(std::move(blend)));
  auto blender = std::make_unique<CDbBlenderCapacity>(1, &m_export);
  blender->m_strName = "BL1";
  blender->m_strReportTag = "Blender 1";
  blender->m_paBlends.Add(&gas);
  model.m_paBlenderCapacities.Add(std::move(blender));
  CDbStream& pumped = AddStream(model, "DSL", 11);
  model.m_paBlendStreams.Add(&pumped);
  CDbPrimalPeriod& a = PrimalPeriod("P", "A");
  Row(a, "BCAPBL1", 4, 20);
  Column(a, "ZGASBL1", 3);
  Row(a, "BCAPDSL", 6, 5);

  m_solution->BuildCapacityLimits(m_case, &model, &Main());

  ASSERT_EQ(Period("A").m_paBlenderCapacityLimits.GetSize(), 1);
  const CDbCapacityLimit& limit = *Period("A").m_paBlenderCapacityLimits[0];
  EXPECT_EQ(limit.m_dMarginalValue, -2.0);
  ASSERT_EQ(limit.m_paBlenderBlendQuantities.GetSize(), 1);
  EXPECT_EQ(limit.m_paBlenderBlendQuantities[0]->m_nID, 7);
  EXPECT_EQ(limit.m_paBlenderBlendQuantities[0]->m_dActivity, 3.0);
  ASSERT_EQ(Period("A").m_paPenalties.GetSize(), 1);
  EXPECT_EQ(Period("A").m_paPenalties[0]->m_nID, 12);
  EXPECT_EQ(Period("A").m_paPenalties[0]->m_dActivity, 10.0);
  ASSERT_EQ(Period("A").m_paPumpCapacityLimits.GetSize(), 1);
  EXPECT_EQ(Period("A").m_paPumpCapacityLimits[0]->m_nID, 11);
  EXPECT_EQ(Period("A").m_paPumpCapacityLimits[0]->m_dMarginalValue, 0.5);
}

TEST_F(CapacityLimits, AUnitReadsTheSlotOfItsModelWhateverTheEntriesBeforeIt) {
  WriteTables({});
  MakePeriods({"A"}, true);
  // Model 1's table had two rows for its one unit: model 2's slots begin at 2.
  Period("A").m_adProcLimMin = {1, 2, 3};
  Period("A").m_adProcLimMax = {10, 20, 30};
  Period("A").m_mapProcLimFirstSlot = {{1, 0}, {2, 2}};
  CDbModel& first = AddModel("P", 1);
  CDbModel& second = AddModel("Q", 2);
  Add(first.m_paProcessCapacities, 1, "ONE");
  Add(second.m_paProcessCapacities, 1, "TWO");
  PrimalPeriod("P", "A");
  PrimalPeriod("Q", "A");

  m_solution->BuildCapacityLimits(m_case, &first, &Main());
  m_solution->BuildCapacityLimits(m_case, &second, &Main());

  const auto& limits = Period("A").m_paProcessCapacityLimits;
  ASSERT_EQ(limits.GetSize(), 2);
  EXPECT_EQ(limits[1]->m_dMinValue, 3.0);
  EXPECT_EQ(limits[1]->m_dMaxValue, 30.0);
}

TEST_F(CapacityLimits, TheRowFactorScalesTheUnitActivityOfAGRow) {
  WriteTables({});
  CDbModel& model = MakeCase();
  CDbDefinition& unit = Add(model.m_paProcessCapacities, 1, "USE");
  unit.m_bSpecialUnitFlag = 1;
  Period("A").m_adProcLimMax = {30};
  Period("A").m_adProcLimMin = {kBlank};
  Period("A").m_mapProcLimFirstSlot[1] = 0;
  CDbPrimalPeriod& a = PrimalPeriod("P", "A");
  Column(a, "ZLIMUSE", 2);
  Row(a, "GLIMUSE", 8);
  AddStream(model, "USE", 21);
  for (const auto& [name, id] : {std::pair{"SPG", 61}, std::pair{"SPV", 62}}) {
    auto quality = std::make_unique<CDbQuality>(id, &m_export);
    quality->m_strName = name;
    model.m_paQualities.Add(std::move(quality));
  }
  model.m_paQualities.Sort(&CDbObject::CompareDbObjectName);
  auto spg = std::make_unique<CDbStreamQuality>(21, 1, 61, &m_export);
  spg->m_dValue = 4;
  Period("A").m_paStreamQualities.Add(std::move(spg));

  struct Case {
    double factor;     // 0: no row factor
    std::int32_t basis;
    double activity;
  };
  const Case cases[] = {
      {0, 0, 30 - 8.0 / 2},                 // not listed: 1
      {2, 0, 30 - 8.0 / (2 * 2)},           // a scaled G row
      {999.005, 1, 30 - 8.0 / (4 * 2)},     // 999 on a volume basis: the SPG of the stream named like the unit
      {999, 0, 30 - 8.0 / 2},               // 999 on a weight basis: no SPV value, so 1
  };
  CNamedValueTable& factors = GetMatrixDirectoryData(Main()).m_NamedValues;
  for (const Case& c : cases) {
    factors.RemoveAll();
    if (c.factor != 0) {
      CNamedValueTable::Entry& entry = factors.Add("GLIMUSE");
      entry.m_dValue = c.factor;
      entry.m_nNumber = c.basis;
    }
    Period("A").m_paProcessCapacityLimits.RemoveAll();
    m_solution->BuildCapacityLimits(m_case, &model, &Main());
    ASSERT_EQ(Period("A").m_paProcessCapacityLimits.GetSize(), 1);
    EXPECT_DOUBLE_EQ(Period("A").m_paProcessCapacityLimits[0]->m_dActivity, c.activity) << c.factor;
  }
}

}  // namespace
