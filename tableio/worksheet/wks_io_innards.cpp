#include "tableio/worksheet/wks_io_innards.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>

#include "platform/file_replace.h"

namespace {
constexpr std::uint16_t kEof = 0x000A;
}

TWksIOInnards::TWksIOInnards() = default;
TWksIOInnards::~TWksIOInnards() = default;

double TWksIOInnards::RecordView::F64(std::size_t offset) const {
  if (!Has(offset + 8)) return 0.0;
  double value;
  std::uint64_t bits = static_cast<std::uint64_t>(U32(offset)) | (static_cast<std::uint64_t>(U32(offset + 4)) << 32);
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void TWksIOInnards::LoadRecords(std::istream& stream, std::uint16_t stopId) {
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
  if (stream.bad()) {
    m_bStreamFailed = true;
    m_bError = true;
    return;
  }
  SetRecords(std::move(bytes), stopId);
}

void TWksIOInnards::SetRecords(std::vector<std::uint8_t> bytes, std::uint16_t stopId) {
  if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<Position>::max() - 8)) {
    m_bError = true;
    bytes.clear();
  }
  m_records = std::move(bytes);
  // Every walkable record lies wholly inside the data; an incomplete one ends the walk.
  std::size_t pos = 0;
  bool stopped = false;
  while (pos + 4 <= m_records.size()) {
    const std::uint16_t id = static_cast<std::uint16_t>(m_records[pos] | (m_records[pos + 1] << 8));
    const std::size_t length = m_records[pos + 2] | (m_records[pos + 3] << 8);
    if (pos + 4 + length > m_records.size()) break;
    pos += 4 + length;
    if (id == stopId) {
      stopped = true;
      break;
    }
  }
  m_bCutShort = !stopped;
  m_walkEnd = static_cast<Position>(pos);
  m_cursor = m_walkEnd > 0 ? 0 : kNoRecord;
  m_rowIndex.clear();
  m_selectionPos = kNoRecord;
  m_endPos = kNoRecord;
  m_firstFormatPos = kNoRecord;
  m_firstRowRecordPos = kNoRecord;
  ResetLookupCache();
}

TWksIOInnards::RecordView TWksIOInnards::View(Position pos) const {
  RecordView view;
  if (pos < 0 || pos + 4 > m_walkEnd) return view;
  const std::uint8_t* p = m_records.data() + pos;
  view.id = static_cast<std::uint16_t>(p[0] | (p[1] << 8));
  view.length = static_cast<std::uint16_t>(p[2] | (p[3] << 8));
  view.data = p + 4;
  return view;
}

TWksIOInnards::Position TWksIOInnards::Next(Position pos) const {
  if (pos < 0 || pos + 4 > m_walkEnd) return kNoRecord;
  const Position next = pos + 4 + View(pos).length;
  return next < m_walkEnd ? next : kNoRecord;
}

TWksIOInnards::RecordView TWksIOInnards::ViewOf(const RecordBytes& record) {
  RecordView view;
  if (record.size() < 4) return view;
  view.id = static_cast<std::uint16_t>(record[0] | (record[1] << 8));
  view.length = static_cast<std::uint16_t>(std::min<std::size_t>(record[2] | (record[3] << 8), record.size() - 4));
  view.data = record.data() + 4;
  return view;
}

TWksIOInnards::RecordBytes TWksIOInnards::MakeRecord(std::uint16_t id, const std::vector<std::uint8_t>& data) {
  const std::size_t length = std::min<std::size_t>(data.size(), 0xFFFF);
  RecordBytes record(4 + length);
  record[0] = static_cast<std::uint8_t>(id & 0xFF);
  record[1] = static_cast<std::uint8_t>(id >> 8);
  record[2] = static_cast<std::uint8_t>(length & 0xFF);
  record[3] = static_cast<std::uint8_t>(length >> 8);
  std::copy_n(data.begin(), length, record.begin() + 4);
  return record;
}

void TWksIOInnards::ResetLookupCache() { m_cache = LookupCache{}; }

TWksIOInnards::Position TWksIOInnards::FindInFile(int row, int column) {
  Position pos;
  if (m_cache.valid && m_cache.found && m_cache.row == row && m_cache.column <= column) {
    pos = m_cache.resume;
  } else {
    pos = (row >= 0 && static_cast<std::size_t>(row) < m_rowIndex.size()) ? m_rowIndex[row] : kNoRecord;
  }
  Position found = kNoRecord;
  Position stop = pos;
  while (pos != kNoRecord) {
    stop = pos;
    const RecordView view = View(pos);
    if (view.id == kEof) break;
    if (IsLookupPassOver(view.id)) {
      pos = Next(pos);
      continue;
    }
    if (!IsLookupCell(view.id) || !view.Has(4)) break;
    const int r = view.U16(0);
    const int c = view.U16(2);
    if (r != row || c > column) break;
    if (c == column) {
      found = pos;
      break;
    }
    pos = Next(pos);
  }
  m_cache.valid = true;
  m_cache.found = found != kNoRecord;
  m_cache.row = row;
  m_cache.column = column;
  m_cache.found_pos = found;
  m_cache.resume = found != kNoRecord ? found : stop;
  m_cursor = stop;
  return found;
}

TWksIOInnards::CellLookup TWksIOInnards::FindCell(int row, int column) {
  CellLookup cell;
  if (row < 0 || column < 0) return cell;
  cell.filePos = FindInFile(row, column);
  const auto rowIt = m_changedCells.find(row);
  if (rowIt != m_changedCells.end()) {
    const auto colIt = rowIt->second.find(column);
    if (colIt != rowIt->second.end()) cell.changed = &colIt->second;
  }
  return cell;
}

TWksIOInnards::RecordView TWksIOInnards::CellView(const CellLookup& cell) const {
  if (cell.changed != nullptr) return ViewOf(*cell.changed);
  return View(cell.filePos);
}

bool TWksIOInnards::FollowingString(const CellLookup& cell, RecordView& out) const {
  if (cell.filePos == kNoRecord) return false;
  // A changed copy of a formula (new alignment) keeps the file's result.
  if (cell.changed != nullptr && !IsFormulaRecord(ViewOf(*cell.changed).id)) return false;
  const RecordView next = View(Next(cell.filePos));
  if (!IsStringRecord(next.id)) return false;
  out = next;
  return true;
}

bool TWksIOInnards::IsCellRecord(std::uint16_t id) const {
  return id == 0x0002 || id == 0x0003 || id == 0x0004 || id == 0x0006;
}
bool TWksIOInnards::IsLookupPassOver(std::uint16_t id) const { return id == 0x0007; }
bool TWksIOInnards::IsLookupCell(std::uint16_t) const { return true; }
bool TWksIOInnards::IsIndexedCell(std::uint16_t id) const { return IsCellRecord(id); }
bool TWksIOInnards::IsFormulaRecord(std::uint16_t id) const { return id == 0x0006; }
bool TWksIOInnards::IsStringRecord(std::uint16_t id) const { return id == 0x0007; }

void TWksIOInnards::StoreChangedCell(int row, int column, RecordBytes record) {
  m_changedCells[row][column] = std::move(record);
  GrowSize(row, column);
  ResetLookupCache();
}

void TWksIOInnards::GrowSize(int row, int column) {
  m_nRows = std::max(m_nRows, row + 1);
  m_nColumns = std::max(m_nColumns, column + 1);
}

void TWksIOInnards::DropChanges() {
  m_changedCells.clear();
  m_nRows = m_nFileRows;
  m_nColumns = m_nFileColumns;
  ResetLookupCache();
}

void TWksIOInnards::RunOpeningSequence() {
  if (m_bError) return;
  ScanHeader();
  PrepareLayout();
  IndexRows();
  MoveToFirstRecord();
}

void TWksIOInnards::MoveToFirstRecord() { m_cursor = m_walkEnd > 0 ? 0 : kNoRecord; }

void TWksIOInnards::SelectSheet(const std::string&) {}

void TWksIOInnards::PrepareLayout() {
  if (m_columnWidths.empty()) m_columnWidths.assign(static_cast<std::size_t>(std::max(m_nFileColumns, 0)), 9);
  m_columnOffsets.resize(m_columnWidths.size());
  int offset = 0;
  for (std::size_t i = 0; i < m_columnWidths.size(); ++i) {
    m_columnOffsets[i] = offset;
    offset += m_columnWidths[i];
  }
  m_rowIndex.assign(static_cast<std::size_t>(std::max(m_nFileRows, 0)), kNoRecord);
  m_bHasFormulas = false;
}

void TWksIOInnards::ScanHeader() {}
void TWksIOInnards::IndexRows() {}

int TWksIOInnards::ReadNumber(int, int, double* value) {
  if (value != nullptr) *value = kNoNumber;
  return 0;
}

int TWksIOInnards::ReadFormattedText(int, int, char* buffer, int length, bool) {
  if (buffer != nullptr && length > 0) buffer[0] = '\0';
  return 0;
}

int TWksIOInnards::ReadText(int, int, std::string& text, int) {
  text.clear();
  return 0;
}

int TWksIOInnards::ReadText(int row, int column, char* buffer, int length, int mode) {
  std::string text;
  const int flags = ReadText(row, column, text, mode);
  if (buffer != nullptr && length > 0) {
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(length - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
  }
  return flags;
}

void TWksIOInnards::WriteText(int, int, const std::string&, int) {}
void TWksIOInnards::WriteNumber(int, int, double, int) {}
void TWksIOInnards::SetAlignment(int, int, int) {}
bool TWksIOInnards::SaveToBytes(std::string&) { return false; }

bool TWksIOInnards::Save(const std::string& path) {
  std::string bytes;
  return SaveToBytes(bytes) && plat::ReplaceFileContents(path, bytes);
}

void TWksIOInnards::GetActiveCell(int* row, int* column) {
  if (row != nullptr) *row = 0;
  if (column != nullptr) *column = 0;
}

void TWksIOInnards::SetActiveCell(int, int) {}

int TWksIOInnards::GetColumnWidth(int column) {
  if (column < 0 || column >= m_nFileColumns || static_cast<std::size_t>(column) >= m_columnWidths.size()) return -1;
  return m_columnWidths[column];
}

void TWksIOInnards::SetColumnWidth(int column, int width) {
  if (column < 0 || column >= m_nFileColumns || static_cast<std::size_t>(column) >= m_columnWidths.size()) return;
  m_columnWidths[column] = width;
  if (m_columnOffsets.size() == m_columnWidths.size()) {
    for (std::size_t i = static_cast<std::size_t>(column) + 1; i < m_columnOffsets.size(); ++i)
      m_columnOffsets[i] = m_columnOffsets[i - 1] + m_columnWidths[i - 1];
  }
}

int TWksIOInnards::HasFormula(int, int) { return 0; }
std::string TWksIOInnards::GetFormulaText(int, int) { return {}; }
bool TWksIOInnards::GetFormatString(int, std::string& text) {
  text.clear();
  return false;
}

int TWksIOInnards::ClassifyFormat(const std::string& text) {
  int depth = 0;
  int bits = 0;
  for (const char ch : text) {
    if (ch == '[') {
      ++depth;
    } else if (ch == ']') {
      if (depth > 0) --depth;
    } else if (depth == 0) {
      if (ch == 'D' || ch == 'd' || ch == 'Y' || ch == 'y') bits |= kWksDate;
      if (ch == 'H' || ch == 'h' || ch == 'S' || ch == 's') bits |= kWksTime;
    }
  }
  return bits;
}

int TWksIOInnards::XfLayout() { return 0; }
int TWksIOInnards::ScanDimensions() { return 0; }
