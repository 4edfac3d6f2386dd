#pragma once
// BIFF4 worksheets (first record id 0x0409) and BIFF4 workbooks, whose sheets
// follow one another in one file, each behind a BUNDLEHEADER record.

#include <istream>
#include <memory>
#include <string>

#include "tableio/worksheet/excel3_wks_io.h"

class excel4WksIO : public excel3WksIO {
 public:
  // With a sheet name, the bundle of that name (any letter case) is the
  // sheet; without one the file is read as a worksheet.
  excel4WksIO(std::unique_ptr<std::istream> stream, const std::string& path, const std::string& sheetName);

  void ScanHeader() override;
  bool GetFormatString(int formatIndex, std::string& text) override;

 protected:
  excel4WksIO() = default;
};
