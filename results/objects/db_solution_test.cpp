#include "results/objects/db_solution.h"

#include <gtest/gtest.h>

#include "caseset/vorn_db_export_data.h"

namespace {

int g_deleted = 0;

// Result classes that count their destructions.
template <class Base>
class Counted : public Base {
 public:
  using Base::Base;
  ~Counted() override { ++g_deleted; }
};

class DbOwnershipTest : public ::testing::Test {
 protected:
  void SetUp() override { g_deleted = 0; }
};

TEST_F(DbOwnershipTest, AModelDeletesEachStreamQualityAndBlendOnceThroughItsViews) {
  auto model = std::make_unique<CDbModel>("M");
  for (const char* name : {"S1", "S2", "S3"}) {
    auto stream = std::make_unique<Counted<CDbStream>>(name);
    model->m_paBlendStreams.Add(stream.get());
    model->m_paGasStreams.Add(stream.get());
    model->m_paHydrogenStreams.Add(stream.get());
    model->m_paStreams.Add(std::move(stream));
  }
  auto quality = std::make_unique<Counted<CDbQuality>>("Q");
  model->m_paHydrogenQualities.Add(quality.get());
  model->m_paQualities.Add(std::move(quality));

  auto blend = std::make_unique<Counted<CDbBlend>>("B");
  auto capacity = std::make_unique<CDbBlenderCapacity>(1);
  capacity->m_paBlends.Add(blend.get());
  model->m_paBlends.Add(std::move(blend));
  model->m_paBlenderCapacities.Add(std::move(capacity));

  auto utility = std::make_unique<Counted<CDbDefinition>>(std::string("U"));
  auto group = std::make_unique<CDbGroupUnit>("G");
  group->m_paMembers.Add(utility.get());
  group->m_paMemberUnits.Add(utility.get());
  model->m_paUtilities.Add(std::move(utility));
  model->m_paGroupUnits.Add(std::move(group));

  model->m_paStreams.Add(static_cast<CDbStream*>(nullptr));  // skipped on destruction
  model.reset();
  EXPECT_EQ(g_deleted, 3 + 1 + 1 + 1);
}

TEST_F(DbOwnershipTest, PeriodsAndPrimalPeriodsKeepTheirViewsAlive) {
  auto period = std::make_unique<CDbPeriod>(1, nullptr);
  for (int i = 0; i < 2; ++i) {
    auto quality = std::make_unique<Counted<CDbStreamQuality>>(i, 1, 3);
    period->m_paStreamQualityView.Add(quality.get());
    period->m_paStreamQualities.Add(std::move(quality));
  }
  period->m_paPurchases.Add(std::make_unique<Counted<CDbTransaction>>(1, 1));
  period.reset();
  EXPECT_EQ(g_deleted, 3);

  g_deleted = 0;
  auto primal = std::make_unique<CDbPrimalPeriod>("P");
  auto column = std::make_unique<Counted<CDbPrimal>>("X1");
  primal->m_paActiveCostColumns.Add(column.get());
  primal->m_paColumns.Add(std::move(column));
  primal->m_paRows.Add(std::make_unique<Counted<CDbPrimal>>("R1"));
  primal.reset();
  EXPECT_EQ(g_deleted, 2);
}

TEST_F(DbOwnershipTest, AnArrayThatOwnsNothingOnlyFreesItsSlots) {
  Counted<CDbStream> stream("S");
  {
    CDbStreamArray view;
    view.m_bOwnsElements = 0;
    view.Add(&stream);
  }
  EXPECT_EQ(g_deleted, 0);
}

TEST_F(DbOwnershipTest, DestroyingTheSolutionDestroysTheWholeTree) {
  auto solution = std::make_unique<CDbSolution>(nullptr);
  auto theCase = std::make_unique<Counted<CDbCase>>(1);
  auto period = std::make_unique<Counted<CDbPeriod>>(std::string("P01"));
  theCase->m_pFirstPeriod = period.get();
  period->m_paSales.Add(std::make_unique<Counted<CDbSale>>(1, 1, 0));
  theCase->m_paPeriods.Add(std::move(period));
  auto node = std::make_unique<Counted<CDbNode>>("N");
  auto model = std::make_unique<Counted<CDbModel>>("N");
  model->m_paKpis.Add(std::make_unique<Counted<CDbKpi>>("DJ"));
  node->m_paModels.Add(std::move(model));
  node->m_paDepots.Add(std::make_unique<Counted<CDbDepot>>("D"));
  theCase->m_paNodes.Add(std::move(node));
  auto state = std::make_unique<Counted<CDbSolutionState>>();
  state->m_paOutofTols.Add(std::make_unique<Counted<CDbOutofTol>>());
  theCase->m_paSolutionStates.Add(std::move(state));
  solution->m_paCases.Add(std::move(theCase));
  auto primalNode = std::make_unique<Counted<CDbPrimalNode>>("N");
  primalNode->m_paPeriods.Add(std::make_unique<Counted<CDbPrimalPeriod>>("P01"));
  solution->m_paPrimalNodes.Add(std::move(primalNode));
  solution->m_paTrxPlants.Add(std::make_unique<Counted<CTrxPlant>>("A"));
  solution.reset();
  EXPECT_EQ(g_deleted, 12);
}

TEST(DbSolutionTest, TakesTheSolutionIdentifierAndRunStartFromTheExportContext) {
  CVornDbExportData exportData(nullptr);
  exportData.m_nSolutionID = 42;
  exportData.m_dtDateRunStart = plat::OleDateTime(45000.25);
  const CDbSolution solution(&exportData);
  EXPECT_EQ(solution.m_nSolutionID, 42);
  EXPECT_EQ(solution.m_dtDateTime.GetValue(), 45000.25);
  EXPECT_EQ(solution.m_pDbData, &exportData);
  EXPECT_EQ(solution.m_bSingleModel, 1);
  EXPECT_EQ(solution.m_paCases.m_pfnCompare, &CDbCase::CompareElements);
}

}  // namespace
