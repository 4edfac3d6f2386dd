#include "tableio/worksheet/excel5_wks_io.h"

#include <gtest/gtest.h>

#include <freexl.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/text_encoding.h"

#include "tableio/worksheet/compound_file.h"
#include "tableio/worksheet/testing/biff_writer.h"
#include "tableio/worksheet/testing/compound_writer.h"

using biff_test::BiffWriter;
using biff_test::Bytes;

namespace {

const std::string kBook = std::string(OSTREL_SOURCE_DIR) + "/tableio/worksheet/testdata/book_biff5.xls";

std::unique_ptr<excel5WksIO> OpenPath(const std::string& path, const std::string& sheet) {
  auto reader = std::make_unique<excel5WksIO>(std::make_unique<std::ifstream>(path, std::ios::binary), path, sheet);
  reader->RunOpeningSequence();
  return reader;
}

std::unique_ptr<excel5WksIO> OpenBytes(const std::vector<std::uint8_t>& file, const std::string& sheet) {
  auto reader = std::make_unique<excel5WksIO>(
      std::make_unique<std::istringstream>(std::string(file.begin(), file.end())), "book.xls", sheet);
  reader->RunOpeningSequence();
  return reader;
}

std::string Text(TWksIOInnards& reader, int row, int column, int* flags = nullptr) {
  std::string text;
  const int f = reader.ReadText(row, column, text, kWksModeTextOnly);
  if (flags != nullptr) *flags = f;
  return text;
}

// A BIFF5 "Book" stream: globals with XF records and one BOUNDSHEET per
// sheet, then each sheet's records.
std::vector<std::uint8_t> MakeBook(const std::vector<std::pair<std::string, BiffWriter>>& sheets,
                                   std::uint32_t positionOverride = 0) {
  BiffWriter globals(5);
  globals.Bof(0x0005).Record(0x0042, Bytes().U16(1252));
  for (int format : {0, 14, 18, 170}) globals.Xf(format, false, 0);
  std::size_t globalsSize = globals.Data().size() + 4;  // with its EOF
  for (const auto& [name, sheet] : sheets) globalsSize += 4 + 7 + name.size();
  std::uint32_t position = static_cast<std::uint32_t>(globalsSize);
  for (const auto& [name, sheet] : sheets) {
    globals.Record(0x0085, Bytes().U32(positionOverride != 0 ? positionOverride : position).U16(0)
                               .U8(static_cast<int>(name.size())).Text(name));
    position += static_cast<std::uint32_t>(sheet.Data().size());
  }
  globals.Eof();
  std::vector<std::uint8_t> book = globals.Data();
  for (const auto& [name, sheet] : sheets) book.insert(book.end(), sheet.Data().begin(), sheet.Data().end());
  return biff_test::MakeCompoundFile({{"Book", book}});
}

TEST(Excel5WksIO, ReadsTheGnumericWorkbook) {
  auto reader = OpenPath(kBook, "DATA");
  ASSERT_FALSE(reader->HasError());
  EXPECT_EQ(reader->GetRowCount(), 7);
  EXPECT_EQ(reader->GetColumnCount(), 5);
  int flags = 0;
  EXPECT_EQ(Text(*reader, 0, 0, &flags), "ROWNAMES");
  EXPECT_EQ(flags & ~kWksAlignMask, kWksText);
  EXPECT_EQ(Text(*reader, 1, 3), "3");
  EXPECT_EQ(Text(*reader, 2, 2), "-2.25");
  EXPECT_EQ(Text(*reader, 2, 3), "1.23457e+06");
  EXPECT_EQ(Text(*reader, 4, 0), "Caf\xE9");
  EXPECT_EQ(Text(*reader, 4, 2, &flags), "");
  EXPECT_EQ(flags, 0);
  EXPECT_EQ(Text(*reader, 5, 1, &flags), "2");
  EXPECT_EQ(flags & ~kWksAlignMask, kWksFormula | kWksNumber);
  EXPECT_EQ(Text(*reader, 5, 2, &flags), "R1x");
  EXPECT_EQ(flags & ~kWksAlignMask, kWksFormula | kWksText);
  // Dates with custom formats carry no date bit in these workbooks.
  double value = 0;
  EXPECT_EQ(reader->ReadNumber(1, 4, &value) & ~kWksAlignMask, kWksNumber);
  EXPECT_EQ(value, 45366.0);
  EXPECT_EQ(Text(*reader, 6, 0), "last");
  EXPECT_TRUE(reader->HasFormulas());

  reader->SelectSheet("second sheet");
  ASSERT_FALSE(reader->HasError());
  EXPECT_EQ(Text(*reader, 2, 0), "two");
  EXPECT_EQ(Text(*reader, 2, 1), "22");
  EXPECT_EQ(reader->GetRowCount(), 3);
}

TEST(Excel5WksIO, SheetNames) {
  struct Case {
    std::string sheet;
    bool ok;
    std::string firstCell;
  } cases[] = {{"", true, "ROWNAMES"}, {"data", true, "ROWNAMES"}, {"DataMore", true, "other"},
               {"Dat", false, ""},     {"Second", false, ""},      {"Data ", false, ""}};
  for (const Case& c : cases) {
    auto reader = OpenPath(kBook, c.sheet);
    EXPECT_EQ(!reader->HasError(), c.ok) << c.sheet;
    if (c.ok) {
      EXPECT_EQ(Text(*reader, 0, 0), c.firstCell) << c.sheet;
    }
  }
  auto reader = OpenPath(kBook, "Data");
  reader->SelectSheet("Nope");
  EXPECT_TRUE(reader->HasError());
}

TEST(Excel5WksIO, MulRkAndBuiltInFormats) {
  BiffWriter sheet(5);
  sheet.Bof().Dimensions(3, 4);
  // MULRK of row 0, columns 1 to 3, with XF 1 (format 14), 2 (format 18) and 3 (custom)
  sheet.Record(0x00BD, Bytes().U16(0).U16(1).U16(1).U32((45000u << 2) | 2u).U16(2).U32(0x3FE00000u)
                           .U16(3).U32((250u << 2) | 3u).U16(3));
  sheet.Record(0x00BD, Bytes().U16(1).U16(0).U16(0));  // too short to hold a cell
  sheet.Record(0x00BE, Bytes().U16(1).U16(0).U16(0).U16(0).U16(1));
  sheet.Label(2, 0, "end").Eof();
  auto reader = OpenBytes(MakeBook({{"S", sheet}}), "s");
  ASSERT_FALSE(reader->HasError());
  struct {
    int column;
    double value;
    int flags;
  } cells[] = {{1, 45000, kWksNumber | kWksDate}, {2, 0.5, kWksNumber | kWksTime}, {3, 2.5, kWksNumber}};
  for (const auto& c : cells) {
    double value = 0;
    EXPECT_EQ(reader->ReadNumber(0, c.column, &value), c.flags) << c.column;
    EXPECT_DOUBLE_EQ(value, c.value) << c.column;
  }
  EXPECT_EQ(Text(*reader, 0, 0), "");
  EXPECT_EQ(Text(*reader, 1, 0), "");
  EXPECT_EQ(Text(*reader, 2, 0), "end");

  reader->WriteText(2, 0, "changed", -1);
  EXPECT_EQ(Text(*reader, 2, 0), "changed");
  EXPECT_FALSE(reader->Save("/tmp/never_written.xls"));
}

TEST(Excel5WksIO, BadWorkbooksFail) {
  BiffWriter sheet(5);
  sheet.Bof().Label(0, 0, "x").Eof();
  const std::vector<std::uint8_t> outside = MakeBook({{"S", sheet}}, 0x7FFFFFF0u);
  const std::vector<std::uint8_t> notBof = MakeBook({{"S", sheet}}, 4);
  const std::vector<std::uint8_t> noBook = biff_test::MakeCompoundFile({{"Workbook", sheet.Data()}});
  const std::vector<std::uint8_t> notCompound(sheet.Data());
  for (const auto* file : {&outside, &notBof, &noBook, &notCompound}) {
    auto reader = OpenBytes(*file, "S");
    EXPECT_TRUE(reader->HasError());
  }
}

TEST(CompoundFile, FindsStreamsInAnyCaseAndRejectsOthers) {
  const std::vector<std::uint8_t> file = biff_test::MakeCompoundFile({{"BOOK", {1, 2, 3}}, {"Other", {4}}});
  std::vector<std::uint8_t> out;
  EXPECT_EQ(ReadCompoundStream(file, "Book", out), CompoundResult::kOk);
  EXPECT_EQ(out, (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_EQ(ReadCompoundStream(file, "Workbook", out), CompoundResult::kNoStream);
  EXPECT_EQ(ReadCompoundStream({'a', 'b'}, "Book", out), CompoundResult::kNotCompound);
  std::vector<std::uint8_t> truncated(file.begin(), file.begin() + 600);
  EXPECT_NE(ReadCompoundStream(truncated, "Book", out), CompoundResult::kOk);
}

// Reads every sheet of a BIFF5 file with freexl and with our reader and
// compares each cell's kind and value.
void ExpectSameCellsAsFreexl(const std::string& path) {
  SCOPED_TRACE(path);
  const void* handle = nullptr;
  ASSERT_EQ(freexl_open(path.c_str(), &handle), FREEXL_OK);
  unsigned short s = 0;
  for (const char* name = nullptr; freexl_get_worksheet_name(handle, s, &name) == FREEXL_OK; ++s) {
    SCOPED_TRACE(name);
    ASSERT_EQ(freexl_select_active_worksheet(handle, s), FREEXL_OK);
    unsigned int rows = 0;
    unsigned short columns = 0;
    ASSERT_EQ(freexl_worksheet_dimensions(handle, &rows, &columns), FREEXL_OK);
    auto reader = OpenPath(path, plat::Utf8ToCp1252(name));
    ASSERT_FALSE(reader->HasError());
    EXPECT_EQ(static_cast<unsigned>(reader->GetRowCount()), rows);
    EXPECT_EQ(static_cast<unsigned>(reader->GetColumnCount()), columns);
    for (unsigned int r = 0; r < rows; ++r) {
      for (unsigned short c = 0; c < columns; ++c) {
        FreeXL_CellValue cell;
        ASSERT_EQ(freexl_get_cell_value(handle, r, c, &cell), FREEXL_OK);
        std::string text;
        const int flags = reader->ReadText(static_cast<int>(r), c, text, kWksModeTextOnly);
        double number = 0;
        reader->ReadNumber(static_cast<int>(r), c, &number);
        const std::string where = std::to_string(r) + "," + std::to_string(c);
        switch (cell.type) {
          case FREEXL_CELL_INT:
            EXPECT_TRUE(flags & kWksNumber) << where;
            EXPECT_EQ(number, cell.value.int_value) << where;
            break;
          case FREEXL_CELL_DOUBLE:
            EXPECT_TRUE(flags & kWksNumber) << where;
            EXPECT_EQ(number, cell.value.double_value) << where;
            break;
          case FREEXL_CELL_TEXT:
          case FREEXL_CELL_SST_TEXT:
            EXPECT_TRUE(flags & kWksText) << where;
            EXPECT_EQ(plat::Cp1252ToUtf8(text), cell.value.text_value) << where;
            break;
          case FREEXL_CELL_DATE:
          case FREEXL_CELL_DATETIME:
          case FREEXL_CELL_TIME:
            EXPECT_TRUE(flags & kWksNumber) << where;
            break;
          default:  // freexl leaves formula results out
            if (!(flags & kWksFormula)) {
              EXPECT_EQ(flags & (kWksNumber | kWksText), 0) << where;
            }
            break;
        }
      }
    }
  }
  EXPECT_GT(s, 0);
  freexl_close(handle);
}

TEST(Excel5WksIO, ReadsTheSameCellsAsFreexl) {
  ExpectSameCellsAsFreexl(kBook);

  BiffWriter first(5);
  first.Bof().Dimensions(3, 4).Label(0, 0, "Name").Label(0, 1, "\xC4pfel").Number(1, 0, -3.75, {}, 0);
  first.Record(0x00BD, Bytes().U16(1).U16(1).U16(0).U32((7u << 2) | 2u).U16(1).U32(0x40590000u).U16(0));
  first.Rk(2, 3, (1234u << 2) | 3u).Eof();
  BiffWriter second(5);
  second.Bof().Dimensions(2, 1).Label(1, 0, "only").Eof();
  const std::vector<std::uint8_t> file = MakeBook({{"First", first}, {"Zweite", second}});
  const auto path = std::filesystem::temp_directory_path() / ("ostrel_biff5_" + std::to_string(::getpid()) + ".xls");
  {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  }
  ExpectSameCellsAsFreexl(path.string());
  std::filesystem::remove(path);
}

}  // namespace
