#include <gtest/gtest.h>

#include "solutionfill/core/testing/fill_case_fixture.h"
#include "solutionfill/economics/group_fill.h"

namespace {

using fill_testing::kBlank;
using fill_testing::Table;

class GroupBuilders : public fill_testing::FillCaseFixture {
 protected:
  const CDbGroup& Group(const CDbModel& model, const std::string& name) {
    const CDbGroup* group = fill::FindModelGroup(model, name);
    if (!group) throw std::runtime_error("no group " + name);
    return *group;
  }
  // (member id, member node, member period) of a group's membership in a period.
  std::vector<std::tuple<int, int, int>> Members(const std::string& period, const CDbGroup& group, int modelId) {
    std::vector<std::tuple<int, int, int>> members;
    const CDbGroupPeriod* entry = fill::FindGroupPeriod(Period(period), group.m_nID, modelId);
    if (!entry) return members;
    for (const CDbGroupMember* m : entry->m_paMembers) members.emplace_back(m->m_nID, m->m_nNodeID, m->m_nMemberPeriodID);
    return members;
  }
  using M = std::vector<std::tuple<int, int, int>>;
};

TEST_F(GroupBuilders, GroupsOfALocalModelWithNumbersMembersPricesAndReportGroups) {
  WriteTables({
      Table{"GROUPS", {"G1", "G2", "G3"}, {"GROUP", "AAA", "UT1"}, {"First group", "Second", "Third"},
            {5, 1, kBlank, kBlank, kBlank, 1, 3, kBlank, kBlank}},
      Table{"BUY", {"AAA", "BBB", "CCC"}, {"GROUP", "IPRICE"}, {}, {5, 2.5, 3, kBlank, 9, 1}},
      Table{"SELL", {"BBB"}, {"ICOST"}, {}, {2.5}},
  });
  MakePeriods({"A"}, false);
  CDbModel& model = AddModel("N", 2);
  AddStream(model, "AAA", 1, 1 | 8);
  AddStream(model, "BBB", 2, 1);
  auto utility = std::make_unique<CDbDefinition>(1, &m_export);
  utility->m_strName = "UT1";
  CDbDefinition* ut1 = utility.get();
  model.m_paUtilities.Add(std::move(utility));

  m_solution->BuildGroups(&Main(), m_case, &model, false);
  EXPECT_EQ(m_solution->m_bHasReportGroups, 1);
  ASSERT_EQ(model.m_paGroups.GetSize(), 9);
  const CDbGroup& g1 = Group(model, "G1");
  EXPECT_EQ(g1.m_nGroupNumber, 5);
  EXPECT_EQ(g1.m_strDescription, "First group");
  EXPECT_EQ(Group(model, "G2").m_nGroupNumber, 6);
  EXPECT_EQ(Group(model, "G3").m_nGroupNumber, 3);
  // AAA from the GROUPS cell and again through its BUY group number: once.
  EXPECT_EQ(Members("A", g1, 2), (M{{1, 2, 1}}));
  // The definition member of G2.
  ASSERT_EQ(Group(model, "G2").m_paMembers.GetSize(), 1);
  EXPECT_EQ(Group(model, "G2").m_paMembers.GetAt(0), ut1);
  // BBB's BUY number 3 names G3.
  EXPECT_EQ(Members("A", Group(model, "G3"), 2), (M{{2, 2, 1}}));
  EXPECT_FLOAT_EQ(model.m_paStreams.Find(CDbStream("AAA"))->m_fBuyIPrice, -2.5f);
  EXPECT_FLOAT_EQ(model.m_paStreams.Find(CDbStream("BBB"))->m_fSellICost, 2.5f);
  EXPECT_EQ(model.m_paStreams.Find(CDbStream("BBB"))->m_fBuyIPrice, 0.0f);

  // Report groups count on from the highest number; an empty one still has its group-period.
  const CDbGroup& purchased = Group(model, "#PURC");
  EXPECT_EQ(purchased.m_nID, 4);
  EXPECT_EQ(purchased.m_nGroupNumber, 7);
  EXPECT_EQ(Members("A", purchased, 2), (M{{1, 2, 1}, {2, 2, 1}}));
  EXPECT_EQ(Members("A", Group(model, "#CRUD"), 2), (M{{1, 2, 1}}));
  const CDbGroup& inventoried = Group(model, "#INVT");
  EXPECT_EQ(inventoried.m_nGroupNumber, 12);
  EXPECT_NE(fill::FindGroupPeriod(Period("A"), inventoried.m_nID, 2), nullptr);
  EXPECT_TRUE(Members("A", inventoried, 2).empty());
  EXPECT_EQ(m_solution->m_nLastGroupNumber, 12);
  EXPECT_EQ(model.m_paGroups.GetAt(0)->m_strName, "#BLND");  // sorted by name at the end
}

TEST_F(GroupBuilders, WithoutGroupsTableALocalModelStillGetsItsReportGroups) {
  WriteTables({});
  MakePeriods({"1", "2"}, true);
  CDbModel& model = AddModel("N", 1);
  m_solution->BuildGroups(&Main(), m_case, &model, false);
  EXPECT_EQ(m_solution->m_bHasReportGroups, 0);
  ASSERT_EQ(model.m_paGroups.GetSize(), 6);
  for (const CDbGroup* group : model.m_paGroups) {
    EXPECT_GE(group->m_nID, 1);
    EXPECT_LE(group->m_nID, 6);
    EXPECT_EQ(group->m_nGroupNumber, group->m_nID);
    EXPECT_EQ(fill::FindGroupPeriod(Period("."), group->m_nID, 1), nullptr);  // real periods only
    EXPECT_NE(fill::FindGroupPeriod(Period("2"), group->m_nID, 1), nullptr);
  }
}

TEST_F(GroupBuilders, GlobalGroupsAreCopiedIntoTheLocalModels) {
  WriteTables({Table{"GROUPS", {"GRP"}, {"AAA"}, {}, {1}}});
  MakePeriods({"A"}, false);
  AddNode(".", 0, true);
  CDbModel& local1 = AddModel("1", 1);
  CDbModel& local2 = AddModel("2", 2);
  CDbModel& global = AddModel("G", 3);
  AddStream(local1, "AAA", 11);
  auto existing = std::make_unique<CDbGroup>(1, &m_export);
  existing->m_strName = "GRP";
  existing->m_nGroupNumber = 42;
  local2.m_paGroups.Add(std::move(existing));
  AddStream(global, "AAA", 1);
  AddStream(global, "GRP", 2);  // a global stream named like the group disappears
  auto vtw = std::make_unique<CDbVTW>(2, 3);
  Period("A").m_paVTWs.Add(std::move(vtw));

  m_solution->BuildGroups(&Main(), m_case, &global, true);
  EXPECT_EQ(global.m_paStreams.Find(CDbStream("GRP")), nullptr);
  EXPECT_TRUE(Period("A").m_paVTWs.IsEmpty());
  const CDbGroup& copy = Group(local1, "GRP");
  EXPECT_EQ(copy.m_nGroupNumber, 101);
  EXPECT_EQ(Members("A", copy, 1), (M{{11, 1, 1}}));
  EXPECT_EQ(Group(local2, "GRP").m_nGroupNumber, 42);  // left as it was
  EXPECT_EQ(Members("A", Group(global, "GRP"), 3), (M{{1, 3, 1}}));
  EXPECT_EQ(global.m_paGroups.GetSize(), 1);  // no report groups in a global model
}

TEST_F(GroupBuilders, PeriodSpanningBlendMixGroupStandsInTheDummyPeriod) {
  Main().m_settings.m_ModelType.SetValue(1);
  WriteTables({
      Table{"PBLNPER", {"MIX", "NOP"}, {"1", "2", "3"}, {}, {1, kBlank, 1, kBlank, kBlank, kBlank}},
      Table{"PBLNMIX", {"AAA", "ZZZ"}, {"MIX", "NOP"}, {}, {1, 1, 1, 1}},
  });
  MakePeriods({"1", "2", "3"}, true);
  CDbModel& model = AddModel("N", 1);
  AddStream(model, "AAA", 5);
  m_solution->BuildGroups(&Main(), m_case, &model, false);
  const CDbGroup& mix = Group(model, "MIX");
  EXPECT_EQ(mix.m_bPeriodSpanning, 1);
  EXPECT_EQ(mix.m_nID, 7);
  EXPECT_EQ(mix.m_nGroupNumber, 7);
  EXPECT_EQ(Members(".", mix, 1), (M{{5, 1, 1}, {5, 1, 3}}));
  EXPECT_EQ(fill::FindModelGroup(model, "NOP"), nullptr);  // no period marked
}

// A plant-period-spanning group takes a period when a set GBLNPER cell's column begins with the period's
// whole name: period 1 is taken by column 1X, period 17 is not (its first character alone is no match).
TEST_F(GroupBuilders, PlantPeriodSpanningGroupTakesThePeriodsItsColumnsName) {
  Main().m_settings.m_ModelType.SetValue(3);
  WriteTables({
      Table{"GBLNMIX", {"AAAP"}, {"GMX"}, {}, {1}},
      Table{"GBLNPER", {"GMX"}, {"1X", "2X"}, {}, {1, kBlank}},
  });
  MakePeriods({"1", "17", "2"}, true);
  AddNode(".", 0, true);
  CDbModel& plant = AddModel("P", 1);
  AddStream(plant, "AAA", 5);
  CDbModel& global = AddModel("G", 3);
  m_solution->BuildGroups(&Main(), m_case, &global, true);
  const CDbGroup& mix = Group(global, "GMX");
  EXPECT_EQ(mix.m_bPlantPeriodSpanning, 1);
  EXPECT_EQ(Members(".", mix, 3), (M{{5, 1, Period("1").m_nID}}));
}

}  // namespace
