#include <gtest/gtest.h>

#include "caseset/vorn_db_export_data.h"
#include "modelfile/property_calculation.h"
#include "solutionfill/core/solver_side_files.h"
#include "solutionfill/core/stream_quality_services.h"
#include "solutionfill/core/testing/fill_case_fixture.h"

namespace {

using fill_testing::kBlank;
using fill_testing::Table;

class StreamQualities : public fill_testing::FillCaseFixture {
 protected:
  CDbQuality& AddQuality(CDbModel& model, const std::string& tag, std::int32_t id) {
    auto quality = std::make_unique<CDbQuality>(id, &m_export);
    quality->m_strName = tag;
    quality->m_strQualityNote = " ";
    CDbQuality& made = *quality;
    model.m_paQualities.Add(std::move(quality));
    model.m_paQualities.Sort(&CDbQuality::CompareElements);
    return made;
  }
  static const CDbStreamQuality* Find(const CDbPeriod& period, std::int32_t stream, std::int32_t quality) {
    const CDbStreamQuality* found = nullptr;
    for (const CDbStreamQuality* each : period.m_paStreamQualities)
      if (each->m_nID == stream && each->m_nQualityID == quality) {
        EXPECT_EQ(found, nullptr) << "duplicate stream quality " << stream << "/" << quality;
        found = each;
      }
    return found;
  }
  // Names and values k + 0.5 + 100 j for name k and period code j.
  static CRecursionRecord Recursion(const std::vector<std::int32_t>& bounds, const std::vector<std::string>& primary,
                                    const std::vector<std::string>& secondary, const std::vector<std::string>& codes) {
    CRecursionRecord record;
    for (std::size_t h = 0; h < bounds.size(); ++h) record.m_anHeader[h] = bounds[h];
    record.m_anHeader[5] = static_cast<std::int32_t>(primary.size());
    record.m_anHeader[6] = static_cast<std::int32_t>(codes.size());
    record.m_bDoublePrecision = true;
    record.m_astrPrimaryNames = primary;
    record.m_astrSecondaryNames = secondary;
    record.m_astrPeriodCodes = codes;
    for (std::size_t j = 0; j < codes.size(); ++j)
      for (std::size_t k = 0; k < primary.size(); ++k) record.m_adValues.push_back(k + 0.5 + 100.0 * j);
    return record;
  }
};

TEST_F(StreamQualities, RecursionGroupsBlendTablesAndUpdatedRows) {
  WriteTables({
      Table{"PGUESS", {"POL"}, {"SUL", "RVP"}, {}, {2.0, kBlank}},
      Table{"TABSLP", {"R1"}, {"V"}, {"DEPNAME INDNAME"}, {9.0}},
      Table{"INITSUSC", {"SUL"}, {"BLD"}, {}, {4.0}},
      Table{"BLNXXX",
            {"POL", "POLA", "POLB", "SRC", "BLD", "MAX", "PO"},
            {"SUL", "VIS", "RVP"},
            {},
            {50, kBlank, kBlank,  //
             kBlank, kBlank, 8,   //
             kBlank, kBlank, 70,  //
             60, kBlank, kBlank,  //
             kBlank, 7, kBlank,   //
             kBlank, 1, kBlank,   //
             kBlank, 3, kBlank}},
  });
  Main().m_settings.m_OutputMpsDatabaseTables.SetValue(1);
  MakePeriods({"A"}, false);
  CDbModel& model = AddModel("M", 1);
  AddStream(model, "POL", 1);
  AddStream(model, "BLD", 2);
  AddStream(model, "SRC", 3);
  CDbQuality& sul = AddQuality(model, "SUL", 1);
  CDbQuality& rvp = AddQuality(model, "RVP", 2);
  AddQuality(model, "VIS", 3);
  sul.m_strQualityNote = "KWH";
  rvp.m_nWorkValue2 = 3;  // interaction quality VIS with stream SRC
  rvp.m_nWorkValue3 = 3;
  auto utility = std::make_unique<CDbDefinition>(7, &m_export);
  utility->m_strName = "KWH";
  model.m_paUtilities.Add(std::move(utility));
  model.m_paUtilities.Sort(&CDbObject::CompareDbObjectName);

  // Names 0-2 recursed, 3 PCALC'd, 4 a general recursion, 5 a susceptibility;
  // code "Z" names no period of the case.
  const CRecursionRecord recursion =
      Recursion({3, 4, 5, 5, 5}, {"XSULPOL     ", "XSULPOL     ", "XRVPPOL     ", "XSULSRC     ", "DEPNAME", "XSULBLD"},
                {"", "", "", "", "INDNAME", ""}, {" ", "Z"});
  m_solution->BuildStreamQualities(&Main(), m_case, &model, recursion, false);

  const CDbPeriod& period = Period("A");
  const CDbStreamQuality* pool = Find(period, 1, 1);
  ASSERT_NE(pool, nullptr);
  EXPECT_EQ(pool->m_dValue, 1.5);  // the later name overwrites; the blend-table row without period does not
  EXPECT_EQ(pool->m_nOriginID, 2);
  EXPECT_EQ(pool->m_dInitialValue, 2.0);  // PGUESS row of the stream
  const CDbStreamQuality* rvpPool = Find(period, 1, 2);
  ASSERT_NE(rvpPool, nullptr);
  EXPECT_EQ(rvpPool->m_dValue, 8.0);  // the row of this period overrides; the row of period B does not
  EXPECT_EQ(rvpPool->m_dInitialValue, kBlank);
  const CDbStreamQuality* pcalced = Find(period, 3, 1);
  ASSERT_NE(pcalced, nullptr);
  EXPECT_EQ(pcalced->m_dValue, 3.5);
  EXPECT_EQ(pcalced->m_nOriginID, 3);
  const CDbStreamQuality* fixed = Find(period, 2, 3);
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(fixed->m_dValue, 7.0);
  EXPECT_EQ(fixed->m_nOriginID, 1);
  EXPECT_EQ(period.m_paStreamQualities.GetSize(), 4);  // MAX and too-short rows make nothing

  ASSERT_EQ(period.m_paBlendQualities.GetSize(), 1);
  const CDbBlendQuality& holder = *period.m_paBlendQualities.GetAt(0);
  EXPECT_EQ(holder.m_nID, 10001);
  EXPECT_EQ(holder.m_nQualityID, 3);
  ASSERT_EQ(holder.m_paBonusInteractions.GetSize(), 1);
  EXPECT_EQ(holder.m_paBonusInteractions.GetAt(0)->m_nID, 3);
  EXPECT_EQ(holder.m_paBonusInteractions.GetAt(0)->m_dActivity, 2.5);
  EXPECT_EQ(holder.m_paBonusInteractions.GetAt(0)->m_nInteractionTypeID, 2);

  ASSERT_EQ(period.m_paGeneralRecursions.GetSize(), 1);
  const CDbGeneralRecursion& general = *period.m_paGeneralRecursions.GetAt(0);
  EXPECT_EQ(general.m_strDependentVar, "DEPNAME");
  EXPECT_EQ(general.m_strIndependentVar, "INDNAME");
  EXPECT_EQ(general.m_dCoefficientValue, 4.5);
  EXPECT_EQ(general.m_dInitialValue, 9.0);

  ASSERT_EQ(period.m_paSusceptibilities.GetSize(), 1);
  const CDbSusceptibility& susceptibility = *period.m_paSusceptibilities.GetAt(0);
  EXPECT_EQ(susceptibility.m_nID, 2);
  EXPECT_EQ(susceptibility.m_nUtilityID, 7);
  EXPECT_EQ(susceptibility.m_dValue, 5.5);
  EXPECT_EQ(susceptibility.m_dInitialValue, 4.0);

  // Updated qualities are numbered from 0 in the order they are made; each pool guess names the one made with it.
  ASSERT_EQ(period.m_paUpdatedQualities.GetSize(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(period.m_paUpdatedQualities.GetAt(i)->m_nID, i);
  EXPECT_EQ(period.m_paUpdatedQualities.GetAt(0)->m_strColumnName, "QSULPOLM");
  ASSERT_EQ(period.m_paUpdatedPGuesses.GetSize(), 3);
  EXPECT_EQ(period.m_paUpdatedPGuesses.GetAt(0)->m_nUpdatedQualityID, 0);
  EXPECT_EQ(period.m_paUpdatedPGuesses.GetAt(2)->m_nUpdatedQualityID, 2);
}

TEST_F(StreamQualities, PeriodCodesAndPeriodGuesses) {
  WriteTables({
      Table{"PGUESS", {"POL", "POLB"}, {"SUL"}, {}, {2.0, 3.0}},
      Table{"BLNXXX", {"XXX"}, {"SUL"}, {}, {1.0}},
  });
  MakePeriods({"A", "B"}, true);
  CDbModel& model = AddModel("M", 1);
  AddStream(model, "POL", 1);
  AddQuality(model, "SUL", 1);
  const CRecursionRecord recursion = Recursion({1, 1, 1, 1, 1}, {"XSULPOL"}, {""}, {"A", "B", "C"});
  m_solution->BuildStreamQualities(&Main(), m_case, &model, recursion, false);

  const CDbStreamQuality* a = Find(Period("A"), 1, 1);
  const CDbStreamQuality* b = Find(Period("B"), 1, 1);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(a->m_dValue, 0.5);
  EXPECT_EQ(a->m_dInitialValue, 2.0);  // no row "POLA": the stream's row
  EXPECT_EQ(b->m_dValue, 100.5);
  EXPECT_EQ(b->m_dInitialValue, 3.0);  // the period's own row
  EXPECT_TRUE(Period(".").m_paStreamQualities.IsEmpty());
}

TEST_F(StreamQualities, DerivedFromFormulasAndIndexPairs) {
  MakePeriods({"A"}, false);
  CDbModel& model = AddModel("M", 1);
  for (const char* tag : {"VBI", "VIS", "FLS", "FLI"}) AddQuality(model, tag, model.m_paQualities.GetSize() + 1);
  auto formula = std::make_unique<CPropertyCalculation>();
  formula->SetExpression("2*VIS");
  int position = 0;
  ASSERT_TRUE(formula->CompileAndListVariables(&position));
  formula->m_strPropertyName = "VBI";
  formula->m_variableNames = {"VIS"};
  formula->m_startingRanges = {0};
  formula->m_endingRanges = {100};
  formula->m_dStartValue = 0;
  formula->m_dEndValue = 200;
  Main().m_formulas.Add(std::move(formula));
  // INDEX pair: FLS (output) over FLI (input).
  model.m_tableFil.m_aRowNames = {"FLS", "FLI", "ODD"};
  model.m_tableFil.m_aColumnNames = {"1", "2", "3"};
  model.m_tableFil.m_aCells = {100, 200, 300, 0, 10, 20, 1, 2, 3};

  CDbPeriod& period = Period("A");
  auto add = [&](std::int32_t stream, std::int32_t quality, double value, double initial) {
    auto entry = std::make_unique<CDbStreamQuality>(stream, 1, quality, &m_export);
    entry->m_dValue = value;
    entry->m_dInitialValue = initial;
    period.m_paStreamQualities.Add(std::move(entry));
  };
  add(1, 1, 200, 40);     // VBI at the end of the range: VIS 100, initial 20
  add(2, 1, 500, kBlank);  // VBI outside the range: nothing, and never the INDEX pairs
  add(2, 4, 5, 5);        // FLI 5: FLS 150, the initial value reuses it
  add(3, 4, 5, kBlank);   // FLI with FLS present already
  add(3, 3, 1, kBlank);
  period.m_paStreamQualities.Sort(&CDbStreamQuality::CompareElements);
  m_solution->BuildDerivedStreamQualities(&Main(), &period, &model);

  EXPECT_EQ(period.m_paStreamQualities.GetSize(), 7);
  const CDbStreamQuality* vis = Find(period, 1, 2);
  ASSERT_NE(vis, nullptr);
  EXPECT_NEAR(vis->m_dValue, 100, 1e-6);
  EXPECT_NEAR(vis->m_dInitialValue, 20, 1e-6);
  EXPECT_EQ(vis->m_nOriginID, 5);
  EXPECT_EQ(Find(period, 2, 2), nullptr);
  const CDbStreamQuality* flash = Find(period, 2, 3);
  ASSERT_NE(flash, nullptr);
  EXPECT_DOUBLE_EQ(flash->m_dValue, 150);
  EXPECT_DOUBLE_EQ(flash->m_dInitialValue, 150);
  EXPECT_EQ(flash->m_nOriginID, 4);
}

TEST_F(StreamQualities, TransferredQualitiesTakeTheSourcePlantsValue) {
  WriteTables({Table{"BLNXXX", {"POL", "BLD"}, {"SUL"}, {}, {1.0, 2.0}}});
  MakePeriods({"A"}, false);
  CDbModel& source = AddModel("S", 2);
  AddStream(source, "SRC", 5);
  AddQuality(source, "SUL", 1);
  CDbModel& model = AddModel("M", 1);
  AddStream(model, "POL", 1);
  AddStream(model, "BLD", 2);
  AddQuality(model, "SUL", 1);
  auto plant = std::make_unique<CTrxPlant>("M");
  auto pool = std::make_unique<CTrxPool>("POL");
  auto quality = std::make_unique<CTrxQuality>("SUL");
  quality->m_strSourcePlant = "S";
  quality->m_strSourcePool = "SRC";
  pool->m_paQualities.Add(std::move(quality));
  plant->m_paPools.Add(std::move(pool));
  m_solution->m_paTrxPlants.Add(std::move(plant));

  CDbPeriod& period = Period("A");
  auto sourceValue = std::make_unique<CDbStreamQuality>(5, 2, 1, &m_export);
  sourceValue->m_dValue = 42;
  period.m_paStreamQualities.Add(std::move(sourceValue));
  const CRecursionRecord none;
  m_solution->BuildStreamQualities(&Main(), m_case, &model, none, true);

  const CDbStreamQuality* transferred = Find(period, 1, 1);
  ASSERT_NE(transferred, nullptr);
  EXPECT_EQ(transferred->m_nOriginID, 9);
  EXPECT_EQ(transferred->m_dValue, 1.0);
  EXPECT_EQ(Find(period, 2, 1)->m_nOriginID, 1);  // no transfer data for BLD
  m_solution->FillNodeStreamQualities(m_case);
  EXPECT_EQ(transferred->m_dValue, 42.0);
}

TEST_F(StreamQualities, BlankCodeWithoutPeriodsAndQualitiesOfRecursedRows) {
  CDbModel& model = AddModel("M", 1);
  AddStream(model, "POL", 1);
  const CRecursionRecord recursion = Recursion({2, 2, 2, 2, 2}, {"XSULPOL     ", "XARO"}, {"", ""}, {" "});
  // A case without periods: the blank code has nowhere to go.
  m_solution->BuildStreamQualities(&Main(), m_case, &model, recursion, false);
  EXPECT_TRUE(model.m_paQualities.IsEmpty());

  MakePeriods({"A"}, false);
  Main().m_settings.m_UseNimboOn.SetValue(1);
  RecursedQualityRowNames(Main()) = {"XSULPOL     "};
  m_solution->m_lstWorkStrings = {"SUL"};
  m_solution->BuildStreamQualities(&Main(), m_case, &model, recursion, false);
  ASSERT_EQ(model.m_paQualities.GetSize(), 1);  // only the whole name as read counts
  const CDbQuality& made = *model.m_paQualities.GetAt(0);
  EXPECT_EQ(made.m_strName, "SUL");
  EXPECT_EQ(made.m_nID, 1);
  EXPECT_EQ(made.m_nVWBasisID, 0);  // a weight specification
  const CDbStreamQuality* entry = Find(Period("A"), 1, 1);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->m_dValue, 0.5);
}

}  // namespace
