#include "caseset/modeltables/table_fil_table.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

namespace {

constexpr float kBlank = CTableFilTable::kBlankCell;

CTableFilTable MakeTable(const std::vector<std::string>& rows, const std::vector<std::string>& columns,
                         const std::vector<float>& cells) {
  CTableFilTable table;
  table.m_aRowNames = rows;
  table.m_aColumnNames = columns;
  table.m_aCells = cells;
  return table;
}

TEST(TableFilTable, BlankIsTheFloatRoundingOf1e30) {
  EXPECT_EQ(std::bit_cast<std::uint32_t>(kBlank), 0x7149F2CAu);
}

TEST(TableFilTable, GetValueMarksBlankAndPastTheEnd) {
  const CTableFilTable table = MakeTable({"R"}, {"A", "B"}, {0.0f, kBlank});
  float v = -1;
  EXPECT_FALSE(table.GetValue(0, v));
  EXPECT_EQ(v, 0.0f);
  EXPECT_TRUE(table.GetValue(1, v));
  EXPECT_EQ(v, kBlank);
  v = -1;
  EXPECT_TRUE(table.GetValue(2, v));
  EXPECT_EQ(v, kBlank);
  EXPECT_FALSE(table.IsBlank(0));
  EXPECT_TRUE(table.IsBlank(5));
}

TEST(TableFilTable, LookupsTakeTheFirstMatchAndKeepLetterCase) {
  CTableFilTable table = MakeTable({"X", "Y", "X"}, {"c", "C"}, std::vector<float>(6, 1.0f));
  EXPECT_EQ(table.FindRow("X"), 0);
  EXPECT_EQ(table.FindRow("x"), -1);
  EXPECT_EQ(table.FindColumn("C"), 1);
  int index = -1;
  EXPECT_TRUE(table.FindOrAddRow("X", "text", index));
  EXPECT_EQ(index, 0);
  EXPECT_EQ(table.GetRowCount(), 3);
}

TEST(TableFilTable, AddColumnKeepsCellsInPlaceAndBlanksTheNewColumn) {
  CTableFilTable table = MakeTable({"R1", "R2"}, {"A", "B"}, {1, 2, 3, 4});
  table.AddColumn("C");
  EXPECT_EQ(table.m_aCells, (std::vector<float>{1, 2, kBlank, 3, 4, kBlank}));
  table.AddColumn("D");
  EXPECT_EQ(table.m_aCells, (std::vector<float>{1, 2, kBlank, kBlank, 3, 4, kBlank, kBlank}));
  int index = -1;
  table.FindOrAddRow("R3", "t3", index);
  EXPECT_EQ(index, 2);
  EXPECT_EQ(table.GetCellCount(), 12);
  for (int j = 0; j < 4; ++j) EXPECT_TRUE(table.IsBlank(8 + j));
  EXPECT_EQ(table.m_aCells[5], 4.0f);
  EXPECT_EQ(table.m_aRowTexts.back(), "t3");
}

TEST(TableFilTable, ColumnsAddedWithoutRowsThenRowsSizeTheGrid) {
  CTableFilTable table;
  table.AddColumn("A");
  table.AddColumn("B");
  EXPECT_EQ(table.m_aCells, (std::vector<float>{kBlank, kBlank}));
  int index = -1;
  table.FindOrAddRow("R1", "", index);
  table.m_aCells[1] = 7;
  table.FindOrAddRow("R2", "", index);
  EXPECT_EQ(table.m_aCells, (std::vector<float>{kBlank, 7, kBlank, kBlank}));
}

TEST(TableFilTable, ColumnMapsByPrefix) {
  const std::vector<std::string> periods = {"A", "B", "", "C"};
  struct Case {
    std::vector<std::string> columns;
    bool ex;
    bool result;
    std::map<std::string, int> expected;
  };
  const Case cases[] = {
      {{"MINA", "MINB"}, false, true, {{"", 0}, {"A", 0}, {"B", 1}}},
      {{"MINA", "MINB"}, true, false, {{"A", 0}, {"B", 1}}},
      {{"X", "MINB", "MIN"}, false, true, {{"", 2}, {"A", 2}, {"B", 1}, {"C", 2}}},
      {{"X", "MINB", "MIN"}, true, true, {{"", 2}, {"A", 2}, {"B", 1}, {"C", 2}}},
      {{"min", "MINa"}, false, false, {}},
  };
  for (const Case& c : cases) {
    const CTableFilTable table = MakeTable({}, c.columns, {});
    std::map<std::string, int> map;
    const bool result = c.ex ? table.MapColumnsByPrefixEx(periods, "MIN", map)
                             : table.MapColumnsByPrefix(periods, "MIN", map);
    EXPECT_EQ(result, c.result) << c.columns.size() << " ex " << c.ex;
    EXPECT_EQ(map, c.expected) << c.columns.size() << " ex " << c.ex;
  }
}

TEST(TableFilTable, ColumnMapKeepsKeysAlreadyPresent) {
  const CTableFilTable table = MakeTable({}, {"MINA"}, {});
  std::map<std::string, int> map = {{"A", 9}};
  table.MapColumnsByPrefix({"A"}, "MIN", map);
  EXPECT_EQ(map.at("A"), 9);
  EXPECT_EQ(map.at(""), 0);
}

TEST(TableFilTable, RowMapFallsBackToTheNearestEarlierUsableRow) {
  // Column 1 holds the values; CAPC's cell is blank.
  const CTableFilTable table = MakeTable({"CAP", "CAPA", "CAPC"}, {"X", "V"}, {1, 1, 2, 2, 3, kBlank});
  std::map<std::string, int> map;
  EXPECT_TRUE(table.MapRowsByPrefix({"A", "B", "C"}, "CAP", 1, map));
  EXPECT_EQ(map, (std::map<std::string, int>{{"", 0}, {"A", 1}, {"B", 1}, {"C", 1}}));

  const CTableFilTable noBare = MakeTable({"CAPB"}, {"V"}, {5});
  map.clear();
  noBare.MapRowsByPrefix({"A", "B", "C"}, "CAP", 0, map);
  EXPECT_EQ(map, (std::map<std::string, int>{{"", -1}, {"A", -1}, {"B", 0}, {"C", 0}}));
}

}  // namespace
