// The definition pass against a real result database file.

#include <gtest/gtest.h>

#include <string>

#include "dbdrivers/access/access_result_database.h"
#include "dbdrivers/access/output_table_api.h"
#include "dbdrivers/access/testing/access_fixture.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_solution.h"
#include "writers/schema/result_schema.h"

namespace {

using dbdrivers_testing::AccessFixture;

class DefineTablesTest : public ::testing::Test, public AccessFixture {
 protected:
  bool Define() {
    CDbSolution solution(&exportData);
    const bool ok = solution.DefineTables();
    FlushOutputTables(exportData);
    return ok;
  }
  // The field names of a table in the file, comma-separated.
  std::string Columns(const std::string& table) {
    std::string rows = Query("SELECT name FROM pragma_table_info('" + table + "') ORDER BY cid");
    for (char& c : rows)
      if (c == '\n') c = ',';
    if (!rows.empty()) rows.pop_back();
    return rows;
  }
  static std::string Expected(const ResultTable& table, const std::string& prefix = "") {
    std::string out;
    for (const ResultField& f : table.fields) out += (out.empty() ? "" : ",") + prefix + f.name;
    return out;
  }
  bool Exists(const std::string& table) {
    return Query("SELECT count(*) FROM sqlite_master WHERE type='table' AND name='" + table + "'") == "1\n";
  }
  void Reopen() {
    std::int32_t flag = 0;
    ASSERT_TRUE(CloseDatabase(*Model().m_daoDatabase, Model().m_outputTables, flag));
  }
};

TEST_F(DefineTablesTest, ANewDatabaseGetsEveryTableWithItsFieldsInOrder) {
  Settings().m_UseNimboOn.SetValue(1);
  Settings().m_Zelun_GO_ProveGlobalOptimalityOn.SetValue(1);
  Settings().m_Zelun_MS_On.SetValue(1);
  ASSERT_TRUE(Define());
  for (const ResultTable& table : GetDefinitionPassTables()) EXPECT_EQ(Columns(table.name), Expected(table)) << table.name;
  EXPECT_EQ(Query("SELECT type FROM pragma_table_info('PrCaseSet') WHERE name IN ('Description','SelFormula') "
                  "ORDER BY cid"),
            "VARCHAR(80)\nTEXT\n");
  EXPECT_EQ(exportData.m_bDatabaseError, 0);

  // A second pass over the existing tables only looks the fields up.
  Reopen();
  ASSERT_TRUE(Define());
  EXPECT_EQ(Columns("PrCase"), Expected(*FindResultTable("PrCase")));
}

TEST_F(DefineTablesTest, ConditionalTablesFollowTheSettings) {
  ASSERT_TRUE(Define());  // UseNimboOn off
  for (const char* absent : {"PrTrancolBasis", "PrTrancolNonBasis", "PrMSSolutions", "LGLINKS"})
    EXPECT_FALSE(Exists(absent)) << absent;
  for (const char* present : {"PrRangeRHS", "PrRangeCost", "PrKpi", "PrOpenInventoryQuality"})
    EXPECT_TRUE(Exists(present)) << present;

  Settings().m_UseNimboOn.SetValue(1);
  Settings().m_UseOldOutputDatabaseFormatOn.SetValue(1);
  ASSERT_TRUE(Define());
  EXPECT_TRUE(Exists("PrTrancolBasis"));
  EXPECT_FALSE(Exists("LGLINKS"));
}

TEST_F(DefineTablesTest, AlternateColumnsPrefixEveryFieldButNoTable) {
  Settings().m_AlternateDatabaseCols.SetValue(1);
  ASSERT_TRUE(Define());
  EXPECT_EQ(Columns("PrVTW"), Expected(*FindResultTable("PrVTW"), "LG_"));
  EXPECT_EQ(Columns("PrRangeCost"), Expected(*FindResultTable("PrRangeCost"), "LG_"));
}

TEST_F(DefineTablesTest, MissingFieldsOfExistingTables) {
  ASSERT_TRUE(Define());
  Reopen();
  EXPECT_EQ(Execute("ALTER TABLE \"PrUtilityPurchase\" DROP COLUMN \"ShadowPrice\""), "");
  ASSERT_TRUE(Define());  // the one field the table API adds
  EXPECT_NE(Columns("PrUtilityPurchase").find("ShadowPrice"), std::string::npos);

  Reopen();
  EXPECT_EQ(Execute("ALTER TABLE \"PrSale\" DROP COLUMN \"VPRICE\""), "");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(Define());
  const std::string shown = testing::internal::GetCapturedStderr();
  EXPECT_NE(shown.find("VPRICE"), std::string::npos) << shown;
}

TEST_F(DefineTablesTest, ATableThatCannotBeOpenedEndsThePass) {
  ASSERT_TRUE(Define());
  Reopen();
  // A view of a pass table's name cannot be opened as a table.
  EXPECT_EQ(Execute("DROP TABLE \"PrBlend\""), "");
  EXPECT_EQ(Execute("DROP TABLE \"PrBlendTarget\""), "");
  EXPECT_EQ(Execute("CREATE VIEW \"PrBlend\" AS SELECT 1 AS x"), "");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(Define());
  testing::internal::GetCapturedStderr();
  EXPECT_FALSE(Exists("PrBlendTarget"));  // after the failing table: not defined
  EXPECT_TRUE(Exists("PrQuality"));
}

TEST_F(DefineTablesTest, WithoutAModelThePassFails) {
  exportData.m_pModel.reset();
  CDbSolution solution(&exportData);
  EXPECT_FALSE(solution.DefineTables());
}

}  // namespace
