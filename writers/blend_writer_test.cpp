// The blend, susceptibility, membership and report-writer blend writers.

#include <memory>

#include "results/objects/db_blend.h"
#include "results/objects/db_group.h"
#include "results/objects/db_model_items.h"
#include "results/objects/db_stream.h"
#include "results/objects/db_value_records.h"
#include "writers/testing/result_writer_fixture.h"

namespace {

using writers_testing::ResultWriterTest;
using BlendWriterTest = ResultWriterTest;

TEST_F(BlendWriterTest, RfgBlendTakesItsPeriodFromTheRecordAsAShortInteger) {
  Define({"PrRFGBlend"});
  CDbRFGBlend blend(41, Data());
  blend.m_nRFGBlendTypeID = 1;
  blend.m_nRFGAreaID = 2;
  blend.m_nRFGPhaseID = 3;
  blend.m_nRFGSeasonID = 4;
  blend.m_nRFGEquationID = 5;
  blend.m_nPeriodID = 65537;  // the low 16 bits: 1
  ASSERT_TRUE(blend.WritePrRFGBlend(1, 2, 3));
  EXPECT_EQ(Rows("SELECT * FROM PrRFGBlend"), "1|2|3|41|1|2|3|4|5|1\n");
}

TEST_F(BlendWriterTest, SusceptibilityLeavesANotSetInitialValueUnset) {
  Define({"PrSusceptibility"});
  CDbSusceptibility value(41, 3, Data());
  value.m_nQualityID = 7;
  value.m_nUtilityID = 21;
  value.m_dValue = 0.3;
  value.m_dInitialValue = -1e30;
  ASSERT_TRUE(value.WritePrSusceptibility(1, 2, 4));
  value.m_dInitialValue = 0.1;
  ASSERT_TRUE(value.WritePrSusceptibility(1, 2, 5));
  EXPECT_EQ(Rows("SELECT * FROM PrSusceptibility ORDER BY PeriodID"),
            "1|2|4|3|41|7|21|0.3|NULL\n1|2|5|3|41|7|21|0.3|0.1\n");
}

TEST_F(BlendWriterTest, MembershipTablesWriteOneRecordPerMemberInListOrder) {
  Define({"PrBlendTarget", "PrBlenderCapacityMember", "PrGroupUnitMember"});
  CDbBlend blend(41, Data());
  for (const std::int32_t stream : {12, 11}) {
    auto target = std::make_unique<CDbBlendTarget>(stream);
    target->m_fTargetValue = 0.25f * static_cast<float>(stream);
    blend.m_paTargets.Add(target.release());
  }
  ASSERT_TRUE(blend.WritePrBlendTarget(1, 2, 3));
  EXPECT_EQ(Rows("SELECT * FROM PrBlendTarget"), "1|2|3|41|12|3.0\n1|2|3|41|11|2.75\n");

  CDbBlend other(42, Data());
  CDbBlenderCapacity capacity(51, Data());
  capacity.m_paBlends.Add(&other);
  capacity.m_paBlends.Add(&blend);
  ASSERT_TRUE(capacity.WritePrBlenderCapacityMember(1, 2, 3));
  EXPECT_EQ(Rows("SELECT * FROM PrBlenderCapacityMember"), "1|2|3|51|42\n1|2|3|51|41\n");

  CDbDefinition unit(31, Data());
  CDbGroupUnit group(61, Data());
  group.m_paMemberUnits.Add(&unit);
  group.m_paMemberUnits.Add(nullptr);
  ASSERT_TRUE(group.WritePrGroupUnitMember(1, 2, 3));
  EXPECT_EQ(Rows("SELECT * FROM PrGroupUnitMember"), "1|2|3|61|31\n");

  // An empty list still opens its table and succeeds.
  CDbGroupUnit empty(62, Data());
  EXPECT_TRUE(empty.WritePrGroupUnitMember(1, 2, 3));
  CDbGroupUnit orphan(63, nullptr);
  EXPECT_FALSE(orphan.WritePrGroupUnitMember(1, 2, 3));
}

TEST_F(BlendWriterTest, ReportWriterBlendQuantityWritesItsRecipesUnderItsBlend) {
  Define({"PrRWBlendQuantity", "PrRWBlendRecipe"});
  CDbBlendQuantity quantity(41, 3, Data());
  for (const std::int32_t stream : {11, 12}) {
    auto recipe = std::make_unique<CDbBlendRecipe>(stream, 3, Data());
    recipe->m_dVolActivity = stream;
    recipe->m_dWgtActivity = stream * 0.5;
    recipe->m_dVolMarginalValue = 0.1;
    quantity.AddRecipe(std::move(recipe));
  }
  quantity.m_paRecipes.Add(nullptr);
  ASSERT_TRUE(quantity.WritePrRWBlendQuantity(1, 2, 4));
  EXPECT_EQ(Rows("SELECT * FROM PrRWBlendQuantity"), "1|2|4|3|41|23.0|11.5\n");
  EXPECT_EQ(Rows("SELECT * FROM PrRWBlendRecipe"), "1|2|4|3|41|11|11.0|5.5|0.1\n1|2|4|3|41|12|12.0|6.0|0.1\n");

  // A recipe that fails does not fail its quantity.
  quantity.m_paRecipes.GetAt(0)->m_pDbData = nullptr;
  EXPECT_TRUE(quantity.WritePrRWBlendQuantity(1, 2, 5));
  EXPECT_EQ(Rows("SELECT StreamID FROM PrRWBlendRecipe WHERE PeriodID = 5"), "12\n");
}

TEST_F(BlendWriterTest, ReportWriterStreamsAndUnits) {
  Define({"PrRWStream", "PrRWUnit"});
  CDbRwStream stream("LSR");
  stream.m_pDbData = Data();
  stream.m_nID = 9;
  stream.m_strDescription = "Light straight-run naphtha";
  stream.m_nReportOrder = 4;
  stream.m_strReportTag = "LSRN";
  stream.m_strDomainTag = "D1";
  stream.m_bDummyFlag = 1;
  ASSERT_TRUE(stream.WritePrRWStream(1, 2, 3));
  EXPECT_EQ(Rows("SELECT * FROM PrRWStream"), "1|2|3|9|LSR|Light straight-run n|4|LSRN|D1|1|NULL\n");

  CDbRwUnit unit("CD*");
  unit.m_pDbData = Data();
  unit.m_nID = 31;
  unit.m_strTag = "CDU";
  unit.m_strDescription = "Crude distillation unit";
  unit.m_nReportOrder = 2;
  ASSERT_TRUE(unit.WritePrRWUnit(1, 2, 3));
  EXPECT_EQ(Rows("SELECT * FROM PrRWUnit"), "1|2|3|31|CDU|Crude distillation u|2\n");
}

}  // namespace
