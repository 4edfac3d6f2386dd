#include "modelfile/model_settings.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// Read before any model exists: the defaults are built during static initialisation.
const int g_defaultCountAtStart = g_DefaultModelSettings.m_list.GetCount();

TEST(ModelSettingsTest, CatalogueShape) {
  EXPECT_EQ(g_defaultCountAtStart, 757);
  const CSettingItemList& list = g_DefaultModelSettings.m_list;
  ASSERT_EQ(list.GetCount(), 757);
  EXPECT_EQ(list.GetAt(0)->GetName(), "CaseStack");
  EXPECT_EQ(list.GetAt(756)->GetName(), "VAROPTCRRATIO");
  EXPECT_EQ(list.GetAt(668)->GetName(), "Zelun_Parallel_NodeConfig");
  const char* xdr[] = {"XDR_PeriodSpanningBlendRecipePenalty",
                       "XDR_VirtualPoolingPenalty",
                       "XDR_PropertyRecursionPenalty",
                       "XDR_InitialPeriod2PeriodErrorDistributionFactor",
                       "XDR_InitialModel2ModelErrorDistributionFactor",
                       "XDR_InventorySpecBlendsInRecursedPools",
                       "XDR_PGuessOptions",
                       "XDR_MINSIPASS",
                       "XDR_MAXSIPASS"};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(list.GetAt(669 + i)->GetName(), xdr[i]) << "position " << 670 + i;
  EXPECT_EQ(list.GetAt(678)->GetName(), "CompactDatabase");
  EXPECT_EQ(&g_DefaultModelSettings.m_XdrSettings.m_XDR_MAXSIPASS, list.GetAt(677));

  std::map<int, int> perType;
  std::map<std::string, int> names;
  for (CSettingItem* item : list) {
    ++perType[item->GetType()];
    ++names[item->GetName()];
    EXPECT_EQ(item->GetGroup(), 0);
    EXPECT_EQ(item->GetLevel(), 0);
  }
  EXPECT_EQ(perType[CSettingItem::kTypeStr], 107);
  EXPECT_EQ(perType[CSettingItem::kTypeInt], 484);
  EXPECT_EQ(perType[CSettingItem::kTypeDouble], 163);
  EXPECT_EQ(perType[CSettingItem::kTypeDateTime], 3);
  EXPECT_EQ(names.size(), 757u);
  EXPECT_EQ(g_DefaultModelSettings.m_nDatabaseKindCache, -1);
}

TEST(ModelSettingsTest, DefaultTexts) {
  struct Case {
    int position;  // 1-based, the setting's id in the results database
    const char* name;
    int type;
    const char* text;
  };
  const Case cases[] = {
      {1, "CaseStack", CSettingItem::kTypeStr, ""},
      {4, "GenerateOn", CSettingItem::kTypeInt, "1"},
      {11, "DatabaseModelID", CSettingItem::kTypeInt, "-1"},
      {105, "ModelExt", CSettingItem::kTypeStr, "Xls"},
      {187, "WLARGE", CSettingItem::kTypeDouble, "1e+30"},
      {193, "GALS", CSettingItem::kTypeDouble, "42"},
      {237, "CommonStartDate", CSettingItem::kTypeDateTime, "1/1/1900 1:01:01 AM"},
      {313, "MAXSIPASS", CSettingItem::kTypeInt, "-1000000"},
      {409, "PAS", CSettingItem::kTypeStr, "?1111111"},
      {430, "SkedPath", CSettingItem::kTypeStr, "<ImportBrumeLink>"},
      {435, "SkedConversionFactor", CSettingItem::kTypeDouble, "0.0416666666666667"},
      {662, "Zelun_EM_PerturbationSize", CSettingItem::kTypeStr, "1e-6"},
      {670, "XDR_PeriodSpanningBlendRecipePenalty", CSettingItem::kTypeDouble, "100"},
      {683, "DatabaseOutputFormat", CSettingItem::kTypeStr, "Access"},
      {691, "AccessVersion", CSettingItem::kTypeStr, "Access 2000/2003 (9.0/11.0)"},
      {692, "DatabaseOutputFile", CSettingItem::kTypeStr, "Results.Mdb"},
      {757, "VAROPTCRRATIO", CSettingItem::kTypeDouble, "10"},
  };
  for (const Case& c : cases) {
    const CSettingItem* item = g_DefaultModelSettings.m_list.GetAt(c.position - 1);
    EXPECT_EQ(item->GetName(), c.name);
    EXPECT_EQ(item->GetType(), c.type) << c.name;
    EXPECT_EQ(item->GetValueText(), c.text) << c.name;
    EXPECT_EQ(g_DefaultModelSettings.m_list.Find(c.name), item);
  }
  EXPECT_EQ(g_DefaultModelSettings.m_DatabaseOutputFormat.GetValue(), "Access");
}

TEST(ModelSettingsTest, ClockDefaults) {
  const plat::OleDateTime now = plat::OleDateTime::GetCurrentTime();
  CModelSettings block;
  for (const CSettingDateTime* item : {&block.m_StartDate, &block.m_SkedDate}) {
    ASSERT_TRUE(item->GetValue().IsValid());
    EXPECT_LT(std::abs(item->GetValue() - now), 5.0 / 86400) << item->GetName();
  }
  // A later block agrees with the defaults on every text but the two clock dates.
  for (int i = 0; i < block.m_list.GetCount(); ++i) {
    const std::string& name = block.m_list.GetAt(i)->GetName();
    if (name == "StartDate" || name == "SkedDate") continue;
    EXPECT_EQ(block.m_list.GetAt(i)->GetValueText(), g_DefaultModelSettings.m_list.GetAt(i)->GetValueText()) << name;
  }
}

TEST(ModelSettingsTest, BlocksCopyIntoEachOther) {
  CModelSettings a, b;
  a.m_CaseStack.SetValue("Cases.xls");
  a.m_MAXPASS.SetValue(25);
  a.m_XdrSettings.m_XDR_VirtualPoolingPenalty.SetValue(0.1 + 0.2);
  a.m_SkedDate.SetValue(plat::OleDateTime(2024, 6, 15, 15, 30, 0));
  a.m_nDatabaseKindCache = 1;
  EXPECT_TRUE(b.m_list.CopyFrom(&a.m_list, -1));
  EXPECT_EQ(b.m_nDatabaseKindCache, -1);
  EXPECT_EQ(b.m_XdrSettings.m_XDR_VirtualPoolingPenalty.GetValueText(), "0.3");
  // Equal texts report no change, but the value is still set from the text.
  EXPECT_FALSE(a.m_list.CopyFrom(&b.m_list, -1));
  EXPECT_EQ(a.m_XdrSettings.m_XDR_VirtualPoolingPenalty.GetValue(), 0.3);
  for (int i = 0; i < a.m_list.GetCount(); ++i)
    EXPECT_EQ(a.m_list.GetAt(i)->GetValueText(), b.m_list.GetAt(i)->GetValueText());
}

}  // namespace
