// The raw solution file reader: values as stored, and the counts a file
// must back with its length.

#include "results/objects/solverfiles/raw_solution_file.h"

#include <gtest/gtest.h>

#include "results/objects/solverfiles/testing/solution_file_writer.h"

namespace {

using solution_file_testing::Writer;

CSolutionFileLayout Layout(bool doublePrecision, std::size_t nameWidth) {
  CSolutionFileLayout layout;
  layout.m_bDoublePrecision = doublePrecision;
  layout.m_nNameWidth = nameWidth;
  return layout;
}

TEST(RawSolutionFile, KeepsEveryValueAsStoredInEachLayout) {
  for (const auto& [doublePrecision, width] : {std::pair{false, std::size_t{9}}, std::pair{true, std::size_t{9}},
                                               std::pair{true, std::size_t{61}}}) {
    SCOPED_TRACE(testing::Message() << doublePrecision << " " << width);
    Writer writer(doublePrecision, width);
    writer.objective = 12.5;
    writer.rows = {{"OBJFN", 3, 5e-8, -1e-9, -1e30, 1e30, 0.25, 7.0}};
    writer.columns = {{"PURCABC  ", 9, 1.0, 0.0, 0.0, 1e30, -5e-8, 3e-8}};
    CRawSolutionFile file;
    std::string error;
    ASSERT_TRUE(file.Parse(writer.Bytes(), Layout(doublePrecision, width), error)) << error;
    EXPECT_EQ(file.m_nRowCount, 1);
    EXPECT_EQ(file.m_nColumnCount, 1);
    EXPECT_EQ(file.m_nHeaderCode, 7);
    EXPECT_EQ(file.m_dObjectiveValue, 12.5);
    EXPECT_EQ(file.m_strHeaderText, "OK");
    const auto stored = [doublePrecision](double v) { return doublePrecision ? v : static_cast<float>(v); };
    const CRawSolutionRecord& row = file.m_aRows.at(0);
    EXPECT_EQ(row.m_strName, "OBJFN");
    EXPECT_EQ(row.m_nSequenceID, 1);
    EXPECT_EQ(row.m_nStatus, 3);
    const double rowValues[] = {5e-8, -1e-9, -1e30, 1e30, 0.25, 7.0};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(row.m_aValues[i], stored(rowValues[i])) << i;
    const CRawSolutionRecord& column = file.m_aColumns.at(0);
    EXPECT_EQ(column.m_strName, "PURCABC") << "trailing blanks are removed";
    EXPECT_EQ(column.m_nStatus, 9) << "the status code is kept as stored";
    EXPECT_EQ(column.m_aValues[4], stored(-5e-8));
    EXPECT_EQ(column.m_aValues[5], stored(3e-8));
  }
}

TEST(RawSolutionFile, ReadsAFileWithoutRowsAndRefusesCountsItCannotHold) {
  Writer onlyColumns(false, 9);
  onlyColumns.columns = {{"C1"}, {"C2"}};
  CRawSolutionFile file;
  std::string error;
  ASSERT_TRUE(file.Parse(onlyColumns.Bytes(), Layout(false, 9), error)) << error;
  EXPECT_TRUE(file.m_aRows.empty());
  ASSERT_EQ(file.m_aColumns.size(), 2u);
  EXPECT_EQ(file.m_aColumns[1].m_strName, "C2");

  for (const solution_file_testing::DamagedCounts& c : solution_file_testing::DamagedCountCases()) {
    SCOPED_TRACE(c.what);
    error.clear();
    EXPECT_FALSE(file.Parse(solution_file_testing::DamagedFile(c), Layout(false, 9), error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(file.m_aRows.empty() && file.m_aColumns.empty());
  }
}

}  // namespace
