// The saved report queries: every text is a view SQLite accepts over the
// result tables, and the creation rules of a run.

#include "writers/queries/report_queries.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <set>
#include <string>

#include "dbdrivers/access/access_result_database.h"
#include "dbdrivers/access/output_table_api.h"
#include "dbdrivers/access/testing/access_fixture.h"
#include "modelfile/vorn_model_file.h"
#include "writers/schema/result_schema.h"

namespace {

using dbdrivers_testing::AccessFixture;

struct SqliteDb {
  SqliteDb() { sqlite3_open(":memory:", &db); }
  ~SqliteDb() { sqlite3_close(db); }
  std::string Exec(const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) == SQLITE_OK) return "";
    std::string text = error ? error : "error";
    sqlite3_free(error);
    return text;
  }
  sqlite3* db = nullptr;
};

std::vector<SavedQueryText> AllQueries() {
  std::vector<SavedQueryText> all;
  for (auto list : {GetReportViews(), GetBaseViews(), GetReportWriterViews()}) all.insert(all.end(), list.begin(), list.end());
  all.push_back(GetSolutionValuesQuery());
  return all;
}

TEST(ReportQueryTextsTest, EveryQueryIsAViewSqliteReadsOverTheResultTables) {
  EXPECT_EQ(GetReportViews().size(), 123u);
  EXPECT_EQ(GetBaseViews().size(), 61u);
  EXPECT_EQ(GetReportWriterViews().size(), 59u);
  SqliteDb db;
  ASSERT_EQ(db.Exec(BuildResultTablesDdl(DdlDialect::Sqlite)), "");
  std::set<std::string> names;
  const std::vector<SavedQueryText> all = AllQueries();
  for (const SavedQueryText& q : all) {
    EXPECT_TRUE(names.insert(q.name).second) << q.name;
    EXPECT_EQ(db.Exec(std::string("CREATE VIEW \"") + q.name + "\" AS " + q.sql), "") << q.name;
  }
  // A view is checked against its tables and columns only when it is read.
  for (const SavedQueryText& q : all) EXPECT_EQ(db.Exec(std::string("SELECT * FROM \"") + q.name + "\" LIMIT 0"), "") << q.name;
}

TEST(ReportQueryTextsTest, SolutionValuesNameQualityValuesByQualityStreamPeriodAndModel) {
  SqliteDb db;
  ASSERT_EQ(db.Exec(BuildResultTablesDdl(DdlDialect::Sqlite)), "");
  ASSERT_EQ(db.Exec(std::string("CREATE VIEW PrSolutionValues AS ") + GetSolutionValuesQuery().sql), "");
  ASSERT_EQ(db.Exec("INSERT INTO PrModel (SolutionID, ModelID, ModelTypeID, Tag) VALUES (1, 1, 1, '.'), (1, 2, 0, 'B');"
                    "INSERT INTO PrQuality (SolutionID, CaseID, ModelID, QualityID, Tag) VALUES (1, 3, 1, 7, 'SUL'), (1, 3, 2, 7, 'SUL');"
                    "INSERT INTO PrStream (SolutionID, CaseID, NodeID, StreamID, Tag) VALUES (1, 3, 1, 5, 'ABC'), (1, 3, 2, 5, 'ABC');"
                    "INSERT INTO PrPeriod (SolutionID, CaseID, PeriodID, Tag) VALUES (1, 3, 1, 'A');"
                    "INSERT INTO PrStreamQuality (SolutionID, CaseID, PeriodID, NodeID, StreamID, QualityID, Value) "
                    "VALUES (1, 3, 1, 1, 5, 7, 0.5), (1, 3, 1, 2, 5, 7, 0.25);"
                    "INSERT INTO PrPrimalColumn (SolutionID, CaseID, PeriodID, NodeID, ColumnName, Activity) "
                    "VALUES (1, 3, 1, 1, 'PURCABC', 12);"),
            "");
  std::string rows;
  sqlite3_exec(
      db.db, "SELECT ModelId, ColumnName, Activity FROM PrSolutionValues ORDER BY 2",
      [](void* out, int n, char** v, char**) {
        for (int i = 0; i < n; ++i) *static_cast<std::string*>(out) += std::string(v[i] ? v[i] : "NULL") + (i + 1 < n ? "|" : "\n");
        return 0;
      },
      &rows, nullptr);
  // Multi-period model "." adds the period tag only; a single model adds its own tag only.
  EXPECT_EQ(rows, "1|PURCABC|12.0\n1|QSULABCA|0.5\n2|QSULABCB|0.25\n");
}

TEST(ReportQueryTextsTest, OnlyAValueReadingAsZeroAsksForTheHtmlViews) {
  const struct {
    const char* value;
    bool wanted;
  } cases[] = {{nullptr, false}, {"", false}, {"0", true}, {"x", true}, {"1", false}, {"10", false}, {"00", true}};
  for (const auto& c : cases) EXPECT_EQ(AreHtmlReportViewsWanted(c.value), c.wanted) << (c.value ? c.value : "(unset)");
}

class CreateReportQueriesTest : public ::testing::Test, public AccessFixture {
 protected:
  void SetUp() override {
    exportData.m_pvecSavedQueryNames = &m_names;
    Settings().m_DatabaseOutputFormat.SetValue("Access");
  }
  void TearDown() override { unsetenv("NEW_HTML_REPORT_ON"); }
  int Views(const std::string& like = "%") {
    FlushOutputTables(exportData);
    return std::stoi(Query("SELECT count(*) FROM sqlite_master WHERE type='view' AND name LIKE '" + like + "'"));
  }
  std::vector<std::string> m_names;
};

TEST_F(CreateReportQueriesTest, TheHtmlRuleAndTheReportWriterSettingChooseTheQueries) {
  setenv("NEW_HTML_REPORT_ON", "0", 1);
  ASSERT_TRUE(CreateReportQueries(exportData, Model()));
  EXPECT_EQ(Views(), 244);
  EXPECT_TRUE(m_names.empty());

  for (const char* value : {"1", ""}) {
    setenv("NEW_HTML_REPORT_ON", value, 1);
    ASSERT_TRUE(CreateReportQueries(exportData, Model()));
    EXPECT_EQ(Views("RW_%") + Views("PrSolutionValues"), 60);
    EXPECT_EQ(Views(), 244) << "views of an earlier run stay";
  }

  Settings().m_CreateReportWriterQueriesOn.SetValue(0);
  m_names.push_back("LegacyBefore");
  ASSERT_TRUE(CreateOrReplaceQueryDef(*Model().m_daoDatabase, "LegacyBefore", "SELECT 1", nullptr));
  ASSERT_TRUE(CreateOrReplaceQueryDef(*Model().m_daoDatabase, "Other", "SELECT 2", nullptr));
  ASSERT_TRUE(CreateReportQueries(exportData, Model()));
  EXPECT_EQ(Views("RW_%"), 0);
  EXPECT_EQ(Views("LegacyBefore"), 0) << "a name on the list is deleted";
  EXPECT_EQ(Views("Other"), 1);
  EXPECT_EQ(Views("PrSolutionValues"), 1);
}

TEST_F(CreateReportQueriesTest, AModelWithoutAnAccessDatabaseGetsNone) {
  Settings().m_DatabaseOutputFormat.SetValue("SQL Server");
  ASSERT_TRUE(CreateReportQueries(exportData, Model()));
  EXPECT_FALSE(Model().m_daoDatabase && Model().m_daoDatabase->IsOpen());
}

}  // namespace
