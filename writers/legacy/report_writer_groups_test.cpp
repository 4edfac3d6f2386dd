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

const CDbRwStream* FindRwStream(const CDbModel& model, const std::string& name) {
  for (const CDbRwStream* s : model.m_paRwStreams)
    if (s->m_strName == name) return s;
  return nullptr;
}

TEST_F(ReportWriterGroupsTest, StreamGroupsOfSevenCharactersMoveRecipesOrUnitRowsIntoTheGroup) {
  Main().m_settings.m_ModelType.SetValue(0);
  const std::vector<std::string> members = {"C1", "C2", "C4", "C5", "C6"};
  // Rows: AAABURG {C1, C2}, BBBSCRU {C1, C2}, CCCSVAC {C4, C5}, DDDXURG, EEEBZZZ and FFFBURGX {C6}.
  WriteTables({{"RWGRPSTR",
                {"AAABURG", "BBBSCRU", "CCCSVAC", "DDDXURG", "EEEBZZZ", "FFFBURGX"},
                members,
                {"A", "B", "C", "D", "E", "F"},
                {1, 1, kBlank, kBlank, kBlank, 1, 1, kBlank, kBlank, kBlank, kBlank, kBlank, 1, 1, kBlank,
                 kBlank, kBlank, kBlank, kBlank, 1, kBlank, kBlank, kBlank, kBlank, 1, kBlank, kBlank, kBlank,
                 kBlank, 1}}});
  MakePeriods({"A"}, false);
  CDbModel& model = AddModel("M", 1);
  for (int id = 1; id <= 6; ++id) AddStream(model, "C" + std::to_string(id), id);
  AddStream(model, "URG", 20);
  AddBlend(model, "URG", 20);
  CDbDefinition& scru = AddUnit(model, "SCRU", 0, 1);
  scru.m_aIntList1 = {1, 2};
  scru.m_aIntList2 = {1, 1};
  CDbDefinition& svac = AddUnit(model, "SVAC", 1, 4);
  svac.m_aIntList1 = {4, 5};
  svac.m_aIntList2 = {1, 1};
  CDbPeriod& a = Period("A");
  AddUnitRow(a, 0, 1, 1, 2.0, 1);
  AddUnitRow(a, 0, 1, 2, 3.0, 1);
  AddUnitRow(a, 1, 1, 4, 5.0, 1);
  AddUnitRow(a, 1, 1, 5, 1.5, 0);
  for (auto [component, volume] : {std::pair{1, 1.0}, {2, 2.0}, {3, 4.0}, {6, 0.5}}) AddRecipe(a, 20, 1, component, volume);

  ASSERT_TRUE(FillReportWriterGroups(m_export, &Main(), m_case, &model));
  const struct {
    const char* group;
    const char* tag;
    bool made;
  } forms[] = {{"AAABURG", "AAA", true},  {"BBBSCRU", "BBB", true},  {"CCCSVAC", "CCC", true},
               {"DDDXURG", "DDD", false}, {"EEEBZZZ", "EEE", false}, {"FFFBURGX", "FFF", false}};
  for (const auto& f : forms) EXPECT_EQ(FindRwStream(model, f.tag) != nullptr, f.made) << f.group;
  const CDbRwStream* aaa = FindRwStream(model, "AAA");
  const CDbRwStream* bbb = FindRwStream(model, "BBB");
  const CDbRwStream* ccc = FindRwStream(model, "CCC");
  ASSERT_TRUE(aaa && bbb && ccc);
  EXPECT_EQ(aaa->m_lstMembers, (std::vector<std::int32_t>{1, 2}));
  EXPECT_EQ(aaa->m_bDummyFlag, 1);
  EXPECT_EQ(aaa->m_strDescription, "A");

  // The blend keeps the components outside the group and gets one recipe of the group's.
  const CDbBlendQuantity probe(20, 1);
  const CDbBlendQuantity* urg = a.m_paRwBlendQuantities.Find(&probe);
  ASSERT_NE(urg, nullptr);
  std::vector<std::pair<std::int32_t, double>> recipes;
  for (const CDbBlendRecipe* r : urg->m_paRecipes) recipes.emplace_back(r->m_nID, r->m_dVolActivity);
  EXPECT_EQ(recipes, (std::vector<std::pair<std::int32_t, double>>{{3, 4.0}, {6, 0.5}, {aaa->m_nID, 3.0}}));

  // A unit's member rows become one row: summed when their feed flags agree, else the later ones subtracted.
  std::vector<std::tuple<std::int32_t, std::int32_t, double, int>> rows;
  for (const CDbUnitOp* r : a.m_paRwUnitOps) rows.emplace_back(r->m_nID, r->m_nItemID, r->m_dActivity, r->m_bMixedFeed);
  EXPECT_EQ(rows, (std::vector<std::tuple<std::int32_t, std::int32_t, double, int>>{
                      {0, bbb->m_nID, 5.0, 1}, {1, ccc->m_nID, 3.5, 0}}));
}

TEST_F(ReportWriterGroupsTest, AMemberOfTwoGroupsGoesToTheFirstAndGroupIdentifiersOnlyGrow) {
  Main().m_settings.m_ModelType.SetValue(0);
  WriteTables({{"RWGRPBLN", {"ONE1", "TWO2"}, {"B1", "B2"}, {"One", "Two"}, {1, kBlank, 1, 1}},
               {"RWGRPUNT", {"UG1", "UG2"}, {"U1", "U2"}, {"Ug one", "Ug two"}, {1, kBlank, 1, 1}}});
  MakePeriods({"A"}, false);
  g_nNextRwID = -1;
  std::vector<std::int32_t> firstGroupIds;
  // Three models in turn (as the models of one case): stream counts and report orders differ.
  for (const auto& [name, id, streams] : {std::tuple{"M1", 1, 3}, {"M2", 2, 2}, {"M3", 3, 14}}) {
    CDbModel& model = AddModel(name, id);
    for (int s = 0; s < streams; ++s) {
      CDbStream& stream = AddStream(model, "S" + std::to_string(s), 100 + s);
      stream.m_nReportOrder = id == 1 ? s + 1 : 0;
    }
    AddStream(model, "B1", 10).m_nReportOrder = 0;
    AddStream(model, "B2", 11).m_nReportOrder = 0;
    AddBlend(model, "B1", 10);
    AddBlend(model, "B2", 11);
    AddUnit(model, "U1", 0, 10);
    AddUnit(model, "U2", 1, 11);
    ASSERT_TRUE(FillReportWriterGroups(m_export, &Main(), m_case, &model));
    const CDbRwStream* one = FindRwStream(model, "ONE");
    const CDbRwStream* two = FindRwStream(model, "TWO");
    ASSERT_TRUE(one && two) << name;
    EXPECT_EQ(one->m_lstMembers, (std::vector<std::int32_t>{10})) << name;
    EXPECT_EQ(two->m_lstMembers, (std::vector<std::int32_t>{11})) << name;
    firstGroupIds.push_back(one->m_nID);
    std::vector<std::pair<std::string, std::vector<std::int32_t>>> unitGroups;
    for (const CDbRwUnit* unit : model.m_paRwUnits)
      if (unit->m_strName.rfind("UG", 0) == 0) unitGroups.emplace_back(unit->m_strName, unit->m_aMembers);
    EXPECT_EQ(unitGroups, (std::vector<std::pair<std::string, std::vector<std::int32_t>>>{{"UG1", {0}}, {"UG2", {1}}}))
        << name;
  }
  // M1: report orders up to 3 and 5 streams give 6; M2 follows the two groups of M1; M3's 16 streams push it to 17.
  EXPECT_EQ(firstGroupIds, (std::vector<std::int32_t>{6, 9, 17}));
}

TEST_F(ReportWriterGroupsTest, EveryGroupGetsAFactorInEveryPeriodAndOneWithoutMemberFactors) {
  Main().m_settings.m_ModelType.SetValue(1);
  WriteTables({{"RWGRPBLN", {"ONE", "TWO", "THR"}, {"B1", "B2", "B3", "B4", "B5"}, {},
                {1, 1, kBlank, kBlank, kBlank, kBlank, kBlank, 1, 1, kBlank, kBlank, kBlank, kBlank, kBlank, 1}}});
  MakePeriods({"A", "B"}, true);
  CDbModel& model = AddModel("M", 1);
  for (int id = 1; id <= 5; ++id) {
    AddStream(model, "B" + std::to_string(id), id);
    AddBlend(model, "B" + std::to_string(id), id);
  }
  const double factors[2][4] = {{0.7, 0.9, 0.5, 0.7}, {0.6, 1.0, 0.6, 0.8}};
  for (int p = 0; p < 2; ++p)
    for (int member = 1; member <= 4; ++member) AddVtw(Period(p == 0 ? "A" : "B"), member, 1, factors[p][member - 1]);

  ASSERT_TRUE(FillReportWriterGroups(m_export, &Main(), m_case, &model));
  // Every group is handled, however many member factors were found before it; B5 has none, so THR gets 1.0.
  const std::pair<const char*, double> expected[2][3] = {{{"ONE", 0.8}, {"TWO", 0.6}, {"THR", 1.0}},
                                                         {{"ONE", 0.8}, {"TWO", 0.7}, {"THR", 1.0}}};
  for (int p = 0; p < 2; ++p) {
    const CDbPeriod& period = Period(p == 0 ? "A" : "B");
    for (const auto& [tag, value] : expected[p]) {
      const CDbVTW probe(FindRwStream(model, tag)->m_nID, 1);
      const CDbVTW* factor = period.m_paRwVTWs.Find(&probe);
      ASSERT_NE(factor, nullptr) << tag << " " << p;
      EXPECT_NEAR(factor->m_dValue, value, 1e-12) << tag << " " << p;
    }
    EXPECT_EQ(period.m_paRwVTWs.GetSize(), 3) << "the members' own factors leave the list";
  }
}

}  // namespace
