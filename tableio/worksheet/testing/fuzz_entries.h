#pragma once
// What the fuzz targets and the corpus replay feed each reader: open the
// bytes as the worksheet file would, read every cell of a bounded area,
// write a few cells and save. None of it may crash or hang, whatever the bytes.

#include <algorithm>
#include <cstdio>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "tableio/worksheet/biff8_reader.h"
#include "tableio/worksheet/excel2_wks_io.h"
#include "tableio/worksheet/excel3_wks_io.h"
#include "tableio/worksheet/excel4_wks_io.h"
#include "tableio/worksheet/excel5_wks_io.h"
#include "tableio/worksheet/excel8_wks_io.h"
#include "tableio/worksheet/workbook_sheet.h"

namespace wks_fuzz {

inline std::unique_ptr<std::istream> StreamOf(const std::uint8_t* data, std::size_t size) {
  return std::make_unique<std::istringstream>(std::string(reinterpret_cast<const char*>(data), size));
}

// Returns whether the reader opened without error.
inline bool Exercise(TWksIOInnards& reader, bool save) {
  reader.RunOpeningSequence();
  if (reader.HasError()) return false;
  const int rows = std::min(reader.GetRowCount() + 1, 300);
  const int columns = std::min(reader.GetColumnCount() + 1, 40);
  std::string text;
  char buffer[32];
  double number = 0;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      reader.ReadText(r, c, text, (r + c) % 4 - 3);
      reader.ReadNumber(r, c, &number);
      reader.ReadFormattedText(r, c, buffer, sizeof buffer, (c & 1) != 0);
    }
  }
  int row = 0;
  int column = 0;
  reader.GetActiveCell(&row, &column);
  reader.SetActiveCell(1, 1);
  reader.GetColumnWidth(0);
  if (save) {
    reader.WriteText(0, 0, "fuzz", 2);
    reader.WriteNumber(rows, 1, 1.5, -1);
    reader.SetAlignment(1, 0, 3);
    reader.ReadText(0, 0, text, -1);
    const std::string path = "/tmp/ostrel_wks_fuzz_" + std::to_string(::getpid()) + ".xls";
    reader.Save(path);
    std::remove(path.c_str());
  }
  return true;
}

inline bool Biff2(const std::uint8_t* data, std::size_t size) {
  excel2WksIO reader(StreamOf(data, size), "fuzz.xls");
  return Exercise(reader, true);
}

inline bool Biff3(const std::uint8_t* data, std::size_t size) {
  excel3WksIO reader(StreamOf(data, size), "fuzz.xls");
  return Exercise(reader, true);
}

// The first byte picks a bundle name (or none); the rest is the file.
inline bool Biff4(const std::uint8_t* data, std::size_t size) {
  static const char* const names[] = {"", "Sheet1", "SHEET2"};
  const std::string name = size > 0 ? names[data[0] % 3] : "";
  const std::size_t skip = size > 0 ? 1 : 0;
  excel4WksIO reader(StreamOf(data + skip, size - skip), "fuzz.xls", name);
  return Exercise(reader, true);
}

inline bool Biff5(const std::uint8_t* data, std::size_t size) {
  excel5WksIO reader(StreamOf(data, size), "fuzz.xls", "");
  if (!Exercise(reader, false)) return false;
  reader.SelectSheet("Sheet2");
  if (!reader.HasError()) Exercise(reader, false);
  return true;
}

// Every cell of a bounded area of a sheet read by a newer-workbook reader.
inline void ExerciseSheet(const CWorkbookSheet& sheet) {
  const std::uint32_t rows = std::min<std::uint32_t>(sheet.GetRowCount(), 300);
  const std::uint32_t columns = std::min<std::uint32_t>(sheet.GetColumnCount(), 40);
  for (std::uint32_t r = 0; r < rows; ++r) {
    for (std::uint32_t c = 0; c < columns; ++c) {
      const CWorkbookSheet::Cell* cell = sheet.Find(r, c);
      if (cell == nullptr) continue;
      if (cell->kind == WbValueKind::Text) sheet.Text(*cell);
      if (cell->hasFormula) sheet.FormulaText(r, c);
    }
  }
  for (std::uint32_t c = 0; c < columns; ++c) sheet.GetColumnWidth(c);
}

// The bytes as a workbook file opened by the newer-workbook reader (BIFF8 or
// .xlsx, as the content says): the first sheet, then a sheet by name.
inline bool Newer(const std::uint8_t* data, std::size_t size, const char* extension) {
  const std::string path = "/tmp/ostrel_wks_fuzz_" + std::to_string(::getpid()) + extension;
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  bool opened = false;
  {
    excel8WksIO reader(path, "");
    opened = !reader.HasError();
    for (const char* next : {"", "Sheet2"}) {
      if (*next != '\0') reader.SelectSheet(next);
      if (reader.HasError()) break;
      const int rows = std::min(reader.GetRowCount() + 1, 300);
      const int columns = std::min(reader.GetColumnCount() + 1, 40);
      std::string text;
      char buffer[32];
      double number = 0;
      for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
          reader.ReadText(r, c, text, -1);
          reader.ReadNumber(r, c, &number);
          reader.ReadFormattedText(r, c, buffer, sizeof buffer, (c & 1) != 0);
          if (reader.HasFormula(r, c)) reader.GetFormulaText(r, c);
        }
      }
      for (int c = 0; c < columns; ++c) reader.GetColumnWidth(c);
    }
  }
  std::remove(path.c_str());
  return opened;
}

// The bytes as the workbook stream of a BIFF8 file, past the compound file:
// every listed sheet (at most eight).
inline bool Biff8Stream(const std::uint8_t* data, std::size_t size) {
  CBiff8Reader reader;
  std::string error;
  if (!reader.OpenStream(std::vector<std::uint8_t>(data, data + size), error)) {
    if (error.empty()) __builtin_trap();  // a refusal always says why
    return false;
  }
  const std::size_t sheets = std::min<std::size_t>(reader.GetWorksheetNames().size(), 8);
  for (std::size_t i = 0; i < sheets; ++i) {
    error.clear();
    const std::unique_ptr<CWorkbookSheet> sheet = reader.ReadSheet(i, error);
    if (sheet) ExerciseSheet(*sheet);
    else if (error.empty()) __builtin_trap();
  }
  return true;
}

// A compound file goes through the whole reader; any other bytes are read as the workbook stream.
inline bool Biff8(const std::uint8_t* data, std::size_t size) {
  static const std::uint8_t kCompound[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  if (size >= 8 && std::memcmp(data, kCompound, 8) == 0) return Newer(data, size, ".xls");
  return Biff8Stream(data, size);
}

inline bool Xlsx(const std::uint8_t* data, std::size_t size) { return Newer(data, size, ".xlsx"); }

}  // namespace wks_fuzz
