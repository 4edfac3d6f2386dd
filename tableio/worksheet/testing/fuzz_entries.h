#pragma once
// What the fuzz targets and the corpus replay feed each reader: open the
// bytes as the worksheet file would, read every cell of a bounded area,
// write a few cells and save. None of it may crash or hang, whatever the bytes.

#include <algorithm>
#include <cstdio>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>

#include <unistd.h>

#include "tableio/worksheet/excel2_wks_io.h"
#include "tableio/worksheet/excel3_wks_io.h"
#include "tableio/worksheet/excel4_wks_io.h"
#include "tableio/worksheet/excel5_wks_io.h"

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

}  // namespace wks_fuzz
