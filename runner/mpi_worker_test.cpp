// The runner end to end: the stand-in solver on every worker, the test
// console as the main application, each job under a hard timeout.
#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <thread>

#include "runner/mpi_run_fixture.h"
// After the MPI headers: the ODBC headers' BOOL would break their C++ bindings.
#include "caseset/config/export_config_fixture.h"
#include "solutionfill/core/testing/solution_file_writer.h"

#include <sqlite3.h>

namespace {

class MpiWorker : public MpiRun {
 protected:
  // The console's lines about one case, in arrival order, as "status text".
  static std::vector<std::string> CaseLines(const std::string& console, int caseNumber) {
    std::vector<std::string> lines;
    std::istringstream in(console);
    const std::regex pattern("worker \\d+ case " + std::to_string(caseNumber) + " status (-?\\d+) value \\S+ text (.*)");
    std::smatch m;
    for (std::string line; std::getline(in, line);)
      if (std::regex_match(line, m, pattern)) lines.push_back(m[1].str() + " " + m[2].str());
    return lines;
  }
  std::string AllWorkerLogs(int workers) const {
    std::string all;
    for (int w = 1; w <= workers; ++w) all += Log(w);
    return all;
  }
  // The export configuration of a model in the fixture's directory with the given cases, its results
  // database "Results" beside it.
  ExportConfigFixture ResultsConfig(std::vector<ExportConfigFixture::Case> cases) const {
    ExportConfigFixture config;
    config.homeDirectory = dir_.parent_path().string();
    config.modelDirectory = dir_.string();
    config.databaseDirectory = dir_.string();
    config.databaseDescription = "Results";
    config.cases = std::move(cases);
    return config;
  }
};

std::string Cases(const std::string& name, int from, int to, int loadSol = 0) {
  std::string out;
  for (int c = from; c <= to; ++c) out += std::to_string(c) + " " + name + " " + std::to_string(loadSol) + " 0 x 0\n";
  return out;
}

TEST_F(MpiWorker, EveryCaseReportedOnceAfterItsProgress) {
  CaseList(Cases("A", 1, 5) + Cases("B", 6, 7));
  Outcomes("* time=0.01\n");
  ConsoleProcess console(dir_, {"--workers", "3"});
  ASSERT_GT(console.Port(), 0);
  ASSERT_EQ(Run("ostrel", 4, "", Link(console.Port())), 0) << ReadFile(dir_ / "out.txt");
  EXPECT_EQ(console.Wait(), 0);
  const std::string out = console.Output();
  for (int c = 1; c <= 7; ++c) {
    const auto lines = CaseLines(out, c);
    ASSERT_EQ(lines.size(), 2u) << "case " << c << "\n" << out;
    EXPECT_EQ(lines[0], "-999 Solving Case " + std::to_string(c) + lines[0].substr(lines[0].find(" on Processor")));
    EXPECT_EQ(lines[1], "1 Case " + std::to_string(c) + " solved by the stand-in solver");
  }
  EXPECT_EQ(CountOf(out, " EOF"), 3);
}

TEST_F(MpiWorker, StopFromTheConsole) {
  CaseList(Cases("A", 1, 30));
  // Every case waits for the stop (at most a minute), so no worker gets past its case before the stop,
  // however the machine schedules them.
  Outcomes("* stall\n");
  ConsoleProcess console(dir_, {"--workers", "3", "--stop-after-first"});
  ASSERT_EQ(Run("ostrel", 4, "", Link(console.Port())), 1) << ReadFile(dir_ / "out.txt");
  const std::string zero = Log(0);
  const size_t stopAt = zero.find("User stopped in VORN message received in Rank 0 from Rank:");
  ASSERT_NE(stopAt, std::string::npos) << zero;
  EXPECT_EQ(zero.find("SetCaseData in RankZeroWaitLoop", stopAt), std::string::npos);
  // One case at most per worker: the one it held when the stop came.
  EXPECT_LE(CountOf(AllWorkerLogs(3), "******* Solved Case"), 3);
  // Every case is either solved or named as not run.
  std::smatch m;
  ASSERT_TRUE(std::regex_search(zero, m, std::regex("Cases in the list: 30; solved: (\\d+); failed: 0; never dispatched: "
                                                    "0; not run after the stop: (\\d+)\\.\n")))
      << zero;
  EXPECT_EQ(std::stoi(m[1]) + std::stoi(m[2]), 30);
  EXPECT_NE(zero.find("Cases not run after the stop: "), std::string::npos);
}

TEST_F(MpiWorker, NoListener) {
  CaseList(Cases("A", 1, 6));
  ASSERT_EQ(Run("ostrel", 3, "", Link()), 0) << ReadFile(dir_ / "out.txt");
  for (int w = 1; w <= 2; ++w) {
    const std::string thread = ReadFile(dir_ / ("RankThread" + std::to_string(w) + ".log"));
    EXPECT_NE(thread.find("Failed to connect to VORN socket."), std::string::npos);
    // What could not be sent is said: by the thread for what was queued when it ended, by the worker for the rest.
    EXPECT_TRUE(thread.find("queued messages were dropped.") != std::string::npos ||
                Log(w).find("messages for VORN were not sent: the link to it had ended.") != std::string::npos)
        << thread << Log(w);
  }
  EXPECT_EQ(CountOf(AllWorkerLogs(2), "******* Solved Case"), 6);
}

// The desktop application accepts the links and never reads: each worker's
// send gives up after the bound, its link ends and the job ends.
TEST_F(MpiWorker, ListenerThatNeverReads) {
  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  const int small = 4096;
  ::setsockopt(listener, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(::listen(listener, 8), 0);
  socklen_t length = sizeof addr;
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &length);
  std::vector<int> accepted;
  std::thread acceptor([&] {
    for (int i = 0; i < 2; ++i) accepted.push_back(::accept(listener, nullptr, nullptr));
  });

  CaseList(Cases("A", 1, 4));
  Outcomes("* reportsize=8000000\n");
  std::ofstream(dir_ / "registry.ini") << "[HKEY_CURRENT_USER\\Software\\QuorvaneTech\\VornWin\\Adapter]\nSendTimeout=dword:1\n";
  const int rc = Run("ostrel", 3, "OSTREL_REGISTRY=" + (dir_ / "registry.ini").string(),
                     "2 0 127.0.0.1 " + std::to_string(ntohs(addr.sin_port)));
  acceptor.join();
  for (int fd : accepted) ::close(fd);
  ::close(listener);

  ASSERT_NE(rc, 124) << "the job hung";
  EXPECT_EQ(rc, 0) << ReadFile(dir_ / "out.txt");
  for (int w = 1; w <= 2; ++w) {
    const std::string thread = ReadFile(dir_ / ("RankThread" + std::to_string(w) + ".log"));
    EXPECT_NE(thread.find("Error while sending data in SendAndReceiveData. Error: 110"), std::string::npos) << thread;
    // The registry's bound of one second, not the default one.
    EXPECT_NE(thread.find("VORN took no data for 1000 ms: the link to it ends."), std::string::npos) << thread;
    // The reports the link could not take are said to be lost.
    EXPECT_TRUE(thread.find("queued messages were dropped.") != std::string::npos ||
                Log(w).find("messages for VORN were not sent: the link to it had ended.") != std::string::npos)
        << thread << Log(w);
    EXPECT_NE(Log(w).find("Slave Thread exited on Processor " + std::to_string(w)), std::string::npos);
  }
  EXPECT_EQ(CountOf(AllWorkerLogs(2), "******* Solved Case"), 4);
}

// Failures on one worker: the worker answers its case as failed, takes no
// more, and the other workers solve the rest.
TEST_F(MpiWorker, FailuresLeaveTheRestToOthers) {
  struct Scenario {
    const char* outcomes;
    const char* workerLog;  // expected in some worker's log
    int failedCase;
    int solvedLines;  // "Solved Case" lines: a case without report was solved but not output
    const char* terminal;  // said once on the terminal, or null
  } scenarios[] = {
      {"3 fail\n", "Stand-in solver: case 3 failed", 3, 7, nullptr},
      {"3 noreport\n", "GetObjectAsBYTEArray method returned -1 for Case 3", 3, 8, nullptr},
      {"3 reportsize=-5\n", "GetObjectAsBYTEArray method returned -1 for Case 3", 3, 8, nullptr},
      {"rank=2 createfail\n", "The case solver could not be created on rank 2.", -1, 7, "could not be created"},
      // A solver that throws: the case alone fails, under the number rank zero sent.
      {"3 throw\n", "Case 3 failed: an exception ended its solve or output: Stand-in solver: case 3 threw", 3, 7,
       nullptr},
      {"3 throw=alloc\n", "Case 3 failed: an exception ended its solve or output: std::bad_alloc", 3, 7, nullptr},
      {"3 throw=other\n", "Case 3 failed: an exception ended its solve or output: an exception of unknown type", 3, 7,
       nullptr},
  };
  for (const Scenario& s : scenarios) {
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    CaseList(Cases("A", 1, 8));
    Outcomes(std::string("* time=0.02\n") + s.outcomes);
    // Some cases failed: the run ended, but not well.
    ASSERT_EQ(Run("ostrel", 4, "", Link()), 1) << s.outcomes << ReadFile(dir_ / "out.txt");
    const std::string zero = Log(0);
    EXPECT_EQ(CountOf(zero, "Processing failed on the Slave side"), 1) << s.outcomes << zero;
    if (s.failedCase > 0) {
      EXPECT_NE(zero.find("Processing failed on the Slave side for Case: " + std::to_string(s.failedCase)),
                std::string::npos);
      EXPECT_NE(zero.find("Failed cases: " + std::to_string(s.failedCase) + ".\n"), std::string::npos) << zero;
    }
    EXPECT_NE(zero.find("Cases in the list: 8; solved: 7; failed: 1; never dispatched: 0; not run after the stop: 0."),
              std::string::npos)
        << s.outcomes << zero;
    const std::string terminal = ReadFile(dir_ / "out.txt");
    if (s.terminal) {
      EXPECT_EQ(CountOf(terminal, s.terminal), 1) << terminal;
      EXPECT_NE(zero.find("Processor 2 could not start: "), std::string::npos);
    } else {
      EXPECT_EQ(terminal, "");
    }
    const std::string workers = AllWorkerLogs(3);
    EXPECT_NE(workers.find(s.workerLog), std::string::npos) << s.outcomes;
    EXPECT_EQ(CountOf(workers, "******* Solved Case"), s.solvedLines) << s.outcomes;
  }
}

TEST_F(MpiWorker, LoadSolFallBackIsPostedBeforeTheReport) {
  CaseList("1 A 0 0 x 0\n2 A 1 0 x 0\n3 A 1 0 x 0\n");
  Outcomes("2 loadsol=0\n3 loadsol=2\n");
  ConsoleProcess console(dir_, {"--workers", "1"});
  ASSERT_EQ(Run("ostrel", 2, "", Link(console.Port())), 0) << ReadFile(dir_ / "out.txt");
  EXPECT_EQ(console.Wait(), 0);
  const std::string out = console.Output();
  const auto two = CaseLines(out, 2);
  ASSERT_EQ(two.size(), 3u) << out;
  EXPECT_EQ(two[1], "-999 Cannot find LOADSOL solution file Solution_1.Fil. Using PGUESS.");
  const auto three = CaseLines(out, 3);
  ASSERT_EQ(three.size(), 3u) << out;
  EXPECT_EQ(three[1],
            "-999 Cannot find LOADSOL solution file Solution_1.Fil. Using file Solution_2.Fil from Execution dialog.");
  EXPECT_EQ(CaseLines(out, 1).size(), 2u);
}

// Workers that cannot start: the cause is said once on the terminal, the cases
// sent to them are failed, nothing is written and the run could not start.
TEST_F(MpiWorker, StartFailures) {
  const std::string configPath = (dir_ / "VornDbExportData.xml").string();
  const std::string modelPath = (dir_ / "VornModel.vrnx").string();
  struct Failure {
    const char* name;
    std::string env;
    std::string outcomes;
    const char* config;    // the export configuration's text; null: a good one
    const char* model;     // the model file's text; null: a good one
    std::string terminal;  // the line on the terminal, from its start
    bool configIsFolder = false;  // the export configuration's name is a folder
  } failures[] = {
      {"missing solver library", "OSTREL_CASE_SOLVER=/nonexistent/libpalvane.so", "", nullptr, nullptr,
       "Cannot load the case-solver library /nonexistent/libpalvane.so: "},
      {"not a library", "OSTREL_CASE_SOLVER=" + (dir_ / "cases.txt").string(), "", nullptr, nullptr,
       "Cannot load the case-solver library " + (dir_ / "cases.txt").string() + ": "},
      {"no entry point", "OSTREL_CASE_SOLVER=libm.so.6", "", nullptr, nullptr,
       "The case-solver library libm.so.6 has no entry point CreatePalvane"},
      {"solver not created", "", "rank=1 createfail\nrank=2 createfail\n", nullptr, nullptr, "The case solver of "},
      {"empty export configuration", "", "", "", nullptr,
       "The export configuration " + configPath + " cannot be read: the file is empty"},
      {"truncated export configuration", "", "", "<VornDbExportData><SolutionID>1</Sol", nullptr,
       "The export configuration " + configPath + " cannot be read: not well-formed XML ("},
      {"export configuration not XML", "", "", "VornDbExportData", nullptr,
       "The export configuration " + configPath + " cannot be read: not well-formed XML ("},
      {"export configuration is a folder", "", "", nullptr, nullptr,
       "The export configuration " + configPath + " cannot be read: Is a directory\n", true},
      {"empty model file", "", "", nullptr, "",
       "The model file " + modelPath + " cannot be loaded: the file is empty or cannot be read"},
      {"truncated model file", "", "", nullptr, "<?xml version=\"1.0\"?><VornConfiguration><Version>18",
       "The model file " + modelPath + " cannot be loaded: not well-formed XML ("},
      {"corrupt model file", "", "", nullptr, "\x1f\x8b\x08garbled\x01",
       "The model file " + modelPath + " cannot be loaded: neither XML nor an enciphered model file ("},
  };
  for (const Failure& f : failures) {
    SCOPED_TRACE(f.name);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    CaseList(Cases("A", 1, 4));
    Outcomes(f.outcomes);
    ExportConfigFixture config = ResultsConfig({{1, "one", {}}, {2, "two", {}}, {3, "three", {}}, {4, "four", {}}});
    ASSERT_TRUE(config.WriteModel());
    ASSERT_TRUE(config.WriteConfig(configPath));
    if (f.model) std::ofstream(modelPath, std::ios::binary | std::ios::trunc) << f.model;
    if (f.config) std::ofstream(configPath, std::ios::binary | std::ios::trunc) << f.config;
    if (f.configIsFolder) {
      fs::remove(configPath);
      fs::create_directories(configPath);
    }
    const std::string& terminal = f.terminal;
    const int rc = Run("ostrel", 3, f.env, Link());
    ASSERT_NE(rc, 124) << "the job hung";
    EXPECT_EQ(rc, 2) << ReadFile(dir_ / "out.txt");
    const std::string out = ReadFile(dir_ / "out.txt");
    EXPECT_EQ(CountOf(out, "\n"), 1) << out;
    EXPECT_EQ(out.rfind(terminal, 0), 0u) << out;
    const std::string zero = Log(0);
    EXPECT_EQ(CountOf(zero, "could not start: " + terminal), 2) << zero;
    EXPECT_NE(zero.find("Cases in the list: 4; "), std::string::npos) << zero;
    EXPECT_NE(zero.find("; failed: 2; never dispatched: 2; not run after the stop: 0.\nFailed cases: 1, 2.\n"
                        "Cases never dispatched: 3, 4.\nExit status 2: the run could not start.\n"),
              std::string::npos)
        << zero;
    EXPECT_FALSE(fs::exists(dir_ / "Results.Mdb"));
  }
}

// With an export configuration the run directory is also the model's
// directory: each case gets its setting rows, its output frame, the restored
// settings, the removal of its solver files and its status file.
TEST_F(MpiWorker, DatabaseOutputOfEachCase) {
  CaseList(Cases("A", 1, 3));
  Outcomes("1 status=2\n3 statusfile=Status%d.xml solutionid=77\n");
  fs::create_directories(dir_ / "SolverOutput" / "2");
  std::ofstream(dir_ / "SolverOutput" / "2" / "Solution_2.Fil") << "solution";
  std::ofstream(dir_ / "SolverOutput" / "2" / "Other_2.txt") << "kept";
  std::ofstream(dir_ / "registry.ini") << "[HKEY_CURRENT_USER\\Software\\QuorvaneTech\\VornWin\\Adapter]\nLogging=True\n";
  solution_file_testing::Writer solution(false, 9);
  solution.rows = {{"OBJFN", 2, 1003.0}};
  solution.Save((dir_ / "Solution.Fil").string());

  ExportConfigFixture config = ResultsConfig({{1, "one", {}}, {2, "two", {{"SolveOn", 0}}}, {3, "three", {}}});
  ASSERT_TRUE(config.WriteModel());
  ASSERT_TRUE(config.WriteConfig((dir_ / "VornDbExportData.xml").string()));

  // One worker, log level 3, argument 9 set: a first case of status 2 is not written and not counted.
  const std::string args = "3 0 127.0.0.1 " + std::to_string(DeadPortNumber()) + " 0 1";
  ASSERT_EQ(Run("ostrel", 2, "OSTREL_REGISTRY=" + (dir_ / "registry.ini").string(), args), 0)
      << ReadFile(dir_ / "out.txt");
  EXPECT_EQ(CountOf(Log(0), "Processing failed on the Slave side"), 0) << Log(0);
  const std::string worker = Log(1);
  EXPECT_NE(worker.find("SQL Server: Is this case number 1 the first case? true"), std::string::npos) << worker;
  EXPECT_NE(worker.find("SQL Server: Is this case number 2 the first case? true"), std::string::npos);
  EXPECT_NE(worker.find("SQL Server: Is this case number 3 the first case? false"), std::string::npos);
  EXPECT_EQ(CountOf(worker, "SQL Server: Cleanup completed"), 3);

  EXPECT_FALSE(fs::exists(dir_ / "DbExport000001.log"));
  const std::string two = ReadFile(dir_ / "DbExport000002.log");
  EXPECT_NE(two.find("Initializing SQL Server connection succeeded"), std::string::npos) << two;
  EXPECT_EQ(two.find("DB OUTPUT START"), std::string::npos) << "case 2's SolveOn 0 skips the result tables";
  const std::string three = ReadFile(dir_ / "DbExport000003.log");
  EXPECT_NE(three.find("CASE 3, DB OUTPUT START"), std::string::npos) << "the settings were restored\n" << three;
  EXPECT_TRUE(std::regex_search(three, std::regex("CASE 3, DB OUTPUT END, TotalTime: \\d\\d:\\d\\d:\\d\\d\n")))
      << three;

  EXPECT_FALSE(fs::exists(dir_ / "Solution_2.Fil"));
  EXPECT_TRUE(fs::exists(dir_ / "Other_2.txt"));
  EXPECT_EQ(ReadFile(dir_ / "Status3.xml"),
            "<case id = \"3\"><solutionID> 77 </solutionID><objectiveFunction> 1003.000000 </objectiveFunction>"
            "<solutionStatus> 0 </solutionStatus><percentComplete> 100 </percentComplete></case>");
}

// Every written case leaves its rows in the model's results database: the
// case and its period on every case, the model on the worker's first case.
TEST_F(MpiWorker, ResultTablesOfEachCase) {
  CaseList(Cases("A", 1, 3));
  Outcomes("* time=0.01\n");
  solution_file_testing::Writer solution(false, 9);
  solution.rows = {{"OBJFN", 2, 12.0}};
  solution.columns = {{"BUYA", 2, 3.0}};
  solution.Save((dir_ / "Solution.Fil").string());

  ExportConfigFixture config = ResultsConfig({{1, "one", {}}, {2, "two", {}}, {3, "three", {}}});
  ASSERT_TRUE(config.WriteModel());
  ASSERT_TRUE(config.WriteConfig((dir_ / "VornDbExportData.xml").string()));

  const std::string args = "3 0 127.0.0.1 " + std::to_string(DeadPortNumber());
  ASSERT_EQ(Run("ostrel", 2, "", args), 0) << ReadFile(dir_ / "out.txt");
  EXPECT_EQ(CountOf(Log(0), "Processing failed on the Slave side"), 0) << Log(0);

  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2((dir_ / "Results.Mdb").c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  const auto rows = [db](const char* sql) {
    std::string text;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) return std::string(sqlite3_errmsg(db));
    while (sqlite3_step(stmt) == SQLITE_ROW) text += reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)) + std::string(" ");
    sqlite3_finalize(stmt);
    return text;
  };
  EXPECT_EQ(rows("SELECT CaseID || ':' || Description FROM PrCase ORDER BY CaseID"), "1:one 2:two 3:three ")
      << ReadFile(dir_ / "DbExport000001.log");
  EXPECT_EQ(rows("SELECT CaseID || ':' || count(*) FROM PrPeriod GROUP BY CaseID ORDER BY CaseID"), "1:1 2:1 3:1 ");
  EXPECT_EQ(rows("SELECT count(*) FROM PrModel"), "1 ");
  EXPECT_EQ(rows("SELECT CaseID || ':' || ColumnName FROM PrPrimalColumn ORDER BY CaseID"), "1:BUYA 2:BUYA 3:BUYA ");
  sqlite3_close(db);
}

// A case whose solve throws fails alone: the job ends, the case is named failed, the run's status says some cases
// failed, and every other case is written.
TEST_F(MpiWorker, ACaseThatThrowsFailsAloneAndTheOthersAreWritten) {
  CaseList(Cases("A", 1, 4));
  Outcomes("* time=0.02\n2 throw=alloc\n");
  solution_file_testing::Writer solution(false, 9);
  solution.rows = {{"OBJFN", 2, 12.0}};
  solution.Save((dir_ / "Solution.Fil").string());
  ExportConfigFixture config = ResultsConfig({{1, "one", {}}, {2, "two", {}}, {3, "three", {}}, {4, "four", {}}});
  ASSERT_TRUE(config.WriteModel());
  ASSERT_TRUE(config.WriteConfig((dir_ / "VornDbExportData.xml").string()));

  const int rc = Run("ostrel", 3, "", Link());
  ASSERT_NE(rc, 124) << "the job hung";
  EXPECT_EQ(rc, 1) << ReadFile(dir_ / "out.txt");
  const std::string zero = Log(0);
  EXPECT_NE(zero.find("Processing failed on the Slave side for Case: 2 "), std::string::npos) << zero;
  EXPECT_NE(zero.find("Cases in the list: 4; written: 3; failed: 1; never dispatched: 0; not run after the stop: 0.\n"
                      "Failed cases: 2.\n"),
            std::string::npos)
      << zero;
  EXPECT_NE(AllWorkerLogs(2).find("Case 2 failed: an exception ended its solve or output: std::bad_alloc"),
            std::string::npos);

  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2((dir_ / "Results.Mdb").c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT group_concat(CaseID) FROM (SELECT CaseID FROM PrCase ORDER BY CaseID)", -1,
                               &stmt, nullptr),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), "1,3,4");
  sqlite3_finalize(stmt);
  sqlite3_close(db);
}

}  // namespace
