#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "tableio/worksheet/testing/sheet_fixture.h"
#include "tableio/worksheet/wks_tbl.h"

namespace {

using wks_test::Grid;

std::unique_ptr<CIoRow> SourceRow(const std::string& key, double qty, const std::string& note) {
  auto row = std::make_unique<CIoRow>();
  row->AddKeyCell(std::make_unique<CIoStrCell>(key, false, false));
  row->AddDataCell(std::make_unique<CIoDoubleCell>(qty, false, false));
  row->AddDataCell(std::make_unique<CIoStrCell>(note, false, false));
  return row;
}

class WksTblWriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_options.ShowErrorBoxes = 0;
    m_options.ShowWarningBoxes = 0;
  }
  void TearDown() override {
    CloseCachedWorkbook(true);
    std::filesystem::remove(m_path);
  }

  std::unique_ptr<CWksTbl> Open(const std::string& path) {
    CIoTableDescription description;
    description.m_strSource = path;
    description.m_nTableType = kTableWorksheet;
    auto table = std::make_unique<CWksTbl>(&m_log, &m_options);
    EXPECT_EQ(table->Open(description), 1) << m_log.str();
    return table;
  }

  // Every row of the saved sheet as "a|b|c" lines (comment rows included).
  std::string Sheet(int columns) {
    CWksFile file(m_path.string(), "", 0);
    std::string out;
    for (int r = 0; r < file.GetRowCount(); ++r) {
      for (int c = 0; c < columns; ++c) {
        std::string text;
        file.ReadText(r, c, text, kWksModeTextOnly);
        out += (c ? "|" : "") + text;
      }
      out += "\n";
    }
    return out;
  }

  int Transfer(CWksTbl& table, CIoRowArray& source, int& messageId) {
    CColumnArray columns;
    columns.Add(std::make_unique<CColumn>("QTY", kSqlDouble, 8, 0, 1, 0));
    columns.Add(std::make_unique<CColumn>("NOTE", kSqlVarChar, 40, 0, 1, 0));
    return table.TransferRows(source, 0, {"*"}, columns, "NAME", "*", "QTY,NOTE", "QTY,NOTE", messageId);
  }

  std::filesystem::path m_path =
      std::filesystem::temp_directory_path() / ("ostrel_wks_write_" + std::to_string(::getpid()) + ".xls");
  CIOOptions m_options;
  std::ostringstream m_log;
};

const Grid kPlain = {{"NAME", "QTY", "NOTE"}, {"A1", "#1", "one"}, {"A2", "#2", "two"}};

TEST_F(WksTblWriteTest, TransferIntoBiff3SavesAndRereads) {
  wks_test::WriteSheet(3, kPlain, m_path.string());
  auto table = Open(m_path.string());
  CIoRowArray source;
  source.Add(SourceRow("A2", 20, "O'Brien"));
  source.Add(SourceRow("A4", 40, "Caf\xE9"));
  source.Add(SourceRow("A3", 30, "three"));
  int messageId = 0;
  ASSERT_EQ(Transfer(*table, source, messageId), 1) << m_log.str();
  ASSERT_EQ(table->Close(1), 1) << m_log.str();
  // Appended rows follow the last row, in source order.
  EXPECT_EQ(Sheet(3), "NAME|QTY|NOTE\nA1|1|one\nA2|20|O'Brien\nA4|40|Caf\xE9\nA3|30|three\n");
  EXPECT_NE(m_log.str().find("Row 4 Key Value added: [A4]"), std::string::npos) << m_log.str();
}

TEST_F(WksTblWriteTest, TransferOptions) {
  struct Case {
    const char* name;
    void (*set)(CIOOptions&);
    int result;
    int messageId;
    std::string sheet;
  } cases[] = {
      {"append without additions", [](CIOOptions& o) { o.AppendRows = 1; o.AllowRowAdditions = 0; }, 0, 10266,
       "NAME|QTY|NOTE\nA1|1|one\nA2|2|two\n"},
      {"no match without additions", [](CIOOptions& o) { o.AllowRowAdditions = 0; }, 0, 10108,
       "NAME|QTY|NOTE\nA1|1|one\nA2|2|two\n"},
      {"append", [](CIOOptions& o) { o.AppendRows = 1; }, 1, 10214,
       "NAME|QTY|NOTE\nA1|1|one\nA2|2|two\nA9|9|nine\n"},
      {"replace existing", [](CIOOptions& o) { o.ReplaceExisting = 1; }, 1, 10214,
       "NAME|QTY|NOTE\nA1|1|one\nA2|2|two\n"},
  };
  for (const Case& c : cases) {
    wks_test::WriteSheet(3, kPlain, m_path.string());
    m_options = CIOOptions();
    m_options.ShowErrorBoxes = 0;
    c.set(m_options);
    auto table = Open(m_path.string());
    CIoRowArray source;
    source.Add(SourceRow("A9", 9, "nine"));
    int messageId = 0;
    EXPECT_EQ(Transfer(*table, source, messageId), c.result) << c.name;
    EXPECT_EQ(messageId, c.messageId) << c.name;
    table->Close(1);
    EXPECT_EQ(Sheet(3), c.sheet) << c.name;
  }
}

TEST_F(WksTblWriteTest, DeleteByKeysBlanksRows) {
  struct Case {
    const char* name;
    Grid grid;
    std::string keyValue;
    std::string sheet;
  } cases[] = {
      {"plain", kPlain, "A1", "NAME|QTY|NOTE\n||\nA2|2|two\n"},
      {"marked", {{"TABLE"}, {"NAME", "QTY", "NOTE"}, {"A1", "#1", "one"}, {"A2", "#2", "two"}}, "A2",
       "TABLE||\nNAME|QTY|NOTE\nA1|1|one\n*||\n"},
      {"null key", {{"NAME", "QTY", "NOTE"}, {"A1", "#1", "one"}, {"A2", "", "two"}}, "NULL",
       "NAME|QTY|NOTE\nA1|1|one\n||\n"},
      {"not null key", {{"NAME", "QTY", "NOTE"}, {"A1", "#1", "one"}, {"A2", "", "two"}}, "NOT NULL",
       "NAME|QTY|NOTE\n||\nA2||two\n"},
  };
  for (const Case& c : cases) {
    wks_test::WriteSheet(3, c.grid, m_path.string());
    auto table = Open(m_path.string());
    const std::string keyField = c.keyValue.find("NULL") != std::string::npos ? "QTY" : "NAME";
    ASSERT_EQ(table->DeleteRowsByKeys(keyField, c.keyValue, "NAME,QTY,NOTE"), 1) << c.name << m_log.str();
    ASSERT_EQ(table->Close(1), 1) << c.name;
    EXPECT_EQ(Sheet(3), c.sheet) << c.name;
  }
  // The starred row is gone from later reads.
  wks_test::WriteSheet(3, cases[1].grid, m_path.string());
  auto table = Open(m_path.string());
  ASSERT_EQ(table->DeleteRowsByKeys("NAME", "A2", "NOTE"), 1);
  ASSERT_EQ(table->Close(1), 1);
  table = Open(m_path.string());
  CIoRowArray rows;
  CColumnArray keys;
  CColumnArray data;
  ASSERT_EQ(table->ReadAll(rows, keys, data, "NAME", "*", "NOTE"), 1);
  ASSERT_EQ(rows.GetSize(), 1);
  EXPECT_STREQ(rows.GetKeyString(0, 0), "A1");
  table->Close(0);
}

TEST_F(WksTblWriteTest, UpdateByKeysAndDatesIntoTextCells) {
  wks_test::WriteSheet(3, kPlain, m_path.string());
  auto table = Open(m_path.string());
  CIoDoubleCell value(7.5, false, false);
  int messageId = 0;
  ASSERT_EQ(table->UpdateRowsByKeys("NAME", "*", "QTY", value, messageId), 1) << m_log.str();
  CIoDateCell date(plat::OleDateTime(2024, 3, 15), false, false);
  ASSERT_EQ(table->UpdateRowsByKeys("NAME", "A2", "NOTE", date, messageId), 1) << m_log.str();
  CIoStrCell none("x", false, false);
  ASSERT_EQ(table->UpdateRowsByKeys("NAME", "B*", "NOTE", none, messageId), 1);
  EXPECT_NE(m_log.str().find("No Match for Target Key Value."), std::string::npos);
  ASSERT_EQ(table->Close(1), 1);
  EXPECT_EQ(Sheet(3), "NAME|QTY|NOTE\nA1|7.5|one\nA2|7.5|45366\n");
}

TEST_F(WksTblWriteTest, Biff5WorkbooksRefuseToSave) {
  const std::filesystem::path book = std::string(OSTREL_SOURCE_DIR) + "/tableio/worksheet/testdata/book_biff5.xls";
  std::filesystem::copy_file(book, m_path, std::filesystem::copy_options::overwrite_existing);
  CIoTableDescription description;
  description.m_strSource = m_path.string();
  description.m_strTable = "Second Sheet";
  CWksTbl table(&m_log, &m_options);
  ASSERT_EQ(table.Open(description), 1) << m_log.str();
  CIoStrCell value("changed", false, false);
  int messageId = 0;
  ASSERT_EQ(table.UpdateRowsByKeys("Name", "one", "Name", value, messageId), 1) << m_log.str();
  EXPECT_EQ(table.Close(1), 0);
  std::string text;
  CWksFile reread(m_path.string(), "Second Sheet", 0);
  reread.ReadText(1, 0, text, kWksModeTextOnly);
  EXPECT_EQ(text, "one");
}

}  // namespace
