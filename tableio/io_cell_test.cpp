#include "tableio/io_cell.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

using CellFactory = std::function<std::unique_ptr<CIoCell>()>;

// What every getter gives for one cell class.
struct Expected {
  const char* name;
  CellFactory make;
  int sqlType;
  std::string text;
  double asDouble;
  int asInt;
  std::int32_t asLong;
  int bit;       // GetBit as int
  int tinyInt;   // GetTinyInt as int
  std::string string;
  std::int16_t shortValue;
  std::int32_t longValue;
  float floatValue;
  double doubleValue;
};

plat::OleDateTime Date(int y, int m, int d, int h = 0, int mi = 0, int s = 0) {
  return plat::OleDateTime(y, m, d, h, mi, s);
}

TEST(IoCell, ConversionMatrix) {
  const Expected cases[] = {
      {"bit", [] { return std::make_unique<CIoBitCell>(1, false, false); }, -7, "1", 1, 1, 1, 1, '!',
       "!", -999, -999, -999.0f, -999.99},
      {"tinyint", [] { return std::make_unique<CIoTinyIntCell>(-5, false, false); }, -6, "-5", -5, -5,
       -5, '!', -5, "!", -999, -999, -999.0f, -999.99},
      {"short", [] { return std::make_unique<CIoShortCell>(-300, false, false); }, 5, "-300", -300,
       -300, -300, '!', '!', "!", -300, -999, -999.0f, -999.99},
      {"long", [] { return std::make_unique<CIoLongCell>(70000, false, false); }, 4, "70000", 70000,
       70000, 70000, '!', '!', "!", -999, 70000, -999.0f, -999.99},
      {"float", [] { return std::make_unique<CIoFloatCell>(2.75f, false, false); }, 7, "2.750000",
       2.75, 2, 2, '!', '!', "!", -999, -999, 2.75f, -999.99},
      {"double", [] { return std::make_unique<CIoDoubleCell>(-12.5, false, false); }, 8, "-12.500000",
       -12.5, -12, -12, '!', '!', "!", -999, -999, -999.0f, -12.5},
      {"text 12.75", [] { return std::make_unique<CIoStrCell>("12.75", false, false); }, 1, "12.75",
       12.0, 12, 12, '!', '!', "12.75", -999, -999, -999.0f, -999.99},
      {"text letters", [] { return std::make_unique<CIoStrCell>("abc", false, false); }, 1, "abc", 0.0,
       0, 0, '!', '!', "abc", -999, -999, -999.0f, -999.99},
      {"date", [] { return std::make_unique<CIoDateCell>(Date(2021, 3, 15), false, false); }, 9,
       "2021-03-15", -999.99, 0, -999, '!', '!', "!", -999, -999, -999.0f, -999.99},
      {"time", [] { return std::make_unique<CIoTimeCell>(std::string("07:05:09"), false, false); }, 10,
       "07:05:09", -999.99, 0, -999, '!', '!', "!", -999, -999, -999.0f, -999.99},
      {"timestamp",
       [] { return std::make_unique<CIoTimeStampCell>(Date(2021, 3, 15, 7, 5, 9), false, false); }, 11,
       "2021-03-15 07:05:09", -999.99, 0, -999, '!', '!', "!", -999, -999, -999.0f, -999.99},
  };
  for (const Expected& e : cases) {
    SCOPED_TRACE(e.name);
    const auto cell = e.make();
    EXPECT_EQ(cell->GetSqlType(), e.sqlType);
    EXPECT_EQ(cell->Format(), e.text);
    EXPECT_STREQ(cell->GetText(), e.text.c_str());
    EXPECT_DOUBLE_EQ(cell->AsDouble(), e.asDouble);
    EXPECT_EQ(cell->AsInt(), e.asInt);
    EXPECT_EQ(cell->AsLong(), e.asLong);
    EXPECT_EQ(static_cast<int>(cell->GetBit()), e.bit);
    EXPECT_EQ(static_cast<int>(cell->GetTinyInt()), e.tinyInt);
    EXPECT_STREQ(cell->GetString(), e.string.c_str());
    EXPECT_EQ(cell->GetShort(), e.shortValue);
    EXPECT_EQ(cell->GetLong(), e.longValue);
    EXPECT_FLOAT_EQ(cell->GetFloat(), e.floatValue);
    EXPECT_DOUBLE_EQ(cell->GetDouble(), e.doubleValue);
    const bool isDate = e.sqlType >= 9 && e.sqlType <= 11;
    plat::OleDateTime into(5.0);
    cell->GetDateTimeInto(into);
    EXPECT_EQ(into.GetValue(), isDate ? cell->GetDateTime().GetValue() : 5.0);
    if (!isDate) {
      EXPECT_EQ(cell->GetDateTime().GetValue(), 0.0);
      EXPECT_TRUE(cell->GetDateTime().IsValid());
    }
  }
}

TEST(IoCell, SettersChangeOnlyTheirOwnKind) {
  CIoBitCell bit(0, false, false);
  bit.SetNumber(257.9);  // truncated to a byte
  EXPECT_EQ(bit.GetBit(), 1);
  CIoTinyIntCell tiny(0, false, false);
  tiny.SetNumber(200);
  EXPECT_EQ(tiny.GetTinyInt(), -56);
  CIoShortCell shortCell(0, false, false);
  shortCell.SetNumber(70000.0);
  EXPECT_EQ(shortCell.GetShort(), 4464);
  CIoLongCell longCell(0, false, false);
  longCell.SetNumber(-2.9);
  EXPECT_EQ(longCell.GetLong(), -2);
  longCell.SetNumber(1e30);  // out of range stays defined
  CIoFloatCell floatCell(0, false, false);
  floatCell.SetNumber(0.1);
  EXPECT_FLOAT_EQ(floatCell.GetFloat(), 0.1f);

  CIoStrCell text("a", false, false);
  text.SetNumber(5);
  text.SetDateTime(Date(2020, 1, 1));
  EXPECT_STREQ(text.GetString(), "a");
  text.SetText("b");
  EXPECT_STREQ(text.GetString(), "b");

  CIoDateCell date(Date(2020, 1, 1), false, false);
  date.SetText("x");
  date.SetNumber(3);
  EXPECT_EQ(date.Format(), "2020-01-01");
  date.SetDateTime(Date(2022, 12, 31));
  EXPECT_EQ(date.Format(), "2022-12-31");
}

TEST(IoCell, DateParsingAndFormatting) {
  struct Case {
    const char* name;
    std::function<std::unique_ptr<CIoCell>()> make;
    std::string text;
    bool valid;
  } cases[] = {
      {"date", [] { return std::make_unique<CIoDateCell>(std::string("2021-03-15"), false, false); },
       "2021-03-15", true},
      {"invalid date", [] { return std::make_unique<CIoDateCell>(std::string("2021-02-30"), false, false); },
       "-001--1--1", false},
      {"time", [] { return std::make_unique<CIoTimeCell>(std::string("07:05:09"), false, false); },
       "07:05:09", true},
      {"bad time", [] { return std::make_unique<CIoTimeCell>(std::string("25:00:00"), false, false); },
       "-1:-1:-1", false},
      {"timestamp",
       [] { return std::make_unique<CIoTimeStampCell>(std::string("2021-03-15 07:05:09"), false, false); },
       "2021-03-15 07:05:09", true},
      {"short text", [] { return std::make_unique<CIoTimeStampCell>(std::string("2021"), false, false); },
       "-001--1--1 -1:-1:-1", false},
      {"null date ignores its text",
       [] { return std::make_unique<CIoDateCell>(std::string("2021-02-30"), true, false); }, "1899-12-30",
       true},
      {"null timestamp", [] { return std::make_unique<CIoTimeStampCell>(); }, "1899-12-30 00:00:00", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto cell = c.make();
    EXPECT_EQ(cell->Format(), c.text);
    EXPECT_EQ(cell->GetDateTime().IsValid(), c.valid);
  }
  // A time lies on 1899-12-30.
  CIoTimeCell time(std::string("07:05:09"), false, false);
  EXPECT_EQ(time.GetDateTime().GetYear(), 1899);
  EXPECT_EQ(time.GetDateTime().GetMonth(), 12);
  EXPECT_EQ(time.GetDateTime().GetDay(), 30);
}

TEST(IoCell, CombineDateAndTime) {
  plat::OleDateTime out;
  EXPECT_EQ(CombineDateAndTime(Date(2021, 3, 15, 23, 0, 0), Date(1899, 12, 30, 7, 5, 9), out), 1);
  EXPECT_EQ(CIoTimeStampCell(out, false, false).Format(), "2021-03-15 07:05:09");
  plat::OleDateTime invalid;
  invalid.SetStatus(plat::OleDateTime::Status::invalid);
  CombineDateAndTime(Date(2021, 3, 15), invalid, out);
  EXPECT_FALSE(out.IsValid());
}

TEST(IoCell, EachCellKeepsItsOwnText) {
  CIoLongCell a(1, false, false);
  CIoLongCell b(2, false, false);
  CIoDoubleCell c(1.5, false, false);
  CIoDoubleCell d(2.5, false, false);
  const char* textA = a.GetText();
  const char* textC = c.GetText();
  b.GetText();
  d.GetText();
  EXPECT_STREQ(textA, "1");
  EXPECT_STREQ(textC, "1.500000");
  EXPECT_STRNE(a.GetText(), b.GetText());
}

TEST(IoCell, FlagsOfBuiltCells) {
  EXPECT_EQ(CIoLongCell().m_nFlags, 0x110u);
  EXPECT_EQ(CIoLongCell().GetLong(), 0);  // value-initialised, not garbage
  EXPECT_EQ(CIoDoubleCell().GetDouble(), 0.0);
  EXPECT_EQ(CIoBitCell().GetBit(), 0);
  EXPECT_EQ(CIoStrCell().m_nFlags, 0x110u);
  EXPECT_STREQ(CIoStrCell().GetText(), "");
  EXPECT_EQ(CIoTimeStampCell().m_nFlags, 0x110u);
  EXPECT_EQ(CIoLongCell(3, false, false).m_nFlags, 0x100u);
  EXPECT_EQ(CIoLongCell(3, false, true).m_nFlags, 0x120u);
  const CIoDoubleCell sourced(1.0, "=A1*2", false, true, 4);
  EXPECT_EQ(sourced.m_nFlags, 0x120u);
  EXPECT_EQ(sourced.m_nTag, 4);
  EXPECT_EQ(sourced.m_strFormula, "=A1*2");
  EXPECT_EQ(sourced.m_nSourceRow, -1);
  EXPECT_EQ(sourced.m_nSourceColumn, -1);
  EXPECT_EQ(CIoLongCell(3, false, false).m_nTag, -1);
}

TEST(IoCell, SqlTypeForColumnName) {
  const std::pair<const char*, int> cases[] = {
      {"TIME", 10}, {"starttime", 10}, {"StopTime", 10}, {"DATE", 9},     {"startdate", 9},
      {"STOPDATE", 9}, {"DATETIMEID", 11}, {"DateTimeId", 2}, {"PRICE", 2}, {"", 2}};
  for (const auto& [heading, type] : cases) EXPECT_EQ(SqlTypeForColumnName(heading), type) << heading;
}

}  // namespace
