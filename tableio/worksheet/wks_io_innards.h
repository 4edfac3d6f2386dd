#pragma once
// The base of every worksheet reader: one sheet held in memory as a stream of
// BIFF records, with a record cursor, column widths, a row index and the list
// of changed cells, and the virtual interface through which the worksheet
// file reads and writes cells.
//
// The record stream is one contiguous buffer. Every record in its walkable
// part (from the start up to and including the EOF record) was checked on
// loading to lie wholly inside the data; an incomplete trailing record ends
// the walkable part.

#include <cstdint>
#include <istream>
#include <map>
#include <memory>
#include <string>
#include <vector>

// Flags returned by every cell read.
enum WksCellFlags : int {
  kWksAlignMask = 0x07,  // 0 general, 1 left, 2 centre, 3 right, 4 fill
  kWksLocked = 0x10,     // the cell is locked and the sheet is protected
  kWksFormula = 0x20,
  kWksText = 0x40,       // a label, or with kWksFormula a formula with a text result
  kWksNumber = 0x80,     // also a formula with a numeric result
  kWksDate = 0x100,      // the number format shows a date
  kWksTime = 0x200,      // the number format shows a time
};

// Read modes of ReadText for labels.
enum WksReadMode : int {
  kWksModeAlignPrefix = -2,  // '^' centre, '"' right, '\' fill, '\'' otherwise
  kWksModeTextOnly = -3,
  kWksModeQuoteNumeric = -1,  // any other mode: '\'' before a text that looks like a number
};

class TWksIOInnards {
 public:
  using Position = std::int32_t;  // byte offset of a record; -1 is no record
  static constexpr Position kNoRecord = -1;
  static constexpr double kNoNumber = 1e30;

  TWksIOInnards(const TWksIOInnards&) = delete;
  TWksIOInnards& operator=(const TWksIOInnards&) = delete;
  virtual ~TWksIOInnards();

  // Switches to another sheet of the same file (workbooks only).
  virtual void SelectSheet(const std::string& sheetName);
  // Widths (9 per column of the file when none exist), column offsets, a row
  // index with every entry -1; clears the has-formulas flag.
  virtual void PrepareLayout();
  // Reads the records before the first cell record.
  virtual void ScanHeader();
  // Fills the row index, the end position, the has-formulas flag and the selection record.
  virtual void IndexRows();

  // The cell's value (kNoNumber when it holds no number); returns the cell flags.
  virtual int ReadNumber(int row, int column, double* value);
  // The cell's text as displayed within the column width (or the buffer length);
  // returns the cell flags. The buffer is always zero-terminated.
  virtual int ReadFormattedText(int row, int column, char* buffer, int length, bool useColumnWidth);
  // The cell's whole text (labels prefixed as the mode asks); returns the cell flags.
  virtual int ReadText(int row, int column, std::string& text, int mode);
  // The same, cut to length - 1 characters and zero-terminated.
  int ReadText(int row, int column, char* buffer, int length, int mode);

  // Writes go into the changed-cell lists; alignment / format -1 keeps the cell's own.
  virtual void WriteText(int row, int column, const std::string& text, int alignment);
  virtual void WriteNumber(int row, int column, double value, int format);
  virtual void SetAlignment(int row, int column, int alignment);
  // The whole file, changed cells included; false when the format cannot be
  // saved. The reader stays as it was.
  virtual bool SaveToBytes(std::string& bytes);
  // Replaces path with SaveToBytes (plat::ReplaceFileContents); true when all
  // of it was written. A failure leaves path as it was.
  bool Save(const std::string& path);

  virtual void GetActiveCell(int* row, int* column);
  virtual void SetActiveCell(int row, int column);
  // The width in characters, -1 outside the file's columns.
  virtual int GetColumnWidth(int column);
  // Ignored outside the file's columns.
  virtual void SetColumnWidth(int column, int width);
  virtual int HasFormula(int row, int column);
  virtual std::string GetFormulaText(int row, int column);
  // The number format string of a format index; false when there is none.
  virtual bool GetFormatString(int formatIndex, std::string& text);
  // The kWksDate and kWksTime bits of a format string.
  virtual int ClassifyFormat(const std::string& text);
  // 0 when XF records keep format, protection and alignment at the BIFF3
  // offsets, 1 at the BIFF5 offsets.
  virtual int XfLayout();
  // Counts rows and columns from the cell records; 1 when they are not in
  // row and column order.
  virtual int ScanDimensions();

  // The opening sequence the owner runs after construction.
  void RunOpeningSequence();
  // Places the record cursor on the first record.
  void MoveToFirstRecord();

  bool HasError() const { return m_bError; }
  // The named sheet is not in a workbook that was read (an absent sheet, not a damaged file).
  bool IsSheetMissing() const { return m_bSheetMissing; }
  // The record stream ends before its EOF record: the file was cut short or its records are damaged.
  bool IsCutShort() const { return m_bCutShort; }
  int GetRowCount() const { return m_nRows; }
  int GetColumnCount() const { return m_nColumns; }
  bool HasFormulas() const { return m_bHasFormulas; }
  bool HasChanges() const { return !m_changedCells.empty(); }
  bool IsWritable() const { return m_bWritable; }
  bool IsProtected() const { return m_bProtected; }
  // Frees the changed cells and restores the row and column counts of the file.
  void DropChanges();

 protected:
  TWksIOInnards();

  // A view of one record of the stream. Reads past its data give 0.
  struct RecordView {
    const std::uint8_t* data = nullptr;  // the data bytes after the header
    std::uint16_t id = 0;
    std::uint16_t length = 0;
    std::uint8_t U8(std::size_t offset) const { return offset < length ? data[offset] : 0; }
    std::uint16_t U16(std::size_t offset) const {
      return static_cast<std::uint16_t>(U8(offset) | (U8(offset + 1) << 8));
    }
    std::uint32_t U32(std::size_t offset) const {
      return static_cast<std::uint32_t>(U16(offset)) | (static_cast<std::uint32_t>(U16(offset + 2)) << 16);
    }
    double F64(std::size_t offset) const;
    bool Has(std::size_t bytes) const { return length >= bytes; }
  };
  using RecordBytes = std::vector<std::uint8_t>;  // header and data of one record

  // Loads the record stream from the stream's whole content up to and
  // including the record with stopId; sets the error flag on a read failure.
  void LoadRecords(std::istream& stream, std::uint16_t stopId = 0x000A);
  // Takes a buffer as the record stream (same checks as LoadRecords).
  void SetRecords(std::vector<std::uint8_t> bytes, std::uint16_t stopId = 0x000A);

  RecordView View(Position pos) const;
  // The position after the record at pos, or kNoRecord past the walkable part.
  Position Next(Position pos) const;
  static RecordView ViewOf(const RecordBytes& record);
  static RecordBytes MakeRecord(std::uint16_t id, const std::vector<std::uint8_t>& data);

  // The record at (row, column) in the file and in the changed-cell list
  // (which takes precedence); either may be absent.
  struct CellLookup {
    Position filePos = kNoRecord;
    const RecordBytes* changed = nullptr;
    bool Found() const { return filePos != kNoRecord || changed != nullptr; }
  };
  CellLookup FindCell(int row, int column);
  // The view of the cell found (the changed record first), or a view with id 0.
  RecordView CellView(const CellLookup& cell) const;
  // The STRING record that follows a file cell record, if any.
  bool FollowingString(const CellLookup& cell, RecordView& out) const;

  // Hooks of the record layouts of each BIFF version (BIFF2 by default).
  // The records whose row and column the dimension scan counts.
  virtual bool IsCellRecord(std::uint16_t id) const;
  virtual bool IsLookupPassOver(std::uint16_t id) const;
  // A record compared by row and column in a lookup.
  virtual bool IsLookupCell(std::uint16_t id) const;
  // A cell record that the row index points at.
  virtual bool IsIndexedCell(std::uint16_t id) const;
  virtual bool IsFormulaRecord(std::uint16_t id) const;
  virtual bool IsStringRecord(std::uint16_t id) const;

  void ResetLookupCache();
  void StoreChangedCell(int row, int column, RecordBytes record);
  void GrowSize(int row, int column);

  std::vector<int> m_columnWidths;
  std::vector<int> m_columnOffsets;
  int m_nColumns = 0;
  int m_nRows = 0;
  int m_nFileColumns = 0;
  int m_nFileRows = 0;

  std::unique_ptr<std::istream> m_pStream;
  std::vector<std::uint8_t> m_records;  // the whole stream, tail after EOF included
  Position m_walkEnd = 0;               // end of the walkable part of m_records
  bool m_bStreamFailed = false;

  Position m_cursor = kNoRecord;
  bool m_bProtected = false;
  std::vector<Position> m_rowIndex;
  Position m_selectionPos = kNoRecord;
  std::map<int, std::map<int, RecordBytes>> m_changedCells;  // row -> column -> record
  bool m_bHasFormulas = false;
  bool m_bError = false;
  bool m_bSheetMissing = false;
  bool m_bCutShort = false;
  Position m_endPos = kNoRecord;  // the last cell record
  Position m_firstFormatPos = kNoRecord;
  int m_nFormats = 0;
  Position m_firstRowRecordPos = kNoRecord;
  bool m_bWritable = false;

 private:
  struct LookupCache {
    bool valid = false;
    bool found = false;
    int row = -1;
    int column = -1;
    Position found_pos = kNoRecord;
    Position resume = kNoRecord;  // where the walk stopped
  };
  Position FindInFile(int row, int column);
  LookupCache m_cache;
};
