#include "tableio/worksheet/workbook_reader.h"

#include <freexl.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <zip.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/ole_date_time.h"
#include "platform/text_encoding.h"
#include "tableio/worksheet/excel8_wks_io.h"

namespace {

std::string Fixture(const std::string& name) {
  return std::string(OSTREL_SOURCE_DIR) + "/tableio/worksheet/testdata/newer/" + name;
}

std::vector<char> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

// A file name of this process in the temporary directory (test runs may overlap).
std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + "/ostrel_" + std::to_string(::getpid()) + "_" + name;
}

void WriteFile(const std::string& path, const char* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data, static_cast<std::streamsize>(size));
}

const char* kWorkbookRels =
    R"(<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>)"
    R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="/xl/sharedStrings.xml"/>)"
    R"(<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>)"
    R"(</Relationships>)";
const char* kWorkbook =
    R"(<x:workbook xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
    R"(<x:sheets><x:sheet name="S&amp;P" sheetId="1" r:id="rId1"/></x:sheets></x:workbook>)";
const char* kStyles =
    R"(<styleSheet><numFmts count="1"><numFmt numFmtId="200" formatCode="[$-409]mmm\ yyyy"/></numFmts>)"
    R"(<cellXfs count="3"><xf numFmtId="0"/><xf numFmtId="200"/><xf numFmtId="14"/></cellXfs></styleSheet>)";
const char* kSharedStrings =
    R"(<sst><si><t>plain</t></si><si><r><t>ri</t></r><r><rPr/><t xml:space="preserve">ch </t></r><rPh><t>PHONETIC</t></rPh></si>)"
    R"(<si><t>line_x000D_break &#233;t&#xE9;</t></si></sst>)";

// A workbook of one sheet with the given sheetData content, written by our own zip writer.
std::string MakeXlsx(const std::string& name, const std::string& sheetData, const std::string& sharedStrings = kSharedStrings) {
  const std::string path = TempPath(name);
  std::remove(path.c_str());
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  EXPECT_NE(archive, nullptr);
  if (!archive) return path;
  std::vector<std::string> keep;
  const auto add = [&](const char* entry, std::string content) {
    keep.push_back(std::move(content));
    zip_source_t* source = zip_source_buffer(archive, keep.back().data(), keep.back().size(), 0);
    zip_file_add(archive, entry, source, ZIP_FL_OVERWRITE);
  };
  keep.reserve(8);
  add("xl/_rels/workbook.xml.rels", kWorkbookRels);
  add("xl/workbook.xml", kWorkbook);
  add("xl/styles.xml", kStyles);
  add("xl/sharedStrings.xml", sharedStrings);
  add("xl/worksheets/sheet1.xml", "<?xml version=\"1.0\"?>\n<worksheet><!-- made by a test, with a dimension that lies -->"
                                      "<dimension ref=\"A1:XFD1048576\"/><sheetData>" + sheetData +
                                      "</sheetData><mergeCells count=\"1\"/></worksheet>");
  EXPECT_EQ(zip_close(archive), 0);
  return path;
}

TEST(XlsxReader, ReadsWhatOtherWritersWrite) {
  const std::string path = MakeXlsx(
      "handmade.xlsx",
      // Row and cell references may be left out; formulas may be shared.
      R"(<row><c t="s"><v>0</v></c><c t="s"><v>1</v></c><c t="s"><v>2</v></c></row>)"
      R"(<row r="3"><c r="A3"><f t="shared" ref="A3:C4" si="0">$A$1+B1*SUM(B$1:C1)</f><v>1</v></c>)"
      R"(<c r="B3"><f t="shared" si="0"/><v>2</v></c><c r="C3" t="inlineStr"><is><t><![CDATA[a<b]]></t></is></c></row>)"
      R"(<row r="4"><c r="B4"><f t="shared" si="0"/><v>3</v></c>)"
      R"(<c r="C4" s="1"><v>45322</v></c><c r="D4" t="d"><v>2024-01-31T12:00:00</v></c><c r="F4" s="2"/></row>)"
      R"(<row r="5"><c r="A5" t="e"><v>#REF!</v></c><c r="B5" t="str"><f>"q"&amp;"r"</f><v>qr</v></c></row>)");
  excel8WksIO reader(path, "s&p");
  ASSERT_FALSE(reader.HasError());
  EXPECT_EQ(reader.GetRowCount(), 5);
  EXPECT_EQ(reader.GetColumnCount(), 6);  // the formatted empty cell F4 counts as used

  const auto text = [&](int row, int column) {
    std::string out;
    reader.ReadText(row, column, out, -1);
    return out;
  };
  EXPECT_EQ(text(0, 0), "plain");
  EXPECT_EQ(text(0, 1), "rich ");
  EXPECT_EQ(text(0, 2), "line\rbreak \xE9t\xE9");
  EXPECT_EQ(text(2, 2), "a<b");
  EXPECT_EQ(text(3, 2), "00:00:00 01/31/24");
  EXPECT_EQ(text(3, 3), "12:00:00 01/31/24");
  EXPECT_EQ(reader.ReadNumber(3, 5, nullptr), 0);
  EXPECT_EQ(reader.ReadNumber(4, 0, nullptr), 0);
  EXPECT_EQ(text(4, 1), "qr");

  EXPECT_EQ(reader.GetFormulaText(2, 0), "=$A$1+B1*SUM(B$1:C1)");
  EXPECT_EQ(reader.GetFormulaText(2, 1), "=$A$1+C1*SUM(C$1:D1)");
  EXPECT_EQ(reader.GetFormulaText(3, 1), "=$A$1+C2*SUM(C$1:D2)");
  EXPECT_EQ(reader.GetFormulaText(4, 1), "=\"q\"&\"r\"");
  std::remove(path.c_str());
}

// A sheet part many read chunks long: tags, texts and attribute values with
// entities fall on every side of the chunk boundaries and still read whole.
TEST(XlsxReader, LongSheetsReadWholeAcrossTheirReadChunks) {
  constexpr int kRows = 20000;
  std::string sheetData;
  for (int r = 1; r <= kRows; ++r) {
    const std::string n = std::to_string(r);
    sheetData += "<row r=\"" + n + "\">";
    sheetData += "<c r=\"A" + n + "\" t=\"inlineStr\"><is><t>x&amp;" + n + "&lt;</t></is></c>";
    sheetData += "<c r=\"B" + n + "\"><v>" + n + ".5</v></c>";
    // A type written with a character reference is still the shared-string type.
    sheetData += "<c r=\"C" + n + "\" t=\"&#115;\"><v>" + std::to_string(r % 3) + "</v></c>";
    sheetData += r % 7 == 0 ? "<c r=\"D" + n + "\" s=\"2\"/>" : "<c r=\"D" + n + "\"><v>" + n + "</v></c>";
    sheetData += "</row>";
  }
  ASSERT_GT(sheetData.size(), std::size_t{1} << 20);  // several read chunks
  const std::string path = MakeXlsx("long.xlsx", sheetData);
  excel8WksIO reader(path, "s&p");
  ASSERT_FALSE(reader.HasError());
  ASSERT_EQ(reader.GetRowCount(), kRows);
  ASSERT_EQ(reader.GetColumnCount(), 4);
  const char* shared[] = {"plain", "rich ", "line\rbreak \xE9t\xE9"};
  std::string text;
  for (int r = 0; r < kRows; ++r) {
    const std::string n = std::to_string(r + 1);
    reader.ReadText(r, 0, text, -1);
    ASSERT_EQ(text, "x&" + n + "<") << "row " << n;
    double value = 0;
    reader.ReadNumber(r, 1, &value);
    ASSERT_EQ(value, (r + 1) + 0.5) << "row " << n;
    reader.ReadText(r, 2, text, -1);
    ASSERT_EQ(text, shared[(r + 1) % 3]) << "row " << n;
    value = 0;
    const int flags = reader.ReadNumber(r, 3, &value);
    if ((r + 1) % 7 == 0) {
      ASSERT_EQ(flags, 0) << "row " << n;
    } else {
      ASSERT_EQ(value, r + 1) << "row " << n;
    }
  }
  std::remove(path.c_str());
}

TEST(XlsxReader, DamagedSheetDataFails) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"string index beyond the table", R"(<row r="1"><c r="A1" t="s"><v>3</v></c><c r="B1"><v>1</v></c></row>)"},
      {"a cell beyond the last column", R"(<row r="1"><c r="XFE1"><v>1</v></c></row>)"},
      {"a row beyond the last row", R"(<row r="1048577"><c><v>1</v></c></row>)"},
      {"a number that is none", R"(<row r="1"><c r="A1"><v>1x</v></c><c r="B1"><v>1</v></c></row>)"},
      {"an unclosed tag", R"(<row r="1"><c r="A1"><v>1</v></c><c r="B1" t="s)"},
      {"an unclosed cell", R"(<row r="1"><c r="A1"><v>1</v></c><c r="B1"><v>2</v>)"},
  };
  for (const auto& [what, sheetData] : cases) {
    SCOPED_TRACE(what);
    std::string sheet = sheetData;
    // The last two cut the sheet part off inside the cells.
    const bool cut = what.rfind("an unclosed", 0) == 0;
    const std::string path = cut ? TempPath("cut.xlsx") : MakeXlsx("damaged.xlsx", sheet);
    if (cut) {
      int error = 0;
      zip_t* archive = zip_open(MakeXlsx("cut.xlsx", "").c_str(), 0, &error);
      ASSERT_NE(archive, nullptr);
      const std::string part = "<worksheet><sheetData>" + sheet;
      zip_source_t* source = zip_source_buffer(archive, part.data(), part.size(), 0);
      zip_file_add(archive, "xl/worksheets/sheet1.xml", source, ZIP_FL_OVERWRITE);
      ASSERT_EQ(zip_close(archive), 0);
    }
    excel8WksIO reader(path, "");
    EXPECT_TRUE(reader.HasError());
    std::remove(path.c_str());
  }
}

// Every prefix of every fixture, and fixtures with bytes overwritten, must
// either open or fail cleanly (the sanitizer build turns overruns into failures).
TEST(WorkbookReaders, TruncatedAndCorruptFilesFailCleanly) {
  const std::string path = TempPath("mangled_workbook");
  std::mt19937 random(20240131);
  for (const char* name : {"lo_types.xlsx", "openpyxl_types.xlsx", "lo_types.xls", "xlwt_types.xls"}) {
    SCOPED_TRACE(name);
    const std::vector<char> good = ReadFile(Fixture(name));
    ASSERT_GT(good.size(), 512u);
    // Unused space may end a compound file: only a file cut to half must fail.
    for (std::size_t length = 0; length < good.size(); length += 1 + length / 16) {
      WriteFile(path, good.data(), length);
      excel8WksIO reader(path, "Data");
      if (length < good.size() / 2) {
        EXPECT_TRUE(reader.HasError()) << "opened when cut to " << length << " bytes";
      }
    }
    for (int round = 0; round < 300; ++round) {
      std::vector<char> bad = good;
      const int changes = 1 + static_cast<int>(random() % 8);
      for (int k = 0; k < changes; ++k) bad[random() % bad.size()] = static_cast<char>(random());
      WriteFile(path, bad.data(), bad.size());
      excel8WksIO reader(path, "Data");
      if (!reader.HasError()) {
        std::string text;
        for (int r = 0; r < reader.GetRowCount() && r < 50; ++r) {
          for (int c = 0; c < reader.GetColumnCount() && c < 50; ++c) reader.ReadText(r, c, text, -1);
        }
      }
    }
  }
  std::remove(path.c_str());
}

// freexl reads the values of BIFF8 cells (not booleans, errors or formulas,
// and no workbook with a chart): every cell it reads must read the same here.
TEST(Biff8Reader, AgreesWithFreexl) {
  for (const char* name : {"xlwt_types.xls", "lo_1904.xls"}) {
    SCOPED_TRACE(name);
    const void* handle = nullptr;
    ASSERT_EQ(freexl_open(Fixture(name).c_str(), &handle), FREEXL_OK);
    std::string error;
    std::unique_ptr<CWorkbookReader> workbook = CWorkbookReader::Open(Fixture(name), error);
    ASSERT_TRUE(workbook) << error;
    unsigned int sheets = 0;
    freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheets);
    ASSERT_EQ(sheets, workbook->GetWorksheetNames().size());
    int compared = 0;
    for (unsigned int s = 0; s < sheets; ++s) {
      ASSERT_EQ(freexl_select_active_worksheet(handle, static_cast<unsigned short>(s)), FREEXL_OK);
      unsigned int rows = 0;
      unsigned short columns = 0;
      freexl_worksheet_dimensions(handle, &rows, &columns);
      std::unique_ptr<CWorkbookSheet> sheet = workbook->ReadSheet(s, error);
      ASSERT_TRUE(sheet) << error;
      for (unsigned int r = 0; r < rows; ++r) {
        for (unsigned short c = 0; c < columns; ++c) {
          FreeXL_CellValue value;
          ASSERT_EQ(freexl_get_cell_value(handle, r, c, &value), FREEXL_OK);
          if (value.type == FREEXL_CELL_NULL) continue;
          SCOPED_TRACE("cell " + std::to_string(r) + "," + std::to_string(c));
          const CWorkbookSheet::Cell* cell = sheet->Find(r, c);
          ASSERT_NE(cell, nullptr);
          ++compared;
          switch (value.type) {
            case FREEXL_CELL_INT:
              EXPECT_EQ(cell->number, value.value.int_value);
              break;
            case FREEXL_CELL_DOUBLE:
              EXPECT_EQ(cell->number, value.value.double_value);
              break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
              EXPECT_EQ(sheet->Text(*cell), plat::Utf8ToCp1252(value.value.text_value));
              break;
            default: {  // dates and times as text
              plat::OleDateTime date;
              ASSERT_TRUE(date.ParseDateTime(value.value.text_value));
              EXPECT_EQ(cell->kind, WbValueKind::Date);
              EXPECT_NEAR(cell->number, date.GetValue(), 1.0 / 86400);
            }
          }
        }
      }
    }
    EXPECT_GE(compared, 4);
    freexl_close(handle);
  }
}

TEST(NumberFormats, DatesAndCurrencyAreToldFromTheFormatCode) {
  const std::vector<std::pair<std::string, WbNumberFormat>> cases = {
      {"General", WbNumberFormat::General},
      {"0.00E+00", WbNumberFormat::General},
      {"d-mmm-yy", WbNumberFormat::Date},
      {"h:mm AM/PM", WbNumberFormat::Date},
      {"[h]:mm:ss", WbNumberFormat::Date},
      {"[Red]0.00", WbNumberFormat::General},
      {"\"days\" 0", WbNumberFormat::General},  // letters in quotes are text
      {"0\\d", WbNumberFormat::General},
      {"\"$\"#,##0.00", WbNumberFormat::Currency},
      {"\\$#,##0.00", WbNumberFormat::Currency},
      {"#,##0.00 [$\xE2\x82\xAC-407]", WbNumberFormat::Currency},
      {"[$-409]mmm yyyy", WbNumberFormat::Date},
  };
  for (const auto& [code, kind] : cases) EXPECT_EQ(ClassifyFormatCode(code), kind) << code;
  EXPECT_EQ(ClassifyBuiltInFormat(14), WbNumberFormat::Date);
  EXPECT_EQ(ClassifyBuiltInFormat(7), WbNumberFormat::Currency);
  EXPECT_EQ(ClassifyBuiltInFormat(2), WbNumberFormat::General);
}

TEST(NumberFormats, DateSerialsOfBothDateSystems) {
  struct SerialCase {
    double serial;
    bool date1904;
    bool isDate;
    double ole;
  };
  const std::vector<SerialCase> cases = {
      {0.25, false, true, 0.25},      // a time of day
      {1, false, true, 2},            // 1 January 1900
      {59, false, true, 60},          // 28 February 1900
      {60, false, false, 0},          // 29 February 1900 never was
      {61, false, true, 61},          // 1 March 1900
      {45322, false, true, 45322},    // 31 January 2024
      {0, true, true, 1462},          // 1 January 1904
      {43860, true, true, 45322},     // 31 January 2024
      {-1, false, false, 0},
      {2958466, false, false, 0},     // past 9999
  };
  for (const SerialCase& c : cases) {
    double ole = 0;
    EXPECT_EQ(WorkbookSerialToOleDate(c.serial, c.date1904, ole), c.isDate) << c.serial;
    if (c.isDate) {
      EXPECT_EQ(ole, c.ole) << c.serial;
    }
  }
}

}  // namespace

namespace {

// The committed corpus of malformed worksheet files, replayed through the
// newer-workbook reader; the files made from newer workbooks must fail to open.
TEST(CorpusReplay, NewerWorkbookReaderSurvivesEveryFile) {
  const std::filesystem::path corpus = std::filesystem::path(OSTREL_SOURCE_DIR) / "tableio/worksheet/testdata/corpus";
  int newer = 0;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    excel8WksIO reader(entry.path().string(), "Data");
    if (name.rfind("newer_", 0) == 0) {
      EXPECT_TRUE(reader.HasError());
      ++newer;
    }
    std::string text;
    for (int r = 0; !reader.HasError() && r < reader.GetRowCount() && r < 100; ++r) {
      for (int c = 0; c < reader.GetColumnCount() && c < 100; ++c) reader.ReadText(r, c, text, -1);
    }
  }
  EXPECT_GE(newer, 8);
}

}  // namespace
