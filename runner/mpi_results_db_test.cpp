// The results database under several workers: every case's rows land
// exactly once, the run's reference tables once, the output does not depend
// on the number of workers, and a failed write is a failed case. Each job
// runs under mpiexec with a hard timeout.
#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>

#include <map>
#include <set>

#include "runner/mpi_run_fixture.h"
// After the MPI headers: the ODBC headers' BOOL would break their C++ bindings.
#include "caseset/config/export_config_fixture.h"
#include "modelfile/vorn_model_file.h"
#include "platform/testing/load_marker.h"
#include "platform/testing/pg_test_server.h"
#include "solutionfill/core/testing/solution_file_writer.h"
#include "writers/schema/result_schema.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <thread>

namespace {

std::string Cases(int from, int to) {
  static const char* const kFiles[] = {"Refinery.str", "Blending.str", "Logistics.str"};
  std::string out;
  for (int c = from; c <= to; ++c) out += std::to_string(c) + " " + kFiles[c % 3] + " 0 0 x 0\n";
  return out;
}

// Rows of a query on a database of the private PostgreSQL server, as Query does.
std::string PgQuery(int port, const std::string& database, const std::string& sql) {
  const std::string conninfo = "host=127.0.0.1 user=postgres dbname=" + database + " port=" + std::to_string(port);
  PGconn* conn = PQconnectdb(conninfo.c_str());
  PGresult* result = PQexec(conn, sql.c_str());
  std::string text;
  if (PQresultStatus(result) != PGRES_TUPLES_OK) {
    text = std::string("error: ") + PQerrorMessage(conn);
  } else {
    for (int r = 0; r < PQntuples(result); ++r) {
      for (int c = 0; c < PQnfields(result); ++c)
        text += (c ? "|" : "") + std::string(PQgetisnull(result, r, c) ? "NULL" : PQgetvalue(result, r, c));
      text += "\n";
    }
  }
  PQclear(result);
  PQfinish(conn);
  return text;
}

class MpiResultsDb : public MpiRun {
 protected:
  struct CaseSet {
    int count = 0;
    fs::path modelDir;             // the run directory when empty
    fs::path runDir;               // the fixture's when empty
    int first = 1;                 // the cases are first .. first + count - 1
    std::string serverConnection;  // not empty: the results go to this SQL Server connection
    std::string solveTime = "0";
    std::string outcomes;          // more lines of the stand-in solver's outcome file
    std::map<int, std::vector<std::pair<std::string, std::string>>> texts;  // a case's text settings
  };

  // A case set whose model lives in modelDir; the model's results database is
  // the file "Results.Mdb" there, or the server the connection names.
  void MakeCaseSet(const CaseSet& set) {
    const fs::path run = set.runDir.empty() ? dir_ : set.runDir;
    const fs::path model = set.modelDir.empty() ? run : set.modelDir;
    fs::create_directories(model);
    fs::create_directories(run);
    std::ofstream(run / "cases.txt", std::ios::binary) << Cases(set.first, set.first + set.count - 1);
    std::ofstream(run / "SolverOutcomes.txt", std::ios::binary) << "* time=" << set.solveTime << "\n" << set.outcomes;
    solution_file_testing::Writer solution(false, 9);
    solution.rows = {{"OBJFN", 2, 1000.0}};
    solution.columns = {{"BUYCRD", 2, 100.0, 10.0}};
    solution.Save((model / "Solution.Fil").string());
    ExportConfigFixture config;
    config.homeDirectory = model.parent_path().string();
    config.modelDirectory = model.string();
    config.databaseDirectory = model.string();
    config.databaseDescription = "Results";
    for (int c = set.first; c < set.first + set.count; ++c) {
      config.cases.push_back({c, "Case " + std::to_string(c), {}});
      if (const auto texts = set.texts.find(c); texts != set.texts.end()) config.cases.back().texts = texts->second;
    }
    if (set.serverConnection.empty()) {
      ASSERT_TRUE(config.WriteModel());
    } else {
      CVornModelFile file;
      file.LoadFromDirectory(ExportConfigFixture::ModelName(model.string()), model.string());
      file.m_bEncryptOnSave = false;
      file.m_settings.m_DatabaseOutputFormat.SetValue("SQL Server");
      file.m_settings.m_DatabaseOutputConnection.SetValue(set.serverConnection);
      ASSERT_TRUE(file.Save("18.0.0", "", false));
    }
    ASSERT_TRUE(config.WriteConfig((run / "VornDbExportData.xml").string()));
  }
  // A job of the runner in a run directory of its own, as Run starts one in the fixture's.
  static int RunIn(const fs::path& runDir, int processes, const std::string& args) {
    return RunJob("ostrel", runDir, runDir / "out.txt", processes, "", args, 120);
  }
  // A case set of cases 1..count whose model lives in modelDir (the run directory by default).
  void MakeCaseSet(int count, const fs::path& modelDir = {}) {
    CaseSet set;
    set.count = count;
    set.modelDir = modelDir;
    MakeCaseSet(set);
  }

  // The run's rows that must not depend on the workers: times and run identifiers left out.
  static std::string Canonical(const fs::path& db) {
    std::string text;
    for (const char* sql :
         {"SELECT SolutionID, CaseID, Description, ObjectiveFunction, SolutionStatus FROM PrCase ORDER BY CaseID",
          "SELECT SolutionID, CaseID, PeriodID, Tag, Days, RWCasePeriod FROM PrPeriod ORDER BY CaseID, PeriodID",
          "SELECT * FROM PrModel ORDER BY ModelID",
          "SELECT * FROM PrNode ORDER BY NodeID", "SELECT * FROM PrPrimalColumn ORDER BY CaseID, ColumnName",
          "SELECT * FROM PrSettingType ORDER BY SettingTypeID",
          "SELECT SettingTypeID, TextValue, IntegerValue, DoubleValue FROM PrSettingDefault ORDER BY SettingTypeID",
          "SELECT Version, Build FROM PrDatabaseVersion",
          "SELECT * FROM PrPenaltyType ORDER BY PenaltyTypeID"})
      text += std::string(sql) + "\n" + Query(db, sql);
    return text;
  }

  std::string Out() const { return ReadFile(dir_ / "out.txt"); }
  // The arguments after the case list: log level 1 and a dead link to the main application.
  std::string Args() const { return "1 0 127.0.0.1 " + std::to_string(DeadPortNumber()); }
  // The connection of a database of the private PostgreSQL server at port, through the SQL Server driver.
  static std::string ServerConnection(int port, const std::string& database) {
    return "Provider=SQLOLEDB;Data Source=127.0.0.1," + std::to_string(port) + ";Initial Catalog=" + database +
           ";User ID=postgres;Password=;";
  }
};

// A few hundred cases of no solve time on five workers into a new database,
// three times, and once more on one worker: the same rows every time.
TEST_F(MpiResultsDb, EveryCaseExactlyOnce) {
  constexpr int kCases = 240;
  std::string first;
  for (int run = 0; run < 4; ++run) {
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    MakeCaseSet(kCases);
    const int processes = run < 3 ? 6 : 2;
    ASSERT_EQ(Run("ostrel", processes, "", Args(), 120), 0) << Out();
    EXPECT_EQ(CountOf(Log(0), "Processing failed"), 0) << Log(0);
    const fs::path db = dir_ / "Results.Mdb";
    EXPECT_EQ(Query(db, "SELECT count(*), count(DISTINCT CaseID), min(CaseID), max(CaseID) FROM PrCase"),
              "240|240|1|240\n")
        << "run " << run;
    EXPECT_EQ(Query(db, "SELECT count(*), count(DISTINCT CaseID) FROM PrPeriod"), "240|240\n");
    EXPECT_EQ(Query(db, "SELECT count(*) FROM PrPrimalColumn"), "240\n");
    // The run's reference rows, once however many workers started.
    EXPECT_EQ(Query(db, "SELECT count(*) FROM PrModel"), "1\n");
    EXPECT_EQ(Query(db, "SELECT count(*) FROM PrNode"), "2\n");
    EXPECT_EQ(Query(db, "SELECT count(*) FROM PrDatabaseVersion"), "1\n");
    EXPECT_EQ(Query(db, "SELECT count(*) FROM PrVWBasis"), "2\n");
    EXPECT_EQ(Query(db, "SELECT count(*) = (SELECT count(*) FROM PrSettingType) FROM PrSettingDefault"), "1\n");
    EXPECT_EQ(Query(db, "SELECT count(*) FROM OstrelRuns"), "1\n");
    EXPECT_EQ(Query(db, "SELECT TotalTime FROM PrCase WHERE CaseID = 1"), "0\n") << "no run start date";
    EXPECT_EQ(Query(db, "PRAGMA integrity_check"), "ok\n");
    const std::string rows = Canonical(db);
    if (run == 0)
      first = rows;
    else
      EXPECT_TRUE(rows == first) << "run " << run << " differs from the first";
  }
}

// The same against a server: the results in PostgreSQL through the SQL Server
// output, as a site configures it when its runs outgrow one machine.
TEST_F(MpiResultsDb, EveryCaseExactlyOnceOnTheServer) {
  static plat::testing::PgTestServer& server = plat::testing::PgTestServer::Shared();
  if (!server.Ok()) GTEST_SKIP() << server.Reason();
  plat::testing::ScopedOdbcIni ini(plat::testing::ScopedOdbcIni::StandardDrivers());
  constexpr int kCases = 240;
  const std::string ddl = BuildResultTablesDdl(DdlDialect::PostgreSql);
  std::string first;
  for (int run = 0; run < 3; ++run) {
    const std::string database = "exactly_once_" + std::to_string(::getpid()) + "_" + std::to_string(run);
    ASSERT_TRUE(server.Psql("CREATE DATABASE " + database + ";"));
    ASSERT_TRUE(server.Psql(ddl, database));
    fs::remove_all(dir_);
    CaseSet set;
    set.count = kCases;
    set.serverConnection = ServerConnection(server.Port(), database);
    MakeCaseSet(set);
    ASSERT_EQ(Run("ostrel", 6, "OSTREL_SQLSERVER_ODBC_DRIVER=PostgreSQL", Args(), 180), 0) << Out();
    EXPECT_EQ(CountOf(Log(0), "Processing failed"), 0) << Log(0);
    // The account names the server's database, not the connection.
    EXPECT_NE(Log(0).find("\nResults database: the SQL Server database " + database + " on 127.0.0.1," +
                          std::to_string(server.Port()) + "\n"),
              std::string::npos)
        << AccountOf(Log(0));
    const auto query = [&](const std::string& sql) { return PgQuery(server.Port(), database, sql); };
    EXPECT_EQ(query("SELECT count(*), count(DISTINCT \"CaseID\"), min(\"CaseID\"), max(\"CaseID\") FROM \"PrCase\""),
              "240|240|1|240\n")
        << "run " << run;
    EXPECT_EQ(query("SELECT count(*), count(DISTINCT \"CaseID\") FROM \"PrPeriod\""), "240|240\n");
    EXPECT_EQ(query("SELECT count(*) FROM \"PrPrimalColumn\""), "240\n");
    EXPECT_EQ(query("SELECT count(*) FROM \"PrModel\""), "1\n");
    EXPECT_EQ(query("SELECT count(*) FROM \"PrNode\""), "2\n");
    EXPECT_EQ(query("SELECT count(*) FROM \"OstrelRuns\""), "1\n");
    std::string rows;
    for (const char* sql :
         {"SELECT \"SolutionID\", \"CaseID\", \"Description\", \"ObjectiveFunction\", \"SolutionStatus\" "
          "FROM \"PrCase\" ORDER BY \"CaseID\"",
          "SELECT \"SolutionID\", \"CaseID\", \"PeriodID\", \"Tag\" FROM \"PrPeriod\" ORDER BY 2, 3",
          "SELECT * FROM \"PrModel\" ORDER BY \"ModelID\"", "SELECT * FROM \"PrNode\" ORDER BY \"NodeID\"",
          "SELECT * FROM \"PrPrimalColumn\" ORDER BY \"CaseID\", \"ColumnName\""})
      rows += std::string(sql) + "\n" + query(sql);
    if (run == 0)
      first = rows;
    else
      EXPECT_TRUE(rows == first) << "run " << run << " differs from the first";
  }

  // A case the server refuses in the middle of its rows fails whole: none of its rows stays, also not
  // with the next case of its worker, and every other case is written.
  const std::string database = "refused_" + std::to_string(::getpid());
  ASSERT_TRUE(server.Psql("CREATE DATABASE " + database + ";"));
  ASSERT_TRUE(server.Psql(ddl + "ALTER TABLE \"PrPeriod\" ADD CONSTRAINT not7 CHECK (\"CaseID\" <> 7);", database));
  fs::remove_all(dir_);
  CaseSet set;
  set.count = 40;
  set.serverConnection = ServerConnection(server.Port(), database);
  MakeCaseSet(set);
  Run("ostrel", 4, "OSTREL_SQLSERVER_ODBC_DRIVER=PostgreSQL", Args(), 120);
  EXPECT_NE(Log(0).find("Processing failed on the Slave side for Case: 7"), std::string::npos) << Log(0);
  const auto query = [&](const std::string& sql) { return PgQuery(server.Port(), database, sql); };
  for (const char* table : {"PrCase", "PrPeriod", "PrPrimalColumn"})
    EXPECT_EQ(query(std::string("SELECT count(*), count(*) FILTER (WHERE \"CaseID\" = 7) FROM \"") + table + "\""),
              "39|0\n")
        << table;
}

// Two jobs writing one results database at once, each from its own run
// directory: both write all their cases. A job that would remove rows at its
// start (DeleteTables) while another one writes is refused, saying why, and
// the other job loses nothing.
TEST_F(MpiResultsDb, TwoRunsOnOneDatabase) {
  const fs::path model = dir_ / "Model";
  const fs::path db = model / "Results.Mdb";
  CaseSet a;
  a.count = 60;
  a.modelDir = model;
  a.runDir = dir_ / "RunA";
  a.solveTime = "0.02";
  CaseSet b = a;
  b.runDir = dir_ / "RunB";
  b.first = 101;
  MakeCaseSet(a);
  MakeCaseSet(b);
  int statusA = -1, statusB = -1;
  {
    std::thread first([&] { statusA = RunIn(a.runDir, 4, Args()); });
    statusB = RunIn(b.runDir, 4, Args());
    first.join();
  }
  EXPECT_EQ(statusA, 0) << ReadFile(a.runDir / "out.txt");
  EXPECT_EQ(statusB, 0) << ReadFile(b.runDir / "out.txt");
  EXPECT_EQ(Query(db, "SELECT count(*), count(DISTINCT CaseID) FROM PrCase WHERE CaseID BETWEEN 1 AND 60"), "60|60\n");
  EXPECT_EQ(Query(db, "SELECT count(*), count(DISTINCT CaseID) FROM PrCase WHERE CaseID BETWEEN 101 AND 160"),
            "60|60\n");
  EXPECT_EQ(Query(db, "SELECT count(*) FROM PrPeriod"), "120\n");
  EXPECT_EQ(Query(db, "SELECT count(*) FROM OstrelRuns"), "2\n");
  EXPECT_EQ(Query(db, "SELECT count(*) FROM PrDatabaseVersion"), "1\n");
  EXPECT_EQ(Query(db, "PRAGMA integrity_check"), "ok\n");

  // A third job asks for its tables dropped while the first one writes again.
  CaseSet c = b;
  c.runDir = dir_ / "RunC";
  c.first = 201;
  c.count = 10;
  MakeCaseSet(c);
  {
    const fs::path config = c.runDir / "VornDbExportData.xml";
    std::string text = ReadFile(config);
    const std::string at = "<SolutionID>1</SolutionID>";
    ASSERT_NE(text.find(at), std::string::npos);
    text.replace(text.find(at), at.size(), at + "<DeleteTables>1</DeleteTables>");
    std::ofstream(config, std::ios::binary) << text;
  }
  // A new run of the first directory (its configuration is written again) that cannot end before the
  // third job has: its last case waits for the file "release", made once the third job is over.
  a.outcomes = "60 after=release\n";
  MakeCaseSet(a);
  {
    std::thread first([&] { statusA = RunIn(a.runDir, 3, Args()); });
    // The third job starts once the first one has recorded its run (a bound against a hang only).
    bool recorded = false;
    for (int i = 0; i < 12000 && !recorded; ++i) {
      recorded = Query(db, "SELECT count(*) FROM OstrelRuns") == "3\n";
      if (!recorded) ::usleep(10000);
    }
    EXPECT_TRUE(recorded) << "the first job's new run was not recorded";
    statusB = RunIn(c.runDir, 3, Args());
    std::ofstream(a.runDir / "release") << "";
    first.join();
  }
  EXPECT_EQ(statusA, 0) << ReadFile(a.runDir / "out.txt");
  EXPECT_NE(statusB, 0) << "the job that would drop the tables under another one is refused";
  std::string refused;
  for (int w = 1; w <= 2; ++w) refused += ReadFile(c.runDir / ("OstrelRank" + std::to_string(w) + ".log"));
  EXPECT_NE(refused.find("another run writes the results database"), std::string::npos) << refused;
  EXPECT_NE(ReadFile(c.runDir / "OstrelRankZero.log").find("Processing failed"), std::string::npos);
  EXPECT_EQ(Query(db, "SELECT count(*), count(DISTINCT CaseID) FROM PrCase WHERE CaseID BETWEEN 1 AND 60"), "60|60\n")
      << "the second run of A replaced the cases of the first";
  EXPECT_EQ(Query(db, "SELECT count(*) FROM PrCase WHERE CaseID BETWEEN 101 AND 160"), "60\n");
  EXPECT_EQ(Query(db, "SELECT count(*) FROM PrCase WHERE CaseID > 200"), "0\n");
  EXPECT_EQ(Query(db, "PRAGMA integrity_check"), "ok\n");
}

// A second job started in a run directory where a job runs is refused before it writes anything: exit
// status 2 and one line naming the running job; the first job writes all its cases and keeps its logs.
TEST_F(MpiResultsDb, ASecondJobInTheRunDirectoryIsRefused) {
  CaseSet set;
  set.count = 20;
  set.modelDir = dir_ / "Model";
  // No case of the first job ends before the file "release" exists, which is made once the second job has
  // ended: the jobs overlap however slowly they start.
  set.solveTime = "0.01 after=release";
  MakeCaseSet(set);
  const fs::path second = dir_ / "second";
  fs::create_directories(second);
  int statusA = -1, statusB = -1;
  std::string holder;
  {
    std::thread first([&] { statusA = Run("ostrel", 3, "", Args(), 120); });
    for (int i = 0; i < 12000 && !fs::exists(dir_ / "OstrelRank1.log"); ++i) ::usleep(10000);
    holder = ReadFile(dir_ / "OstrelJob.lock");
    statusB = RunJob("ostrel", dir_, second / "out.txt", 3, "", Args(), 120);
    std::ofstream(dir_ / "release") << "";
    first.join();
  }
  EXPECT_EQ(statusA, 0) << Out();
  EXPECT_EQ(statusB, 2);
  // The lock file names the first job: its host, process and start time.
  std::istringstream words(holder);
  std::string host, pid, date, time;
  ASSERT_TRUE(words >> host >> pid >> date >> time) << holder;
  EXPECT_EQ(ReadFile(second / "out.txt"), "The run directory " + dir_.string() + " is in use by another job (host " +
                                               host + ", process " + pid + ", started " + date + " " + time +
                                               "): this job is not started.\n");
  EXPECT_EQ(Query(set.modelDir / "Results.Mdb", "SELECT count(*), count(DISTINCT CaseID) FROM PrCase"), "20|20\n");
  // The refused job wrote no log of its own; the first job's logs are whole.
  for (const auto& entry : fs::directory_iterator(dir_))
    EXPECT_EQ(entry.path().filename().string().find('-'), std::string::npos) << entry.path();
  EXPECT_NE(Log(0).find("Exit status 0"), std::string::npos) << Log(0);
  for (int w = 1; w <= 2; ++w) EXPECT_FALSE(Log(w).empty()) << w;

  // Once the first job has ended, the lock file it leaves behind holds no lock: the next job runs.
  EXPECT_EQ(Run("ostrel", 3, "", Args(), 120), 0) << Out();
}

// The ranks of a job on several machines (the host names a test gives them): with the results in a file
// the job refuses to start, saying in one line that such runs write to a database server and which setting
// to change; with the results on the server it runs.
TEST_F(MpiResultsDb, SeveralMachinesWriteThroughTheServer) {
  const std::string hosts = "OSTREL_TEST_HOST_NAMES=node1,node1,node2";
  MakeCaseSet(6);
  EXPECT_EQ(Run("ostrel", 3, hosts, Args(), 120), 2) << Out();
  // The cause once on a line of its own, then in the account, as every start failure.
  const std::string said = Out();
  EXPECT_EQ(CountLinesStartingWith(said, "The ranks of this job run on several machines (node1, node2): runs over "
                                         "several machines write their results to a database server, not to a "
                                         "results file; set DatabaseOutputFormat to \"SQL Server\" with its "
                                         "DatabaseOutputConnection in the model "),
            1)
      << said;
  EXPECT_NE(said.find("Exit status 2: the run could not start."), std::string::npos) << said;
  EXPECT_FALSE(fs::exists(dir_ / "Results.Mdb"));
  // One machine: the same case set runs.
  EXPECT_EQ(Run("ostrel", 3, "OSTREL_TEST_HOST_NAMES=node1", Args(), 120), 0) << Out();

  static plat::testing::PgTestServer& server = plat::testing::PgTestServer::Shared();
  if (!server.Ok()) GTEST_SKIP() << server.Reason();
  plat::testing::ScopedOdbcIni ini(plat::testing::ScopedOdbcIni::StandardDrivers());
  const std::string database = "several_hosts_" + std::to_string(::getpid());
  ASSERT_TRUE(server.Psql("CREATE DATABASE " + database + ";"));
  ASSERT_TRUE(server.Psql(BuildResultTablesDdl(DdlDialect::PostgreSql), database));
  fs::remove_all(dir_);
  CaseSet set;
  set.count = 6;
  set.serverConnection = ServerConnection(server.Port(), database);
  MakeCaseSet(set);
  EXPECT_EQ(Run("ostrel", 3, hosts + " OSTREL_SQLSERVER_ODBC_DRIVER=PostgreSQL", Args(), 120), 0) << Out();
  EXPECT_EQ(PgQuery(server.Port(), database, "SELECT count(*) FROM \"PrCase\""), "6\n");
}

// What a case of the export configuration sets can neither load a library through a connection string nor
// place the results database outside its folder: those cases fail, each naming the setting, and the others
// are written.
TEST_F(MpiResultsDb, RefusedCaseSettingsFailTheirCases) {
  plat::testing::ScopedLoadMarker marker;
  const fs::path model = dir_ / "Model";
  CaseSet set;
  set.count = 5;
  set.modelDir = model;
  set.texts[2] = {{"DatabaseOutputFormat", "SQL Server"},
                  {"DatabaseOutputConnection", "Driver=" + plat::testing::LoadMarkerLibrary() + ";Server=x"}};
  set.texts[3] = {{"DatabaseOutputFile", "../escaped/Results.Mdb"}};
  set.texts[4] = {{"DatabaseOutputFile", (dir_ / "absolute" / "Results.Mdb").string()}};
  MakeCaseSet(set);
  // A worker per case: each case is dispatched whatever becomes of the others.
  EXPECT_EQ(Run("ostrel", 6, "", Args(), 120), 1) << Out();
  std::string workers;
  for (int w = 1; w <= 5; ++w) workers += Log(w);
  const std::string zero = Log(0);
  for (int c : {2, 3, 4}) {
    EXPECT_NE(zero.find("Processing failed on the Slave side for Case: " + std::to_string(c)), std::string::npos)
        << c << "\n" << zero;
  }
  EXPECT_NE(workers.find("Case 2 failed: its results were not written to the results database: the setting "
                         "DatabaseOutputConnection (a case setting of the export configuration) is refused: the "
                         "driver \"" + plat::testing::LoadMarkerLibrary() + "\" is a path"),
            std::string::npos)
      << workers;
  EXPECT_NE(workers.find("Case 3 failed: its results were not written to the results database: the setting "
                         "DatabaseOutputFile (\"../escaped/Results.Mdb\") is not a plain file name"),
            std::string::npos)
      << workers;
  EXPECT_NE(workers.find("Case 4 failed: its results were not written to the results database: the setting "
                         "DatabaseOutputFile"),
            std::string::npos)
      << workers;
  EXPECT_FALSE(marker.Loaded());
  EXPECT_FALSE(fs::exists(dir_ / "escaped"));
  EXPECT_FALSE(fs::exists(dir_ / "absolute"));
  EXPECT_EQ(Query(model / "Results.Mdb", "SELECT CaseID FROM PrCase ORDER BY CaseID"), "1\n5\n");
}

// Each way the results database can refuse a write fails the cases it hits:
// rank zero logs each by number, the worker's log says which table and why,
// no "output time" line is written for it, and the database stays sound.
TEST_F(MpiResultsDb, DatabaseFailuresFailTheCase) {
  const bool root = ::geteuid() == 0;
  const passwd* nobody = ::getpwnam("nobody");
  struct Scenario {
    const char* name;
    bool needsOtherUser;  // permissions do not stop root: the job then runs as "nobody"
    const char* cause;    // in the worker's log
  } scenarios[] = {
      {"read-only database file", true, "results database"},
      {"read-only directory", true, "results database"},
      {"missing model directory", false, "results database"},
      {"write fault", false, "not written"},
  };
  constexpr int kWorkers = 3;
  for (const Scenario& s : scenarios) {
    if (s.needsOtherUser && root && nobody == nullptr) continue;
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    const fs::path model = dir_ / "Model";
    const std::string name = s.name;
    MakeCaseSet(name == "write fault" ? 40 : kWorkers, model);
    std::string env;
    if (name == "read-only database file") {
      sqlite3* db = nullptr;
      ASSERT_EQ(sqlite3_open((model / "Results.Mdb").c_str(), &db), SQLITE_OK);
      sqlite3_exec(db, "CREATE TABLE t (a INTEGER);", nullptr, nullptr, nullptr);
      sqlite3_close(db);
      fs::permissions(model / "Results.Mdb", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    } else if (name == "read-only directory") {
      fs::permissions(model, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                 fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    } else if (name == "missing model directory") {
      fs::remove_all(model);
    } else {
      // Worker 2's 30th write step fails, inside its first case; the other workers write the rest.
      env = "OSTREL_SQLITE_FAIL_AT=30 OSTREL_SQLITE_FAIL_RANK=2 LD_PRELOAD=" + std::string(OSTREL_BINARY_DIR) +
            "/platform/libsqlite_fault_preload.so";
    }
    if (s.needsOtherUser && root) {
      // The run directory is the job's; the model directory (and the database in it) stays root's.
      for (const auto& entry : fs::directory_iterator(dir_))
        if (entry.path() != model) ::chown(entry.path().c_str(), nobody->pw_uid, nobody->pw_gid);
      ::chown(dir_.c_str(), nobody->pw_uid, nobody->pw_gid);
      env += " runuser -u nobody --";
    }
    const int status = Run("ostrel", kWorkers + 1, env, Args(), 120);
    EXPECT_NE(status, 124) << s.name << " timed out\n" << Out();
    const std::string zero = Log(0);
    std::string workers;
    for (int w = 1; w <= kWorkers; ++w) workers += Log(w);

    // The cases the workers could not write: each logged by rank zero, none with an output time.
    std::set<int> failed;
    const std::string failedLine = "Processing failed on the Slave side for Case: ";
    for (std::size_t at = zero.find(failedLine); at != std::string::npos; at = zero.find(failedLine, at + 1))
      failed.insert(std::atoi(zero.c_str() + at + failedLine.size()));
    EXPECT_FALSE(failed.empty()) << s.name << "\n" << zero << workers;
    for (int c : failed) {
      EXPECT_NE(workers.find("Case " + std::to_string(c) + " failed: its results were not written"), std::string::npos)
          << s.name << " case " << c << "\n" << workers;
      EXPECT_EQ(workers.find("output time for case " + std::to_string(c) + " is"), std::string::npos)
          << s.name << " case " << c;
    }
    EXPECT_NE(workers.find(s.cause), std::string::npos) << s.name << "\n" << workers;
    if (name != "write fault") {
      EXPECT_EQ(failed.size(), static_cast<std::size_t>(kWorkers)) << s.name << "\n" << zero;
      EXPECT_EQ(CountOf(workers, "Results database output time"), 0) << s.name;
    } else {
      // The cases written before the fault are whole, the failed ones absent, the file sound.
      const fs::path db = model / "Results.Mdb";
      EXPECT_EQ(Query(db, "PRAGMA integrity_check"), "ok\n") << s.name;
      const std::string written = Query(db, "SELECT CaseID FROM PrCase ORDER BY CaseID");
      std::istringstream lines(written);
      int count = 0;
      for (int c; lines >> c;) {
        ++count;
        EXPECT_EQ(failed.count(c), 0u) << "case " << c << " failed but has rows";
        EXPECT_EQ(Query(db, "SELECT count(*) FROM PrPeriod WHERE CaseID = " + std::to_string(c)), "1\n");
      }
      // Every case is written or failed, none both.
      EXPECT_EQ(failed.size(), 1u) << zero;
      EXPECT_EQ(count + static_cast<int>(failed.size()), 40) << written << zero;
      EXPECT_EQ(count, CountOf(workers, "Results database output time")) << written << workers;
      EXPECT_EQ(Query(db, "SELECT count(*) FROM PrPeriod WHERE CaseID NOT IN (SELECT CaseID FROM PrCase)"), "0\n");
    }
  }
}

}  // namespace
