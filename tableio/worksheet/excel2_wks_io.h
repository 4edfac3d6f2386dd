#pragma once
// BIFF2 worksheets: single-sheet files whose first record id is 0x0009. Cell
// records carry their three attribute bytes inline.

#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>
#include <map>

#include "tableio/worksheet/wks_io_innards.h"

class excel2WksIO : public TWksIOInnards {
 public:
  // Loads the whole file from the stream; the error flag tells whether it could be read.
  excel2WksIO(std::unique_ptr<std::istream> stream, const std::string& path);

  void ScanHeader() override;
  void IndexRows() override;
  int ReadNumber(int row, int column, double* value) override;
  int ReadFormattedText(int row, int column, char* buffer, int length, bool useColumnWidth) override;
  using TWksIOInnards::ReadText;
  int ReadText(int row, int column, std::string& text, int mode) override;
  void WriteText(int row, int column, const std::string& text, int alignment) override;
  void WriteNumber(int row, int column, double value, int format) override;
  void SetAlignment(int row, int column, int alignment) override;
  bool SaveToBytes(std::string& bytes) override;
  void GetActiveCell(int* row, int* column) override;
  void SetActiveCell(int row, int column) override;
  int HasFormula(int row, int column) override;
  std::string GetFormulaText(int row, int column) override;
  bool GetFormatString(int formatIndex, std::string& text) override;
  int ClassifyFormat(const std::string& text) override;
  int XfLayout() override;
  int ScanDimensions() override;

 protected:
  excel2WksIO() = default;

  struct CellAttributes {
    int alignment = 0;
    bool locked = false;
    int formatIndex = 0;
  };
  enum class CellKind { None, Number, Label, FormulaNumber, FormulaText, FormulaOther, Other };
  struct CellValue {
    CellKind kind = CellKind::None;
    double number = 0.0;
    std::string_view text;
    CellAttributes attributes;
  };

  // What the cell at (row, column) holds.
  virtual CellValue DecodeCell(int row, int column);
  // The result of a FORMULA record, its eight bytes at offset: a number, or
  // with 0xFFFF in the last two, a text in the STRING record after it when
  // the first byte is 0 (any other result is FormulaOther).
  void DecodeFormulaResult(const CellLookup& cell, const RecordView& view, std::size_t offset, CellValue& value) const;
  // The flags every read starts with: alignment, and locked when the sheet is protected.
  int BaseFlags(const CellAttributes& attributes) const;
  // The date and time bits of a format index.
  int FormatBits(int formatIndex);

  // How this format writes a cell: the LABEL and NUMBER record ids, the bytes
  // of a label's length (1 or 2) and the most characters a label keeps.
  struct CellWriteForm {
    std::uint16_t labelId;
    std::uint16_t numberId;
    int labelLengthBytes;
    std::size_t maxLabelLength;
  };
  virtual CellWriteForm WriteForm() const;
  // The start of a written cell record: row, column and the cell's format
  // (the three attribute bytes inline; from BIFF3 on, the XF index), with
  // the alignment or number format applied unless it is -1.
  virtual std::vector<std::uint8_t> CellRecordStart(int row, int column, int alignment);
  static void Put16(std::vector<std::uint8_t>& out, int value);

  // Records that carry a row and a column and are replaced by a changed cell on save.
  virtual bool IsSaveCell(std::uint16_t id) const;
  // The text of a STRING record (the result of the formula before it).
  virtual std::string_view StringRecordText(const RecordView& record) const;

  // Takes the stream and loads its whole content as the record stream; the stream is closed after.
  void LoadFromStream(std::unique_ptr<std::istream> stream);
  // Format index k: the record k steps after the first FORMAT record, which must be a FORMAT record.
  bool FormatStringAt(int formatIndex, std::uint16_t formatId, std::size_t lengthOffset, std::string& text);
  // Moves every cell record into row and column order, keeping each STRING
  // with its FORMULA and every other record.
  void ResortCells();

  // Writes the record stream with the changed cells merged in. With
  // extraAfterPos set, extraRecords are written right after that record;
  // with dropIndex, an INDEX record among the first five records is replaced
  // by UNCALCED unless one is already there.
  struct SaveExtras {
    bool dropIndex = false;
    Position extraAfterPos = kNoRecord;
    std::vector<RecordBytes> extraRecords;
  };
  bool SaveMerged(std::string& bytes, const SaveExtras& extras);

  // The row's default attribute bytes of its ROW record, when it has some.
  bool RowDefaultAttributes(int row, std::uint8_t attributes[3]);
  // Row -> ROW record, built on first need.
  std::map<int, Position> m_rowRecords;
  bool m_bRowRecordsIndexed = false;
};
