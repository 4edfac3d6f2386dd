// Process limits from "proclim.dat" and from the global model's process-limit
// table.

#include <gtest/gtest.h>

#include <fstream>

#include "foundation/input_failure.h"

#include "solutionfill/economics/testing/economics_fixture.h"

namespace {

using econ_testing::kBlank;
using econ_testing::Table;

class ProcessLimits : public econ_testing::EconomicsFixture {
 protected:
  // A plant model with one special unit CRU (id 1) and slots from first on in every real period.
  CDbModel& Plant(const std::string& name, std::int32_t id, std::size_t first) {
    CDbModel& model = AddModel(name, id);
    auto unit = std::make_unique<CDbDefinition>(1, &m_export);
    unit->m_strName = "CRU";
    unit->m_bSpecialUnitFlag = 1;
    model.m_paProcessCapacities.Add(std::move(unit));
    for (CDbPeriod* period : m_case->m_paPeriods) {
      if (period->m_strName == ".") continue;
      period->m_mapProcLimFirstSlot[id] = first;
      period->m_adProcLimMin.resize(first + 1, 10.0);
      period->m_adProcLimMax.resize(first + 1, 100.0);
    }
    return model;
  }
  void WriteProclim(const std::string& text) { std::ofstream(m_home / "M" / "proclim.dat") << text; }
};

TEST_F(ProcessLimits, ProclimDatSetsTheSlotsOfTheUnitsOfTheRunsPlant) {
  WriteTables({});
  MakePeriods({"1", "2"}, true);
  CDbModel& a = Plant("A", 1, 0);
  CDbModel& b = Plant("B", 2, 1);
  WriteProclim(
      "GLIMCRU ZLIMCRU1A 5000\n"
      "LLIMCRU   ZLIMCRU1A 20\n"
      "GLIMCRU ZLIMCRU1B 7\n"   // another plant
      "GLIMCRU ZLIMCRU9A 1\n"   // no period 9
      "GLIMXYZ ZLIMXYZ1A 1\n"   // no unit XYZ
      "GLIMCRU ZLIMCRU2A x\n"   // no number: the reading ends and the case fails
      "GLIMCRU ZLIMCRU2A 3\n");

  const CInputFailureScope scope;
  m_solution->SetProcLimMinMax(&Main(), m_case, &a, false, true, true);
  m_solution->SetProcLimMinMax(&Main(), m_case, &b, false, true, true);
  EXPECT_EQ(scope.GetFirstCause(), "the file " + (m_home / "M" / "proclim.dat").string() +
                                       " is damaged: line 6 holds no number where its value is due");

  EXPECT_EQ(Period("1").m_adProcLimMax, (std::vector<double>{5000, 7}));
  EXPECT_EQ(Period("1").m_adProcLimMin, (std::vector<double>{20, 10}));
  EXPECT_EQ(Period("2").m_adProcLimMax, (std::vector<double>{100, 100})) << "period 2 keeps its limits";
}

TEST_F(ProcessLimits, ProclimDatOfASinglePeriodCaseAndItsOverrideOfTheCapacityLimit) {
  WriteTables({});
  MakePeriods({"A"}, false);
  CDbModel& model = Plant("P", 1, 0);
  WriteProclim("GLIMCRU ZLIMCRUP 60\nGLIMCRU ZLIMCRUQ 70\n");
  CDbPrimalPeriod& primal = PrimalPeriod("P", "A");
  Column(primal, "ZLIMCRU", 2);
  Row(primal, "GLIMCRU", 8);

  m_solution->SetProcLimMinMax(&Main(), m_case, &model, false, true, false);
  m_solution->BuildCapacityLimits(m_case, &model, &Main());

  ASSERT_EQ(Period("A").m_paProcessCapacityLimits.GetSize(), 1);
  const CDbCapacityLimit& limit = *Period("A").m_paProcessCapacityLimits[0];
  EXPECT_EQ(limit.m_dMaxValue, 60.0) << "the plant code is the eighth character";
  EXPECT_EQ(limit.m_dActivity, 60.0 - 8.0 / 2.0);
}

TEST_F(ProcessLimits, TheGlobalTableOverridesThePlantsUnits) {
  WriteTables({Table{"PROCLIM", {"ZCRUA", "XSULHDSA", "ZCRUB"}, {"MIN", "MAX"}, {}, {kBlank, 80, 5, 50, 1, 1}}});
  MakePeriods({"1", "2"}, true);
  CDbModel& plant = Plant("A", 1, 0);
  auto hds = std::make_unique<CDbDefinition>(2, &m_export);
  hds->m_strName = "HDS";
  auto sul = std::make_unique<CDbUnitQuality>(51, &m_export);
  sul->m_strName = "SUL";
  hds->m_paUnitQualities.Add(std::move(sul));
  plant.m_paProcessCapacities.Add(std::move(hds));
  for (const char* name : {"1", "2"}) {
    Period(name).m_adProcLimMin.resize(2, 10.0);
    Period(name).m_adProcLimMax.resize(2, 100.0);
    for (std::int32_t unit : {1, 2}) {
      auto entry = std::make_unique<CDbCapacityLimit>(unit, 1, &m_export);
      entry->m_dMinValue = 10;
      entry->m_dMaxValue = 100;
      entry->m_dActivity = -1;
      Period(name).m_paProcessCapacityLimits.Add(std::move(entry));
    }
  }
  CDbPrimalPeriod& one = PrimalPeriod("A", "1");
  Column(one, "ZLIMCRU", 2);
  Row(one, "GLIMCRU", 8);
  Column(one, "ZSULHDS", 4);
  Row(one, "LSULHDS", 2);
  CDbPrimalPeriod& two = PrimalPeriod("A", "2");
  Column(two, "ZLIMCRU", 0);  // no unit activity: the period keeps its entry
  Row(two, "GLIMCRU", 8);

  m_solution->ProcessGlobalPROCLIM(&Main(), nullptr, m_case);

  const CDbCapacityLimit& cru = *Period("1").m_paProcessCapacityLimits[0];
  EXPECT_EQ(cru.m_dMinValue, 10.0) << "a blank MIN cell keeps the minimum";
  EXPECT_EQ(cru.m_dMaxValue, 80.0);
  EXPECT_EQ(cru.m_dActivity, 80.0 - 8.0 / 2.0);
  EXPECT_EQ(Period("1").m_adProcLimMax[0], 80.0);
  const CDbCapacityLimit& hdsLimit = *Period("1").m_paProcessCapacityLimits[1];
  EXPECT_EQ(hdsLimit.m_dMinValue, 5.0);
  EXPECT_EQ(hdsLimit.m_dActivity, 5.0 - 2.0 / 4.0) << "no G row: the L branch";
  EXPECT_EQ(Period("1").m_adProcLimMin[1], 5.0);
  EXPECT_EQ(Period("2").m_paProcessCapacityLimits[0]->m_dMaxValue, 100.0);
  EXPECT_EQ(Period("2").m_paProcessCapacityLimits[0]->m_dActivity, -1.0);
}

}  // namespace
