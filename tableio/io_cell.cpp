#include "tableio/io_cell.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstdarg>
#include <ctime>

namespace {

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Printf(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n < 0) return std::string();
  if (static_cast<std::size_t>(n) < sizeof buffer) return std::string(buffer, static_cast<std::size_t>(n));
  std::string big(static_cast<std::size_t>(n) + 1, '\0');
  va_start(args, format);
  std::vsnprintf(big.data(), big.size(), format, args);
  va_end(args);
  big.resize(static_cast<std::size_t>(n));
  return big;
}

// atoi of the characters [from, from + count) of text; 0 past its end.
int FieldAt(const std::string& text, std::size_t from, std::size_t count) {
  if (from >= text.size()) return 0;
  return std::atoi(text.substr(from, count).c_str());
}

// Truncation towards zero that stays defined for values outside the target range.
template <class T>
T Truncate(double value) {
  if (std::isnan(value)) return 0;
  const double t = std::trunc(value);
  const double wrapped = std::fmod(t, 4294967296.0);
  const auto bits = static_cast<std::int64_t>(wrapped);
  return static_cast<T>(static_cast<std::uint32_t>(bits));
}

struct Parts {
  int year = -1, month = -1, day = -1, hour = -1, minute = -1, second = -1;
};

Parts PartsOf(const plat::OleDateTime& value) {
  Parts p;
  if (!value.IsValid()) return p;
  std::tm tm{};
  if (!value.GetAsTm(tm)) return p;
  p.year = tm.tm_year + 1900;
  p.month = tm.tm_mon + 1;
  p.day = tm.tm_mday;
  p.hour = tm.tm_hour;
  p.minute = tm.tm_min;
  p.second = tm.tm_sec;
  return p;
}

// The date of the parts, valid only when it converts back to the same parts.
plat::OleDateTime FromParts(int year, int month, int day, int hour, int minute, int second) {
  plat::OleDateTime value(year, month, day, hour, minute, second);
  if (!value.IsValid()) return value;
  const Parts back = PartsOf(value);
  if (back.year != year || back.month != month || back.day != day || back.hour != hour ||
      back.minute != minute || back.second != second) {
    value.SetStatus(plat::OleDateTime::Status::invalid);
  }
  return value;
}

}  // namespace

CIoCell::CIoCell(bool isNull, bool isFormula, std::string formula, int tag)
    : m_nFlags(kCellPending | (isNull ? kCellNull : 0u) | (isFormula ? kCellFormula : 0u)),
      m_nTag(tag),
      m_strFormula(std::move(formula)) {}

std::string CIoCell::Format() const { return "!"; }

const char* CIoCell::GetText() const { return "!"; }

const char* CIoFormattedCell::GetText() const {
  m_strText = Format();
  return m_strText.c_str();
}

std::string CIoBitCell::Format() const { return Printf("%d", static_cast<int>(m_value)); }
void CIoBitCell::SetNumber(double value) { m_value = Truncate<std::uint8_t>(value); }

std::string CIoTinyIntCell::Format() const { return Printf("%d", static_cast<int>(m_value)); }
void CIoTinyIntCell::SetNumber(double value) { m_value = Truncate<std::int8_t>(value); }

std::string CIoShortCell::Format() const { return Printf("%d", static_cast<int>(m_value)); }
void CIoShortCell::SetNumber(double value) { m_value = Truncate<std::int16_t>(value); }

std::string CIoLongCell::Format() const { return Printf("%d", m_value); }
void CIoLongCell::SetNumber(double value) { m_value = Truncate<std::int32_t>(value); }

std::string CIoFloatCell::Format() const { return Printf("%f", static_cast<double>(m_value)); }
int CIoFloatCell::AsInt() const { return Truncate<std::int32_t>(m_value); }
std::int32_t CIoFloatCell::AsLong() const { return Truncate<std::int32_t>(m_value); }

std::string CIoDoubleCell::Format() const { return Printf("%f", m_value); }
int CIoDoubleCell::AsInt() const { return Truncate<std::int32_t>(m_value); }
std::int32_t CIoDoubleCell::AsLong() const { return Truncate<std::int32_t>(m_value); }

double CIoStrCell::AsDouble() const { return std::atoi(m_value.c_str()); }
int CIoStrCell::AsInt() const { return std::atoi(m_value.c_str()); }
std::int32_t CIoStrCell::AsLong() const { return std::atoi(m_value.c_str()); }

void CIoDateTimeCellBase::SetParsed(int year, int month, int day, int hour, int minute, int second) {
  if (IsNull()) return;
  m_value = FromParts(year, month, day, hour, minute, second);
}

void CIoDateTimeCellBase::SetValueUnlessNull(const plat::OleDateTime& value) {
  if (!IsNull()) m_value = value;
}

CIoDateCell::CIoDateCell(const plat::OleDateTime& value, bool isNull, bool isFormula)
    : CIoDateTimeCellBase(isNull, isFormula) {
  SetValueUnlessNull(value);
}
CIoDateCell::CIoDateCell(const plat::OleDateTime& value, const std::string& formula, bool isNull,
                         bool isFormula, int tag)
    : CIoDateTimeCellBase(isNull, isFormula, formula, tag) {
  SetValueUnlessNull(value);
}
CIoDateCell::CIoDateCell(const std::string& text, bool isNull, bool isFormula)
    : CIoDateTimeCellBase(isNull, isFormula) {
  Parse(text);
}
CIoDateCell::CIoDateCell(const std::string& text, const std::string& formula, bool isNull,
                         bool isFormula, int tag)
    : CIoDateTimeCellBase(isNull, isFormula, formula, tag) {
  Parse(text);
}
void CIoDateCell::Parse(const std::string& text) {
  SetParsed(FieldAt(text, 0, 4), FieldAt(text, 5, 2), FieldAt(text, 8, 2), 0, 0, 0);
}
std::string CIoDateCell::Format() const {
  const Parts p = PartsOf(m_value);
  return Printf("%04d-%02d-%02d", p.year, p.month, p.day);
}

CIoTimeCell::CIoTimeCell(const plat::OleDateTime& value, bool isNull, bool isFormula)
    : CIoDateTimeCellBase(isNull, isFormula) {
  SetValueUnlessNull(value);
}
CIoTimeCell::CIoTimeCell(const plat::OleDateTime& value, const std::string& formula, bool isNull,
                         bool isFormula, int tag)
    : CIoDateTimeCellBase(isNull, isFormula, formula, tag) {
  SetValueUnlessNull(value);
}
CIoTimeCell::CIoTimeCell(const std::string& text, bool isNull, bool isFormula)
    : CIoDateTimeCellBase(isNull, isFormula) {
  Parse(text);
}
CIoTimeCell::CIoTimeCell(const std::string& text, const std::string& formula, bool isNull,
                         bool isFormula, int tag)
    : CIoDateTimeCellBase(isNull, isFormula, formula, tag) {
  Parse(text);
}
void CIoTimeCell::Parse(const std::string& text) {
  SetParsed(1899, 12, 30, FieldAt(text, 0, 2), FieldAt(text, 3, 2), FieldAt(text, 6, 2));
}
std::string CIoTimeCell::Format() const {
  const Parts p = PartsOf(m_value);
  return Printf("%02d:%02d:%02d", p.hour, p.minute, p.second);
}

CIoTimeStampCell::CIoTimeStampCell(const plat::OleDateTime& value, bool isNull, bool isFormula)
    : CIoDateTimeCellBase(isNull, isFormula) {
  SetValueUnlessNull(value);
}
CIoTimeStampCell::CIoTimeStampCell(const plat::OleDateTime& value, const std::string& formula,
                                   bool isNull, bool isFormula, int tag)
    : CIoDateTimeCellBase(isNull, isFormula, formula, tag) {
  SetValueUnlessNull(value);
}
CIoTimeStampCell::CIoTimeStampCell(const std::string& text, bool isNull, bool isFormula)
    : CIoDateTimeCellBase(isNull, isFormula) {
  Parse(text);
}
CIoTimeStampCell::CIoTimeStampCell(const std::string& text, const std::string& formula,
                                   bool isNull, bool isFormula, int tag)
    : CIoDateTimeCellBase(isNull, isFormula, formula, tag) {
  Parse(text);
}
void CIoTimeStampCell::Parse(const std::string& text) {
  SetParsed(FieldAt(text, 0, 4), FieldAt(text, 5, 2), FieldAt(text, 8, 2), FieldAt(text, 11, 2),
            FieldAt(text, 14, 2), FieldAt(text, 17, 2));
}
std::string CIoTimeStampCell::Format() const {
  const Parts p = PartsOf(m_value);
  return Printf("%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute, p.second);
}

int CombineDateAndTime(const plat::OleDateTime& date, const plat::OleDateTime& time,
                       plat::OleDateTime& out) {
  const Parts d = PartsOf(date);
  const Parts t = PartsOf(time);
  out = FromParts(d.year, d.month, d.day, t.hour, t.minute, t.second);
  return 1;
}

std::int16_t SqlTypeForColumnName(const std::string& heading) {
  std::string upper = heading;
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  if (upper == "TIME" || upper == "STARTTIME" || upper == "STOPTIME") return kSqlTime;
  if (upper == "DATE" || upper == "STARTDATE" || upper == "STOPDATE") return kSqlDate;
  if (heading == "DATETIMEID") return kSqlTimestamp;
  return kSqlNumeric;
}
