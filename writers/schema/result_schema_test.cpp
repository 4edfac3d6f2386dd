#include "writers/schema/result_schema.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <set>
#include <string>
#include <vector>

#include "modelfile/model_settings.h"
#include "platform/testing/pg_test_server.h"

namespace {

std::string Describe(const ResultTable& table) {
  std::string out;
  for (const ResultField& f : table.fields) {
    static const char* const kKinds[] = {"long", "short", "double", "date", "text", "memo"};
    out += std::string(out.empty() ? "" : ", ") + f.name + " " + kKinds[static_cast<int>(f.kind)];
    if (f.kind == FieldKind::Text) out += " " + std::to_string(f.size);
  }
  return out;
}

std::string Keys(const std::string& table) {
  std::vector<std::string> keys{"(kept)"};
  AppendPrTableKeyColumns(table, keys);
  std::string out;
  for (const std::string& k : keys) out += (out.empty() ? "" : ",") + k;
  return out;
}

TEST(ResultSchemaTest, PassHoldsTheTablesInOrderWithTheirFieldCounts) {
  std::vector<std::string> names;
  std::size_t fields = 0;
  for (const ResultTable& t : GetDefinitionPassTables()) {
    if (t.condition == TableCondition::RangeExport) continue;
    names.push_back(t.name);
    fields += t.fields.size();
  }
  ASSERT_EQ(names.size(), 112u);
  EXPECT_EQ(fields, 934u);
  EXPECT_EQ(names.front(), "PrCase");
  EXPECT_EQ(names[21], "PrPeriod");
  EXPECT_EQ(names[60], "PrPRow");
  EXPECT_EQ(names[84], "PrRWStream");
  EXPECT_EQ(names.back(), "LGLINKS");
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());

  // The range tables sit right after the Trancol tables.
  auto all = GetDefinitionPassTables();
  for (std::size_t i = 0; i < all.size(); ++i)
    if (std::string(all[i].name) == "PrTrancolNonBasis") {
      EXPECT_STREQ(all[i + 1].name, "PrRangeRHS");
      EXPECT_STREQ(all[i + 2].name, "PrRangeCost");
      EXPECT_STREQ(all[i + 3].name, "PrKpi");
    }

  for (const ResultTable& t : all) {
    ASSERT_FALSE(t.fields.empty()) << t.name;
    for (const ResultField& f : t.fields) {
      if (f.kind == FieldKind::Text) {
        EXPECT_TRUE(f.size >= 1 && f.size <= 255) << t.name << "." << f.name;
      }
    }
    if (std::string(t.name) == "LGLINKS") continue;
    EXPECT_STREQ(t.fields[0].name, "SolutionID") << t.name;
    const std::set<std::string> perSolution{"PrNode", "PrDepot", "PrModel"};
    if (!perSolution.count(t.name)) {
      EXPECT_STREQ(t.fields[1].name, "CaseID") << t.name;
    }
  }
}

TEST(ResultSchemaTest, FieldListsKeepTheirKindsAndSizes) {
  const struct {
    const char* table;
    const char* fields;
  } cases[] = {
      {"PrNode", "SolutionID long, NodeID long, VWBasisID short, DummyFlag short"},
      {"PrPRow", "SolutionID long, CaseID long, PeriodID long, ModelID long, UnitID long, PRowID long, "
                 "PRowTypeID short, Activity double, NumberofDecimals short, PRowText text 50, Tag text 50"},
      {"PrRFGBlend", "SolutionID long, CaseID long, NodeID long, BlendID long, RFGBlendTypeID short, "
                     "RFGAreaID short, RFGPhaseID short, RFGSeasonID short, RFGEquationID short, PeriodID short"},
      {"PrCaseSet", "SolutionID long, CaseID long, Description text 80, SelFormula memo, "
                    "SelModifiedFormula memo, SetParentCase short, Truncated short"},
      {"PrSetting", "SolutionID long, CaseID long, ModelID long, SettingTypeID long, TextValue text 255, "
                    "IntegerValue long, DoubleValue double, DateValue date"},
      {"LGLINKS", "RUNID text 4, CASE short, PERIOD text 1, NodeFrom text 4, NodeTo text 4, STRMID text 3, "
                  "RateFrom double, RateTo double"},
      {"PrSolution", "SolutionID long, SystemVersion text 20, DateTime date, Description text 50, ModelID long, "
                     "CompanyName text 50, UserName text 255, MachineName text 255"},
      {"PrSettingType", "SettingTypeID long, Keyword text 50, DataTypeID short"},
      {"PrVWBasis", "VWBasisID short, Description text 50"},
  };
  for (const auto& c : cases) {
    const ResultTable* t = FindResultTable(c.table);
    ASSERT_NE(t, nullptr) << c.table;
    EXPECT_EQ(Describe(*t), c.fields) << c.table;
  }
  const ResultTable* cs = FindResultTable("PrCase");
  ASSERT_EQ(cs->fields.size(), 34u);
  EXPECT_STREQ(cs->fields[12].name, "NOTE01");
  EXPECT_STREQ(cs->fields[31].name, "NOTE20");
  EXPECT_EQ(cs->fields[31].size, 24);
  EXPECT_EQ(FindResultTable("prcase"), nullptr);
}

TEST(ResultSchemaTest, KeyColumnsComeInIndexOrderByExactName) {
  EXPECT_EQ(Keys("PrCase"), "(kept),SolutionID,CaseID");
  EXPECT_EQ(Keys("PrDepot"), "(kept),SolutionID,DepotID");
  EXPECT_EQ(Keys("PrPurchase"), "(kept),SolutionID,CaseID,NodeID,StreamID,PeriodID");
  EXPECT_EQ(Keys("PrSusceptibility"), "(kept),SolutionID,CaseID,NodeID,BlendID,QualityID,UtilityID,PeriodID");
  EXPECT_EQ(Keys("PrSpreadsheetTables"), "(kept),SolutionID,TableName,Workbook,Sheet");
  EXPECT_EQ(Keys("PrKpi"), "(kept)");
  EXPECT_EQ(Keys("prcase"), "(kept)");
  EXPECT_EQ(Keys("LGLINKS"), "(kept)");
}

TEST(ResultSchemaTest, ConditionsFollowTheSettings) {
  CModelSettings s;
  EXPECT_TRUE(IsTableDefined(TableCondition::Always, s));
  EXPECT_TRUE(IsTableDefined(TableCondition::RangeExport, s));
  EXPECT_FALSE(IsTableDefined(TableCondition::Nimbo, s));
  EXPECT_FALSE(IsTableDefined(TableCondition::LgLinks, s));
  s.m_UseNimboOn.SetValue(1);
  EXPECT_TRUE(IsTableDefined(TableCondition::Nimbo, s));
  EXPECT_TRUE(IsTableDefined(TableCondition::LgLinks, s));
  s.m_UseOldOutputDatabaseFormatOn.SetValue(1);
  EXPECT_FALSE(IsTableDefined(TableCondition::LgLinks, s));
  s.m_Zelun_GO_ProveGlobalOptimalityOn.SetValue(0);
  EXPECT_FALSE(IsTableDefined(TableCondition::MultiStart, s));
  s.m_Zelun_GO_ProveGlobalOptimalityOn.SetValue(1);
  s.m_Zelun_MS_On.SetValue(1);
  EXPECT_TRUE(IsTableDefined(TableCondition::MultiStart, s));
  s.m_Zelun_MS_On.SetValue(0);
  EXPECT_FALSE(IsTableDefined(TableCondition::MultiStart, s));
}

// The script runs in SQLite and makes every catalogued table and key index.
TEST(ResultSchemaTest, DdlCreatesEveryTableAndKeyIndex) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
  char* error = nullptr;
  const std::string ddl = BuildResultTablesDdl(DdlDialect::Sqlite);
  EXPECT_EQ(sqlite3_exec(db, ddl.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
  sqlite3_free(error);
  auto count = [db](const char* sql) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    int n = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : -1;
    sqlite3_finalize(stmt);
    return n;
  };
  // The catalogued tables and the run table.
  const int tables = static_cast<int>(GetDefinitionPassTables().size() + GetOwnWriterTables().size()) + 1;
  EXPECT_EQ(count("SELECT count(*) FROM sqlite_master WHERE type='table'"), tables);
  EXPECT_EQ(count("SELECT count(*) FROM pragma_index_info('PrPurchase_Key') WHERE name='PeriodID' AND seqno=4"), 1);
  EXPECT_EQ(count("SELECT count(*) FROM pragma_table_info('LGLINKS') WHERE name='CASE'"), 1);
  sqlite3_close(db);

  const std::string pg = BuildResultTablesDdl(DdlDialect::PostgreSql);
  EXPECT_NE(pg.find("CREATE TABLE IF NOT EXISTS \"PrCase\" (\"SolutionID\" INTEGER, \"CaseID\" INTEGER, "
                    "\"Description\" VARCHAR(80), \"ObjectiveFunction\" DOUBLE PRECISION,"),
            std::string::npos);
  EXPECT_NE(pg.find("CREATE INDEX IF NOT EXISTS \"PrCase_Key\" ON \"PrCase\" (\"SolutionID\", \"CaseID\");"),
            std::string::npos);
  EXPECT_NE(pg.find("\"DateTime\" TIMESTAMP"), std::string::npos);
  EXPECT_EQ(pg.find("COLLATE"), std::string::npos);
}

// The server script runs on PostgreSQL, twice (it only creates what is missing).
TEST(ResultSchemaTest, DdlRunsOnPostgreSql) {
  static plat::testing::PgTestServer& server = plat::testing::PgTestServer::Shared();
  if (!server.Ok()) GTEST_SKIP() << server.Reason();
  ASSERT_TRUE(server.Psql("CREATE DATABASE ddl_test;"));
  const std::string ddl = BuildResultTablesDdl(DdlDialect::PostgreSql);
  ASSERT_TRUE(server.Psql(ddl, "ddl_test"));
  ASSERT_TRUE(server.Psql(ddl, "ddl_test"));
  const std::size_t tables = GetDefinitionPassTables().size() + GetOwnWriterTables().size() + 1;
  EXPECT_TRUE(server.Psql("DO $$ BEGIN IF (SELECT count(*) FROM pg_tables WHERE schemaname = 'public') <> " +
                              std::to_string(tables) +
                              " OR NOT EXISTS (SELECT 1 FROM pg_indexes WHERE indexname = 'PrPurchase_Key' AND "
                              "indexdef LIKE '%(\"SolutionID\", \"CaseID\", \"NodeID\", \"StreamID\", "
                              "\"PeriodID\")') THEN RAISE EXCEPTION 'catalogue mismatch'; END IF; END $$;",
                          "ddl_test"));
  EXPECT_TRUE(server.Psql("INSERT INTO \"LGLINKS\" (\"RUNID\", \"CASE\") VALUES ('R1', 2);", "ddl_test"));
}

}  // namespace
