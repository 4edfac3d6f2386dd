// The runner end to end: the stand-in solver on every worker, the test
// console as the main application, each job under a hard timeout.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <regex>
#include <thread>
#include <vector>

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
    const std::regex pattern("worker \\d+ case " + std::to_string(caseNumber) + " status (.+) value \\S+ text (.*)");
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
    EXPECT_EQ(lines[0], "progress Solving Case " + std::to_string(c) + lines[0].substr(lines[0].find(" on Processor")));
    EXPECT_EQ(lines[1], "Optimal Case " + std::to_string(c) + " solved by the stand-in solver");
  }
  EXPECT_EQ(CountOf(out, " EOF"), 3);
  // The console names the values: a progress message carries none.
  EXPECT_NE(out.find(" status progress value none text Solving Case 1 on Processor "), std::string::npos) << out;
  EXPECT_NE(out.find(" case 1 status Optimal value 1001 text "), std::string::npos) << out;
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
  ASSERT_TRUE(std::regex_search(zero, m, std::regex("Cases in the list: 30; solved: (\\d+); failed: 0; not run: (\\d+)\\.\n")))
      << zero;
  EXPECT_EQ(std::stoi(m[1]) + std::stoi(m[2]), 30);
  EXPECT_NE(zero.find(": the user stopped the run.\n"), std::string::npos);
  // The terminal shows the account of the stopped run.
  EXPECT_NE(ReadFile(dir_ / "out.txt").find(AccountOf(zero)), std::string::npos) << ReadFile(dir_ / "out.txt");
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
  // Said once on the terminal, and the run goes on.
  EXPECT_EQ(CountLinesStartingWith(ReadFile(dir_ / "out.txt"), "No desktop application answers at 127.0.0.1 port "), 1)
      << ReadFile(dir_ / "out.txt");
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

// A failure on one worker: the worker answers its case as failed with its
// cause, and every other case is solved.
TEST_F(MpiWorker, FailuresLeaveTheRestToOthers) {
  struct Scenario {
    const char* outcomes;
    const char* workerLog;  // expected in some worker's log
    int failedCase;
    int solvedLines;  // "Solved Case" lines: a case without report was solved but not output
    const char* terminal;  // a line said once on the terminal, or null
    const char* cause = "";  // of the failed case, in the account
  } scenarios[] = {
      {"3 fail\n", "Stand-in solver: case 3 failed", 3, 7, nullptr, "the case solver could not solve it"},
      {"3 fail=-2\n", "Case 3 failed: the case solver could not solve it", 3, 7, nullptr,
       "the case solver could not solve it"},
      {"3 noreport\n", "GetObjectAsBYTEArray method returned -1 for Case 3", 3, 8, nullptr,
       "the case solver gave no report of it"},
      {"3 reportsize=-5\n", "GetObjectAsBYTEArray method returned -1 for Case 3", 3, 8, nullptr,
       "the case solver gave no report of it"},
      {"rank=2 createfail\n", "The case solver could not be created on rank 2.", -1, 7, "The case solver of "},
      // A solver that throws: the case alone fails, under the number rank zero sent.
      {"3 throw\n", "Case 3 failed: an exception ended its solve or output: Stand-in solver: case 3 threw", 3, 7,
       nullptr, "an exception ended its solve or output: Stand-in solver: case 3 threw"},
      {"3 throw=alloc\n", "Case 3 failed: an exception ended its solve or output: std::bad_alloc", 3, 7, nullptr,
       "an exception ended its solve or output: std::bad_alloc"},
      {"3 throw=other\n", "Case 3 failed: an exception ended its solve or output: an exception of unknown type", 3, 7,
       nullptr, "an exception ended its solve or output: an exception of unknown type"},
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
      EXPECT_NE(zero.find("\nFailed: " + std::to_string(s.failedCase) + ": " + s.cause + "\n"), std::string::npos)
          << zero;
    }
    EXPECT_NE(zero.find("Cases in the list: 8; solved: 7; failed: 1; not run: 0."), std::string::npos)
        << s.outcomes << zero;
    const std::string terminal = ReadFile(dir_ / "out.txt");
    EXPECT_NE(terminal.find(AccountOf(zero)), std::string::npos) << terminal;
    if (s.terminal) {
      EXPECT_EQ(CountLinesStartingWith(terminal, s.terminal), 1) << terminal;
      EXPECT_NE(zero.find("Processor 2 could not start: "), std::string::npos);
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
  EXPECT_EQ(two[1], "progress Cannot find LOADSOL solution file Solution_1.Fil. Using PGUESS.");
  const auto three = CaseLines(out, 3);
  ASSERT_EQ(three.size(), 3u) << out;
  EXPECT_EQ(three[1],
            "progress Cannot find LOADSOL solution file Solution_1.Fil. Using file Solution_2.Fil from Execution dialog.");
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
    // The cause once on a line of its own, then in the account.
    const std::string out = ReadFile(dir_ / "out.txt");
    EXPECT_EQ(CountLinesStartingWith(out, terminal), 1) << out;
    const std::string zero = Log(0);
    EXPECT_EQ(CountLinesStartingWith(zero, "Processor 1 could not start: " + terminal), 1) << zero;
    EXPECT_EQ(CountLinesStartingWith(zero, "Processor 2 could not start: " + terminal), 1) << zero;
    const std::string account = AccountOf(zero);
    const std::string cause = terminal.substr(0, terminal.find_last_not_of('\n') + 1);
    EXPECT_EQ(account.rfind("Cases in the list: 4; ", 0), 0u) << zero;
    EXPECT_NE(account.find("; failed: 2; not run: 2.\nFailed: 1, 2: " + cause), std::string::npos) << account;
    EXPECT_NE(account.find("\nNot run: 3, 4: no worker was left to run them.\nProcessors 1, 2 could not start: " +
                           cause),
              std::string::npos)
        << account;
    EXPECT_NE(account.find("\nExit status 2: the run could not start.\n"), std::string::npos) << account;
    EXPECT_NE(out.find(account), std::string::npos) << out;
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
  EXPECT_NE(zero.find("Cases in the list: 4; written: 3; failed: 1; not run: 0.\n"
                      "Failed: 2: an exception ended its solve or output: std::bad_alloc\n"),
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

class MpiWorkerResults : public MpiWorker {
 protected:
  // A run directory that is also the model's directory, with cases 1..count in the list and the case set.
  void MakeCaseSet(int count, const std::string& outcomes) {
    CaseList(Cases("A", 1, count));
    Outcomes(outcomes);
    solution_file_testing::Writer solution(false, 9);
    solution.rows = {{"OBJFN", 2, 12.0}};
    solution.Save((dir_ / "Solution.Fil").string());
    std::vector<ExportConfigFixture::Case> cases;
    for (int c = 1; c <= count; ++c) cases.push_back({c, "case " + std::to_string(c), {}});
    ExportConfigFixture config = ResultsConfig(cases);
    ASSERT_TRUE(config.WriteModel());
    ASSERT_TRUE(config.WriteConfig((dir_ / "VornDbExportData.xml").string()));
  }
  fs::path Database() const { return dir_ / "Results.Mdb"; }
  std::string Terminal() const { return ReadFile(dir_ / "out.txt"); }

  // Holds the results file as another program would: a new file, locked for writing.
  sqlite3* LockResultsFile() const {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(Database().c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, "PRAGMA journal_mode=WAL; CREATE TABLE Outside (a INTEGER); BEGIN EXCLUSIVE;", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    return db;
  }
  // Waits, at most a minute, until the terminal shows text; whether it did.
  bool WaitForTerminal(const std::string& text) const {
    for (int i = 0; i < 1200; ++i) {
      if (Terminal().find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }
};

constexpr const char* kWaitLine = " waits for the results database ";

// The processes whose parent is pid.
std::vector<pid_t> ChildrenOf(pid_t pid) {
  std::vector<pid_t> children;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    // "pid (command) state ppid ...": the command may hold blanks, so read after its closing parenthesis.
    const std::string stat = ReadFile(entry.path() / "stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(stat.substr(close + 1));
    std::string state;
    pid_t parent = -1;
    rest >> state >> parent;
    if (parent == pid) children.push_back(static_cast<pid_t>(std::stol(name)));
  }
  return children;
}

// Three cases that fail each in its own way (the solve, a damaged report, an exception) cost only themselves:
// the 17 others are written, the account names each failure's cause and the infeasible case, the terminal
// shows progress while the run goes on, and the run ends 1.
TEST_F(MpiWorkerResults, ThreeFailedCasesCostOnlyThemselves) {
  MakeCaseSet(20, "* time=0.05\n4 fail\n5 badreport\n6 throw\n7 status=5\n");
  const int rc = Run("ostrel", 4, "OSTREL_PROGRESS_SECONDS=0.1", Link());
  ASSERT_NE(rc, 124) << "the job hung";
  EXPECT_EQ(rc, 1) << Terminal();
  EXPECT_EQ(Query(Database(), "SELECT group_concat(CaseID) FROM (SELECT CaseID FROM PrCase ORDER BY CaseID)"),
            "1,2,3,7,8,9,10,11,12,13,14,15,16,17,18,19,20\n");

  const std::string account = AccountOf(Log(0));
  EXPECT_TRUE(std::regex_search(account, std::regex("^Cases in the list: 20; written: 17; failed: 3; not run: 0\\.\n"
                                                    "Failed: 4: the case solver could not solve it\n"
                                                    "Failed: 5: its report \\(\\d+ bytes\\) holds no status object\n"
                                                    "Failed: 6: an exception ended its solve or output: Stand-in "
                                                    "solver: case 6 threw\n")))
      << account;
  EXPECT_NE(account.find("\nNot optimal: Infeasible: 7.\nResults database: " + Database().string() +
                         "\nExit status 1: not every case in the list was written.\n"),
            std::string::npos)
      << account;
  const std::string terminal = Terminal();
  EXPECT_NE(terminal.find(account), std::string::npos) << terminal;

  // Progress lines while the run goes on: one line each, nothing that moves a cursor.
  const std::regex progress("Progress: \\d+ of 20 cases done, written: \\d+, failed: \\d+; (time left not known yet|"
                            "\\d+\\.\\d\\d cases/s, about \\d+ (s|min) left)\\.");
  int progressLines = 0;
  std::istringstream lines(terminal);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("Progress:", 0) != 0) continue;
    ++progressLines;
    EXPECT_TRUE(std::regex_match(line, progress)) << line;
  }
  EXPECT_GE(progressLines, 1) << terminal;
  EXPECT_EQ(terminal.find_first_of("\r\x1b"), std::string::npos);
}

// A case whose write fails finishes the rest of its work: its status file says it failed, and the solver's
// files of the case are removed; the next case is written.
TEST_F(MpiWorkerResults, AFailedWriteFinishesTheCase) {
  MakeCaseSet(2, "* statusfile=Status%d.xml\n");
  // Each case's solver leaves its solution file in the model's directory.
  for (int c : {1, 2}) {
    fs::create_directories(dir_ / "SolverOutput" / std::to_string(c));
    solution_file_testing::Writer solution(false, 9);
    solution.rows = {{"OBJFN", 2, 10.0 + c}};
    solution.Save((dir_ / "SolverOutput" / std::to_string(c) / ("Solution_" + std::to_string(c) + ".Fil")).string());
  }
  // The worker's 30th write step fails, inside its first case.
  const std::string env = "OSTREL_SQLITE_FAIL_AT=30 OSTREL_SQLITE_FAIL_RANK=1 LD_PRELOAD=" +
                          std::string(OSTREL_BINARY_DIR) + "/platform/libsqlite_fault_preload.so";
  const int rc = Run("ostrel", 2, env, "3 0 127.0.0.1 " + std::to_string(DeadPortNumber()));
  ASSERT_NE(rc, 124) << "the job hung";
  EXPECT_EQ(rc, 1) << Terminal();
  EXPECT_EQ(Query(Database(), "SELECT CaseID FROM PrCase"), "2\n");
  EXPECT_NE(Log(1).find("Case 1 failed: its results were not written to the results database: "), std::string::npos)
      << Log(1);
  EXPECT_EQ(CountOf(Log(1), "SQL Server: Cleanup completed"), 2);
  for (int c : {1, 2}) EXPECT_FALSE(fs::exists(dir_ / ("Solution_" + std::to_string(c) + ".Fil"))) << c;
  EXPECT_NE(ReadFile(dir_ / "Status1.xml").find("<case id = \"1\">"), std::string::npos);
  EXPECT_NE(ReadFile(dir_ / "Status1.xml").find("<solutionStatus> -1 </solutionStatus>"), std::string::npos)
      << ReadFile(dir_ / "Status1.xml");
  EXPECT_NE(ReadFile(dir_ / "Status2.xml").find("<solutionStatus> 0 </solutionStatus>"), std::string::npos);
  EXPECT_NE(AccountOf(Log(0)).find("\nFailed: 1: its results were not written to the results database: "),
            std::string::npos)
      << Log(0);
}

// Another program holding the results file is waited out: the wait is said on the terminal and in the log,
// and once the program lets go (only after the line is seen) every case is written.
TEST_F(MpiWorkerResults, AnOutsideLockIsWaitedOut) {
  MakeCaseSet(4, "* time=0.01\n");
  sqlite3* outside = LockResultsFile();
  int rc = -1;
  std::thread job([&] { rc = Run("ostrel", 3, "OSTREL_LOCK_NOTICE_SECONDS=1", Link()); });
  const bool said = WaitForTerminal(kWaitLine);
  sqlite3_exec(outside, "COMMIT;", nullptr, nullptr, nullptr);
  sqlite3_close(outside);
  job.join();
  EXPECT_TRUE(said) << Terminal();
  EXPECT_EQ(rc, 0) << Terminal();
  EXPECT_EQ(Query(Database(), "SELECT group_concat(CaseID) FROM (SELECT CaseID FROM PrCase ORDER BY CaseID)"),
            "1,2,3,4\n");
  EXPECT_NE(AllWorkerLogs(2).find(kWaitLine), std::string::npos);
  EXPECT_TRUE(std::regex_search(Terminal(), std::regex("\nCase \\d on Processor \\d waits for the results database " +
                                                       Database().string() +
                                                       ": another program holds it locked \\(\\d+ s so far\\)\\.")))
      << Terminal();
}

// Ctrl-C while a case waits for another program's lock: the wait ends, no case is written and every one is
// named not run, on the terminal as in the log, and the job ends with 128 + SIGINT.
TEST_F(MpiWorkerResults, AStopSignalEndsTheWaitAndTheRun) {
  MakeCaseSet(4, "* time=0.01\n");
  sqlite3* outside = LockResultsFile();
  // The job under a hard timeout, which passes the signal on to mpiexec.
  const std::string bin = std::string(OSTREL_BINARY_DIR) + "/runner/ostrel";
  std::vector<std::string> args = {"/usr/bin/timeout", "-k", "5", "60", kMpiexec, "-n", "3", bin, "x",
                                    dir_.string(), "cases.txt", "2", "0", "127.0.0.1", std::to_string(DeadPortNumber())};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env = {"OSTREL_LOCK_NOTICE_SECONDS=1"};
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, (dir_ / "out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = -1;
  ASSERT_EQ(posix_spawn(&pid, args[0].c_str(), &actions, nullptr, argv.data(), envp.data()), 0);
  posix_spawn_file_actions_destroy(&actions);

  const bool said = WaitForTerminal(kWaitLine);
  // Ctrl-C reaches every process of the job, as from a terminal. It goes to the ranks themselves (under
  // timeout, mpiexec and its proxy): mpiexec interrupted itself may end 0 whatever its processes ended with.
  std::vector<pid_t> ranks;
  for (const pid_t mpiexec : ChildrenOf(pid))
    for (const pid_t proxy : ChildrenOf(mpiexec))
      for (const pid_t rank : ChildrenOf(proxy)) ranks.push_back(rank);
  EXPECT_EQ(ranks.size(), 3u);
  for (const pid_t rank : ranks) ::kill(rank, SIGINT);
  int status = 0;
  ::waitpid(pid, &status, 0);
  sqlite3_exec(outside, "COMMIT;", nullptr, nullptr, nullptr);
  sqlite3_close(outside);
  EXPECT_TRUE(said) << Terminal();
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 128 + SIGINT) << Terminal();

  const std::string account = AccountOf(Log(0));
  EXPECT_EQ(account.rfind("Cases in the list: 4; written: 0; failed: 0; not run: 4.\n"
                          "Not run: 1, 2, 3, 4: the run was stopped by SIGINT.\n",
                          0),
            0u)
      << account;
  EXPECT_NE(account.find("\nExit status 130: the run was stopped by SIGINT; not every case in the list was written.\n"),
            std::string::npos)
      << account;
  EXPECT_NE(Terminal().find(account), std::string::npos) << Terminal();
  EXPECT_EQ(Query(Database(), "SELECT count(*) FROM sqlite_master WHERE name = 'PrCase'"), "0\n");
}

// The desktop application's host may be a name: it is looked up; a name that cannot be found is said once and
// the run goes on without the link.
TEST_F(MpiWorker, HostNamesAreLookedUp) {
  CaseList(Cases("A", 1, 4));
  {
    ConsoleProcess console(dir_, {"--workers", "2"});
    ASSERT_GT(console.Port(), 0);
    ASSERT_EQ(Run("ostrel", 3, "", "2 0 localhost " + std::to_string(console.Port())), 0) << ReadFile(dir_ / "out.txt");
    EXPECT_EQ(console.Wait(), 0);
    for (int c = 1; c <= 4; ++c) EXPECT_EQ(CaseLines(console.Output(), c).size(), 2u) << c;
  }
  ASSERT_EQ(Run("ostrel", 3, "", "2 0 no-such-host.invalid 1"), 0) << ReadFile(dir_ / "out.txt");
  const std::string terminal = ReadFile(dir_ / "out.txt");
  EXPECT_EQ(CountLinesStartingWith(terminal, "The host of the desktop application \"no-such-host.invalid\" is not a "
                                             "dotted address and cannot be found ("),
            1)
      << terminal;
  EXPECT_EQ(terminal.find("No desktop application answers"), std::string::npos) << terminal;
  EXPECT_EQ(CountOf(AllWorkerLogs(2), "******* Solved Case"), 4);
}

}  // namespace
