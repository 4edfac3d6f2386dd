#pragma once
// Named, typed setting values. Every transfer of a value (between blocks, into
// and out of the model file, from case rows) goes through its text form:
// integers in decimal, doubles as "%.15g", dates as US-English OLE date text;
// the conversions never depend on the process locale.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/object.h"
#include "platform/ole_date_time.h"

class CSettingItemList;

class CSettingItem : public CObject {
 public:
  // Type codes; 1 and 2 are not used.
  enum : int { kTypeStr = 0, kTypeInt = 3, kTypeDouble = 4, kTypeDateTime = 5 };

  // Appends the item to list (when not null); the list does not own it.
  CSettingItem(CSettingItemList* list, std::int32_t group, std::string name, std::int32_t level);
  CSettingItem(const CSettingItem&) = delete;
  CSettingItem& operator=(const CSettingItem&) = delete;

  virtual int GetType() const = 0;
  virtual std::string GetValueText() const = 0;
  virtual void SetValueFromText(const std::string& text) = 0;

  const std::string& GetName() const { return m_name; }
  std::int32_t GetGroup() const { return m_group; }
  std::int32_t GetLevel() const { return m_level; }

 private:
  std::string m_name;
  std::int32_t m_level;
  std::int32_t m_group;
};

class CSettingStr : public CSettingItem {
 public:
  CSettingStr(CSettingItemList* list, std::int32_t group, std::string name, std::int32_t level,
              std::string value = std::string());
  int GetType() const override { return kTypeStr; }
  std::string GetValueText() const override { return m_value; }
  void SetValueFromText(const std::string& text) override { m_value = text; }
  // True when the text differs (letter case counts).
  bool SetValue(const std::string& value);
  const std::string& GetValue() const { return m_value; }

 private:
  std::string m_value;
};

class CSettingInt : public CSettingItem {
 public:
  CSettingInt(CSettingItemList* list, std::int32_t group, std::string name, std::int32_t level,
              std::int32_t value = 0);
  int GetType() const override { return kTypeInt; }
  std::string GetValueText() const override;
  // The leading integer as atoi reads it (0 when none); saturated to the 32-bit range.
  void SetValueFromText(const std::string& text) override;
  bool SetValue(std::int32_t value);
  std::int32_t GetValue() const { return m_value; }

 private:
  std::int32_t m_value;
};

class CSettingDouble : public CSettingItem {
 public:
  CSettingDouble(CSettingItemList* list, std::int32_t group, std::string name, std::int32_t level,
                 double value = 0.0);
  int GetType() const override { return kTypeDouble; }
  // "%.15g".
  std::string GetValueText() const override;
  // The leading number as atof reads it (0.0 when none).
  void SetValueFromText(const std::string& text) override;
  // Always stores; true unless the doubles compare equal (a NaN counts as changed).
  bool SetValue(double value);
  double GetValue() const { return m_value; }

 private:
  double m_value;
};

class CSettingDateTime : public CSettingItem {
 public:
  CSettingDateTime(CSettingItemList* list, std::int32_t group, std::string name, std::int32_t level,
                   plat::OleDateTime value = plat::OleDateTime());
  int GetType() const override { return kTypeDateTime; }
  // Empty for a valid value within half a second of 0 and for a null date,
  // "Invalid DateTime" for an invalid one, else the US-English date text.
  std::string GetValueText() const override;
  // Empty text: 0, valid. Otherwise parsed; a text that is no date leaves the item invalid.
  void SetValueFromText(const std::string& text) override;
  // Always stores value and status; true when the statuses differ, when both
  // are valid and the values are half a second or more apart, and when both are invalid.
  bool SetValue(const plat::OleDateTime& value);
  const plat::OleDateTime& GetValue() const { return m_value; }

 private:
  plat::OleDateTime m_value;
};

// Number text conversions of the setting items, independent of the process locale.
namespace settingtext {
std::string FormatDouble(double value);  // "%.15g"
double ParseDouble(const std::string& text);  // atof
std::int32_t ParseInt(const std::string& text);  // atoi, saturated
// Setting names compared ignoring ASCII letter case.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
}  // namespace settingtext
