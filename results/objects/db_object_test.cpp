#include "results/objects/db_object.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "results/objects/db_blend.h"
#include "results/objects/db_case.h"
#include "results/objects/db_definition.h"
#include "results/objects/db_model_items.h"
#include "results/objects/db_primal.h"
#include "results/objects/db_stream.h"
#include "results/objects/db_transaction.h"
#include "results/objects/db_value_records.h"

namespace {

TEST(DbObjectTest, PacksTagsOfOneToThreeCharacters) {
  struct Case {
    std::string tag;
    std::int32_t id;
  };
  const Case cases[] = {
      {"A", 65},
      {"AB", 65 + 66 * 256},
      {"ABC", 65 + 66 * 256 + 67 * 65536},
      {"", -1},
      {"ABCD", -1},
      {"\xE9", -23},                 // a byte above 127 counts negative
      {"A\xFF", 65 - 256},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PackTag(c.tag), c.id) << c.tag;
    const CDbObject object(c.tag, 0);
    EXPECT_EQ(object.m_nID, c.id) << c.tag;
    EXPECT_EQ(object.m_strName, c.tag);
    const CDbStream stream(c.tag, 0, nullptr);
    EXPECT_EQ(stream.m_nID, c.id) << c.tag;
    EXPECT_EQ(stream.m_strName, c.tag);
  }
  EXPECT_EQ(CDbObject(std::string("name")).m_nID, -1);
  EXPECT_EQ(CDbObject(std::string("name")).m_fValue, 1.0e30f);
  EXPECT_EQ(CDbDefinition(7, nullptr).m_nID, 7);
}

TEST(DbObjectTest, TellsNotSetValuesInDoubleAndFloatForm) {
  const double floatNotSet = static_cast<double>(1.0e30f);  // 1.0000000150474662e30
  ASSERT_NE(floatNotSet, 1e30);
  const struct {
    double value;
    int expected;
  } cases[] = {
      {1e30, 1},  {-1e30, -1}, {floatNotSet, 1}, {-floatNotSet, -1},
      {0.0, 0},   {1e29, 0},   {-1.5, 0},        {std::numeric_limits<double>::quiet_NaN(), 0},
  };
  for (const auto& c : cases) EXPECT_EQ(IsInfiniteValue(c.value), c.expected) << c.value;
}

TEST(DbObjectTest, RecordsStartWithTheirPresets) {
  const CDbBlendQuality blendQuality(1, 2, 3);
  EXPECT_EQ(blendQuality.m_nOriginID, 7);
  EXPECT_EQ(blendQuality.m_dMarginalValue, 0.0);
  EXPECT_EQ(blendQuality.m_dMinValue, kDbNotSet);
  EXPECT_EQ(CDbStreamQuality(1, 2, 3).m_nOriginID, 0);
  EXPECT_EQ(CDbGroupQuality(1, 2, 3).m_dMarginalValue, 0.0);

  const CDbTransfer transfer(1, 2);
  for (std::int32_t id : {transfer.m_nNodeFrom, transfer.m_nFromStreamID, transfer.m_nNodeTo, transfer.m_nToStreamID,
                          transfer.m_nModeID})
    EXPECT_EQ(id, -1);
  const CDbPRow prow(1, 2, 3);
  EXPECT_EQ(prow.m_nPRowTypeID, -1);
  EXPECT_EQ(prow.m_nNumberofDecimals, -1);
  const CDbSusceptibility susceptibility(1, 2);
  EXPECT_EQ(susceptibility.m_nQualityID, -1);
  EXPECT_EQ(susceptibility.m_nUtilityID, -1);

  EXPECT_EQ(CDbCapacityLimit(1, 2).m_nReportOrder, 9999);
  EXPECT_EQ(CDbInventory(1, 2).m_nReportOrder, 9999);
  EXPECT_EQ(CDbTransaction(1, 2).m_nReportOrder, 9999);
  EXPECT_EQ(CDbTransaction(1, 2).m_nReportGroup, 9999);
  EXPECT_EQ(CDbInventory(1, 2).m_dTarget, kDbNotSet);

  const CDbDefinition definition(std::string("U1"));
  EXPECT_EQ(definition.m_nReportOrder, 9999);
  EXPECT_EQ(definition.m_nReportFlag, 1);
  const CDbPrimalNode node("N");
  EXPECT_EQ(node.m_nMargValKpiID, -1);
  EXPECT_EQ(node.m_nDJKpiID, -1);
  EXPECT_EQ(node.m_nPIKpiID, -1);
  EXPECT_EQ(CDbPrimalPeriod("P").m_nID, -999);
  EXPECT_EQ(CDbCaseSet(5).m_nSetParentCase, -1);
}

TEST(DbObjectTest, StoresAPresentValueFactorOutsideZeroToOneAsOne) {
  CDbPeriod period("P01");
  for (const auto& [given, stored] : {std::pair{0.5, 0.5}, {0.0, 0.0}, {1.0, 1.0}, {1.2, 1.0}, {-0.1, 1.0}}) {
    period.SetPresentValueFactor(given);
    EXPECT_EQ(period.m_dPresentValueFactor, stored) << given;
  }
}

TEST(DbObjectTest, AddRecipeTakesTheRecipeAndSumsItsActivities) {
  CDbBlendQuantity quantity(4, 1);
  for (double volume : {2.5, 4.0}) {
    auto recipe = std::make_unique<CDbBlendRecipe>(10, 1);
    recipe->m_dVolActivity = volume;
    recipe->m_dWgtActivity = volume * 2;
    quantity.AddRecipe(std::move(recipe));
  }
  EXPECT_EQ(quantity.m_paRecipes.GetSize(), 2);
  EXPECT_DOUBLE_EQ(quantity.m_dVolActivity, 6.5);
  EXPECT_DOUBLE_EQ(quantity.m_dWgtActivity, 13.0);
}

}  // namespace
