#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "results/objects/db_case.h"
#include "solutionfill/core/solver_side_files.h"
#include "solutionfill/core/testing/fill_case_fixture.h"

namespace {

using fill_testing::kBlank;
using fill_testing::Table;

class UnitOperations : public fill_testing::FillCaseFixture {
 protected:
  void SetUp() override {
    FillCaseFixture::SetUp();
    Main().m_settings.m_SMALL.SetValue(1e-6);
    MakePeriods({"A"}, false);
    m_model = &AddModel("M", 3);
    AddStream(*m_model, "ABC", 21);
    AddStream(*m_model, "LOS", 22);
    auto utility = std::make_unique<CDbDefinition>(31, &m_export);
    utility->m_strName = "STM";
    m_model->m_paUtilities.Add(std::move(utility));
    auto quality = std::make_unique<CDbQuality>(51, &m_export);
    quality->m_strName = "SUL";
    m_model->m_paQualities.Add(std::move(quality));
    auto unit = std::make_unique<CDbDefinition>(11, &m_export);
    unit->m_strName = "U1";
    m_unit = unit.get();
    m_model->m_paUnits.Add(std::move(unit));

    auto node = std::make_unique<CDbPrimalNode>("M");
    auto period = std::make_unique<CDbPrimalPeriod>("A");
    period->m_nID = 1;
    m_primal = period.get();
    node->m_paPeriods.Add(std::move(period));
    m_solution->m_paPrimalNodes.Add(std::move(node));
  }
  void Column(const std::string& name, double activity, double marginal) {
    CDbPrimal& column = fill_testing::AddPrimal(m_primal->m_paColumns, name);
    column.m_dActivity = activity;
    column.m_dMarginalValue = marginal;
  }
  const CDbUnitOp* Op(const CAutoDestructArray<CPtrArray, CDbUnitOp*>& list, std::int32_t item) {
    for (const CDbUnitOp* op : list)
      if (op->m_nItemID == item) return op;
    return nullptr;
  }

  CDbModel* m_model = nullptr;
  CDbDefinition* m_unit = nullptr;
  CDbPrimalPeriod* m_primal = nullptr;
};

TEST_F(UnitOperations, SubmodsSettingsOperationsLinksAndPropertyRows) {
  WriteTables({Table{"U1",
                     {"VBALABC", "VBALLOS", "UBALSTM", "PSULA123", "PSULT1X9", "PSULN12", "PSULD12", "PSULR1"},
                     {"ABC", "DEF", "ABCD"},
                     {"abc", "loss", "steam", "average", "total", "numerator", "ratio", "short"},
                     {-1, 1, 5,             //
                      2, kBlank, kBlank,    //
                      2, -3, kBlank,        //
                      1, 3, kBlank,         //
                      0.25, kBlank, kBlank,  //
                      1e-9, 2, kBlank,      //
                      kBlank, 4, kBlank,    //
                      1, 1, 1}}});
  Column("U1ABC", 1.0, 7.0);
  Column("U1DEF", 3.0, 0.0);
  CTableFilTable& submods = m_solution->m_tableFil;
  submods.m_aRowNames = {"Szzz", "U1"};
  submods.m_aColumnNames = {"REPORT", "PI", "SUL", "XXX"};
  submods.m_aCells = {0, 0, 0, 0, 5, 0, 2.5, 1};
  m_solution->m_bHasSubmodsUnits = 1;

  m_solution->BuildUnitOps(&Main(), m_case, m_model, CRecursionRecord());

  EXPECT_EQ(m_unit->m_nReportFlag, 2) << "a report cell of 5 keeps it; an active column makes it 2";
  EXPECT_EQ(m_unit->m_bMarginalFlag, 1) << "only blankness of PI counts";
  ASSERT_EQ(m_unit->m_paUnitQualities.GetSize(), 1);
  EXPECT_EQ(m_unit->m_paUnitQualities.GetAt(0)->m_nID, 51);
  EXPECT_EQ(m_unit->m_paUnitQualities.GetAt(0)->m_bQualityFlag, 0);
  EXPECT_DOUBLE_EQ(m_unit->m_paUnitQualities.GetAt(0)->m_dMultiplierValue, 2.5);
  EXPECT_EQ(m_unit->m_aIntList1, (std::vector<std::int32_t>{21, 22, 31}));
  EXPECT_EQ(m_unit->m_aIntList2, (std::vector<std::int32_t>{1, 1, 3}));

  CDbPeriod& period = Period("A");
  const CDbUnitOp* abc = Op(period.m_paUnitOperationMaterials, 21);
  ASSERT_NE(abc, nullptr);
  EXPECT_DOUBLE_EQ(abc->m_dActivity, 2.0) << "-1 x 1 + 1 x 3; ABCD is no column of an ordinary unit";
  EXPECT_DOUBLE_EQ(abc->m_dMarginalValue, 7.0);
  EXPECT_EQ(abc->m_nReportOrder, 1);
  EXPECT_EQ(abc->m_nFeedFlag, 1) << "the link sets the sense from the activity's sign";
  const CDbUnitOp* loss = Op(period.m_paUnitOperationMaterials, 22);
  ASSERT_NE(loss, nullptr);
  EXPECT_EQ(loss->m_bLossRow, 1);
  const CDbUnitOp* steam = Op(period.m_paUnitOperationUtilities, 31);
  ASSERT_NE(steam, nullptr);
  EXPECT_DOUBLE_EQ(steam->m_dActivity, -7.0);
  EXPECT_EQ(steam->m_nFeedFlag, 0) << "+2 then -3: the second non-zero coefficient decides";
  EXPECT_EQ(steam->m_nReportOrder, 3);

  ASSERT_EQ(period.m_paLinks2.GetSize(), 2);  // ABC and LOS are fed
  EXPECT_DOUBLE_EQ(period.m_paLinks2.GetAt(1)->m_dValue, 2.0);
  ASSERT_EQ(period.m_paLinks3.GetSize(), 1);  // steam is produced
  EXPECT_DOUBLE_EQ(period.m_paLinks3.GetAt(0)->m_dValue, 7.0);
  EXPECT_EQ(period.m_paLinks3.GetAt(0)->m_nUnitTypeID, 1);

  struct Row {
    std::int32_t id, type, decimals;
    double activity;
    const char* tag;
    const char* text;
  };
  const std::vector<Row> expected = {{1, 3, 3, 2.5, "PSULA123", "average"},
                                     {2, 2, 0, 250.0, "PSULT1X9", "total"},
                                     {4, 4, 2, 0.5, "PSULN12", "numerator"}};
  ASSERT_EQ(period.m_paPRows.GetSize(), 3) << "no row for N, none for the short R row";
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const CDbPRow& row = *period.m_paPRows.GetAt(static_cast<int>(i));
    EXPECT_EQ(row.m_nID, expected[i].id) << i;
    EXPECT_EQ(row.m_nPRowTypeID, expected[i].type) << i;
    EXPECT_EQ(row.m_nNumberofDecimals, expected[i].decimals) << i;
    EXPECT_DOUBLE_EQ(row.m_dActivity, expected[i].activity) << i;
    EXPECT_EQ(row.m_strTag, expected[i].tag) << i;
    EXPECT_EQ(row.m_strPRowText, expected[i].text) << i;
  }
  ASSERT_EQ(period.m_paStreamToPRowRefs.GetSize(), 1);
  const CStreamToPRowCrossReference& ref = *period.m_paStreamToPRowRefs.GetAt(0);
  EXPECT_EQ(ref.m_nID, 21);
  ASSERT_EQ(ref.m_paPRowInfos.GetSize(), 2);
  EXPECT_EQ(ref.m_paPRowInfos.GetAt(0)->m_nPRowID, 1);
  EXPECT_EQ(ref.m_paPRowInfos.GetAt(0)->m_nRowIndex, 3);
  EXPECT_EQ(ref.m_paPRowInfos.GetAt(1)->m_nPRowID, 2);
}

TEST_F(UnitOperations, ReportCellZeroStopsReportingAndUnknownUnitsAreSkipped) {
  WriteTables({Table{"U1", {"VBALABC"}, {"ABC"}, {}, {1}}});
  Column("U1ABC", 5.0, 0.0);
  CTableFilTable& submods = m_solution->m_tableFil;
  submods.m_aRowNames = {"U1", "U9"};
  submods.m_aColumnNames = {"REPORT"};
  submods.m_aCells = {0, 0};
  m_solution->BuildUnitOps(&Main(), m_case, m_model, CRecursionRecord());
  EXPECT_TRUE(Period("A").m_paUnitOperationMaterials.IsEmpty()) << "no SUBMODS unit: nothing is built";

  m_solution->m_bHasSubmodsUnits = 1;
  m_solution->BuildUnitOps(&Main(), m_case, m_model, CRecursionRecord());
  EXPECT_EQ(m_unit->m_nReportFlag, 0);
  ASSERT_EQ(Period("A").m_paUnitOperationMaterials.GetSize(), 1);
  EXPECT_DOUBLE_EQ(Period("A").m_paUnitOperationMaterials.GetAt(0)->m_dActivity, 5.0);
}

// A record whose first names are recursed pool names (values of one period).
CRecursionRecord PoolRecord(const std::vector<std::string>& names, const std::vector<float>& values) {
  CRecursionRecord record;
  const auto count = static_cast<std::int32_t>(names.size());
  record.m_anHeader = {count, count, count, count, count, count, 1, 0};
  record.m_astrPrimaryNames = names;
  record.m_astrSecondaryNames.assign(names.size(), "");
  record.m_astrPeriodCodes = {"1"};
  record.m_afValues = values;
  return record;
}

TEST_F(UnitOperations, PropertyRowsTakeTheRecursedPoolCoefficient) {
  WriteTables({Table{"U1", {"PSULA12"}, {"ABC", "DEF"}, {}, {999, 0.5}}});
  Column("U1ABC", 2.0, 0.0);
  Column("U1DEF", 2.0, 0.0);
  m_solution->m_tableFil.m_aRowNames = {"U1"};
  m_solution->m_bHasSubmodsUnits = 1;

  m_solution->BuildUnitOps(&Main(), m_case, m_model, PoolRecord({"QSULABC"}, {0.3f}));

  ASSERT_EQ(Period("A").m_paPRows.GetSize(), 1);
  EXPECT_DOUBLE_EQ(Period("A").m_paPRows[0]->m_dActivity, (0.3f * 2.0 + 0.5 * 2.0) / 4.0)
      << "ABC's cell is the recursed quality, DEF keeps its own";
}

TEST_F(UnitOperations, ACrudeUnitSharingTheVacuumTowerSendsMarkedCutsToIt) {
  WriteTables({Table{"SCD1", {"VBALDSL", "NVACXYZ"}, {"LV1", "VAC"}, {}, {-2, kBlank, 1, -1}}});
  AddStream(*m_model, "DSL", 23);
  auto unit = std::make_unique<CDbDefinition>(12, &m_export);
  unit->m_strName = "SCD1";
  m_model->m_paUnits.Add(std::move(unit));
  m_model->m_paUnits.Sort(&CDbObject::CompareDbObjectName);
  Column("SCD1LV1", 10.0, 0.0);
  Column("SCD1VAC", 4.0, 0.0);
  m_solution->m_tableFil.m_aRowNames = {"SCD1"};
  m_solution->m_bHasSubmodsUnits = 1;
  m_solution->m_specialSubs.m_astrColumnNames = {"CD1"};
  const CRecursionRecord record = PoolRecord({"QDSLXYZ"}, {0.25f});

  for (const std::int32_t shares : {1, 0}) {
    m_solution->m_specialSubs.m_aCutList = {shares};
    Period("A").m_paUnitOperationMaterials.RemoveAll();
    m_solution->BuildUnitOps(&Main(), m_case, m_model, record);
    const CDbUnitOp* op = Op(Period("A").m_paUnitOperationMaterials, 23);
    ASSERT_NE(op, nullptr);
    // Shared: the cut's factor (0.25) times the tower column; otherwise the unit's own column.
    EXPECT_DOUBLE_EQ(op->m_dActivity, shares ? -2.0 * 0.25 * 4.0 : -2.0 * 10.0) << shares;
  }
}

}  // namespace
