#include <gtest/gtest.h>

#include "solutionfill/core/testing/fill_case_fixture.h"
#include "solutionfill/economics/group_fill.h"

namespace {

using fill_testing::kBlank;
using fill_testing::Table;

class GlobalObjects : public fill_testing::FillCaseFixture {
 protected:
  // The dummy node 0, local models 1 and 2 and the global model 3, with the dummy mode and market.
  void MakeGlobalCase() {
    MakePeriods({"A"}, false);
    AddNode(".", 0, true);
    m_local1 = &AddModel("1", 1);
    m_local2 = &AddModel("2", 2);
    m_global = &AddModel("G", 3);
    auto mode = std::make_unique<CDbMode>(".", &m_export);
    mode->m_nID = 0;
    mode->m_bDummyFlag = 1;
    m_case->m_paModes.Add(std::move(mode));
    auto market = std::make_unique<CDbMarket>(".", &m_export);
    market->m_nID = 0;
    m_case->m_paMarkets.Add(std::move(market));
  }
  static std::vector<std::pair<int, const CDbStream*>> Lookups(const CDbStream& stream) {
    std::vector<std::pair<int, const CDbStream*>> lookups;
    for (const CDbStreamLookup* l : stream.m_paLookups) lookups.emplace_back(l->m_nModelID, l->m_pStream);
    return lookups;
  }
  CDbModel* m_local1 = nullptr;
  CDbModel* m_local2 = nullptr;
  CDbModel* m_global = nullptr;
};

TEST_F(GlobalObjects, ModesMarketsDepotsAndReportFlags) {
  WriteTables({
      Table{"MODELS", {"1", "2", "X"}, {"REPORT"}, {}, {0, kBlank, 0}},
      Table{"MODES", {"RAIL", "PIPE"}, {"C"}, {"By rail", "By pipe"}, {kBlank, kBlank}},
      Table{"MARKETS", {"E"}, {"C"}, {}, {kBlank}},
      Table{"DEPOTS", {"D1", "D2"}, {"C"}, {"First depot", "Second depot"}, {kBlank, kBlank}},
  });
  MakeGlobalCase();
  m_solution->m_nVolumeBasis = 1;
  EXPECT_TRUE(m_solution->FillModelsModesMarketsDepots(&Main(), m_case, m_global));

  EXPECT_EQ(m_local1->m_nReportFlag, 0);
  EXPECT_EQ(m_local2->m_nReportFlag, 1);

  ASSERT_EQ(m_case->m_paModes.GetSize(), 3);
  EXPECT_EQ(m_case->m_paModes.GetAt(0)->m_strName, ".");
  EXPECT_EQ(m_case->m_paModes.GetAt(1)->m_strName, "PIPE");
  EXPECT_EQ(m_case->m_paModes.GetAt(1)->m_nID, 2);
  EXPECT_EQ(m_case->m_paModes.GetAt(1)->m_strDescription, "By pipe");
  EXPECT_EQ(m_case->m_paModes.GetAt(2)->m_nID, 1);
  ASSERT_EQ(m_case->m_paMarkets.GetSize(), 2);
  EXPECT_EQ(m_case->m_paMarkets.GetAt(1)->m_nID, 1);
  EXPECT_EQ(m_case->m_paMarkets.GetAt(1)->m_strTag, "E");

  const CDbNode* d1 = fill::FindCaseNode(*m_case, "D1");
  const CDbNode* d2 = fill::FindCaseNode(*m_case, "D2");
  ASSERT_TRUE(d1 && d2);
  EXPECT_EQ(d1->m_nID, 4);
  EXPECT_EQ(d2->m_nID, 5);
  EXPECT_EQ(d2->m_nVWBasisID, 1);
  EXPECT_TRUE(d1->m_paModels.IsEmpty());
  ASSERT_EQ(d2->m_paDepots.GetSize(), 1);
  EXPECT_EQ(d2->m_paDepots.GetAt(0)->m_nID, 5);
  EXPECT_EQ(d2->m_paDepots.GetAt(0)->m_strDescription, "Second depot");
}

TEST_F(GlobalObjects, GlobalStreamLookupsFromLocTagsAndSameNames) {
  WriteTables({Table{"LOCTAGS", {"LLL1", "BBB2"}, {"C"}, {"GGG", "ZZZ"}, {kBlank, kBlank}}});
  MakeGlobalCase();
  CDbStream& l1 = AddStream(*m_local1, "LLL", 1);
  CDbStream& l2 = AddStream(*m_local2, "GGG", 1);
  AddStream(*m_local2, "BBB", 2);
  CDbStream& g = AddStream(*m_global, "GGG", 1);
  g.m_nReportOrder = 17;
  CDbStream& b = AddStream(*m_global, "BBB", 2);
  CDbStream& dummy = AddStream(*m_global, "...", 0);
  dummy.m_bDummyFlag = 1;
  m_global->BuildNodeModelStreams(&Main(), m_case);
  EXPECT_EQ(Lookups(g), (std::vector<std::pair<int, const CDbStream*>>{{1, &l1}, {2, &l2}, {3, &g}}));
  EXPECT_EQ(l1.m_nGlobalReportOrder, 17);
  EXPECT_EQ(l2.m_nGlobalReportOrder, 17);
  // Local BBB of plant 2 is tied by its LOCTAGS row (whose text names no stream).
  EXPECT_EQ(Lookups(b), (std::vector<std::pair<int, const CDbStream*>>{{3, &b}}));
  EXPECT_TRUE(dummy.m_paLookups.IsEmpty());
}

TEST_F(GlobalObjects, MarketAndPlantGroupsAndDepotDescriptions) {
  WriteTables({
      Table{"MARKETS", {"E"}, {"C"}, {}, {kBlank}},
      Table{"DEPOTS", {"D1", "D2", "D3"}, {"C"}, {}, {kBlank, kBlank, kBlank}},
      Table{"MARKTGRP", {"MG"}, {"GGGE", "GGGQ"}, {"Market group"}, {1, 1}},
      Table{"PLANTGRP", {"PG"}, {"GGG1", "GGG9"}, {}, {1, 1}},
  });
  MakeGlobalCase();
  CDbStream& l1 = AddStream(*m_local1, "GGG", 4);
  CDbStream& l2 = AddStream(*m_local2, "GGG", 5);
  CDbStream& g = AddStream(*m_global, "GGG", 1);
  g.m_strDescription = "Gasoline";
  EXPECT_TRUE(m_solution->FillModelsModesMarketsDepots(&Main(), m_case, m_global));
  EXPECT_EQ(m_solution->m_bHasMarketGroups, 1);
  EXPECT_EQ(m_solution->m_bHasPlantGroups, 1);

  const CDbGroup* market = fill::FindModelGroup(*m_global, "MG");
  ASSERT_NE(market, nullptr);
  EXPECT_EQ(market->m_bDemandMarket, 1);
  EXPECT_EQ(market->m_strDescription, "Market group");
  const CDbGroupPeriod* entry = fill::FindGroupPeriod(Period("A"), market->m_nID, 3);
  ASSERT_NE(entry, nullptr);
  std::vector<std::pair<int, int>> members;
  for (const CDbGroupMember* m : entry->m_paMembers) {
    members.emplace_back(m->m_nID, m->m_nNodeID);
    EXPECT_EQ(m->m_nMarketID, 1);
  }
  EXPECT_EQ(members, (std::vector<std::pair<int, int>>{{4, 1}, {5, 2}, {1, 4}, {1, 5}, {1, 6}}));
  (void)l1;
  (void)l2;

  const CDbGroup* plant = fill::FindModelGroup(*m_global, "PG");
  ASSERT_NE(plant, nullptr);
  EXPECT_EQ(plant->m_bDemandPlant, 1);
  const CDbGroupPeriod* plantEntry = fill::FindGroupPeriod(Period("A"), plant->m_nID, 3);
  ASSERT_NE(plantEntry, nullptr);
  ASSERT_EQ(plantEntry->m_paMembers.GetSize(), 1);
  EXPECT_EQ(plantEntry->m_paMembers.GetAt(0)->m_nID, 4);
  EXPECT_EQ(plantEntry->m_paMembers.GetAt(0)->m_nNodeID, 1);

  CDbNode* depotNode = fill::FindCaseNode(*m_case, "D1");
  auto kept = std::make_unique<CDbStream>(9, &m_export);
  kept->m_strName = "XXX";
  kept->m_strDescription = "Own";
  auto taken = std::make_unique<CDbStream>(1, &m_export);
  taken->m_strName = "GGG";
  CDbStream& takenRef = *taken;
  depotNode->m_paDepots.GetAt(0)->m_paStreams.Add(std::move(kept));
  depotNode->m_paDepots.GetAt(0)->m_paStreams.Add(std::move(taken));
  m_solution->SetStreamDescriptionsForDepots(m_case, m_global);
  EXPECT_EQ(takenRef.m_strDescription, "Gasoline");
  EXPECT_EQ(depotNode->m_paDepots.GetAt(0)->m_paStreams.GetAt(0)->m_strDescription, "Own");
}

}  // namespace
