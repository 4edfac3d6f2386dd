#include <gtest/gtest.h>

#include "solutionfill/core/testing/fill_case_fixture.h"

namespace {

using fill_testing::kBlank;
using fill_testing::Table;

class BlendRecipes : public fill_testing::FillCaseFixture {
 protected:
  void AddColumn(const std::string& name, double activity, double marginal = 0) {
    if (!m_node) {
      auto node = std::make_unique<CDbPrimalNode>("N");
      m_node = node.get();
      m_node->m_paPeriods.Add(std::make_unique<CDbPrimalPeriod>("A"));
      m_solution->m_paPrimalNodes.Add(std::move(node));
    }
    CDbPrimal& column = fill_testing::AddPrimal(m_node->m_paPeriods.GetAt(0)->m_paColumns, name);
    column.m_dActivity = activity;
    column.m_dMarginalValue = marginal;
  }
  CDbBlend& AddBlend(CDbModel& model, const std::string& name, int id, int type) {
    auto blend = std::make_unique<CDbBlend>(id, &m_export);
    blend->m_strName = name;
    blend->m_nBlendTypeID = type;
    CDbBlend& made = *blend;
    model.m_paBlends.Add(std::move(blend));
    model.m_paBlends.Sort(&CDbObject::CompareDbObjectName);
    return made;
  }
  void AddVtw(int stream, double value) {
    auto vtw = std::make_unique<CDbVTW>(stream, 1);
    vtw->m_dValue = value;
    Period("A").m_paVTWs.Add(std::move(vtw));
  }
  CDbPrimalNode* m_node = nullptr;
};

TEST_F(BlendRecipes, FormulaAndSpecificationBlendsWithTheirLinksAndVtw) {
  WriteTables({Table{"BLNMIX", {"NAP", "REF", "XXX"}, {"GAS", "SPC", "NOB"}, {},
                     {0.25, 1, 1, 0.75, kBlank, 1, 1, 1, 1}},
               Table{"BLNTARG", {"NAP", "ZZZ"}, {"GAS", "GASX"}, {}, {5, 6, 7, 8}}});
  Main().m_settings.m_VOLBASIS.SetValue(1);
  MakePeriods({"A"}, false);
  CDbModel& model = AddModel("N", 1);
  AddStream(model, "NAP", 1);
  AddStream(model, "REF", 2);
  CDbStream& gasStream = AddStream(model, "GAS", 10);  // balanced by weight: FBLN is a weight
  AddStream(model, "SPC", 11);
  CDbBlend& gas = AddBlend(model, "GAS", 10, 1);
  AddBlend(model, "SPC", 11, 2);
  AddVtw(1, 0.5);  // REF has no VTW: factor 1
  AddVtw(10, 9.0);
  AddColumn("FBLNGAS", 40, 3);
  AddColumn("BNAPSPC", 6);
  auto alternates = std::make_unique<CDbInt>(10);
  alternates->m_lstValues = {12};
  model.m_paAlternateLinks.Add(std::move(alternates));
  (void)gasStream;

  m_solution->BuildRecipes(&Main(), m_case, &model);
  CDbPeriod& period = Period("A");
  ASSERT_EQ(period.m_paBlendQuantities.GetSize(), 2);
  const CDbBlendQuantity& quantity = *period.m_paBlendQuantities.GetAt(0);
  EXPECT_EQ(quantity.m_nID, 10);
  ASSERT_EQ(quantity.m_paRecipes.GetSize(), 2);
  EXPECT_DOUBLE_EQ(quantity.m_paRecipes.GetAt(0)->m_dWgtActivity, 10.0);  // 40 x 0.25
  EXPECT_DOUBLE_EQ(quantity.m_paRecipes.GetAt(0)->m_dVolActivity, 20.0);  // over the VTW 0.5
  EXPECT_DOUBLE_EQ(quantity.m_paRecipes.GetAt(1)->m_dVolActivity, 30.0);
  EXPECT_EQ(quantity.m_paRecipes.GetAt(0)->m_dVolMarginalValue, 3.0);
  EXPECT_DOUBLE_EQ(quantity.m_dWgtActivity, 40.0);
  EXPECT_DOUBLE_EQ(quantity.m_dVolActivity, 50.0);
  EXPECT_DOUBLE_EQ(period.m_paVTWs.GetAt(1)->m_dValue, 0.8);  // total weight over total volume
  const CDbBlendQuantity& spec = *period.m_paBlendQuantities.GetAt(1);
  ASSERT_EQ(spec.m_paRecipes.GetSize(), 1);  // REF has no B column for SPC
  EXPECT_DOUBLE_EQ(spec.m_paRecipes.GetAt(0)->m_dVolActivity, 6.0);
  EXPECT_DOUBLE_EQ(spec.m_paRecipes.GetAt(0)->m_dWgtActivity, 3.0);

  // Component ends into the blenders, blend ends out of them (the volume model's quantities).
  ASSERT_EQ(period.m_paLinks2.GetSize(), 3);
  EXPECT_DOUBLE_EQ(period.m_paLinks2.GetAt(0)->m_dValue, 20.0);
  EXPECT_EQ(period.m_paLinks2.GetAt(0)->m_nNodeID, 10);
  EXPECT_EQ(period.m_paLinks2.GetAt(0)->m_nUnitTypeID, 2);
  ASSERT_EQ(period.m_paLinks1.GetSize(), 3);  // GAS, its alternate 12, SPC
  EXPECT_DOUBLE_EQ(period.m_paLinks1.GetAt(0)->m_dValue, 50.0);
  EXPECT_EQ(period.m_paLinks1.GetAt(1)->m_nID, 12);
  EXPECT_EQ(period.m_paLinks1.GetAt(1)->m_dValue, 0.0);

  // A second run rebuilds the recipes in place and adds no links.
  m_solution->BuildRecipes(&Main(), m_case, &model);
  EXPECT_EQ(period.m_paBlendQuantities.GetSize(), 2);
  EXPECT_EQ(period.m_paBlendQuantities.GetAt(0)->m_paRecipes.GetSize(), 2);
  EXPECT_DOUBLE_EQ(period.m_paBlendQuantities.GetAt(0)->m_dVolActivity, 50.0);
  EXPECT_EQ(period.m_paLinks1.GetSize(), 3);
  EXPECT_EQ(period.m_paLinks2.GetSize(), 3);

  m_solution->BuildBlendTargets(&Main(), m_case, &model);
  ASSERT_EQ(gas.m_paTargets.GetSize(), 1);  // GASX is not a three-character name; ZZZ no stream
  EXPECT_EQ(gas.m_paTargets.GetAt(0)->m_nID, 1);
  EXPECT_EQ(gas.m_paTargets.GetAt(0)->m_fTargetValue, 5.0f);
}

}  // namespace
