#pragma once
// OLE Automation dates: days since 30 December 1899 as a double, the time of
// day in the fraction. A negative value counts whole days backwards, but its
// fraction is still the time after midnight (-1.25 is 29 December 1899,
// 6:00 AM). Calendar parts are rounded to the nearest second. Valid years run
// from 100 to 9999.

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace plat {

class OleDateTime {
 public:
  enum class Status { valid, invalid, null };

  // 0.0 (30 December 1899, midnight), valid.
  OleDateTime() = default;
  // A value outside the valid years gives an invalid date.
  explicit OleDateTime(double days);
  // Invalid when a part is out of range (seconds 0-59, years 100-9999).
  OleDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

  // The local time now, to the second.
  static OleDateTime GetCurrentTime();
  // A time_t as local time.
  static OleDateTime FromTimeT(std::time_t time);
  static OleDateTime Null();

  Status GetStatus() const { return m_status; }
  void SetStatus(Status status) { m_status = status; }
  bool IsValid() const { return m_status == Status::valid; }
  double GetValue() const { return m_dt; }
  void SetValue(double days);

  // Return the status after setting; an invalid set leaves the value 0.
  Status SetDateTime(int year, int month, int day, int hour, int minute, int second);
  Status SetDate(int year, int month, int day) { return SetDateTime(year, month, day, 0, 0, 0); }
  Status SetTime(int hour, int minute, int second) { return SetDateTime(1899, 12, 30, hour, minute, second); }

  // Calendar parts; -1 unless valid. Day of week 1 (Sunday) to 7.
  int GetYear() const;
  int GetMonth() const;
  int GetDay() const;
  int GetHour() const;
  int GetMinute() const;
  int GetSecond() const;
  int GetDayOfWeek() const;
  int GetDayOfYear() const;

  // Fills a struct tm (tm_isdst -1); false unless valid.
  bool GetAsTm(std::tm& out) const;
  // The local time as time_t; false unless valid.
  bool GetAsTimeT(std::time_t& out) const;

  // US-English text: "M/D/YYYY h:mm:ss AM"; the date alone when the time is
  // midnight, the time alone on 30 December 1899 ("12:00:00 AM" for 0.0).
  // Empty for a null date and "Invalid DateTime" for an invalid one.
  std::string Format() const;
  // strftime format of the calendar parts (e.g. "%c"); empty unless valid.
  std::string Format(const char* strftimeFormat) const;
  // "YYYY-MM-DD HH:MM:SS"; empty unless valid.
  std::string FormatIso() const;

  // Reads "M/D/YYYY", "M/D/YY", "YYYY-MM-DD" (or "YYYY/MM/DD"), optionally
  // followed by a time "h:mm[:ss[.fff]]" with an optional AM/PM, or a time
  // alone; a "T" may separate an ISO date from its time. Surrounding blanks
  // are ignored. Returns false and sets the status invalid when the text is
  // not a date; an empty text also fails.
  bool ParseDateTime(std::string_view text);

  friend bool operator==(const OleDateTime& a, const OleDateTime& b) {
    return a.m_status == b.m_status && a.m_dt == b.m_dt;
  }
  // Orders by time (a negative value's fraction counts forwards); status is ignored.
  friend bool operator<(const OleDateTime& a, const OleDateTime& b);

  // Days from b to a as a linear span (a - b).
  friend double operator-(const OleDateTime& a, const OleDateTime& b);

 private:
  struct Parts {
    int year, month, day, hour, minute, second, dayOfWeek, dayOfYear;
  };
  bool GetParts(Parts& parts) const;

  double m_dt = 0.0;
  Status m_status = Status::valid;
};

}  // namespace plat
