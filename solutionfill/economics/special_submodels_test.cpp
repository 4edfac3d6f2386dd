#include <gtest/gtest.h>

#include <memory>

#include "solutionfill/core/testing/fill_case_fixture.h"

namespace {

using fill_testing::kBlank;
using fill_testing::Table;
using Ints = std::vector<std::int32_t>;

class SpecialSubmodels : public fill_testing::FillCaseFixture {
 protected:
  void Build() {
    m_solution->m_specialSubs.BuildSpecialSubmodels(&Main(), m_case, nullptr, m_solution->m_tableFil, &m_export);
  }
  CDbSpecialSubs& Subs() { return m_solution->m_specialSubs; }
};

TEST_F(SpecialSubmodels, CrudeUnitsCutTypesPoolsAndVacuumTowers) {
  WriteTables({
      Table{"CRDDISTL",
            {"REPORTA", "REPORT", "REPOR", "VACTWR"},
            {"CD1", "CD2", "CD3"},
            {"", "Main crude", "", ""},
            {1, kBlank, 2.7, 3, 4, 5, 9, 9, 9, 1, 2, 1}},
      Table{"CRDCUTS",
            {"C1", "C2", "C3", "C4", "C5"},
            {"TYPE", "TYPECD2"},
            {},
            {1, kBlank, 2, 0, 3, 5, 4, kBlank, kBlank, kBlank}},
      // C3/CD1 below zero gives pool 0; the typeless C5 ends with 0; CX and CD9 match nothing.
      Table{"CRDPOOLS", {"C1", "C3", "C5", "CX"}, {"CD1", "CD9"}, {}, {5, 8, -2, 8, 7, 8, 9, 9}},
  });
  m_solution->m_tableFil.m_aRowNames = {"U1"};
  Build();

  EXPECT_EQ(Subs().m_nCrudeUnitCount, 2);
  EXPECT_EQ(Subs().m_nColumnCount, 3);
  EXPECT_EQ(Subs().m_nCutCount, 5);
  EXPECT_TRUE(Subs().m_bVacuumTowerRow);
  EXPECT_EQ(Subs().m_aReportValues, (Ints{1, 0, 2, 3, 4, 5}));
  EXPECT_EQ(Subs().m_aCutTypes, (Ints{1, 2, 3, 4, -1}));
  // Cut-major; 3 then 4 gives 34, TYPECD2 blank or 0 keeps the default, 5 overrides it.
  EXPECT_EQ(Subs().m_aCutColumnValues, (Ints{1, 1, 1, 2, 2, 2, 3, 5, 3, 34, 4, 34, -1, -1, -1}));
  EXPECT_EQ(Subs().m_aCutColumnFlags, (Ints{5, 1, 1, 1, 1, 1, 0, 1, 1, 1, 1, 1, 0, 0, 0}));
  // CD1 and CD3 share tower 1 and their type-2 cut.
  EXPECT_EQ(Subs().m_aCutList, (Ints{1, 0, 1}));
  EXPECT_EQ(m_solution->m_tableFil.m_aRowNames, (std::vector<std::string>{"U1", "REPORTA", "REPORT"}));
  EXPECT_EQ(m_solution->m_tableFil.m_aRowTexts,
            (std::vector<std::string>{"", "Crude Unit REPORTA", "Main crude"}));
}

TEST_F(SpecialSubmodels, ColumnWhoseFirstCutIsType2NeverShares) {
  WriteTables({
      Table{"CRDDISTL", {"REPORT1", "VACTWR"}, {"CD1", "CD2"}, {}, {1, 1, 4, 4}},
      Table{"CRDCUTS", {"C1", "C2"}, {"TYPE"}, {}, {2, 2}},
  });
  Build();
  EXPECT_EQ(Subs().m_aCutList, (Ints{0, 0}));
  // No CRDPOOLS: the pools stay 1 (the worksheet CRDCUTS cannot be opened here).
  EXPECT_EQ(Subs().m_aCutColumnFlags, (Ints{1, 1, 1, 1}));
}

TEST_F(SpecialSubmodels, BlankVacuumRowIsNoVacuumTower) {
  WriteTables({Table{"CRDDISTL", {"VACTWR"}, {"CD1"}, {}, {kBlank}}});
  Build();
  EXPECT_EQ(Subs().m_nColumnCount, 1);
  EXPECT_FALSE(Subs().m_bVacuumTowerRow);
  EXPECT_EQ(Subs().m_nCrudeUnitCount, 0);
  EXPECT_TRUE(Subs().m_aCutList.empty());
}

TEST_F(SpecialSubmodels, NoCrudeUnitTableMakesNothing) {
  WriteTables({Table{"SUBMODS", {"U1"}, {"COMBINE"}, {}, {1}}});
  m_solution->m_tableFil.m_aRowNames = {"U1"};
  Build();
  EXPECT_EQ(Subs().m_nCrudeUnitCount, 0);
  EXPECT_EQ(Subs().m_nColumnCount, 0);
  EXPECT_FALSE(Subs().m_bVacuumTowerRow);
  EXPECT_TRUE(Subs().m_aCutList.empty());
  EXPECT_EQ(Subs().m_nCutCount, 0);
  EXPECT_EQ(m_solution->m_tableFil.GetRowCount(), 1);
}

class UnitGroups : public fill_testing::FillCaseFixture {
 protected:
  CDbDefinition& AddUnit(CDbModel& model, const std::string& name, std::int32_t id, std::int32_t reportFlag,
                         const Ints& items, const Ints& kinds) {
    auto unit = std::make_unique<CDbDefinition>(id, &m_export);
    unit->m_strName = name;
    unit->m_strReportTag = name + "T";
    unit->m_strDescription = name + " unit";
    unit->m_nReportFlag = reportFlag;
    unit->m_aIntList1 = items;
    unit->m_aIntList2 = kinds;
    CDbDefinition& made = *unit;
    model.m_paUnits.Add(std::move(unit));
    model.m_paUnits.Sort(&CDbObject::CompareDbObjectName);
    return made;
  }
  void AddOp(const std::string& period, std::int32_t unit, std::int32_t item, std::int32_t kind, double activity,
             std::int32_t feed, std::int32_t order, double marginal = 0.0) {
    auto op = std::make_unique<CDbUnitOp>(unit, 3, &m_export);
    op->m_nItemID = item;
    op->m_nKind = kind;
    op->m_dActivity = activity;
    op->m_nFeedFlag = feed;
    op->m_nReportOrder = order;
    op->m_dMarginalValue = marginal;
    auto& list = kind == 2 ? Period(period).m_paUnitOperationCapacities : Period(period).m_paUnitOperationMaterials;
    list.Add(std::move(op));
    list.Sort(&CDbUnitOp::CompareElements);
  }
  static const CDbUnitOp& Op(CDbPeriod& period, int i) { return *period.m_paGroupUnitOperations.GetAt(i); }
};

TEST_F(UnitGroups, CombinedUnitsSumTheirOperationsPerPeriod) {
  MakePeriods({"P1", "P2"}, true);
  CDbModel& model = AddModel("M", 3);
  AddUnit(model, "U1", 11, 1, {5}, {1});
  AddUnit(model, "U2", 12, 1, {5, 6}, {1, 2});
  AddUnit(model, "U3", 13, 0, {5}, {1});
  AddOp("P1", 11, 5, 1, 10, 1, 3, 2.5);
  AddOp("P1", 12, 5, 1, 4, 0, 1, 9.0);
  AddOp("P1", 12, 6, 2, 8, 1, 2, 9.0);
  AddOp("P1", 13, 5, 1, 100, 1, 1);
  AddOp("P2", 11, 5, 1, 1, 1, 3);
  CTableFilTable& submods = m_solution->m_tableFil;
  submods.m_aRowNames = {"U1", "U2", "U3", "REPORTA"};
  submods.m_aColumnNames = {"COMBINE"};
  submods.m_aCells = {7, 7, 7, 7};
  m_solution->m_specialSubs.m_nCrudeUnitCount = 1;

  m_solution->BuildGroupUnitOps(&Main(), m_case, &model);
  EXPECT_TRUE(model.m_paGroupUnits.IsEmpty()) << "no SUBMODS unit";

  m_solution->m_bHasSubmodsUnits = 1;
  m_solution->BuildGroupUnitOps(&Main(), m_case, &model);
  ASSERT_EQ(model.m_paGroupUnits.GetSize(), 1);
  const CDbGroupUnit& group = *model.m_paGroupUnits.GetAt(0);
  EXPECT_EQ(group.m_nID, 7);
  EXPECT_EQ(group.m_nGroupNumber, 7);
  EXPECT_EQ(group.m_strName, "U1");
  EXPECT_EQ(group.m_strReportTag, "Group U1T");
  EXPECT_EQ(group.m_strDescription, "U1 unit");
  EXPECT_EQ(group.m_paMemberUnits.GetSize(), 2) << "U3 does not report";
  EXPECT_EQ(group.m_nUnitCount, 2);

  CDbPeriod& p1 = Period("P1");
  ASSERT_EQ(p1.m_paGroupUnitOperations.GetSize(), 2);
  EXPECT_EQ(Op(p1, 0).m_nItemID, 5);
  EXPECT_DOUBLE_EQ(Op(p1, 0).m_dActivity, 14.0);
  EXPECT_EQ(Op(p1, 0).m_bMixedFeed, 1);
  EXPECT_EQ(Op(p1, 0).m_nFeedFlag, 1);
  EXPECT_EQ(Op(p1, 0).m_nReportOrder, 3);
  EXPECT_DOUBLE_EQ(Op(p1, 0).m_dMarginalValue, 2.5);
  EXPECT_EQ(Op(p1, 1).m_nItemID, 6);
  EXPECT_EQ(Op(p1, 1).m_nKind, 2);
  EXPECT_DOUBLE_EQ(Op(p1, 1).m_dActivity, 8.0);
  EXPECT_EQ(Op(p1, 1).m_nReportOrder, 102) << "first seen in the second unit";
  EXPECT_DOUBLE_EQ(Op(p1, 1).m_dMarginalValue, 0.0) << "only material operations keep the marginal value";
  CDbPeriod& p2 = Period("P2");
  ASSERT_EQ(p2.m_paGroupUnitOperations.GetSize(), 1);
  EXPECT_DOUBLE_EQ(Op(p2, 0).m_dActivity, 1.0);
  EXPECT_EQ(Period(".").m_paGroupUnitOperations.GetSize(), 0);
}

}  // namespace
