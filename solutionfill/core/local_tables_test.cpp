#include <gtest/gtest.h>

#include "caseset/config/vorn_period.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/property_calculation.h"
#include "solutionfill/core/testing/fill_case_fixture.h"

namespace {

using fill_testing::kBlank;
using fill_testing::Table;

class LocalTables : public fill_testing::FillCaseFixture {
 protected:
  CDbModel& MakeModel() {
    CDbModel& model = AddModel("N", 1);
    AddStream(model, "CRD", 1);
    AddStream(model, "GAS", 2);
    AddStream(model, "ALT", 3);
    AddStream(model, "DSL", 4);
    auto index = std::make_unique<CDbInt>(1);
    index->m_lstValues = {3};
    model.m_paAlternateLinks.Add(std::move(index));
    return model;
  }
  template <class T>
  static const T& Named(const CAutoDestructArray<CPtrArray, T*>& list, const std::string& name) {
    for (const T* item : list)
      if (item->m_strName == name) return *item;
    throw std::runtime_error("missing " + name);
  }
};

TEST_F(LocalTables, StreamsBlendsUtilitiesAndCapacities) {
  WriteTables({
      Table{"BUY", {"CRD", "XXX"}, {"LIQ"}, {"Crude oil", ""}, {0.9, kBlank}},
      Table{"SELL", {"GAS", "DSL"}, {"MIN"}, {"", "Diesel"}, {kBlank, kBlank}},
      Table{"BLENDS", {"GAS", "DSL", "NOS"}, {"SPEC"}, {}, {kBlank, 1, 1}},
      Table{"UTILBUY", {"KWH"}, {"GROUP"}, {"Power"}, {4}},
      Table{"UTILSEL", {"KWH", "STM"}, {"GROUP"}, {"Sold power", "Steam"}, {kBlank, kBlank}},
      Table{"CAPS", {"CAPATM", "CAPVAC"}, {"PENALTY", "REPORT"}, {"Atmospheric", "Vacuum"}, {2.5, -1, kBlank, 0}},
  });
  MakePeriods({"A"}, false);
  CDbModel& model = MakeModel();
  for (const char* name : {"KWH", "STM"}) {
    auto utility = std::make_unique<CDbDefinition>(model.m_paUtilities.GetSize() + 1, &m_export);
    utility->m_strName = name;
    model.m_paUtilities.Add(std::move(utility));
  }
  model.m_paUtilities.Sort(&CDbObject::CompareDbObjectName);
  m_solution->m_bHasReportGroups = 1;
  m_solution->ProcessLocalTables(&Main(), &model, m_case);

  const CDbStream& crude = Named(model.m_paStreams, "CRD");
  EXPECT_EQ(crude.m_strDescription, "Crude oil");
  EXPECT_FLOAT_EQ(crude.m_fLiquidConversion, 0.9f);
  EXPECT_EQ(crude.m_bIsPurchased, 1);
  EXPECT_EQ(Named(model.m_paStreams, "ALT").m_bIsPurchased, 1);  // the alternate of CRD
  EXPECT_EQ(Named(model.m_paStreams, "GAS").m_bIsSold, 1);
  EXPECT_EQ(Named(model.m_paStreams, "GAS").m_strDescription, "");
  EXPECT_EQ(Named(model.m_paStreams, "DSL").m_strDescription, "Diesel");

  ASSERT_EQ(model.m_paBlends.GetSize(), 2);
  EXPECT_EQ(Named(model.m_paBlends, "GAS").m_nBlendTypeID, 1);  // SPEC blank: formula
  EXPECT_EQ(Named(model.m_paBlends, "DSL").m_nBlendTypeID, 2);
  EXPECT_EQ(Named(model.m_paBlends, "DSL").m_nReportOrder, 1);
  EXPECT_EQ(Named(model.m_paBlends, "DSL").m_nID, 4);

  const CDbDefinition& power = Named(model.m_paUtilities, "KWH");
  EXPECT_EQ(power.m_nReportFlag, 9999);  // UTILSEL's blank group replaces UTILBUY's
  EXPECT_EQ(power.m_nReportOrder, 1);
  EXPECT_EQ(power.m_strDescription, "Power");
  EXPECT_EQ(power.m_bBoughtFlag + power.m_bSoldFlag, 2);
  const CDbDefinition& steam = Named(model.m_paUtilities, "STM");
  EXPECT_EQ(steam.m_nReportOrder, 3);
  EXPECT_EQ(steam.m_strDescription, "Steam");

  ASSERT_EQ(model.m_paCapacities.GetSize(), 2);
  const CDbDefinition& atm = Named(model.m_paCapacities, "ATM");
  EXPECT_EQ(atm.m_nID, 1);
  EXPECT_FLOAT_EQ(atm.m_fPenaltyPrice, 2.5f);
  EXPECT_EQ(atm.m_nReportFlag, -1);
  EXPECT_EQ(Named(model.m_paCapacities, "VAC").m_nReportFlag, 0);
}

TEST_F(LocalTables, QualitiesFromTheirTablesAndFormulas) {
  WriteTables({
      Table{"BLNXXX", {"R"}, {"SUL", "RON"}, {}, {1, 1}},
      Table{"PGUESS", {"R"}, {"RON", "DEN"}, {}, {1, 1}},
      Table{"INDEX", {"VIS", "IX1", "FLS"}, {"C"}, {"Viscosity", "", "Flash"}, {kBlank, kBlank, kBlank}},
      Table{"BLNSPEC", {"NRONGAS", "XRONGAS", "XMONGAS", "TYPE", "SEASON", "SEASON2"}, {"GAS", "DSL"},
            {"", "Research octane", "Motor octane", "", "", ""},
            {1, kBlank, 1, kBlank, 1, kBlank, 3, kBlank, 7, kBlank, 9, kBlank}},
      Table{"SCALE", {"RON", "SUL"}, {"SCALE", "PENALTY"}, {"Octane", ""}, {10, 1.5, 0, kBlank}},
      Table{"INTERACT", {"RONGAS", "X", "Y", "Z", "SULGAS"}, {"C"}, {}, {1, 1, 1, 1, 1}},
  });
  m_export.m_paPeriods = std::make_unique<CVornPeriodArray>();
  for (const char* code : {"1", "2", "x"}) {
    auto period = std::make_unique<CVornPeriod>(code);
    m_export.m_paPeriods->Add(std::move(period));
  }
  auto formula = std::make_unique<CPropertyCalculation>();
  formula->m_strPropertyName = "CET";
  formula->m_strDescription = "Cetane";
  formula->m_variableNames = {"DEN", "VBI"};
  Main().m_formulas.Add(std::move(formula));
  auto one = std::make_unique<CPropertyCalculation>();
  one->m_strPropertyName = "RVI";
  one->m_variableNames = {"RVP"};
  Main().m_formulas.Add(std::move(one));
  auto suppressed = std::make_unique<CPropertyCalculation>();
  suppressed->m_strPropertyName = "OFF";
  suppressed->m_bSuppressed = true;
  Main().m_formulas.Add(std::move(suppressed));
  MakePeriods({"A"}, false);
  CDbModel& model = MakeModel();
  auto gas = std::make_unique<CDbBlend>(2, &m_export);
  gas->m_strName = "GAS";
  model.m_paBlends.Add(std::move(gas));
  m_solution->m_lstWorkStrings = {"SUL"};
  m_solution->ProcessLocalTables(&Main(), &model, m_case);

  std::vector<std::pair<std::string, int>> made;
  for (const CDbQuality* q : model.m_paQualities) made.emplace_back(q->m_strName, q->m_nID);
  EXPECT_EQ(made, (std::vector<std::pair<std::string, int>>{
                      {"CET", 6}, {"DEN", 3}, {"FLS", 5}, {"MON", 9}, {"RON", 2}, {"RVI", 7}, {"RVP", 8},
                      {"SUL", 1}, {"VIS", 4}}))
      << "BLNXXX, PGUESS, INDEX (even rows), formulas, BLNSPEC in order of making";
  const CDbQuality& ron = Named(model.m_paQualities, "RON");
  EXPECT_EQ(ron.m_strDescription, "Octane");  // SCALE replaces BLNSPEC's text
  EXPECT_FLOAT_EQ(ron.m_fFactor, 10.0f);
  EXPECT_FLOAT_EQ(ron.m_fPenaltyPrice, 1.5f);
  EXPECT_EQ(ron.m_nVWBasisID, 1);
  EXPECT_EQ(Named(model.m_paQualities, "SUL").m_nVWBasisID, 0);
  EXPECT_FLOAT_EQ(Named(model.m_paQualities, "SUL").m_fFactor, 1.0f);  // a SCALE of 0 keeps 1
  EXPECT_EQ(Named(model.m_paQualities, "CET").m_strDescription, "Cetane");
  EXPECT_EQ(Named(model.m_paQualities, "VIS").m_strDescription, "Viscosity");
  ASSERT_EQ(model.m_paObjects.GetSize(), 1);
  EXPECT_EQ(model.m_paObjects.GetAt(0)->m_nID, 1);

  // One RFG blend per period code: the numbers 1 and 2, "x" gives period 0; SEASON2 only in period 2.
  ASSERT_EQ(model.m_paRFGBlends.GetSize(), 3);
  std::vector<std::pair<int, int>> rfg;
  for (const CDbRFGBlend* b : model.m_paRFGBlends) rfg.emplace_back(b->m_nPeriodID, b->m_nRFGSeasonID);
  EXPECT_EQ(rfg, (std::vector<std::pair<int, int>>{{0, 7}, {1, 9}, {0, 7}}));
  EXPECT_EQ(model.m_paRFGBlends.GetAt(0)->m_nRFGBlendTypeID, 3);
  EXPECT_EQ(model.m_paRFGBlends.GetAt(0)->m_nID, 2);
}

TEST_F(LocalTables, ProcessLimitUnitsWithTheirLimitsPerPeriod) {
  WriteTables({
      Table{"BLNXXX", {"R"}, {"SUL"}, {}, {1}},
      Table{"PROCLIM", {"XATM", "XSULHDS", "XATMA", "XVAC", "ZZ"},
            {"MIN", "MAX", "MAX2", "REPORT", "PENALTY"}, {"Atmos", "Sulphur", "Second", "Vacuum", "short"},
            {1, 10, 20, kBlank, 4,  //
             kBlank, 5, kBlank, kBlank, kBlank,  //
             2, kBlank, kBlank, kBlank, kBlank,  //
             3, 30, kBlank, 2, kBlank,  //
             1, 1, 1, 1, 1}},
  });
  Main().m_settings.m_ModelType.SetValue(1);
  MakePeriods({"1", "2"}, true);
  CDbModel& model = MakeModel();
  auto node = std::make_unique<CDbPrimalNode>("N");
  for (const char* p : {".", "1", "2"}) node->m_paPeriods.Add(std::make_unique<CDbPrimalPeriod>(p));
  m_solution->m_paPrimalNodes.Add(std::move(node));
  // Earlier models' slots stay in front.
  Period("1").m_adProcLimMin = {-5};
  Period("1").m_adProcLimMax = {-5};
  m_solution->ProcessLocalTables(&Main(), &model, m_case);

  ASSERT_EQ(model.m_paProcessCapacities.GetSize(), 3);
  const CDbDefinition& atm = *model.m_paProcessCapacities.GetAt(0);
  EXPECT_EQ(atm.m_strName, "ATM");
  EXPECT_EQ(atm.m_bSpecialUnitFlag, 1);
  EXPECT_EQ(atm.m_strDescription, "Second");  // the second short ATM row reuses the unit
  EXPECT_FLOAT_EQ(atm.m_fPenaltyPrice, 4.0f);
  const CDbDefinition& hds = *model.m_paProcessCapacities.GetAt(1);
  EXPECT_EQ(hds.m_strName, "HDS");
  ASSERT_EQ(hds.m_paUnitQualities.GetSize(), 1);
  EXPECT_EQ(hds.m_paUnitQualities.GetAt(0)->m_strName, "SUL");
  const CDbDefinition& vac = *model.m_paProcessCapacities.GetAt(2);
  EXPECT_EQ(vac.m_nReportFlag, 2);

  const CDbPeriod& p1 = Period("1");
  const CDbPeriod& p2 = Period("2");
  ASSERT_EQ(p1.m_adProcLimMin.size(), 1u + 5u);
  ASSERT_EQ(p2.m_adProcLimMin.size(), 5u);
  EXPECT_TRUE(Period(".").m_adProcLimMin.empty());
  // The model's first slot stays with the period for the later process-limit steps.
  EXPECT_EQ(p1.m_mapProcLimFirstSlot.at(model.m_nID), 1u);
  EXPECT_EQ(p2.m_mapProcLimFirstSlot.at(model.m_nID), 0u);
  // ATM (slot 0): the second row overwrites the first; its MIN is 2, its MAX default blank.
  EXPECT_EQ(p1.m_adProcLimMin[1], 2.0);
  EXPECT_EQ(p1.m_adProcLimMax[1], 1e30);
  EXPECT_EQ(p2.m_adProcLimMax[0], 1e30);
  // HDS (slot 1): a blank MIN default counts as 0; MAX 5.
  EXPECT_EQ(p2.m_adProcLimMin[1], 0.0);
  EXPECT_EQ(p2.m_adProcLimMax[1], 5.0);
  // VAC with REPORT 2: both blank.
  EXPECT_EQ(p2.m_adProcLimMin[2], 1e30);
  EXPECT_EQ(p1.m_adProcLimMin[0], -5.0);
}

TEST_F(LocalTables, BlenderCapacitiesPumpStreamsAndLocalTags) {
  WriteTables({
      Table{"BLENDS", {"GAS", "DSL"}, {"C"}, {}, {kBlank, kBlank}},
      Table{"BLNCAP", {"GAS", "BL1"}, {"GAS", "DSL", "MIN", "COST"}, {"Pump", "Blender"}, {1, 1, 1, 1, 1, kBlank, 1, 1}},
      Table{"LOCTAGS", {"LCLN", "OTHX"}, {"C"}, {"GLBXXX", "ZZZ"}, {kBlank, kBlank}},
  });
  MakePeriods({"A"}, false);
  CDbModel& model = MakeModel();
  m_solution->ProcessLocalTables(&Main(), &model, m_case);
  ASSERT_EQ(model.m_paBlendStreams.GetSize(), 1);
  EXPECT_EQ(model.m_paBlendStreams.GetAt(0)->m_strName, "GAS");
  EXPECT_EQ(model.m_paBlendStreams.m_bOwnsElements, 0);
  ASSERT_EQ(model.m_paBlenderCapacities.GetSize(), 1);
  const CDbBlenderCapacity& blender = *model.m_paBlenderCapacities.GetAt(0);
  EXPECT_EQ(blender.m_nID, 1);
  EXPECT_EQ(blender.m_strDescription, "Blender");
  ASSERT_EQ(blender.m_paBlends.GetSize(), 1);
  EXPECT_EQ(blender.m_paBlends.GetAt(0)->m_strName, "GAS");

  EXPECT_EQ(model.m_mapLocalTags, (std::map<std::string, std::string>{{"LCL", "GLB"}}));
  ASSERT_EQ(model.m_paPrimals.GetSize(), 1);
  EXPECT_EQ(model.m_paPrimals.GetAt(0)->m_strName, "GLB");
}

}  // namespace
