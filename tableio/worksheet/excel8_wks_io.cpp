#include "tableio/worksheet/excel8_wks_io.h"

#include <cstdio>
#include <exception>

#include "platform/ole_date_time.h"
#include "tableio/worksheet/workbook_reader.h"
#include "tableio/worksheet/workbook_sheet.h"

namespace {

std::unique_ptr<CXlDispatch> g_application;

// Letter case of Windows-1252 text: ASCII and the accented letters.
unsigned char FoldCase(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  if (c == 0x8A || c == 0x8C || c == 0x8E) return static_cast<unsigned char>(c + 16);
  if (c == 0x9F) return 0xFF;
  return c;
}

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(static_cast<unsigned char>(a[i])) != FoldCase(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

constexpr int kNumberFlags = kWksNumber;
constexpr int kDateFlags = kWksNumber | kWksDate | kWksTime;

// "%X %x" of the date in the C locale: "14:05:09 01/31/24".
std::string FormatDate(double value) {
  const plat::OleDateTime date(value);
  if (!date.IsValid()) return std::string();
  char text[40];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d %02d/%02d/%02d", date.GetHour(), date.GetMinute(),
                date.GetSecond(), date.GetMonth(), date.GetDay(), date.GetYear() % 100);
  return text;
}

}  // namespace

int CXlDispatch::CreateDispatch(const char* programId) {
  if (!programId || !*programId) return 0;
  ++m_nReferences;
  return 1;
}

void CXlDispatch::Release() {
  if (m_nReferences > 0) --m_nReferences;
}

void CXlDispatch::Detach() { m_nReferences = 0; }

CXlDispatch* GetExcelApplication() { return g_application.get(); }

int StartExcelApplication() {
  if (g_application) return 1;
  auto holder = std::make_unique<CXlDispatch>();
  if (!holder->CreateDispatch("Excel.Application")) return 0;
  g_application = std::move(holder);
  return 1;
}

int ShutdownExcelApplication() {
  if (!g_application) return 1;
  g_application->Release();
  g_application->Detach();
  g_application.reset();
  return 1;
}

excel8WksIO::excel8WksIO(const std::string& path, const std::string& sheetName) {
  m_bWritable = false;
  if (path.empty()) {
    m_bError = true;
    return;
  }
  m_sheetName = sheetName;
  std::string error;
  try {
    m_workbook = CWorkbookReader::Open(path, error);
    if (!m_workbook || !FindAndLoadSheet()) m_bError = true;
  } catch (const std::exception&) {  // a workbook too large for memory
    m_sheet.reset();
    m_bError = true;
  }
}

excel8WksIO::~excel8WksIO() = default;

bool excel8WksIO::FindAndLoadSheet() {
  m_sheet.reset();
  m_widthCache.clear();
  m_nRows = m_nColumns = m_nFileRows = m_nFileColumns = 0;
  const std::vector<std::string>& names = m_workbook->GetWorksheetNames();
  std::size_t index = names.size();
  if (m_sheetName.empty()) {
    index = 0;
  } else {
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (EqualsIgnoringCase(names[i], m_sheetName)) {
        index = i;
        break;
      }
    }
  }
  m_bSheetMissing = false;
  if (index >= names.size()) {
    m_bSheetMissing = true;
    return false;
  }
  std::string error;
  std::unique_ptr<CWorkbookSheet> sheet = m_workbook->ReadSheet(index, error);
  if (!sheet) return false;
  // A used range of one cell is no block of values: such a sheet (an empty one too) does not open, as an
  // absent one.
  if (sheet->GetRowCount() == 1 && sheet->GetColumnCount() == 1) {
    m_bSheetMissing = true;
    return false;
  }
  m_sheet = std::move(sheet);
  m_nRows = m_nFileRows = static_cast<int>(m_sheet->GetRowCount());
  m_nColumns = m_nFileColumns = static_cast<int>(m_sheet->GetColumnCount());
  m_widthCache.assign(static_cast<std::size_t>(m_nColumns), -1);
  return true;
}

void excel8WksIO::SelectSheet(const std::string& sheetName) {
  if (sheetName.empty() || !m_workbook) {
    m_bError = true;
    return;
  }
  m_sheetName = sheetName;
  try {
    if (!FindAndLoadSheet()) m_bError = true;
  } catch (const std::exception&) {
    m_sheet.reset();
    m_bError = true;
  }
}

int excel8WksIO::ReadNumber(int row, int column, double* value) {
  double number = kNoNumber;
  int flags = 0;
  const CWorkbookSheet::Cell* cell =
      m_sheet && row >= 0 && column >= 0 ? m_sheet->Find(static_cast<std::uint32_t>(row), static_cast<std::uint32_t>(column)) : nullptr;
  if (cell) {
    switch (cell->kind) {
      case WbValueKind::Number:
      case WbValueKind::Currency:
        number = cell->number;
        flags = kNumberFlags;
        break;
      case WbValueKind::Boolean:
        number = cell->number != 0.0 ? -1.0 : 0.0;
        flags = kNumberFlags;
        break;
      case WbValueKind::Date:
        number = cell->number;
        flags = kDateFlags;
        break;
      case WbValueKind::Text:
        flags = kWksText;
        break;
      case WbValueKind::Empty:
      case WbValueKind::Error:
        break;
    }
  }
  if (value) *value = number;
  return flags;
}

int excel8WksIO::ReadText(int row, int column, std::string& text, int) {
  text.clear();
  const CWorkbookSheet::Cell* cell =
      m_sheet && row >= 0 && column >= 0 ? m_sheet->Find(static_cast<std::uint32_t>(row), static_cast<std::uint32_t>(column)) : nullptr;
  if (!cell) return 0;
  char buffer[64];
  switch (cell->kind) {
    case WbValueKind::Number:
      std::snprintf(buffer, sizeof buffer, "%g", cell->number);
      text = buffer;
      return kNumberFlags;
    case WbValueKind::Boolean:
      text = cell->number != 0.0 ? "-1" : "0";
      return kNumberFlags;
    case WbValueKind::Currency:
      std::snprintf(buffer, sizeof buffer, "%f", cell->number);
      text = buffer;
      return kNumberFlags;
    case WbValueKind::Date:
      text = FormatDate(cell->number);
      return kDateFlags;
    case WbValueKind::Text:
      text.assign(m_sheet->Text(*cell));
      return kWksText;
    case WbValueKind::Empty:
    case WbValueKind::Error:
      break;
  }
  return 0;
}

int excel8WksIO::ReadFormattedText(int row, int column, char* buffer, int length, bool) {
  return TWksIOInnards::ReadText(row, column, buffer, length, kWksModeTextOnly);
}

void excel8WksIO::GetActiveCell(int* row, int* column) {
  if (row) *row = 0;
  if (column) *column = 0;
}

int excel8WksIO::GetColumnWidth(int column) {
  if (m_widthCache.empty() || !m_sheet) return 10;
  if (column < 0) return 10;
  if (static_cast<std::size_t>(column) >= m_widthCache.size()) return m_sheet->GetColumnWidth(static_cast<std::uint32_t>(column));
  int& width = m_widthCache[static_cast<std::size_t>(column)];
  if (width <= 0) width = m_sheet->GetColumnWidth(static_cast<std::uint32_t>(column));
  return width;
}

void excel8WksIO::SetColumnWidth(int column, int width) {
  if (column >= 0 && static_cast<std::size_t>(column) < m_widthCache.size()) m_widthCache[static_cast<std::size_t>(column)] = width;
}

int excel8WksIO::HasFormula(int row, int column) {
  const CWorkbookSheet::Cell* cell =
      m_sheet && row >= 0 && column >= 0 ? m_sheet->Find(static_cast<std::uint32_t>(row), static_cast<std::uint32_t>(column)) : nullptr;
  return cell && cell->hasFormula ? 1 : 0;
}

std::string excel8WksIO::GetFormulaText(int row, int column) {
  if (!HasFormula(row, column)) return std::string();
  return std::string(m_sheet->FormulaText(static_cast<std::uint32_t>(row), static_cast<std::uint32_t>(column)));
}
