#include "tableio/io_table.h"

#include <gtest/gtest.h>

#include "tableio/testing/mem_tbl.h"

namespace {

constexpr int kMemType = 0;  // stands in for the worksheet back end

class IoTable : public ::testing::Test {
 protected:
  void SetUp() override {
    m_data.columns = {{"ROWNAMES", 1}, {"TEXT", 1}, {"!HIDDEN", 8}, {"VALUE", 8}, {"ID", 4}};
    m_data.rows = {
        {"ABC", "first", "1", "1.5", "10"},
        {"XAB1", "second", "2", "", "20"},
        {"abc", "third", "3", "3.5", "30"},
        {"ZZ", "", "4", "4.5", "40"},
    };
    m_previous = SetTableLoader(kMemType, MemTableLoader(m_data));
  }
  void TearDown() override { SetTableLoader(kMemType, m_previous); }

  std::vector<std::string> RowKeys(const CIoTable& table) const {
    std::vector<std::string> keys;
    for (int i = 0; i < table.GetRowCount(); ++i) keys.emplace_back(table.GetKeyString(i, 0));
    return keys;
  }

  MemTableData m_data;
  TableLoader m_previous;
};

using KeyList = std::vector<std::string>;

TEST_F(IoTable, ModelTableReadsEveryRowAndVisibleColumn) {
  CIoTable table("crude.xls", "Sheet1", "ROWNAMES", "*", "*", kMemType);
  ASSERT_EQ(table.GetStatus(), 0);
  EXPECT_EQ(RowKeys(table), (KeyList{"ABC", "XAB1", "abc", "ZZ"}));
  ASSERT_EQ(table.GetKeyColumnCount(), 1);
  EXPECT_EQ(table.m_keyColumns.GetAt(0)->m_strName, "ROWNAMES");
  ASSERT_EQ(table.GetColumnCount(), 4);
  EXPECT_STREQ(table.GetColumnName(0), "ROWNAMES");
  EXPECT_STREQ(table.GetColumnName(3), "ID");
  EXPECT_EQ(table.GetColumnType(2), 8);
  EXPECT_EQ(table.FindColumn("VALUE"), 2);
  EXPECT_EQ(table.FindColumn("!HIDDEN"), -1);
  EXPECT_DOUBLE_EQ(table.GetCellDouble(0, 2), 1.5);
  EXPECT_EQ(table.GetCellLong(2, 3), 30);
  EXPECT_STREQ(table.GetCellString(1, 1), "second");
  EXPECT_EQ(table.GetCellText(0, 2), "1.500000");
  EXPECT_NE(table.IsCellNull(1, 2), 0u);
  EXPECT_EQ(table.IsCellNull(0, 2), 0u);
  EXPECT_EQ(table.GetKeyText(3, 0), "ZZ");
  EXPECT_EQ(table.m_description.m_nOptions[0], 1);
  EXPECT_EQ(table.m_description.m_nTableType, kMemType);
  EXPECT_EQ(table.m_bAvailable, 1);
  EXPECT_EQ(table.GetDisplayName(), "crude.xls[Sheet1]");
}

TEST_F(IoTable, KeyValuesSelectRows) {
  struct Case {
    const char* keyFields;
    const char* keyValues;
    KeyList keys;
  } cases[] = {
      {"ROWNAMES", "A*", {"ABC"}},
      {"ROWNAMES", "a*", {"abc"}},
      {"ROWNAMES", "X...AB...", {"ABC", "XAB1"}},
      {"ROWNAMES", "ZZ", {"ZZ"}},
      {"ROWNAMES,TEXT", "*,t*", {"abc"}},
      {"", "", {"ABC", "XAB1", "abc", "ZZ"}},
  };
  for (const Case& c : cases) {
    CIoTable table("f", "", c.keyFields, c.keyValues, "ROWNAMES", kMemType);
    EXPECT_EQ(table.GetStatus(), 0) << c.keyValues;
    KeyList names;
    for (int i = 0; i < table.GetRowCount(); ++i) names.emplace_back(table.GetCellString(i, 0));
    EXPECT_EQ(names, c.keys) << c.keyValues;
  }
}

TEST_F(IoTable, Statuses) {
  struct Case {
    const char* name;
    const char* keyFields;
    const char* keyValues;
    const char* extract;
    int type;
    int status;
  } cases[] = {
      {"missing extract column", "ROWNAMES", "*", "VALUE,Q", kMemType, 2},
      {"key count mismatch", "ROWNAMES", "*,*", "*", kMemType, 2},
      {"unknown key field", "NAME", "*", "*", kMemType, 2},
      {"type without a loader", "ROWNAMES", "*", "*", 9, 1},
      {"back end not built in", "ROWNAMES", "*", "*", 2, 1},
  };
  for (const Case& c : cases) {
    CIoTable table("f", "s", c.keyFields, c.keyValues, c.extract, c.type);
    EXPECT_EQ(table.GetStatus(), c.status) << c.name;
    EXPECT_EQ(table.GetRowCount(), 0) << c.name;
    EXPECT_THROW(table.GetColumnName(0), CInvalidArgException);
  }
  m_data.failOpen = true;
  EXPECT_EQ(CIoTable("f", "", "ROWNAMES", "*", "*", kMemType).GetStatus(), 1);
  m_data.failOpen = false;
  m_data.failClose = true;
  EXPECT_EQ(CIoTable("f", "", "ROWNAMES", "*", "*", kMemType).GetStatus(), 4);

  const CIoTable empty;
  EXPECT_EQ(empty.GetStatus(), -1);
  EXPECT_EQ(empty.GetDisplayName(), "");
}

TEST_F(IoTable, AccessorsThrowOnBadIndexes) {
  CIoTable table("f", "", "ROWNAMES", "*", "TEXT,VALUE", kMemType);
  ASSERT_EQ(table.GetStatus(), 0);
  EXPECT_THROW(table.GetCellText(0, 2), CInvalidArgException);  // j equal to the cell count
  EXPECT_THROW(table.GetCellDouble(4, 0), CInvalidArgException);
  EXPECT_THROW(table.GetCellLong(-1, 0), CInvalidArgException);
  EXPECT_THROW(table.GetKeyString(0, 1), CInvalidArgException);
  EXPECT_THROW(table.IsCellNull(0, -1), CInvalidArgException);
  EXPECT_THROW(table.GetColumnType(2), CInvalidArgException);
  EXPECT_THROW(table.FindRowByKey("ABC", 1), CInvalidArgException);
  EXPECT_EQ(table.FindRowByKey("nothing", 0), -1);
  EXPECT_EQ(table.FindExtraRowByKey("ABC", 0), -1);
  EXPECT_THROW(table.GetExtraKeyString(0, 0), CInvalidArgException);
  EXPECT_EQ(table.GetDisplayName(), "f");
}

TEST_F(IoTable, FindRowByNumericKeyComparesEachRowsOwnText) {
  CIoTable table("f", "", "ID", "*", "VALUE", kMemType);
  ASSERT_EQ(table.GetStatus(), 0);
  EXPECT_EQ(table.FindRowByKey("30", 0), 2);
  EXPECT_EQ(table.FindRowByKey("10", 0), 0);
  const char* first = table.GetKeyString(0, 0);
  table.GetKeyString(3, 0);
  EXPECT_STREQ(first, "10");
}

TEST(IoTableBuiltIn, EachTableTypeReachesItsBackEnd) {
  // A dBASE file (type 7) opens through its back end; the database types fail
  // on a source that is no database, and worksheets on a missing file.
  CIoTable dbf(OSTREL_SOURCE_DIR "/tableio/testdata/corpus_dbf/good.dbf", "", "NAME", "*", "QTY,OK",
               kTableDbf);
  EXPECT_EQ(dbf.GetStatus(), 0);
  EXPECT_GE(dbf.GetRowCount(), 1);
  EXPECT_EQ(dbf.GetColumnCount(), 2);
  EXPECT_EQ(dbf.m_bReadOnly, 1);
  for (int type : {kTableWorksheet, kTableOdbc, kTableMfcOdbc, kTableAdo, kTableDbf}) {
    EXPECT_EQ(CIoTable("/nonexistent/ostrel/none", "t", "A", "*", "*", type).GetStatus(), 1) << type;
  }
}

TEST(IoRowArray, BuildingAndClearing) {
  CIoRowArray rows;
  rows.AddKeyRow("K1", false);
  rows.AddKeyRowWithSource("K2", 3, 17, true);
  rows.AddPlaceholderCell(1);
  EXPECT_EQ(rows.GetAt(0)->m_nSourceRow, -2);
  EXPECT_EQ(rows.GetAt(1)->m_nSourceRow, 17);
  EXPECT_EQ(rows.GetAt(1)->GetLastSourceIndex(), 3);
  EXPECT_EQ(rows.GetAt(1)->m_sourcePositions, std::vector<int>{17});
  EXPECT_EQ(rows.KeyCell(1, 0).m_nFlags, 0x110u);
  EXPECT_EQ(rows.DataCell(1, 0).m_nFlags, 0x150u);
  EXPECT_THROW(rows.AddPlaceholderCell(2), CInvalidArgException);

  CIoRow& row = *rows.GetAt(1);
  EXPECT_TRUE(row.IsKeyPending());
  row.ClearPendingKeys();
  EXPECT_FALSE(row.IsKeyPending());
  EXPECT_EQ(rows.DataCell(1, 0).m_nFlags & kCellPending, kCellPending);
  row.ClearPendingFlags();
  EXPECT_EQ(rows.DataCell(1, 0).m_nFlags & kCellPending, 0u);

  rows.Add(static_cast<CIoRow*>(nullptr));
  EXPECT_THROW(rows.GetKeyString(2, 0), CInvalidArgException);
  rows.RemoveAll();  // skips the null entry
  EXPECT_EQ(rows.GetSize(), 0);

  CColumn column(CColumnDesc{"C", 8, 8, 2, 1, 4, 6, 0});
  EXPECT_EQ(column.m_nPosition, 6);
  EXPECT_EQ(column.GetLastSourceIndex(), 4);
  EXPECT_EQ(CColumn("D", 1, 1, 0, 1, 0).GetLastSourceIndex(), -1);
}

TEST(IoTableHelpers, SplitCommaList) {
  std::vector<std::string> items{"old"};
  EXPECT_FALSE(SplitCommaList(items, ""));
  EXPECT_TRUE(items.empty());
  EXPECT_TRUE(SplitCommaList(items, " a ,\tb c, "));
  EXPECT_EQ(items, (std::vector<std::string>{"a", "b c", ""}));
  EXPECT_TRUE(SplitCommaList(items, "a,"));
  EXPECT_EQ(items, (std::vector<std::string>{"a", ""}));
}

TEST(IoTableHelpers, ParseTableSpec) {
  struct Case {
    const char* text;
    bool result;
    int kind;
    std::vector<std::string> array;
  } cases[] = {
      {"OLE2(excel8,Sheet1)", true, 9, {"excel8", "Sheet1"}},
      {"OLE2(EXCEL,Sheet1)", true, 9, {"EXCEL", "Sheet1"}},
      {"OLE2(Excel5,S)", true, 4, {"Excel5", "S"}},
      {"OLE2(Excel5)", false, 3, {"Excel5"}},
      {"OLE2(Lotus,S)", false, 3, {"Lotus", "S"}},
      {"WKS(a,b,c)", true, 0, {"untouched"}},
      {"DBF", true, 7, {"untouched"}},
      {"ODBC(a,b)", false, 2, {"a", "b"}},
      {"ODBC(a,b,c)tail", true, 2, {"a", "b", "c"}},
      {"DAO(a,b,c", false, 8, {"untouched"}},
      {"PI (a,b,c)", false, 6, {"untouched"}},
      {"odbc(a,b,c)", false, 6, {"untouched"}},
      {"ODBC()", false, 2, {}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> array{"untouched"};
    int kind = -5;
    EXPECT_EQ(ParseTableSpec(array, c.text, kind), c.result) << c.text;
    EXPECT_EQ(kind, c.kind) << c.text;
    EXPECT_EQ(array, c.array) << c.text;
  }
  std::string padded = "ab";
  EXPECT_EQ(PadRightWithSpaces(padded, 4), "ab  ");
  EXPECT_EQ(PadRightWithSpaces(padded, 1), "ab  ");
}

}  // namespace
