#pragma once
// Reads newer workbooks in process: Office Open XML workbooks (.xlsx, a zip
// package) and BIFF8 workbooks (.xls, a compound file). A reader lists the
// worksheets and reads one sheet's values at a time into a CWorkbookSheet.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "tableio/worksheet/workbook_sheet.h"

class CWorkbookReader {
 public:
  virtual ~CWorkbookReader() = default;

  // Opens the workbook at path, choosing the reader by the file's content.
  // Returns null and a reason in error when the file cannot be read or is
  // neither kind of workbook.
  static std::unique_ptr<CWorkbookReader> Open(const std::string& path, std::string& error);

  // The worksheets in workbook order, Windows-1252; chart and macro sheets
  // are not worksheets and are not listed.
  const std::vector<std::string>& GetWorksheetNames() const { return m_worksheetNames; }

  // Reads worksheet index (into GetWorksheetNames). Returns null and a reason
  // in error when the sheet's data are corrupt. The sheet refers to texts of
  // the reader, which must outlive it.
  virtual std::unique_ptr<CWorkbookSheet> ReadSheet(std::size_t index, std::string& error) = 0;

 protected:
  std::vector<std::string> m_worksheetNames;
};
