// The period writer and the per-period writers of its own tables against a results database.

#include <string>

#include "results/objects/db_period.h"
#include "results/objects/db_solution.h"
#include "writers/testing/result_writer_fixture.h"

namespace {

class PeriodWriterTest : public writers_testing::ResultWriterTest {
 protected:
  PeriodWriterTest() {
    CDbSolution pass(Data());
    EXPECT_TRUE(pass.DefineTables());
  }
};

TEST_F(PeriodWriterTest, CasePeriodText) {
  const struct {
    std::int32_t caseId, periodId;
    const char* text;
  } cases[] = {{12, 4, "012-04"}, {7, 100, "007-00"}, {12, -5, "012-"}, {1, -999, "001-99"}};
  for (const auto& c : cases) {
    CDbPeriod period(c.periodId, Data());
    period.m_strTag = "P";
    ASSERT_TRUE(period.WritePrPeriod(1, c.caseId));
    EXPECT_EQ(Rows("SELECT RWCasePeriod FROM PrPeriod WHERE CaseID=" + std::to_string(c.caseId) +
                   " AND PeriodID=" + std::to_string(c.periodId)),
              std::string(c.text) + "\n");
  }
}

TEST_F(PeriodWriterTest, NotSetValuesAndInlineTables) {
  CDbPeriod period(2, Data());
  auto* limit = new CDbCapacityLimit(5, 1, Data());
  limit->m_dMinValue = -1e30;
  limit->m_dMaxValue = 1e30;
  limit->m_dActivity = 1e30;
  limit->m_dMarginalValue = 0.5;
  period.m_paCapacityLimits.Add(limit);
  auto* blender = new CDbCapacityLimit(6, 1, Data());
  blender->m_dActivity = 3.0;
  blender->m_paBlenderBlendQuantities.Add(new CDbBlenderBlendQuantity(8, 1, Data()));
  period.m_paBlenderCapacityLimits.Add(blender);
  auto* inventory = new CDbGroupTransaction(3, 1, Data());
  inventory->m_dTarget = -1e30;
  period.m_paGroupInventories.Add(inventory);
  auto* unsetTarget = new CDbGroupTransaction(4, 1, Data());
  unsetTarget->m_dTarget = 1e30;
  period.m_paGroupInventories.Add(unsetTarget);
  auto* link = new CDbLinkData(9, 1, Data());
  link->m_dFromValue = 0.25;
  link->m_dToValue = 2.0;
  period.m_paLinkData.Add(link);
  auto* prow = new CDbPRow(1, 1, 2, Data());
  period.m_paPRows.Add(prow);
  auto* penalty = new CDbPenalty(3, 1, Data());
  penalty->m_strTag1 = std::string(200, 't');
  period.m_paPenalties.Add(penalty);

  ASSERT_TRUE(period.WritePrPeriod(1, 7));
  EXPECT_EQ(Rows("SELECT Activity, MinValue, MaxValue, MarginalValue FROM PrCapacityLimit"), "1.0e+30|NULL|NULL|0.5\n");
  EXPECT_EQ(Rows("SELECT BlenderCapacityID, UOMTypeID FROM PrBlenderCapacityLimit"), "6|1\n");
  EXPECT_EQ(Rows("SELECT BlenderCapacityID, BlendID FROM PrBlenderBlendQuantity"), "6|8\n");
  EXPECT_EQ(Rows("SELECT GroupID, Target FROM PrGroupInventory ORDER BY GroupID"), "3|-1.0e+30\n4|NULL\n");
  EXPECT_EQ(Rows("SELECT FromValue, ToValue FROM PrLink"), "250.0|2000.0\n");
  EXPECT_EQ(Rows("SELECT NumberofDecimals, Activity FROM PrPRow"), "NULL|NULL\n");
  EXPECT_EQ(Rows("SELECT length(Tag1) FROM PrPenalty"), "128\n");
  EXPECT_EQ(penalty->m_strTag1.size(), 128u);
}

TEST_F(PeriodWriterTest, GlobalBlendsHaveQualityRowsOnlyUnderUniversalIds) {
  for (const int universal : {0, 1}) {
    Settings().m_UniversalIdsOn.SetValue(universal);
    CDbPeriod period(universal, Data());
    auto* quality = new CDbBlendQuality(10003, 1, 4, Data());
    auto* bonus = new CDbBonusInteraction(12, Data());
    quality->m_paBonusInteractions.Add(bonus);
    period.m_paBlendQualities.Add(quality);
    ASSERT_TRUE(period.WritePrPeriod(1, 1));
    const std::string where = " WHERE PeriodID=" + std::to_string(universal);
    EXPECT_EQ(Rows("SELECT count(*) FROM PrBlendQuality" + where), universal ? "1\n" : "0\n");
    EXPECT_EQ(Rows("SELECT BlendID, QualityID, StreamID FROM PrBonusInteraction" + where),
              universal ? "10003|4|12\n" : "3|4|12\n");
  }
}

TEST_F(PeriodWriterTest, InventoryWithItsOpeningQualities) {
  CDbInventory inventory(4, 1, Data());
  inventory.m_dMaxValue = 1e30;
  inventory.m_dOpening = 10.0;
  inventory.m_paOpenInventoryQualities.Add(new CDbOpenInventoryQuality(4, 1, 21, Data()));
  ASSERT_TRUE(inventory.WritePrInventory(1, 2, 3));
  EXPECT_EQ(Rows("SELECT StreamID, Opening, MaxValue FROM PrInventory"), "4|10.0|NULL\n");
  EXPECT_EQ(Rows("SELECT StreamID, QualityID FROM PrOpenInventoryQuality"), "4|21\n");
}

}  // namespace
