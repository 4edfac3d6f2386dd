// The bounds report of the BOUNDS table.

#include <gtest/gtest.h>

#include "solutionfill/economics/testing/economics_fixture.h"

namespace {

using econ_testing::kBlank;
using econ_testing::Table;

class Bounds : public econ_testing::EconomicsFixture {};

TEST_F(Bounds, ColumnsOfTheModelAndOfPlantsWithFreeRowsSkipped) {
  WriteTables({Table{"BOUNDS", {"XCOL001", "XCOL001A", "FREECOL", "ZZZ"}, {"FREE"}, {"Own", "Plant A", "Free", "Z"},
                     {kBlank, kBlank, 1, kBlank}}});
  MakePeriods({"P1"}, true);
  Period("P1").m_dDays = 10;
  CDbModel& global = AddModel("", 3);
  AddModel("A", 1);
  Column(PrimalPeriod("", "P1"), "XCOL001", 4, 0, 1, 9, 20).m_strAliasName = "XCOL001 own";
  Column(PrimalPeriod("A", "P1"), "XCOL001", 5);
  Column(PrimalPeriod("", "P1"), "FREECOL", 1);

  m_solution->BuildBound(&Main(), m_case, &global, true);

  const auto& bounds = Period("P1").m_paBounds;
  ASSERT_EQ(bounds.GetSize(), 2);
  EXPECT_EQ(bounds[0]->m_nID, 0);
  EXPECT_EQ(bounds[0]->m_nNodeID, 3);
  EXPECT_EQ(bounds[0]->m_dActivity, 4.0);
  EXPECT_EQ(bounds[0]->m_dMarginalValue, 2.0);
  EXPECT_EQ(bounds[0]->m_dMaxValue, 9.0);
  EXPECT_EQ(bounds[0]->m_strLPColumnName, "XCOL001 own");
  EXPECT_EQ(bounds[0]->m_strDescription, "Own");
  EXPECT_EQ(bounds[1]->m_nID, 1);
  EXPECT_EQ(bounds[1]->m_nNodeID, 1);
  EXPECT_EQ(bounds[1]->m_dActivity, 5.0);
}

TEST_F(Bounds, ASingleZzzRowMeansNoBounds) {
  WriteTables({Table{"BOUNDS", {"ZZZ"}, {"FREE"}, {}, {kBlank}}});
  MakePeriods({"P1"}, false);
  CDbModel& model = AddModel("M", 1);
  Column(PrimalPeriod("M", "P1"), "ZZZ", 4);
  m_solution->BuildBound(&Main(), m_case, &model, false);
  EXPECT_TRUE(Period("P1").m_paBounds.IsEmpty());
}

}  // namespace
