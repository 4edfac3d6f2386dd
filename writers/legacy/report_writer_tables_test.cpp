// The report-writer tables: legacy rows put into an SQLite results database,
// read back over ODBC and regrouped by the model's report-writer groups.

#include "writers/legacy/report_writer_tables.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "caseset/config/assembled_case.h"
#include "caseset/modeltables/table_file_fixtures.h"
#include "dbdrivers/access/access_result_database.h"
#include "dbdrivers/access/output_table_api.h"
#include "dbdrivers/access/testing/access_fixture.h"
#include "modelfile/vorn_model_file.h"
#include "platform/testing/odbc_test_env.h"
#include "writers/legacy/legacy_table.h"
#include "writers/legacy/legacy_tables.h"

namespace {

using table_fixtures::Table;

int CountOf(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}
constexpr double kBlank = 1e30;

// The legacy tables the engine would have written, in the column order the builders read.
constexpr const char* kLegacyTables =
    "CREATE TABLE LGSTRMID (RUNID VARCHAR(4), \"CASE\" SMALLINT, STRMID VARCHAR(3), \"DESC\" VARCHAR(20), UOM "
    "VARCHAR(8), ALTTAG VARCHAR(3), ROWORDER INTEGER, VTWSORT DOUBLE);"
    "CREATE TABLE LGUNITID (RUNID VARCHAR(4), \"CASE\" SMALLINT, UNITID VARCHAR(4), \"DESC\" VARCHAR(20), ROWORDER "
    "INTEGER);"
    "CREATE TABLE LGSDSUM (RUNID VARCHAR(4), \"CASE\" SMALLINT, PERIOD VARCHAR(1), STRMID VARCHAR(3), PURCHASE "
    "DOUBLE, SUBMOD DOUBLE, BLENDING DOUBLE, SALE DOUBLE, BALANCE DOUBLE, MARVALUE DOUBLE, VWBASIS VARCHAR(1), VTW "
    "DOUBLE);"
    "CREATE TABLE LGRECIPE (RUNID VARCHAR(4), \"CASE\" SMALLINT, PERIOD VARCHAR(1), PRODUCT VARCHAR(3), BLENDSTOCK "
    "VARCHAR(3), VOLRECIPE DOUBLE, WGTRECIPE DOUBLE, VOLBLEND DOUBLE, WGTBLEND DOUBLE, MARVALUE DOUBLE);"
    "CREATE TABLE LGUNTOPC (RUNID VARCHAR(4), \"CASE\" SMALLINT, PERIOD VARCHAR(1), UNITOP VARCHAR(4), TYPE "
    "VARCHAR(1), TAG VARCHAR(3), RATE DOUBLE);";

// Rows of the run "R1" and case 1: the values after RUNID and CASE.
std::string Rows(const std::string& table, const std::vector<std::string>& values) {
  std::string sql;
  for (const std::string& v : values) sql += "INSERT INTO " + table + " VALUES ('R1', 1, " + v + ");";
  return sql;
}

// A group table: one row per group, a member where the cell is not blank.
Table Groups(const std::string& name, const std::vector<std::pair<std::string, std::vector<std::string>>>& groups) {
  Table table{name, {}, {}, {}, {}};
  for (const auto& [group, members] : groups)
    for (const std::string& member : members)
      if (std::find(table.columns.begin(), table.columns.end(), member) == table.columns.end())
        table.columns.push_back(member);
  for (const auto& [group, members] : groups) {
    table.rows.push_back(group);
    table.texts.push_back(group + " text");
    for (const std::string& column : table.columns)
      table.cells.push_back(std::find(members.begin(), members.end(), column) != members.end() ? 1 : kBlank);
  }
  return table;
}

class ReportWriterTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (plat::testing::SqliteOdbcDriverLibrary().empty()) GTEST_SKIP() << "the SQLite3 ODBC driver is not installed";
    m_ini = std::make_unique<plat::testing::ScopedOdbcIni>(plat::testing::ScopedOdbcIni::StandardDrivers());
  }

  // A new results database with the legacy tables and the rows of sql, and the model's group tables.
  dbdrivers_testing::AccessFixture& Start(const std::vector<Table>& groups, const std::string& sql) {
    m_db = std::make_unique<dbdrivers_testing::AccessFixture>();
    m_db->Settings().m_DatabaseOutputFormat.SetValue("Access");
    m_db->exportData.m_strRunID = "R1";
    m_case = std::make_unique<CAssembledCase>(1, "M1");
    m_db->exportData.m_pCurrentCase = m_case.get();
    const auto files = table_fixtures::MakeClassicFiles(groups);
    std::ofstream(m_db->Model().m_strModelDir + "/tables.map", std::ios::binary) << files.index;
    std::ofstream(m_db->Model().m_strModelDir + "/tables.fil", std::ios::binary) << files.cache;
    EXPECT_EQ(m_db->Execute(std::string(kLegacyTables) + sql), "");
    return *m_db;
  }
  std::string Query(const std::string& sql) {
    FlushOutputTables(m_db->exportData);
    return m_db->Query(sql);
  }

  std::unique_ptr<plat::testing::ScopedOdbcIni> m_ini;
  std::unique_ptr<dbdrivers_testing::AccessFixture> m_db;
  std::unique_ptr<CAssembledCase> m_case;
};

TEST_F(ReportWriterTablesTest, GroupMembersCollapseIntoTheirGroups) {
  struct Case {
    const char* what;
    std::vector<Table> groups;
    std::string rows;
    std::string query;
    std::string expected;
    std::function<void(dbdrivers_testing::AccessFixture&)> prepare = nullptr;
  };
  const std::vector<Case> cases = {
      // Stream and unit lists.
      {"a run identifier of six characters is cut to four",
       {Groups("RWGRPUNT", {{"UG", {"U9"}}})},
       "INSERT INTO LGUNITID VALUES ('RUN1', 1, 'U1', 'Unit one', 3);",
       "SELECT RUNID, \"CASE\", UNITID FROM RWUNITID", "RUN1|1|U1\n",
       [](auto& db) { db.exportData.m_strRunID = "RUN123"; }},
      {"rows of another case or run are left out",
       {Groups("RWGRPBLN", {{"GRP", {"A"}}})},
       Rows("LGSTRMID", {"'A', 'a', 'BBL', 'X', 1, 2.0"}) +
           "INSERT INTO LGSTRMID VALUES ('R1', 2, 'B', 'b', 'BBL', 'X', 2, 9.0);"
           "INSERT INTO LGSTRMID VALUES ('R2', 1, 'C', 'c', 'BBL', 'X', 3, 9.0);",
       "SELECT STRMID, ROWORDER, VTWSORT FROM RWSTRMID ORDER BY rowid", "A|1|2.0\nGRP|2|2.0\n"},
      {"a stream in two blend groups counts in both",
       {Groups("RWGRPBLN", {{"G1XY", {"A"}}, {"G2XY", {"A", "B"}}})},
       Rows("LGSTRMID", {"'B', 'b', '', '', 20, 4.0", "'A', 'a', '', '', 10, 2.0", "'C', 'c', '', '', 30, 1.0"}),
       "SELECT STRMID, quote(\"DESC\"), ROWORDER, VTWSORT FROM RWSTRMID ORDER BY rowid",
       "A|'a'|10|2.0\nB|'b'|20|4.0\nC|'c'|30|1.0\nG1X|'G1XY text'|31|2.0\nG2X|'G2XY text'|32|3.0\n"},
      {"a stream named like a group tag keeps its own value uncounted",
       {Groups("RWGRPSTR", {{"ABCD", {"A", "B"}}})},
       Rows("LGSTRMID", {"'A', 'a', '', '', -5, 2.0", "'ABC', 'own', '', '', -7, 10.0", "'B', 'b', '', '', -9, 4.0"}),
       "SELECT STRMID, ROWORDER, VTWSORT FROM RWSTRMID ORDER BY rowid", "A|-5|2.0\nABC|-7|8.0\nB|-9|4.0\n"},
      {"every order below 0 starts the group rows at 0",
       {Groups("RWGRPBLN", {{"GRP", {"A"}}})},
       Rows("LGSTRMID", {"'A', 'a', '', '', -5, 1.0"}), "SELECT STRMID, ROWORDER FROM RWSTRMID ORDER BY rowid",
       "A|-5\nGRP|0\n"},
      {"a unit group follows its first member with that member's order; a large order keeps its low 16 bits",
       {Groups("RWGRPUNT", {{"UGRP", {"U2", "U3"}}})},
       Rows("LGUNITID", {"'U1', 'One', 1", "'U2', 'Two', 70000", "'U3', 'Three', 3"}),
       "SELECT UNITID, \"DESC\", ROWORDER FROM RWUNITID ORDER BY rowid",
       "U1|One|1\nU2|Two|4464\nUGRP|UGRP text|4464\nU3|Three|3\n"},
      // Sums.
      {"purchases of a stream group add up and the members go",
       {Groups("RWGRPSTR", {{"ABCD", {"A", "B"}}})},
       Rows("LGSDSUM", {"'1', 'A', 10, NULL, NULL, NULL, NULL, NULL, 'V', NULL",
                        "'1', 'B', 5, NULL, NULL, NULL, NULL, NULL, 'V', NULL",
                        "'1', 'C', 1, NULL, NULL, NULL, NULL, NULL, 'W', NULL"}),
       "SELECT PERIOD, STRMID, PURCHASE, VWBASIS FROM RWSDSUM ORDER BY rowid", "1|ABC|15.0|V\n1|C|1.0|W\n"},
      {"blending weights the marginal value and the factor",
       {Groups("RWGRPSTR", {{"ABCD", {"A", "B"}}})},
       Rows("LGSDSUM", {"'1', 'A', NULL, NULL, 2, NULL, NULL, 1, 'V', NULL",
                        "'1', 'B', NULL, NULL, 6, NULL, NULL, 3, 'V', 0.8"}),
       "SELECT STRMID, BLENDING, MARVALUE, VTW FROM RWSDSUM", "ABC|8.0|2.5|0.8\n"},
      {"a member with blending but no marginal value leaves both out of the average",
       {Groups("RWGRPSTR", {{"ABCD", {"A", "B"}}})},
       Rows("LGSDSUM", {"'1', 'A', NULL, NULL, 2, NULL, NULL, NULL, 'V', NULL",
                        "'1', 'B', NULL, NULL, 6, NULL, NULL, 3, 'V', NULL"}),
       "SELECT STRMID, BLENDING, MARVALUE, quote(VTW) FROM RWSDSUM", "ABC|8.0|3.0|NULL\n"},
      {"members without blending leave the group's blending columns empty; a null sale adds nothing",
       {Groups("RWGRPSTR", {{"ABCD", {"A", "B"}}})},
       Rows("LGSDSUM", {"'1', 'A', NULL, NULL, NULL, 4, NULL, 1, 'V', 0.7",
                        "'1', 'B', NULL, NULL, NULL, NULL, NULL, 3, 'V', 0.8",
                        "'2', 'B', NULL, NULL, NULL, NULL, NULL, 3, 'V', 0.8"}),
       "SELECT PERIOD, STRMID, quote(BLENDING), quote(MARVALUE), quote(VTW), quote(SALE) FROM RWSDSUM ORDER BY rowid",
       "1|ABC|NULL|NULL|NULL|4.0\n2|ABC|NULL|NULL|NULL|NULL\n"},
      // Recipes.
      {"components of one blend in a component group become one component",
       {Groups("RWGRPSTR", {{"KKKBURG", {"X", "Y"}}, {"KKKBURGX", {"Z"}}})},
       Rows("LGRECIPE", {"'1', 'URG', 'X', 0.2, 0.1, 100, 80, 5", "'1', 'URG', 'Y', 0.3, 0.4, 100, 80, 6",
                         "'1', 'URG', 'Z', 0.5, 0.5, 100, 80, 7"}),
       "SELECT PRODUCT, BLENDSTOCK, VOLRECIPE, WGTRECIPE, VOLBLEND, MARVALUE FROM RWRECIPE ORDER BY rowid",
       "URG|KKK|0.5|0.5|100.0|0.0\nURG|Z|0.5|0.5|100.0|7.0\n"},
      {"blends of a blend group give blend-weighted recipes",
       {Groups("RWGRPBLN", {{"PPP", {"P1", "P2"}}, {"QQQ", {"Q1", "Q2"}}})},
       Rows("LGRECIPE", {"'1', 'P1', 'C', 0.4, 0.4, 100, 0, 1", "'1', 'P2', 'C', 0.2, 0.2, 300, 0, 1",
                         "'1', 'Q1', 'C', 0.4, 0.4, 0, 0, 1", "'1', 'Q2', 'C', 0.2, 0.2, 0, 0, 1"}),
       "SELECT PRODUCT, BLENDSTOCK, VOLRECIPE, WGTRECIPE, VOLBLEND, WGTBLEND, MARVALUE FROM RWRECIPE ORDER BY rowid",
       "PPP|C|0.25|0.0|400.0|0.0|0.0\nQQQ|C|0.0|0.0|0.0|0.0|0.0\n"},
      // Unit operations.
      {"a stream group of 8 characters and a unit group of 5 are passed over; a 4-character unit group sums",
       {Groups("RWGRPSTR", {{"SSSCRUDX", {"S1"}}}), Groups("RWGRPUNT", {{"UNIT5", {"OP3"}}, {"UNTG", {"OP1", "OP2"}}})},
       Rows("LGUNTOPC", {"'1', 'OP1', 'M', 'S1', 3", "'1', 'OP2', 'M', 'S1', 4", "'1', 'OP3', 'M', 'S1', 5"}),
       "SELECT UNITOP, TYPE, TAG, RATE FROM RWUNITOP ORDER BY rowid", "OP3|M|S1|5.0\nUNTG|M|S1|7.0\n"},
      {"streams of a stream group sum within their unit operation",
       {Groups("RWGRPSTR", {{"GGGCRU1", {"S1", "S2"}}})},
       Rows("LGUNTOPC", {"'1', 'CRU1', 'M', 'S1', 3", "'1', 'CRU1', 'M', 'S2', 4", "'1', 'CRU2', 'M', 'S1', 5"}),
       "SELECT UNITOP, TAG, RATE FROM RWUNITOP ORDER BY rowid", "CRU1|GGG|7.0\nCRU2|S1|5.0\n"},
      {"a null recipe value or rate reads as 0, as the table library gives a null number",
       {Groups("RWGRPUNT", {{"UG", {"U9"}}})},
       Rows("LGRECIPE", {"'1', 'URG', 'X', 0.2, NULL, 100, 80, NULL"}) + Rows("LGUNTOPC", {"'1', 'OP1', 'M', 'S1', NULL"}),
       "SELECT quote(VOLRECIPE), quote(WGTRECIPE), quote(MARVALUE), (SELECT quote(RATE) FROM RWUNITOP) FROM RWRECIPE",
       "0.2|0.0|0.0|0.0\n"},
      // Switches.
      {"a table whose switch is 0 is not written",
       {Groups("RWGRPUNT", {{"UG", {"U9"}}})},
       Rows("LGUNITID", {"'U1', 'One', 1"}),
       "SELECT group_concat(name) FROM (SELECT name FROM sqlite_master WHERE name LIKE 'RW%' ORDER BY name)",
       "RWRECIPE,RWSDSUM,RWUNITID,RWUNITOP\n",
       [](auto& db) { db.Settings().m_CreateRWSTRMID.SetValue(0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto& db = Start(c.groups, c.rows);
    if (c.prepare) c.prepare(db);
    ASSERT_TRUE(WriteReportWriterTables(db.exportData, db.Model()));
    EXPECT_EQ(db.Model().m_bReportWriterGroups, 1);
    EXPECT_FALSE(db.Model().m_odbcDatabase.IsOpen());
    EXPECT_LE(db.exportData.m_strRunID.size(), 4u);
    EXPECT_EQ(Query(c.query), c.expected);
  }
}

TEST_F(ReportWriterTablesTest, NothingIsWrittenWithoutGroupsAnAccessDatabaseOrASwitch) {
  const std::string anyRw = "SELECT count(*) FROM sqlite_master WHERE name LIKE 'RW%'";
  struct Case {
    const char* what;
    std::vector<Table> groups;
    std::function<void(dbdrivers_testing::AccessFixture&)> prepare;
    int flag;
  };
  const std::vector<Case> cases = {
      {"no group table", {}, [](auto&) {}, 0},
      {"a global model", {Groups("RWGRPUNT", {{"UG", {"U1"}}})},
       [](auto& db) { db.Settings().m_ModelType.SetValue(2); }, 7},
      {"a server database", {Groups("RWGRPUNT", {{"UG", {"U1"}}})},
       [](auto& db) { db.Settings().m_DatabaseOutputFormat.SetValue("SQL Server"); }, 1},
      {"every switch 0", {Groups("RWGRPUNT", {{"UG", {"U1"}}})},
       [](auto& db) {
         CModelSettings& s = db.Settings();
         for (CSettingInt* on : {&s.m_CreateRWSTRMID, &s.m_CreateRWUNITID, &s.m_CreateRWSDSUM, &s.m_CreateRWRECIPE,
                                 &s.m_CreateRWUNITOP})
           on->SetValue(0);
       },
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto& db = Start(c.groups, Rows("LGUNITID", {"'U1', 'One', 1"}));
    db.Model().m_bReportWriterGroups = 7;
    c.prepare(db);
    EXPECT_TRUE(WriteReportWriterTables(db.exportData, db.Model()));
    EXPECT_EQ(db.Model().m_bReportWriterGroups, c.flag);
    EXPECT_FALSE(db.Model().m_odbcDatabase.IsOpen());
    EXPECT_EQ(Query(anyRw), "0\n");
  }
}

// Without an engine's local-model output the LG tables cannot be there: the builders are skipped with one line,
// and the case is not failed for it.
TEST_F(ReportWriterTablesTest, WithoutTheEngineOutputTheBuildersAreSkippedWithOneLogLine) {
  auto& db = Start({Groups("RWGRPUNT", {{"UG", {"U1"}}})}, "DROP TABLE LGSDSUM;");
  db.exportData.m_bEngineOutputSkipped = true;
  EXPECT_TRUE(WriteReportWriterTables(db.exportData, db.Model()));
  EXPECT_EQ(db.Model().m_bReportWriterGroups, 1);
  EXPECT_EQ(CountOf(db.log.m_text, "Report-writer tables of "), 1) << db.log.m_text;
  EXPECT_EQ(Query("SELECT count(*) FROM sqlite_master WHERE name LIKE 'RW%'"), "0\n");
  EXPECT_EQ(db.exportData.m_strDatabaseFailure, "");
}

TEST_F(ReportWriterTablesTest, ALegacyTableThatCannotBeReadFailsWithItsMessageAndClosesTheConnection) {
  const std::vector<Table> groups = {Groups("RWGRPUNT", {{"UG", {"U1"}}})};
  struct Case {
    const char* what;
    std::string sql;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"a missing table", "DROP TABLE LGSDSUM;", "Unable to open the table LGSDSUM"},
      {"a table without the columns read by position",
       "DROP TABLE LGSDSUM; CREATE TABLE LGSDSUM (RUNID VARCHAR(4), \"CASE\" SMALLINT, PERIOD VARCHAR(1));",
       "Required column STRMID is missing in LGSDSUM"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto& db = Start(groups, Rows("LGUNITID", {"'U1', 'One', 1"}) + c.sql);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(WriteReportWriterTables(db.exportData, db.Model()));
    const std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_NE(shown.find(c.message), std::string::npos) << shown;
    // A table the engine's output should have written and did not is the case's failure, named.
    if (std::string(c.message).starts_with("Unable to open")) {
      EXPECT_EQ(db.exportData.m_strDatabaseFailure,
                "table LGSDSUM: Unable to open the table LGSDSUM of the results database.");
    }
    EXPECT_FALSE(db.Model().m_odbcDatabase.IsOpen());
    // The builders before the failing one have written their tables; the later ones do not run.
    EXPECT_EQ(Query("SELECT group_concat(name) FROM (SELECT name FROM sqlite_master WHERE name LIKE 'RW%' ORDER BY "
                    "name)"),
              "RWSTRMID,RWUNITID\n");
  }

  // Without a results database file there is no connection, and the pass fails.
  auto& db = Start(groups, "");
  std::filesystem::remove(db.DatabasePath());
  EXPECT_FALSE(WriteReportWriterTables(db.exportData, db.Model()));
  EXPECT_NE(db.log.m_text.find("Cannot open the ODBC connection"), std::string::npos) << db.log.m_text;
}

TEST_F(ReportWriterTablesTest, TheSavedQueriesReadTheReportWriterTables) {
  auto& db = Start(
      {Groups("RWGRPSTR", {{"ABCD", {"A", "B"}}}), Groups("RWGRPUNT", {{"UNTG", {"OP1", "OP2"}}})},
      Rows("LGSDSUM", {"'0', 'A', 10, NULL, 2, 4, 1, 1, 'V', 0.7", "'0', 'B', 5, NULL, 6, NULL, NULL, 3, 'V', 0.8"}) +
          Rows("LGRECIPE", {"'0', 'P1', 'A', 0.4, 0.4, 100, 90, 0", "'0', 'P1', 'C', 0.6, 0.6, 100, 90, 0"}) +
          Rows("LGUNTOPC", {"'0', 'OP1', 'M', 'A', -3", "'0', 'OP2', 'U', 'PWR', 4"}) +
          "CREATE TABLE LGUTLBUY (RUNID, \"CASE\", PERIOD, UTILID, ACTIVITY);"
          "CREATE TABLE LGUTLSEL (RUNID, \"CASE\", PERIOD, UTILID, ACTIVITY);" +
          Rows("LGUTLBUY", {"'0', 'PWR', 2"}) +
          "CREATE TABLE LGUNITOP (RUNID, \"CASE\", PERIOD, UNITOP, TYPE, STRMID, UOM, RATE);" +
          Rows("LGUNITOP", {"'0', 'OP1', 'M', 'A', 'BBL', 1", "'0', 'OP2', 'M', 'A', 'BBL', 2"}));
  db.exportData.m_strDatabaseDirectory = db.home.Path();
  db.exportData.m_strDatabaseDescription = "Queries";
  db.exportData.m_nOutputCaseNumber = 1;
  db.Settings().m_PERIODTIME.SetValue(1.0);
  db.Settings().m_PeriodLength.SetValue(2.0);
  ASSERT_TRUE(WriteLGSETTNG(db.exportData, db.Model()));
  ASSERT_TRUE(WriteLGPERIOD(db.exportData, db.Model()));
  ASSERT_TRUE(WriteLGCASE(db.exportData, db.Model()));
  ASSERT_TRUE(WriteReportWriterTables(db.exportData, db.Model()));
  ASSERT_TRUE(CreateLegacyQueries(db.exportData, db.Model()));

  EXPECT_EQ(Query("SELECT STRMID, DAYS, PURCHASE, BLENDING, MARVALUE, SALE FROM R_RWSDSUM"), "ABC|2.0|15.0|8.0|2.5|4.0\n");
  EXPECT_EQ(Query("SELECT UNITOP, TYPE, TAG, RATE, DAYS FROM R_RWUNITOP ORDER BY TYPE"),
            "UNTG|M|A|-3.0|2.0\nUNTG|U|PWR|4.0|2.0\n");
  EXPECT_EQ(Query("SELECT PRODUCT, ACTIVITY FROM R_RWBlendActivity"), "P1|100.0\n");
  EXPECT_EQ(Query("SELECT BLENDSTOCK, VOLRECIPE, ACTIVITY FROM R_RWBlendComponentActivity ORDER BY 1"),
            "A|0.4|40.0\nC|0.6|60.0\n");
  EXPECT_EQ(Query("SELECT STRMID, TYPE, CONSPRODID, ACTIVITY FROM R_RWStreamBalance ORDER BY 1, 3"),
            "A|Consumer|Blend P1|-40.0\nA|Consumer|Unit UNTG|-3.0\nABC|Consumer|Balance/Inventory|-1.0\n"
            "ABC|Producer|Purchase|15.0\nABC|Consumer|Sell|-4.0\nC|Consumer|Blend P1|-60.0\n"
            "P1|Producer|Blend P1|100.0\n");
  EXPECT_EQ(Query("SELECT UTILID, TYPE, CONSPRODID, ACTIVITY FROM R_RWUtilityBalance ORDER BY 3"),
            "PWR|Producer|Purchase|2.0\nPWR|Producer|Unit UNTG|4.0\n");
  // A crosstab is a view with one row per pivot value.
  EXPECT_EQ(Query("SELECT TAG, UNITOP, [The Value] FROM [Crosstab - Stream Disposition] ORDER BY 2"),
            "A|OP1|1000\nA|OP2|2000\n");
}

// The engine puts the legacy rows of the case into the case's own transaction, before the builders read them back:
// the report-writer tables get them, and the case's rows land together when it commits.
TEST_F(ReportWriterTablesTest, TheRowsOfTheCaseInItsOpenTransactionAreReadBack) {
  auto& db = Start({Groups("RWGRPUNT", {{"UGRP", {"U2"}}})}, "");
  bool definesRun = false;
  ASSERT_TRUE(BeginCaseOutput(db.exportData, "run", definesRun));
  {
    LegacyTable lg(db.exportData, db.Model(), "LGUNITID");
    ASSERT_TRUE(lg.DefineText("RUNID", 4) && lg.DefineShort("CASE") && lg.DefineText("UNITID", 4) &&
                lg.DefineText("DESC", 20) && lg.DefineLong("ROWORDER") && lg.EndDefine());
    for (const auto& [unit, order] : {std::pair{"U1", 1}, std::pair{"U2", 2}})
      ASSERT_TRUE(lg.Add() && lg.SetText("RUNID", "R1") && lg.SetShort("CASE", 1) && lg.SetText("UNITID", unit) &&
                  lg.SetText("DESC", unit) && lg.SetLong("ROWORDER", order) && lg.Update());
  }
  ASSERT_TRUE(WriteReportWriterTables(db.exportData, db.Model()));
  EXPECT_FALSE(db.Model().m_odbcDatabase.IsOpen());
  EXPECT_EQ(Query("SELECT count(*) FROM LGUNITID"), "0\n") << "nothing of the case is committed before its end";
  ASSERT_TRUE(EndCaseOutput(db.exportData, true));
  EXPECT_EQ(Query("SELECT UNITID, ROWORDER FROM RWUNITID ORDER BY rowid"), "U1|1\nU2|2\nUGRP|2\n");
}

}  // namespace
