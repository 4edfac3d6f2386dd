#include "tableio/dbf_tbl.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <mutex>

#include "foundation/messages.h"
#include "foundation/string_utils.h"
#include "platform/exceptions.h"
#include "platform/path_resolver.h"
#include "platform/text_encoding.h"
#include "tableio/io_strings.h"

namespace {

enum : std::uint32_t {
  kIdsTrue = 10080,
  kIdsFalse = 10081,
  kIdsUnknownSqlType = 10104,
  kIdsBadDbfHeader = 10270,
  kIdsBadDbfVersion = 10271,
  kIdsBadDbfFieldType = 10272,
  kIdsDbfReadFailed = 10273,
};

constexpr std::size_t kHeaderSize = 32;
constexpr std::size_t kDescriptorSize = 32;
constexpr std::size_t kNameBytes = 11;

// The Windows-1252 byte of each OEM (code page 437) byte from 0x80 on.
const std::array<char, 128>& OemTable() {
  static std::array<char, 128> table;
  static std::once_flag once;
  std::call_once(once, [] {
    iconv_t cd = iconv_open("UTF-8", "CP437");
    for (int i = 0; i < 128; ++i) {
      char in = static_cast<char>(0x80 + i);
      char out[8];
      char* inPtr = &in;
      char* outPtr = out;
      std::size_t inLeft = 1;
      std::size_t outLeft = sizeof out;
      if (cd != reinterpret_cast<iconv_t>(-1) &&
          iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1)) {
        const std::string ansi = plat::Utf8ToCp1252(std::string_view(out, static_cast<std::size_t>(outPtr - out)));
        table[i] = ansi.size() == 1 ? ansi[0] : '?';
      } else {
        table[i] = '?';
      }
    }
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  });
  return table;
}

std::string OemToAnsi(std::string text) {
  const auto& table = OemTable();
  for (char& ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    if (byte >= 0x80) ch = table[byte - 0x80];
  }
  return text;
}

// atof's reading of a number, without the process locale.
double ParseNumber(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i < text.size() && text[i] == '+') ++i;
  double value = 0.0;
  const auto result = std::from_chars(text.data() + i, text.data() + text.size(), value);
  return result.ec == std::errc() ? value : 0.0;
}

std::string FormatFixed6(double value) {
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
  return result.ec == std::errc() ? std::string(buffer, result.ptr) : std::string();
}

int DigitsValue(const std::string& text, std::size_t from, std::size_t count) {
  int value = 0;
  for (std::size_t i = from; i < from + count; ++i) {
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

std::int16_t SqlTypeOf(char type) {
  switch (type) {
    case 'C': return kSqlVarChar;
    case 'D': return kSqlDate;
    case 'F':
    case 'N': return kSqlDouble;
    case 'L': return kSqlBit;
    case 'M': return kSqlLongVarChar;
    default: return 0;
  }
}

}  // namespace

CDbfTbl::CDbfTbl(std::ostream* log, CIOOptions* options) : CBaseTbl(log, options) { EnsureTableIoStrings(); }

CDbfTbl::~CDbfTbl() = default;

int CDbfTbl::Open(const CIoTableDescription& description) {
  m_description.Copy(description);
  SetSourceName(description.m_strSource);
  m_file.close();
  m_file.clear();
  m_file.open(plat::ResolvePath(description.m_strSource), std::ios::binary);
  if (!m_file.is_open()) return ReportErrorArg(kIdsCannotOpenTable, description.m_strSource);
  m_nFormatCode = 0;
  m_bReadOnly = 1;
  m_bAvailable = 0;
  if (!ReadColumnInfo()) {
    m_file.close();
    return 0;
  }
  m_bOpen = 1;
  return 1;
}

int CDbfTbl::Close(int) {
  if (!m_bOpen) return 0;
  m_file.close();
  m_bOpen = 0;
  return 1;
}

int CDbfTbl::ReadColumnInfo() {
  m_columns.RemoveAll();
  m_file.clear();
  m_file.seekg(0);
  unsigned char header[kHeaderSize];
  if (!m_file.read(reinterpret_cast<char*>(header), sizeof header)) return ReportError(kIdsBadDbfHeader);
  m_nVersion = header[0];
  if (m_nVersion != 3 && m_nVersion != 4) return ReportError(kIdsBadDbfVersion);
  m_nRecords = static_cast<std::uint32_t>(header[4]) | (static_cast<std::uint32_t>(header[5]) << 8) |
               (static_cast<std::uint32_t>(header[6]) << 16) | (static_cast<std::uint32_t>(header[7]) << 24);
  m_nHeaderLength = static_cast<std::uint16_t>(header[8] | (header[9] << 8));
  m_nRecordLength = static_cast<std::uint16_t>(header[10] | (header[11] << 8));
  if (m_nRecordLength == 0) return ReportError(kIdsBadDbfHeader);

  // Field offsets start after the deletion flag; every field must lie inside the record.
  std::size_t offset = 1;
  for (std::size_t end = kHeaderSize + kDescriptorSize; end <= m_nHeaderLength; end += kDescriptorSize) {
    unsigned char descriptor[kDescriptorSize];
    if (!m_file.read(reinterpret_cast<char*>(descriptor), sizeof descriptor)) {
      m_columns.RemoveAll();
      return ReportError(kIdsBadDbfHeader);
    }
    if (descriptor[0] == 0x0D) break;  // the header's terminator
    const char* nameBytes = reinterpret_cast<const char*>(descriptor);
    const std::string name(nameBytes, strnlen(nameBytes, kNameBytes));
    const std::int16_t sqlType = SqlTypeOf(static_cast<char>(descriptor[11]));
    if (sqlType == 0) {
      m_columns.RemoveAll();
      return ReportErrorArg(kIdsBadDbfFieldType, name);
    }
    const std::int32_t length = descriptor[16];
    if (offset + static_cast<std::size_t>(length) > m_nRecordLength) {
      m_columns.RemoveAll();
      return ReportError(kIdsBadDbfHeader);
    }
    auto column = std::make_unique<CColumn>(name, sqlType, length, 0, 1, 0);
    column->m_nFlags = static_cast<std::int32_t>(offset);
    offset += static_cast<std::size_t>(length);
    m_columns.Add(std::move(column));
  }
  m_record.assign(m_nRecordLength, ' ');
  return 1;
}

const CColumn& CDbfTbl::ColumnAt(int column) const {
  if (column < 0 || column >= m_columns.GetSize()) throw CInvalidArgException("Column index out of range.");
  return *m_columns.GetAt(column);
}

std::string CDbfTbl::FieldBytes(int column) const {
  const CColumn& col = ColumnAt(column);
  const std::size_t offset = static_cast<std::size_t>(col.m_nFlags);
  std::size_t length = static_cast<std::size_t>(col.m_nSize);
  if (offset >= m_record.size()) return {};
  length = std::min(length, m_record.size() - offset);
  while (length > 0 && m_record[offset + length - 1] == ' ') --length;
  return std::string(m_record.data() + offset, length);
}

double CDbfTbl::GetFieldNumber(int column, bool& isNull) {
  const std::string text = FieldBytes(column);
  isNull = text.empty();
  return isNull ? 0.0 : ParseNumber(text);
}

plat::OleDateTime CDbfTbl::GetFieldDate(int column, bool& isNull) {
  const std::string text = FieldBytes(column);
  isNull = text.empty();
  plat::OleDateTime date;
  if (isNull) {
    date.SetStatus(plat::OleDateTime::Status::null);
    return date;
  }
  const int year = DigitsValue(text, 0, 4);
  const int month = DigitsValue(text, 4, 2);
  const int day = DigitsValue(text, 6, 2);
  if (year < 0 || month < 0 || day < 0 || date.SetDate(year, month, day) != plat::OleDateTime::Status::valid)
    date.SetStatus(plat::OleDateTime::Status::invalid);
  return date;
}

bool CDbfTbl::GetFieldLogical(int column, bool& isNull) {
  const std::string text = FieldBytes(column);
  isNull = text.empty();
  return !isNull && text[0] == 'T';
}

bool CDbfTbl::GetFieldText(int column, std::string& text) {
  text.clear();
  const CColumn& col = ColumnAt(column);
  bool isNull = false;
  switch (col.m_nSqlType) {
    case kSqlDouble: {
      const double value = GetFieldNumber(column, isNull);
      if (!isNull) text = FormatFixed6(value);
      return true;
    }
    case kSqlDate: {
      const plat::OleDateTime date = GetFieldDate(column, isNull);
      if (!isNull) text = CIoDateCell(date, false, false).Format();
      return true;
    }
    case kSqlVarChar:
      text = OemToAnsi(FieldBytes(column));
      return true;
    case kSqlBit: {
      const bool value = GetFieldLogical(column, isNull);
      if (!isNull) text = LoadResString(value ? kIdsTrue : kIdsFalse);
      return true;
    }
    case kSqlLongVarChar:
      text = FieldBytes(column);
      return true;
    default:
      ReportError(kIdsUnknownSqlType);
      return false;
  }
}

std::unique_ptr<CIoCell> CDbfTbl::MakeCell(int column) {
  bool isNull = false;
  switch (ColumnAt(column).m_nSqlType) {
    case kSqlDouble: {
      const double value = GetFieldNumber(column, isNull);
      return std::make_unique<CIoDoubleCell>(value, isNull, false);
    }
    case kSqlDate: {
      const plat::OleDateTime date = GetFieldDate(column, isNull);
      auto cell = std::make_unique<CIoDateCell>(date, isNull, false);
      if (isNull) cell->m_value.SetStatus(plat::OleDateTime::Status::null);
      return cell;
    }
    case kSqlVarChar:
    case kSqlLongVarChar: {
      std::string text;
      GetFieldText(column, text);
      const bool empty = text.empty();
      return std::make_unique<CIoStrCell>(text, empty, false);
    }
    case kSqlBit: {
      const bool value = GetFieldLogical(column, isNull);
      return std::make_unique<CIoBitCell>(value ? 1 : 0, isNull, false);
    }
    default:
      return nullptr;
  }
}

int CDbfTbl::ReadAll(CIoRowArray& rows, CColumnArray& keyColumns, CColumnArray& dataColumns,
                     const std::string& keyFields, const std::string& keyValues, const std::string& extractFields,
                     std::vector<std::string>* optionalList, int sourceNumber) {
  rows.RemoveAll();
  if (!SetExtractColumns(extractFields)) return 0;
  if (!SetKeyFields(keyFields) || !SetKeyValues(keyValues)) return ReportError(kIdsKeyFieldsIncorrect);
  if (optionalList != nullptr) *optionalList = m_keyValues;
  if (m_keyFields.GetSize() != static_cast<int>(m_keyValues.size())) return ReportError(kIdsKeyCountMismatch);
  CopyKeyColumns(keyColumns);
  CopyExtractColumns(dataColumns);

  m_file.clear();
  m_file.seekg(m_nHeaderLength);
  for (std::uint32_t record = 0; record < m_nRecords; ++record) {
    if (!m_file.read(m_record.data(), static_cast<std::streamsize>(m_record.size())))
      return ReportError(kIdsDbfReadFailed);
    if (m_record[0] == '*') continue;

    bool anyTested = false;
    bool allEmpty = true;
    bool matched = true;
    for (int k = 0; k < m_keyFields.GetSize(); ++k) {
      const int index = m_keyFields.GetAt(k)->GetIndex();
      if (index < 0) continue;
      std::string text;
      if (!GetFieldText(index, text)) return 0;
      anyTested = true;
      if (!text.empty()) allEmpty = false;
      if (!WildcardMatch(text, m_keyValues[static_cast<std::size_t>(k)])) {
        matched = false;
        break;
      }
    }
    if (!anyTested || allEmpty) {
      ReportWarningArg(kIdsEmptyKeyRowSkipped, std::to_string(record + 1));
      continue;
    }
    if (!matched) continue;

    auto row = std::make_unique<CIoRow>(static_cast<int>(record), sourceNumber);
    for (int e = 0; e < m_extractFields.GetSize(); ++e) {
      std::unique_ptr<CIoCell> cell = MakeCell(m_extractFields.GetAt(e)->GetIndex());
      if (!cell) return ReportError(kIdsUnknownSqlType);
      row->AddDataCell(std::move(cell));
    }
    for (int k = 0; k < m_keyFields.GetSize(); ++k) {
      const int index = FindColumn(m_keyFields.GetAt(k)->GetName());
      std::unique_ptr<CIoCell> cell;
      if (index < 0) {
        cell = std::make_unique<CIoStrCell>(std::string(), true, false);
        cell->m_nFlags &= ~kCellPending;
      } else {
        cell = MakeCell(index);
        if (!cell) return ReportError(kIdsUnknownSqlType);
      }
      row->AddKeyCell(std::move(cell));
    }
    rows.Add(std::move(row));
  }
  if (rows.GetSize() == 0) ReportWarning(kIdsNoMatchSourceKey);
  return 1;
}

int ReadDbfTable(const CIoTableDescription& description, const std::string& keyFields,
                 const std::string& keyValues, const std::string& extractFields, CColumnArray& keyColumns,
                 CColumnArray& dataColumns, CIoRowArray& rows, int& readOnly, int& formatCode, int& available) {
  CIOOptions options;
  SetLoaderOptions(options);
  CDbfTbl table(nullptr, &options);
  return RunLoadProtocol(table, description, keyFields, keyValues, extractFields, keyColumns, dataColumns, rows,
                         readOnly, formatCode, available);
}
