#include <gtest/gtest.h>

#include <memory>

#include "solutionfill/core/testing/fill_case_fixture.h"

namespace {

class PropertyConversionRows : public fill_testing::FillCaseFixture {
 protected:
  void SetUp() override {
    FillCaseFixture::SetUp();
    MakePeriods({"A"}, false);
    m_model = &AddModel("M", 3);
    for (const auto& [name, id] : {std::pair<const char*, int>{"RVP", 51}, {"RVI", 52}}) {
      auto quality = std::make_unique<CDbQuality>(id, &m_export);
      quality->m_strName = name;
      quality->m_strReportTag = name;
      m_model->m_paQualities.Add(std::move(quality));
    }
    m_model->m_paQualities.Sort(&CDbObject::CompareDbObjectName);
    // INDEX: RVP against its index RVI, two sample points.
    CTableFilTable& index = m_model->m_tableFil;
    index.m_aRowNames = {"RVP", "RVI"};
    index.m_aColumnNames = {"1", "2"};
    index.m_aCells = {10, 20, 1, 3};
    auto entry = std::make_unique<CDbObject>("RVI");
    entry->m_nID = 1;
    m_model->m_paObjects.Add(std::move(entry));
    m_model->m_paObjects.Sort(&CDbObject::CompareDbObjectName);
  }
  CDbModel* m_model = nullptr;
};

TEST_F(PropertyConversionRows, IndexPairConvertsTheRowAndKeepsTheCallersCounter) {
  CDbPRow source(7, 3, 11);
  source.m_nPRowTypeID = 4;
  source.m_nNumberofDecimals = 2;
  source.m_dActivity = 2.0;
  source.m_strTag = "PRVID1XY";
  std::int32_t counter = 7;
  CDbPeriod& period = Period("A");
  EXPECT_TRUE(m_solution->BuildPRows(&Main(), &period, m_model, "RVI", &source, counter));
  EXPECT_EQ(counter, 7);
  ASSERT_EQ(period.m_paPRows.GetSize(), 1);
  const CDbPRow& row = *period.m_paPRows.GetAt(0);
  EXPECT_EQ(row.m_nID, 8);
  EXPECT_EQ(row.m_nUnitID, 11);
  EXPECT_EQ(row.m_nPRowTypeID, 4) << "an INDEX pair converts ratio rows too";
  EXPECT_DOUBLE_EQ(row.m_dActivity, 15.0);
  EXPECT_EQ(row.m_strTag, "PRVPD1XY");
  EXPECT_EQ(row.m_nNumberofDecimals, 2);
  EXPECT_FALSE(row.m_strPRowText.empty());

  source.m_dActivity = 1e30;
  EXPECT_FALSE(m_solution->BuildPRows(&Main(), &period, m_model, "RVI", &source, counter));
  source.m_dActivity = 2.0;
  EXPECT_FALSE(m_solution->BuildPRows(&Main(), &period, m_model, "XXX", &source, counter));
  EXPECT_EQ(period.m_paPRows.GetSize(), 1);
}

}  // namespace
