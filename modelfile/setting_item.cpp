#include "modelfile/setting_item.h"

#include <cctype>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>

#include "modelfile/setting_item_list.h"

namespace {

// Half a second in days: date values closer than this are the same second.
constexpr double kHalfSecond = 0.5 / 86400.0;

locale_t CLocale() {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return c;
}

}  // namespace

namespace settingtext {

std::string FormatDouble(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  return std::string(buffer, result.ptr);
}

double ParseDouble(const std::string& text) { return strtod_l(text.c_str(), nullptr, CLocale()); }

std::int32_t ParseInt(const std::string& text) {
  const long long value = strtoll_l(text.c_str(), nullptr, 10, CLocale());
  if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

}  // namespace settingtext

CSettingItem::CSettingItem(CSettingItemList* list, std::int32_t group, std::string name, std::int32_t level)
    : m_name(std::move(name)), m_level(level), m_group(group) {
  if (list) list->AddTail(this);
}

CSettingStr::CSettingStr(CSettingItemList* list, std::int32_t group, std::string name, std::int32_t level,
                         std::string value)
    : CSettingItem(list, group, std::move(name), level), m_value(std::move(value)) {}

bool CSettingStr::SetValue(const std::string& value) {
  if (m_value == value) return false;
  m_value = value;
  return true;
}

CSettingInt::CSettingInt(CSettingItemList* list, std::int32_t group, std::string name, std::int32_t level,
                         std::int32_t value)
    : CSettingItem(list, group, std::move(name), level), m_value(value) {}

std::string CSettingInt::GetValueText() const { return std::to_string(m_value); }

void CSettingInt::SetValueFromText(const std::string& text) { m_value = settingtext::ParseInt(text); }

bool CSettingInt::SetValue(std::int32_t value) {
  if (m_value == value) return false;
  m_value = value;
  return true;
}

CSettingDouble::CSettingDouble(CSettingItemList* list, std::int32_t group, std::string name, std::int32_t level,
                               double value)
    : CSettingItem(list, group, std::move(name), level), m_value(value) {}

std::string CSettingDouble::GetValueText() const { return settingtext::FormatDouble(m_value); }

void CSettingDouble::SetValueFromText(const std::string& text) { m_value = settingtext::ParseDouble(text); }

bool CSettingDouble::SetValue(double value) {
  const bool changed = !(m_value == value);
  m_value = value;
  return changed;
}

CSettingDateTime::CSettingDateTime(CSettingItemList* list, std::int32_t group, std::string name,
                                   std::int32_t level, plat::OleDateTime value)
    : CSettingItem(list, group, std::move(name), level), m_value(value) {}

std::string CSettingDateTime::GetValueText() const {
  if (m_value.IsValid() && std::fabs(m_value.GetValue()) < kHalfSecond) return std::string();
  return m_value.Format();
}

void CSettingDateTime::SetValueFromText(const std::string& text) {
  if (text.empty()) {
    m_value = plat::OleDateTime();
    return;
  }
  m_value.ParseDateTime(text);
}

bool CSettingDateTime::SetValue(const plat::OleDateTime& value) {
  using Status = plat::OleDateTime::Status;
  bool changed;
  if (m_value.GetStatus() != value.GetStatus())
    changed = true;
  else if (value.GetStatus() == Status::valid)
    changed = !(std::fabs(m_value.GetValue() - value.GetValue()) < kHalfSecond);
  else
    changed = value.GetStatus() == Status::invalid;
  m_value = value;
  return changed;
}
