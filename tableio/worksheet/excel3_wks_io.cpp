#include "tableio/worksheet/excel3_wks_io.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kFormula5 = 0x0006;
constexpr std::uint16_t kProtect = 0x0012;
constexpr std::uint16_t kDefColWidth = 0x0055;
constexpr std::uint16_t kUncalced = 0x005E;
constexpr std::uint16_t kColInfo = 0x007D;
constexpr std::uint16_t kRString = 0x00D6;
constexpr std::uint16_t kDimensions = 0x0200;
constexpr std::uint16_t kBlank = 0x0201;
constexpr std::uint16_t kNumber = 0x0203;
constexpr std::uint16_t kLabel = 0x0204;
constexpr std::uint16_t kBoolErr = 0x0205;
constexpr std::uint16_t kFormula = 0x0206;
constexpr std::uint16_t kString = 0x0207;
constexpr std::uint16_t kRow = 0x0208;
constexpr std::uint16_t kArray = 0x0221;
constexpr std::uint16_t kRk = 0x027E;
constexpr std::uint16_t kFormula4 = 0x0406;

double DecodeRk(std::uint32_t rk) {
  double value;
  if ((rk & 0x02) != 0) {
    value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
  } else {
    const std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32;
    std::memcpy(&value, &bits, sizeof value);
  }
  if ((rk & 0x01) != 0) value /= 100.0;
  return value;
}

}  // namespace

excel3WksIO::excel3WksIO(std::unique_ptr<std::istream> stream, const std::string&) {
  LoadFromStream(std::move(stream));
}

bool excel3WksIO::IsCellRecord(std::uint16_t id) const {
  switch (id) {
    case kFormula5: case kRString: case kBlank: case kNumber: case kLabel: case kFormula: case kRk: case kFormula4:
      return true;
    default:
      return false;
  }
}
bool excel3WksIO::IsLookupPassOver(std::uint16_t id) const {
  return id == kUncalced || id == kBoolErr || id == kString || id == kArray;
}
bool excel3WksIO::IsLookupCell(std::uint16_t id) const { return IsCellRecord(id); }
bool excel3WksIO::IsIndexedCell(std::uint16_t id) const { return IsCellRecord(id) && id != kBlank; }
bool excel3WksIO::IsFormulaRecord(std::uint16_t id) const {
  return id == kFormula5 || id == kFormula || id == kFormula4;
}
bool excel3WksIO::IsStringRecord(std::uint16_t id) const { return id == kString; }
bool excel3WksIO::IsSaveCell(std::uint16_t id) const { return IsCellRecord(id) || id == kBoolErr; }

std::string_view excel3WksIO::StringRecordText(const RecordView& record) const {
  const std::size_t n = std::min<std::size_t>(record.U16(0), record.length > 2 ? record.length - 2u : 0u);
  return {reinterpret_cast<const char*>(record.data) + 2, n};
}

int excel3WksIO::ScanDimensions() { return excel2WksIO::ScanDimensions(); }

void excel3WksIO::ScanHeader() { ScanHeaderWith(HeaderIds{}); }

void excel3WksIO::ScanHeaderWith(const HeaderIds& ids) {
  ResetLookupCache();
  m_nFormats = 0;
  m_firstFormatPos = kNoRecord;
  m_firstRowRecordPos = kNoRecord;
  if (!ids.useDimensions) ScanDimensions();
  m_xfId = ids.xfId;
  m_xfLayout = XfLayout();
  m_xfRecords.clear();
  m_lastXfPos = kNoRecord;
  m_selectionPos = kNoRecord;
  m_columnWidths.assign(256, 9);
  Position pos = m_walkEnd > 0 ? 0 : kNoRecord;
  for (; pos != kNoRecord; pos = Next(pos)) {
    const RecordView view = View(pos);
    if (view.id == kEof || (IsCellRecord(view.id) && view.id != kBlank) || view.id == kString) break;
    if (view.id == ids.xfId) {
      m_xfRecords.emplace_back(view.data - 4, view.data + view.length);
      m_lastXfPos = pos;
    } else if (view.id == ids.formatId) {
      if (m_firstFormatPos == kNoRecord) m_firstFormatPos = pos;
      ++m_nFormats;
    } else if (view.id == kProtect) {
      m_bProtected = view.U16(0) == 1;
    } else if (view.id == kDefColWidth) {
      std::fill(m_columnWidths.begin(), m_columnWidths.end(), view.U16(0));
    } else if (view.id == kColInfo) {
      const int width = view.U8(5) + (view.U8(4) > 73 ? 1 : 0);
      const int last = std::min<int>(view.U16(2), 255);
      for (int c = view.U16(0); c <= last; ++c) m_columnWidths[c] = width;
    } else if (view.id == kRow) {
      if (m_firstRowRecordPos == kNoRecord) m_firstRowRecordPos = pos;
    } else if (view.id == kDimensions && ids.useDimensions) {
      m_nRows = m_nFileRows = view.U16(2);
      m_nColumns = m_nFileColumns = view.U16(6);
    }
  }
  m_nFileXfs = static_cast<int>(m_xfRecords.size());
  m_cursor = pos;
}

excel2WksIO::CellAttributes excel3WksIO::XfAttributes(int xfIndex) const {
  CellAttributes attributes;
  if (xfIndex < 0 || static_cast<std::size_t>(xfIndex) >= m_xfRecords.size()) return attributes;
  const RecordView xf = ViewOf(m_xfRecords[xfIndex]);
  if (m_xfLayout == 0) {
    attributes.formatIndex = xf.U8(1);
    attributes.locked = (xf.U8(2) & 0x01) != 0;
    attributes.alignment = xf.U8(4) & 0x07;
  } else {
    attributes.formatIndex = xf.U16(2);
    attributes.locked = (xf.U16(4) & 0x01) != 0;
    attributes.alignment = xf.U8(6) & 0x07;
  }
  return attributes;
}

int excel3WksIO::CellXfIndex(const CellLookup& cell) const {
  if (!cell.Found()) return 0;
  return CellView(cell).U16(4);
}

excel2WksIO::CellValue excel3WksIO::DecodeCell(int row, int column) {
  CellValue value;
  const CellLookup cell = FindCell(row, column);
  if (!cell.Found()) return value;
  const RecordView view = CellView(cell);
  value.attributes = XfAttributes(view.U16(4));
  switch (view.id) {
    case kNumber:
      value.kind = CellKind::Number;
      value.number = view.F64(6);
      break;
    case kRk:
      value.kind = CellKind::Number;
      value.number = DecodeRk(view.U32(6));
      break;
    case kLabel:
    case kRString: {
      value.kind = CellKind::Label;
      const std::size_t n = std::min<std::size_t>(view.U16(6), view.length > 8 ? view.length - 8u : 0u);
      value.text = {reinterpret_cast<const char*>(view.data) + 8, n};
      break;
    }
    case kFormula5:
    case kFormula:
    case kFormula4:
      DecodeFormulaResult(cell, view, 6, value);
      break;
    default:
      value.kind = CellKind::Other;
      break;
  }
  return value;
}

int excel3WksIO::XfWithAlignment(int xfIndex, int alignmentValue) {
  const std::size_t fieldOffset = 4 + (XfLayout() == 0 ? 4 : 6);  // header included
  const std::size_t compared = XfLayout() == 0 ? 12 : 14;
  RecordBytes copy;
  if (xfIndex >= 0 && static_cast<std::size_t>(xfIndex) < m_xfRecords.size()) {
    copy = m_xfRecords[xfIndex];
  } else {
    copy = MakeRecord(m_xfId, std::vector<std::uint8_t>(XfLayout() == 0 ? 12 : 16, 0));
  }
  if (copy.size() < std::max(fieldOffset + 2, compared)) copy.resize(std::max(fieldOffset + 2, compared), 0);
  const int current = copy[fieldOffset] | (copy[fieldOffset + 1] << 8);
  if (current == alignmentValue && xfIndex >= 0 && static_cast<std::size_t>(xfIndex) < m_xfRecords.size())
    return xfIndex;
  copy[fieldOffset] = static_cast<std::uint8_t>(alignmentValue & 0xFF);
  copy[fieldOffset + 1] = 0;
  for (std::size_t i = 0; i < m_xfRecords.size(); ++i) {
    const RecordBytes& xf = m_xfRecords[i];
    if (xf.size() >= compared && std::equal(copy.begin(), copy.begin() + compared, xf.begin()))
      return static_cast<int>(i);
  }
  if (m_xfRecords.size() >= 0xFFFF) return xfIndex;
  // The stored length must match the bytes kept.
  copy[2] = static_cast<std::uint8_t>((copy.size() - 4) & 0xFF);
  copy[3] = static_cast<std::uint8_t>((copy.size() - 4) >> 8);
  m_xfRecords.push_back(std::move(copy));
  return static_cast<int>(m_xfRecords.size() - 1);
}

// A label keeps as many characters as fit one record.
excel2WksIO::CellWriteForm excel3WksIO::WriteForm() const { return {kLabel, kNumber, 2, 0xFFFF - 8}; }

std::vector<std::uint8_t> excel3WksIO::CellRecordStart(int row, int column, int alignment) {
  int xf = CellXfIndex(FindCell(row, column));
  if (alignment != -1) xf = XfWithAlignment(xf, alignment & 0xFF);
  std::vector<std::uint8_t> data;
  Put16(data, row);
  Put16(data, column);
  Put16(data, xf);
  return data;
}

void excel3WksIO::SetAlignment(int row, int column, int alignment) {
  const CellLookup cell = FindCell(row, column);
  if (!cell.Found()) return;
  const RecordView view = CellView(cell);
  if (!view.Has(6)) return;
  const int xf = view.U16(4);
  const int newXf = XfWithAlignment(xf, alignment & 0x07);
  if (newXf == xf) return;
  RecordBytes copy(view.data - 4, view.data + view.length);
  copy[4 + 4] = static_cast<std::uint8_t>(newXf & 0xFF);
  copy[4 + 5] = static_cast<std::uint8_t>(newXf >> 8);
  StoreChangedCell(row, column, std::move(copy));
}

bool excel3WksIO::SaveToBytes(std::string& bytes) {
  if (!m_bWritable) return false;
  SaveExtras extras;
  const bool newXfs = m_xfRecords.size() > static_cast<std::size_t>(m_nFileXfs);
  if (HasChanges() || newXfs) {
    extras.dropIndex = true;
    extras.extraAfterPos = m_lastXfPos != kNoRecord ? m_lastXfPos : 0;
    extras.extraRecords.assign(m_xfRecords.begin() + m_nFileXfs, m_xfRecords.end());
  }
  return SaveMerged(bytes, extras);
}

int excel3WksIO::XfLayout() { return 0; }
