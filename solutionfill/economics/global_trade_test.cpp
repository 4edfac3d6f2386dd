// Purchases, sales and local costs of a global case: one global model (node
// "", id 3) with a plant "1" (id 1), in a two-period case.

#include <gtest/gtest.h>

#include <map>
#include <tuple>
#include <vector>

#include "caseset/config/local_model.h"
#include "solutionfill/economics/testing/economics_fixture.h"

namespace {

using econ_testing::kBlank;
using econ_testing::Table;

class GlobalTrade : public econ_testing::EconomicsFixture {
 protected:
  void MakeCase() {
    MakePeriods({"A", "B"}, true);
    Period("A").m_dDays = 10;
    Period("B").m_dDays = 0;  // divides by 1
    AddNode(".", 0, true);
    m_plant = &AddModel("1", 1);
    m_global = &AddModel("", 3);
    m_gas = &AddStream(*m_global, "GAS", 11);
    m_plantGas = &AddStream(*m_plant, "GAS", 21);
    m_gas->m_paLookups.Add(std::make_unique<CDbStreamLookup>(1, m_plantGas));
    m_gas->m_paLookups.Add(std::make_unique<CDbStreamLookup>(3, m_gas));
    for (const char* name : {".", "E"}) {
      auto market = std::make_unique<CDbMarket>(name, &m_export);
      market->m_nID = name[0] == '.' ? 0 : 1;
      m_case->m_paMarkets.Add(std::move(market));
    }
    m_case->m_paMarkets.Sort(&CDbObject::CompareDbObjectName);
  }
  template <class T>
  static std::vector<T*> All(const CAutoDestructArray<CPtrArray, T*>& list) {
    return std::vector<T*>(list.begin(), list.end());
  }

  CDbModel* m_plant = nullptr;
  CDbModel* m_global = nullptr;
  CDbStream* m_gas = nullptr;
  CDbStream* m_plantGas = nullptr;
};

TEST_F(GlobalTrade, PurchasesOfGlobalModelAndPlantsWithSupplyPenalty) {
  WriteTables({
      // Both VOL and WGT: weight basis.
      Table{"GSUPPLY", {"GAS", "GRP"}, {"VOL", "WGT"}, {"Gasoline", "Group"}, {1, 1, kBlank, kBlank}},
      Table{"SUPPLY", {"GAS1", "GASZ", "GA"}, {"VOL", "IPRICE"}, {}, {1, 2, 1, 2, 1, 2}},
  });
  MakeCase();
  auto group = std::make_unique<CDbGroup>(40, &m_export);
  group->m_strName = "GRP";
  m_global->m_paGroups.Add(std::move(group));
  CDbPrimalPeriod& a = PrimalPeriod("", "A");
  Column(a, "PURCGAS", 5, 100, 1, 50, 20);
  Column(PrimalPeriod("", "B"), "PURCGAS", 2, 7, 0, kBlank, 3);
  Column(PrimalPeriod(".", "A"), "ASUPGRP", 0, 0, 2, 9, 40);
  CDbPrimalPeriod& plantA = PrimalPeriod("1", "A");
  Column(plantA, "PURCGAS", 4, 30);
  Column(plantA, "IPRCGAS", 5, 8);
  Column(PrimalPeriod("1", "B"), "PURCGAS", 1, 6);
  Column(PrimalPeriod("1", "B"), "IPRCGAS", 0, 8);  // no activity: no penalty
  Period("A").m_paVTWs.Add(std::make_unique<CDbVTW>(21, 1));
  Period("A").m_paVTWs[0]->m_dValue = 0.8;

  m_solution->BuildGlobalPurchase(&Main(), m_case, m_global);

  EXPECT_EQ(m_gas->m_strDescription, "Gasoline");
  auto purchasesA = All(Period("A").m_paPurchases);
  ASSERT_EQ(purchasesA.size(), 2u);
  const CDbTransaction& global = *purchasesA[0];
  EXPECT_EQ(global.m_nID, 11);
  EXPECT_EQ(global.m_nNodeID, 3);
  EXPECT_DOUBLE_EQ(global.m_dCost, -10.0);
  EXPECT_DOUBLE_EQ(global.m_dMarginalValue, 2.0);
  EXPECT_EQ(global.m_dMinValue, 1.0);
  EXPECT_EQ(global.m_dMaxValue, 50.0);
  EXPECT_EQ(global.m_nVWBasisID, 0);
  EXPECT_EQ(global.m_nReportOrder, 0);
  // The plant's volume purchase takes the weight-based global cost times its VTW.
  const CDbTransaction& plant = *purchasesA[1];
  EXPECT_EQ(plant.m_nID, 21);
  EXPECT_EQ(plant.m_nNodeID, 1);
  EXPECT_EQ(plant.m_nVWBasisID, 1);
  EXPECT_DOUBLE_EQ(plant.m_dCost, -3.0 - 8.0);
  // Period B has no days: nothing is divided; no VTW entry means factor 1.
  auto purchasesB = All(Period("B").m_paPurchases);
  ASSERT_EQ(purchasesB.size(), 2u);
  EXPECT_DOUBLE_EQ(purchasesB[0]->m_dCost, -7.0);
  EXPECT_DOUBLE_EQ(purchasesB[0]->m_dMarginalValue, 3.0);
  EXPECT_DOUBLE_EQ(purchasesB[1]->m_dCost, -6.0 - 7.0);

  ASSERT_EQ(Period("A").m_paPenalties.GetSize(), 1);
  const CDbPenalty& penalty = *Period("A").m_paPenalties[0];
  EXPECT_EQ(penalty.m_nID, 1);
  EXPECT_EQ(penalty.m_nNodeID, 1);
  EXPECT_DOUBLE_EQ(penalty.m_dActivity, 10.0);
  EXPECT_EQ(penalty.m_strTag1, "SUPPLY from Plant 1");
  EXPECT_DOUBLE_EQ(Period("A").m_dPenaltyTotal, 10.0);
  EXPECT_TRUE(Period("B").m_paPenalties.IsEmpty());
  auto sales = All(Period("A").m_paSales);
  ASSERT_EQ(sales.size(), 2u);
  EXPECT_EQ(std::make_tuple(sales[0]->m_nID, sales[0]->m_nNodeID, sales[0]->m_nMarketID), std::make_tuple(21, 1, 1));
  EXPECT_EQ(std::make_tuple(sales[1]->m_nID, sales[1]->m_nNodeID, sales[1]->m_nMarketID), std::make_tuple(11, 3, 1));
  EXPECT_DOUBLE_EQ(sales[0]->m_dPrice, 0.8);

  // The group row takes its column from the primal node ".".
  ASSERT_EQ(Period("A").m_paGroupPurchases.GetSize(), 1);
  const CDbGroupTransaction& groupPurchase = *Period("A").m_paGroupPurchases[0];
  EXPECT_EQ(groupPurchase.m_nID, 40);
  EXPECT_EQ(groupPurchase.m_dMaxValue, 9.0);
  EXPECT_DOUBLE_EQ(groupPurchase.m_dMarginalValue, 4.0);
}

TEST_F(GlobalTrade, UndividedCostsUnderZelunButMarginalsStillPerDay) {
  WriteZelunTables({Table{"GSUPPLY", {"GAS"}, {"VOL"}, {}, {kBlank}}});
  MakeCase();
  m_solution->m_nVolumeBasis = 1;
  Column(PrimalPeriod("", "A"), "PURCGAS", 5, 100, 0, kBlank, 20);
  m_solution->BuildGlobalPurchase(&Main(), m_case, m_global);
  ASSERT_EQ(Period("A").m_paPurchases.GetSize(), 1);
  EXPECT_DOUBLE_EQ(Period("A").m_paPurchases[0]->m_dCost, -100.0);
  EXPECT_DOUBLE_EQ(Period("A").m_paPurchases[0]->m_dMarginalValue, 2.0);
  EXPECT_EQ(Period("A").m_paPurchases[0]->m_nVWBasisID, 1);  // blank cells keep VOLBASIS
}

TEST_F(GlobalTrade, SalesToMarketsWithPricesAllocationCarryAndDemandPenalty) {
  WriteTables({
      Table{"DEMAND", {"GASE", "GASQ", "OILE"}, {"ICOST", "VPRICE"}, {}, {2, 50, 2, 50, kBlank, kBlank}},
      Table{"DEMALLOC", {"...E1", "GASE1"}, {"COST"}, {}, {5, 9}},
  });
  MakeCase();
  CDbStream& oil = AddStream(*m_global, "OIL", 12);
  CDbStream& plantOil = AddStream(*m_plant, "OIL", 22);
  oil.m_paLookups.Add(std::make_unique<CDbStreamLookup>(1, &plantOil));
  CDbPrimalPeriod& mainA = PrimalPeriod("", "A");
  Column(mainA, "SELGASE", 3, 40);
  Column(mainA, "SELOILE", 1, 30);
  Column(mainA, "ICSTGAS", 9).m_strShortName = "ICSTGASX";
  Column(mainA, "ICSTGAS", 2).m_strShortName = "ICSTGASE";
  CDbPrimalPeriod& plantA = PrimalPeriod("1", "A");
  Column(plantA, "SELGASE", 6, 20);
  Column(plantA, "SELOILE", 4, 20);

  m_solution->BuildGlobalSale(&Main(), m_case, m_global);

  std::map<std::pair<int, int>, const CDbSale*> sales;
  for (const CDbSale* s : Period("A").m_paSales) {
    EXPECT_EQ(s->m_nMarketID, 1);
    sales[{s->m_nID, s->m_nNodeID}] = s;
  }
  ASSERT_EQ(sales.size(), 4u);
  auto sale = [&](int stream, int node) { return sales.at({stream, node}); };
  EXPECT_EQ(sale(11, 3)->m_dPrice, 0.0);  // the main node's priced sale
  EXPECT_EQ(sale(11, 3)->m_dVPRICE, 50.0);
  EXPECT_DOUBLE_EQ(sale(21, 1)->m_dPrice, 45.0);  // the "..." allocation row wins
  EXPECT_EQ(sale(21, 1)->m_dVPRICE, 50.0);
  // Unpriced: LP cost per day, plus the main node's price of the same period position.
  EXPECT_DOUBLE_EQ(sale(12, 3)->m_dPrice, 3.0);
  EXPECT_DOUBLE_EQ(sale(22, 1)->m_dPrice, 2.0 + 3.0);
  EXPECT_EQ(sale(22, 1)->m_dVPRICE, kBlank);

  // The main node's penalty comes from the ICST column whose full name ends in the market.
  ASSERT_EQ(Period("A").m_paPenalties.GetSize(), 1);
  EXPECT_DOUBLE_EQ(Period("A").m_paPenalties[0]->m_dActivity, 4.0);
  EXPECT_EQ(Period("A").m_paPenalties[0]->m_strTag1, "DEMAND from Market E");
  ASSERT_EQ(Period("A").m_paPurchases.GetSize(), 1);
  EXPECT_EQ(Period("A").m_paPurchases[0]->m_nID, 11);
  EXPECT_EQ(Period("A").m_paPurchases[0]->m_nNodeID, 3);
}

// The demand price is a price per volume: a plant's sale on volume basis keeps it (less the allocation cost),
// one on weight basis takes it per unit of weight through the plant's VTW.
TEST_F(GlobalTrade, DemandPriceIsDividedByTheVtwOnlyOnWeightBasis) {
  WriteTables({
      Table{"DEMAND", {"GASE", "OILE"}, {"VOL", "WGT", "VPRICE"}, {}, {1, kBlank, 50, kBlank, 1, 40}},
      Table{"DEMALLOC", {"GASE1", "OILE1"}, {"COST"}, {}, {2, 4}},
  });
  MakeCase();
  CDbStream& oil = AddStream(*m_global, "OIL", 12);
  CDbStream& plantOil = AddStream(*m_plant, "OIL", 22);
  oil.m_paLookups.Add(std::make_unique<CDbStreamLookup>(1, &plantOil));
  for (const int stream : {21, 22}) {
    Period("A").m_paVTWs.Add(std::make_unique<CDbVTW>(stream, 1));
    Period("A").m_paVTWs[Period("A").m_paVTWs.GetSize() - 1]->m_dValue = 0.8;
  }
  CDbPrimalPeriod& plantA = PrimalPeriod("1", "A");
  Column(plantA, "SELGASE", 6, 480);
  Column(plantA, "SELOILE", 4, 360);

  m_solution->BuildGlobalSale(&Main(), m_case, m_global);

  std::map<int, const CDbSale*> sales;
  for (const CDbSale* s : Period("A").m_paSales) sales[s->m_nID] = s;
  ASSERT_EQ(sales.size(), 2u);
  EXPECT_DOUBLE_EQ(sales.at(21)->m_dPrice, 48.0);
  EXPECT_EQ(sales.at(21)->m_nVWBasisID, 1);
  EXPECT_DOUBLE_EQ(sales.at(22)->m_dPrice, 36.0 / 0.8);
  EXPECT_EQ(sales.at(22)->m_nVWBasisID, 0);
  EXPECT_EQ(sales.at(22)->m_dVPRICE, 40.0);
}

TEST_F(GlobalTrade, DemandAllocationTakesFirstMatchingRowAndPeriodColumn) {
  WriteTables({Table{"DEMALLOC", {"GGG", "GASE2", "...E2", "OILE2"}, {"COST", "COSTB"}, {},
                     {1, 1, 3, 4, 7, 8, 6, kBlank}}});
  MakeCase();
  struct {
    const char* period;
    const char* tag;
    float expected;
  } cases[] = {{"A", "GAS", 3}, {"B", "GAS", 4}, {".", "GAS", 3}, {"A", "OIL", 7}, {"B", "XYZ", 8}};
  for (const auto& c : cases)
    EXPECT_EQ(m_solution->FillDemandAllocation(&Main(), c.period, c.tag, "E", "2"), c.expected)
        << c.period << " " << c.tag;
  EXPECT_EQ(m_solution->FillDemandAllocation(&Main(), "A", "GAS", "E", "9"), 0.0f);
}

TEST_F(GlobalTrade, ReportGroupsAndLocalCostsOfThePlants) {
  WriteTables({
      Table{"BUY", {"GAS", "XYZ"}, {"GROUP", "COST", "COSTB"}, {}, {3.7, 2.5, 3.0, 5, 1, 1}},
      Table{"SELL", {"GAS"}, {"GROUP", "PRICE"}, {}, {4, 7}},
  });
  MakeCase();
  m_export.m_paLocalModelFiles = std::make_unique<CVornModelFileArray>();
  auto local = std::make_unique<CVornModelFile>();
  local->m_strModelName = "M";
  local->m_strModelDir = Main().m_strModelDir;
  m_export.m_paLocalModelFiles->Add(std::move(local));
  m_export.m_paLocalModels = std::make_unique<CLocalModelArray>();
  auto code = std::make_unique<CLocalModel>();
  code->m_strCodeString = "1";
  m_export.m_paLocalModels->Add(std::move(code));
  for (const char* name : {"A", "B", "."}) {
    Period(name).m_paPurchases.Add(std::make_unique<CDbTransaction>(21, 1));
    for (int market : {0, 1}) Period(name).m_paSales.Add(std::make_unique<CDbSale>(21, 1, market));
  }

  m_case->AddReportGroupsLocalCosts(m_global);

  for (const char* name : {"A", "B"}) {
    EXPECT_EQ(Period(name).m_paPurchases[0]->m_nReportGroup, 3) << name;
    for (const CDbSale* sale : Period(name).m_paSales) EXPECT_EQ(sale->m_nReportGroup, 4) << name;
    ASSERT_EQ(Period(name).m_paLocalCostPrices.GetSize(), 1) << name;
    EXPECT_EQ(Period(name).m_paLocalCostPrices[0]->m_dLocalPrice, 7.0);
  }
  EXPECT_EQ(Period("A").m_paLocalCostPrices[0]->m_dLocalCost, 2.5);
  EXPECT_EQ(Period("B").m_paLocalCostPrices[0]->m_dLocalCost, 3.0);
  EXPECT_EQ(Period(".").m_paPurchases[0]->m_nReportGroup, 9999);
  EXPECT_TRUE(Period(".").m_paLocalCostPrices.IsEmpty());
}

}  // namespace
