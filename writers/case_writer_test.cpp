// The case, node, depot and model writers against a results database with every result table defined.

#include <memory>
#include <string>

#include "caseset/config/assembled_case.h"
#include "results/objects/db_solution.h"
#include "writers/testing/result_writer_fixture.h"

namespace {

class CaseWriterTest : public writers_testing::ResultWriterTest {
 protected:
  CaseWriterTest() {
    CDbSolution pass(Data());
    EXPECT_TRUE(pass.DefineTables());
  }

  // A case with the main model's node (empty name) holding one model and one depot.
  std::unique_ptr<CDbCase> MakeCase(std::int32_t id) {
    auto dbCase = std::make_unique<CDbCase>(id, Data());
    auto* state = new CDbSolutionState(0, Data());
    state->m_dObjectiveFunction = 12.5;
    state->m_nSolutionStatus = 1;
    state->m_nPasses = 4;
    auto* totals = new CDbOutofTol(0, 0, Data());
    totals->m_nPropOutofTolerance = 2;
    totals->m_nDistrOutofTolerance = 3;
    state->m_paOutofTols.Add(totals);
    dbCase->m_paSolutionStates.Add(state);
    auto* node = new CDbNode(1, Data());
    node->m_strName = "";
    auto* model = new CDbModel(1, Data());
    model->m_strTag = "GLB";
    model->m_strTitle1 = "Refinery ";
    model->m_strTitle2 = "plan";
    model->m_strTitle3 = "   ";
    node->m_paModels.Add(model);
    auto* depot = new CDbDepot("D1");
    depot->m_nID = 20;
    depot->m_pDbData = Data();
    depot->m_strTag = "D1";
    depot->m_strDescription = "A depot with a long description";
    node->m_paDepots.Add(depot);
    dbCase->m_paNodes.Add(node);
    return dbCase;
  }
};

TEST_F(CaseWriterTest, TheCaseRowAndTheTablesBelowIt) {
  Settings().m_UseNimboOn.SetValue(0);
  exportData.m_paAssembledCases = std::make_unique<CAssembledCaseArray>();
  auto* assembled = new CAssembledCase(5, "M1");
  assembled->m_aModifies = {3, 4};
  exportData.m_paAssembledCases->Add(assembled);

  auto dbCase = MakeCase(5);
  dbCase->m_strDescription = std::string(73, 'd');
  dbCase->m_strNotes[0] = "first note";
  dbCase->m_strNotes[2] = "third";
  dbCase->m_bLimitedByMinMax = 1;
  for (int pass = 1; pass <= 2; ++pass) {
    auto* state = new CDbSolutionState(pass, Data());
    state->m_paOutofTols.Add(new CDbOutofTol(0, 0, Data()));
    if (pass == 2) state->m_paOutofTols.Add(new CDbOutofTol(7, 1, Data()));
    dbCase->m_paSolutionStates.Add(state);
  }
  auto* market = new CDbMarket("M", Data());
  market->m_nID = 2;
  market->m_strTag = "MKT";
  market->m_strDescription = "A market described at length";
  dbCase->m_paMarkets.Add(market);
  auto* caseSet = new CDbCaseSet(5, Data());
  caseSet->m_strDescription = std::string(80, 's');
  caseSet->m_strSelFormula = "A>1";
  dbCase->m_paCaseSets.Add(caseSet);

  ASSERT_TRUE(dbCase->WritePrCase(9, true));
  EXPECT_EQ(Rows("SELECT SolutionID, CaseID, length(Description), ObjectiveFunction, SolutionStatus, Passes, "
                 "PropOutofTolerance, DistrOutofTolerance, NOTE01, NOTE02, NOTE03, MODIFIES, LimitedByMinMax "
                 "FROM PrCase"),
            "9|5|72|12.5|1|4|2|3|first note|NULL|third|3|1\n");
  EXPECT_EQ(Rows("SELECT MarketID, Tag, Description FROM PrMarket"), "2|MKT|A market described a\n");
  EXPECT_EQ(Rows("SELECT CaseID, length(Description), SelFormula FROM PrCaseSet"), "5|72|A>1\n");
  // Without Nimbo the final state has no recursion row; the totals record never has a model row.
  EXPECT_EQ(Rows("SELECT count(*) FROM PrRecursionLog"), "2\n");
  EXPECT_EQ(Rows("SELECT ModelID, SequenceID FROM PrRecursionLogModel"), "1|7\n");
  EXPECT_EQ(Rows("SELECT NodeID FROM PrNode"), "1\n");
  EXPECT_EQ(Rows("SELECT DepotID, Description FROM PrDepot"), "20|A depot with a long\n");
  EXPECT_EQ(Rows("SELECT ModelID, Tag, Description FROM PrModel"), "1|.|Refinery plan\n");
  EXPECT_NE(Rows("SELECT count(*) FROM PrSetting"), "0\n");
}

TEST_F(CaseWriterTest, LaterCasesWriteNoNodeDepotOrModelRowsButTheModelTablesAgain) {
  auto dbCase = MakeCase(1);
  auto* stream = new CDbStream(4, Data());
  stream->m_nUOMTypeID0 = 1;
  stream->m_nUOMTypeID1 = 2;
  dbCase->m_paNodes[0]->m_paModels[0]->m_paStreams.Add(stream);
  ASSERT_TRUE(dbCase->WritePrCase(9, true));
  auto second = MakeCase(2);
  second->m_paNodes[0]->m_paModels[0]->m_paStreams.Add(new CDbStream(4, Data()));
  ASSERT_TRUE(second->WritePrCase(9, false));
  EXPECT_EQ(Rows("SELECT count(*) FROM PrNode"), "1\n");
  EXPECT_EQ(Rows("SELECT count(*) FROM PrDepot"), "1\n");
  EXPECT_EQ(Rows("SELECT count(*) FROM PrModel"), "1\n");
  EXPECT_EQ(Rows("SELECT CaseID, count(*) FROM PrUnitofMeasure GROUP BY CaseID"), "1|2\n2|2\n");
  EXPECT_EQ(Rows("SELECT CaseID, count(*) FROM PrCase GROUP BY CaseID"), "1|1\n2|1\n");
}

TEST_F(CaseWriterTest, ACaseWithoutTheMainModelsNodeWritesItsTablesAndFails) {
  auto dbCase = MakeCase(3);
  dbCase->m_paNodes[0]->m_strName = "P1";
  EXPECT_FALSE(dbCase->WritePrCase(9, true));
  EXPECT_EQ(Rows("SELECT count(*) FROM PrCase"), "1\n");
  EXPECT_EQ(Rows("SELECT count(*) FROM PrModel"), "1\n");
  EXPECT_EQ(Rows("SELECT count(*) FROM PrSetting"), "0\n");
}

TEST_F(CaseWriterTest, NimboWritesTheFinalStateLast) {
  Settings().m_UseNimboOn.SetValue(1);
  auto dbCase = MakeCase(1);
  dbCase->m_paSolutionStates[0]->m_paOutofTols.Add(new CDbOutofTol(1, 5, Data()));
  for (int pass = 1; pass <= 2; ++pass) dbCase->m_paSolutionStates.Add(new CDbSolutionState(pass, Data()));
  ASSERT_TRUE(dbCase->WritePrCase(9, true));
  EXPECT_EQ(Rows("SELECT count(*) FROM PrRecursionLog"), "3\n");
  EXPECT_EQ(Rows("SELECT ModelID FROM PrRecursionLogModel"), "5\n");
}

TEST_F(CaseWriterTest, ModelDefinitionsAndGroups) {
  Settings().m_GVOL.SetValue("KSCF");
  CDbModel model(1, Data());
  model.m_strName = "P1";
  model.m_strTag = "P1";
  model.m_strTitle1 = std::string(40, 'a');
  model.m_strTitle2 = std::string(40, 'b');
  auto* gas = new CDbStream(7, Data());
  gas->m_strName = "GAS";
  gas->m_nUOMTypeID0 = 1;
  gas->m_nUOMTypeID1 = 2;
  model.m_paStreams.Add(gas);
  model.m_paGasStreams.Add(gas);
  auto* uom = new CDbUOM("KSCF");
  uom->m_nID = 9;
  model.m_paUOMs.Add(uom);
  auto* capacity = new CDbDefinition(3, Data());
  capacity->m_nReportFlag = 2;
  capacity->m_paUnitQualities.Add(new CDbUnitQuality(11));
  model.m_paProcessCapacities.Add(capacity);
  auto* unit = new CDbDefinition(4, Data());
  unit->m_paUnitQualities.Add(new CDbUnitQuality(11));
  unit->m_paUnitQualities.Add(new CDbUnitQuality(12));
  model.m_paProcessCapacities.Add(unit);
  auto* group = new CDbGroup(6, Data());
  group->m_strName = "GRP";
  group->m_bPlantSpanning = 1;
  group->m_paMembers.Add(capacity);
  model.m_paGroups.Add(group);
  auto* plain = new CDbGroup(8, Data());
  plain->m_strName = "PLN";
  model.m_paGroups.Add(plain);

  ASSERT_TRUE(model.WritePrModel(9, 2, true));
  EXPECT_EQ(model.m_strDescription, std::string(40, 'a') + std::string(32, 'b'));
  EXPECT_EQ(Rows("SELECT Tag FROM PrModel"), "P1\n");
  // The gas stream's volume row takes the GVOL unit.
  EXPECT_EQ(Rows("SELECT VWBasisID, UOMTypeID FROM PrUnitofMeasure ORDER BY VWBasisID"), "0|1\n1|9\n");
  EXPECT_EQ(Rows("SELECT ProcessCapacityID, ReportFlag, QualityID FROM PrProcessCapacity ORDER BY 1"),
            "3|1|11\n4|1|NULL\n");
  EXPECT_EQ(capacity->m_nReportFlag, 1);
  EXPECT_EQ(Rows("SELECT GroupID FROM PrGroup ORDER BY 1"), "6\n8\n");
  EXPECT_EQ(Rows("SELECT GroupID, UtilityID FROM PrGroupUtilityMember"), "6|3\n");
  EXPECT_EQ(Rows("SELECT GroupID FROM PrGroupPlantSpanning"), "6\n");
  EXPECT_EQ(Rows("SELECT count(*) FROM PrGroupPeriodSpanning"), "0\n");
  EXPECT_EQ(Rows("SELECT ModelID, StreamID FROM PrGasStream"), "1|7\n");

  // Without the GVOL unit the volume row repeats the weight row's type.
  model.m_paUOMs.RemoveAll();
  ASSERT_TRUE(model.WritePrModel(9, 3, false));
  EXPECT_EQ(Rows("SELECT VWBasisID, UOMTypeID FROM PrUnitofMeasure WHERE CaseID=3 ORDER BY 1"), "0|1\n1|1\n");
}

}  // namespace
