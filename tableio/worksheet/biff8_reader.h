#pragma once
// BIFF8 workbooks (.xls of the 97 format and later): the "Workbook" stream is
// read out of the compound file with libgsf and its records are decoded here,
// every length and index checked against the data. Formula cells give their
// cached results; the formula text itself is not decoded.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tableio/worksheet/workbook_reader.h"

class CBiff8Reader : public CWorkbookReader {
 public:
  // True when the file starts with the compound-file signature.
  static bool LooksLikeCompoundFile(const std::string& path);

  // Reads the workbook stream and its global records (sheets, strings, formats).
  bool Open(const std::string& path, std::string& error);
  // The same from a workbook stream already in memory.
  bool OpenStream(std::vector<std::uint8_t> stream, std::string& error);

  std::unique_ptr<CWorkbookSheet> ReadSheet(std::size_t index, std::string& error) override;

 private:
  std::vector<std::uint8_t> m_stream;
  std::vector<std::string> m_sharedStrings;
  std::vector<WbNumberFormat> m_xfFormats;  // by XF index
  std::vector<std::uint32_t> m_sheetOffsets;
  bool m_date1904 = false;
};
