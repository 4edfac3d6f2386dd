#include "solutionfill/core/material_balance.h"

#include <gtest/gtest.h>

#include <cmath>

#include "solutionfill/core/testing/fill_case_fixture.h"

namespace {

using fill_testing::kBlank;
using fill_testing::Messages;
using fill_testing::Table;

class MaterialBalance : public fill_testing::FillCaseFixture {
 protected:
  void SetUp() override {
    FillCaseFixture::SetUp();
    CollectMessages();
  }
  CDbPrimal& AddRow(CDbPrimalNode& node, const std::string& period, const std::string& name, double activity,
                    double slack = 0.0, double marginal = 0.0) {
    CDbPrimal& row = fill_testing::AddPrimal(fill_testing::PrimalPeriodOf(node, period).m_paRows, name);
    row.m_dActivity = activity;
    row.m_dSlack = slack;
    row.m_dMarginalValue = marginal;
    return row;
  }
  CDbTransaction& AddPurchase(CDbPeriod& period, int stream, int model, double activity) {
    auto purchase = std::make_unique<CDbTransaction>(stream, model, &m_export);
    purchase->m_dActivity = activity;
    CDbTransaction& made = *purchase;
    period.m_paPurchases.Add(std::move(purchase));
    return made;
  }
  CDbDefinition& AddUtility(CDbModel& model, const std::string& name, int id) {
    auto utility = std::make_unique<CDbDefinition>(id, &m_export);
    utility->m_strName = name;
    utility->m_strReportTag = name;
    CDbDefinition& made = *utility;
    model.m_paUtilities.Add(std::move(utility));
    model.m_paUtilities.Sort(&CDbObject::CompareDbObjectName);
    return made;
  }
};

TEST(FormatTypedText, FillsOnlyMatchingConversionsAndCutsToTheBuffer) {
  using fill::FormatTypedText;
  EXPECT_EQ(FormatTypedText("%s off by %.2f in %s", {std::string("ABC"), 0.5, std::string("1")}, 100),
            "ABC off by 0.50 in 1");
  EXPECT_EQ(FormatTypedText("%d %s %n %%", {std::string("x")}, 100), "%d x %n %");  // never reads past its arguments
  // A conversion of the wrong kind stays as written and still uses up its argument.
  EXPECT_EQ(FormatTypedText("%f and %s", {std::string("text"), 1.0}, 100), "%f and %s");
  EXPECT_EQ(FormatTypedText(std::string(150, 'a') + "%s", {std::string("b")}, 100).size(), 99u);
  EXPECT_EQ(FormatTypedText("%999s|", {std::string("b")}, 100).size(), 99u);
  EXPECT_EQ(FormatTypedText("%99999s|", {std::string("b")}, 100), "%99999s|");
}

TEST_F(MaterialBalance, AlternatePairsMakeRecordsIndexesAndAlternateCrudes) {
  MakePeriods({"1", "2"}, true);
  CDbModel& model = AddModel("N", 1);
  AddStream(model, "CR1", 1, 8);
  AddStream(model, "CR2", 2, 8);
  AddStream(model, "NAP", 3);
  AddStream(model, "ALT", 4);
  AddUtility(model, "FUL", 1);
  AddUtility(model, "FU2", 2);
  fill::BuildAlternatesOf(model,
                          {{"ALT", "NAP"}, {"XXX", "NOBASE"}, {"CR2", "CR1"}, {"CR2", "CR1"}, {"MIS", "CR1"}},
                          {{"FU2", "FUL"}, {"FU3", "FUL"}}, *m_case);
  // A pair whose base is missing makes nothing; a missing alternate is made up.
  EXPECT_EQ(model.m_paStreams.Find(CDbStream("XXX")), nullptr);
  const CDbStream* missing = model.m_paStreams.Find(CDbStream("MIS"));
  ASSERT_NE(missing, nullptr);
  EXPECT_EQ(missing->m_nID, 4);
  EXPECT_EQ(missing->m_bDummyFlag, 1);
  EXPECT_EQ(missing->m_strDescription, "MissingAlternateTag");
  EXPECT_EQ(Period("1").m_paVTWs.GetSize(), 1);
  EXPECT_EQ(Period("2").m_paVTWs.GetAt(0)->m_dValue, 1.0);
  EXPECT_TRUE(Period(".").m_paVTWs.IsEmpty());

  ASSERT_EQ(model.m_paAlternateStreams.GetSize(), 2);  // ALT and the made-up MIS; CR2 is a crude pair
  EXPECT_EQ(model.m_paAlternateStreams.GetAt(0)->m_strName, "ALT");
  EXPECT_EQ(model.m_paAlternateStreams.GetAt(0)->m_nAlternateStreamID, 3);
  EXPECT_EQ(model.m_paAlternateStreams.GetAt(1)->m_strAlternateTag, "CR1");
  ASSERT_EQ(model.m_paAlternateLinks.GetSize(), 2);
  EXPECT_EQ(model.m_paAlternateLinks.GetAt(0)->m_nID, 1);
  EXPECT_EQ(model.m_paAlternateLinks.GetAt(0)->m_lstValues, std::vector<std::int32_t>{4});

  ASSERT_EQ(model.m_paAltCrudes.GetSize(), 1);
  const CDbAltCrude& crude = *model.m_paAltCrudes.GetAt(0);
  EXPECT_EQ(crude.m_nID, 1);
  ASSERT_EQ(crude.m_paStreams.GetSize(), 1);  // listed twice, copied once
  EXPECT_EQ(crude.m_paStreams.GetAt(0)->m_strName, "CR2");
  EXPECT_EQ(crude.m_paStreams.GetAt(0)->m_nStreamFlags, 8);

  ASSERT_EQ(model.m_paAlternateUtilities.GetSize(), 1);
  EXPECT_EQ(model.m_paAlternateUtilities.GetAt(0)->m_nID, 2);
  EXPECT_EQ(model.m_paAlternateUtilities.GetAt(0)->m_nAlternateStreamID, 1);
  EXPECT_EQ(model.m_paAlternateLinks2.GetAt(0)->m_lstValues, std::vector<std::int32_t>{2});
}

TEST_F(MaterialBalance, AnAlternateCrudeIsRelabelledOnlyWhenItAloneStandsInForTheBase) {
  struct Case {
    const char* what;
    std::vector<double> base;  // base purchase activity per period; NAN: no purchase record
    std::vector<double> alt1, alt2;
    bool relabelled;
  };
  const double none = std::nan("");
  const Case cases[] = {
      {"one alternate bought", {0, 0}, {5, none}, {none, none}, true},
      {"base bought somewhere", {0, 3}, {5, none}, {none, none}, false},
      {"two alternates bought", {0, 0}, {5, none}, {none, 2}, false},
      {"alternate bought where the base has no record", {none, 0}, {5, none}, {none, none}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    MakePeriods({"1", "2"}, true);
    CDbModel& model = AddModel("N", 1);
    AddStream(model, "CR1", 1, 8);
    CDbStream& a1 = AddStream(model, "AL1", 2, 8);
    AddStream(model, "AL2", 3, 8);
    fill::BuildAlternatesOf(model, {{"AL1", "CR1"}, {"AL2", "CR1"}}, {}, *m_case);
    CDbPrimalNode node("N");
    CDbTransaction* bought = nullptr;
    for (int p = 0; p < 2; ++p) {
      const std::string name = std::to_string(p + 1);
      AddRow(node, name, "X", 0);
      if (!std::isnan(c.base[p])) AddPurchase(Period(name), 1, 1, c.base[p]);
      if (!std::isnan(c.alt1[p])) bought = &AddPurchase(Period(name), 2, 1, c.alt1[p]);
      if (!std::isnan(c.alt2[p])) AddPurchase(Period(name), 3, 1, c.alt2[p]);
    }
    model.BuildAlternateCrudes(&node, m_case);
    EXPECT_EQ(a1.m_strReportTag == "CR1", c.relabelled);
    if (c.relabelled) {
      EXPECT_EQ(a1.m_strDescription, "AL1: AltCrude CR1");
      EXPECT_EQ(bought->m_strDescription, "AL1: AltCrude CR1");
    }
  }
}

TEST_F(MaterialBalance, BalanceRowsFlagsAndWarnings) {
  WriteTables({Table{"VPOOL", {"POL", "AAA"}, {"C"}, {"BBB", "AAA"}, {kBlank, kBlank}}});
  Main().m_settings.m_ModelType.SetValue(1);
  MakePeriods({"1"}, true);
  Period("1").m_strTag = "Jan";
  Period("1").m_dDays = 10.0;
  CDbModel& model = AddModel("N", 1);
  AddStream(model, "AAA", 1);
  CDbStream& bbb = AddStream(model, "BBB", 2);
  bbb.m_nVWBasis = 1;
  AddStream(model, "POL", 3);
  AddStream(model, "LOS", 4);
  AddStream(model, "EXA", 5);
  AddUtility(model, "LOS", 1);
  CDbPrimalNode node("N");
  AddRow(node, ".", "WBALAAA", 1, 5);  // the dummy period is skipped
  AddRow(node, "1", "WBALAAA", 7, 1e-4, 20);  // exactly the tolerance: in balance
  AddRow(node, "1", "VBALBBB", 8, -0.5);     // POL is balanced by BBB's row
  AddRow(node, "1", "WBALLOS", 9, 3);        // a stream LOS is never out of balance
  AddRow(node, "1", "VBALEXA", 9, 3);        // the other prefix counts for depots only
  AddRow(node, "1", "UBALLOS", 2, -2);
  model.BuildMaterialBalance(&node, m_case, &model, 1);

  CDbPeriod& period = Period("1");
  ASSERT_EQ(period.m_paMaterialBalances.GetSize(), 4);  // AAA, BBB, LOS, POL in stream order
  const CDbMaterialBalance& aaa = *period.m_paMaterialBalances.GetAt(0);
  EXPECT_EQ(aaa.m_nOutofBalanceFlag, 0);
  EXPECT_DOUBLE_EQ(aaa.m_dMarginalValue, 2.0);  // divided by the period's days
  const CDbMaterialBalance& pol = *period.m_paMaterialBalances.GetAt(3);
  EXPECT_EQ(pol.m_nID, 3);
  EXPECT_EQ(pol.m_dActivity, 8);
  EXPECT_EQ(pol.m_nVWBasisID, 1);
  EXPECT_EQ(pol.m_nOutofBalanceFlag, 1);
  EXPECT_EQ(period.m_paMaterialBalances.GetAt(2)->m_nOutofBalanceFlag, 0);
  EXPECT_EQ(period.m_nSobCount, 2);  // BBB and POL
  ASSERT_EQ(period.m_paUtilityBalances.GetSize(), 1);
  EXPECT_EQ(period.m_paUtilityBalances.GetAt(0)->m_nOutofBalanceFlag, 1);
  EXPECT_EQ(period.m_paUtilityBalances.GetAt(0)->m_nVWBasisID, 1);
  EXPECT_EQ(period.m_nUobCount, 1);

  // Two headers (streams, utilities), each after a blank line; the period tag in each finding.
  ASSERT_EQ(Messages().size(), 7u);
  EXPECT_EQ(Messages()[0], (std::pair<std::string, int>{" ", 0}));
  EXPECT_EQ(Messages()[1].second, 1);
  EXPECT_EQ(Messages()[1].first.rfind("  *** ", 0), 0u);
  EXPECT_NE(Messages()[2].first.find("BBB"), std::string::npos);
  EXPECT_NE(Messages()[2].first.find("Jan"), std::string::npos);
  EXPECT_NE(Messages()[2].first.find("0.5"), std::string::npos);
  EXPECT_EQ(Messages()[4], (std::pair<std::string, int>{" ", 0}));
  EXPECT_NE(Messages()[6].first.find("LOS"), std::string::npos);
}

TEST_F(MaterialBalance, ADepotTakesRowsUnderEitherPrefixAndCopiesOfItsStreams) {
  MakePeriods({"A"}, false);
  CDbModel& global = AddModel("G", 3);
  CDbStream& exa = AddStream(global, "EXA", 5);
  exa.m_strDescription = "Example";
  CDbNode& depotNode = AddNode("D1", 4, false);
  auto made = std::make_unique<CDbDepot>("D1");
  made->m_nID = 4;
  CDbDepot& depot = *made;
  depotNode.m_paDepots.Add(std::move(made));
  auto vtw = std::make_unique<CDbVTW>(5, 3);
  vtw->m_dValue = 0.8;
  Period("A").m_paVTWs.Add(std::move(vtw));
  CDbPrimalNode node("D1");
  AddRow(node, "A", "VBALEXA", 9, 1);
  global.BuildMaterialBalance(&node, m_case, &depot, 0);
  ASSERT_EQ(Period("A").m_paMaterialBalances.GetSize(), 1);
  EXPECT_EQ(Period("A").m_paMaterialBalances.GetAt(0)->m_nNodeID, 4);
  ASSERT_EQ(Period("A").m_paVTWs.GetSize(), 2);
  EXPECT_EQ(Period("A").m_paVTWs.GetAt(1)->m_nNodeID, 4);
  EXPECT_EQ(Period("A").m_paVTWs.GetAt(1)->m_dValue, 0.8);
  ASSERT_EQ(depot.m_paStreams.GetSize(), 1);
  EXPECT_EQ(depot.m_paStreams.GetAt(0)->m_strDescription, "Example");
  // A single-period finding at a depot names the depot and no period.
  ASSERT_EQ(Messages().size(), 3u);
  EXPECT_NE(Messages()[2].first.find("EXA"), std::string::npos);
  EXPECT_NE(Messages()[2].first.find("D1"), std::string::npos);
}

}  // namespace
