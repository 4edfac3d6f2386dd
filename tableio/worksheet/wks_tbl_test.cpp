#include "tableio/worksheet/wks_tbl.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tableio/io_table.h"
#include "tableio/worksheet/testing/sheet_fixture.h"

namespace fs = std::filesystem;
using wks_test::Grid;

namespace {

class WksTbl : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() / ("ostrel_wkstbl_" + std::to_string(::getpid()));
    fs::create_directories(m_dir);
  }
  void TearDown() override {
    CloseCachedWorkbook(true);
    fs::remove_all(m_dir);
  }
  std::string Sheet(const Grid& grid, int version = 2, const std::string& name = "t.xls") {
    const std::string path = (m_dir / name).string();
    wks_test::WriteSheet(version, grid, path);
    return path;
  }
  static std::vector<std::string> Column(const CIoTable& table, int j) {
    std::vector<std::string> out;
    for (int i = 0; i < table.GetRowCount(); ++i) out.emplace_back(table.GetCellString(i, j));
    return out;
  }
  static std::vector<std::string> Names(const CIoTable& table) {
    std::vector<std::string> out;
    for (int j = 0; j < table.GetColumnCount(); ++j) out.emplace_back(table.GetColumnName(j));
    return out;
  }
  static std::vector<int> Types(const CIoTable& table) {
    std::vector<int> out;
    for (int j = 0; j < table.GetColumnCount(); ++j) out.push_back(table.GetColumnType(j));
    return out;
  }
  fs::path m_dir;
};

using Texts = std::vector<std::string>;

TEST_F(WksTbl, FindsTheTableInEachLayout) {
  struct Case {
    const char* name;
    Grid grid;
    int headingRow;
    Texts keys;
  } cases[] = {
      {"plain", {{"ROWNAMES", "A"}, {"r1", "#1"}, {"*note", "#9"}, {"r2", "#2"}}, 0, {"r1", "r2"}},
      {"marked", {{"table"}, {"*c1"}, {"*c2"}, {"ROWNAMES", "A"}, {"r1", "#1"}, {"r2", "#2"}}, 3,
       {"r1", "r2"}},
      {"row names column",
       {{"*title", "", ""}, {"", "A", "B"}, {"r1", "#1", "#5"}, {"*skip", "#0", "#0"}, {"r2", "#2", "#6"}},
       1,
       {"r1", "r2"}},
      {"comment rows before a plain header",
       {{"*a"}, {"*b"}, {"ROWNAMES", "A"}, {"r1", "#1"}, {"r2", "#2"}}, 2, {"r1", "r2"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Sheet(c.grid);
    CIoTable table(path, "", "ROWNAMES", "*", "*", kTableWorksheet);
    ASSERT_EQ(table.GetStatus(), 0);
    EXPECT_EQ(table.m_description.m_nLoaderResults[kLoaderHeadingRow], c.headingRow);
    std::vector<std::string> keys;
    for (int i = 0; i < table.GetRowCount(); ++i) keys.emplace_back(table.GetKeyString(i, 0));
    EXPECT_EQ(keys, c.keys);
    EXPECT_DOUBLE_EQ(table.GetCellDouble(1, table.FindColumn("A")), 2.0);
    EXPECT_EQ(table.m_strFormatName, "Excel2");
  }
}

TEST_F(WksTbl, ColumnsStopAtEmptyAndStarHeadings) {
  const std::string path = Sheet({{"ROWNAMES", "A", "", "C"}, {"r1", "#1", "#2", "#3"}});
  CIoTable table(path, "", "ROWNAMES", "*", "*", kTableWorksheet);
  ASSERT_EQ(table.GetStatus(), 0);
  EXPECT_EQ(Names(table), (Texts{"ROWNAMES", "A"}));
  EXPECT_EQ(CIoTable(path, "", "ROWNAMES", "*", "C", kTableWorksheet).GetStatus(), 2);

  const std::string star = Sheet({{"ROWNAMES", "A", "*notes", "C"}, {"r1", "#1", "x", "#3"}}, 2, "star.xls");
  CIoTable starred(star, "", "ROWNAMES", "*", "*", kTableWorksheet);
  ASSERT_EQ(starred.GetStatus(), 0);
  EXPECT_EQ(Names(starred), (Texts{"ROWNAMES", "A"}));
  EXPECT_EQ(starred.m_description.m_nLoaderResults[kLoaderStarColumn], 2);
  EXPECT_EQ(starred.m_description.m_nLoaderResults[kLoaderSheetColumns], 4);
  EXPECT_EQ(starred.m_description.m_nLoaderResults[kLoaderSheetRows], 2);
  EXPECT_EQ(starred.m_description.m_nLoaderResults[kLoaderRowsRead], 1);
  EXPECT_EQ(starred.m_description.m_nLoaderResults[kLoaderRowNamesColumn], 0);
  EXPECT_EQ(starred.m_description.m_nLoaderResults[kLoaderLastDataColumn], 1);

  // The warnings of an empty heading, as a log shows them.
  std::ostringstream log;
  CIOOptions options;
  options.ShowErrorBoxes = 0;
  CWksTbl tbl(&log, &options);
  CIoTableDescription description;
  description.m_strSource = path;
  ASSERT_EQ(tbl.Open(description), 1);
  EXPECT_EQ(log.str(),
            "Warning\nWarning -- Empty or Bad Column Name cell encountered in Row, Column:  1,3\n\n"
            "Warning -- All further columns will be ignored.\n\n");
  tbl.Close(1);
}

TEST_F(WksTbl, TypesColumnsByNameAndByData) {
  const std::string path = Sheet({
      {"ROWNAMES", "PRICE", "TEXT", "DATE", "N", "S", "E", "D", "DT", "StopTime"},
      {"*c", "x", "#1", "", "a", "#1", "", "", "", ""},
      {"r1", "x", "#1", "@d2021-03-15", "", "", "", "@d2020-01-02", "@s2021-03-15 07:05:09", "@t07:05:09"},
      {"r2", "#1", "t", "", "#2.5", "word", "", "", "", ""},
  });
  CIoTable table(path, "", "ROWNAMES", "*", "*", kTableWorksheet);
  ASSERT_EQ(table.GetStatus(), 0);
  EXPECT_EQ(Types(table), (std::vector<int>{1, 3, 1, 9, 8, 1, 8, 9, 11, 10}));
  EXPECT_EQ(table.GetCellText(0, 3), "2021-03-15");
  EXPECT_EQ(table.GetCellText(0, 7), "2020-01-02");
  EXPECT_EQ(table.GetCellText(0, 8), "2021-03-15 07:05:09");
  EXPECT_EQ(table.GetCellText(0, 9), "07:05:09");
  EXPECT_NE(table.IsCellNull(1, 3), 0u);
  EXPECT_DOUBLE_EQ(table.GetCellDouble(1, 4), 2.5);
  EXPECT_NE(table.IsCellNull(0, 4), 0u);  // empty number cell
  EXPECT_NE(table.IsCellNull(0, 1), 0u);  // text in a PRICE column is no number
  EXPECT_STREQ(table.GetCellString(1, 2), "t");
  EXPECT_NE(table.IsCellNull(0, 2), 0u);  // number in the TEXT column
  EXPECT_EQ(table.m_rows.DataCell(1, 4).m_nSourceRow, 3);
  EXPECT_EQ(table.m_rows.DataCell(1, 4).m_nSourceColumn, 4);
}

TEST_F(WksTbl, KeyValuesAndWarnings) {
  const std::string path = Sheet({
      {"ROWNAMES", "V"},
      {"AB1", "#1"},
      {"ab2", "#2"},
      {"XAB", "#3"},
      {"", "#4"},
  });
  struct Case {
    const char* values;
    Texts keys;
  } cases[] = {
      {"A*", {"AB1"}},
      {"a*", {"ab2"}},
      {"...AB...", {"AB1", "XAB"}},
      {"*", {"AB1", "ab2", "XAB"}},
      {"Q", {}},
  };
  for (const Case& c : cases) {
    CIoTable table(path, "", "ROWNAMES", c.values, "V", kTableWorksheet);
    EXPECT_EQ(table.GetStatus(), 0) << c.values;
    Texts keys;
    for (int i = 0; i < table.GetRowCount(); ++i) keys.emplace_back(table.GetKeyText(i, 0));
    EXPECT_EQ(keys, c.keys) << c.values;
  }

  // A number in a text key column, or text in a numeric one, is doubtful: status 21.
  const std::string numberKey = Sheet({{"ROWNAMES", "V"}, {"r1", "#1"}, {"#42", "#2"}}, 2, "nk.xls");
  EXPECT_EQ(CIoTable(numberKey, "", "ROWNAMES", "*", "V", kTableWorksheet).GetStatus(), 21);
  const std::string textKey = Sheet({{"ID", "V"}, {"#1", "#1"}, {"#2", "#2"}, {"x", "#3"}}, 2, "tk.xls");
  CIoTable byNumber(textKey, "", "ID", "2*", "V", kTableWorksheet);
  EXPECT_EQ(byNumber.GetStatus(), 21);
  ASSERT_EQ(byNumber.GetRowCount(), 1);
  EXPECT_DOUBLE_EQ(byNumber.GetCellDouble(0, 0), 2.0);
  EXPECT_EQ(CIoTable(textKey, "", "", "", "V", kTableWorksheet).GetStatus(), 0);

  std::ostringstream log;
  CIOOptions options;
  options.ShowErrorBoxes = 0;
  CWksTbl tbl(&log, &options);
  CIoTableDescription description;
  description.m_strSource = path;
  ASSERT_EQ(tbl.Open(description), 1);
  CIoRowArray rows;
  CColumnArray keys, data;
  ASSERT_EQ(tbl.ReadAll(rows, keys, data, "ROWNAMES", "Q*", "V"), 1);
  EXPECT_EQ(rows.GetSize(), 0);
  EXPECT_EQ(log.str(), "Warning\nRow 5 with all empty key values skipped.\n\n"
                       "Warning\nNo Match for Source Key Value.\n\n");
  EXPECT_EQ(tbl.Close(1), 1);
}

TEST_F(WksTbl, InvalidDateCellsAreStoredNullWithAWarning) {
  const std::string path = Sheet({{"ROWNAMES", "DATE"}, {"r1", "#-1000000"}, {"r2", "#44270"}});
  std::ostringstream log;
  CIOOptions options;
  options.ShowErrorBoxes = 0;
  CWksTbl tbl(&log, &options);
  CIoTableDescription description;
  description.m_strSource = path;
  ASSERT_EQ(tbl.Open(description), 1);
  CIoRowArray rows;
  CColumnArray keys, data;
  ASSERT_EQ(tbl.ReadAll(rows, keys, data, "", "", "DATE"), 1);
  ASSERT_EQ(rows.GetSize(), 2);
  EXPECT_NE(rows.IsCellNull(0, 0), 0u);
  EXPECT_EQ(rows.GetCellText(1, 0), "2021-03-15 00:00:00");  // a plain number in a date column
  EXPECT_EQ(log.str(), "Warning\nInvalid date/time cell encountered in row 2 col 2.\n\n");
}

TEST_F(WksTbl, StatusesOfFailures) {
  const std::string path = Sheet({{"ROWNAMES", "V"}, {"r1", "#1"}});
  struct Case {
    const char* name;
    std::string source;
    std::string sheet;
    const char* keyFields;
    const char* keyValues;
    const char* extract;
    int status;
  } cases[] = {
      {"missing file", (m_dir / "none.xls").string(), "", "ROWNAMES", "*", "*", 1},
      {"missing extract column", path, "", "ROWNAMES", "*", "V,W", 2},
      {"missing key field", path, "", "NAME", "*", "*", 2},
      {"key count mismatch", path, "", "ROWNAMES", "*,*", "*", 2},
      {"missing sheet of a workbook", OSTREL_SOURCE_DIR "/tableio/worksheet/testdata/book_biff5.xls",
       "Nope", "ROWNAMES", "*", "*", 1},
      {"text file", (m_dir / "t.csv").string(), "", "ROWNAMES", "*", "*", 1},
      {"empty sheet", Sheet({}, 2, "empty.xls"), "", "ROWNAMES", "*", "*", 2},
      {"header only", Sheet({{"ROWNAMES", "V"}}, 2, "header.xls"), "", "ROWNAMES", "*", "*", 0},
  };
  { std::ofstream(m_dir / "t.csv") << "ROWNAMES,V\nr1,1\n"; }
  for (const Case& c : cases) {
    CIoTable table(c.source, c.sheet, c.keyFields, c.keyValues, c.extract, kTableWorksheet);
    EXPECT_EQ(table.GetStatus(), c.status) << c.name;
    EXPECT_EQ(table.GetRowCount(), 0) << c.name;
  }
}

TEST_F(WksTbl, ReadsWorkbookSheetsThroughTheCache) {
  const std::string book = (m_dir / "Book.xls").string();
  fs::copy_file(OSTREL_SOURCE_DIR "/tableio/worksheet/testdata/book_biff5.xls", book);
  CIoTable data(book, "Data", "ROWNAMES", "R*", "Alpha,When", kTableWorksheet);
  ASSERT_EQ(data.GetStatus(), 0);
  EXPECT_EQ(data.m_strFormatName, "Excel5");
  EXPECT_EQ(data.GetRowCount(), 3);
  EXPECT_DOUBLE_EQ(data.GetCellDouble(1, 0), 1.5);
  ASSERT_TRUE(HasCachedWorkbook());
  CWksFile* cached = FindCachedWorkbook((m_dir / "BOOK.XLS").string(), "Second Sheet");
  ASSERT_NE(cached, nullptr);

  // Written on Windows, other letter case: the same cached workbook serves it.
  CIoTable second((m_dir / "book.XLS").string(), "Second Sheet", "", "", "*", kTableWorksheet);
  ASSERT_EQ(second.GetStatus(), 0);
  EXPECT_EQ(Column(second, 0), (Texts{"one", "two"}));
  EXPECT_TRUE(IsCachedWorkbook(cached));
  CloseCachedWorkbook(true);
  EXPECT_FALSE(HasCachedWorkbook());
}

TEST_F(WksTbl, OlderFormatsEndToEnd) {
  for (int version : {2, 3, 4}) {
    const std::string path = Sheet({{"ROWNAMES", "Qty", "Name"}, {"*c", "#0", "x"}, {"r1", "#1.5", "one"},
                                    {"r2", "#-2", "two"}},
                                   version, "v" + std::to_string(version) + ".xls");
    CIoTable table(path, "", "ROWNAMES", "*", "*", kTableWorksheet);
    ASSERT_EQ(table.GetStatus(), 0) << version;
    EXPECT_EQ(table.m_strFormatName, std::string("Excel") + std::to_string(version));
    EXPECT_EQ(Types(table), (std::vector<int>{1, 8, 1}));
    EXPECT_DOUBLE_EQ(table.GetCellDouble(1, 1), -2.0);
    EXPECT_EQ(Column(table, 2), (Texts{"one", "two"}));
    EXPECT_FALSE(HasCachedWorkbook());  // single-sheet files are never cached
  }
}

TEST_F(WksTbl, MarkerAndCommentRowsWithFormulas) {
  const std::string path = Sheet({{"ROWNAMES", "V"}, {"*IFVT", "#1"}, {"*ABCCRD", "#2"}, {"*note", "#3"},
                                  {"r1", "#4"}, {"*iibpX", "#5"}});
  CIoTableDescription description;
  description.m_strSource = path;
  std::string format;
  CColumnArray keys, data;
  CIoRowArray rows, markers, comments;
  int readOnly = -1, formulas = -1, available = -1;
  EXPECT_EQ(LoadWorksheetTable(description, 3, "ROWNAMES", "*", "V", format, keys, data, rows, markers,
                               comments, readOnly, formulas, available, 1),
            0);
  ASSERT_EQ(rows.GetSize(), 1);
  EXPECT_EQ(rows.GetAt(0)->GetLastSourceIndex(), 3);
  EXPECT_EQ(rows.GetCellTag(0, 0), 3);
  ASSERT_EQ(markers.GetSize(), 3);
  EXPECT_STREQ(markers.GetKeyString(0, 0), "*IFVT");
  EXPECT_STREQ(markers.GetKeyString(1, 0), "*ABCCRD");
  EXPECT_STREQ(markers.GetKeyString(2, 0), "*iibpX");
  ASSERT_EQ(comments.GetSize(), 1);
  EXPECT_STREQ(comments.GetKeyString(0, 0), "*note");
  EXPECT_DOUBLE_EQ(comments.GetCellDouble(0, 0), 3.0);
  EXPECT_EQ(available, 1);
  EXPECT_EQ(readOnly, 0);
}

TEST(WksTblNames, MarkerRowNames) {
  const std::pair<const char*, bool> cases[] = {
      {"*IFVT", true}, {"*ifvtx", true}, {"*IIVT", true}, {"*IFBP", true}, {"*IIBP", true},
      {"*xyzCRD", true}, {"*xyzcrd", true}, {"*xyCRD", false}, {"*IFV", false}, {"IFVT", false}, {"", false}};
  for (const auto& [name, marker] : cases) EXPECT_EQ(IsMarkerRowName(name), marker) << name;
}

}  // namespace
