#include "tableio/worksheet/excel4_wks_io.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include <strings.h>

namespace {
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kBundleHeader = 0x008F;
constexpr std::uint16_t kXf4 = 0x0443;
constexpr std::uint16_t kFormat4 = 0x041E;
constexpr std::size_t kSheetNameCompared = 31;

std::uint16_t Read16(const std::vector<std::uint8_t>& bytes, std::size_t pos) {
  return static_cast<std::uint16_t>(bytes[pos] | (bytes[pos + 1] << 8));
}
}  // namespace

excel4WksIO::excel4WksIO(std::unique_ptr<std::istream> stream, const std::string&, const std::string& sheetName) {
  if (sheetName.empty()) {
    LoadFromStream(std::move(stream));
    return;
  }
  m_bWritable = true;
  if (!stream || !*stream) {
    m_bError = true;
    return;
  }
  std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(*stream)), std::istreambuf_iterator<char>());
  if (stream->bad()) {
    m_bError = true;
    return;
  }
  stream.reset();
  // Walk every record of the file, EOF records included, for the sheet's bundle.
  std::size_t pos = 0;
  while (pos + 4 <= file.size()) {
    const std::uint16_t id = Read16(file, pos);
    const std::size_t length = Read16(file, pos + 2);
    if (pos + 4 + length > file.size()) {
      m_bError = true;
      return;
    }
    const std::size_t next = pos + 4 + length;
    if (id == kBundleHeader && length >= 5) {
      const std::size_t nameLength = std::min<std::size_t>(file[pos + 4 + 4], length - 5);
      const char* name = reinterpret_cast<const char*>(file.data() + pos + 4 + 5);
      if (nameLength == sheetName.size() &&
          strncasecmp(name, sheetName.c_str(), std::min(nameLength, kSheetNameCompared)) == 0) {
        std::size_t end = next;
        while (end + 4 <= file.size()) {
          const std::size_t recordLength = Read16(file, end + 2);
          if (end + 4 + recordLength > file.size()) break;
          const std::uint16_t recordId = Read16(file, end);
          end += 4 + recordLength;
          if (recordId == kEof) break;
        }
        SetRecords(std::vector<std::uint8_t>(file.begin() + static_cast<std::ptrdiff_t>(next),
                                             file.begin() + static_cast<std::ptrdiff_t>(end)));
        // Saving one sheet over the workbook would lose the others.
        m_bWritable = false;
        return;
      }
    }
    pos = next;
  }
  // Every record of the workbook was walked: the sheet is not in it.
  m_bSheetMissing = pos == file.size();
  m_bError = true;
}

void excel4WksIO::ScanHeader() {
  HeaderIds ids;
  ids.xfId = kXf4;
  ids.formatId = kFormat4;
  ids.useDimensions = true;
  ScanHeaderWith(ids);
}

bool excel4WksIO::GetFormatString(int formatIndex, std::string& text) {
  return FormatStringAt(formatIndex, kFormat4, 2, text);
}
