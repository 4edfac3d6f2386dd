// The recursion look-ups of the unit tables: recursed names and guesses,
// ROWSORG and TVPROP entries, recursed coefficients and factors in both
// precisions, and the property rows a global case computes again for
// transferred streams.

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "solutionfill/core/solver_side_files.h"
#include "solutionfill/economics/testing/economics_fixture.h"

namespace {

using econ_testing::kBlank;
using econ_testing::Table;

// A record with names of the pool group (0 to pools-1), general pairs
// (pools to pools+general-1), the period codes and values in the main
// model's single precision; double values follow each float one times two.
CRecursionRecord Record(const std::vector<std::string>& primary, const std::vector<std::string>& secondary,
                        std::int32_t pools, const std::vector<std::string>& codes, const std::vector<float>& values) {
  CRecursionRecord record;
  const auto names = static_cast<std::int32_t>(primary.size());
  record.m_anHeader = {pools, pools, names, names, names, names, static_cast<std::int32_t>(codes.size()), 0};
  record.m_astrPrimaryNames = primary;
  record.m_astrSecondaryNames = secondary;
  record.m_astrPeriodCodes = codes;
  record.m_afValues = values;
  for (const float value : values) record.m_adValues.push_back(value * 2.0);
  return record;
}

class RecursionRows : public econ_testing::EconomicsFixture {
 protected:
  // TVPROP.DAT records of two 8-character name parts and a float.
  void WriteTvprop(const std::vector<std::tuple<std::string, std::string, float>>& records) {
    table_fixtures::ByteWriter w;
    for (const auto& [first, second, value] : records) w.Fixed(first, 8).Fixed(second, 8).Float(value);
    std::ofstream(m_home / "M" / "TVPROP.DAT", std::ios::binary) << w.m_bytes;
  }
  float Coefficient(const std::string& row, const std::string& column, std::int32_t a,
                    const CRecursionRecord& record, float value, bool pool) {
    m_solution->GetRecursedCoefficient(&Main(), row, column, a, record, value, pool);
    return value;
  }
};

TEST_F(RecursionRows, NamesGuessesRowsorgAndTvprop) {
  WriteTables({Table{"PGUESS", {"ABC", "DEF"}, {"SUL", "RON"}, {}, {0.5, kBlank, kBlank, 92}},
               Table{"ROWSORG", {"R1", "R2"}, {"C1", "C2"}, {}, {1, kBlank, kBlank, 4}}});
  WriteTvprop({{"AB  ", "CD", 7.5f}});
  Main().m_settings.m_ModelType.SetValue(3);
  Main().m_settings.m_UseNimboOn.SetValue(1);
  const CRecursionRecord record =
      Record({"QSULABCA1   ", "RRONDEFB2", "XGENERAL"}, {"", "", "COLUMN"}, 2, {"1"}, {1, 2, 3});

  m_solution->BuildRecursionRows(&Main(), record);

  const auto& objects = Main().m_recObjects;
  ASSERT_EQ(objects.GetSize(), 2);  // the pool names only
  EXPECT_EQ(objects[0]->m_strName, "RONDEF");  // the letter, the plant and the period code dropped
  EXPECT_EQ(objects[0]->m_nIndex, 1);
  EXPECT_EQ(objects[0]->m_fValue, 92.0f);
  EXPECT_EQ(objects[1]->m_strName, "SULABC");
  EXPECT_EQ(objects[1]->m_fValue, 0.5f);
  ASSERT_EQ(RowsOrgEntries().GetSize(), 2);
  EXPECT_EQ(RowsOrgEntries()[0]->m_strName, "R1C1");
  EXPECT_EQ(RowsOrgEntries()[1]->m_dActivity, 4.0);
  EXPECT_TRUE(TvpropEntries().IsEmpty()) << "TVPROP.DAT belongs to multi-period models of type 1";

  Main().m_settings.m_ModelType.SetValue(1);
  Main().m_settings.m_UseNimboOn.SetValue(0);
  m_solution->BuildRecursionRows(&Main(), record);
  EXPECT_EQ(Main().m_recObjects[1]->m_strName, "SULABCA1");
  ASSERT_EQ(TvpropEntries().GetSize(), 1);
  EXPECT_EQ(TvpropEntries()[0]->m_strName, "ABCD");
}

TEST_F(RecursionRows, PoolCoefficientsTakeTheRecursedValueWithTheSignOfTheCell) {
  WriteTables({Table{"PGUESS", {"ABC", "DEF", "GHI"}, {"SUL"}, {}, {-2, 0, kBlank}}});
  // Two periods: element a x NameCount + index.
  const CRecursionRecord record = Record({"QSULABC", "QSULDEF", "QSULGHI"}, {"", "", ""}, 3, {"1", "2"},
                                         {0.25f, 0.5f, 0.75f, 1.25f, 1.5f, 1.75f});
  m_solution->BuildRecursionRows(&Main(), record);
  struct Case {
    const char* column;
    std::int32_t a;
    float cell;
    float expected;
  };
  const Case cases[] = {
      {"U1ABC", 0, 3.0f, -0.25f},  // the guess is negative, the cell positive: the sign turns
      {"U1ABC", 0, -3.0f, 0.25f},  {"U1ABC", 0, 999.0f, 0.25f}, {"U1ABC", 1, -999.0f, -1.25f},
      {"U1DEF", 1, -3.0f, 1.5f},   // a guess of 0 gives +1
      {"U1GHI", 0, -3.0f, 0.75f},  // so does a blank guess
      {"U1GHI", -1, 1.0f, 0.75f},  // a period index below 0 takes the name's own element
      {"U1XYZ", 0, 4.0f, 4.0f},    // no recursed name, no TVPROP entry
      {"U1GHI", 2, 4.0f, 4.0f},    // past the record's periods
  };
  for (const Case& c : cases)
    EXPECT_EQ(Coefficient("PSULA12", c.column, c.a, record, c.cell, true), c.expected) << c.column << " " << c.a;

  Main().m_settings.m_UseNimboOn.SetValue(1);  // double precision
  EXPECT_EQ(Coefficient("PSULA12", "U1DEF", 1, record, 1.0f, true), 3.0f);
  EXPECT_EQ(Coefficient("PSULA12", "U1DEF", 1, CRecursionRecord(), 1.0f, true), 1.0f) << "no period codes";
}

TEST_F(RecursionRows, PoolCoefficientsFallBackToTvpropAndFactorsMultiplyOrReplace) {
  WriteTables({});
  WriteTvprop({{"U1XYZ1", "PSULA121", 0.125f}, {"DSL1", "", 42.0f}});
  Main().m_settings.m_ModelType.SetValue(1);
  const CRecursionRecord record = Record({"QDSLVAC"}, {""}, 1, {"1"}, {0.5f});
  m_solution->BuildRecursionRows(&Main(), record);

  EXPECT_EQ(Coefficient("PSULA12", "U1XYZ", 0, record, -3.0f, true), -0.125f);

  float value = 4.0f;
  EXPECT_TRUE(m_solution->ApplyRecursedFactor(&Main(), "DSL", "VAC", 0, record, value));
  EXPECT_EQ(value, 2.0f);
  value = 4.0f;
  EXPECT_TRUE(m_solution->ApplyRecursedFactor(&Main(), "ABC", "DSL", 0, record, value));
  EXPECT_EQ(value, 42.0f) << "a TVPROP value replaces the coefficient";
  value = 4.0f;
  EXPECT_FALSE(m_solution->ApplyRecursedFactor(&Main(), "ABC", "DEF", 0, record, value));
  EXPECT_FALSE(m_solution->ApplyRecursedFactor(&Main(), "ABC", "DSL", 5, record, value)) << "no period code 5";
  EXPECT_EQ(value, 4.0f);

  Main().m_settings.m_UseZelunMGOn.SetValue(1);  // double precision: the double array
  value = 4.0f;
  EXPECT_TRUE(m_solution->ApplyRecursedFactor(&Main(), "DSL", "VAC", 0, record, value));
  EXPECT_EQ(value, 4.0f);
}

TEST_F(RecursionRows, GeneralCoefficientsTakeSiOverRowsorgOverTheRecursionValue) {
  WriteTables({Table{"ROWSORG", {"VBALAAA1", "VBALBBB1"}, {"U1AAA1", "U1BBB1"}, {}, {7, kBlank, kBlank, 8}}});
  Main().m_settings.m_ModelType.SetValue(1);
  const CRecursionRecord record = Record({"VBALAAA     ", "VBALBBB", "VBALCCC"}, {"U1AAA", "U1BBB", "U1CCC"}, 0,
                                         {"1", "2"}, {1, 2, 3, 4, 5, 6});
  m_solution->BuildRecursionRows(&Main(), record);
  auto si = std::make_unique<CSiOutputValue>();
  si->m_strText1 = "VBALBBB1";
  si->m_strText2 = "U1BBB1";
  si->m_dValue = 9;
  Main().m_siOutputValues.Add(std::move(si));

  EXPECT_EQ(Coefficient("VBALAAA", "U1AAA", 0, record, 0.0f, false), 7.0f) << "ROWSORG over the recursion value";
  EXPECT_EQ(Coefficient("VBALAAA", "U1AAA", 1, record, 0.0f, false), 4.0f) << "the recursion value of period 2";
  EXPECT_EQ(Coefficient("VBALBBB", "U1BBB", 0, record, 0.0f, false), 9.0f) << "the SI value over both";
  EXPECT_EQ(Coefficient("VBALCCC", "U1XXX", 0, record, 0.5f, false), 0.5f);
  EXPECT_EQ(Coefficient("VBALAAA", "U1AAA", -1, record, 0.5f, false), 0.5f) << "nothing below period index 0";

  Main().m_settings.m_ModelType.SetValue(0);  // no period names: ROWSORG is not consulted
  EXPECT_EQ(Coefficient("VBALAAA", "U1AAA", 0, record, 0.0f, false), 1.0f);
}

TEST_F(RecursionRows, TransferredStreamsRecomputeTheirPropertyRows) {
  WriteTables({});
  Main().m_settings.m_ModelType.SetValue(2);
  auto local = std::make_unique<CVornModelFile>();
  local->m_strModelName = "b";
  local->m_settings.m_SMALL.SetValue(1e-6);
  std::filesystem::create_directories(m_home / "b");
  const auto files =
      table_fixtures::MakeClassicFiles({Table{"U1", {"PSULA12", "PSULT12"}, {"ABC", "DEF", "GHI"}, {},
                                              {2, 1, 1e-9, 2, 1, 1e-9}}});
  std::ofstream(m_home / "b" / "tables.map", std::ios::binary) << files.index;
  std::ofstream(m_home / "b" / "tables.fil", std::ios::binary) << files.cache;
  m_export.m_paLocalModelFiles = std::make_unique<CVornModelFileArray>();
  m_export.m_paLocalModelFiles->Add(std::move(local));

  MakePeriods({"1"}, false);
  CDbModel& from = AddModel("A", 1);
  CDbModel& to = AddModel("B", 2);
  to.m_strModelName = "B";
  for (CDbModel* model : {&from, &to}) {
    auto quality = std::make_unique<CDbQuality>(model == &from ? 61 : 51, &m_export);
    quality->m_strName = "SUL";
    model->m_paQualities.Add(std::move(quality));
  }
  AddStream(to, "ABC", 21);
  CDbPeriod& period = Period("1");
  auto transfer = std::make_unique<CDbTransfer>(1, 1, &m_export);
  transfer->m_strFromText = "A";
  transfer->m_strToText = "B";
  transfer->m_nFromStreamID = 31;
  transfer->m_nToStreamID = 21;
  period.m_paTransfers.Add(std::move(transfer));
  auto reference = std::make_unique<CStreamToPRowCrossReference>(21, 2);
  for (int row = 0; row < 2; ++row) {
    auto info = std::make_unique<CPRowInfo>();
    info->m_nUnitID = 11;
    info->m_nPRowID = row + 1;
    info->m_strSubmodelName = "U1";
    info->m_nRowIndex = row;
    reference->m_paPRowInfos.Add(std::move(info));
    auto pRow = std::make_unique<CDbPRow>(row + 1, 2, 11, &m_export);
    pRow->m_strTag = row == 0 ? "PSULA12" : "PSULT12";
    pRow->m_dActivity = 5;
    period.m_paPRows.Add(std::move(pRow));
  }
  period.m_paStreamToPRowRefs.Add(std::move(reference));
  auto source = std::make_unique<CDbStreamQuality>(31, 1, 61, &m_export);
  source->m_nOriginID = 2;
  CDbStreamQuality& sourceQuality = *source;
  period.m_paStreamQualities.Add(std::move(source));
  auto received = std::make_unique<CDbStreamQuality>(21, 2, 51, &m_export);
  received->m_dValue = 0.8;
  period.m_paStreamQualities.Add(std::move(received));
  CDbPrimalPeriod& primal = PrimalPeriod("B", "1");
  Column(primal, "U1ABC", 3);
  Column(primal, "U1DEF", 1);
  Column(primal, "U1GHI", 100);

  sourceQuality.m_nOriginID = 1;  // a fixed source quality changes nothing
  m_solution->ReProcessPRowsForTransfers(m_case);
  EXPECT_EQ(period.m_paPRows[0]->m_dActivity, 5.0);

  sourceQuality.m_nOriginID = 2;
  m_solution->ReProcessPRowsForTransfers(m_case);
  const double sum = static_cast<double>(0.8f) * 3 + 1.0 * 1;  // the received quality replaces ABC's cell
  EXPECT_DOUBLE_EQ(period.m_paPRows[0]->m_dActivity, sum / 4) << "an average; GHI's cell is below SMALL";
  EXPECT_DOUBLE_EQ(period.m_paPRows[1]->m_dActivity, sum * 1000) << "a total";
}

}  // namespace
