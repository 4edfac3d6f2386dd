#include "results/db_manager.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

#include "dbdrivers/access/access_result_database.h"
#include "dbdrivers/access/output_table_api.h"
#include "dbdrivers/access/testing/access_fixture.h"
#include "modelfile/setting_item.h"
#include "modelfile/vorn_model_file.h"
#include "platform/dao.h"
#include "results/objects/db_solution.h"
#include "standins/tresk.h"

namespace {

using dbdrivers_testing::AccessFixture;

class DbManagerTest : public ::testing::Test, public AccessFixture {
 protected:
  DbManagerTest() {
    exportData.m_strProgramVersion = "9.8.7";
    exportData.m_pbDoDbSolution = true;
  }
  bool WriteCase(bool firstCase) {
    CDbManager manager(&Model(), &exportData);
    const bool ok = manager.WriteSolution(firstCase);
    FlushOutputTables(exportData);
    return ok;
  }
  std::string Index(const std::string& table) {
    return Query("SELECT il.name, group_concat(ii.name) FROM pragma_index_list('" + table +
                 "') il, pragma_index_info(il.name) ii GROUP BY il.name");
  }
  void CloseAndRun(const std::string& sql) {
    std::int32_t flag = 0;
    ASSERT_TRUE(CloseDatabase(*Model().m_daoDatabase, Model().m_outputTables, flag));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(DatabasePath().c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
  }
};

TEST_F(DbManagerTest, ConstructionBuildsTheVersionAndEnumerationTables) {
  CDbManager manager(&Model(), &exportData);
  ASSERT_NE(manager.GetSolution(), nullptr);
  ASSERT_EQ(manager.m_paEnumTables.GetSize(), 21);
  for (int i = 0; i < 21; ++i) EXPECT_EQ(manager.m_paEnumTables.GetAt(i)->m_nTableID, i + 1);
  const struct {
    int index;
    const char* table;
    const char* idColumn;
    int rows;
    int firstId;
    const char* lastDescription;
  } cases[] = {
      {0, "PrDBVersion", "DatabaseVersion", 1, 1, "V7.3.1"},
      {5, "PrQualityOrigin", "OriginID", 10, 0, "Transferred"},
      {7, "PrPRowType", "PRowTypeID", 4, 1, "N - Ratio"},
      {8, "PrSolutionStatus", "StatusID", 11, 0, "Active Penalties"},
      {11, "PrInteractionType", "InteractionTypeID", 2, 1, "Interaction"},
      {18, "PrRFGQualityType", "RFGQualityID", 15, 0, ""},
      {19, "PrEconomicSummaryType", "EconomicSummaryTypeID", 18, 0, nullptr},
  };
  for (const auto& c : cases) {
    const CDbEnumTable* t = manager.m_paEnumTables.GetAt(c.index);
    EXPECT_EQ(t->m_strTableName, c.table);
    EXPECT_EQ(t->m_strIDColumn, c.idColumn);
    ASSERT_EQ(t->m_paRecords.GetSize(), c.rows) << c.table;
    EXPECT_EQ(t->m_paRecords.GetAt(0)->m_nID, c.firstId) << c.table;
    if (c.lastDescription) {
      EXPECT_EQ(t->m_paRecords.GetAt(c.rows - 1)->m_strDescription, c.lastDescription);
    }
  }
  const CDbEnumTable* economics = manager.m_paEnumTables.GetAt(19);
  EXPECT_EQ(economics->m_paRecords.GetAt(7)->m_strDescription, LoadTreskString(483));
  EXPECT_EQ(economics->m_paRecords.GetAt(17)->m_strDescription, LoadTreskString(1654));

  const CDbEnumTable* penalties = manager.m_paEnumTables.GetAt(10);
  EXPECT_EQ(penalties->m_strTableName, "PrPenaltyType");
  EXPECT_EQ(penalties->m_paRecords.GetSize(), 0);
  ASSERT_EQ(penalties->m_paPenaltyRecords.GetSize(), 14);
  const CDbPenaltyRecord* third = penalties->m_paPenaltyRecords.GetAt(3);
  EXPECT_EQ(third->m_strDescription, LoadTreskString(1683));
  EXPECT_EQ(third->m_strTag1, LoadTreskString(1692));
  EXPECT_EQ(third->m_strTag2, LoadTreskString(1691));
  EXPECT_FALSE(third->m_strTag2.empty());

  const CDbEnumTable* settings = manager.m_paEnumTables.GetAt(20);
  const CSettingItemList& list = Model().m_settings.m_list;
  ASSERT_EQ(settings->m_paRecords.GetSize(), list.GetCount());
  for (int i = 0; i < list.GetCount(); ++i) {
    const CDbEnumRecord* r = settings->m_paRecords.GetAt(i);
    EXPECT_EQ(r->m_nID, i + 1);
    EXPECT_EQ(r->m_strDescription, list.GetAt(i)->GetName());
    const int expected[] = {1, 0, 0, 2, 3, 4};  // by item type
    EXPECT_EQ(r->m_nDataTypeID, expected[list.GetAt(i)->GetType()]) << r->m_strDescription;
  }

  ASSERT_EQ(manager.m_version.m_paRecords.GetSize(), 1);
  EXPECT_EQ(manager.m_version.m_paRecords.GetAt(0)->m_strVersion, "V12");
  EXPECT_EQ(manager.m_version.m_paRecords.GetAt(0)->m_strBuild, "9.8.7");
}

TEST_F(DbManagerTest, TheFirstCaseWritesVersionEnumerationAndSettingDefaultTables) {
  ASSERT_TRUE(WriteCase(true));
  EXPECT_EQ(Query("SELECT Version, Build, CompatibleWith IS NULL FROM PrDatabaseVersion"), "V12|9.8.7|1\n");
  EXPECT_EQ(Query("SELECT * FROM PrDBVersion"), "1|V7.3.1\n");
  EXPECT_EQ(Query("SELECT * FROM PrVWBasis"), "0|Weight\n1|Volume\n");
  EXPECT_EQ(Query("SELECT count(*), min(PenaltyTypeID), max(PenaltyTypeID) FROM PrPenaltyType"), "14|0|13\n");
  EXPECT_EQ(Query("SELECT Tag2 FROM PrPenaltyType WHERE PenaltyTypeID = 8"), LoadTreskString(1694) + "\n");
  // Each penalty type the solution fill makes is named for what it holds, and so is what its tags hold.
  EXPECT_EQ(Query("SELECT PenaltyTypeID, Description, Tag1, Tag2 FROM PrPenaltyType WHERE PenaltyTypeID > 0 AND "
                  "PenaltyTypeID NOT IN (7, 9, 10) ORDER BY PenaltyTypeID"),
            "1|Purchase and Sale Penalty|Column|NULL\n"
            "2|Capacity|Capacity|NULL\n"
            "3|Quality Specification Penalty|Blend|Quality\n"
            "4|Blend Specification Penalty|Blend|Quality\n"
            "5|Pooling Penalty|Blend|NULL\n"
            "6|Other Penalty|Column|NULL\n"
            "8|Target Penalty|Blend|Quality\n"
            "11|Inventory Target Penalty|Stream|NULL\n"
            "12|Blender Cost|Blender|NULL\n"
            "13|Process Limit|Process Limit|NULL\n");

  const int settings = Model().m_settings.m_list.GetCount();
  EXPECT_EQ(Query("SELECT count(*) FROM PrSettingType"), std::to_string(settings) + "\n");
  EXPECT_EQ(Query("SELECT count(*) FROM PrSettingDefault d JOIN PrSettingType t USING (SettingTypeID)"),
            std::to_string(settings) + "\n");
  const std::string byName = "SELECT d.TextValue, d.IntegerValue, d.DoubleValue, d.DateValue FROM PrSettingDefault d "
                             "JOIN PrSettingType t USING (SettingTypeID) WHERE t.Keyword = ";
  EXPECT_EQ(Query(byName + "'DatabaseOutputFormat'"), "Access|NULL|NULL|NULL\n");
  EXPECT_EQ(Query(byName + "'DatabasePurgeOn'"), "NULL|1|NULL|NULL\n");
  EXPECT_EQ(Query(byName + "'WLARGE'"), "NULL|NULL|NULL|NULL\n");  // the not-set default 1e30
  EXPECT_EQ(Query(byName + "'CommonStartDate'"), "NULL|NULL|NULL|1900-01-01 01:01:01\n");
  EXPECT_EQ(Query("SELECT DataTypeID FROM PrSettingType WHERE Keyword = 'WLARGE'"), "3\n");

  // A later case of the process writes none of them again.
  ASSERT_TRUE(WriteCase(false));
  EXPECT_EQ(Query("SELECT count(*) FROM PrSettingDefault"), std::to_string(settings) + "\n");
  EXPECT_EQ(Query("SELECT count(*) FROM PrDatabaseVersion"), "1\n");
}

// PrKpi is kept from case to case (dropping it would lose the rows of the
// cases written before); a later case writes into the same table.
TEST_F(DbManagerTest, ALaterCaseWritesIntoTheSamePrKpi) {
  ASSERT_TRUE(WriteCase(true));
  testing::internal::CaptureStderr();
  const bool second = WriteCase(false);
  const std::string shown = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(second) << shown;
  EXPECT_EQ(Query("SELECT count(*) FROM pragma_table_info('PrKpi')"), "10\n");
}

TEST_F(DbManagerTest, NewAccessTablesGetTheirKeyIndex) {
  ASSERT_TRUE(WriteCase(true));
  EXPECT_EQ(Index("PrCase"), "PrCase_Key|SolutionID,CaseID\n");
  EXPECT_EQ(Index("PrDepot"), "PrDepot_Key|SolutionID,DepotID\n");
  EXPECT_EQ(Index("PrPurchase"), "PrPurchase_Key|SolutionID,CaseID,NodeID,StreamID,PeriodID\n");
  EXPECT_EQ(Index("PrSolution"), "PrSolution_Key|SolutionID\n");
  EXPECT_EQ(Index("PrKpi"), "");
  EXPECT_EQ(Index("PrLink"), "");
  EXPECT_EQ(Index("PrVWBasis"), "");
}

TEST_F(DbManagerTest, NoIndexWhenIndexesAreOff) {
  Settings().m_CreateIndexes.SetValue(0);
  ASSERT_TRUE(WriteCase(true));
  EXPECT_EQ(Index("PrCase"), "");
}

TEST_F(DbManagerTest, CreateTableIndexMakesOneIndexAndReportsEngineErrors) {
  CDbManager manager(&Model(), &exportData);
  ASSERT_TRUE(WriteCase(true));
  CloseAndRun("DROP INDEX \"PrCase_Key\"; DROP TABLE \"PrMarket\";");
  std::int32_t existing = 0;
  ASSERT_NE(COpenTable(exportData, "PrCase", 6, "M1", 2, 0, &existing), nullptr);  // opens the file again
  EXPECT_TRUE(manager.CreateTableIndex(&Model(), "PrCase"));
  EXPECT_EQ(Index("PrCase"), "PrCase_Key|SolutionID,CaseID\n");
  EXPECT_TRUE(manager.CreateTableIndex(&Model(), "PrCase"));  // an index exists: nothing more
  EXPECT_EQ(Index("PrCase"), "PrCase_Key|SolutionID,CaseID\n");
  EXPECT_TRUE(manager.CreateTableIndex(&Model(), "PrKpi"));   // no key columns

  // A table the database does not have: the engine's error.
  testing::internal::CaptureStderr();
  EXPECT_FALSE(manager.CreateTableIndex(&Model(), "PrMarket"));
  testing::internal::GetCapturedStderr();

  Settings().m_DatabaseOutputFormat.SetValue("SQL Server");
  EXPECT_TRUE(manager.CreateTableIndex(&Model(), "PrMarket"));  // not Access: nothing to do
}

}  // namespace
