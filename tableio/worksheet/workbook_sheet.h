#pragma once
// The values of one sheet of a newer workbook, as read by the in-process
// workbook readers: sparse cells sorted by row and column, their texts, the
// formulas and the column widths. Memory grows with the cells present, not
// with the sheet's extent.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What a cell holds, as a spreadsheet application reports a cell's value.
enum class WbValueKind : std::uint8_t {
  Empty,     // a blank cell that only carries formatting
  Number,    // a double
  Text,      // a text (possibly empty)
  Boolean,   // number 1 (true) or 0 (false)
  Error,     // an error value such as #DIV/0!
  Date,      // an OLE automation date (a number shown with a date or time format)
  Currency,  // a number shown with a currency format, to 4 decimals
};

// How a number format shows its number.
enum class WbNumberFormat : std::uint8_t { General, Date, Currency };

// The kind of a built-in number format id (the ids every workbook knows).
WbNumberFormat ClassifyBuiltInFormat(std::uint32_t formatId);
// The kind of a format code such as "d-mmm-yy" or "#,##0.00 [$EUR]".
WbNumberFormat ClassifyFormatCode(std::string_view code);

// The OLE date of a workbook's date serial: the 1904 system counts from
// 1 January 1904; the 1900 system counts 1900 as a leap year, so its serials
// before 1 March 1900 are one day ahead, and serial 60 (29 February 1900) is
// no date. False when the serial is no date an OLE date can hold.
bool WorkbookSerialToOleDate(double serial, bool date1904, double& oleDate);

// The largest sheet a newer workbook may address.
constexpr std::uint32_t kWbMaxRows = 1048576;
constexpr std::uint32_t kWbMaxColumns = 16384;

// The allocator of a sheet's cells: a block of several megabytes is asked for
// on huge pages where the system offers them, so that filling the cells of a
// large sheet takes a few page faults instead of one per 4 KB page.
void* AllocateBlock(std::size_t bytes);
void FreeBlock(void* block, std::size_t bytes);
template <typename T>
struct CLargeBlockAllocator {
  using value_type = T;
  CLargeBlockAllocator() = default;
  template <typename U>
  CLargeBlockAllocator(const CLargeBlockAllocator<U>&) {}  // rebinding
  T* allocate(std::size_t n) { return static_cast<T*>(AllocateBlock(n * sizeof(T))); }
  void deallocate(T* p, std::size_t n) { FreeBlock(p, n * sizeof(T)); }
  template <typename U>
  bool operator==(const CLargeBlockAllocator<U>&) const { return true; }
};
class CWorkbookSheet {
 public:
  struct Cell {
    std::uint32_t row;
    std::uint16_t column;
    WbValueKind kind;
    std::uint8_t hasFormula;
    // The number of Number, Boolean, Date and Currency cells; for Text the
    // index of the text (see Text).
    union {
      double number;
      std::uint64_t text;
    };
  };

  // Texts of shared-string cells are looked up in this table, which must
  // outlive the sheet (the workbook reader owns it). Null when none.
  explicit CWorkbookSheet(const std::vector<std::string>* sharedStrings = nullptr);

  // Cells may come in any order; a later cell at the same place replaces an
  // earlier one. Rows and columns are 0-based and must be below the maxima.
  void AddNumber(std::uint32_t row, std::uint32_t column, double value, WbValueKind kind);
  void AddText(std::uint32_t row, std::uint32_t column, std::string text);
  void AddSharedText(std::uint32_t row, std::uint32_t column, std::uint32_t index);
  void AddEmpty(std::uint32_t row, std::uint32_t column, WbValueKind kind = WbValueKind::Empty);
  // Marks the cell added last as a formula with that text ("=" included);
  // an empty text means the formula text is not known.
  void SetLastFormula(std::string text);
  void SetColumnWidth(std::uint32_t column, int width);
  void SetDefaultColumnWidth(int width) { m_defaultWidth = width; }

  // Room for this many cells, to spare the reallocations of a large sheet.
  void Reserve(std::size_t cells) { m_cells.reserve(cells); }

  // Sorts the cells and builds the row index; call once after the last Add.
  void Finish();

  // The extent from A1 to the last cell that holds anything (1 x 1 for an
  // empty sheet, as A1 is then the last cell).
  std::uint32_t GetRowCount() const { return m_rowCount; }
  std::uint32_t GetColumnCount() const { return m_columnCount; }
  std::size_t GetCellCount() const { return m_cells.size(); }

  // The cell at (row, column), or null.
  const Cell* Find(std::uint32_t row, std::uint32_t column) const;
  std::string_view Text(const Cell& cell) const;
  // The formula text of a formula cell (empty when unknown).
  std::string_view FormulaText(std::uint32_t row, std::uint32_t column) const;
  int GetColumnWidth(std::uint32_t column) const;

 private:
  static constexpr std::uint64_t kOwnText = std::uint64_t{1} << 63;
  Cell& Append(std::uint32_t row, std::uint32_t column, WbValueKind kind);

  const std::vector<std::string>* m_sharedStrings;
  std::vector<Cell, CLargeBlockAllocator<Cell>> m_cells;
  std::vector<std::string> m_texts;
  // Formula texts by cell, in the order the cells were added; sorted by Finish.
  struct Formula {
    std::uint64_t key;
    std::string text;
  };
  std::vector<Formula> m_formulas;
  std::vector<std::uint32_t> m_rowStart;  // m_rowCount + 1 entries into m_cells
  std::vector<int> m_widths;              // 0 = default
  int m_defaultWidth = 8;
  std::uint32_t m_rowCount = 1;
  std::uint32_t m_columnCount = 1;
};
