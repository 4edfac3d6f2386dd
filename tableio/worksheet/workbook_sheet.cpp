#include "tableio/worksheet/workbook_sheet.h"

#include <sys/mman.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <new>

namespace {

std::uint64_t CellKey(std::uint32_t row, std::uint32_t column) {
  return (std::uint64_t{row} << 16) | column;
}

// The dollar, euro, pound and yen signs, in UTF-8 (.xlsx) or Windows-1252 (.xls).
constexpr std::string_view kCurrencySymbols[] = {"$", "\xE2\x82\xAC", "\xC2\xA3", "\xC2\xA5", "\x80", "\xA3", "\xA5"};

bool IsCurrencySymbol(std::string_view text) {
  return std::find(std::begin(kCurrencySymbols), std::end(kCurrencySymbols), text) != std::end(kCurrencySymbols);
}

}  // namespace

WbNumberFormat ClassifyBuiltInFormat(std::uint32_t formatId) {
  if ((formatId >= 14 && formatId <= 22) || (formatId >= 45 && formatId <= 47) ||
      (formatId >= 27 && formatId <= 36) || (formatId >= 50 && formatId <= 58)) {
    return WbNumberFormat::Date;
  }
  if (formatId >= 5 && formatId <= 8) return WbNumberFormat::Currency;
  return WbNumberFormat::General;
}

WbNumberFormat ClassifyFormatCode(std::string_view code) {
  bool date = false;
  bool currency = false;
  for (std::size_t i = 0; i < code.size(); ++i) {
    const char c = code[i];
    switch (c) {
      case '"': {  // literal text; a currency symbol alone makes a currency format
        const std::size_t end = code.find('"', i + 1);
        const std::string_view literal = code.substr(i + 1, end == std::string_view::npos ? std::string_view::npos : end - i - 1);
        if (IsCurrencySymbol(literal)) currency = true;
        i = end == std::string_view::npos ? code.size() : end;
        break;
      }
      case '\\':  // an escaped character; an escaped currency symbol makes a currency format
        for (const std::string_view symbol : kCurrencySymbols) {
          if (code.substr(i + 1, symbol.size()) == symbol) {
            currency = true;
            i += symbol.size() - 1;
            break;
          }
        }
        ++i;
        break;
      case '_':
      case '*':  // escaped character, padding, fill: the next character is not a code
        ++i;
        break;
      case '[': {
        const std::size_t end = code.find(']', i + 1);
        const std::string_view inside = code.substr(i + 1, end == std::string_view::npos ? std::string_view::npos : end - i - 1);
        if (!inside.empty()) {
          const char first = static_cast<char>(std::tolower(static_cast<unsigned char>(inside[0])));
          if (first == 'h' || first == 'm' || first == 's') {
            if (inside.find_first_not_of(inside[0]) == std::string_view::npos) date = true;  // elapsed time
          } else if (first == '$' && inside.size() > 1 && inside[1] != '-') {
            currency = true;  // [$EUR-407]: a currency symbol
          }
        }
        i = end == std::string_view::npos ? code.size() : end;
        break;
      }
      case '$':
        currency = true;
        break;
      case 'd': case 'D': case 'm': case 'M': case 'y': case 'Y':
      case 'h': case 'H': case 's': case 'S':
        date = true;
        break;
      default:
        break;
    }
  }
  if (date) return WbNumberFormat::Date;
  if (currency) return WbNumberFormat::Currency;
  return WbNumberFormat::General;
}

bool WorkbookSerialToOleDate(double serial, bool date1904, double& oleDate) {
  constexpr double k1904Offset = 1462.0;  // days from 30 December 1899 to 1 January 1904
  constexpr double kMaxOleDate = 2958466.0;  // 1 January 10000
  if (date1904) oleDate = serial + k1904Offset;
  else if (serial >= 60.0 && serial < 61.0) return false;
  else oleDate = serial >= 1.0 && serial < 60.0 ? serial + 1.0 : serial;
  return oleDate >= 0.0 && oleDate < kMaxOleDate;
}

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Below this a block comes from the ordinary heap.
constexpr std::size_t kLargeBlock = std::size_t{4} << 20;

std::size_t HugePageRoundUp(std::size_t bytes) { return (bytes + kHugePage - 1) / kHugePage * kHugePage; }

}  // namespace

void* AllocateBlock(std::size_t bytes) {
  if (bytes < kLargeBlock) return ::operator new(bytes);
  void* block = std::aligned_alloc(kHugePage, HugePageRoundUp(bytes));
  if (block == nullptr) throw std::bad_alloc();
  // Only advice: without huge pages the block is filled page by page as usual.
  ::madvise(block, HugePageRoundUp(bytes), MADV_HUGEPAGE);
  return block;
}

void FreeBlock(void* block, std::size_t bytes) {
  if (bytes < kLargeBlock)
    ::operator delete(block);
  else
    std::free(block);
}

CWorkbookSheet::CWorkbookSheet(const std::vector<std::string>* sharedStrings)
    : m_sharedStrings(sharedStrings) {}

CWorkbookSheet::Cell& CWorkbookSheet::Append(std::uint32_t row, std::uint32_t column, WbValueKind kind) {
  Cell& cell = m_cells.emplace_back();
  cell.row = row;
  cell.column = static_cast<std::uint16_t>(column);
  cell.kind = kind;
  cell.hasFormula = 0;
  cell.number = 0.0;
  return cell;
}

void CWorkbookSheet::AddNumber(std::uint32_t row, std::uint32_t column, double value, WbValueKind kind) {
  Append(row, column, kind).number = value;
}

void CWorkbookSheet::AddText(std::uint32_t row, std::uint32_t column, std::string text) {
  Append(row, column, WbValueKind::Text).text = kOwnText | m_texts.size();
  m_texts.push_back(std::move(text));
}

void CWorkbookSheet::AddSharedText(std::uint32_t row, std::uint32_t column, std::uint32_t index) {
  Append(row, column, WbValueKind::Text).text = index;
}

void CWorkbookSheet::AddEmpty(std::uint32_t row, std::uint32_t column, WbValueKind kind) {
  Append(row, column, kind);
}

void CWorkbookSheet::SetLastFormula(std::string text) {
  if (m_cells.empty()) return;
  Cell& cell = m_cells.back();
  cell.hasFormula = 1;
  m_formulas.push_back({CellKey(cell.row, cell.column), std::move(text)});
}

void CWorkbookSheet::SetColumnWidth(std::uint32_t column, int width) {
  if (column >= kWbMaxColumns) return;
  if (m_widths.size() <= column) m_widths.resize(column + 1, 0);
  m_widths[column] = width;
}

void CWorkbookSheet::Finish() {
  const auto before = [](const Cell& a, const Cell& b) {
    return a.row != b.row ? a.row < b.row : a.column < b.column;
  };
  if (!std::is_sorted(m_cells.begin(), m_cells.end(), before)) {
    std::stable_sort(m_cells.begin(), m_cells.end(), before);
  }
  // Keep the last of cells at the same place.
  std::size_t out = 0;
  for (std::size_t i = 0; i < m_cells.size(); ++i) {
    if (out > 0 && m_cells[out - 1].row == m_cells[i].row && m_cells[out - 1].column == m_cells[i].column) {
      m_cells[out - 1] = m_cells[i];
    } else {
      m_cells[out++] = m_cells[i];
    }
  }
  m_cells.resize(out);

  std::stable_sort(m_formulas.begin(), m_formulas.end(),
                   [](const Formula& a, const Formula& b) { return a.key < b.key; });

  std::uint32_t lastRow = 0;
  std::uint32_t lastColumn = 0;
  for (const Cell& cell : m_cells) {
    lastRow = std::max(lastRow, cell.row);
    lastColumn = std::max<std::uint32_t>(lastColumn, cell.column);
  }
  m_rowCount = lastRow + 1;
  m_columnCount = lastColumn + 1;
  m_rowStart.assign(m_rowCount + 1, 0);
  for (const Cell& cell : m_cells) ++m_rowStart[cell.row + 1];
  for (std::uint32_t r = 0; r < m_rowCount; ++r) m_rowStart[r + 1] += m_rowStart[r];
}

const CWorkbookSheet::Cell* CWorkbookSheet::Find(std::uint32_t row, std::uint32_t column) const {
  if (row >= m_rowCount || m_rowStart.empty()) return nullptr;
  const auto first = m_cells.begin() + m_rowStart[row];
  const auto last = m_cells.begin() + m_rowStart[row + 1];
  const auto it = std::lower_bound(first, last, column,
                                   [](const Cell& cell, std::uint32_t col) { return cell.column < col; });
  if (it == last || it->column != column) return nullptr;
  return &*it;
}

std::string_view CWorkbookSheet::Text(const Cell& cell) const {
  if (cell.kind != WbValueKind::Text) return {};
  if (cell.text & kOwnText) return m_texts[cell.text & ~kOwnText];
  if (m_sharedStrings && cell.text < m_sharedStrings->size()) return (*m_sharedStrings)[cell.text];
  return {};
}

std::string_view CWorkbookSheet::FormulaText(std::uint32_t row, std::uint32_t column) const {
  const std::uint64_t key = CellKey(row, column);
  auto it = std::upper_bound(m_formulas.begin(), m_formulas.end(), key,
                             [](std::uint64_t k, const Formula& f) { return k < f.key; });
  if (it == m_formulas.begin() || (it - 1)->key != key) return {};
  return (it - 1)->text;
}

int CWorkbookSheet::GetColumnWidth(std::uint32_t column) const {
  if (column < m_widths.size() && m_widths[column] > 0) return m_widths[column];
  return m_defaultWidth;
}
