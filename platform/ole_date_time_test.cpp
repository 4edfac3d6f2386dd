#include "platform/ole_date_time.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace plat {
namespace {

struct FormatCase {
  double days;
  const char* text;
  int year, month, day, hour, minute, second;
};

TEST(OleDateTimeTest, FormatsAndSplitsKnownValues) {
  const FormatCase cases[] = {
      {0.0, "12:00:00 AM", 1899, 12, 30, 0, 0, 0},
      {2.042372685185185, "1/1/1900 1:01:01 AM", 1900, 1, 1, 1, 1, 1},
      {0.5, "12:00:00 PM", 1899, 12, 30, 12, 0, 0},
      {1.0, "12/31/1899", 1899, 12, 31, 0, 0, 0},
      {-1.25, "12/29/1899 6:00:00 AM", 1899, 12, 29, 6, 0, 0},
      {45458.0 + 15.5 / 24, "6/15/2024 3:30:00 PM", 2024, 6, 15, 15, 30, 0},
      {45351.0, "2/29/2024", 2024, 2, 29, 0, 0, 0},
      {36526.999999, "1/2/2000", 2000, 1, 2, 0, 0, 0},  // rounds up to the next midnight
      {-657434.0, "1/1/100", 100, 1, 1, 0, 0, 0},
      {2958465.0 + 86399.0 / 86400, "12/31/9999 11:59:59 PM", 9999, 12, 31, 23, 59, 59},
  };
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.text);
    const OleDateTime dt(c.days);
    ASSERT_TRUE(dt.IsValid());
    EXPECT_EQ(dt.Format(), c.text);
    EXPECT_EQ(dt.GetYear(), c.year);
    EXPECT_EQ(dt.GetMonth(), c.month);
    EXPECT_EQ(dt.GetDay(), c.day);
    EXPECT_EQ(dt.GetHour(), c.hour);
    EXPECT_EQ(dt.GetMinute(), c.minute);
    EXPECT_EQ(dt.GetSecond(), c.second);

    OleDateTime parsed;
    ASSERT_TRUE(parsed.ParseDateTime(c.text));
    EXPECT_NEAR(parsed - dt, 0.0, 0.6 / 86400);
  }
}

TEST(OleDateTimeTest, PartsRoundTripToTheSecond) {
  for (int year : {100, 1899, 1900, 1970, 2000, 2024, 9999})
    for (int month : {1, 2, 12})
      for (int hms : {0, 1, 3661, 43199, 43200, 86399}) {
        const int hour = hms / 3600, minute = hms / 60 % 60, second = hms % 60;
        const OleDateTime dt(year, month, 28, hour, minute, second);
        ASSERT_TRUE(dt.IsValid()) << year << "-" << month;
        EXPECT_EQ(dt.GetYear(), year);
        EXPECT_EQ(dt.GetMonth(), month);
        EXPECT_EQ(dt.GetDay(), 28);
        EXPECT_EQ(dt.GetHour(), hour);
        EXPECT_EQ(dt.GetMinute(), minute);
        EXPECT_EQ(dt.GetSecond(), second);
        OleDateTime back;
        ASSERT_TRUE(back.ParseDateTime(dt.Format())) << dt.Format();
        EXPECT_EQ(back.GetValue(), dt.GetValue()) << dt.Format();
        ASSERT_TRUE(back.ParseDateTime(dt.FormatIso())) << dt.FormatIso();
        EXPECT_EQ(back.GetValue(), dt.GetValue()) << dt.FormatIso();
      }
}

TEST(OleDateTimeTest, DayOfWeekAndYear) {
  const OleDateTime dt(2024, 3, 1);  // a Friday, the 61st day of a leap year
  EXPECT_EQ(dt.GetDayOfWeek(), 6);
  EXPECT_EQ(dt.GetDayOfYear(), 61);
  EXPECT_EQ(OleDateTime(1899, 12, 29).GetDayOfWeek(), 6);
}

TEST(OleDateTimeTest, InvalidAndNullDates) {
  for (auto parts : {std::array<int, 6>{2023, 2, 29, 0, 0, 0}, {99, 12, 31, 0, 0, 0}, {10000, 1, 1, 0, 0, 0},
                     {2024, 13, 1, 0, 0, 0}, {2024, 1, 1, 24, 0, 0}, {2024, 1, 1, 0, 60, 0}, {2024, 1, 1, 0, 0, 60}}) {
    const OleDateTime dt(parts[0], parts[1], parts[2], parts[3], parts[4], parts[5]);
    EXPECT_EQ(dt.GetStatus(), OleDateTime::Status::invalid) << parts[0] << "-" << parts[1] << "-" << parts[2];
    EXPECT_EQ(dt.GetYear(), -1);
    EXPECT_EQ(dt.Format(), "Invalid DateTime");
  }
  EXPECT_FALSE(OleDateTime(3e6).IsValid());
  EXPECT_FALSE(OleDateTime(NAN).IsValid());
  EXPECT_EQ(OleDateTime::Null().Format(), "");
  EXPECT_EQ(OleDateTime::Null().FormatIso(), "");
}

TEST(OleDateTimeTest, ParsesTheAcceptedForms) {
  struct Case {
    const char* text;
    const char* iso;
  };
  const Case cases[] = {
      {"1/2/2024", "2024-01-02 00:00:00"},
      {"  12/31/99  ", "1999-12-31 00:00:00"},
      {"3/4/05", "2005-03-04 00:00:00"},
      {"2024-06-15T15:30:00", "2024-06-15 15:30:00"},
      {"2024/06/15 7:05", "2024-06-15 07:05:00"},
      {"6/15/2024 12:00:00 am", "2024-06-15 00:00:00"},
      {"6/15/2024 12:00:01 PM", "2024-06-15 12:00:01"},
      {"23:59:59", "1899-12-30 23:59:59"},
      {"11:15 PM", "1899-12-30 23:15:00"},
      {"2024-06-15 10:00:00.6", "2024-06-15 10:00:01"},
  };
  for (const Case& c : cases) {
    OleDateTime dt;
    ASSERT_TRUE(dt.ParseDateTime(c.text)) << c.text;
    EXPECT_EQ(dt.FormatIso(), c.iso) << c.text;
  }
  for (const char* bad : {"", "   ", "abc", "2/30/2024", "1/2", "1/2/2024 25:00", "1/2/2024 13:00 PM",
                          "1/2/2024 x", "2024-01-01T", "10:", "1/2/2024 10:00:00 AM extra", "1-2/2024"}) {
    OleDateTime dt(5.0);
    EXPECT_FALSE(dt.ParseDateTime(bad)) << bad;
    EXPECT_EQ(dt.GetStatus(), OleDateTime::Status::invalid) << bad;
  }
}

TEST(OleDateTimeTest, OrdersAndSubtractsOnTheTimeLine) {
  // -1.75 is 29 December 18:00, later than -1.25 (6:00) although smaller.
  EXPECT_LT(OleDateTime(-1.25), OleDateTime(-1.75));
  EXPECT_NEAR(OleDateTime(-1.75) - OleDateTime(-1.25), 0.5, 1e-12);
  EXPECT_NEAR(OleDateTime(1.5) - OleDateTime(-1.5), 2.0, 1e-12);
}

TEST(OleDateTimeTest, LocalTimeConversions) {
  const OleDateTime dt(2024, 6, 15, 15, 30, 5);
  std::time_t t = 0;
  ASSERT_TRUE(dt.GetAsTimeT(t));
  EXPECT_EQ(OleDateTime::FromTimeT(t), dt);
  EXPECT_EQ(dt.Format("%Y%m%d %H%M%S"), "20240615 153005");
  EXPECT_TRUE(OleDateTime::GetCurrentTime().IsValid());
}

}  // namespace
}  // namespace plat
