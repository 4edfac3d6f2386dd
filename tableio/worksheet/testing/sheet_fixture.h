#pragma once
// Writes small BIFF2 to BIFF4 sheets from a grid of cell texts, for the tests
// of the worksheet back end. A cell text "" is no cell; "#3.5" a number;
// "@d2021-03-15", "@t07:05:09" and "@s2021-03-15 07:05:09" a number formatted
// as a date, a time and a date-time (BIFF2 only); anything else a label.

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/ole_date_time.h"
#include "tableio/worksheet/testing/biff_writer.h"

namespace wks_test {

using Grid = std::vector<std::vector<std::string>>;

inline double OleDateOf(const std::string& text) {
  plat::OleDateTime value;
  value.ParseDateTime(text);
  return value.GetValue();
}

inline biff_test::BiffWriter SheetWriter(int version, const Grid& grid) {
  using biff_test::Attr2;
  biff_test::BiffWriter w(version);
  w.Bof();
  if (version == 2) {
    w.Format("General").Format("yyyy-mm-dd").Format("hh:mm:ss").Format("yyyy-mm-dd hh:mm:ss");
  } else {
    w.Format("General");
    w.Xf(0, false, 0);
  }
  for (std::size_t r = 0; r < grid.size(); ++r) {
    for (std::size_t c = 0; c < grid[r].size(); ++c) {
      const std::string& cell = grid[r][c];
      const int row = static_cast<int>(r);
      const int column = static_cast<int>(c);
      if (cell.empty()) continue;
      if (cell[0] == '#') {
        w.Number(row, column, std::atof(cell.c_str() + 1));
      } else if (cell[0] == '@' && cell.size() > 1) {
        const int format = cell[1] == 'd' ? 1 : cell[1] == 't' ? 2 : 3;
        const std::string value = cell.substr(2);
        w.Number(row, column, cell[1] == 't' ? OleDateOf("1899-12-30 " + value) : OleDateOf(value),
                 Attr2{0, format, false});
      } else {
        w.Label(row, column, cell);
      }
    }
  }
  w.Eof();
  return w;
}

inline void WriteSheet(int version, const Grid& grid, const std::string& path) {
  SheetWriter(version, grid).WriteFile(path);
}

}  // namespace wks_test
