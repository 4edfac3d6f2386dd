#include "caseset/modeltables/table_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <tuple>
#include <unistd.h>
#include <fstream>

#include "caseset/modeltables/table_file_fixtures.h"

namespace {

using table_fixtures::Table;
namespace fs = std::filesystem;

constexpr float kBlank = CTableFilTable::kBlankCell;

const Table kUnits{"UNITS", {"ATM", "VAC"}, {"CAP", "MIN", "MAX"}, {"Atmospheric", "Vacuum"},
                   {100, 1e30, 0, 50, 5, 1e30}};
const Table kRows{"ROWS", {"R1", "R2", "R3"}, {"TEXT"}, {}, {1, 2, 3}};

CTableMap* Entry(CTableIndex& index, const std::string& name) {
  for (CTableMap* entry : index)
    if (entry->m_strName == name) return entry;
  return nullptr;
}

class TableFilesOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() /
            ("table_files_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(m_dir);
  }
  void TearDown() override { fs::remove_all(m_dir); }
  std::string Write(const std::string& name, const std::string& bytes) {
    const fs::path path = m_dir / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }
  fs::path m_dir;
};

TEST(TableFiles, ClassicIndexLaysOutSlotArraysByModelTables) {
  const auto files = table_fixtures::MakeClassicFiles({kUnits, {"        ", {}, {}, {}, {}}, kRows}, 500);
  CTableFileCursor cursor(files.index);
  CTableIndex index;
  std::string error;
  ASSERT_TRUE(ReadClassicTableIndex(cursor, 500, index, error)) << error;
  EXPECT_EQ(cursor.GetPosition(), 12012);
  ASSERT_EQ(index.GetSize(), 3);
  EXPECT_EQ(index[0]->m_strName, "UNITS");
  EXPECT_TRUE(index[0]->m_bHasText);
  EXPECT_EQ(index[1]->m_strName, "");  // eight blanks
  EXPECT_EQ(index[2]->m_nRows, 3);
  EXPECT_FALSE(index[2]->m_bFromStream);
  // Word position in the file, byte offset in the entry.
  std::int32_t word = 0;
  std::memcpy(&word, files.index.data() + 4012 + 8, 4);
  EXPECT_EQ(index[2]->m_nOffset, 4 * word);

  const std::string emptyIndex = table_fixtures::MakeClassicFiles({}, 20).index;
  CTableFileCursor empty(emptyIndex);
  CTableIndex none;
  EXPECT_TRUE(ReadClassicTableIndex(empty, 20, none, error));
  EXPECT_TRUE(none.IsEmpty());
}

TEST(TableFiles, DamagedClassicIndexFailsWithAReason) {
  std::string tooMany = table_fixtures::MakeClassicFiles({kUnits}, 10).index;
  const std::int32_t n = 11;
  std::memcpy(tooMany.data(), &n, 4);
  std::string negativeWord = table_fixtures::MakeClassicFiles({kUnits}, 10).index;
  const std::int32_t word = -5;
  std::memcpy(negativeWord.data() + 12 + 80, &word, 4);
  const std::string full = table_fixtures::MakeClassicFiles({kUnits}, 10).index;
  struct Case {
    const char* what;
    std::string bytes;
    std::int32_t slots;
  } cases[] = {
      {"count beyond the slots", tooMany, 10},
      {"negative position", negativeWord, 10},
      {"cut short", full.substr(0, full.size() - 1), 10},
      {"larger ModelTables than the file", full, 11},
      {"no slots", full, 0},
      {"empty file", "", 10},
  };
  for (const Case& c : cases) {
    CTableFileCursor cursor(c.bytes);
    CTableIndex index;
    std::string error;
    EXPECT_FALSE(ReadClassicTableIndex(cursor, c.slots, index, error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
  }
}

TEST(TableFiles, CompactSectionsMergeAndEarlierEntriesWin) {
  const Table a{"A", {"r"}, {"c"}, {}, {1}};
  const Table b{"B", {"r", "s"}, {"c"}, {"x", "y"}, {1, 2}};
  const Table c{"C", {}, {"c", "d", "e"}, {}, {}};
  CTableIndex index;
  std::string error;
  const std::string own = table_fixtures::CompactSection({b}, {700});
  CTableFileCursor first(own);
  ASSERT_TRUE(ReadCompactTableIndex(first, index, true, error)) << error;
  const std::string generating = table_fixtures::CompactSection({a, b, c}, {0, 40, 80});
  CTableFileCursor second(generating);
  ASSERT_TRUE(ReadCompactTableIndex(second, index, false, error)) << error;
  EXPECT_TRUE(second.AtEnd());
  ASSERT_EQ(index.GetSize(), 3);
  EXPECT_EQ(Entry(index, "B")->m_nOffset, 700);
  EXPECT_TRUE(Entry(index, "B")->m_bFromStream);
  EXPECT_EQ(Entry(index, "C")->m_nOffset, 80);  // takes its own values after the skipped B
  EXPECT_EQ(Entry(index, "C")->m_nColumns, 3);
  EXPECT_FALSE(Entry(index, "A")->m_bFromStream);
}

TEST(TableFiles, DamagedCompactSectionsFail) {
  const std::string good = table_fixtures::CompactSection({kUnits, kRows}, {0, 10});
  std::string fewerNames = good;
  const std::int32_t three = 3;
  std::memcpy(fewerNames.data(), &three, 4);
  std::string hugeBlock = good;
  const std::int32_t huge = 0x7fffffff;
  std::memcpy(hugeBlock.data() + 4, &huge, 4);
  std::string negative = good;
  const std::int32_t minus = -1;
  std::memcpy(negative.data(), &minus, 4);
  for (const std::string& bytes : {fewerNames, hugeBlock, negative, good.substr(0, good.size() - 2)}) {
    CTableFileCursor cursor(bytes);
    CTableIndex index;
    std::string error;
    EXPECT_FALSE(ReadCompactTableIndex(cursor, index, false, error));
    EXPECT_FALSE(error.empty());
  }
}

TEST(TableFiles, ClassicRecordsUseNineByteNamesOnlyForRowsOfTypeThree) {
  for (const auto& [name, type, width] : {std::tuple{"ROWS", 3, 9}, std::tuple{"rows", 3, 8},
                                          std::tuple{"ROWS", 1, 8}}) {
    Table rows = kRows;
    rows.name = name;
    rows.texts = {"first", "second", "third"};
    const auto files = table_fixtures::MakeClassicFiles({kUnits, rows}, 8, type);
    CTableFileCursor indexCursor(files.index);
    CTableIndex index;
    std::string error;
    ASSERT_TRUE(ReadClassicTableIndex(indexCursor, 8, index, error));
    CTableFilTable table;
    CTableFileCursor cache(files.cache);
    ASSERT_TRUE(ReadClassicTableRecord(cache, *index[1], width, table, error)) << name << error;
    EXPECT_EQ(table.m_aRowNames, rows.rows) << name;
    EXPECT_EQ(table.m_aColumnNames, rows.columns) << name;
    EXPECT_EQ(table.m_aRowTexts, rows.texts) << name;
    EXPECT_EQ(table.m_aCells, (std::vector<float>{1, 2, 3})) << name;
    EXPECT_EQ(cache.GetPosition(), static_cast<std::int64_t>(files.cache.size())) << name;
  }
}

TEST(TableFiles, CompactRecordNarrowsCellsAndConvertsOemTexts) {
  Table t = kUnits;
  t.texts = {"Atmosph\x82re", "Vac"};  // e acute in code page 850
  t.cells[2] = 1e300;
  const std::string image = std::string(6, 'x') + table_fixtures::CompactRecord(t);
  CTableMap entry("UNITS");
  entry.m_nOffset = 6;
  entry.m_nRows = 2;
  entry.m_nColumns = 3;
  entry.m_bHasText = true;
  CTableFilTable table;
  CTableFileCursor cursor(image);
  std::string error;
  ASSERT_TRUE(ReadCompactTableRecord(cursor, entry, table, error)) << error;
  EXPECT_EQ(table.m_aRowNames, t.rows);
  EXPECT_EQ(table.m_aRowTexts[0], "Atmosph\xe9re");
  EXPECT_EQ(table.m_aCells[1], kBlank);
  EXPECT_TRUE(std::isinf(table.m_aCells[2]));
  EXPECT_EQ(table.m_aCells[3], 50.0f);
}

TEST(TableFiles, DamagedRecordsFailInsteadOfReadingPastTheData) {
  const std::string compact = table_fixtures::CompactRecord(kUnits);
  const auto classic = table_fixtures::MakeClassicFiles({kUnits}, 4);
  struct Case {
    const char* what;
    std::int32_t offset, rows, columns;
  } cases[] = {
      {"offset past the end", 1 << 30, 2, 3},
      {"negative offset", -8, 2, 3},
      {"more rows than names", 0, 3, 3},
      {"more cells than stored", 0, 2, 4},
      {"negative rows", 0, -1, 3},
      {"huge grid", 0, 0x7fffffff, 0x7fffffff},
  };
  for (const Case& c : cases) {
    CTableMap entry("UNITS");
    entry.m_nOffset = c.offset;
    entry.m_nRows = c.rows;
    entry.m_nColumns = c.columns;
    entry.m_bHasText = true;
    CTableFilTable table;
    std::string error;
    CTableFileCursor compactCursor(compact);
    EXPECT_FALSE(ReadCompactTableRecord(compactCursor, entry, table, error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
    error.clear();
    CTableFileCursor classicCursor(classic.cache);
    EXPECT_FALSE(ReadClassicTableRecord(classicCursor, entry, 8, table, error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
  }
}

TEST_F(TableFilesOnDisk, KeyedRecordsTakeTheFirstMatch) {
  const std::string path =
      Write("stream.map", table_fixtures::KeyedRecords({{3, "abc"}, {7, "first"}, {7, "second"}, {9, ""}}));
  std::string stream = "pre";
  std::string error;
  EXPECT_TRUE(ReadKeyedRecordFile(path, stream, 7, error));
  EXPECT_EQ(stream, "prefirst");
  stream.clear();
  EXPECT_TRUE(ReadKeyedRecordFile(path, stream, 9, error));
  EXPECT_EQ(stream, "");
  EXPECT_FALSE(ReadKeyedRecordFile(path, stream, 4, error));
  EXPECT_TRUE(error.empty());
  EXPECT_FALSE(ReadKeyedRecordFile((m_dir / "absent").string(), stream, 7, error));
  EXPECT_TRUE(error.empty());

  std::string damaged = table_fixtures::KeyedRecords({{3, "abc"}, {7, "x"}});
  const std::int32_t length = 1000;
  std::memcpy(damaged.data() + 4, &length, 4);
  for (const std::string& bytes : {damaged, table_fixtures::KeyedRecords({{3, "abc"}}) + "xyz"}) {
    const std::string bad = Write("bad.map", bytes);
    stream.clear();
    EXPECT_FALSE(ReadKeyedRecordFile(bad, stream, 7, error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(stream.empty());
  }
}

TEST_F(TableFilesOnDisk, ClassicRecordFromTheCacheFileReadsOnlyItsBytes) {
  const auto files = table_fixtures::MakeClassicFiles({kRows, kUnits}, 4);
  const std::string path = Write("tables.fil", files.cache);
  CTableFileCursor indexCursor(files.index);
  CTableIndex index;
  std::string error;
  ASSERT_TRUE(ReadClassicTableIndex(indexCursor, 4, index, error));
  CTableFilTable table;
  ASSERT_TRUE(ReadClassicTableRecordFile(path, *index[1], 8, table, error)) << error;
  EXPECT_EQ(table.m_aRowTexts, kUnits.texts);
  EXPECT_EQ(table.m_aCells[1], kBlank);
  Write("tables.fil", files.cache.substr(0, files.cache.size() - 4));
  EXPECT_FALSE(ReadClassicTableRecordFile(path, *index[1], 8, table, error));
  EXPECT_FALSE(error.empty());
  error.clear();
  EXPECT_FALSE(ReadClassicTableRecordFile((m_dir / "none.fil").string(), *index[1], 8, table, error));
  EXPECT_TRUE(error.empty());

  std::string stream = "x";
  EXPECT_TRUE(ReadFileIntoStream(path, stream));
  EXPECT_EQ(stream.size(), files.cache.size() - 3);
}

}  // namespace
