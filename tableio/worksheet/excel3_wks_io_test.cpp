#include "tableio/worksheet/excel3_wks_io.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tableio/worksheet/excel4_wks_io.h"
#include "tableio/worksheet/testing/biff_writer.h"

using biff_test::BiffWriter;
using biff_test::Bytes;

namespace {

template <typename Reader, typename... Args>
std::unique_ptr<Reader> OpenBytes(const std::string& bytes, Args... args) {
  auto reader = std::make_unique<Reader>(std::make_unique<std::istringstream>(bytes), "sheet.xls", args...);
  reader->RunOpeningSequence();
  return reader;
}

std::string Text(TWksIOInnards& reader, int row, int column, int* flags = nullptr) {
  std::string text;
  const int f = reader.ReadText(row, column, text, kWksModeTextOnly);
  if (flags != nullptr) *flags = f;
  return text;
}

std::filesystem::path TempPath(const std::string& name) {
  return std::filesystem::temp_directory_path() / ("ostrel_biff3_" + std::to_string(::getpid()) + "_" + name);
}

TEST(Excel3WksIO, RkValues) {
  struct Case {
    std::uint32_t rk;
    double value;
  } cases[] = {
      {(5u << 2) | 2u, 5.0},                        // integer
      {(static_cast<std::uint32_t>(-7) << 2) | 2u, -7.0},  // negative integer
      {(1234u << 2) | 3u, 12.34},                   // integer divided by 100
      {0x3FF00000u, 1.0},                           // high bits of a double
      {0x3FF00000u | 1u, 0.01},                     // a double divided by 100
  };
  BiffWriter w(3);
  w.Bof();
  for (int i = 0; i < 5; ++i) w.Rk(0, i, cases[i].rk);
  w.Eof();
  auto reader = OpenBytes<excel3WksIO>(w.Str());
  for (int i = 0; i < 5; ++i) {
    double value = 0;
    EXPECT_EQ(reader->ReadNumber(0, i, &value), kWksNumber) << i;
    EXPECT_DOUBLE_EQ(value, cases[i].value) << i;
  }
}

TEST(Excel3WksIO, XfRecordsGiveFormatProtectionAndAlignment) {
  BiffWriter w(3);
  w.Bof().Protect(true).Format("General").Format("dd/mm/yy hh:mm").Xf(0, false, 0).Xf(1, true, 3).Xf(0, false, 2);
  const std::string result = "res";
  w.Number(0, 0, 44000.5, {}, 1).Label(0, 1, "centre", {}, 2).Blank(0, 2, {}, 1).TextFormula(0, 3, &result, {}, 0);
  w.Label(0, 4, "bad xf", {}, 77).Formula(1, 0, 3.5).Eof();
  auto reader = OpenBytes<excel3WksIO>(w.Str());
  int flags = 0;
  EXPECT_EQ(Text(*reader, 0, 0, &flags), "44000.5");
  EXPECT_EQ(flags, kWksNumber | kWksDate | kWksTime | kWksLocked | 3);
  EXPECT_EQ(Text(*reader, 0, 1, &flags), "centre");
  EXPECT_EQ(flags, kWksText | 2);
  EXPECT_EQ(Text(*reader, 0, 2, &flags), "");
  EXPECT_EQ(flags, kWksLocked | 3);
  EXPECT_EQ(Text(*reader, 0, 3, &flags), "res");
  EXPECT_EQ(flags, kWksFormula | kWksText);
  EXPECT_EQ(Text(*reader, 0, 4, &flags), "bad xf");  // a missing XF counts as zeros
  EXPECT_EQ(flags, kWksText);
  EXPECT_EQ(Text(*reader, 1, 0, &flags), "3.5");
  EXPECT_EQ(flags, kWksFormula | kWksNumber);
  EXPECT_EQ(reader->GetRowCount(), 2);
  EXPECT_EQ(reader->GetColumnCount(), 5);
}

TEST(Excel4WksIO, DimensionsThatLie) {
  struct Case {
    const char* name;
    bool withDimensions;
    int rows;
    int columns;
  } cases[] = {{"smaller", true, 1, 1}, {"none", false, 0, 0}, {"larger", true, 50, 9}};
  for (const Case& c : cases) {
    BiffWriter w(4);
    w.Bof();
    if (c.withDimensions) w.Dimensions(c.rows, c.columns);
    w.Label(0, 0, "a").Number(3, 4, 2.5).Label(300, 2, "far").Eof();
    auto reader = OpenBytes<excel4WksIO>(w.Str(), std::string());
    EXPECT_EQ(Text(*reader, 0, 0), "a") << c.name;
    EXPECT_EQ(Text(*reader, 3, 4), "2.5") << c.name;
    EXPECT_EQ(Text(*reader, 300, 2), "far") << c.name;
    EXPECT_EQ(Text(*reader, 301, 2), "") << c.name;
    EXPECT_EQ(reader->GetRowCount(), std::max(c.rows, 301)) << c.name;
    EXPECT_EQ(reader->GetColumnCount(), std::max(c.columns, 5)) << c.name;
  }
}

TEST(Excel4WksIO, FormatsComeFromBiff4FormatRecords) {
  BiffWriter w(4);
  w.Bof().Format("General").Format("h:mm").Xf(0, false, 0).Xf(1, false, 0).Xf(9, false, 0);
  w.Number(0, 0, 0.5, {}, 1).Number(0, 1, 0.5, {}, 2).Eof();
  auto reader = OpenBytes<excel4WksIO>(w.Str(), std::string());
  double value;
  EXPECT_EQ(reader->ReadNumber(0, 0, &value), kWksNumber | kWksTime);
  EXPECT_EQ(reader->ReadNumber(0, 1, &value), kWksNumber);  // a format index beyond the FORMAT records
}

TEST(Excel4WksIO, WorkbookBundles) {
  BiffWriter w(4);
  w.Bof(0x0100).Eof();
  auto bundle = [&](const std::string& name, const std::string& cell) {
    w.Record(0x008F, Bytes().U32(0).U8(static_cast<int>(name.size())).Text(name));
    w.Bof().Label(0, 0, cell).Eof();
  };
  bundle("Sheet1", "first");
  bundle("Prices", "second");
  const std::string file = w.Str();
  struct Case {
    std::string sheet;
    bool ok;
    std::string cell;
  } cases[] = {{"PRICES", true, "second"}, {"sheet1", true, "first"}, {"Price", false, ""},
               {"Prices2", false, ""},     {"", true, ""}};
  for (const Case& c : cases) {
    auto reader = OpenBytes<excel4WksIO>(file, c.sheet);
    EXPECT_EQ(!reader->HasError(), c.ok) << c.sheet;
    if (c.ok) {
      EXPECT_EQ(Text(*reader, 0, 0), c.cell) << c.sheet;
    }
  }
  auto sheet = OpenBytes<excel4WksIO>(file, std::string("Prices"));
  sheet->WriteText(0, 0, "changed", -1);
  EXPECT_FALSE(sheet->IsWritable());  // saving one sheet would lose the others
  EXPECT_FALSE(sheet->Save(TempPath("bundle.xls").string()));
}

TEST(Excel3WksIO, AlignmentWritesAddOrReuseXfRecords) {
  BiffWriter w(3);
  w.Bof().Xf(0, false, 0).Xf(0, false, 3).Label(0, 0, "a", {}, 0).Label(0, 1, "b", {}, 0).Eof();
  auto reader = OpenBytes<excel3WksIO>(w.Str());
  int flags = 0;
  reader->SetAlignment(0, 0, 3);  // the second XF already has it
  Text(*reader, 0, 0, &flags);
  EXPECT_EQ(flags, kWksText | 3);
  reader->WriteText(0, 1, "b2", 2);  // no XF has it: a new one
  reader->WriteNumber(1, 0, 7, 2);   // reuses the new one
  reader->WriteNumber(1, 1, 8, -1);  // a new cell takes XF 0
  EXPECT_EQ(Text(*reader, 0, 1, &flags), "b2");
  EXPECT_EQ(flags, kWksText | 2);
  EXPECT_EQ(Text(*reader, 1, 0, &flags), "7");
  EXPECT_EQ(flags, kWksNumber | 2);
  EXPECT_EQ(Text(*reader, 1, 1, &flags), "8");
  EXPECT_EQ(flags, kWksNumber);
}

TEST(Excel3WksIO, SaveDropsIndexMarksUncalculatedAndRereads) {
  BiffWriter w(3);
  const std::string result = "old text";
  w.Bof().Record(0x020B, Bytes().U32(0).U16(0).U16(3).U32(0)).Xf(0, false, 0);
  w.Label(0, 0, "h1").Label(0, 1, "h2").TextFormula(1, 0, &result).Number(1, 1, 2).Label(2, 0, "x");
  w.Record(0x003E, Bytes().U16(0)).Eof();  // a window record after the cells
  auto reader = OpenBytes<excel3WksIO>(w.Str());
  reader->WriteNumber(1, 0, 4.5, -1);  // replaces the text formula and its STRING
  reader->WriteText(0, 2, "h3", 3);
  reader->WriteText(1, 5, "row end", -1);
  reader->WriteNumber(4, 0, 10, -1);  // beyond the file's rows
  const auto path = TempPath("save.xls");
  ASSERT_TRUE(reader->Save(path.string()));

  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<int> ids;
  for (std::size_t pos = 0; pos + 4 <= bytes.size();) {
    ids.push_back(static_cast<unsigned char>(bytes[pos]) | (static_cast<unsigned char>(bytes[pos + 1]) << 8));
    pos += 4 + (static_cast<unsigned char>(bytes[pos + 2]) | (static_cast<unsigned char>(bytes[pos + 3]) << 8));
  }
  const std::vector<int> expected = {0x0209, 0x005E, 0x0243, 0x0243, 0x0204, 0x0204, 0x0204, 0x0203,
                                     0x0203, 0x0204, 0x0204, 0x0203, 0x003E, 0x000A};
  EXPECT_EQ(ids, expected);

  auto saved = OpenBytes<excel3WksIO>(bytes);
  int flags = 0;
  EXPECT_EQ(Text(*saved, 0, 2, &flags), "h3");
  EXPECT_EQ(flags, kWksText | 3);
  EXPECT_EQ(Text(*saved, 1, 0, &flags), "4.5");
  EXPECT_EQ(flags, kWksNumber);
  EXPECT_EQ(Text(*saved, 1, 1), "2");
  EXPECT_EQ(Text(*saved, 1, 5), "row end");
  EXPECT_EQ(Text(*saved, 2, 0), "x");
  EXPECT_EQ(Text(*saved, 4, 0), "10");
  EXPECT_FALSE(saved->HasFormulas());
  std::filesystem::remove(path);
}

}  // namespace
