#include "tableio/base_tbl.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tableio/testing/mem_tbl.h"

namespace {

class BaseTbl : public ::testing::Test {
 protected:
  void Open(std::vector<std::pair<std::string, std::int16_t>> columns) {
    m_data.columns = std::move(columns);
    m_table = std::make_unique<CMemTbl>(m_data, &m_log, &m_options);
    m_options.ShowErrorBoxes = 0;
    ASSERT_EQ(m_table->Open(CIoTableDescription()), 1);
  }
  std::vector<std::pair<std::string, int>> Fields(const CIoKeyCellArray& fields) const {
    std::vector<std::pair<std::string, int>> out;
    for (const CIoKeyCell* field : fields) out.emplace_back(field->GetName(), field->GetIndex());
    return out;
  }

  MemTableData m_data;
  std::ostringstream m_log;
  CIOOptions m_options;
  std::unique_ptr<CMemTbl> m_table;
};

using FieldList = std::vector<std::pair<std::string, int>>;

TEST_F(BaseTbl, KeyFields) {
  Open({{"A", 1}, {"B", 8}, {"AB", 1}});
  ASSERT_EQ(m_table->SetKeyFields("A,,B"), 1);
  EXPECT_EQ(Fields(m_table->m_keyFields), (FieldList{{"A", 0}, {"", -1}, {"B", 1}}));
  CColumnArray keys;
  EXPECT_EQ(m_table->CopyKeyColumns(keys), 3);
  EXPECT_EQ(keys.GetAt(1)->m_strName, "");
  EXPECT_EQ(keys.GetAt(1)->m_nSqlType, 0);
  EXPECT_FALSE(keys.GetAt(1)->IsSelected());
  EXPECT_EQ(keys.GetAt(2)->m_strName, "B");
  EXPECT_EQ(keys.GetAt(2)->m_nSqlType, 8);
  EXPECT_EQ(keys.GetAt(2)->m_nPosition, 1);
  EXPECT_TRUE(keys.GetAt(2)->IsSelected());

  ASSERT_EQ(m_table->SetKeyFields(" A* "), 1);
  EXPECT_EQ(Fields(m_table->m_keyFields), (FieldList{{"A", 0}, {"AB", 2}}));

  struct Failure {
    const char* list;
    const char* message;
  } failures[] = {
      {"", "Error: No key field specified."},
      {"???", "[???] KeyField not Found. "},  // no column has three characters
      {"A,Q", "[Q] KeyField not Found. "},
  };
  for (const Failure& f : failures) {
    m_log.str("");
    EXPECT_EQ(m_table->SetKeyFields(f.list), 0) << f.list;
    EXPECT_EQ(m_log.str(), std::string("Error\n") + f.message + "\n\n");
  }
}

TEST_F(BaseTbl, ExtractAndResultFields) {
  Open({{"X", 1}, {"!Y", 1}, {"Z", 8}});
  struct Case {
    const char* list;
    FieldList fields;
  } cases[] = {
      {"*", {{"X", 0}, {"Z", 2}}},
      {"*,X", {{"X", 0}, {"X", 0}, {"Z", 2}}},  // X matches both items
      {"Q*", {}},                              // a pattern may match nothing
      {"Z, !Y", {{"Z", 2}, {"!Y", 1}}},        // named, a "!" column is fine
  };
  for (const Case& c : cases) {
    ASSERT_EQ(m_table->SetExtractColumns(c.list), 1) << c.list;
    EXPECT_EQ(Fields(m_table->m_extractFields), c.fields) << c.list;
  }
  m_log.str("");
  EXPECT_EQ(m_table->SetExtractColumns("X,Q"), 0);
  EXPECT_EQ(m_log.str(), "Error\nCan Not Find Extract Column [Q].\n\n");
  m_log.str("");
  EXPECT_EQ(m_table->SetExtractColumns(""), 0);
  EXPECT_EQ(m_log.str(), "Error\nNo Extract Columns Specified.\n\n");

  ASSERT_EQ(m_table->SetResultFields("X,NEW"), 1);
  EXPECT_EQ(Fields(m_table->m_resultFields), (FieldList{{"X", 0}, {"NEW", -1}}));
  m_options.AllowColumnAdditions = 0;
  m_log.str("");
  EXPECT_EQ(m_table->SetResultFields("X,NEW"), 0);
  EXPECT_EQ(m_log.str(),
            "Error\nCan Not Find Result Column [NEW].\n\nNote:  Allow Column Additions option is set off.\n\n");
  EXPECT_EQ(m_table->SetKeyValues(""), 0);
  ASSERT_EQ(m_table->SetKeyValues(" a , b,"), 1);
  EXPECT_EQ(m_table->m_keyValues, (std::vector<std::string>{"a", "b", ""}));
}

TEST(BaseTblMatch, KeyPatterns) {
  struct Case {
    const char* text;
    const char* value;
    bool match;
  } cases[] = {
      {"ABCD", "...BC...", true}, {"ABCD", "...XY", false},  {"ABCD", "A?", false},
      {"ABCD", "A*", true},       {"abcd", "A*", false},     {"ABCD", "*", true},
      {"", "*", true},            {"ABCD", "ABCD", true},    {"ABCD", "ABC", false},
      {"YAB1", "X...AB...", true}, {"X1", "X...AB...", false}, {"A...B", "......", true},
      {"ABCD", "AB...", true},    {"A?C", "A?C", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CBaseTbl::MatchKeyPattern(c.text, c.value), c.match) << c.text << " / " << c.value;
  }
}

TEST_F(BaseTbl, ColumnNamesAndSearch) {
  Open({{"A", 1}, {"B", 1}});
  std::string name;
  EXPECT_EQ(m_table->GetColumnName(1, name), 1);
  EXPECT_EQ(name, "B");
  EXPECT_THROW(m_table->GetColumnName(2, name), CInvalidArgException);
  EXPECT_EQ(m_table->GetColumnName(3, name), 0);
  char buffer[2];
  EXPECT_EQ(m_table->GetColumnName(0, buffer, sizeof buffer), 1);
  EXPECT_STREQ(buffer, "A");

  // Another array is scanned over its own size, not this table's column count.
  CColumnArray other;
  for (const char* n : {"P", "Q", "R", "S"}) other.Add(std::make_unique<CColumn>(n, 1, 1, 0, 1, 0));
  EXPECT_EQ(m_table->FindColumnIn(other, "S"), 3);
  EXPECT_EQ(m_table->FindColumnIn(other, "A"), -1);
  EXPECT_EQ(m_table->FindColumn("b"), -1);
}

TEST_F(BaseTbl, CursorSteps) {
  m_data.rows = {{"1"}, {"2"}, {"3"}};
  Open({{"A", 1}});
  EXPECT_EQ(m_table->RewindToFirstDataRow(), 3);
  EXPECT_EQ(m_table->m_nCurrentRow, 0);
  EXPECT_EQ(m_table->NextRow(), 0);
  EXPECT_EQ(m_table->NextRow(), 0);
  EXPECT_EQ(m_table->NextRow(), 1);
  EXPECT_TRUE(m_table->IsEndOfRows());
  m_table->PrevRow();
  EXPECT_FALSE(m_table->IsEndOfRows());
  EXPECT_FALSE(m_table->IsBeginOfRows());
  m_table->RewindToFirstDataRow();  // a second pass reads again
  EXPECT_FALSE(m_table->IsEndOfRows());
  m_table->PrevRow();
  EXPECT_TRUE(m_table->IsBeginOfRows());
  EXPECT_EQ(m_table->GetRowNumberText(), "0");
}

TEST_F(BaseTbl, TableSpecsAndExcelFormats) {
  Open({{"A", 1}});
  EXPECT_EQ(m_table->ParseTableSpec("ODBC(dsn, user ,pw)"), 1);
  EXPECT_EQ(m_table->m_strDataSourceName, "dsn");
  EXPECT_EQ(m_table->m_strUser, "user");
  EXPECT_EQ(m_table->m_strPassword, "pw");
  EXPECT_EQ(m_table->ParseTableSpec("WKS"), 1);
  EXPECT_EQ(m_table->m_strDataSourceName, "");
  m_log.str("");
  EXPECT_EQ(m_table->ParseTableSpec("XLS(a)"), 0);
  EXPECT_EQ(m_log.str(), "Error\n[XLS(a)] Invalid Table Type Specified.\n\n");
  // A refused specification is echoed without its password.
  m_log.str("");
  EXPECT_EQ(m_table->ParseTableSpec("ODBC(DSN=x;PWD=top,user,secret,extra)"), 0);
  EXPECT_EQ(m_log.str(), "Error\n[ODBC(DSN=x;PWD=********,user,********,********)] Invalid Table Type Specified.\n\n");
  EXPECT_EQ(m_table->ParseTableSpec("OLE2(Excel5,Excel3)"), 1);
  EXPECT_EQ(m_table->m_nExcelFileFormat, 29);

  struct Case {
    const char* name;
    int result;
    int number;
  } cases[] = {{"", 1, 39},        {"Excel5", 1, 39}, {"WKS", 1, 4},   {"Text", 1, -4158},
               {"TextPrinter", 1, 36}, {"CSVMSDOS", 1, 24}, {"excel5", 0, -1}};
  for (const Case& c : cases) {
    m_log.str("");
    EXPECT_EQ(m_table->SetExcelFileFormat(c.name), c.result) << c.name;
    EXPECT_EQ(m_table->m_nExcelFileFormat, c.number) << c.name;
  }
  EXPECT_EQ(m_log.str(), "Error\nInvalid Excel spreadsheet format specified. [excel5]\n\n");
}

TEST_F(BaseTbl, ReportsGoToBoxesAndLogAsTheOptionsSay) {
  Open({{"A", 1}});
  m_options.ShowErrorBoxes = 1;
  m_log.str("");
  testing::internal::CaptureStderr();
  EXPECT_EQ(m_table->ReportErrorWithName(10315, "f.xls"), 0);
  m_table->ReportWarningArgs(10332, "3", "4");
  m_table->LogNoteArg(10147, "COL");
  EXPECT_EQ(m_table->ReportException(std::runtime_error("driver says no"), 10319, "T", "SELECT 1"), 0);
  const std::string boxes = testing::internal::GetCapturedStderr();
  EXPECT_NE(boxes.find("Error: Unable to open table [%1] [f.xls]"), std::string::npos);
  EXPECT_EQ(boxes.find("Warning"), std::string::npos);  // warning boxes are off
  EXPECT_EQ(m_log.str(),
            "Error\nUnable to open table [%1] [f.xls]\n\n"
            "Warning\nInvalid date/time cell encountered in row 3 col 4.\n\n"
            "[COL] column added to Target Table.\n\n"
            "Error\nAn error occurred while trying to retrieve a field value in table T.\n\n"
            "driver says no\n\nSELECT 1\n\n");
  m_options.LogEnabled = 0;
  m_options.ShowErrorBoxes = 0;
  m_log.str("");
  m_table->ReportError(10001);
  EXPECT_EQ(m_log.str(), "");
}

}  // namespace
