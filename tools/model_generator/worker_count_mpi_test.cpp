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
#include "tools/model_generator/testing/results_contents.h"
#include "tools/model_generator/testing/server_results.h"
#include "writers/schema/result_schema.h"

namespace {

using model_gen::ModelKind;
using model_gen_testing::FirstDifference;

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
    if (serverDatabase.empty()) return model_gen_testing::Contents(model_gen_testing::ResultsSource(dir_ / "Results.Mdb"));
    return model_gen_testing::Contents(model_gen_testing::ResultsSource(server.Port(), serverDatabase));
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
