#include "tableio/worksheet/excel8_wks_io.h"

#include "tableio/io_table.h"
#include "tableio/worksheet/wks_file.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::string Fixture(const std::string& name) {
  return std::string(OSTREL_SOURCE_DIR) + "/tableio/worksheet/testdata/newer/" + name;
}

struct CellCase {
  int row;
  int column;
  std::string text;
  int flags;
  double number;  // 1e30 when the cell holds no number
};

constexpr double kNone = 1e30;
const std::string kLong = [] {
  std::string text;
  for (int i = 0; i < 300; ++i) text += static_cast<char>('a' + i % 26);
  return text;
}();
// "Café € ßig Łódź" in Windows-1252: the Polish letters outside the code page become '?'.
const std::string kNonAscii = "Caf\xE9 \x80 \xDFig ?\xF3" "d?";

// Cells every fixture holds, whatever program wrote it.
const std::vector<CellCase> kCommonCells = {
    {0, 0, "NAME", 0x40, kNone},
    {1, 1, "1.5", 0x80, 1.5},
    {2, 1, "1.23457e+06", 0x80, 1234567},
    {1, 2, "-1", 0x80, -1},  // TRUE
    {2, 2, "0", 0x80, 0},    // FALSE
    {1, 3, "14:05:09 01/31/24", 0x380, 45322.0 + (14 * 3600 + 5 * 60 + 9) / 86400.0},
    {2, 3, "00:00:00 02/28/21", 0x380, 44255},
    {1, 4, kLong, 0x40, kNone},
    {2, 4, kNonAscii, 0x40, kNone},
    {9, 9, "", 0, kNone},  // outside the sheet
};

// Cells of the workbook written by openpyxl and of LibreOffice's conversions of it.
const std::vector<CellCase> kTypesCells = {
    {3, 3, "06:30:00 12/30/99", 0x380, 0.2708333333333333},
    {4, 2, "", 0, kNone},  // #N/A
    {4, 3, "00:00:00 03/15/23", 0x380, 45000},
    {4, 4, "12", 0x40, kNone},
    {5, 1, "12:00:00 01/02/00", 0x380, 3.5},  // [h]:mm:ss counts as a time format; 2.5 is 2 January 1900 noon
    {5, 2, "3.250000", 0x80, 3.25},           // a currency format
};

// Formulas as LibreOffice computed them.
const std::vector<CellCase> kComputedFormulaCells = {
    {3, 1, "3", 0x80, 3},
    {3, 2, "-1", 0x80, -1},
    {3, 4, "ax", 0x40, kNone},
    {4, 1, "", 0, kNone},  // #DIV/0!
};

void ExpectCells(excel8WksIO& reader, const std::vector<CellCase>& cells, const std::string& file) {
  for (const CellCase& c : cells) {
    SCOPED_TRACE(file + " cell " + std::to_string(c.row) + "," + std::to_string(c.column));
    std::string text;
    EXPECT_EQ(reader.ReadText(c.row, c.column, text, -1), c.flags);
    EXPECT_EQ(text, c.text);
    double number = 0;
    const int numberFlags = reader.ReadNumber(c.row, c.column, &number);
    EXPECT_EQ(numberFlags, c.flags);
    if (c.number == kNone) EXPECT_EQ(number, kNone);
    else EXPECT_NEAR(number, c.number, 1e-9);
  }
}

TEST(Excel8WksIO, ReadsTheCellsOfEveryFixture) {
  struct FileCase {
    std::string file;
    int rows;
    int columns;
    bool types;
    bool computed;
  };
  const std::vector<FileCase> files = {
      {"openpyxl_types.xlsx", 6, 5, true, false},
      {"lo_types.xlsx", 6, 5, true, true},
      {"lo_types.xls", 6, 5, true, true},
      {"xlwt_types.xls", 4, 5, false, false},
  };
  for (const FileCase& f : files) {
    SCOPED_TRACE(f.file);
    excel8WksIO reader(Fixture(f.file), "Data");
    ASSERT_FALSE(reader.HasError());
    EXPECT_EQ(reader.GetRowCount(), f.rows);
    EXPECT_EQ(reader.GetColumnCount(), f.columns);
    EXPECT_FALSE(reader.IsWritable());
    ExpectCells(reader, kCommonCells, f.file);
    if (f.types) ExpectCells(reader, kTypesCells, f.file);
    if (f.computed) ExpectCells(reader, kComputedFormulaCells, f.file);
  }
}

TEST(Excel8WksIO, TextIsCutToTheBuffer) {
  excel8WksIO reader(Fixture("lo_types.xls"), "Data");
  ASSERT_FALSE(reader.HasError());
  char buffer[256];
  EXPECT_EQ(reader.TWksIOInnards::ReadText(1, 4, buffer, sizeof buffer, -1), 0x40);
  EXPECT_EQ(std::string(buffer), kLong.substr(0, 255));
  char small[3];
  EXPECT_EQ(reader.TWksIOInnards::ReadText(0, 0, small, sizeof small, -1), 0x40);
  EXPECT_EQ(std::string(small), "NA");
}

TEST(Excel8WksIO, FormulasOfNewerWorkbooks) {
  // openpyxl stores formulas without a computed value: the text is there, the value is empty.
  excel8WksIO written(Fixture("openpyxl_types.xlsx"), "Data");
  ASSERT_FALSE(written.HasError());
  EXPECT_EQ(written.HasFormula(3, 1), 1);
  EXPECT_EQ(written.GetFormulaText(3, 1), "=B2*2");
  EXPECT_EQ(written.GetFormulaText(3, 4), "=A2&\"x\"");
  EXPECT_EQ(written.ReadNumber(3, 1, nullptr), 0);
  EXPECT_EQ(written.HasFormula(1, 1), 0);
  EXPECT_EQ(written.GetFormulaText(1, 1), "");

  excel8WksIO computed(Fixture("lo_types.xlsx"), "Data");
  ASSERT_FALSE(computed.HasError());
  EXPECT_EQ(computed.GetFormulaText(4, 1), "=1/0");

  // BIFF8 keeps formulas compiled: the cell is known to be a formula, its text is not.
  excel8WksIO biff8(Fixture("lo_types.xls"), "Data");
  ASSERT_FALSE(biff8.HasError());
  EXPECT_EQ(biff8.HasFormula(3, 1), 1);
  EXPECT_EQ(biff8.GetFormulaText(3, 1), "");
}

TEST(Excel8WksIO, DatesOfThe1904SystemReadAsTheSameDay) {
  for (const char* file : {"openpyxl_1904.xlsx", "lo_1904.xlsx", "lo_1904.xls"}) {
    SCOPED_TRACE(file);
    excel8WksIO reader(Fixture(file), "mac");
    ASSERT_FALSE(reader.HasError());
    std::string text;
    EXPECT_EQ(reader.ReadText(1, 0, text, -1), 0x380);
    EXPECT_EQ(text, "00:00:00 01/31/24");
    double number = 0;
    reader.ReadNumber(1, 1, &number);
    EXPECT_EQ(number, 1.0);  // plain numbers are not shifted
  }
}

TEST(Excel8WksIO, FindsSheetsByNameInAnyCase) {
  struct SheetCase {
    std::string file;
    std::string sheet;
    bool opens;
  };
  const std::vector<SheetCase> cases = {
      {"openpyxl_types.xlsx", "", true},             // the first worksheet
      {"openpyxl_types.xlsx", "OTHER sheet", true},  // any case
      {"lo_types.xls", "other SHEET", true},
      {"xlwt_types.xls", "SECOND", true},
      {"openpyxl_types.xlsx", "Chart1", false},  // a chart sheet is no worksheet
      {"openpyxl_types.xlsx", "Missing", false},
      {"openpyxl_types.xlsx", "One", false},  // a used range of one cell
      {"lo_types.xls", "One", false},
      {"openpyxl_types.xlsx", "Empty", false},
      {"lo_types.xls", "Empty", false},
  };
  for (const SheetCase& c : cases) {
    SCOPED_TRACE(c.file + " [" + c.sheet + "]");
    excel8WksIO reader(Fixture(c.file), c.sheet);
    EXPECT_EQ(reader.HasError(), !c.opens);
  }

  excel8WksIO reader(Fixture("lo_types.xlsx"), "data");
  ASSERT_FALSE(reader.HasError());
  reader.SelectSheet("Other Sheet");
  ASSERT_FALSE(reader.HasError());
  EXPECT_EQ(reader.GetRowCount(), 3);
  EXPECT_EQ(reader.GetColumnCount(), 2);
  double number = 0;
  EXPECT_EQ(reader.ReadNumber(2, 1, &number), 0x80);
  EXPECT_EQ(number, 7);
  reader.SelectSheet("");
  EXPECT_TRUE(reader.HasError());
}

TEST(Excel8WksIO, WritesChangeNothingAndSaveRefuses) {
  excel8WksIO reader(Fixture("lo_types.xlsx"), "Data");
  ASSERT_FALSE(reader.HasError());
  reader.WriteText(0, 0, "CHANGED", -1);
  reader.WriteNumber(1, 1, 99, -1);
  std::string text;
  reader.ReadText(0, 0, text, -1);
  EXPECT_EQ(text, "NAME");
  EXPECT_FALSE(reader.HasChanges());
  EXPECT_FALSE(reader.Save(::testing::TempDir() + "/never.xlsx"));
}

TEST(Excel8WksIO, ColumnWidths) {
  excel8WksIO reader(Fixture("openpyxl_types.xlsx"), "Data");
  ASSERT_FALSE(reader.HasError());
  EXPECT_EQ(reader.GetColumnWidth(0), 8);   // the standard width
  EXPECT_EQ(reader.GetColumnWidth(4), 30);  // set to 30.71 with its padding
  reader.SetColumnWidth(0, 17);
  EXPECT_EQ(reader.GetColumnWidth(0), 17);

  excel8WksIO biff8(Fixture("xlwt_types.xls"), "Data");
  ASSERT_FALSE(biff8.HasError());
  EXPECT_EQ(biff8.GetColumnWidth(4), 30);

  excel8WksIO failed(Fixture("openpyxl_types.xlsx"), "Missing");
  EXPECT_EQ(failed.GetColumnWidth(0), 10);
}

TEST(Excel8WksIO, FilesThatAreNoWorkbookFail) {
  const std::string dir = ::testing::TempDir() + "/ostrel_" + std::to_string(::getpid());
  std::filesystem::create_directories(dir);
  const std::string text = dir + "/excel8_text.csv";
  { std::ofstream(text) << "NAME,VALUE\na,1\n"; }
  const std::string empty = dir + "/excel8_empty.xls";
  { std::ofstream out(empty); }
  for (const std::string& path : {std::string(), dir + "/excel8_missing.xlsx", text, empty}) {
    SCOPED_TRACE(path);
    excel8WksIO reader(path, "");
    EXPECT_TRUE(reader.HasError());
  }
  std::filesystem::remove_all(dir);
}

TEST(ExcelApplication, IsAnInProcessFlag) {
  ASSERT_EQ(ShutdownExcelApplication(), 1);
  ASSERT_EQ(GetExcelApplication(), nullptr);
  EXPECT_EQ(ShutdownExcelApplication(), 1);  // nothing to do
  ASSERT_EQ(StartExcelApplication(), 1);
  CXlDispatch* running = GetExcelApplication();
  ASSERT_NE(running, nullptr);
  EXPECT_EQ(running->GetReferenceCount(), 1);
  EXPECT_EQ(StartExcelApplication(), 1);
  EXPECT_EQ(GetExcelApplication(), running);
  EXPECT_EQ(ShutdownExcelApplication(), 1);
  EXPECT_EQ(GetExcelApplication(), nullptr);
}

}  // namespace

namespace {

// A model table read through the I/O table from each kind of newer workbook.
TEST(Excel8WksIO, ReadsATableThroughTheIoTable) {
  struct FileCase {
    const char* file;
    bool computed;  // formulas carry the values LibreOffice computed
  };
  for (const FileCase& f : {FileCase{"openpyxl_types.xlsx", false}, FileCase{"lo_types.xlsx", true}, FileCase{"lo_types.xls", true}}) {
    SCOPED_TRACE(f.file);
    CIoTable table(Fixture(f.file), "data", "NAME", "*", "*", kTableWorksheet);  // the sheet is "Data"
    ASSERT_EQ(table.GetStatus(), 0);
    const int value = table.FindColumn("VALUE");
    const int flag = table.FindColumn("FLAG");
    const int when = table.FindColumn("WHEN");
    const int note = table.FindColumn("NOTE");
    EXPECT_EQ(table.GetColumnType(value), 8);
    EXPECT_EQ(table.GetColumnType(flag), 8);
    EXPECT_EQ(table.GetColumnType(when), 11);  // dates read as date-times
    EXPECT_EQ(table.GetColumnType(note), 1);
    ASSERT_EQ(table.GetRowCount(), 5);
    std::vector<std::string> keys;
    for (int i = 0; i < table.GetRowCount(); ++i) keys.emplace_back(table.GetKeyString(i, 0));
    EXPECT_EQ(keys, (std::vector<std::string>{"a", "b", "c", "d", "e"}));

    EXPECT_EQ(table.GetCellDouble(0, value), 1.5);
    EXPECT_EQ(table.GetCellDouble(1, value), 1234567);
    EXPECT_EQ(table.GetCellDouble(0, flag), -1);  // TRUE
    EXPECT_EQ(table.GetCellDouble(1, flag), 0);   // FALSE
    EXPECT_FALSE(table.IsCellNull(1, flag));
    EXPECT_EQ(table.GetCellText(0, when), "2024-01-31 14:05:09");
    EXPECT_EQ(table.GetCellText(1, when), "2021-02-28 00:00:00");
    EXPECT_EQ(table.GetCellText(2, when), "1899-12-30 06:30:00");
    EXPECT_EQ(table.GetCellText(0, note), kLong);
    EXPECT_EQ(table.GetCellText(1, note), kNonAscii);
    EXPECT_TRUE(table.IsCellNull(3, value));  // #DIV/0!
    EXPECT_TRUE(table.IsCellNull(3, flag));   // #N/A
    EXPECT_EQ(table.GetCellText(3, note), "12");
    EXPECT_EQ(table.GetCellDouble(4, flag), 3.25);
    if (f.computed) {
      EXPECT_EQ(table.GetCellDouble(2, value), 3);
      EXPECT_EQ(table.GetCellDouble(2, flag), -1);
      EXPECT_EQ(table.GetCellText(2, note), "ax");
    } else {
      EXPECT_TRUE(table.IsCellNull(2, value));  // a formula without a stored value
    }
  }
  CloseCachedWorkbook(true);
  ShutdownExcelApplication();
}

}  // namespace
