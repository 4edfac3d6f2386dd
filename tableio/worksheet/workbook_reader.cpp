#include "tableio/worksheet/workbook_reader.h"

#include "tableio/worksheet/biff8_reader.h"
#include "tableio/worksheet/xlsx_reader.h"

std::unique_ptr<CWorkbookReader> CWorkbookReader::Open(const std::string& path, std::string& error) {
  if (CXlsxReader::LooksLikeZip(path)) {
    auto reader = std::make_unique<CXlsxReader>();
    if (!reader->Open(path, error)) return nullptr;
    return reader;
  }
  if (CBiff8Reader::LooksLikeCompoundFile(path)) {
    auto reader = std::make_unique<CBiff8Reader>();
    if (!reader->Open(path, error)) return nullptr;
    return reader;
  }
  error = "neither an Office Open XML nor a BIFF8 workbook";
  return nullptr;
}
