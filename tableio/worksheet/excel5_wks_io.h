#pragma once
// BIFF5 workbooks: the "Book" stream of a compound file. Sheets are found by
// their BOUNDSHEET name in any letter case. These files are read only.

#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "tableio/worksheet/excel4_wks_io.h"

class excel5WksIO : public excel4WksIO {
 public:
  // Without a sheet name the first sheet is read.
  excel5WksIO(std::unique_ptr<std::istream> stream, const std::string& path, const std::string& sheetName);

  void SelectSheet(const std::string& sheetName) override;
  void ScanHeader() override;
  bool SaveToBytes(std::string& bytes) override;
  bool GetFormatString(int formatIndex, std::string& text) override;
  int ClassifyFormat(const std::string& text) override;
  int XfLayout() override;

 private:
  // Builds the record stream of the named sheet from the held "Book" stream.
  bool ExtractSheet(const std::string& sheetName);

  std::vector<std::uint8_t> m_book;  // the whole "Book" stream
  bool m_bHaveBook = false;
};
