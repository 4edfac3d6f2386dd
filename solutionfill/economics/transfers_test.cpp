// Transfers between plants and depots and the qualities they carry.

#include <gtest/gtest.h>

#include <string>

#include "solutionfill/economics/testing/economics_fixture.h"

namespace {

using econ_testing::kBlank;
using econ_testing::Table;

class Transfers : public econ_testing::EconomicsFixture {
 protected:
  void MakeCase() {
    MakePeriods({"A"}, false);
    m_plant1 = &AddModel("1", 1);
    m_plant2 = &AddModel("2", 2);
    m_plant2->m_strModelName = "PLANT2";
    m_global = &AddModel("", 3);
    m_gas = &AddStream(*m_global, "GAS", 11);
    m_gas1 = &AddStream(*m_plant1, "GAS", 21);
    m_gas2 = &AddStream(*m_plant2, "GAS", 31);
    m_gas->m_paLookups.Add(std::make_unique<CDbStreamLookup>(1, m_gas1));
    m_gas->m_paLookups.Add(std::make_unique<CDbStreamLookup>(2, m_gas2));
    CDbNode& depotNode = AddNode("D", 4, false);
    auto depot = std::make_unique<CDbDepot>("D");
    depot->m_nID = 4;
    m_depot = depot.get();
    depotNode.m_paDepots.Add(std::move(depot));
    auto mode = std::make_unique<CDbMode>("R", &m_export);
    mode->m_nID = 2;
    m_case->m_paModes.Add(std::move(mode));
  }
  // The global gas's transfer in the period from plant 1's gas (21) to plant 2's (31).
  static void AddPlantTransfer(CDbPeriod& period) {
    auto transfer = std::make_unique<CDbTransfer>(11, 3);
    transfer->m_nFromStreamID = 21;
    transfer->m_nToStreamID = 31;
    transfer->m_strFromText = "1";
    transfer->m_strToText = "2";
    period.m_paTransfers.Add(std::move(transfer));
  }
  CDbModel* m_plant1 = nullptr;
  CDbModel* m_plant2 = nullptr;
  CDbModel* m_global = nullptr;
  CDbStream* m_gas = nullptr;
  CDbStream* m_gas1 = nullptr;
  CDbStream* m_gas2 = nullptr;
  CDbDepot* m_depot = nullptr;
};

TEST_F(Transfers, RoutesBetweenPlantsAndDepots) {
  WriteTables({Table{"TRANSFER",
                     {"GAS12R", "GAS1D", "GAS.2R", "GAS92R", "GAS12Q"},
                     {"VOL"},
                     {"Gas by rail", "To depot", "", "", ""},
                     {1, 1, 1, 1, 1}}});
  MakeCase();
  Column(PrimalPeriod("", "A"), "TGAS12R", 5, 20, 0, 9, 10);
  Column(PrimalPeriod("", "A"), "TGAS1D", 1, 2);
  Column(PrimalPeriod("", "A"), "TGAS12Q", 1, 2);  // mode Q is no mode of the case
  Row(PrimalPeriod("D", "A"), "VBALGAS", 0);

  m_solution->BuildTransfer(&Main(), m_case, m_global);

  EXPECT_EQ(m_gas->m_strDescription, "Gas by rail");
  EXPECT_EQ(m_global->m_dSourceValue, 50.0);
  EXPECT_EQ(m_plant1->m_dSourceValue, 50.0);
  const auto& transfers = Period("A").m_paTransfers;
  ASSERT_EQ(transfers.GetSize(), 2);
  const CDbTransfer& rail = *transfers[0];
  EXPECT_EQ(rail.m_nID, 11);
  EXPECT_EQ(rail.m_nNodeID, 3);
  EXPECT_EQ(rail.m_nNodeFrom, 1);
  EXPECT_EQ(rail.m_nNodeTo, 2);
  EXPECT_EQ(rail.m_nFromStreamID, 21);
  EXPECT_EQ(rail.m_nToStreamID, 31);
  EXPECT_EQ(rail.m_nModeID, 2);
  EXPECT_EQ(rail.m_dCost, -20.0);
  EXPECT_EQ(rail.m_dMarginalValue, 10.0);
  EXPECT_EQ(rail.m_dMaxValue, 9.0);
  EXPECT_EQ(rail.m_nVWBasisID, 1);
  const CDbTransfer& toDepot = *transfers[1];
  EXPECT_EQ(toDepot.m_nNodeTo, 4);
  EXPECT_EQ(toDepot.m_nToStreamID, 11);
  EXPECT_EQ(toDepot.m_nModeID, 0);
  // The depot balances the stream, so it gets a copy of it.
  ASSERT_EQ(m_depot->m_paStreams.GetSize(), 1);
  EXPECT_EQ(m_depot->m_paStreams[0]->m_strName, "GAS");
  EXPECT_EQ(m_depot->m_paStreams[0]->m_nID, 11);
}

TEST_F(Transfers, QualitiesFollowTheTransferUnlessBothAreFixed) {
  MakeCase();
  Main().m_settings.m_UseZelunMGOn.SetValue(1);
  m_export.m_paLocalModelFiles = std::make_unique<CVornModelFileArray>();
  auto local = std::make_unique<CVornModelFile>();
  local->m_strModelName = "PLANT2";
  local->m_settings.m_VTW.SetValue(0.5);
  m_export.m_paLocalModelFiles->Add(std::move(local));
  auto quality = [&](CDbModel& model, const char* tag, std::int32_t id) {
    auto made = std::make_unique<CDbQuality>(id, &m_export);
    made->m_strName = tag;
    model.m_paQualities.Add(std::move(made));
    model.m_paQualities.Sort(&CDbQuality::CompareElements);
  };
  quality(*m_plant1, "SPG", 7);
  quality(*m_plant1, "SUL", 8);
  quality(*m_plant2, "SPG", 17);
  quality(*m_plant2, "SUL", 18);
  CDbPeriod& a = Period("A");
  auto value = [&](std::int32_t stream, std::int32_t model, std::int32_t q, double v, std::int32_t origin) {
    auto made = std::make_unique<CDbStreamQuality>(stream, model, q, &m_export);
    made->m_dValue = v;
    made->m_nOriginID = origin;
    CDbStreamQuality* p = made.get();
    a.m_paStreamQualities.Add(std::move(made));
    a.m_paStreamQualities.Sort(&CDbStreamQuality::CompareElements);
    return p;
  };
  value(21, 1, 7, 0.8, 2);
  CDbStreamQuality* spg = value(31, 2, 17, 0.7, 1);
  value(21, 1, 8, 2.0, 1);
  CDbStreamQuality* sul = value(31, 2, 18, 3.0, 1);
  a.m_paVTWs.Add(std::make_unique<CDbVTW>(31, 2));
  AddPlantTransfer(a);

  m_solution->SetStreamQualityValuesForTransfers(m_case);

  EXPECT_EQ(spg->m_dValue, 0.8);
  EXPECT_EQ(spg->m_nOriginID, 9);
  EXPECT_EQ(spg->m_strWorkText, "1");
  EXPECT_DOUBLE_EQ(a.m_paVTWs[0]->m_dValue, 0.4);
  EXPECT_EQ(sul->m_dValue, 3.0);  // fixed on both sides
  EXPECT_EQ(sul->m_nOriginID, 1);
}

// A gravity carried to a plant whose definition is not among the local models has no VTW setting to
// scale: that plant's VTW keeps its value (it is a divisor of later prices) instead of becoming 0.
TEST_F(Transfers, AGravityToAPlantWithoutDefinitionLeavesItsVtw) {
  MakeCase();
  Main().m_settings.m_UseZelunMGOn.SetValue(1);
  m_export.m_paLocalModelFiles = std::make_unique<CVornModelFileArray>();
  for (CDbModel* plant : {m_plant1, m_plant2}) {
    auto spg = std::make_unique<CDbQuality>(plant->m_nID * 10, &m_export);
    spg->m_strName = "SPG";
    plant->m_paQualities.Add(std::move(spg));
  }
  CDbPeriod& a = Period("A");
  for (const auto& [stream, model] : {std::pair{21, 1}, std::pair{31, 2}}) {
    auto made = std::make_unique<CDbStreamQuality>(stream, model, model * 10, &m_export);
    made->m_dValue = 0.1 * model;
    made->m_nOriginID = 2;
    a.m_paStreamQualities.Add(std::move(made));
    a.m_paStreamQualities.Sort(&CDbStreamQuality::CompareElements);
  }
  auto vtw = std::make_unique<CDbVTW>(31, 2);
  vtw->m_dValue = 1.25;
  const CDbVTW& kept = *vtw;
  a.m_paVTWs.Add(std::move(vtw));
  AddPlantTransfer(a);

  m_solution->SetStreamQualityValuesForTransfers(m_case);

  const CDbStreamQuality probe(31, 2, 20);
  EXPECT_EQ(a.m_paStreamQualities.LinearFind(&probe)->m_nOriginID, 9);  // the gravity itself is carried
  EXPECT_EQ(kept.m_dValue, 1.25);
}

// A route to a depot whose primal node has no period is skipped; the plant-to-plant route stays.
TEST_F(Transfers, ADepotWithoutPrimalPeriodsSkipsItsRoute) {
  WriteTables({Table{"TRANSFER", {"GAS12R", "GAS1D"}, {"VOL"}, {}, {1, 1}}});
  MakeCase();
  Column(PrimalPeriod("", "A"), "TGAS12R", 5, 20);
  Column(PrimalPeriod("", "A"), "TGAS1D", 1, 2);
  m_solution->m_paPrimalNodes.Add(std::make_unique<CDbPrimalNode>("D"));
  m_solution->m_paPrimalNodes.Sort(&CDbPrimalNode::CompareElements);

  m_solution->BuildTransfer(&Main(), m_case, m_global);

  const auto& transfers = Period("A").m_paTransfers;
  ASSERT_EQ(transfers.GetSize(), 1);
  EXPECT_EQ(transfers[0]->m_nNodeTo, 2);
  EXPECT_TRUE(m_depot->m_paStreams.IsEmpty());
}

}  // namespace
