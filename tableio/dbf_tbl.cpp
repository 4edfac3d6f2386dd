#include "tableio/dbf_tbl.h"

#include <iconv.h>

#include <cerrno>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

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

// The code page of a file's language-driver byte (header byte 29), as iconv
// names it; null for an unmarked file and for a mark this table lacks.
const char* MarkedCodePage(std::uint8_t mark) {
  switch (mark) {
    case 0x01: case 0x09: case 0x0B: case 0x0D: case 0x0F: case 0x11: case 0x15: case 0x18: case 0x19: case 0x1B:
      return "CP437";
    case 0x02: case 0x0A: case 0x0E: case 0x10: case 0x12: case 0x14: case 0x16: case 0x1A: case 0x1D: case 0x25:
    case 0x37:
      return "CP850";
    case 0x08: case 0x17: case 0x66: return "CP865";
    case 0x1C: case 0x6C: return "CP863";
    case 0x1F: case 0x22: case 0x23: case 0x40: case 0x64: case 0x87: return "CP852";
    case 0x24: return "CP860";
    case 0x26: case 0x65: return "CP866";
    case 0x67: return "CP861";
    case 0x6A: case 0x86: return "CP737";
    case 0x6B: case 0x88: return "CP857";
    case 0x13: case 0x7B: return "CP932";
    case 0x4D: case 0x7A: return "CP936";
    case 0x4E: case 0x79: return "CP949";
    case 0x4F: case 0x78: return "CP950";
    case 0x50: case 0x7C: return "CP874";
    case 0x03: case 0x57: case 0x58: case 0x59: return "CP1252";
    case 0xC8: return "CP1250";
    case 0xC9: return "CP1251";
    case 0xCA: return "CP1254";
    case 0xCB: return "CP1253";
    case 0xCC: return "CP1257";
    case 0x04: return "MACINTOSH";
    default: return nullptr;
  }
}

}  // namespace

// Converts the text of a file's code page to this system's (Windows-1252):
// a character the code page lacks becomes "?".
class CDbfTextConverter {
 public:
  explicit CDbfTextConverter(const char* codePage)
      : m_converter(iconv_open("UTF-8", codePage)), m_bIdentity(std::strcmp(codePage, "CP1252") == 0) {}
  ~CDbfTextConverter() {
    if (IsOpen()) iconv_close(m_converter);
  }
  CDbfTextConverter(const CDbfTextConverter&) = delete;
  CDbfTextConverter& operator=(const CDbfTextConverter&) = delete;

  std::string Convert(std::string text) {
    if (m_bIdentity ||
        std::none_of(text.begin(), text.end(), [](char ch) { return static_cast<unsigned char>(ch) >= 0x80; }))
      return text;
    if (!IsOpen()) {
      for (char& ch : text)
        if (static_cast<unsigned char>(ch) >= 0x80) ch = '?';
      return text;
    }
    iconv(m_converter, nullptr, nullptr, nullptr, nullptr);
    std::string utf8(text.size() * 4 + 4, '\0');
    char* in = text.data();
    std::size_t inLeft = text.size();
    char* out = utf8.data();
    std::size_t outLeft = utf8.size();
    while (inLeft > 0) {
      if (iconv(m_converter, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1)) break;
      if (errno == E2BIG) break;
      // A byte the code page does not define (or a cut double-byte character) becomes one "?".
      *out++ = '?';
      --outLeft;
      ++in;
      --inLeft;
    }
    utf8.resize(utf8.size() - outLeft);
    return plat::Utf8ToCp1252(utf8);
  }

 private:
  bool IsOpen() const { return m_converter != reinterpret_cast<iconv_t>(-1); }

  iconv_t m_converter;
  bool m_bIdentity;
};

namespace {

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
  // The file's own code page where its language-driver byte names one; an unmarked file is in the OEM code page.
  m_nLanguageDriver = header[29];
  const char* codePage = MarkedCodePage(m_nLanguageDriver);
  m_pConverter = std::make_unique<CDbfTextConverter>(codePage != nullptr ? codePage : "CP437");

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
      text = m_pConverter ? m_pConverter->Convert(FieldBytes(column)) : FieldBytes(column);
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
