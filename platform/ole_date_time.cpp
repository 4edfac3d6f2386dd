#include "platform/ole_date_time.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <vector>

namespace plat {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
// Day 0 (30 December 1899) counted from 1 January 1970.
constexpr std::int64_t kUnixDayOfOleZero = -25569;
// 1 January 100 and the day after 31 December 9999.
constexpr double kMinDays = -657435.0;
constexpr double kMaxDays = 2958466.0;

bool InRange(double days) { return std::isfinite(days) && days > kMinDays && days < kMaxDays; }

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

// A value on a straight time line: whole days plus the time after midnight.
double Linear(double days) {
  if (days >= 0) return days;
  const double whole = std::trunc(days);
  return whole + (whole - days);
}

std::int64_t LinearSeconds(double days) {
  const double whole = std::trunc(days);
  const double fraction = std::fabs(days - whole);
  return static_cast<std::int64_t>(whole) * kSecondsPerDay +
         static_cast<std::int64_t>(std::llround(fraction * kSecondsPerDay));
}

double FromLinearSeconds(std::int64_t seconds) {
  const std::int64_t day = FloorDiv(seconds, kSecondsPerDay);
  const double time = static_cast<double>(seconds - day * kSecondsPerDay) / kSecondsPerDay;
  return day >= 0 ? static_cast<double>(day) + time : static_cast<double>(day) - time;
}

std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

OleDateTime FromTm(const std::tm& t) {
  return OleDateTime(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min,
                     t.tm_sec > 59 ? 59 : t.tm_sec);
}

// A small cursor over the text being parsed.
struct Scanner {
  std::string_view text;
  std::size_t pos = 0;

  bool AtEnd() const { return pos >= text.size(); }
  char Peek() const { return AtEnd() ? '\0' : text[pos]; }
  void SkipBlanks() {
    while (!AtEnd() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
  }
  // Up to maxDigits digits; false when there is none.
  bool Number(int& value, int& digits, int maxDigits = 4) {
    value = 0;
    digits = 0;
    while (!AtEnd() && digits < maxDigits && std::isdigit(static_cast<unsigned char>(text[pos]))) {
      value = value * 10 + (text[pos] - '0');
      ++digits;
      ++pos;
    }
    return digits > 0 && (AtEnd() || !std::isdigit(static_cast<unsigned char>(text[pos])));
  }
  bool Accept(char c) {
    if (Peek() != c) return false;
    ++pos;
    return true;
  }
  bool AcceptWordIgnoringCase(std::string_view word) {
    if (text.size() - pos < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
      if (std::toupper(static_cast<unsigned char>(text[pos + i])) != word[i]) return false;
    pos += word.size();
    return true;
  }
};

// Parses "h:mm[:ss[.fff]] [AM|PM]" from the scanner; hour is the first number, already read.
bool ParseTime(Scanner& s, int hour, int& outHour, int& outMinute, int& outSecond, double& fraction) {
  int minute = 0, second = 0, digits = 0;
  fraction = 0.0;
  if (!s.Accept(':') || !s.Number(minute, digits, 2)) return false;
  if (s.Accept(':')) {
    if (!s.Number(second, digits, 2)) return false;
    if (s.Accept('.')) {
      double scale = 0.1;
      bool any = false;
      while (!s.AtEnd() && std::isdigit(static_cast<unsigned char>(s.Peek()))) {
        fraction += (s.text[s.pos++] - '0') * scale;
        scale /= 10;
        any = true;
      }
      if (!any) return false;
    }
  }
  s.SkipBlanks();
  if (s.AcceptWordIgnoringCase("AM")) {
    if (hour < 1 || hour > 12) return false;
    if (hour == 12) hour = 0;
  } else if (s.AcceptWordIgnoringCase("PM")) {
    if (hour < 1 || hour > 12) return false;
    if (hour != 12) hour += 12;
  }
  outHour = hour;
  outMinute = minute;
  outSecond = second;
  return true;
}

}  // namespace

OleDateTime::OleDateTime(double days) { SetValue(days); }

OleDateTime::OleDateTime(int year, int month, int day, int hour, int minute, int second) {
  SetDateTime(year, month, day, hour, minute, second);
}

OleDateTime OleDateTime::GetCurrentTime() { return FromTimeT(std::time(nullptr)); }

OleDateTime OleDateTime::FromTimeT(std::time_t time) {
  std::tm local{};
  if (!localtime_r(&time, &local)) {
    OleDateTime invalid;
    invalid.SetStatus(Status::invalid);
    return invalid;
  }
  return FromTm(local);
}

OleDateTime OleDateTime::Null() {
  OleDateTime value;
  value.m_status = Status::null;
  return value;
}

void OleDateTime::SetValue(double days) {
  if (InRange(days)) {
    m_dt = days;
    m_status = Status::valid;
  } else {
    m_dt = 0.0;
    m_status = Status::invalid;
  }
}

OleDateTime::Status OleDateTime::SetDateTime(int year, int month, int day, int hour, int minute, int second) {
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
      hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
    m_dt = 0.0;
    m_status = Status::invalid;
    return m_status;
  }
  const std::int64_t oleDay = DaysFromCivil(year, month, day) - kUnixDayOfOleZero;
  m_dt = FromLinearSeconds(oleDay * kSecondsPerDay + hour * 3600 + minute * 60 + second);
  m_status = Status::valid;
  return m_status;
}

bool OleDateTime::GetParts(Parts& p) const {
  if (m_status != Status::valid || !InRange(m_dt)) return false;
  const std::int64_t seconds = LinearSeconds(m_dt);
  const std::int64_t day = FloorDiv(seconds, kSecondsPerDay);
  const std::int64_t time = seconds - day * kSecondsPerDay;
  CivilFromDays(day + kUnixDayOfOleZero, p.year, p.month, p.day);
  if (p.year < 100 || p.year > 9999) return false;
  p.hour = static_cast<int>(time / 3600);
  p.minute = static_cast<int>(time / 60 % 60);
  p.second = static_cast<int>(time % 60);
  const std::int64_t unixDay = day + kUnixDayOfOleZero;
  p.dayOfWeek = static_cast<int>(((unixDay + 4) % 7 + 7) % 7) + 1;  // 1 January 1970 was a Thursday
  p.dayOfYear = static_cast<int>(unixDay - DaysFromCivil(p.year, 1, 1)) + 1;
  return true;
}

int OleDateTime::GetYear() const { Parts p; return GetParts(p) ? p.year : -1; }
int OleDateTime::GetMonth() const { Parts p; return GetParts(p) ? p.month : -1; }
int OleDateTime::GetDay() const { Parts p; return GetParts(p) ? p.day : -1; }
int OleDateTime::GetHour() const { Parts p; return GetParts(p) ? p.hour : -1; }
int OleDateTime::GetMinute() const { Parts p; return GetParts(p) ? p.minute : -1; }
int OleDateTime::GetSecond() const { Parts p; return GetParts(p) ? p.second : -1; }
int OleDateTime::GetDayOfWeek() const { Parts p; return GetParts(p) ? p.dayOfWeek : -1; }
int OleDateTime::GetDayOfYear() const { Parts p; return GetParts(p) ? p.dayOfYear : -1; }

bool OleDateTime::GetAsTm(std::tm& out) const {
  Parts p;
  if (!GetParts(p)) return false;
  out = std::tm{};
  out.tm_year = p.year - 1900;
  out.tm_mon = p.month - 1;
  out.tm_mday = p.day;
  out.tm_hour = p.hour;
  out.tm_min = p.minute;
  out.tm_sec = p.second;
  out.tm_wday = p.dayOfWeek - 1;
  out.tm_yday = p.dayOfYear - 1;
  out.tm_isdst = -1;
  return true;
}

bool OleDateTime::GetAsTimeT(std::time_t& out) const {
  std::tm t;
  if (!GetAsTm(t)) return false;
  const std::time_t result = std::mktime(&t);
  if (result == static_cast<std::time_t>(-1)) return false;
  out = result;
  return true;
}

std::string OleDateTime::Format() const {
  if (m_status == Status::null) return std::string();
  Parts p;
  if (!GetParts(p)) return "Invalid DateTime";
  char date[32] = "";
  char time[32] = "";
  const bool timeOnly = p.year == 1899 && p.month == 12 && p.day == 30;
  const bool midnight = p.hour == 0 && p.minute == 0 && p.second == 0;
  if (!timeOnly) std::snprintf(date, sizeof date, "%d/%d/%d", p.month, p.day, p.year);
  if (timeOnly || !midnight) {
    const int hour12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
    std::snprintf(time, sizeof time, "%d:%02d:%02d %s", hour12, p.minute, p.second, p.hour < 12 ? "AM" : "PM");
  }
  if (!*date) return time;
  if (!*time) return date;
  return std::string(date) + " " + time;
}

std::string OleDateTime::Format(const char* strftimeFormat) const {
  std::tm t;
  if (!strftimeFormat || !*strftimeFormat || !GetAsTm(t)) return std::string();
  std::vector<char> buffer(128);
  for (int attempt = 0; attempt < 8; ++attempt) {
    const std::size_t n = std::strftime(buffer.data(), buffer.size(), strftimeFormat, &t);
    if (n > 0) return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 4);
  }
  return std::string();
}

std::string OleDateTime::FormatIso() const {
  Parts p;
  if (!GetParts(p)) return std::string();
  // "YYYY-MM-DD HH:MM:SS": every part is in range after GetParts (year 100-9999).
  char text[19];
  const auto two = [&text](int at, int value) {
    text[at] = static_cast<char>('0' + value / 10);
    text[at + 1] = static_cast<char>('0' + value % 10);
  };
  two(0, p.year / 100);
  two(2, p.year % 100);
  text[4] = '-';
  two(5, p.month);
  text[7] = '-';
  two(8, p.day);
  text[10] = ' ';
  two(11, p.hour);
  text[13] = ':';
  two(14, p.minute);
  text[16] = ':';
  two(17, p.second);
  return std::string(text, sizeof text);
}

bool OleDateTime::ParseDateTime(std::string_view text) {
  Scanner s{text};
  int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
  double fraction = 0.0;
  const auto fail = [this] {
    m_dt = 0.0;
    m_status = Status::invalid;
    return false;
  };

  s.SkipBlanks();
  int first = 0, digits = 0;
  if (!s.Number(first, digits)) return fail();
  if (s.Peek() == ':') {
    if (!ParseTime(s, first, hour, minute, second, fraction)) return fail();
  } else {
    const char sep = s.Peek();
    if (sep != '/' && sep != '-') return fail();
    ++s.pos;
    int second_ = 0, third = 0, d2 = 0, d3 = 0;
    if (!s.Number(second_, d2, 2) || !s.Accept(sep) || !s.Number(third, d3)) return fail();
    if (digits >= 3) {
      if (d3 > 2) return fail();
      year = first, month = second_, day = third;
    } else {
      if (digits > 2) return fail();
      month = first, day = second_, year = third;
      if (d3 <= 2) year += year < 30 ? 2000 : 1900;
    }
    const std::size_t beforeTime = s.pos;
    if (!s.Accept('T')) s.SkipBlanks();
    int h = 0;
    if (!s.AtEnd()) {
      if (!s.Number(h, digits, 2) || !ParseTime(s, h, hour, minute, second, fraction)) return fail();
    } else if (s.pos > beforeTime && text[beforeTime] == 'T') {
      return fail();
    }
  }
  s.SkipBlanks();
  if (!s.AtEnd()) return fail();
  if (SetDateTime(year, month, day, hour, minute, second) != Status::valid) return fail();
  if (fraction > 0.0) SetValue(m_dt + (m_dt >= 0 ? fraction : -fraction) / kSecondsPerDay);
  return m_status == Status::valid;
}

bool operator<(const OleDateTime& a, const OleDateTime& b) { return Linear(a.m_dt) < Linear(b.m_dt); }

double operator-(const OleDateTime& a, const OleDateTime& b) { return Linear(a.m_dt) - Linear(b.m_dt); }

}  // namespace plat
