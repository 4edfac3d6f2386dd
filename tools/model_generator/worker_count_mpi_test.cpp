// The results database of a run does not depend on how many workers wrote it:
// the generated case set of each model kind runs on one worker and on four,
// in the same run directory (the global one also in the nonlinear mode, which
// writes the matrix tables), and every row of every table must be the same,
// but for the clock times a run records and the run's own record.
#include <gtest/gtest.h>

#include <unistd.h>

#include <set>
#include <string>
#include <vector>

#include "runner/mpi_run_fixture.h"
// After the MPI headers: the ODBC headers' BOOL would break their C++ bindings.
#include "platform/testing/pg_test_server.h"
#include "tools/model_generator/model_generator.h"
#include "tools/model_generator/testing/server_results.h"
#include "writers/schema/result_schema.h"

#include <libpq-fe.h>
#include <sqlite3.h>

namespace {

using model_gen::ModelKind;

// The run's record, and columns that hold the clock time of the run or of a case.
const std::set<std::string> kRunRecords = {"OstrelRuns"};
const std::set<std::string> kClockColumns = {
    "PrCase.SolveTime",     "PrCase.TotalTime",           "PrSolution.DateTime", "PrDatabaseVersion.DateCreated",
    "PrSetting.DateValue",  "PrSettingDefault.DateValue", "LGSETTNG.DATE_VAL",   "LGRUNID.DATE",
    "LGRUNID.TIME"};

std::vector<std::string> Strings(sqlite3* db, const std::string& sql) {
  std::vector<std::string> values;
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << sqlite3_errmsg(db) << "\n" << sql;
    return values;
  }
  while (sqlite3_step(statement) == SQLITE_ROW) {
    const unsigned char* text = sqlite3_column_text(statement, 0);
    values.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
  }
  sqlite3_finalize(statement);
  return values;
}

// Every table's rows as text, each table's rows sorted, without the clock columns.
std::string Contents(const fs::path& file) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    ADD_FAILURE() << "cannot open " << file;
    return {};
  }
  std::string text;
  for (const std::string& table :
       Strings(db, "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' ORDER BY name")) {
    if (kRunRecords.count(table)) continue;
    std::string row;
    for (const std::string& column : Strings(db, "SELECT name FROM pragma_table_info('" + table + "')"))
      if (!kClockColumns.count(table + "." + column))
        row += (row.empty() ? "" : " || '|' || ") + std::string("quote(\"") + column + "\")";
    if (row.empty()) continue;
    const std::vector<std::string> rows = Strings(db, "SELECT " + row + " FROM \"" + table + "\" ORDER BY 1");
    text += "== " + table + " (" + std::to_string(rows.size()) + " rows)\n";
    for (const std::string& line : rows) text += line + "\n";
  }
  sqlite3_close(db);
  return text;
}

// The same of a database of the private PostgreSQL server.
std::string ServerContents(int port, const std::string& database) {
  const std::string conninfo = "host=127.0.0.1 user=postgres dbname=" + database + " port=" + std::to_string(port);
  PGconn* conn = PQconnectdb(conninfo.c_str());
  const auto strings = [&](const std::string& sql) {
    std::vector<std::string> values;
    PGresult* result = PQexec(conn, sql.c_str());
    if (PQresultStatus(result) != PGRES_TUPLES_OK)
      ADD_FAILURE() << PQerrorMessage(conn) << "\n" << sql;
    else
      for (int r = 0; r < PQntuples(result); ++r) values.emplace_back(PQgetvalue(result, r, 0));
    PQclear(result);
    return values;
  };
  std::string text;
  for (const std::string& table : strings("SELECT table_name FROM information_schema.tables WHERE table_schema = "
                                          "'public' AND table_type = 'BASE TABLE' ORDER BY table_name")) {
    if (kRunRecords.count(table)) continue;
    std::string row;
    for (const std::string& column :
         strings("SELECT column_name FROM information_schema.columns WHERE table_schema = 'public' AND "
                 "table_name = '" + table + "' ORDER BY ordinal_position"))
      if (!kClockColumns.count(table + "." + column))
        row += (row.empty() ? "" : " || '|' || ") + std::string("coalesce(quote_literal(\"") + column + "\"), 'NULL')";
    if (row.empty()) continue;
    const std::vector<std::string> rows = strings("SELECT " + row + " FROM \"" + table + "\" ORDER BY 1");
    text += "== " + table + " (" + std::to_string(rows.size()) + " rows)\n";
    for (const std::string& line : rows) text += line + "\n";
  }
  PQfinish(conn);
  return text;
}

// The first line where two texts differ, with the table it belongs to.
std::string FirstDifference(const std::string& a, const std::string& b) {
  std::size_t lineStart = 0, tableStart = 0;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (a[i] != b[i]) {
      const std::string table = a.substr(tableStart, a.find('\n', tableStart) - tableStart);
      return table + "\n  " + a.substr(lineStart, a.find('\n', lineStart) - lineStart) + "\n  " +
             b.substr(lineStart, b.find('\n', lineStart) - lineStart);
    }
    if (a[i] == '\n') {
      lineStart = i + 1;
      if (a.compare(lineStart, 3, "== ") == 0) tableStart = lineStart;
    }
  }
  return "one is a prefix of the other";
}

class MpiWorkerCount : public MpiRun {
 protected:
  // Generates the kind's case set afresh and runs it on the given number of workers; the results' contents.
  // serverDatabase: the results go to that database of the private PostgreSQL server instead.
  std::string RunOn(ModelKind kind, bool nimbo, int workers, const std::string& serverDatabase = "") {
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    model_gen::GeneratorOptions options;
    options.kind = kind;
    options.nimbo = nimbo;
    options.cases = 12;
    std::string error;
    if (!model_gen::GenerateRunDirectory(dir_, options, error)) {
      ADD_FAILURE() << error;
      return {};
    }
    plat::testing::PgTestServer& server = plat::testing::PgTestServer::Shared();
    if (!serverDatabase.empty() &&
        !model_gen_testing::SendResultsToServer(dir_, options, server.Port(), serverDatabase)) {
      ADD_FAILURE() << "cannot save the main model";
      return {};
    }
    // On several workers case 1 ends only once case 2 is written (its worker then writes case 2's status
    // file), so that another case is written first and defines the run, however the workers are scheduled.
    Outcomes(workers == 1 ? "* time=0.001\n" : "* time=0.001\n1 after=Written2.xml\n2 statusfile=Written%d.xml\n");
    const int rc = Run("ostrel", workers + 1, serverDatabase.empty() ? "" : "OSTREL_SQLSERVER_ODBC_DRIVER=PostgreSQL",
                       Link(), 240);
    EXPECT_EQ(rc, 0) << ReadFile(dir_ / "out.txt");
    EXPECT_NE(Log(0).find("Cases in the list: 12; written: 12; failed: 0;"), std::string::npos)
        << Log(0) << "\nThe first worker's log:\n"
        << Log(1);
    return serverDatabase.empty() ? Contents(dir_ / "Results.Mdb") : ServerContents(server.Port(), serverDatabase);
  }
};

TEST_F(MpiWorkerCount, TheResultsAreTheSameOnOneWorkerAndOnFour) {
  struct Kind {
    ModelKind kind;
    bool nimbo;  // the nonlinear mode, which also writes the matrix tables
  };
  for (const Kind k : {Kind{ModelKind::kStandard, false}, Kind{ModelKind::kMultiPeriod, false},
                       Kind{ModelKind::kGlobal, false}, Kind{ModelKind::kGlobal, true}}) {
    SCOPED_TRACE("model kind " + std::to_string(static_cast<int>(k.kind)) + (k.nimbo ? ", nonlinear mode" : ""));
    const std::string one = RunOn(k.kind, k.nimbo, 1);
    const std::string four = RunOn(k.kind, k.nimbo, 4);
    ASSERT_FALSE(one.empty());
    EXPECT_TRUE(one == four) << FirstDifference(one, four);
  }
}

// The same with the results on the server: each run into a new database of its own.
TEST_F(MpiWorkerCount, TheServersResultsAreTheSameOnOneWorkerAndOnFour) {
  plat::testing::PgTestServer& server = plat::testing::PgTestServer::Shared();
  if (!server.Ok()) GTEST_SKIP() << server.Reason();
  plat::testing::ScopedOdbcIni ini(plat::testing::ScopedOdbcIni::StandardDrivers());
  // The result tables as the script for a server results database makes them.
  const std::string ddl = BuildResultTablesDdl(DdlDialect::PostgreSql);
  // One name for every run (the connection is among the case's settings), the database made afresh.
  const std::string name = "worker_count_" + std::to_string(::getpid());
  const auto newDatabase = [&] {
    EXPECT_TRUE(server.Psql("DROP DATABASE IF EXISTS " + name + ";"));
    EXPECT_TRUE(server.Psql("CREATE DATABASE " + name + ";"));
    EXPECT_TRUE(server.Psql(ddl, name));
    return name;
  };
  struct Kind {
    ModelKind kind;
    bool nimbo;
  };
  for (const Kind k : {Kind{ModelKind::kStandard, false}, Kind{ModelKind::kStandard, true},
                       Kind{ModelKind::kGlobal, false}, Kind{ModelKind::kGlobal, true}}) {
    SCOPED_TRACE("model kind " + std::to_string(static_cast<int>(k.kind)) + (k.nimbo ? ", nonlinear mode" : ""));
    const std::string one = RunOn(k.kind, k.nimbo, 1, newDatabase());
    const std::string four = RunOn(k.kind, k.nimbo, 4, newDatabase());
    ASSERT_FALSE(one.empty());
    EXPECT_TRUE(one == four) << FirstDifference(one, four);
  }
}

}  // namespace
