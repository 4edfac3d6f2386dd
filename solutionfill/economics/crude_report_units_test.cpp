#include <gtest/gtest.h>

#include <memory>

#include "solutionfill/core/testing/fill_case_fixture.h"

namespace {

using fill_testing::kBlank;
using fill_testing::Table;
using Names = std::vector<std::string>;

class CrudeReportUnits : public fill_testing::FillCaseFixture {
 protected:
  CDbSpecialSubs& Subs() { return m_solution->m_specialSubs; }
};

TEST_F(CrudeReportUnits, ReportTableTakesTheSectionsItsCodesChoose) {
  // Cut LN (pool 3) and HV (pool 1, type 3) name columns LN], LN[ and HV+; KR gives CD1 a type-2 cut.
  Subs().m_nColumnCount = 2;
  Subs().m_astrColumnNames = {"CD1", "CD2"};
  Subs().m_nCutCount = 3;
  Subs().m_astrCutNames = {"LN", "HV", "KR"};
  Subs().m_aCutColumnValues = {1, 1, 3, 3, 2, 1};
  Subs().m_aCutColumnFlags = {3, 3, 1, 1, 0, 0};
  Subs().m_aReportValues = {1, 2, 2, 2, 3, 2};
  std::vector<double> cells(49, kBlank);
  for (int i = 0; i < 7; ++i) cells[static_cast<std::size_t>(i * 7 + i)] = 1;
  cells[1] = 0.5;  // row VBALABC, column LN]
  WriteTables({Table{"SCD1",
                     {"VBALABC", "VBALXYZ", "PFVTABC", "PABCNUM", "PABCA12", "UBALSTM", "CCAPCAP"},
                     {"ABC", "LN]", "LN[", "LN)", "HV+", "A!X", "ZZZ"},
                     {"abc", "xyz", "fvt", "num", "avg", "steam", "cap"},
                     cells},
               Table{"SCD2", {"VBALABC"}, {"A!X"}, {"abc"}, {1}}});

  struct Case {
    std::int32_t index;
    Names columns;
  };
  for (const Case& c : {Case{0, {"SCD1ABC", "SCD1LN]", "SCD1LN["}}, Case{1, {"SCD1HV+", "SCD1A!X", "SCD1ZZZ"}},
                        Case{2, {"SCD1ABC", "SCD1LN]", "SCD1LN[", "SCD1HV+", "SCD1A!X", "SCD1ZZZ"}}}) {
    SCOPED_TRACE(c.index);
    CTableFilTable table;
    table.Reset("REPORT1");
    Subs().BuildReportTable(&Main(), table, c.index, &m_export);
    EXPECT_EQ(table.m_aColumnNames, c.columns) << "CD2 has no type-2 cut, so code 2 skips it";
    EXPECT_EQ(table.m_aRowNames, (Names{"VBALABC", "VBALXYZ", "PABCA12", "UBALSTM", "CCAPCAP"}));
    EXPECT_EQ(table.m_aRowTexts, (Names{"abc", "xyz", "avg", "steam", "cap"}));
    if (c.index == 0) {
      float value;
      EXPECT_FALSE(table.GetValue(1, value));  // row VBALABC, column SCD1LN]: not blank
      EXPECT_FLOAT_EQ(value, 0.5f);
      EXPECT_TRUE(table.IsBlank(2));
    }
  }
}

TEST_F(CrudeReportUnits, ProductsOfOneCutMergeIntoTheFirst) {
  MakePeriods({"A"}, false);
  CDbModel& model = AddModel("M", 3);
  const std::vector<std::pair<std::string, std::int32_t>> streams = {
      {"LN1", 21}, {"LNX", 22}, {"HV1", 23}, {"LOS", 24}, {"KRX", 25}};
  for (const auto& [name, id] : streams) AddStream(model, name, id);
  Subs().m_astrCutNames = {"KR1", "LN1", "HV1"};
  CDbDefinition unit(5, &m_export);
  auto primalNode = std::make_unique<CDbPrimalNode>("M");
  primalNode->m_paPeriods.Add(std::make_unique<CDbPrimalPeriod>("A"));
  auto& ops = Period("A").m_paUnitOperationMaterials;
  auto add = [&](std::int32_t item, double activity, std::int32_t feed) {
    auto op = std::make_unique<CDbUnitOp>(5, 3, &m_export);
    op->m_nItemID = item;
    op->m_nKind = CDbUnitOp::kMaterial;
    op->m_dActivity = activity;
    op->m_nFeedFlag = feed;
    ops.Add(std::move(op));
    ops.Sort(&CDbUnitOp::CompareElements);
  };
  add(21, 2, 0);
  add(22, 3, 0);
  add(23, 4, 1);
  add(24, 5, 0);
  add(25, 6, 0);
  CTableFilTable table;
  table.m_aRowNames = {"VBALLN1", "WBALLN1", "VBALLNX", "VBALHV1", "VBALLOS", "VBALKRX"};

  m_solution->MergeCutOperations(&unit, table, primalNode.get(), m_case, &model);

  ASSERT_EQ(ops.GetSize(), 4);
  EXPECT_EQ(ops.GetAt(0)->m_nItemID, 21);
  EXPECT_DOUBLE_EQ(ops.GetAt(0)->m_dActivity, 5.0) << "LNX folds into LN1, once";
  EXPECT_EQ(ops.GetAt(1)->m_nItemID, 23) << "feeds are never merged";
  EXPECT_EQ(ops.GetAt(2)->m_nItemID, 24);
  EXPECT_EQ(ops.GetAt(3)->m_nItemID, 25) << "cut position 0 never merges";
}

}  // namespace
