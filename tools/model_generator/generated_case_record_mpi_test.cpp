// The record of each case of the generated case set after a run under
// mpiexec (with a hard timeout): every solve status of the stand-in solver
// lands as the solution status of the same name, with the case's passes and
// iterations, in PrCase and in the legacy case table; the main application
// hears the preparation of each case's output; and the infeasible step of the
// parametric chain cuts the step after it, on one worker or four, whichever
// of the two steps is written first, into the results database file or on
// the private PostgreSQL server.
#include <gtest/gtest.h>

#include <unistd.h>

#include <sstream>
#include <string>

#include "runner/mpi_run_fixture.h"
// After the MPI headers: the ODBC headers' BOOL would break their C++ bindings.
#include "platform/testing/pg_test_server.h"
#include "tools/model_generator/model_generator.h"
#include "tools/model_generator/testing/server_results.h"
#include "tools/model_generator/testing/sqlite_rows.h"
#include "writers/schema/result_schema.h"

#include <libpq-fe.h>
#include <sqlite3.h>

namespace {

class MpiGeneratedCases : public MpiRun {
 protected:
  void TearDown() override {
    if (m_db) sqlite3_close(m_db);
    MpiRun::TearDown();
  }
  // The rows of a query, each "a|b|..." followed by a blank.
  std::string Rows(const std::string& sql) const { return model_gen_testing::SqliteRows(m_db, sql); }
  sqlite3* m_db = nullptr;
};

// The outcome words that hold case back until the other step of the chain (5 or 6) is written, when case is
// heldBack: the other step's worker writes its status file once its output is in, and case's solve ends only
// when that file exists. Deterministic on a machine of any speed or load, unlike a longer solve time.
std::string HoldBack(int caseNumber, int heldBack) {
  if (heldBack == 0) return "";
  const int other = heldBack == 5 ? 6 : 5;
  if (caseNumber == heldBack) return " after=Written" + std::to_string(other) + ".xml";
  if (caseNumber == other) return " statusfile=Written%d.xml";
  return "";
}

struct CaseOutcome {
  int caseNumber;
  int solveStatus;  // also the PrSolutionStatus identifier it must give
  int passes;
  int iterations;
  const char* statusText;  // LGCASE's STATUS
  int storedIterations;    // LGCASE's IOT
};

TEST_F(MpiGeneratedCases, EverySolveStatusLandsAsTheStatusOfTheSameName) {
  // Case 5 stays the chain's infeasible step; every status 0 to 10 occurs once.
  const CaseOutcome outcomes[] = {
      {1, 0, 1, 10, "", 10},                    {2, 1, 2, 20, "Converged", 20},
      {3, 2, 3, 30, "MaxPass Exceeded", 30},    {4, 3, 4, 40, "MaxIPass Exceeded", 40},
      {5, 5, 5, 50, "Infeasible", 50},          {6, 4, 6, 60, "UNBOUNDED", 60},
      {7, 6, 7, 70, "Non Recursed Model", 70},  {8, 7, 8, 80, "User Exit", 80},
      {9, 8, 9, 90, "System Error", 90},        {10, 9, 10, 100, "Max Time Exceeded", 100},
      {11, 10, 11, 40000, "Active Penalties", 32767},
  };
  // One worker, and four where the infeasible step 5 or the step 6 it cuts is held back until the other one is
  // written (by another worker), and four in whatever order the workers take.
  struct Job {
    int workers;
    int slowCase;  // 0: none
  };
  for (const Job& job : {Job{1, 0}, Job{4, 5}, Job{4, 6}, Job{4, 0}}) {
    SCOPED_TRACE("workers " + std::to_string(job.workers) + ", slow case " + std::to_string(job.slowCase));
    if (m_db) sqlite3_close(m_db);
    m_db = nullptr;
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    model_gen::GeneratorOptions options;
    options.kind = model_gen::ModelKind::kStandard;
    options.cases = 11;
    std::string error;
    ASSERT_TRUE(model_gen::GenerateRunDirectory(dir_, options, error)) << error;
    std::ostringstream words;
    words << "* time=0.001\n";
    for (const CaseOutcome& o : outcomes)
      words << o.caseNumber << " status=" << o.solveStatus << " passes=" << o.passes << " iterations=" << o.iterations
            << HoldBack(o.caseNumber, job.slowCase) << "\n";
    Outcomes(words.str());

    ConsoleProcess console(dir_, {"--workers", std::to_string(job.workers)});
    ASSERT_GT(console.Port(), 0);
    ASSERT_EQ(Run("ostrel", job.workers + 1, "", Link(console.Port()), 240), 0) << ReadFile(dir_ / "out.txt");
    EXPECT_EQ(CountOf(Log(0), "Processing failed on the Slave side"), 0) << Log(0);
    console.Wait();
    const std::string heard = console.Output();

    ASSERT_EQ(sqlite3_open_v2((dir_ / "Results.Mdb").c_str(), &m_db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    std::string expectedCases, expectedLegacy;
    for (const CaseOutcome& o : outcomes) {
      expectedCases += std::to_string(o.caseNumber) + "|" + std::to_string(o.solveStatus) + "|" +
                       std::to_string(o.passes) + " ";
      expectedLegacy += std::to_string(o.caseNumber) + "|" + std::to_string(o.passes) + "|" +
                        std::to_string(o.storedIterations) + "|" + (*o.statusText ? o.statusText : "NULL") + " ";
      EXPECT_NE(heard.find("case " + std::to_string(o.caseNumber) + " status progress value none text "
                           "Preparing the database output of case " + std::to_string(o.caseNumber) + "\n"),
                std::string::npos)
          << "case " << o.caseNumber << "\n" << heard;
    }
    EXPECT_EQ(Rows("SELECT CaseID, SolutionStatus, Passes FROM PrCase ORDER BY CaseID"), expectedCases);
    EXPECT_EQ(Rows("SELECT S.StatusID FROM PrCase C JOIN PrSolutionStatus S ON S.StatusID = C.SolutionStatus "
                   "WHERE C.CaseID = 6 AND S.Description = 'Unbounded'"),
              "4 ");
    EXPECT_EQ(Rows("SELECT \"CASE\", PASSES, IOT, STATUS FROM LGCASE ORDER BY \"CASE\""), expectedLegacy);

    // The cases' rows go in one case after another, so their row order is the order the cases were written.
    const std::string written = Rows("SELECT CaseID FROM PrCase WHERE CaseID IN (5, 6) ORDER BY rowid");
    if (job.slowCase != 0) {
      EXPECT_EQ(written, job.slowCase == 5 ? "6 5 " : "5 6 ") << "the held-back step is written last";
    } else {
      EXPECT_TRUE(written == "5 6 " || written == "6 5 ") << written;
    }
    // Step 5 is infeasible and step 6 tightens the reformer's capacity further: 6 is cut, in any order.
    EXPECT_EQ(Rows("SELECT CaseID, Truncated FROM PrCaseSet WHERE CaseID >= 4 ORDER BY CaseID"), "4|0 5|0 6|1 ");
  }
}

// Rows of a query on a database of the private PostgreSQL server, each "a|b|..." followed by a blank.
std::string PgRows(int port, const std::string& database, const std::string& sql) {
  const std::string conninfo = "host=127.0.0.1 user=postgres dbname=" + database + " port=" + std::to_string(port);
  PGconn* conn = PQconnectdb(conninfo.c_str());
  PGresult* result = PQexec(conn, sql.c_str());
  std::string out;
  if (PQresultStatus(result) != PGRES_TUPLES_OK) {
    out = std::string("error: ") + PQerrorMessage(conn);
  } else {
    for (int r = 0; r < PQntuples(result); ++r) {
      for (int c = 0; c < PQnfields(result); ++c)
        out += (c ? "|" : "") + std::string(PQgetisnull(result, r, c) ? "NULL" : PQgetvalue(result, r, c));
      out += " ";
    }
  }
  PQclear(result);
  PQfinish(conn);
  return out;
}

// The chain cut on four workers with the results on the server, alone (the run's row on the server orders the
// cases of the chain) or with the results database file as well (its writers' queue orders them), whichever
// of the two steps is written first.
TEST_F(MpiGeneratedCases, TheChainIsCutOnTheServerWhicheverStepIsWrittenFirst) {
  static plat::testing::PgTestServer& server = plat::testing::PgTestServer::Shared();
  if (!server.Ok()) GTEST_SKIP() << server.Reason();
  plat::testing::ScopedOdbcIni ini(plat::testing::ScopedOdbcIni::StandardDrivers());
  // The result tables as the script for a server results database makes them.
  const std::string ddl = BuildResultTablesDdl(DdlDialect::PostgreSql);
  struct Job {
    int slowCase;
    bool accessAlso;
  };
  int job = 0;
  for (const Job& j : {Job{5, false}, Job{6, false}, Job{5, true}, Job{6, true}}) {
    SCOPED_TRACE("slow case " + std::to_string(j.slowCase) + (j.accessAlso ? ", the database file as well" : ""));
    if (m_db) sqlite3_close(m_db);
    m_db = nullptr;
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    const std::string database = "parametric_marks_" + std::to_string(::getpid()) + "_" + std::to_string(job++);
    ASSERT_TRUE(server.Psql("CREATE DATABASE " + database + ";"));
    ASSERT_TRUE(server.Psql(ddl, database));
    model_gen::GeneratorOptions options;
    options.kind = model_gen::ModelKind::kStandard;
    options.cases = 6;
    std::string error;
    ASSERT_TRUE(model_gen::GenerateRunDirectory(dir_, options, error)) << error;
    const auto alsoTheFile = [&](CModelSettings& settings) {
      settings.m_CreateAccessDbAlso.SetValue(j.accessAlso ? 1 : 0);
      // The legacy tables would go to the server as well, which has none of them.
      if (j.accessAlso) settings.m_UseOldOutputDatabaseFormatOn.SetValue(0);
    };
    ASSERT_TRUE(model_gen_testing::SendResultsToServer(dir_, options, server.Port(), database, alsoTheFile));
    // Step 5 is infeasible; the held-back step of the two is written after the other one, by another worker.
    Outcomes("* time=0.001\n4 status=1\n5 status=5" + HoldBack(5, j.slowCase) + "\n6 status=1" +
             HoldBack(6, j.slowCase) + "\n");

    ASSERT_EQ(Run("ostrel", 5, "OSTREL_SQLSERVER_ODBC_DRIVER=PostgreSQL", Link(), 120), 0) << ReadFile(dir_ / "out.txt");
    EXPECT_EQ(CountOf(Log(0), "Processing failed"), 0) << Log(0);
    const auto rows = [&](const std::string& sql) { return PgRows(server.Port(), database, sql); };
    EXPECT_EQ(rows("SELECT \"CaseID\", \"SolutionStatus\" FROM \"PrCase\" WHERE \"CaseID\" >= 4 ORDER BY 1"),
              "4|1 5|5 6|1 ");
    // Each case's rows are one transaction: their transaction numbers give the order the cases were written.
    EXPECT_EQ(rows("SELECT \"CaseID\" FROM \"PrCase\" WHERE \"CaseID\" IN (5, 6) ORDER BY xmin::text::bigint"),
              j.slowCase == 5 ? "6 5 " : "5 6 ")
        << "the held-back step is written last";
    EXPECT_EQ(rows("SELECT \"CaseID\", \"Truncated\" FROM \"PrCaseSet\" WHERE \"CaseID\" >= 4 ORDER BY 1"),
              "4|0 5|0 6|1 ");
    if (j.accessAlso) {
      ASSERT_EQ(sqlite3_open_v2((dir_ / "Results.Mdb").c_str(), &m_db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
      EXPECT_EQ(Rows("SELECT CaseID, Truncated FROM PrCaseSet WHERE CaseID >= 4 ORDER BY CaseID"), "4|0 5|0 6|1 ");
    }
  }
}

}  // namespace
