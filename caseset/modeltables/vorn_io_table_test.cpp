#include "caseset/modeltables/vorn_io_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "caseset/modeltables/model_sheet_fixture.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using model_sheets::ModelSheets;
using Texts = std::vector<std::string>;

Texts Keys(const CIoTable& table) {
  Texts keys;
  for (int i = 0; i < table.GetRowCount(); ++i) keys.emplace_back(table.GetKeyString(i, 0));
  return keys;
}

Texts ColumnNames(const CIoTable& table) {
  Texts names;
  for (int j = 0; j < table.GetColumnCount(); ++j) names.emplace_back(table.GetColumnName(j));
  return names;
}

double Cell(const CIoTable& table, const std::string& row, const std::string& column) {
  return table.GetCellDouble(table.FindRowByKey(row, 0), table.FindColumn(column));
}

TEST(VornIoTable, OneSourceLoadsAsAPlainTable) {
  ModelSheets sheets("vio");
  sheets.AddSheet("REPORT", "report.xls", {{"ROWNAMES", "TEXT", "A"}, {"r1", "first", "#1"}, {"r2", "", "#2"}});
  CVornIoTable table("REPORT", sheets.m_model, 0);
  ASSERT_EQ(table.GetStatus(), kIoTableOk);
  EXPECT_EQ(Keys(table), (Texts{"r1", "r2"}));
  EXPECT_EQ(table.m_nTextColumn, table.FindColumn("TEXT"));
  EXPECT_EQ(table.GetRowText(0), "first");
  EXPECT_EQ(table.GetRowText(1), "");
  EXPECT_THROW(table.GetRowText(2), CInvalidArgException);
  EXPECT_EQ(table.GetDisplayName(), sheets.Path("report.xls"));
  EXPECT_EQ(table.m_sourceDescriptions.GetSize(), 1);

  // The one-source constructor reads the same file.
  CVornIoTable direct(sheets.Path("report.xls"), "", "*", "*", kTableWorksheet);
  ASSERT_EQ(direct.GetStatus(), kIoTableOk);
  EXPECT_EQ(direct.GetRowText(0), "first");
}

TEST(VornIoTable, NothingToReadGivesStatusOne) {
  ModelSheets sheets("vio");
  sheets.AddSheet("REPORT", "report.xls", {{"ROWNAMES", "A"}, {"r1", "#1"}});
  EXPECT_EQ(CVornIoTable("MISSING", sheets.m_model, 0).GetStatus(), kIoTableCannotOpen);
  EXPECT_EQ(CVornIoTable("REPORT", sheets.m_model, 1).GetStatus(), kIoTableCannotOpen);
  sheets.ListFile("ABSENT", "absent.xls");
  EXPECT_EQ(CVornIoTable("ABSENT", sheets.m_model, 0).GetStatus(), kIoTableCannotOpen);
}

TEST(VornIoTable, SourcesMergeByRowKeyWithTheUnionOfColumns) {
  ModelSheets sheets("vio");
  sheets.AddSheet("CAPS", "a.xls", {{"ROWNAMES", "TEXT", "A", "B"}, {"r1", "one", "#1", ""}, {"r2", "two", "#2", "#5"}});
  sheets.AddSheet("CAPS", "b.xls",
                  {{"ROWNAMES", "TEXT", "C", "B", "A"},
                   {"r1", "uno", "#7", "#4", "#1.0000005"},
                   {"R2", "", "#8", "", ""},
                   {"r3", "three", "#9", "", ""}});
  CVornIoTable table("CAPS", sheets.m_model, 0);
  ASSERT_EQ(table.GetStatus(), kIoTableOk);
  EXPECT_EQ(ColumnNames(table), (Texts{"ROWNAMES", "TEXT", "A", "B", "C"}));
  // A key in other letter case is another row.
  EXPECT_EQ(Keys(table), (Texts{"r1", "r2", "R2", "r3"}));
  EXPECT_DOUBLE_EQ(Cell(table, "r1", "A"), 1.0000005);  // equal within 1e-6: the later value stays
  EXPECT_DOUBLE_EQ(Cell(table, "r1", "B"), 4);          // an empty cell is filled
  EXPECT_DOUBLE_EQ(Cell(table, "r1", "C"), 7);
  EXPECT_EQ(table.GetRowText(0), "uno");  // a later TEXT overrides
  EXPECT_EQ(table.GetRowText(1), "two");
  // Rows of one sheet only have null placeholders in the other sheet's columns.
  EXPECT_TRUE(table.IsCellNull(table.FindRowByKey("r2", 0), table.FindColumn("C")));
  EXPECT_TRUE(table.IsCellNull(table.FindRowByKey("r3", 0), table.FindColumn("A")));
  EXPECT_EQ(table.m_sourceDescriptions.GetSize(), 2);
  EXPECT_EQ(table.GetDisplayName(), sheets.Path("a.xls"));
  EXPECT_EQ(table.m_rows.GetAt(0)->m_sourceNumbers, (std::vector<int>{0, 1}));
}

TEST(VornIoTable, ADifferentValueIsADuplicateUnlessTheTableKeepsTheFirst) {
  for (const std::string name : {"CAPS", "PDIST", "pguess", "NCRDCUTS", "TESTRUN"}) {
    SCOPED_TRACE(name);
    ModelSheets sheets("vio");
    sheets.AddSheet(name, "a.xls", {{"ROWNAMES", "A"}, {"r1", "#1.0"}});
    sheets.AddSheet(name, "b.xls", {{"ROWNAMES", "A"}, {"r1", "#1.1"}, {"r2", "#3"}});
    testing::internal::CaptureStderr();
    CVornIoTable table(name, sheets.m_model, 0);
    const std::string boxes = testing::internal::GetCapturedStderr();
    if (name == "CAPS") {
      EXPECT_EQ(table.GetStatus(), kVornIoTableDuplicate);
      EXPECT_THAT(boxes, HasSubstr("Duplicate coefficient in table " + sheets.Path("b.xls") + " for row r1 column A"));
      EXPECT_EQ(Keys(table), (Texts{"r1"}));  // the rest of the source is not merged
    } else {
      EXPECT_EQ(table.GetStatus(), kIoTableOk);
      EXPECT_EQ(boxes, "");
      EXPECT_EQ(Keys(table), (Texts{"r1", "r2"}));
    }
    EXPECT_DOUBLE_EQ(Cell(table, "r1", "A"), 1.0);
  }
}

TEST(VornIoTable, TimestampsWithinHalfASecondAreTheSameValue) {
  const auto sheet = [](double seconds) {
    return wks_test::Grid{{"ROWNAMES", "DATETIMEID"},
                          {"r1", "#" + std::to_string(45000.5 + seconds / 86400.0)}};
  };
  for (const auto& [seconds, status] : {std::pair<double, int>{0.4, kIoTableOk}, std::pair<double, int>{0.6, kVornIoTableDuplicate}}) {
    SCOPED_TRACE(seconds);
    ModelSheets sheets("vio");
    sheets.AddSheet("CAPS", "a.xls", sheet(0));
    sheets.AddSheet("CAPS", "b.xls", sheet(seconds));
    testing::internal::CaptureStderr();
    CVornIoTable table("CAPS", sheets.m_model, 0);
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(table.GetColumnType(table.FindColumn("DATETIMEID")), kSqlTimestamp);
    EXPECT_EQ(table.GetStatus(), status);
  }
}

TEST(VornIoTable, EventTablesAppendAndReportRepeatedDates) {
  ModelSheets sheets("vio");
  // Any letter case of the name appends.
  sheets.AddSheet("receive", "r1.xls",
                  {{"Code", "Date", "Amount"}, {"ARL", "@d2024-01-05", "#10"}, {"ARL", "@d2024-01-05", "#11"}});
  sheets.AddSheet("receive", "r2.xls",
                  {{"Code", "Date", "Amount", "Rate"}, {"ARL", "@d2024-01-05", "#12", "#1"}, {"BRN", "@d2024-01-06", "#13", "#2"}});
  testing::internal::CaptureStderr();
  CVornIoTable table("receive", "*", "*", sheets.m_model, 0, "Code", 0);
  const std::string boxes = testing::internal::GetCapturedStderr();
  ASSERT_EQ(table.GetStatus(), kIoTableOk);
  EXPECT_EQ(Keys(table), (Texts{"ARL", "ARL", "ARL", "BRN"}));
  EXPECT_EQ(ColumnNames(table), (Texts{"Code", "Date", "Amount", "Rate"}));
  EXPECT_DOUBLE_EQ(table.GetCellDouble(2, table.FindColumn("Amount")), 12);
  EXPECT_TRUE(table.IsCellNull(0, table.FindColumn("Rate")));
  // One box for the repeated date of the later workbook; the first one's own repeat is not compared.
  EXPECT_THAT(boxes, HasSubstr("for row ARL column Date"));
  EXPECT_EQ(boxes.find("Duplicate"), boxes.rfind("Duplicate"));
}

TEST(VornIoTable, ALaterSourceThatCannotBeReadIsReportedNotDropped) {
  ModelSheets sheets("vio");
  sheets.AddSheet("CAPS", "a.xls", {{"ROWNAMES", "A"}, {"r1", "#1"}});
  sheets.ListFile("CAPS", "gone.xls");
  testing::internal::CaptureStderr();
  CVornIoTable table("CAPS", sheets.m_model, 0);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(table.GetStatus(), kIoTableCannotRead);
  EXPECT_THAT(table.GetDisplayName(), HasSubstr("gone.xls"));
}

TEST(VornIoTable, RowTextIsEmptyWithoutATextColumn) {
  ModelSheets sheets("vio");
  sheets.AddSheet("CAPS", "a.xls", {{"ROWNAMES", "A"}, {"r1", "#1"}, {"r2", "#2"}});
  CVornIoTable table("CAPS", sheets.m_model, 0);
  ASSERT_EQ(table.GetStatus(), kIoTableOk);
  EXPECT_EQ(table.m_nTextColumn, -1);
  EXPECT_EQ(table.GetRowText(0), "");
  EXPECT_EQ(table.GetRowText(1), "");
}

}  // namespace

namespace {

// A read-only load never fails to close here, so a table holding each status stands in for the loads.
TEST(VornIoTable, TheReadersBoxNamesEachLoadFailureAndPassesEveryOtherStatus) {
  const struct {
    int status;
    bool ok;
    const char* box;
  } cases[] = {
      {kIoTableCannotRead, false, "Unable to retrieve data from existing table"},
      {kIoTableCannotClose, false, "An internal Tablora error has occurred."},
      {kIoTableOkWithWarnings, false, "Mixed numeric/text data cells in ROWNAMES column"},
      {kIoTableOk, true, ""},
      {kIoTableCannotOpen, true, ""},
      {kVornIoTableDuplicate, true, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    CIoTable table;
    table.m_nStatus = c.status;
    table.m_strSource = "depots.xls";
    table.m_strTable = "DEPOTS";
    testing::internal::CaptureStderr();
    EXPECT_EQ(ReportModelTableStatus(table), c.ok);
    const std::string boxes = testing::internal::GetCapturedStderr();
    if (c.ok) {
      EXPECT_EQ(boxes, "");
    } else {
      EXPECT_THAT(boxes, HasSubstr(c.box));
    }
  }
}

TEST(VornIoTable, MarkerRowsMergeByKeyToo) {
  ModelSheets sheets("vio");
  sheets.AddSheet("CAPS", "a.xls", {{"ROWNAMES", "A"}, {"*IFVT", "#1"}, {"r1", "#2"}});
  sheets.AddSheet("CAPS", "b.xls",
                  {{"ROWNAMES", "A", "B"}, {"*IFVT", "", "#5"}, {"*IIVT", "#3", ""}, {"r1", "#2", "#4"}});
  CVornIoTable table("CAPS", "*", "*", sheets.m_model, 0, "ROWNAMES", 1);
  ASSERT_EQ(table.GetStatus(), kIoTableOk);
  EXPECT_EQ(Keys(table), (Texts{"r1"}));
  ASSERT_EQ(table.m_extraRows.GetSize(), 2);
  EXPECT_STREQ(table.GetExtraKeyString(0, 0), "*IFVT");
  EXPECT_STREQ(table.GetExtraKeyString(1, 0), "*IIVT");
  EXPECT_DOUBLE_EQ(table.m_extraRows.GetCellDouble(0, table.FindColumn("A")), 1);
  EXPECT_DOUBLE_EQ(table.m_extraRows.GetCellDouble(0, table.FindColumn("B")), 5);
  EXPECT_DOUBLE_EQ(table.m_extraRows.GetCellDouble(1, table.FindColumn("A")), 3);
}

}  // namespace
