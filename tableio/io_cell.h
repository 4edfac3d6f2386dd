#pragma once
// Typed cells of the tables that the table I/O library reads. A cell carries
// an ODBC SQL type code and converts to the other kinds on request: asking for
// a value of another kind never fails but gives a failure value (-999.99 for a
// double, -999.0 for a float, -999 for a short or long, '!' / "!" for a byte or
// a text). Text converts to numbers only through atoi, so "2.5" reads as 2.

#include <cstdint>
#include <string>

#include "platform/ole_date_time.h"

// ODBC SQL type codes of cells and columns.
enum : std::int16_t {
  kSqlChar = 1,
  kSqlNumeric = 2,
  kSqlDecimal = 3,
  kSqlInteger = 4,
  kSqlSmallInt = 5,
  kSqlFloat = 6,
  kSqlReal = 7,
  kSqlDouble = 8,
  kSqlDate = 9,
  kSqlTime = 10,
  kSqlTimestamp = 11,
  kSqlVarChar = 12,
  kSqlLongVarChar = -1,
  kSqlBinary = -2,
  kSqlVarBinary = -3,
  kSqlLongVarBinary = -4,
  kSqlBigInt = -5,
  kSqlTinyInt = -6,
  kSqlBit = -7,
};

// Cell flags.
enum : std::uint32_t {
  kCellNull = 0x10,
  kCellFormula = 0x20,
  kCellPlaceholder = 0x40,
  kCellPending = 0x100,
};

// Failure values of the getters.
constexpr double kCellBadDouble = -999.99;
constexpr float kCellBadFloat = -999.0f;
constexpr std::int32_t kCellBadLong = -999;
constexpr std::int16_t kCellBadShort = -999;
constexpr char kCellBadByte = '!';

class CIoCell {
 public:
  virtual ~CIoCell() = default;
  CIoCell(const CIoCell&) = delete;
  CIoCell& operator=(const CIoCell&) = delete;

  virtual int GetSqlType() const = 0;
  // The value as text; "!" for a cell class without a text form.
  virtual std::string Format() const;
  // The same text, owned by the cell: valid until the cell changes or is destroyed.
  virtual const char* GetText() const;
  virtual double AsDouble() const { return kCellBadDouble; }
  virtual int AsInt() const { return 0; }
  virtual std::int32_t AsLong() const { return kCellBadLong; }
  virtual void SetText(const std::string&) {}
  virtual void SetNumber(double) {}
  virtual void SetDateTime(const plat::OleDateTime&) {}

  // Strict getters: the value only for a cell of that very class.
  virtual std::uint8_t GetBit() const { return kCellBadByte; }
  virtual std::int8_t GetTinyInt() const { return kCellBadByte; }
  virtual const char* GetString() const { return "!"; }
  virtual std::int16_t GetShort() const { return kCellBadShort; }
  virtual std::int32_t GetLong() const { return kCellBadLong; }
  virtual float GetFloat() const { return kCellBadFloat; }
  virtual double GetDouble() const { return kCellBadDouble; }
  virtual void GetDateTimeInto(plat::OleDateTime&) const {}
  virtual plat::OleDateTime GetDateTime() const { return plat::OleDateTime(); }

  bool IsNull() const { return (m_nFlags & kCellNull) != 0; }

  std::uint32_t m_nFlags;
  // Index of the source description the value came from, -1 unless given.
  int m_nTag = -1;
  int m_nSourceRow = -1;
  int m_nSourceColumn = -1;
  // The formula of the source cell when formulas are recorded.
  std::string m_strFormula;

 protected:
  CIoCell(bool isNull, bool isFormula, std::string formula = std::string(), int tag = -1);
  // Cells whose text is formatted keep it here for GetText.
  mutable std::string m_strText;
};

// A cell whose text comes from Format.
class CIoFormattedCell : public CIoCell {
 public:
  const char* GetText() const override;

 protected:
  using CIoCell::CIoCell;
};

class CIoBitCell : public CIoFormattedCell {
 public:
  CIoBitCell() : CIoFormattedCell(true, false) {}
  CIoBitCell(std::uint8_t value, bool isNull, bool isFormula)
      : CIoFormattedCell(isNull, isFormula), m_value(value) {}
  int GetSqlType() const override { return kSqlBit; }
  std::string Format() const override;
  double AsDouble() const override { return m_value; }
  int AsInt() const override { return m_value; }
  std::int32_t AsLong() const override { return m_value; }
  void SetNumber(double value) override;
  std::uint8_t GetBit() const override { return m_value; }

  std::uint8_t m_value = 0;
};

class CIoTinyIntCell : public CIoFormattedCell {
 public:
  CIoTinyIntCell() : CIoFormattedCell(true, false) {}
  CIoTinyIntCell(std::int8_t value, bool isNull, bool isFormula)
      : CIoFormattedCell(isNull, isFormula), m_value(value) {}
  int GetSqlType() const override { return kSqlTinyInt; }
  std::string Format() const override;
  double AsDouble() const override { return m_value; }
  int AsInt() const override { return m_value; }
  std::int32_t AsLong() const override { return m_value; }
  void SetNumber(double value) override;
  std::int8_t GetTinyInt() const override { return m_value; }

  std::int8_t m_value = 0;
};

class CIoShortCell : public CIoFormattedCell {
 public:
  CIoShortCell() : CIoFormattedCell(true, false) {}
  CIoShortCell(std::int16_t value, bool isNull, bool isFormula)
      : CIoFormattedCell(isNull, isFormula), m_value(value) {}
  int GetSqlType() const override { return kSqlSmallInt; }
  std::string Format() const override;
  double AsDouble() const override { return m_value; }
  int AsInt() const override { return m_value; }
  std::int32_t AsLong() const override { return m_value; }
  void SetNumber(double value) override;
  std::int16_t GetShort() const override { return m_value; }

  std::int16_t m_value = 0;
};

class CIoLongCell : public CIoFormattedCell {
 public:
  CIoLongCell() : CIoFormattedCell(true, false) {}
  CIoLongCell(std::int32_t value, bool isNull, bool isFormula)
      : CIoFormattedCell(isNull, isFormula), m_value(value) {}
  int GetSqlType() const override { return kSqlInteger; }
  std::string Format() const override;
  double AsDouble() const override { return m_value; }
  int AsInt() const override { return m_value; }
  std::int32_t AsLong() const override { return m_value; }
  void SetNumber(double value) override;
  std::int32_t GetLong() const override { return m_value; }

  std::int32_t m_value = 0;
};

class CIoFloatCell : public CIoFormattedCell {
 public:
  CIoFloatCell() : CIoFormattedCell(true, false) {}
  CIoFloatCell(float value, bool isNull, bool isFormula)
      : CIoFormattedCell(isNull, isFormula), m_value(value) {}
  int GetSqlType() const override { return kSqlReal; }
  std::string Format() const override;
  double AsDouble() const override { return m_value; }
  int AsInt() const override;
  std::int32_t AsLong() const override;
  void SetNumber(double value) override { m_value = static_cast<float>(value); }
  float GetFloat() const override { return m_value; }

  float m_value = 0.0f;
};

class CIoDoubleCell : public CIoFormattedCell {
 public:
  CIoDoubleCell() : CIoFormattedCell(true, false) {}
  CIoDoubleCell(double value, bool isNull, bool isFormula)
      : CIoFormattedCell(isNull, isFormula), m_value(value) {}
  CIoDoubleCell(double value, const std::string& formula, bool isNull, bool isFormula, int tag)
      : CIoFormattedCell(isNull, isFormula, formula, tag), m_value(value) {}
  int GetSqlType() const override { return kSqlDouble; }
  std::string Format() const override;
  double AsDouble() const override { return m_value; }
  int AsInt() const override;
  std::int32_t AsLong() const override;
  void SetNumber(double value) override { m_value = value; }
  double GetDouble() const override { return m_value; }

  double m_value = 0.0;
};

class CIoStrCell : public CIoCell {
 public:
  CIoStrCell() : CIoCell(true, false) {}
  CIoStrCell(const std::string& value, bool isNull, bool isFormula)
      : CIoCell(isNull, isFormula), m_value(value) {}
  CIoStrCell(const std::string& value, const std::string& formula, bool isNull, bool isFormula,
             int tag)
      : CIoCell(isNull, isFormula, formula, tag), m_value(value) {}
  int GetSqlType() const override { return kSqlChar; }
  std::string Format() const override { return m_value; }
  const char* GetText() const override { return m_value.c_str(); }
  double AsDouble() const override;
  int AsInt() const override;
  std::int32_t AsLong() const override;
  void SetText(const std::string& value) override { m_value = value; }
  const char* GetString() const override { return m_value.c_str(); }

  std::string m_value;
};

// Base of the date, time and timestamp cells: an OLE date with its status.
class CIoDateTimeCellBase : public CIoFormattedCell {
 public:
  double AsDouble() const override { return kCellBadDouble; }
  int AsInt() const override { return 0; }
  std::int32_t AsLong() const override { return kCellBadLong; }
  void SetDateTime(const plat::OleDateTime& value) override { m_value = value; }
  void GetDateTimeInto(plat::OleDateTime& out) const override { out = m_value; }
  plat::OleDateTime GetDateTime() const override { return m_value; }

  plat::OleDateTime m_value;

 protected:
  CIoDateTimeCellBase(bool isNull, bool isFormula, const std::string& formula = std::string(),
                      int tag = -1)
      : CIoFormattedCell(isNull, isFormula, formula, tag) {}
  // The value of a parsed text (status invalid unless the parts round-trip);
  // a null cell keeps 0.
  void SetParsed(int year, int month, int day, int hour, int minute, int second);
  void SetValueUnlessNull(const plat::OleDateTime& value);
};

// "YYYY-MM-DD".
class CIoDateCell : public CIoDateTimeCellBase {
 public:
  CIoDateCell(const plat::OleDateTime& value, bool isNull, bool isFormula);
  CIoDateCell(const plat::OleDateTime& value, const std::string& formula, bool isNull,
              bool isFormula, int tag);
  // Parses "2021-03-15" (year chars 1-4, month 6-7, day 9-10).
  CIoDateCell(const std::string& text, bool isNull, bool isFormula);
  CIoDateCell(const std::string& text, const std::string& formula, bool isNull, bool isFormula,
              int tag);
  int GetSqlType() const override { return kSqlDate; }
  std::string Format() const override;

 private:
  void Parse(const std::string& text);
};

// "HH:MM:SS" on 1899-12-30.
class CIoTimeCell : public CIoDateTimeCellBase {
 public:
  CIoTimeCell(const plat::OleDateTime& value, bool isNull, bool isFormula);
  CIoTimeCell(const plat::OleDateTime& value, const std::string& formula, bool isNull,
              bool isFormula, int tag);
  // Parses "07:05:09" (hour chars 1-2, minute 4-5, second 7-8).
  CIoTimeCell(const std::string& text, bool isNull, bool isFormula);
  CIoTimeCell(const std::string& text, const std::string& formula, bool isNull, bool isFormula,
              int tag);
  int GetSqlType() const override { return kSqlTime; }
  std::string Format() const override;

 private:
  void Parse(const std::string& text);
};

// "YYYY-MM-DD HH:MM:SS".
class CIoTimeStampCell : public CIoDateTimeCellBase {
 public:
  CIoTimeStampCell() : CIoDateTimeCellBase(true, false) {}
  CIoTimeStampCell(const plat::OleDateTime& value, bool isNull, bool isFormula);
  CIoTimeStampCell(const plat::OleDateTime& value, const std::string& formula, bool isNull,
                   bool isFormula, int tag);
  // Parses "2021-03-15 07:05:09".
  CIoTimeStampCell(const std::string& text, bool isNull, bool isFormula);
  CIoTimeStampCell(const std::string& text, const std::string& formula, bool isNull,
                   bool isFormula, int tag);
  int GetSqlType() const override { return kSqlTimestamp; }
  std::string Format() const override;

 private:
  void Parse(const std::string& text);
};

// A date made of the calendar date of one value and the time of day of the
// other; a part that cannot be read becomes -1, and out's status is valid only
// when the parts round-trip. Returns 1.
int CombineDateAndTime(const plat::OleDateTime& date, const plat::OleDateTime& time,
                       plat::OleDateTime& out);

// The SQL type of a worksheet column by its heading: TIME, STARTTIME, STOPTIME
// (any case) 10; DATE, STARTDATE, STOPDATE (any case) 9; exactly DATETIMEID 11;
// otherwise 2.
std::int16_t SqlTypeForColumnName(const std::string& heading);

// A reference to a column by name and index (-1 when the name was not found).
class CIoKeyCell {
 public:
  CIoKeyCell(const std::string& name, int index) : m_strName(name), m_nIndex(index) {}
  virtual ~CIoKeyCell() = default;
  virtual const std::string& GetName() const { return m_strName; }
  virtual int GetIndex() const { return m_nIndex; }
  virtual void SetName(const std::string& name) { m_strName = name; }
  virtual void SetIndex(int index) { m_nIndex = index; }

 private:
  std::string m_strName;
  int m_nIndex;
};

// One row of an ODBC data source's type table.
struct CIoSqlTypeInfo {
  std::string m_strTypeName;
  std::string m_strLiteralPrefix;
  std::string m_strLiteralSuffix;
  std::string m_strCreateParams;
  std::string m_strLocalTypeName;
  std::int16_t m_nDataType = 0;
  std::int16_t m_nValues[7] = {};
};
