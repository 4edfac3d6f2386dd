// The economic summary, fixed costs and penalties of a model.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "foundation/input_failure.h"
#include "solutionfill/economics/economics_fill.h"
#include "solutionfill/economics/testing/economics_fixture.h"

namespace {

using econ_testing::kBlank;
using econ_testing::Table;

std::vector<std::string> g_lines;
int Collect(const char* text, int length, int kind) {
  g_lines.push_back(std::to_string(kind) + ":" + std::string(text, static_cast<std::size_t>(length)));
  return 0;
}

class EconomicSummary : public econ_testing::EconomicsFixture {
 protected:
  void SetUp() override {
    EconomicsFixture::SetUp();
    g_lines.clear();
    m_export.m_pfnHostCallbacks[0] = &Collect;
  }
  CDbModel& PlantWithStreams(const std::string& name, std::int32_t id) {
    CDbModel& model = AddModel(name, id);
    model.m_strModelName = "MODEL" + name;
    AddStream(model, "GAS", 11).m_bIsSold = 1;
    AddStream(model, "CRD", 12).m_bIsPurchased = 1;
    for (const char* utility : {"PWR"}) {
      auto definition = std::make_unique<CDbDefinition>(utility);
      model.m_paUtilities.Add(std::move(definition));
    }
    auto unit = std::make_unique<CDbDefinition>("SCRD");
    model.m_paUnits.Add(std::move(unit));
    return model;
  }
};

TEST_F(EconomicSummary, StandardModelColumnsByCategory) {
  MakePeriods({"A"}, false);
  Period("A").m_dDays = 5;  // a single-period case divides by nothing
  CDbModel& model = PlantWithStreams("P", 1);
  MakeEcoSums(1);
  CDbPrimalPeriod& a = PrimalPeriod("P", "A");
  Column(a, "SELLGAS", 2, 10).m_dSalePrice = 7;  // counts at its sale price
  Column(a, "PURCCRD", 3, -4);
  Column(a, "PURCPWR", 1, -2);  // a utility
  Column(a, "SELLPWR", 1, 3);
  Column(a, "SELLXYZ", 1, 3);   // neither: warning, skipped
  Column(a, "OBJFN", 99, 1);
  Column(a, "SCRDABC", 2, 1.5);  // submodel column
  Column(a, "CDECGAS", 1, 6);
  Column(a, "IDEFGAS", 1, 6);  // inventory columns are skipped

  m_solution->BuildEcoSum(&Main(), m_case, &model, false, false);

  EXPECT_EQ(EcoSum("A", 8, 1), 14.0);
  EXPECT_EQ(EcoSum("A", 7, 1), -12.0);
  EXPECT_EQ(EcoSum("A", 9, 1), -2.0);
  EXPECT_EQ(EcoSum("A", 10, 1), 3.0);
  EXPECT_EQ(EcoSum("A", 11, 1), 6.0);
  EXPECT_EQ(EcoSum("A", 14, 1), 3.0);
  EXPECT_EQ(EcoSum("A", 1, 1), 0.0);
  EXPECT_EQ(Period("A").m_dPeriodObjective, 99.0);
  ASSERT_EQ(g_lines.size(), 2u);
  EXPECT_EQ(g_lines[0], "0: ");
  EXPECT_EQ(g_lines[1].rfind("1: *** WARNING. ", 0), 0u) << g_lines[1];
  EXPECT_NE(g_lines[1].find("XYZ"), std::string::npos);
  EXPECT_NE(g_lines[1].find("MODELP"), std::string::npos);
}

TEST_F(EconomicSummary, LocalModelDividesByDaysAndSkipsTheDummyPeriod) {
  MakePeriods({"A"}, true);
  Period("A").m_dDays = 10;
  Main().m_settings.m_ModelType.SetValue(3);
  CDbModel& model = PlantWithStreams("1", 1);
  MakeEcoSums(1);
  EXPECT_TRUE(Period(".").m_paEcoSums.IsEmpty());
  Column(PrimalPeriod("1", "."), "SELGAS", 100, 100);  // "." is not walked for a multi-period main model
  CDbPrimalPeriod& a = PrimalPeriod("1", "A");
  Column(a, "SELGAS", 2, 10);
  Column(a, "ICSTGAS", 1, 20);
  Column(a, "PURCCRD", 1, -30);
  Column(a, "Szzz+AB", 4, 1);

  m_solution->BuildEcoSum(&Main(), m_case, &model, false, true);

  EXPECT_DOUBLE_EQ(EcoSum("A", 1, 1), 2.0 + 4.0);
  EXPECT_DOUBLE_EQ(EcoSum("A", 3, 1), 2.0 - 3.0);
}

TEST_F(EconomicSummary, GlobalRunRollsUpPlantsAndPlantLocalValues) {
  MakePeriods({"A"}, false);
  AddNode(".", 0, true);
  PlantWithStreams("1", 1);
  CDbModel& global = AddModel("", 3);
  AddStream(global, "GAS", 11);
  MakeEcoSums(1);
  MakeEcoSums(3);
  CDbPeriod& period = Period("A");
  for (auto [category, value] : {std::pair{9, 1.0}, {10, 2.0}, {3, 4.0}, {1, 8.0}, {17, 16.0}, {14, 32.0}})
    econ::FindEcoSum(period, category, 1)->m_dActivity = value;
  CDbPrimalPeriod& a = PrimalPeriod("", "A");
  Column(a, "SELGAS", 2, 10);
  Column(a, "TGAS12R", 1, -3);
  auto sale = std::make_unique<CDbSale>(11, 1, 1);
  sale->m_dPrice = 5;
  sale->m_dActivity = 2;
  period.m_paSales.Add(std::move(sale));
  auto purchase = std::make_unique<CDbTransaction>(12, 1);
  purchase->m_dCost = -3;
  purchase->m_dActivity = 2;
  period.m_paPurchases.Add(std::move(purchase));
  auto transfer = std::make_unique<CDbTransfer>(11, 3);
  transfer->m_nNodeTo = 1;
  transfer->m_nNodeFrom = 2;
  transfer->m_dCost = 4;
  transfer->m_dActivity = 1;
  period.m_paTransfers.Add(std::move(transfer));

  m_solution->BuildEcoSum(&Main(), m_case, &global, true, false);

  EXPECT_EQ(EcoSum("A", 1, 3), 20.0 + 8.0);
  EXPECT_EQ(EcoSum("A", 5, 3), -3.0);
  EXPECT_EQ(EcoSum("A", 4, 3), 3.0);
  EXPECT_EQ(EcoSum("A", 3, 3), 4.0);
  EXPECT_EQ(EcoSum("A", 17, 3), 48.0);
  EXPECT_EQ(EcoSum("A", 8, 1), 10.0);
  EXPECT_EQ(EcoSum("A", 7, 1), 6.0);
  EXPECT_EQ(EcoSum("A", 15, 1), -4.0);  // TransferPercent 0: minus the incoming value
  EXPECT_EQ(EcoSum("A", 16, 1), 0.0);
}

TEST_F(EconomicSummary, DepotEntriesAndPenaltiesOfAGlobalCase) {
  WriteTables({});
  MakePeriods({"A"}, false);
  CDbModel& global = AddModel("", 3);
  AddStream(global, "GAS", 11);
  CDbNode& depotNode = AddNode("D", 4, false);
  auto depot = std::make_unique<CDbDepot>("D");
  depot->m_nID = 4;
  depotNode.m_paDepots.Add(std::move(depot));
  CDbNode& bare = AddNode("E", 5, false);  // a depot without primal values gets nothing
  auto other = std::make_unique<CDbDepot>("E");
  other->m_nID = 5;
  bare.m_paDepots.Add(std::move(other));
  CDbPrimalPeriod& a = PrimalPeriod("D", "A");
  Column(a, "SELGAS", 2, 10);
  Column(a, "PURCGAS", 1, -4);
  Column(a, "CINCGAS", 1, 2);
  Column(a, "XYZ", 1, 2);  // category 0: no entry is made for it
  auto penalty = std::make_unique<CDbPenalty>(11, 4);
  penalty->m_dActivity = 3;
  Period("A").m_paPenalties.Add(std::move(penalty));

  m_solution->AddGlobalEcoSums(m_case, &global);

  EXPECT_EQ(EcoSum("A", 1, 4), 20.0);
  EXPECT_EQ(EcoSum("A", 3, 4), -4.0);
  EXPECT_EQ(EcoSum("A", 6, 4), 2.0);
  EXPECT_EQ(EcoSum("A", 17, 4), -3.0);
  EXPECT_EQ(EcoSum("A", 0, 4), -12345.0);
  EXPECT_EQ(EcoSum("A", 17, 5), -12345.0);
  EXPECT_EQ(Period("A").m_dPenaltyTotal, 3.0);
}

TEST_F(EconomicSummary, FixedCostsNumberOnlyRowsWithValues) {
  WriteTables({Table{"REPORT", {"R1", "R2", "R3"}, {"VAL"}, {"Rent", "None", "Staff costs of the whole plant and more"},
                     {1.5, kBlank, 3}}});
  CDbModel& model = AddModel("P", 1);
  model.BuildFixedCosts(&Main(), 1);
  ASSERT_EQ(model.m_paFixedCosts.GetSize(), 2);
  EXPECT_EQ(model.m_paFixedCosts[0]->m_nID, 0);
  EXPECT_EQ(model.m_paFixedCosts[0]->m_dValue, 1.5);
  EXPECT_EQ(model.m_paFixedCosts[0]->m_strDescription, "Rent");
  EXPECT_EQ(model.m_paFixedCosts[1]->m_nID, 1);
  EXPECT_EQ(model.m_paFixedCosts[1]->m_dValue, 3.0);
}

class Penalties : public econ_testing::EconomicsFixture {
 protected:
  void WritePenaltyFile(const std::string& text) {
    WriteTables({});
    std::ofstream(m_home / "M" / "penalty.dat") << text;
  }
  CDbModel& ModelWithQuality(const std::string& name, std::int32_t id) {
    CDbModel& model = AddModel(name, id);
    AddStream(model, "GAS", 11);
    auto quality = std::make_unique<CDbQuality>(5, &m_export);
    quality->m_strName = "SUL";
    model.m_paQualities.Add(std::move(quality));
    return model;
  }
  std::vector<std::tuple<int, double, std::string, std::string>> Made(const std::string& period) {
    std::vector<std::tuple<int, double, std::string, std::string>> made;
    for (const CDbPenalty* p : Period(period).m_paPenalties)
      made.emplace_back(p->m_nID, p->m_dActivity, p->m_strTag1, p->m_strTag2);
    return made;
  }
};

TEST_F(Penalties, RecordsByKindWithScaleAndThePenaltyTotal) {
  MakePeriods({"A"}, false);
  CDbModel& model = ModelWithQuality("P", 1);
  MakeEcoSums(1);
  CDbPrimalPeriod& a = PrimalPeriod("P", "A");
  Column(a, "USULGAS", 2);
  Column(a, "XABCDEF", 3);
  Column(a, "DSULGAS", 4);
  Column(a, "USULZRO", 0);
  Column(a, "Epencol", 1, -2.5);
  auto supply = std::make_unique<CDbPenalty>(1, 1);  // type 1 stays out of category 17
  supply->m_dActivity = 100;
  Period("A").m_paPenalties.Add(std::move(supply));
  WritePenaltyFile(
      "Epenrow1 USULGAS -1.5\n"
      "Epenrow2 XABCDEF 2\n"
      "Epentrg1 DSULGAS 0.5\n"
      "Epenrow4 USULOIL 1\n"
      "Epenrow5 USULZRO 1000\n"
      "OtherRow USULGAS 1\n");

  m_solution->BuildPenalty(&Main(), m_case, &model, false, false, false);

  using T = std::tuple<int, double, std::string, std::string>;
  EXPECT_EQ(Made("A"), (std::vector<T>{T{1, 100.0, "", ""}, T{3, 7.5, "GAS", "SUL"}, T{6, -15.0, "XABCDEF", ""},
                                       T{8, 2.0, "GAS", "SUL"}}));
  EXPECT_DOUBLE_EQ(Period("A").m_dPenaltyTotal, 7.5 - 15.0 + 2.0);
  EXPECT_DOUBLE_EQ(EcoSum("A", 17, 1), -(7.5 - 15.0 + 2.0));
}

TEST_F(Penalties, PlantLetterAndPeriodLetterOfAMultiPeriodGlobalCase) {
  MakePeriods({"A"}, true);
  CDbModel& model = ModelWithQuality("1", 1);
  MakeEcoSums(1);
  Column(PrimalPeriod("1", "A"), "USULGAS", 2);
  Column(PrimalPeriod("1", "."), "USULGAS", 3);
  WritePenaltyFile("Epenrow1 USULGASA1 1\nEpenrow1 USULGASA2 1\nEpenrow1 USULGAS 1\n");

  m_solution->BuildPenalty(&Main(), m_case, &model, false, true, true);

  ASSERT_EQ(Period("A").m_paPenalties.GetSize(), 1);
  EXPECT_EQ(Period("A").m_paPenalties[0]->m_dActivity, 2.0);
  // Seven letters name no plant: skipped on a local-model run.
  EXPECT_TRUE(Period(".").m_paPenalties.IsEmpty());
}

TEST_F(Penalties, AFieldThatIsNoNumberFailsTheCaseNamingFileAndLine) {
  MakePeriods({"A"}, false);
  CDbModel& model = ModelWithQuality("P", 1);
  PrimalPeriod("P", "A");
  WritePenaltyFile("Epenrow1 USULGAS -1.5\n\nEpenrow2 XABCDEF two\n");
  const CInputFailureScope scope;
  m_solution->BuildPenalty(&Main(), m_case, &model, false, false, false);
  EXPECT_EQ(scope.GetFirstCause(), "the file " + (m_home / "M" / "penalty.dat").string() +
                                       " is damaged: line 3 holds no number where its value is due");
}

TEST_F(Penalties, MissingFileStillWritesThePenaltyTotal) {
  MakePeriods({"A"}, false);
  CDbModel& model = ModelWithQuality("P", 1);
  MakeEcoSums(1);
  PrimalPeriod("P", "A");
  auto inventory = std::make_unique<CDbPenalty>(11, 1);
  inventory->m_dActivity = 4;
  Period("A").m_paPenalties.Add(std::move(inventory));
  m_solution->BuildPenalty(&Main(), m_case, &model, false, false, false);
  EXPECT_EQ(EcoSum("A", 17, 1), -4.0);
}

}  // namespace
