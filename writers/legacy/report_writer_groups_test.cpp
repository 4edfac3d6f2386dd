// The report-writer groups: reading the group tables and collapsing group
// members in the report-writer copies of a case.

#include "writers/legacy/report_writer_groups.h"

#include <gtest/gtest.h>

#include <memory>

#include "results/objects/db_blend.h"
#include "results/objects/db_model.h"
#include "results/objects/db_model_items.h"
#include "results/objects/db_period.h"
#include "results/objects/db_stream.h"
#include "results/objects/db_value_records.h"
#include "results/objects/testing/case_fixture.h"

namespace {

using objects_testing::kBlank;

class ReportWriterGroupsTest : public objects_testing::CaseFixture {
 protected:
  CDbDefinition& AddUnit(CDbModel& model, const std::string& name, std::int32_t id, std::int32_t item) {
    auto unit = std::make_unique<CDbDefinition>(id, &m_export);
    unit->m_strName = name;
    unit->m_nReportOrder = 100 + id;
    unit->m_aIntList1 = {item};
    unit->m_aIntList2 = {1};
    CDbDefinition& made = *unit;
    model.m_paUnits.Add(std::move(unit));
    return made;
  }
  void AddBlend(CDbModel& model, const std::string& name, std::int32_t id) {
    auto blend = std::make_unique<CDbBlend>(id, &m_export);
    blend->m_strName = name;
    model.m_paBlends.Add(std::move(blend));
  }
  static void AddUnitRow(CDbPeriod& period, std::int32_t unit, std::int32_t model, std::int32_t item, double activity,
                         std::int32_t feed) {
    auto row = std::make_unique<CDbUnitOp>(unit, model);
    row->m_nItemID = item;
    row->m_nKind = 1;
    row->m_dActivity = activity;
    row->m_nFeedFlag = feed;
    period.m_paUnitOperationMaterials.Add(std::move(row));
    period.m_paUnitOperationMaterials.Sort(CDbUnitOp::CompareElements);
  }
  static void AddRecipe(CDbPeriod& period, std::int32_t blend, std::int32_t model, std::int32_t component,
                        double volume) {
    const CDbBlendQuantity probe(blend, model);
    CDbBlendQuantity* quantity = period.m_paBlendQuantities.Find(&probe);
    if (!quantity) {
      quantity = new CDbBlendQuantity(blend, model);
      period.m_paBlendQuantities.Add(quantity);
      period.m_paBlendQuantities.Sort(CDbBlendQuantity::CompareElements);
    }
    auto recipe = std::make_unique<CDbBlendRecipe>(component, model);
    recipe->m_dVolActivity = volume;
    recipe->m_dVolMarginalValue = 0.5;
    quantity->AddRecipe(std::move(recipe));
  }
  static void AddVtw(CDbPeriod& period, std::int32_t stream, std::int32_t model, double value) {
    auto vtw = std::make_unique<CDbVTW>(stream, model);
    vtw->m_dValue = value;
    period.m_paVTWs.Add(std::move(vtw));
    period.m_paVTWs.Sort(CDbVTW::CompareElements);
  }
};

TEST_F(ReportWriterGroupsTest, RowsOfOneNameMakeOneGroupAndBlankCellsNoMember) {
  WriteTables({{"RWGRPUNT", {"GRPA", "GRPB ", "GRPA"}, {"U1", "U2", "U3"}, {"First", "Second", "Again"},
                {1, kBlank, kBlank, kBlank, 0, kBlank, kBlank, 1, 1}}});
  CRwGrpUntArray groups;
  ASSERT_TRUE(ReadRWGRPUNT(m_export, nullptr, groups));
  ASSERT_EQ(groups.GetSize(), 2);
  EXPECT_EQ(groups[0]->m_strName, "GRPA");
  EXPECT_EQ(groups[0]->m_strDescription, "Again");
  EXPECT_EQ(groups[0]->m_lstMembers, (std::vector<std::string>{"U1", "U2", "U3"}));
  EXPECT_EQ(groups[1]->m_strName, "GRPB");
  EXPECT_EQ(groups[1]->m_lstMembers, (std::vector<std::string>{"U2"}));

  CRwGrpBlnArray none;
  ASSERT_TRUE(ReadRWGRPBLN(m_export, nullptr, none));  // a table the model lacks
  EXPECT_TRUE(none.IsEmpty());
}

TEST_F(ReportWriterGroupsTest, GroupMembersCollapseIntoTheirGroups) {
  Main().m_settings.m_ModelType.SetValue(1);
  WriteTables({{"RWGRPUNT", {"UGRP"}, {"U1", "U2"}, {"Unit group"}, {1, 1}},
               {"RWGRPBLN", {"GASOLINE"}, {"B1", "B2"}, {"Gasolines"}, {1, 1}}});
  MakePeriods({"A"}, true);
  CDbModel& model = AddModel("M", 1);
  for (auto [name, id] : {std::pair{"C5", 5}, {"C6", 6}, {"B1", 10}, {"B2", 11}}) AddStream(model, name, id);
  AddUnit(model, "U1", 0, 5);
  AddUnit(model, "U2", 1, 5);
  AddUnit(model, "U3", 2, 6);
  AddBlend(model, "B1", 10);
  AddBlend(model, "B2", 11);
  CDbPeriod& a = Period("A");
  AddUnitRow(a, 0, 1, 5, 2.0, 1);
  AddUnitRow(a, 1, 1, 5, 3.0, 0);
  AddUnitRow(a, 2, 1, 6, 4.0, 1);
  AddUnitRow(Period("."), 0, 1, 5, 99.0, 1);  // the dummy period is not visited
  AddRecipe(a, 10, 1, 5, 1.0);
  AddRecipe(a, 11, 1, 5, 2.0);
  AddRecipe(a, 11, 1, 6, 4.0);
  AddVtw(a, 10, 1, 0.7);
  AddVtw(a, 11, 1, 0.9);
  AddVtw(a, 5, 1, 0.5);

  ASSERT_TRUE(FillReportWriterGroups(m_export, &Main(), m_case, &model));
  EXPECT_EQ(Main().m_bReportWriterGroups, 1);

  // Units: the members are marked, the group takes the next identifier after the model's units.
  ASSERT_EQ(model.m_paRwUnits.GetSize(), 4);
  const CDbRwUnit* group = model.m_paRwUnits[3];
  EXPECT_EQ(group->m_strName, "UGRP");
  EXPECT_EQ(group->m_nID, 3);
  EXPECT_EQ(group->m_aMembers, (std::vector<std::int32_t>{0}));
  EXPECT_EQ(model.m_paRwUnits[0]->m_bWildcard, 1);
  EXPECT_EQ(model.m_paRwUnits[2]->m_bWildcard, 0);
  ASSERT_EQ(a.m_paRwUnitOps.GetSize(), 2);
  const CDbUnitOp* groupRow = a.m_paRwUnitOps[1];
  EXPECT_EQ(groupRow->m_nID, 3);
  EXPECT_DOUBLE_EQ(groupRow->m_dActivity, 5.0);
  EXPECT_EQ(groupRow->m_bMixedFeed, 1);
  EXPECT_TRUE(Period(".").m_paRwUnitOps.IsEmpty());

  // Blends: GASOLINE is GAS, one recipe per component, a shared component loses its marginal value.
  const CDbRwStream* gas = nullptr;
  for (const CDbRwStream* s : model.m_paRwStreams)
    if (s->m_strName == "GAS") gas = s;
  ASSERT_NE(gas, nullptr);
  EXPECT_GT(gas->m_nID, 11);
  EXPECT_EQ(gas->m_lstMembers, (std::vector<std::int32_t>{10, 11}));
  const CDbBlendQuantity probe(gas->m_nID, 1);
  const CDbBlendQuantity* quantity = a.m_paRwBlendQuantities.Find(&probe);
  ASSERT_NE(quantity, nullptr);
  EXPECT_DOUBLE_EQ(quantity->m_dVolActivity, 7.0);
  ASSERT_EQ(quantity->m_paRecipes.GetSize(), 2);
  EXPECT_DOUBLE_EQ(quantity->m_paRecipes[0]->m_dVolActivity, 3.0);
  EXPECT_DOUBLE_EQ(quantity->m_paRecipes[0]->m_dVolMarginalValue, 0.0);
  EXPECT_DOUBLE_EQ(quantity->m_paRecipes[1]->m_dVolMarginalValue, 0.5);

  // Factors: the group's is the plain average of its members', which leave the list.
  ASSERT_EQ(a.m_paRwVTWs.GetSize(), 2);
  EXPECT_EQ(a.m_paRwVTWs[0]->m_nID, 5);
  EXPECT_EQ(a.m_paRwVTWs[1]->m_nID, gas->m_nID);
  EXPECT_DOUBLE_EQ(a.m_paRwVTWs[1]->m_dValue, 0.8);
}

TEST_F(ReportWriterGroupsTest, GlobalModelsAndModelsWithoutGroupsGetNoCopies) {
  MakePeriods({"A"}, false);
  CDbModel& model = AddModel("M", 1);
  AddStream(model, "C5", 5);
  Main().m_bReportWriterGroups = 1;
  ASSERT_TRUE(FillReportWriterGroups(m_export, &Main(), m_case, &model));
  EXPECT_EQ(Main().m_bReportWriterGroups, 0);
  EXPECT_TRUE(model.m_paRwStreams.IsEmpty());

  WriteTables({{"RWGRPSTR", {"ABCBURG"}, {"C5"}, {}, {1}}});
  Main().m_settings.m_ModelType.SetValue(2);
  ASSERT_TRUE(FillReportWriterGroups(m_export, &Main(), m_case, &model));
  EXPECT_EQ(Main().m_bReportWriterGroups, 0);
  EXPECT_TRUE(model.m_paRwStreams.IsEmpty());

  // A stream group whose blend has no copy makes no group stream, but still counts as a group.
  Main().m_settings.m_ModelType.SetValue(0);
  ASSERT_TRUE(FillReportWriterGroups(m_export, &Main(), m_case, &model));
  EXPECT_EQ(Main().m_bReportWriterGroups, 1);
  ASSERT_EQ(model.m_paRwStreams.GetSize(), 1);
  EXPECT_EQ(model.m_paRwStreams[0]->m_strName, "C5");
}

}  // namespace
