#include "tableio/worksheet/biff8_reader.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string_view>

#include "platform/text_encoding.h"

namespace {

constexpr std::uint16_t kBof = 0x0809;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kContinue = 0x003C;
constexpr std::uint16_t kBiff8Version = 0x0600;
constexpr std::uint64_t kMaxStreamSize = std::uint64_t{1} << 30;

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
double F64(const std::uint8_t* p) {
  std::uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | p[i];
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

double DecodeRk(std::uint32_t rk) {
  double value;
  if (rk & 0x02) {
    value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
  } else {
    const std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32;
    std::memcpy(&value, &bits, sizeof value);
  }
  return (rk & 0x01) ? value / 100.0 : value;
}

struct Record {
  std::uint16_t id = 0;
  const std::uint8_t* data = nullptr;
  std::uint16_t length = 0;
  std::size_t offset = 0;  // of the header in the stream
};

// Walks the records of the stream; every header and length is checked.
class CRecordCursor {
 public:
  CRecordCursor(const std::vector<std::uint8_t>& stream, std::size_t offset) : m_stream(stream), m_pos(offset) {}

  // False at the end of the stream or at a record that does not fit (then Damaged()).
  bool Next(Record& record) {
    if (m_pos + 4 > m_stream.size()) {
      m_damaged = m_pos != m_stream.size();
      return false;
    }
    const std::uint16_t length = U16(&m_stream[m_pos + 2]);
    if (m_pos + 4 + length > m_stream.size()) {
      m_damaged = true;
      return false;
    }
    record.id = U16(&m_stream[m_pos]);
    record.length = length;
    record.data = m_stream.data() + m_pos + 4;
    record.offset = m_pos;
    m_pos += 4 + std::size_t{length};
    return true;
  }
  // The id of the next record, or 0 when there is none.
  std::uint16_t PeekId() const { return m_pos + 4 <= m_stream.size() ? U16(&m_stream[m_pos]) : 0; }
  bool Damaged() const { return m_damaged; }

 private:
  const std::vector<std::uint8_t>& m_stream;
  std::size_t m_pos;
  bool m_damaged = false;
};

// The data of a record and of the CONTINUE records after it, read as one;
// strings split between two records restart with an option byte.
class CContinuedData {
 public:
  void Add(const std::uint8_t* data, std::size_t length) { m_segments.push_back({data, length}); }
  bool Failed() const { return m_failed; }

  std::uint8_t U8() {
    std::uint8_t b = 0;
    Read(&b, 1);
    return b;
  }
  std::uint16_t U16le() {
    std::uint8_t b[2] = {};
    Read(b, 2);
    return U16(b);
  }
  std::uint32_t U32le() {
    std::uint8_t b[4] = {};
    Read(b, 4);
    return U32(b);
  }
  void Skip(std::size_t count) {
    while (count > 0 && !m_failed) {
      if (!Available()) return;
      const std::size_t n = std::min(count, m_segments[m_segment].second - m_offset);
      m_offset += n;
      count -= n;
    }
  }

  // A BIFF8 unicode string of count characters after its option byte;
  // returns its Windows-1252 text.
  std::string ReadString(std::size_t count) {
    const std::uint8_t options = U8();
    bool wide = options & 0x01;
    const std::uint16_t runs = (options & 0x08) ? U16le() : 0;
    const std::uint32_t extension = (options & 0x04) ? U32le() : 0;
    std::string text;
    text.reserve(count);
    std::size_t done = 0;
    std::uint32_t highSurrogate = 0;
    while (done < count && !m_failed) {
      if (m_offset >= m_segments[m_segment].second) {
        // Characters go on in the next CONTINUE record, which starts with its own option byte.
        if (m_segment + 1 >= m_segments.size()) {
          m_failed = true;
          break;
        }
        ++m_segment;
        m_offset = 0;
        wide = U8() & 0x01;
        continue;
      }
      const auto& [data, length] = m_segments[m_segment];
      if (wide) {
        if (m_offset + 2 > length) {
          m_failed = true;
          break;
        }
        const std::uint32_t unit = U16(data + m_offset);
        m_offset += 2;
        if (unit >= 0xD800 && unit < 0xDC00) {
          highSurrogate = unit;
        } else {
          text += plat::CodePointToCp1252(unit >= 0xDC00 && unit < 0xE000 && highSurrogate ? 0x10000 : unit);
          highSurrogate = 0;
        }
      } else {
        text += plat::CodePointToCp1252(data[m_offset]);
        ++m_offset;
      }
      ++done;
    }
    Skip(std::size_t{runs} * 4);
    Skip(extension);
    return text;
  }

 private:
  bool Available() {
    while (m_segment < m_segments.size() && m_offset >= m_segments[m_segment].second) {
      if (m_segment + 1 >= m_segments.size()) {
        m_failed = true;
        return false;
      }
      ++m_segment;
      m_offset = 0;
    }
    return !m_failed;
  }
  void Read(std::uint8_t* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      if (!Available()) return;
      out[i] = m_segments[m_segment].first[m_offset++];
    }
  }

  std::vector<std::pair<const std::uint8_t*, std::size_t>> m_segments;
  std::size_t m_segment = 0;
  std::size_t m_offset = 0;
  bool m_failed = false;
};

// A record with its CONTINUE records.
CContinuedData Continued(const Record& record, CRecordCursor& cursor) {
  CContinuedData data;
  data.Add(record.data, record.length);
  Record more;
  while (cursor.PeekId() == kContinue && cursor.Next(more)) data.Add(more.data, more.length);
  return data;
}

// A string with a 16-bit length in one record (LABEL, FORMAT, STRING).
std::string LongString(const Record& record, std::size_t offset, CRecordCursor* cursor, bool& ok) {
  ok = false;
  if (record.length < offset + 3) return {};
  CContinuedData data;
  data.Add(record.data + offset, record.length - offset);
  if (cursor) {
    Record more;
    while (cursor->PeekId() == kContinue && cursor->Next(more)) data.Add(more.data, more.length);
  }
  const std::uint16_t count = data.U16le();
  std::string text = data.ReadString(count);
  ok = !data.Failed();
  return text;
}

struct GsfDeleter {
  void operator()(void* object) const {
    if (object) g_object_unref(object);
  }
};

}  // namespace

bool CBiff8Reader::LooksLikeCompoundFile(const std::string& path) {
  static const unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  std::ifstream in(path, std::ios::binary);
  unsigned char magic[8] = {};
  return in.read(reinterpret_cast<char*>(magic), 8) && std::memcmp(magic, kSignature, 8) == 0;
}

bool CBiff8Reader::Open(const std::string& path, std::string& error) {
  static std::once_flag initialised;
  std::call_once(initialised, [] { gsf_init(); });

  GError* gerror = nullptr;
  std::unique_ptr<GsfInput, GsfDeleter> input(gsf_input_stdio_new(path.c_str(), &gerror));
  if (gerror) g_error_free(gerror);
  gerror = nullptr;
  if (!input) {
    error = "cannot open the file";
    return false;
  }
  std::unique_ptr<GsfInfile, GsfDeleter> storage(gsf_infile_msole_new(input.get(), &gerror));
  if (gerror) g_error_free(gerror);
  if (!storage) {
    error = "not a compound file";
    return false;
  }
  std::unique_ptr<GsfInput, GsfDeleter> stream;
  const int children = gsf_infile_num_children(storage.get());
  for (int i = 0; i < children; ++i) {
    const char* name = gsf_infile_name_by_index(storage.get(), i);
    if (name && g_ascii_strcasecmp(name, "Workbook") == 0) {
      stream.reset(gsf_infile_child_by_index(storage.get(), i));
      break;
    }
  }
  if (!stream) {
    error = "the compound file has no Workbook stream";
    return false;
  }
  // A stream cannot be larger than the file that holds it, whatever its directory entry claims.
  std::error_code ec;
  const std::uint64_t fileSize = std::filesystem::file_size(path, ec);
  const gsf_off_t size = gsf_input_size(stream.get());
  if (size <= 0 || ec || static_cast<std::uint64_t>(size) > std::min(kMaxStreamSize, fileSize)) {
    error = "the Workbook stream is empty or too large";
    return false;
  }
  std::vector<std::uint8_t> data(static_cast<std::size_t>(size));
  std::size_t done = 0;
  while (done < data.size()) {
    const std::size_t chunk = std::min<std::size_t>(data.size() - done, 1 << 20);
    if (!gsf_input_read(stream.get(), chunk, data.data() + done)) {
      error = "the Workbook stream cannot be read";
      return false;
    }
    done += chunk;
  }
  return OpenStream(std::move(data), error);
}

bool CBiff8Reader::OpenStream(std::vector<std::uint8_t> stream, std::string& error) {
  m_stream = std::move(stream);
  CRecordCursor cursor(m_stream, 0);
  Record record;
  if (!cursor.Next(record) || record.id != kBof || record.length < 4 || U16(record.data) != kBiff8Version) {
    error = "not a BIFF8 workbook";
    return false;
  }
  std::map<std::uint16_t, WbNumberFormat> formats;
  std::vector<std::uint16_t> xfFormatIds;
  bool ended = false;
  while (!ended && cursor.Next(record)) {
    switch (record.id) {
      case kEof:
        ended = true;
        break;
      case 0x002F:  // FILEPASS
        error = "the workbook is protected by a password";
        return false;
      case 0x0022:  // DATEMODE
        if (record.length >= 2) m_date1904 = U16(record.data) == 1;
        break;
      case 0x041E: {  // FORMAT
        bool ok = false;
        if (record.length < 2) break;
        const std::string code = LongString(record, 2, nullptr, ok);
        if (ok) formats[U16(record.data)] = ClassifyFormatCode(code);
        break;
      }
      case 0x00E0:  // XF
        if (record.length >= 4) xfFormatIds.push_back(U16(record.data + 2));
        break;
      case 0x0085: {  // BOUNDSHEET
        if (record.length < 8) {
          error = "a damaged sheet record";
          return false;
        }
        const std::uint32_t position = U32(record.data);
        const std::uint8_t type = record.data[5];
        CContinuedData data;
        data.Add(record.data + 6, record.length - 6u);
        const std::uint8_t count = data.U8();
        std::string name = data.ReadString(count);
        if (data.Failed()) {
          error = "a damaged sheet name";
          return false;
        }
        if (type != 0) break;  // macro sheets, charts and modules are not worksheets
        if (position >= m_stream.size()) {
          error = "a sheet lies outside the workbook stream";
          return false;
        }
        m_worksheetNames.push_back(std::move(name));
        m_sheetOffsets.push_back(position);
        break;
      }
      case 0x00FC: {  // SST
        if (record.length < 8) {
          error = "a damaged shared string table";
          return false;
        }
        const std::uint32_t unique = U32(record.data + 4);
        CContinuedData data = Continued(record, cursor);
        data.Skip(8);
        // Each string takes at least 3 bytes: never trust the count further than the data.
        m_sharedStrings.reserve(std::min<std::size_t>(unique, m_stream.size() / 3));
        for (std::uint32_t i = 0; i < unique; ++i) {
          const std::uint16_t count = data.U16le();
          std::string text = data.ReadString(count);
          if (data.Failed()) {
            error = "a damaged shared string table";
            return false;
          }
          m_sharedStrings.push_back(std::move(text));
        }
        break;
      }
      default:
        break;
    }
  }
  if (!ended) {
    error = cursor.Damaged() ? "a damaged record in the workbook" : "the workbook ends early";
    return false;
  }
  m_xfFormats.reserve(xfFormatIds.size());
  for (const std::uint16_t id : xfFormatIds) {
    const auto it = formats.find(id);
    m_xfFormats.push_back(it != formats.end() ? it->second : ClassifyBuiltInFormat(id));
  }
  if (m_worksheetNames.empty()) {
    error = "the workbook has no worksheet";
    return false;
  }
  return true;
}

std::unique_ptr<CWorkbookSheet> CBiff8Reader::ReadSheet(std::size_t index, std::string& error) {
  if (index >= m_sheetOffsets.size()) {
    error = "no such worksheet";
    return nullptr;
  }
  auto sheet = std::make_unique<CWorkbookSheet>(&m_sharedStrings);
  CRecordCursor cursor(m_stream, m_sheetOffsets[index]);
  Record record;
  if (!cursor.Next(record) || record.id != kBof) {
    error = "the sheet does not start with a BOF record";
    return nullptr;
  }

  const auto addNumber = [&](std::uint32_t row, std::uint32_t column, std::uint16_t xf, double value) {
    const WbNumberFormat format = xf < m_xfFormats.size() ? m_xfFormats[xf] : WbNumberFormat::General;
    double date = 0;
    if (!std::isfinite(value)) {
      sheet->AddEmpty(row, column, WbValueKind::Error);
    } else if (format == WbNumberFormat::Date && WorkbookSerialToOleDate(value, m_date1904, date)) {
      sheet->AddNumber(row, column, date, WbValueKind::Date);
    } else if (format == WbNumberFormat::Currency && std::fabs(value) < 9e14) {
      sheet->AddNumber(row, column, std::round(value * 10000.0) / 10000.0, WbValueKind::Currency);
    } else {
      sheet->AddNumber(row, column, value, WbValueKind::Number);
    }
  };
  const auto damaged = [&](const char* what) {
    error = std::string("a damaged ") + what + " record in worksheet " + m_worksheetNames[index];
    return nullptr;
  };

  int depth = 1;  // embedded charts bring their own BOF and EOF
  while (depth > 0) {
    if (!cursor.Next(record)) {
      error = "the worksheet " + m_worksheetNames[index] + (cursor.Damaged() ? " has a damaged record" : " ends early");
      return nullptr;
    }
    const std::uint8_t* d = record.data;
    const std::uint16_t n = record.length;
    switch (record.id) {
      case kBof:
        ++depth;
        break;
      case kEof:
        --depth;
        break;
      case 0x0055:  // DEFCOLWIDTH
        if (depth == 1 && n >= 2) sheet->SetDefaultColumnWidth(U16(d));
        break;
      case 0x007D:  // COLINFO: widths in 1/256 of a character, padding included
        if (depth == 1 && n >= 6) {
          const std::uint32_t last = std::min<std::uint32_t>(U16(d + 2), kWbMaxColumns - 1);
          const int chars = std::max(0, static_cast<int>(std::lround(U16(d + 4) / 256.0 - 5.0 / 7.0)));
          for (std::uint32_t c = U16(d); c <= last; ++c) sheet->SetColumnWidth(c, chars);
        }
        break;
      default:
        break;
    }
    if (depth != 1) continue;
    switch (record.id) {
      case 0x0203:  // NUMBER
        if (n < 14) return damaged("NUMBER");
        addNumber(U16(d), U16(d + 2), U16(d + 4), F64(d + 6));
        break;
      case 0x027E:  // RK
        if (n < 10) return damaged("RK");
        addNumber(U16(d), U16(d + 2), U16(d + 4), DecodeRk(U32(d + 6)));
        break;
      case 0x00BD: {  // MULRK
        if (n < 6 || (n - 6) % 6 != 0) return damaged("MULRK");
        const std::uint32_t first = U16(d + 2);
        const std::size_t count = (n - 6u) / 6u;
        for (std::size_t i = 0; i < count && first + i < kWbMaxColumns; ++i) {
          const std::uint8_t* item = d + 4 + 6 * i;
          addNumber(U16(d), static_cast<std::uint32_t>(first + i), U16(item), DecodeRk(U32(item + 2)));
        }
        break;
      }
      case 0x00FD: {  // LABELSST
        if (n < 10) return damaged("LABELSST");
        const std::uint32_t sst = U32(d + 6);
        if (sst >= m_sharedStrings.size()) return damaged("LABELSST");
        sheet->AddSharedText(U16(d), U16(d + 2), sst);
        break;
      }
      case 0x0204:    // LABEL
      case 0x00D6: {  // RSTRING
        bool ok = false;
        std::string text = LongString(record, 6, nullptr, ok);
        if (!ok) return damaged("LABEL");
        sheet->AddText(U16(d), U16(d + 2), std::move(text));
        break;
      }
      case 0x0201:  // BLANK
        if (n < 6) return damaged("BLANK");
        sheet->AddEmpty(U16(d), U16(d + 2));
        break;
      case 0x00BE: {  // MULBLANK
        if (n < 6 || n % 2 != 0) return damaged("MULBLANK");
        const std::uint32_t first = U16(d + 2);
        const std::size_t count = (n - 6u) / 2u;
        for (std::size_t i = 0; i < count && first + i < kWbMaxColumns; ++i) {
          sheet->AddEmpty(U16(d), static_cast<std::uint32_t>(first + i));
        }
        break;
      }
      case 0x0205:  // BOOLERR
        if (n < 8) return damaged("BOOLERR");
        if (d[7]) sheet->AddEmpty(U16(d), U16(d + 2), WbValueKind::Error);
        else sheet->AddNumber(U16(d), U16(d + 2), d[6] ? 1.0 : 0.0, WbValueKind::Boolean);
        break;
      case 0x0006: {  // FORMULA with its cached result
        if (n < 20) return damaged("FORMULA");
        const std::uint32_t row = U16(d);
        const std::uint32_t column = U16(d + 2);
        const std::uint8_t* result = d + 6;
        if (result[6] != 0xFF || result[7] != 0xFF) {
          addNumber(row, column, U16(d + 4), F64(result));
        } else if (result[0] == 0) {
          // A text result follows in a STRING record (after any shared-formula records).
          std::string text;
          while (cursor.PeekId() == 0x04BC || cursor.PeekId() == 0x0221 || cursor.PeekId() == 0x0236) {
            cursor.Next(record);
          }
          if (cursor.PeekId() == 0x0207 && cursor.Next(record)) {
            bool ok = false;
            text = LongString(record, 0, &cursor, ok);
            if (!ok) return damaged("STRING");
          }
          sheet->AddText(row, column, std::move(text));
        } else if (result[0] == 1) {
          sheet->AddNumber(row, column, result[2] ? 1.0 : 0.0, WbValueKind::Boolean);
        } else if (result[0] == 3) {
          sheet->AddText(row, column, std::string());
        } else {
          sheet->AddEmpty(row, column, WbValueKind::Error);
        }
        sheet->SetLastFormula(std::string());
        break;
      }
      default:
        break;
    }
  }
  sheet->Finish();
  return sheet;
}
