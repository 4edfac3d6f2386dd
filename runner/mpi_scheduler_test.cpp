// End-to-end runs of the scheduler under mpiexec, each under a hard timeout.
#include <gtest/gtest.h>
#include <mpi.h>

#include "runner/case_data.h"
#include "runner/mpi_run_fixture.h"

namespace {

std::string Lines(const std::string& name, int from, int to) {
  std::string out;
  for (int c = from; c <= to; ++c) out += std::to_string(c) + " " + name + " 0 0 x 0\n";
  return out;
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
  EXPECT_EQ(zero.find("never dispatched"), std::string::npos);
}

TEST_F(MpiRun, FailedAndLeavingWorkersDoNotStrandCases) {
  CaseList(Lines("A", 1, 12));
  ASSERT_EQ(Run("ostrel_case_responder", 4, "OSTREL_RESPONDER=fail=1,leave=2,delay=5"), 0)
      << ReadFile(dir_ / "out.txt");
  const Received r = ReadReceived(3);
  EXPECT_EQ(r.cases.size(), 12u);
  for (const auto& [c, n] : r.cases) EXPECT_EQ(n, 1) << "case " << c;
  const std::string zero = Log(0);
  EXPECT_NE(zero.find("Processing failed on the Slave side for Case: 1 on Processor: 1"), std::string::npos);
  EXPECT_NE(zero.find("Processing failed on the Slave side for Case: 2 on Processor: 2"), std::string::npos);
}

TEST_F(MpiRun, UserStopWithBusyWorkers) {
  CaseList(Lines("A", 1, 40));
  ASSERT_EQ(Run("ostrel_case_responder", 4, "OSTREL_RESPONDER=userstop=2,delay=30"), 0)
      << ReadFile(dir_ / "out.txt");
  const std::string zero = Log(0);
  EXPECT_NE(zero.find("User stopped in VORN message received in Rank 0 from Rank: 2"), std::string::npos);
  const Received r = ReadReceived(3);
  EXPECT_LT(r.cases.size(), 10u);
  EXPECT_EQ(zero.find("never dispatched"), std::string::npos);
}

TEST_F(MpiRun, SingleProcessEndsAtOnce) {
  CaseList(Lines("A", 1, 3));
  ASSERT_EQ(Run("ostrel_case_responder", 1), 0) << ReadFile(dir_ / "out.txt");
  EXPECT_NE(Log(0).find("Wait index undefined on :"), std::string::npos);
}

TEST_F(MpiRun, MissingCaseListEndsTheJob) {
  const int rc = Run("ostrel", 3, "", Link());
  EXPECT_NE(rc, 0);
  EXPECT_NE(rc, 124) << "the job hung";
  const std::string zero = Log(0);
  EXPECT_NE(zero.find("Unable to open Case Strev Pair File: " + (dir_ / "cases.txt").string()), std::string::npos);
  EXPECT_NE(zero.find("CreateStrevTree function failed."), std::string::npos);
}

TEST_F(MpiRun, EmptyCaseListUnknownLocale) {
  CaseList("");
  ASSERT_EQ(Run("ostrel", 3, "LANG=xx_YY.UTF-8 LC_ALL=xx_YY.UTF-8", Link()), 0) << ReadFile(dir_ / "out.txt");
  for (int rank = 0; rank < 3; ++rank) {
    EXPECT_NE(Log(rank).find("Total parallel solution time"), std::string::npos) << rank;
    EXPECT_NE(Log(rank).find("After Calling MPI_Finalize() on Rank " + std::to_string(rank)), std::string::npos);
  }
  EXPECT_NE(Log(1).find("Breaking out on processor 1"), std::string::npos);
}

TEST_F(MpiRun, TooFewArguments) {
  const std::string bin = std::string(OSTREL_BINARY_DIR) + "/runner/ostrel";
  const std::string cmd = "timeout 30 " + bin + " x " + dir_.string() + " > " + (dir_ / "out.txt").string() + " 2>&1";
  const int rc = std::system(cmd.c_str());
  EXPECT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) != 0);
  EXPECT_NE(ReadFile(dir_ / "out.txt").find("usage: "), std::string::npos);
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
