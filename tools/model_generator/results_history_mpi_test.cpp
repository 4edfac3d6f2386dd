// The results database over its whole life, with the generated global model
// (its local models' legacy tables, the Trancol tables, transfers), into a
// results file and on the private PostgreSQL server. Histories: a completed
// run rerun; a run interrupted (rank zero killed, the job stopped with
// Ctrl-C, the server stopped and started again) and rerun; with
// DeleteTables, OnlyUniqueCasesInTablesOn or neither; two jobs from two run
// directories with the same SolutionID at once. After an interruption every
// case in PrCase is whole and no other case has a row; at the end every
// listed case is there once, in every table, with the run's reference rows
// once, rank zero's account says so and the file is sound. And the kill
// loops: the worker kills itself before each statement of a case in turn
// (every few on the server; every one of every case with
// OSTREL_LONG_KILL_LOOPS=1), after which the cases are whole or absent.
// Every job runs under mpiexec with a hard timeout.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "runner/mpi_run_fixture.h"
// After the MPI headers: the ODBC headers' BOOL would break their C++ bindings.
#include "platform/testing/pg_test_server.h"
#include "tools/model_generator/model_generator.h"
#include "tools/model_generator/testing/results_contents.h"
#include "tools/model_generator/testing/server_results.h"
#include "writers/schema/result_schema.h"

namespace {

using model_gen_testing::CaseRows;
using model_gen_testing::Contents;
using model_gen_testing::FirstDifference;
using model_gen_testing::ResultsSource;
using model_gen_testing::RowsOfCases;
using model_gen_testing::WholeOrAbsent;

enum class Cleanup { Neither, DeleteTables, OnlyUniqueCases };

const char* CleanupName(Cleanup cleanup) {
  switch (cleanup) {
    case Cleanup::DeleteTables: return "DeleteTables";
    case Cleanup::OnlyUniqueCases: return "OnlyUniqueCasesInTablesOn";
    default: return "neither option";
  }
}

bool LongLoops() {
  const char* value = std::getenv("OSTREL_LONG_KILL_LOOPS");
  return value != nullptr && std::string(value) == "1";
}

// A job of the runner started in the background, so that a test can signal it while it runs.
class BackgroundJob {
 public:
  // The job in runDir on "cases.txt" under mpiexec with a hard timeout, its link to a port nobody listens on;
  // its output to outFile; env adds to the test's environment.
  BackgroundJob(const fs::path& runDir, const fs::path& outFile, int processes, const std::vector<std::string>& env,
                int deadPort, int timeoutSeconds = 180) {
    std::vector<std::string> args = {"/usr/bin/timeout",
                                     "-k",
                                     "5",
                                     std::to_string(timeoutSeconds),
                                     kMpiexec,
                                     "-n",
                                     std::to_string(processes),
                                     std::string(OSTREL_BINARY_DIR) + "/runner/ostrel",
                                     "x",
                                     runDir.string(),
                                     "cases.txt",
                                     "1",
                                     "0",
                                     "127.0.0.1",
                                     std::to_string(deadPort)};
    std::vector<std::string> environment = env;
    for (char** e = environ; *e != nullptr; ++e) environment.emplace_back(*e);
    std::vector<char*> argv, envp;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (std::string& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~BackgroundJob() {
    if (m_pid > 0) {
      ::kill(m_pid, SIGKILL);
      Wait();
    }
  }
  // Ctrl-C: the signal goes to the job's mpiexec (timeout passes it on), which passes it to every process.
  void Interrupt() const {
    if (m_pid > 0) ::kill(m_pid, SIGINT);
  }
  // The job's exit status (124 when the timeout struck, 128 + signal when a signal ended it).
  int Wait() {
    if (m_pid <= 0) return -1;
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  bool Running() const { return m_pid > 0 && ::waitpid(m_pid, nullptr, WNOHANG) == 0; }

 private:
  pid_t m_pid = -1;
};

class MpiResultsHistory : public MpiRun {
 protected:
  void TearDown() override {
    if (!m_database.empty() && Server().Ok()) Server().Psql("DROP DATABASE IF EXISTS " + m_database + " WITH (FORCE);");
    MpiRun::TearDown();
  }

  static plat::testing::PgTestServer& Server() { return plat::testing::PgTestServer::Shared(); }

  // Generates the global model's case set into runDir; its results go to the server database given (else to
  // the run directory's results file), with the clean-up option at the run's start.
  void Generate(const fs::path& runDir, int cases, Cleanup cleanup, const std::string& database = "",
                const std::function<void(CModelSettings&)>& configure = {}, const char* solveTime = "0.05") {
    fs::create_directories(runDir);
    m_options = model_gen::GeneratorOptions{};
    m_options.kind = model_gen::ModelKind::kGlobal;
    m_options.cases = cases;
    std::string error;
    ASSERT_TRUE(model_gen::GenerateRunDirectory(runDir, m_options, error)) << error;
    std::ofstream(runDir / "SolverOutcomes.txt", std::ios::binary) << "* time=" << solveTime << "\n";
    ASSERT_TRUE(model_gen_testing::ChangeMainModel(runDir, m_options, [&](CModelSettings& settings) {
      if (cleanup == Cleanup::OnlyUniqueCases) {
        settings.m_OnlyUniqueCasesInTablesOn.SetValue(1);
        settings.m_DatabasePurgeOn.SetValue(0);
      }
      if (!database.empty()) {
        settings.m_DatabaseOutputFormat.SetValue("SQL Server");
        settings.m_DatabaseOutputConnection.SetValue(model_gen_testing::ServerConnection(Server().Port(), database));
      }
      if (configure) configure(settings);
    }));
    if (cleanup == Cleanup::DeleteTables) {
      const fs::path config = runDir / "VornDbExportData.xml";
      std::string text = ReadFile(config);
      const std::size_t at = text.find("</SolutionID>");
      ASSERT_NE(at, std::string::npos);
      text.insert(at + 13, "<DeleteTables>1</DeleteTables>");
      std::ofstream(config, std::ios::binary) << text;
    }
  }

  // A new database on the server with the result tables that the server script makes.
  void NewServerDatabase(const std::string& name) {
    m_database = name;
    ASSERT_TRUE(Server().Psql("DROP DATABASE IF EXISTS " + name + " WITH (FORCE);"));
    ASSERT_TRUE(Server().Psql("CREATE DATABASE " + name + ";"));
    ASSERT_TRUE(Server().Psql(BuildResultTablesDdl(DdlDialect::PostgreSql), name));
  }

  // Where the results are: the run directory's results file, or the server database.
  ResultsSource Source(const fs::path& runDir) const {
    return m_database.empty() ? ResultsSource(runDir / "Results.Mdb") : ResultsSource(Server().Port(), m_database);
  }
  void RemoveResults(const fs::path& runDir) {
    if (!m_database.empty()) {
      NewServerDatabase(m_database);
      return;
    }
    for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(runDir / (std::string("Results.Mdb") + suffix));
  }
  std::vector<std::string> JobEnvironment() const {
    if (m_database.empty()) return {};
    return {"OSTREL_SQLSERVER_ODBC_DRIVER=PostgreSQL"};
  }
  int WrittenCases(const fs::path& runDir) const {
    const ResultsSource source = Source(runDir);
    const std::vector<std::string> tables = source.Tables();
    if (std::find(tables.begin(), tables.end(), "PrCase") == tables.end()) return 0;
    const std::vector<std::string> count = source.Strings("SELECT count(*) FROM \"PrCase\"");
    return count.empty() ? 0 : std::atoi(count.front().c_str());
  }

  // A whole job on processes; its exit status. The rank logs stay in the run directory.
  int RunJob(const fs::path& runDir, int processes, const std::vector<std::string>& env = {}) {
    std::vector<std::string> all = JobEnvironment();
    all.insert(all.end(), env.begin(), env.end());
    BackgroundJob job(runDir, runDir / "out.txt", processes, all, DeadPortNumber());
    return job.Wait();
  }

  // A job in each run directory at once; both write all their cases.
  void TwoJobsAtOnce(const fs::path& a, const fs::path& b) {
    int statusA = -1, statusB = -1;
    std::thread first([&] { statusA = RunJob(a, 3); });
    statusB = RunJob(b, 3);
    first.join();
    EXPECT_EQ(statusA, 0) << ReadFile(a / "out.txt");
    EXPECT_EQ(statusB, 0) << ReadFile(b / "out.txt");
  }

  // The end of every history: the job ran whole, its account says so, and the results are the reference's.
  void ExpectCompleteRun(const fs::path& runDir, int status, const std::string& reference) {
    EXPECT_EQ(status, 0) << ReadFile(runDir / "out.txt");
    const std::string zero = ReadFile(runDir / "OstrelRankZero.log");
    EXPECT_NE(zero.find("Cases in the list: " + std::to_string(m_options.cases) + "; written: " +
                        std::to_string(m_options.cases) + "; failed: 0; not run: 0."),
              std::string::npos)
        << zero;
    const std::string now = Contents(Source(runDir));
    EXPECT_TRUE(now == reference) << FirstDifference(now, reference);
    if (m_database.empty()) {
      EXPECT_EQ(Source(runDir).Strings("PRAGMA integrity_check"), std::vector<std::string>{"ok"});
    }
  }

  // Starts a job, interrupts it once it has written a few cases, and waits for its end.
  void InterruptedRun(const fs::path& runDir, const std::function<void(BackgroundJob&)>& interrupt) {
    BackgroundJob job(runDir, runDir / "out.txt", 4, JobEnvironment(), DeadPortNumber());
    for (int i = 0; i < 6000 && job.Running() && WrittenCases(runDir) < 3; ++i) ::usleep(10000);
    if (job.Running()) interrupt(job);
    job.Wait();
  }

  // The first run of runDir, whose results are the reference of every history of the run directory.
  void ReferenceRun(const fs::path& runDir) {
    ASSERT_EQ(RunJob(runDir, 4), 0) << ReadFile(runDir / "out.txt");
    m_reference = Contents(Source(runDir));
    m_referenceRows = RowsOfCases(Source(runDir));
    ASSERT_EQ(m_referenceRows.at("PrCase").size(), static_cast<std::size_t>(m_options.cases));
  }

  // After the reference run, a completed run rerun. Without a clean-up option the rerun says that each case
  // replaced its earlier results.
  void CompletedRerun(const fs::path& runDir, Cleanup cleanup) {
    SCOPED_TRACE("a completed run rerun");
    ExpectCompleteRun(runDir, RunJob(runDir, 4), m_reference);
    if (cleanup == Cleanup::Neither) {
      const std::string worker = ReadFile(runDir / "OstrelRank1.log");
      EXPECT_NE(worker.find("replaced its earlier results in the results database"), std::string::npos) << worker;
      const std::string zero = ReadFile(runDir / "OstrelRankZero.log");
      EXPECT_NE(zero.find("Replaced earlier results (" + std::to_string(m_options.cases) + " cases): 1, 2, 3"),
                std::string::npos)
          << zero;
    }
  }

  // A run whose rank zero is killed, rerun; a run stopped with Ctrl-C, rerun.
  void InterruptedReruns(const fs::path& runDir) {
    const std::pair<const char*, std::function<void(BackgroundJob&)>> interruptions[] = {
        {"rank zero killed", [&](BackgroundJob&) { KillRankZero(runDir); }},
        {"Ctrl-C", [](BackgroundJob& job) { job.Interrupt(); }},
    };
    for (const auto& [name, interrupt] : interruptions) {
      SCOPED_TRACE(std::string("a run interrupted (") + name + "), rerun");
      RemoveResults(runDir);
      InterruptedRun(runDir, interrupt);
      EXPECT_EQ(WholeOrAbsent(RowsOfCases(Source(runDir)), m_referenceRows), "");
      if (m_database.empty()) {
        EXPECT_EQ(Source(runDir).Strings("PRAGMA integrity_check"), std::vector<std::string>{"ok"});
      }
      ExpectCompleteRun(runDir, RunJob(runDir, 4), m_reference);
    }
  }

  // Kills rank zero (its process id is in the job lock's file).
  static void KillRankZero(const fs::path& runDir) {
    std::istringstream words(ReadFile(runDir / "OstrelJob.lock"));
    std::string host;
    long pid = 0;
    if (words >> host >> pid && pid > 0) ::kill(static_cast<pid_t>(pid), SIGKILL);
  }

  // The number of kill points of caseNumber's unit in a job of runDir.
  long KillPoints(const fs::path& runDir, int caseNumber) {
    const fs::path count = runDir / "kill-points.txt";
    fs::remove(count);
    RunJob(runDir, 2, {"OSTREL_KILL_CASE=" + std::to_string(caseNumber), "OSTREL_KILL_COUNT_FILE=" + count.string()});
    long points = 0;
    std::ifstream(count) >> points;
    return points;
  }

  // Kills the worker before statement k of caseNumber's unit, for k from 1 by stride (and the last point),
  // each time after prepare() set up the results; check() judges what the kill left.
  void KillLoop(const fs::path& runDir, int caseNumber, long stride, const std::function<void()>& prepare,
                const std::function<void(long)>& check) {
    prepare();
    const long points = KillPoints(runDir, caseNumber);
    ASSERT_GT(points, 2) << "the kill points of case " << caseNumber;
    int kills = 0;
    for (long k = 1; k <= points; k = (k == points || k + stride <= points) ? k + stride : points) {
      SCOPED_TRACE("killed before statement " + std::to_string(k) + " of " + std::to_string(points) + " of case " +
                   std::to_string(caseNumber));
      prepare();
      const int status = RunJob(runDir, 2,
                                {"OSTREL_KILL_CASE=" + std::to_string(caseNumber), "OSTREL_KILL_RANK=1",
                                 "OSTREL_KILL_AT=" + std::to_string(k)});
      EXPECT_NE(status, 0) << "the worker was not killed\n" << ReadFile(runDir / "out.txt");
      check(k);
      ++kills;
      if (HasFailure()) break;
    }
    RecordProperty("kills of case " + std::to_string(caseNumber) + " of " + std::to_string(points) + " points, every " +
                       std::to_string(stride),
                   kills);
  }

  model_gen::GeneratorOptions m_options;
  std::string m_database;  // not empty: the results go to this database of the server
  std::string m_reference;  // what the reference run wrote, as text and as rows per case
  CaseRows m_referenceRows;
};

// A results file, with each clean-up option: a completed run rerun; a run whose rank zero is killed, rerun; a
// run stopped with Ctrl-C, rerun.
TEST_F(MpiResultsHistory, EveryHistoryEndsWithEveryCaseOnceInTheFile) {
  for (const Cleanup cleanup : {Cleanup::Neither, Cleanup::DeleteTables, Cleanup::OnlyUniqueCases}) {
    SCOPED_TRACE(CleanupName(cleanup));
    const fs::path run = dir_ / CleanupName(cleanup);
    Generate(run, 12, cleanup);
    if (HasFailure()) return;
    ReferenceRun(run);
    if (HasFailure()) return;
    CompletedRerun(run, cleanup);
    InterruptedReruns(run);
  }
}

// Two jobs from two run directories writing the same cases of one SolutionID into one results file at once,
// after a run of the first alone: each case once, the reference rows once.
TEST_F(MpiResultsHistory, TwoJobsOfOneSolutionAtOnceWriteEachCaseOnce) {
  const fs::path shared = dir_ / "shared";
  fs::create_directories(shared);
  const auto intoShared = [&](CModelSettings& settings) {
    settings.m_DatabaseDirectory.SetValue(3);
    settings.m_DatabaseSharedDir.SetValue(shared.string());
  };
  const fs::path a = dir_ / "A", b = dir_ / "B";
  Generate(a, 12, Cleanup::Neither, "", intoShared);
  Generate(b, 12, Cleanup::Neither, "", intoShared);
  ASSERT_EQ(RunJob(a, 3), 0) << ReadFile(a / "out.txt");
  const ResultsSource file(shared / "Results.Mdb");
  const CaseRows reference = RowsOfCases(file);
  ASSERT_EQ(reference.at("PrCase").size(), 12u);
  TwoJobsAtOnce(a, b);
  EXPECT_EQ(WholeOrAbsent(RowsOfCases(ResultsSource(shared / "Results.Mdb")), reference), "");
  EXPECT_EQ(ResultsSource(shared / "Results.Mdb").Strings("SELECT count(*) FROM PrCase"),
            std::vector<std::string>{"12"});
  EXPECT_EQ(ResultsSource(shared / "Results.Mdb").Strings("PRAGMA integrity_check"), std::vector<std::string>{"ok"});
}

// The same on the server, with each clean-up option; and the server stopped and started again in the middle
// of a run, then two jobs of one solution at once. A clean run leaves no error in the server's log.
TEST_F(MpiResultsHistory, EveryHistoryEndsWithEveryCaseOnceOnTheServer) {
  if (!Server().Ok()) GTEST_SKIP() << Server().Reason();
  plat::testing::ScopedOdbcIni ini(plat::testing::ScopedOdbcIni::StandardDrivers());
  const std::string name = "history_" + std::to_string(::getpid());
  const auto errors = [] { return CountOf(ReadFile(Server().LogPath()), "ERROR:"); };
  // Neither option last: its run directory and reference serve the histories after the loop.
  for (const Cleanup cleanup : {Cleanup::DeleteTables, Cleanup::OnlyUniqueCases, Cleanup::Neither}) {
    SCOPED_TRACE(CleanupName(cleanup));
    NewServerDatabase(name);
    const fs::path run = dir_ / CleanupName(cleanup);
    Generate(run, 12, cleanup, name);
    if (HasFailure()) return;
    const int errorsBefore = errors();
    ReferenceRun(run);
    if (HasFailure()) return;
    CompletedRerun(run, cleanup);
    EXPECT_EQ(errors(), errorsBefore) << ReadFile(Server().LogPath());
    InterruptedReruns(run);
  }
  const fs::path run = dir_ / CleanupName(Cleanup::Neither);
  {
    SCOPED_TRACE("the server stopped and started again during a run, rerun");
    RemoveResults(run);
    InterruptedRun(run, [&](BackgroundJob& job) {
      ASSERT_TRUE(Server().Halt());
      // The workers lose their connections and fail their cases; the job ends.
      for (int i = 0; i < 3000 && job.Running(); ++i) ::usleep(10000);
      ASSERT_TRUE(Server().Resume());
    });
    EXPECT_EQ(WholeOrAbsent(RowsOfCases(Source(run)), m_referenceRows), "");
    ExpectCompleteRun(run, RunJob(run, 4), m_reference);
  }
  {
    SCOPED_TRACE("two jobs from two run directories with the same SolutionID at once");
    const fs::path other = dir_ / "other";
    Generate(other, 12, Cleanup::Neither, name);
    TwoJobsAtOnce(run, other);
    const CaseRows now = RowsOfCases(Source(run));
    // The model's rows name the run directory of the job that wrote them last: the rows are counted.
    EXPECT_EQ(WholeOrAbsent(now, m_referenceRows), "");
    EXPECT_EQ(now.at("PrCase").size(), 12u);
  }
}

// The parametric chain of the Standard model with the "LG_" field names (AlternateDatabaseCols): the
// infeasible step 5 cuts step 6 on four workers, and a rerun writes each case once again.
TEST_F(MpiResultsHistory, TheChainIsCutWithTheAlternateFieldNames) {
  const fs::path run = dir_ / "run";
  fs::create_directories(run);
  m_options = model_gen::GeneratorOptions{};
  m_options.kind = model_gen::ModelKind::kStandard;
  m_options.cases = 6;
  std::string error;
  ASSERT_TRUE(model_gen::GenerateRunDirectory(run, m_options, error)) << error;
  ASSERT_TRUE(model_gen_testing::ChangeMainModel(
      run, m_options, [](CModelSettings& settings) { settings.m_AlternateDatabaseCols.SetValue(1); }));
  std::ofstream(run / "SolverOutcomes.txt", std::ios::binary) << "* time=0.001\n4 status=1\n5 status=5\n6 status=1\n";
  for (int job = 0; job < 2; ++job) {
    SCOPED_TRACE(job == 0 ? "the first run" : "its rerun");
    ASSERT_EQ(RunJob(run, 5), 0) << ReadFile(run / "out.txt");
    EXPECT_EQ(CountOf(ReadFile(run / "OstrelRankZero.log"), "Processing failed"), 0);
    const ResultsSource file(run / "Results.Mdb");
    EXPECT_EQ(file.Strings("SELECT group_concat(LG_CaseID || '|' || LG_Truncated, ' ') FROM (SELECT * FROM PrCaseSet "
                           "WHERE LG_CaseID >= 4 ORDER BY LG_CaseID)"),
              std::vector<std::string>{"4|0 5|0 6|1"});
    EXPECT_EQ(file.Strings("SELECT count(*) || ' ' || count(DISTINCT LG_CaseID) FROM PrCase"),
              std::vector<std::string>{"6 6"});
  }
}

using MpiResultsKillLoop = MpiResultsHistory;

// The kill loops of a results file: the worker killed before each statement of a case of a new run (the
// defining case at every few), and of a rerun (every few; every one with OSTREL_LONG_KILL_LOOPS=1).
TEST_F(MpiResultsKillLoop, AKilledWorkerLeavesEveryCaseWholeOrAbsentInTheFile) {
  const fs::path run = dir_ / "run";
  Generate(run, 2, Cleanup::Neither, "", {}, "0");
  if (HasFailure()) return;
  ASSERT_EQ(RunJob(run, 2), 0) << ReadFile(run / "out.txt");
  const std::string reference = Contents(Source(run));
  const CaseRows referenceRows = RowsOfCases(Source(run));
  fs::copy_file(run / "Results.Mdb", dir_ / "base.mdb");
  const bool all = LongLoops();
  const auto fresh = [&] { RemoveResults(run); };
  const auto rerun = [&] {
    RemoveResults(run);
    fs::copy_file(dir_ / "base.mdb", run / "Results.Mdb");
  };
  const auto wholeOrAbsent = [&](long) {
    EXPECT_EQ(WholeOrAbsent(RowsOfCases(Source(run)), referenceRows), "");
    EXPECT_EQ(Source(run).Strings("PRAGMA integrity_check"), std::vector<std::string>{"ok"});
  };
  // A rerun's cases are replaced or not: the rows are the reference's either way.
  const auto unchanged = [&](long) {
    const std::string now = Contents(Source(run));
    EXPECT_TRUE(now == reference) << FirstDifference(now, reference);
  };
  KillLoop(run, 2, 1, fresh, wholeOrAbsent);
  KillLoop(run, 2, all ? 1 : 32, rerun, unchanged);
  KillLoop(run, 1, all ? 1 : 200, fresh, wholeOrAbsent);
  if (all) KillLoop(run, 1, 1, rerun, unchanged);
  // After the last kill a rerun writes the run whole.
  ExpectCompleteRun(run, RunJob(run, 2), reference);
}

// The same on the server, at every few statements (every one with OSTREL_LONG_KILL_LOOPS=1).
TEST_F(MpiResultsKillLoop, AKilledWorkerLeavesEveryCaseWholeOrAbsentOnTheServer) {
  if (!Server().Ok()) GTEST_SKIP() << Server().Reason();
  plat::testing::ScopedOdbcIni ini(plat::testing::ScopedOdbcIni::StandardDrivers());
  const std::string name = "kill_loop_" + std::to_string(::getpid());
  const std::string empty = name + "_empty", base = name + "_base";
  NewServerDatabase(name);
  // A database is made afresh as a copy of a template: the tables alone, or the rows of a whole run.
  const auto copyOf = [&](const std::string& from, const std::string& to) {
    ASSERT_TRUE(Server().Psql("DROP DATABASE IF EXISTS " + to + " WITH (FORCE); CREATE DATABASE " + to + " TEMPLATE " +
                              from + " STRATEGY FILE_COPY;"));
  };
  copyOf(name, empty);
  const fs::path run = dir_ / "run";
  Generate(run, 2, Cleanup::Neither, name, {}, "0");
  if (HasFailure()) return;
  ASSERT_EQ(RunJob(run, 2), 0) << ReadFile(run / "out.txt");
  const std::string reference = Contents(Source(run));
  const CaseRows referenceRows = RowsOfCases(Source(run));
  copyOf(name, base);
  const bool all = LongLoops();
  const auto fresh = [&] { copyOf(empty, name); };
  const auto rerun = [&] { copyOf(base, name); };
  const auto wholeOrAbsent = [&](long) { EXPECT_EQ(WholeOrAbsent(RowsOfCases(Source(run)), referenceRows), ""); };
  const auto unchanged = [&](long) {
    const std::string now = Contents(Source(run));
    EXPECT_TRUE(now == reference) << FirstDifference(now, reference);
  };
  KillLoop(run, 2, all ? 1 : 25, fresh, wholeOrAbsent);
  KillLoop(run, 2, all ? 1 : 60, rerun, unchanged);
  KillLoop(run, 1, all ? 1 : 100, fresh, wholeOrAbsent);
  if (all) KillLoop(run, 1, 1, rerun, unchanged);
  ExpectCompleteRun(run, RunJob(run, 2), reference);
  Server().Psql("DROP DATABASE IF EXISTS " + base + " WITH (FORCE); DROP DATABASE IF EXISTS " + empty + " WITH (FORCE);");
}

}  // namespace
