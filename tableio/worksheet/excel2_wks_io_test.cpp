#include "tableio/worksheet/excel2_wks_io.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tableio/worksheet/testing/biff_writer.h"

using biff_test::Attr2;
using biff_test::BiffWriter;

namespace {

std::unique_ptr<excel2WksIO> Open2(const std::string& bytes) {
  auto reader = std::make_unique<excel2WksIO>(std::make_unique<std::istringstream>(bytes), "sheet.xls");
  reader->RunOpeningSequence();
  return reader;
}
std::unique_ptr<excel2WksIO> Open2(const BiffWriter& writer) { return Open2(writer.Str()); }

std::unique_ptr<excel2WksIO> OpenFile2(const std::string& path) {
  auto reader = std::make_unique<excel2WksIO>(std::make_unique<std::ifstream>(path, std::ios::binary), path);
  reader->RunOpeningSequence();
  return reader;
}

std::string Text(TWksIOInnards& reader, int row, int column, int mode = kWksModeTextOnly, int* flags = nullptr) {
  std::string text;
  const int f = reader.ReadText(row, column, text, mode);
  if (flags != nullptr) *flags = f;
  return text;
}

std::filesystem::path TempPath(const std::string& name) {
  return std::filesystem::temp_directory_path() / ("ostrel_biff2_" + std::to_string(::getpid()) + "_" + name);
}

TEST(Excel2WksIO, LabelsAreCutToTheBuffer) {
  const std::string label(200, 'x');
  auto reader = Open2(BiffWriter(2).Bof().Label(0, 0, label).Eof());
  ASSERT_FALSE(reader->HasError());
  char big[256];
  char small[3];
  EXPECT_EQ(reader->ReadText(0, 0, big, sizeof big, kWksModeTextOnly), kWksText);
  EXPECT_EQ(std::string(big), label);
  reader->ReadText(0, 0, small, sizeof small, kWksModeTextOnly);
  EXPECT_EQ(std::string(small), "xx");
}

TEST(Excel2WksIO, ReadModesPrefixLabels) {
  struct Case {
    std::string label;
    int alignment;
    int mode;
    std::string expected;
  } cases[] = {
      {"1abc", 0, kWksModeQuoteNumeric, "'1abc"}, {"1abc", 0, kWksModeTextOnly, "1abc"},
      {"-x", 0, 5, "'-x"},                        {"abc", 0, kWksModeQuoteNumeric, "abc"},
      {"abc", 2, kWksModeAlignPrefix, "^abc"},    {"abc", 3, kWksModeAlignPrefix, "\"abc"},
      {"abc", 4, kWksModeAlignPrefix, "\\abc"},   {"abc", 1, kWksModeAlignPrefix, "'abc"},
  };
  for (const Case& c : cases) {
    auto reader = Open2(BiffWriter(2).Bof().Label(0, 0, c.label, Attr2{c.alignment, 0, false}).Eof());
    int flags = 0;
    EXPECT_EQ(Text(*reader, 0, 0, c.mode, &flags), c.expected) << c.label << " mode " << c.mode;
    EXPECT_EQ(flags, kWksText | c.alignment);
  }
}

TEST(Excel2WksIO, NumbersFormatsAndFlags) {
  BiffWriter w(2);
  w.Bof().Protect(true).Format("General").Format("d-mmm-yy h:mm").Format("[h]:mm:ss").Format("mm");
  w.Number(0, 0, 1234567).Integer(0, 1, 65535, Attr2{3, 0, true});
  w.Number(1, 0, 1.5, Attr2{0, 1, false}).Number(1, 1, 1.5, Attr2{0, 2, false}).Number(1, 2, 1.5, Attr2{0, 3, false});
  w.Number(1, 3, 1.5, Attr2{0, 9, false}).Formula(2, 0, 42.0).Eof();
  auto reader = Open2(w);
  int flags = 0;
  EXPECT_EQ(Text(*reader, 0, 0, -1, &flags), "1.23457e+06");
  EXPECT_EQ(flags, kWksNumber);
  EXPECT_EQ(Text(*reader, 0, 1, -1, &flags), "65535");
  EXPECT_EQ(flags, kWksNumber | kWksLocked | 3);
  struct {
    int column;
    int flags;
  } formats[] = {{0, kWksNumber | kWksDate | kWksTime}, {1, kWksNumber | kWksTime}, {2, kWksNumber}, {3, kWksNumber}};
  for (const auto& f : formats) {
    double value = 0;
    EXPECT_EQ(reader->ReadNumber(1, f.column, &value), f.flags) << f.column;
    EXPECT_EQ(value, 1.5);
  }
  double value = 0;
  EXPECT_EQ(reader->ReadNumber(2, 0, &value), kWksFormula | kWksNumber);
  EXPECT_EQ(value, 42.0);
  EXPECT_EQ(reader->ReadNumber(5, 5, &value), 0);
  EXPECT_EQ(value, TWksIOInnards::kNoNumber);
  EXPECT_TRUE(reader->HasFormulas());
}

TEST(Excel2WksIO, FormulaResults) {
  const std::string result = "from formula";
  auto reader = Open2(BiffWriter(2).Bof().TextFormula(0, 0, &result).TextFormula(0, 1, nullptr).Label(0, 2, "next").Eof());
  int flags = 0;
  EXPECT_EQ(Text(*reader, 0, 0, -1, &flags), result);
  EXPECT_EQ(flags, kWksFormula | kWksText);
  EXPECT_EQ(Text(*reader, 0, 1, -1, &flags), "");
  EXPECT_EQ(flags, kWksFormula);
  EXPECT_EQ(Text(*reader, 0, 2), "next");
}

TEST(Excel2WksIO, ResortKeepsEveryCell) {
  // Out of order, with a text formula's STRING, a BLANK and a non-cell record among the cells.
  const std::string result = "txt";
  BiffWriter w(2);
  w.Bof().Label(2, 0, "c").Number(0, 1, 2.0).TextFormula(1, 1, &result).Blank(1, 0).Record(0x0099, {1, 2});
  w.Label(0, 0, "a").Number(3, 2, 7.0).Eof();
  auto reader = Open2(w);
  EXPECT_EQ(reader->GetRowCount(), 4);
  EXPECT_EQ(reader->GetColumnCount(), 3);
  EXPECT_EQ(Text(*reader, 0, 0), "a");
  EXPECT_EQ(Text(*reader, 0, 1), "2");
  EXPECT_EQ(Text(*reader, 1, 1), "txt");
  EXPECT_EQ(Text(*reader, 2, 0), "c");
  EXPECT_EQ(Text(*reader, 3, 2), "7");
  // Reads along a row in any order.
  EXPECT_EQ(Text(*reader, 0, 1), "2");
  EXPECT_EQ(Text(*reader, 0, 0), "a");
}

TEST(Excel2WksIO, RecordsThatClaimMoreThanTheFileEndTheStream) {
  BiffWriter w(2);
  w.Bof().Label(0, 0, "kept");
  std::string bytes = w.Str();
  bytes += std::string("\x04\x00\xff\xff\x01\x00", 6);  // a LABEL claiming 65535 bytes
  auto reader = Open2(bytes);
  ASSERT_FALSE(reader->HasError());
  EXPECT_EQ(Text(*reader, 0, 0), "kept");
  EXPECT_EQ(Text(*reader, 1, 0), "");

  // A label whose length byte runs past its record is clamped to the record.
  auto clamped = Open2(BiffWriter(2).Bof().Record(0x0004, {0, 0, 0, 0, 0, 0, 0, 200, 'a', 'b'}).Eof());
  EXPECT_EQ(Text(*clamped, 0, 0), "ab");
  // A format index beyond the FORMAT records gives no format bits.
  auto format = Open2(BiffWriter(2).Bof().Format("d").Number(0, 0, 1, Attr2{0, 5, false}).Eof());
  double value;
  EXPECT_EQ(format->ReadNumber(0, 0, &value), kWksNumber);
}

TEST(Excel2WksIO, WritesAreReadBackAndSaved) {
  BiffWriter w(2);
  const std::string result = "old";
  w.Bof().DefColWidth(12).Row2(5, Attr2{2, 0, false}).Label(0, 0, "keep", Attr2{3, 0, false});
  w.TextFormula(1, 0, &result).Number(1, 1, 3.0).Selection(1, 1).Eof();
  auto reader = Open2(w);
  EXPECT_EQ(reader->GetColumnWidth(0), 12);
  EXPECT_EQ(reader->GetColumnWidth(9), -1);

  reader->WriteText(0, 0, "new", -1);
  reader->WriteNumber(1, 0, 9.5, -1);  // replaces the text formula
  reader->WriteText(5, 3, std::string(300, 'y'), -1);
  reader->WriteNumber(0, 4, 1.25, 2);
  reader->SetAlignment(1, 1, 4);
  reader->SetAlignment(7, 7, 4);  // no cell: nothing happens
  EXPECT_TRUE(reader->HasChanges());
  EXPECT_EQ(reader->GetRowCount(), 6);
  EXPECT_EQ(reader->GetColumnCount(), 5);
  int flags = 0;
  EXPECT_EQ(Text(*reader, 0, 0, kWksModeAlignPrefix, &flags), "\"new");  // keeps the cell's alignment
  EXPECT_EQ(Text(*reader, 1, 0), "9.5");
  EXPECT_EQ(Text(*reader, 5, 3, -1, &flags).size(), 255u);  // one BIFF2 label holds 255 characters
  EXPECT_EQ(flags, kWksText | 2);                            // the ROW record's default attributes
  EXPECT_EQ(Text(*reader, 0, 4, -1, &flags), "1.25");
  EXPECT_EQ(flags, kWksNumber | 2);
  EXPECT_EQ(reader->ReadText(1, 1, nullptr, 0, -1), kWksNumber | 4);
  reader->SetActiveCell(4, 2);

  const auto path = TempPath("save.xls");
  ASSERT_TRUE(reader->Save(path.string()));
  EXPECT_EQ(Text(*reader, 0, 0), "new");  // the reader stays as it was

  auto saved = OpenFile2(path.string());
  ASSERT_FALSE(saved->HasError());
  EXPECT_FALSE(saved->HasChanges());
  EXPECT_EQ(Text(*saved, 0, 0), "new");
  EXPECT_EQ(Text(*saved, 1, 0, -1, &flags), "9.5");
  EXPECT_EQ(flags, kWksNumber);
  EXPECT_EQ(Text(*saved, 1, 1, -1, &flags), "3");
  EXPECT_EQ(flags, kWksNumber | 4);
  EXPECT_EQ(Text(*saved, 5, 3), std::string(255, 'y'));
  EXPECT_EQ(Text(*saved, 0, 4), "1.25");
  int row = 0;
  int column = 0;
  saved->GetActiveCell(&row, &column);
  EXPECT_EQ(row, 4);
  EXPECT_EQ(column, 2);
  std::filesystem::remove(path);

  reader->DropChanges();
  EXPECT_FALSE(reader->HasChanges());
  EXPECT_EQ(reader->GetRowCount(), 2);
  EXPECT_EQ(Text(*reader, 0, 0), "keep");
}

TEST(Excel2WksIO, FailedSaveLeavesNoFile) {
  auto reader = Open2(BiffWriter(2).Bof().Label(0, 0, "a").Eof());
  const auto path = TempPath("missing_dir") / "out.xls";
  EXPECT_FALSE(reader->Save(path.string()));
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(Excel2WksIO, UnreadableStreamIsAnError) {
  excel2WksIO reader(std::make_unique<std::ifstream>("/nonexistent/file.xls"), "/nonexistent/file.xls");
  EXPECT_TRUE(reader.HasError());
}

TEST(Excel2WksIO, FormattedText) {
  BiffWriter w(2);
  w.Bof().Format("General").Format("0.00").Format("0").Format("#").Number(0, 0, 3.14159, Attr2{0, 0, false});
  w.Number(0, 1, 3.14159, Attr2{0, 1, false}).Number(0, 2, 2.5, Attr2{0, 2, false}).Number(0, 3, 0, Attr2{0, 3, false});
  w.Label(0, 4, "text").Eof();
  auto reader = Open2(w);
  char buffer[32];
  const std::pair<int, const char*> cases[] = {{0, "3.14159"}, {1, "3.14"}, {2, "3"}, {3, "0"}, {4, "text"}};
  for (const auto& [column, expected] : cases) {
    reader->ReadFormattedText(0, column, buffer, sizeof buffer, false);
    EXPECT_STREQ(buffer, expected) << column;
  }
  reader->ReadFormattedText(0, 0, buffer, 4, false);
  EXPECT_STREQ(buffer, "3.1");
}

}  // namespace
