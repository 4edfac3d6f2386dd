#pragma once
// Office Open XML workbooks (.xlsx, .xlsm): the package parts are read with
// libzip, the workbook, relationship, style and shared-string parts with
// pugixml, and each sheet's XML is streamed in chunks, so memory follows the
// cells read rather than the size of the sheet's XML.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tableio/worksheet/workbook_reader.h"

struct zip;

class CXlsxReader : public CWorkbookReader {
 public:
  CXlsxReader();
  ~CXlsxReader() override;
  CXlsxReader(const CXlsxReader&) = delete;
  CXlsxReader& operator=(const CXlsxReader&) = delete;

  // True when the file starts like a zip archive.
  static bool LooksLikeZip(const std::string& path);

  // Opens the package and reads its workbook, styles and shared strings.
  bool Open(const std::string& path, std::string& error);

  std::unique_ptr<CWorkbookSheet> ReadSheet(std::size_t index, std::string& error) override;

 private:
  struct ZipCloser {
    void operator()(zip* archive) const;
  };
  bool ReadPart(const std::string& name, std::string& out, std::string& error) const;
  bool ReadStyles(const std::string& name, std::string& error);
  bool ReadSharedStrings(const std::string& name, std::string& error);

  std::unique_ptr<zip, ZipCloser> m_zip;
  std::vector<std::string> m_sheetParts;  // part name of each worksheet
  std::vector<std::string> m_sharedStrings;
  std::vector<WbNumberFormat> m_cellFormats;  // by cell style index
  bool m_date1904 = false;
};
