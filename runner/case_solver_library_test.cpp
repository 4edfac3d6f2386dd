#include "runner/case_solver_library.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include <unistd.h>

#include "runner/case_data.h"
#include "standins/nimbo_parallel_solve_data.h"

namespace {

namespace fs = std::filesystem;

TEST(CaseSolverLibraryTest, MissingOrForeignLibraryIsAnError) {
  CCaseSolverLibrary missing;
  EXPECT_FALSE(missing.Load("/nonexistent/libpalvane.so"));
  EXPECT_NE(missing.GetError().find("Cannot load the case-solver library /nonexistent/libpalvane.so"),
            std::string::npos);
  CCaseSolverLibrary foreign;
  EXPECT_FALSE(foreign.Load("libm.so.6"));
  EXPECT_NE(foreign.GetError().find("has no entry point CreatePalvane"), std::string::npos);
  EXPECT_EQ(foreign.SolveCase, nullptr);
}

// The stand-in solver through its C interface, as the worker calls it.
TEST(CaseSolverLibraryTest, StandInPlaysBackOutcomes) {
  const fs::path dir = fs::temp_directory_path() / ("ostrel_solver_" + std::to_string(::getpid()));
  fs::create_directories(dir / "SolverOutput" / "2");
  std::ofstream(dir / "SolverOutcomes.txt") << "# test\n* status=3\n1 objective=7.5 statusfile=S%d.xml solutionid=44\n"
                                               "2 loadsol=0\n3 fail\n4 fail=-7\n5 noreport\nrank=9 createfail\n";
  std::ofstream(dir / "SolverOutput" / "2" / "Solution_2.Fil") << "prepared";

  CCaseSolverLibrary lib;
  ASSERT_TRUE(lib.Load(std::string(OSTREL_BINARY_DIR) + "/runner/libpalvane.so")) << lib.GetError();
  void* refused = nullptr;
  EXPECT_EQ(lib.CreatePalvane(&refused, "x", dir.c_str(), 9, 0, 0, 0, nullptr, nullptr, 0), 0);
  EXPECT_EQ(refused, nullptr);

  void* solver = nullptr;
  ASSERT_EQ(lib.CreatePalvane(&solver, "x", dir.c_str(), 1, 0, 0, 0, nullptr, nullptr, 0), 1);
  struct Case {
    int caseNumber;
    int loadSolAsked;
    int solved;
    int statusAfter;
    int loadSolUsed;
    bool report;
  } cases[] = {
      {1, 5, 1, 0, 5, true}, {2, 1, 1, 0, 0, true}, {3, 0, 0, 0, 0, false},
      {4, 0, 0, -7, 0, false}, {5, 0, 1, 0, 0, false}, {6, 0, 1, 0, 0, true},
  };
  for (const Case& c : cases) {
    CCaseData record;
    InitCaseData(record);
    record.m_nStatus = 0;
    record.m_nCaseNumber = c.caseNumber;
    record.m_nLoadSolCase = c.loadSolAsked;
    SetStrevFileName(record, "A");
    auto result = std::make_unique<CSolveResultBlock>();
    std::memset(result.get(), 0, sizeof *result);
    EXPECT_EQ(lib.SolveCase(solver, result.get(), &record, 0, -1e30, 0), c.solved) << c.caseNumber;
    EXPECT_EQ(record.m_nStatus, c.statusAfter) << c.caseNumber;
    EXPECT_EQ(record.m_nLoadSolCaseUsed, c.loadSolUsed) << c.caseNumber;
    if (!c.solved) continue;
    EXPECT_EQ(result->m_nReportSize >= 0, c.report) << c.caseNumber;
    if (!c.report) continue;
    std::vector<std::uint8_t> bytes(static_cast<size_t>(result->m_nReportSize));
    ASSERT_EQ(lib.GetReportByteArray(solver, bytes.data(), result->m_nReportSize, 1), 1);
    CNimboParallelSolveData report;
    ASSERT_TRUE(report.SetObjectFromBYTEArray(bytes.data(), result->m_nReportSize));
    EXPECT_EQ(report.GetCaseNumber(), c.caseNumber);
    EXPECT_EQ(report.GetSolveStatus(), 3) << c.caseNumber;  // from the defaults above every case line
    EXPECT_EQ(report.GetObjectiveValue(), c.caseNumber == 1 ? 7.5 : 1000.0 + c.caseNumber);
    EXPECT_STREQ(result->m_szStatusFile, c.caseNumber == 1 ? "S%d.xml" : "Empty");
    EXPECT_STREQ(result->m_szSolutionId, c.caseNumber == 1 ? "44" : std::to_string(c.caseNumber).c_str());
  }
  EXPECT_TRUE(fs::exists(dir / "Solution_2.Fil"));
  lib.DestroyPalvane(&solver);
  EXPECT_EQ(solver, nullptr);
  fs::remove_all(dir);
}

}  // namespace
