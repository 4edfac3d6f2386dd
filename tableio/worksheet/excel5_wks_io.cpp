#include "tableio/worksheet/excel5_wks_io.h"

#include <algorithm>
#include <iterator>

#include <strings.h>

#include "platform/message_box.h"
#include "tableio/worksheet/compound_file.h"

namespace {

constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kBof = 0x0809;
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr std::uint16_t kMulRk = 0x00BD;
constexpr std::uint16_t kMulBlank = 0x00BE;
constexpr std::uint16_t kShrFmla = 0x04BC;
constexpr std::uint16_t kRk = 0x027E;
constexpr std::uint16_t kXf5 = 0x00E0;
constexpr std::uint16_t kFormat = 0x041E;

const char* const kBuiltInFormats[23] = {"G",  "F0", "F2", ",0", ",2", "C0", "C0-", "C2", "C2-", "P0", "P2", "S2",
                                         "G",  "G",  "D4", "D1", "D2", "D3", "D7",  "D6", "D9",  "D8", "D4"};

std::uint16_t Read16(const std::vector<std::uint8_t>& bytes, std::size_t pos) {
  return static_cast<std::uint16_t>(bytes[pos] | (bytes[pos + 1] << 8));
}

// The record at pos when it lies wholly inside the bytes.
bool RecordAt(const std::vector<std::uint8_t>& bytes, std::size_t pos, std::uint16_t& id, std::size_t& length) {
  if (pos + 4 > bytes.size()) return false;
  id = Read16(bytes, pos);
  length = Read16(bytes, pos + 2);
  return pos + 4 + length <= bytes.size();
}

}  // namespace

excel5WksIO::excel5WksIO(std::unique_ptr<std::istream> stream, const std::string&, const std::string& sheetName) {
  m_bWritable = true;
  if (!stream || !*stream) {
    m_bError = true;
    return;
  }
  std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(*stream)), std::istreambuf_iterator<char>());
  const bool readFailed = stream->bad();
  stream.reset();
  if (readFailed || ReadCompoundStream(file, "Book", m_book) != CompoundResult::kOk) {
    m_bError = true;
    return;
  }
  m_bHaveBook = true;
  if (!ExtractSheet(sheetName)) m_bError = true;
}

bool excel5WksIO::ExtractSheet(const std::string& sheetName) {
  std::uint16_t id = 0;
  std::size_t length = 0;
  std::size_t pos = 0;
  std::size_t globalsEnd = 0;
  std::size_t sheetPos = 0;
  bool found = false;
  bool globalsEnded = false;
  while (RecordAt(m_book, pos, id, length)) {
    if (id == kEof) {
      globalsEnded = true;
      break;
    }
    if (id == kBoundSheet && length >= 7 && !found) {
      const std::size_t nameLength = std::min<std::size_t>(m_book[pos + 4 + 6], length - 7);
      const char* name = reinterpret_cast<const char*>(m_book.data() + pos + 4 + 7);
      if (sheetName.empty() ||
          (nameLength == sheetName.size() && strncasecmp(name, sheetName.c_str(), nameLength) == 0)) {
        sheetPos = static_cast<std::size_t>(m_book[pos + 4]) | (static_cast<std::size_t>(m_book[pos + 5]) << 8) |
                   (static_cast<std::size_t>(m_book[pos + 6]) << 16) | (static_cast<std::size_t>(m_book[pos + 7]) << 24);
        found = true;
      }
    }
    pos += 4 + length;
  }
  globalsEnd = pos;
  // A name the whole list of sheets lacks is an absent sheet; a list cut short is a damaged file.
  m_bSheetMissing = !found && globalsEnded;
  if (!found || !RecordAt(m_book, sheetPos, id, length) || id != kBof) return false;

  std::vector<std::uint8_t> sheet(m_book.begin(), m_book.begin() + static_cast<std::ptrdiff_t>(globalsEnd));
  int depth = 1;  // charts embedded in the sheet bring their own BOF and EOF
  pos = sheetPos + 4 + length;
  while (RecordAt(m_book, pos, id, length)) {
    const std::uint8_t* data = m_book.data() + pos + 4;
    if (id == kMulRk) {
      const std::size_t entries = length >= 6 ? (length - 6) / 6 : 0;
      for (std::size_t i = 0; i < entries; ++i) {
        const unsigned column = (data[2] | (data[3] << 8)) + static_cast<unsigned>(i);
        if (column > 0xFFFF) break;
        const std::uint8_t* entry = data + 4 + 6 * i;
        const std::uint8_t record[14] = {static_cast<std::uint8_t>(kRk & 0xFF), static_cast<std::uint8_t>(kRk >> 8),
                                         10, 0, data[0], data[1],
                                         static_cast<std::uint8_t>(column & 0xFF), static_cast<std::uint8_t>(column >> 8),
                                         entry[0], entry[1], entry[2], entry[3], entry[4], entry[5]};
        sheet.insert(sheet.end(), record, record + sizeof record);
      }
    } else if (id != kMulBlank && id != kShrFmla) {
      sheet.insert(sheet.end(), data - 4, data + length);
    }
    pos += 4 + length;
    if (id == kBof) ++depth;
    if (id == kEof && --depth == 0) break;
  }
  SetRecords(std::move(sheet));
  return true;
}

void excel5WksIO::SelectSheet(const std::string& sheetName) {
  if (!m_bHaveBook) {
    m_bError = true;
    return;
  }
  if (m_bError) return;
  m_xfRecords.clear();
  m_nFileXfs = 0;
  m_columnWidths.clear();
  m_columnOffsets.clear();
  m_rowIndex.clear();
  m_changedCells.clear();
  m_nRows = m_nColumns = m_nFileRows = m_nFileColumns = 0;
  m_bProtected = false;
  m_bHasFormulas = false;
  m_bRowRecordsIndexed = false;
  m_rowRecords.clear();
  if (!ExtractSheet(sheetName)) {
    m_bError = true;
    return;
  }
  RunOpeningSequence();
}

void excel5WksIO::ScanHeader() {
  HeaderIds ids;
  ids.xfId = kXf5;
  ids.formatId = kFormat;
  ids.useDimensions = true;
  ScanHeaderWith(ids);
}

bool excel5WksIO::SaveToBytes(std::string&) {
  plat::ShowMessageBox("Save not implemented", "Excel5");
  return false;
}

bool excel5WksIO::GetFormatString(int formatIndex, std::string& text) {
  if (formatIndex < 0 || formatIndex >= 23) formatIndex = 0;
  text = kBuiltInFormats[formatIndex];
  return true;
}

int excel5WksIO::ClassifyFormat(const std::string& text) {
  if (text.size() != 2 || text[0] != 'D') return 0;
  if (text[1] >= '1' && text[1] <= '4') return kWksDate;
  if (text[1] >= '6' && text[1] <= '9') return kWksTime;
  return 0;
}

int excel5WksIO::XfLayout() { return 1; }
