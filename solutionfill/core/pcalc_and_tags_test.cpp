#include <gtest/gtest.h>

#include "solutionfill/core/testing/fill_case_fixture.h"
#include "tableio/worksheet/testing/sheet_fixture.h"
#include "tableio/worksheet/wks_file.h"

namespace {

using fill_testing::kBlank;
using fill_testing::Table;

class PcalcAndTags : public fill_testing::FillCaseFixture {};

TEST_F(PcalcAndTags, PcalcPoolsWithCoefficientsAndConstants) {
  WriteTables({
      Table{"PCALC", {"P01S01", "P01S02", "P02S01", "P0SHR", "P03S01X", "P04S01"}, {"SUL", "DEN"}, {},
            {0.5, kBlank, 0.25, 2, kBlank, 3, 9, 9, 9, 9, kBlank, kBlank}},
      Table{"PCALCB", {"P01S02", "P09S01"}, {"SUL", "DEN"}, {}, {1.5, 2.5, 7, 7}},
  });
  CDbModel& model = AddModel("N", 1);
  AddStream(model, "P02", 0);
  ASSERT_TRUE(model.BuildPcalcPools(&Main(), true));
  ASSERT_EQ(model.m_paPCALCingPools.GetSize(), 2);  // P0SHR, the 7-character row and the blank P04 make none
  const CPCALCingPool& p01 = *model.m_paPCALCingPools.GetAt(0);
  EXPECT_EQ(p01.m_strTag, "P01");
  ASSERT_EQ(p01.m_paQualities.GetSize(), 2);
  EXPECT_EQ(p01.m_paQualities.GetAt(0)->m_strTag, "DEN");  // sorted by tag
  const CPCALCingQuality& sul = *p01.m_paQualities.GetAt(1);
  ASSERT_EQ(sul.m_paPools.GetSize(), 2);  // two sources in row order
  EXPECT_EQ(sul.m_paPools.GetAt(0)->m_strTag, "S01");
  EXPECT_EQ(sul.m_paPools.GetAt(0)->m_dValue, 0.5);
  EXPECT_EQ(sul.m_paPools.GetAt(0)->m_dWorkValue, 0.0);
  EXPECT_EQ(sul.m_paPools.GetAt(1)->m_dWorkValue, 1.5);
  EXPECT_EQ(p01.m_paQualities.GetAt(0)->m_paPools.GetAt(0)->m_dWorkValue, 2.5);

  model.BuildPcalcPoolStreams();
  ASSERT_EQ(model.m_paStreams.GetSize(), 2);  // P02 is a stream already
  const CDbStream& p01Stream = *model.m_paStreams.GetAt(0);
  EXPECT_EQ(p01Stream.m_strName, "P01");
  EXPECT_EQ(p01Stream.m_nID, 1);
  EXPECT_EQ(p01Stream.m_strDescription, "Pcalc'd Pool");
  EXPECT_EQ(p01Stream.m_bDummyFlag, 1);

  WriteTables({});
  EXPECT_FALSE(model.BuildPcalcPools(&Main(), true));
  EXPECT_TRUE(model.m_paPCALCingPools.IsEmpty());
}

TEST_F(PcalcAndTags, CrudeBlendFractions) {
  WriteTables({Table{"CRDBLEND", {"AAAx", "BBB", "ZZZ"}, {"MIX1", "ONE", "NOS"}, {},
                     {1, 5, 1, 3, kBlank, 1, 4, 7, 1}}});
  CDbModel& model = AddModel("N", 1);
  AddStream(model, "AAA", 1);
  AddStream(model, "BBB", 2);
  AddStream(model, "MIX", 7);
  AddStream(model, "ONE", 3);
  model.BuildCrdBlends(&Main());
  std::vector<std::tuple<int, int, double>> rows;
  for (const CDbCrdBlend* b : model.m_paCrdBlends) rows.emplace_back(b->m_nID, b->m_nStreamID, b->m_dValue);
  EXPECT_EQ(rows, (std::vector<std::tuple<int, int, double>>{{3, 1, 1.0}, {7, 1, 0.25}, {7, 2, 0.75}}));
  EXPECT_EQ(model.m_paCrdBlends.GetAt(1)->m_strName, "MIX");
}

TEST_F(PcalcAndTags, HydrogenStreamsAndQualitiesFromTheWorksheet) {
  CDbModel& model = AddModel("N", 1);
  AddStream(model, "H2A", 1);
  AddStream(model, "H2B", 2);
  auto quality = std::make_unique<CDbQuality>(1, &m_export);
  quality->m_strName = "HYD";
  model.m_paQualities.Add(std::move(quality));
  CDbNode& node = *m_case->m_paNodes.GetAt(0);
  // No worksheet: nothing to do.
  EXPECT_TRUE(node.BuildTagQualities(&Main(), 1, &model));
  EXPECT_TRUE(model.m_paHydrogenStreams.IsEmpty());

  const std::string path = (m_home / "M" / "hbaldef.xls").string();
  wks_test::WriteSheet(2, {{"TAG", "QUALITY"}, {"H2A", "HYD"}, {"H2B", ""}, {"XXX", "NOQ"}}, path);
  EXPECT_TRUE(node.BuildTagQualities(&Main(), 1, &model));
  CloseCachedWorkbook(true);
  ASSERT_EQ(model.m_paHydrogenStreams.GetSize(), 2);
  EXPECT_EQ(model.m_paHydrogenStreams.GetAt(1)->m_strName, "H2B");
  ASSERT_EQ(model.m_paHydrogenQualities.GetSize(), 1);
  EXPECT_EQ(model.m_paHydrogenQualities.GetAt(0)->m_strName, "HYD");

  // A worksheet without the column QUALITY is reported and ends the step.
  model.m_paHydrogenStreams.RemoveAll();
  wks_test::WriteSheet(2, {{"TAG", "OTHER"}, {"H2A", "X"}}, path);
  EXPECT_FALSE(node.BuildTagQualities(&Main(), 1, &model));
  CloseCachedWorkbook(true);
  EXPECT_TRUE(model.m_paHydrogenStreams.IsEmpty());
  EXPECT_EQ(model.m_paHydrogenStreams.m_bOwnsElements, 0);
}

}  // namespace
