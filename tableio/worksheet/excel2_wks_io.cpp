#include "tableio/worksheet/excel2_wks_io.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace {

constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kBlank2 = 0x0001;
constexpr std::uint16_t kInteger2 = 0x0002;
constexpr std::uint16_t kNumber2 = 0x0003;
constexpr std::uint16_t kLabel2 = 0x0004;
constexpr std::uint16_t kBoolErr2 = 0x0005;
constexpr std::uint16_t kFormula2 = 0x0006;
constexpr std::uint16_t kRow2 = 0x0008;
constexpr std::uint16_t kProtect = 0x0012;
constexpr std::uint16_t kSelection = 0x001D;
constexpr std::uint16_t kFormat2 = 0x001E;
constexpr std::uint16_t kColWidth = 0x0024;
constexpr std::uint16_t kDefColWidth = 0x0055;
constexpr std::uint16_t kIndex3 = 0x020B;
constexpr std::uint16_t kUncalced = 0x005E;

constexpr int kMaxRow = 0xFFFF;
constexpr int kMaxColumn = 0xFF;

std::string FormatGeneral(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
  return std::string(buffer, result.ptr);
}

std::string FormatFixed(double value, int decimals) {
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return FormatGeneral(value);
  return std::string(buffer, result.ptr);
}

void PutDouble(std::vector<std::uint8_t>& out, double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
}

}  // namespace

excel2WksIO::excel2WksIO(std::unique_ptr<std::istream> stream, const std::string&) {
  LoadFromStream(std::move(stream));
}

void excel2WksIO::LoadFromStream(std::unique_ptr<std::istream> stream) {
  m_bWritable = true;
  m_pStream = std::move(stream);
  if (!m_pStream || !*m_pStream) {
    m_bStreamFailed = true;
    m_bError = true;
  } else {
    LoadRecords(*m_pStream);
  }
  m_pStream.reset();
}

bool excel2WksIO::IsSaveCell(std::uint16_t id) const {
  return IsCellRecord(id) || id == kBlank2 || id == kBoolErr2;
}

std::string_view excel2WksIO::StringRecordText(const RecordView& record) const {
  const std::size_t n = std::min<std::size_t>(record.U8(0), record.length > 0 ? record.length - 1u : 0u);
  return {reinterpret_cast<const char*>(record.data) + 1, n};
}

int excel2WksIO::ScanDimensions() {
  int maxRow = -1;
  int maxColumn = -1;
  int lastRow = -1;
  int lastColumn = -1;
  int disorder = 0;
  for (Position pos = m_walkEnd > 0 ? 0 : kNoRecord; pos != kNoRecord; pos = Next(pos)) {
    const RecordView view = View(pos);
    if (view.id == kEof) break;
    if (!IsCellRecord(view.id) || !view.Has(4)) continue;
    const int row = view.U16(0);
    const int column = view.U16(2);
    if (row < lastRow || (row == lastRow && column < lastColumn)) disorder = 1;
    lastRow = row;
    lastColumn = column;
    maxRow = std::max(maxRow, row);
    maxColumn = std::max(maxColumn, column);
  }
  m_nRows = m_nFileRows = maxRow + 1;
  m_nColumns = m_nFileColumns = maxColumn + 1;
  return disorder;
}

void excel2WksIO::ResortCells() {
  struct Span {
    int row;
    int column;
    Position begin;
    Position end;
  };
  Position firstCell = kNoRecord;
  Position eofPos = kNoRecord;
  std::vector<Span> cells;
  std::vector<Span> others;
  for (Position pos = m_walkEnd > 0 ? 0 : kNoRecord; pos != kNoRecord; pos = Next(pos)) {
    const RecordView view = View(pos);
    if (view.id == kEof) {
      eofPos = pos;
      break;
    }
    const bool isCell = (IsCellRecord(view.id) || view.id == kBlank2 || view.id == kBoolErr2) && view.Has(4);
    if (firstCell == kNoRecord) {
      if (!isCell) continue;
      firstCell = pos;
    }
    const Position end = pos + 4 + view.length;
    if (isCell) {
      cells.push_back({view.U16(0), view.U16(2), pos, end});
    } else if (IsStringRecord(view.id) && !cells.empty() && cells.back().end == pos &&
               IsFormulaRecord(View(cells.back().begin).id)) {
      cells.back().end = end;  // the text result travels with its formula
    } else {
      others.push_back({0, 0, pos, end});
    }
  }
  if (firstCell == kNoRecord) return;
  std::stable_sort(cells.begin(), cells.end(), [](const Span& a, const Span& b) {
    return a.row != b.row ? a.row < b.row : a.column < b.column;
  });
  std::vector<std::uint8_t> sorted(m_records.begin(), m_records.begin() + firstCell);
  for (const Span& span : cells) sorted.insert(sorted.end(), m_records.begin() + span.begin, m_records.begin() + span.end);
  for (const Span& span : others) sorted.insert(sorted.end(), m_records.begin() + span.begin, m_records.begin() + span.end);
  if (eofPos != kNoRecord) {
    sorted.insert(sorted.end(), m_records.begin() + eofPos, m_records.end());
  } else {
    const RecordBytes eof = MakeRecord(kEof, {});
    sorted.insert(sorted.end(), eof.begin(), eof.end());
  }
  SetRecords(std::move(sorted));
}

void excel2WksIO::ScanHeader() {
  ResetLookupCache();
  m_nFormats = 0;
  m_firstFormatPos = kNoRecord;
  m_firstRowRecordPos = kNoRecord;
  m_bRowRecordsIndexed = false;
  m_rowRecords.clear();
  if (ScanDimensions() != 0) ResortCells();
  m_selectionPos = kNoRecord;
  m_columnWidths.assign(256, 9);
  Position pos = m_walkEnd > 0 ? 0 : kNoRecord;
  for (; pos != kNoRecord; pos = Next(pos)) {
    const RecordView view = View(pos);
    if (IsCellRecord(view.id)) break;
    switch (view.id) {
      case kRow2:
        if (m_firstRowRecordPos == kNoRecord) m_firstRowRecordPos = pos;
        break;
      case kProtect:
        m_bProtected = view.U16(0) == 1;
        break;
      case kFormat2:
        if (m_firstFormatPos == kNoRecord) m_firstFormatPos = pos;
        ++m_nFormats;
        break;
      case kColWidth: {
        const int width = view.U8(3) + (view.U8(2) > 73 ? 1 : 0);
        for (int c = view.U8(0); c <= view.U8(1); ++c) m_columnWidths[c] = width;
        break;
      }
      case kDefColWidth:
        std::fill(m_columnWidths.begin(), m_columnWidths.end(), view.U16(0));
        break;
      default:
        break;
    }
  }
  m_cursor = pos;
}

void excel2WksIO::IndexRows() {
  int lastIndexed = -1;
  for (Position pos = m_cursor; pos != kNoRecord; pos = Next(pos)) {
    const RecordView view = View(pos);
    if (view.id == kEof) break;
    if (IsIndexedCell(view.id) && view.Has(4)) {
      const int row = view.U16(0);
      const int column = view.U16(2);
      // A cell beyond the stated dimensions still gets its index entry.
      if (static_cast<std::size_t>(row) >= m_rowIndex.size()) m_rowIndex.resize(static_cast<std::size_t>(row) + 1, kNoRecord);
      for (int r = lastIndexed + 1; r <= row; ++r) m_rowIndex[r] = pos;
      lastIndexed = std::max(lastIndexed, row);
      m_endPos = pos;
      m_nFileRows = std::max(m_nFileRows, row + 1);
      m_nFileColumns = std::max(m_nFileColumns, column + 1);
      GrowSize(row, column);
    }
    if (IsFormulaRecord(view.id)) m_bHasFormulas = true;
    if (view.id == kSelection) m_selectionPos = pos;
  }
}

excel2WksIO::CellValue excel2WksIO::DecodeCell(int row, int column) {
  CellValue value;
  const CellLookup cell = FindCell(row, column);
  if (!cell.Found()) return value;
  const RecordView view = CellView(cell);
  value.attributes.alignment = view.U8(6) & 0x07;
  value.attributes.locked = (view.U8(4) & 0x40) != 0;
  value.attributes.formatIndex = view.U8(5) & 0x3F;
  switch (view.id) {
    case kInteger2:
      value.kind = CellKind::Number;
      value.number = view.U16(7);
      break;
    case kNumber2:
      value.kind = CellKind::Number;
      value.number = view.F64(7);
      break;
    case kLabel2: {
      value.kind = CellKind::Label;
      const std::size_t n = std::min<std::size_t>(view.U8(7), view.length > 8 ? view.length - 8u : 0u);
      value.text = {reinterpret_cast<const char*>(view.data) + 8, n};
      break;
    }
    case kFormula2:
      DecodeFormulaResult(cell, view, 7, value);
      break;
    default:
      value.kind = CellKind::Other;
      break;
  }
  return value;
}

void excel2WksIO::DecodeFormulaResult(const CellLookup& cell, const RecordView& view, std::size_t offset,
                                      CellValue& value) const {
  if (view.U8(offset + 6) == 0xFF && view.U8(offset + 7) == 0xFF) {
    RecordView text;
    if (view.U8(offset) == 0 && FollowingString(cell, text)) {
      value.kind = CellKind::FormulaText;
      value.text = StringRecordText(text);
    } else {
      value.kind = CellKind::FormulaOther;
    }
  } else {
    value.kind = CellKind::FormulaNumber;
    value.number = view.F64(offset);
  }
}

int excel2WksIO::BaseFlags(const CellAttributes& attributes) const {
  int flags = attributes.alignment & kWksAlignMask;
  if (m_bProtected && attributes.locked) flags |= kWksLocked;
  return flags;
}

int excel2WksIO::FormatBits(int formatIndex) {
  std::string format;
  return GetFormatString(formatIndex, format) ? ClassifyFormat(format) : 0;
}

int excel2WksIO::ReadText(int row, int column, std::string& text, int mode) {
  text.clear();
  const CellValue value = DecodeCell(row, column);
  if (value.kind == CellKind::None) return 0;
  int flags = BaseFlags(value.attributes);
  switch (value.kind) {
    case CellKind::Number:
      text = FormatGeneral(value.number);
      flags |= kWksNumber | FormatBits(value.attributes.formatIndex);
      break;
    case CellKind::FormulaNumber:
      text = FormatGeneral(value.number);
      flags |= kWksFormula | kWksNumber | FormatBits(value.attributes.formatIndex);
      break;
    case CellKind::Label: {
      if (mode == kWksModeAlignPrefix) {
        switch (value.attributes.alignment) {
          case 2: text = "^"; break;
          case 3: text = "\""; break;
          case 4: text = "\\"; break;
          default: text = "'"; break;
        }
      } else if (mode != kWksModeTextOnly && !value.text.empty()) {
        const char first = value.text.front();
        if ((first >= '0' && first <= '9') || first == '+' || first == '-' || first == '.') text = "'";
      }
      text.append(value.text);
      flags |= kWksText;
      break;
    }
    case CellKind::FormulaText:
      text.assign(value.text);
      flags |= kWksFormula | kWksText;
      break;
    case CellKind::FormulaOther:
      flags |= kWksFormula;
      break;
    default:
      break;
  }
  return flags;
}

int excel2WksIO::ReadNumber(int row, int column, double* number) {
  double result = kNoNumber;
  const CellValue value = DecodeCell(row, column);
  int flags = 0;
  if (value.kind != CellKind::None) flags = BaseFlags(value.attributes);
  switch (value.kind) {
    case CellKind::Number:
      result = value.number;
      flags |= kWksNumber | FormatBits(value.attributes.formatIndex);
      break;
    case CellKind::FormulaNumber:
      result = value.number;
      flags |= kWksFormula | kWksNumber | FormatBits(value.attributes.formatIndex);
      break;
    case CellKind::Label:
      flags |= kWksText;
      break;
    case CellKind::FormulaText:
      flags |= kWksFormula | kWksText;
      break;
    case CellKind::FormulaOther:
      flags |= kWksFormula;
      break;
    default:
      break;
  }
  if (number != nullptr) *number = result;
  return flags;
}

int excel2WksIO::ReadFormattedText(int row, int column, char* buffer, int length, bool useColumnWidth) {
  if (buffer == nullptr || length <= 0) return 0;
  buffer[0] = '\0';
  const CellValue value = DecodeCell(row, column);
  if (value.kind == CellKind::None) return 0;
  int flags = BaseFlags(value.attributes);
  std::string text;
  if (value.kind == CellKind::Label || value.kind == CellKind::FormulaText) {
    text.assign(value.text);
    flags |= kWksText | (value.kind == CellKind::FormulaText ? kWksFormula : 0);
  } else if (value.kind == CellKind::Number || value.kind == CellKind::FormulaNumber) {
    flags |= kWksNumber | (value.kind == CellKind::FormulaNumber ? kWksFormula : 0);
    flags |= FormatBits(value.attributes.formatIndex);
    int width = useColumnWidth ? GetColumnWidth(column) : length;
    if (width <= 0 || width > length) width = length;
    std::string format;
    GetFormatString(value.attributes.formatIndex, format);
    if (!format.empty() && format[0] == 'G') {
      text = FormatGeneral(value.number);
      if (width >= 2 && width <= 39 && text.size() > static_cast<std::size_t>(width - 1)) text.resize(width - 1);
    } else {
      const std::size_t dot = format.find('.');
      const std::size_t zero = format.find('0');
      if (dot != std::string::npos) {
        int decimals = 0;
        for (std::size_t i = dot + 1; i < format.size() && format[i] != ';'; ++i)
          if (format[i] == '0') ++decimals;
        text = FormatFixed(value.number, decimals);
      } else if (zero != std::string::npos) {
        text = FormatFixed(std::round(value.number), 0);
      } else {
        text = value.number == 0.0 ? "0" : FormatFixed(value.number, 6);
      }
    }
  } else if (value.kind == CellKind::FormulaOther) {
    flags |= kWksFormula;
  }
  const std::size_t n = std::min(text.size(), static_cast<std::size_t>(length - 1));
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return flags;
}

bool excel2WksIO::RowDefaultAttributes(int row, std::uint8_t attributes[3]) {
  if (!m_bRowRecordsIndexed) {
    m_bRowRecordsIndexed = true;
    for (Position pos = m_firstRowRecordPos; pos != kNoRecord; pos = Next(pos)) {
      const RecordView view = View(pos);
      if (view.id == kEof) break;
      if (view.id == kRow2 && view.Has(16)) m_rowRecords.emplace(view.U16(0), pos);
    }
  }
  const auto it = m_rowRecords.find(row);
  if (it == m_rowRecords.end()) return false;
  const RecordView view = View(it->second);
  if (view.U8(10) == 0) return false;
  for (int i = 0; i < 3; ++i) attributes[i] = view.U8(13 + i);
  return true;
}

void excel2WksIO::Put16(std::vector<std::uint8_t>& out, int value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

// One BIFF2 label holds at most 255 characters.
excel2WksIO::CellWriteForm excel2WksIO::WriteForm() const { return {kLabel2, kNumber2, 1, 255}; }

std::vector<std::uint8_t> excel2WksIO::CellRecordStart(int row, int column, int alignment) {
  const CellLookup cell = FindCell(row, column);
  std::uint8_t attributes[3] = {0, 0, 0};
  if (cell.Found()) {
    const RecordView view = CellView(cell);
    for (int i = 0; i < 3; ++i) attributes[i] = view.U8(4 + i);
  } else {
    RowDefaultAttributes(row, attributes);
  }
  if (alignment != -1) attributes[2] = static_cast<std::uint8_t>((attributes[2] & ~0x07) | (alignment & 0x07));
  std::vector<std::uint8_t> data;
  Put16(data, row);
  Put16(data, column);
  data.insert(data.end(), attributes, attributes + 3);
  return data;
}

void excel2WksIO::WriteText(int row, int column, const std::string& text, int alignment) {
  if (row < 0 || column < 0 || row > kMaxRow || column > kMaxColumn) return;
  const CellWriteForm form = WriteForm();
  std::vector<std::uint8_t> data = CellRecordStart(row, column, alignment);
  const std::size_t n = std::min(text.size(), form.maxLabelLength);
  if (form.labelLengthBytes == 1)
    data.push_back(static_cast<std::uint8_t>(n));
  else
    Put16(data, static_cast<int>(n));
  data.insert(data.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n));
  StoreChangedCell(row, column, MakeRecord(form.labelId, data));
}

void excel2WksIO::WriteNumber(int row, int column, double value, int format) {
  if (row < 0 || column < 0 || row > kMaxRow || column > kMaxColumn) return;
  std::vector<std::uint8_t> data = CellRecordStart(row, column, format);
  PutDouble(data, value);
  StoreChangedCell(row, column, MakeRecord(WriteForm().numberId, data));
}

void excel2WksIO::SetAlignment(int row, int column, int alignment) {
  const CellLookup cell = FindCell(row, column);
  if (!cell.Found()) return;
  const RecordView view = CellView(cell);
  if (!view.Has(7) || (view.U8(6) & 0x07) == (alignment & 0x07)) return;
  RecordBytes copy(view.data - 4, view.data + view.length);
  copy[4 + 6] = static_cast<std::uint8_t>((copy[4 + 6] & ~0x07) | (alignment & 0x07));
  StoreChangedCell(row, column, std::move(copy));
}

bool excel2WksIO::SaveMerged(std::string& bytes, const SaveExtras& extras) {
  struct Change {
    int row;
    int column;
    const RecordBytes* record;
  };
  std::vector<Change> changes;
  for (const auto& [row, cells] : m_changedCells)
    for (const auto& [column, record] : cells) changes.push_back({row, column, &record});
  std::size_t next = 0;
  std::vector<std::uint8_t> out;
  out.reserve(m_records.size() + changes.size() * 24);
  auto emit = [&](const RecordBytes& record) { out.insert(out.end(), record.begin(), record.end()); };
  auto emitBefore = [&](int row, int column) {
    while (next < changes.size() &&
           (changes[next].row < row || (changes[next].row == row && changes[next].column < column)))
      emit(*changes[next++].record);
  };
  auto emitRowsUpTo = [&](int row) {
    while (next < changes.size() && changes[next].row <= row) emit(*changes[next++].record);
  };
  auto emitAll = [&] {
    while (next < changes.size()) emit(*changes[next++].record);
  };

  bool uncalcedAmongFirst = false;
  {
    Position pos = m_walkEnd > 0 ? 0 : kNoRecord;
    for (int i = 0; i < 5 && pos != kNoRecord; ++i, pos = Next(pos))
      if (View(pos).id == kUncalced) uncalcedAmongFirst = true;
  }

  int currentRow = -1;
  int recordNumber = 0;
  Position skipString = kNoRecord;
  for (Position pos = m_walkEnd > 0 ? 0 : kNoRecord; pos != kNoRecord; pos = Next(pos), ++recordNumber) {
    const RecordView view = View(pos);
    const Position end = pos + 4 + view.length;
    auto copyRecord = [&] { out.insert(out.end(), m_records.begin() + pos, m_records.begin() + end); };
    if (pos == skipString) {
      skipString = kNoRecord;
      continue;
    }
    if (extras.dropIndex && recordNumber < 5 && view.id == kIndex3) {
      if (!uncalcedAmongFirst) {
        emit(MakeRecord(kUncalced, {0, 0}));
        uncalcedAmongFirst = true;
      }
      continue;
    }
    if (IsSaveCell(view.id) && view.Has(4)) {
      const int row = view.U16(0);
      const int column = view.U16(2);
      emitBefore(row, column);
      if (next < changes.size() && changes[next].row == row && changes[next].column == column) {
        const RecordBytes& replacement = *changes[next++].record;
        emit(replacement);
        // A text result belongs to the formula it replaced, unless the replacement is that formula.
        if (IsFormulaRecord(view.id) && !IsFormulaRecord(ViewOf(replacement).id)) {
          const Position following = Next(pos);
          if (IsStringRecord(View(following).id)) skipString = following;
        }
      } else {
        copyRecord();
      }
      currentRow = row;
    } else if (IsLookupPassOver(view.id) || IsStringRecord(view.id)) {
      copyRecord();
    } else {
      if (currentRow >= 0) emitRowsUpTo(currentRow);
      if (view.id == kEof || (m_endPos != kNoRecord && pos > m_endPos)) emitAll();
      copyRecord();
    }
    if (pos == extras.extraAfterPos)
      for (const RecordBytes& record : extras.extraRecords) emit(record);
  }
  emitAll();
  out.insert(out.end(), m_records.begin() + m_walkEnd, m_records.end());

  bytes.assign(out.begin(), out.end());
  return true;
}

bool excel2WksIO::SaveToBytes(std::string& bytes) { return SaveMerged(bytes, SaveExtras{}); }

void excel2WksIO::GetActiveCell(int* row, int* column) {
  const RecordView view = View(m_selectionPos);
  const bool have = m_selectionPos != kNoRecord && view.Has(5);
  if (row != nullptr) *row = have ? view.U16(1) : 0;
  if (column != nullptr) *column = have ? view.U16(3) : 0;
}

void excel2WksIO::SetActiveCell(int row, int column) {
  const RecordView view = View(m_selectionPos);
  if (m_selectionPos == kNoRecord || !view.Has(5)) return;
  if (row < 0 || column < 0 || row > kMaxRow || column > 0xFFFF) return;
  std::uint8_t* data = m_records.data() + m_selectionPos + 4;
  data[1] = static_cast<std::uint8_t>(row & 0xFF);
  data[2] = static_cast<std::uint8_t>(row >> 8);
  data[3] = static_cast<std::uint8_t>(column & 0xFF);
  data[4] = static_cast<std::uint8_t>(column >> 8);
}

int excel2WksIO::HasFormula(int, int) { return 0; }
std::string excel2WksIO::GetFormulaText(int, int) { return {}; }

bool excel2WksIO::FormatStringAt(int formatIndex, std::uint16_t formatId, std::size_t lengthOffset,
                                 std::string& text) {
  text.clear();
  if (m_firstFormatPos == kNoRecord || formatIndex < 0 || formatIndex >= m_nFormats) return false;
  Position pos = m_firstFormatPos;
  for (int i = 0; i < formatIndex && pos != kNoRecord; ++i) pos = Next(pos);
  const RecordView view = View(pos);
  if (pos == kNoRecord || view.id != formatId) return false;
  const std::size_t available = view.length > lengthOffset ? view.length - lengthOffset - 1 : 0;
  const std::size_t n = std::min<std::size_t>(view.U8(lengthOffset), available);
  text.assign(reinterpret_cast<const char*>(view.data) + lengthOffset + 1, n);
  return true;
}

bool excel2WksIO::GetFormatString(int formatIndex, std::string& text) {
  return FormatStringAt(formatIndex, kFormat2, 0, text);
}

int excel2WksIO::ClassifyFormat(const std::string& text) { return TWksIOInnards::ClassifyFormat(text); }
int excel2WksIO::XfLayout() { return 0; }
