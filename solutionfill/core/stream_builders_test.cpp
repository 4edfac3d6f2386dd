#include "solutionfill/core/stream_builders.h"

#include <gtest/gtest.h>

#include "solutionfill/core/table_map_dimensions.h"
#include "solutionfill/core/testing/fill_case_fixture.h"

namespace {

using fill_testing::kBlank;
using fill_testing::Table;

class StreamBuilders : public fill_testing::FillCaseFixture {
 protected:
  CDbVTW& AddVtw(CDbPeriod& period, std::int32_t stream, std::int32_t model, double value) {
    auto vtw = std::make_unique<CDbVTW>(stream, model, &m_export);
    vtw->m_dValue = value;
    CDbVTW& made = *vtw;
    period.m_paVTWs.Add(std::move(vtw));
    period.m_paVTWs.Sort(&CDbDataObject::CompareNodeAndId);
    return made;
  }
  CDbPrimal& AddRow(CDbPrimalNode& node, const std::string& period, const std::string& name, double activity,
                    double marginal = 0.0) {
    CDbPrimal& row = fill_testing::AddPrimal(fill_testing::PrimalPeriodOf(node, period).m_paRows, name);
    row.m_dActivity = activity;
    row.m_dMarginalValue = marginal;
    return row;
  }
  static std::vector<std::string> UnitNames(const CDbPeriod& period) {
    std::vector<std::string> names;
    for (const CDbRwUnit* unit : period.m_paRwUnits) names.push_back(unit->m_strName);
    return names;
  }
};

TEST_F(StreamBuilders, ReportRowsWithoutValuesBecomeUnitsOfEveryRealPeriod) {
  MakePeriods({"1", "2"}, true);
  const std::vector<fill::CReportRow> rows = {
      {"RMASK01", "", false}, {"TCMASKX", "", false}, {"VALUED", "", true},
      {"ATMUNIT", std::string(60, 'd'), false}, {"VAC*", "", false},
  };
  struct Case {
    bool global, local;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {false, true, {"ATMUNIT1N", "VAC*N"}},  // local: 7 characters take the period, all the node
      {false, false, {"ATMUNIT1", "VAC*"}},
      {true, false, {"ATMUNIT", "VAC*"}},
  };
  for (const Case& c : cases) {
    for (CDbPeriod* p : m_case->m_paPeriods) p->m_paRwUnits.RemoveAll();
    EXPECT_EQ(fill::AddRwUnitsFromRows(rows, *m_case, "N", c.global, c.local, true, &m_export), 2);
    EXPECT_EQ(UnitNames(Period("1")), c.expected);
    EXPECT_TRUE(Period(".").m_paRwUnits.IsEmpty());
  }
  const CDbRwUnit& atm = *Period("2").m_paRwUnits.GetAt(0);
  EXPECT_EQ(atm.m_nReportOrder, 1);
  EXPECT_EQ(atm.m_strDescription.size(), 50u);
  EXPECT_EQ(atm.m_bWildcard, 0);
  EXPECT_EQ(Period("2").m_paRwUnits.GetAt(1)->m_bWildcard, 1);
  EXPECT_EQ(Period("2").m_paRwUnits.GetAt(1)->m_nReportOrder, 2);
}

TEST_F(StreamBuilders, RecursedPoolsBecomeDummyStreamsOnce) {
  MakePeriods({"A"}, false);
  CDbModel& model = AddModel("N", 1);
  AddStream(model, "ZZZ", 0);
  AddStream(model, "P01", 1);
  CDbPrimalNode node("N");
  AddRow(node, "A", "RBALP01", 1);  // already a stream
  AddRow(node, "A", "RVBLNEW", 1);
  AddRow(node, "A", "RBALNEW", 1);  // the same pool twice
  AddRow(node, "A", "WBALXYZ", 1);
  AddRow(node, "B", "RBALOTH", 1);  // not the first real period
  model.BuildRecursedPools(&node, m_case);
  ASSERT_EQ(model.m_paStreams.GetSize(), 3);
  const CDbStream* pool = model.m_paStreams.Find(CDbStream("NEW"));
  ASSERT_NE(pool, nullptr);
  EXPECT_EQ(pool->m_nID, 2);
  EXPECT_EQ(pool->m_nReportOrder, 2);
  EXPECT_EQ(pool->m_bDummyFlag, 1);
  EXPECT_EQ(pool->m_strDescription, "Recursed Pool");
  EXPECT_EQ(pool->m_nUOMTypeID1, 1);
  EXPECT_EQ(pool->m_nUOMTypeID0, 0);
  EXPECT_EQ(model.m_paStreams.GetAt(0)->m_strName, "NEW");  // re-sorted by name

  Main().m_settings.m_UniversalIdsOn.SetValue(1);
  AddRow(node, "A", "RBALABC", 1);
  model.BuildRecursedPools(&node, m_case);
  EXPECT_EQ(model.m_paStreams.Find(CDbStream("ABC"))->m_nID, 4407873);
}

TEST_F(StreamBuilders, VtwOfASinglePeriodModelComesFromPvtwOrTheModelList) {
  MakePeriods({"A"}, false);
  CDbModel& model = AddModel("N", 7);
  AddStream(model, "AAA", 1);
  AddStream(model, "BBB", 2);
  CDbPeriod& period = Period("A");
  AddVtw(period, 2, 7, 0.5);
  fill::CPvtwTable pvtw{{"AAA ", "BBB", "XXX"}, {"1"}, {0.0, 0.8, 0.9}};
  fill::CVtwInputs inputs;
  inputs.m_bUseNimbo = true;
  inputs.m_pPvtw = &pvtw;
  fill::BuildVtwObjects(inputs, model, *m_case, &period, false, &m_export);
  ASSERT_EQ(period.m_paVTWs.GetSize(), 2);
  EXPECT_EQ(fill::FindVtw(period.m_paVTWs, 1, 7)->m_dValue, 1.0);  // 0.0 is stored as 1.0
  EXPECT_EQ(fill::FindVtw(period.m_paVTWs, 2, 7)->m_dValue, 0.8);

  // Without the file the model-level values are copied.
  period.m_paVTWs.RemoveAll();
  model.m_paVTWs.Add(std::make_unique<CDbVTW>(1, 7));
  model.m_paVTWs.GetAt(0)->m_dValue = 0.7;
  inputs.m_pPvtw = nullptr;
  fill::BuildVtwObjects(inputs, model, *m_case, &period, false, &m_export);
  ASSERT_EQ(period.m_paVTWs.GetSize(), 1);
  EXPECT_EQ(period.m_paVTWs.GetAt(0)->m_dValue, 0.7);

  // A global call or one without UseNimboOn only sorts.
  period.m_paVTWs.RemoveAll();
  fill::BuildVtwObjects(inputs, model, *m_case, &period, true, &m_export);
  EXPECT_TRUE(period.m_paVTWs.IsEmpty());
}

TEST_F(StreamBuilders, VtwOfAMultiPeriodModel) {
  MakePeriods({"1", "2"}, true);
  CDbModel& model = AddModel("N", 3);
  AddStream(model, "AAA", 1);
  AddStream(model, "BBB", 2);
  CTableMapDimensions dims;
  dims.m_astrStreamNames = {"AAA", "BBB", "CCC"};
  dims.m_afStreamVtw = {1.0e30f, 0.6f, 0.9f};
  fill::CVtwInputs inputs;
  inputs.m_bMultiPeriod = true;
  inputs.m_pDimensions = &dims;
  inputs.m_dModelVtw = 0.25;

  // Global: the table-map values, a blank one kept.
  fill::BuildVtwObjects(inputs, model, *m_case, nullptr, true, &m_export);
  for (const char* p : {"1", "2"}) {
    ASSERT_EQ(Period(p).m_paVTWs.GetSize(), 2);
    EXPECT_EQ(fill::FindVtw(Period(p).m_paVTWs, 1, 3)->m_dValue, 1e30f);
    EXPECT_DOUBLE_EQ(fill::FindVtw(Period(p).m_paVTWs, 2, 3)->m_dValue, 0.6f);
    Period(p).m_paVTWs.RemoveAll();
  }
  EXPECT_TRUE(Period(".").m_paVTWs.IsEmpty());

  // Local: PVTW per period code; streams PVTW lacks take the table map or the model's VTW.
  fill::CPvtwTable pvtw{{"BBB"}, {"1", "2", "9"}, {0.3, 0.4, 0.5}};
  inputs.m_pPvtw = &pvtw;
  inputs.m_bUseNimbo = true;
  fill::BuildVtwObjects(inputs, model, *m_case, nullptr, false, &m_export);
  EXPECT_EQ(fill::FindVtw(Period("1").m_paVTWs, 2, 3)->m_dValue, 0.3);
  EXPECT_EQ(fill::FindVtw(Period("2").m_paVTWs, 2, 3)->m_dValue, 0.4);
  EXPECT_EQ(fill::FindVtw(Period("1").m_paVTWs, 1, 3)->m_dValue, 0.25);
  EXPECT_EQ(fill::FindVtw(Period("2").m_paVTWs, 1, 3)->m_dValue, 0.25);
  EXPECT_EQ(Period("2").m_paVTWs.GetSize(), 2);
}

TEST_F(StreamBuilders, RowMarginalsAreReversedAndConvertedToVolume) {
  MakePeriods({"A"}, false);
  CDbModel& model = AddModel("N", 1);
  AddStream(model, "ABC", 1);
  AddStream(model, "UUU", 2);
  AddVtw(Period("A"), 1, 1, 0.5);
  CDbPrimalNode node("N");
  CDbPrimal& converted = AddRow(node, "A", "WBALabc", 0, 10.0);  // stream found ignoring case
  CDbPrimal& unknown = AddRow(node, "A", "WBALQQQ", 0, 10.0);    // no stream: the model's VTW
  CDbPrimal& unitRow = AddRow(node, "A", "WBALUUU", 0, 10.0);    // names a UNITS row
  CDbPrimal& lastUnitRow = AddRow(node, "A", "WBALZZZ", 0, 10.0);  // names the last UNITS row: not compared
  CDbPrimal& unset = AddRow(node, "A", "WBALXYZ", 0, 1e30);        // not set: stays so
  CDbPrimal& other = AddRow(node, "A", "XBALABC", 0, 10.0);
  const std::vector<std::string> units = {"UUU", "ZZZ"};
  fill::CMarginalInputs inputs;
  inputs.m_bSignReverse = true;
  inputs.m_bConvertToVolume = true;
  inputs.m_dMainVtw = 0.2;
  inputs.m_pUnitRows = &units;
  fill::AdjustRowMarginalsOf(inputs, node, *m_case, &Period("A"), model);
  EXPECT_DOUBLE_EQ(converted.m_dMarginalValue, -5.0);
  EXPECT_EQ(converted.m_nVWBasisConverted, 1);
  EXPECT_DOUBLE_EQ(unknown.m_dMarginalValue, -2.0);
  EXPECT_DOUBLE_EQ(unitRow.m_dMarginalValue, -10.0);
  EXPECT_EQ(unitRow.m_nVWBasisConverted, 0);
  EXPECT_DOUBLE_EQ(lastUnitRow.m_dMarginalValue, -2.0);
  EXPECT_EQ(lastUnitRow.m_nVWBasisConverted, 1);
  EXPECT_EQ(unset.m_dMarginalValue, 1e30);
  EXPECT_EQ(unset.m_nVWBasisConverted, 1);
  EXPECT_DOUBLE_EQ(other.m_dMarginalValue, -10.0);
  EXPECT_EQ(other.m_nVWBasisConverted, 0);
}

TEST_F(StreamBuilders, BlendAlternateAndGasVtw) {
  MakePeriods({"A"}, false);
  CDbModel& model = AddModel("N", 1);
  auto blend = std::make_unique<CDbBlend>(5, &m_export);
  blend->m_strName = "GAS";
  model.m_paBlends.Add(std::move(blend));
  auto blend2 = std::make_unique<CDbBlend>(6, &m_export);
  blend2->m_strName = "DSL";
  model.m_paBlends.Add(std::move(blend2));
  CDbPeriod& period = Period("A");
  CDbVTW& gasVtw = AddVtw(period, 5, 1, 9.0);
  CDbVTW& dslVtw = AddVtw(period, 6, 1, 9.0);
  CDbPrimalNode node("N");
  AddRow(node, "A", "BVBLGAS", 3.0);
  AddRow(node, "A", "BWBLGAS", 4.0);
  AddRow(node, "A", "BVBLDSL", 3.0);
  AddRow(node, "A", "BWBLDSL", 0.0);
  model.SetBlendVtw(&node, m_case);
  EXPECT_DOUBLE_EQ(gasVtw.m_dValue, 0.75);
  EXPECT_DOUBLE_EQ(dslVtw.m_dValue, 9.0);  // a zero weight activity keeps the value

  auto alternate = std::make_unique<CDbAlternate>("DSL");
  alternate->m_nID = 6;
  alternate->m_nAlternateStreamID = 5;
  model.m_paAlternateStreams.Add(std::move(alternate));
  model.CopyAlternateVtw(m_case);
  EXPECT_DOUBLE_EQ(dslVtw.m_dValue, 0.75);

  // Gas streams: VTW scaled by GVTW / VTW unless the SPG value is fixed.
  CDbStream& fuel = AddStream(model, "FG1", 5);
  AddStream(model, "FG2", 6);
  auto spg = std::make_unique<CDbQuality>(4, &m_export);
  spg->m_strName = "SPG";
  model.m_paQualities.Add(std::move(spg));
  auto quality = std::make_unique<CDbStreamQuality>(5, 1, 4, &m_export);
  quality->m_nOriginID = 2;
  period.m_paStreamQualities.Add(std::move(quality));
  auto fixed = std::make_unique<CDbStreamQuality>(6, 1, 4, &m_export);
  fixed->m_nOriginID = 1;
  period.m_paStreamQualities.Add(std::move(fixed));
  fill::BuildGasStreamsOf({"FG1", "FG2", "NONE"}, *m_case, model, true, 2.0);
  EXPECT_DOUBLE_EQ(gasVtw.m_dValue, 1.5);
  EXPECT_DOUBLE_EQ(dslVtw.m_dValue, 0.75);
  ASSERT_EQ(model.m_paGasStreams.GetSize(), 2);
  EXPECT_EQ(model.m_paGasStreams.GetAt(0), &fuel);
  EXPECT_EQ(model.m_paGasStreams.m_bOwnsElements, 0);
}

}  // namespace
