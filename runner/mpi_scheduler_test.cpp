// End-to-end runs of the scheduler under mpiexec, each under a hard timeout.
#include <gtest/gtest.h>
#include <mpi.h>

#include "runner/case_data.h"
#include "runner/mpi_run_fixture.h"
#include "runner/runner_messages.h"

namespace {

std::string Lines(const std::string& name, int from, int to) {
  std::string out;
  for (int c = from; c <= to; ++c) out += std::to_string(c) + " " + name + " 0 0 x 0\n";
  return out;
}

// The last line of a log.
std::string LastLine(const std::string& log) {
  const size_t end = log.find_last_not_of('\n');
  if (end == std::string::npos) return "";
  const size_t start = log.rfind('\n', end);
  return log.substr(start == std::string::npos ? 0 : start + 1, end - (start == std::string::npos ? 0 : start + 1) + 1);
}

TEST_F(MpiRun, EveryCaseRetiredOnce) {
  CaseList(Lines("A", 1, 5) + Lines("B", 6, 7) + Lines("C", 8, 30));
  ASSERT_EQ(Run("ostrel_case_responder", 4), 0) << ReadFile(dir_ / "out.txt");
  const Received r = ReadReceived(3);
  EXPECT_EQ(r.cases.size(), 30u);
  for (const auto& [c, n] : r.cases) EXPECT_EQ(n, 1) << "case " << c;
  // Every stop record carries the send counter: the number of case requests.
  EXPECT_EQ(r.stopTags, (std::vector<int>{30, 30, 30}));
  const std::string zero = Log(0);
  EXPECT_NE(zero.find("Total parallel solution time"), std::string::npos);
  EXPECT_NE(zero.find("After Calling MPI_Finalize() on Rank 0"), std::string::npos);
  // A clean run's account is short, on the terminal as in the log.
  const std::string account = "Cases in the list: 30; solved: 30; failed: 0; not run: 0.\n"
                              "Exit status 0: every case in the list was solved.\n";
  EXPECT_EQ(AccountOf(zero), account) << zero;
  EXPECT_EQ(ReadFile(dir_ / "out.txt"), account);
}

// A failed case costs only itself: its worker takes the next case, and every other case is solved, however the
// failed cases fall on the workers.
TEST_F(MpiRun, AFailedCaseCostsOnlyItself) {
  CaseList(Lines("A", 1, 12));
  ASSERT_EQ(Run("ostrel_case_responder", 4, "OSTREL_RESPONDER=fail=1,fail=5,fail=9,delay=5"), 1)
      << ReadFile(dir_ / "out.txt");
  const Received r = ReadReceived(3);
  EXPECT_EQ(r.cases.size(), 12u);
  for (const auto& [c, n] : r.cases) EXPECT_EQ(n, 1) << "case " << c;
  const std::string zero = Log(0);
  for (int c : {1, 5, 9})
    EXPECT_NE(zero.find("Processing failed on the Slave side for Case: " + std::to_string(c) + " "), std::string::npos);
  EXPECT_NE(zero.find("Case 5 failed on Processor "), std::string::npos) << zero;
  const std::string account = AccountOf(zero);
  EXPECT_EQ(account.rfind("Cases in the list: 12; solved: 9; failed: 3; not run: 0.\n"
                          "Failed: 1, 5, 9: the responder was told to fail it\n",
                          0),
            0u)
      << zero;
  EXPECT_NE(ReadFile(dir_ / "out.txt").find(account), std::string::npos);
}

// A worker whose cases fail three times in a row takes no more: the account says so, and its other cases go to
// the other workers, or are not run when none is left. The failing worker answers its three cases before the
// others answer their first, so it is sure to fail three in a row.
TEST_F(MpiRun, AWorkerStopsAfterThreeFailuresInARow) {
  struct Scenario {
    int processes;
    const char* account;
  } scenarios[] = {
      {4, "Cases in the list: 12; solved: 9; failed: 3; not run: 0.\n"},
      {2, "Cases in the list: 12; solved: 0; failed: 3; not run: 9.\n"},
  };
  for (const Scenario& s : scenarios) {
    SCOPED_TRACE(s.processes);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    CaseList(Lines("A", 1, 12));
    const int rc = Run("ostrel_case_responder", s.processes, "OSTREL_RESPONDER=failrank=1");
    ASSERT_NE(rc, 124) << "the job hung";
    EXPECT_EQ(rc, 1) << ReadFile(dir_ / "out.txt");
    const int workers = s.processes - 1;
    const Received r = ReadReceived(workers);
    for (const auto& [c, n] : r.cases) EXPECT_EQ(n, 1) << "case " << c;
    EXPECT_EQ(CountOf(ReadFile(dir_ / "received1.txt"), " A\n"), 3) << "the failing worker got three cases";
    const std::string zero = Log(0);
    EXPECT_NE(zero.find("Processor 1 takes no more cases: its last 3 cases failed."), std::string::npos) << zero;
    const std::string account = AccountOf(zero);
    EXPECT_EQ(account.rfind(s.account, 0), 0u) << account;
    EXPECT_NE(account.find("\nProcessor 1 took no more cases after 3 failed cases in a row.\n"), std::string::npos)
        << account;
    if (workers == 1) {
      EXPECT_NE(account.find("\nNot run: 4, 5, 6, 7, 8, 9, 10, 11, 12: no worker was left to run them.\n"),
                std::string::npos)
          << account;
    }
  }
}

TEST_F(MpiRun, UserStopWithBusyWorkers) {
  CaseList(Lines("A", 1, 40));
  ASSERT_EQ(Run("ostrel_case_responder", 4, "OSTREL_RESPONDER=userstop=2,delay=30"), 1)
      << ReadFile(dir_ / "out.txt");
  const std::string zero = Log(0);
  const size_t stopAt = zero.find("User stopped in VORN message received in Rank 0 from Rank: 2");
  ASSERT_NE(stopAt, std::string::npos) << zero;
  // No case goes out after the stop, however far the busy workers got before it.
  EXPECT_EQ(zero.find("SetCaseData in RankZeroWaitLoop", stopAt), std::string::npos) << zero;
  const Received r = ReadReceived(3);
  EXPECT_EQ(static_cast<int>(r.cases.size()), CountOf(zero, "SetCaseData in ")) << zero;
  // Every case not answered as done is named: case 2 was stopped, the rest never went out.
  const int solved = static_cast<int>(r.cases.size()) - 1;
  EXPECT_NE(zero.find(FormatText("Cases in the list: 40; solved: %d; failed: 0; not run: %d.\nNot run: 2, ", solved,
                                 40 - solved)),
            std::string::npos)
      << zero;
  EXPECT_NE(zero.find(": the user stopped the run.\nExit status 1: the user stopped the run; not every case in the list "
                      "was solved.\n"),
            std::string::npos)
      << zero;
}

// How a run ends: rank zero's last lines and the job's exit status, also when
// the run cannot start. Said on the terminal once where the user must act.
TEST_F(MpiRun, HowARunEnds) {
  struct Ending {
    const char* name;
    const char* program;
    const char* list;  // null: no case list file
    int processes;
    const char* args;  // log level and the rest
    int exitStatus;
    std::vector<std::string> zeroLines;  // expected in rank zero's log, in this order
    const char* terminal;                // expected once on the terminal, or null
    bool listIsFolder = false;           // the case list's name is a folder
  } endings[] = {
      {"empty list", "ostrel_case_responder", "", 3, "2", 0,
       {"Cases in the list: 0; solved: 0;", "Exit status 0: every case in the list was solved."}, nullptr},
      {"log level 0", "ostrel_case_responder", "1 A\n2 A\n", 3, "0", 0,
       {"Cases in the list: 2; solved: 2; failed: 0; not run: 0.", "Exit status 0: every case in the list was solved."},
       nullptr},
      {"log level out of range", "ostrel_case_responder", "1 A\n2 A\n", 3, "7", 0,
       {"The log level \"7\" is not 0, 1, 2 or 3: the logs are written at level 0 (only what is always written).",
        "Exit status 0: every case in the list was solved."},
       "The log level \"7\" is not 0, 1, 2 or 3"},
      {"blank line in the middle", "ostrel_case_responder", "1 A\n2 A\n3 A\n\n4 A\n5 A\n", 3, "0", 1,
       {"Case list line 4 is empty: the list ends there; 2 lines after it were not read.",
        "Cases in the list: 3; solved: 3;",
        "Case list lines refused: 0; repeating a case with other words: 0; after the end of the list, not read: 2.",
        "Exit status 1: not every case in the list was solved."},
       nullptr},
      // A repeat under another solver file is a line never run; a repeat of the same line is not.
      {"repeated cases", "ostrel_case_responder", "1 A\n2 A\n1 B\n2 A\n", 3, "0", 1,
       {"Case list line 3 repeats case 1 of line 1 with other words: the case is run once, as line 1 gives it, and "
        "this line is not run.",
        "Case list line 4 repeats case 2 of line 2: the case is run once.", "Cases in the list: 2; solved: 2;",
        "Case list lines refused: 0; repeating a case with other words: 1;", "Exit status 1"},
       nullptr},
      {"numbers that do not fit", "ostrel_case_responder", "4294967297 A\n2 A\n", 3, "0", 1,
       {"Case list line 1 has a number that does not fit 32 bits and was skipped: 4294967297 A",
        "Case list lines refused: 1;", "Exit status 1"},
       nullptr},
      {"one process", "ostrel", "1 A\n2 A\n3 A\n", 1, "2", 2,
       {"There is no worker process to run the 3 cases: start the job with at least 2 processes.",
        "Not run: 1, 2, 3: the run could not start.", "Exit status 2: the run could not start."},
       "There is no worker process to run the 3 cases: start the job with at least 2 processes."},
      {"no case list", "ostrel", nullptr, 3, "2", 2,
       {"Unable to open Case Strev Pair File: ", "CreateStrevTree function failed.",
        "Exit status 2: the run could not start."},
       "cases.txt cannot be read: No such file or directory"},
      {"case list is a folder", "ostrel", nullptr, 3, "2", 2,
       {"Unable to open Case Strev Pair File: ", "CreateStrevTree function failed.",
        "Exit status 2: the run could not start."},
       "cases.txt cannot be read: Is a directory", true},
  };
  for (const Ending& e : endings) {
    SCOPED_TRACE(e.name);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    if (e.list) CaseList(std::string(e.list));
    if (e.listIsFolder) fs::create_directories(dir_ / "cases.txt");
    const std::string args =
        std::string(e.args) + (std::string(e.program) == "ostrel" ? " 0 127.0.0.1 " + std::to_string(DeadPortNumber()) : "");
    const int rc = Run(e.program, e.processes, "", args);
    ASSERT_NE(rc, 124) << "the job hung";
    EXPECT_EQ(rc, e.exitStatus) << ReadFile(dir_ / "out.txt");
    const std::string zero = Log(0);
    size_t at = 0;
    for (const std::string& line : e.zeroLines) {
      at = zero.find(line, at);
      ASSERT_NE(at, std::string::npos) << line << "\n" << zero;
    }
    EXPECT_EQ(LastLine(zero).rfind("Exit status " + std::to_string(e.exitStatus) + ": ", 0), 0u) << zero;
    // The terminal says what the user must know once, and ends with the account.
    const std::string terminal = ReadFile(dir_ / "out.txt");
    if (e.terminal) {
      EXPECT_EQ(CountOf(terminal, e.terminal), 1) << terminal;
    }
    EXPECT_EQ(CountOf(terminal, LastLine(zero) + "\n"), 1) << terminal;
    if (zero.find("Cases in the list:") != std::string::npos) {
      EXPECT_NE(terminal.find(AccountOf(zero)), std::string::npos) << terminal;
    }
    // Every process ends in order: the workers got their stop record.
    for (int w = 1; w < e.processes && std::string(e.program) != "ostrel"; ++w) {
      EXPECT_NE(ReadFile(dir_ / ("received" + std::to_string(w) + ".txt")).find(" -1 -1 -1 -1 0"), std::string::npos);
    }
  }
}

TEST_F(MpiRun, EmptyCaseListUnknownLocale) {
  CaseList("");
  ASSERT_EQ(Run("ostrel", 3, "LANG=xx_YY.UTF-8 LC_ALL=xx_YY.UTF-8", Link()), 0) << ReadFile(dir_ / "out.txt");
  EXPECT_EQ(LastLine(Log(0)), "Exit status 0: every case in the list was solved.");
  for (int rank = 0; rank < 3; ++rank) {
    EXPECT_NE(Log(rank).find("Total parallel solution time"), std::string::npos) << rank;
    EXPECT_NE(Log(rank).find("After Calling MPI_Finalize() on Rank " + std::to_string(rank)), std::string::npos);
  }
  EXPECT_NE(Log(1).find("Breaking out on processor 1"), std::string::npos);
}

// Without arguments the usage explains each one on standard output; with too few it goes to standard error.
TEST_F(MpiRun, TooFewArguments) {
  const std::string bin = std::string(OSTREL_BINARY_DIR) + "/runner/ostrel";
  for (const std::string& args : {std::string(), " x " + dir_.string()}) {
    const std::string cmd = "timeout 30 " + bin + args + " > " + (dir_ / "out.txt").string() + " 2> " +
                            (dir_ / "err.txt").string();
    const int rc = std::system(cmd.c_str());
    EXPECT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) == 2);  // the run could not start
    const std::string usage = ReadFile(dir_ / (args.empty() ? "out.txt" : "err.txt"));
    EXPECT_EQ(usage.rfind("usage: mpiexec -n N ", 0), 0u) << usage;
    for (const char* argument : {"ARG1", "RUNDIR", "CASELIST", "LOGLEVEL", "ARG5", "HOST", "PORT", "ARG8", "ARG9"})
      EXPECT_EQ(CountLinesStartingWith(usage, std::string("  ") + argument + " "), 1) << argument;
    EXPECT_NE(usage.find("128 + N stopped by signal N"), std::string::npos);
  }
}

// The record's datatype through a self-send: names up to 983 characters arrive
// whole, longer ones as their first 984; the integers travel as bytes.
TEST(MpiCaseData, DatatypeCarriesTheFirst1008Bytes) {
  int initialised = 0;
  MPI_Initialized(&initialised);
  if (!initialised) MPI_Init(nullptr, nullptr);
  MPI_Datatype type = CreateCaseDataType();
  for (size_t length : {983u, 984u, 999u}) {
    CCaseData out;
    InitCaseData(out);
    out.m_nCaseNumber = 42;
    out.m_nLoadSolCase = -7;
    out.m_nListValue4 = 0x01020304;
    out.m_nListValue6 = -123456;
    out.m_nLoadSolCaseUsed = 9;
    SetStrevFileName(out, std::string(length, 'n'));
    CCaseData in;
    InitCaseData(in);
    MPI_Sendrecv(&out, 1, type, 0, 5, &in, 1, type, 0, 5, MPI_COMM_SELF, MPI_STATUS_IGNORE);
    TerminateStrevFileName(in);
    EXPECT_EQ(in.m_nCaseNumber, 42);
    EXPECT_EQ(in.m_nLoadSolCase, -7);
    EXPECT_EQ(in.m_nListValue4, 0x01020304);
    EXPECT_EQ(in.m_nListValue6, -123456);
    EXPECT_EQ(in.m_nLoadSolCaseUsed, 9);
    EXPECT_EQ(std::string(in.m_szStrevFileName).size(), std::min<size_t>(length, 984)) << length;
  }
  MPI_Type_free(&type);
  // No other test of this process uses MPI in-process.
  if (!initialised) MPI_Finalize();
}

}  // namespace
