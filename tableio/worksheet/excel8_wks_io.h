#pragma once
// Newer workbooks (BIFF8 .xls and Office Open XML .xlsx) read in process.
// excel8WksIO is the worksheet reader for every file that is not a BIFF2 to
// BIFF5 file: it opens the workbook read-only, reads the values of one sheet
// from A1 to its last used cell once, and answers every cell read from them.
// It cannot write or save.
//
// The application holder stands where a running spreadsheet application
// would: callers start it before opening newer workbooks, ask whether it was
// running, and shut it down when they are done. Here it is an in-process flag
// with a reference count; no other program is involved.

#include <memory>
#include <string>
#include <vector>

#include "tableio/worksheet/wks_io_innards.h"

class CWorkbookReader;
class CWorkbookSheet;

class CXlDispatch {
 public:
  // Takes a reference; 1 when the application (here: the in-process readers) is available.
  int CreateDispatch(const char* programId);
  // Gives one reference back.
  void Release();
  // Gives back every remaining reference.
  void Detach();
  int GetReferenceCount() const { return m_nReferences; }

 private:
  int m_nReferences = 0;
};

// The running holder, null when none was started.
CXlDispatch* GetExcelApplication();
// Starts the holder: 1 when it runs, 0 otherwise (the holder then stays null).
int StartExcelApplication();
// Stops and frees the holder: 1 when done or when none was running, 0 on failure.
int ShutdownExcelApplication();

class excel8WksIO : public TWksIOInnards {
 public:
  // Opens the workbook and the named worksheet (the first worksheet when the
  // name is empty; names compare ignoring case). The owner checks HasError():
  // a missing file, a damaged workbook, a missing sheet and a sheet whose used
  // range is a single cell (an empty sheet too) all fail.
  excel8WksIO(const std::string& path, const std::string& sheetName);
  ~excel8WksIO() override;

  // Reads another worksheet of the same workbook; an empty name fails.
  void SelectSheet(const std::string& sheetName) override;
  void PrepareLayout() override {}
  void ScanHeader() override {}
  void IndexRows() override {}

  // Numbers, booleans (-1 true, 0 false), currency and dates (as OLE dates)
  // give their value and 0x80, dates also 0x300; texts 0x40 and 1e30;
  // empty and error cells 0 and 1e30.
  int ReadNumber(int row, int column, double* value) override;
  int ReadFormattedText(int row, int column, char* buffer, int length, bool useColumnWidth) override;
  // The mode is ignored: numbers "%g", booleans "%d" (-1 for true), currency
  // "%f", dates "%X %x", texts as they are; empty and error cells give "".
  int ReadText(int row, int column, std::string& text, int mode) override;

  void WriteText(int, int, const std::string&, int) override {}
  void WriteNumber(int, int, double, int) override {}
  void SetAlignment(int, int, int) override {}
  bool SaveToBytes(std::string&) override { return false; }
  void GetActiveCell(int* row, int* column) override;
  void SetActiveCell(int, int) override {}

  // 10 before a sheet is read; the width in characters otherwise.
  int GetColumnWidth(int column) override;
  // Kept in the width cache only.
  void SetColumnWidth(int column, int width) override;
  int HasFormula(int row, int column) override;
  // The formula text ("=..."), empty when the cell holds no formula or when
  // the workbook format keeps the formula only in compiled form (BIFF8).
  std::string GetFormulaText(int row, int column) override;

 private:
  bool FindAndLoadSheet();

  std::string m_sheetName;
  std::unique_ptr<CWorkbookReader> m_workbook;
  std::unique_ptr<CWorkbookSheet> m_sheet;
  std::vector<int> m_widthCache;  // -1 until asked
};
