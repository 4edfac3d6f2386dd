#include <gtest/gtest.h>

#include "solutionfill/core/testing/fill_case_fixture.h"

namespace {

using fill_testing::kBlank;
using fill_testing::Messages;
using fill_testing::Table;

class LocalTrade : public fill_testing::FillCaseFixture {
 protected:
  void SetUp() override {
    FillCaseFixture::SetUp();
    CollectMessages();
  }
  CDbPrimal& AddColumn(const std::string& period, const std::string& name, double activity, double cost = 0,
                       double lo = 0, double hi = 100, double marginal = 0) {
    if (!m_node) {
      auto node = std::make_unique<CDbPrimalNode>("N");
      m_node = node.get();
      m_solution->m_paPrimalNodes.Add(std::move(node));
    }
    CDbPrimal& column = fill_testing::AddPrimal(fill_testing::PrimalPeriodOf(*m_node, period).m_paColumns, name);
    column.m_strAliasName = name + " display";
    column.m_dActivity = activity;
    column.m_dSlack = cost;
    column.m_dLoRHS = lo;
    column.m_dHiRHS = hi;
    column.m_dMarginalValue = marginal;
    return column;
  }
  void AddVtw(CDbPeriod& period, int stream, int model, double value) {
    auto vtw = std::make_unique<CDbVTW>(stream, model);
    vtw->m_dValue = value;
    period.m_paVTWs.Add(std::move(vtw));
  }
  CDbPrimalNode* m_node = nullptr;
};

TEST_F(LocalTrade, PurchasesPenaltiesWarningsAndLinkEnds) {
  WriteTables({Table{"BUY", {"CRD", "NAP", "GRP"}, {"VOL", "WGT", "IPRICE", "GROUP"}, {"Crude", "Naphtha", ""},
                     {1, 1, kBlank, 3, kBlank, kBlank, 2, kBlank, kBlank, kBlank, kBlank, kBlank}}});
  Main().m_settings.m_ModelType.SetValue(1);
  Main().m_settings.m_VOLBASIS.SetValue(1);
  MakePeriods({"1"}, true);
  Period("1").m_dDays = 10;
  CDbModel& model = AddModel("N", 1);
  CDbStream& crude = AddStream(model, "CRD", 1);
  crude.m_fSellICost = 2.0f;
  AddStream(model, "NAP", 2);
  auto group = std::make_unique<CDbGroup>(5, &m_export);
  group->m_strName = "GRP";
  model.m_paGroups.Add(std::move(group));
  AddVtw(Period("1"), 1, 1, 0.5);
  AddColumn(".", "PURCCRD", 99);  // the dummy period of a multi-period case is skipped
  AddColumn("1", "PURCCRD", 8, 3.0, 1, 50, 20);
  AddColumn("1", "SELLCRD", 0);
  AddColumn("1", "PURCNAP", 4, 0, 0, 100, kBlank);  // a marginal value the LP left unset
  AddColumn("1", "ABUYGRP", 0, 0, 2, 9, 30);
  m_solution->m_bHasReportGroups = 1;
  m_solution->BuildLocalPurchase(&Main(), m_case, &model);

  CDbPeriod& period = Period("1");
  ASSERT_EQ(period.m_paPurchases.GetSize(), 2);
  const CDbTransaction& buy = *period.m_paPurchases.GetAt(0);
  EXPECT_EQ(buy.m_dActivity, 8);
  EXPECT_EQ(buy.m_dCost, -3.0);
  EXPECT_EQ(buy.m_dMarginalValue, 2.0);  // per day
  EXPECT_EQ(buy.m_dMinValue, 1);
  EXPECT_EQ(buy.m_dMaxValue, 50);
  EXPECT_EQ(buy.m_nVWBasisID, 0);  // WGT wins over VOL
  EXPECT_EQ(buy.m_nReportGroup, 3);
  EXPECT_EQ(buy.m_strDescription, "Crude");
  EXPECT_EQ(period.m_paPurchases.GetAt(1)->m_nVWBasisID, 1);
  EXPECT_EQ(period.m_paPurchases.GetAt(1)->m_nReportGroup, 9999);  // its GROUP cell is blank
  EXPECT_EQ(period.m_paPurchases.GetAt(1)->m_dMarginalValue, kBlank);  // stays unset: not divided by days

  // CRD: 2.0 x 8 as a penalty with its warning; NAP: an IPRICE value gives a penalty of 0.
  ASSERT_EQ(period.m_paPenalties.GetSize(), 2);
  EXPECT_EQ(period.m_paPenalties.GetAt(0)->m_dActivity, 16.0);
  EXPECT_EQ(period.m_paPenalties.GetAt(0)->m_strTag1, "PURCCRD display");
  EXPECT_EQ(period.m_paPenalties.GetAt(1)->m_dActivity, 0.0);
  EXPECT_EQ(period.m_dPenaltyTotal, 16.0);
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_EQ(Messages()[1].first.rfind(" *** WARNING. ", 0), 0u);
  EXPECT_NE(Messages()[1].first.find("CRD"), std::string::npos);

  // Link ends in the model's (volume) basis: the weight row's activity over its VTW.
  ASSERT_EQ(period.m_paLinks1.GetSize(), 2);
  EXPECT_EQ(period.m_paLinks1.GetAt(0)->m_dValue, 16.0);
  EXPECT_EQ(period.m_paLinks1.GetAt(1)->m_dValue, 4.0);
  EXPECT_EQ(period.m_paLinks1.GetAt(0)->m_nUnitTypeID, 0);
  ASSERT_EQ(period.m_paGroupPurchases.GetSize(), 1);
  EXPECT_EQ(period.m_paGroupPurchases.GetAt(0)->m_nID, 5);
  EXPECT_EQ(period.m_paGroupPurchases.GetAt(0)->m_dMarginalValue, 3.0);
}

TEST_F(LocalTrade, ALocalModelOfAGlobalCaseMakesOnlyLinkEnds) {
  WriteTables({Table{"BUY", {"CRD"}, {"VOL"}, {}, {kBlank}},
               Table{"SELL", {"GAS"}, {"VOL"}, {}, {kBlank}},
               Table{"MARKETS", {"E", "W", "Q"}, {"C"}, {}, {kBlank, kBlank, kBlank}}});
  MakePeriods({"A"}, false);
  CDbModel& model = AddModel("N", 1);
  AddStream(model, "CRD", 1);
  AddStream(model, "GAS", 2);
  AddColumn("A", "SELGASE", 3);
  AddColumn("A", "SELGASW", 4);
  m_solution->m_bSingleModel = 0;
  m_solution->BuildLocalPurchase(&Main(), m_case, &model);
  m_solution->BuildLocalSale(&Main(), m_case, &model);
  CDbPeriod& period = Period("A");
  EXPECT_TRUE(period.m_paPurchases.IsEmpty());
  EXPECT_TRUE(period.m_paSales.IsEmpty());
  ASSERT_EQ(period.m_paLinks1.GetSize(), 1);
  EXPECT_EQ(period.m_paLinks1.GetAt(0)->m_dValue, 0.0);
  ASSERT_EQ(period.m_paLinks2.GetSize(), 1);
  EXPECT_EQ(period.m_paLinks2.GetAt(0)->m_dValue, 7.0);  // the markets' sales added up
  EXPECT_EQ(period.m_paLinks2.GetAt(0)->m_nUnitTypeID, 3);
}

TEST_F(LocalTrade, SalesPricesPenaltiesAndGroupBounds) {
  WriteTables({Table{"SELL", {"GAS", "DSL", "GRP"}, {"WGT", "VPRICE", "ICOST", "MIN"}, {"Gasoline", "", ""},
                     {1, 40, kBlank, kBlank, kBlank, kBlank, 1, 1, kBlank, kBlank, kBlank, 5}}});
  MakePeriods({"A"}, false);
  CDbModel& model = AddModel("N", 1);
  CDbStream& gas = AddStream(model, "GAS", 1);
  gas.m_fBuyIPrice = -1.0f;
  AddStream(model, "DSL", 2);
  auto group = std::make_unique<CDbGroup>(7, &m_export);
  group->m_strName = "GRP";
  model.m_paGroups.Add(std::move(group));
  AddVtw(Period("A"), 1, 1, 0.8);
  CDbPrimal& gasColumn = AddColumn("A", "SELLGAS", 10, 33);
  AddColumn("A", "SELLDSL", 2, 25);
  AddColumn("A", "ASELGRP", 0, 0, 3, 9);
  m_solution->BuildLocalSale(&Main(), m_case, &model);
  m_solution->BuildLocalSale(&Main(), m_case, &model);  // a second pass lists the column once

  CDbPeriod& period = Period("A");
  ASSERT_EQ(period.m_paSales.GetSize(), 4);
  const CDbSale& sale = *period.m_paSales.GetAt(0);
  EXPECT_EQ(sale.m_dVPRICE, 40.0);
  EXPECT_DOUBLE_EQ(sale.m_dPrice, 50.0);  // weight basis: the price over the VTW
  EXPECT_EQ(sale.m_nVWBasisID, 0);
  EXPECT_EQ(sale.m_strSaleDescription, "Gasoline");
  EXPECT_DOUBLE_EQ(gasColumn.m_dSalePrice, 50.0);
  ASSERT_EQ(m_node->m_paPeriods.GetAt(0)->m_paActiveCostColumns.GetSize(), 1);
  const CDbSale& diesel = *period.m_paSales.GetAt(1);
  EXPECT_EQ(diesel.m_dPrice, 25.0);  // no price: the column's cost
  EXPECT_EQ(diesel.m_dVPRICE, kDbNotSet);
  // GAS: activity x price as a penalty (its BUY price is set); DSL: an ICOST value gives a penalty of 0.
  ASSERT_EQ(period.m_paPenalties.GetSize(), 4);
  EXPECT_EQ(period.m_paPenalties.GetAt(0)->m_dActivity, 500.0);
  EXPECT_EQ(period.m_paPenalties.GetAt(1)->m_dActivity, 0.0);
  // The group row: a MIN value keeps its bound, a missing MAX clears it.
  ASSERT_EQ(period.m_paGroupSales.GetSize(), 2);
  EXPECT_EQ(period.m_paGroupSales.GetAt(0)->m_dMinValue, 3.0);
  EXPECT_EQ(period.m_paGroupSales.GetAt(0)->m_dMaxValue, kDbNotSet);
  EXPECT_EQ(period.m_paLinks2.GetAt(0)->m_dValue, 10.0);
}

}  // namespace
