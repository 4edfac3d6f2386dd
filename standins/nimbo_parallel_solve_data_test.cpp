#include "standins/nimbo_parallel_solve_data.h"

#include <gtest/gtest.h>

#include <cstring>

#include "standins/file_name_manager.h"

namespace {

std::vector<std::uint8_t> Serialise(int caseNumber, int status, double value, std::vector<std::string> texts) {
  CNimboParallelSolveData data;
  data.SetCaseNumber(caseNumber);
  data.SetStatusCode(status);
  data.SetValue(value);
  data.SetMessages(std::move(texts));
  std::unique_ptr<std::uint8_t[]> bytes;
  const int size = data.GetObjectAsBYTEArray(bytes);
  EXPECT_GT(size, 0);
  return std::vector<std::uint8_t>(bytes.get(), bytes.get() + size);
}

TEST(NimboParallelSolveDataTest, RoundTripAndStreamSplitting) {
  // Two messages back to back, as the main application reads them.
  std::vector<std::uint8_t> stream = Serialise(12, -999, 1e30, {"Solving Case 12 on Processor 3"});
  const std::vector<std::uint8_t> second = Serialise(12, 2, -4.25, {"a", "", std::string("\0b\xE9", 3)});
  const size_t firstSize = stream.size();
  stream.insert(stream.end(), second.begin(), second.end());

  EXPECT_EQ(CNimboParallelSolveData::MessageLength(stream.data(), 3), 0);  // header not complete yet
  ASSERT_EQ(CNimboParallelSolveData::MessageLength(stream.data(), stream.size()), static_cast<int64_t>(firstSize));
  CNimboParallelSolveData a, b;
  ASSERT_TRUE(a.SetObjectFromBYTEArray(stream.data(), static_cast<int>(firstSize)));
  EXPECT_EQ(a.GetCaseNumber(), 12);
  EXPECT_EQ(a.GetSolveStatus(), -999);
  EXPECT_EQ(a.GetObjectiveValue(), 1e30);
  EXPECT_EQ(a.GetMessages(), std::vector<std::string>{"Solving Case 12 on Processor 3"});
  ASSERT_TRUE(b.SetObjectFromBYTEArray(stream.data() + firstSize, static_cast<int>(second.size())));
  EXPECT_EQ(b.GetSolveStatus(), 2);
  EXPECT_EQ(b.GetObjectiveValue(), -4.25);
  EXPECT_EQ(b.GetMessages(), (std::vector<std::string>{"a", "", std::string("\0b\xE9", 3)}));
}

TEST(NimboParallelSolveDataTest, DamagedBytesAreRefused) {
  const std::vector<std::uint8_t> good = Serialise(1, 1, 2.0, {"text"});
  auto damaged = [&](auto change) {
    std::vector<std::uint8_t> bytes = good;
    change(bytes);
    CNimboParallelSolveData data;
    return !data.SetObjectFromBYTEArray(bytes.data(), static_cast<int>(bytes.size()));
  };
  EXPECT_TRUE(damaged([](auto& b) { b[0] = 'X'; }));                    // magic
  EXPECT_TRUE(damaged([](auto& b) { b.pop_back(); }));                  // shorter than its length
  EXPECT_TRUE(damaged([](auto& b) { b.push_back(0); }));                // longer than its length
  EXPECT_TRUE(damaged([](auto& b) { b[b.size() - 8] = 0xFF; }));        // text length beyond the end
  EXPECT_TRUE(damaged([](auto& b) { b[8 + 4 + 4 + 4 + 8 + 4 + 4] = 0x7F; }));  // text count beyond the end
  EXPECT_TRUE(damaged([](auto& b) { b[8] = 9; }));                      // version
  for (size_t cut = 0; cut < good.size(); ++cut) {
    CNimboParallelSolveData data;
    EXPECT_FALSE(data.SetObjectFromBYTEArray(good.data(), static_cast<int>(cut))) << cut;
  }
  const std::uint8_t huge[8] = {'N', 'P', 'S', 'D', 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(CNimboParallelSolveData::MessageLength(huge, 8), -1);
}

TEST(NimboParallelSolveDataTest, PassesAndIterationsTravelAndTheFirstVersionStillReads) {
  CNimboParallelSolveData data;
  data.SetCaseNumber(4);
  data.SetStatusCode(5);
  data.SetValue(12.5);
  data.SetPasses(7);
  data.SetIterations(70000);
  data.SetMessages({"t"});
  std::unique_ptr<std::uint8_t[]> bytes;
  const int size = data.GetObjectAsBYTEArray(bytes);
  CNimboParallelSolveData back;
  ASSERT_TRUE(back.SetObjectFromBYTEArray(bytes.get(), size));
  EXPECT_EQ(back.GetPasses(), 7);
  EXPECT_EQ(back.GetIterations(), 70000);
  EXPECT_EQ(back.GetMessages(), std::vector<std::string>{"t"});

  // The first version: no passes and iterations between the value and the texts.
  std::vector<std::uint8_t> first(bytes.get(), bytes.get() + size);
  first.erase(first.begin() + 28, first.begin() + 36);
  first[4] = static_cast<std::uint8_t>(first.size());
  first[8] = 1;
  ASSERT_TRUE(back.SetObjectFromBYTEArray(first.data(), static_cast<int>(first.size())));
  EXPECT_EQ(back.GetSolveStatus(), 5);
  EXPECT_EQ(back.GetObjectiveValue(), 12.5);
  EXPECT_EQ(back.GetPasses(), 0);
  EXPECT_EQ(back.GetIterations(), 0);
  EXPECT_EQ(back.GetMessages(), std::vector<std::string>{"t"});
}

TEST(FileNameManagerTest, EveryNameCarriesTheCase) {
  const auto names = CreateFileNameManager();
  EXPECT_EQ(names->GetSolutionFileName(12), "Solution_12.Fil");
  EXPECT_EQ(names->GetRecursionFileName(12), "Recursion_12.fil");
  EXPECT_EQ(names->GetPvtwFileName(0), "PVTW_0.DAT");
  EXPECT_EQ(names->GetPenaltyFileName(7), "penalty_7.dat");
  EXPECT_EQ(names->GetLoadSolFileName(3), "Solution_3.Fil");
  EXPECT_EQ(names->GetCaseFileName("dir.x/Model", 4), "dir.x/Model_4");
  EXPECT_NE(names->GetTrancolFileName(1), names->GetTrancolFileName(2));
  EXPECT_EQ(IMiskel::CreateFileNameManager()->GetNonlinearSolutionFileName(3), "NlpSolution_3.sol");
}

}  // namespace
