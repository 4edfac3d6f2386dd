#pragma once
// The table back end of worksheets: a table is a rectangle of one sheet, a
// header row that names the columns and data rows below it; rows whose first
// cell begins with '*' are comments. The table is found by its header and
// marker rows, its columns are typed by name and by data, and the selected
// rows are read into typed cells.

#include <memory>
#include <ostream>
#include <string>

#include "tableio/base_tbl.h"
#include "tableio/worksheet/wks_file.h"

// How the header row was found.
enum class WksLayout : int { Plain = 0, RowNamesColumn = 1, Marked = 2 };

class CWksTbl : public CBaseTbl {
 public:
  CWksTbl(std::ostream* log, CIOOptions* options);
  ~CWksTbl() override;

  int GetTableType() const override { return 0; }
  int Open(const CIoTableDescription& description) override;
  int Close(int commit) override;
  // The sheet's row count.
  int GetRowCount() override;
  // The number of columns of the table.
  int GetColumnCount() override { return m_columns.GetSize(); }
  int IsLastRow() override;
  int IsLastColumn() override;
  int GetFirstDataColumn() override { return 0; }
  int ReadAll(CIoRowArray& rows, CColumnArray& keyColumns, CColumnArray& dataColumns,
              const std::string& keyFields, const std::string& keyValues,
              const std::string& extractFields, std::vector<std::string>* optionalList = nullptr,
              int sourceNumber = -1) override;
  // The cell's text without label prefix, trailing blanks trimmed, cut to
  // size - 1; the cell's flags when the text is not empty, else 0.
  int GetCellText(int row, int column, char* buffer, std::size_t size) override;
  // Steps over comment rows; non-zero once past the last row.
  int NextRow() override;
  int PrevRow() override;
  int ReadColumnInfo() override;

  // The write operations of worksheet tables.
  int TransferRows(CIoRowArray& sourceRows, int sourceIndex,
                   const std::vector<std::string>& sourceKeyValues, CColumnArray& sourceColumns,
                   const std::string& keyFields, const std::string& keyValues,
                   const std::string& resultFields, const std::string& extractFields,
                   int& messageId) override;
  int UpdateRowsByKeys(const std::string& keyFields, const std::string& keyValues,
                       const std::string& resultFields, CIoCell& value, int& messageId) override;
  int DeleteRowsByKeys(const std::string& keyFields, const std::string& keyValues,
                       const std::string& resultFields) override;
  int AddColumn(std::unique_ptr<CColumn> column) override;

  virtual int IsPastLastRow();
  virtual int IsCommentRow(int row);
  virtual int IsCurrentRowComment() { return IsCommentRow(m_nCurrentRow); }
  // Finds the header row and the first data row; returns 1.
  virtual int FindTableStart();

  // 1 text, 8 number, 9 date, 10 time, 11 date-time, 0 empty.
  int GetCellKind(int row, int column);
  int IsCellEmpty(int row, int column);
  void GetCellFlags(int row, int column, bool& empty, bool& formula);
  int HasFormula(int row, int column);
  std::string GetFormulaText(int row, int column);
  int GetSheetColumnCount();
  std::string GetFormatName() const;
  int AssignColumnTypes();
  // The marker rows ("*IFVT", "*IIVT", "*IFBP", "*IIBP", "*...CRD") and the
  // other comment rows of the sheet; 0 when the extract list does not resolve.
  int ReadMarkerRows(CIoRowArray& rows, const std::string& extractFields);
  int ReadCommentRows(CIoRowArray& rows, const std::string& extractFields);

  CWksFile* GetFile() const { return m_pFile; }

  // Source index carried by every column, row and cell read.
  int m_nSourceIndex = -1;
  // Record formula flags and texts, and let the loader read the extra rows.
  int m_bFormulas = 0;
  WksLayout m_layout = WksLayout::Plain;

 private:
  std::string CellText(int row, int column);
  // A data cell of a column of type columnType; nullFlag / formulaFlag, when
  // given (0 or 1), replace the flags the cell's contents give.
  std::unique_ptr<CIoCell> MakeCell(int row, int column, int columnType, bool readFormula,
                                    int nullFlag = -1, int formulaFlag = -1);
  std::string KeyText(int row, const CColumn& column, bool& empty);
  int ReadExtraRows(CIoRowArray& rows, const std::string& extractFields, bool markers);
  void ReleaseFile();

  std::unique_ptr<CWksFile> m_ownedFile;  // null while the file is the cached workbook
  CWksFile* m_pFile = nullptr;
};

// True for names whose first five characters are "*IFVT", "*IIVT", "*IFBP" or
// "*IIBP" (any case), and for 7-character names "*...CRD" (any case).
bool IsMarkerRowName(const std::string& text);

// Loads a worksheet table: opens, reads and closes a CWksTbl with no log and
// no message boxes. Returns 0 loaded, 1 not opened, 2 not read, 4 not closed,
// 21 loaded with doubtful key cells. The loader results of the description
// are filled. With formulas set, formulas are recorded and the marker and
// comment rows go to extraRows and commentRows.
int LoadWorksheetTable(CIoTableDescription& description, int sourceIndex,
                       const std::string& keyFields, const std::string& keyValues,
                       const std::string& extractFields, std::string& formatName,
                       CColumnArray& keyColumns, CColumnArray& dataColumns, CIoRowArray& rows,
                       CIoRowArray& extraRows, CIoRowArray& commentRows, int& readOnly,
                       int& hasFormulas, int& available, int formulas);
