// The primal rows and columns, their report rows and the marginal-value KPI values.

#include <memory>
#include <string>

#include "results/objects/db_case.h"
#include "results/objects/db_primal.h"
#include "results/objects/db_solution.h"
#include "writers/testing/result_writer_fixture.h"

namespace {

class PrimalWriterTest : public writers_testing::ResultWriterTest {
 protected:
  PrimalWriterTest() : m_case(4, Data()), m_node("", Data()) {
    CDbSolution pass(Data());
    EXPECT_TRUE(pass.DefineTables());
    auto* node = new CDbNode(2, Data());
    node->m_strName = "";
    m_case.m_paNodes.Add(node);
    auto* period = new CDbPeriod(6, Data());
    period->m_strName = "a";
    m_case.m_paPeriods.Add(period);
    m_period = period;
  }
  static CDbPrimal* Primal(const std::string& name, double marginal) {
    auto* primal = new CDbPrimal(name);
    primal->m_strAliasName = name;
    primal->m_nSequenceID = 1;
    primal->m_strStatus = "BS";
    primal->m_dActivity = 1.0;
    primal->m_dSlack = 0.0;
    primal->m_dLoRHS = 0.0;
    primal->m_dHiRHS = 1e30;
    primal->m_dMarginalValue = marginal;
    return primal;
  }
  CDbPrimalPeriod* AddPeriod(const std::string& name) {
    auto* period = new CDbPrimalPeriod(name);
    m_node.m_paPeriods.Add(period);
    return period;
  }
  void AddMask(const std::string& text, bool wildcard, std::int32_t order) {
    auto* mask = new CDbRwUnit(text);
    mask->m_bWildcard = wildcard ? 1 : 0;
    mask->m_strDescription = "mask " + text;
    mask->m_nReportOrder = order;
    m_period->m_paRwUnits.Add(mask);
  }

  CDbCase m_case;
  CDbPrimalNode m_node;
  CDbPeriod* m_period = nullptr;
};

TEST_F(PrimalWriterTest, RowsColumnsAndBounds) {
  CDbPrimalPeriod* period = AddPeriod("a");
  CDbPrimal* row = Primal(std::string(130, 'R'), 2.0);
  row->m_dLoRHS = -1e30;
  row->m_nVWBasisConverted = 3;
  period->m_paRows.Add(row);
  CDbPrimal* converted = Primal("CONV", 0.0);
  converted->m_nVWBasisConverted = 1;
  period->m_paRows.Add(converted);
  CDbPrimal* column = Primal("COL", 1.0);
  column->m_dHiRHS = 1e29;
  period->m_paColumns.Add(column);

  ASSERT_TRUE(m_node.WritePrPrimal(3, &m_case));
  EXPECT_EQ(Rows("SELECT SolutionID, CaseID, PeriodID, NodeID, length(RowName), LoRHS, HiRHS, VWBasisConverted "
                 "FROM PrPrimalRow ORDER BY RowName"),
            "3|4|6|2|4|0.0|NULL|1\n3|4|6|2|128|NULL|NULL|0\n");
  EXPECT_EQ(Rows("SELECT ColumnName, Status, Cost, LoBound, HiBound FROM PrPrimalColumn"), "COL|BS|0.0|0.0|1.0e+29\n");
}

TEST_F(PrimalWriterTest, ReportRowMasks) {
  AddMask("ABC*", true, 1);
  AddMask("A*C1", true, 2);
  AddMask("ABC12", false, 3);
  AddMask("ABC12X", true, 4);
  AddMask("ABC1", false, 5);
  AddMask("ABC1*", false, 6);  // a star without the wildcard flag is a plain character
  CDbPrimalPeriod* period = AddPeriod("a");
  CDbPrimal* row = Primal("ABC12", 0.0);
  row->m_nSequenceID = 17;
  period->m_paRows.Add(row);
  ASSERT_TRUE(m_node.WritePrPrimal(3, &m_case));
  EXPECT_EQ(Rows("SELECT PeriodID, ModelID, SequenceID, ReportOrder, Description FROM PrReportRow ORDER BY ReportOrder"),
            "6|2|17|1|mask ABC*\n6|2|17|2|mask A*C1\n6|2|17|3|mask ABC12\n");
}

TEST_F(PrimalWriterTest, MarginalValueKpis) {
  m_node.m_nMargValKpiID = 0;
  m_node.m_nPIKpiID = 5;
  CDbPrimalPeriod* period = AddPeriod("a");
  period->m_paRows.Add(Primal("R1", -5.0));
  ASSERT_TRUE(m_node.WritePrPrimal(3, &m_case));
  // Columns' maximum (DJ) has no KPI identifier and so no record.
  EXPECT_EQ(Rows("SELECT KpiID, NodeID, PeriodID, Value FROM PrKpiValue ORDER BY KpiID"), "0|2|6|5.0\n5|2|6|5.0\n");

  // A not-set marginal value counts like any other.
  m_node.m_paPeriods.RemoveAll();
  m_node.m_nMargValKpiID = m_node.m_nPIKpiID = -1;
  m_node.m_nDJKpiID = 8;
  AddPeriod("a")->m_paColumns.Add(Primal("C1", 1e30));
  ASSERT_TRUE(m_node.WritePrPrimal(3, &m_case));
  EXPECT_EQ(Rows("SELECT Value FROM PrKpiValue WHERE KpiID=8"), "1.0e+30\n");
}

TEST_F(PrimalWriterTest, UnknownNodeAndPeriod) {
  m_node.m_strName = "ELSEWHERE";
  m_node.m_nMargValKpiID = 1;
  AddMask("R*", true, 1);
  CDbPrimalPeriod* period = AddPeriod("zz");
  period->m_paRows.Add(Primal("R1", 3.0));
  ASSERT_TRUE(m_node.WritePrPrimal(3, &m_case));
  EXPECT_EQ(Rows("SELECT PeriodID, NodeID FROM PrPrimalRow"), "-999|-1\n");
  EXPECT_EQ(Rows("SELECT count(*) FROM PrReportRow"), "0\n");
  EXPECT_EQ(Rows("SELECT count(*) FROM PrKpiValue"), "0\n");
}

}  // namespace
